#pragma once

// The licence the program is under, as `--version` and the about box name it.
inline constexpr const char* kLicenceName = "GNU General Public License, version 2 or later (GPL-2.0-or-later)";
