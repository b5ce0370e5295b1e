#include "update/IndexStatus.h"

#include <gtest/gtest.h>

#include <QDir>

#include "NamazuFixture.h"
#include "TestSupport.h"

TEST(IndexStatus, ReadsAnIndexThatMknmzBuiltAndUpdated) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    TempProgramDir dir;
    const std::string docs = dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, 12);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    const IndexStatus status = ReadIndexStatus(index.IndexFolder());
    EXPECT_TRUE(status.found);
    EXPECT_EQ(status.documents, 12);
    EXPECT_GE(status.builtAt, before);
    EXPECT_LE(status.builtAt, QDateTime::currentDateTime());
    // A search leaves it as it was: namazu writes only its search log.
    index.Search("corpusword");
    EXPECT_EQ(ReadIndexStatus(index.IndexFolder()).builtAt, status.builtAt);

    EXPECT_FALSE(ReadIndexStatus(docs).found);
    EXPECT_FALSE(ReadIndexStatus(dir.Path("nowhere")).found);
}

TEST(IndexStatus, LineTellsTheAgeAndTheCount) {
    const QDateTime built(QDate(2024, 4, 1), QTime(21, 5));
    struct Row {
        IndexStatus status;
        qint64 secondsLater;
        const char* line;
    };
    const Row rows[] = {
        {{true, 150, built}, 30, "/idx: 2024/04/01 21:05 (たった今)、文書 150 件"},
        {{true, 150, built}, 59 * 60, "/idx: 2024/04/01 21:05 (59 分前)、文書 150 件"},
        {{true, 0, built}, 5 * 3600 + 10, "/idx: 2024/04/01 21:05 (5 時間前)、文書 0 件"},
        {{true, -1, built}, 3 * 86400, "/idx: 2024/04/01 21:05 (3 日前)"},
        // A clock set back says "just now" rather than a negative age.
        {{true, 2, built}, -600, "/idx: 2024/04/01 21:05 (たった今)、文書 2 件"},
        {{false, -1, {}}, 0, "/idx: インデックスが見つかりません"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IndexStatusLine("/idx", row.status, built.addSecs(row.secondsLater)), row.line) << row.line;
    }
    // A status file with no count, or a garbled one.
    TempProgramDir dir;
    for (const char* text : {"keys 13\n", "files many\n", "files -3\n", ""}) {
        dir.WriteFile("NMZ.status", text);
        const IndexStatus status = ReadIndexStatus(dir.Folder());
        EXPECT_TRUE(status.found) << text;
        EXPECT_EQ(status.documents, -1) << text;
    }
}
