#include "indexer/TfrmMakeIndex.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "NamazuFixture.h"
#include "TestSupport.h"
#include "app/TfrmMain.h"
#include "config/FileIo.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "indexer/FolderTree.h"
#include "indexer/IndexProgressPanel.h"
#include "process/AppContext.h"
#include "process/QtOutputView.h"
#include "process/TfrmWindow.h"
#include "results/ResultView.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

std::string S(const QString& text) {
    return text.toStdString();
}

// Waits until the window is QApplication's active one: a window shown over another gets its
// activation a little later (qWaitForWindowActive already counts the owner's).
bool WaitActive(QWidget* window) {
    for (int i = 0; i < 300 && QApplication::activeWindow() != window; ++i) QTest::qWait(10);
    return QApplication::activeWindow() == window;
}

// Clicks a check box or radio button on its box: a click right of its text misses it.
void Click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

// Types into the focused widget; characters without a key of their own come as key events
// that carry their text, as an input method delivers them.
void Type(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(target, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

void Type(const QString& text) {
    Type(QApplication::focusWidget(), text);
}

class PathOverride {
public:
    explicit PathOverride(const std::string& front) : m_old(std::getenv("PATH")) {
        ::setenv("PATH", (front + ":" + m_old).c_str(), 1);
    }
    ~PathOverride() { ::setenv("PATH", m_old.c_str(), 1); }

private:
    std::string m_old;
};

// A make-index window over a settings file a user could have.
struct Fixture {
    explicit Fixture(const std::string& ini = "") {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        if (!ini.empty()) dir.WriteFile("quarrow.ini", ini);
        ctx.settings = InitSettings(ctx.platform);
        form = std::make_unique<TfrmMakeIndex>(ctx);
    }
    void Show() {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void ShowPage(QWidget* page) {
        QTabBar* bar = form->pgeMknmz->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(form->pgeMknmz->indexOf(page)).center());
        ASSERT_EQ(form->pgeMknmz->currentWidget(), page);
        QCoreApplication::processEvents();  // the page lays itself out when first shown
    }
    // Clicks into a field and types, as a user does.
    void TypeInto(QWidget* field, const QString& text) {
        QTest::mouseClick(field, Qt::LeftButton);
        field->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(field)) line->selectAll();
        Type(text);
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        for (int i = 0; i < form->lstCmdlineList->count(); ++i)
            entries.push_back(S(form->lstCmdlineList->item(i)->text()));
        return entries;
    }
    std::vector<std::string> ProcessLines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < form->edtProcess->LineCount(); ++i) lines.push_back(form->edtProcess->Line(i));
        return lines;
    }
    bool ProcessHas(const std::string& text) const {
        for (const std::string& line : ProcessLines()) {
            if (line.find(text) != std::string::npos) return true;
        }
        return false;
    }
    // Whether a line of the process view shows `text`, as the user reads it.
    bool ProcessShows(const QString& text) const {
        for (int i = 0; i < form->edtProcess->LineCount(); ++i) {
            if (form->edtProcess->LineText(i).contains(text)) return true;
        }
        return false;
    }
    // Types a command into edtCommandLine on the page 実行画面 and runs it with Enter.
    void RunSingle(const QString& command) {
        ShowPage(form->tabProcess);
        QTest::mouseClick(form->edtCommandLine->viewport(), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        Type(command);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    void AddEntry(const QString& entry) {
        ShowPage(form->tabReserve);
        TypeInto(form->edtCmdlineEdit, entry);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    std::unique_ptr<TfrmMakeIndex> form;
};

// What the system sends for a double click: press, release, press, double click, release.
void DoubleClick(QWidget* widget, QPoint at) {
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// A point on a row of the list, at its left where the text is.
QPoint ItemPoint(QListWidget* list, int row) {
    const QRect rect = list->visualItemRect(list->item(row));
    return QPoint(rect.left() + 10, rect.center().y());
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

// Opens the tree down to a folder (as the user would by its arrows) and clicks its box.
void TickFolder(FolderTree& tree, const QString& path) {
    tree.SelectPath(path);
    const QModelIndex index = tree.IndexOf(path);
    ASSERT_TRUE(index.isValid()) << S(path);
    tree.scrollTo(index);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, CheckBoxCentre(tree, index));
    ASSERT_TRUE(tree.IsChecked(path)) << S(path);
}

void CopyDocs(const std::string& to) {
    QDir().mkpath(QString::fromStdString(to));
    const QDir from(QString::fromStdString(TestDataPath("docs")));
    for (const QString& name : from.entryList(QDir::Files)) {
        QFile::copy(from.filePath(name), QString::fromStdString(to) + u'/' + name);
    }
}

// ---- the form ----

TEST(TfrmMakeIndex, FormPagesAndControlsAsCreated) {
    Fixture f;
    TfrmMakeIndex& w = *f.form;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("インデックス作成"));
    EXPECT_TRUE(w.isModal());
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.size(), QSize(497, 344));
    EXPECT_EQ(w.minimumSize(), QSize(497, 344));
    EXPECT_EQ(w.font().pixelSize(), 12);
    EXPECT_EQ(w.pgeMknmz->currentWidget(), w.tab1);
    EXPECT_EQ(w.tvFolder->SelectedPath(), QStringLiteral("/"));
    EXPECT_EQ(w.lblProgress->text(), QString());

    const QStringList pages = {QStringLiteral("ディレクトリ(&1)"), QStringLiteral("ファイル(&2)"),
                               QStringLiteral("その他(&3)"), QStringLiteral("実行予約(&4)"),
                               QStringLiteral("実行画面(&5)")};
    ASSERT_EQ(w.pgeMknmz->count(), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w.pgeMknmz->tabText(i), pages[i]);

    struct Row {
        const char* name;
        const char* caption;  // text of a button or check box, "" when it has none
        bool enabled;         // at creation
    };
    const Row rows[] = {
        {"btnMakeCmdline", "コマンドリスト作成(&L)", true},
        {"btnExit", "終了", true},
        {"btnClearTargetDir", "クリア(&A)", true},
        {"chkMakeEach", "ディレクトリ毎に作成(&E)", true},
        {"chkCreateDirEach", "出力先にディレクトリ作成(&C)", false},
        {"chkSerialDirName", "ディレクトリ名は連番(&N)", false},
        {"chkExcludeDir", "除外するパス名を指定(&X)", true},
        {"edtExcludeDirPattern", "", false},
        {"chkOutputDir", "出力先を指定(&O)", true},
        {"edtOutputDir", "", false},
        {"optTargetDefault", "既定値(&D)", true},
        {"optTargetAll", "すべてのファイル(&A)", true},
        {"optTargetRegex", "正規表現によるパターンで指定(&R)", true},
        {"edtTargetFilePattern", "", false},
        {"chkTargetFileList", "一覧の書かれたファイルを指定(&F)", true},
        {"edtTargetFileListFileName", "", false},
        {"btnEditFileList", "編集(&E)...", false},
        {"chkDenyFile", "拒絶するファイル名を指定(&N)", true},
        {"edtDenyFilePattern", "", false},
        {"btnSetDefaultFile", "既定値(&S)", true},
        {"chkMediaType", "ファイルの文書形式を指定(&T)", true},
        {"edtMediaType", "", false},
        {"chkReplace", "URIの置換を行う(&R)", true},
        {"edtReplace", "", false},
        {"chkMknmzrc", "設定ファイルを指定する(&C)", true},
        {"edtMknmzrcFileName", "", false},
        {"edtOtherParameters", "", true},
        {"btnHelp", "オプション説明(&E)...", true},
        {"btnSetDefaultEtc", "既定値(&S)", true},
        {"edtCmdlineEdit", "", true},
        {"btnCmdlineAdd", "追加(&A)", true},
        {"btnCmdlineModify", "変更(&I)", false},
        {"btnCmdlineDelete", "削除(&E)", false},
        {"btnCmdlineUp", "上へ(&U)", false},
        {"btnCmdlineDown", "下へ(&D)", false},
        {"btnCmdlineClear", "全削除", false},
        {"btnLoadCmdList", "読み込み(&O)", true},
        {"btnSaveCmdList", "保存(&S)", true},
        {"btnMakeIndex", "インデックス作成(&M)", true},
        {"btnRunMknmz", "実行", true},
        {"btnStop", "中止", false},
    };
    for (const Row& row : rows) {
        QWidget* widget = w.findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(widget, nullptr) << row.name;
        EXPECT_EQ(widget->isEnabled(), row.enabled) << row.name;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            EXPECT_EQ(S(button->text()), row.caption) << row.name;
        }
    }
    EXPECT_TRUE(w.optTargetDefault->isChecked());
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblShiftNote"))->text(),
              QStringLiteral("Shiftキーを押しながらボタンを押すと→\n既存のリストに追加できます。"));
    EXPECT_EQ(w.edtTargetDirectories->toolTip(),
              QStringLiteral("複数ディレクトリを指定するときは改行で区切ります"));
    EXPECT_EQ(w.chkSerialDirName->toolTip(), QStringLiteral("index1, index2, ... という名前で作成します"));
    EXPECT_EQ(w.btnSetDefaultFile->toolTip(), QStringLiteral("既定値として保存します"));
    EXPECT_EQ(w.btnSetDefaultEtc->toolTip(), QStringLiteral("既定値として保存します"));
    ASSERT_EQ(w.lstCriteria->count(), 12);
    EXPECT_EQ(w.lstCriteria->item(11)->text(),
              QStringLiteral("インデックス処理の最中にメッセージを表示しない (--quiet)"));
    EXPECT_FALSE(w.edtProcess->Selectable());
    EXPECT_TRUE(w.edtProcess->font().fixedPitch());
    EXPECT_EQ(w.mnuCopy->text(), QStringLiteral("コピー(&C)"));
}

