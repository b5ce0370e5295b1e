#include "app/TextDocPage.h"

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
#include "process/AppContext.h"

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

}  // namespace
