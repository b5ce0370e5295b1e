#pragma once

#include <QDialog>
#include <QPointer>
#include <string>
#include <vector>

#include "indexer/CommandList.h"
#include "indexer/CommandListRunner.h"
#include "indexer/MakeIndexForm.h"
#include "process/RunCommand.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTabWidget;
class QToolButton;
class FolderTree;
class IndexProgressPanel;
class QtOutputView;
class TfrmWindow;
struct AppContext;

// The make-index window: three pages of mknmz options that become command-list entries, the
// list itself with its buttons and files, and the page where the list runs. Created anew for
// each opening and shown modally over the search window. The window reads its controls into a
// MakeIndexForm / CommandListState and leaves the rules to the indexer logic; a run goes through
// RunCommandEntries with the stop button's RunControl.
class TfrmMakeIndex final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMakeIndex)

public:
    explicit TfrmMakeIndex(AppContext& ctx, QWidget* parent = nullptr);
    ~TfrmMakeIndex() override;

    // Whether a run of the command list is going on (the window refuses to close meanwhile).
    bool Running() const { return m_running; }

    // Escape and btnExit close through closeEvent, which may refuse.
    void reject() override;

    QTabWidget* pgeMknmz = nullptr;
    QWidget* tab1 = nullptr;
    QWidget* tab2 = nullptr;
    QWidget* tab3 = nullptr;
    QWidget* tabReserve = nullptr;
    QWidget* tabProcess = nullptr;
    QLabel* lblShiftNote = nullptr;
    QPushButton* btnMakeCmdline = nullptr;
    QPushButton* btnExit = nullptr;

    // tab1
    FolderTree* tvFolder = nullptr;
    QPlainTextEdit* edtTargetDirectories = nullptr;
    QSplitter* splTarget = nullptr;
    QPushButton* btnClearTargetDir = nullptr;
    QCheckBox* chkMakeEach = nullptr;
    QCheckBox* chkCreateDirEach = nullptr;
    QCheckBox* chkSerialDirName = nullptr;
    QCheckBox* chkExcludeDir = nullptr;
    QLineEdit* edtExcludeDirPattern = nullptr;
    QCheckBox* chkOutputDir = nullptr;
    QLineEdit* edtOutputDir = nullptr;
    QToolButton* btnBrowseOutputDir = nullptr;

    // tab2
    QGroupBox* grpTargetFile = nullptr;
    QRadioButton* optTargetDefault = nullptr;
    QRadioButton* optTargetAll = nullptr;
    QRadioButton* optTargetRegex = nullptr;
    QLineEdit* edtTargetFilePattern = nullptr;
    QCheckBox* chkTargetFileList = nullptr;
    QLineEdit* edtTargetFileListFileName = nullptr;
    QToolButton* btnBrowseTargetFileList = nullptr;
    QPushButton* btnEditFileList = nullptr;
    QCheckBox* chkDenyFile = nullptr;
    QLineEdit* edtDenyFilePattern = nullptr;
    QPushButton* btnSetDefaultFile = nullptr;

    // tab3
    QListWidget* lstCriteria = nullptr;
    QCheckBox* chkMediaType = nullptr;
    QLineEdit* edtMediaType = nullptr;
    QCheckBox* chkReplace = nullptr;
    QLineEdit* edtReplace = nullptr;
    QCheckBox* chkMknmzrc = nullptr;
    QLineEdit* edtMknmzrcFileName = nullptr;
    QToolButton* btnBrowseMknmzrc = nullptr;
    QLineEdit* edtOtherParameters = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnSetDefaultEtc = nullptr;

    // tabReserve
    QLineEdit* edtCmdlineEdit = nullptr;
    QListWidget* lstCmdlineList = nullptr;
    QPushButton* btnCmdlineAdd = nullptr;
    QPushButton* btnCmdlineModify = nullptr;
    QPushButton* btnCmdlineDelete = nullptr;
    QPushButton* btnCmdlineUp = nullptr;
    QPushButton* btnCmdlineDown = nullptr;
    QPushButton* btnCmdlineClear = nullptr;
    QPushButton* btnLoadCmdList = nullptr;
    QPushButton* btnSaveCmdList = nullptr;
    QPushButton* btnMakeIndex = nullptr;

    // tabProcess
    QPlainTextEdit* edtCommandLine = nullptr;
    QPushButton* btnRunMknmz = nullptr;
    QLabel* lblProgress = nullptr;
    IndexProgressPanel* pnlRunProgress = nullptr;
    QtOutputView* edtProcess = nullptr;
    QMenu* pmnu = nullptr;
    QAction* mnuCopy = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class RunSink;

    void CreateControls();
    QWidget* CreateTab1();
    QWidget* CreateTab2();
    QWidget* CreateTab3();
    QWidget* CreateTabReserve();
    QWidget* CreateTabProcess();
    void ConnectHandlers();
    void FormCreate();
    bool FormCloseQuery();

    QString ToUi(const std::string& text) const;
    std::string ToProgram(const QString& text) const;
    MakeIndexForm ReadForm() const;
    void WriteOptionPages(const MakeIndexForm& form);
    CommandListState ReadList() const;
    void WriteList(const CommandListState& list);
    void UpdateListButtons();
    void RestorePlacement();
    void StorePlacement();

    void tvFolderShStateChanged(const QString& path, bool checked);
    void chkMakeEachClick();
    void optTargetDefaultClick();
    void ApplyEnablingRules();
    void BrowseDirectory(QLineEdit* edit);
    void BrowseFile(QLineEdit* edit);
    void btnEditFileListClick();
    void btnHelpClick();
    void btnMakeCmdlineClick();
    void btnSetDefaultDirClick();
    void btnCmdlineAddClick();
    void btnCmdlineModifyClick();
    void btnCmdlineDeleteClick();
    void btnCmdlineUpClick();
    void btnCmdlineDownClick();
    void btnCmdlineClearClick();
    void lstCmdlineListActivated();
    void btnLoadCmdListClick();
    void btnSaveCmdListClick();
    void btnMakeIndexClick();
    void btnRunMknmzClick();
    void RunCommandList(RunSource source);
    void SetRunButtonsEnabled(bool enabled);
    void FocusChanged(QWidget* now);
    void pmnuPopup();

    AppContext& m_ctx;
    CommandListRun m_run;
    RunControl m_control;
    bool m_running = false;
    QPointer<TfrmWindow> m_console;  // the option help's console window, when open
};
