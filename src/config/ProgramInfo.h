#pragma once

#include <string>

// The program's name, version and licence, as `--version` and the about box give them.
inline constexpr const char* kLicenceName = "GNU General Public License, version 2 or later (GPL-2.0-or-later)";

// What `quarrow --version` prints: name and version, copyright, licence, no warranty.
std::string VersionText();
std::string ProgramVersion();
