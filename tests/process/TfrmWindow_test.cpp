#include "process/TfrmWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include "TestSupport.h"
#include "process/RunCommand.h"
#include "text/CodePage.h"

namespace {

void ProcessDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

TEST(TfrmWindow, FormAndControls) {
    auto* w = new TfrmWindow();
    EXPECT_EQ(w->objectName(), QStringLiteral("frmWindow"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("DOS画面"));
    EXPECT_EQ(w->size(), QSize(540, 240));
    EXPECT_TRUE(w->isWindow());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w->findChild<QtOutputView*>(QStringLiteral("edt")), w->edt);
    EXPECT_EQ(w->findChild<QMenu*>(QStringLiteral("pmnu")), w->pmnu);
    EXPECT_EQ(w->findChild<QAction*>(QStringLiteral("mnuCopy")), w->mnuCopy);
    EXPECT_EQ(w->mnuCopy->text(), QStringLiteral("コピー(&C)"));
    EXPECT_EQ(w->mnuCopy->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(w->edt->font().pixelSize(), 12);
    EXPECT_TRUE(w->edt->font().fixedPitch());
    EXPECT_EQ(w->edt->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(w->edt->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // A fresh console refuses to close until a run (or its caller) sets the flag.
    EXPECT_EQ(w->edt->RunFlag(), 0);
    w->edt->SetRunFlag(1);
    delete w;
}

TEST(TfrmWindow, RefusesToCloseDuringACaptureAndClosesAfterIt) {
    FakePrompter prompter;
    QPointer<TfrmWindow> w = new TfrmWindow();
    w->show();
    bool closedDuringRun = true;
    bool visibleDuringRun = false;
    QTimer::singleShot(150, [&] {
        closedDuringRun = w->close();
        visibleDuringRun = w->isVisible();
    });
    ASSERT_TRUE(RunCommand("/bin/sh -c \"sleep 0.6; echo done\"", "/", RunMode::Capture, w->edt, prompter,
                           CodePage::Utf8));
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(visibleDuringRun);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->edt->LineText(w->edt->LineCount() - 3), QStringLiteral("done "));

    w->edt->SetRunFlag(1);
    EXPECT_TRUE(w->close());
    ProcessDeferredDeletes();
    EXPECT_TRUE(w.isNull()) << "the window destroys itself after closing";
}

// A window that opened a console window and closes it when it closes itself.
class Caller final : public QWidget {
public:
    QPointer<TfrmWindow> console;
    int refused = 0;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (console && console->DeferCallerClose(this)) {
            ++refused;
            event->ignore();
            return;
        }
        if (console) console->close();
        event->accept();
    }
};

TEST(TfrmWindow, CallerClosingIsDeferredUntilTheRunEnds) {
    FakePrompter prompter;
    Caller caller;
    caller.show();
    caller.console = new TfrmWindow();
    QPointer<TfrmWindow> console = caller.console;
    console->show();

    QTimer::singleShot(100, &caller, [&] { caller.close(); });
    QTimer::singleShot(200, &caller, [&] { caller.close(); });
    // Two runs into one console, as the settings dialog does.
    RunCommand("/bin/sh -c \"sleep 0.4; echo one\"", "/", RunMode::Capture, console->edt, prompter,
               CodePage::Utf8);
    EXPECT_TRUE(caller.isVisible());
    RunCommand("/bin/sh -c \"echo two\"", "/", RunMode::Capture, console->edt, prompter, CodePage::Utf8);
    console->edt->SetRunFlag(1);
    EXPECT_TRUE(caller.isVisible()) << "nothing closes while the caller's own handler runs";
    // Refused during the first run, and again when the retry lands inside the second run.
    EXPECT_GE(caller.refused, 2);

    QTest::qWait(50);
    ProcessDeferredDeletes();
    EXPECT_FALSE(caller.isVisible());
    EXPECT_TRUE(console.isNull());
}

TEST(TfrmWindow, StartFailureLeavesTheHeaderAndTheWindowCanClose) {
    FakePrompter prompter;
    QPointer<TfrmWindow> w = new TfrmWindow();
    w->show();
    EXPECT_FALSE(
        RunCommand("\"/no/such/mknmz\" --help", "/tmp", RunMode::Capture, w->edt, prompter, CodePage::Utf8));
    ASSERT_EQ(prompter.Count("Message"), 1);
    EXPECT_TRUE(prompter.calls[0].text.endsWith(QStringLiteral("エラーコード： 2")));
    ASSERT_EQ(w->edt->LineCount(), 5);
    EXPECT_EQ(w->edt->LineText(0), QStringLiteral("WorkDir: /tmp"));
    EXPECT_EQ(w->edt->LineText(2), QStringLiteral("\"/no/such/mknmz\" --help"));
    EXPECT_TRUE(w->close());
    ProcessDeferredDeletes();
    EXPECT_TRUE(w.isNull());
}

TEST(TfrmWindow, CopyIsEnabledOnlyWithASelectionAndJoinsLinesWithCrLf) {
    TfrmWindow w;
    w.edt->SetRunFlag(1);
    w.show();
    w.edt->AppendLines({"first line ", "second ", "third line "});
    emit w.pmnu->aboutToShow();
    EXPECT_FALSE(w.mnuCopy->isEnabled());

    w.edt->Select(0, 6, 2, 5);
    emit w.pmnu->aboutToShow();
    EXPECT_TRUE(w.mnuCopy->isEnabled());
    w.mnuCopy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("line \r\nsecond \r\nthird"));

    w.edt->Select(1, 2, 1, 2);
    EXPECT_FALSE(w.mnuCopy->isEnabled()) << "the shortcut follows the selection too";
}

TEST(TfrmWindow, MouseDragSelects) {
    TfrmWindow w;
    w.edt->SetRunFlag(1);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.edt->AppendLines({"abcdefgh ", "ijklmnop "});
    QWidget* port = w.edt->viewport();
    const int lineHeight = w.edt->fontMetrics().lineSpacing();
    QTest::mousePress(port, Qt::LeftButton, {}, QPoint(3, 2 + lineHeight / 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(200, 2 + lineHeight + lineHeight / 2),
                     port->mapToGlobal(QPointF(200, 2)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(200, 2 + lineHeight + lineHeight / 2));
    EXPECT_TRUE(w.mnuCopy->isEnabled());
    EXPECT_EQ(w.edt->SelectedText(), QStringLiteral("abcdefgh \r\nijklmnop "));
}

TEST(QtOutputView, ShowsLinesInWhateverJapaneseCodeTheyCame) {
    QtOutputView view;
    const std::string text = "灯台の点検 ｶﾅ";
    view.AppendLine(text);
    view.AppendLine(ConvertEncoding(text, "UTF-8", "EUC-JP"));
    view.AppendLine(ConvertEncoding(text, "UTF-8", "CP932"));
    view.AppendLine("plain\tascii");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(view.LineText(i), QString::fromUtf8(text)) << i;
    EXPECT_EQ(view.LineText(3), QStringLiteral("plain\tascii"));
    EXPECT_EQ(view.Line(1), ConvertEncoding(text, "UTF-8", "EUC-JP")) << "the bytes are kept";
}

TEST(QtOutputView, InsertBeforeLastAndMakeCurrentScrolls) {
    QtOutputView view;
    view.resize(300, 100);
    view.show();
    view.AppendLines({"a", "z"});
    std::vector<std::string> many;
    for (int i = 0; i < 1000; ++i) many.push_back(std::to_string(i));
    view.InsertLines(1, many);
    ASSERT_EQ(view.LineCount(), 1002);
    EXPECT_EQ(view.Line(1), "0");
    EXPECT_EQ(view.Line(1000), "999");
    EXPECT_EQ(view.Line(1001), "z");
    view.MakeCurrent(1001);
    EXPECT_EQ(view.CurrentLine(), 1001);
    QTest::qWait(50);  // a shown view scrolls with its next frame
    EXPECT_GT(view.FirstVisibleLine(), 900);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
}

}  // namespace
