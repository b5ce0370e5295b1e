#include "indexer/MakeIndexForm.h"

#include <sys/stat.h>

#include "config/FileIo.h"
#include "process/CommandLine.h"
#include "process/Paths.h"

const std::array<const char*, kCriteriaCount> kCriteriaItemTexts = {
    "既存のインデックスを削除して作り直す",
    "前回作成時と同じオプションを使用する (--update=)",
    "平仮名のみの単語は登録しない (--no-hiragana)",
    "記号をすべて削除する (--no-symbol)",
    "メール／ニュースの文書として扱う (--mailnews)",
    "HTMLファイルを分割処理する (--html-split)",
    "ファイル名のエンコードを行わない (--no-encode-uri)",
    "削除されたファイルを検出しない (--no-delete)",
    "ファイルの更新・削除を検出しない (--no-update)",
    "HTMLの metaタグをフィールド指定検索に用いる (--meta)",
    "ロボット避けされているファイルは除外する (--robots)",
    "インデックス処理の最中にメッセージを表示しない (--quiet)",
};

namespace {

const QString kError = QStringLiteral("エラー");

// 1-based positions of the characters of `text`, stepping over multi-byte characters.
std::vector<std::size_t> CharStarts(std::string_view text, CodePage codePage) {
    std::vector<std::size_t> starts;
    for (std::size_t pos = 1; pos <= text.size(); pos += CharLength(codePage, text, pos)) {
        starts.push_back(pos);
    }
    return starts;
}

bool IsSeparatorAt(std::string_view text, std::size_t pos, PathStyle style, CodePage codePage) {
    return CharLength(codePage, text, pos) == 1 && text[pos - 1] == PathSeparator(style);
}

bool IsRoot(std::string_view path, PathStyle style) {
    if (style == PathStyle::Posix) return path == "/";
    return path == "\\" || (path.size() == 3 && path[1] == ':' && path[2] == '\\');
}

// The last element of a folder path, without separators: "C:\docs\manual" -> "manual",
// "C:\docs" -> "docs", "C:docs" -> "docs"; a root has none.
std::string LastPathElement(std::string_view path, PathStyle style, CodePage codePage) {
    std::size_t cut = 0;  // characters up to and including the last separator
    for (const std::size_t pos : CharStarts(path, codePage)) {
        if (IsSeparatorAt(path, pos, style, codePage) ||
            (style == PathStyle::Windows && CharLength(codePage, path, pos) == 1 && path[pos - 1] == ':')) {
            cut = pos;
        }
    }
    return std::string(path.substr(cut));
}

// `folder` and a name below it, with one separator between them.
std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style, CodePage codePage) {
    return AddTrailingBackslash(folder, style, codePage) + std::string(name);
}

// An unclosed double quote in the further options would swallow --output and the target folder
// into one argument; the entry closes it. Walks the text by SplitCommandLine's rules.
std::string CloseOpenQuote(const std::string& options, CodePage codePage) {
    bool inQuotes = false;
    std::size_t trailingBackslashes = 0;
    for (std::size_t i = 0; i < options.size();) {
        if (const std::size_t length = CommandLineCharLength(codePage, options, i + 1); length > 1) {
            trailingBackslashes = 0;
            i += length;
            continue;
        }
        if (options[i] == '\\') {
            std::size_t slashes = 0;
            while (i < options.size() && options[i] == '\\') ++slashes, ++i;
            trailingBackslashes = slashes;
            if (i < options.size() && options[i] == '"' && slashes % 2 == 1) {
                ++i;  // a literal quote
                trailingBackslashes = 0;
            }
            continue;
        }
        trailingBackslashes = 0;
        if (options[i] == '"') {
            if (inQuotes && i + 1 < options.size() && options[i + 1] == '"') {
                i += 2;  // a literal quote inside quotes
                continue;
            }
            inQuotes = !inQuotes;
        }
        ++i;
    }
    if (!inQuotes) return options;
    // Backslashes before the closing quote would escape it.
    return options + std::string(trailingBackslashes, '\\') + "\"";
}

void AppendQuoted(std::string& entry, std::string_view option, std::string_view text, CodePage codePage) {
    entry += ' ';
    entry += option;
    entry += QuoteArgument(text, codePage);
}

// *mkdir and *delete are read by the command list itself, which takes the folder between the
// quotes as it stands.
std::string MkdirEntry(std::string_view folder) {
    return "*mkdir \"" + std::string(folder) + "\"";
}

