#include "indexer/CommandList.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "config/FileIo.h"
#include "config/IniFile.h"
#include "indexer/MakeIndexForm.h"
#include "process/CommandLine.h"
#include "process/Paths.h"
#include "process/QtText.h"

namespace {

// A folder of an entry as the run sees it: relative folders are under the run's current folder.
// (Windows-style folders are left as they are: they are only ever composed, not opened, here.)
std::string InRunFolder(const std::string& folder, const CommandListRun& run,
                        const PlatformProfile& platform) {
    if (platform.pathStyle != PathStyle::Posix || folder.empty() || folder.front() == '/' ||
        run.currentDirectory.empty()) {
        return folder;
    }
    return AddTrailingBackslash(run.currentDirectory, platform.pathStyle, platform.codePage) + folder;
}

bool EnclosedInQuotes(std::string_view text) {
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b, CodePage codePage) {
    return ToQString(codePage, a).compare(ToQString(codePage, b), Qt::CaseInsensitive) == 0;
}

// Characters of a path that Perl's glob does not take literally.
bool GlobUnsafe(std::string_view path) {
    return path.find_first_of(" \t*?[]{}~") != std::string_view::npos;
}

// mknmz's options that name the index folder: -O/--output-dir and -4/--update, long names
// abbreviated as far as they stay unique (Getopt::Long).
bool NamesIndexFolder(std::string_view option) {
    if (option == "-O" || option == "-4") return true;
    if (option.substr(0, 2) != "--") return false;
    option.remove_prefix(2);
    const auto abbreviates = [&](std::string_view full, std::size_t least) {
        return option.size() >= least && full.substr(0, option.size()) == option;
    };
    return abbreviates("output-dir", 1) || abbreviates("update", 2);
}

// A link without blanks to `folder`, named after it, in the private temporary folder; empty when
// none can be made.
std::string MakeOutputLink(const std::string& folder, const PlatformProfile& platform) {
    if (platform.tempFolder.empty() || GlobUnsafe(platform.tempFolder)) return {};
    char name[32];
    std::snprintf(name, sizeof name, "mknmz-output-%016zx", std::hash<std::string>{}(folder));
    const std::string link = platform.tempFolder + name;
    ::unlink(link.c_str());
    return ::symlink(folder.c_str(), link.c_str()) == 0 ? link : std::string();
}

std::string CommandArgument(const std::string& argument, CodePage codePage) {
    return argument.empty() || argument.find_first_of(" \t\"") != std::string::npos
               ? QuoteArgument(argument, codePage)
               : argument;
}

// Where in mknmz's arguments its index folder is named: the argument, and where the folder
// starts in it.
struct FolderArgument {
    std::size_t index = 0;
    std::size_t offset = 0;
};

std::optional<FolderArgument> FindIndexFolder(const std::vector<std::string>& argv) {
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::size_t equals = argv[i].find('=');
        if (equals != std::string::npos && NamesIndexFolder(std::string_view(argv[i]).substr(0, equals))) {
            return FolderArgument{i, equals + 1};
        }
        if (NamesIndexFolder(argv[i]) && i + 1 < argv.size()) return FolderArgument{i + 1, 0};
    }
    return std::nullopt;
}

// The arguments of a *mknmz entry with a glob-unsafe index folder replaced by a link; nothing
// when there is none.
std::optional<std::string> ArgumentsWithOutputLink(std::vector<std::string> argv, const CommandListRun& run,
                                                   const PlatformProfile& platform, std::string& link) {
    const std::optional<FolderArgument> found = FindIndexFolder(argv);
    if (platform.pathStyle != PathStyle::Posix || !found) return std::nullopt;
    std::string& argument = argv[found->index];
    if (!GlobUnsafe(std::string_view(argument).substr(found->offset))) return std::nullopt;
    link = MakeOutputLink(InRunFolder(argument.substr(found->offset), run, platform), platform);
    if (link.empty()) return std::nullopt;
    argument.replace(found->offset, std::string::npos, link);
    std::string joined;
    for (const std::string& each : argv) joined += (joined.empty() ? "" : " ") + CommandArgument(each, platform.codePage);
    return joined;
}

}  // namespace

