#include "app/TfrmMain.h"

#include "viewer/DocumentDisplay.h"
#include "viewer/DocumentMenuItems.h"
#include "viewer/HtmlDocPage.h"
#include "update/IndexStatus.h"
#include "update/IndexAutoUpdate.h"
#include "update/IndexUpdater.h"
#include "app/MruMenu.h"
#include "app/SearchOptions.h"
#include "search/QueryWords.h"
#include "results/ResultView.h"
#include "search/SearchNotices.h"
#include "search/SearchRun.h"
#include "viewer/TextDocPage.h"
#include "config/WindowPlacement.h"
#include "dialogs/TfrmAbout.h"
#include "dialogs/TfrmSetNamazurc.h"
#include "dialogs/TfrmSettings.h"
#include "dialogs/TfrmSelectAlias.h"
#include "dialogs/TfrmSelectDir.h"
#include "indexer/TfrmMakeIndex.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QToolButton>
#include <QVBoxLayout>

#include "config/FileIo.h"
#include "config/IniFile.h"
#include "process/AppContext.h"
#include "process/DriveTable.h"
#include "process/IndexDirectories.h"
#include "process/Launchers.h"
#include "process/QtText.h"
#include "process/TfrmWindow.h"
#include "process/WidgetSupport.h"

#include <algorithm>

namespace {

const QString kAppTitle = QStringLiteral("Quarrow for Namazu");
const QString kErrorCaption = QStringLiteral("エラー");
const QString kSearching = QStringLiteral("検索中.....");
const QString kDefaultUiFont = QStringLiteral("ＭＳ Ｐゴシック");
constexpr int kTargetHeight = 33;

QFont ViewFont(const QString& name, const std::string& size, const std::string& bold) {
    QFont font(name.isEmpty() ? kDefaultUiFont : name);
    const int points = ParseCount(size, 9);
    font.setPointSize(points > 0 ? points : 9);
    font.setBold(FlagOn(bold));
    return font;
}

}  // namespace

TfrmMain::TfrmMain(AppContext& ctx, QWidget* parent)
    : QMainWindow(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmMain"));
    m_updater = new IndexUpdater(m_ctx, this);
    connect(m_updater, &IndexUpdater::runningChanged, this, &TfrmMain::SetUpdating);
    m_autoUpdate = new IndexAutoUpdate(m_ctx, this);
    connect(m_autoUpdate, &IndexAutoUpdate::idle, this, [this] {
        if (m_closeWhenUpdated) close();
    });
    m_search = new SearchRun(m_ctx, this);
    connect(m_search, &SearchRun::runningChanged, this, &TfrmMain::SetSearching);
    connect(m_search, &SearchRun::ended, this, &TfrmMain::SearchEnded);
    setWindowTitle(kAppTitle);
    QFont font(kDefaultUiFont);
    font.setPixelSize(12);
    setFont(font);
    CreateControls();
    CreateMenus();
    resize(537, 374);
    ApplySettings();
    UpdateLayout();
}

TfrmMain::~TfrmMain() = default;

const std::string& TfrmMain::ResultFilePath() const {
    return m_search->ResultFilePath();
}

std::string TfrmMain::ToProgram(const QString& text) const {
    return FromQString(m_ctx.platform.codePage, text);
}

QString TfrmMain::ToUi(const std::string& text) const {
    return ToQString(m_ctx.platform.codePage, text);
}

