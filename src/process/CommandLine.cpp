#include "process/CommandLine.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::size_t CommandLineCharLength(CodePage codePage, std::string_view text, std::size_t pos) {
    const std::size_t length = CharLength(codePage, text, pos);
    if (codePage == CodePage::Cp932 && length == 2 && static_cast<unsigned char>(text[pos]) < 0x40) return 1;
    return length;
}

std::vector<std::string> SplitCommandLine(std::string_view text, CodePage codePage) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (true) {
        while (i < n && IsBlank(text[i])) ++i;
        if (i >= n) break;

        std::string arg;
        bool inQuotes = false;
        while (i < n) {
            const char c = text[i];
            if (const std::size_t length = CommandLineCharLength(codePage, text, i + 1); length > 1) {
                arg.append(text.substr(i, length));
                i += length;
                continue;
            }
            if (c == '\\') {
                std::size_t slashes = 0;
                while (i < n && text[i] == '\\') {
                    ++slashes;
                    ++i;
                }
                if (i < n && text[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                    // With an even count the quote is handled as a quote below.
                } else {
                    arg.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (inQuotes && i + 1 < n && text[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                } else {
                    inQuotes = !inQuotes;
                    ++i;
                }
                continue;
            }
            if (IsBlank(c) && !inQuotes) break;
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::string QuoteArgument(std::string_view arg, CodePage codePage) {
    std::string out;
    out.reserve(arg.size() + 2);
    out += '"';
    std::size_t slashes = 0;
    for (std::size_t i = 0; i < arg.size(); ++i) {
        const char c = arg[i];
        if (const std::size_t length = CommandLineCharLength(codePage, arg, i + 1); length > 1) {
            out.append(slashes, '\\');
            out.append(arg.substr(i, length));
            slashes = 0;
            i += length - 1;
            continue;
        }
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"' && i > 0 && slashes == 0 && IsLeadByte(codePage, arg, i)) {
            // A backslash after a lone CP932 lead byte would pair with it: the quote goes
            // outside the quotes instead.
            out += "\"\\\"\"";
        } else if (c == '"') {
            out.append(slashes * 2 + 1, '\\');
            out += '"';
        } else {
            out.append(slashes, '\\');
            out += c;
        }
        slashes = 0;
    }
    // Backslashes in front of the closing quote would escape it.
    out.append(slashes * 2, '\\');
    out += '"';
    return out;
}
