#include "update/DailyUpdateTimer.h"

#include <QProcess>
#include <QStringList>

namespace {

constexpr const char* kTimer = "quarrow-update.timer";
constexpr int kWaitMs = 10000;

struct Result {
    bool started = false;
    int exitCode = -1;
    std::string output;  // stdout and stderr, trimmed
};

Result Systemctl(const std::string& systemctl, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QString::fromStdString(systemctl), QStringList{QStringLiteral("--user")} + args);
    Result result;
    result.started = process.waitForStarted(kWaitMs);
    if (!result.started) return result;
    if (!process.waitForFinished(kWaitMs)) {
        process.kill();
        process.waitForFinished();
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAll()).trimmed().toStdString();
    return result;
}

}  // namespace

DailyTimerState QueryDailyUpdateTimer(const std::string& systemctl) {
    DailyTimerState state;
    // Asks the user's manager itself: without a session bus (a container, a login without
    // systemd) every other question would fail anyway.
    const Result manager = Systemctl(systemctl, {QStringLiteral("is-system-running")});
    if (!manager.started) {
        state.reason = "systemctl がないため、この設定は使えません";
        return state;
    }
    if (manager.output.find("Failed to connect") != std::string::npos || manager.output == "offline" ||
        manager.output.empty()) {
        state.reason = "ユーザーの systemd が動いていないため、この設定は使えません";
        return state;
    }
    const Result unit = Systemctl(systemctl, {QStringLiteral("is-enabled"), QString::fromLatin1(kTimer)});
    if (unit.output == "enabled") {
        state.available = state.enabled = true;
    } else if (unit.output == "disabled") {
        state.available = true;
    } else {
        state.reason = std::string(kTimer) + " がインストールされていないため、この設定は使えません";
    }
    return state;
}

std::string SetDailyUpdateTimer(const std::string& systemctl, bool on) {
    const Result result = Systemctl(systemctl, {on ? QStringLiteral("enable") : QStringLiteral("disable"),
                                                QStringLiteral("--now"), QString::fromLatin1(kTimer)});
    if (!result.started) return "systemctl を起動できません";
    if (result.exitCode != 0) return result.output.empty() ? "systemctl が失敗しました" : result.output;
    return {};
}
