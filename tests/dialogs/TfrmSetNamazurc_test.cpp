#include "dialogs/TfrmSetNamazurc.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QPushButton>
#include <QTextEdit>
#include <QThread>
#include <QToolButton>
#include <chrono>

#include "DialogDriving.h"
#include "NamazuFixture.h"
#include "TestSupport.h"
#include "app/TfrmMain.h"
#include "config/FileIo.h"
#include "process/AppContext.h"
#include "results/ResultView.h"

namespace {

struct Session {
    explicit Session(const std::string& ini = "") {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        if (!ini.empty()) dir.WriteFile("quarrow.ini", ini);
        ctx.settings = InitSettings(ctx.platform);
        ctx.settings.Window.ShowExplanation = "0";
        window = std::make_unique<TfrmMain>(ctx);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    // Chooses 検索 → namazurc の設定 and runs `act` on the dialog.
    void Namazurc(std::function<void(TfrmSetNamazurc&)> act) {
        WhenModal<TfrmSetNamazurc>(std::move(act));
        window->findChild<QAction*>(QStringLiteral("mnuSetNamazurc"))->trigger();
    }
    void Search(const QString& place, const QString& query) {
        // The offscreen platform has no window manager to give the focus back after a dialog.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        auto* places = window->findChild<QComboBox*>(QStringLiteral("cboIndexDir"));
        places->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), place);
        window->findChild<QComboBox*>(QStringLiteral("cboKeyword"))->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), query);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QString ResultText() const {
        return window->findChild<ResultView*>(QStringLiteral("edtResult"))->toPlainText();
    }

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    std::unique_ptr<TfrmMain> window;
};

bool Enabled(QWidget& dialog, const char* name) {
    QWidget* widget = FindIn<QWidget>(dialog, name);
    return widget && widget->isEnabled();
}

bool Checked(QWidget& dialog, const char* name) {
    auto* box = FindIn<QCheckBox>(dialog, name);
    return box && box->isChecked();
}

}  // namespace

TEST(TfrmSetNamazurc, NotUsingNamazurcDisablesThePathAndTheEditor) {
    Session s;
    s.Namazurc([&](TfrmSetNamazurc& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("namazurc の設定"));
        EXPECT_EQ(d.minimumSize(), d.maximumSize());
        const QPoint offset = d.frameGeometry().center() - s.window->frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
        EXPECT_EQ(FindIn<QCheckBox>(d, "chkUseNamazurc")->text(),
                  QStringLiteral("namazurc を指定しない(&D)"));
        EXPECT_TRUE(Checked(d, "chkUseNamazurc"));
        EXPECT_FALSE(Checked(d, "chkSetIndex"));
        EXPECT_EQ(TextOf(d, "edtNamazurcPath"), QStringLiteral("/etc/namazu/namazurc"));
        for (bool use : {true, false, true}) {
            EXPECT_EQ(Enabled(d, "edtNamazurcPath"), !Checked(d, "chkUseNamazurc"));
            EXPECT_EQ(Enabled(d, "edtNamazurcPathButton"), !Checked(d, "chkUseNamazurc"));
            EXPECT_EQ(Enabled(d, "btnEditNamazurc"), !Checked(d, "chkUseNamazurc"));
            EXPECT_TRUE(Enabled(d, "chkSetIndex"));
            Click(d, "chkUseNamazurc");
            EXPECT_EQ(Checked(d, "chkUseNamazurc"), !use);
        }
        Click(d, "chkSetIndex");
        Click(d, "btnCancel");
    });
    EXPECT_EQ(s.ctx.settings.Search.UseNamazurc, "0");
    EXPECT_EQ(s.ctx.settings.Search.SetIndexInNamazurc, "0");

    // Switched on in the file: the box opens unticked, the controls enabled.
    Session on("[Search]\nUseNamazurc=1\nSetIndexInNamazurc=1\n");
    on.Namazurc([&](TfrmSetNamazurc& d) {
        EXPECT_FALSE(Checked(d, "chkUseNamazurc"));
        EXPECT_TRUE(Checked(d, "chkSetIndex"));
        EXPECT_TRUE(Enabled(d, "edtNamazurcPath"));
        EXPECT_TRUE(Enabled(d, "btnEditNamazurc"));
        Click(d, "btnCancel");
    });
}

TEST(TfrmSetNamazurc, OkStoresTheThreeSettingsAndAPathThatDoesNotExist) {
    Session s;
    const std::string before = s.dir.ReadFile("quarrow.ini");
    s.Namazurc([&](TfrmSetNamazurc& d) {
        Click(d, "chkUseNamazurc");
        TypeInto(d, "edtNamazurcPath", QStringLiteral("/nowhere/my namazurc"));
        Click(d, "chkSetIndex");
        Click(d, "btnOK");
    });
    EXPECT_EQ(s.ctx.settings.Search.UseNamazurc, "1");
    EXPECT_EQ(s.ctx.settings.Search.SetIndexInNamazurc, "1");
    EXPECT_EQ(s.ctx.settings.Search.NamazurcPath, "/nowhere/my namazurc");
    EXPECT_EQ(s.dir.ReadFile("quarrow.ini"), before);  // written when the window closes

    s.Namazurc([&](TfrmSetNamazurc& d) {
        EXPECT_EQ(TextOf(d, "edtNamazurcPath"), QStringLiteral("/nowhere/my namazurc"));
        TypeInto(d, "edtNamazurcPath", QStringLiteral("/else/namazurc"));
        Click(d, "chkUseNamazurc");
        Click(d, "btnCancel");
    });
    EXPECT_EQ(s.ctx.settings.Search.UseNamazurc, "1");
    EXPECT_EQ(s.ctx.settings.Search.NamazurcPath, "/nowhere/my namazurc");

    s.window->close();
    const std::string after = s.dir.ReadFile("quarrow.ini");
    EXPECT_NE(after.find("\nUseNamazurc=1\n"), std::string::npos) << after;
    EXPECT_NE(after.find("\nNamazurcPath=/nowhere/my namazurc\n"), std::string::npos) << after;
    EXPECT_NE(after.find("\nSetIndexInNamazurc=1\n"), std::string::npos) << after;
}