TEST(TfrmMakeIndex, EnablingRulesFollowTheBoxes) {
    Fixture f;
    f.Show();
    TfrmMakeIndex& w = *f.form;
    Click(w.chkOutputDir);
    EXPECT_TRUE(w.edtOutputDir->isEnabled());
    Click(w.chkExcludeDir);
    EXPECT_TRUE(w.edtExcludeDirPattern->isEnabled());
    Click(w.chkMakeEach);
    EXPECT_TRUE(w.chkCreateDirEach->isEnabled());
    EXPECT_FALSE(w.chkSerialDirName->isEnabled());
    Click(w.chkCreateDirEach);
    EXPECT_TRUE(w.chkSerialDirName->isEnabled());
    Click(w.chkSerialDirName);
    // Unchecking chkMakeEach disables both, and they keep their marks.
    Click(w.chkMakeEach);
    EXPECT_FALSE(w.chkCreateDirEach->isEnabled());
    EXPECT_FALSE(w.chkSerialDirName->isEnabled());
    EXPECT_TRUE(w.chkCreateDirEach->isChecked());
    EXPECT_TRUE(w.chkSerialDirName->isChecked());

    f.ShowPage(w.tab2);
    Click(w.optTargetRegex);
    EXPECT_TRUE(w.edtTargetFilePattern->isEnabled());
    Click(w.optTargetAll);
    EXPECT_FALSE(w.edtTargetFilePattern->isEnabled());
    Click(w.chkTargetFileList);
    EXPECT_TRUE(w.edtTargetFileListFileName->isEnabled());
    EXPECT_TRUE(w.btnEditFileList->isEnabled());
    Click(w.chkDenyFile);
    EXPECT_TRUE(w.edtDenyFilePattern->isEnabled());

    f.ShowPage(w.tab3);
    for (QCheckBox* box : {w.chkMediaType, w.chkReplace, w.chkMknmzrc}) Click(box);
    EXPECT_TRUE(w.edtMediaType->isEnabled());
    EXPECT_TRUE(w.edtReplace->isEnabled());
    EXPECT_TRUE(w.edtMknmzrcFileName->isEnabled());
}

