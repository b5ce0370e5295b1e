#include "dialogs/TfrmSettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/UpDown.h"
#include "update/DailyUpdateTimer.h"
#include "process/AppContext.h"
#include "process/QtText.h"
#include "process/RunCommand.h"
#include "process/TfrmWindow.h"
#include "process/WidgetSupport.h"

namespace {

const QString kInvalidNumber = QStringLiteral("有効な数値を入力してください。");

QWidget* Page(QTabWidget* pages, const char* name, const QString& caption) {
    auto* page = Named(new QWidget(pages), name);
    pages->addTab(page, caption);
    return page;
}

QRadioButton* Item(QGroupBox* group, QGridLayout* grid, const char* name, const QString& caption,
                   int columns) {
    auto* item = Named(new QRadioButton(caption, group), name);
    const int index = grid->count();
    grid->addWidget(item, index / columns, index % columns);
    return item;
}

QGridLayout* RadioGrid(QGroupBox* group) {
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(24);
    return grid;
}

}  // namespace

TfrmSettings::TfrmSettings(AppContext& ctx, QWidget* owner) : QDialog(owner), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("オプション"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    CreateControls();
    ShowBackslashes({edtPerlPath, edtMknmzPath, edtNamazuPath, edtPnamazuPath, edtNamazuParams, edtNavigatorPath});
    FormCreate();
}

TfrmSettings::~TfrmSettings() = default;

QString TfrmSettings::ToUi(const std::string& text) const {
    return ToQString(m_ctx.platform.codePage, text);
}

std::string TfrmSettings::ToProgram(const QString& text) const {
    return FromQString(m_ctx.platform.codePage, text);
}

