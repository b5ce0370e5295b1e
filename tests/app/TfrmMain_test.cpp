#include "app/TfrmMain.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QStatusBar>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QToolTip>
#include <QDateTime>
#include <QUrl>
#include <QWindow>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "viewer/DocumentDisplay.h"
#include "update/IndexStatus.h"
#include "process/QtOutputView.h"
#include "results/ResultView.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "text/CodePage.h"

namespace {

// A window over a settings file holding the given lines in their sections.
struct Fixture {
    explicit Fixture(const std::string& ini = "") {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        if (!ini.empty()) dir.WriteFile("quarrow.ini", ini);
        ctx.settings = InitSettings(ctx.platform);
        ctx.settings.Window.ShowExplanation = "0";  // no embedded browser unless a test wants one
        window = std::make_unique<TfrmMain>(ctx);
    }
    template <typename T>
    T* Find(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    bool Checked(const char* action) { return Find<QAction>(action)->isChecked(); }

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    std::unique_ptr<TfrmMain> window;
};

}  // namespace

TEST(TfrmMain, CaptionShowsTheSearchPlace) {
    Fixture f;
    EXPECT_EQ(f.window->windowTitle(), QStringLiteral("Quarrow for Namazu - [/var/lib/namazu/index]"));
    EXPECT_EQ(f.Find<QComboBox>("cboIndexDir")->currentText(), QStringLiteral("/var/lib/namazu/index"));
}

TEST(TfrmMain, StartStateFollowsTheSettings) {
    struct Row {
        const char* ini;
        const char* checked;
        const char* listCountText;
        const char* sortText;
        std::string sortWord;
        std::string listCount;
    };
    const Row rows[] = {
        {"[Search]\nListCount=35\n", "mnuListCountFifty", "35", "スコア", "Score", "35"},
        {"[Search]\nListCount=abc\n", "mnuListCountTwenty", "20", "スコア", "Score", "20"},
        {"[Search]\nListCount=150\n", "mnuListCountTwenty", "20", "スコア", "Score", "20"},
        {"[Search]\nListCount=ALL\n", "mnuListCountAll", "すべて", "スコア", "Score", "ALL"},
        {"[Search]\nSort=DATE\n", "mnuSortDateHeader", "20", "Date: ヘッダ", "Date", "20"},
        {"[Search]\nSort=None\n", "mnuSortScore", "20", "スコア", "Score", "20"},
        {"[Search]\nSort=later\nSortDirection=ASCENDING\n", "mnuSortAscending", "20", "新しい順", "Later",
         "20"},
    };
    for (const Row& row : rows) {
        Fixture f(row.ini);
        EXPECT_TRUE(f.Checked(row.checked)) << row.ini;
        EXPECT_EQ(f.Find<QComboBox>("cboListCount")->currentText(), QString::fromUtf8(row.listCountText))
            << row.ini;
        EXPECT_EQ(f.Find<QComboBox>("cboSortType")->currentText(), QString::fromUtf8(row.sortText))
            << row.ini;
        EXPECT_EQ(f.ctx.settings.Search.Sort, row.sortWord) << row.ini;
        EXPECT_EQ(f.ctx.settings.Search.ListCount, row.listCount) << row.ini;
    }
}

TEST(TfrmMain, StartStateOfSummariesDocumentTypeColoursAndHistory) {
    Fixture f(
        "[Search]\nShowContents=2\nFormulaHistoryCount=3\nHistory1=namazu\nHistory2=   \nHistory3=検索\n"
        "[Result]\nColor=0\nDisplayTo=WebBrowser\n[WebBrowser]\nDisplayTo=External\n"
        "[Document]\nHowToOpen=Whatever\n");
    EXPECT_FALSE(f.Find<QCheckBox>("chkShowContents")->isChecked());
    EXPECT_TRUE(f.Checked("mnuContentsOff"));
    EXPECT_TRUE(f.Checked("mnuDocByExtension"));
    EXPECT_EQ(f.ctx.settings.Document.HowToOpen, "Define");
    EXPECT_TRUE(f.Checked("mnuColored"));
    EXPECT_FALSE(f.Find<QAction>("mnuColored")->isEnabled());
    EXPECT_FALSE(f.Find<QMenu>("mnuConvert")->isEnabled());
    EXPECT_FALSE(f.Find<QMenu>("mnuDocType")->isEnabled());
    QComboBox* keyword = f.Find<QComboBox>("cboKeyword");
    ASSERT_EQ(keyword->count(), 2);
    EXPECT_EQ(keyword->itemText(0), QStringLiteral("namazu"));
    EXPECT_EQ(keyword->itemText(1), QStringLiteral("検索"));
}

TEST(TfrmMain, EmptyPlaceAndBlankQueryAreRefused) {
    Fixture f;
    f.Find<QComboBox>("cboIndexDir")->setEditText(QStringLiteral("   "));
    f.Find<QComboBox>("cboKeyword")->setEditText(QStringLiteral("namazu"));
    f.window->btnSearchClick();
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_EQ(f.prompter.calls[0].text, QStringLiteral("検索場所を指定してください。"));
    EXPECT_EQ(f.prompter.calls[0].caption, QStringLiteral("エラー"));
    EXPECT_EQ(f.prompter.calls[0].icon, MessageIcon::Error);

    f.Find<QComboBox>("cboIndexDir")->setEditText(QStringLiteral("/idx"));
    f.Find<QComboBox>("cboKeyword")->setEditText(QStringLiteral(" 　　 "));
    f.window->btnSearchClick();
    ASSERT_EQ(f.prompter.Messages().size(), 2u);
    EXPECT_EQ(f.prompter.calls[1].text, QStringLiteral("検索式を入力してください。"));
    EXPECT_EQ(f.Find<QComboBox>("cboKeyword")->currentText(), QString());
}

TEST(TfrmMain, MissingNamazuIsReportedThenTheMissingResultFile) {
    Fixture f("[Command]\nnamazuPath=/nonexistent/namazu\n");
    f.Find<QComboBox>("cboKeyword")->setEditText(QStringLiteral("namazu"));
    f.window->btnSearchClick();
    const auto messages = f.prompter.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("/nonexistent/namazu")));
    EXPECT_EQ(messages[1], QStringLiteral("検索結果のファイルが見つかりません。\n") +
                               QString::fromStdString(f.dir.Path("tmp/result.txt")));
    EXPECT_EQ(f.prompter.calls[1].icon, MessageIcon::Warning);
    EXPECT_TRUE(f.Find<QWidget>("btnSearch")->isEnabled());
    EXPECT_TRUE(f.window->isEnabled());
    EXPECT_EQ(f.Find<QComboBox>("cboKeyword")->itemText(0), QStringLiteral("namazu"));
}

TEST(TfrmMain, ConfirmationAnsweredNoLeavesTheCommandLineInTheList) {
    Fixture f("[Result]\nConfirmCommandLine=1\n");
    f.prompter.messageAnswers = {MessageResult::No};
    f.Find<QComboBox>("cboKeyword")->setEditText(QStringLiteral("namazu"));
    f.window->btnSearchClick();
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_EQ(f.prompter.calls[0].text, QStringLiteral("続行しますか？"));
    EXPECT_EQ(f.prompter.calls[0].caption, QStringLiteral("コマンドライン確認"));
    EXPECT_EQ(f.prompter.calls[0].buttons, MessageButtons::YesNo);
    const QString shown = f.Find<ResultView>("edtResult")->toPlainText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("\"/usr/bin/namazu\" --sort=score --max=20 --output=")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral("\"namazu\" \"/var/lib/namazu/index\"")));
}

TEST(TfrmMain, ListCountTypedIntoTheBoxIsStoredWhenLeft) {
    struct Row {
        const char* typed;
        const char* stored;
        const char* checked;
        const char* boxAfter;
    };
    const Row rows[] = {{"35", "35", "mnuListCountFifty", "35"},
                        {"abc", "20", "mnuListCountTwenty", "abc"},
                        {"0", "20", "mnuListCountTwenty", "20"},
                        {"150", "20", "mnuListCountTwenty", "20"}};
    for (const Row& row : rows) {
        Fixture f;
        f.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
        QComboBox* box = f.Find<QComboBox>("cboListCount");
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(row.typed));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // leaving the box stores the value
        EXPECT_EQ(f.ctx.settings.Search.ListCount, row.stored) << row.typed;
        EXPECT_TRUE(f.Checked(row.checked)) << row.typed;
        EXPECT_EQ(box->currentText(), QString::fromUtf8(row.boxAfter)) << row.typed;
    }
}

