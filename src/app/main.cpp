#include <unistd.h>
#include <QApplication>
#include <QIcon>
#include <QStatusBar>
#include <cstdio>

#include "app/CommandLineArgs.h"
#include "app/QtTranslation.h"
#include "app/TfrmMain.h"
#include "config/Settings.h"
#include "update/HeadlessUpdate.h"
#include "process/AppContext.h"
#include "process/DriveTable.h"
#include "process/NamazuLocale.h"
#include "process/QtPrompter.h"

namespace {

// Everything but the window: no display is needed (cron, a systemd timer).
int RunWithoutWindow(int argc, char* argv[], const CommandLineArgs& args) {
    QCoreApplication app(argc, argv);
    switch (args.mode) {
        case StartMode::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case StartMode::Version:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        case StartMode::Bad:
            std::fprintf(stderr, "quarrow: %s\n詳しくは quarrow --help を見てください。\n", args.error.c_str());
            return 2;
        default:
            break;
    }
    const PlatformProfile platform = HostPlatformProfile();
    // Read, never written: the window owns the settings file.
    const Settings settings = LoadSettings(SettingsPathFor(platform), platform);
    // mknmz speaks Japanese here as it does under the window; silent unless it cannot.
    ProcessNamazuLocale().Start(NamazuLocaleFolder(platform));
    return UpdateIndexesHeadless(args.indexFolders, settings, platform, ListDrives(), stdout, stderr).exitCode;
}

}  // namespace

int main(int argc, char* argv[]) {
    const CommandLineArgs args = ParseCommandLineArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (args.mode != StartMode::Window) return RunWithoutWindow(argc, argv, args);
    // The embedded browser refuses to start as root with its sandbox on.
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarrow for Namazu"));
    // Ties the windows to the installed desktop entry and its icon.
    QApplication::setDesktopFileName(QStringLiteral("quarrow"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quarrow")));
    InstallQtJapanese(app);

    QtPrompter prompter;
    AppContext ctx;
    ctx.platform = HostPlatformProfile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);
    ctx.drives = ListDrives();

    TfrmMain window(ctx);
    window.show();
    // Built while the user types the first query; the first namazu or mknmz run waits for it.
    QStatusBar* status = window.statusBar();
    ProcessNamazuLocale().Start(NamazuLocaleFolder(ctx.platform),
                                [status](const QString& text) { status->showMessage(text); });
    return app.exec();
}
