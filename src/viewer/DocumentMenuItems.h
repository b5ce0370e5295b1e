#pragma once

#include <QObject>
#include <string>

#include "config/PlatformProfile.h"

class QAction;
class QMenu;

// The items of a popup menu that reach a document's file, added after a separator below the
// items already there: open, open with the associated application, open the containing
// folder, copy the path, copy the URI. The menu's owner says which document the menu was
// opened over and carries out the two opening items.
class DocumentMenuItems final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DocumentMenuItems)

public:
    DocumentMenuItems(QMenu* menu, const PlatformProfile& platform, QObject* parent = nullptr);
    ~DocumentMenuItems() override;

    // The local path of the document under the menu (it may end in a "#" part); empty for
    // none, which disables the items. "開く" is shown only when `canOpen`.
    void SetDocument(const std::string& path, bool canOpen);
    const std::string& DocumentPath() const { return m_path; }

    QAction* mnuOpenDocument = nullptr;
    QAction* mnuOpenWithApplication = nullptr;
    QAction* mnuOpenFolder = nullptr;
    QAction* mnuCopyPath = nullptr;
    QAction* mnuCopyUri = nullptr;

signals:
    // internal: the document display; otherwise the associated application.
    void openRequested(bool internal);
    void statusMessage(const QString& text);

private:
    std::string LocalFile() const;

    PlatformProfile m_platform;
    std::string m_path;
};
