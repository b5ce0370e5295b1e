#include "results/ResultView.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMouseEvent>
#include <QPointer>
#include <QTextDocument>
#include <unistd.h>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "TestSupport.h"
#include "config/FileIo.h"
#include "config/Settings.h"
#include "process/AppContext.h"
#include "text/CodePage.h"

namespace {

std::string Euc(const char* utf8) {
    return ConvertEncoding(utf8, "UTF-8", "EUC-JP");
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

struct ViewFixture {
    TempProgramDir dir;
    FakePrompter prompter;
    AppContext ctx;
    std::unique_ptr<ResultView> view;
    std::vector<std::string> events;
    std::vector<std::string> opened;
    bool openSucceeds = true;

    ViewFixture() {
        ctx.platform = dir.Profile();
        ctx.prompter = &prompter;
        ctx.settings = InitSettings(ctx.platform);
        view = std::make_unique<ResultView>(ctx);
        view->resize(700, 400);
        view->show();
        view->SetExternalOpener([this](const std::string& path) {
            opened.push_back(path);
            return openSucceeds;
        });
        QObject::connect(view.get(), &ResultView::openHitRequested,
                         [this](int index) { events.push_back("open " + std::to_string(index)); });
        QObject::connect(view.get(), &ResultView::pageChangeRequested, [this] { events.push_back("page"); });
        QObject::connect(view.get(), &ResultView::escapePressed, [this] { events.push_back("escape"); });
        QObject::connect(view.get(), &ResultView::statusMessage,
                         [this](const QString& text) { events.push_back("status " + text.toStdString()); });
    }

    bool Load(const std::string& bytes, bool coloring = true) {
        dir.WriteFile("result.txt", bytes);
        return view->LoadResultList(dir.Path("result.txt"), coloring);
    }

    // The shown text of [start, end] in X.
    QString Shown(int32_t start, int32_t end) const {
        const int from = view->ViewPositionOf(start);
        return view->toPlainText().mid(from, view->ViewPositionOf(end + 1) - from);
    }

    QTextCharFormat FormatAt(int32_t offset) const { return view->FormatAt(offset); }

    // The middle of the character that holds `offset`, in viewport coordinates.
    QPoint PointOf(int32_t offset) const {
        QRect box = view->CharRect(offset);
        if (!view->viewport()->rect().contains(box)) {  // scrolled into view, caret untouched
            QScrollBar* bar = view->verticalScrollBar();
            bar->setValue(bar->value() + box.top() - view->viewport()->height() / 2);
            box = view->CharRect(offset);
        }
        return box.center();
    }

    void MoveMouseTo(int32_t offset) { QTest::mouseMove(view->viewport(), PointOf(offset)); }
};

const std::string kExample =
    Lines({"Results:", "", "1. Alpha (score: 5)", "Date: x", "/doc/a.txt (120 bytes)", "", "",
           "2. Beta (score: 3)", "/doc/b.txt (99 bytes)", "", "", "end"});

// namazu's layout under a Japanese EUC-JP locale, with a file name title in UTF-8.
const std::string kJapanese = Lines({"Results:",
                                     "",
                                     "References:  [ alpha: 2 ] ",
                                     "",
                                     " Total 2 documents matching your query.",
                                     "",
                                     "1. " + Euc("日本語の題名 (スコア: 2)"),
                                     Euc("作者: 不明"),
                                     Euc("日付: 2026年"),
                                     Euc("本文の要約です。"),
                                     "/docs/d.html (84 bytes)",
                                     "",
                                     "",
                                     "",
                                     "",
                                     "2. 日本 語.txt" + Euc(" (スコア: 1)"),
                                     "/docs/日本 語.txt (55 bytes)",
                                     "",
                                     "",
                                     "",
                                     "",
                                     "Current List: 1 - 2",
                                     ""});

}  // namespace

TEST(ResultView, LoadsTheExampleAndColoursTitlesAndFileNames) {
    ViewFixture f;
    EXPECT_EQ(f.view->objectName(), QStringLiteral("edtResult"));
    EXPECT_TRUE(f.view->isReadOnly());
    ASSERT_TRUE(f.Load(kExample));
    EXPECT_EQ(f.view->toPlainText().toStdString() + "\n", kExample);
    ASSERT_EQ(f.view->HitCount(), 2);
    EXPECT_EQ(f.view->Hits()[1], (HitRecord{70, 76, "2. Beta", 90, 99, "/doc/b.txt"}));
    EXPECT_EQ(f.view->CaretOffset(), 0);
    EXPECT_FALSE(f.view->HasSelection());

    for (const HitRecord& hit : f.view->Hits()) {
        for (int32_t at : {hit.TitleStart, hit.TitleEnd}) {
            const QTextCharFormat format = f.FormatAt(at);
            EXPECT_EQ(format.foreground().color(), QColor(0, 0, 255));
            EXPECT_EQ(format.fontWeight(), QFont::Bold);
            EXPECT_TRUE(format.fontUnderline());
        }
        for (int32_t at : {hit.UriStart, hit.UriEnd}) {
            const QTextCharFormat format = f.FormatAt(at);
            EXPECT_EQ(format.foreground().color(), QColor(0, 128, 128));
            EXPECT_NE(format.fontWeight(), QFont::Bold);
            EXPECT_FALSE(format.fontUnderline());
        }
        // Just outside the spans nothing is coloured.
        EXPECT_FALSE(f.FormatAt(hit.TitleEnd + 1).hasProperty(QTextFormat::ForegroundBrush));
        EXPECT_FALSE(f.FormatAt(hit.UriEnd + 1).hasProperty(QTextFormat::ForegroundBrush));
    }

    // Without colouring the same hits are found and nothing is coloured.
    ASSERT_TRUE(f.Load(kExample, false));
    EXPECT_EQ(f.view->HitCount(), 2);
    EXPECT_FALSE(f.FormatAt(f.view->Hits()[0].TitleStart).hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_FALSE(f.FormatAt(f.view->Hits()[0].UriStart).hasProperty(QTextFormat::ForegroundBrush));
}

TEST(ResultView, JapaneseLinesAgreeWithTheOffsets) {
    ViewFixture f;
    ASSERT_TRUE(f.Load(kJapanese));
    ASSERT_EQ(f.view->HitCount(), 2);
    const auto& hits = f.view->Hits();
    EXPECT_EQ(f.Shown(hits[0].TitleStart, hits[0].TitleEnd), QStringLiteral("1. 日本語の題名"));
    EXPECT_EQ(f.Shown(hits[1].TitleStart, hits[1].TitleEnd), QStringLiteral("2. 日本 語.txt"));
    EXPECT_EQ(f.Shown(hits[1].UriStart, hits[1].UriEnd), QStringLiteral("/docs/日本 語.txt"));
    EXPECT_TRUE(f.view->toPlainText().contains(QStringLiteral("作者: 不明\n日付: 2026年\n本文の要約です。")));

    // The colour covers exactly the title's characters.
    EXPECT_EQ(f.FormatAt(hits[0].TitleEnd).foreground().color(), QColor(0, 0, 255));
    EXPECT_FALSE(f.FormatAt(hits[0].TitleEnd + 1).hasProperty(QTextFormat::ForegroundBrush));

    // Every byte of a Japanese character answers the mouse the same, and the mouse over a
    // character reports its first byte.
    const QString text = f.view->toPlainText();
    for (int32_t offset = hits[0].TitleStart; offset <= hits[1].UriEnd + 4; ++offset) {
        const int pos = f.view->ViewPositionOf(offset);
        if (pos >= text.size() || text.at(pos) == QLatin1Char('\n')) continue;  // line ends
        f.MoveMouseTo(offset);
        const int32_t start = f.view->OffsetAtViewPosition(f.view->ViewPositionOf(offset));
        ASSERT_EQ(f.view->LastMousePos(), start) << offset;
        ASSERT_EQ(f.view->HandCursorShown(), f.view->CharKinds()[start] != '\0') << offset;
        ASSERT_EQ(f.view->viewport()->cursor().shape(),
                  f.view->HandCursorShown() ? Qt::PointingHandCursor : Qt::IBeamCursor);
    }
}

TEST(ResultView, NAndPWalkTheHits) {
    ViewFixture f;
    ASSERT_TRUE(f.Load(kExample));
    const auto& hits = f.view->Hits();
    struct Step {
        Qt::Key key;
        int32_t expected;
    };
    // From the top: N to each file name, then nothing; P back to the titles, then nothing.
    // N from a title goes past its own file name to the next hit.
    const std::vector<Step> steps = {
        {Qt::Key_N, hits[0].UriStart},   {Qt::Key_N, hits[1].UriStart},   {Qt::Key_N, hits[1].UriStart},
        {Qt::Key_P, hits[0].TitleStart}, {Qt::Key_P, hits[0].TitleStart}, {Qt::Key_N, hits[1].UriStart},
    };
    for (const Step& step : steps) {
        QTest::keyClick(f.view.get(), step.key);
        EXPECT_EQ(f.view->CaretOffset(), step.expected);
    }
    // The caret after the last hit's file name: N does nothing, P goes to the last title.
    const int32_t end = static_cast<int32_t>(f.view->CharKinds().size()) - 1;
    f.view->GoToPreviousHit(hits[0].TitleStart);
    f.view->GoToNextHit(end);
    EXPECT_EQ(f.view->CaretOffset(), hits[1].UriStart);
    f.view->GoToPreviousHit(end);
    EXPECT_EQ(f.view->CaretOffset(), hits[1].TitleStart);
    // Between the hits: N goes to the next, P to the one before.
    f.view->GoToNextHit(60);
    EXPECT_EQ(f.view->CaretOffset(), hits[1].UriStart);
    f.view->GoToPreviousHit(60);
    EXPECT_EQ(f.view->CaretOffset(), hits[0].TitleStart);
    // Letters with Ctrl are not N and P.
    QTest::keyClick(f.view.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f.view->CaretOffset(), hits[0].TitleStart);
    EXPECT_TRUE(f.events.empty());
}

TEST(ResultView, EnterOpensTheHitUnderTheCaret) {
    ViewFixture f;
    ASSERT_TRUE(f.Load(kExample));
    f.view->GoToNextHit(60);  // caret on the second file name
    QTest::keyClick(f.view.get(), Qt::Key_Return);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open 1", "page"}));
    EXPECT_EQ(f.view->CurrentHit(), 1);
    EXPECT_EQ(f.view->CurrentDocumentPath(), "/doc/b.txt");
    EXPECT_TRUE(f.opened.empty());

    // Shift+Enter: the associated application; its failure stays on the status bar.
    f.events.clear();
    f.openSucceeds = false;
    f.view->GoToPreviousHit(60);  // first title
    QTest::keyClick(f.view.get(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(f.opened, (std::vector<std::string>{"/doc/a.txt"}));
    EXPECT_EQ(f.events, (std::vector<std::string>{
                            "page", "status 関連付けされたアプリケーションの起動に失敗しました。"}));
    EXPECT_EQ(f.view->CurrentHit(), 0);

    // After the last file name there is no hit to open.
    f.events.clear();
    f.view->OpenHitAt(110, true);
    EXPECT_TRUE(f.events.empty());

    // Esc is passed on, not swallowed.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(f.view.get(), &esc);
    EXPECT_EQ(f.events, (std::vector<std::string>{"escape"}));
    EXPECT_FALSE(esc.isAccepted());
}

TEST(ResultView, HitLocationsBecomeLocalPaths) {
    ViewFixture f;
    f.ctx.drives = {"{hd1} => /mnt/data    [DATA]"};
    ASSERT_TRUE(f.Load(
        Lines({"Results:", "", "1. a (score: 1)", "file:///x/a.txt (1 bytes)", "", "", "2. b (score: 1)",
               "{hd1}/b.txt (1 bytes)", "", "", "3. c (score: 1)", "./c.txt (1 bytes)", "", "", "end"})));
    ASSERT_EQ(f.view->HitCount(), 3);
    const std::vector<std::string> expected = {"/x/a.txt", "/mnt/data/b.txt", f.dir.Folder() + "./c.txt"};
    for (int i = 0; i < 3; ++i) {
        f.view->OpenHitAt(f.view->Hits()[i].TitleStart, false);
        EXPECT_EQ(f.view->CurrentDocumentPath(), expected[i]);
    }
    EXPECT_EQ(f.opened, expected);
}

TEST(ResultView, ClickingATitleOpensItWithOrWithoutColours) {
    for (bool coloring : {false, true}) {
        ViewFixture f;
        ASSERT_TRUE(f.Load(kJapanese, coloring));
        const HitRecord hit = f.view->Hits()[1];
        f.MoveMouseTo(hit.TitleStart + 4);
        ASSERT_TRUE(f.view->HandCursorShown());
        QTest::mouseClick(f.view->viewport(), Qt::LeftButton, Qt::NoModifier, f.PointOf(hit.TitleStart + 4));
        EXPECT_EQ(f.events, (std::vector<std::string>{"open 1", "page"})) << coloring;
        EXPECT_EQ(f.view->CurrentDocumentPath(), "/docs/日本 語.txt");

        // Shift+click opens the file name with its application.
        f.events.clear();
        f.MoveMouseTo(hit.UriStart + 1);
        QTest::mouseClick(f.view->viewport(), Qt::LeftButton, Qt::ShiftModifier, f.PointOf(hit.UriStart + 1));
        EXPECT_EQ(f.opened, (std::vector<std::string>{"/docs/日本 語.txt"}));

        // Not with the right button, not over plain text, not while text is selected.
        f.events.clear();
        f.view->setContextMenuPolicy(Qt::NoContextMenu);
        f.view->SetCaretOffset(f.view->CaretOffset());
        QTest::mouseClick(f.view->viewport(), Qt::RightButton, Qt::NoModifier, f.PointOf(hit.TitleStart + 4));
        f.MoveMouseTo(hit.TitleEnd + 2);
        EXPECT_FALSE(f.view->HandCursorShown());
        QTest::mouseClick(f.view->viewport(), Qt::LeftButton, Qt::NoModifier, f.PointOf(hit.TitleEnd + 2));
        f.view->selectAll();
        f.MoveMouseTo(hit.TitleStart);
        QTest::mouseClick(f.view->viewport(), Qt::LeftButton, Qt::NoModifier, f.PointOf(hit.TitleStart));
        EXPECT_TRUE(f.events.empty()) << coloring;
    }
}

TEST(ResultView, EmptyUnreadableAndHitlessFiles) {
    ViewFixture f;
    ASSERT_TRUE(f.Load(kExample));
    EXPECT_FALSE(f.Load(""));
    ASSERT_EQ(f.prompter.calls.size(), 1u);
    const FakePrompter::Call& call = f.prompter.calls[0];
    EXPECT_EQ(call.text, QStringLiteral("検索結果のファイルのサイズが 0 バイトです。\n") +
                             QString::fromStdString(f.dir.Path("result.txt")));
    EXPECT_EQ(call.caption, QStringLiteral("エラー"));
    EXPECT_EQ(call.icon, MessageIcon::Warning);
    EXPECT_EQ(call.buttons, MessageButtons::Ok);
    EXPECT_TRUE(f.view->toPlainText().isEmpty());
    EXPECT_EQ(f.view->HitCount(), 0);
    EXPECT_TRUE(f.view->updatesEnabled());

    EXPECT_FALSE(f.view->LoadResultList(f.dir.Path("missing.txt"), true));
    EXPECT_EQ(f.prompter.calls.size(), 2u);
    EXPECT_TRUE(f.view->toPlainText().isEmpty());
    EXPECT_TRUE(f.view->updatesEnabled());

    // No hit list: the text stays, uncoloured, and nothing is live.
    const std::string none =
        Lines({"Results:", "", "References:  [ zzz: 0 ] ", "", "No document matching your query.", ""});
    EXPECT_FALSE(f.Load(none));
    EXPECT_EQ(f.view->toPlainText().toStdString() + "\n", none);
    EXPECT_EQ(f.view->HitCount(), 0);
    QTest::keyClick(f.view.get(), Qt::Key_Return);
    QTest::keyClick(f.view.get(), Qt::Key_N);
    EXPECT_TRUE(f.events.empty());

    f.view->Clear();
    EXPECT_TRUE(f.view->toPlainText().isEmpty());
    EXPECT_TRUE(f.view->CharKinds().empty());
}

// A result that the real namazu wrote, loaded whole: every hit's title and file name are shown
// where their offsets say, and clicking each file name opens that hit.
TEST(ResultView, RealNamazuResult) {
    ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/namazu"))) << "namazu2 is not installed";
    ViewFixture f;
    const QString docs = QString::fromStdString(f.dir.Path("docs"));
    const QString index = QString::fromStdString(f.dir.Path("index"));
    QDir().mkpath(docs);
    QDir().mkpath(index);
    f.dir.WriteFile("docs/a.txt", "alpha document in English\n");
    f.dir.WriteFile("docs/c.txt", Euc("日本語の文書です。alpha 検索\n"));
    f.dir.WriteFile("docs/d.html",
                    Euc("<html><head><title>日本語の題名</title></head><body>alpha</body></html>\n"));
    f.dir.WriteFile("docs/日本 語.txt", "日本語の文書です。alpha\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("ja_JP.eucJP"));
    QProcess mknmz;
    mknmz.setProcessEnvironment(env);
    mknmz.start(QStringLiteral("/usr/bin/perl"),
                {QStringLiteral("/usr/bin/mknmz"), QStringLiteral("-O"), index, docs});
    ASSERT_TRUE(mknmz.waitForFinished(120000));
    const QString result = QString::fromStdString(f.dir.Path("result.txt"));
    QProcess namazu;
    namazu.setProcessEnvironment(env);
    namazu.start(
        QStringLiteral("/usr/bin/namazu"),
        {QStringLiteral("--all"), QStringLiteral("--output=") + result, QStringLiteral("alpha"), index});
    ASSERT_TRUE(namazu.waitForFinished(60000));

    ASSERT_TRUE(f.view->LoadResultList(f.dir.Path("result.txt"), true));
    ASSERT_EQ(f.view->HitCount(), 4);
    std::vector<std::string> paths;
    for (int i = 0; i < f.view->HitCount(); ++i) {
        const HitRecord hit = f.view->Hits()[i];
        const QString title = f.Shown(hit.TitleStart, hit.TitleEnd);
        EXPECT_TRUE(title.startsWith(QString::number(i + 1) + QStringLiteral(". "))) << title.toStdString();
        EXPECT_FALSE(title.contains(QChar(0xFFFD))) << title.toStdString();
        EXPECT_EQ(f.Shown(hit.UriStart, hit.UriEnd).toStdString(), hit.Uri);
        f.events.clear();
        f.MoveMouseTo(hit.UriEnd);
        QTest::mouseClick(f.view->viewport(), Qt::LeftButton, Qt::NoModifier, f.PointOf(hit.UriEnd));
        EXPECT_EQ(f.events, (std::vector<std::string>{"open " + std::to_string(i), "page"}));
        paths.push_back(f.view->CurrentDocumentPath());
    }
    std::sort(paths.begin(), paths.end());
    const std::string folder = docs.toStdString() + "/";
    EXPECT_EQ(paths, (std::vector<std::string>{folder + "a.txt", folder + "c.txt", folder + "d.html",
                                               folder + "日本 語.txt"}));
}

// A recorded namazu result: every title is coloured where its bytes are, and Enter on each
// title opens that hit.
TEST(ResultView, RecordedResultFile) {
    // namazu's frame in English and, with a generated ja_JP.eucJP, in Japanese.
    for (const char* file : {"results/plain-ja-query-ja.txt", "results/plain-loc-query-ja.txt"}) {
        SCOPED_TRACE(file);
        ViewFixture f;
        ASSERT_TRUE(f.view->LoadResultList(TestDataPath(file), true));
        ASSERT_EQ(f.view->HitCount(), 8);
        EXPECT_TRUE(f.view->toPlainText().contains(QStringLiteral("1. 灯台博物館 (スコア: 26)")));
        for (int i = 0; i < f.view->HitCount(); ++i) {
            const HitRecord hit = f.view->Hits()[i];
            EXPECT_EQ(f.FormatAt(hit.TitleEnd).foreground().color(), QColor(0, 0, 255)) << i;
            EXPECT_FALSE(f.FormatAt(hit.TitleEnd + 1).hasProperty(QTextFormat::ForegroundBrush)) << i;
            EXPECT_EQ(f.FormatAt(hit.UriEnd).foreground().color(), QColor(0, 128, 128)) << i;
            f.view->SetCaretOffset(hit.TitleStart + 3);
            f.events.clear();
            QTest::keyClick(f.view.get(), Qt::Key_Enter);
            EXPECT_EQ(f.events, (std::vector<std::string>{"open " + std::to_string(i), "page"}));
            EXPECT_EQ(f.view->CurrentDocumentPath(), hit.Uri);
        }
    }
}

// A result taken in pieces while namazu writes it shows exactly what reading it whole shows:
// pieces end mid-line, mid-character and between CR and LF; a file that changed under the
// pieces is read anew.
TEST(ResultView, AResultTakenWhileWrittenEqualsOneReadWhole) {
    ViewFixture whole;
    ViewFixture growing;
    std::string bytes = ReadWholeFile(TestDataPath("results/plain-ja-query-ja.txt")).value();
    bytes.insert(bytes.find('\n'), "\r");  // one CR LF line end
    ASSERT_TRUE(whole.Load(bytes));

    struct Row {
        const char* what;
        std::vector<std::size_t> cuts;
        std::string changedTo;  // what the file holds at the end instead, when not empty
        bool handed = false;    // the finished lines are handed over (TakeLines), not read by the view
    };
    const std::size_t cr = bytes.find('\r');
    const auto high = std::find_if(bytes.begin(), bytes.end(), [](char c) { return c & 0x80; });
    ASSERT_NE(high, bytes.end());
    const auto japanese = static_cast<std::size_t>(high - bytes.begin());  // cut after a lead byte
    const Row rows[] = {
        {"pieces", {cr + 1, japanese + 1, bytes.size() / 2, bytes.size() - 3}, ""},
        {"nothing before the end", {}, ""},
        {"rewritten", {bytes.size() / 2}, bytes.substr(0, bytes.size() / 3) + "\n\n" + bytes.substr(bytes.size() / 3)},
        {"handed over", {cr + 1, japanese + 1, bytes.size() / 2, bytes.size() - 3}, "", true},
        {"handed over, then rewritten", {bytes.size() / 2}, bytes.substr(0, bytes.size() / 3) + "\n\n" + bytes.substr(bytes.size() / 3), true},
    };
    for (const Row& row : rows) {
        const std::string path = growing.dir.Path("growing.txt");
        ::unlink(path.c_str());
        growing.view->BeginLoad(path);
        growing.view->LoadMore();  // no file yet
        std::size_t handed = 0;
        for (std::size_t cut : row.cuts) {
            growing.dir.WriteFile("growing.txt", bytes.substr(0, cut));
            const std::size_t lineEnd = bytes.rfind('\n', cut - 1);
            if (!row.handed) {
                growing.view->LoadMore();
            } else if (lineEnd != std::string::npos && lineEnd + 1 > handed) {
                growing.view->TakeLines(std::string_view(bytes).substr(handed, lineEnd + 1 - handed));
                handed = lineEnd + 1;
            }
        }
        const std::string final = row.changedTo.empty() ? bytes : row.changedTo;
        growing.dir.WriteFile("growing.txt", final);
        ASSERT_TRUE(growing.view->FinishLoad(true)) << row.what;
        ViewFixture reference;
        ASSERT_TRUE(reference.Load(final));
        EXPECT_EQ(growing.view->toPlainText(), reference.view->toPlainText()) << row.what;
        ASSERT_EQ(growing.view->Hits(), reference.view->Hits()) << row.what;
        for (const HitRecord& hit : growing.view->Hits()) {
            EXPECT_EQ(growing.FormatAt(hit.TitleEnd).foreground().color(), QColor(0, 0, 255)) << row.what;
            EXPECT_EQ(growing.view->ViewPositionOf(hit.UriStart), reference.view->ViewPositionOf(hit.UriStart)) << row.what;
        }
    }
    EXPECT_TRUE(growing.prompter.Messages().empty());
}

// The caret and the selection go as in a read-only text field: each row starts with the caret at
// an offset, presses one key and finds the caret (or the selection) where a user expects it.
TEST(ResultView, KeysMoveTheCaretAndSelect) {
    ViewFixture f;
    ASSERT_TRUE(f.Load(kExample));
    f.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.view.get()));
    f.view->setFocus();
    const int32_t lastLineEnd = static_cast<int32_t>(f.view->CharKinds().size()) - 2;  // before "end"'s CR
    struct Row {
        int32_t from;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int32_t caret;     // without Shift
        QString selected;  // with Shift
    };
    const Row rows[] = {
        {0, Qt::Key_End, Qt::NoModifier, 8, {}},
        {0, Qt::Key_Down, Qt::NoModifier, 10, {}},
        {12, Qt::Key_Right, Qt::NoModifier, 13, {}},
        {12, Qt::Key_Left, Qt::NoModifier, 10, {}},  // the end of the empty line above
        {8, Qt::Key_Right, Qt::NoModifier, 10, {}},  // over the line break
        {15, Qt::Key_Home, Qt::NoModifier, 12, {}},
        {15, Qt::Key_End, Qt::ControlModifier, lastLineEnd, {}},
        {70, Qt::Key_Home, Qt::ControlModifier, 0, {}},
        {0, Qt::Key_PageDown, Qt::NoModifier, lastLineEnd - 3, {}},  // the whole list is one page
        {12, Qt::Key_End, Qt::ShiftModifier, 0, QStringLiteral("1. Alpha (score: 5)")},
        {12, Qt::Key_Down, Qt::ShiftModifier, 0, QStringLiteral("1. Alpha (score: 5)\n")},
        {33, Qt::Key_Up, Qt::ShiftModifier, 0, QStringLiteral("1. Alpha (score: 5)\n")},
    };
    for (const Row& row : rows) {
        f.view->SetCaretOffset(row.from);
        QTest::keyClick(QApplication::focusWidget(), row.key, row.modifiers);
        if (row.modifiers.testFlag(Qt::ShiftModifier)) {
            EXPECT_EQ(f.view->SelectedText(), row.selected) << row.from << " " << row.key;
        } else {
            EXPECT_EQ(f.view->CaretOffset(), row.caret) << row.from << " " << row.key;
            EXPECT_FALSE(f.view->HasSelection()) << row.from << " " << row.key;
        }
    }
    // Ctrl+A and Ctrl+C copy the whole text as shown.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), f.view->toPlainText());

    // A drag selects from the press to the release; a double click selects a word.
    auto leftEdge = [&](int32_t offset) {
        const QRect box = f.view->CharRect(offset);
        return QPoint(box.left() + 1, box.center().y());
    };
    QTest::mousePress(f.view->viewport(), Qt::LeftButton, Qt::NoModifier, leftEdge(3));
    QMouseEvent drag(QEvent::MouseMove, leftEdge(6), f.view->viewport()->mapToGlobal(leftEdge(6)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.view->viewport(), &drag);
    QTest::mouseRelease(f.view->viewport(), Qt::LeftButton, Qt::NoModifier, leftEdge(6));
    EXPECT_EQ(f.view->SelectedText(), QStringLiteral("ult"));
    QTest::mouseDClick(f.view->viewport(), Qt::LeftButton, Qt::NoModifier, f.PointOf(16));
    EXPECT_EQ(f.view->SelectedText(), QStringLiteral("Alpha"));
}

// A list far longer than the screen: the last hit is reached, shown and coloured like the first,
// and the mouse finds it, although only the lines on the screen were ever decoded.
TEST(ResultView, ALongListIsWalkedToItsEnd) {
    ViewFixture f;
    std::string text = "Results:\n\n";
    constexpr int kHits = 20000;
    for (int i = 1; i <= kHits; ++i) {
        const std::string n = std::to_string(i);
        text += n + ". " + Euc("題名") + n + " (score: 1)\n/doc/" + n + ".txt (1 bytes)\n\n\n";
    }
    ASSERT_TRUE(f.Load(text + "end\n"));
    ASSERT_EQ(f.view->HitCount(), kHits);
    const HitRecord last = f.view->Hits().back();
    f.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.view.get()));
    f.view->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_P);
    EXPECT_EQ(f.view->CaretOffset(), last.TitleStart);
    EXPECT_TRUE(f.view->viewport()->rect().contains(f.view->CharRect(last.TitleStart)));
    EXPECT_EQ(f.view->FormatAt(last.TitleEnd).foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(f.view->FormatAt(last.UriStart).foreground().color(), QColor(0, 128, 128));
    f.MoveMouseTo(last.TitleStart + 3);
    EXPECT_TRUE(f.view->HandCursorShown());
    EXPECT_EQ(f.view->HitIndexAt(f.view->LastMousePos()), kHits - 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(f.events, (std::vector<std::string>{"open " + std::to_string(kHits - 1), "page"}));
    // Back to the top: the first title is on the screen again.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_TRUE(f.view->viewport()->rect().contains(f.view->CharRect(f.view->Hits()[0].TitleStart)));

    // A message in place of a list has no hits.
    f.view->setPlainText(QStringLiteral("検索中です\n..."));
    EXPECT_EQ(f.view->toPlainText(), QStringLiteral("検索中です\n..."));
    EXPECT_EQ(f.view->HitCount(), 0);
}
