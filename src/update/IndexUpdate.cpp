#include "update/IndexUpdate.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <algorithm>

#include "update/IndexStatus.h"
#include "config/IniFile.h"
#include "process/CommandLine.h"
#include "process/IndexDirectories.h"
#include "text/CodePage.h"

std::vector<IndexToUpdate> IndexesToUpdate(const std::string& placeText, const PlatformProfile& platform,
                                           const std::vector<std::string>& drives) {
    std::vector<IndexToUpdate> indexes;
    std::vector<QString> seen;
    for (const std::string& entry :
         SplitIndexDirectories(TrimBlanksAndControls(placeText), platform.codePage)) {
        if (entry.empty()) continue;
        IndexToUpdate index{entry, IndexFolderPath(entry, platform, drives)};
        if (index.folder.empty()) {
            index.refusal = UpdateRefusal::NamazurcIndex;
            indexes.push_back(std::move(index));
            continue;
        }
        // The same index named twice (or through a link) is updated once.
        const QFileInfo info(QString::fromStdString(index.folder));
        const QString same = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
        if (std::find(seen.begin(), seen.end(), same) != seen.end()) continue;
        seen.push_back(same);
        const IndexStatus status = ReadIndexStatus(index.folder);
        if (!status.found) {
            index.refusal = UpdateRefusal::NoIndex;
        } else if (!status.updatable) {
            index.refusal = UpdateRefusal::NoBuildRecord;
        } else if (::access(index.folder.c_str(), W_OK) != 0) {
            index.refusal = UpdateRefusal::ReadOnly;
        }
        indexes.push_back(std::move(index));
    }
    return indexes;
}

std::string UpdateEntry(const std::string& folder, CodePage codePage) {
    return "*mknmz --update=" + QuoteArgument(folder, codePage);
}

std::string RefusalLine(const IndexToUpdate& index, CodePage codePage) {
    const char* reason = "";
    switch (index.refusal) {
        case UpdateRefusal::None:
            break;
        case UpdateRefusal::NamazurcIndex:
            reason = "namazurc の IndexDir の下のインデックスは更新できません";
            break;
        case UpdateRefusal::NoIndex:
            reason = "インデックスが見つかりません";
            break;
        case UpdateRefusal::NoBuildRecord:
            reason = "NMZ.status に前回の作成の記録 (argv, cwd) がありません";
            break;
        case UpdateRefusal::ReadOnly:
            reason = "フォルダに書き込みできません";
            break;
    }
    const std::string& shown = index.folder.empty() ? index.entry : index.folder;
    return ProgramToUtf8(codePage, shown) + ": " + reason;
}

bool MarkIndexUpdated(const std::string& folder) {
    const std::string path = folder.empty() || folder.back() == '/' ? folder + "NMZ.status" : folder + "/NMZ.status";
    return ::utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0;
}
