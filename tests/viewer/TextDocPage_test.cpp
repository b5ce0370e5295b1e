#include "viewer/TextDocPage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

#include "TestSupport.h"
#include "viewer/FindBar.h"
#include "search/QueryWords.h"
#include "process/AppContext.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

class TextDocPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        tabs.addTab(resultPage, QStringLiteral("検索結果(&1)"));
        page = new TextDocPage(ctx);
        tabs.addTab(page, QStringLiteral("テキスト文書(&2)"));
        tabs.resize(500, 300);
        tabs.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tabs));
        page->SetHitStepper([this](int step) {
            steps.push_back(step);
            return hitExists;
        });
        page->SetShellOpener([this](const std::string& path) {
            shellOpened.push_back(path);
            return shellWorks;
        });
    }

    void Show(const std::string& path, TextDisplayOptions options = {true, true, false}) {
        page->ShowTextDocument(path, QStringLiteral("1. title"), options);
        QCoreApplication::processEvents();
    }

    // A document of `count` numbered lines.
    std::string Lines(const std::string& name, int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + "\n";
        dir.WriteFile(name, text);
        return dir.Path(name);
    }

    int TopLine() const { return page->edtTextContents->cursorForPosition(QPoint(0, 0)).blockNumber(); }
    int CaretLine() const { return page->edtTextContents->textCursor().blockNumber(); }

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    QTabWidget tabs;
    QWidget* resultPage = new QWidget;
    TextDocPage* page = nullptr;
    std::vector<int> steps;
    bool hitExists = true;
    std::vector<std::string> shellOpened;
    bool shellWorks = true;
};