TEST(TfrmMakeIndex, StoredDefaultsAreShownAndEachPageStoresItsOwn) {
    Fixture f(
        "[MknmzDefault]\nTargetFile=RegEx\nRegEx=\\.txt$\nUseDenyFile=1\nDenyFilePattern=tmp\n"
        "UseMediaType=1\nMediaType=text/plain\nOptionCount=2\nOption1= --no-symbol \nOption2=--quiet\n"
        "MknmzrcFileName=  /etc/mknmzrc  \n");
    f.Show();
    TfrmMakeIndex& w = *f.form;
    EXPECT_TRUE(w.optTargetRegex->isChecked());
    EXPECT_TRUE(w.edtTargetFilePattern->isEnabled());
    EXPECT_EQ(w.edtTargetFilePattern->text(), QStringLiteral("\\.txt$"));
    EXPECT_TRUE(w.chkDenyFile->isChecked());
    EXPECT_TRUE(w.edtDenyFilePattern->isEnabled());
    EXPECT_TRUE(w.chkMediaType->isChecked());
    EXPECT_TRUE(w.edtMediaType->isEnabled());
    EXPECT_EQ(w.edtMknmzrcFileName->text(), QStringLiteral("/etc/mknmzrc"));
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(w.lstCriteria->item(i)->checkState() == Qt::Checked, i == 3 || i == 11) << i;
    }

    // "既定値(&S)" on the page ファイル stores that page's keys only.
    f.ShowPage(w.tab2);
    Click(w.optTargetAll);
    QTest::mouseClick(w.btnSetDefaultFile, Qt::LeftButton);
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_EQ(f.prompter.calls[0].buttons, MessageButtons::OkCancel);
    IniFile ini;
    ASSERT_TRUE(ini.Load(f.dir.Path("quarrow.ini"), CodePage::Utf8));
    EXPECT_EQ(ini.ReadString("MknmzDefault", "TargetFile", ""), "All");
    EXPECT_EQ(ini.ReadString("MknmzDefault", "Option1", ""), " --no-symbol ");
    EXPECT_EQ(ini.ReadString("MknmzDefault", "MknmzrcFileName", ""), "  /etc/mknmzrc  ");
}

// ---- the command list ----

TEST(TfrmMakeIndex, ListButtonsEditTheList) {
    Fixture f;
    f.Show();
    TfrmMakeIndex& w = *f.form;
    // Enter in edtCmdlineEdit presses btnCmdlineAdd.
    f.AddEntry(QStringLiteral("*mknmz --all \"/docs\""));
    f.AddEntry(QStringLiteral("  *mkdir \"/idx\"  "));
    EXPECT_EQ(f.Entries(), (std::vector<std::string>{"*mknmz --all \"/docs\"", "*mkdir \"/idx\""}));
    EXPECT_TRUE(w.btnCmdlineClear->isEnabled());
    EXPECT_FALSE(w.btnCmdlineModify->isEnabled());

    // The same entry in another letter case asks first; No keeps the list.
    f.prompter.messageAnswers = {MessageResult::No};
    f.AddEntry(QStringLiteral("*MKNMZ --ALL \"/DOCS\""));
    EXPECT_EQ(f.prompter.Messages().back(),
              QStringLiteral("同じコマンドラインが存在します。\n追加してもよろしいですか？"));
    EXPECT_EQ(f.Entries().size(), 2u);

    // Select the second, move it up, change it, copy it back by double click and by Enter.
    QListWidget* list = w.lstCmdlineList;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, ItemPoint(list, 1));
    EXPECT_TRUE(w.btnCmdlineUp->isEnabled());
    QTest::mouseClick(w.btnCmdlineUp, Qt::LeftButton);
    EXPECT_EQ(f.Entries()[0], "*mkdir \"/idx\"");
    EXPECT_EQ(list->currentRow(), 0);
    f.TypeInto(w.edtCmdlineEdit, QStringLiteral("*mkdir \"/idx2\""));
    QTest::mouseClick(w.btnCmdlineModify, Qt::LeftButton);
    EXPECT_EQ(f.Entries()[0], "*mkdir \"/idx2\"");
    w.edtCmdlineEdit->clear();
    DoubleClick(list->viewport(), ItemPoint(list, 1));
    EXPECT_EQ(w.edtCmdlineEdit->text(), QStringLiteral("*mknmz --all \"/docs\""));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(w.edtCmdlineEdit->text(), QStringLiteral("*mkdir \"/idx2\""));
    EXPECT_EQ(f.Entries().size(), 2u) << "Enter in the list adds nothing";
    QTest::mouseClick(w.btnCmdlineDown, Qt::LeftButton);
    EXPECT_EQ(f.Entries()[1], "*mkdir \"/idx2\"");
    QTest::mouseClick(w.btnCmdlineDelete, Qt::LeftButton);
    EXPECT_EQ(f.Entries(), std::vector<std::string>{"*mknmz --all \"/docs\""});
    EXPECT_EQ(list->currentRow(), 0);

    // Saved with CR LF after every line, loaded back.
    const std::string file = f.dir.Path("list.txt");
    f.prompter.fileAnswers = {QString::fromStdString(file)};
    QTest::mouseClick(w.btnSaveCmdList, Qt::LeftButton);
    EXPECT_EQ(f.dir.ReadFile("list.txt"),
              "This is a 'Quarrow for Namazu' Command Line List File.\r\n*mknmz --all \"/docs\"\r\n");

    // Clearing asks with No as the default; Yes empties and puts the focus into the edit.
    f.prompter.messageAnswers = {MessageResult::Yes};
    QTest::mouseClick(w.btnCmdlineClear, Qt::LeftButton);
    EXPECT_EQ(f.prompter.calls.back().buttons, MessageButtons::YesNoDefaultNo);
    EXPECT_TRUE(f.Entries().empty());
    EXPECT_FALSE(w.btnCmdlineClear->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), w.edtCmdlineEdit);

    f.dir.WriteFile("brought.txt",
                    "This is a 'Quarrow for Namazu' Command Line List File.\r\n*mkdir \"C:\\\x95\x5c\"\r\n");
    f.prompter.fileAnswers = {QString::fromStdString(f.dir.Path("brought.txt"))};
    QTest::mouseClick(w.btnLoadCmdList, Qt::LeftButton);
    EXPECT_EQ(f.Entries(), std::vector<std::string>{"*mkdir \"C:\\表\""});
    EXPECT_TRUE(w.btnCmdlineClear->isEnabled());

    // An empty list cannot be run.
    f.prompter.messageAnswers = {MessageResult::Yes};
    QTest::mouseClick(w.btnCmdlineClear, Qt::LeftButton);
    QTest::mouseClick(w.btnMakeIndex, Qt::LeftButton);
    EXPECT_EQ(f.prompter.Messages().back(), QStringLiteral("予約されたコマンドがありません。"));
    EXPECT_EQ(f.prompter.calls.back().caption, QStringLiteral("エラー"));
}

