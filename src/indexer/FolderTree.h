#pragma once

#include <QSet>
#include <QString>
#include <QTreeView>

#include "text/CodePage.h"

class QFileSystemModel;
class QPlainTextEdit;
class CheckedFolderModel;

// The file system's folders from "/" down, with a check box on each: folders only, hidden ones
// left out, nothing dragged out of it or dropped into it. Folders are read as they are opened,
// in the background, so a large disk never holds the window up. Ticking or clearing a box tells
// the folder's path; what the path means is the caller's business (the make-index window and
// the directory dialog keep the lines of a text in step with it, ApplyFolderCheckToEdit).
class FolderTree final : public QTreeView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FolderTree)

public:
    explicit FolderTree(QWidget* parent = nullptr);

    // The folder's path: "/" for the root, others without a trailing "/".
    QString PathOf(const QModelIndex& index) const;
    // The row of a folder; invalid for a path the tree does not show (missing, hidden, a file).
    QModelIndex IndexOf(const QString& path) const;

    // Makes the folder the current one, opens the tree down to it and opens the folder itself.
    void SelectPath(const QString& path);
    // The current folder's path; empty when there is none.
    QString SelectedPath() const;

    bool IsChecked(const QString& path) const;
    // Sets a folder's box as a click would, checkStateChanged included.
    void SetChecked(const QString& path, bool checked);

signals:
    // A folder's box was ticked (`checked`) or cleared.
    void checkStateChanged(const QString& path, bool checked);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The current folder is highlighted only while the tree has the focus, greyed otherwise: a
    // tree that looks focused while the keys go elsewhere misleads.
    void ShowFocus(bool focused);

    QFileSystemModel* m_files = nullptr;
    CheckedFolderModel* m_checked = nullptr;
};

// Keeps the lines of `edit` in step with a toggled folder (FolderLines' rules): a ticked folder
// not yet listed becomes a new last line, a cleared one loses its line. The rest of the text,
// lines typed by hand included, stays as it is.
void ApplyFolderCheckToEdit(QPlainTextEdit& edit, const QString& path, bool checked, CodePage codePage);
