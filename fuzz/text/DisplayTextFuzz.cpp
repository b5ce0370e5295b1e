// Any document bytes become valid UTF-8 for the viewer, with and without header decoding and
// code conversion.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "text/CodePage.h"
#include "text/DisplayText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool decodeHeader = data[0] & 1;
    const bool convertCode = data[0] & 2;
    const std::string_view document(reinterpret_cast<const char*>(data + 1), size - 1);
    if (!IsValidUtf8(DocumentToUtf8(document, decodeHeader, convertCode))) std::abort();
    return 0;
}
