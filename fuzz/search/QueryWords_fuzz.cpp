// A query from the input: its words, their finder over a text from the input, and the
// too-many-hits reader over the same bytes. Spans lie inside the text and follow one another.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "search/QueryWords.h"
#include "search/SearchNotices.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    WordsIgnoredByNamazu(bytes);
    // The query is the first line, the text the rest.
    const std::size_t cut = bytes.find('\n');
    const QString query = QString::fromUtf8(bytes.substr(0, cut).data(), static_cast<qsizetype>(std::min(cut, size)));
    const QString text = cut == std::string_view::npos
                             ? QString()
                             : QString::fromUtf8(bytes.data() + cut + 1, static_cast<qsizetype>(size - cut - 1));
    const QueryWordFinder finder(ExtractQueryWords(query));
    qsizetype last = -1;
    for (const TextSpan& span : finder.InRange(text, 0, text.size())) {
        Check(span.start > last && span.length > 0 && span.end() <= text.size());
        last = span.start;
    }
    for (qsizetype from : {qsizetype(0), text.size() / 2, text.size()}) {
        if (const auto next = finder.Next(text, from)) Check(next->start >= from && next->end() <= text.size());
        if (const auto previous = finder.Previous(text, from)) Check(previous->start < from);
    }
    return 0;
}