void TfrmMain::CreateControls() {
    auto* central = Named(new QWidget(this), "pnlMain");
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    pnlTarget = Named(new QWidget(central), "pnlTarget");
    pnlTarget->setFixedHeight(kTargetHeight);
    auto* targetRow = new QHBoxLayout(pnlTarget);
    targetRow->setContentsMargins(4, 4, 4, 4);
    lblIndexDir = Named(new QLabel(QStringLiteral("検索場所(&P):"), pnlTarget), "lblIndexDir");
    cboIndexDir = Named(new QComboBox(pnlTarget), "cboIndexDir");
    cboIndexDir->setEditable(true);
    cboIndexDir->setInsertPolicy(QComboBox::NoInsert);
    cboIndexDir->setCompleter(nullptr);  // what is typed is what is searched
    cboIndexDir->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lblIndexDir->setBuddy(cboIndexDir);
    btnBrowseIndexPath = Named(new QToolButton(pnlTarget), "btnBrowseIndexPath");
    btnBrowseIndexPath->setText(QStringLiteral("..."));
    btnBrowseIndexPath->setToolTip(QStringLiteral("ディレクトリを一覧から選択します"));
    targetRow->addWidget(lblIndexDir);
    targetRow->addWidget(cboIndexDir, 1);
    targetRow->addWidget(btnBrowseIndexPath);

    pnlHeader = Named(new QWidget(central), "pnlHeader");
    auto* headerRows = new QVBoxLayout(pnlHeader);
    headerRows->setContentsMargins(4, 2, 4, 2);
    headerRows->setSpacing(2);
    auto* row1 = new QHBoxLayout;
    lblKeyword = Named(new QLabel(QStringLiteral("検索式(&D):"), pnlHeader), "lblKeyword");
    cboKeyword = Named(new QComboBox(pnlHeader), "cboKeyword");
    cboKeyword->setEditable(true);
    cboKeyword->setInsertPolicy(QComboBox::NoInsert);
    cboKeyword->setCompleter(nullptr);
    cboKeyword->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    lblKeyword->setBuddy(cboKeyword);
    ShowBackslashes({cboIndexDir, cboKeyword});  // paths and regular expressions
    btnSelectKeywordList = Named(new QToolButton(pnlHeader), "btnSelectKeywordList");
    btnSelectKeywordList->setText(QStringLiteral("..."));
    btnSelectKeywordList->setToolTip(QStringLiteral("一覧から選択"));
    btnSearch = Named(new QPushButton(QStringLiteral("検索(&G)"), pnlHeader), "btnSearch");
    row1->addWidget(lblKeyword);
    row1->addWidget(cboKeyword, 1);
    row1->addWidget(btnSelectKeywordList);
    row1->addWidget(btnSearch);
    headerRows->addLayout(row1);

    pnlHeaderRow2 = Named(new QWidget(pnlHeader), "pnlHeaderRow2");
    auto* row2 = new QHBoxLayout(pnlHeaderRow2);
    row2->setContentsMargins(0, 0, 0, 0);
    lblListCount = Named(new QLabel(QStringLiteral("件数(&N):"), pnlHeaderRow2), "lblListCount");
    cboListCount = Named(new QComboBox(pnlHeaderRow2), "cboListCount");
    cboListCount->setEditable(true);
    cboListCount->setInsertPolicy(QComboBox::NoInsert);
    cboListCount->setCompleter(nullptr);
    cboListCount->lineEdit()->setMaxLength(3);
    cboListCount->addItems(
        {QStringLiteral("20"), QStringLiteral("50"), QStringLiteral("100"), QStringLiteral("すべて")});
    cboListCount->setMinimumContentsLength(4);
    lblListCount->setBuddy(cboListCount);
    lblSortType = Named(new QLabel(QStringLiteral("並び順(&S):"), pnlHeaderRow2), "lblSortType");
    cboSortType = Named(new QComboBox(pnlHeaderRow2), "cboSortType");
    // The combo box lists the orders in its own sequence, not the table's.
    for (const char* item : {"古い順", "新しい順", "スコア", "題名", "Date: ヘッダ", "ファイル名",
                             "ファイルサイズ", "差出人", "宛先", "ニュースグループ"}) {
        cboSortType->addItem(QString::fromUtf8(item));
    }
    lblSortType->setBuddy(cboSortType);
    chkShowContents =
        Named(new QCheckBox(QStringLiteral("要約の表示(&C)"), pnlHeaderRow2), "chkShowContents");
    chkShowContents->setChecked(true);
    btnTutorial = Named(new QToolButton(pnlHeaderRow2), "btnTutorial");
    btnTutorial->setText(QStringLiteral("?"));
    btnTutorial->setToolTip(QStringLiteral("説明を表示"));
    row2->addWidget(lblListCount);
    row2->addWidget(cboListCount);
    row2->addSpacing(8);
    row2->addWidget(lblSortType);
    row2->addWidget(cboSortType);
    row2->addSpacing(8);
    row2->addWidget(chkShowContents);
    row2->addStretch(1);
    row2->addWidget(btnTutorial);
    headerRows->addWidget(pnlHeaderRow2);

    pnlBody = Named(new QWidget(central), "pnlBody");
    auto* bodyLayout = new QVBoxLayout(pnlBody);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    pge = Named(new QTabWidget(pnlBody), "pge");
    bodyLayout->addWidget(pge);

    tabResult = Named(new QWidget, "tabResult");
    auto* resultLayout = new QVBoxLayout(tabResult);
    resultLayout->setContentsMargins(0, 0, 0, 0);
    edtResult = Named(new ResultView(m_ctx, tabResult), "edtResult");
    edtResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lblSearchNotice = Named(new QLabel(tabResult), "lblSearchNotice");
    lblSearchNotice->setWordWrap(true);
    lblSearchNotice->setTextFormat(Qt::RichText);
    lblSearchNotice->setStyleSheet(QStringLiteral("background: #fff8d0; padding: 3px;"));
    lblSearchNotice->hide();
    resultLayout->addWidget(lblSearchNotice);
    resultLayout->addWidget(edtResult);
    pge->addTab(tabResult, QStringLiteral("検索結果(&1)"));

    m_textPage = new TextDocPage(m_ctx);
    tabTextDoc = m_textPage;
    edtTextContents = m_textPage->edtTextContents;
    pge->addTab(tabTextDoc, QStringLiteral("テキスト文書(&2)"));

    m_htmlPage = new HtmlDocPage(m_ctx);
    tabHTMLDoc = m_htmlPage;
    pge->addTab(tabHTMLDoc, QStringLiteral("HTML文書(&3)"));

    const auto stepHit = [this](int step) { return StepHit(step); };
    m_textPage->SetHitStepper(stepHit);
    m_htmlPage->SetHitStepper(stepHit);
    m_htmlPage->SetResultFileSource([this] { return m_search->ResultFilePath(); });
    const auto showStatus = [this](const QString& text) { stb->showMessage(text); };
    connect(m_textPage, &TextDocPage::statusMessage, this, showStatus);
    connect(m_htmlPage, &HtmlDocPage::statusMessage, this, showStatus);
    connect(m_textPage, &TextDocPage::resultPageRequested, this, [this] {
        pge->setCurrentWidget(tabResult);
        edtResult->setFocus();
    });
    connect(m_textPage, &TextDocPage::embeddedBrowserRequested, m_htmlPage,
            &HtmlDocPage::ShowInEmbeddedBrowser);
    connect(pge, &QTabWidget::currentChanged, this, &TfrmMain::pgeChange);

    column->addWidget(pnlTarget);
    column->addWidget(pnlHeader);
    column->addWidget(pnlBody, 1);
    setCentralWidget(central);

    stb = Named(new QStatusBar(this), "stb");
    stb->setSizeGripEnabled(true);
    setStatusBar(stb);
    stb->addPermanentWidget(m_autoUpdate->StatusLabel());

    pmnu = Named(new QMenu(this), "pmnu");
    mnuCopy = Named(pmnu->addAction(QStringLiteral("コピー(&C)")), "mnuCopy");
    mnuCopy->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    // The result view and the text view share the popup menu.
    for (QAbstractScrollArea* view :
         {static_cast<QAbstractScrollArea*>(edtResult), static_cast<QAbstractScrollArea*>(edtTextContents)}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            PreparePopup(view, at);
            pmnu->popup(view->viewport()->mapToGlobal(at));
        });
    }
    connect(pmnu, &QMenu::aboutToShow, this, &TfrmMain::pmnuPopup);
    connect(mnuCopy, &QAction::triggered, this, &TfrmMain::mnuCopyClick);
    m_documentItems = new DocumentMenuItems(pmnu, m_ctx.platform, this);
    // An item of its own: it shows only over the text viewer, while the view menu's stays.
    m_popupCodeItem = pmnu->addAction(m_textPage->mnuDocumentCode->title());
    m_popupCodeItem->setMenu(m_textPage->mnuDocumentCode);
    connect(m_documentItems, &DocumentMenuItems::openRequested, this, &TfrmMain::OpenPopupDocument);
    connect(m_documentItems, &DocumentMenuItems::statusMessage, this,
            [this](const QString& text) { stb->showMessage(text); });

    // While namazu runs the button reads "中止" and stops it; Escape does the same.
    connect(btnSearch, &QPushButton::clicked, this, [this] {
        if (m_search->Running()) {
            m_search->Stop();
        } else {
            btnSearchClick();
        }
    });
    m_stopSearchKey = new QShortcut(QKeySequence(Qt::Key_Escape), this, m_search, &SearchRun::Stop);
    m_stopSearchKey->setEnabled(false);
    connect(m_search, &SearchRun::linesReady, edtResult, [this](const QByteArray& lines) {
        edtResult->TakeLines(std::string_view(lines.constData(), static_cast<std::size_t>(lines.size())));
    });
    connect(lblSearchNotice, &QLabel::linkActivated, this, [this] { mnuSetNamazurc->trigger(); });
    connect(edtResult, &ResultView::escapePressed, this, [this] { cboKeyword->setFocus(); });
    connect(edtResult, &ResultView::statusMessage, stb,
            [this](const QString& text) { stb->showMessage(text); });
    connect(edtResult, &ResultView::openHitRequested, this, &TfrmMain::OpenHit);
    connect(edtResult, &ResultView::pageChangeRequested, this, &TfrmMain::pgeChange);
    // The box itself gets the focus events; its line edit is only its focus proxy.
    cboKeyword->installEventFilter(this);
    cboKeyword->lineEdit()->installEventFilter(this);
    cboIndexDir->installEventFilter(this);
    cboIndexDir->lineEdit()->installEventFilter(this);
}

QAction* TfrmMain::AddAction(QMenu* menu, const char* name, const QString& caption, QActionGroup* group) {
    QAction* action = Named(menu->addAction(caption), name);
    if (group) {
        action->setCheckable(true);
        group->addAction(action);
    }
    return action;
}

