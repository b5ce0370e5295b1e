#include "NamazuFixture.h"

#include <unistd.h>
#include <QDir>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "process/CommandLine.h"
#include "process/RunCommand.h"
#include "text/CodePage.h"

namespace {

constexpr const char* kPerl = "/usr/bin/perl";
constexpr const char* kMknmz = "/usr/bin/mknmz";
constexpr const char* kNamazu = "/usr/bin/namazu";

// Start failures end up in the build log instead of a message box.
class LogPrompter final : public Prompter {
public:
    explicit LogPrompter(std::vector<std::string>& log) : m_log(log) {}
    MessageResult Message(const QString& text, const QString&, MessageIcon, MessageButtons) override {
        m_log.push_back(text.toStdString());
        return MessageResult::Ok;
    }
    std::optional<QString> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<FontChoice> ChooseFont(const FontChoice&) override { return std::nullopt; }
    void Beep() override {}

private:
    std::vector<std::string>& m_log;
};

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<EnvironmentChange> LangEnvironment(NamazuFixture::Lang lang) {
    if (lang == NamazuFixture::Lang::Japanese) return NamazuEnvironment();
    std::vector<EnvironmentChange> env = NamazuEnvironment();
    env.front().value = "C";
    return env;
}

}  // namespace

void MemoryOutputView::AppendLines(const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

void MemoryOutputView::InsertLine(int index, const std::string& line) {
    lines.insert(lines.begin() + index, line);
}

void MemoryOutputView::InsertLines(int index, const std::vector<std::string>& more) {
    lines.insert(lines.begin() + index, more.begin(), more.end());
}

bool NamazuFixture::ProgramsAvailable() {
    return ::access(kPerl, X_OK) == 0 && ::access(kMknmz, R_OK) == 0 && ::access(kNamazu, X_OK) == 0;
}

std::string NamazuFixture::MknmzCommandLine(const std::string& docsFolder, const std::string& indexFolder,
                                            const std::vector<std::string>& options) {
    std::string line =
        QuoteArgument(kPerl, CodePage::Utf8) + " " + QuoteArgument(kMknmz, CodePage::Utf8) + " --output-dir=" + QuoteArgument(indexFolder, CodePage::Utf8);
    for (const std::string& option : options) line += " " + option;
    return line + " " + QuoteArgument(docsFolder, CodePage::Utf8);
}

NamazuFixture::NamazuFixture(const std::string& docsFolder, const std::vector<std::string>& mknmzOptions,
                             const std::string& indexFolder) {
    if (!m_dir.isValid()) throw std::runtime_error("cannot create a temporary folder");
    m_indexFolder = indexFolder.empty() ? m_dir.path().toStdString() + "/index" : indexFolder;
    QDir().mkpath(QString::fromStdString(m_indexFolder));
    std::vector<std::string> failures;
    LogPrompter prompter(failures);
    m_log.runFlag = 0;
    m_built =
        RunCommand(MknmzCommandLine(docsFolder, m_indexFolder, mknmzOptions), m_dir.path().toStdString(),
                   RunMode::Capture, &m_log, prompter, CodePage::Utf8, NamazuEnvironment()) &&
        ::access((m_indexFolder + "/NMZ.i").c_str(), R_OK) == 0;
    m_log.lines.insert(m_log.lines.end(), failures.begin(), failures.end());
}

std::string NamazuFixture::BuildLog() const {
    std::string text;
    for (const std::string& line : m_log.lines) text += ConvertEncoding(line, "EUC-JP", "UTF-8") + "\n";
    return text;
}

std::string NamazuFixture::Search(const std::string& queryUtf8, const std::vector<std::string>& options,
                                  Lang lang) const {
    const std::string resultFile = m_dir.path().toStdString() + "/result.out";
    ::unlink(resultFile.c_str());
    std::string line = QuoteArgument(kNamazu, CodePage::Utf8);
    for (const std::string& option : options) line += " " + option;
    line += " --output=" + QuoteArgument(resultFile, CodePage::Utf8);
    line += " " + QuoteArgument(ConvertEncoding(queryUtf8, "UTF-8", "EUC-JP"), CodePage::Utf8);
    line += " " + QuoteArgument(m_indexFolder, CodePage::Utf8);

    std::vector<std::string> failures;
    LogPrompter prompter(failures);
    MemoryOutputView output;
    if (!RunCommand(line, m_dir.path().toStdString(), RunMode::Capture, &output, prompter, CodePage::Utf8,
                    LangEnvironment(lang))) {
        throw std::runtime_error("namazu did not start: " + (failures.empty() ? line : failures.front()));
    }
    return ReadBytes(resultFile);
}

void NamazuFixture::GenerateCorpus(const std::string& folder, int count) {
    static const char* const english[] = {
        "harbour", "lighthouse", "keeper", "lens", "beam", "storm", "boat",    "fisher", "market", "museum",
        "stairs",  "lamp",       "tide",   "cape", "wick", "night", "morning", "coast",  "wave",   "rock"};
    static const char* const japanese[] = {"港",   "灯台",   "灯台守", "レンズ", "嵐", "漁船",
                                           "朝市", "博物館", "階段",   "明かり", "潮", "岬",
                                           "波",   "岩",     "夜",     "朝"};
    QDir().mkpath(QString::fromStdString(folder));
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 1; i <= count; ++i) {
        std::string text =
            "Document " + std::to_string(i) + " docmarker" + std::to_string(i) + " corpusword\n";
        for (int sentence = 0; sentence < 4; ++sentence) {
            for (int w = 0; w < 12; ++w) text += std::string(english[next(20)]) + " ";
            text += "\n";
            for (int w = 0; w < 10; ++w) text += std::string(japanese[next(16)]) + "の";
            text += "灯台。\n";
        }
        char name[32];
        std::snprintf(name, sizeof name, "/doc%05d.txt", i);
        std::ofstream out(folder + name, std::ios::binary);
        out << (i % 2 == 0 ? ConvertEncoding(text, "UTF-8", "EUC-JP") : text);
    }
}
