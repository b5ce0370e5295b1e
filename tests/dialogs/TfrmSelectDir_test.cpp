#include "dialogs/TfrmSelectDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QToolButton>

#include "NamazuFixture.h"
#include "SearchWindowSession.h"
#include "indexer/FolderTree.h"
#include "results/ResultView.h"

namespace {

// Types into the search place as a user does: click, select all, type.
void TypePlace(SearchWindowSession& s, const QString& text) {
    QLineEdit* edit = s.Find<QComboBox>("cboIndexDir")->lineEdit();
    QTest::mouseClick(edit, Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), text);
}

void PressCtrlO() {
    PressCtrl(Qt::Key_O);
}

QModelIndex ChildNamed(const QAbstractItemModel* model, const QModelIndex& parent, const QString& name) {
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex child = model->index(row, 0, parent);
        if (child.data().toString() == name) return child;
    }
    return {};
}

// Walks the tree from its current folder to `path` as a user does with the keyboard: Left goes
// up, Right opens the current folder, typing the start of a name jumps to that folder (up to its
// first blank: the space bar ticks).
void GoTo(FolderTree* tree, const QString& path) {
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      tree->visualRect(tree->currentIndex()).center());
    ASSERT_EQ(QApplication::focusWidget(), tree);
    QString at = tree->SelectedPath();
    auto under = [&] { return at == QStringLiteral("/") || path == at || path.startsWith(at + u'/'); };
    while (!under()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
        at = tree->SelectedPath();
    }
    const QStringList parts = path.mid(at.size()).split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        const QModelIndex current = tree->currentIndex();
        // Right on an open folder would step into its first child.
        if (!tree->isExpanded(current)) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return ChildNamed(tree->model(), current, part).isValid(); }, 10000))
            << part.toStdString();
        QTest::qWait(QApplication::keyboardInputInterval() + 50);  // a new search, not a longer one
        QTest::keyClicks(QApplication::focusWidget(), part.section(u' ', 0, 0));
        at = at.endsWith(u'/') ? at + part : at + u'/' + part;
        ASSERT_EQ(tree->SelectedPath(), at);
    }
}

void PressSpace() {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
}

QString Memo(QDialog& dialog) {
    return FindIn<QPlainTextEdit>(dialog, "edtTargetDirectories")->toPlainText();
}

}  // namespace

TEST(TfrmSelectDir, TwoTickedIndexFoldersAreSearchedTogether) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    const NamazuFixture first(TestDataPath("docs"));
    ASSERT_TRUE(first.Built()) << first.BuildLog();
    QTemporaryDir corpus;
    NamazuFixture::GenerateCorpus(corpus.filePath(QStringLiteral("docs")).toStdString(), 3);
    const NamazuFixture second(corpus.filePath(QStringLiteral("docs")).toStdString());
    ASSERT_TRUE(second.Built()) << second.BuildLog();
    QTemporaryDir places;
    const QString firstPath = places.filePath(QStringLiteral("first"));
    const QString secondPath = places.filePath(QStringLiteral("second index"));
    ASSERT_EQ(::symlink(first.IndexFolder().c_str(), firstPath.toUtf8().constData()), 0);
    ASSERT_EQ(::symlink(second.IndexFolder().c_str(), secondPath.toUtf8().constData()), 0);

    SearchWindowSession s;
    TypePlace(s, QStringLiteral("/typed/index   "));
    ASSERT_TRUE(WithDialog(PressCtrlO, [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ディレクトリを選択"));
        // The search window parsed its box first; no folder of the tree is ticked.
        EXPECT_EQ(Memo(dialog), QStringLiteral("/typed/index"));
        EXPECT_EQ(FindIn<QPlainTextEdit>(dialog, "edtTargetDirectories")->textCursor().position(), 0);
        auto* tree = FindIn<FolderTree>(dialog, "tvFolder");
        EXPECT_EQ(tree->SelectedPath(), QStringLiteral("/"));
        Click(dialog, "btnClear");
        EXPECT_EQ(Memo(dialog), QString());

        GoTo(tree, firstPath);
        if (::testing::Test::HasFatalFailure()) return;
        PressSpace();
        EXPECT_EQ(Memo(dialog), firstPath);
        PressSpace();  // untick: the line goes
        EXPECT_EQ(Memo(dialog), QString());
        PressSpace();  // tick again: it comes back
        GoTo(tree, secondPath);
        if (::testing::Test::HasFatalFailure()) return;
        PressSpace();
        EXPECT_EQ(Memo(dialog), firstPath + u'\n' + secondPath);
        Click(dialog, "btnOK");
    }));

    const QString place = firstPath + QStringLiteral(" \"") + secondPath + u'"';
    EXPECT_EQ(s.Find<QComboBox>("cboIndexDir")->currentText(), place);
    EXPECT_EQ(s.window->windowTitle(), QStringLiteral("Quarrow for Namazu - [") + place + u']');
    ASSERT_EQ(s.Find<QMenu>("mnuRecentDirectory")->actions().size(), 1);

    QTest::mouseClick(s.Find<QComboBox>("cboKeyword")->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("lighthouse or docmarker1"));
    QTest::mouseClick(s.Find<QPushButton>("btnSearch"), Qt::LeftButton);
    const QString result = s.Find<ResultView>("edtResult")->toPlainText();
    EXPECT_TRUE(result.contains(QStringLiteral("english.txt"))) << result.toStdString();
    EXPECT_TRUE(result.contains(QStringLiteral("doc00001.txt"))) << result.toStdString();
    EXPECT_TRUE(result.contains(u'(' + secondPath + QStringLiteral(") [ lighthouse")))
        << result.toStdString();
    EXPECT_TRUE(s.prompter.Messages().empty());

    // Open and OK without a change: the same directories, the quoted one not quoted twice.
    const std::vector<std::string> directories = s.ctx.settings.Directories;
    ASSERT_TRUE(WithDialog(PressCtrlO, [&](QDialog& dialog) {
        EXPECT_EQ(Memo(dialog), firstPath + QStringLiteral("\n\"") + secondPath + u'"');
        Click(dialog, "btnOK");
    }));
    EXPECT_EQ(s.ctx.settings.Directories, directories);
    EXPECT_EQ(s.Find<QComboBox>("cboIndexDir")->currentText(), place);
}

