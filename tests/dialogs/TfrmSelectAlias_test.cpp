#include "dialogs/TfrmSelectAlias.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

#include "NamazuFixture.h"
#include "SearchWindowSession.h"
#include "results/ResultView.h"

namespace {

void ClickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(item).center());
}

// A click on the row, then the space bar on it, as a user ticks an entry.
void TickRow(QListWidget* list, int row) {
    ClickRow(list, row);
    EXPECT_EQ(QApplication::focusWidget(), list);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
}

QString Shown(QDialog& dialog, const char* memo) {
    return FindIn<QPlainTextEdit>(dialog, memo)->toPlainText();
}

std::vector<bool> Ticks(QListWidget* list) {
    std::vector<bool> ticks;
    for (int i = 0; i < list->count(); ++i) ticks.push_back(list->item(i)->checkState() == Qt::Checked);
    return ticks;
}

const char* const kQueries =
    "[QueryGroupList]\nCount=2\nGroup1=英語\nGroup2=目印\n"
    "[QueryGroup1]\nQueryCount=2\nQuery1=lighthouse\nCaption1=灯台 (英語)\nQuery2=keeper\n"
    "[QueryGroup2]\nQueryCount=2\nQuery1=docmarker1\nCaption1=一つ目の文書\nQuery2=docmarker2\n";

}  // namespace

TEST(TfrmSelectAlias, PickedAliasesAndQueriesSearchBothIndexes) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture first(TestDataPath("docs"));
    ASSERT_TRUE(first.Built()) << first.BuildLog();
    QTemporaryDir corpus;
    NamazuFixture::GenerateCorpus(corpus.filePath(QStringLiteral("docs")).toStdString(), 3);
    const NamazuFixture second(corpus.filePath(QStringLiteral("docs")).toStdString());
    ASSERT_TRUE(second.Built()) << second.BuildLog();

    TempProgramDir places;
    const std::string blankPath = places.Path("My index");
    ASSERT_EQ(::symlink(second.IndexFolder().c_str(), blankPath.c_str()), 0);
    SearchWindowSession s("",
                          "[DirAliasList]\nCount=2\nAlias1=テスト文書\nAlias2=生成した文書\n"
                          "[DirAlias1]\nDirCount=1\nDirectory1=" +
                              first.IndexFolder() +
                              "\n"
                              "[DirAlias2]\nDirCount=1\nDirectory1=\"\"" +
                              blankPath + "\"\"\n" + kQueries);
    const QString place = QString::fromStdString(first.IndexFolder() + " \"" + blankPath + "\"");

    const bool opened = WithDialog([] { PressCtrl(Qt::Key_L); },
                                   [&](QDialog& dialog) {
                                       EXPECT_EQ(dialog.windowTitle(), QStringLiteral("エイリアス選択"));
                                       auto* aliases = FindIn<QListWidget>(dialog, "lstDirAlias");
                                       ClickRow(aliases, 0);
                                       ClickRow(aliases, 1, Qt::ControlModifier);
                                       EXPECT_EQ(Shown(dialog, "edtDirList"),
                                                 QString::fromStdString("\"" + blankPath + "\""));
                                       ClickTab(dialog, "tab2");
                                       auto* groups = FindIn<QListWidget>(dialog, "lstQueryGroup");
                                       auto* queries = FindIn<QListWidget>(dialog, "lstQuery");
                                       ClickRow(groups, 0);
                                       EXPECT_EQ(queries->item(0)->text(), QStringLiteral("灯台 (英語)"));
                                       TickRow(queries, 0);
                                       ClickRow(groups, 1);
                                       TickRow(queries, 0);
                                       Click(dialog, "chkOR");
                                       EXPECT_EQ(Shown(dialog, "edtSelectedQueries"),
                                                 QStringLiteral("( lighthouse ) or ( docmarker1 )"));
                                       Click(dialog, "btnOK");
                                   });
    ASSERT_TRUE(opened);

    EXPECT_EQ(s.Find<QComboBox>("cboIndexDir")->currentText(), place);
    EXPECT_EQ(s.Find<QComboBox>("cboKeyword")->currentText(),
              QStringLiteral("( lighthouse ) or ( docmarker1 )"));
    EXPECT_EQ(s.window->windowTitle(), QStringLiteral("Quarrow for Namazu - [") + place + u']');
    EXPECT_EQ(s.ctx.settings.Directories.size(), 2u);
    const QList<QAction*> recent = s.Find<QMenu>("mnuRecentDirectory")->actions();
    ASSERT_EQ(recent.size(), 1);
    EXPECT_TRUE(recent[0]->text().endsWith(place));

    QTest::mouseClick(s.Find<QPushButton>("btnSearch"), Qt::LeftButton);
    const QString result = s.Find<ResultView>("edtResult")->toPlainText();
    EXPECT_TRUE(result.contains(QStringLiteral("english.txt"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("doc00001.txt"))) << result.toStdString();
    // namazu names both indexes, the one with a blank in its path included.
    EXPECT_TRUE(result.contains(QString::fromStdString("(" + blankPath + ") [ lighthouse")))
        << result.toStdString();
    EXPECT_TRUE(s.prompter.Messages().empty());
}

