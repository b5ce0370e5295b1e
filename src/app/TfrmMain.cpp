#include "app/TfrmMain.h"

#include <QApplication>

#include "process/AppContext.h"
#include "process/QtText.h"

TfrmMain::TfrmMain(AppContext& ctx, QWidget* parent) : QMainWindow(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmMain"));
    resize(545, 420);
    UpdateCaption();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::UpdateCaption() {
    const QString caption = QStringLiteral("Quarrow for Namazu - [") +
                            ToQString(m_ctx.platform.codePage, m_ctx.settings.IndexDirectoryText) + u']';
    setWindowTitle(caption);
    QApplication::setApplicationName(caption);
}
