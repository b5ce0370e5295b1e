#include "dialogs/TfrmAbout.h"

#include <QAction>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "config/FileIo.h"
#include "config/ProgramInfo.h"
#include "process/AppContext.h"
#include "process/Launchers.h"

namespace {

// Namazu's own site; it has no pages of its own for pnamazu and the OS/2 port any more, so
// those items lead to its home page as well.
constexpr const char* kNamazuHome = "http://www.namazu.org/";
constexpr const char* kNamazuWindows = "http://www.namazu.org/windows/";

// This program's page is its README: in the data folder of an installed program, else in the
// source tree it was built from.
std::string ProgramPage(const std::string& dataFolder) {
    const std::string installed = dataFolder + "README.md";
    if (FileExists(installed)) return installed;
#ifdef QUARROW_SOURCE_README
    if (FileExists(QUARROW_SOURCE_README)) return QUARROW_SOURCE_README;
#endif
    return {};
}

}  // namespace

std::string AboutPageForTag(int tag, const std::string& dataFolder) {
    switch (tag) {
        case 1:
            return ProgramPage(dataFolder);
        case 2:
            return kNamazuHome;
        case 3:
            return kNamazuWindows;
        case 4:
            return kNamazuHome;
        case 5:
            return kNamazuHome;
        default:
            return {};
    }
}

TfrmAbout::TfrmAbout(const AppContext& ctx, QWidget* owner, Opener opener)
    : QDialog(owner), m_ctx(ctx), m_opener(opener ? std::move(opener) : Opener([](const std::string& page) { return OpenWithShell(page); })) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("バージョン情報"));

    lblProgram = new QLabel(QStringLiteral("Quarrow for Namazu"), this);
    lblProgram->setObjectName(QStringLiteral("lblProgram"));
    QFont big = lblProgram->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblProgram->setFont(big);

    lblVersion = new QLabel(QStringLiteral("バージョン %1").arg(QStringLiteral(QUARROW_VERSION)), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto* lblDescription =
        new QLabel(QStringLiteral("全文検索システム Namazu のためのフロントエンドです。"), this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));

    lblCopyright =
        new QLabel(QStringLiteral("Copyright © Quarrow for Namazu 開発チーム\n"
                                  "検索とインデックス作成には Namazu Project の Namazu を使っています。\n\n"
                                  "このプログラムはフリーソフトウェアです。") +
                       QString::fromUtf8(kLicenceName) +
                       QStringLiteral(" の条件で再配布・改変できます。無保証です。"),
                   this);
    lblCopyright->setObjectName(QStringLiteral("lblCopyright"));

    btnHomepage = new QPushButton(QStringLiteral("ホームページ(&H)"), this);
    btnHomepage->setObjectName(QStringLiteral("btnHomepage"));
    btnHomepage->setAutoDefault(false);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);

    mnuLink = new QMenu(this);
    mnuLink->setObjectName(QStringLiteral("mnuLink"));
    mnuWebPageQuarrow = AddLink("mnuWebPageQuarrow", QStringLiteral("Quarrow for Namazu のページへ"), 1);
    mnuWebPageNamazu = AddLink("mnuWebPageNamazu", QStringLiteral("Namazu のページへ"), 2);
    mnuWebPageNamazuWin32 =
        AddLink("mnuWebPageNamazuWin32", QStringLiteral("Namazu for Win32 のページへ"), 3);
    mnuWebPagePnamazu = AddLink("mnuWebPagePnamazu", QStringLiteral("pnamazu のページへ"), 4);
    mnuWebPageNamazuOS2 = AddLink("mnuWebPageNamazuOS2", QStringLiteral("Namazu for OS/2 のページへ"), 5);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnHomepage);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblProgram);
    layout->addWidget(lblVersion);
    layout->addSpacing(8);
    layout->addWidget(lblDescription);
    layout->addWidget(lblCopyright);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    // Fixed size: the dialog is as large as its contents and cannot be resized.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnHomepage, &QPushButton::clicked, this, &TfrmAbout::btnHomepageClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

QAction* TfrmAbout::AddLink(const char* name, const QString& caption, int tag) {
    QAction* item = mnuLink->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setData(tag);
    connect(item, &QAction::triggered, this, [this, item] { mnuWebPageClick(item->data().toInt()); });
    return item;
}

void TfrmAbout::btnHomepageClick() {
    mnuLink->popup(btnHomepage->mapToGlobal(QPoint(0, btnHomepage->height())));
}

void TfrmAbout::mnuWebPageClick(int tag) {
    const std::string page = AboutPageForTag(tag, m_ctx.platform.dataFolder);
    // The shell's answer is not reported, as for every page the program opens this way.
    if (!page.empty()) m_opener(page);
}

void TfrmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    if (QWidget* owner = parentWidget()) {
        const QRect ownerFrame = owner->window()->frameGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(ownerFrame.center());
        move(frame.topLeft());
    }
}