TEST(TfrmMain, MenuChoicesSearchAgainOnlyWhenAsked) {
    for (const char* flag : {"0", "1"}) {
        Fixture f(std::string("[Result]\nSearchOnChangeSettings=") + flag +
                  "\n[Search]\nDirectory1=/nonexistent\n");
        f.Find<QComboBox>("cboKeyword")->setEditText(QStringLiteral("namazu"));
        f.Find<QAction>("mnuListCountAll")->trigger();
        EXPECT_EQ(f.ctx.settings.Search.ListCount, "All");
        EXPECT_EQ(f.Find<QComboBox>("cboListCount")->currentText(), QStringLiteral("すべて"));
        EXPECT_EQ(!f.window->ResultFilePath().empty(), std::string(flag) == "1") << flag;
    }
    // The summary check box changes the next search but not the stored value, and never searches.
    Fixture f("[Result]\nSearchOnChangeSettings=1\n");
    f.Find<QCheckBox>("chkShowContents")->click();
    EXPECT_TRUE(f.Checked("mnuContentsOff"));
    EXPECT_EQ(f.ctx.settings.Search.ShowContents, "1");
    EXPECT_TRUE(f.window->ResultFilePath().empty());
}

TEST(TfrmMain, CompactAppearanceShowsOnlyTheFirstHeaderRow) {
    Fixture f;
    f.window->resize(600, 500);
    f.window->show();
    QWidget* header = f.Find<QWidget>("pnlHeader");
    EXPECT_EQ(header->height(), 65);
    EXPECT_TRUE(f.Find<QWidget>("cboSortType")->isVisible());
    f.Find<QAction>("mnuAppearanceSmall")->trigger();
    EXPECT_EQ(f.ctx.settings.Window.ScreenType, "Small");
    EXPECT_EQ(header->height(), 40);
    EXPECT_FALSE(f.Find<QWidget>("cboSortType")->isVisible());
    f.Find<QAction>("mnuAppearanceNormal")->trigger();
    f.window->resize(440, 500);
    EXPECT_TRUE(f.Find<QWidget>("cboSortType")->isVisible());
    EXPECT_FALSE(f.Find<QWidget>("chkShowContents")->isVisible());
}