TEST(TfrmMakeIndex, AnEntryIsOneLineAndOneThatCannotRunSaysSo) {
    Fixture f;
    f.Show();
    TfrmMakeIndex& w = *f.form;
    // A pasted text with a line break becomes an entry of its first line.
    f.ShowPage(w.tabReserve);
    QApplication::clipboard()->setText(QStringLiteral("!/bin/echo pasted\r\n!/bin/echo second"));
    f.TypeInto(w.edtCmdlineEdit, QString());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    // Options alone: Yes makes them a *mknmz entry, No keeps them as typed.
    f.prompter.messageAnswers = {MessageResult::Yes, MessageResult::No};
    f.AddEntry(QStringLiteral("-V"));
    f.AddEntry(QStringLiteral("--output=/tmp/x /tmp/docs"));
    EXPECT_EQ(f.Entries(), (std::vector<std::string>{"!/bin/echo pasted", "*mknmz -V", "--output=/tmp/x /tmp/docs"}));
    ASSERT_EQ(f.prompter.Messages().size(), 2u);
    EXPECT_EQ(f.prompter.Messages()[1], QStringLiteral("先頭が * でも ! でもないコマンドは実行されません。\n"
                                                       "「*mknmz --output=/tmp/x /tmp/docs」として追加しますか？"));

    // The run says that the last entry was not carried out, and the bar is not full.
    QListWidget* list = w.lstCmdlineList;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, ItemPoint(list, 1));
    QTest::mouseClick(w.btnCmdlineDelete, Qt::LeftButton);
    QTest::mouseClick(w.btnMakeIndex, Qt::LeftButton);
    EXPECT_EQ(w.lblProgress->text(), QStringLiteral("2 / 2"));
    EXPECT_TRUE(f.ProcessShows(QStringLiteral("pasted")));
    EXPECT_FALSE(f.ProcessShows(QStringLiteral("second")));
    EXPECT_TRUE(f.ProcessShows(QStringLiteral("*** 実行されませんでした: 先頭が * でも ! でもない行です ***")));
    QProgressBar* bar = w.pnlRunProgress->pbrProgress;
    EXPECT_EQ(bar->text(), QStringLiteral("未実行"));
    EXPECT_LT(bar->value(), bar->maximum());
    EXPECT_EQ(f.prompter.Messages().size(), 2u);
}

