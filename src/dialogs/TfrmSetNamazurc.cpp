#include "dialogs/TfrmSetNamazurc.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "dialogs/SettingsForms.h"
#include "dialogs/UpDown.h"
#include "process/AppContext.h"
#include "process/Launchers.h"
#include "process/QtText.h"
#include "process/WidgetSupport.h"

TfrmSetNamazurc::TfrmSetNamazurc(AppContext& ctx, QWidget* owner) : QDialog(owner), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmSetNamazurc"));
    setWindowTitle(QStringLiteral("namazurc の設定"));
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);

    auto* lblNamazurcPath =
        Named(new QLabel(QStringLiteral("namazurc のパス(&P):"), this), "lblNamazurcPath");
    edtNamazurcPath = Named(new QLineEdit(this), "edtNamazurcPath");
    ShowBackslashes({edtNamazurcPath});
    edtNamazurcPath->setMinimumWidth(320);
    lblNamazurcPath->setBuddy(edtNamazurcPath);
    edtNamazurcPathButton = Named(new QToolButton(this), "edtNamazurcPathButton");
    edtNamazurcPathButton->setText(QStringLiteral("..."));
    btnEditNamazurc = Named(new QPushButton(QStringLiteral("編集(&E)..."), this), "btnEditNamazurc");
    chkSetIndex = Named(new QCheckBox(QStringLiteral("インデックスのパスは namazurc で指定する(&I)"), this),
                        "chkSetIndex");
    chkUseNamazurc =
        Named(new QCheckBox(QStringLiteral("namazurc を指定しない(&D)"), this), "chkUseNamazurc");
    btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "btnOK");
    btnOK->setDefault(true);
    btnCancel = Named(new QPushButton(QStringLiteral("キャンセル"), this), "btnCancel");
    btnEditNamazurc->setAutoDefault(false);
    btnCancel->setAutoDefault(false);

    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(edtNamazurcPath, 1);
    pathRow->addWidget(edtNamazurcPathButton);
    pathRow->addWidget(btnEditNamazurc);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblNamazurcPath);
    layout->addLayout(pathRow);
    layout->addWidget(chkSetIndex);
    layout->addWidget(chkUseNamazurc);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(chkUseNamazurc, &QCheckBox::toggled, this, &TfrmSetNamazurc::chkUseNamazurcClick);
    connect(edtNamazurcPathButton, &QToolButton::clicked, this, &TfrmSetNamazurc::edtNamazurcPathButtonClick);
    connect(btnEditNamazurc, &QPushButton::clicked, this, &TfrmSetNamazurc::btnEditNamazurcClick);
    connect(btnOK, &QPushButton::clicked, this, &TfrmSetNamazurc::btnOKClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

void TfrmSetNamazurc::FormCreate() {
    const NamazurcForm form = ReadNamazurcForm(m_ctx.settings);
    edtNamazurcPath->setText(ToQString(m_ctx.platform.codePage, form.path));
    chkSetIndex->setChecked(form.setIndex);
    chkUseNamazurc->setChecked(form.dontUse);
    chkUseNamazurcClick();
}

void TfrmSetNamazurc::chkUseNamazurcClick() {
    const bool use = !chkUseNamazurc->isChecked();
    edtNamazurcPath->setEnabled(use);
    edtNamazurcPathButton->setEnabled(use);
    btnEditNamazurc->setEnabled(use);
}

void TfrmSetNamazurc::edtNamazurcPathButtonClick() {
    const CodePage codePage = m_ctx.platform.codePage;
    const BrowseStart start =
        NamazurcBrowseStart(FromQString(codePage, edtNamazurcPath->text()),
                            m_ctx.settings.Search.NamazurcPath, m_ctx.platform.pathStyle, codePage);
    FileDialogRequest request;
    request.caption = QStringLiteral("namazurc を選択してください");
    request.directory = ToQString(codePage, start.folder);
    request.fileName = ToQString(codePage, start.fileName);
    const QString all = m_ctx.platform.pathStyle == PathStyle::Windows ? QStringLiteral("すべてのﾌｧｲﾙ (*.*)")
                                                                       : QStringLiteral("すべてのﾌｧｲﾙ (*)");
    request.filter = all + QStringLiteral(";;namazu設定ファイル(namazurc) (namazurc .namazurc)");
    if (const std::optional<QString> chosen = m_ctx.prompter->OpenFile(request))
        edtNamazurcPath->setText(*chosen);
}

void TfrmSetNamazurc::btnEditNamazurcClick() {
    // The desktop's editor for the file, not waited for; a failure is told when the opener ends.
    auto failed = [this] {
        m_ctx.prompter->Tell(QStringLiteral("関連付けされたアプリケーションの起動に失敗しました。"),
                             QStringLiteral("エラー"), MessageIcon::Error);
    };
    if (!OpenWithShell(FromQString(m_ctx.platform.codePage, edtNamazurcPath->text()), {this, failed})) failed();
}

void TfrmSetNamazurc::btnOKClick() {
    NamazurcForm form;
    form.path = FromQString(m_ctx.platform.codePage, edtNamazurcPath->text());
    form.setIndex = chkSetIndex->isChecked();
    form.dontUse = chkUseNamazurc->isChecked();
    StoreNamazurcForm(form, m_ctx.settings);
    accept();
}

void TfrmSetNamazurc::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOverParent(this);
}
