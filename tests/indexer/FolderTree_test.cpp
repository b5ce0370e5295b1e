#include "indexer/FolderTree.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

namespace {

// The folder names the tree shows under `parent`, once it has read them.
QStringList ShownChildren(FolderTree& tree, const QModelIndex& parent) {
    QStringList names;
    for (int row = 0; row < tree.model()->rowCount(parent); ++row) {
        names << tree.model()->index(row, 0, parent).data().toString();
    }
    return names;
}

QPoint CheckBoxCentre(FolderTree& tree, const QModelIndex& index) {
    QStyleOptionViewItem option;
    option.initFrom(tree.viewport());
    option.rect = tree.visualRect(index);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay |
                      QStyleOptionViewItem::HasDecoration;
    option.text = index.data().toString();
    option.decorationSize = tree.iconSize().isValid() ? tree.iconSize() : QSize(16, 16);
    return tree.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &tree).center();
}

class FolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        QDir root(m_dir.path());
        for (const char* name : {"docs", "docs/sub", "docs/Zeta", "docs/.hidden", "docs/日本語"}) {
            ASSERT_TRUE(root.mkpath(QString::fromUtf8(name)));
        }
        QFile file(m_dir.path() + QStringLiteral("/docs/file.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        m_docs = m_dir.path() + QStringLiteral("/docs");
    }

    QTemporaryDir m_dir;
    QString m_docs;
};

TEST_F(FolderTreeTest, StartsAtTheRootAndShowsOnlyVisibleFolders) {
    QWidget window;
    auto* tree = new FolderTree(&window);
    auto* edit = new QPlainTextEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(tree);
    layout->addWidget(edit);
    window.resize(400, 600);
    QObject::connect(tree, &FolderTree::checkStateChanged, edit, [edit](const QString& path, bool checked) {
        ApplyFolderCheckToEdit(*edit, path, checked, CodePage::Utf8);
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // The one top folder is the root.
    ASSERT_EQ(tree->model()->rowCount(tree->rootIndex()), 1);
    EXPECT_EQ(tree->PathOf(tree->model()->index(0, 0, tree->rootIndex())), QStringLiteral("/"));
    EXPECT_EQ(tree->header()->isHidden(), true);
    EXPECT_EQ(tree->dragDropMode(), QAbstractItemView::NoDragDrop);

    tree->SelectPath(m_docs);
    const QModelIndex docs = tree->IndexOf(m_docs);
    ASSERT_TRUE(docs.isValid());
    EXPECT_EQ(tree->SelectedPath(), m_docs);
    EXPECT_TRUE(tree->isExpanded(docs));
    QTRY_COMPARE(ShownChildren(*tree, docs).size(), 3);
    QStringList shown = ShownChildren(*tree, docs);
    shown.sort();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Zeta"), QStringLiteral("sub"), QStringLiteral("日本語")}));
    EXPECT_FALSE(tree->IndexOf(m_docs + QStringLiteral("/.hidden")).isValid());
    EXPECT_FALSE(tree->IndexOf(m_docs + QStringLiteral("/file.txt")).isValid());

    // A click on a box ticks it and the folder becomes a line; Space on the current folder
    // ticks it too.
    const QString sub = m_docs + QStringLiteral("/sub");
    const QString japanese = m_docs + QStringLiteral("/日本語");
    const QModelIndex subIndex = tree->IndexOf(sub);
    ASSERT_TRUE(subIndex.isValid());
    tree->scrollTo(subIndex);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, CheckBoxCentre(*tree, subIndex));
    EXPECT_TRUE(tree->IsChecked(sub));
    EXPECT_EQ(edit->toPlainText(), sub);

    tree->setFocus();
    tree->setCurrentIndex(tree->IndexOf(japanese));
    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_TRUE(tree->IsChecked(japanese));
    EXPECT_EQ(edit->toPlainText(), sub + QLatin1Char('\n') + japanese);

    // A line typed by hand in another letter case is the same folder: clearing removes it.
    edit->setPlainText(japanese + QLatin1Char('\n') + sub.toUpper() + QLatin1Char('\n'));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, CheckBoxCentre(*tree, subIndex));
    EXPECT_FALSE(tree->IsChecked(sub));
    EXPECT_EQ(edit->toPlainText(), japanese + QLatin1Char('\n'));

    // An emptied text keeps the tree's marks; clearing a box then changes nothing.
    edit->clear();
    EXPECT_TRUE(tree->IsChecked(japanese));
    QTest::keyClick(tree, Qt::Key_Space);
    EXPECT_FALSE(tree->IsChecked(japanese));
    EXPECT_EQ(edit->toPlainText(), QString());
}

TEST_F(FolderTreeTest, MarksAreKeptByPathAndUnknownPathsAreIgnored) {
    FolderTree tree;
    std::vector<std::string> told;
    QObject::connect(&tree, &FolderTree::checkStateChanged, [&](const QString& path, bool checked) {
        told.push_back((checked ? "+" : "-") + path.toStdString());
    });
    tree.SetChecked(m_docs + QStringLiteral("/"), true);  // a trailing "/" names the same folder
    tree.SetChecked(m_docs, true);                        // already ticked: no second report
    tree.SetChecked(m_docs + QStringLiteral("/missing"), true);
    tree.SetChecked(m_docs + QStringLiteral("/.hidden"), true);
    QDir().mkpath(m_docs + QStringLiteral("/.hidden/inner"));
    tree.SetChecked(m_docs + QStringLiteral("/.hidden/inner"), true);
    tree.SelectPath(m_docs + QStringLiteral("/missing"));
    EXPECT_EQ(told, std::vector<std::string>{"+" + m_docs.toStdString()});
    EXPECT_TRUE(tree.IsChecked(m_docs));
    EXPECT_TRUE(tree.IsChecked(m_docs + QStringLiteral("/")));
    tree.SelectPath(QStringLiteral("/"));
    EXPECT_EQ(tree.SelectedPath().toStdString(), "/");
}

}  // namespace
