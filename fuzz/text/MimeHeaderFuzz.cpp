// Header decoding on arbitrary lines agrees with the plain restart-from-the-start decoder, and
// base64 output always has the length its input fixes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "MimeHeaderReference.h"
#include "text/MimeHeader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto m = static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return c != '\r' && c != '\n' && c != '='; }));
    if (DecodeBase64(text).size() != 3 * (m / 4) + (m % 4 == 0 ? 0 : m % 4 - 1)) std::abort();

    const std::string decoded = DecodeMimeHeader(text);
    // The reference is quadratic; long inputs only have to survive.
    if (size <= 8192 && decoded != ReferenceDecodeMimeHeader(text, DecodeBase64)) std::abort();
    return 0;
}
