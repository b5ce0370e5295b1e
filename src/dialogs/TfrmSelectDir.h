#pragma once

#include <QDialog>

class FolderTree;
class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
struct AppContext;

// Assembles the index directories to search from a folder tree with check boxes and a memo of
// typed paths. The memo is the dialog's only state; OK parses it into the search place and
// stores the relative-path choice, Cancel changes nothing.
class TfrmSelectDir final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmSelectDir)

public:
    explicit TfrmSelectDir(AppContext& ctx, QWidget* owner = nullptr);

private:
    void FormCreate();
    void tvFolderShStateChanged(const QString& path, bool checked);
    void btnOKClick();

    AppContext& m_ctx;

    QLabel* lblFolder = nullptr;
    FolderTree* tvFolder = nullptr;
    QLabel* lblTargetDirectories = nullptr;
    QPlainTextEdit* edtTargetDirectories = nullptr;
    QPushButton* btnClear = nullptr;
    QCheckBox* chkRelativePath = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
