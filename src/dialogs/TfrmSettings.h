#pragma once

#include <QDialog>
#include <QPointer>
#include <optional>

#include "dialogs/SettingsForms.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class QWidget;
class TfrmWindow;
class UpDown;
struct AppContext;

// The settings dialog: edits most settings in memory when it closes with OK; saving them and
// laying out the search window again are the caller's.
class TfrmSettings final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmSettings)

public:
    // `owner` only places the dialog (centred over it); the dialog is the caller's to destroy.
    explicit TfrmSettings(AppContext& ctx, QWidget* owner = nullptr);
    ~TfrmSettings() override;

    // Closing waits for an option-help run that still writes into its console window.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void FormCreate();
    SettingsForm ReadForm() const;
    bool OkRule();
    void btnSetDefaultPathClick();
    void btnSetDefaultOptionClick();
    void btnShowOptionInfoClick();
    void BrowseForProgram(QLineEdit* edit, const std::string& storedPath, const QString& title,
                          const QString& filter);
    QToolButton* AddBrowseButton(QLineEdit* edit, const char* name, const std::string& storedPath,
                                 const QString& title, const QString& filter);

    QString ToUi(const std::string& text) const;
    std::string ToProgram(const QString& text) const;

    AppContext& m_ctx;
    bool m_dailyEnabled = false;  // the timer's state when the dialog opened
    QPointer<TfrmWindow> m_help;             // the option help's console window, while it is open
    std::optional<int> m_closeWhenHelpEnds;  // the result asked for while a help run wrote

    QTabWidget* pge = nullptr;
    QWidget* tabGeneral = nullptr;
    QCheckBox* chkShowExplanation = nullptr;
    QCheckBox* chkSaveWindowPos = nullptr;

    QWidget* tabSearch = nullptr;
    QGroupBox* grpResultOutput = nullptr;
    QRadioButton* optResultText = nullptr;
    QRadioButton* optResultWebBrowser = nullptr;
    QGroupBox* grpFileNamePos = nullptr;
    QLineEdit* edtBlankLine = nullptr;
    UpDown* udbBlankLine = nullptr;
    QLineEdit* edtSpaceCount = nullptr;
    UpDown* udbSpaceCount = nullptr;
    QCheckBox* chkUsePnamazu = nullptr;
    QCheckBox* chkSearchOnChangeSettings = nullptr;
    QCheckBox* chkSearchConfirmCmdLine = nullptr;
    QCheckBox* chkUseConstantInBrowser = nullptr;
    QCheckBox* chkDailyUpdate = nullptr;  // the systemd user timer, not a settings key

    QWidget* tabMakeIndex = nullptr;
    QGroupBox* grpMknmzWindow = nullptr;
    QRadioButton* optMknmzInternal = nullptr;
    QRadioButton* optMknmzDosWindow = nullptr;

    QWidget* tabWebBrowser = nullptr;
    QGroupBox* grpWebBrowserOutputTo = nullptr;
    QRadioButton* optWebBrowserInternal = nullptr;
    QRadioButton* optWebBrowserExternal = nullptr;
    QGroupBox* grpWebBrowserType = nullptr;
    QRadioButton* optBrowserNavigator = nullptr;
    QRadioButton* optBrowserInternetExplorer = nullptr;
    QRadioButton* optBrowserDefault = nullptr;
    QLineEdit* edtNavigatorPath = nullptr;

    QWidget* tabCommandLine = nullptr;
    QLineEdit* edtPerlPath = nullptr;
    QLineEdit* edtMknmzPath = nullptr;
    QLineEdit* edtNamazuPath = nullptr;
    QLineEdit* edtPnamazuPath = nullptr;
    QPushButton* btnSetDefaultPath = nullptr;
    QLineEdit* edtNamazuParams = nullptr;
    QPushButton* btnSetDefaultOption = nullptr;
    QPushButton* btnShowOptionInfo = nullptr;

    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;
};
