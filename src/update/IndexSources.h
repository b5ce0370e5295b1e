#pragma once

#include <string>
#include <vector>

// What an index was built from, as mknmz --update will index it again: the targets of the "argv"
// line of its NMZ.status (tab-separated, mknmz's own options skipped with their values), taken
// relative to its "cwd" line.
struct IndexSources {
    bool found = false;                // NMZ.status has both lines
    std::vector<std::string> folders;  // targets that are folders now, in argv order, each once
    std::vector<std::string> others;   // targets that are files or do not exist
    std::string targetList;            // --target-list / -F: the targets come from this file
};

IndexSources ReadIndexSources(const std::string& indexFolder);

// The same from the two lines' values, for tests: `argv` as NMZ.status holds it.
IndexSources IndexSourcesOf(const std::string& argv, const std::string& cwd);