TEST(TfrmMakeIndex, TheTreeFillsTheTargetsAndTheFormBecomesEntries) {
    Fixture f;
    f.Show();
    TfrmMakeIndex& w = *f.form;
    const QString a = QString::fromStdString(f.dir.Folder() + "文書 A");
    const QString b = QString::fromStdString(f.dir.Folder() + "b");
    QDir().mkpath(a);
    QDir().mkpath(b);
    TickFolder(*w.tvFolder, a);
    TickFolder(*w.tvFolder, b);
    EXPECT_EQ(w.edtTargetDirectories->toPlainText(), a + u'\n' + b);

    // Two targets need an output folder or one index each.
    QTest::mouseClick(w.btnMakeCmdline, Qt::LeftButton);
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_TRUE(f.prompter.Messages()[0].startsWith(QStringLiteral("複数ディレクトリを対象とするときは")));
    EXPECT_EQ(w.pgeMknmz->currentWidget(), w.tab1);

    Click(w.chkMakeEach);
    QTest::mouseClick(w.btnMakeCmdline, Qt::LeftButton);
    EXPECT_EQ(w.pgeMknmz->currentWidget(), w.tabReserve);
    EXPECT_EQ(QApplication::focusWidget(), w.edtCmdlineEdit);
    EXPECT_EQ(f.Entries(), (std::vector<std::string>{"*mknmz --output=\"" + S(a) + "\" \"" + S(a) + "\"",
                                                     "*mknmz --output=\"" + S(b) + "\" \"" + S(b) + "\""}));
    EXPECT_TRUE(w.btnCmdlineClear->isEnabled());

    // With Shift held the new entries go after the old ones.
    f.ShowPage(w.tab1);
    QTest::mouseClick(w.btnMakeCmdline, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(f.Entries().size(), 4u);

    // Clearing the text keeps the marks; clearing a box then changes nothing.
    f.ShowPage(w.tab1);
    QTest::mouseClick(w.btnClearTargetDir, Qt::LeftButton);
    EXPECT_TRUE(w.edtTargetDirectories->toPlainText().isEmpty());
    EXPECT_TRUE(w.tvFolder->IsChecked(a));
}

// ---- running ----

TEST(TfrmMakeIndex, BuildsAnIndexFromTheTreeAndTheSearchWindowFindsItsWords) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    TempProgramDir dir;
    // Both with blanks and Japanese: mknmz hands its output folder to Perl's glob.
    const std::string docs = dir.Folder() + "文書 フォルダ";
    const std::string index = dir.Folder() + "索引 フォルダ";
    CopyDocs(docs);
    FakePrompter prompter;
    AppContext ctx;
    ctx.platform = dir.Profile();
    ctx.prompter = &prompter;
    ctx.settings = InitSettings(ctx.platform);
    ctx.settings.Window.ShowExplanation = "0";
    TfrmMain window(ctx);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    bool drove = false;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TfrmMakeIndex*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(WaitActive(w));
        TickFolder(*w->tvFolder, QString::fromStdString(docs));
        Click(w->chkOutputDir);
        QTest::mouseClick(w->edtOutputDir, Qt::LeftButton);
        Type(QString::fromStdString(index));
        QTest::mouseClick(w->btnMakeCmdline, Qt::LeftButton);
        // The output folder does not exist: the question, answered Yes, creates it.
        EXPECT_EQ(prompter.Messages(),
                  std::vector<QString>{QStringLiteral("出力先のディレクトリは存在しません。作成しますか?")});
        ASSERT_EQ(w->lstCmdlineList->count(), 1);
        EXPECT_EQ(S(w->lstCmdlineList->item(0)->text()),
                  "*mknmz --output=\"" + index + "\" \"" + docs + "\"");

        QTest::mouseClick(w->btnMakeIndex, Qt::LeftButton);  // returns when the run has ended
        EXPECT_EQ(w->pgeMknmz->currentWidget(), w->tabProcess);
        EXPECT_EQ(w->lblProgress->text(), QStringLiteral("1 / 1"));
        EXPECT_EQ(S(w->edtCommandLine->toPlainText()), S(w->lstCmdlineList->item(0)->text()));
        QProgressBar* bar = w->pnlRunProgress->pbrProgress;
        EXPECT_EQ(bar->maximum(), 9);
        EXPECT_EQ(bar->value(), 9);
        EXPECT_TRUE(w->pnlRunProgress->lblCurrentFile->toolTip().endsWith(QStringLiteral("/メモ 2024.txt")))
            << S(w->pnlRunProgress->lblCurrentFile->toolTip());
        EXPECT_TRUE(w->pnlRunProgress->lblElapsed->text().startsWith(QStringLiteral("経過 0:")));
        EXPECT_TRUE(w->edtProcess->Selectable());
        EXPECT_TRUE(w->btnExit->isEnabled());
        bool nineOfNine = false;
        for (int i = 0; i < w->edtProcess->LineCount(); ++i) {
            nineOfNine = nineOfNine || w->edtProcess->Line(i).rfind("9/9 - ", 0) == 0;
        }
        EXPECT_TRUE(nineOfNine);
        QTest::mouseClick(w->btnExit, Qt::LeftButton);
        drove = true;
    });
    QTest::keyClick(&window, Qt::Key_K, Qt::ControlModifier);  // mnuMakeIndex; returns when it closes
    ASSERT_TRUE(drove);
    window.activateWindow();  // the desktop gives the owner its activation back
    ASSERT_TRUE(WaitActive(&window));
    EXPECT_TRUE(FileExists(index + "/NMZ.i"));
    EXPECT_TRUE(FileExists(index + "/NMZ.field.uri"));
    const QDir written(QString::fromStdString(index));
    EXPECT_TRUE(written.entryList({QStringLiteral("*.tmp")}, QDir::Files).isEmpty())
        << S(written.entryList(QDir::Files).join(u' '));
    EXPECT_TRUE(QDir(QString::fromStdString(ctx.platform.tempFolder))
                    .entryList({QStringLiteral("mknmz-output-*")}, QDir::System | QDir::Files)
                    .isEmpty())
        << "the link to the output folder is gone";
    EXPECT_EQ(prompter.Messages().size(), 1u);

    // The search window finds an English and a Japanese word in the new index.
    auto* place = window.findChild<QComboBox*>(QStringLiteral("cboIndexDir"));
    auto* keyword = window.findChild<QComboBox*>(QStringLiteral("cboKeyword"));
    auto* result = window.findChild<ResultView*>(QStringLiteral("edtResult"));
    for (const auto& [query, file] :
         {std::pair{QStringLiteral("lighthouse"), QStringLiteral("english.txt")},
          std::pair{QStringLiteral("灯台"), QStringLiteral("japanese-sjis.txt")}}) {
        place->setFocus();
        place->lineEdit()->selectAll();
        Type(QString::fromStdString("\"" + index + "\""));
        keyword->setFocus();
        keyword->lineEdit()->selectAll();
        Type(query);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_TRUE(result->toPlainText().contains(file)) << S(query) << "\n" << S(result->toPlainText());
    }
    window.close();
}

TEST(TfrmMakeIndex, DosWindowModeRunsEachCommandInATerminal) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    Fixture f("[Mknmz]\nShowProcess=DOSWindow\n");
    const std::string log = f.dir.Path("terminal.log");
    QDir().mkpath(QString::fromStdString(f.dir.Path("bin")));
    f.dir.WriteFile("bin/x-terminal-emulator",
                    "#!/bin/sh\n[ \"$1\" = -e ] || exit 9\nshift\nprintf '[%s]' \"$@\" >> '" + log +
                        "'\necho >> '" + log + "'\nexec \"$@\"\n");
    ::chmod(f.dir.Path("bin/x-terminal-emulator").c_str(), 0755);
    PathOverride path(f.dir.Path("bin"));
    const std::string index = f.dir.Folder() + "index";
    f.Show();
    f.AddEntry(QString::fromStdString("*mkdir \"" + index + "\""));
    f.AddEntry(QString::fromStdString("*mknmz --output=\"" + index + "\" \"" + TestDataPath("docs") + "\""));
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    EXPECT_EQ(f.form->lblProgress->text(), QStringLiteral("2 / 2"));
    EXPECT_EQ(f.dir.ReadFile("terminal.log"),
              "[/usr/bin/perl][/usr/bin/mknmz][--output=" + index + "][" + TestDataPath("docs") + "]\n");
    EXPECT_TRUE(FileExists(index + "/NMZ.i"));
    EXPECT_EQ(f.form->edtProcess->LineCount(), 0) << "nothing is captured";
    EXPECT_EQ(f.form->pnlRunProgress->pbrProgress->value(), f.form->pnlRunProgress->pbrProgress->maximum());
    EXPECT_TRUE(f.prompter.Messages().empty()) << S(f.prompter.Messages().front());
}

