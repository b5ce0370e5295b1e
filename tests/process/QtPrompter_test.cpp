#include "process/QtPrompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

// Shows the message and, once its box is up, reads the box's width and answers it.
int WidthOfBoxFor(const QString& text, const QString& caption, MessageButtons buttons) {
    int width = -1;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        width = box->width();
        box->button(box->standardButtons() & QMessageBox::Cancel ? QMessageBox::Cancel : QMessageBox::Ok)
            ->click();
    });
    QtPrompter prompter;
    prompter.Message(text, caption, MessageIcon::Question, buttons);
    return width;
}

}  // namespace

TEST(QtPrompter, AMessageBoxIsWideEnoughForItsWholeCaption) {
    struct Row {
        const char* caption;
        const char* text;
        MessageButtons buttons;
    };
    const Row rows[] = {
        {"コマンドライン確認", "続行しますか？", MessageButtons::OkCancel},
        {"検索結果のファイルが見つかりません", "OK", MessageButtons::Ok},
        {"Quarrow for Namazu", "?", MessageButtons::Ok},
    };
    QFont bold = QApplication::font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    for (const Row& row : rows) {
        const QString caption = QString::fromUtf8(row.caption);
        const int width = WidthOfBoxFor(QString::fromUtf8(row.text), caption, row.buttons);
        // Beside the caption the title bar holds the window's icon and three buttons.
        EXPECT_GE(width, metrics.horizontalAdvance(caption) + 100) << row.caption;
    }
}