TEST(TfrmMain, ClosingThroughTheFrameSavesAndExitDoesNot) {
    Fixture f;
    const std::string before = f.dir.ReadFile("quarrow.ini");
    f.Find<QAction>("mnuListCountFifty")->trigger();
    // "Exit" ends the event loop without closing the window.
    QTimer::singleShot(0, f.window.get(), [&] { f.Find<QAction>("mnuExit")->trigger(); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(f.dir.ReadFile("quarrow.ini"), before);
    f.window->close();
    const std::string after = f.dir.ReadFile("quarrow.ini");
    EXPECT_NE(after.find("ListCount=50\n"), std::string::npos);
    EXPECT_NE(after.find("SortDirection=None\n"), std::string::npos);
}

namespace {

// Types the query into the query box and presses Enter there, as the user does.
void SearchFor(Fixture& f, const QString& place, const QString& query) {
    f.Find<QComboBox>("cboIndexDir")->setEditText(place);
    QComboBox* keyword = f.Find<QComboBox>("cboKeyword");
    keyword->setEditText(query);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(keyword->lineEdit(), &enter);
}

}  // namespace

TEST(TfrmMain, SearchesARealIndexWithTheRealNamazu) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture index(TestDataPath("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    Fixture f;
    const QString indexFolder = QString::fromStdString(index.IndexFolder());
    ::symlink(index.IndexFolder().c_str(), f.dir.Path("idx").c_str());
    f.ctx.drives = {"{hd1} => /    []"};

    struct Row {
        QString place;
        QString query;
        QString expectedFile;
    };
    const Row rows[] = {
        {indexFolder, QStringLiteral("lighthouse"), QStringLiteral("english.txt")},
        {indexFolder, QStringLiteral("灯台"), QStringLiteral("japanese-eucjp.txt")},
        {QStringLiteral("./idx"), QStringLiteral("lighthouse"), QStringLiteral("english.txt")},
        {QStringLiteral("{hd1}") + indexFolder, QStringLiteral("灯台"), QStringLiteral("メモ 2024.txt")},
        {u'"' + indexFolder + u'"', QStringLiteral("\"lighthouse\""), QStringLiteral("english.txt")},
    };
    for (const Row& row : rows) {
        SearchFor(f, row.place, row.query);
        const QString shown = f.Find<ResultView>("edtResult")->toPlainText();
        EXPECT_TRUE(shown.contains(row.expectedFile))
            << row.place.toStdString() << " " << row.query.toStdString() << "\n"
            << shown.toStdString();
        EXPECT_TRUE(f.prompter.Messages().empty()) << f.prompter.Messages().front().toStdString();
        EXPECT_FALSE(FileExists(f.window->ResultFilePath()));  // a list result is deleted once read
    }
    EXPECT_EQ(f.Find<QComboBox>("cboKeyword")->itemText(0), QStringLiteral("\"lighthouse\""));
}

TEST(TfrmMain, AWholeSessionIsRestoredAtTheNextStart) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture index(TestDataPath("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    const QString indexFolder = QString::fromStdString(index.IndexFolder());
    TempProgramDir dir;
    ::symlink(index.IndexFolder().c_str(), dir.Path("idx").c_str());
    FakePrompter prompter;
    {
        AppContext ctx;
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        ctx.settings = InitSettings(ctx.platform);
        ctx.settings.Window.SavePosition = "1";
        ctx.settings.Window.ShowExplanation = "0";
        TfrmMain window(ctx);
        window.show();
        auto* keyword = window.findChild<QComboBox*>(QStringLiteral("cboKeyword"));
        auto* place = window.findChild<QComboBox*>(QStringLiteral("cboIndexDir"));
        for (const QString& where : {indexFolder, QStringLiteral("./idx")}) {
            place->setEditText(where);
            keyword->setEditText(where == indexFolder ? QStringLiteral("lighthouse")
                                                      : QStringLiteral("灯台"));
            window.btnSearchClick();
        }
        window.findChild<QAction*>(QStringLiteral("mnuListCountHundred"))->trigger();
        auto* sort = window.findChild<QComboBox*>(QStringLiteral("cboSortType"));
        sort->setCurrentText(QStringLiteral("題名"));
        window.cboSortTypeClick();
        window.setGeometry(40, 50, 600, 480);
        window.close();
    }
    EXPECT_TRUE(prompter.Messages().empty());

    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);
    EXPECT_EQ(ctx.settings.Search.ListCount, "100");
    EXPECT_EQ(ctx.settings.Search.Sort, "Title");
    EXPECT_EQ(ctx.settings.IndexDirectoryText, "./idx");
    EXPECT_EQ(ctx.settings.QueryHistory.at(0), "灯台");
    EXPECT_EQ(ctx.settings.QueryHistory.at(1), "lighthouse");
    ctx.settings.Window.ShowExplanation = "0";
    TfrmMain window(ctx);
    window.show();
    EXPECT_TRUE(window.findChild<QAction*>(QStringLiteral("mnuListCountHundred"))->isChecked());
    EXPECT_TRUE(window.findChild<QAction*>(QStringLiteral("mnuSortTitle"))->isChecked());
    auto* place = window.findChild<QComboBox*>(QStringLiteral("cboIndexDir"));
    ASSERT_EQ(place->count(), 2);
    EXPECT_EQ(place->itemText(0), QStringLiteral("./idx"));  // most recent first
    EXPECT_EQ(place->itemText(1), indexFolder);
    auto* recent = window.findChild<QMenu*>(QStringLiteral("mnuRecentDirectory"));
    EXPECT_TRUE(recent->isEnabled());
    EXPECT_EQ(recent->actions().size(), 2);
    EXPECT_EQ(window.findChild<QComboBox*>(QStringLiteral("cboKeyword"))->itemText(0),
              QStringLiteral("灯台"));
    EXPECT_EQ(window.geometry().topLeft(), QPoint(40, 50));
}

TEST(TfrmMain, AHitOpensInTheTextViewerAndTheViewerWalksTheHits) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture index(TestDataPath("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    Fixture f;
    f.ctx.settings.Document.HowToOpen = "PlainText";
    f.Find<QAction>("mnuDocPlainText")->setChecked(true);
    SearchFor(f, QString::fromStdString(index.IndexFolder()), QStringLiteral("灯台守"));
    auto* result = f.Find<ResultView>("edtResult");
    ASSERT_TRUE(result->toPlainText().contains(QStringLiteral("1. ")));

    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(result, &enter);
    auto* pages = f.Find<QTabWidget>("pge");
    EXPECT_EQ(pages->currentWidget()->objectName(), QStringLiteral("tabTextDoc"));
    auto* text = f.Find<QPlainTextEdit>("edtTextContents");
    EXPECT_TRUE(text->toPlainText().contains(QStringLiteral("灯台守"))) << text->toPlainText().toStdString();
    const QString first = text->toPlainText();

    // n opens the next hit; past the last one the viewer beeps.
    QKeyEvent next(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, QStringLiteral("n"));
    for (int i = 0; i < 20 && f.prompter.Count("Beep") == 0; ++i) QCoreApplication::sendEvent(text, &next);
    EXPECT_NE(text->toPlainText(), first);
    EXPECT_EQ(f.prompter.Count("Beep"), 1);
    EXPECT_TRUE(f.prompter.Messages().empty());
}

TEST(TfrmMain, CopyIsOfferedOnlyWithASelectionOnTheActivePage) {
    Fixture f;
    auto* result = f.Find<ResultView>("edtResult");
    result->setPlainText(QStringLiteral("検索結果の行"));
    QMenu* popup = f.Find<QMenu>("pmnu");
    QAction* copy = f.Find<QAction>("mnuCopy");
    emit popup->aboutToShow();
    EXPECT_FALSE(copy->isEnabled());
    result->selectAll();
    emit popup->aboutToShow();
    EXPECT_TRUE(copy->isEnabled());
    copy->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("検索結果の行"));
    f.Find<QTabWidget>("pge")->setCurrentIndex(1);  // the text page, with nothing selected
    emit popup->aboutToShow();
    EXPECT_FALSE(copy->isEnabled());
}

TEST(TfrmMain, FontChoiceIsStoredForTheNextStart) {
    Fixture f;
    f.prompter.fontAnswers = {FontChoice{QStringLiteral("IPAGothic"), 12, true}};
    f.Find<QAction>("mnuFontResult")->trigger();
    EXPECT_EQ(f.ctx.settings.Result.FontNameResult, "IPAGothic");
    EXPECT_EQ(f.ctx.settings.Result.FontSizeResult, "12");
    EXPECT_EQ(f.ctx.settings.Result.FontBoldResult, "1");
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_EQ(f.prompter.Messages()[0], QStringLiteral("フォントの設定は次回起動時から有効です。"));
    EXPECT_EQ(f.prompter.calls.back().caption, QStringLiteral("Quarrow for Namazu"));
    EXPECT_EQ(f.prompter.calls.back().icon, MessageIcon::Information);

    // A stored size that is not a whole number stops the command before the dialog.
    f.ctx.settings.Result.FontSizeText = "x";
    f.Find<QAction>("mnuFontTextContents")->trigger();
    EXPECT_EQ(f.prompter.Count("ChooseFont"), 1);
    EXPECT_EQ(f.prompter.calls.back().icon, MessageIcon::Error);
    EXPECT_EQ(f.ctx.settings.Result.FontSizeText, "x");
}

TEST(TfrmMain, AReadOnlySettingsFileIsLeftAsItWasOnClosing) {
    Fixture f;
    f.Find<QAction>("mnuListCountFifty")->trigger();
    const std::string before = f.dir.ReadFile("quarrow.ini");
    ::chmod(f.dir.Path("quarrow.ini").c_str(), 0444);
    f.ctx.settings.Window.SavePosition = "1";
    f.window->close();
    EXPECT_EQ(f.dir.ReadFile("quarrow.ini"), before);
    ::chmod(f.dir.Path("quarrow.ini").c_str(), 0644);
}

TEST(TfrmMain, ASettingsFileThatCannotBeReadIsSaidOnceAndNeverWritten) {
    TempProgramDir dir;
    ASSERT_EQ(::mkfifo(dir.Path("quarrow.ini").c_str(), 0644), 0);  // nobody ever writes into it
    FakePrompter prompter;
    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);
    ctx.settings.Window.ShowExplanation = "0";
    TfrmMain window(ctx);
    window.show();
    window.close();
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(prompter.Messages().front().startsWith(QStringLiteral("設定ファイルを読み込めませんでした。")));
    struct stat st {};
    ASSERT_EQ(::lstat(dir.Path("quarrow.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// The help page names what a newcomer would otherwise never find, with its keys and with the
// captions the window shows.
TEST(TfrmMain, TheHelpPageNamesTheHiddenCommandsWithTheirKeys) {
    Fixture f;
    const std::string page = ReadWholeFile(TEST_DATA_DIR "/../../help/index.html").value_or("");
    std::vector<std::string> wanted = {"<kbd>F3</kbd>", "<kbd>Shift</kbd>+<kbd>F3</kbd>", "<kbd>Ctrl</kbd>+<kbd>F</kbd>",
                                       "「中止」", "<kbd>Esc</kbd>"};
    for (const char* name : {"mnuOpenDocument", "mnuOpenWithApplication", "mnuOpenFolder", "mnuCopyPath", "mnuCopyUri",
                             "mnuUpdateIndex", "mnuCodeAuto", "mnuCodeShiftJis"}) {
        QString caption = f.Find<QAction>(name)->text();
        caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
        wanted.push_back("「" + caption.toStdString() + "」");
    }
    wanted.push_back("「" + f.Find<QMenu>("mnuDocumentCode")->title().remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).toStdString() + "」");
    for (const std::string& text : wanted) EXPECT_NE(page.find(text), std::string::npos) << text;
}

TEST(TfrmMain, DriveInformationListsTheDriveConstants) {
    Fixture f;
    f.Find<QAction>("mnuShowDriveInfo")->trigger();
    if (f.ctx.drives.empty()) {
        EXPECT_TRUE(f.prompter.Messages().empty());
        return;
    }
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    QString expected;
    for (const std::string& line : f.ctx.drives) expected += QString::fromStdString(line) + u'\n';
    EXPECT_EQ(f.prompter.Messages()[0], expected);
    EXPECT_EQ(f.prompter.calls[0].caption, QStringLiteral("ドライブ情報"));
    EXPECT_EQ(f.prompter.calls[0].icon, MessageIcon::Information);
}

TEST(TfrmMain, ConfirmationAnsweredNoInOutsideBrowserModePutsTheLineOnTheClipboard) {
    Fixture f("[Result]\nConfirmCommandLine=1\nDisplayTo=WebBrowser\n[WebBrowser]\nDisplayTo=External\n");
    f.prompter.messageAnswers = {MessageResult::No};
    QGuiApplication::clipboard()->clear();
    f.Find<QComboBox>("cboKeyword")->setEditText(QStringLiteral("namazu"));
    f.window->btnSearchClick();
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    const QString line = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(
        line.startsWith(QStringLiteral("\"/usr/bin/namazu\" --sort=score --max=20 --html --output=")));
    EXPECT_EQ(f.prompter.Messages()[0], line + QStringLiteral("\n\n続行しますか？"));
    EXPECT_TRUE(f.window->isEnabled());
}

TEST(TfrmMain, ClosingDuringASearchWaitsForIt) {
    Fixture f;
    f.dir.WriteFile("slow-namazu", "#!/bin/sh\nsleep 0.4\n");
    ::chmod(f.dir.Path("slow-namazu").c_str(), 0755);
    f.ctx.settings.Command.namazuPath = f.dir.Path("slow-namazu");
    f.window->show();
    bool visibleAfterClose = false;
    QTimer::singleShot(100, f.window.get(), [&] {
        f.window->close();
        visibleAfterClose = f.window->isVisible();
    });
    f.Find<QComboBox>("cboKeyword")->setEditText(QStringLiteral("namazu"));
    f.window->btnSearchClick();
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_TRUE(f.window->isVisible());
    QCoreApplication::processEvents();  // the deferred close
    EXPECT_FALSE(f.window->isVisible());
    EXPECT_NE(f.dir.ReadFile("quarrow.ini").find("History1=namazu"), std::string::npos);
}

// A query that begins with "-" is searched for, never taken by namazu as an option; a folder with
// a blank typed without quotes is explained.
TEST(TfrmMain, TheRealNamazuTakesADashQueryAsAQueryAndASplitFolderIsExplained) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture index(TestDataPath("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    Fixture f;
    const std::string clobbered = f.dir.Path("clobbered.txt");
    SearchFor(f, QString::fromStdString(index.IndexFolder()), QString::fromStdString("--output=" + clobbered));
    EXPECT_FALSE(FileExists(clobbered));
    EXPECT_TRUE(f.prompter.Messages().empty()) << f.prompter.Messages().front().toStdString();

    const std::string spaced = f.dir.Path("out idx1");
    ASSERT_EQ(::symlink(index.IndexFolder().c_str(), spaced.c_str()), 0);
    SearchFor(f, QString::fromStdString(spaced), QStringLiteral("lighthouse"));
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(),
              QStringLiteral("空白を含むフォルダは \"…\" で囲んでください: \"") + QString::fromStdString(spaced) +
                  u'"');
}

namespace {

// A stand-in for namazu: it records its arguments, one per line, and writes a recorded result
// file where it was asked to.
struct StandInNamazu {
    explicit StandInNamazu(Fixture& f, const std::string& result = "results/plain-ja-query-en.txt")
        : argvFile(f.dir.Path("argv.txt")) {
        const std::string script = "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                   argvFile + "'\nfor a in \"$@\"; do case \"$a\" in --output=*) cp '" +
                                   TestDataPath(result) + "' \"${a#--output=}\";; esac; done\n";
        f.dir.WriteFile("namazu-stand-in", script);
        ::chmod(f.dir.Path("namazu-stand-in").c_str(), 0755);
        f.ctx.settings.Command.namazuPath = f.dir.Path("namazu-stand-in");
    }
    std::vector<std::string> Argv() const {
        std::vector<std::string> lines;
        QFile file(QString::fromStdString(argvFile));
        if (!file.open(QIODevice::ReadOnly)) return lines;
        for (const QByteArray& line : file.readAll().split('\n')) lines.push_back(line.toStdString());
        if (!lines.empty() && lines.back().empty()) lines.pop_back();
        return lines;
    }
    bool Received(const std::string& argument) const {
        const auto argv = Argv();
        return std::find(argv.begin(), argv.end(), argument) != argv.end();
    }
    std::string argvFile;
};

void ShowAndWait(Fixture& f) {
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
}

QWidget* Focused() {
    return QApplication::focusWidget();
}

void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Focused(), key, modifiers);
}

// Moves the focus to the box as a click would, and replaces its text by typing.
void TypeInto(QWidget* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    Press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(Focused(), text);
}

// As the user does it: the search place and the query typed into their boxes, then Enter.
void TypeSearch(Fixture& f, const QString& place, const QString& query) {
    for (const auto& [box, text] : {std::pair{"cboIndexDir", place}, std::pair{"cboKeyword", query}}) {
        f.Find<QComboBox>(box)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// Right-clicks a point of a view through the window, as the desktop delivers the click.
void RightClick(QWidget* window, QAbstractScrollArea* view, const QPoint& at) {
    QTest::mouseClick(window->windowHandle(), Qt::RightButton, {}, view->viewport()->mapTo(window, at));
}

// Clicks an item of the open popup menu.
void ClickItem(QMenu* menu, QAction* item) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000));
    ASSERT_TRUE(item->isVisible() && item->isEnabled()) << item->objectName().toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !menu->isVisible(); }, 2000));
}

