// Every conversion on arbitrary bytes: no crash, no read past the input, and the promises that
// hold for any input.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/Jconvert.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const JapaneseCode code = DetectJapaneseCode(text);
    Check(code >= jcAscii && code <= jcEucOrSjis);
    for (int target = -1; target <= 7; ++target) {
        const std::string converted = ConvertJapaneseCode(text, target);
        if (code == jcAscii || code == jcBinary || code == jcEucOrSjis) Check(converted == text);
    }

    Check(JisToSjis(text).size() <= size + 1);
    Check(EucToSjis(text).size() <= size + 1);
    Check(JisToEuc(text).size() <= size);
    Check(SjisToEuc(text).size() <= 2 * size);
    EucToJis(text);
    SjisToJis(text);

    for (std::size_t pos = 1; pos <= size; ++pos) {
        const HalfKanaWidening sjis = SjisHalfKanaToJis(text, pos);
        Check(sjis.position == pos + 1 || sjis.position == pos + 2);
        const HalfKanaWidening euc = EucHalfKanaToJis(text, pos);
        Check(euc.position == pos + 2 || (euc.position == pos + 4 && pos + 3 <= size));
    }

    if (size >= 2) {
        const BytePair sjis{data[0], data[1]};
        const bool lead =
            (sjis.first >= 0x81 && sjis.first <= 0x9F) || (sjis.first >= 0xE0 && sjis.first <= 0xEF);
        const bool trail = sjis.second >= 0x40 && sjis.second <= 0xFC && sjis.second != 0x7F;
        if (lead && trail) {
            const BytePair jis = SjisPairToJis(sjis.first, sjis.second);
            Check(JisPairToSjis(jis.first, jis.second) == sjis);
        }
    }
    return 0;
}
