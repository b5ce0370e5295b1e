// The watcher and the background update together, headless, with the real mknmz and namazu over
// a temporary tree whose index lies inside the watched folder (so mknmz's own writes are there).
#include "update/IndexWatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>

#include "NamazuFixture.h"
#include "config/Settings.h"
#include "update/BackgroundUpdate.h"
#include "search/SearchNotices.h"

namespace {

using namespace std::chrono_literals;

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Handles events until `done` or `timeout`; true when done.
template <typename Done>
bool WaitFor(Done done, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

void Idle(std::chrono::milliseconds time) {
    WaitFor([] { return false; }, time);
}

class WatchedIndex : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu and mknmz are not installed";
        for (const char* folder : {"/sub/deeper", "/.hidden"}) QDir().mkpath(QString::fromStdString(Docs() + folder));
        Write(Docs() + "/old.txt", "oldonlyword\n");
        index = std::make_unique<NamazuFixture>(Docs(), std::vector<std::string>{}, Docs() + "/index");
        ASSERT_TRUE(index->Built()) << index->BuildLog();
        settings = LoadSettings(m_docs.path().toStdString() + "/none.ini", platform);
        updater = std::make_unique<BackgroundUpdate>(settings, platform);
        updater->SetRetryDelay(200ms);
        watcher.SetDelay(kDelay);
        QObject::connect(&watcher, &IndexWatcher::updateDue, updater.get(),
                         [this](const QByteArray& folder) { updater->Enqueue(folder.toStdString()); });
        QObject::connect(updater.get(), &BackgroundUpdate::finished, updater.get(),
                         [this](const QByteArray&, bool ok, int) { ok ? ++updates : ++failures; });
        watcher.Watch({index->IndexFolder()});
    }
    std::string Docs() const { return m_docs.path().toStdString() + "/docs"; }
    // namazu names the query in every result: what counts is the document's file name.
    bool Finds(const std::string& word, const std::string& file) const {
        return index->Search(word).find(file) != std::string::npos;
    }
    // Waits for update number `n`, then as long again to see that no other follows.
    void ExpectUpdates(int n) {
        EXPECT_TRUE(WaitFor([&] { return updates + failures >= n; }, 120s)) << "no update came";
        Idle(3 * kDelay);
        EXPECT_EQ(updates, n);
        EXPECT_EQ(failures, 0) << Log();
    }
    std::string Log() const {
        std::string text;
        for (const std::string& line : updater->LastLinesUtf8(20)) text += line + "\n";
        return text;
    }

    static constexpr std::chrono::milliseconds kDelay = 700ms;
    QTemporaryDir m_docs;
    PlatformProfile platform = HostPlatformProfile();
    Settings settings;
    std::unique_ptr<NamazuFixture> index;
    std::unique_ptr<BackgroundUpdate> updater;
    IndexWatcher watcher;
    int updates = 0;
    int failures = 0;
};

}  // namespace

TEST_F(WatchedIndex, AnAddedFileIsFoundAndADeletedOneGoneWithNoUserAction) {
    ASSERT_TRUE(watcher.Available());
    // The docs folder and its two visible subfolders; the hidden one and the index are left out.
    EXPECT_EQ(watcher.WatchCount(), 3u);
    EXPECT_FALSE(watcher.Indexes().front().partial);

    Write(Docs() + "/sub/deeper/new.txt", "quokkaword\n");
    ExpectUpdates(1);  // mknmz's writes into the index inside the tree brought no second update
    EXPECT_TRUE(Finds("quokkaword", "new.txt"));

    // A folder made after the watch started is watched too.
    QDir().mkpath(QString::fromStdString(Docs() + "/later"));
    ExpectUpdates(2);
    Write(Docs() + "/later/late.txt", "wombatword\n");
    ExpectUpdates(3);
    EXPECT_TRUE(Finds("wombatword", "late.txt"));

    std::remove((Docs() + "/sub/deeper/new.txt").c_str());
    ExpectUpdates(4);
    EXPECT_FALSE(Finds("quokkaword", "new.txt"));

    // Hidden files and folders, and the index folder itself, never start an update.
    Write(Docs() + "/.hidden/x.txt", "x\n");
    Write(Docs() + "/.swap", "x\n");
    Write(Docs() + "/index/NMZ.extra", "x\n");
    Idle(3 * kDelay);
    EXPECT_EQ(updates, 4);
}