std::string DeleteEntry(std::string_view folder) {
    return "*delete \"" + std::string(folder) + "\", \"NMZ.*\"";
}

// Everything of the entry before the per-pass part: the options of the form.
std::string CommonPart(const MakeIndexForm& form, CodePage codePage) {
    std::string common = "*mknmz";
    if (!form.lstCriteria[kCriteriaUpdate].checked) {
        if (form.optTargetAll) {
            common += " --all";
        } else if (form.optTargetRegex) {
            AppendQuoted(common, "--allow=", form.edtTargetFilePattern, codePage);
        }
        if (form.chkTargetFileList) AppendQuoted(common, "--target-list=", form.edtTargetFileListFileName, codePage);
        if (form.chkExcludeDir) AppendQuoted(common, "--exclude=", form.edtExcludeDirPattern, codePage);
        if (form.chkDenyFile) AppendQuoted(common, "--deny=", form.edtDenyFilePattern, codePage);
        if (form.chkMediaType) AppendQuoted(common, "--media-type=", form.edtMediaType, codePage);
        if (form.chkReplace) AppendQuoted(common, "--replace=", form.edtReplace, codePage);
        if (form.chkMknmzrc) AppendQuoted(common, "--config=", form.edtMknmzrcFileName, codePage);
        for (std::size_t i = 2; i < kCriteriaCount; ++i) {
            if (!form.lstCriteria[i].checked) continue;
            const std::string option = CriteriaOption(form.lstCriteria[i].text);
            if (!option.empty()) common += " " + option;
        }
    }
    const std::string other = TrimText(form.edtOtherParameters);
    if (!other.empty()) common += " " + CloseOpenQuote(other, codePage);
    return common;
}

}  // namespace

std::string TrimText(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return std::string(text.substr(begin, end - begin));
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0777);
    }
    ::mkdir(path.c_str(), 0777);
    return DirectoryExists(path);
}

std::vector<std::string> SplitTextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        lines.emplace_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}

MakeIndexForm NewMakeIndexForm(CodePage codePage) {
    MakeIndexForm form;
    for (std::size_t i = 0; i < kCriteriaCount; ++i) {
        form.lstCriteria[i].text = Utf8ToProgram(codePage, kCriteriaItemTexts[i]);
    }
    return form;
}

std::string CriteriaOption(std::string_view itemText) {
    const std::size_t open = itemText.find("(-");
    if (open == std::string_view::npos) return {};
    // From after "(" to before the last character (the closing parenthesis).
    const std::size_t begin = open + 1;
    const std::size_t end = itemText.size() - 1;
    return std::string(itemText.substr(begin, end > begin ? end - begin : 0));
}

std::string RemoveTrailingBackslash(std::string_view path, PathStyle style, CodePage codePage) {
    if (path.empty() || IsRoot(path, style)) return std::string(path);
    const std::vector<std::size_t> starts = CharStarts(path, codePage);
    const std::size_t last = starts.back();
    if (IsSeparatorAt(path, last, style, codePage)) return std::string(path.substr(0, last - 1));
    return std::string(path);
}

bool CheckOptions(const MakeIndexForm& form, const PlatformProfile&, Prompter& prompter) {
    if (form.lstCriteria[kCriteriaUpdate].checked) return false;

    if (form.chkTargetFileList) {
        if (!FileExists(form.edtTargetFileListFileName)) {
            prompter.Tell(QStringLiteral("ファイルリストに指定されたファイルが存在しません。"), kError,
                          MessageIcon::Warning);
            return true;
        }
        if (!form.chkOutputDir) {
            prompter.Tell(QStringLiteral("ファイルリストを指定するときは出力先を指定してください。"), kError,
                          MessageIcon::Warning);
            return true;
        }
    }

    const std::string outputDir = TrimText(form.edtOutputDir);
    if (form.chkOutputDir) {
        if (outputDir.empty()) {
            prompter.Tell(QStringLiteral("出力先のディレクトリを入力してください。"), kError,
                          MessageIcon::Warning);
            return true;
        }
        if (!DirectoryExists(outputDir)) {
            if (!prompter.Ask(QStringLiteral("出力先のディレクトリは存在しません。作成しますか?"),
                              QStringLiteral("確認"))) {
                return true;
            }
            if (!MakeDirectories(outputDir)) {
                prompter.Tell(QStringLiteral("ディレクトリの作成に失敗しました。"), kError,
                              MessageIcon::Error);
                return true;
            }
        }
    }

    // Per-folder index folders need the output folder also for a single target, or they would
    // be made at the root.
    if (form.chkMakeEach && form.chkCreateDirEach && !form.chkTargetFileList &&
        (!form.chkOutputDir || !DirectoryExists(outputDir))) {
        prompter.Tell(
            QStringLiteral("「出力先にディレクトリ作成」をチェックしたときは出力先を指定してください。"),
            kError, MessageIcon::Error);
        return true;
    }

    if (SplitTextLines(form.edtTargetDirectories).size() < 2) return false;

    if (!form.chkMakeEach && !form.chkOutputDir) {
        prompter.Tell(QStringLiteral("複数ディレクトリを対象とするときは出力先のディレクトリを指定するか\n"
                                     "「ディレクトリ毎に作成」をチェックしてください。"),
                      kError, MessageIcon::Error);
        return true;
    }
    return false;
}