// Moves the focus to the box as a click would and replaces its text with what an input method
// commits, as Japanese is typed.
void TypeThroughInputMethod(QWidget* box, const QString& text) {
    box->setFocus(Qt::MouseFocusReason);
    Press(Qt::Key_A, Qt::ControlModifier);
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QCoreApplication::sendEvent(Focused(), &commit);
}

}  // namespace

TEST(TfrmMainAsAUser, ACountTypedOrChosenInTheBoxIsWhatTheNextSearchAsksFor) {
    Fixture f;
    StandInNamazu namazu(f);
    ShowAndWait(f);
    auto* count = f.Find<QComboBox>("cboListCount");
    TypeInto(count, QStringLiteral("35"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(f.ctx.settings.Search.ListCount, "35");
    TypeInto(f.Find<QComboBox>("cboKeyword"), QStringLiteral("lighthouse"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(namazu.Received("--max=35")) << ::testing::PrintToString(namazu.Argv());

    // "すべて" picked from the list with the keyboard, then the search button clicked.
    count->setFocus(Qt::MouseFocusReason);
    Press(Qt::Key_End);  // in an editable box End moves the caret; pick with the arrow keys
    for (int i = 0; i < 4; ++i) Press(Qt::Key_Down);
    EXPECT_EQ(count->currentText(), QStringLiteral("すべて"));
    QTest::mouseClick(f.Find<QPushButton>("btnSearch"), Qt::LeftButton);
    EXPECT_EQ(f.ctx.settings.Search.ListCount, "All");
    EXPECT_TRUE(f.Checked("mnuListCountAll"));
    EXPECT_TRUE(namazu.Received("--all")) << ::testing::PrintToString(namazu.Argv());
}

TEST(TfrmMainAsAUser, TheStoredSearchPlaceIsShownAndSearchedAtStart) {
    Fixture f("[Search]\nDirectoryCount=1\nDirectory1=/place/A\n[SearchMRU]\nItem_0=/place/B\n");
    StandInNamazu namazu(f);
    ShowAndWait(f);
    auto* place = f.Find<QComboBox>("cboIndexDir");
    EXPECT_EQ(place->currentText(), QStringLiteral("/place/A"));
    EXPECT_EQ(place->count(), 1);  // the recent place is offered in the list
    TypeInto(f.Find<QComboBox>("cboKeyword"), QStringLiteral("lighthouse"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(namazu.Received("/place/A")) << ::testing::PrintToString(namazu.Argv());
    EXPECT_FALSE(namazu.Received("/place/B"));
    EXPECT_EQ(f.window->windowTitle(), QStringLiteral("Quarrow for Namazu - [/place/A]"));
}

TEST(TfrmMainAsAUser, WhatIsTypedIsWhatIsSearched) {
    Fixture f("[Search]\nFormulaHistoryCount=1\nHistory1=namazu tutorial\n");
    StandInNamazu namazu(f);
    ShowAndWait(f);
    f.window->findChild<QComboBox*>(QStringLiteral("cboIndexDir"))->addItem(QStringLiteral("/idx/longer"));
    TypeInto(f.Find<QComboBox>("cboIndexDir"), QStringLiteral("/idx/long"));
    TypeInto(f.Find<QComboBox>("cboKeyword"), QStringLiteral("namazu"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(namazu.Received("namazu")) << ::testing::PrintToString(namazu.Argv());
    EXPECT_FALSE(namazu.Received("namazu tutorial"));
    EXPECT_TRUE(namazu.Received("/idx/long"));
    auto* count = f.Find<QComboBox>("cboListCount");
    TypeInto(count, QStringLiteral("10"));
    EXPECT_EQ(count->currentText(), QStringLiteral("10"));
    Press(Qt::Key_Tab);
    EXPECT_EQ(f.ctx.settings.Search.ListCount, "10");
}

TEST(TfrmMainAsAUser, AListSearchTellsTheResultKeys) {
    Fixture f;
    StandInNamazu namazu(f);
    ShowAndWait(f);
    TypeInto(f.Find<QComboBox>("cboKeyword"), QStringLiteral("lighthouse"));
    Press(Qt::Key_Return);
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(), QStringLiteral("N:次候補  P:前候補"));
}

TEST(TfrmMainAsAUser, OpeningAMenuLeavesTheStatusText) {
    Fixture f;
    ShowAndWait(f);
    auto* status = f.Find<QStatusBar>("stb");
    QTabBar* tabs = f.Find<QTabWidget>("pge")->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    const QString shown = QStringLiteral("N:次文書  P:前文書");
    ASSERT_EQ(status->currentMessage(), shown);

    // Open the view menu from the menu bar, walk down its items, close it again.
    QMenuBar* bar = f.window->menuBar();
    QTest::mouseMove(bar, bar->actionGeometry(f.Find<QMenu>("mnuSearch")->menuAction()).center());
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(f.Find<QMenu>("mnuView")->menuAction()).center());
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Down);
    while (QApplication::activePopupWidget())
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_EQ(status->currentMessage(), shown);
}

TEST(TfrmMainAsAUser, AQueryFoundInTheHistoryKeepsItsStoredSpelling) {
    Fixture f("[Search]\nFormulaHistoryCount=2\nHistory1=灯台\nHistory2=Lighthouse\n");
    StandInNamazu namazu(f);
    ShowAndWait(f);
    auto* keyword = f.Find<QComboBox>("cboKeyword");
    TypeInto(keyword, QStringLiteral("lighthouse"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(namazu.Received("lighthouse"));
    ASSERT_EQ(keyword->count(), 2);
    EXPECT_EQ(keyword->itemText(0), QStringLiteral("Lighthouse"));
    EXPECT_EQ(keyword->itemText(1), QStringLiteral("灯台"));
    EXPECT_EQ(keyword->currentText(), QStringLiteral("lighthouse"));
    f.window->close();
    const std::string saved = f.dir.ReadFile("quarrow.ini");
    EXPECT_NE(saved.find("History1=Lighthouse\nHistory2=灯台\n"), std::string::npos) << saved;
}

TEST(TfrmMainAsAUser, AHugeHistoryCountBesideTheProgramStillStartsAndCloses) {
    Fixture f(
        "[Search]\nFormulaHistoryCount=2000000000\nHistory1=灯台\nDirectoryCount=2000000000\n"
        "Directory1=/place/A\n");
    ShowAndWait(f);
    EXPECT_EQ(f.Find<QComboBox>("cboKeyword")->count(), 1);
    EXPECT_EQ(f.Find<QComboBox>("cboIndexDir")->currentText(), QStringLiteral("/place/A"));
    f.window->close();
    const Settings again = LoadSettings(f.ctx.settings.SettingsPath, f.ctx.platform);
    EXPECT_EQ(again.QueryHistory, std::vector<std::string>{"灯台"});
    EXPECT_EQ(again.Directories, std::vector<std::string>{"/place/A"});
}

TEST(TfrmMain, AHitsPopupMenuReachesItsFile) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture index(TestDataPath("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    Fixture f;
    f.window->resize(700, 500);
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    TypeSearch(f, QString::fromStdString(index.IndexFolder()), QStringLiteral("lighthouse"));
    auto* result = f.Find<ResultView>("edtResult");
    ASSERT_GT(result->HitCount(), 0) << result->toPlainText().toStdString();
    // A text file, which opens in the text viewer.
    const auto txt = std::find_if(result->Hits().begin(), result->Hits().end(),
                                  [](const HitRecord& h) { return h.Uri.ends_with(".txt"); });
    ASSERT_NE(txt, result->Hits().end());
    const HitRecord& hit = *txt;
    const QString path = QString::fromStdString(HitDocumentPath(hit.Uri, f.ctx.platform, f.ctx.drives));
    const QPoint overTitle = result->CharRect(hit.TitleStart + 1).center();

    QMenu* popup = f.Find<QMenu>("pmnu");
    EXPECT_EQ(popup->actions().front(), f.Find<QAction>("mnuCopy"));  // the copy item keeps its place
    RightClick(f.window.get(), result, overTitle);
    ClickItem(popup, f.Find<QAction>("mnuCopyPath"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), path);
    RightClick(f.window.get(), result, overTitle);
    ClickItem(popup, f.Find<QAction>("mnuCopyUri"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    EXPECT_FALSE(f.Find<QAction>("mnuCodeAuto")->isVisible() && popup->actions().back()->isVisible());

    // No application takes the folder: the opener ends with 4 a moment later, and that is said.
    f.dir.WriteFile("xdg-open", "#!/bin/sh\nsleep 0.3\nexit 4\n");
    ::chmod(f.dir.Path("xdg-open").c_str(), 0755);
    const QByteArray path0 = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(f.dir.Folder()) + ':' + path0);
    RightClick(f.window.get(), result, overTitle);
    ClickItem(popup, f.Find<QAction>("mnuOpenFolder"));
    qputenv("PATH", path0);
    auto* bar = f.Find<QStatusBar>("stb");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return bar->currentMessage() == QStringLiteral("関連付けされたアプリケーションの起動に失敗しました。"); }, 5000))
        << bar->currentMessage().toStdString();

    // Over the head of the result there is no document.
    RightClick(f.window.get(), result, QPoint(5, 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }, 2000));
    EXPECT_FALSE(f.Find<QAction>("mnuCopyPath")->isEnabled());
    popup->close();

    // Open: the document display, here the text viewer.
    RightClick(f.window.get(), result, overTitle);
    ClickItem(popup, f.Find<QAction>("mnuOpenDocument"));
    EXPECT_EQ(f.Find<QTabWidget>("pge")->currentWidget()->objectName(), QStringLiteral("tabTextDoc"));
    auto* viewer = f.Find<QPlainTextEdit>("edtTextContents");
    EXPECT_TRUE(viewer->toPlainText().contains(QStringLiteral("lighthouse"), Qt::CaseInsensitive));

    // In the viewer the items serve the open document; there is nothing more to open in it.
    RightClick(f.window.get(), viewer, QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup->isVisible(); }, 2000));
    EXPECT_FALSE(f.Find<QAction>("mnuOpenDocument")->isVisible());
    EXPECT_TRUE(popup->actions().back()->isVisible());  // the code the document is read in
    ClickItem(popup, f.Find<QAction>("mnuCopyPath"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), path);
    EXPECT_TRUE(f.prompter.Messages().empty());
}

TEST(TfrmMain, AWordIgnoredForTooManyHitsIsExplained) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f;
    const std::string docs = f.dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, 30);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    // namazu's own limit, lowered in the user's namazurc so that 30 documents pass it.
    f.dir.WriteFile("namazurc", "MaxHit 20\n");
    f.ctx.settings.Search.UseNamazurc = "1";
    f.ctx.settings.Search.NamazurcPath = f.dir.Path("namazurc");
    f.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));

    TypeSearch(f, QString::fromStdString(index.IndexFolder()), QStringLiteral("corpusword"));
    auto* notice = f.Find<QLabel>("lblSearchNotice");
    const QString list = f.Find<ResultView>("edtResult")->toPlainText();
    EXPECT_TRUE(list.contains(QStringLiteral("No document matching")) ||
                list.contains(QStringLiteral("検索式にマッチする文書はありませんでした")))
        << list.toStdString();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().contains(QStringLiteral("「corpusword」 は一致する文書が多すぎるため")))
        << notice->text().toStdString();
    EXPECT_TRUE(f.Find<QStatusBar>("stb")->currentMessage().contains(QStringLiteral("MaxHit")));

    // In an OR the other word still finds its document; the ignored one is still named.
    TypeSearch(f, QString::fromStdString(index.IndexFolder()), QStringLiteral("corpusword or docmarker3"));
    EXPECT_TRUE(notice->isVisible());
    EXPECT_TRUE(notice->text().startsWith(QStringLiteral("「corpusword」"))) << notice->text().toStdString();

    TypeSearch(f, QString::fromStdString(index.IndexFolder()), QStringLiteral("docmarker3"));
    EXPECT_FALSE(notice->isVisible());
    EXPECT_TRUE(f.prompter.Messages().empty());
}

