#include "dialogs/TfrmSelectAlias.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "process/AppContext.h"
#include "process/QtText.h"
#include "process/WidgetSupport.h"

TfrmSelectAlias::TfrmSelectAlias(AppContext& ctx, AliasDialogState& state, QWidget* owner)
    : QDialog(owner), m_ctx(ctx), m_state(state) {
    setObjectName(QStringLiteral("frmSelectAlias"));
    setWindowTitle(QStringLiteral("エイリアス選択"));

    pgeAlias = Named(new QTabWidget(this), "pgeAlias");

    tab1 = Named(new QWidget, "tab1");
    lstDirAlias = Named(new QListWidget(tab1), "lstDirAlias");
    lstDirAlias->setSelectionMode(QAbstractItemView::ExtendedSelection);
    edtDirList = Named(new QPlainTextEdit(tab1), "edtDirList");
    edtDirList->setReadOnly(true);
    edtDirList->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* dirColumn = new QVBoxLayout(tab1);
    dirColumn->addWidget(lstDirAlias, 3);
    dirColumn->addWidget(edtDirList, 2);
    pgeAlias->addTab(tab1, QStringLiteral("検索場所"));

    tab2 = Named(new QWidget, "tab2");
    lblQueryGroup = Named(new QLabel(QStringLiteral("グループ(&G):"), tab2), "lblQueryGroup");
    lstQueryGroup = Named(new QListWidget(tab2), "lstQueryGroup");
    lstQueryGroup->setSelectionMode(QAbstractItemView::SingleSelection);
    lblQueryGroup->setBuddy(lstQueryGroup);
    lblQuery = Named(new QLabel(QStringLiteral("検索語(&W):"), tab2), "lblQuery");
    lstQuery = Named(new QListWidget(tab2), "lstQuery");
    lblQuery->setBuddy(lstQuery);
    lblSelectedQueries =
        Named(new QLabel(QStringLiteral("選択された検索語(&A):"), tab2), "lblSelectedQueries");
    edtSelectedQueries = Named(new QPlainTextEdit(tab2), "edtSelectedQueries");
    edtSelectedQueries->setReadOnly(true);
    edtSelectedQueries->setMaximumHeight(edtSelectedQueries->fontMetrics().lineSpacing() * 3 + 12);
    lblSelectedQueries->setBuddy(edtSelectedQueries);
    chkOR = Named(new QCheckBox(QStringLiteral("&OR"), tab2), "chkOR");

    auto* groupColumn = new QVBoxLayout;
    groupColumn->addWidget(lblQueryGroup);
    groupColumn->addWidget(lstQueryGroup);
    auto* queryColumn = new QVBoxLayout;
    queryColumn->addWidget(lblQuery);
    queryColumn->addWidget(lstQuery);
    auto* lists = new QHBoxLayout;
    lists->addLayout(groupColumn, 2);
    lists->addLayout(queryColumn, 3);
    auto* selectedRow = new QHBoxLayout;
    selectedRow->addWidget(edtSelectedQueries, 1);
    selectedRow->addWidget(chkOR, 0, Qt::AlignTop);
    auto* queryPage = new QVBoxLayout(tab2);
    queryPage->addLayout(lists, 1);
    queryPage->addWidget(lblSelectedQueries);
    queryPage->addLayout(selectedRow);
    pgeAlias->addTab(tab2, QStringLiteral("検索語"));

    btnReset = Named(new QPushButton(QStringLiteral("リセット(&R)"), this), "btnReset");
    btnReset->setAutoDefault(false);
    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    btnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnReset);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pgeAlias, 1);
    layout->addLayout(buttons);
    setMinimumSize(300, 300);
    resize(420, 380);

    // A click on the current row changes no row, so both signals lead to the handler.
    connect(lstDirAlias, &QListWidget::currentRowChanged, this, &TfrmSelectAlias::lstDirAliasClick);
    connect(lstDirAlias, &QListWidget::itemClicked, this, &TfrmSelectAlias::lstDirAliasClick);
    connect(lstQueryGroup, &QListWidget::currentRowChanged, this, &TfrmSelectAlias::lstQueryGroupClick);
    connect(lstQueryGroup, &QListWidget::itemClicked, this, &TfrmSelectAlias::lstQueryGroupClick);
    connect(lstQuery, &QListWidget::itemChanged, this, &TfrmSelectAlias::lstQueryClickCheck);
    connect(chkOR, &QCheckBox::clicked, this, &TfrmSelectAlias::chkORClick);
    connect(btnReset, &QPushButton::clicked, this, &TfrmSelectAlias::btnResetClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmSelectAlias::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

QString TfrmSelectAlias::ToUi(const std::string& text) const {
    return ToQString(m_ctx.platform.codePage, text);
}

namespace {
// A list row lays out its whole text whenever it is measured or painted: a name of megabytes in
// a broken aliases.ini took seconds per megabyte. No one reads more than the start of a row.
QString RowText(QString text) {
    constexpr qsizetype kShown = 500;
    if (text.size() <= kShown) return text;
    const qsizetype cut = text.at(kShown - 1).isHighSurrogate() ? kShown - 1 : kShown;
    text.truncate(cut);
    return text + QStringLiteral("…");
}
}  // namespace

void TfrmSelectAlias::FormCreate() {
    m_file = LoadAliasFile(AliasFilePath(m_ctx.settings.SettingsPath, m_ctx.platform.pathStyle),
                           m_ctx.platform.codePage);
    for (const std::string& name : m_file.aliasNames) lstDirAlias->addItem(RowText(ToUi(name)));
    for (const QueryGroup& group : m_file.QueryGroups) lstQueryGroup->addItem(RowText(ToUi(group.name)));
    pgeAlias->setCurrentWidget(m_state.LastAliasPage == 2 ? tab2 : tab1);
}

void TfrmSelectAlias::lstDirAliasClick() {
    const int row = lstDirAlias->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_file.AliasDirectories.size()) return;
    edtDirList->setPlainText(ToUi(m_file.AliasDirectories[static_cast<std::size_t>(row)]));
}

