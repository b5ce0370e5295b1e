#include "process/CommandLine.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view text) {
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

std::string QuoteArgument(std::string_view arg) {
    std::string out;
    out.reserve(arg.size() + 2);
    out += '"';
    std::size_t slashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"') {
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
