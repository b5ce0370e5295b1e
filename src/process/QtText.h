#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "text/CodePage.h"

// The window boundary: program code page bytes <-> Qt's Unicode.
QString ToQString(CodePage codePage, std::string_view text);
std::string FromQString(CodePage codePage, const QString& text);