void EnterMknmzFolder(CommandListRun& run, const Settings& settings, const PlatformProfile& platform) {
    const std::string folder = FolderOf(settings.Command.mknmzPath, platform.pathStyle);
    const std::string path = InRunFolder(folder, run, platform);
    if (path.empty() || !DirectoryExists(path)) return;
    char resolved[PATH_MAX];
    run.currentDirectory = ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

namespace {

ParsedEntry Skipped(const char* reason) {
    ParsedEntry parsed;
    parsed.skipReason = reason;
    return parsed;
}

}  // namespace

ParsedEntry ParseEntry(std::string_view entry) {
    ParsedEntry parsed;
    if (TrimText(entry).empty()) return Skipped("空の行です");
    if (entry.front() == '!') {
        parsed.kind = EntryKind::Raw;
        parsed.arguments = std::string(entry.substr(1));
        return parsed;
    }
    if (entry.front() != '*') return Skipped("先頭が * でも ! でもない行です");

    const std::size_t blank = entry.find(' ');
    const std::string_view name =
        entry.substr(1, blank == std::string_view::npos ? std::string_view::npos : blank - 1);
    const std::string arguments =
        blank == std::string_view::npos ? std::string() : TrimText(entry.substr(blank + 1));
    const bool known = name == "mknmz" || name == "mkdir" || name == "delete" || name == "chdir";
    if (!known) return Skipped("* の後は mknmz, mkdir, delete, chdir のどれかです");
    if (arguments.empty()) return Skipped("コマンドの後に引数がありません");

    if (name == "mknmz") {
        parsed.kind = EntryKind::Mknmz;
        parsed.arguments = arguments;
    } else if (name == "mkdir") {
        parsed.kind = EntryKind::Mkdir;
        parsed.directory = StripQuotes(arguments);
    } else if (name == "delete") {
        // The separator's first quote closes the folder, so it cannot be the opening quote.
        std::size_t sep = arguments.find("\", \"", 1);
        std::size_t sepLength = 4;
        if (sep == std::string::npos) {
            sep = arguments.find("\",\"", 1);
            sepLength = 3;
        }
        if (!EnclosedInQuotes(arguments) || sep == std::string::npos) {
            return Skipped("*delete \"フォルダ\", \"マスク\" の形ではありません");
        }
        parsed.kind = EntryKind::Delete;
        parsed.directory = arguments.substr(1, sep - 1);
        const std::size_t maskStart = sep + sepLength;
        parsed.mask = maskStart < arguments.size()
                          ? arguments.substr(maskStart, arguments.size() - 1 - maskStart)
                          : std::string();
    } else if (name == "chdir") {
        if (!EnclosedInQuotes(arguments) || arguments.size() < 3) {
            return Skipped("*chdir \"フォルダ\" の形ではありません");
        }
        parsed.kind = EntryKind::Chdir;
        parsed.directory = arguments.substr(1, arguments.size() - 2);
    }
    return parsed;
}

PreparedEntry PrepareEntry(std::string_view entry, CommandListRun& run, const Settings& settings,
                           const PlatformProfile& platform) {
    PreparedEntry prepared;
    prepared.workDir = run.currentDirectory;
    const ParsedEntry parsed = ParseEntry(entry);
    prepared.skipReason = parsed.skipReason;
    switch (parsed.kind) {
        case EntryKind::Mknmz: {
            const std::vector<std::string> argv = SplitCommandLine(parsed.arguments, platform.codePage);
            const std::optional<FolderArgument> folder = FindIndexFolder(argv);
            prepared.indexFolder =
                folder ? InRunFolder(argv[folder->index].substr(folder->offset), run, platform)
                       : run.currentDirectory;
            const std::optional<std::string> linked =
                ArgumentsWithOutputLink(argv, run, platform, prepared.outputLink);
            prepared.commandLine = QuoteArgument(settings.Command.PerlPath, platform.codePage) + " " +
                                   QuoteArgument(settings.Command.mknmzPath, platform.codePage) + " " +
                                   linked.value_or(parsed.arguments);
            prepared.namazuEnvironment = true;
            break;
        }
        case EntryKind::Raw:
            prepared.commandLine = TrimText(parsed.arguments).empty() ? std::string() : parsed.arguments;
            if (prepared.commandLine.empty()) prepared.skipReason = "! の後にコマンドがありません";
            break;
        case EntryKind::Mkdir:
            if (!parsed.directory.empty()) {
                const std::string path = InRunFolder(parsed.directory, run, platform);
                if (!DirectoryExists(path)) MakeDirectories(path);
            } else {
                prepared.skipReason = "フォルダが空です";
            }
            break;
        case EntryKind::Delete:
            // An empty folder would be the current one.
            if (!parsed.directory.empty()) {
                DeleteMatchingFiles(InRunFolder(parsed.directory, run, platform), parsed.mask,
                                    platform.codePage);
            } else {
                prepared.skipReason = "フォルダが空です";
            }
            break;
        case EntryKind::Chdir: {
            const std::string path = InRunFolder(parsed.directory, run, platform);
            char resolved[PATH_MAX];
            if (DirectoryExists(path) && ::realpath(path.c_str(), resolved)) run.currentDirectory = resolved;
            break;
        }
        case EntryKind::None:
            break;
    }
    return prepared;
}

std::vector<std::string> EntriesToRun(RunSource source, std::string_view commandLineText,
                                      const std::vector<std::string>& list) {
    if (source == RunSource::List) return list;
    const std::string trimmed = TrimText(commandLineText);
    if (trimmed.empty()) return {};
    return {SplitTextLines(trimmed).front()};
}

RunMode CommandListRunMode(const Settings& settings) {
    return EqualsNoCase(settings.Mknmz.ShowProcess, "DOSWindow") ? RunMode::Shown : RunMode::Capture;
}

std::string ProgressText(std::size_t i, std::size_t n) {
    return std::to_string(i) + " / " + std::to_string(n);
}

CommandListEnabling ListButtonsEnabling(const CommandListState& list) {
    CommandListEnabling enabling;
    const bool any = !list.entries.empty();
    const bool selected = any && list.selected >= 0 && list.selected < static_cast<int>(list.entries.size());
    enabling.btnCmdlineClear = any;
    enabling.btnCmdlineModify = enabling.btnCmdlineUp = enabling.btnCmdlineDown = enabling.btnCmdlineDelete =
        selected;
    return enabling;
}

namespace {

bool HasSelection(const CommandListState& list) {
    return list.selected >= 0 && list.selected < static_cast<int>(list.entries.size());
}

// An entry is one line: of a pasted text only the first line counts, as a run takes it.
std::string EntryText(std::string_view editText) {
    const std::string trimmed = TrimText(editText);
    return trimmed.empty() ? trimmed : TrimText(SplitTextLines(trimmed).front());
}

}  // namespace

bool AddCommandLine(CommandListState& list, std::string_view editText, CodePage codePage,
                    Prompter& prompter) {
    std::string text = EntryText(editText);
    if (text.empty()) return false;
    // Options alone would be skipped by the run: offer the entry that runs them.
    if (text.front() == '-') {
        const std::string mknmz = "*mknmz " + text;
        switch (prompter.Message(QStringLiteral("先頭が * でも ! でもないコマンドは実行されません。\n「") +
                                     ToQString(codePage, mknmz) + QStringLiteral("」として追加しますか？"),
                                 QStringLiteral("確認"), MessageIcon::Question, MessageButtons::YesNoCancel)) {
            case MessageResult::Yes:
                text = mknmz;
                break;
            case MessageResult::No:
                break;
            default:
                return false;
        }
    }
    for (const std::string& entry : list.entries) {
        if (!SameTextIgnoringCase(entry, text, codePage)) continue;
        if (!prompter.Ask(QStringLiteral("同じコマンドラインが存在します。\n追加してもよろしいですか？"),
                          QStringLiteral("確認"))) {
            return false;
        }
        break;
    }
    list.entries.push_back(std::move(text));
    return true;
}

bool ModifyCommandLine(CommandListState& list, std::string_view editText) {
    std::string text = EntryText(editText);
    if (text.empty() || !HasSelection(list)) return false;
    list.entries[static_cast<std::size_t>(list.selected)] = std::move(text);
    return true;
}

bool DeleteCommandLine(CommandListState& list) {
    if (!HasSelection(list)) return false;
    list.entries.erase(list.entries.begin() + list.selected);
    const int count = static_cast<int>(list.entries.size());
    if (list.selected >= count) list.selected = count - 1;
    return true;
}

bool MoveCommandLineUp(CommandListState& list) {
    if (!HasSelection(list) || list.selected == 0) return false;
    std::swap(list.entries[static_cast<std::size_t>(list.selected)],
              list.entries[static_cast<std::size_t>(list.selected - 1)]);
    --list.selected;
    return true;
}

bool MoveCommandLineDown(CommandListState& list) {
    if (!HasSelection(list) || list.selected + 1 >= static_cast<int>(list.entries.size())) return false;
    std::swap(list.entries[static_cast<std::size_t>(list.selected)],
              list.entries[static_cast<std::size_t>(list.selected + 1)]);
    ++list.selected;
    return true;
}

bool ClearCommandLines(CommandListState& list, Prompter& prompter) {
    if (prompter.Message(QStringLiteral("予約されているコマンドをすべて削除します。\nよろしいですか？"),
                         QStringLiteral("確認"), MessageIcon::Question,
                         MessageButtons::YesNoDefaultNo) != MessageResult::Yes) {
        return false;
    }
    list.entries.clear();
    list.selected = -1;
    return true;
}

std::optional<std::string> EntryToEdit(const CommandListState& list) {
    if (!HasSelection(list)) return std::nullopt;
    return list.entries[static_cast<std::size_t>(list.selected)];
}

void TrimCommandLines(CommandListState& list) {
    std::vector<std::string> kept;
    for (const std::string& entry : list.entries) {
        std::string trimmed = TrimText(entry);
        if (!trimmed.empty()) kept.push_back(std::move(trimmed));
    }
    list.entries = std::move(kept);
    if (list.selected >= static_cast<int>(list.entries.size())) list.selected = -1;
}
