#pragma once

#include <string>
#include <string_view>

#include "text/CodePage.h"

// A query in the code of namazu's index on Linux (EUC-JP), written as mknmz's nkf writes the
// documents it indexes: NEC and IBM extension characters (①, 髙) in nkf's rows, full-width
// letters and blanks as ASCII, half-width katakana as full-width ones.
struct NamazuQuery {
    std::string eucJp;
    // The first character that has no form in the index, in the program code page; empty when
    // the whole query converted.
    std::string unconvertible;
};

NamazuQuery QueryToNamazuEuc(CodePage codePage, std::string_view query);