namespace {

// A namazu that has begun to write its result and then takes long: `onTerm` is the shell's
// answer to SIGTERM ("" to ignore it, so only SIGKILL ends it).
void SlowNamazu(Fixture& f, const char* onTerm = nullptr) {
    std::string script = "#!/bin/sh\n";
    if (onTerm) script += std::string("trap '") + onTerm + "' TERM\n";
    script +=
        "for a in \"$@\"; do case \"$a\" in --output=*) printf 'Results:\\n\\nReferences:' > \"${a#--output=}\";; "
        "esac; done\nexec sleep 30\n";
    f.dir.WriteFile("slow-namazu", script);
    ::chmod(f.dir.Path("slow-namazu").c_str(), 0755);
    f.ctx.settings.Command.namazuPath = f.dir.Path("slow-namazu");
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(TfrmMainAsAUser, TheSearchButtonStopsARunningSearch) {
    Fixture f;
    SlowNamazu(f);
    ShowAndWait(f);
    auto* button = f.Find<QPushButton>("btnSearch");
    auto* keyword = f.Find<QComboBox>("cboKeyword");
    QSignalSpy makeIndex(f.Find<QAction>("mnuMakeIndex"), &QAction::triggered);
    bool seen = false;
    // While namazu runs: the button reads 中止, the query box takes the next query, the menus'
    // keys start nothing; then the button is clicked.
    QTimer::singleShot(500, f.window.get(), [&] {
        seen = button->text() == QStringLiteral("中止") && button->isEnabled() &&
               (Focused() == keyword || Focused() == keyword->lineEdit());
        Press(Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Focused(), QStringLiteral("next query"));
        Press(Qt::Key_Return);  // Enter in the box does not start a second search
        Press(Qt::Key_K, Qt::ControlModifier);
        QTest::mouseClick(button, Qt::LeftButton);
    });
    const auto start = std::chrono::steady_clock::now();
    TypeInto(keyword, QStringLiteral("lighthouse"));
    Press(Qt::Key_Return);
    EXPECT_LT(SecondsSince(start), 5.0);
    EXPECT_TRUE(seen);
    EXPECT_EQ(makeIndex.count(), 0);
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(), QStringLiteral("検索を中止しました。"));
    EXPECT_FALSE(FileExists(f.window->ResultFilePath()));  // the partial result is gone
    EXPECT_TRUE(f.Find<ResultView>("edtResult")->toPlainText().isEmpty());
    EXPECT_TRUE(f.prompter.Messages().empty());
    EXPECT_EQ(button->text(), QStringLiteral("検索(&G)"));
    EXPECT_EQ(keyword->currentText(), QStringLiteral("next query"));
    EXPECT_TRUE(f.window->menuBar()->isEnabled());
}

TEST(TfrmMainAsAUser, EscapeStopsASearchThatIgnoresTheFirstSignal) {
    Fixture f;
    SlowNamazu(f, "");
    ShowAndWait(f);
    QTimer::singleShot(500, f.window.get(), [] { Press(Qt::Key_Escape); });
    const auto start = std::chrono::steady_clock::now();
    TypeInto(f.Find<QComboBox>("cboKeyword"), QStringLiteral("lighthouse"));
    Press(Qt::Key_Return);
    // SIGTERM is ignored; SIGKILL follows after the grace period.
    EXPECT_GT(SecondsSince(start), 2.0);
    EXPECT_LT(SecondsSince(start), 8.0);
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(), QStringLiteral("検索を中止しました。"));
    EXPECT_FALSE(FileExists(f.window->ResultFilePath()));
    EXPECT_TRUE(f.prompter.Messages().empty());
}

