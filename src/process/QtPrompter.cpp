#include "process/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QMessageBox>

namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoDefaultNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

// Qt sizes a message box by its text, allowing the caption only a little more than its own
// width: a short text under a Japanese caption ("コマンドライン確認") left the title bar too
// narrow for it beside the window manager's icon and buttons. The box is made at least as wide
// as the caption in a bold title font plus room for those controls.
void MakeRoomForCaption(QMessageBox& box, const QString& caption) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid || caption.isEmpty()) return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int controls = 7 * metrics.height();  // icon, three buttons and the gaps between them
    const int width = metrics.horizontalAdvance(caption) + controls;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

std::optional<QString> Chosen(const QString& path) {
    if (path.isEmpty()) return std::nullopt;
    return path;
}

QString StartPath(const FileDialogRequest& request) {
    if (request.fileName.isEmpty()) return request.directory;
    if (request.directory.isEmpty()) return request.fileName;
    return request.directory + u'/' + request.fileName;
}

}  // namespace

MessageResult QtPrompter::Message(const QString& text, const QString& caption, MessageIcon icon,
                                  MessageButtons buttons) {
    QMessageBox box(ToQt(icon), caption, text, ToQt(buttons), QApplication::activeWindow());
    if (buttons == MessageButtons::YesNoDefaultNo) box.setDefaultButton(QMessageBox::No);
    MakeRoomForCaption(box, caption);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageResult::Yes;
        case QMessageBox::No:
            return MessageResult::No;
        case QMessageBox::Cancel:
            return MessageResult::Cancel;
        default:
            return MessageResult::Ok;
    }
}

std::optional<QString> QtPrompter::OpenFile(const FileDialogRequest& request) {
    return Chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), request.caption,
                                               StartPath(request), request.filter));
}

std::optional<QString> QtPrompter::SaveFile(const FileDialogRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.caption, StartPath(request), request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return Chosen(dialog.selectedFiles().first());
}

std::optional<FontChoice> QtPrompter::ChooseFont(const FontChoice& initial) {
    QFont font(initial.family, initial.pointSize);
    font.setBold(initial.bold);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, QApplication::activeWindow());
    if (!ok) return std::nullopt;
    return FontChoice{chosen.family(), chosen.pointSize(), chosen.bold()};
}

std::optional<QString> QtPrompter::ChooseDirectory(const FileDialogRequest& request) {
    return Chosen(
        QFileDialog::getExistingDirectory(QApplication::activeWindow(), request.caption, request.directory));
}

void QtPrompter::Beep() {
    QApplication::beep();
}
