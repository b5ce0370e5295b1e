#include "process/TfrmWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QTimer>
#include <QVBoxLayout>

#include "process/WidgetSupport.h"

TfrmWindow::TfrmWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmWindow"));
    setWindowTitle(QStringLiteral("DOS画面"));
    setFont(PixelFont(QStringLiteral("ＭＳ Ｐゴシック"), 12, false));
    resize(540, 240);

    edt = new QtOutputView(this);
    edt->setObjectName(QStringLiteral("edt"));
    edt->setFont(PixelFont(QStringLiteral("ＭＳ ゴシック"), 12, true));
    edt->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edt);
    setFocusProxy(edt);
    edt->setFocus();

    pmnu = new QMenu(this);
    pmnu->setObjectName(QStringLiteral("pmnu"));
    mnuCopy = new QAction(QStringLiteral("コピー(&C)"), this);
    mnuCopy->setObjectName(QStringLiteral("mnuCopy"));
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuCopy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    mnuCopy->setEnabled(false);
    pmnu->addAction(mnuCopy);
    addAction(mnuCopy);

    connect(pmnu, &QMenu::aboutToShow, this, &TfrmWindow::pmnuPopup);
    connect(mnuCopy, &QAction::triggered, this, &TfrmWindow::mnuCopyClick);
    connect(edt, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmnu->popup(edt->mapToGlobal(at)); });
    // The shortcut goes through the action, so its state follows the selection as well.
    connect(edt, &QtOutputView::selectionChanged, this, &TfrmWindow::pmnuPopup);
    connect(edt, &QtOutputView::runFlagChanged, this, &TfrmWindow::RunFlagChanged);
}

bool TfrmWindow::DeferCallerClose(QWidget* caller) {
    if (edt->RunFlag() == 1) return false;
    for (const QPointer<QWidget>& waiting : m_waitingCallers) {
        if (waiting == caller) return true;
    }
    m_waitingCallers.emplace_back(caller);
    return true;
}

void TfrmWindow::AddPanel(QWidget* panel) {
    panel->setParent(this);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, panel);
}

void TfrmWindow::RunFlagChanged(int flag) {
    if (flag != 1) return;
    for (const QPointer<QWidget>& caller : std::exchange(m_waitingCallers, {})) {
        if (caller) QTimer::singleShot(0, caller, [caller] { caller->close(); });
    }
}

bool TfrmWindow::FormCloseQuery() const {
    return edt->RunFlag() == 1;
}

void TfrmWindow::FormClose() {
    deleteLater();
}

void TfrmWindow::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    FormClose();
}

void TfrmWindow::pmnuPopup() {
    mnuCopy->setEnabled(edt->HasSelection());
}

void TfrmWindow::mnuCopyClick() {
    edt->CopySelection();
}