TEST(TfrmMainAsAUser, ClosingDuringALongSearchStopsItAndSaves) {
    Fixture f;
    SlowNamazu(f);
    ShowAndWait(f);
    QTimer::singleShot(500, f.window.get(), [&] { f.window->close(); });
    const auto start = std::chrono::steady_clock::now();
    TypeInto(f.Find<QComboBox>("cboKeyword"), QStringLiteral("lighthouse"));
    Press(Qt::Key_Return);
    EXPECT_LT(SecondsSince(start), 5.0);
    QCoreApplication::processEvents();  // the deferred close
    EXPECT_FALSE(f.window->isVisible());
    EXPECT_NE(f.dir.ReadFile("quarrow.ini").find("History1=lighthouse"), std::string::npos);
    EXPECT_FALSE(FileExists(f.window->ResultFilePath()));
}

TEST(TfrmMainAsAUser, TheSearchPlaceTellsHowOldItsIndexesAre) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f("[Window]\nShowIndexDir=1\n");
    const std::string docs = f.dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, 7);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    ::symlink(index.IndexFolder().c_str(), f.dir.Path("idx").c_str());
    ShowAndWait(f);
    auto* place = f.Find<QComboBox>("cboIndexDir");
    TypeInto(place, QStringLiteral("./idx \"") + QString::fromStdString(f.dir.Path("none")) + u'"');
    // The mouse rests on the search place.
    QTest::mouseMove(place->lineEdit(), QPoint(10, 5));
    QTest::mouseMove(place->lineEdit(), QPoint(12, 6));
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000));
    const QStringList lines = QToolTip::text().split(u'\n');
    ASSERT_EQ(lines.size(), 2) << QToolTip::text().toStdString();
    const QString today = QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd"));
    EXPECT_TRUE(lines[0].startsWith(QString::fromStdString(f.dir.Path("./idx")) + QStringLiteral(": ") + today))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("(たった今)、文書 7 件"))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], QString::fromStdString(f.dir.Path("none")) + QStringLiteral(": インデックスが見つかりません"));
}

TEST(TfrmMainAsAUser, ExtensionCharactersReachNamazuAsTheIndexHoldsThemAndOthersAreRefused) {
    Fixture f;
    StandInNamazu namazu(f);
    ShowAndWait(f);
    auto* keyword = f.Find<QComboBox>("cboKeyword");
    // Bytes as mknmz's nkf writes the documents: 髙 (IBM row) FC E2, ① (NEC row) AD A1.
    TypeThroughInputMethod(keyword, QStringLiteral("髙橋 ①"));
    Press(Qt::Key_Return);
    EXPECT_TRUE(namazu.Received("\xFC\xE2\xB6\xB6 \xAD\xA1")) << ::testing::PrintToString(namazu.Argv());
    EXPECT_TRUE(f.prompter.Messages().empty());
    const QString shown = f.Find<ResultView>("edtResult")->toPlainText();

    // No form in the index: refused with a message naming the character; namazu does not run
    // and the last result stays.
    ::unlink(namazu.argvFile.c_str());
    TypeThroughInputMethod(keyword, QStringLiteral("灯台 한국"));
    Press(Qt::Key_Return);
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_TRUE(f.prompter.Messages().front().contains(QStringLiteral("「한」")))
        << f.prompter.Messages().front().toStdString();
    EXPECT_FALSE(FileExists(namazu.argvFile));
    EXPECT_EQ(f.Find<ResultView>("edtResult")->toPlainText(), shown);
    EXPECT_TRUE(f.Find<QPushButton>("btnSearch")->isEnabled());
}

TEST(TfrmMainAsAUser, ExtensionCharactersFindTheUtf8AndCp932DocumentsThatHoldThem) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    TempProgramDir docs;
    const std::string text =
        "髙橋さんの会議メモ。議題は次のとおりです。① 予算について ⅱ 日程について\n"
        "出席者：株式会社㈱の皆様と、当社の担当者です。資料は前日までに配布します。\n";
    docs.WriteFile("utf8.txt", text);
    docs.WriteFile("cp932.txt", ConvertEncoding(text, "UTF-8", "CP932"));
    ASSERT_EQ(ConvertEncoding(ConvertEncoding(text, "UTF-8", "CP932"), "CP932", "UTF-8"), text);
    docs.WriteFile("other.txt", "高橋さんの会議メモ 議題\n");
    const NamazuFixture index(docs.Folder());
    ASSERT_TRUE(index.Built()) << index.BuildLog();

    Fixture f("[Search]\nDirectoryCount=1\nDirectory1=" + index.IndexFolder() + "\n");
    ShowAndWait(f);
    for (const char* query : {"髙橋", "①", "ⅱ", "㈱"}) {
        TypeThroughInputMethod(f.Find<QComboBox>("cboKeyword"), QString::fromUtf8(query));
        Press(Qt::Key_Return);
        const QString shown = f.Find<ResultView>("edtResult")->toPlainText();
        EXPECT_TRUE(shown.contains(QStringLiteral("utf8.txt"))) << query << "\n" << shown.toStdString();
        EXPECT_TRUE(shown.contains(QStringLiteral("cp932.txt"))) << query << "\n" << shown.toStdString();
        EXPECT_FALSE(shown.contains(QStringLiteral("other.txt"))) << query << "\n" << shown.toStdString();
    }
    EXPECT_TRUE(f.prompter.Messages().empty());
}

namespace {

// The update's console window, while it is open.
QWidget* UpdateConsole() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QStringLiteral("frmUpdateIndex") && top->isVisible()) return top;
    }
    return nullptr;
}

QString UpdateState() {
    QWidget* console = UpdateConsole();
    auto* label = console ? console->findChild<QLabel*>(QStringLiteral("lblUpdateState")) : nullptr;
    return label ? label->text() : QString();
}

bool ConsoleShows(const QString& part) {
    QWidget* console = UpdateConsole();
    auto* view = console ? console->findChild<QtOutputView*>(QStringLiteral("edt")) : nullptr;
    for (int i = 0; view && i < view->LineCount(); ++i) {
        if (view->LineText(i).contains(part)) return true;
    }
    return false;
}

// インデックス → 更新 as a user chooses it: Alt+I opens the menu, U its item. The update runs
// before the key press returns.
void ChooseUpdateIndex(Fixture& f) {
    f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    Press(Qt::Key_I, Qt::AltModifier);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->objectName(), QStringLiteral("mnuIndexing"));
    QTest::keyClick(menu, Qt::Key_U);
}

// The search place's tooltip, as the mouse resting on it brings it up.
QString PlaceToolTip(Fixture& f) {
    // Tooltips show in the active window only.
    f.window->activateWindow();
    if (!QTest::qWaitForWindowActive(f.window.get())) return QString();
    QToolTip::hideText();
    QTest::qWait(50);
    QLineEdit* edit = f.Find<QComboBox>("cboIndexDir")->lineEdit();
    QTest::mouseMove(f.Find<ResultView>("edtResult"));  // from elsewhere onto the place
    QTest::mouseMove(edit, QPoint(10, 5));
    QTest::mouseMove(edit, QPoint(12, 6));
    if (!QTest::qWaitFor([] { return QToolTip::isVisible(); }, 5000)) return QString();
    return QToolTip::text();
}

// Makes the index look `days` days old.
void AgeIndex(const std::string& folder, int days) {
    const time_t then = ::time(nullptr) - days * 86400 - 60;
    const timespec times[2] = {{then, 0}, {then, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder + "/NMZ.status").c_str(), times, 0), 0);
}

}  // namespace