void TfrmSettings::CreateControls() {
    // The programs filter means executables, which carry no extension on Linux.
    const bool windows = m_ctx.platform.pathStyle == PathStyle::Windows;
    const QString programs = windows ? QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ (*.exe)") : QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ (*)");
    const QString all = windows ? QStringLiteral("すべてのﾌｧｲﾙ (*.*)") : QStringLiteral("すべてのﾌｧｲﾙ (*)");

    pge = Named(new QTabWidget(this), "pge");

    tabGeneral = Page(pge, "tabGeneral", QStringLiteral("全般"));
    chkShowExplanation =
        Named(new QCheckBox(QStringLiteral("起動時に説明を表示する(&E)"), tabGeneral), "chkShowExplanation");
    chkSaveWindowPos =
        Named(new QCheckBox(QStringLiteral("終了時にウィンドウの位置・サイズを保存する(&W)"), tabGeneral),
              "chkSaveWindowPos");
    auto* general = new QVBoxLayout(tabGeneral);
    general->addWidget(chkShowExplanation);
    general->addWidget(chkSaveWindowPos);
    general->addStretch(1);

    tabSearch = Page(pge, "tabSearch", QStringLiteral("検索"));
    grpResultOutput = Named(new QGroupBox(QStringLiteral("結果の出力先(&O)"), tabSearch), "grpResultOutput");
    QGridLayout* output = RadioGrid(grpResultOutput);
    optResultText = Item(grpResultOutput, output, "optResultText", QStringLiteral("テキスト"), 2);
    optResultWebBrowser =
        Item(grpResultOutput, output, "optResultWebBrowser", QStringLiteral("Webブラウザ"), 2);

    grpFileNamePos =
        Named(new QGroupBox(QStringLiteral("結果のファイル名の位置(&F)"), tabSearch), "grpFileNamePos");
    // Two rows of label, number box with its arrows, label; the boxes line up.
    auto* fileNamePos = new QGridLayout(grpFileNamePos);
    fileNamePos->setHorizontalSpacing(4);
    fileNamePos->setColumnStretch(4, 1);
    auto numberRow = [&](const char* editName, const char* upDownName, const QString& before,
                         const QString& after, QLineEdit*& edit, UpDown*& upDown) {
        const int row = fileNamePos->count() / 4;
        edit = Named(new QLineEdit(grpFileNamePos), editName);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
        upDown = Named(new UpDown(edit, 0, 9, grpFileNamePos), upDownName);
        fileNamePos->addWidget(new QLabel(before, grpFileNamePos), row, 0);
        fileNamePos->addWidget(edit, row, 1);
        fileNamePos->addWidget(upDown, row, 2);
        fileNamePos->addWidget(new QLabel(after, grpFileNamePos), row, 3);
    };
    numberRow("edtBlankLine", "udbBlankLine", QStringLiteral("下に空行が"), QStringLiteral("行続いている行"),
              edtBlankLine, udbBlankLine);
    numberRow("edtSpaceCount", "udbSpaceCount", QStringLiteral("後ろから"),
              QStringLiteral("個目の空白より前"), edtSpaceCount, udbSpaceCount);

    chkUsePnamazu = Named(new QCheckBox(QStringLiteral("pnamazu を使う(&P)"), tabSearch), "chkUsePnamazu");
    chkSearchOnChangeSettings =
        Named(new QCheckBox(QStringLiteral("結果の表示形式変更時に再検索する(&R)"), tabSearch),
              "chkSearchOnChangeSettings");
    chkSearchConfirmCmdLine = Named(new QCheckBox(QStringLiteral("コマンドラインを確認する(&C)"), tabSearch),
                                    "chkSearchConfirmCmdLine");
    chkUseConstantInBrowser =
        Named(new QCheckBox(QStringLiteral("内部 Webブラウザでドライブ定数を使用する(&D)"), tabSearch),
              "chkUseConstantInBrowser");
    chkDailyUpdate = Named(new QCheckBox(QStringLiteral("インデックスを毎日自動で更新する"), tabSearch),
                           "chkDailyUpdate");
    auto* search = new QVBoxLayout(tabSearch);
    search->addWidget(grpResultOutput);
    search->addWidget(grpFileNamePos);
    search->addWidget(chkUsePnamazu);
    search->addWidget(chkSearchOnChangeSettings);
    search->addWidget(chkSearchConfirmCmdLine);
    search->addWidget(chkUseConstantInBrowser);
    search->addWidget(chkDailyUpdate);
    search->addStretch(1);

    tabMakeIndex = Page(pge, "tabMakeIndex", QStringLiteral("インデックス作成"));
    grpMknmzWindow = Named(new QGroupBox(QStringLiteral("実行中の経過(&P)"), tabMakeIndex), "grpMknmzWindow");
    QGridLayout* mknmz = RadioGrid(grpMknmzWindow);
    optMknmzInternal =
        Item(grpMknmzWindow, mknmz, "optMknmzInternal", QStringLiteral("ウィンドウ内に表示"), 1);
    optMknmzDosWindow = Item(grpMknmzWindow, mknmz, "optMknmzDosWindow", QStringLiteral("DOS画面で表示"), 1);
    auto* makeIndex = new QVBoxLayout(tabMakeIndex);
    makeIndex->addWidget(grpMknmzWindow);
    makeIndex->addStretch(1);

    tabWebBrowser = Page(pge, "tabWebBrowser", QStringLiteral("Webブラウザ"));
    grpWebBrowserOutputTo =
        Named(new QGroupBox(QStringLiteral("出力先(&T)"), tabWebBrowser), "grpWebBrowserOutputTo");
    QGridLayout* outputTo = RadioGrid(grpWebBrowserOutputTo);
    optWebBrowserInternal =
        Item(grpWebBrowserOutputTo, outputTo, "optWebBrowserInternal", QStringLiteral("内部"), 2);
    optWebBrowserExternal =
        Item(grpWebBrowserOutputTo, outputTo, "optWebBrowserExternal", QStringLiteral("外部"), 2);
    grpWebBrowserType =
        Named(new QGroupBox(QStringLiteral("使用する外部 &Webブラウザ"), tabWebBrowser), "grpWebBrowserType");
    QGridLayout* type = RadioGrid(grpWebBrowserType);
    optBrowserNavigator =
        Item(grpWebBrowserType, type, "optBrowserNavigator", QStringLiteral("Netscape Navigator"), 1);
    optBrowserInternetExplorer =
        Item(grpWebBrowserType, type, "optBrowserInternetExplorer", QStringLiteral("Internet Explorer"), 1);
    optBrowserDefault =
        Item(grpWebBrowserType, type, "optBrowserDefault", QStringLiteral("関連付けされているブラウザ"), 1);
    auto* lblNavigatorPath =
        Named(new QLabel(QStringLiteral("Netscape &Navigator のパス:"), tabWebBrowser), "lblNavigatorPath");
    edtNavigatorPath = Named(new QLineEdit(tabWebBrowser), "edtNavigatorPath");
    lblNavigatorPath->setBuddy(edtNavigatorPath);
    auto* navigatorRow = new QHBoxLayout;
    navigatorRow->addWidget(edtNavigatorPath, 1);
    navigatorRow->addWidget(
        AddBrowseButton(edtNavigatorPath, "edtNavigatorPathButton", m_ctx.settings.WebBrowser.NavigatorPath,
                        QStringLiteral("Netscape Navigator のパスを指定してください"), programs));
    auto* webBrowser = new QVBoxLayout(tabWebBrowser);
    webBrowser->addWidget(grpWebBrowserOutputTo);
    webBrowser->addWidget(grpWebBrowserType);
    webBrowser->addWidget(lblNavigatorPath);
    webBrowser->addLayout(navigatorRow);
    webBrowser->addStretch(1);

    tabCommandLine = Page(pge, "tabCommandLine", QStringLiteral("コマンドライン"));
    auto* grpPath = Named(new QGroupBox(QStringLiteral("パス(&P)"), tabCommandLine), "grpPath");
    auto* paths = new QGridLayout(grpPath);
    const Settings& s = m_ctx.settings;
    auto pathRow = [&](const char* name, const QString& caption, const std::string& stored,
                       const QString& title, const QString& filter) {
        auto* edit = Named(new QLineEdit(grpPath), name);
        edit->setMinimumWidth(300);
        const int row = paths->count() / 3;
        paths->addWidget(new QLabel(caption, grpPath), row, 0);
        paths->addWidget(edit, row, 1);
        paths->addWidget(AddBrowseButton(edit, (std::string(name) + "Button").c_str(), stored, title, filter),
                         row, 2);
        return edit;
    };
    edtPerlPath = pathRow("edtPerlPath", QStringLiteral("Perl:"), s.Command.PerlPath,
                          QStringLiteral("Perl のパスを指定してください"), programs);
    edtMknmzPath = pathRow("edtMknmzPath", QStringLiteral("mknmz:"), s.Command.mknmzPath,
                           QStringLiteral("mknmz のパスを指定してください"), all);
    edtNamazuPath = pathRow("edtNamazuPath", QStringLiteral("namazu:"), s.Command.namazuPath,
                            QStringLiteral("namazu のパスを指定してください"), programs);
    edtPnamazuPath = pathRow("edtPnamazuPath", QStringLiteral("pnamazu:"), s.Command.pnamazuPath,
                             QStringLiteral("pnamazu のパスを指定してください"),
                             all + QStringLiteral(";;Perlｽｸﾘﾌﾟﾄ (*.pl)"));
    btnSetDefaultPath = Named(new QPushButton(QStringLiteral("初期値(&E)"), grpPath), "btnSetDefaultPath");
    paths->addWidget(btnSetDefaultPath, paths->count() / 3, 1, 1, 2, Qt::AlignRight);

    auto* grpOption =
        Named(new QGroupBox(QStringLiteral("オプションの既定値(&D)"), tabCommandLine), "grpOption");
    edtNamazuParams = Named(new QLineEdit(grpOption), "edtNamazuParams");
    btnSetDefaultOption =
        Named(new QPushButton(QStringLiteral("初期値(&F)"), grpOption), "btnSetDefaultOption");
    btnShowOptionInfo =
        Named(new QPushButton(QStringLiteral("引数の説明を見る(&R)"), grpOption), "btnShowOptionInfo");
    auto* option = new QGridLayout(grpOption);
    option->addWidget(new QLabel(QStringLiteral("namazu:"), grpOption), 0, 0);
    option->addWidget(edtNamazuParams, 0, 1);
    auto* optionButtons = new QHBoxLayout;
    optionButtons->addStretch(1);
    optionButtons->addWidget(btnSetDefaultOption);
    optionButtons->addWidget(btnShowOptionInfo);
    option->addLayout(optionButtons, 1, 0, 1, 2);
    auto* commandLine = new QVBoxLayout(tabCommandLine);
    commandLine->addWidget(grpPath);
    commandLine->addWidget(grpOption);
    commandLine->addStretch(1);

    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    for (QPushButton* button : {btnSetDefaultPath, btnSetDefaultOption, btnShowOptionInfo, btnCancel}) {
        button->setAutoDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pge);
    layout->addLayout(buttons);
    // Fixed size: as large as the largest page, and not resizable.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (OkRule()) done(QDialog::Accepted);
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnSetDefaultPath, &QPushButton::clicked, this, &TfrmSettings::btnSetDefaultPathClick);
    connect(btnSetDefaultOption, &QPushButton::clicked, this, &TfrmSettings::btnSetDefaultOptionClick);
    connect(btnShowOptionInfo, &QPushButton::clicked, this, &TfrmSettings::btnShowOptionInfoClick);
}

