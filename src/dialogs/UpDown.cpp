#include "dialogs/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "config/Settings.h"

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_minimum(minimum), m_maximum(maximum) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (QToolButton** button : {&btnUp, &btnDown}) {
        *button = new QToolButton(this);
        (*button)->setArrowType(button == &btnUp ? Qt::UpArrow : Qt::DownArrow);
        (*button)->setAutoRepeat(true);
        (*button)->setFocusPolicy(Qt::NoFocus);
        (*button)->setFixedSize(16, std::max(8, buddy->sizeHint().height() / 2));
        column->addWidget(*button);
    }
    btnUp->setObjectName(QStringLiteral("btnUp"));
    btnDown->setObjectName(QStringLiteral("btnDown"));
    connect(btnUp, &QToolButton::clicked, this, [this] { Step(1); });
    connect(btnDown, &QToolButton::clicked, this, [this] { Step(-1); });
    buddy->installEventFilter(this);
}

void UpDown::Step(int by) {
    const long long now = ParseCount(m_buddy->text().toStdString(), 0);
    const long long next = std::clamp<long long>(now + by, m_minimum, m_maximum);
    m_buddy->setText(QString::number(next));
    m_buddy->selectAll();
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddy && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CentreOverParent(QWidget* dialog) {
    const QWidget* owner = dialog->parentWidget();
    if (!owner) return;
    QRect frame = dialog->frameGeometry();
    frame.moveCenter(owner->window()->frameGeometry().center());
    dialog->move(frame.topLeft());
}
