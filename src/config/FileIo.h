#pragma once

#include <optional>
#include <string>

// Whole-file reads and atomic writes. Paths are byte strings in the program code page.

// The file's bytes, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes through a temporary file and a rename: on any failure the previous file stays intact.
// A link is written through when it is the user's own (or root's), never when another user
// planted it; a file the user could not write himself, or one that is not a regular file, is
// never replaced. False in those cases.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// Removes the temporary files of saves into `folder` that were killed before their rename.
// Files of saves still running are locked by them and stay.
void RemoveStaleSaveFiles(const std::string& folder);

// True when the file has no write permission, and also when it cannot be examined
// (it does not exist). Not fooled by running as root.
bool IsReadOnlyFile(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
