#include "app/TfrmMain.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/Settings.h"
#include "process/AppContext.h"

TEST(TfrmMain, CaptionShowsTheSearchPlace) {
    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);
    TfrmMain window(ctx);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quarrow for Namazu - [/var/lib/namazu/index]"));
}