TEST_F(WatchedIndex, ABurstOfWritesGivesOneUpdate) {
    for (int i = 0; i < 200; ++i) Write(Docs() + "/burst" + std::to_string(i % 20) + ".txt", "burstword " + std::to_string(i));
    ExpectUpdates(1);
    EXPECT_TRUE(Finds("burstword", "burst19.txt"));
}

// namazu reads the old index until mknmz puts the new one in place; in that moment it may find
// the index locked. Searches during an update give the old or the new hits or that lock, never
// anything else, and once the update has ended a search finds the new documents.
TEST_F(WatchedIndex, ASearchDuringTheUpdateFindsTheOldOrTheNewIndex) {
    NamazuFixture::GenerateCorpus(Docs() + "/sub", 300);
    // The update waits in an event loop of its own: the searches run from a timer inside it.
    int searches = 0;
    int locked = 0;
    QTimer searching;
    searching.setInterval(30);
    QObject::connect(&searching, &QTimer::timeout, &searching, [&] {
        if (!updater->Running()) return;
        const std::string result = index->Search("oldonlyword");
        ++searches;
        if (NamazuSaysIndexLocked(result)) {
            ++locked;
        } else {
            EXPECT_NE(result.find("old.txt"), std::string::npos) << result;
        }
    });
    searching.start();
    ASSERT_TRUE(WaitFor([&] { return updates + failures > 0; }, 120s));
    searching.stop();
    EXPECT_GT(searches, 0);
    std::printf("searches during the update: %d, of them locked: %d\n", searches, locked);
    ExpectUpdates(1);
    const std::string after = index->Search("docmarker300");
    EXPECT_NE(after.find("doc00300.txt"), std::string::npos) << after;
}

// More folders than the bound: the top two levels only, and the state says so. Changes below
// them are not seen; changes on them are.
TEST(IndexWatcherBound, ATreeBeyondTheLimitIsWatchedOnItsTopLevels) {
    QTemporaryDir dir;
    const std::string docs = dir.path().toStdString() + "/docs";
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 5; ++k)
            QDir().mkpath(QString::fromStdString(docs + "/t" + std::to_string(i) + "/s" + std::to_string(k)));
    }
    const std::string index = dir.path().toStdString() + "/index";
    QDir().mkpath(QString::fromStdString(index));
    Write(index + "/NMZ.status", "files 1\nargv -O\tindex\tdocs\ncwd " + dir.path().toStdString() + "\n");
    struct Row {
        std::size_t limit;
        std::size_t watches;
        bool partial;
        bool deepChangeSeen;
    };
    const Row rows[] = {{100, 25, false, true}, {25, 25, false, true}, {24, 5, true, false}, {3, 3, true, false}};
    for (const Row& row : rows) {
        IndexWatcher watcher;
        watcher.SetWatchLimit(row.limit);
        watcher.SetDelay(50ms);
        int due = 0;
        QObject::connect(&watcher, &IndexWatcher::updateDue, &watcher, [&] { ++due; });
        watcher.Watch({index});
        EXPECT_EQ(watcher.WatchCount(), row.watches) << row.limit;
        EXPECT_EQ(watcher.Indexes().front().partial, row.partial) << row.limit;
        Write(docs + "/t0/s0/deep.txt", "x");
        Idle(300ms);
        EXPECT_EQ(due > 0, row.deepChangeSeen) << row.limit;
        Write(docs + "/top.txt", "x");
        Idle(300ms);
        EXPECT_GT(due, 0) << row.limit;
    }
}