TEST(TfrmMakeIndex, ClosingIsRefusedWhileAListRuns) {
    Fixture f;
    f.Show();
    f.AddEntry(QStringLiteral("!/bin/sh -c \"sleep 1; echo slept\""));
    bool closedDuringRun = true;
    bool visibleDuringRun = false;
    bool exitEnabledDuringRun = true;
    QTimer::singleShot(300, [&] {
        exitEnabledDuringRun = f.form->btnExit->isEnabled();
        QTest::keyClick(f.form.get(), Qt::Key_Escape);
        closedDuringRun = f.form->close();
        visibleDuringRun = f.form->isVisible();
    });
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    EXPECT_FALSE(exitEnabledDuringRun);
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(visibleDuringRun);
    EXPECT_TRUE(f.ProcessHas("slept"));
    // Afterwards Escape closes it, and its placement is stored under [Mknmz] beside ShowProcess.
    f.form->move(40, 50);
    const QRect placed = f.form->geometry();
    QTest::keyClick(f.form.get(), Qt::Key_Escape);
    EXPECT_FALSE(f.form->isVisible());
    const std::string ini = f.dir.ReadFile("quarrow.ini");
    IniFile stored(ini);
    EXPECT_EQ(stored.ReadString("Mknmz", "ShowProcess", "?"), "Internal");
    EXPECT_EQ(stored.ReadString("Mknmz", "NormPos", ""), QStringLiteral("%1,%2,%3,%4")
                                                             .arg(placed.x())
                                                             .arg(placed.y())
                                                             .arg(placed.x() + 497)
                                                             .arg(placed.y() + 344)
                                                             .toStdString());

    Fixture again;
    again.dir.WriteFile("quarrow.ini", ini);
    again.form = std::make_unique<TfrmMakeIndex>(again.ctx);
    EXPECT_EQ(again.form->geometry(), placed);
}

TEST(TfrmMakeIndex, TheStopButtonEndsARealRunAndTheNextBuildSucceeds) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "namazu or mknmz missing";
    constexpr int kDocuments = 800;
    Fixture f;
    const std::string docs = f.dir.Folder() + "corpus";
    const std::string index = f.dir.Folder() + "index";
    NamazuFixture::GenerateCorpus(docs, kDocuments);
    QDir().mkpath(QString::fromStdString(index));
    f.Show();
    f.AddEntry(QString::fromStdString("*mknmz --output=\"" + index + "\" \"" + docs + "\""));
    f.AddEntry(QString::fromStdString("!/bin/sh -c \"echo ran > '" + f.dir.Path("second.log") + "'\""));

    // Stop once mknmz has read a few dozen documents.
    QProgressBar* bar = f.form->pnlRunProgress->pbrProgress;
    int stoppedAt = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (bar->value() < 30 || stoppedAt) return;
        stoppedAt = bar->value();
        QTest::mouseClick(f.form->pnlRunProgress->btnStop, Qt::LeftButton);
    });
    poll.start(20);
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    poll.stop();
    ASSERT_GT(stoppedAt, 0);
    EXPECT_EQ(f.form->lblProgress->text(), QStringLiteral("1 / 2"));
    EXPECT_LT(bar->value(), kDocuments);
    EXPECT_TRUE(f.ProcessHas("SIGTERM caught!"));
    EXPECT_TRUE(f.ProcessHas("*** 中止しました ***"));
    EXPECT_TRUE(f.ProcessHas("*** 残りの 1 件のコマンドは実行していません ***"));
    EXPECT_FALSE(FileExists(f.dir.Path("second.log")));
    EXPECT_TRUE(f.form->btnExit->isEnabled());
    EXPECT_TRUE(f.form->btnMakeIndex->isEnabled());
    EXPECT_FALSE(f.form->pnlRunProgress->btnStop->isEnabled());

    // What the stopped mknmz left: an index of the documents it had read, no lock, no temporary file.
    QStringList left = QDir(QString::fromStdString(index)).entryList(QDir::Files);
    std::cout << "left after the stop: " << S(left.join(u' ')) << "\n";
    EXPECT_TRUE(left.contains(QStringLiteral("NMZ.i")));
    EXPECT_FALSE(left.contains(QStringLiteral("NMZ.lock2")));
    EXPECT_TRUE(left.filter(QStringLiteral(".tmp")).isEmpty());

    // Stopped again without waiting (強制終了): mknmz is killed with its lock in the folder, which
    // would refuse the next build; the lock of the killed mknmz is removed.
    stoppedAt = 0;
    QObject::disconnect(&poll, &QTimer::timeout, nullptr, nullptr);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (bar->value() < 30 || stoppedAt) return;
        stoppedAt = bar->value();
        QTest::mouseClick(f.form->pnlRunProgress->btnStop, Qt::LeftButton);
        QTest::mouseClick(f.form->pnlRunProgress->btnStop, Qt::LeftButton);
    });
    poll.start(20);
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    poll.stop();
    ASSERT_GT(stoppedAt, 0);
    EXPECT_TRUE(f.ProcessHas("*** 中止しました (強制終了) ***"));
    left = QDir(QString::fromStdString(index)).entryList(QDir::Files);
    std::cout << "left after the forced stop: " << S(left.join(u' ')) << "\n";
    EXPECT_FALSE(left.contains(QStringLiteral("NMZ.lock2")));

    // The same list run again to its end: every document is in the index.
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    EXPECT_EQ(f.form->lblProgress->text(), QStringLiteral("2 / 2"));
    EXPECT_FALSE(f.ProcessHas("中止しました"));
    EXPECT_EQ(f.dir.ReadFile("second.log"), "ran\n");
    MemoryOutputView out;
    RunCommand("/usr/bin/namazu --all --count corpusword \"" + index + "\"", "/", RunMode::Capture, &out,
               f.prompter, CodePage::Utf8, NamazuEnvironment());
    EXPECT_NE(std::find(out.lines.begin(), out.lines.end(), std::to_string(kDocuments) + " "),
              out.lines.end());
    EXPECT_TRUE(f.prompter.Messages().empty());
}

