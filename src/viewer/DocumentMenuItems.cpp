#include "viewer/DocumentMenuItems.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include "viewer/DocumentDisplay.h"
#include "process/Launchers.h"
#include "process/Paths.h"
#include "process/QtText.h"
#include "process/WidgetSupport.h"

DocumentMenuItems::DocumentMenuItems(QMenu* menu, const PlatformProfile& platform, QObject* parent)
    : QObject(parent), m_platform(platform) {
    menu->addSeparator();
    mnuOpenDocument = Named(menu->addAction(QStringLiteral("開く(&O)")), "mnuOpenDocument");
    mnuOpenWithApplication =
        Named(menu->addAction(QStringLiteral("関連付けられたアプリケーションで開く(&A)")), "mnuOpenWithApplication");
    mnuOpenFolder = Named(menu->addAction(QStringLiteral("フォルダを開く(&F)")), "mnuOpenFolder");
    mnuCopyPath = Named(menu->addAction(QStringLiteral("パスをコピー(&P)")), "mnuCopyPath");
    mnuCopyUri = Named(menu->addAction(QStringLiteral("URI をコピー(&U)")), "mnuCopyUri");
    SetDocument({}, false);

    connect(mnuOpenDocument, &QAction::triggered, this, [this] { emit openRequested(true); });
    connect(mnuOpenWithApplication, &QAction::triggered, this, [this] { emit openRequested(false); });
    connect(mnuOpenFolder, &QAction::triggered, this, [this] {
        auto failed = [this] { emit statusMessage(QString::fromUtf8(kShellOpenFailed)); };
        if (!OpenContainingFolder(LocalFile(), m_platform.pathStyle, m_platform.codePage, {this, failed}))
            failed();
    });
    connect(mnuCopyPath, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(ToQString(m_platform.codePage, LocalFile())); });
    connect(mnuCopyUri, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(QString::fromStdString(LocalFileUri(LocalFile()))); });
}

DocumentMenuItems::~DocumentMenuItems() = default;

void DocumentMenuItems::SetDocument(const std::string& path, bool canOpen) {
    m_path = path;
    const bool any = !path.empty();
    mnuOpenDocument->setVisible(canOpen);
    for (QAction* item : {mnuOpenDocument, mnuOpenWithApplication, mnuOpenFolder, mnuCopyPath, mnuCopyUri})
        item->setEnabled(any);
}

// A "#" part of a hit's location names no file.
std::string DocumentMenuItems::LocalFile() const {
    return StripFragment(m_path, m_platform.pathStyle);
}