QToolButton* TfrmSettings::AddBrowseButton(QLineEdit* edit, const char* name, const std::string& storedPath,
                                           const QString& title, const QString& filter) {
    auto* button = Named(new QToolButton(edit->parentWidget()), name);
    button->setText(QStringLiteral("..."));
    connect(button, &QToolButton::clicked, this,
            [this, edit, &storedPath, title, filter] { BrowseForProgram(edit, storedPath, title, filter); });
    return button;
}

void TfrmSettings::BrowseForProgram(QLineEdit* edit, const std::string& storedPath, const QString& title,
                                    const QString& filter) {
    const BrowseStart start = SettingsBrowseStart(storedPath, m_ctx.platform);
    FileDialogRequest request;
    request.caption = title;
    request.directory = ToUi(start.folder);
    request.fileName = ToUi(start.fileName);
    request.filter = filter;
    if (const std::optional<QString> chosen = m_ctx.prompter->OpenFile(request)) edit->setText(*chosen);
}

void TfrmSettings::FormCreate() {
    // The timer is the system's, not the settings file's: its state is asked each time.
    const DailyTimerState daily = QueryDailyUpdateTimer(m_ctx.systemctl);
    m_dailyEnabled = daily.enabled;
    chkDailyUpdate->setChecked(daily.enabled);
    chkDailyUpdate->setEnabled(daily.available);
    chkDailyUpdate->setToolTip(daily.available ? QStringLiteral("systemd のユーザータイマー quarrow-update.timer が、"
                                                                "検索場所のインデックスを毎日 quarrow --update で更新します")
                                               : QString::fromStdString(daily.reason));
    const SettingsForm form = ReadSettingsForm(m_ctx.settings);
    chkShowExplanation->setChecked(form.showExplanation);
    chkSaveWindowPos->setChecked(form.savePosition);
    (form.resultOutput == ResultOutput::WebBrowser ? optResultWebBrowser : optResultText)->setChecked(true);
    edtBlankLine->setText(ToUi(form.blankLine));
    edtSpaceCount->setText(ToUi(form.spaceCount));
    chkUsePnamazu->setChecked(form.usePnamazu);
    chkSearchOnChangeSettings->setChecked(form.searchOnChangeSettings);
    chkSearchConfirmCmdLine->setChecked(form.confirmCommandLine);
    chkUseConstantInBrowser->setChecked(form.useConstantInBrowser);
    (form.mknmzWindow == MknmzWindow::DosWindow ? optMknmzDosWindow : optMknmzInternal)->setChecked(true);
    (form.webBrowserOutput == WebBrowserOutput::External ? optWebBrowserExternal : optWebBrowserInternal)
        ->setChecked(true);
    QRadioButton* types[] = {optBrowserNavigator, optBrowserInternetExplorer, optBrowserDefault};
    types[static_cast<int>(form.webBrowserType)]->setChecked(true);
    edtNavigatorPath->setText(ToUi(form.navigatorPath));
    edtPerlPath->setText(ToUi(form.perlPath));
    edtMknmzPath->setText(ToUi(form.mknmzPath));
    edtNamazuPath->setText(ToUi(form.namazuPath));
    edtPnamazuPath->setText(ToUi(form.pnamazuPath));
    edtNamazuParams->setText(ToUi(form.namazuParams));
    pge->setCurrentWidget(tabGeneral);
}

