#include "dialogs/TfrmAbout.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "TestSupport.h"
#include "config/FileIo.h"
#include "process/AppContext.h"

namespace {

struct Link {
    const char* name;
    const char* caption;
    int tag;
};

const Link kLinks[] = {
    {"mnuWebPageQuarrow", "Quarrow for Namazu のページへ", 1},
    {"mnuWebPageNamazu", "Namazu のページへ", 2},
    {"mnuWebPageNamazuWin32", "Namazu for Win32 のページへ", 3},
    {"mnuWebPagePnamazu", "pnamazu のページへ", 4},
    {"mnuWebPageNamazuOS2", "Namazu for OS/2 のページへ", 5},
};

}  // namespace

TEST(TfrmAbout, LinkMenuHoldsTheFivePagesByTag) {
    TempProgramDir dir;
    dir.WriteFile("README.md", "# Quarrow for Namazu\n");
    AppContext ctx;
    ctx.platform = dir.Profile();
    std::vector<std::string> opened;
    TfrmAbout about(ctx, nullptr, [&](const std::string& page) {
        opened.push_back(page);
        return true;
    });

    EXPECT_EQ(about.windowTitle(), QStringLiteral("バージョン情報"));
    ASSERT_NE(about.findChild<QLabel*>(QStringLiteral("lblCopyright")), nullptr);
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("lblCopyright"))
                    ->text()
                    .contains(QStringLiteral("GNU General Public License, version 2 or later")));
    auto* mnuLink = about.findChild<QMenu*>(QStringLiteral("mnuLink"));
    ASSERT_NE(mnuLink, nullptr);
    const QList<QAction*> items = mnuLink->actions();
    ASSERT_EQ(items.size(), 5);
    for (int i = 0; i < 5; ++i) {
        const Link& link = kLinks[i];
        EXPECT_EQ(items[i]->objectName(), QString::fromLatin1(link.name));
        EXPECT_EQ(items[i]->text(), QString::fromUtf8(link.caption)) << link.name;
        EXPECT_EQ(items[i]->data().toInt(), link.tag) << link.name;
        items[i]->trigger();
    }

    ASSERT_EQ(opened.size(), 5u);
    EXPECT_EQ(opened[0], dir.Path("README.md"));
    EXPECT_EQ(opened[1], "http://www.namazu.org/");
    EXPECT_EQ(opened[2], "http://www.namazu.org/windows/");
    for (int i = 1; i < 5; ++i) EXPECT_EQ(opened[i].rfind("http://www.namazu.org/", 0), 0u) << opened[i];
}

TEST(TfrmAbout, ProgramPageFallsBackToTheSourceReadme) {
    TempProgramDir dir;  // no README beside the program
    const std::string page = AboutPageForTag(1, dir.Folder());
    ASSERT_FALSE(page.empty());
    EXPECT_TRUE(FileExists(page)) << page;
    EXPECT_EQ(page.substr(page.size() - 10), "/README.md");
    EXPECT_EQ(AboutPageForTag(0, dir.Folder()), "");
    EXPECT_EQ(AboutPageForTag(6, dir.Folder()), "");
}

TEST(TfrmAbout, FixedSizeCentredOnItsOwnerWithTheMenuBelowTheButton) {
    TempProgramDir dir;
    AppContext ctx;
    ctx.platform = dir.Profile();
    QWidget owner;
    owner.setGeometry(100, 80, 900, 640);
    owner.show();
    TfrmAbout about(ctx, &owner, [](const std::string&) { return true; });
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));

    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    const QPoint offset = about.frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();

    auto* btnHomepage = about.findChild<QPushButton*>(QStringLiteral("btnHomepage"));
    auto* mnuLink = about.findChild<QMenu*>(QStringLiteral("mnuLink"));
    ASSERT_NE(btnHomepage, nullptr);
    QTest::mouseClick(btnHomepage, Qt::LeftButton);
    ASSERT_TRUE(mnuLink->isVisible());
    EXPECT_EQ(mnuLink->pos(), btnHomepage->mapToGlobal(QPoint(0, btnHomepage->height())));
    mnuLink->close();
}
