#pragma once

#include <cstddef>
#include <string>

// Reads of files a user or another user could replace with something else: a device that never
// ends, a FIFO that never opens, a file far too large. Only a regular file is read.
struct RegularFileRead {
    enum class Outcome { Read, Missing, Refused };
    Outcome outcome = Outcome::Missing;
    std::string bytes;
};

// The file's bytes when it is a regular file of at most `maxBytes`. Missing: nothing at the path
// (or a link to nothing). Refused: there is something, but it cannot be read or is no regular
// file or is too large; the open never blocks.
RegularFileRead ReadRegularFile(const std::string& path, std::size_t maxBytes);

// Nothing at all at the path, not even a dangling link.
bool NothingAt(const std::string& path);
