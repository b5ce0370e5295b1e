// A result file from the input, scanned with every small setting, and its display map: every
// hit lies inside the text and holds the bytes it names, and offsets and view positions agree.
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "results/ResultScanner.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

std::string NormalisedText(const ResultScan& scan) {
    std::string x;
    for (std::string_view line : scan.lines) {
        x += line;
        x += "\r\n";
    }
    return x;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const ResultScanOptions options{data[0] % 4, (data[0] >> 2) % 4};  // 0 and below-1 values included
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    const ResultScan scan = ScanResultText(bytes, options);
    const std::string x = NormalisedText(scan);
    Check(scan.CharKinds.size() == x.size());
    Check(scan.HitCount == static_cast<int>(scan.Hits.size()));
    for (const HitRecord& hit : scan.Hits) {
        Check(hit.TitleStart >= 0 && hit.TitleEnd >= hit.TitleStart - 1);
        Check(static_cast<std::size_t>(hit.TitleEnd + 1) <= x.size());
        Check(x.compare(hit.TitleStart, hit.Title.size(), hit.Title) == 0);
        if (!hit.Uri.empty()) {
            Check(hit.UriStart > hit.TitleEnd && hit.UriEnd >= hit.UriStart + 1);
            Check(x.compare(hit.UriStart, hit.Uri.size(), hit.Uri) == 0);
            Check(scan.CharKinds[hit.UriStart] == kCharUri && scan.CharKinds[hit.UriEnd] == kCharUri);
        }
    }

    const ResultTextMap map(scan.lines, scan.lineStarts);
    int last = 0;
    for (int32_t offset = 0; offset < static_cast<int32_t>(x.size()); ++offset) {
        const int pos = map.ViewPosition(offset);
        Check(pos >= last && pos <= map.Text().size());
        last = pos;
        Check(map.ViewPosition(map.OffsetAt(pos)) == pos);
        Check(map.ViewPositionAfter(offset) >= pos && map.ViewPositionAfter(offset) <= map.Text().size());
    }
    for (int pos = -1; pos <= map.Text().size() + 1; ++pos) {
        const int32_t offset = map.OffsetAt(pos);
        Check(offset >= 0 && (x.empty() || static_cast<std::size_t>(offset) < x.size()));
    }
    return 0;
}