void TfrmMain::CreateMenus() {
    QMenuBar* bar = menuBar();
    auto menu = [&](QMenu* parentMenu, const char* name, const QString& caption) {
        QMenu* m = parentMenu ? parentMenu->addMenu(caption) : bar->addMenu(caption);
        return Named(m, name);
    };

    mnuSearch = menu(nullptr, "mnuSearch", QStringLiteral("検索(&F)"));
    mnuSelectDirectory =
        AddAction(mnuSearch, "mnuSelectDirectory", QStringLiteral("ディレクトリを選択(&D)..."));
    mnuSelectDirectory->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    mnuSelectAlias = AddAction(mnuSearch, "mnuSelectAlias", QStringLiteral("エイリアスから選択(&A)..."));
    mnuSelectAlias->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    mnuRecentDirectory = menu(mnuSearch, "mnuRecentDirectory", QStringLiteral("最近使ったディレクトリ(&T)"));
    MRUManager = new MruMenu(mnuRecentDirectory, m_ctx.platform.codePage, this);
    connect(MRUManager, &MruMenu::EntryChosen, this, &TfrmMain::MRUManagerClick);
    mnuSearch->addSeparator();
    mnuSetNamazurc = AddAction(mnuSearch, "mnuSetNamazurc", QStringLiteral("namazurc の設定(&S)..."));
    mnuSearch->addSeparator();
    mnuExit = AddAction(mnuSearch, "mnuExit", QStringLiteral("終了(&X)"));

    mnuView = menu(nullptr, "mnuView", QStringLiteral("表示(&V)"));
    m_options = new SearchOptions(m_ctx.settings, {cboListCount, cboSortType, chkShowContents}, mnuView, this);
    connect(m_options, &SearchOptions::changed, this, &TfrmMain::ReSearch);

    mnuConvert = menu(mnuView, "mnuConvert", QStringLiteral("コード変換(&V)"));
    auto* convertGroup = new QActionGroup(this);
    mnuConvertToSJIS = AddAction(mnuConvert, "mnuConvertToSJIS",
                                 QStringLiteral("EUC・JIS から シフトJIS へ(&S)"), convertGroup);
    mnuConvertNone = AddAction(mnuConvert, "mnuConvertNone", QStringLiteral("無変換(&N)"), convertGroup);
    mnuConvertNkf =
        AddAction(mnuConvert, "mnuConvertNkf", QStringLiteral("N&KF32.DLL で変換..."), convertGroup);
    mnuConvertNkf->setVisible(false);
    mnuConvert->addSeparator();
    mnuDecodeHeader = AddAction(mnuConvert, "mnuDecodeHeader", QStringLiteral("ヘッダのデコードを行う(&H)"));
    mnuDecodeHeader->setCheckable(true);
    mnuConvert->addSeparator();
    mnuConvert->addMenu(m_textPage->mnuDocumentCode);

    mnuView->addSeparator();
    mnuColored = AddAction(mnuView, "mnuColored", QStringLiteral("色をつけない(&L)"));
    mnuColored->setCheckable(true);
    mnuShowIndexDirectory = AddAction(mnuView, "mnuShowIndexDirectory", QStringLiteral("検索場所(&P)"));
    mnuShowIndexDirectory->setCheckable(true);
    mnuShowStatusBar = AddAction(mnuView, "mnuShowStatusBar", QStringLiteral("ステータスバー(&U)"));
    mnuShowStatusBar->setCheckable(true);
    mnuStayOnTop = AddAction(mnuView, "mnuStayOnTop", QStringLiteral("常に前面に表示(&T)"));
    mnuStayOnTop->setCheckable(true);
    mnuStayOnTop->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
    mnuView->addSeparator();
    mnuFont = menu(mnuView, "mnuFont", QStringLiteral("フォント(&F)"));
    mnuFontResult = AddAction(mnuFont, "mnuFontResult", QStringLiteral("検索結果(&R)..."));
    mnuFontTextContents = AddAction(mnuFont, "mnuFontTextContents", QStringLiteral("テキスト文書(&T)..."));
    mnuAppearance = menu(mnuView, "mnuAppearance", QStringLiteral("画面サイズ(&Z)"));
    auto* appearanceGroup = new QActionGroup(this);
    mnuAppearanceNormal =
        AddAction(mnuAppearance, "mnuAppearanceNormal", QStringLiteral("通常(&N)"), appearanceGroup);
    mnuAppearanceSmall =
        AddAction(mnuAppearance, "mnuAppearanceSmall", QStringLiteral("コンパクト(&C)"), appearanceGroup);

    mnuDocType = menu(nullptr, "mnuDocType", QStringLiteral("文書の種類(&W)"));
    auto* docGroup = new QActionGroup(this);
    mnuDocPlainText =
        AddAction(mnuDocType, "mnuDocPlainText", QStringLiteral("テキストファイル(&T)"), docGroup);
    mnuDocMailNews =
        AddAction(mnuDocType, "mnuDocMailNews", QStringLiteral("メール／ニュース(&M)"), docGroup);
    mnuDocHTML = AddAction(mnuDocType, "mnuDocHTML", QStringLiteral("&HTML"), docGroup);
    mnuDocSystemAuto =
        AddAction(mnuDocType, "mnuDocSystemAuto", QStringLiteral("外部アプリケーションで開く(&A)"), docGroup);
    mnuDocType->addSeparator();
    mnuDocByExtension =
        AddAction(mnuDocType, "mnuDocByExtension", QStringLiteral("拡張子で判別(&E)"), docGroup);

    mnuIndexing = menu(nullptr, "mnuIndexing", QStringLiteral("インデックス(&I)"));
    mnuMakeIndex = AddAction(mnuIndexing, "mnuMakeIndex", QStringLiteral("作成(&C)..."));
    mnuMakeIndex->setShortcut(QKeySequence(QStringLiteral("Ctrl+K")));
    mnuUpdateIndex = AddAction(mnuIndexing, "mnuUpdateIndex", QStringLiteral("更新(&U)"));
    mnuUpdateIndex->setToolTip(QStringLiteral("検索場所のインデックスを mknmz --update で最新にします"));
    mnuAutoUpdate = AddAction(mnuIndexing, "mnuAutoUpdate", QStringLiteral("自動更新(&A)"));
    mnuAutoUpdate->setCheckable(true);
    mnuAutoUpdate->setChecked(m_autoUpdate->Enabled());
    mnuAutoUpdate->setToolTip(QStringLiteral("検索場所のインデックスの文書のフォルダを監視し、変更があれば裏で更新します"));
    mnuIndexing->setToolTipsVisible(true);

    mnuTool = menu(nullptr, "mnuTool", QStringLiteral("ツール(&T)"));
    mnuToolOption = AddAction(mnuTool, "mnuToolOption", QStringLiteral("オプション(&O)..."));
    mnuShowDriveInfo = AddAction(mnuTool, "mnuShowDriveInfo", QStringLiteral("ドライブ情報の表示(&D)..."));

    mnuHelp = menu(nullptr, "mnuHelp", QStringLiteral("ヘルプ(&H)"));
    mnuHelpStart = AddAction(mnuHelp, "mnuHelpStart", QStringLiteral("検索式の入力方法(&F)..."));
    mnuHelpQuarrow =
        AddAction(mnuHelp, "mnuHelpQuarrow", QStringLiteral("Quarrow for Namazu のヘルプ(&C)..."));
    mnuHelpQuarrow->setShortcut(QKeySequence(Qt::Key_F1));
    mnuHelpNamazu = menu(mnuHelp, "mnuHelpNamazu", QStringLiteral("&Namazu のヘルプ"));
    mnuHelpNamazuManual = AddAction(mnuHelpNamazu, "mnuHelpNamazuManual", QStringLiteral("説明書(&M)..."));
    mnuHelpNamazuTutorial =
        AddAction(mnuHelpNamazu, "mnuHelpNamazuTutorial", QStringLiteral("チュートリアル(&T)..."));
    mnuHelp->addSeparator();
    mnuHelpAbout = AddAction(mnuHelp, "mnuHelpAbout", QStringLiteral("バージョン情報(&A)..."));

    connect(mnuHelpAbout, &QAction::triggered, this, &TfrmMain::mnuHelpAboutClick);
    connect(mnuToolOption, &QAction::triggered, this, &TfrmMain::mnuToolOptionClick);
    connect(mnuSetNamazurc, &QAction::triggered, this, &TfrmMain::mnuSetNamazurcClick);
    connect(mnuSelectAlias, &QAction::triggered, this, &TfrmMain::mnuSelectAliasClick);
    connect(btnSelectKeywordList, &QToolButton::clicked, this, &TfrmMain::mnuSelectAliasClick);
    connect(mnuSelectDirectory, &QAction::triggered, this, &TfrmMain::mnuSelectDirectoryClick);
    connect(btnBrowseIndexPath, &QToolButton::clicked, this, &TfrmMain::mnuSelectDirectoryClick);
    connect(mnuMakeIndex, &QAction::triggered, this, [this] {
        TfrmMakeIndex form(m_ctx, this);
        form.exec();
    });
    connect(mnuUpdateIndex, &QAction::triggered, this, &TfrmMain::mnuUpdateIndexClick);
    connect(mnuAutoUpdate, &QAction::toggled, m_autoUpdate, &IndexAutoUpdate::SetEnabled);
    connect(cboIndexDir, &QComboBox::editTextChanged, this,
            [this](const QString& place) { m_autoUpdate->SetPlace(ToProgram(place)); });
    connect(mnuHelpStart, &QAction::triggered, this, &TfrmMain::mnuHelpStartClick);
    connect(btnTutorial, &QToolButton::clicked, this, &TfrmMain::mnuHelpStartClick);
    connect(mnuHelpQuarrow, &QAction::triggered, this, &TfrmMain::mnuHelpQuarrowClick);
    connect(mnuHelpNamazuManual, &QAction::triggered, this, [this] {
        m_htmlPage->ShowInBrowser(NamazuDocPath(m_ctx.settings.Command.namazuPath, "manual.html",
                                                m_ctx.platform.pathStyle, m_ctx.platform.codePage));
    });
    connect(mnuHelpNamazuTutorial, &QAction::triggered, this, [this] {
        m_htmlPage->ShowInBrowser(NamazuDocPath(m_ctx.settings.Command.namazuPath, "tutorial.html",
                                                m_ctx.platform.pathStyle, m_ctx.platform.codePage));
    });
    for (QAction* item : {mnuConvertToSJIS, mnuConvertNone, mnuConvertNkf}) {
        connect(item, &QAction::triggered, this, &TfrmMain::mnuConvertToSJISClick);
    }
    connect(mnuDecodeHeader, &QAction::triggered, this, &TfrmMain::mnuDecodeHeaderClick);
    for (QAction* item : {mnuDocPlainText, mnuDocMailNews, mnuDocHTML, mnuDocSystemAuto, mnuDocByExtension}) {
        connect(item, &QAction::triggered, this, &TfrmMain::mnuDocPlainTextClick);
    }
    connect(mnuShowDriveInfo, &QAction::triggered, this, &TfrmMain::mnuShowDriveInfoClick);
    // Ends the program without the saving that closing the window does.
    connect(mnuExit, &QAction::triggered, this, [] { QCoreApplication::exit(0); });
    connect(mnuShowStatusBar, &QAction::triggered, this, [this] { mnuShowStatusBarClick(true); });
    connect(mnuStayOnTop, &QAction::triggered, this, [this] { mnuStayOnTopClick(true); });
    connect(mnuShowIndexDirectory, &QAction::triggered, this, &TfrmMain::mnuShowIndexDirectoryClick);
    connect(mnuColored, &QAction::triggered, this, &TfrmMain::mnuColoredClick);
    for (QAction* item : {mnuAppearanceNormal, mnuAppearanceSmall}) {
        connect(item, &QAction::triggered, this, [this, item] { mnuAppearanceNormalClick(item); });
    }
    connect(mnuFontResult, &QAction::triggered, this, [this] {
        Settings& s = m_ctx.settings;
        ChooseFont(s.Result.FontNameResult, s.Result.FontSizeResult, s.Result.FontBoldResult);
    });
    connect(mnuFontTextContents, &QAction::triggered, this, [this] {
        Settings& s = m_ctx.settings;
        ChooseFont(s.Result.FontNameText, s.Result.FontSizeText, s.Result.FontBoldText);
    });
}

