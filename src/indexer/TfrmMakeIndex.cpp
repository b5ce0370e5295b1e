#include "indexer/TfrmMakeIndex.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "config/FileIo.h"
#include "config/IniFile.h"
#include "config/WindowPlacement.h"
#include "indexer/CommandListFile.h"
#include "indexer/DefaultOptions.h"
#include "indexer/FolderTree.h"
#include "indexer/IndexProgressPanel.h"
#include "process/AppContext.h"
#include "process/Launchers.h"
#include "process/QtOutputView.h"
#include "process/QtText.h"
#include "process/TfrmWindow.h"
#include "process/WidgetSupport.h"

namespace {

constexpr const char* kPlacementSection = "Mknmz";
constexpr int kListExtent = 1500;  // pixels the command list scrolls over

// Every row of the command list is at least kListExtent wide, so the list scrolls over that
// much whatever its entries.
class WideRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(std::max(size.width(), kListExtent));
        return size;
    }
};

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setAutoDefault(false);
    return button;
}

QToolButton* BrowseButton(QWidget* parent, const char* name) {
    auto* button = Named(new QToolButton(parent), name);
    button->setText(QStringLiteral("..."));
    button->setToolTip(QStringLiteral("参照"));
    return button;
}

// A field with its browse button on one row.
QHBoxLayout* FieldRow(QWidget* field, QWidget* button) {
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(field, 1);
    row->addWidget(button);
    return row;
}

QHBoxLayout* Indented(QLayout* inner, int pixels) {
    auto* row = new QHBoxLayout;
    row->addSpacing(pixels);
    row->addLayout(inner, 1);
    return row;
}

QHBoxLayout* Indented(QWidget* inner, int pixels) {
    auto* row = new QHBoxLayout;
    row->addSpacing(pixels);
    row->addWidget(inner, 1);
    return row;
}

}  // namespace

// What a batch tells reaches lblProgress, edtCommandLine and the progress panel.
class TfrmMakeIndex::RunSink final : public RunProgressSink {
public:
    explicit RunSink(TfrmMakeIndex& form) : m_form(form) {}

    void EntryStarting(std::size_t number, std::size_t count, const std::string& entry) override {
        m_form.lblProgress->setText(QString::fromStdString(ProgressText(number, count)));
        m_form.edtCommandLine->setPlainText(m_form.ToUi(entry));
        m_form.edtCommandLine->repaint();
        m_form.pnlRunProgress->EntryStarting(number, count, entry);
    }
    void DocumentProgress(const MknmzProgressLine& progress) override {
        m_form.pnlRunProgress->DocumentProgress(progress);
    }
    void EntryEnded(std::size_t number, EntryOutcome outcome) override {
        m_form.pnlRunProgress->EntryEnded(number, outcome);
    }

private:
    TfrmMakeIndex& m_form;
};

