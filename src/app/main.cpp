#include <unistd.h>
#include <QApplication>

#include "app/TfrmMain.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "process/DriveTable.h"
#include "process/QtPrompter.h"

int main(int argc, char* argv[]) {
    // The embedded browser refuses to start as root with its sandbox on.
    if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarrow for Namazu"));

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