bool TfrmMain::ResultsInExternalBrowser() const {
    return ::ResultsInExternalBrowser(m_ctx.settings);
}

void TfrmMain::ApplySettings() {
    Settings& s = m_ctx.settings;
    const bool external = ResultsInExternalBrowser();

    // 1-4, 17, 18: sort, summaries, number of hits.
    m_options->Apply();

    // 5: code conversion.
    mnuConvertToSJIS->setChecked(true);
    if (SettingIs(s.Text.Convert, "none")) mnuConvertNone->setChecked(true);
    if (SettingIs(s.Text.Convert, "nkf")) mnuConvertNkf->setChecked(true);
    mnuDecodeHeader->setChecked(FlagOn(s.Text.DecodeHeader));
    mnuConvert->setEnabled(!external);

    // 6: search place.
    s.IndexDirectoryText = JoinIndexDirectories(s.Directories);
    mnuShowIndexDirectory->setChecked(FlagOn(s.Window.ShowIndexDir));
    pnlTarget->setVisible(FlagOn(s.Window.ShowIndexDir));
    cboIndexDir->setEditText(ToUi(s.IndexDirectoryText));

    // 7-9: status bar, colours, stay on top.
    mnuShowStatusBar->setChecked(FlagOn(s.Window.ShowStatusBar));
    mnuShowStatusBarClick(false);
    mnuColored->setChecked(!FlagOn(s.Result.Color));
    mnuColored->setEnabled(!external);
    mnuStayOnTop->setChecked(FlagOn(s.Window.StayOnTop));  // applied at first show

    // 10-11: fonts of the two views.
    edtResult->setFont(
        ViewFont(ToUi(s.Result.FontNameResult), s.Result.FontSizeResult, s.Result.FontBoldResult));
    edtTextContents->setFont(
        ViewFont(ToUi(s.Result.FontNameText), s.Result.FontSizeText, s.Result.FontBoldText));

    // 12: layout.
    mnuAppearanceNormal->setChecked(true);
    if (SettingIs(s.Window.ScreenType, "small")) mnuAppearanceSmall->setChecked(true);

    // 13: document type.
    mnuDocByExtension->setChecked(true);
    if (SettingIs(s.Document.HowToOpen, "plaintext")) mnuDocPlainText->setChecked(true);
    if (SettingIs(s.Document.HowToOpen, "mailnews")) mnuDocMailNews->setChecked(true);
    if (SettingIs(s.Document.HowToOpen, "html")) mnuDocHTML->setChecked(true);
    if (SettingIs(s.Document.HowToOpen, "system")) mnuDocSystemAuto->setChecked(true);
    if (mnuDocByExtension->isChecked()) s.Document.HowToOpen = "Define";
    mnuDocType->setEnabled(!external);

    // 14: placement.
    resize(545, 420);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - 545) / 2, (area.height() - 420) / 2);
    }
    m_savePlacement = FlagOn(s.Window.SavePosition);
    if (m_savePlacement) RestorePlacement();

    // 15-16: caption and query history.
    UpdateCaption();
    for (const std::string& query : s.QueryHistory) {
        if (!TrimBlanksAndControls(query).empty()) cboKeyword->addItem(ToUi(query));
    }
    cboKeyword->setCurrentIndex(-1);
    cboKeyword->setEditText(QString());
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shown) return;
    m_shown = true;
    UpdateLayout();  // again, now that the frame's size is known
    FormShow();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // A search still running is stopped; the window closes right after it has ended.
    if (m_search->Running()) {
        m_search->CloseWhenEnded();
        event->ignore();
        return;
    }
    // A background update is the program's own business: it is stopped, and the window closes
    // when mknmz has ended (with its index written and its lock removed).
    if (m_autoUpdate->Running()) {
        m_closeWhenUpdated = true;
        m_autoUpdate->Stop();
        stb->showMessage(QStringLiteral("インデックスの自動更新を止めています…"));
        event->ignore();
        return;
    }
    // An update is refused as a run of the make-index window is: stopping it is a choice the
    // user makes with its stop button.
    if (m_updater->Running()) {
        stb->showMessage(QStringLiteral("インデックスの更新中は閉じられません。終わるか中止してから閉じてください。"));
        if (TfrmWindow* console = m_updater->Console()) {
            console->raise();
            console->activateWindow();
        }
        event->ignore();
        return;
    }
    m_updater->CloseConsole();
    FormCloseQuery();
    event->accept();
}

