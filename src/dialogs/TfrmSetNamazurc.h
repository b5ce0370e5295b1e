#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;
struct AppContext;

// Chooses whether searches give namazu a namazurc file, which one, and whether that file names
// the indexes. Changes the settings in memory on OK; the search window writes them when it closes.
class TfrmSetNamazurc final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmSetNamazurc)

public:
    // `owner` only places the dialog (centred over it); the dialog is the caller's to destroy.
    explicit TfrmSetNamazurc(AppContext& ctx, QWidget* owner = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void chkUseNamazurcClick();
    void edtNamazurcPathButtonClick();
    void btnEditNamazurcClick();
    void btnOKClick();

    AppContext& m_ctx;

    QLineEdit* edtNamazurcPath = nullptr;
    QToolButton* edtNamazurcPathButton = nullptr;
    QPushButton* btnEditNamazurc = nullptr;
    QCheckBox* chkSetIndex = nullptr;
    QCheckBox* chkUseNamazurc = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
