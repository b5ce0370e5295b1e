#include "app/TfrmMain.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "process/AppContext.h"

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
    const QString shown = f.Find<QTextEdit>("edtResult")->toPlainText();
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
        QComboBox* box = f.Find<QComboBox>("cboListCount");
        box->setEditText(QString::fromUtf8(row.typed));
        QFocusEvent leave(QEvent::FocusOut);  // leaving the box stores the value
        QCoreApplication::sendEvent(box->lineEdit(), &leave);
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
        const QString shown = f.Find<QTextEdit>("edtResult")->toPlainText();
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
    auto* result = f.Find<QTextEdit>("edtResult");
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
    auto* result = f.Find<QTextEdit>("edtResult");
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
