#pragma once

#include <string>
#include <string_view>

// Header decoding as plainly written: delete, decode, insert, and search again from the start.
inline std::string ReferenceDecodeMimeHeader(std::string_view line,
                                             std::string (*decodeBase64)(std::string_view)) {
    static const std::string kMarker = "=?ISO-2022-JP?B?";
    std::string result(line);
    std::string upper(line);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    for (;;) {
        const std::size_t a = upper.find(kMarker);
        if (a == std::string::npos) return result;
        result.erase(a, kMarker.size());
        upper.erase(a, kMarker.size());
        const std::size_t e = result.find("?=", a);
        if (e == std::string::npos) continue;
        const std::string encoded = result.substr(a, e - a);
        result.erase(a, e - a + 2);
        upper.erase(a, e - a + 2);
        const std::string decoded = decodeBase64(encoded);
        result.insert(a, decoded);
        upper.insert(a, decoded);
    }
}