void TfrmMain::FormCloseQuery() {
    Settings& s = m_ctx.settings;
    edtResult->Clear();
    s.Window.ShowIndexDir = FlagText(mnuShowIndexDirectory->isChecked());
    m_options->TakeSortFromBox();
    // Entries beyond the box's items keep their values, so the loop ends with the items.
    const int historyCount = std::min(ParseCount(s.Search.FormulaHistoryCount, -1), cboKeyword->count());
    for (int i = 1; i <= historyCount; ++i) {
        if (s.QueryHistory.size() < static_cast<std::size_t>(i))
            s.QueryHistory.resize(static_cast<std::size_t>(i));
        s.QueryHistory[static_cast<std::size_t>(i - 1)] = ToProgram(cboKeyword->itemText(i - 1));
    }
    if (s.Unreadable || IsReadOnlyFile(s.SettingsPath)) {
        m_savePlacement = false;  // nothing at all is written to a read-only or unreadable file
        return;
    }
    SaveSettings(s.SettingsPath, s, m_ctx.platform.codePage);
    IniFile ini = ReadSettingsIni();
    MRUManager->Save(ini);
    if (m_savePlacement) StorePlacement(ini);
    ini.Save(s.SettingsPath);  // a failure here is ignored; the window still closes
}

IniFile TfrmMain::ReadSettingsIni() const {
    IniFile ini;
    ini.Load(m_ctx.settings.SettingsPath, m_ctx.platform.codePage);
    return ini;
}

namespace {
int ScreenDpi(const QScreen* screen) {
    return screen ? qRound(screen->logicalDotsPerInch()) : 96;
}
}  // namespace

void TfrmMain::RestorePlacement() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect a = screen->availableGeometry();
    const auto placement = PlacementToRestore(ReadSettingsIni(), "Window", ScreenDpi(screen),
                                              {a.x(), a.y(), a.x() + a.width(), a.y() + a.height()});
    if (!placement) return;
    if (placement->normal) {
        const PlacementRect& r = *placement->normal;
        setGeometry(r.left, r.top, r.Width(), r.Height());
    }
    if (placement->state == WindowShowState::Maximized) setWindowState(Qt::WindowMaximized);
}

void TfrmMain::StorePlacement(IniFile& ini) const {
    const QRect r = normalGeometry().isValid() ? normalGeometry() : geometry();
    const WindowShowState state = isMinimized()   ? WindowShowState::Minimized
                                  : isMaximized() ? WindowShowState::Maximized
                                                  : WindowShowState::Normal;
    WriteWindowPlacement(ini, "Window",
                         {{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()},
                          state,
                          ScreenDpi(QGuiApplication::primaryScreen()),
                          isVisible()});
}

void TfrmMain::FormShow() {
    pge->setCurrentWidget(tabResult);
    if (FlagOn(m_ctx.settings.Window.ShowExplanation)) mnuHelpStartClick();
    cboKeyword->setFocus();
    mnuStayOnTopClick(false);
    if (m_ctx.settings.Unreadable) {
        m_ctx.prompter->Tell(QStringLiteral("設定ファイルを読み込めませんでした。初期値で起動します。"
                                            "このファイルには何も書き込みません。\n") +
                                 ToUi(m_ctx.settings.SettingsPath),
                             kErrorCaption, MessageIcon::Warning);
    }
    MRUManager->Load(ReadSettingsIni());
    for (const std::string& entry : MRUManager->List().Entries()) AddPlaceItem(ToUi(entry));
}

void TfrmMain::AddPlaceItem(const QString& place) {
    // The first item added to an empty box would replace the search place shown.
    const QString shown = cboIndexDir->currentText();
    const int selected = cboIndexDir->currentIndex();
    cboIndexDir->addItem(place);
    if (cboIndexDir->currentIndex() != selected) cboIndexDir->setCurrentIndex(selected);
    cboIndexDir->setEditText(shown);
}

void TfrmMain::MRUManagerClick(const std::string& entry) {
    cboIndexDir->setEditText(ToUi(entry));
    ParseIndexDirectories(TrimBlanksAndControls(entry), m_ctx.settings, m_ctx.platform.codePage);
}

void TfrmMain::mnuHelpAboutClick() {
    TfrmAbout about(m_ctx, this);
    about.exec();
}

void TfrmMain::mnuToolOptionClick() {
    TfrmSettings settings(m_ctx, this);
    if (settings.exec() != QDialog::Accepted) return;
    SaveSettings(m_ctx.settings.SettingsPath, m_ctx.settings, m_ctx.platform.codePage);
    FormResize();
    UpdateLayout();
    const bool external = ResultsInExternalBrowser();
    mnuConvert->setEnabled(!external);
    mnuColored->setEnabled(!external);
    mnuDocType->setEnabled(!external);
    m_savePlacement = FlagOn(m_ctx.settings.Window.SavePosition);
}

void TfrmMain::mnuSetNamazurcClick() {
    TfrmSetNamazurc namazurc(m_ctx, this);
    namazurc.exec();
}

