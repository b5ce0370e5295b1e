#pragma once

#include <string>

// The daily update: the systemd user timer quarrow-update.timer that the package installs (not
// enabled), switched with `systemctl --user`. `systemctl` is the program to run (a stand-in in
// tests).

struct DailyTimerState {
    bool available = false;  // a user systemd that knows the timer
    bool enabled = false;
    std::string reason;      // !available: why, for a tooltip (UTF-8)
};

DailyTimerState QueryDailyUpdateTimer(const std::string& systemctl);

// `enable --now` or `disable --now`. Empty on success, else systemctl's message (UTF-8).
std::string SetDailyUpdateTimer(const std::string& systemctl, bool on);