TEST(TfrmSelectAlias, TicksStayAcrossGroupsAndResetClearsEverything) {
    SearchWindowSession s("",
                          "[DirAliasList]\nCount=2\nAlias1=one\nAlias2=two\n"
                          "[DirAlias1]\nDirCount=3\nDirectory1=/srv/a\nDirectory2=  \nDirectory3=/srv/b\n" +
                              std::string(kQueries));
    EXPECT_TRUE(WithDialog(
        [&] { QTest::mouseClick(s.Find<QToolButton>("btnSelectKeywordList"), Qt::LeftButton); },
        [&](QDialog& dialog) {
            auto* aliases = FindIn<QListWidget>(dialog, "lstDirAlias");
            ClickRow(aliases, 0);
            EXPECT_EQ(Shown(dialog, "edtDirList"), QStringLiteral("/srv/a\n/srv/b"));
            ClickTab(dialog, "tab2");
            auto* groups = FindIn<QListWidget>(dialog, "lstQueryGroup");
            auto* queries = FindIn<QListWidget>(dialog, "lstQuery");
            ClickRow(groups, 1);
            TickRow(queries, 1);
            ClickRow(groups, 0);
            EXPECT_EQ(Ticks(queries), (std::vector<bool>{false, false}));
            TickRow(queries, 1);
            TickRow(queries, 0);
            // The first group's queries come first, each group in its own order.
            EXPECT_EQ(Shown(dialog, "edtSelectedQueries"), QStringLiteral("lighthouse keeper docmarker2"));
            ClickRow(groups, 1);
            EXPECT_EQ(Ticks(queries), (std::vector<bool>{false, true}));
            TickRow(queries, 1);  // untick
            EXPECT_EQ(Shown(dialog, "edtSelectedQueries"), QStringLiteral("lighthouse keeper"));

            Click(dialog, "btnReset");
            EXPECT_TRUE(aliases->selectedItems().isEmpty());
            EXPECT_EQ(aliases->currentRow(), 0);
            EXPECT_EQ(Shown(dialog, "edtDirList"), QString());
            EXPECT_EQ(Shown(dialog, "edtSelectedQueries"), QString());
            EXPECT_EQ(Ticks(queries), (std::vector<bool>{false, false}));
            ClickRow(groups, 0);
            EXPECT_EQ(Ticks(queries), (std::vector<bool>{false, false}));
            EXPECT_GE(dialog.minimumWidth(), 300);
            EXPECT_GE(dialog.minimumHeight(), 300);
            Click(dialog, "btnCancel");
        }));
}

TEST(TfrmSelectAlias, ReopensOnTheLastPageAndCancelOrAnEmptyOkKeepTheQuery) {
    SearchWindowSession s(
        "", "[DirAliasList]\nCount=1\nAlias1=one\n[DirAlias1]\nDirCount=1\nDirectory1=/srv/a\n" +
                std::string(kQueries));
    auto* place = s.Find<QComboBox>("cboIndexDir");
    auto* keyword = s.Find<QComboBox>("cboKeyword");
    keyword->setFocus();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("before"));

    // Cancel after choosing: nothing changes, but the page is remembered.
    EXPECT_TRUE(WithDialog([] { PressCtrl(Qt::Key_L); },
                           [&](QDialog& dialog) {
                               EXPECT_EQ(FindIn<QTabWidget>(dialog, "pgeAlias")->currentIndex(), 0);
                               ClickRow(FindIn<QListWidget>(dialog, "lstDirAlias"), 0);
                               ClickTab(dialog, "tab2");
                               ClickRow(FindIn<QListWidget>(dialog, "lstQueryGroup"), 0);
                               TickRow(FindIn<QListWidget>(dialog, "lstQuery"), 0);
                               Click(dialog, "chkOR");
                               Click(dialog, "btnCancel");
                           }));
    EXPECT_EQ(keyword->currentText(), QStringLiteral("before"));
    EXPECT_EQ(place->currentText(), QStringLiteral("/var/lib/namazu/index"));

    // Text typed into the search place is not parsed before the dialog opens: OK with nothing
    // chosen puts the last parsed place back and leaves the query alone.
    place->setFocus();
    place->lineEdit()->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("/typed/but/not/parsed"));
    EXPECT_TRUE(WithDialog(
        [] { PressCtrl(Qt::Key_L); },
        [&](QDialog& dialog) {
            EXPECT_EQ(FindIn<QTabWidget>(dialog, "pgeAlias")->currentIndex(), 1);
            EXPECT_FALSE(FindIn<QCheckBox>(dialog, "chkOR")->isChecked());
            ClickRow(FindIn<QListWidget>(dialog, "lstQueryGroup"), 0);
            EXPECT_EQ(Ticks(FindIn<QListWidget>(dialog, "lstQuery")), (std::vector<bool>{false, false}));
            EXPECT_EQ(Shown(dialog, "edtSelectedQueries"), QString());
            ClickTab(dialog, "tab1");
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }));
    EXPECT_EQ(place->currentText(), QStringLiteral("/typed/but/not/parsed"));
    EXPECT_TRUE(WithDialog([] { PressCtrl(Qt::Key_L); },
                           [&](QDialog& dialog) {
                               EXPECT_EQ(FindIn<QTabWidget>(dialog, "pgeAlias")->currentIndex(),
                                         0);  // Escape remembered it too
                               Click(dialog, "btnOK");
                           }));
    EXPECT_EQ(place->currentText(), QStringLiteral("/var/lib/namazu/index"));
    EXPECT_EQ(keyword->currentText(), QStringLiteral("before"));
}

TEST(TfrmSelectAlias, MissingFileGivesEmptyLists) {
    SearchWindowSession s;
    EXPECT_TRUE(WithDialog([] { PressCtrl(Qt::Key_L); },
                           [&](QDialog& dialog) {
                               EXPECT_EQ(FindIn<QListWidget>(dialog, "lstDirAlias")->count(), 0);
                               EXPECT_EQ(FindIn<QListWidget>(dialog, "lstQueryGroup")->count(), 0);
                               Click(dialog, "btnReset");
                               Click(dialog, "btnOK");
                           }));
    EXPECT_TRUE(s.prompter.Messages().empty());
}
