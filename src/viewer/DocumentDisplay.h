#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/PlatformProfile.h"
#include "config/Settings.h"
#include "text/DisplayText.h"

// What opening a hit does: which view shows it, how a text document is prepared for the viewer,
// and what the embedded browser does with a link. No widgets here.

// Status-bar texts (UTF-8).
inline constexpr const char* kShellOpenFailed = "関連付けされたアプリケーションの起動に失敗しました。";
inline constexpr const char* kResultPageStatus = "N:次候補  P:前候補";
inline constexpr const char* kTextPageStatus = "N:次文書  P:前文書";

enum class DocumentPage { Result, TextDoc, HtmlDoc };
// What pgeChange puts on the status bar for the page that became active.
const char* PageStatusText(DocumentPage page);

// The [Document] HowToOpen values; unknown words count as Define.
enum class DocumentType { PlainText, MailNews, Html, System, Define };
DocumentType DocumentTypeOf(std::string_view howToOpen);
// The word the document-type menu writes.
const char* HowToOpenWord(DocumentType type);

// The menu handlers' settings words, from the check marks after the click.
struct ConvertMenuState {
    bool toSjis = false;  // mnuConvertToSJIS
    bool nkf = false;     // mnuConvertNkf
    bool none = false;    // mnuConvertNone
};
// mnuConvertToSJISClick: [Text] Convert; `current` when no item is checked.
std::string ConvertSettingFromMenu(const ConvertMenuState& menu, std::string_view current);
// mnuDecodeHeaderClick: [Text] DecodeHeader.
std::string DecodeHeaderSettingFromMenu(bool checked);
struct DocTypeMenuState {
    bool plainText = false;  // mnuDocPlainText
    bool mailNews = false;   // mnuDocMailNews
    bool html = false;       // mnuDocHTML
    bool system = false;     // mnuDocSystemAuto
    bool define = false;     // mnuDocByExtension
};
// mnuDocPlainTextClick: [Document] HowToOpen; `current` when no item is checked.
std::string HowToOpenFromMenu(const DocTypeMenuState& menu, std::string_view current);

// What the search window remembers of the last hit opened by extension.
struct DefinedDocument {
    std::string DefinedDocKind;  // "HTML", "PlainText", "MailNews", "System"; empty at start
    int DefinedMailFlag = 0;
    std::string DefinedConversion;  // "ToSJIS" once a text document was opened by extension
};

enum class HitView { Beep, TextViewer, Html, Shell };

// OpenHit: which view shows hit `index` of `hitCount`, whose local path is `documentPath`.
// Under Define the extension decides and `defined` is updated; an index outside the list beeps.
HitView DecideOpenHit(int index, int hitCount, std::string_view howToOpen, std::string_view documentPath,
                      PathStyle style, CodePage codePage, DefinedDocument& defined);

// The extension as the platform's file functions give it: from the last "." of the file name,
// "" when the name has none.
std::string FileExtension(std::string_view path, PathStyle style, CodePage codePage);

// A hit's Title for the subject and title panels: namazu writes titles in EUC-JP, file names
// used as titles in UTF-8.
QString HitTitleText(std::string_view title);

// A hit's location as a local path: UriToLocalPath, ExpandProgramRelativePath, ExpandDriveConstant.
std::string HitDocumentPath(std::string_view uri, const PlatformProfile& platform,
                            const std::vector<std::string>& drives);

// How the text viewer prepares a document.
struct TextDisplayOptions {
    bool convertCode = true;   // Japanese code conversion before display
    bool decodeHeader = true;  // MIME words of the leading lines decoded
    bool mailBody = false;     // the view starts at the mail body
    TextCode code = TextCode::Auto;  // the reader's choice for this one document
};
TextDisplayOptions TextOptionsFor(const Settings& settings, const DefinedDocument& defined);

struct TextDocumentView {
    QString text;  // lines separated by "\n"
    // Line (0-based) the view starts at with the caret on it: the first line of a mail's body,
    // the line count when the body is empty; nullopt when the view stays at the top.
    std::optional<int> bodyLine;
};

// The viewer's text from the document's bytes: the display decoding of DocumentToUtf8, straight
// to UTF-16 for documents that are not UTF-8, so that a large mail opens quickly.
TextDocumentView PrepareTextDocument(std::string_view bytes, const TextDisplayOptions& options);

// Where a mail body starts in `text` (lines separated by "\n"): the header ends at the first
// line that is blank once white space is trimmed; the body is the first line from there on that
// is not exactly empty. nullopt when no line ends the header.
std::optional<int> MailBodyLine(QStringView text);

// The message for a document that cannot be read (UTF-8; `path` is in the program code page).
std::string UnreadableFileMessage(const std::string& path, CodePage codePage);

// ---- the embedded browser's links ----

// %XX escapes decoded (a byte that is no hex digit, or beyond the end, counts as 0); every "+",
// also one that %2B produced, becomes a blank.
std::string DecodeUrlEscapes(std::string_view text);

enum class NavigationAction { Proceed, OpenWithShell, Redirect };
struct NavigationDecision {
    NavigationAction action = NavigationAction::Proceed;
    std::string target;  // OpenWithShell: the local path or URL; Redirect: the URL to load instead
};

struct NavigationRequest {
    // The target as text: a file URL as "file://" and its decoded local path, any other URL as
    // it stands.
    std::string url;
    bool htmlPageActive = false;  // the HTML page was active when the navigation began
    bool isResultFile = false;    // the target is the HTML result file itself
};

// WebBrowser1BeforeNavigate2. Only local files are rewritten: a network URL, or any other
// scheme, goes on as it is.
NavigationDecision DecideNavigation(const NavigationRequest& request, const Settings& settings,
                                    const PlatformProfile& platform, const std::vector<std::string>& drives);

// True when both paths name the same existing file.
bool IsSameFile(const std::string& a, const std::string& b);
