#include "viewer/DocumentDisplay.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/FileIo.h"
#include "text/CodePage.h"
#include "text/DisplayText.h"

namespace {

constexpr auto P = PathStyle::Posix;
constexpr auto W = PathStyle::Windows;

const QString kSentence =
    QStringLiteral("灯台の灯りは今夜も港を照らしている。\n潮の香りと波の音、そして遠くの汽笛。\n");

std::string Fixture(const std::string& name) {
    return ReadWholeFile(TestDataPath("viewer/" + name)).value_or("");
}

TEST(DocumentDisplayTest, OpenHitChoosesTheViewByTypeAndExtension) {
    using V = HitView;
    struct Row {
        std::string howToOpen;
        PathStyle style;
        std::string path;
        HitView view;
        DefinedDocument defined;  // after the call, from an empty state
    };
    const DefinedDocument untouched;
    const DefinedDocument text{"PlainText", 0, "ToSJIS"};
    const Row rows[] = {
        {"Define", P, "/d/a.txt", V::TextViewer, text},
        {"define", P, "/d/A.TXT", V::TextViewer, text},
        {"Define", P, "/d/README", V::TextViewer, text},
        {"Define", P, "/d.x/README", V::TextViewer, text},
        {"Define", W, R"(C:\d.x\README)", V::TextViewer, text},
        {"Define", P, "/d/setup.ini", V::TextViewer, text},
        {"Define", P, "/d/a.alm", V::TextViewer, {"MailNews", 1, "ToSJIS"}},
        {"Define", P, "/d/a.html", V::Html, {"HTML", 0, ""}},
        {"Define", P, "/d/a.html#top", V::Html, {"HTML", 0, ""}},
        {"Define", P, "/d/a.HTM", V::Html, {"HTML", 0, ""}},
        {"Define", P, "/d/a.shtml", V::Html, {"HTML", 0, ""}},
        {"Define", P, "/d/a.doc", V::Shell, {"System", 0, ""}},
        {"Define", P, "/d/a.tar.gz", V::Shell, {"System", 0, ""}},
        {"Define", P, "/d/a.txt.bak", V::Shell, {"System", 0, ""}},
        // an unknown type counts as Define
        {"Whatever", P, "/d/a.doc", V::Shell, {"System", 0, ""}},
        // the fixed types leave the per-document state alone
        {"PlainText", P, "/d/a.doc", V::TextViewer, untouched},
        {"MAILNEWS", P, "/d/a.html", V::TextViewer, untouched},
        {"HTML", P, "/d/a.txt", V::Html, untouched},
        {"System", P, "/d/a.txt", V::Shell, untouched},
    };
    for (const Row& row : rows) {
        DefinedDocument defined;
        EXPECT_EQ(DecideOpenHit(0, 3, row.howToOpen, row.path, row.style, CodePage::Utf8, defined), row.view)
            << row.howToOpen << " " << row.path;
        EXPECT_EQ(defined.DefinedDocKind, row.defined.DefinedDocKind) << row.path;
        EXPECT_EQ(defined.DefinedMailFlag, row.defined.DefinedMailFlag) << row.path;
        EXPECT_EQ(defined.DefinedConversion, row.defined.DefinedConversion) << row.path;
    }
}

TEST(DocumentDisplayTest, OpeningPastEitherEndBeepsAndKeepsTheState) {
    DefinedDocument defined{"MailNews", 1, "ToSJIS"};
    for (int index : {-1, 3, 4}) {
        EXPECT_EQ(DecideOpenHit(index, 3, "Define", "/d/a.html", P, CodePage::Utf8, defined), HitView::Beep);
    }
    EXPECT_EQ(DecideOpenHit(0, 0, "PlainText", "/d/a.txt", P, CodePage::Utf8, defined), HitView::Beep);
    EXPECT_EQ(defined.DefinedDocKind, "MailNews");
    // An HTML hit after a mail keeps the mail flag and the conversion.
    EXPECT_EQ(DecideOpenHit(2, 3, "Define", "/d/a.html", P, CodePage::Utf8, defined), HitView::Html);
    EXPECT_EQ(defined.DefinedMailFlag, 1);
    EXPECT_EQ(defined.DefinedConversion, "ToSJIS");
}

TEST(DocumentDisplayTest, MenusWriteTheirSettingsWords) {
    EXPECT_EQ(ConvertSettingFromMenu({true, false, false}, "None"), "ToSJIS");
    EXPECT_EQ(ConvertSettingFromMenu({false, true, false}, "None"), "NKF");
    EXPECT_EQ(ConvertSettingFromMenu({false, false, true}, "ToSJIS"), "None");
    EXPECT_EQ(ConvertSettingFromMenu({}, "tosjis"), "tosjis");
    EXPECT_EQ(DecodeHeaderSettingFromMenu(true), "1");
    EXPECT_EQ(DecodeHeaderSettingFromMenu(false), "0");
    EXPECT_EQ(HowToOpenFromMenu({true, false, false, false, false}, "Define"), "PlainText");
    EXPECT_EQ(HowToOpenFromMenu({false, true, false, false, false}, "Define"), "MailNews");
    EXPECT_EQ(HowToOpenFromMenu({false, false, true, false, false}, "Define"), "HTML");
    EXPECT_EQ(HowToOpenFromMenu({false, false, false, true, false}, "Define"), "System");
    EXPECT_EQ(HowToOpenFromMenu({false, false, false, false, true}, "System"), "Define");
    EXPECT_EQ(HowToOpenFromMenu({}, "mailnews"), "mailnews");
}

TEST(DocumentDisplayTest, FileExtensionIsTakenFromTheFileName) {
    struct Row {
        PathStyle style;
        CodePage codePage;
        std::string path, ext;
    };
    const Row rows[] = {
        {P, CodePage::Utf8, "/d/a.txt", ".txt"},
        {P, CodePage::Utf8, "/d/a.b.HTML", ".HTML"},
        {P, CodePage::Utf8, "/d.x/a", ""},
        {P, CodePage::Utf8, "/d/.profile", ".profile"},
        {P, CodePage::Utf8, "/d/a.html#top", ".html#top"},
        {P, CodePage::Utf8, "/d/日本語.テキスト", ".テキスト"},
        {W, CodePage::Cp932, R"(C:\d.x\a)", ""},
        {W, CodePage::Cp932, "C:a.txt", ".txt"},
        // the second byte of a double-byte character is no separator
        {W, CodePage::Cp932, "C:\\d\\x.\x95\x5C", ".\x95\x5C"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FileExtension(row.path, row.style, row.codePage), row.ext) << row.path;
}

TEST(DocumentDisplayTest, TextOptionsFollowTheMenusOrTheExtension) {
    struct Row {
        std::string howToOpen, convert, decodeHeader;
        DefinedDocument defined;
        bool convertCode, decode, mailBody;
    };
    const Row rows[] = {
        {"PlainText", "ToSJIS", "1", {}, true, true, false},
        {"PlainText", "None", "0", {"MailNews", 1, "ToSJIS"}, false, false, false},
        {"MailNews", "tosjis", "0", {}, true, false, true},
        {"PlainText", "NKF", "1", {}, false, true, false},
        // Define: the document opened by extension converts and, as a mail, decodes
        {"Define", "None", "0", {"PlainText", 0, "ToSJIS"}, true, false, false},
        {"Define", "None", "0", {"MailNews", 1, "ToSJIS"}, true, true, true},
        {"define", "None", "0", {"mailnews", 1, "tosjis"}, false, true, false},
    };
    for (const Row& row : rows) {
        Settings settings;
        settings.Document.HowToOpen = row.howToOpen;
        settings.Text.Convert = row.convert;
        settings.Text.DecodeHeader = row.decodeHeader;
        const TextDisplayOptions options = TextOptionsFor(settings, row.defined);
        EXPECT_EQ(options.convertCode, row.convertCode) << row.howToOpen << "/" << row.convert;
        EXPECT_EQ(options.decodeHeader, row.decode) << row.howToOpen << "/" << row.decodeHeader;
        EXPECT_EQ(options.mailBody, row.mailBody) << row.howToOpen;
    }
}

TEST(DocumentDisplayTest, JapaneseDocumentsInEveryCodeShowTheSameText) {
    for (const char* name :
         {"japanese-eucjp.txt", "japanese-sjis.txt", "japanese-jis.txt", "japanese-utf8.txt"}) {
        const std::string bytes = Fixture(name);
        ASSERT_FALSE(bytes.empty()) << name;
        const TextDocumentView view = PrepareTextDocument(bytes, {true, true, false});
        EXPECT_TRUE(view.text.startsWith(kSentence)) << name << ": " << view.text.toStdString();
        EXPECT_FALSE(view.bodyLine.has_value());
    }
    // Without conversion an EUC-JP document is read as CP932 and shows wrong characters.
    EXPECT_FALSE(
        PrepareTextDocument(Fixture("japanese-eucjp.txt"), {false, true, false}).text.startsWith(kSentence));
    EXPECT_TRUE(
        PrepareTextDocument(Fixture("japanese-sjis.txt"), {false, true, false}).text.startsWith(kSentence));
}

TEST(DocumentDisplayTest, MailHeaderIsDecodedAndTheBodyFound) {
    const std::string mail = Fixture("mail-iso2022jp.alm");
    const TextDocumentView view = PrepareTextDocument(mail, {true, true, true});
    const QStringList lines = view.text.split(u'\n');
    EXPECT_EQ(lines[0], QStringLiteral("From: 山田太郎 <taro@example.jp>"));
    EXPECT_EQ(lines[2], QStringLiteral("Subject: 会議の議事録について"));
    ASSERT_TRUE(view.bodyLine.has_value());
    EXPECT_EQ(*view.bodyLine, 8);
    EXPECT_EQ(lines[8], QStringLiteral("花子さん"));

    const TextDocumentView raw = PrepareTextDocument(mail, {true, false, false});
    EXPECT_TRUE(raw.text.contains(QStringLiteral("Subject: =?ISO-2022-JP?B?")));
    EXPECT_FALSE(raw.bodyLine.has_value());
    EXPECT_TRUE(raw.text.contains(QStringLiteral("先日の会議の議事録をお送りします。")));
}

TEST(DocumentDisplayTest, MailBodyLine) {
    struct Row {
        QString text;
        std::optional<int> body;
    };
    const Row rows[] = {
        {QStringLiteral("Subject: a\n\nbody"), 2},
        {QStringLiteral("Subject: a\n\n\n\nbody\n"), 4},
        // a line of blanks ends the header and, not being empty, is the body line
        {QStringLiteral("Subject: a\n   \nbody"), 1},
        {QStringLiteral("Subject: a\n\t\n\nbody"), 1},
        {QStringLiteral("\nbody"), 1},
        {QStringLiteral("Subject: a\nFrom: b"), std::nullopt},
        {QString(), 1},
        // nothing after the header: the position after the last line
        {QStringLiteral("Subject: a\n\n"), 3},
        {QStringLiteral("Subject: a\n"), 2},
    };
    for (const Row& row : rows) EXPECT_EQ(MailBodyLine(row.text), row.body) << row.text.toStdString();
}

// The viewer's fast decoding gives exactly what the display decoding of src/text gives.
TEST(DocumentDisplayTest, PreparedTextEqualsTheDisplayDecoding) {
    std::vector<std::string> documents;
    for (const char* name : {"japanese-eucjp.txt", "japanese-sjis.txt", "japanese-jis.txt",
                             "japanese-utf8.txt", "mail-iso2022jp.alm"}) {
        documents.push_back(Fixture(name));
    }
    const std::string euc = Fixture("japanese-eucjp.txt");
    const std::string sjis = Fixture("japanese-sjis.txt");
    const std::string jis = Fixture("japanese-jis.txt");
    documents.push_back("");
    documents.push_back("plain ascii\r\nwith\rall\nbreaks\r\n\r\n");
    documents.push_back("Subject: =?iso-2022-jp?B?GyRCMnE1RCRONUQ7dk8/GyhC?=\r\n\r\n" + euc);
    documents.push_back("Subject: =?ISO-2022-JP?B?GyRCMnE1RCRONUQ7dk8/GyhC?=\n" + sjis);  // no empty line
    documents.push_back("\x1B$B$3$s\n$K$A$O\x1B(B\n");  // a break in double-byte mode
    documents.push_back("\x1B$B$3$s\r\n$K$A$O\x1B(B\r\n");
    documents.push_back(sjis + "\xB6\xC0\xB6\xC5\xDE\n");  // half-width katakana
    documents.push_back(euc + "\x8E\xB6\x8E\xDE\n");
    documents.push_back(sjis + "\x82");  // a lead byte at the very end
    documents.push_back("bad \x80\xFD\xFE\xFF bytes \x81\x0A lead before a break" + std::string(1, '\0') +
                        " nul\n");
    documents.push_back(jis.substr(0, jis.size() / 2));  // cut inside double-byte mode
    std::string pairs;                                   // every byte pair CP932 might start
    for (int lead = 0x80; lead <= 0xFF; ++lead) {
        for (int trail = 0x30; trail <= 0xFF; ++trail) {
            pairs += static_cast<char>(lead);
            pairs += static_cast<char>(trail);
            pairs += ' ';
        }
        pairs += '\n';
    }
    documents.push_back(pairs);

    for (std::size_t i = 0; i < documents.size(); ++i) {
        for (const bool decode : {false, true}) {
            for (const bool convert : {false, true}) {
                const QString expected =
                    QString::fromStdString(DocumentToUtf8(documents[i], decode, convert));
                EXPECT_EQ(PrepareTextDocument(documents[i], {convert, decode, false}).text, expected)
                    << "document " << i << " decode " << decode << " convert " << convert;
            }
        }
    }
}

TEST(DocumentDisplayTest, DecodeUrlEscapes) {
    struct Row {
        std::string in, out;
    };
    const Row rows[] = {
        {"/%7Bcdrom1%7D/docs/a.html", "/{cdrom1}/docs/a.html"},
        {"%e3%83%a1%E3%83%A2", "メモ"},
        {"a+b", "a b"},
        {"a%2Bb", "a b"},  // also a "+" from an escape becomes a blank
        {"a%2bb%20c", "a b c"},
        {"100%", std::string("100\0", 4)},
        {"%4", "@"},  // a missing digit counts as 0
        {"%zz!", std::string("\0!", 2)},
        {"%%41", std::string("\x04"
                             "1",
                             2)},
        {"", ""},
    };
    for (const Row& row : rows) EXPECT_EQ(DecodeUrlEscapes(row.in), row.out) << row.in;
}

TEST(DocumentDisplayTest, EmbeddedBrowserLinks) {
    using A = NavigationAction;
    PlatformProfile posix;
    posix.pathStyle = P;
    posix.programFolder = "/opt/q/";
    PlatformProfile windows;
    windows.pathStyle = W;
    windows.codePage = CodePage::Cp932;
    windows.programFolder = R"(C:\Q\)";
    const std::vector<std::string> posixDrives = {"{hd1} => /    [root]",
                                                  "{cdrom1} => /media/cdrom0    [DISC]"};
    const std::vector<std::string> windowsDrives = {"{hd1} => C:    [SYSTEM]", "{cdrom1} => E:    [DISC]"};

    struct Row {
        std::string howToOpen, useDriveConstants;
        bool windowsStyle;
        std::string url;
        bool active, isResult;
        NavigationAction action;
        std::string target;
    };
    const Row rows[] = {
        // not on the HTML page, or the result itself: never touched
        {"System", "1", false, "file:///home/u/a.doc", false, false, A::Proceed, ""},
        {"System", "1", false, "file:///tmp/q/result.html", true, true, A::Proceed, ""},
        // System: every other link goes to the associated application
        {"System", "0", false, "file:///home/u/a.doc", true, false, A::OpenWithShell, "/home/u/a.doc"},
        {"system", "0", false, "file:///{cdrom1}/docs/a.pdf", true, false, A::OpenWithShell,
         "/media/cdrom0/docs/a.pdf"},
        {"System", "0", false, "file://./local/a.txt", true, false, A::OpenWithShell, "/opt/q/./local/a.txt"},
        {"System", "0", false, "http://example.com/", true, false, A::OpenWithShell, "http://example.com/"},
        {"System", "0", false, "about:blank", true, false, A::Proceed, ""},
        // drive constants off: followed as the page gives them
        {"Define", "0", false, "file:///{cdrom1}/docs/a.html", true, false, A::Proceed, ""},
        {"Define", "", false, "file:///{cdrom1}/docs/a.html", true, false, A::Proceed, ""},
        // drive constants on
        {"Define", "1", false, "file:///{cdrom1}/docs/a.html", true, false, A::Redirect,
         "file:///media/cdrom0/docs/a.html"},
        {"HTML", "1", false, "file:///%7Bcdrom1%7D/docs/a.html", true, false, A::Redirect,
         "file:///media/cdrom0/docs/a.html"},
        {"Define", "1", false, "file:///{hd1}/home/u/a.html", true, false, A::Redirect,
         "file:///home/u/a.html"},
        {"Define", "1", false, "file:///home/u/a.html", true, false, A::Proceed, ""},
        {"Define", "1", false, "file:///home/u/{CDROM1}/a.html", true, false, A::Proceed, ""},
        {"Define", "1", false, "file:///home/u/C++.html", true, false, A::Redirect,
         "file:///home/u/C  .html"},
        {"Define", "1", false, "file:///home/u/a%2Bb.html", true, false, A::Redirect,
         "file:///home/u/a b.html"},
        {"Define", "1", false, "file://./idx/a.html", true, false, A::Redirect, "file:///opt/q/./idx/a.html"},
        // network pages are not files: left alone
        {"Define", "1", false, "http://example.com/a%20b+c.html", true, false, A::Proceed, ""},
        {"Define", "1", false, "https://example.com/{cdrom1}/a.html", true, false, A::Proceed, ""},
        // the Windows forms
        {"Define", "1", true, "file:///{cdrom1}/docs/a.html", true, false, A::Redirect,
         "file:///E|/docs/a.html"},
        {"Define", "1", true, "file:///C|/DOCS/A.HTML", true, false, A::Proceed, ""},
        {"System", "0", true, "file:///{cdrom1}/docs/a.doc", true, false, A::OpenWithShell,
         R"(E:\docs\a.doc)"},
    };
    for (const Row& row : rows) {
        Settings settings;
        settings.Document.HowToOpen = row.howToOpen;
        settings.Result.UseDriveConstantsWebBrowser = row.useDriveConstants;
        const NavigationRequest request{row.url, row.active, row.isResult};
        const NavigationDecision decision =
            DecideNavigation(request, settings, row.windowsStyle ? windows : posix,
                             row.windowsStyle ? windowsDrives : posixDrives);
        EXPECT_EQ(decision.action, row.action) << row.howToOpen << " " << row.url;
        EXPECT_EQ(decision.target, row.target) << row.howToOpen << " " << row.url;
    }
}

TEST(DocumentDisplayTest, SameFileComparesRealPaths) {
    TempProgramDir dir;
    dir.WriteFile("tmp/result.html", "<html></html>");
    EXPECT_TRUE(IsSameFile(dir.Path("tmp/result.html"), dir.Path("tmp/../tmp/./result.html")));
    EXPECT_FALSE(IsSameFile(dir.Path("tmp/result.html"), dir.Path("tmp/other.html")));
    // A result file that is gone matches nothing, not even another missing file.
    EXPECT_FALSE(IsSameFile(dir.Path("tmp/result.txt"), dir.Path("tmp/result.txt")));
    EXPECT_FALSE(IsSameFile("", ""));
}

TEST(DocumentDisplayTest, HitTitlesAreReadInNamazusCodes) {
    EXPECT_EQ(HitTitleText("1. \xB9\xC1\xC4\xAE"),
              QStringLiteral("1. 港町"));  // EUC-JP, also valid Shift_JIS
    EXPECT_EQ(HitTitleText("2. 灯台メモ 7.txt"), QStringLiteral("2. 灯台メモ 7.txt"));
    EXPECT_EQ(HitTitleText("3. plain"), QStringLiteral("3. plain"));
}

TEST(DocumentDisplayTest, HitPathsGoThroughTheLocationChain) {
    PlatformProfile platform;
    platform.programFolder = "/opt/q/";
    const std::vector<std::string> drives = {"{cdrom1} => /media/cdrom0    [DISC]"};
    EXPECT_EQ(HitDocumentPath("/home/u/a.txt", platform, drives), "/home/u/a.txt");
    EXPECT_EQ(HitDocumentPath("file:///home/u/a.txt", platform, drives), "/home/u/a.txt");
    EXPECT_EQ(HitDocumentPath("/{cdrom1}/docs/a.txt", platform, drives), "/media/cdrom0/docs/a.txt");
    EXPECT_EQ(HitDocumentPath("./idx/a.txt", platform, drives), "/opt/q/./idx/a.txt");
    EXPECT_EQ(HitDocumentPath("http://example.com/a", platform, drives), "http://example.com/a");
}

}  // namespace
