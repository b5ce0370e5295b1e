#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// mknmz tells how far it is with one line per document: "k/N - path [media type]", where N is
// the number of documents it found (it counts down when it skips one) and k the document it has
// just read. A skipped document's line ends with the reason instead of the type; the parts of a
// split HTML file get indented "i/n - " lines of their own, which say nothing about the whole.

struct MknmzProgressLine {
    int done = 0;      // k
    int total = 0;     // N
    std::string path;  // as mknmz wrote it (percent-encoded unless --no-encode-uri)
    std::string type;  // the media type; empty for a skipped document
};

// One line of mknmz's output, as the capture shows it (blanks at the end are ignored).
std::optional<MknmzProgressLine> ParseMknmzProgressLine(std::string_view line);

// The last progress line of a batch of captured lines: the batch is read from its end, so a
// batch of thousands of lines costs one parse.
std::optional<MknmzProgressLine> LastMknmzProgress(const std::vector<std::string>& lines);

// The path for showing: %XX sequences decoded when that gives valid UTF-8, else as it is.
std::string DisplayPathOfMknmzUri(std::string_view path);
