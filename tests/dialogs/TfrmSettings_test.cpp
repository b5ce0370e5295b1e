#include "dialogs/TfrmSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>
#include <fstream>

#include "DialogDriving.h"
#include "NamazuFixture.h"
#include "TestSupport.h"
#include "app/TfrmMain.h"
#include "config/FileIo.h"
#include "process/AppContext.h"
#include "process/TfrmWindow.h"
#include "results/ResultView.h"

namespace {

// The search window over a settings file holding the given lines, shown as the user sees it.
struct Session {
    explicit Session(const std::string& ini = "", bool showWindow = true) {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        if (!ini.empty()) dir.WriteFile("quarrow.ini", ini);
        ctx.settings = InitSettings(ctx.platform);
        ctx.settings.Window.ShowExplanation = "0";  // no embedded browser unless a test wants one
        window = std::make_unique<TfrmMain>(ctx);
        if (showWindow) {
            window->show();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        }
    }
    // Chooses ツール → オプション and runs `act` on the dialog.
    void Options(std::function<void(TfrmSettings&)> act) {
        WhenModal<TfrmSettings>(std::move(act));
        window->findChild<QAction*>(QStringLiteral("mnuToolOption"))->trigger();
    }
    std::string File() const { return dir.ReadFile("quarrow.ini"); }

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    std::unique_ptr<TfrmMain> window;
};

bool IsChecked(QWidget& dialog, const char* name) {
    auto* button = FindIn<QAbstractButton>(dialog, name);
    return button && button->isChecked();
}

bool Has(const std::string& file, const std::string& line) {
    return file.find("\n" + line + "\n") != std::string::npos;
}

// The console windows that are open now.
std::vector<TfrmWindow*> ConsoleWindows() {
    std::vector<TfrmWindow*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* console = qobject_cast<TfrmWindow*>(widget); console && console->isVisible()) {
            found.push_back(console);
        }
    }
    return found;
}

// Everything the console's view shows, one line each.
QString ConsoleText(TfrmWindow& console) {
    QString text;
    for (int i = 0; i < console.edt->LineCount(); ++i) text += console.edt->LineText(i) + u'\n';
    return text;
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

}  // namespace

TEST(TfrmSettings, OpensOnTheFirstPageShowingTheStoredWordsInAnyCase) {
    Session s(
        "[Result]\nDisplayTo=text\nFileNameBlankLineNext=abc\nFileNameSpaceFromEnd=12\nConfirmCommandLine=1\n"
        "[WebBrowser]\nDisplayTo=EXTERNAL\nType=internetexplorer\n[Mknmz]\nShowProcess=doswindow\n"
        "[Command]\nnamazuOption=--late\n");
    const std::string before = s.File();
    s.Options([&](TfrmSettings& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("オプション"));
        EXPECT_EQ(d.findChild<QTabWidget*>()->currentWidget(), FindIn<QWidget>(d, "tabGeneral"));
        EXPECT_EQ(d.minimumSize(), d.maximumSize());  // fixed size
        const QPoint offset = d.frameGeometry().center() - s.window->frameGeometry().center();
        EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();

        EXPECT_FALSE(IsChecked(d, "chkShowExplanation"));
        EXPECT_FALSE(IsChecked(d, "chkSaveWindowPos"));
        EXPECT_TRUE(IsChecked(d, "optResultText"));
        EXPECT_EQ(TextOf(d, "edtBlankLine"), QStringLiteral("0"));
        EXPECT_EQ(TextOf(d, "edtSpaceCount"), QStringLiteral("12"));
        EXPECT_TRUE(IsChecked(d, "chkSearchConfirmCmdLine"));
        EXPECT_FALSE(IsChecked(d, "chkUsePnamazu"));
        EXPECT_TRUE(IsChecked(d, "optMknmzDosWindow"));
        EXPECT_TRUE(IsChecked(d, "optWebBrowserExternal"));
        EXPECT_TRUE(IsChecked(d, "optBrowserInternetExplorer"));
        EXPECT_EQ(TextOf(d, "edtNavigatorPath"), QStringLiteral("/usr/bin/firefox"));
        EXPECT_EQ(TextOf(d, "edtPerlPath"), QStringLiteral("/usr/bin/perl"));
        EXPECT_EQ(TextOf(d, "edtNamazuParams"), QStringLiteral("--late"));
        // Changes that Cancel throws away.
        Click(d, "chkSaveWindowPos");
        ClickTab(d, "tabWebBrowser");
        Click(d, "optBrowserNavigator");
        Click(d, "btnCancel");
    });
    EXPECT_EQ(s.ctx.settings.Window.SavePosition, "0");
    EXPECT_EQ(s.ctx.settings.WebBrowser.Type, "internetexplorer");
    EXPECT_EQ(s.File(), before);

    // OK writes the words in their one form, and the number as typed.
    s.Options([&](TfrmSettings& d) {
        ClickTab(d, "tabSearch");
        TypeInto(d, "edtBlankLine", QStringLiteral("2"));
        Click(d, "btnOK");
    });
    const std::string after = s.File();
    EXPECT_TRUE(Has(after, "DisplayTo=Text")) << after;
    EXPECT_TRUE(Has(after, "DisplayTo=External")) << after;
    EXPECT_TRUE(Has(after, "Type=InternetExplorer")) << after;
    EXPECT_TRUE(Has(after, "ShowProcess=DOSWindow")) << after;
    EXPECT_TRUE(Has(after, "FileNameBlankLineNext=2")) << after;
    EXPECT_TRUE(Has(after, "FileNameSpaceFromEnd=12")) << after;
}