TEST(TfrmSetNamazurc, BrowseStartsAtTheEditsFolderElseTheStoredOne) {
    struct Row {
        std::string stored;
        QString typed;
        QString folder, fileName;
    };
    TempProgramDir conf;
    QDir().mkpath(QString::fromStdString(conf.Path("conf dir")));
    const Row rows[] = {
        {"/etc/namazu/namazurc", QString::fromStdString(conf.Path("conf dir/namazurc")),
         QString::fromStdString(conf.Path("conf dir")), QStringLiteral("namazurc")},
        {"/etc/namazu/namazurc", QString(), QStringLiteral("/etc/namazu"), QStringLiteral("namazurc")},
        {"", QString(), QString(), QString()},
    };
    for (const Row& row : rows) {
        Session s("[Search]\nUseNamazurc=1\nNamazurcPath=" + row.stored + "\n");
        const QString chosen = QString::fromStdString(conf.Path("conf dir/.namazurc"));
        s.prompter.fileAnswers = {chosen};
        s.Namazurc([&](TfrmSetNamazurc& d) {
            TypeInto(d, "edtNamazurcPath", row.typed);
            TabToAndPress(d, "edtNamazurcPathButton");
            ASSERT_EQ(s.prompter.fileRequests.size(), 1u);
            const FileDialogRequest& request = s.prompter.fileRequests[0];
            EXPECT_EQ(request.caption, QStringLiteral("namazurc を選択してください"));
            EXPECT_EQ(request.filter,
                      QStringLiteral("すべてのﾌｧｲﾙ (*);;namazu設定ファイル(namazurc) (namazurc .namazurc)"));
            EXPECT_EQ(request.directory, row.folder) << row.stored;
            EXPECT_EQ(request.fileName, row.fileName) << row.stored;
            EXPECT_EQ(TextOf(d, "edtNamazurcPath"), chosen);
            Click(d, "btnOK");
        });
        EXPECT_EQ(s.ctx.settings.Search.NamazurcPath, chosen.toStdString());
    }
}

TEST(TfrmSetNamazurc, EditOpensTheFileWithTheDesktopsEditorWithoutWaiting) {
    TempProgramDir tools;
    // A stand-in for xdg-open that records its arguments, one a line, and lingers.
    tools.WriteFile("xdg-open",
                    "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.tmp\"; mv \"$0.tmp\" \"$0.args\"\nsleep 3\n");
    ::chmod(tools.Path("xdg-open").c_str(), 0755);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(tools.Folder()) + ":" + oldPath);
    TempProgramDir conf;
    QDir().mkpath(QString::fromStdString(conf.Path("my conf")));
    conf.WriteFile("my conf/namazurc", "Index /var/lib/namazu/index\n");

    Session s("[Search]\nUseNamazurc=1\n");
    s.Namazurc([&](TfrmSetNamazurc& d) {
        TypeInto(d, "edtNamazurcPath", QString::fromStdString(conf.Path("my conf/namazurc")));
        const auto start = std::chrono::steady_clock::now();
        Click(d, "btnEditNamazurc");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_TRUE(d.isVisible());
        Click(d, "btnCancel");
    });
    QDeadlineTimer deadline(5000);
    while (!FileExists(tools.Path("xdg-open.args")) && !deadline.hasExpired()) QThread::msleep(20);
    EXPECT_EQ(tools.ReadFile("xdg-open.args"), conf.Path("my conf/namazurc") + "\n");
    EXPECT_TRUE(s.prompter.Messages().empty());
    qputenv("PATH", oldPath);
}

TEST(TfrmSetNamazurc, TheNextSearchUsesTheNamazurcThatNamesTheIndex) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture index(TestDataPath("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    Session s;
    s.dir.WriteFile("my namazurc", "Index\t" + index.IndexFolder() + "\n");
    const QString place = QString::fromStdString(s.dir.Path("no-index-here"));

    s.Search(place, QStringLiteral("lighthouse"));
    EXPECT_FALSE(s.ResultText().contains(QStringLiteral("english.txt"))) << s.ResultText().toStdString();

    s.Namazurc([&](TfrmSetNamazurc& d) {
        Click(d, "chkUseNamazurc");
        TypeInto(d, "edtNamazurcPath", QString::fromStdString(s.dir.Path("my namazurc")));
        Click(d, "chkSetIndex");
        Click(d, "btnOK");
    });
    s.Search(place, QStringLiteral("lighthouse"));
    EXPECT_TRUE(s.ResultText().contains(QStringLiteral("english.txt"))) << s.ResultText().toStdString();

    // Switched off again, the place typed is searched once more.
    s.Namazurc([&](TfrmSetNamazurc& d) {
        Click(d, "chkUseNamazurc");
        Click(d, "btnOK");
    });
    s.Search(place, QStringLiteral("lighthouse"));
    EXPECT_FALSE(s.ResultText().contains(QStringLiteral("english.txt"))) << s.ResultText().toStdString();
}