int BuildCommandList(const MakeIndexForm& form, std::vector<std::string>& commandList, bool shiftHeld,
                     const PlatformProfile& platform, Prompter& prompter) {
    const PathStyle style = platform.pathStyle;
    const CodePage codePage = platform.codePage;
    const bool update = form.lstCriteria[kCriteriaUpdate].checked;
    const bool deleteFirst = form.lstCriteria[kCriteriaDelete].checked;
    // With a list file there are no target folders: the index goes into the output folder and
    // the per-folder options do not apply. In the update form the typed folders are the indexes.
    const bool listFile = form.chkTargetFileList && !update;

    std::vector<std::string> targets;
    for (const std::string& line : SplitTextLines(form.edtTargetDirectories)) {
        std::string trimmed = TrimText(line);
        // mknmz would read a folder "-name" as an option (a folder "-r..." as Perl to run).
        if (!trimmed.empty() && trimmed.front() == '-') trimmed = "." + std::string(1, PathSeparator(style)) + trimmed;
        if (!trimmed.empty()) targets.push_back(std::move(trimmed));
    }
    if (!listFile && targets.empty()) {
        prompter.Tell(QStringLiteral("対象ディレクトリを指定してください。"), kError, MessageIcon::Error);
        return -1;
    }

    const std::string outputBase = form.chkOutputDir
                                       ? RemoveTrailingBackslash(TrimText(form.edtOutputDir), style, codePage)
                                       : std::string();
    // Entries never name an empty folder the user did not give: refuse rather than index into
    // the root or the current folder.
    if (!update && outputBase.empty()) {
        if (listFile) {
            prompter.Tell(QStringLiteral("ファイルリストを指定するときは出力先を指定してください。"), kError,
                          MessageIcon::Warning);
            return -1;
        }
        if (form.chkMakeEach && form.chkCreateDirEach) {
            prompter.Tell(
                QStringLiteral("「出力先にディレクトリ作成」をチェックしたときは出力先を指定してください。"),
                kError, MessageIcon::Error);
            return -1;
        }
    }

    const std::string common = CommonPart(form, codePage);
    std::vector<std::string> entries;
    const std::size_t passes = listFile ? 1 : targets.size();
    for (std::size_t n = 1; n <= passes; ++n) {
        const std::string dir =
            listFile ? std::string() : RemoveTrailingBackslash(targets[n - 1], style, codePage);
        std::string perPass;
        if (update) {
            perPass = " --update=" + QuoteArgument(dir, codePage);
        } else {
            std::string out;
            if (form.chkMakeEach && !listFile) {
                if (form.chkCreateDirEach) {
                    const std::string name = form.chkSerialDirName ? "index" + std::to_string(n)
                                                                   : LastPathElement(dir, style, codePage);
                    out = name.empty() ? outputBase : JoinPath(outputBase, name, style, codePage);
                    entries.push_back(MkdirEntry(out));
                } else {
                    out = dir;
                }
                if (deleteFirst) entries.push_back(DeleteEntry(out));
            } else {
                out = !outputBase.empty() ? outputBase
                                          : RemoveTrailingBackslash(targets.front(), style, codePage);
                if (n == 1) {
                    if (deleteFirst) entries.push_back(DeleteEntry(out));
                } else {
                    // All passes write one index; later ones must not drop the earlier documents.
                    perPass = " --no-delete";
                }
            }
            perPass += " --output=" + QuoteArgument(out, codePage);
            if (!listFile) perPass += " " + QuoteArgument(dir, codePage);
        }
        entries.push_back(common + perPass);
    }

    if (!shiftHeld) commandList.clear();
    commandList.insert(commandList.end(), entries.begin(), entries.end());
    return static_cast<int>(commandList.size());
}