TEST(TfrmMakeIndex, TheRunKeepsItsOwnCopyOfTheList) {
    Fixture f;
    f.Show();
    f.AddEntry(QStringLiteral("!/bin/sh -c \"sleep 0.6; echo one\""));
    f.AddEntry(QStringLiteral("!/bin/sh -c \"echo two\""));
    // The list stays usable during the run: emptying it changes nothing in the running batch.
    QTimer::singleShot(200, [&] {
        f.prompter.messageAnswers = {MessageResult::Yes};
        QTest::mouseClick(f.form->btnCmdlineClear, Qt::LeftButton);
    });
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    EXPECT_TRUE(f.Entries().empty());
    EXPECT_TRUE(f.ProcessHas("one"));
    EXPECT_TRUE(f.ProcessHas("two"));
    EXPECT_EQ(f.form->lblProgress->text(), QStringLiteral("2 / 2"));
}

TEST(TfrmMakeIndex, ASecondPressOfTheStopButtonEndsACommandThatIgnoresTheFirst) {
    Fixture f;
    f.Show();
    f.AddEntry(QStringLiteral("!/bin/sh -c \"trap '' TERM; echo started; sleep 30\""));
    QPushButton* stop = f.form->pnlRunProgress->btnStop;
    QString secondCaption;
    QTimer::singleShot(300, [&] {
        QTest::mouseClick(stop, Qt::LeftButton);
        secondCaption = stop->text();
        QTimer::singleShot(300, [&] { QTest::mouseClick(stop, Qt::LeftButton); });
    });
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(secondCaption, QStringLiteral("強制終了"));
    EXPECT_EQ(stop->text(), QStringLiteral("中止"));
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_TRUE(f.ProcessHas("started"));
    EXPECT_TRUE(f.ProcessHas("*** 中止しました (強制終了) ***"));
}

TEST(TfrmMakeIndex, SingleCommandsAndStartFailures) {
    Fixture f;
    f.Show();
    TfrmMakeIndex& w = *f.form;
    f.ShowPage(w.tabProcess);
    // Enter in edtCommandLine presses btnRunMknmz; an empty text is refused.
    QTest::mouseClick(w.edtCommandLine->viewport(), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(f.prompter.Messages(), std::vector<QString>{QStringLiteral("コマンドを入力してください。")});
    EXPECT_TRUE(w.edtCommandLine->toPlainText().isEmpty()) << "no line break is typed";

    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("!/no/such/program"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(f.prompter.Messages().size(), 2u);
    EXPECT_TRUE(f.prompter.Messages()[1].startsWith(QStringLiteral("コマンドの実行に失敗しました。")));
    EXPECT_EQ(w.lblProgress->text(), QStringLiteral("1 / 1"));

    // A list whose first command cannot start goes on with the next.
    f.AddEntry(QStringLiteral("!/no/such/program"));
    f.AddEntry(QStringLiteral("!/bin/sh -c \"echo after\""));
    QTest::mouseClick(w.btnMakeIndex, Qt::LeftButton);
    EXPECT_EQ(f.prompter.Messages().size(), 3u);
    EXPECT_TRUE(f.ProcessHas("after"));
    EXPECT_EQ(w.lblProgress->text(), QStringLiteral("2 / 2"));
    // The selection is back after the run, and the copy menu follows it.
    w.edtProcess->SelectAll();
    EXPECT_TRUE(w.mnuCopy->isEnabled());
}

TEST(TfrmMakeIndex, OptionHelpOpensOneConsoleThatClosesWithTheWindow) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "mknmz missing";
    Fixture f;
    f.Show();
    auto consoles = [] {
        int n = 0;
        for (QWidget* top : QApplication::topLevelWidgets())
            n += qobject_cast<TfrmWindow*>(top) && top->isVisible();
        return n;
    };
    auto console = [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* w = qobject_cast<TfrmWindow*>(top); w && w->isVisible()) return w;
        }
        return static_cast<TfrmWindow*>(nullptr);
    };
    f.ShowPage(f.form->tab3);
    QTest::mouseClick(f.form->btnHelp, Qt::LeftButton);
    ASSERT_EQ(consoles(), 1);
    QPointer<TfrmWindow> first = console();
    EXPECT_EQ(first->windowTitle(), QStringLiteral("コマンドライン・オプション"));
    // Its own window, kept above the make-index window (which is modal) and usable beside it.
    EXPECT_EQ(first->parentWidget(), f.form.get());
    EXPECT_TRUE(first->isWindow());
    ASSERT_NE(first->windowHandle(), nullptr);
    EXPECT_EQ(first->windowHandle()->transientParent(), f.form->windowHandle());
    EXPECT_EQ(first->edt->RunFlag(), 1);
    EXPECT_EQ(first->edt->Line(2), "\"/usr/bin/perl\" \"/usr/bin/mknmz\" --help");
    EXPECT_GT(first->edt->LineCount(), 20);
    QTest::mouseClick(f.form->btnHelp, Qt::LeftButton);
    EXPECT_EQ(consoles(), 1);
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    QTest::mouseClick(f.form->btnHelp, Qt::LeftButton);
    EXPECT_EQ(consoles(), 1);
    QPointer<TfrmWindow> second = console();
    f.form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(consoles(), 0);
}