SettingsForm TfrmSettings::ReadForm() const {
    SettingsForm form;
    form.showExplanation = chkShowExplanation->isChecked();
    form.savePosition = chkSaveWindowPos->isChecked();
    form.resultOutput = optResultWebBrowser->isChecked() ? ResultOutput::WebBrowser : ResultOutput::Text;
    form.blankLine = ToProgram(edtBlankLine->text());
    form.spaceCount = ToProgram(edtSpaceCount->text());
    form.usePnamazu = chkUsePnamazu->isChecked();
    form.searchOnChangeSettings = chkSearchOnChangeSettings->isChecked();
    form.confirmCommandLine = chkSearchConfirmCmdLine->isChecked();
    form.useConstantInBrowser = chkUseConstantInBrowser->isChecked();
    form.mknmzWindow = optMknmzDosWindow->isChecked() ? MknmzWindow::DosWindow : MknmzWindow::Internal;
    form.webBrowserOutput =
        optWebBrowserExternal->isChecked() ? WebBrowserOutput::External : WebBrowserOutput::Internal;
    form.webBrowserType = optBrowserNavigator->isChecked()          ? WebBrowserType::Navigator
                          : optBrowserInternetExplorer->isChecked() ? WebBrowserType::InternetExplorer
                                                                    : WebBrowserType::Default;
    form.navigatorPath = ToProgram(edtNavigatorPath->text());
    form.perlPath = ToProgram(edtPerlPath->text());
    form.mknmzPath = ToProgram(edtMknmzPath->text());
    form.namazuPath = ToProgram(edtNamazuPath->text());
    form.pnamazuPath = ToProgram(edtPnamazuPath->text());
    form.namazuParams = ToProgram(edtNamazuParams->text());
    return form;
}

