#pragma once

#include <QTemporaryDir>
#include <string>
#include <vector>

#include "process/OutputView.h"

// An output view that only keeps the lines, for runs without a window.
class MemoryOutputView final : public OutputView {
public:
    int LineCount() const override { return static_cast<int>(lines.size()); }
    void AppendLines(const std::vector<std::string>& more) override;
    void AppendLine(const std::string& line) override { lines.push_back(line); }
    void InsertLine(int index, const std::string& line) override;
    void InsertLines(int index, const std::vector<std::string>& more) override;
    void MakeCurrent(int index) override { current = index; }
    void Repaint() override { ++repaints; }
    int RunFlag() const override { return runFlag; }
    void SetRunFlag(int flag) override { runFlag = flag; }

    std::vector<std::string> lines;
    int current = -1;
    int repaints = 0;
    int runFlag = 1;
};

// A real Namazu index: built with the real mknmz (perl /usr/bin/mknmz, LANG=ja_JP.eucJP) from a
// folder of documents into a temporary folder, and searched with the real namazu.
class NamazuFixture {
public:
    enum class Lang { C, Japanese };

    static bool ProgramsAvailable();

    // Indexes `docsFolder`; `mknmzOptions` go before the target folder.
    // `indexFolder`, when given, is where the index goes (it may lie inside `docsFolder`).
    explicit NamazuFixture(const std::string& docsFolder, const std::vector<std::string>& mknmzOptions = {},
                           const std::string& indexFolder = {});

    bool Built() const { return m_built; }
    const std::string& IndexFolder() const { return m_indexFolder; }
    // mknmz's captured output, for a failure message.
    std::string BuildLog() const;

    // Runs namazu with `options`, the query (UTF-8; passed as EUC-JP, the index's code) and the
    // index, writing to a result file; returns that file's bytes.
    std::string Search(const std::string& queryUtf8, const std::vector<std::string>& options = {},
                       Lang lang = Lang::Japanese) const;

    // Writes `count` generated documents (UTF-8 and EUC-JP, English and Japanese) into `folder`.
    // Every document holds "corpusword" and "灯台"; document i holds "docmarker<i>".
    static void GenerateCorpus(const std::string& folder, int count);

    // The mknmz command line for `docsFolder` into `indexFolder`, in Windows form.
    static std::string MknmzCommandLine(const std::string& docsFolder, const std::string& indexFolder,
                                        const std::vector<std::string>& options = {});

private:
    QTemporaryDir m_dir;
    std::string m_indexFolder;
    MemoryOutputView m_log;
    bool m_built = false;
};