TEST(TfrmMainAsAUser, TheIndexMenuUpdatesTheIndexesOfTheSearchPlace) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f("[Window]\nShowIndexDir=1\n");
    const std::string docs = f.dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, 5);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    AgeIndex(index.IndexFolder(), 3);
    f.dir.WriteFile("docs/fresh.txt", "A freshword arrived after the index was built.\n");
    const QString place = QString::fromStdString(index.IndexFolder());

    // The index menu's items keep keys of their own.
    QStringList keys;
    for (QAction* item : f.Find<QMenu>("mnuIndexing")->actions()) {
        const qsizetype amp = item->text().indexOf(u'&');
        if (amp >= 0) keys.append(item->text().mid(amp + 1, 1).toUpper());
    }
    EXPECT_EQ(keys, (QStringList{QStringLiteral("C"), QStringLiteral("U"), QStringLiteral("A")}));

    ShowAndWait(f);
    TypeInto(f.Find<QComboBox>("cboIndexDir"), place);
    EXPECT_TRUE(PlaceToolTip(f).endsWith(QStringLiteral("(3 日前)、文書 5 件"))) << QToolTip::text().toStdString();

    // While mknmz runs: its console shows which index, nothing else can start, closing is refused.
    QSignalSpy makeIndex(f.Find<QAction>("mnuMakeIndex"), &QAction::triggered);
    struct {
        bool seen = false;
        bool menuBarOff = false;
        bool searchOff = false;
        bool stayedOpen = false;
    } during;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (during.seen || !UpdateState().startsWith(QStringLiteral("更新中 (1 / 1): ") + place)) return;
        during.seen = true;
        during.menuBarOff = !f.window->menuBar()->isEnabled();
        during.searchOff = !f.Find<QPushButton>("btnSearch")->isEnabled() &&
                           !f.Find<QAction>("mnuMakeIndex")->isEnabled() && !f.Find<QAction>("mnuUpdateIndex")->isEnabled();
        f.window->activateWindow();
        Press(Qt::Key_K, Qt::ControlModifier);
        f.window->close();
        during.stayedOpen = f.window->isVisible();
    });
    poll.start();
    ChooseUpdateIndex(f);
    poll.stop();
    EXPECT_TRUE(during.seen);
    EXPECT_TRUE(during.menuBarOff);
    EXPECT_TRUE(during.searchOff);
    EXPECT_TRUE(during.stayedOpen);
    EXPECT_EQ(makeIndex.count(), 0);

    EXPECT_TRUE(f.prompter.Messages().empty()) << f.prompter.Messages().front().toStdString();
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(), QStringLiteral("インデックスを更新しました (1 個)。"));
    ASSERT_NE(UpdateConsole(), nullptr);
    EXPECT_EQ(UpdateState(), QStringLiteral("インデックスを更新しました (1 個)。"));
    EXPECT_TRUE(ConsoleShows(QStringLiteral("--update=\"") + place + u'"'));
    EXPECT_TRUE(ConsoleShows(QStringLiteral("fresh.txt")));  // mknmz read the new document only
    auto* bar = UpdateConsole()->findChild<QProgressBar*>(QStringLiteral("pbrProgress"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(f.window->menuBar()->isEnabled());
    EXPECT_TRUE(PlaceToolTip(f).endsWith(QStringLiteral("(たった今)、文書 6 件"))) << QToolTip::text().toStdString();

    f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    TypeSearch(f, place, QStringLiteral("freshword"));
    EXPECT_TRUE(f.Find<ResultView>("edtResult")->toPlainText().contains(QStringLiteral("fresh.txt")));

    // Nothing new: mknmz writes nothing, and the index still reads as checked now.
    AgeIndex(index.IndexFolder(), 3);
    f.Find<QComboBox>("cboIndexDir")->setFocus();
    ChooseUpdateIndex(f);
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(), QStringLiteral("インデックスを更新しました (1 個)。"));
    EXPECT_FALSE(ConsoleShows(QStringLiteral("fresh.txt")));  // the console starts afresh
    EXPECT_TRUE(PlaceToolTip(f).endsWith(QStringLiteral("(たった今)、文書 6 件"))) << QToolTip::text().toStdString();
    EXPECT_TRUE(f.prompter.Messages().empty());

    // The console goes with the search window.
    QPointer<QWidget> console = UpdateConsole();
    f.window->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.window->isVisible());
    EXPECT_TRUE(!console || !console->isVisible());
}

// The update's console opens over the search window, not in a corner of the screen; once the
// update has ended Escape closes it and the search window has the keys again.
TEST(TfrmMainOnADesktop, TheUpdateConsoleOpensOverTheSearchWindowAndEscapeGivesTheKeysBack) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "needs a desktop";
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f;
    const std::string docs = f.dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, 3);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    f.window->setGeometry(500, 300, 640, 480);
    ShowAndWait(f);
    TypeInto(f.Find<QComboBox>("cboIndexDir"), QString::fromStdString(index.IndexFolder()));
    ChooseUpdateIndex(f);
    QPointer<QWidget> console = UpdateConsole();
    ASSERT_NE(console, nullptr);
    EXPECT_TRUE(f.window->frameGeometry().contains(console->frameGeometry().center()))
        << console->frameGeometry().x() << "," << console->frameGeometry().y();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == console; }, 3000));
    Press(Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !console || !console->isVisible(); }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == f.window.get(); }, 3000));
    EXPECT_TRUE(f.window->isAncestorOf(Focused()));
}

// With the frame a window manager draws, the status bar keeps its whole height at the bottom edge,
// also when the window's height is fixed (results in an outside browser).
TEST(TfrmMainOnADesktop, TheStatusBarIsWhollyInsideTheWindow) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb")) GTEST_SKIP() << "needs a desktop";
    for (const char* ini : {"[Window]\nShowIndexDir=1\n", "[Window]\nShowIndexDir=0\n",
                            "[Result]\nDisplayTo=WebBrowser\n[WebBrowser]\nDisplayTo=External\n",
                            "[Window]\nShowIndexDir=0\n[Result]\nDisplayTo=WebBrowser\n[WebBrowser]\nDisplayTo=External\n"}) {
        Fixture f(ini);
        ShowAndWait(f);
        QTest::qWait(300);  // the frame's size is known once the window manager has placed it
        auto* bar = f.Find<QStatusBar>("stb");
        EXPECT_GE(bar->height(), bar->sizeHint().height()) << ini;
        EXPECT_LE(bar->geometry().bottom(), f.window->height() - 1) << ini;
        for (QWidget* part : f.window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (part->isVisible() && part != bar && part->geometry().intersects(bar->geometry()))
                ADD_FAILURE() << ini << part->objectName().toStdString() << " overlaps the status bar";
        }
    }
}

TEST(TfrmMainAsAUser, AnUpdateThatCannotBeDoneOrFailsIsTold) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f("[Window]\nShowIndexDir=1\n");
    const std::string docs = f.dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, 3);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    AgeIndex(index.IndexFolder(), 2);
    const QString indexFolder = QString::fromStdString(index.IndexFolder());
    const QString missing = QString::fromStdString(f.dir.Path("missing"));
    ShowAndWait(f);
    auto* placeBox = f.Find<QComboBox>("cboIndexDir");

    // No index at all: said, and nothing runs.
    TypeInto(placeBox, missing);
    ChooseUpdateIndex(f);
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_EQ(f.prompter.Messages()[0],
              QStringLiteral("更新できるインデックスがありません。\n\n") + missing + QStringLiteral(": インデックスが見つかりません"));
    EXPECT_EQ(UpdateConsole(), nullptr);

    // One of two: the user is asked, and No leaves both as they were.
    f.prompter.messageAnswers = {MessageResult::No};
    TypeInto(placeBox, indexFolder + u' ' + missing);
    ChooseUpdateIndex(f);
    ASSERT_EQ(f.prompter.Messages().size(), 2u);
    EXPECT_TRUE(f.prompter.Messages()[1].startsWith(QStringLiteral("次のインデックスは更新できません。")));
    EXPECT_TRUE(f.prompter.Messages()[1].endsWith(QStringLiteral("残りの 1 個のインデックスを更新しますか？")));
    EXPECT_EQ(UpdateConsole(), nullptr);

    // A folder that cannot be written.
    {
        const ReadOnlyFolder readOnly(index.IndexFolder());
        ASSERT_TRUE(readOnly.Made());
        TypeInto(placeBox, indexFolder);
        ChooseUpdateIndex(f);
        ASSERT_EQ(f.prompter.Messages().size(), 3u);
        EXPECT_TRUE(f.prompter.Messages()[2].endsWith(indexFolder + QStringLiteral(": フォルダに書き込みできません")));
        EXPECT_EQ(UpdateConsole(), nullptr);
    }

    // mknmz refuses: another update left its lock in the index.
    f.dir.WriteFile("docs/late.txt", "late\n");
    QFile lock(indexFolder + QStringLiteral("/NMZ.lock2"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const QDateTime before = QFileInfo(indexFolder + QStringLiteral("/NMZ.status")).lastModified();
    TypeInto(placeBox, indexFolder);
    ChooseUpdateIndex(f);
    ASSERT_EQ(f.prompter.Messages().size(), 4u);
    EXPECT_EQ(f.prompter.Messages()[3], QStringLiteral("次のインデックスの更新に失敗しました。\n\n") + indexFolder +
                                            QStringLiteral("\n\nmknmz の出力は「インデックスの更新」の画面にあります。"));
    EXPECT_EQ(f.prompter.calls.back().caption, QStringLiteral("エラー"));
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(), QStringLiteral("1 個のインデックスの更新に失敗しました。"));
    ASSERT_NE(UpdateConsole(), nullptr);
    EXPECT_TRUE(ConsoleShows(QStringLiteral("NMZ.lock2")));
    auto* bar = UpdateConsole()->findChild<QProgressBar*>(QStringLiteral("pbrProgress"));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->text(), QStringLiteral("失敗"));
    // The age still tells the last update that was done.
    EXPECT_EQ(QFileInfo(indexFolder + QStringLiteral("/NMZ.status")).lastModified(), before);
    EXPECT_TRUE(f.window->menuBar()->isEnabled());
}

