#include "text/CodePage.h"

#include <iconv.h>
#include <langinfo.h>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cstring>

namespace {

std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF)
        len = 2;
    else if (b0 >= 0xE0 && b0 <= 0xEF)
        len = 3;
    else if (b0 >= 0xF0 && b0 <= 0xF4)
        len = 4;
    else
        return 0;
    if (i + len > text.size()) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
    }
    const auto b1 = static_cast<unsigned char>(text[i + 1]);
    if (b0 == 0xE0 && b1 < 0xA0) return 0;  // overlong
    if (b0 == 0xED && b1 > 0x9F) return 0;  // surrogates
    if (b0 == 0xF0 && b1 < 0x90) return 0;  // overlong
    if (b0 == 0xF4 && b1 > 0x8F) return 0;  // beyond U+10FFFF
    return len;
}

bool IsCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace

std::size_t CharLength(CodePage codePage, std::string_view text, std::size_t pos) {
    if (pos < 1 || pos > text.size()) return 1;
    const std::size_t i = pos - 1;
    if (codePage == CodePage::Cp932) {
        return IsCp932Lead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    }
    const std::size_t len = Utf8SequenceLength(text, i);
    return len == 0 ? 1 : len;
}

bool IsLeadByte(CodePage codePage, std::string_view text, std::size_t pos) {
    return CharLength(codePage, text, pos) > 1;
}

CodePage ProgramCodePageFromLocale() {
    std::setlocale(LC_CTYPE, "");
    std::string codeset = nl_langinfo(CODESET);
    for (char& c : codeset) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (codeset == "SHIFT_JIS" || codeset == "SHIFT-JIS" || codeset == "SJIS" || codeset == "CP932" ||
        codeset == "WINDOWS-31J" || codeset == "MS_KANJI") {
        return CodePage::Cp932;
    }
    return CodePage::Utf8;
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        // Runs of ASCII eight bytes at a time.
        std::uint64_t word = 0;
        if (i + sizeof word <= bytes.size()) {
            std::memcpy(&word, bytes.data() + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += sizeof word;
                continue;
            }
        }
        const std::size_t len = Utf8SequenceLength(bytes, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string ConvertEncoding(std::string_view bytes, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
    const bool toUtf8 = std::strcmp(to, "UTF-8") == 0;
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2 + 16);
    char buffer[8192];
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    auto flush = [&](char* end) { out.append(buffer, static_cast<std::size_t>(end - buffer)); };
    while (inLeft > 0) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
        flush(dst);
        if (rc != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (cut off at the end): mark the byte and go on after it.
        out += toUtf8 ? "\xEF\xBF\xBD" : "?";
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &dst, &dstLeft);
    flush(dst);
    iconv_close(cd);
    return out;
}

std::string ProgramToUtf8(CodePage codePage, std::string_view text) {
    if (codePage == CodePage::Utf8) {
        return IsValidUtf8(text) ? std::string(text) : ConvertEncoding(text, "UTF-8", "UTF-8");
    }
    return ConvertEncoding(text, "CP932", "UTF-8");
}

std::string Utf8ToProgram(CodePage codePage, std::string_view utf8) {
    if (codePage == CodePage::Utf8) return std::string(utf8);
    return ConvertEncoding(utf8, "UTF-8", "CP932");
}

std::string FileTextToProgram(CodePage codePage, std::string_view fileBytes) {
    if (codePage == CodePage::Utf8 && !IsValidUtf8(fileBytes)) {
        return ConvertEncoding(fileBytes, "CP932", "UTF-8");
    }
    return std::string(fileBytes);
}