TEST_F(TextDocPageTest, BuildsTheNamedControls) {
    EXPECT_EQ(page->objectName(), QStringLiteral("tabTextDoc"));
    for (const char* name : {"pnlSubject", "btnPrevious", "btnNext", "edtTextContents"}) {
        EXPECT_NE(page->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(page->btnPrevious->text(), QStringLiteral("&<"));
    EXPECT_EQ(page->btnNext->text(), QStringLiteral("&>"));
}

TEST_F(TextDocPageTest, MailOpensDecodedAndAtItsBody) {
    const std::string mail = TestDataPath("viewer/mail-iso2022jp.alm");
    page->ShowTextDocument(mail, QStringLiteral("1. 会議の議事録"), {true, true, true});
    QCoreApplication::processEvents();
    EXPECT_EQ(tabs.currentWidget(), page);
    EXPECT_EQ(page->SubjectText(), QStringLiteral("1. 会議の議事録"));
    EXPECT_EQ(page->CurrentDocumentPath(), mail);
    QTextDocument* doc = page->edtTextContents->document();
    EXPECT_EQ(doc->findBlockByNumber(2).text(), QStringLiteral("Subject: 会議の議事録について"));
    EXPECT_EQ(TopLine(), 8);
    EXPECT_EQ(CaretLine(), 8);
    EXPECT_EQ(page->edtTextContents->textCursor().block().text(), QStringLiteral("花子さん"));
    EXPECT_TRUE(page->edtTextContents->hasFocus());

    // Shown as plain text, the same mail stays at its top.
    Show(mail, {true, true, false});
    EXPECT_EQ(TopLine(), 0);
    EXPECT_EQ(CaretLine(), 0);
}

TEST_F(TextDocPageTest, EveryJapaneseCodeShowsTheSameText) {
    for (const char* name :
         {"japanese-eucjp.txt", "japanese-sjis.txt", "japanese-jis.txt", "japanese-utf8.txt"}) {
        Show(TestDataPath(std::string("viewer/") + name));
        EXPECT_EQ(page->edtTextContents->document()->firstBlock().text(),
                  QStringLiteral("灯台の灯りは今夜も港を照らしている。"))
            << name;
    }
}

TEST_F(TextDocPageTest, UnreadableFileIsReportedAndTheViewerStaysEmpty) {
    Show(TestDataPath("viewer/japanese-utf8.txt"));
    const std::string missing = dir.Path("gone.txt");
    Show(missing + "#part");
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(prompter.Messages()[0], QString::fromStdString("ファイル " + missing + " は開けません"));
    EXPECT_EQ(prompter.calls[0].caption, QStringLiteral("エラー"));
    EXPECT_TRUE(page->edtTextContents->toPlainText().isEmpty());
    EXPECT_TRUE(page->edtTextContents->updatesEnabled());
}

TEST_F(TextDocPageTest, NextAndPreviousAskTheOwnerAndBeepPastTheEnds) {
    Show(TestDataPath("viewer/japanese-utf8.txt"));
    QTest::keyClick(page->edtTextContents, Qt::Key_N);
    QTest::keyClick(page->edtTextContents, Qt::Key_P, Qt::ShiftModifier);
    page->btnNext->click();
    page->btnPrevious->click();
    EXPECT_EQ(steps, (std::vector<int>{1, -1, 1, -1}));
    EXPECT_EQ(prompter.Count("Beep"), 0);

    hitExists = false;  // on the last hit: the owner has no next one
    QTest::keyClick(page->edtTextContents, Qt::Key_N);
    EXPECT_EQ(prompter.Count("Beep"), 1);
    page->btnPrevious->click();
    EXPECT_EQ(prompter.Count("Beep"), 2);
    EXPECT_FALSE(page->edtTextContents->toPlainText().isEmpty());
}

TEST_F(TextDocPageTest, PagingKeys) {
    Show(Lines("long.txt", 300));
    QScrollBar* bar = page->edtTextContents->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);

    QTest::keyClick(page->edtTextContents, Qt::Key_Backspace);  // caret at the very start
    EXPECT_EQ(prompter.Count("Beep"), 1);

    QTest::keyClick(page->edtTextContents, Qt::Key_Space);
    const int afterPage = TopLine();
    EXPECT_GT(afterPage, 5);
    EXPECT_EQ(CaretLine(), afterPage);  // the caret follows the page

    QTest::keyClick(page->edtTextContents, Qt::Key_J);
    EXPECT_EQ(TopLine(), afterPage + 1);
    EXPECT_EQ(CaretLine(), afterPage + 1);
    QTest::keyClick(page->edtTextContents, Qt::Key_K);
    QTest::keyClick(page->edtTextContents, Qt::Key_K);
    EXPECT_EQ(TopLine(), afterPage - 1);

    QTest::keyClick(page->edtTextContents, Qt::Key_Space, Qt::ShiftModifier);  // no scrolling
    EXPECT_EQ(TopLine(), afterPage - 1);

    QTest::keyClick(page->edtTextContents, Qt::Key_Backspace);
    EXPECT_EQ(TopLine(), 0);
    EXPECT_EQ(page->edtTextContents->textCursor().position(), 0);
    EXPECT_EQ(prompter.Count("Beep"), 1);

    for (int i = 0; i < 40 && bar->value() < bar->maximum(); ++i) {
        QTest::keyClick(page->edtTextContents, Qt::Key_Space);
    }
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(prompter.Count("Beep"), 1);
    // At the bottom of the view Space only moves the caret to the top visible line; it beeps
    // when the caret stands after the last line, where Ctrl+End puts it.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tabs));
    ASSERT_EQ(QApplication::focusWidget(), page->edtTextContents);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(prompter.Count("Beep"), 1);
    EXPECT_EQ(CaretLine(), TopLine());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(prompter.Count("Beep"), 2);
    EXPECT_EQ(page->edtTextContents->toPlainText(),
              QString::fromStdString(dir.ReadFile("long.txt")));  // nothing typed
}

TEST_F(TextDocPageTest, EnterKeysAndTheStatusText) {
    QSignalSpy status(page, &TextDocPage::statusMessage);
    QSignalSpy resultPage(page, &TextDocPage::resultPageRequested);
    QSignalSpy browser(page, &TextDocPage::embeddedBrowserRequested);
    const std::string html = dir.Path("page.HTML");
    dir.WriteFile("page.HTML", "<html><body>x</body></html>\n");
    Show(html);

    QTest::keyClick(page->edtTextContents, Qt::Key_Return);
    EXPECT_EQ(resultPage.count(), 1);
    EXPECT_TRUE(shellOpened.empty());
    ASSERT_GE(status.count(), 1);
    EXPECT_EQ(status.last().at(0).toString(), QStringLiteral("N:次文書  P:前文書"));

    // Shift+Enter on an HTML document: the embedded browser (key down) and the shell (character).
    QTest::keyClick(page->edtTextContents, Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_EQ(browser.count(), 1);
    EXPECT_EQ(browser.at(0).at(0).value<std::string>(), html);
    EXPECT_EQ(shellOpened, std::vector<std::string>{html});
    EXPECT_EQ(resultPage.count(), 1);

    shellWorks = false;
    const std::string text = TestDataPath("viewer/japanese-utf8.txt");
    Show(text);
    QTest::keyClick(page->edtTextContents, Qt::Key_Enter, Qt::ShiftModifier);
    EXPECT_EQ(browser.count(), 1);  // not an HTML document
    EXPECT_EQ(shellOpened.back(), text);
    EXPECT_EQ(status.last().at(0).toString(),
              QStringLiteral("関連付けされたアプリケーションの起動に失敗しました。"));

    QTest::keyClick(page->edtTextContents, Qt::Key_Escape);
    QTest::keyClick(page->edtTextContents, Qt::Key_X);  // any other key goes to the viewer
    EXPECT_EQ(status.last().at(0).toString(), QStringLiteral("N:次文書  P:前文書"));
}

TEST_F(TextDocPageTest, LargeDocumentFillsInWithoutMixingWithTheNextOne) {
    const std::string big = Lines("big.txt", 30000);
    QSignalSpy loaded(page, &TextDocPage::documentLoaded);
    Show(big);
    EXPECT_FALSE(page->LoadingComplete());
    EXPECT_GT(page->edtTextContents->document()->blockCount(), 4000);
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_TRUE(page->LoadingComplete());
    EXPECT_EQ(page->edtTextContents->toPlainText(), QString::fromStdString(dir.ReadFile("big.txt")));
    EXPECT_EQ(page->edtTextContents->document()->blockCount(), 30001);

    // A document opened while the last one is still filling in replaces it for good.
    Show(big);
    Show(TestDataPath("viewer/japanese-utf8.txt"));
    QTest::qWait(200);
    EXPECT_TRUE(page->LoadingComplete());
    EXPECT_EQ(page->edtTextContents->document()->blockCount(), 4);
}

// Types text into the focused widget as an input method hands it over, Japanese included.
void Type(const QString& text) {
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList Words(std::initializer_list<const char*> words) {
    QStringList list;
    for (const char* word : words) list.append(QString::fromUtf8(word));
    return list;
}

// The words marked in the viewer, with the one the view stands on in brackets.
QStringList MarkedWords(const TextDocPage* page) {
    QStringList words;
    for (const QTextEdit::ExtraSelection& mark : page->edtTextContents->extraSelections()) {
        const bool current = page->CurrentWord() && page->CurrentWord()->start == mark.cursor.selectionStart();
        words.append(current ? u'[' + mark.cursor.selectedText() + u']' : mark.cursor.selectedText());
    }
    return words;
}

TEST_F(TextDocPageTest, MarksTheQueryWordsInEveryCodeAndStandsOnTheFirst) {
    page->SetQueryWords(ExtractQueryWords(u"灯台 and LIGHTHOUSE"));
    for (const char* name :
         {"japanese-eucjp.txt", "japanese-sjis.txt", "japanese-jis.txt", "japanese-utf8.txt"}) {
        Show(TestDataPath(std::string("viewer/") + name));
        const QString text = page->edtTextContents->toPlainText();
        EXPECT_EQ(MarkedWords(page), Words({"[灯台]", "lighthouse"})) << name;
        std::vector<qsizetype> starts;
        for (const auto& mark : page->edtTextContents->extraSelections()) starts.push_back(mark.cursor.selectionStart());
        EXPECT_EQ(starts, (std::vector<qsizetype>{text.indexOf(u"灯台"), text.indexOf(u"lighthouse")})) << name;
        EXPECT_EQ(page->edtTextContents->textCursor().position(), 0) << name;
    }
    // Without query words nothing is marked.
    page->SetQueryWords({});
    Show(TestDataPath("viewer/japanese-utf8.txt"));
    EXPECT_TRUE(page->edtTextContents->extraSelections().isEmpty());
}

TEST_F(TextDocPageTest, TheViewStartsAtTheFirstWordAndF3StepsThroughThem) {
    tabs.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tabs));
    std::string text;
    for (int i = 0; i < 300; ++i) text += (i == 120 || i == 200 || i == 260 ? "the Keeper's lamp\n" : "line\n");
    dir.WriteFile("keeper.txt", text);
    page->SetQueryWords(ExtractQueryWords(u"keeper"));
    Show(dir.Path("keeper.txt"));
    EXPECT_EQ(TopLine(), 120);
    EXPECT_EQ(CaretLine(), 120);
    EXPECT_EQ(MarkedWords(page).front(), QStringLiteral("[Keeper]"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(CaretLine(), 200);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(CaretLine(), 260);
    EXPECT_EQ(prompter.Count("Beep"), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);  // no more
    EXPECT_EQ(prompter.Count("Beep"), 1);
    EXPECT_EQ(CaretLine(), 260);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(CaretLine(), 200);
    EXPECT_GE(TopLine(), 200 - 20);
    EXPECT_LE(TopLine(), 200);

    // The viewer's own keys are untouched: j scrolls, and F3 goes on from where the caret is.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    const int top = CaretLine();
    EXPECT_LT(top, 200);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(CaretLine(), 200);
    EXPECT_EQ(page->edtTextContents->toPlainText(), QString::fromStdString(text));
}

TEST_F(TextDocPageTest, AMailStartsAtItsBodyAndMarksTheWordsInIt) {
    page->SetQueryWords(ExtractQueryWords(u"会議"));
    page->ShowTextDocument(TestDataPath("viewer/mail-iso2022jp.alm"), QStringLiteral("1. 会議の議事録"),
                           {true, true, true});
    QCoreApplication::processEvents();
    EXPECT_EQ(TopLine(), 8);  // the body stays the top line: its first word is in view
    ASSERT_TRUE(page->CurrentWord());
    EXPECT_EQ(CaretLine(), 10);
    EXPECT_EQ(page->edtTextContents->document()->findBlock(static_cast<int>(page->CurrentWord()->start)).text(),
              QStringLiteral("先日の会議の議事録をお送りします。"));
}

TEST_F(TextDocPageTest, AFirstWordFarIntoALargeDocumentIsReachedWhenItArrives) {
    std::string text;
    for (int i = 0; i < 30000; ++i) text += i == 25000 ? "here is the needle\n" : "line " + std::to_string(i) + "\n";
    dir.WriteFile("big.txt", text);
    page->SetQueryWords(ExtractQueryWords(u"needle"));
    QSignalSpy loaded(page, &TextDocPage::documentLoaded);
    Show(dir.Path("big.txt"));
    EXPECT_EQ(TopLine(), 0);
    ASSERT_TRUE(loaded.wait(10000));
    EXPECT_EQ(CaretLine(), 25000);
    EXPECT_EQ(TopLine(), 25000);
    EXPECT_EQ(MarkedWords(page), Words({"[needle]"}));
}

TEST_F(TextDocPageTest, FindBarLooksForItsOwnTextUntilClosed) {
    tabs.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&tabs));
    page->SetQueryWords(ExtractQueryWords(u"灯台"));
    Show(TestDataPath("viewer/japanese-utf8.txt"));
    EXPECT_EQ(MarkedWords(page), Words({"[灯台]"}));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(page->pnlFind->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), page->pnlFind->edtFind);
    Type(QStringLiteral("の"));
    EXPECT_EQ(MarkedWords(page), Words({"[の]", "の", "の", "の"}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(MarkedWords(page), Words({"の", "[の]", "の", "の"}));
    for (int i = 0; i < 3; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
    EXPECT_EQ(MarkedWords(page), Words({"の", "の", "の", "[の]"}));
    EXPECT_EQ(prompter.Count("Beep"), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(MarkedWords(page), Words({"の", "の", "[の]", "の"}));

    Type(QStringLiteral("xyz"));
    EXPECT_TRUE(MarkedWords(page).isEmpty());
    EXPECT_EQ(page->pnlFind->findChild<QLabel*>(QStringLiteral("lblFindState"))->text(),
              QStringLiteral("見つかりません"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(page->pnlFind->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), page->edtTextContents);
    EXPECT_EQ(MarkedWords(page), Words({"灯台"}));
    EXPECT_EQ(page->edtTextContents->toPlainText().left(2), QStringLiteral("灯台"));  // nothing typed
}

TEST_F(TextDocPageTest, TheOpenDocumentCanBeReadInAChosenCode) {
    dir.WriteFile("LEAME.txt", "Gu\xED" "a de b\xFA" "squeda r\xE1" "pida\n");
    Show(dir.Path("LEAME.txt"));
    EXPECT_FALSE(page->edtTextContents->toPlainText().contains(QStringLiteral("búsqueda")));
    QAction* latin1 = page->mnuDocumentCode->findChild<QAction*>(QStringLiteral("mnuCodeLatin1"));
    ASSERT_NE(latin1, nullptr);
    latin1->trigger();
    EXPECT_EQ(page->edtTextContents->toPlainText(), QStringLiteral("Guía de búsqueda rápida\n"));
    EXPECT_EQ(page->DocumentCode(), TextCode::Latin1);
    EXPECT_EQ(page->SubjectText(), QStringLiteral("1. title"));

    // For that document only: the next one is read by the usual rules again.
    Show(TestDataPath("viewer/japanese-eucjp.txt"));
    EXPECT_EQ(page->DocumentCode(), TextCode::Auto);
    EXPECT_EQ(page->edtTextContents->document()->firstBlock().text(),
              QStringLiteral("灯台の灯りは今夜も港を照らしている。"));
    page->mnuDocumentCode->findChild<QAction*>(QStringLiteral("mnuCodeShiftJis"))->trigger();
    EXPECT_NE(page->edtTextContents->document()->firstBlock().text(),
              QStringLiteral("灯台の灯りは今夜も港を照らしている。"));
    page->mnuDocumentCode->findChild<QAction*>(QStringLiteral("mnuCodeEucJp"))->trigger();
    EXPECT_EQ(page->edtTextContents->document()->firstBlock().text(),
              QStringLiteral("灯台の灯りは今夜も港を照らしている。"));
}

}  // namespace
