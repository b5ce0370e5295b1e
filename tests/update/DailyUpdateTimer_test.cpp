#include "update/DailyUpdateTimer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TestSupport.h"

namespace {

// A systemctl that answers from files beside it and records its arguments.
std::string StandInSystemctl(const TempProgramDir& dir, const std::string& manager, const std::string& state) {
    dir.WriteFile("manager", manager + "\n");
    dir.WriteFile("state", state + "\n");
    dir.WriteFile("systemctl", "#!/bin/sh\n"
                               "dir=$(dirname \"$0\")\n"
                               "echo \"$*\" >> \"$dir/calls\"\n"
                               "case \"$2\" in\n"
                               "  is-system-running) cat \"$dir/manager\" ;;\n"
                               "  is-enabled) cat \"$dir/state\"; grep -q '^enabled' \"$dir/state\" ;;\n"
                               "  enable) echo enabled > \"$dir/state\" ;;\n"
                               "  disable) echo disabled > \"$dir/state\" ;;\n"
                               "esac\n");
    ::chmod(dir.Path("systemctl").c_str(), 0755);
    return dir.Path("systemctl");
}

}  // namespace

TEST(DailyUpdateTimer, TheTimerIsOfferedOnlyWhereAUserSystemdKnowsIt) {
    struct Row {
        std::string manager, state;
        bool available, enabled;
        std::string reasonPart;
    };
    const Row rows[] = {
        {"running", "enabled", true, true, ""},
        {"degraded", "disabled", true, false, ""},
        {"offline", "", false, false, "systemd"},
        {"Failed to connect to bus: No medium found", "", false, false, "systemd"},
        {"running", "Failed to get unit file state for quarrow-update.timer: No such file or directory", false, false,
         "quarrow-update.timer"},
    };
    for (const Row& row : rows) {
        TempProgramDir dir;
        const DailyTimerState state = QueryDailyUpdateTimer(StandInSystemctl(dir, row.manager, row.state));
        EXPECT_EQ(state.available, row.available) << row.manager << " / " << row.state;
        EXPECT_EQ(state.enabled, row.enabled) << row.manager << " / " << row.state;
        EXPECT_NE(state.reason.find(row.reasonPart), std::string::npos) << state.reason;
        EXPECT_EQ(state.reason.empty(), row.available) << state.reason;
    }
    TempProgramDir dir;
    EXPECT_NE(QueryDailyUpdateTimer(dir.Path("no-systemctl")).reason.find("systemctl"), std::string::npos);
}

TEST(DailyUpdateTimer, SwitchingEnablesOrDisablesItNow) {
    TempProgramDir dir;
    const std::string systemctl = StandInSystemctl(dir, "running", "disabled");
    EXPECT_EQ(SetDailyUpdateTimer(systemctl, true), "");
    EXPECT_TRUE(QueryDailyUpdateTimer(systemctl).enabled);
    EXPECT_EQ(SetDailyUpdateTimer(systemctl, false), "");
    EXPECT_FALSE(QueryDailyUpdateTimer(systemctl).enabled);
    const std::string calls = dir.ReadFile("calls");
    EXPECT_NE(calls.find("--user enable --now quarrow-update.timer\n"), std::string::npos) << calls;
    EXPECT_NE(calls.find("--user disable --now quarrow-update.timer\n"), std::string::npos) << calls;
    dir.WriteFile("systemctl", "#!/bin/sh\necho 'Failed to enable unit: Access denied' >&2\nexit 1\n");
    EXPECT_EQ(SetDailyUpdateTimer(systemctl, true), "Failed to enable unit: Access denied");
}
