#include <unistd.h>
#include <QApplication>
#include <QIcon>
#include <QStatusBar>

#include "app/QtTranslation.h"
#include "app/TfrmMain.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "process/DriveTable.h"
#include "process/NamazuLocale.h"
#include "process/QtPrompter.h"

int main(int argc, char* argv[]) {
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
