#include "indexer/DefaultOptions.h"

#include <charconv>
#include <set>

#include "config/FileIo.h"
#include "config/IniFile.h"
#include "config/Settings.h"

namespace {

constexpr const char* kSection = "MknmzDefault";

const char* Flag(bool checked) {
    return checked ? "1" : "0";
}

// The option an item stores: the text between its first " (" and its last character.
std::string StoredOption(std::string_view itemText) {
    const std::size_t open = itemText.find(" (");
    if (open == std::string_view::npos) return {};
    const std::size_t begin = open + 2;
    const std::size_t end = itemText.size() - 1;
    return std::string(itemText.substr(begin, end > begin ? end - begin : 0));
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// k of a key "Option<k>" (letters in any case, k written without leading zeros), or 0.
int OptionKeyNumber(std::string_view key) {
    constexpr std::string_view prefix = "Option";
    if (key.size() <= prefix.size() || !EqualsNoCase(key.substr(0, prefix.size()), prefix)) return 0;
    const std::string_view digits = key.substr(prefix.size());
    if (digits.front() == '0') return 0;
    int k = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), k);
    if (ec != std::errc() || ptr != digits.data() + digits.size()) return 0;
    return k;
}

// Loads the settings file for a change; false when writing it would lose what it holds.
bool LoadForWriting(const std::string& iniPath, CodePage codePage, IniFile& ini) {
    if (!FileExists(iniPath)) return true;  // a new file, as the profile functions make one
    if (IsReadOnlyFile(iniPath)) return false;
    return ini.Load(iniPath, codePage);
}

}  // namespace

void SaveDefaultOptions(const std::string& iniPath, int group, const MakeIndexForm& form, CodePage codePage) {
    if (group != 2 && group != 3) return;
    IniFile ini;
    if (!LoadForWriting(iniPath, codePage, ini)) return;
    auto set = [&](const char* key, std::string_view value) { ini.SetValue(kSection, key, value); };

    if (group == 2) {
        const char* target = form.optTargetDefault ? "Default"
                             : form.optTargetAll   ? "All"
                             : form.optTargetRegex ? "RegEx"
                                                   : "";
        set("TargetFile", target);
        set("RegEx", TrimText(form.edtTargetFilePattern));
        set("UseListFile", Flag(form.chkTargetFileList));
        set("ListFileName", TrimText(form.edtTargetFileListFileName));
        set("UseDenyFile", Flag(form.chkDenyFile));
        set("DenyFilePattern", TrimText(form.edtDenyFilePattern));
    } else {
        std::vector<std::string> options;
        for (std::size_t i = 2; i < kCriteriaCount; ++i) {
            if (form.lstCriteria[i].checked) options.push_back(StoredOption(form.lstCriteria[i].text));
        }
        set("DeleteBeforeMakeIndex", Flag(form.lstCriteria[kCriteriaDelete].checked));
        set("UpdateIndex", Flag(form.lstCriteria[kCriteriaUpdate].checked));
        // Keys in the order of the stored table; the file is written whole, so the count may
        // come first. Option keys beyond the count stay and are ignored.
        set("OptionCount", std::to_string(options.size()));
        for (std::size_t k = 1; k <= options.size(); ++k) {
            set(("Option" + std::to_string(k)).c_str(), options[k - 1]);
        }
        set("UseMediaType", Flag(form.chkMediaType));
        set("MediaType", TrimText(form.edtMediaType));
        set("UseReplace", Flag(form.chkReplace));
        set("Replace", TrimText(form.edtReplace));
        set("UseMknmzrc", Flag(form.chkMknmzrc));
        set("MknmzrcFileName", form.edtMknmzrcFileName);
        set("OtherOptions", TrimText(form.edtOtherParameters));
    }
    WriteFileAtomically(iniPath, ini.ToText());
}

void LoadDefaultOptions(const std::string& iniPath, MakeIndexForm& form, CodePage codePage) {
    IniFile ini;
    ini.Load(iniPath, codePage);  // a missing file reads as all defaults
    auto read = [&](const char* key, const char* absent) { return ini.ReadString(kSection, key, absent); };
    auto flag = [&](const char* key) { return read(key, "0") == "1"; };

    const std::string target = read("TargetFile", "");
    form.optTargetAll = EqualsNoCase(target, "All");
    form.optTargetRegex = EqualsNoCase(target, "RegEx");
    form.optTargetDefault = !form.optTargetAll && !form.optTargetRegex;
    form.edtTargetFilePattern = TrimText(read("RegEx", ""));
    form.chkTargetFileList = flag("UseListFile");
    form.edtTargetFileListFileName = read("ListFileName", "");
    form.chkDenyFile = flag("UseDenyFile");
    form.edtDenyFilePattern = read("DenyFilePattern", "");

    form.lstCriteria[kCriteriaDelete].checked = flag("DeleteBeforeMakeIndex");
    form.lstCriteria[kCriteriaUpdate].checked = flag("UpdateIndex");
    // Only the Option keys that exist are looked at, so a huge count costs nothing.
    const int count = ParseCount(read("OptionCount", "0"), 0);
    std::set<int> seen;  // the first of two keys with one name counts, as a lookup finds it
    for (const auto& [key, value] : ini.SectionValues(kSection)) {
        const int k = OptionKeyNumber(key);
        if (k < 1 || k > count || !seen.insert(k).second) continue;
        const std::string option = TrimText(value);
        if (option.empty()) continue;
        for (std::size_t i = 2; i < kCriteriaCount; ++i) {
            if (EndsWith(form.lstCriteria[i].text, "(" + option + ")")) form.lstCriteria[i].checked = true;
        }
    }

    form.chkMediaType = flag("UseMediaType");
    form.edtMediaType = TrimText(read("MediaType", ""));
    form.chkReplace = flag("UseReplace");
    form.edtReplace = TrimText(read("Replace", ""));
    form.chkMknmzrc = flag("UseMknmzrc");
    form.edtMknmzrcFileName = TrimText(read("MknmzrcFileName", ""));
    form.edtOtherParameters = TrimText(read("OtherOptions", ""));
}

bool SaveDefaultsOfPage(int pageNumber, const std::string& iniPath, const MakeIndexForm& form,
                        CodePage codePage, Prompter& prompter) {
    if (prompter.Message(QStringLiteral("現在のページの状態を既定値として保存します。"),
                         QStringLiteral("Quarrow for Namazu"), MessageIcon::Information,
                         MessageButtons::OkCancel) != MessageResult::Ok) {
        return false;
    }
    if (pageNumber != 2 && pageNumber != 3) return false;
    SaveDefaultOptions(iniPath, pageNumber, form, codePage);
    return true;
}