TEST(TfrmMakeIndex, EditFileListOpensTheListWithTheDesktopWithoutWaiting) {
    Fixture f;
    const std::string log = f.dir.Path("xdg-open.log");
    QDir().mkpath(QString::fromStdString(f.dir.Path("bin")));
    f.dir.WriteFile("bin/xdg-open", "#!/bin/sh\nsleep 1\necho \"$1\" > '" + log + "'\n");
    ::chmod(f.dir.Path("bin/xdg-open").c_str(), 0755);
    f.dir.WriteFile("リスト.txt", "/docs/a.txt\n");
    PathOverride path(f.dir.Path("bin"));
    f.Show();
    f.ShowPage(f.form->tab2);
    Click(f.form->chkTargetFileList);
    f.prompter.fileAnswers = {QString::fromStdString(f.dir.Path("リスト.txt"))};
    QTest::mouseClick(f.form->btnBrowseTargetFileList, Qt::LeftButton);
    EXPECT_EQ(f.form->edtTargetFileListFileName->text(), QString::fromStdString(f.dir.Path("リスト.txt")));
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(f.form->btnEditFileList, Qt::LeftButton);
    EXPECT_LT(clock.elapsed(), 800);
    for (int i = 0; i < 500 && !FileExists(log); ++i) QTest::qWait(10);
    EXPECT_EQ(f.dir.ReadFile("xdg-open.log"), f.dir.Path("リスト.txt") + "\n");
}

TEST(TfrmMakeIndex, AFailedEntryOrOneWithoutDocumentsDoesNotFillTheBar) {
    if (!NamazuFixture::ProgramsAvailable()) GTEST_SKIP() << "mknmz missing";
    Fixture f;
    const std::string missing = f.dir.Folder() + "無い出力";
    const std::string empty = f.dir.Folder() + "空";
    const std::string index = f.dir.Folder() + "索引";
    QDir().mkpath(QString::fromStdString(empty));
    QDir().mkpath(QString::fromStdString(index));
    f.Show();
    QProgressBar* bar = f.form->pnlRunProgress->pbrProgress;
    struct Row {
        std::string command;
        QString bar;
        QString shown;  // a line of the process view
        bool full;
    };
    const Row rows[] = {
        // mknmz refuses an output folder that does not exist (exit code 2); its EUC-JP message
        // names the folder in UTF-8 on the same line.
        {"*mknmz --output=\"" + missing + "\" \"" + TestDataPath("docs") + "\"", QStringLiteral("失敗"),
         QString::fromStdString("mknmz: " + missing + ": ") + QStringLiteral("無効な出力ディレクトリ指定"),
         false},
        {"*mknmz --output=\"" + index + "\" \"" + empty + "\"", QStringLiteral("対象の文書なし"),
         QStringLiteral("インデックスすべきファイルはありません"), false},
        {"*mknmz --output=\"" + index + "\" \"" + TestDataPath("docs") + "\"", QStringLiteral("9 / 9"),
         QStringLiteral("9個のファイルがインデックス作成の対象として見つかりました"), true},
    };
    for (const Row& row : rows) {
        f.RunSingle(QString::fromStdString(row.command));
        EXPECT_EQ(f.form->lblProgress->text(), QStringLiteral("1 / 1"));
        EXPECT_EQ(bar->text(), row.bar) << row.command;
        EXPECT_EQ(bar->value() == bar->maximum(), row.full) << row.command;
        EXPECT_TRUE(f.ProcessShows(row.shown)) << row.command;
    }
    EXPECT_TRUE(f.prompter.Messages().empty());
}

TEST(TfrmMakeIndex, DosWindowModeWithoutATerminalNamesTheOneItLooksFor) {
    Fixture f("[Mknmz]\nShowProcess=DOSWindow\n");
    QDir().mkpath(QString::fromStdString(f.dir.Path("bin")));
    const std::string oldPath = std::getenv("PATH");
    ::setenv("PATH", f.dir.Path("bin").c_str(), 1);  // no terminal emulator anywhere
    f.Show();
    f.AddEntry(QStringLiteral("!/bin/sh -c \"exit 0\""));
    QTest::mouseClick(f.form->btnMakeIndex, Qt::LeftButton);
    ::setenv("PATH", oldPath.c_str(), 1);
    ASSERT_EQ(f.prompter.Messages().size(), 1u);
    EXPECT_TRUE(f.prompter.Messages()[0].contains(QStringLiteral("x-terminal-emulator")))
        << S(f.prompter.Messages()[0]);
    EXPECT_TRUE(f.prompter.Messages()[0].contains(QStringLiteral("ウィンドウ内に表示")));
    EXPECT_EQ(f.form->pnlRunProgress->pbrProgress->text(), QStringLiteral("失敗"));
    EXPECT_TRUE(f.form->btnMakeIndex->isEnabled());
}

TEST(TfrmMakeIndex, LoadingRefusesWhatIsNoListWithoutReadingItAll) {
    Fixture f;
    f.Show();
    f.AddEntry(QStringLiteral("!kept"));
    f.dir.WriteFile("huge.txt", std::string(8 << 20, 'x'));
    QElapsedTimer clock;
    clock.start();
    for (const std::string& path : {std::string("/dev/zero"), f.dir.Path("huge.txt"), f.dir.Folder()}) {
        f.prompter.fileAnswers = {QString::fromStdString(path)};
        QTest::mouseClick(f.form->btnLoadCmdList, Qt::LeftButton);
        ASSERT_FALSE(f.prompter.Messages().empty()) << path;
        EXPECT_EQ(f.prompter.Messages().back(), QStringLiteral("ファイルが不正です。")) << path;
        EXPECT_EQ(f.Entries(), std::vector<std::string>{"!kept"}) << path;
    }
    EXPECT_EQ(f.prompter.Messages().size(), 3u);
    EXPECT_LT(clock.elapsed(), 3000);
}

}  // namespace
