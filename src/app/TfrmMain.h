#pragma once

#include <QMainWindow>
#include <QString>
#include <memory>
#include <optional>

#include "dialogs/AliasFile.h"
#include "viewer/DocumentDisplay.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QShortcut;
class QStatusBar;
class QTabWidget;
class QTextEdit;
class ResultView;
class MruMenu;
class DocumentMenuItems;
class QAbstractScrollArea;
class TextDocPage;
class HtmlDocPage;
class IniFile;
class IndexUpdater;
class IndexAutoUpdate;
class SearchOptions;
class SearchRun;
struct SearchOutcome;
class QToolButton;
class QWidget;
struct AppContext;

// The search window: the search place, the query, the result list, the text and HTML pages.
class TfrmMain final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMain)

public:
    explicit TfrmMain(AppContext& ctx, QWidget* parent = nullptr);
    ~TfrmMain() override;

    void btnSearchClick();
    void cboSortTypeClick();
    void UpdateCaption();
    void UpdateLayout();

    // The file namazu wrote for the current search.
    const std::string& ResultFilePath() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    QAction* AddAction(QMenu* menu, const char* name, const QString& caption, QActionGroup* group = nullptr);
    void ApplySettings();
    void FormShow();

    bool CheckQuery();
    void AddQueryToHistory(const QString& query);
    void RunSearch(const QString& query);
    void SearchEnded(const SearchOutcome& outcome);
    bool ResultsInExternalBrowser() const;
    void SetResultText(const QString& text);
    void ShowSearchNotice(const SearchOutcome& outcome);
    void SetSearching(bool on);
    QString IndexStatusText() const;
    void OpenHit(int index);
    bool StepHit(int step);
    void pgeChange();
    void pmnuPopup();
    void PreparePopup(QAbstractScrollArea* view, const QPoint& at);
    void OpenPopupDocument(bool internal);
    void mnuCopyClick();
    void mnuHelpStartClick();
    void mnuHelpQuarrowClick();
    void ReopenTextDocument();
    void mnuConvertToSJISClick();
    void mnuDecodeHeaderClick();
    void mnuDocPlainTextClick();
    IniFile ReadSettingsIni() const;
    void RestorePlacement();
    void StorePlacement(IniFile& ini) const;
    void MRUManagerClick(const std::string& entry);
    void AddPlaceItem(const QString& place);
    void mnuHelpAboutClick();
    void mnuToolOptionClick();
    void mnuSetNamazurcClick();
    void mnuSelectAliasClick();
    void mnuSelectDirectoryClick();
    void mnuShowDriveInfoClick();
    void mnuUpdateIndexClick();
    void SetUpdating(bool on);

    void FormCloseQuery();
    void FormResize();
    int MenuBarHeight() const;
    int ClientHeight() const;
    int NonClientHeight() const;
    int StatusBarHeight() const;
    void SetWindowHeightRange(int minimum, int maximum);
    void ReSearch();

    void mnuColoredClick();
    void ChooseFont(std::string& name, std::string& size, std::string& bold);
    void mnuStayOnTopClick(bool fromMenu);
    void mnuShowStatusBarClick(bool fromMenu);
    void mnuShowIndexDirectoryClick();
    void mnuAppearanceNormalClick(QAction* item);

    std::string ToProgram(const QString& text) const;
    QString ToUi(const std::string& text) const;

    AppContext& m_ctx;
    bool m_shown = false;
    bool m_savePlacement = false;
    SearchRun* m_search = nullptr;
    QString m_searchQuery;  // of the search that runs or ran last
    SearchOptions* m_options = nullptr;
    QShortcut* m_stopSearchKey = nullptr;
    MruMenu* MRUManager = nullptr;
    TextDocPage* m_textPage = nullptr;
    HtmlDocPage* m_htmlPage = nullptr;
    DefinedDocument m_defined;
    AliasDialogState m_aliasState;  // what the alias dialog keeps between openings
    IndexUpdater* m_updater = nullptr;
    IndexAutoUpdate* m_autoUpdate = nullptr;
    bool m_closeWhenUpdated = false;  // closing waits for the background update to stop
    bool m_searchRetried = false;     // the search runs again after finding its index locked

    // Rows and views.
    QWidget* pnlTarget = nullptr;
    QLabel* lblIndexDir = nullptr;
    QComboBox* cboIndexDir = nullptr;
    QToolButton* btnBrowseIndexPath = nullptr;
    QWidget* pnlHeader = nullptr;
    QWidget* pnlHeaderRow2 = nullptr;
    QLabel* lblKeyword = nullptr;
    QComboBox* cboKeyword = nullptr;
    QToolButton* btnSelectKeywordList = nullptr;
    QPushButton* btnSearch = nullptr;
    QLabel* lblListCount = nullptr;
    QComboBox* cboListCount = nullptr;
    QLabel* lblSortType = nullptr;
    QComboBox* cboSortType = nullptr;
    QCheckBox* chkShowContents = nullptr;
    QToolButton* btnTutorial = nullptr;
    QWidget* pnlBody = nullptr;
    QTabWidget* pge = nullptr;
    QWidget* tabResult = nullptr;
    ResultView* edtResult = nullptr;
    QLabel* lblSearchNotice = nullptr;
    QWidget* tabTextDoc = nullptr;
    QPlainTextEdit* edtTextContents = nullptr;
    QWidget* tabHTMLDoc = nullptr;
    QStatusBar* stb = nullptr;
    QMenu* pmnu = nullptr;
    QAction* mnuCopy = nullptr;
    // The popup's items for the document under it, and the hit it was opened over (-1: none).
    DocumentMenuItems* m_documentItems = nullptr;
    QAbstractScrollArea* m_popupView = nullptr;
    QAction* m_popupCodeItem = nullptr;
    int m_popupHit = -1;

    // Menus.
    QMenu* mnuSearch = nullptr;
    QAction* mnuSelectDirectory = nullptr;
    QAction* mnuSelectAlias = nullptr;
    QMenu* mnuRecentDirectory = nullptr;
    QAction* mnuSetNamazurc = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuConvert = nullptr;
    QAction* mnuConvertToSJIS = nullptr;
    QAction* mnuConvertNone = nullptr;
    QAction* mnuConvertNkf = nullptr;
    QAction* mnuDecodeHeader = nullptr;
    QAction* mnuColored = nullptr;
    QAction* mnuShowIndexDirectory = nullptr;
    QAction* mnuShowStatusBar = nullptr;
    QAction* mnuStayOnTop = nullptr;
    QMenu* mnuFont = nullptr;
    QAction* mnuFontResult = nullptr;
    QAction* mnuFontTextContents = nullptr;
    QMenu* mnuAppearance = nullptr;
    QAction* mnuAppearanceNormal = nullptr;
    QAction* mnuAppearanceSmall = nullptr;
    QMenu* mnuDocType = nullptr;
    QAction* mnuDocPlainText = nullptr;
    QAction* mnuDocMailNews = nullptr;
    QAction* mnuDocHTML = nullptr;
    QAction* mnuDocSystemAuto = nullptr;
    QAction* mnuDocByExtension = nullptr;
    QMenu* mnuIndexing = nullptr;
    QAction* mnuMakeIndex = nullptr;
    QAction* mnuUpdateIndex = nullptr;
    QAction* mnuAutoUpdate = nullptr;
    QMenu* mnuTool = nullptr;
    QAction* mnuToolOption = nullptr;
    QAction* mnuShowDriveInfo = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpStart = nullptr;
    QAction* mnuHelpQuarrow = nullptr;
    QMenu* mnuHelpNamazu = nullptr;
    QAction* mnuHelpNamazuManual = nullptr;
    QAction* mnuHelpNamazuTutorial = nullptr;
    QAction* mnuHelpAbout = nullptr;
};