TEST(TfrmSettings, AnyOtherBrowserTypeShowsAndIsStoredAsTheAssociatedBrowser) {
    for (const char* type : {"NetscapeNavigator", "Mosaic", ""}) {
        Session s(std::string("[WebBrowser]\nType=") + type + "\n");
        s.Options([&](TfrmSettings& d) {
            EXPECT_TRUE(IsChecked(d, "optBrowserDefault")) << type;
            EXPECT_EQ(FindIn<QRadioButton>(d, "optBrowserDefault")->text(),
                      QStringLiteral("関連付けされているブラウザ"));
            Click(d, "btnOK");
        });
        EXPECT_EQ(s.ctx.settings.WebBrowser.Type, "DefaultBrowser") << type;
        EXPECT_TRUE(Has(s.File(), "Type=DefaultBrowser")) << type;
    }
}

TEST(TfrmSettings, OkRefusesZeroAndEmptyNumbersAndTakes12) {
    Session s;
    const std::string before = s.File();
    s.Options([&](TfrmSettings& d) {
        auto* pages = d.findChild<QTabWidget*>();
        ClickTab(d, "tabSearch");
        TypeInto(d, "edtBlankLine", QStringLiteral("0"));
        ClickTab(d, "tabGeneral");
        Click(d, "btnOK");
        ASSERT_EQ(s.prompter.Messages().size(), 1u);
        EXPECT_EQ(s.prompter.calls[0].text, QStringLiteral("有効な数値を入力してください。"));
        EXPECT_EQ(s.prompter.calls[0].buttons, MessageButtons::Ok);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(pages->currentWidget(), FindIn<QWidget>(d, "tabSearch"));
        EXPECT_EQ(QApplication::focusWidget(), FindIn<QWidget>(d, "edtBlankLine"));

        // The box keeps the focus: type over it, Tab to the next one and empty that.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("12"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), FindIn<QWidget>(d, "edtSpaceCount"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        ClickTab(d, "tabCommandLine");
        Click(d, "btnOK");
        ASSERT_EQ(s.prompter.Messages().size(), 2u);
        EXPECT_EQ(s.prompter.calls[1].text, QStringLiteral("有効な数値を入力してください。"));
        EXPECT_EQ(pages->currentWidget(), FindIn<QWidget>(d, "tabSearch"));
        EXPECT_EQ(QApplication::focusWidget(), FindIn<QWidget>(d, "edtSpaceCount"));
        EXPECT_EQ(s.File(), before);  // nothing stored meanwhile
        EXPECT_EQ(s.ctx.settings.Result.FileNameBlankLineNext, "2");

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("3"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // OK is the default button
    });
    EXPECT_EQ(s.prompter.Messages().size(), 2u);
    EXPECT_EQ(s.ctx.settings.Result.FileNameBlankLineNext, "12");
    EXPECT_EQ(s.ctx.settings.Result.FileNameSpaceFromEnd, "3");
    EXPECT_TRUE(Has(s.File(), "FileNameBlankLineNext=12"));
}

TEST(TfrmSettings, UpDownStepsBetween0And9) {
    Session s;
    s.Options([&](TfrmSettings& d) {
        ClickTab(d, "tabSearch");
        auto* up = FindIn<QWidget>(d, "udbBlankLine")->findChild<QToolButton*>(QStringLiteral("btnUp"));
        auto* down = FindIn<QWidget>(d, "udbBlankLine")->findChild<QToolButton*>(QStringLiteral("btnDown"));
        ASSERT_TRUE(up && down);
        struct Row {
            QString typed;
            QToolButton* button;
            QString after;
        };
        const Row rows[] = {{QStringLiteral("2"), up, QStringLiteral("3")},
                            {QStringLiteral("9"), up, QStringLiteral("9")},
                            {QStringLiteral("12"), up, QStringLiteral("9")},
                            {QStringLiteral("1"), down, QStringLiteral("0")},
                            {QStringLiteral("0"), down, QStringLiteral("0")},
                            {QStringLiteral("abc"), up, QStringLiteral("1")}};
        for (const Row& row : rows) {
            TypeInto(d, "edtBlankLine", row.typed);
            QTest::mouseClick(row.button, Qt::LeftButton);
            EXPECT_EQ(TextOf(d, "edtBlankLine"), row.after) << row.typed.toStdString();
        }
        // The arrow keys in the box step too.
        TypeInto(d, "edtSpaceCount", QStringLiteral("4"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        EXPECT_EQ(TextOf(d, "edtSpaceCount"), QStringLiteral("5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        EXPECT_EQ(TextOf(d, "edtSpaceCount"), QStringLiteral("3"));
        Click(d, "btnCancel");
    });
    EXPECT_EQ(s.ctx.settings.Result.FileNameSpaceFromEnd, "2");
}

TEST(TfrmSettings, DefaultButtonsResetThePathsAndTheOptions) {
    Session s("[Command]\nnamazuOption=--all --late\n");
    s.Options([&](TfrmSettings& d) {
        ClickTab(d, "tabWebBrowser");
        TypeInto(d, "edtNavigatorPath", QStringLiteral("/opt/nav"));
        ClickTab(d, "tabCommandLine");
        TypeInto(d, "edtPerlPath", QStringLiteral("/opt/perl"));
        TypeInto(d, "edtMknmzPath", QStringLiteral("/opt/mknmz"));
        TypeInto(d, "edtNamazuPath", QStringLiteral("/opt/namazu"));
        TypeInto(d, "edtPnamazuPath", QStringLiteral("/opt/pnamazu.pl"));
        Click(d, "btnSetDefaultPath");
        EXPECT_EQ(TextOf(d, "edtPerlPath"), QStringLiteral("/usr/bin/perl"));
        EXPECT_EQ(TextOf(d, "edtMknmzPath"), QStringLiteral("/usr/bin/mknmz"));
        EXPECT_EQ(TextOf(d, "edtNamazuPath"), QStringLiteral("/usr/bin/namazu"));
        EXPECT_EQ(TextOf(d, "edtPnamazuPath"), QStringLiteral("/opt/pnamazu.pl"));
        EXPECT_EQ(TextOf(d, "edtNavigatorPath"), QStringLiteral("/opt/nav"));
        EXPECT_EQ(TextOf(d, "edtNamazuParams"), QStringLiteral("--all --late"));
        Click(d, "btnSetDefaultOption");
        EXPECT_EQ(TextOf(d, "edtNamazuParams"), QString());
        Click(d, "btnOK");
    });
    EXPECT_EQ(s.ctx.settings.Command.namazuOption, "");
    EXPECT_EQ(s.ctx.settings.Command.pnamazuPath, "/opt/pnamazu.pl");
    EXPECT_EQ(s.ctx.settings.WebBrowser.NavigatorPath, "/opt/nav");
    EXPECT_EQ(s.ctx.settings.Command.PerlPath, "/usr/bin/perl");
}

TEST(TfrmSettings, BrowseButtonsStartFromTheStoredPathAndFillTheEdit) {
    TempProgramDir tools;
    QDir().mkpath(QString::fromStdString(tools.Path("my perl/bin")));
    const std::string perl = tools.Path("my perl/bin/perl");
    Session s("[Command]\nPerlPath=" + perl + "\nnamazuPath=/gone/bin/namazu\n");
    const QString programFolder = QString::fromStdString(s.dir.Folder()).chopped(1);
    struct Row {
        const char* tab;
        const char* button;
        const char* edit;
        QString caption, filter, folder, fileName;
    };
    const Row rows[] = {
        {"tabWebBrowser", "edtNavigatorPathButton", "edtNavigatorPath",
         QStringLiteral("Netscape Navigator のパスを指定してください"), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ (*)"),
         QStringLiteral("/usr/bin"), QStringLiteral("firefox")},
        {"tabCommandLine", "edtPerlPathButton", "edtPerlPath",
         QStringLiteral("Perl のパスを指定してください"), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ (*)"),
         QString::fromStdString(tools.Path("my perl/bin")), QStringLiteral("perl")},
        {"tabCommandLine", "edtMknmzPathButton", "edtMknmzPath",
         QStringLiteral("mknmz のパスを指定してください"), QStringLiteral("すべてのﾌｧｲﾙ (*)"),
         QStringLiteral("/usr/bin"), QStringLiteral("mknmz")},
        {"tabCommandLine", "edtNamazuPathButton", "edtNamazuPath",
         QStringLiteral("namazu のパスを指定してください"), QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ (*)"), programFolder,
         QStringLiteral("namazu")},
        {"tabCommandLine", "edtPnamazuPathButton", "edtPnamazuPath",
         QStringLiteral("pnamazu のパスを指定してください"),
         QStringLiteral("すべてのﾌｧｲﾙ (*);;Perlｽｸﾘﾌﾟﾄ (*.pl)"), programFolder, QStringLiteral("pnamazu.pl")},
    };
    s.Options([&](TfrmSettings& d) {
        for (const Row& row : rows) {
            ClickTab(d, row.tab);
            // What the edit holds does not matter; the stored path does.
            TypeInto(d, row.edit, QStringLiteral("/somewhere/else"));
            const QString chosen = QStringLiteral("/chosen/") + QString::fromLatin1(row.button);
            s.prompter.fileAnswers = {chosen};
            TabToAndPress(d, row.button);
            ASSERT_FALSE(s.prompter.fileRequests.empty());
            const FileDialogRequest& request = s.prompter.fileRequests.back();
            EXPECT_EQ(request.caption, row.caption);
            EXPECT_EQ(request.filter, row.filter) << row.button;
            EXPECT_EQ(request.directory, row.folder) << row.button;
            EXPECT_EQ(request.fileName, row.fileName) << row.button;
            EXPECT_EQ(TextOf(d, row.edit), chosen);
            // A cancelled dialog leaves the edit alone.
            Click(d, row.button);
            EXPECT_EQ(TextOf(d, row.edit), chosen);
        }
        EXPECT_EQ(s.prompter.Count("OpenFile"), 10);
        EXPECT_EQ(s.ctx.settings.Command.PerlPath, perl);  // nothing stored before OK
        Click(d, "btnOK");
    });
    EXPECT_EQ(s.ctx.settings.Command.PerlPath, "/chosen/edtPerlPathButton");
}

TEST(TfrmSettings, OkLaysOutTheSearchWindowAndSwitchesPlacementSaving) {
    Session s;
    auto* body = s.window->findChild<QWidget*>(QStringLiteral("pnlBody"));
    auto* convert = s.window->findChild<QMenu*>(QStringLiteral("mnuConvert"));
    auto* colored = s.window->findChild<QAction*>(QStringLiteral("mnuColored"));
    auto* docType = s.window->findChild<QMenu*>(QStringLiteral("mnuDocType"));
    ASSERT_TRUE(body->isVisible());
    s.Options([&](TfrmSettings& d) {
        Click(d, "chkSaveWindowPos");
        ClickTab(d, "tabSearch");
        Click(d, "optResultWebBrowser");
        ClickTab(d, "tabWebBrowser");
        Click(d, "optWebBrowserExternal");
        Click(d, "btnOK");
    });
    // Results now go to an outside browser: the window is only its header.
    EXPECT_FALSE(body->isVisible());
    EXPECT_FALSE(convert->isEnabled());
    EXPECT_FALSE(colored->isEnabled());
    EXPECT_FALSE(docType->isEnabled());
    EXPECT_EQ(s.window->minimumHeight(), s.window->maximumHeight());
    const std::string saved = s.File();
    EXPECT_TRUE(Has(saved, "SavePosition=1"));
    EXPECT_TRUE(Has(saved, "DisplayTo=WebBrowser"));
    EXPECT_TRUE(Has(saved, "DisplayTo=External"));

    s.Options([&](TfrmSettings& d) {
        ClickTab(d, "tabSearch");
        Click(d, "optResultText");
        Click(d, "btnOK");
    });
    EXPECT_TRUE(body->isVisible());
    EXPECT_TRUE(convert->isEnabled());
    EXPECT_TRUE(colored->isEnabled());
    EXPECT_TRUE(docType->isEnabled());
    EXPECT_NE(s.window->minimumHeight(), s.window->maximumHeight());

    // Placement saving was switched on by the dialog: closing stores the window's place.
    EXPECT_FALSE(Has(s.File(), "NormPos=" + std::to_string(s.window->x())));
    s.window->close();
    EXPECT_NE(s.File().find("\nNormPos="), std::string::npos) << s.File();
}

TEST(TfrmSettings, AReadOnlySettingsFileStaysAsItWasAfterOk) {
    Session s;
    const std::string before = s.File();
    ::chmod(s.dir.Path("quarrow.ini").c_str(), 0444);
    s.Options([&](TfrmSettings& d) {
        Click(d, "chkSaveWindowPos");
        ClickTab(d, "tabSearch");
        Click(d, "chkSearchConfirmCmdLine");
        Click(d, "btnOK");
    });
    EXPECT_EQ(s.ctx.settings.Result.ConfirmCommandLine, "1");  // in memory all the same
    s.window->close();
    EXPECT_EQ(s.File(), before);
    ::chmod(s.dir.Path("quarrow.ini").c_str(), 0644);
}

TEST(TfrmSettings, OptionHelpShowsTheRealProgramsHelpInOneConsoleWindow) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Session s;
    s.Options([&](TfrmSettings& d) {
        ClickTab(d, "tabCommandLine");
        Click(d, "btnShowOptionInfo");  // returns when the three runs have ended
        std::vector<TfrmWindow*> consoles = ConsoleWindows();
        ASSERT_EQ(consoles.size(), 1u);
        TfrmWindow& console = *consoles.front();
        EXPECT_EQ(console.windowTitle(), QStringLiteral("コマンドライン・オプション"));
        EXPECT_EQ(console.edt->RunFlag(), 1);
        const QString text = ConsoleText(console);
        const QString expected[] = {
            QStringLiteral("WorkDir: /usr/bin\nCommandLine: \n\"/usr/bin/perl\" -v\n"),
            QStringLiteral("This is perl 5"),
            QStringLiteral("CommandLine: \n\"/usr/bin/perl\" \"/usr/bin/mknmz\" --help\n"),
            QStringLiteral("使い方: mknmz"),  // its Japanese help, read from EUC-JP
            QStringLiteral("CommandLine: \n\"/usr/bin/namazu\" --help\n"),
            QStringLiteral("--max=NUM"),
        };
        qsizetype at = 0;
        for (const QString& part : expected) {
            const qsizetype found = text.indexOf(part, at);
            EXPECT_GE(found, at) << part.toStdString() << "\n" << text.toStdString();
            if (found >= 0) at = found;
        }
        EXPECT_TRUE(s.prompter.Messages().empty());
        EXPECT_FALSE(text.contains(QStringLiteral("perl: warning"))) << text.toStdString();

        // A second press brings the same window back instead of a new one.
        console.showMinimized();
        Click(d, "btnShowOptionInfo");
        EXPECT_EQ(ConsoleWindows().size(), 1u);
        EXPECT_FALSE(console.isMinimized());
        EXPECT_EQ(ConsoleText(console), text);

        Click(d, "btnCancel");
    });
    FlushDeletes();
    EXPECT_TRUE(ConsoleWindows().empty());  // closed with the dialog
}

TEST(TfrmSettings, AProgramThatCannotStartIsReportedAndTheRestStillRun) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    struct Row {
        QString perl, namazu;
        std::vector<QString> failed;  // command lines named in the failure messages
        QString stillShown;
    };
    const Row rows[] = {
        {QStringLiteral("/usr/bin/perl"),
         QStringLiteral("/nonexistent/namazu"),
         {QStringLiteral("\"/nonexistent/namazu\" --help")},
         QStringLiteral("使い方: mknmz")},
        {QStringLiteral("/no perl/perl"),
         QStringLiteral("/usr/bin/namazu"),
         {QStringLiteral("\"/no perl/perl\" -v"),
          QStringLiteral("\"/no perl/perl\" \"/usr/bin/mknmz\" --help")},
         QStringLiteral("--max=NUM")},
    };
    for (const Row& row : rows) {
        Session s;
        s.Options([&](TfrmSettings& d) {
            ClickTab(d, "tabCommandLine");
            TypeInto(d, "edtPerlPath", row.perl);
            TypeInto(d, "edtNamazuPath", row.namazu);
            Click(d, "btnShowOptionInfo");
            const std::vector<QString> messages = s.prompter.Messages();
            ASSERT_EQ(messages.size(), row.failed.size());
            for (std::size_t i = 0; i < messages.size(); ++i) {
                EXPECT_TRUE(messages[i].startsWith(QStringLiteral("コマンドの実行に失敗しました。")));
                EXPECT_TRUE(messages[i].contains(QStringLiteral("コマンド: ") + row.failed[i]))
                    << messages[i].toStdString();
            }
            ASSERT_EQ(ConsoleWindows().size(), 1u);
            TfrmWindow& console = *ConsoleWindows().front();
            const QString text = ConsoleText(console);
            EXPECT_TRUE(text.contains(row.stillShown)) << text.toStdString();
            EXPECT_EQ(text.count(QStringLiteral("CommandLine: ")), 3);
            EXPECT_EQ(console.edt->RunFlag(), 1);
            // The user can close it.
            console.close();
            FlushDeletes();
            EXPECT_TRUE(ConsoleWindows().empty());
            Click(d, "btnCancel");
        });
    }
}

TEST(TfrmSettings, ClosingDuringTheOptionHelpWaitsForTheRunThenDoesWhatWasAsked) {
    TempProgramDir tools;
    // A Perl that takes its time, so that the user can press OK while it writes.
    tools.WriteFile("perl", "#!/bin/sh\necho \"slow perl $*\"\nsleep 1\necho done\n");
    ::chmod(tools.Path("perl").c_str(), 0755);
    Session s;
    bool stayedOpen = false;
    s.Options([&](TfrmSettings& d) {
        ClickTab(d, "tabCommandLine");
        TypeInto(d, "edtPerlPath", QString::fromStdString(tools.Path("perl")));
        TypeInto(d, "edtNamazuParams", QStringLiteral("--late"));
        QTimer::singleShot(300, &d, [&] {
            Click(d, "btnOK");
            stayedOpen = d.isVisible() && ConsoleWindows().size() == 1;
            EXPECT_EQ(s.ctx.settings.Command.namazuOption, "");  // not yet
        });
        Click(d, "btnShowOptionInfo");
        // The runs are over; the dialog closes with OK once control returns to it.
        EXPECT_TRUE(stayedOpen);
        QTRY_VERIFY_WITH_TIMEOUT(!d.isVisible(), 5000);
    });
    EXPECT_EQ(s.ctx.settings.Command.namazuOption, "--late");
    EXPECT_TRUE(Has(s.File(), "namazuOption=--late"));
    FlushDeletes();
    EXPECT_TRUE(ConsoleWindows().empty());
}

// A whole run of the program: settings changed in the dialog are used by the next search and
// are found again at the next start.
TEST(TfrmSettings, ChangedSettingsAreUsedAndKeptAcrossARestart) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture index(TestDataPath("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    TempProgramDir dir;
    QDir().mkpath(QString::fromStdString(dir.Path("name with blanks")));
    const std::string namazu = dir.Path("name with blanks/namazu");
    ASSERT_EQ(::symlink("/usr/bin/namazu", namazu.c_str()), 0);
    FakePrompter prompter;
    {
        AppContext ctx;
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        ctx.settings = InitSettings(ctx.platform);
        ctx.settings.Window.ShowExplanation = "0";
        TfrmMain window(ctx);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        WhenModal<TfrmSettings>([&](TfrmSettings& d) {
            ClickTab(d, "tabSearch");
            Click(d, "chkSearchConfirmCmdLine");
            ClickTab(d, "tabWebBrowser");
            Click(d, "optWebBrowserExternal");
            Click(d, "optBrowserNavigator");
            ClickTab(d, "tabCommandLine");
            TypeInto(d, "edtNamazuPath", QString::fromStdString(namazu));
            Click(d, "btnOK");
        });
        window.findChild<QAction*>(QStringLiteral("mnuToolOption"))->trigger();

        // Search as the user does: the place, then the query and Enter. (The offscreen platform
        // has no window manager to give the focus back after a dialog.)
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto* place = window.findChild<QComboBox*>(QStringLiteral("cboIndexDir"));
        auto* keyword = window.findChild<QComboBox*>(QStringLiteral("cboKeyword"));
        place->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromStdString(index.IndexFolder()));
        keyword->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("lighthouse"));
        // The confirmation shows the command line with the new namazu; No leaves it in view.
        prompter.messageAnswers = {MessageResult::No, MessageResult::Yes};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_EQ(prompter.Messages().size(), 1u);
        EXPECT_EQ(prompter.calls[0].caption, QStringLiteral("コマンドライン確認"));
        auto* result = window.findChild<ResultView*>(QStringLiteral("edtResult"));
        EXPECT_TRUE(result->toPlainText().startsWith(u'"' + QString::fromStdString(namazu) + u'"'))
            << result->toPlainText().toStdString();
        keyword->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        ASSERT_EQ(prompter.Messages().size(), 2u);
        EXPECT_TRUE(result->toPlainText().contains(QStringLiteral("english.txt")))
            << result->toPlainText().toStdString();
        window.close();
    }

    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);
    EXPECT_EQ(ctx.settings.Result.ConfirmCommandLine, "1");
    EXPECT_EQ(ctx.settings.WebBrowser.DisplayTo, "External");
    EXPECT_EQ(ctx.settings.WebBrowser.Type, "Navigator");
    EXPECT_EQ(ctx.settings.Command.namazuPath, namazu);
    ctx.settings.Window.ShowExplanation = "0";
    TfrmMain window(ctx);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    WhenModal<TfrmSettings>([&](TfrmSettings& d) {
        EXPECT_TRUE(IsChecked(d, "chkSearchConfirmCmdLine"));
        EXPECT_TRUE(IsChecked(d, "optWebBrowserExternal"));
        EXPECT_TRUE(IsChecked(d, "optBrowserNavigator"));
        EXPECT_EQ(TextOf(d, "edtNamazuPath"), QString::fromStdString(namazu));
        Click(d, "btnCancel");
    });
    window.findChild<QAction*>(QStringLiteral("mnuToolOption"))->trigger();
}

// The search page's daily update box shows the timer's state and switches it with OK; where no
// user systemd runs it is disabled and says why.
TEST(TfrmSettings, TheDailyUpdateBoxSwitchesTheUserTimer) {
    Session s;
    const std::string systemctl = s.dir.Path("systemctl");
    s.dir.WriteFile("systemctl", "#!/bin/sh\necho \"$*\" >> \"$(dirname \"$0\")/calls\"\n"
                                 "case \"$2\" in is-system-running) echo running ;; is-enabled) echo disabled ;; esac\n");
    ::chmod(systemctl.c_str(), 0755);
    s.ctx.systemctl = systemctl;
    s.Options([&](TfrmSettings& d) {
        ClickTab(d, "tabSearch");
        auto* box = FindIn<QCheckBox>(d, "chkDailyUpdate");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QStringLiteral("インデックスを毎日自動で更新する"));
        EXPECT_TRUE(box->isEnabled());
        EXPECT_FALSE(box->isChecked());
        Click(d, "chkDailyUpdate");
        Click(d, "btnOK");
    });
    EXPECT_NE(s.dir.ReadFile("calls").find("--user enable --now quarrow-update.timer"), std::string::npos);

    s.dir.WriteFile("systemctl", "#!/bin/sh\necho offline\nexit 1\n");
    s.Options([&](TfrmSettings& d) {
        auto* box = FindIn<QCheckBox>(d, "chkDailyUpdate");
        ASSERT_NE(box, nullptr);
        EXPECT_FALSE(box->isEnabled());
        EXPECT_TRUE(box->toolTip().contains(QStringLiteral("systemd"))) << box->toolTip().toStdString();
        Click(d, "btnCancel");
    });
}