TEST(TfrmSelectDir, UntickingRemovesALineTypedInAnotherCase) {
    QTemporaryDir places;
    const QString folder = places.filePath(QStringLiteral("Index"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QString typed = folder;
    typed.replace(QStringLiteral("/Index"), QStringLiteral("/INDEX"));

    SearchWindowSession s;
    ASSERT_TRUE(
        WithDialog([&] { QTest::mouseClick(s.Find<QToolButton>("btnBrowseIndexPath"), Qt::LeftButton); },
                   [&](QDialog& dialog) {
                       auto* memo = FindIn<QPlainTextEdit>(dialog, "edtTargetDirectories");
                       QTest::mouseClick(memo->viewport(), Qt::LeftButton);
                       QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
                       QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                       QTest::keyClicks(QApplication::focusWidget(), typed);
                       auto* tree = FindIn<FolderTree>(dialog, "tvFolder");
                       GoTo(tree, folder);
                       if (::testing::Test::HasFatalFailure()) return;
                       PressSpace();  // already listed, in another case: no new line
                       EXPECT_EQ(Memo(dialog), QStringLiteral("/var/lib/namazu/index\n") + typed);
                       PressSpace();
                       EXPECT_EQ(Memo(dialog), QStringLiteral("/var/lib/namazu/index"));
                       Click(dialog, "btnOK");
                   }));
    EXPECT_EQ(s.ctx.settings.Directories, std::vector<std::string>{"/var/lib/namazu/index"});
}

TEST(TfrmSelectDir, CancelChangesNothingAndOkStoresTheRelativeChoice) {
    SearchWindowSession s(
        "[Search]\nRelativePath=0\nDirectoryCount=2\nDirectory1=/idx\nDirectory2=/idx/sub\n");
    ASSERT_TRUE(WithDialog(PressCtrlO, [&](QDialog& dialog) {
        EXPECT_EQ(Memo(dialog), QStringLiteral("/idx\n/idx/sub"));
        auto* relative = FindIn<QCheckBox>(dialog, "chkRelativePath");
        EXPECT_FALSE(relative->isChecked());
        Click(dialog, "chkRelativePath");
        Click(dialog, "btnClear");
        Click(dialog, "btnCancel");
    }));
    EXPECT_EQ(s.ctx.settings.Search.RelativePath, "0");
    EXPECT_EQ(s.ctx.settings.IndexDirectoryText, "/idx /idx/sub");
    EXPECT_TRUE(s.Find<QMenu>("mnuRecentDirectory")->actions().isEmpty());

    ASSERT_TRUE(WithDialog(PressCtrlO, [&](QDialog& dialog) {
        Click(dialog, "chkRelativePath");
        auto* memo = FindIn<QPlainTextEdit>(dialog, "edtTargetDirectories");
        QTest::mouseClick(memo->viewport(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("   "));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("/idx/My other"));
        Click(dialog, "btnOK");
    }));
    EXPECT_EQ(s.ctx.settings.Search.RelativePath, "1");
    EXPECT_EQ(s.Find<QComboBox>("cboIndexDir")->currentText(),
              QStringLiteral("/idx /idx/sub \"/idx/My other\""));
    // The choice is stored when the window closes.
    s.window->close();
    EXPECT_NE(s.dir.ReadFile("quarrow.ini").find("RelativePath=1"), std::string::npos);
}
