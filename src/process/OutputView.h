#pragma once

#include <string>
#include <vector>

// What RunCommand needs of the view it captures a child's output into: an ordered list of
// text lines plus the run flag. Lines are the child's bytes as they came (the view decides how
// to show them). Line indexes are 0-based.
class OutputView {
public:
    virtual ~OutputView() = default;

    virtual int LineCount() const = 0;
    virtual void AppendLines(const std::vector<std::string>& lines) = 0;
    virtual void AppendLine(const std::string& line) = 0;
    // Inserts before line `index`; index == LineCount() appends.
    virtual void InsertLine(int index, const std::string& line) = 0;
    // The same for a batch, kept in order; views override it when one by one is slow.
    virtual void InsertLines(int index, const std::vector<std::string>& lines) {
        for (const std::string& line : lines) InsertLine(index++, line);
    }
    // Makes line `index` the current one and scrolls it into view.
    virtual void MakeCurrent(int index) = 0;
    virtual void Repaint() = 0;

    // 0 while a captured run writes into the view, 1 when none does.
    virtual int RunFlag() const = 0;
    virtual void SetRunFlag(int flag) = 0;
};
