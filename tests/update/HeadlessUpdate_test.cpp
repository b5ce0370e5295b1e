// `quarrow --update` as cron or a systemd timer starts it: the built program, no display, the
// real mknmz over indexes built in temporary folders.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <fstream>

#include "NamazuFixture.h"
#include "update/IndexLock.h"

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

Outcome Quarrow(const QStringList& args, int waitMs = 300000) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TEST_BINARY_DIR "/quarrow"), args);
    program.waitForFinished(waitMs);
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            program.readAllStandardOutput().toStdString(), program.readAllStandardError().toStdString()};
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool Finds(const NamazuFixture& index, const std::string& word, const std::string& file) {
    return index.Search(word).find(file) != std::string::npos;
}

// Two real indexes over folders of their own.
class HeadlessUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu and mknmz are not installed";
        for (const char* name : {"/one", "/two"}) {
            QDir().mkpath(QString::fromStdString(Docs(name)));
            Write(Docs(name) + "/old.txt", "harbour lighthouse\n");
        }
        one = std::make_unique<NamazuFixture>(Docs("/one"));
        two = std::make_unique<NamazuFixture>(Docs("/two"));
        ASSERT_TRUE(one->Built()) << one->BuildLog();
        ASSERT_TRUE(two->Built()) << two->BuildLog();
        Write(Docs("/one") + "/new.txt", "quokkaword\n");
        Write(Docs("/two") + "/new.txt", "quokkaword\n");
    }
    std::string Docs(const char* name) const { return m_docs.path().toStdString() + name; }
    QString One() const { return QString::fromStdString(one->IndexFolder()); }
    QString Two() const { return QString::fromStdString(two->IndexFolder()); }

    QTemporaryDir m_docs;
    std::unique_ptr<NamazuFixture> one, two;
};

}  // namespace

TEST_F(HeadlessUpdate, UpdatesTheNamedIndexesAndNamesEachFailureWithExitCodes) {
    struct Row {
        const char* what;
        QStringList args;
        int exitCode;
        bool oneUpdated, twoUpdated;
        const char* inErr;
        const char* inOut;
    };
    const Row rows[] = {
        {"bad option", {QStringLiteral("--update"), QStringLiteral("--verbose")}, 2, false, false, "--verbose",
         ""},
        {"help", {QStringLiteral("--help")}, 0, false, false, "", "--update"},
        {"version", {QStringLiteral("--version")}, 0, false, false, "", "Quarrow for Namazu"},
        {"one good, one missing", {QStringLiteral("--update"), One(), QStringLiteral("/no/such/index")}, 1, true,
         false, "/no/such/index", "new.txt"},
        {"two indexes", {QStringLiteral("--update"), One(), Two()}, 0, true, true, "", "new.txt"},
        {"a folder relative to where quarrow starts", {QStringLiteral("--update"), QDir::current().relativeFilePath(Two())},
         0, true, true, "", "--update=\"/"},
    };
    for (const Row& row : rows) {
        const Outcome run = Quarrow(row.args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.what << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(row.inErr), std::string::npos) << row.what << "\n" << run.err;
        EXPECT_NE(run.out.find(row.inOut), std::string::npos) << row.what << "\n" << run.out;
        EXPECT_EQ(Finds(*one, "quokkaword", "new.txt"), row.oneUpdated) << row.what;
        EXPECT_EQ(Finds(*two, "quokkaword", "new.txt"), row.twoUpdated) << row.what;
        if (row.exitCode == 0) {
            EXPECT_EQ(run.err.find("quarrow:"), std::string::npos) << run.err;
        }
    }
    // A display is never asked for, and the old documents are still found.
    EXPECT_TRUE(Finds(*one, "lighthouse", "old.txt"));
}

TEST_F(HeadlessUpdate, ASecondUpdaterOfTheSameIndexWaitsForTheFirst) {
    IndexLock held;
    ASSERT_TRUE(held.Acquire(one->IndexFolder(), IndexLock::Wait::No));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TEST_BINARY_DIR "/quarrow"), {QStringLiteral("--update"), One()});
    ASSERT_TRUE(program.waitForStarted());
    // While the lock is held, it says that it waits and leaves the index alone.
    EXPECT_FALSE(program.waitForFinished(3000));
    EXPECT_NE(program.readAllStandardOutput().toStdString().find("待ちます"), std::string::npos);
    EXPECT_FALSE(Finds(*one, "quokkaword", "new.txt"));
    held.Release();
    ASSERT_TRUE(program.waitForFinished(300000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(Finds(*one, "quokkaword", "new.txt"));
}
