#include "update/IndexStatus.h"

#include <QFileInfo>
#include <QString>
#include <charconv>

#include "config/FileIo.h"

namespace {

std::string FolderFile(const std::string& folder, const char* name) {
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string Age(qint64 seconds) {
    if (seconds < 60) return "たった今";
    if (seconds < 3600) return std::to_string(seconds / 60) + " 分前";
    if (seconds < 86400) return std::to_string(seconds / 3600) + " 時間前";
    return std::to_string(seconds / 86400) + " 日前";
}

}  // namespace

IndexStatus ReadIndexStatus(const std::string& folder) {
    IndexStatus status;
    const std::string path = FolderFile(folder, "NMZ.status");
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) return status;
    status.found = true;
    status.builtAt = QFileInfo(QString::fromStdString(path)).lastModified();
    // Lines of "key value"; "files" is the document count.
    bool argv = false;
    bool cwd = false;
    std::size_t start = 0;
    while (start < text->size()) {
        std::size_t end = text->find('\n', start);
        if (end == std::string::npos) end = text->size();
        const std::string_view line(text->data() + start, end - start);
        if (line.starts_with("files ")) {
            long long count = -1;
            const auto [ptr, error] = std::from_chars(line.data() + 6, line.data() + line.size(), count);
            if (error == std::errc() && count >= 0) status.documents = count;
        }
        argv = argv || line.starts_with("argv ");
        cwd = cwd || line.starts_with("cwd ");
        start = end + 1;
    }
    status.updatable = argv && cwd;
    return status;
}

std::string IndexStatusLine(const std::string& folder, const IndexStatus& status, const QDateTime& now) {
    if (!status.found) return folder + ": インデックスが見つかりません";
    std::string line = folder + ": " + status.builtAt.toString(QStringLiteral("yyyy/MM/dd HH:mm")).toStdString() +
                       " (" + Age(std::max<qint64>(0, status.builtAt.secsTo(now))) + ")";
    if (status.documents >= 0) line += "、文書 " + std::to_string(status.documents) + " 件";
    return line;
}
