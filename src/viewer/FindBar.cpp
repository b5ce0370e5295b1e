#include "viewer/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "process/WidgetSupport.h"

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlFind"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(4);
    auto* label = new QLabel(QStringLiteral("検索:"), this);
    edtFind = Named(new QLineEdit(this), "edtFind");
    edtFind->setClearButtonEnabled(true);
    label->setBuddy(edtFind);
    btnFindPrevious = Named(new QToolButton(this), "btnFindPrevious");
    btnFindPrevious->setText(QStringLiteral("▲"));
    btnFindPrevious->setToolTip(QStringLiteral("前を検索 (Shift+F3)"));
    btnFindNext = Named(new QToolButton(this), "btnFindNext");
    btnFindNext->setText(QStringLiteral("▼"));
    btnFindNext->setToolTip(QStringLiteral("次を検索 (F3)"));
    lblFindState = Named(new QLabel(this), "lblFindState");
    btnFindClose = Named(new QToolButton(this), "btnFindClose");
    btnFindClose->setText(QStringLiteral("×"));
    btnFindClose->setToolTip(QStringLiteral("閉じる (Esc)"));
    for (QToolButton* button : {btnFindPrevious, btnFindNext, btnFindClose}) {
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    row->addWidget(label);
    row->addWidget(edtFind, 1);
    row->addWidget(btnFindPrevious);
    row->addWidget(btnFindNext);
    row->addWidget(lblFindState);
    row->addWidget(btnFindClose);
    edtFind->installEventFilter(this);

    connect(edtFind, &QLineEdit::textEdited, this, &FindBar::textEdited);
    connect(btnFindNext, &QToolButton::clicked, this, [this] { emit stepRequested(1); });
    connect(btnFindPrevious, &QToolButton::clicked, this, [this] { emit stepRequested(-1); });
    connect(btnFindClose, &QToolButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    hide();
}

FindBar::~FindBar() = default;

void FindBar::Open() {
    show();
    edtFind->setFocus();
    edtFind->selectAll();
}

QString FindBar::Text() const {
    return isVisible() ? edtFind->text() : QString();
}

void FindBar::SetFound(bool found) {
    lblFindState->setText(found ? QString() : QStringLiteral("見つかりません"));
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtFind && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit stepRequested(key->modifiers().testFlag(Qt::ShiftModifier) ? -1 : 1);
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            hide();
            emit closed();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
