#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>

// Acting on a modal dialog as its user does: the dialog blocks in exec(), so the acts are
// queued before it opens and run once it is the active modal window.

// Runs `act` on the dialog of type T as soon as it is up; a dialog that `act` leaves open is
// cancelled (and reported) so that the test cannot hang.
template <typename T>
void WhenModal(std::function<void(T&)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        // A window manager gives a new dialog the focus; the offscreen platform sometimes
        // leaves it with the window below, which also counts as "active" for the dialog.
        dialog->activateWindow();
        if (!QTest::qWaitFor([dialog] { return QGuiApplication::focusWindow() == dialog->windowHandle(); })) {
            ADD_FAILURE() << "the dialog did not get the focus";
        }
        act(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog was left open";
            dialog->reject();
        }
    });
    poll->start();
}

template <typename T>
T* FindIn(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Clicks the tab of the page named `page`.
inline void ClickTab(QWidget& dialog, const char* page) {
    auto* pages = dialog.findChild<QTabWidget*>();
    QWidget* tab = FindIn<QWidget>(dialog, page);
    ASSERT_TRUE(pages && tab);
    QTabBar* bar = pages->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pages->indexOf(tab)).center());
    ASSERT_EQ(pages->currentWidget(), tab);
}

// Clicks a button; a check box or radio button on its indicator (its middle may lie beyond
// the caption, where a click does nothing).
inline void Click(QWidget& dialog, const char* button) {
    QWidget* widget = FindIn<QWidget>(dialog, button);
    ASSERT_NE(widget, nullptr);
    QPoint at = widget->rect().center();
    if (qobject_cast<QCheckBox*>(widget)) {
        at.setX(widget->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) / 2 + 1);
    } else if (qobject_cast<QRadioButton*>(widget)) {
        at.setX(widget->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, widget) / 2 + 1);
    }
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

// Clicks into the edit, selects what it holds and types `text` over it (nothing: deletes it).
inline void TypeInto(QWidget& dialog, const char* edit, const QString& text) {
    auto* line = FindIn<QLineEdit>(dialog, edit);
    ASSERT_NE(line, nullptr);
    QTest::mouseClick(line, Qt::LeftButton);
    ASSERT_EQ(QApplication::focusWidget(), line) << edit;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
    } else {
        QTest::keyClicks(QApplication::focusWidget(), text);
    }
}

// Moves on with Tab from the focused widget to `button`, the next in the chain, and presses it
// with the space bar, as a keyboard user does.
inline void TabToAndPress(QWidget& dialog, const char* button) {
    QWidget* target = FindIn<QWidget>(dialog, button);
    ASSERT_NE(target, nullptr);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), target) << button << " is not reached by Tab";
    QTest::keyClick(target, Qt::Key_Space);
}

inline QString TextOf(QWidget& dialog, const char* edit) {
    auto* line = FindIn<QLineEdit>(dialog, edit);
    return line ? line->text() : QString();
}
