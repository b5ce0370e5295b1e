#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "DialogDriving.h"
#include "TestSupport.h"
#include "app/TfrmMain.h"
#include "config/Settings.h"
#include "process/AppContext.h"

// The search window over a private program folder holding the given settings and aliases.ini
// (none when empty), shown and active.
struct SearchWindowSession {
    explicit SearchWindowSession(const std::string& ini = "", const std::string& aliases = "") {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        if (!ini.empty()) dir.WriteFile("quarrow.ini", ini);
        if (!aliases.empty()) dir.WriteFile("aliases.ini", aliases);
        ctx.settings = InitSettings(ctx.platform);
        ctx.settings.Window.ShowExplanation = "0";
        window = std::make_unique<TfrmMain>(ctx);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    template <typename T>
    T* Find(const char* name) {
        return FindIn<T>(*window, name);
    }

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    std::unique_ptr<TfrmMain> window;
};

// Opens a dialog with `open` (a key or a click of the user), lets `act` work it while it is
// modal, then gives the focus back to the window that opened it, as a desktop does. False when
// no dialog came up.
inline bool WithDialog(const std::function<void()>& open, const std::function<void(QDialog&)>& act) {
    // Shared, so that a dialog that never comes up leaves nothing dangling behind.
    auto seen = std::make_shared<bool>(false);
    WhenModal<QDialog>([seen, act](QDialog& dialog) {
        *seen = true;
        act(dialog);
    });
    QWidget* opener = QApplication::activeWindow();
    open();
    if (opener) {
        opener->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([opener] { return QApplication::activeWindow() == opener; }));
    }
    return *seen;
}

inline void PressCtrl(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
}