void TfrmMain::mnuSelectAliasClick() {
    m_aliasState.OrFlag = false;
    TfrmSelectAlias dialog(m_ctx, m_aliasState, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const Settings& s = m_ctx.settings;
    cboIndexDir->setEditText(ToUi(s.IndexDirectoryText));
    MRUManager->Add(s.IndexDirectoryText);
    UpdateCaption();
    if (!m_aliasState.SelectedQueries.empty()) {
        cboKeyword->setEditText(ToUi(CombineQueries(m_aliasState.SelectedQueries, m_aliasState.OrFlag)));
    }
}

void TfrmMain::mnuSelectDirectoryClick() {
    // The dialog starts from what the search place says now.
    ParseIndexDirectories(TrimBlanksAndControls(ToProgram(cboIndexDir->currentText())), m_ctx.settings,
                          m_ctx.platform.codePage);
    UpdateCaption();
    TfrmSelectDir dialog(m_ctx, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const Settings& s = m_ctx.settings;
    cboIndexDir->setEditText(ToUi(s.IndexDirectoryText));
    MRUManager->Add(s.IndexDirectoryText);
    UpdateCaption();
}

void TfrmMain::mnuUpdateIndexClick() {
    if (m_updater->Running() || m_search->Running()) return;
    if (m_autoUpdate->Updating(ToProgram(cboIndexDir->currentText()))) {
        stb->showMessage(QStringLiteral("このインデックスは自動更新中です。終わってから更新してください。"));
        return;
    }
    const QString said = m_updater->Update(ToProgram(cboIndexDir->currentText()));
    if (!said.isEmpty()) stb->showMessage(said);
}

// While mknmz updates, nothing else runs: no search, no second update, no dialog from the menus.
// The result list and the documents stay readable.
void TfrmMain::SetUpdating(bool on) {
    for (QWidget* part : {static_cast<QWidget*>(menuBar()), static_cast<QWidget*>(btnSearch),
                          static_cast<QWidget*>(btnBrowseIndexPath), static_cast<QWidget*>(btnSelectKeywordList)}) {
        part->setEnabled(!on);
    }
    mnuUpdateIndex->setEnabled(!on);
    mnuMakeIndex->setEnabled(!on);
    if (on) stb->showMessage(QStringLiteral("インデックスを更新しています....."));
}

void TfrmMain::mnuShowDriveInfoClick() {
    m_ctx.drives = ListDrives();
    if (m_ctx.drives.empty()) return;
    QString text;
    for (const std::string& line : m_ctx.drives) text += ToUi(line) + u'\n';
    m_ctx.prompter->Tell(text, QStringLiteral("ドライブ情報"), MessageIcon::Information);
}

void TfrmMain::UpdateCaption() {
    const QString caption =
        kAppTitle + QStringLiteral(" - [") + ToUi(m_ctx.settings.IndexDirectoryText) + u']';
    // The window title is what the desktop shows for the program; Qt's application name also
    // names folders, so it is left alone.
    setWindowTitle(caption);
}

// The menu bar counts as non-client area, as on the platform the layout rules come from. Sizes
// come from size hints, which hold before the window is first laid out too.
int TfrmMain::MenuBarHeight() const {
    return menuBar()->sizeHint().height();
}

int TfrmMain::ClientHeight() const {
    return height() - MenuBarHeight();
}

int TfrmMain::NonClientHeight() const {
    return frameGeometry().height() - height() + MenuBarHeight();
}

int TfrmMain::StatusBarHeight() const {
    return mnuShowStatusBar->isChecked() ? stb->sizeHint().height() : 0;
}

void TfrmMain::FormResize() {
    if (!isMinimized()) {
        const bool normal = SettingIs(m_ctx.settings.Window.ScreenType, "normal");
        const bool external = ResultsInExternalBrowser();
        const bool tall = normal && (ClientHeight() >= 250 || external);
        lblListCount->setVisible(tall);
        cboListCount->setVisible(tall);
        lblSortType->setVisible(tall);
        cboSortType->setVisible(tall);
        chkShowContents->setVisible(tall && width() >= 450);
        btnTutorial->setVisible(tall && width() >= 480);
        pnlHeaderRow2->setVisible(tall);
        pnlHeader->setFixedHeight(tall ? 65 : 40);
        // Exact words here, as the stored values are compared in this one rule.
        if (m_ctx.settings.Result.DisplayTo == "WebBrowser" &&
            m_ctx.settings.WebBrowser.DisplayTo == "External") {
            const int fixed = pnlHeader->height() + NonClientHeight() +
                              (mnuShowIndexDirectory->isChecked() ? kTargetHeight : 0) + StatusBarHeight();
            SetWindowHeightRange(fixed, fixed);
        }
    }
    edtTextContents->viewport()->update();
}

void TfrmMain::SetWindowHeightRange(int minimum, int maximum) {
    // Heights here include the frame, as the layout rules count them; Qt's limits do not.
    const int frame = frameGeometry().height() - height();
    setMinimumHeight(std::max(0, minimum - frame));
    setMaximumHeight(maximum > 0 ? std::max(0, maximum - frame) : QWIDGETSIZE_MAX);
}

void TfrmMain::UpdateLayout() {
    const bool normal = SettingIs(m_ctx.settings.Window.ScreenType, "normal");
    const bool external = ResultsInExternalBrowser();
    const int header = normal && (external || ClientHeight() >= 250) ? 65 : 40;
    int total = StatusBarHeight() + header + NonClientHeight() +
                (FlagOn(m_ctx.settings.Window.ShowIndexDir) ? kTargetHeight : 0);
    pnlBody->setVisible(!external);
    if (external) {
        SetWindowHeightRange(total, total);
    } else {
        total = std::max(total, 250);
        SetWindowHeightRange(total, 0);
    }
    setMinimumWidth(400);
    pnlHeader->setFixedHeight(header);
    FormResize();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TfrmMain::ReSearch() {
    if (FlagOn(m_ctx.settings.Result.SearchOnChangeSettings)) btnSearchClick();
}

void TfrmMain::mnuColoredClick() {
    m_ctx.settings.Result.Color = FlagText(!mnuColored->isChecked());
}

void TfrmMain::ChooseFont(std::string& name, std::string& size, std::string& bold) {
    const int points = ParseCount(size, -1);
    if (points < 0 && TrimBlanks(size) != "-1") {
        m_ctx.prompter->Tell(QStringLiteral("'%1' は整数ではありません。").arg(ToUi(size)), kAppTitle,
                             MessageIcon::Error);
        return;
    }
    const std::optional<FontChoice> chosen = m_ctx.prompter->ChooseFont({ToUi(name), points, FlagOn(bold)});
    if (!chosen) return;
    name = ToProgram(chosen->family);
    size = std::to_string(chosen->pointSize);
    bold = FlagText(chosen->bold);
    m_ctx.prompter->Tell(QStringLiteral("フォントの設定は次回起動時から有効です。"), kAppTitle,
                         MessageIcon::Information);
}

void TfrmMain::mnuStayOnTopClick(bool fromMenu) {
    (void)fromMenu;  // a menu item toggles its own check before this runs
    const bool on = mnuStayOnTop->isChecked();
    m_ctx.settings.Window.StayOnTop = FlagText(on);
    if (on == windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
    const QRect placement = geometry();
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    setGeometry(placement);
    if (visible) show();
}

void TfrmMain::mnuShowStatusBarClick(bool fromMenu) {
    (void)fromMenu;
    const bool on = mnuShowStatusBar->isChecked();
    stb->setVisible(on);
    m_ctx.settings.Window.ShowStatusBar = FlagText(on);
    FormResize();
}

void TfrmMain::mnuShowIndexDirectoryClick() {
    const bool on = mnuShowIndexDirectory->isChecked();
    pnlTarget->setVisible(on);
    m_ctx.settings.Window.ShowIndexDir = FlagText(on);
    UpdateLayout();
}

void TfrmMain::mnuAppearanceNormalClick(QAction* item) {
    item->setChecked(true);
    m_ctx.settings.Window.ScreenType = item == mnuAppearanceSmall ? "Small" : "Normal";
    FormResize();
    UpdateLayout();
}

void TfrmMain::cboSortTypeClick() {
    m_options->TakeSortFromBox();
}

bool TfrmMain::event(QEvent* event) {
    // The menu items have no status tips; their empty ones would erase the status text.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    // The search place's tooltip tells how old each of its indexes is, read when it shows.
    if ((watched == cboIndexDir || watched == cboIndexDir->lineEdit()) && event->type() == QEvent::ToolTip) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), IndexStatusText(), cboIndexDir);
        return true;
    }
    // Enter in the query box starts the search: the search button is the default button
    // while the box has the focus.
    if ((watched == cboKeyword || watched == cboKeyword->lineEdit())) {
        if (event->type() == QEvent::FocusIn) btnSearch->setDefault(true);
        if (event->type() == QEvent::FocusOut) btnSearch->setDefault(false);
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                !cboKeyword->view()->isVisible()) {
                btnSearchClick();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::CheckQuery() {
    UpdateCaption();
    const std::string query = TrimBlanksAndControls(ToProgram(cboKeyword->currentText()));
    if (!IsBlankQuery(query, m_ctx.platform.codePage)) return false;
    m_ctx.prompter->Tell(QStringLiteral("検索式を入力してください。"), kErrorCaption, MessageIcon::Error);
    cboKeyword->setEditText(QString());
    return true;
}

void TfrmMain::AddQueryToHistory(const QString& query) {
    const int found = cboKeyword->findText(query, Qt::MatchFixedString);  // without regard to case
    if (found < 0) {
        cboKeyword->insertItem(0, query);
    } else if (found > 0) {
        // The item moves with the spelling it has; only the box shows the new one.
        const QString kept = cboKeyword->itemText(found);
        cboKeyword->removeItem(found);
        cboKeyword->insertItem(0, kept);
    }
    cboKeyword->setCurrentIndex(0);
    cboKeyword->setEditText(query);
}

void TfrmMain::btnSearchClick() {
    if (!btnSearch->isEnabled() || m_search->Running()) return;
    ParseIndexDirectories(TrimBlanksAndControls(ToProgram(cboIndexDir->currentText())), m_ctx.settings,
                          m_ctx.platform.codePage);
    UpdateCaption();
    if (ParseCount(m_ctx.settings.Search.DirectoryCount, 0) < 1) {
        m_ctx.prompter->Tell(QStringLiteral("検索場所を指定してください。"), kErrorCaption,
                             MessageIcon::Error);
        return;
    }
    if (CheckQuery()) return;
    const QString query = ToUi(TrimBlanksAndControls(ToProgram(cboKeyword->currentText())));
    AddQueryToHistory(query);
    const std::vector<QueryWord> words = ExtractQueryWords(query);
    m_textPage->SetQueryWords(words);
    m_htmlPage->SetQueryWords(words);
    RunSearch(query);
    btnSearch->setEnabled(true);
}

void TfrmMain::SetResultText(const QString& text) {
    edtResult->setPlainText(text);
    edtResult->repaint();
}

void TfrmMain::RunSearch(const QString& query) {
    const Settings& s = m_ctx.settings;
    const SearchCommand command = ComposeSearchCommand(m_options->MenuState(), ToProgram(query), s, m_ctx.platform,
                                                       m_ctx.drives, FileExists(s.Search.NamazurcPath));
    if (!command.unconvertible.empty()) {
        // Sent as "?", it would find other words; the last result stays.
        m_ctx.prompter->Tell(QStringLiteral("検索式の「") + ToUi(command.unconvertible) +
                                 QStringLiteral("」は索引の文字コード (EUC-JP) で表せない文字のため、"
                                                "検索できません。"),
                             kErrorCaption, MessageIcon::Warning);
        return;
    }
    btnSearch->setEnabled(false);
    lblSearchNotice->hide();
    const bool external = ResultsInExternalBrowser();
    if (!external) {
        pge->setCurrentWidget(tabResult);
        edtResult->setFocus();
        edtResult->Clear();
        SetResultText(kSearching);
    }
    QCoreApplication::processEvents();

    m_search->Prepare(command);
    if (FlagOn(s.Result.ConfirmCommandLine)) {
        const QString caption = QStringLiteral("コマンドライン確認");
        const QString shown = ToUi(command.commandLine);
        if (!external) {
            SetResultText(shown);
            if (!m_ctx.prompter->Ask(QStringLiteral("続行しますか？"), caption)) return;
            SetResultText(kSearching);
        } else {
            SetResultText(QString());
            if (!m_ctx.prompter->Ask(shown + QStringLiteral("\n\n続行しますか？"), caption)) {
                QGuiApplication::clipboard()->setText(shown);
                return;
            }
        }
    }

    m_searchQuery = query;
    // namazu writes its result as it goes: the list takes the finished lines meanwhile, so that
    // little is left to do when it ends.
    const bool list = !ResultsAsHtml(s);
    if (list) edtResult->BeginLoad(command.resultFilePath);
    m_search->Start(list ? ResultForm::List : ResultForm::Html);
}

void TfrmMain::SearchEnded(const SearchOutcome& outcome) {
    if (outcome.closeAsked) QTimer::singleShot(0, this, &QWidget::close);
    SetResultText(QString());
    if (outcome.end == SearchEnd::Stopped) {
        edtResult->AbandonLoad();
        stb->showMessage(QStringLiteral("検索を中止しました。"));
        return;
    }
    if (outcome.end == SearchEnd::Failed) {
        edtResult->AbandonLoad();
        m_ctx.prompter->Tell(outcome.reason, kErrorCaption, MessageIcon::Warning);
        return;
    }
    if (outcome.indexLocked && !m_searchRetried && m_autoUpdate->Running()) {
        // mknmz is putting the updated index in place: once more when it is done.
        edtResult->AbandonLoad();
        SetResultText(QStringLiteral("インデックスの更新中です。更新が終わりしだい検索し直します…"));
        m_autoUpdate->WhenUpdateEnds(this, [this, query = m_searchQuery] {
            m_searchRetried = true;
            RunSearch(query);
            m_searchRetried = false;
            stb->showMessage(QStringLiteral("インデックスが更新中だったため、更新が終わってから検索し直しました。"));
        });
        return;
    }
    if (!ResultsAsHtml(m_ctx.settings)) {
        pge->setCurrentWidget(tabResult);
        edtResult->setFocus();
        pgeChange();  // the page may have been the current one already
        edtResult->FinishLoad(!mnuColored->isChecked());
    } else {
        m_htmlPage->ShowInBrowser(m_search->ResultFilePath());
    }
    ShowSearchNotice(outcome);
    const std::string place = ToProgram(cboIndexDir->currentText());
    if (!MRUManager->List().Contains(place)) {
        MRUManager->Add(place);
        AddPlaceItem(ToUi(place));
    }
}

// A word namazu ignored for hitting too many documents (or a pattern for matching too many
// words): said above the list and on the status
// bar, or the user reads "No document matching your query." as "not found".
void TfrmMain::ShowSearchNotice(const SearchOutcome& outcome) {
    // A folder with a blank typed without quotes is two indexes namazu cannot open: say how to
    // quote it. The result file is still there while the end is handled.
    QFile file(QFile::decodeName(QByteArray::fromStdString(m_search->ResultFilePath())));
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
    const std::string quote = UnquotedFolderNotice(
        std::string_view(head.constData(), static_cast<std::size_t>(head.size())),
        SplitIndexDirectories(TrimBlanksAndControls(ToProgram(cboIndexDir->currentText())), m_ctx.platform.codePage),
        [this](const std::string& entry) { return IndexFolderPath(entry, m_ctx.platform, m_ctx.drives); },
        m_ctx.platform.codePage);
    if (!quote.empty()) stb->showMessage(QString::fromStdString(quote));
    if (outcome.ignored.empty()) return;
    std::vector<IgnoredWord> words = outcome.ignored;
    for (IgnoredWord& word : words) word.word = HitTitleText(word.word).toStdString();
    const QString notice = QString::fromStdString(IgnoredWordsNotice(words, m_searchQuery.toStdString()));
    const QString place = QStringLiteral("検索 → namazurc の設定");
    lblSearchNotice->setText(notice.toHtmlEscaped().replace(
        place, QStringLiteral("<a href=\"namazurc\">") + place + QStringLiteral("</a>")));
    lblSearchNotice->setVisible(!ResultsAsHtml(m_ctx.settings));
    stb->showMessage(notice);
}

// While namazu runs, the query box stays usable and the search button stops it; whatever could
// start a second run or change the search meanwhile is disabled.
void TfrmMain::SetSearching(bool on) {
    btnSearch->setText(on ? QStringLiteral("中止") : QStringLiteral("検索(&G)"));
    btnSearch->setEnabled(true);
    m_stopSearchKey->setEnabled(on);
    for (QWidget* part : {static_cast<QWidget*>(menuBar()), pnlTarget, pnlHeaderRow2,
                          static_cast<QWidget*>(btnSelectKeywordList), static_cast<QWidget*>(pge)}) {
        part->setEnabled(!on);
    }
    if (on && !cboKeyword->hasFocus()) cboKeyword->setFocus();
}

QString TfrmMain::IndexStatusText() const {
    QStringList lines;
    const QDateTime now = QDateTime::currentDateTime();
    for (const std::string& entry :
         SplitIndexDirectories(TrimBlanksAndControls(ToProgram(cboIndexDir->currentText())), m_ctx.platform.codePage)) {
        if (entry.empty()) continue;
        const std::string folder = IndexFolderPath(entry, m_ctx.platform, m_ctx.drives);
        if (folder.empty()) {
            lines.append(ToUi(entry) + QStringLiteral(": namazurc の IndexDir の下のインデックス"));
            continue;
        }
        lines.append(QString::fromStdString(IndexStatusLine(ProgramToUtf8(m_ctx.platform.codePage, folder),
                                                            ReadIndexStatus(folder), now)));
    }
    return lines.join(u'\n');
}

namespace {
// The opener's verdict comes when it ends; a failure is said where a failure to start is.
LaunchReport ShellFailureOnStatusBar(QStatusBar* bar) {
    return {bar, [bar] { bar->showMessage(QString::fromUtf8(kShellOpenFailed)); }};
}
}  // namespace

void TfrmMain::OpenHit(int index) {
    const Settings& settings = m_ctx.settings;
    const auto& hits = edtResult->Hits();
    const bool inList = index >= 0 && index < static_cast<int>(hits.size());
    const std::string path =
        inList ? HitDocumentPath(hits[static_cast<std::size_t>(index)].Uri, m_ctx.platform, m_ctx.drives)
               : "";
    const HitView view = DecideOpenHit(index, edtResult->HitCount(), settings.Document.HowToOpen, path,
                                       m_ctx.platform.pathStyle, m_ctx.platform.codePage, m_defined);
    if (view == HitView::Beep) {
        m_ctx.prompter->Beep();
        return;
    }
    edtResult->SetCurrentHit(index);
    const QString title = HitTitleText(hits[static_cast<std::size_t>(index)].Title);
    switch (view) {
        case HitView::TextViewer:
            m_textPage->ShowTextDocument(path, title, TextOptionsFor(settings, m_defined));
            break;
        case HitView::Html:
            m_htmlPage->ShowHtmlDocument(path, title);
            break;
        case HitView::Shell:
            if (!OpenWithShell(path, ShellFailureOnStatusBar(stb))) stb->showMessage(QString::fromUtf8(kShellOpenFailed));
            break;
        case HitView::Beep:
            break;
    }
}

bool TfrmMain::StepHit(int step) {
    const int index = edtResult->CurrentHit() + step;
    if (index < 0 || index >= edtResult->HitCount()) return false;
    OpenHit(index);
    return true;
}

void TfrmMain::pgeChange() {
    QWidget* page = pge->currentWidget();
    if (page == tabHTMLDoc) {
        stb->clearMessage();
        m_htmlPage->PageActivated();
        return;
    }
    stb->showMessage(
        QString::fromUtf8(PageStatusText(page == tabTextDoc ? DocumentPage::TextDoc : DocumentPage::Result)));
}

void TfrmMain::pmnuPopup() {
    const QWidget* page = pge->currentWidget();
    const bool selection = (page == tabResult && edtResult->HasSelection()) ||
                           (page == tabTextDoc && edtTextContents->textCursor().hasSelection());
    mnuCopy->setEnabled(selection);
}

// The popup's document: the hit under the mouse in the result list, the open document in the
// text viewer.
void TfrmMain::PreparePopup(QAbstractScrollArea* view, const QPoint& at) {
    m_popupView = view;
    m_popupHit = -1;
    std::string path;
    if (view == edtResult) {
        m_popupHit = edtResult->HitIndexAt(edtResult->OffsetAtPoint(at));
        if (m_popupHit >= 0) {
            const HitRecord& hit = edtResult->Hits()[static_cast<std::size_t>(m_popupHit)];
            if (!hit.Uri.empty()) path = HitDocumentPath(hit.Uri, m_ctx.platform, m_ctx.drives);
        }
    } else {
        path = m_textPage->CurrentDocumentPath();
    }
    m_documentItems->SetDocument(path, view == edtResult);
    m_popupCodeItem->setVisible(view == edtTextContents);
}

void TfrmMain::OpenPopupDocument(bool internal) {
    if (m_popupView == edtResult) {
        if (m_popupHit < 0) return;
        edtResult->OpenHitAt(edtResult->Hits()[static_cast<std::size_t>(m_popupHit)].TitleStart, internal);
        return;
    }
    if (!OpenWithShell(m_documentItems->DocumentPath(), ShellFailureOnStatusBar(stb)))
        stb->showMessage(QString::fromUtf8(kShellOpenFailed));
}

void TfrmMain::mnuCopyClick() {
    const QWidget* page = pge->currentWidget();
    if (page == tabResult) edtResult->copy();
    if (page == tabTextDoc) edtTextContents->copy();
}

void TfrmMain::mnuHelpStartClick() {
    m_htmlPage->SetFocusOnLoad(false);
    m_htmlPage->ShowInBrowser(HelpStartPath(m_ctx.platform));
}

void TfrmMain::mnuHelpQuarrowClick() {
    m_htmlPage->SetFocusOnLoad(true);
    m_htmlPage->SetTitleText(QStringLiteral("Quarrow for Namazu ヘルプ"));
    m_htmlPage->ShowInBrowser(HelpIndexPath(m_ctx.platform));
}

void TfrmMain::ReopenTextDocument() {
    if (pge->currentWidget() == tabTextDoc) OpenHit(edtResult->CurrentHit());
}

void TfrmMain::mnuConvertToSJISClick() {
    m_ctx.settings.Text.Convert = ConvertSettingFromMenu(
        {mnuConvertToSJIS->isChecked(), mnuConvertNkf->isChecked(), mnuConvertNone->isChecked()},
        m_ctx.settings.Text.Convert);
    ReopenTextDocument();
}

void TfrmMain::mnuDecodeHeaderClick() {
    m_ctx.settings.Text.DecodeHeader = DecodeHeaderSettingFromMenu(mnuDecodeHeader->isChecked());
    ReopenTextDocument();
}

void TfrmMain::mnuDocPlainTextClick() {
    m_ctx.settings.Document.HowToOpen =
        HowToOpenFromMenu({mnuDocPlainText->isChecked(), mnuDocMailNews->isChecked(), mnuDocHTML->isChecked(),
                           mnuDocSystemAuto->isChecked(), mnuDocByExtension->isChecked()},
                          m_ctx.settings.Document.HowToOpen);
}
