#include <unistd.h>
#include <cstdio>
#include <string_view>
#include <QApplication>
#include <QIcon>

#include "app/QtTranslation.h"
#include "app/TfrmMain.h"
#include "config/ProgramInfo.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "process/DriveTable.h"
#include "process/QtPrompter.h"

int main(int argc, char* argv[]) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    }
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
    return app.exec();
}