// Both numbers must be whole numbers above 0; the first one that is not is shown with the error.
bool TfrmSettings::OkRule() {
    const InvalidNumber invalid = FirstInvalidNumber(ReadForm());
    if (invalid == InvalidNumber::None) return true;
    m_ctx.prompter->Tell(kInvalidNumber, QStringLiteral("エラー"), MessageIcon::Error);
    pge->setCurrentWidget(tabSearch);
    QLineEdit* box = invalid == InvalidNumber::BlankLine ? edtBlankLine : edtSpaceCount;
    box->setFocus();
    box->selectAll();
    return false;
}

void TfrmSettings::done(int result) {
    if (m_help && m_help->DeferCallerClose(this)) {
        m_closeWhenHelpEnds = result;  // the last choice counts
        return;
    }
    if (result == QDialog::Accepted) {
        // Settings are stored only when the dialog really closes with OK.
        if (!OkRule()) return;
        StoreSettingsForm(ReadForm(), m_ctx.settings);
        if (chkDailyUpdate->isEnabled() && chkDailyUpdate->isChecked() != m_dailyEnabled) {
            const std::string error = SetDailyUpdateTimer(m_ctx.systemctl, chkDailyUpdate->isChecked());
            if (!error.empty()) {
                m_ctx.prompter->Tell(QStringLiteral("毎日の自動更新を切り替えられませんでした。\n\n") +
                                         QString::fromStdString(error),
                                     QStringLiteral("エラー"), MessageIcon::Error);
            }
        }
    }
    if (m_help) m_help->close();
    QDialog::done(result);
}

void TfrmSettings::closeEvent(QCloseEvent* event) {
    // The console window closes us again once its run has ended; then the choice made
    // meanwhile (OK or Cancel) is carried out.
    if (m_closeWhenHelpEnds) {
        done(*std::exchange(m_closeWhenHelpEnds, std::nullopt));
        if (isVisible()) event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmSettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverParent(this);
}

void TfrmSettings::btnSetDefaultPathClick() {
    const DefaultProgramPaths paths = DefaultPathsFor(m_ctx.platform);
    edtPerlPath->setText(ToUi(paths.perlPath));
    edtMknmzPath->setText(ToUi(paths.mknmzPath));
    edtNamazuPath->setText(ToUi(paths.namazuPath));
}

void TfrmSettings::btnSetDefaultOptionClick() {
    edtNamazuParams->clear();
}

void TfrmSettings::btnShowOptionInfoClick() {
    if (m_help) {
        m_help->showNormal();
        m_help->raise();
        m_help->activateWindow();
        return;
    }
    // A window of its own, placed by the system; made a child of the dialog only so that the
    // dialog's modality does not shut it off from the user.
    m_help = new TfrmWindow(this);
    m_help->setWindowTitle(QStringLiteral("コマンドライン・オプション"));
    m_help->show();
    const std::vector<OptionHelpRun> runs =
        OptionHelpRuns(ToProgram(edtPerlPath->text()), ToProgram(edtMknmzPath->text()),
                       ToProgram(edtNamazuPath->text()), m_ctx.platform.pathStyle, m_ctx.platform.codePage);
    for (const OptionHelpRun& run : runs) {
        // Between runs (while a start failure is being told) the user may have closed it.
        if (!m_help || !m_help->isVisible()) break;
        RunCommand(run.commandLine, run.workDir, RunMode::Capture, m_help->edt, *m_ctx.prompter,
                   m_ctx.platform.codePage, run.environment);
    }
    if (m_help) m_help->edt->SetRunFlag(1);
}
