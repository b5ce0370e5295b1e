// Random form states give entries that start with a pseudo-command, never name an empty folder,
// and whose *mknmz command lines give every target folder back as exactly one argument.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "indexer/MakeIndexForm.h"
#include "process/CommandLine.h"

namespace {

class SilentPrompter final : public Prompter {
public:
    MessageResult Message(const QString&, const QString&, MessageIcon, MessageButtons) override {
        return MessageResult::Ok;
    }
    std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    void Beep() override {}
};

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    PlatformProfile platform;
    platform.pathStyle = in.ConsumeBool() ? PathStyle::Windows : PathStyle::Posix;
    platform.codePage = in.ConsumeBool() ? CodePage::Cp932 : CodePage::Utf8;
    const bool shift = in.ConsumeBool();

    MakeIndexForm form = NewMakeIndexForm(platform.codePage);
    form.chkMakeEach = in.ConsumeBool();
    form.chkCreateDirEach = in.ConsumeBool();
    form.chkSerialDirName = in.ConsumeBool();
    form.chkExcludeDir = in.ConsumeBool();
    form.chkOutputDir = in.ConsumeBool();
    form.optTargetDefault = in.ConsumeBool();
    form.optTargetAll = in.ConsumeBool();
    form.optTargetRegex = in.ConsumeBool();
    form.chkTargetFileList = in.ConsumeBool();
    form.chkDenyFile = in.ConsumeBool();
    form.chkMediaType = in.ConsumeBool();
    form.chkReplace = in.ConsumeBool();
    form.chkMknmzrc = in.ConsumeBool();
    for (CriteriaItem& item : form.lstCriteria) item.checked = in.ConsumeBool();
    for (std::string* text : {&form.edtExcludeDirPattern, &form.edtOutputDir, &form.edtTargetFilePattern,
                              &form.edtTargetFileListFileName, &form.edtDenyFilePattern, &form.edtMediaType,
                              &form.edtReplace, &form.edtMknmzrcFileName, &form.edtOtherParameters}) {
        *text = in.ConsumeRandomLengthString(64);
    }
    form.edtTargetDirectories = in.ConsumeRemainingBytesAsString();

    SilentPrompter prompter;
    std::vector<std::string> list{"!kept"};
    const int count = BuildCommandList(form, list, shift, platform, prompter);
    if (count == -1) {
        if (list != std::vector<std::string>{"!kept"}) __builtin_trap();
        return 0;
    }
    if (count != static_cast<int>(list.size())) __builtin_trap();

    const bool update = form.lstCriteria[kCriteriaUpdate].checked;
    const bool listFile = form.chkTargetFileList && !update;
    std::vector<std::string> targets;
    for (const std::string& line : SplitTextLines(form.edtTargetDirectories)) {
        const std::string trimmed = TrimText(line);
        if (!trimmed.empty())
            targets.push_back(RemoveTrailingBackslash(trimmed, platform.pathStyle, platform.codePage));
    }

    std::size_t pass = 0;
    for (std::size_t i = shift ? 1 : 0; i < list.size(); ++i) {
        const std::string& entry = list[i];
        if (StartsWith(entry, "*mkdir \"") || StartsWith(entry, "*delete \"")) {
            if (entry == "*mkdir \"\"" || entry == "*delete \"\", \"NMZ.*\"") __builtin_trap();
            continue;
        }
        if (!StartsWith(entry, "*mknmz")) __builtin_trap();
        // The generated arguments end the entry: --update=D, or --output=O and D (only --output=O
        // with a list file); O is never empty.
        const std::vector<std::string> args = SplitCommandLine(entry, platform.codePage);
        if (args.size() < 2) __builtin_trap();
        if (update) {
            if (pass >= targets.size() || args.back() != "--update=" + targets[pass]) __builtin_trap();
        } else if (listFile) {
            if (!StartsWith(args.back(), "--output=") || args.back() == "--output=") __builtin_trap();
        } else {
            if (pass >= targets.size() || args.back() != targets[pass]) __builtin_trap();
            const std::string& output = args[args.size() - 2];
            if (!StartsWith(output, "--output=") || output == "--output=") __builtin_trap();
        }
        ++pass;
    }
    if (pass != (listFile ? 1 : targets.size())) __builtin_trap();
    return 0;
}
