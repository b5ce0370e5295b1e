#pragma once

#include <QDateTime>
#include <string>

// How old an index is and how many documents it holds, from the index's own files: NMZ.status,
// which mknmz writes last when it builds or updates an index (its "files" line counts the
// documents the index holds now) and which searching never touches. Nothing is read of the
// indexed folders: looking for changed documents there would take far too long.
struct IndexStatus {
    bool found = false;        // the folder holds an NMZ.status
    long long documents = -1;  // its "files" line; -1 when it has none
    QDateTime builtAt;         // its modification time: the end of the last build or update
    bool updatable = false;    // it has the "argv" and "cwd" lines that mknmz --update starts from
};

IndexStatus ReadIndexStatus(const std::string& folder);

// One line for the search place's tooltip (UTF-8), `folder` as shown:
// "/idx: 2024/04/01 21:00 (3 日前)、文書 150 件"; "/idx: インデックスが見つかりません".
std::string IndexStatusLine(const std::string& folder, const IndexStatus& status, const QDateTime& now);
