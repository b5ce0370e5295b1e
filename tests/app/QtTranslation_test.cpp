#include "app/QtTranslation.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

// The standard buttons of message boxes and dialogs, as the user sees them.
TEST(QtTranslation, StandardButtonsSpeakJapanese) {
    const struct {
        QDialogButtonBox::StandardButton button;
        const char* english;
        const char* japanese;
    } rows[] = {
        {QDialogButtonBox::Cancel, "Cancel", "キャンセル"},
        {QDialogButtonBox::Yes, "&Yes", "はい(&Y)"},
        {QDialogButtonBox::No, "&No", "いいえ(&N)"},
        {QDialogButtonBox::Close, "Close", "閉じる"},
    };
    QDialogButtonBox english;
    for (const auto& row : rows) {
        EXPECT_EQ(english.addButton(row.button)->text(), QString::fromUtf8(row.english));
    }

    ASSERT_TRUE(InstallQtJapanese(*qApp)) << "Qt's translations (qt6-translations-l10n) are missing";
    QDialogButtonBox japanese;
    for (const auto& row : rows) {
        EXPECT_EQ(japanese.addButton(row.button)->text(), QString::fromUtf8(row.japanese)) << row.english;
    }
}
