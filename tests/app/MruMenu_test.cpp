#include "app/MruMenu.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QMenu>

#include "config/IniFile.h"

namespace {

QStringList Captions(const QMenu& menu) {
    QStringList out;
    for (const QAction* item : menu.actions()) out << item->text();
    return out;
}

}  // namespace

TEST(MruMenu, RebuildsAfterEveryChangeAndReportsTheChosenEntry) {
    QMenu menu;
    MruMenu mru(&menu, CodePage::Utf8);
    EXPECT_FALSE(menu.menuAction()->isEnabled());
    EXPECT_TRUE(menu.actions().isEmpty());

    mru.Load(IniFile("[SearchMRU]\nItem_0=/索引/b\nItem_1=/a\n"));
    EXPECT_TRUE(menu.menuAction()->isEnabled());
    EXPECT_EQ(Captions(menu), (QStringList{QStringLiteral("&1\t/索引/b"), QStringLiteral("&2\t/a")}));

    std::vector<std::string> chosen;
    QObject::connect(&mru, &MruMenu::EntryChosen, [&](const std::string& entry) {
        chosen.push_back(entry);
        // A handler that changes the list while the item is still firing.
        mru.Add("/c");
    });
    menu.actions().at(1)->trigger();
    EXPECT_EQ(chosen, std::vector<std::string>{"/a"});
    EXPECT_EQ(Captions(menu), (QStringList{QStringLiteral("&1\t/c"), QStringLiteral("&2\t/索引/b"),
                                           QStringLiteral("&3\t/a")}));

    mru.Clear();
    EXPECT_FALSE(menu.menuAction()->isEnabled());
    EXPECT_TRUE(menu.actions().isEmpty());
}