TEST(TfrmMainAsAUser, AnUpdateIsStoppedWithThePanelsButton) {
    Fixture f("[Window]\nShowIndexDir=1\n");
    // An mknmz that takes long, for two indexes.
    f.dir.WriteFile("slow-mknmz", "echo started \"$@\"\nexec sleep 30\n");
    f.ctx.settings.Command.PerlPath = "/bin/sh";
    f.ctx.settings.Command.mknmzPath = f.dir.Path("slow-mknmz");
    for (const char* name : {"one", "two"}) {
        QDir().mkpath(QString::fromStdString(f.dir.Path(name)));
        f.dir.WriteFile(std::string(name) + "/NMZ.status", "files 1\nargv x\ncwd /\n");
        AgeIndex(f.dir.Path(name), 1);
    }
    ShowAndWait(f);
    TypeInto(f.Find<QComboBox>("cboIndexDir"),
             QString::fromStdString(f.dir.Path("one") + " " + f.dir.Path("two")));
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!ConsoleShows(QStringLiteral("started --update="))) return;
        poll.stop();
        auto* stop = UpdateConsole()->findChild<QPushButton*>(QStringLiteral("btnStop"));
        if (stop) QTest::mouseClick(stop, Qt::LeftButton);
    });
    poll.start();
    const auto start = std::chrono::steady_clock::now();
    ChooseUpdateIndex(f);
    EXPECT_LT(SecondsSince(start), 10.0);
    EXPECT_EQ(f.Find<QStatusBar>("stb")->currentMessage(), QStringLiteral("インデックスの更新を中止しました。"));
    EXPECT_TRUE(ConsoleShows(QStringLiteral("*** 残りの 1 個のインデックスは更新していません ***")));
    EXPECT_TRUE(f.prompter.Messages().empty());
    for (const char* name : {"one", "two"}) {
        EXPECT_LT(ReadIndexStatus(f.dir.Path(name)).builtAt, QDateTime::currentDateTime().addSecs(-3600)) << name;
    }
    // Once it has ended, the console and the window close again.
    EXPECT_TRUE(f.window->menuBar()->isEnabled());
    UpdateConsole()->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(UpdateConsole(), nullptr);
}

// A hit opened from the list as a user does shows the query's words marked, F3 steps through
// them, and the view menu reads the open document in another code.
TEST(TfrmMainAsAUser, AnOpenedHitMarksTheQueryAndCanBeReadInAnotherCode) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f;
    std::string text = "Gu\xED" "a de b\xFA" "squeda r\xE1" "pida del faro\n";
    for (int i = 0; i < 80; ++i) text += "l\xED" "nea " + std::to_string(i) + (i == 40 || i == 70 ? " keeper\n" : "\n");
    QDir().mkpath(QString::fromStdString(f.dir.Path("docs")));
    f.dir.WriteFile("docs/LEAME.txt", text);
    const NamazuFixture index(f.dir.Path("docs"));
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    f.ctx.settings.Document.HowToOpen = "PlainText";
    f.Find<QAction>("mnuDocPlainText")->setChecked(true);
    f.window->resize(700, 500);
    ShowAndWait(f);

    TypeSearch(f, QString::fromStdString(index.IndexFolder()), QStringLiteral("keeper"));
    ASSERT_EQ(f.Find<ResultView>("edtResult")->HitCount(), 1);
    ASSERT_EQ(Focused(), f.Find<ResultView>("edtResult"));
    Press(Qt::Key_N);  // to the hit
    Press(Qt::Key_Return);
    auto* viewer = f.Find<QPlainTextEdit>("edtTextContents");
    ASSERT_EQ(f.Find<QTabWidget>("pge")->currentWidget()->objectName(), QStringLiteral("tabTextDoc"));
    ASSERT_EQ(Focused(), viewer);
    auto caretLine = [&] { return viewer->textCursor().blockNumber(); };
    EXPECT_EQ(viewer->extraSelections().size(), 2);
    EXPECT_EQ(caretLine(), 41);  // the view starts at the first "keeper"
    Press(Qt::Key_F3);
    EXPECT_EQ(caretLine(), 71);
    Press(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(caretLine(), 41);
    // The guess took the Latin-1 text for a Japanese code.
    EXPECT_FALSE(viewer->toPlainText().startsWith(QStringLiteral("Guía de búsqueda rápida")));

    // 表示 → コード変換 → 文字コード → ISO-8859-1, by the menus' keys.
    Press(Qt::Key_V, Qt::AltModifier);
    for (Qt::Key key : {Qt::Key_V, Qt::Key_K, Qt::Key_O}) {
        QWidget* menu = QApplication::activePopupWidget();
        ASSERT_NE(menu, nullptr);
        QTest::keyClick(menu, key);
    }
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_TRUE(viewer->toPlainText().startsWith(QStringLiteral("Guía de búsqueda rápida del faro\nlínea 0")))
        << viewer->toPlainText().left(60).toStdString();
    EXPECT_EQ(viewer->extraSelections().size(), 2);  // still marked in the new reading
    EXPECT_TRUE(f.prompter.Messages().empty());
}

namespace {

QString AutoUpdateText(Fixture& f) {
    return f.Find<QLabel>("lblAutoUpdate")->text();
}

// Waits for the status bar's automatic-update label to begin with `text`.
bool WaitForAutoUpdate(Fixture& f, const QString& text, int ms = 120000) {
    return QTest::qWaitFor([&] { return AutoUpdateText(f).startsWith(text); }, ms);
}

void ChooseAutoUpdate(Fixture& f) {
    f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    Press(Qt::Key_I, Qt::AltModifier);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_A);
}

}  // namespace

// インデックス → 自動更新: a document added to a folder of the search place's index is found
// with no user action; the status bar tells of it. Switched off, changes are left alone, and the
// choice is kept for the next start.
TEST(TfrmMainAsAUser, TheIndexFollowsItsFoldersUntilAutomaticUpdateIsSwitchedOff) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f("[Window]\nShowIndexDir=1\n[Index]\nWatchDelaySeconds=1\n");
    const std::string docs = f.dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs, 5);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    ShowAndWait(f);
    TypeInto(f.Find<QComboBox>("cboIndexDir"), QString::fromStdString(index.IndexFolder()));
    EXPECT_TRUE(f.Checked("mnuAutoUpdate"));
    ASSERT_TRUE(WaitForAutoUpdate(f, QStringLiteral("自動更新"), 10000)) << AutoUpdateText(f).toStdString();
    EXPECT_TRUE(f.Find<QLabel>("lblAutoUpdate")->toolTip().contains(QStringLiteral("1 個のフォルダを監視しています")));

    f.dir.WriteFile("docs/fresh.txt", "A freshword arrived while the window was open.\n");
    ASSERT_TRUE(WaitForAutoUpdate(f, QStringLiteral("インデックスを更新しました (1 件追加)")))
        << AutoUpdateText(f).toStdString();
    EXPECT_NE(index.Search("freshword").find("fresh.txt"), std::string::npos);
    EXPECT_TRUE(f.prompter.Messages().empty());

    ChooseAutoUpdate(f);
    EXPECT_FALSE(f.Checked("mnuAutoUpdate"));
    EXPECT_TRUE(AutoUpdateText(f).isEmpty());
    f.dir.WriteFile("docs/later.txt", "A laterword nobody watches for.\n");
    QTest::qWait(3000);
    EXPECT_EQ(index.Search("laterword").find("later.txt"), std::string::npos);
    f.window->close();
    EXPECT_NE(f.dir.ReadFile("quarrow.ini").find("Watch=0"), std::string::npos)
        << f.dir.ReadFile("quarrow.ini");
}

// Closing during a background update stops mknmz as the make-index stop does: the window goes
// when it has ended, the index stays searchable and keeps no lock.
TEST(TfrmMainAsAUser, ClosingDuringABackgroundUpdateStopsItCleanly) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f("[Index]\nWatchDelaySeconds=1\n");
    const std::string docs = f.dir.Path("docs");
    NamazuFixture::GenerateCorpus(docs + "/first", 3);
    const NamazuFixture index(docs);
    ASSERT_TRUE(index.Built()) << index.BuildLog();
    ShowAndWait(f);
    TypeInto(f.Find<QComboBox>("cboIndexDir"), QString::fromStdString(index.IndexFolder()));
    ASSERT_TRUE(WaitForAutoUpdate(f, QStringLiteral("自動更新"), 10000));
    // The update waits in an event loop of its own: the close comes from a timer inside it.
    bool closed = false;
    bool stayedOpen = false;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (closed || !AutoUpdateText(f).startsWith(QStringLiteral("インデックスを更新しています… ("))) return;
        closed = true;
        f.window->close();
        stayedOpen = f.window->isVisible();
    });
    poll.start();
    NamazuFixture::GenerateCorpus(docs + "/many", 400);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed && !f.window->isVisible(); }, 120000));
    EXPECT_TRUE(stayedOpen);  // until mknmz had ended
    EXPECT_EQ(AutoUpdateText(f), QStringLiteral("インデックスの更新を中止しました"));
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(index.IndexFolder() + "/NMZ.lock2")));
    EXPECT_NE(index.Search("docmarker1").find("doc00001.txt"), std::string::npos);
}
