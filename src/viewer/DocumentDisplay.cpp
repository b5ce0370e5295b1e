#include "viewer/DocumentDisplay.h"

#include <iconv.h>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QSysInfo>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "config/Settings.h"
#include "process/Paths.h"
#include "text/CodePage.h"
#include "text/DisplayText.h"
#include "text/Jconvert.h"
#include "text/MimeHeader.h"

namespace {

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// "http", "mailto", "file" ...: two letters or more before a ":" (one letter is a drive).
std::string SchemeOf(std::string_view url) {
    std::size_t i = 0;
    while (i < url.size() && (std::isalnum(static_cast<unsigned char>(url[i])) || url[i] == '+' ||
                              url[i] == '-' || url[i] == '.')) {
        ++i;
    }
    if (i < 2 || i >= url.size() || url[i] != ':' || !std::isalpha(static_cast<unsigned char>(url[0])))
        return {};
    return AsciiLower(url.substr(0, i));
}

// Pages the browser makes for itself, never links of a document.
bool IsBrowserInternal(std::string_view url) {
    const std::string scheme = SchemeOf(url);
    return scheme == "about" || scheme == "data" || scheme == "blob" || scheme == "javascript";
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

bool HasHighByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Every line break (CR LF, LF, lone CR) made CR LF; with `decodeHeader`, the lines before the
// first empty one go through DecodeMimeHeader.
std::string JoinedWithCrLf(std::string_view bytes, bool decodeHeader) {
    std::string joined;
    joined.reserve(bytes.size() + bytes.size() / 16 + 16);
    bool inHeader = decodeHeader;
    std::size_t start = 0;
    auto addLine = [&](std::string_view line) {
        if (inHeader && line.empty()) inHeader = false;
        if (inHeader) {
            joined += DecodeMimeHeader(line);
        } else {
            joined.append(line);
        }
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        addLine(bytes.substr(start, i - start));
        joined += "\r\n";
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) addLine(bytes.substr(start));
    return joined;
}

// CP932 as glibc's iconv reads it, in two tables built once from iconv itself: a character per
// single byte, and per lead byte the characters of its pairs. 0 marks what iconv refuses.
class Cp932Table {
public:
    Cp932Table() {
        iconv_t cd =
            iconv_open(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE", "CP932");
        if (cd == reinterpret_cast<iconv_t>(-1)) return;
        for (int b = 0; b < 256; ++b) {
            const char in[1] = {static_cast<char>(b)};
            int error = 0;
            m_single[b] = Convert(cd, in, 1, error);
            m_lead[b] = m_single[b] == 0 && error == EINVAL;
            if (!m_lead[b]) continue;
            for (int t = 0; t < 256; ++t) {
                const char pair[2] = {static_cast<char>(b), static_cast<char>(t)};
                m_pairs[b * 256 + t] = Convert(cd, pair, 2, error);
            }
        }
        iconv_close(cd);
        m_ok = true;
    }

    bool ok() const { return m_ok; }

    // UTF-16 with CR LF and lone CR made LF; a byte that starts no character becomes U+FFFD and
    // the text goes on after it, as ConvertEncoding does.
    QString Decode(std::string_view bytes) const {
        QString out(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
        char16_t* dst = reinterpret_cast<char16_t*>(out.data());
        const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
        const std::size_t size = bytes.size();
        for (std::size_t i = 0; i < size; ++i) {
            const unsigned char b = in[i];
            char16_t c = m_single[b];
            if (m_lead[b]) {
                c = i + 1 < size ? m_pairs[b * 256 + in[i + 1]] : 0;
                if (c != 0) ++i;
            }
            if (c == u'\r') {
                c = u'\n';
                if (i + 1 < size && in[i + 1] == '\n') ++i;
            }
            // Byte 0 is the only character that reads as 0.
            *dst++ = c != 0 || b == 0 ? c : char16_t(0xFFFD);
        }
        out.truncate(static_cast<qsizetype>(dst - reinterpret_cast<char16_t*>(out.data())));
        return out;
    }

private:
    // The one UTF-16 unit `length` bytes give when iconv takes them whole as one character; 0 otherwise.
    static char16_t Convert(iconv_t cd, const char* bytes, std::size_t length, int& error) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes);
        std::size_t inLeft = length;
        char16_t unit[2] = {0, 0};
        char* dst = reinterpret_cast<char*>(unit);
        std::size_t dstLeft = sizeof unit;
        error = 0;
        if (iconv(cd, &in, &inLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            error = errno;
            return 0;
        }
        return inLeft == 0 && dstLeft == sizeof unit - sizeof(char16_t) ? unit[0] : 0;
    }

    char16_t m_single[256] = {};
    bool m_lead[256] = {};
    std::vector<char16_t> m_pairs = std::vector<char16_t>(256 * 256, 0);
    bool m_ok = false;
};

QString Cp932ToUtf16WithLf(std::string_view bytes) {
    static const Cp932Table table;
    if (table.ok()) return table.Decode(bytes);
    QString text = QString::fromStdString(ConvertEncoding(bytes, "CP932", "UTF-8"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

}  // namespace

const char* PageStatusText(DocumentPage page) {
    switch (page) {
        case DocumentPage::Result:
            return kResultPageStatus;
        case DocumentPage::TextDoc:
            return kTextPageStatus;
        case DocumentPage::HtmlDoc:
            return "";
    }
    return "";
}

DocumentType DocumentTypeOf(std::string_view howToOpen) {
    if (SettingIs(howToOpen, "plaintext")) return DocumentType::PlainText;
    if (SettingIs(howToOpen, "mailnews")) return DocumentType::MailNews;
    if (SettingIs(howToOpen, "html")) return DocumentType::Html;
    if (SettingIs(howToOpen, "system")) return DocumentType::System;
    return DocumentType::Define;
}

const char* HowToOpenWord(DocumentType type) {
    switch (type) {
        case DocumentType::PlainText:
            return "PlainText";
        case DocumentType::MailNews:
            return "MailNews";
        case DocumentType::Html:
            return "HTML";
        case DocumentType::System:
            return "System";
        case DocumentType::Define:
            return "Define";
    }
    return "Define";
}

std::string ConvertSettingFromMenu(const ConvertMenuState& menu, std::string_view current) {
    if (menu.toSjis) return "ToSJIS";
    if (menu.nkf) return "NKF";
    if (menu.none) return "None";
    return std::string(current);
}

std::string DecodeHeaderSettingFromMenu(bool checked) {
    return checked ? "1" : "0";
}

std::string HowToOpenFromMenu(const DocTypeMenuState& menu, std::string_view current) {
    const std::pair<bool, DocumentType> items[] = {{menu.plainText, DocumentType::PlainText},
                                                   {menu.mailNews, DocumentType::MailNews},
                                                   {menu.html, DocumentType::Html},
                                                   {menu.system, DocumentType::System},
                                                   {menu.define, DocumentType::Define}};
    for (const auto& [checked, type] : items) {
        if (checked) return HowToOpenWord(type);
    }
    return std::string(current);
}

std::string FileExtension(std::string_view path, PathStyle style, CodePage codePage) {
    std::size_t dot = 0;  // 1-based, 0 when the file name has no "."
    for (std::size_t pos = 1; pos <= path.size();) {
        const std::size_t len = CharLength(codePage, path, pos);
        if (len == 1) {
            const char c = path[pos - 1];
            if (c == '.') dot = pos;
            if (c == PathSeparator(style) || (style == PathStyle::Windows && c == ':')) dot = 0;
        }
        pos += len;
    }
    return dot == 0 ? std::string() : std::string(path.substr(dot - 1));
}

HitView DecideOpenHit(int index, int hitCount, std::string_view howToOpen, std::string_view documentPath,
                      PathStyle style, CodePage codePage, DefinedDocument& defined) {
    if (index < 0 || index >= hitCount) return HitView::Beep;
    switch (DocumentTypeOf(howToOpen)) {
        case DocumentType::Html:
            return HitView::Html;
        case DocumentType::PlainText:
        case DocumentType::MailNews:
            return HitView::TextViewer;
        case DocumentType::System:
            return HitView::Shell;
        case DocumentType::Define:
            break;
    }
    std::string ext = AsciiLower(FileExtension(documentPath, style, codePage));
    if (const std::size_t hash = ext.find('#'); hash != std::string::npos) ext.erase(hash);
    if (ext == ".html" || ext == ".htm" || ext == ".shtml") {
        defined.DefinedDocKind = "HTML";
        return HitView::Html;
    }
    if (ext == ".txt" || ext.empty() || ext == ".ini" || ext == ".alm") {
        const bool mail = ext == ".alm";
        defined.DefinedDocKind = mail ? "MailNews" : "PlainText";
        defined.DefinedMailFlag = mail ? 1 : 0;
        defined.DefinedConversion = "ToSJIS";
        return HitView::TextViewer;
    }
    defined.DefinedDocKind = "System";
    return HitView::Shell;
}

QString HitTitleText(std::string_view title) {
    if (IsValidUtf8(title)) return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
    return QString::fromStdString(ConvertEncoding(title, "EUC-JP", "UTF-8"));
}

std::string HitDocumentPath(std::string_view uri, const PlatformProfile& platform,
                            const std::vector<std::string>& drives) {
    const PathStyle style = platform.pathStyle;
    const CodePage codePage = platform.codePage;
    return ExpandDriveConstant(ExpandProgramRelativePath(UriToLocalPath(uri, style, codePage),
                                                         platform.programFolder, style, codePage),
                               drives, style, codePage);
}

TextDisplayOptions TextOptionsFor(const Settings& settings, const DefinedDocument& defined) {
    const bool define = DocumentTypeOf(settings.Document.HowToOpen) == DocumentType::Define;
    TextDisplayOptions options;
    options.decodeHeader = settings.Text.DecodeHeader == "1" || (define && defined.DefinedMailFlag == 1);
    options.convertCode =
        SettingIs(settings.Text.Convert, "tosjis") || (define && defined.DefinedConversion == "ToSJIS");
    options.mailBody = SettingIs(settings.Document.HowToOpen, "mailnews") ||
                       (define && defined.DefinedDocKind == "MailNews");
    return options;
}

TextDocumentView PrepareTextDocument(std::string_view bytes, const TextDisplayOptions& options) {
    TextDocumentView view;
    if (options.code != TextCode::Auto) {
        view.text = QString::fromStdString(DocumentInCodeToUtf8(bytes, options.code, options.decodeHeader));
    } else if (HasHighByte(bytes) && IsValidUtf8(bytes)) {
        view.text = QString::fromStdString(DocumentToUtf8(bytes, options.decodeHeader, options.convertCode));
    } else {
        // As DocumentToUtf8 does it: header lines decoded, lines joined by CR LF, converted as
        // one text, read as CP932, line breaks made LF.
        std::string joined = JoinedWithCrLf(bytes, options.decodeHeader);
        if (options.convertCode) joined = ConvertJapaneseCode(joined, jcSjis);
        view.text = Cp932ToUtf16WithLf(joined);
    }
    if (options.mailBody) view.bodyLine = MailBodyLine(view.text);
    return view;
}

std::optional<int> MailBodyLine(QStringView text) {
    int line = 0;
    qsizetype start = 0;
    bool inHeader = true;
    while (true) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        const QStringView current = text.mid(start, end - start);
        if (inHeader) {
            inHeader =
                !std::all_of(current.begin(), current.end(), [](QChar c) { return c.unicode() <= u' '; });
        }
        if (!inHeader && !current.isEmpty()) return line;
        if (end == text.size()) break;
        start = end + 1;
        ++line;
    }
    if (inHeader) return std::nullopt;
    return line + 1;
}

std::string UnreadableFileMessage(const std::string& path, CodePage codePage) {
    return "ファイル " + ProgramToUtf8(codePage, path) + " は開けません";
}

std::string DecodeUrlEscapes(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char c = text[i];
        if (c == '%') {
            const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : 0;
            const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : 0;
            c = static_cast<char>(high * 16 + low);
            i += 3;
        } else {
            ++i;
        }
        decoded += c == '+' ? ' ' : c;
    }
    return decoded;
}

NavigationDecision DecideNavigation(const NavigationRequest& request, const Settings& settings,
                                    const PlatformProfile& platform, const std::vector<std::string>& drives) {
    if (IsBrowserInternal(request.url)) return {};
    if (!request.htmlPageActive || request.isResultFile) return {};

    const PathStyle style = platform.pathStyle;
    const CodePage codePage = platform.codePage;
    if (SettingIs(settings.Document.HowToOpen, "system")) {
        return {NavigationAction::OpenWithShell, HitDocumentPath(request.url, platform, drives)};
    }
    if (settings.Result.UseDriveConstantsWebBrowser != "1") return {};
    // A network page has no drive constant in it; rewriting would turn it into a file path.
    const std::string scheme = SchemeOf(request.url);
    if (!scheme.empty() && scheme != "file") return {};

    std::string path = UriToLocalPath(request.url, style, codePage);
    const std::string before = AsciiLower(path);
    path = ExpandProgramRelativePath(path, platform.programFolder, style, codePage);
    path = DecodeUrlEscapes(path);
    path = ExpandDriveConstant(path, drives, style, codePage);
    if (AsciiLower(path) == before) return {};
    return {NavigationAction::Redirect, "file://" + LocalPathToUriPath(path, style, codePage)};
}

bool IsSameFile(const std::string& a, const std::string& b) {
    if (a.empty() || b.empty()) return false;
    const QString first = QFileInfo(QFile::decodeName(QByteArray::fromStdString(a))).canonicalFilePath();
    return !first.isEmpty() &&
           first == QFileInfo(QFile::decodeName(QByteArray::fromStdString(b))).canonicalFilePath();
}
