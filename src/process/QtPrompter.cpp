#include "process/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDialog>
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