void TfrmSelectAlias::lstQueryGroupClick() {
    const int row = lstQueryGroup->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= m_file.QueryGroups.size()) return;
    m_filling = true;
    lstQuery->clear();
    for (const QueryEntry& entry : m_file.QueryGroups[static_cast<std::size_t>(row)].queries) {
        auto* item = new QListWidgetItem(RowText(ToUi(entry.shown)), lstQuery);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(entry.checked ? Qt::Checked : Qt::Unchecked);
    }
    m_filling = false;
}

void TfrmSelectAlias::lstQueryClickCheck(QListWidgetItem* item) {
    if (m_filling) return;
    const int group = lstQueryGroup->currentRow();
    if (group < 0 || static_cast<std::size_t>(group) >= m_file.QueryGroups.size()) return;
    std::vector<QueryEntry>& queries = m_file.QueryGroups[static_cast<std::size_t>(group)].queries;
    const int row = lstQuery->row(item);
    if (row < 0 || static_cast<std::size_t>(row) >= queries.size()) return;
    queries[static_cast<std::size_t>(row)].checked = item->checkState() == Qt::Checked;
    ShowSelectedQueries();
}

void TfrmSelectAlias::chkORClick() {
    m_state.OrFlag = chkOR->isChecked();
    ShowSelectedQueries();
}

void TfrmSelectAlias::ShowSelectedQueries() {
    m_state.SelectedQueries = SelectedQueries(m_file.QueryGroups);
    edtSelectedQueries->setPlainText(ToUi(CombineQueries(m_state.SelectedQueries, chkOR->isChecked())));
}

void TfrmSelectAlias::btnResetClick() {
    if (lstDirAlias->count() > 0) lstDirAlias->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    lstDirAlias->clearSelection();
    edtDirList->clear();
    for (QueryGroup& group : m_file.QueryGroups) {
        for (QueryEntry& entry : group.queries) entry.checked = false;
    }
    lstQueryGroupClick();
    ShowSelectedQueries();
}

void TfrmSelectAlias::btnOKClick() {
    std::vector<int> chosen;
    for (int row = 0; row < lstDirAlias->count(); ++row) {
        if (lstDirAlias->item(row)->isSelected()) chosen.push_back(row);
    }
    ApplyChosenAliases(m_file, chosen, m_ctx.settings, m_ctx.platform.codePage);
    m_state.SelectedQueries = SelectedQueries(m_file.QueryGroups);
    accept();
}

void TfrmSelectAlias::done(int result) {
    // Every way of closing remembers the page for the next opening.
    m_state.LastAliasPage = pgeAlias->currentWidget() == tab2 ? 2 : 1;
    QDialog::done(result);
}