TfrmMakeIndex::TfrmMakeIndex(AppContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_ctx(ctx),
      m_control(std::chrono::seconds(30)) {
    setObjectName(QStringLiteral("frmMakeIndex"));
    setWindowTitle(QStringLiteral("インデックス作成"));
    setFont(PixelFont(QStringLiteral("ＭＳ Ｐゴシック"), 12, false));
    setModal(true);
    m_run.currentDirectory = QDir::currentPath().toStdString();
    CreateControls();
    ConnectHandlers();
    FormCreate();
}

TfrmMakeIndex::~TfrmMakeIndex() {
    if (m_console) {
        m_console->edt->SetRunFlag(1);
        m_console->close();
    }
}

QString TfrmMakeIndex::ToUi(const std::string& text) const {
    return ToQString(m_ctx.platform.codePage, text);
}

std::string TfrmMakeIndex::ToProgram(const QString& text) const {
    return FromQString(m_ctx.platform.codePage, text);
}

// ---- controls ----

void TfrmMakeIndex::CreateControls() {
    pgeMknmz = Named(new QTabWidget(this), "pgeMknmz");
    tab1 = CreateTab1();
    tab2 = CreateTab2();
    tab3 = CreateTab3();
    tabReserve = CreateTabReserve();
    tabProcess = CreateTabProcess();
    pgeMknmz->addTab(tab1, QStringLiteral("ディレクトリ(&1)"));
    pgeMknmz->addTab(tab2, QStringLiteral("ファイル(&2)"));
    pgeMknmz->addTab(tab3, QStringLiteral("その他(&3)"));
    pgeMknmz->addTab(tabReserve, QStringLiteral("実行予約(&4)"));
    pgeMknmz->addTab(tabProcess, QStringLiteral("実行画面(&5)"));

    lblShiftNote =
        Named(new QLabel(QStringLiteral("Shiftキーを押しながらボタンを押すと→\n既存のリストに追加できます。"),
                         this),
              "lblShiftNote");
    btnMakeCmdline = Button(this, "btnMakeCmdline", QStringLiteral("コマンドリスト作成(&L)"));
    btnExit = Button(this, "btnExit", QStringLiteral("終了"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblShiftNote, 1);
    bottom->addWidget(btnMakeCmdline, 0, Qt::AlignVCenter);
    bottom->addWidget(btnExit, 0, Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(pgeMknmz, 1);
    layout->addLayout(bottom);
}

QWidget* TfrmMakeIndex::CreateTab1() {
    auto* page = Named(new QWidget, "tab1");
    auto* label = new QLabel(QStringLiteral("対象ディレクトリ(&D):"), page);
    tvFolder = Named(new FolderTree(page), "tvFolder");
    label->setBuddy(tvFolder);
    edtTargetDirectories = Named(new QPlainTextEdit(page), "edtTargetDirectories");
    edtTargetDirectories->setToolTip(QStringLiteral("複数ディレクトリを指定するときは改行で区切ります"));
    edtTargetDirectories->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtTargetDirectories->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edtTargetDirectories->setTabChangesFocus(true);
    splTarget = Named(new QSplitter(Qt::Vertical, page), "splTarget");
    splTarget->addWidget(tvFolder);
    splTarget->addWidget(edtTargetDirectories);
    splTarget->setChildrenCollapsible(false);
    splTarget->setStretchFactor(0, 3);
    splTarget->setStretchFactor(1, 1);

    btnClearTargetDir = Button(page, "btnClearTargetDir", QStringLiteral("クリア(&A)"));
    chkMakeEach = Named(new QCheckBox(QStringLiteral("ディレクトリ毎に作成(&E)"), page), "chkMakeEach");
    chkCreateDirEach =
        Named(new QCheckBox(QStringLiteral("出力先にディレクトリ作成(&C)"), page), "chkCreateDirEach");
    chkCreateDirEach->setToolTip(
        QStringLiteral("出力先に指定したディレクトリの下に各対象ディレクトリの\nインデックスを格納するための"
                       "ディレクトリを作成します"));
    chkSerialDirName =
        Named(new QCheckBox(QStringLiteral("ディレクトリ名は連番(&N)"), page), "chkSerialDirName");
    chkSerialDirName->setToolTip(QStringLiteral("index1, index2, ... という名前で作成します"));
    chkExcludeDir = Named(new QCheckBox(QStringLiteral("除外するパス名を指定(&X)"), page), "chkExcludeDir");
    edtExcludeDirPattern = Named(new QLineEdit(page), "edtExcludeDirPattern");
    chkOutputDir = Named(new QCheckBox(QStringLiteral("出力先を指定(&O)"), page), "chkOutputDir");
    edtOutputDir = Named(new QLineEdit(page), "edtOutputDir");
    btnBrowseOutputDir = BrowseButton(page, "btnBrowseOutputDir");

    auto* options = new QVBoxLayout;
    options->setSpacing(3);
    options->addWidget(btnClearTargetDir, 0, Qt::AlignLeft);
    options->addSpacing(6);
    options->addWidget(chkMakeEach);
    options->addLayout(Indented(chkCreateDirEach, 16));
    options->addLayout(Indented(chkSerialDirName, 32));
    options->addSpacing(6);
    options->addWidget(chkExcludeDir);
    options->addLayout(Indented(edtExcludeDirPattern, 16));
    options->addSpacing(6);
    options->addWidget(chkOutputDir);
    options->addLayout(Indented(FieldRow(edtOutputDir, btnBrowseOutputDir), 16));
    options->addStretch(1);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(label, 0, 0);
    grid->addWidget(splTarget, 1, 0);
    grid->addLayout(options, 1, 1);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
    return page;
}

QWidget* TfrmMakeIndex::CreateTab2() {
    auto* page = Named(new QWidget, "tab2");
    grpTargetFile = Named(new QGroupBox(QStringLiteral("対象ファイル"), page), "grpTargetFile");
    optTargetDefault =
        Named(new QRadioButton(QStringLiteral("既定値(&D)"), grpTargetFile), "optTargetDefault");
    auto* note = Named(new QLabel(QStringLiteral("(拡張子が TXT, HTML などのファイル)"), grpTargetFile),
                       "lblTargetDefaultNote");
    optTargetAll =
        Named(new QRadioButton(QStringLiteral("すべてのファイル(&A)"), grpTargetFile), "optTargetAll");
    optTargetRegex =
        Named(new QRadioButton(QStringLiteral("正規表現によるパターンで指定(&R)"), grpTargetFile),
              "optTargetRegex");
    edtTargetFilePattern = Named(new QLineEdit(grpTargetFile), "edtTargetFilePattern");
    chkTargetFileList =
        Named(new QCheckBox(QStringLiteral("一覧の書かれたファイルを指定(&F)"), grpTargetFile),
              "chkTargetFileList");
    edtTargetFileListFileName = Named(new QLineEdit(grpTargetFile), "edtTargetFileListFileName");
    btnBrowseTargetFileList = BrowseButton(grpTargetFile, "btnBrowseTargetFileList");
    btnEditFileList = Button(grpTargetFile, "btnEditFileList", QStringLiteral("編集(&E)..."));
    optTargetDefault->setChecked(true);

    auto* defaultRow = new QHBoxLayout;
    defaultRow->addWidget(optTargetDefault);
    defaultRow->addWidget(note);
    defaultRow->addStretch(1);
    auto* listRow = FieldRow(edtTargetFileListFileName, btnBrowseTargetFileList);
    listRow->addSpacing(6);
    listRow->addWidget(btnEditFileList);
    auto* group = new QVBoxLayout(grpTargetFile);
    group->setSpacing(3);
    group->addLayout(defaultRow);
    group->addWidget(optTargetAll);
    group->addWidget(optTargetRegex);
    group->addLayout(Indented(edtTargetFilePattern, 20));
    group->addSpacing(6);
    group->addWidget(chkTargetFileList);
    group->addLayout(Indented(listRow, 20));

    chkDenyFile = Named(new QCheckBox(QStringLiteral("拒絶するファイル名を指定(&N)"), page), "chkDenyFile");
    edtDenyFilePattern = Named(new QLineEdit(page), "edtDenyFilePattern");
    btnSetDefaultFile = Button(page, "btnSetDefaultFile", QStringLiteral("既定値(&S)"));
    btnSetDefaultFile->setToolTip(QStringLiteral("既定値として保存します"));

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(3);
    layout->addWidget(grpTargetFile);
    layout->addSpacing(6);
    layout->addWidget(chkDenyFile);
    layout->addLayout(Indented(edtDenyFilePattern, 20));
    layout->addStretch(1);
    layout->addWidget(btnSetDefaultFile, 0, Qt::AlignRight);
    return page;
}

QWidget* TfrmMakeIndex::CreateTab3() {
    auto* page = Named(new QWidget, "tab3");
    lstCriteria = Named(new QListWidget(page), "lstCriteria");
    for (const char* text : kCriteriaItemTexts) {
        auto* item = new QListWidgetItem(QString::fromUtf8(text), lstCriteria);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    chkMediaType = Named(new QCheckBox(QStringLiteral("ファイルの文書形式を指定(&T)"), page), "chkMediaType");
    edtMediaType = Named(new QLineEdit(page), "edtMediaType");
    chkReplace = Named(new QCheckBox(QStringLiteral("URIの置換を行う(&R)"), page), "chkReplace");
    edtReplace = Named(new QLineEdit(page), "edtReplace");
    chkMknmzrc = Named(new QCheckBox(QStringLiteral("設定ファイルを指定する(&C)"), page), "chkMknmzrc");
    edtMknmzrcFileName = Named(new QLineEdit(page), "edtMknmzrcFileName");
    btnBrowseMknmzrc = BrowseButton(page, "btnBrowseMknmzrc");
    auto* otherLabel = Named(new QLabel(QStringLiteral("任意オプション(&O):"), page), "lblOtherParameters");
    edtOtherParameters = Named(new QLineEdit(page), "edtOtherParameters");
    otherLabel->setBuddy(edtOtherParameters);
    btnHelp = Button(page, "btnHelp", QStringLiteral("オプション説明(&E)..."));
    btnSetDefaultEtc = Button(page, "btnSetDefaultEtc", QStringLiteral("既定値(&S)"));
    btnSetDefaultEtc->setToolTip(QStringLiteral("既定値として保存します"));

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    grid->addWidget(chkMediaType, 0, 0);
    grid->addWidget(edtMediaType, 0, 1);
    grid->addWidget(chkReplace, 1, 0);
    grid->addWidget(edtReplace, 1, 1);
    grid->addWidget(chkMknmzrc, 2, 0);
    grid->addLayout(FieldRow(edtMknmzrcFileName, btnBrowseMknmzrc), 2, 1);
    grid->addWidget(otherLabel, 3, 0);
    grid->addWidget(edtOtherParameters, 3, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnSetDefaultEtc);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(lstCriteria, 1);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    return page;
}

QWidget* TfrmMakeIndex::CreateTabReserve() {
    auto* page = Named(new QWidget, "tabReserve");
    auto* label = new QLabel(QStringLiteral("コマンド入力(&C):"), page);
    edtCmdlineEdit = Named(new QLineEdit(page), "edtCmdlineEdit");
    label->setBuddy(edtCmdlineEdit);
    auto* note =
        Named(new QLabel(QStringLiteral("※mknmz のコマンドラインオプションのみ入力してください。"), page),
              "lblCmdlineNote");
    lstCmdlineList = Named(new QListWidget(page), "lstCmdlineList");
    lstCmdlineList->setItemDelegate(new WideRowDelegate(lstCmdlineList));
    lstCmdlineList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lstCmdlineList->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    lstCmdlineList->setSelectionMode(QAbstractItemView::SingleSelection);
    btnCmdlineAdd = Button(page, "btnCmdlineAdd", QStringLiteral("追加(&A)"));
    btnCmdlineModify = Button(page, "btnCmdlineModify", QStringLiteral("変更(&I)"));
    btnCmdlineDelete = Button(page, "btnCmdlineDelete", QStringLiteral("削除(&E)"));
    btnCmdlineUp = Button(page, "btnCmdlineUp", QStringLiteral("上へ(&U)"));
    btnCmdlineDown = Button(page, "btnCmdlineDown", QStringLiteral("下へ(&D)"));
    btnCmdlineClear = Button(page, "btnCmdlineClear", QStringLiteral("全削除"));
    btnLoadCmdList = Button(page, "btnLoadCmdList", QStringLiteral("読み込み(&O)"));
    btnSaveCmdList = Button(page, "btnSaveCmdList", QStringLiteral("保存(&S)"));
    btnMakeIndex = Button(page, "btnMakeIndex", QStringLiteral("インデックス作成(&M)"));

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(label);
    editRow->addWidget(edtCmdlineEdit, 1);
    auto* listButtons = new QVBoxLayout;
    listButtons->setSpacing(3);
    for (QPushButton* button :
         {btnCmdlineAdd, btnCmdlineModify, btnCmdlineDelete, btnCmdlineUp, btnCmdlineDown, btnCmdlineClear}) {
        listButtons->addWidget(button);
    }
    listButtons->addStretch(1);
    auto* listRow = new QHBoxLayout;
    listRow->addWidget(lstCmdlineList, 1);
    listRow->addLayout(listButtons);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(btnLoadCmdList);
    fileRow->addWidget(btnSaveCmdList);
    fileRow->addStretch(1);
    fileRow->addWidget(btnMakeIndex);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(editRow);
    layout->addWidget(note);
    layout->addLayout(listRow, 1);
    layout->addLayout(fileRow);
    return page;
}

QWidget* TfrmMakeIndex::CreateTabProcess() {
    auto* page = Named(new QWidget, "tabProcess");
    edtCommandLine = Named(new QPlainTextEdit(page), "edtCommandLine");
    edtCommandLine->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edtCommandLine->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edtCommandLine->setTabChangesFocus(true);
    edtCommandLine->setFixedHeight(edtCommandLine->fontMetrics().lineSpacing() * 2 +
                                   2 * edtCommandLine->frameWidth() + 8);
    edtCommandLine->installEventFilter(this);
    btnRunMknmz = Button(page, "btnRunMknmz", QStringLiteral("実行"));
    lblProgress = Named(new QLabel(page), "lblProgress");
    lblProgress->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000 / 000")));
    pnlRunProgress = Named(new IndexProgressPanel(page), "pnlRunProgress");

    edtProcess = Named(new QtOutputView(page), "edtProcess");
    edtProcess->setFont(PixelFont(QStringLiteral("ＭＳ ゴシック"), 12, true));
    edtProcess->SetTabColumns(4);
    edtProcess->SetSelectable(false);  // until the first run has ended
    edtProcess->SetRunFlag(1);
    edtProcess->setContextMenuPolicy(Qt::CustomContextMenu);
    pmnu = Named(new QMenu(this), "pmnu");
    mnuCopy = Named(new QAction(QStringLiteral("コピー(&C)"), this), "mnuCopy");
    mnuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuCopy->setShortcutContext(Qt::WidgetShortcut);
    mnuCopy->setEnabled(false);
    pmnu->addAction(mnuCopy);
    edtProcess->addAction(mnuCopy);

    auto* commandRow = new QHBoxLayout;
    commandRow->addWidget(edtCommandLine, 1);
    commandRow->addWidget(btnRunMknmz, 0, Qt::AlignTop);
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(lblProgress, 0, Qt::AlignTop);
    progressRow->addWidget(pnlRunProgress, 1);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(commandRow);
    layout->addLayout(progressRow);
    layout->addWidget(edtProcess, 1);
    return page;
}

void TfrmMakeIndex::ConnectHandlers() {
    connect(btnExit, &QPushButton::clicked, this, &TfrmMakeIndex::close);
    connect(btnMakeCmdline, &QPushButton::clicked, this, &TfrmMakeIndex::btnMakeCmdlineClick);

    connect(tvFolder, &FolderTree::checkStateChanged, this, &TfrmMakeIndex::tvFolderShStateChanged);
    connect(btnClearTargetDir, &QPushButton::clicked, edtTargetDirectories, &QPlainTextEdit::clear);
    connect(chkOutputDir, &QCheckBox::toggled, this, [this](bool on) {
        edtOutputDir->setEnabled(on);
        btnBrowseOutputDir->setEnabled(on);
    });
    connect(chkExcludeDir, &QCheckBox::toggled, edtExcludeDirPattern, &QWidget::setEnabled);
    connect(chkMakeEach, &QCheckBox::toggled, this, &TfrmMakeIndex::chkMakeEachClick);
    connect(chkCreateDirEach, &QCheckBox::toggled, chkSerialDirName, &QWidget::setEnabled);
    connect(btnBrowseOutputDir, &QToolButton::clicked, this, [this] { BrowseDirectory(edtOutputDir); });

    for (QRadioButton* option : {optTargetDefault, optTargetAll, optTargetRegex}) {
        connect(option, &QRadioButton::toggled, this, &TfrmMakeIndex::optTargetDefaultClick);
    }
    connect(chkTargetFileList, &QCheckBox::toggled, this, [this](bool on) {
        edtTargetFileListFileName->setEnabled(on);
        btnBrowseTargetFileList->setEnabled(on);
        btnEditFileList->setEnabled(on);
    });
    connect(btnBrowseTargetFileList, &QToolButton::clicked, this,
            [this] { BrowseFile(edtTargetFileListFileName); });
    connect(btnEditFileList, &QPushButton::clicked, this, &TfrmMakeIndex::btnEditFileListClick);
    connect(chkDenyFile, &QCheckBox::toggled, edtDenyFilePattern, &QWidget::setEnabled);
    connect(btnSetDefaultFile, &QPushButton::clicked, this, &TfrmMakeIndex::btnSetDefaultDirClick);

    connect(chkMediaType, &QCheckBox::toggled, edtMediaType, &QWidget::setEnabled);
    connect(chkReplace, &QCheckBox::toggled, edtReplace, &QWidget::setEnabled);
    connect(chkMknmzrc, &QCheckBox::toggled, this, [this](bool on) {
        edtMknmzrcFileName->setEnabled(on);
        btnBrowseMknmzrc->setEnabled(on);
    });
    connect(btnBrowseMknmzrc, &QToolButton::clicked, this, [this] { BrowseFile(edtMknmzrcFileName); });
    connect(btnHelp, &QPushButton::clicked, this, &TfrmMakeIndex::btnHelpClick);
    connect(btnSetDefaultEtc, &QPushButton::clicked, this, &TfrmMakeIndex::btnSetDefaultDirClick);

    connect(btnCmdlineAdd, &QPushButton::clicked, this, &TfrmMakeIndex::btnCmdlineAddClick);
    connect(btnCmdlineModify, &QPushButton::clicked, this, &TfrmMakeIndex::btnCmdlineModifyClick);
    connect(btnCmdlineDelete, &QPushButton::clicked, this, &TfrmMakeIndex::btnCmdlineDeleteClick);
    connect(btnCmdlineUp, &QPushButton::clicked, this, &TfrmMakeIndex::btnCmdlineUpClick);
    connect(btnCmdlineDown, &QPushButton::clicked, this, &TfrmMakeIndex::btnCmdlineDownClick);
    connect(btnCmdlineClear, &QPushButton::clicked, this, &TfrmMakeIndex::btnCmdlineClearClick);
    connect(btnLoadCmdList, &QPushButton::clicked, this, &TfrmMakeIndex::btnLoadCmdListClick);
    connect(btnSaveCmdList, &QPushButton::clicked, this, &TfrmMakeIndex::btnSaveCmdListClick);
    connect(btnMakeIndex, &QPushButton::clicked, this, &TfrmMakeIndex::btnMakeIndexClick);
    connect(lstCmdlineList, &QListWidget::currentRowChanged, this, &TfrmMakeIndex::UpdateListButtons);
    connect(lstCmdlineList, &QListWidget::itemSelectionChanged, this, &TfrmMakeIndex::UpdateListButtons);
    connect(lstCmdlineList, &QListWidget::activated, this, &TfrmMakeIndex::lstCmdlineListActivated);

    connect(btnRunMknmz, &QPushButton::clicked, this, &TfrmMakeIndex::btnRunMknmzClick);
    connect(edtProcess, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        pmnuPopup();
        pmnu->popup(edtProcess->mapToGlobal(at));
    });
    connect(edtProcess, &QtOutputView::selectionChanged, this, &TfrmMakeIndex::pmnuPopup);
    connect(mnuCopy, &QAction::triggered, edtProcess, [this] { edtProcess->CopySelection(); });

    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
}

// ---- creation, closing, placement ----

void TfrmMakeIndex::FormCreate() {
    resize(497, 344);
    setMinimumSize(497, 344);
    RestorePlacement();
    tvFolder->SelectPath(QStringLiteral("/"));
    lblProgress->clear();
    MakeIndexForm form = ReadForm();
    LoadDefaultOptions(m_ctx.settings.SettingsPath, form, m_ctx.platform.codePage);
    WriteOptionPages(form);
    ApplyEnablingRules();
    edtExcludeDirPattern->setEnabled(chkExcludeDir->isChecked());
    edtOutputDir->setEnabled(chkOutputDir->isChecked());
    btnBrowseOutputDir->setEnabled(chkOutputDir->isChecked());
    UpdateListButtons();
    pgeMknmz->setCurrentWidget(tab1);
    m_console = nullptr;
}

void TfrmMakeIndex::ApplyEnablingRules() {
    chkMakeEachClick();
    optTargetDefaultClick();
    const bool fileList = chkTargetFileList->isChecked();
    edtTargetFileListFileName->setEnabled(fileList);
    btnBrowseTargetFileList->setEnabled(fileList);
    btnEditFileList->setEnabled(fileList);
    edtDenyFilePattern->setEnabled(chkDenyFile->isChecked());
    edtMediaType->setEnabled(chkMediaType->isChecked());
    edtReplace->setEnabled(chkReplace->isChecked());
    edtMknmzrcFileName->setEnabled(chkMknmzrc->isChecked());
    btnBrowseMknmzrc->setEnabled(chkMknmzrc->isChecked());
}

// The option help's console goes first, even when the closing is then refused; a run of the
// command list refuses it.
bool TfrmMakeIndex::FormCloseQuery() {
    if (m_console) m_console->close();
    return btnExit->isEnabled();
}

void TfrmMakeIndex::closeEvent(QCloseEvent* event) {
    // The option help still writing into its console: this window closes when it has ended.
    if (m_console && m_console->DeferCallerClose(this)) {
        event->ignore();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    StorePlacement();
    event->accept();
    done(QDialog::Rejected);
}

void TfrmMakeIndex::reject() {
    close();
}

void TfrmMakeIndex::RestorePlacement() {
    IniFile ini;
    ini.Load(m_ctx.settings.SettingsPath, m_ctx.platform.codePage);
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect a = screen->availableGeometry();
    const auto placement = PlacementToRestore(ini, kPlacementSection, qRound(screen->logicalDotsPerInch()),
                                              {a.x(), a.y(), a.x() + a.width(), a.y() + a.height()});
    if (!placement || !placement->normal) return;
    const PlacementRect& r = *placement->normal;
    setGeometry(r.left, r.top, std::max(r.Width(), minimumWidth()), std::max(r.Height(), minimumHeight()));
}

void TfrmMakeIndex::StorePlacement() {
    const std::string& path = m_ctx.settings.SettingsPath;
    if (path.empty() || IsReadOnlyFile(path)) return;
    IniFile ini;
    if (!ini.Load(path, m_ctx.platform.codePage)) return;
    const QRect r = geometry();
    const QScreen* s = screen();
    WriteWindowPlacement(ini, kPlacementSection,
                         {{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()},
                          WindowShowState::Normal,
                          s ? qRound(s->logicalDotsPerInch()) : 96,
                          true});
    ini.Save(path);  // a failure is not reported; the window closes anyway
}

// ---- the form ----

MakeIndexForm TfrmMakeIndex::ReadForm() const {
    MakeIndexForm form = NewMakeIndexForm(m_ctx.platform.codePage);
    form.edtTargetDirectories = ToProgram(edtTargetDirectories->toPlainText());
    form.chkMakeEach = chkMakeEach->isChecked();
    form.chkCreateDirEach = chkCreateDirEach->isChecked();
    form.chkSerialDirName = chkSerialDirName->isChecked();
    form.chkExcludeDir = chkExcludeDir->isChecked();
    form.edtExcludeDirPattern = ToProgram(edtExcludeDirPattern->text());
    form.chkOutputDir = chkOutputDir->isChecked();
    form.edtOutputDir = ToProgram(edtOutputDir->text());
    form.optTargetDefault = optTargetDefault->isChecked();
    form.optTargetAll = optTargetAll->isChecked();
    form.optTargetRegex = optTargetRegex->isChecked();
    form.edtTargetFilePattern = ToProgram(edtTargetFilePattern->text());
    form.chkTargetFileList = chkTargetFileList->isChecked();
    form.edtTargetFileListFileName = ToProgram(edtTargetFileListFileName->text());
    form.chkDenyFile = chkDenyFile->isChecked();
    form.edtDenyFilePattern = ToProgram(edtDenyFilePattern->text());
    for (std::size_t i = 0; i < kCriteriaCount; ++i) {
        const QListWidgetItem* item = lstCriteria->item(static_cast<int>(i));
        form.lstCriteria[i] = {ToProgram(item->text()), item->checkState() == Qt::Checked};
    }
    form.chkMediaType = chkMediaType->isChecked();
    form.edtMediaType = ToProgram(edtMediaType->text());
    form.chkReplace = chkReplace->isChecked();
    form.edtReplace = ToProgram(edtReplace->text());
    form.chkMknmzrc = chkMknmzrc->isChecked();
    form.edtMknmzrcFileName = ToProgram(edtMknmzrcFileName->text());
    form.edtOtherParameters = ToProgram(edtOtherParameters->text());
    return form;
}

void TfrmMakeIndex::WriteOptionPages(const MakeIndexForm& form) {
    optTargetDefault->setChecked(form.optTargetDefault);
    optTargetAll->setChecked(form.optTargetAll);
    optTargetRegex->setChecked(form.optTargetRegex);
    edtTargetFilePattern->setText(ToUi(form.edtTargetFilePattern));
    chkTargetFileList->setChecked(form.chkTargetFileList);
    edtTargetFileListFileName->setText(ToUi(form.edtTargetFileListFileName));
    chkDenyFile->setChecked(form.chkDenyFile);
    edtDenyFilePattern->setText(ToUi(form.edtDenyFilePattern));
    for (std::size_t i = 0; i < kCriteriaCount; ++i) {
        lstCriteria->item(static_cast<int>(i))
            ->setCheckState(form.lstCriteria[i].checked ? Qt::Checked : Qt::Unchecked);
    }
    chkMediaType->setChecked(form.chkMediaType);
    edtMediaType->setText(ToUi(form.edtMediaType));
    chkReplace->setChecked(form.chkReplace);
    edtReplace->setText(ToUi(form.edtReplace));
    chkMknmzrc->setChecked(form.chkMknmzrc);
    edtMknmzrcFileName->setText(ToUi(form.edtMknmzrcFileName));
    edtOtherParameters->setText(ToUi(form.edtOtherParameters));
}

void TfrmMakeIndex::tvFolderShStateChanged(const QString& path, bool checked) {
    ApplyFolderCheckToEdit(*edtTargetDirectories, path, checked, m_ctx.platform.codePage);
}

void TfrmMakeIndex::chkMakeEachClick() {
    chkCreateDirEach->setEnabled(chkMakeEach->isChecked());
    chkSerialDirName->setEnabled(chkMakeEach->isChecked() && chkCreateDirEach->isChecked());
}

void TfrmMakeIndex::optTargetDefaultClick() {
    edtTargetFilePattern->setEnabled(optTargetRegex->isChecked());
}

void TfrmMakeIndex::BrowseDirectory(QLineEdit* edit) {
    FileDialogRequest request;
    request.directory = edit->text().trimmed();
    if (const auto chosen = m_ctx.prompter->ChooseDirectory(request)) edit->setText(*chosen);
}

void TfrmMakeIndex::BrowseFile(QLineEdit* edit) {
    FileDialogRequest request;
    const QFileInfo current(edit->text().trimmed());
    if (!edit->text().trimmed().isEmpty()) {
        request.directory = current.path();
        request.fileName = current.fileName();
    }
    request.filter = QStringLiteral("すべてのファイル (*)");
    if (const auto chosen = m_ctx.prompter->OpenFile(request)) edit->setText(*chosen);
}

void TfrmMakeIndex::btnEditFileListClick() {
    // Opened by the desktop's editor for the file, without waiting; the result is not checked.
    OpenWithShell(ToProgram(edtTargetFileListFileName->text()));
}

void TfrmMakeIndex::btnHelpClick() {
    if (m_console) {
        m_console->show();
        m_console->raise();
        m_console->activateWindow();
        return;
    }
    // Its own window above this one, usable beside it, gone with it.
    m_console = new TfrmWindow(this);
    m_console->setWindowTitle(QStringLiteral("コマンドライン・オプション"));
    m_console->show();
    const Settings& s = m_ctx.settings;
    const std::string commandLine = "\"" + s.Command.PerlPath + "\" \"" + s.Command.mknmzPath + "\" --help";
    QPointer<TfrmWindow> console = m_console;
    RunCommand(commandLine, FolderOf(s.Command.mknmzPath, m_ctx.platform.pathStyle), RunMode::Capture,
               console->edt, *m_ctx.prompter, m_ctx.platform.codePage, NamazuEnvironment());
    if (console) console->edt->SetRunFlag(1);
}

void TfrmMakeIndex::btnMakeCmdlineClick() {
    const MakeIndexForm form = ReadForm();
    if (CheckOptions(form, m_ctx.platform, *m_ctx.prompter)) return;
    CommandListState list = ReadList();
    const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    const int count = BuildCommandList(form, list.entries, shift, m_ctx.platform, *m_ctx.prompter);
    if (count < 0) return;
    list.selected = -1;
    WriteList(list);
    if (count > 0) {
        pgeMknmz->setCurrentWidget(tabReserve);
        edtCmdlineEdit->setFocus();
    }
}

void TfrmMakeIndex::btnSetDefaultDirClick() {
    SaveDefaultsOfPage(pgeMknmz->currentIndex() + 1, m_ctx.settings.SettingsPath, ReadForm(),
                       m_ctx.platform.codePage, *m_ctx.prompter);
}

// ---- the command list ----

CommandListState TfrmMakeIndex::ReadList() const {
    CommandListState list;
    for (int i = 0; i < lstCmdlineList->count(); ++i)
        list.entries.push_back(ToProgram(lstCmdlineList->item(i)->text()));
    const QList<QListWidgetItem*> selected = lstCmdlineList->selectedItems();
    list.selected = selected.isEmpty() ? -1 : lstCmdlineList->row(selected.first());
    return list;
}

void TfrmMakeIndex::WriteList(const CommandListState& list) {
    {
        const QSignalBlocker blocker(lstCmdlineList);
        bool same = lstCmdlineList->count() == static_cast<int>(list.entries.size());
        for (int i = 0; same && i < lstCmdlineList->count(); ++i) {
            same = ToProgram(lstCmdlineList->item(i)->text()) == list.entries[static_cast<std::size_t>(i)];
        }
        if (!same) {
            lstCmdlineList->clear();
            for (const std::string& entry : list.entries) lstCmdlineList->addItem(ToUi(entry));
        }
        lstCmdlineList->clearSelection();
        if (list.selected >= 0 && list.selected < lstCmdlineList->count()) {
            lstCmdlineList->setCurrentRow(list.selected, QItemSelectionModel::ClearAndSelect);
        }
    }
    UpdateListButtons();
}

void TfrmMakeIndex::UpdateListButtons() {
    const CommandListEnabling enabling = ListButtonsEnabling(ReadList());
    btnCmdlineModify->setEnabled(enabling.btnCmdlineModify);
    btnCmdlineDelete->setEnabled(enabling.btnCmdlineDelete);
    btnCmdlineUp->setEnabled(enabling.btnCmdlineUp);
    btnCmdlineDown->setEnabled(enabling.btnCmdlineDown);
    btnCmdlineClear->setEnabled(enabling.btnCmdlineClear);
}

void TfrmMakeIndex::btnCmdlineAddClick() {
    CommandListState list = ReadList();
    if (AddCommandLine(list, ToProgram(edtCmdlineEdit->text()), m_ctx.platform.codePage, *m_ctx.prompter)) {
        WriteList(list);
    }
}

void TfrmMakeIndex::btnCmdlineModifyClick() {
    CommandListState list = ReadList();
    if (ModifyCommandLine(list, ToProgram(edtCmdlineEdit->text()))) WriteList(list);
}

void TfrmMakeIndex::btnCmdlineDeleteClick() {
    CommandListState list = ReadList();
    if (DeleteCommandLine(list)) WriteList(list);
}

void TfrmMakeIndex::btnCmdlineUpClick() {
    CommandListState list = ReadList();
    if (MoveCommandLineUp(list)) WriteList(list);
}

void TfrmMakeIndex::btnCmdlineDownClick() {
    CommandListState list = ReadList();
    if (MoveCommandLineDown(list)) WriteList(list);
}

void TfrmMakeIndex::btnCmdlineClearClick() {
    CommandListState list = ReadList();
    if (!ClearCommandLines(list, *m_ctx.prompter)) return;
    WriteList(list);
    edtCmdlineEdit->setFocus();
}

void TfrmMakeIndex::lstCmdlineListActivated() {
    if (const auto entry = EntryToEdit(ReadList())) edtCmdlineEdit->setText(ToUi(*entry));
}

void TfrmMakeIndex::btnLoadCmdListClick() {
    CommandListState list = ReadList();
    if (LoadCommandList(list, m_ctx.platform.codePage, *m_ctx.prompter)) WriteList(list);
}

void TfrmMakeIndex::btnSaveCmdListClick() {
    CommandListState list = ReadList();
    SaveCommandList(list, m_ctx.platform.codePage, *m_ctx.prompter);
    // The trimmed list stays whatever the dialog did.
    WriteList(list);
}

// ---- running ----

void TfrmMakeIndex::btnMakeIndexClick() {
    if (lstCmdlineList->count() == 0) {
        m_ctx.prompter->Tell(QStringLiteral("予約されたコマンドがありません。"), QStringLiteral("エラー"),
                             MessageIcon::Warning);
        return;
    }
    pgeMknmz->setCurrentWidget(tabProcess);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    RunCommandList(RunSource::List);
    SetRunButtonsEnabled(true);
}

void TfrmMakeIndex::btnRunMknmzClick() {
    if (!btnRunMknmz->isEnabled()) return;
    if (TrimText(ToProgram(edtCommandLine->toPlainText())).empty()) {
        m_ctx.prompter->Tell(QStringLiteral("コマンドを入力してください。"), QStringLiteral("エラー"),
                             MessageIcon::Warning);
        return;
    }
    edtProcess->Clear();
    edtProcess->setFocus();
    RunCommandList(RunSource::CommandBox);
    SetRunButtonsEnabled(true);
}

void TfrmMakeIndex::SetRunButtonsEnabled(bool enabled) {
    btnMakeIndex->setEnabled(enabled);
    btnExit->setEnabled(enabled);
    btnRunMknmz->setEnabled(enabled);
}

void TfrmMakeIndex::RunCommandList(RunSource source) {
    SetRunButtonsEnabled(false);
    m_running = true;
    edtCommandLine->setReadOnly(true);
    edtProcess->Clear();
    edtProcess->SetSelectable(false);

    // The batch's own copy: edits of the list during the run change nothing in it.
    std::vector<std::string> list;
    for (int i = 0; i < lstCmdlineList->count(); ++i)
        list.push_back(ToProgram(lstCmdlineList->item(i)->text()));
    const std::vector<std::string> entries =
        EntriesToRun(source, ToProgram(edtCommandLine->toPlainText()), list);

    RunSink sink(*this);
    m_control.Reset();
    pnlRunProgress->BatchStarted(&m_control);
    EntryRunOptions options;
    options.mode = ModeForShowProcess(m_ctx.settings.Mknmz.ShowProcess);
    options.view = edtProcess;
    options.sink = &sink;
    options.control = &m_control;
    const BatchResult result =
        RunCommandEntries(entries, m_run, m_ctx.settings, m_ctx.platform, *m_ctx.prompter, options);
    pnlRunProgress->BatchEnded();

    if (result.stopped) {
        std::vector<std::string> note =
            StopNote(m_control.Killed(), result.remaining, "件のコマンドは実行していません");
        for (std::string& line : note) line = ToProgram(QString::fromUtf8(line.c_str()));
        edtProcess->AppendLines(note);
        edtProcess->MakeCurrent(edtProcess->LineCount() - 1);
        edtProcess->Repaint();
    }
    edtCommandLine->setReadOnly(false);
    edtProcess->SetSelectable(true);
    m_running = false;
}

// ---- keys, focus, the process view's menu ----

bool TfrmMakeIndex::eventFilter(QObject* watched, QEvent* event) {
    // edtCommandLine takes no line break: Enter presses its default button.
    if (watched == edtCommandLine && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (btnRunMknmz->isEnabled()) btnRunMknmz->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmMakeIndex::FocusChanged(QWidget* now) {
    if (!now || now->window() != this) return;
    btnCmdlineAdd->setDefault(now == edtCmdlineEdit);
    btnRunMknmz->setDefault(now == edtCommandLine);
}

void TfrmMakeIndex::pmnuPopup() {
    mnuCopy->setEnabled(edtProcess->HasSelection());
}
