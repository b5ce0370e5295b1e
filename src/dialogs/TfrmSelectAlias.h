#pragma once

#include <QDialog>

#include "dialogs/AliasFile.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;
struct AppContext;

// Picks index directories by alias and composes a query from prepared ones, both read from
// aliases.ini. OK sets the search place in the settings; the search window reads the rest from
// the state it keeps for the whole run.
class TfrmSelectAlias final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmSelectAlias)

public:
    TfrmSelectAlias(AppContext& ctx, AliasDialogState& state, QWidget* owner = nullptr);

    void done(int result) override;

private:
    void FormCreate();
    void lstDirAliasClick();
    void lstQueryGroupClick();
    void lstQueryClickCheck(QListWidgetItem* item);
    void chkORClick();
    void btnResetClick();
    void btnOKClick();
    void ShowSelectedQueries();

    QString ToUi(const std::string& text) const;

    AppContext& m_ctx;
    AliasDialogState& m_state;
    AliasFile m_file;
    bool m_filling = false;  // lstQuery is being refilled; its check changes are not the user's

    QTabWidget* pgeAlias = nullptr;
    QWidget* tab1 = nullptr;
    QListWidget* lstDirAlias = nullptr;
    QPlainTextEdit* edtDirList = nullptr;
    QWidget* tab2 = nullptr;
    QLabel* lblQueryGroup = nullptr;
    QListWidget* lstQueryGroup = nullptr;
    QLabel* lblQuery = nullptr;
    QListWidget* lstQuery = nullptr;
    QLabel* lblSelectedQueries = nullptr;
    QPlainTextEdit* edtSelectedQueries = nullptr;
    QCheckBox* chkOR = nullptr;
    QPushButton* btnReset = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
