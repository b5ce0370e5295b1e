#include "dialogs/TfrmSelectDir.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/DirectoryMemo.h"
#include "indexer/FolderTree.h"
#include "process/AppContext.h"
#include "process/IndexDirectories.h"
#include "process/QtText.h"
#include "process/WidgetSupport.h"

TfrmSelectDir::TfrmSelectDir(AppContext& ctx, QWidget* owner) : QDialog(owner), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmSelectDir"));
    setWindowTitle(QStringLiteral("ディレクトリを選択"));

    lblFolder =
        Named(new QLabel(QStringLiteral("インデックスの存在するディレクトリを指定してください。"), this),
              "lblFolder");
    tvFolder = Named(new FolderTree(this), "tvFolder");
    tvFolder->setMinimumSize(440, 280);
    lblTargetDirectories =
        Named(new QLabel(QStringLiteral("検索ディレクトリ一覧(&S):"), this), "lblTargetDirectories");
    edtTargetDirectories = Named(new QPlainTextEdit(this), "edtTargetDirectories");
    edtTargetDirectories->setLineWrapMode(QPlainTextEdit::NoWrap);
    edtTargetDirectories->setFixedHeight(edtTargetDirectories->fontMetrics().lineSpacing() * 6 + 12);
    lblTargetDirectories->setBuddy(edtTargetDirectories);
    btnClear = Named(new QPushButton(QStringLiteral("クリア(&L)"), this), "btnClear");
    btnClear->setAutoDefault(false);
    chkRelativePath =
        Named(new QCheckBox(QStringLiteral("相対ディレクトリで指定する(&R)"), this), "chkRelativePath");
    btnOK = Named(new QPushButton(QStringLiteral("&OK"), this), "btnOK");
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル(&C)"), this), "btnCancel");
    btnCancel->setAutoDefault(false);

    auto* memoHeader = new QHBoxLayout;
    memoHeader->addWidget(lblTargetDirectories, 1, Qt::AlignBottom);
    memoHeader->addWidget(btnClear);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkRelativePath, 1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFolder);
    layout->addWidget(tvFolder, 1);
    layout->addLayout(memoHeader);
    layout->addWidget(edtTargetDirectories);
    layout->addLayout(buttons);
    // A dialog box of one size: as large as its contents.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(tvFolder, &FolderTree::checkStateChanged, this, &TfrmSelectDir::tvFolderShStateChanged);
    connect(btnClear, &QPushButton::clicked, edtTargetDirectories, &QPlainTextEdit::clear);
    connect(btnOK, &QPushButton::clicked, this, &TfrmSelectDir::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    FormCreate();
}

void TfrmSelectDir::FormCreate() {
    chkRelativePath->setChecked(m_ctx.settings.Search.RelativePath == "1");
    tvFolder->SelectPath(QStringLiteral("/"));
    edtTargetDirectories->setPlainText(
        ToQString(m_ctx.platform.codePage, MemoText(m_ctx.settings.Directories)));
    edtTargetDirectories->moveCursor(QTextCursor::Start);
}

void TfrmSelectDir::tvFolderShStateChanged(const QString& path, bool checked) {
    if (path.isEmpty()) return;
    ApplyFolderCheckToEdit(*edtTargetDirectories, path, checked, m_ctx.platform.codePage);
}

void TfrmSelectDir::btnOKClick() {
    Settings& s = m_ctx.settings;
    s.Search.RelativePath = chkRelativePath->isChecked() ? "1" : "0";
    const std::string memo = FromQString(m_ctx.platform.codePage, edtTargetDirectories->toPlainText());
    ParseIndexDirectories(DirectoryMemoPlace(MemoLines(memo)), s, m_ctx.platform.codePage);
    accept();
}
