#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text/CodePage.h"

// What the search window tells the user about a search beyond its result list. UTF-8 texts.

// namazu's own lines around the hits of a result (plain or HTML), read in English (namazu under
// LANG=C, or without a generated ja_JP.eucJP) and in Japanese (EUC-JP, through gettext).
struct NamazuFrame {
    bool hasReferences = false;  // "References:" / "参考ヒット数:"
    std::string references;      // the rest of that line, trimmed: "[ WORD: N ] ..."
    int total = -1;  // "Total N documents matching your query." / "検索式にマッチする N 個の..."
    bool noDocument = false;  // "No document matching your query." / "検索式にマッチする文書は..."
};
NamazuFrame ReadNamazuFrame(std::string_view result);

// Why namazu left a word of the query out of the search.
enum class IgnoredReason {
    TooManyDocuments,  // "(Too many documents hit. Ignored)": more than namazurc's MaxHit (or its Japanese
                       // form)
    TooManyWords,      // "(Too many words matched. Ignored)": a wildcard or regex over MaxMatch
};

struct IgnoredWord {
    std::string word;  // as namazu wrote it; empty where namazu did not name it
    IgnoredReason reason = IgnoredReason::TooManyDocuments;
    friend bool operator==(const IgnoredWord&, const IgnoredWord&) = default;
};

// The words namazu's References line (plain or HTML result) marks as ignored, in its order,
// each once. namazu leaves the word out of the mark when the query is that one word. Empty when
// nothing was ignored.
std::vector<IgnoredWord> WordsIgnoredByNamazu(std::string_view result);

// The notice for them: which words were ignored, why, and how to narrow the query or raise the
// limit in namazurc. Words in UTF-8; an empty word is named by `query`.
std::string IgnoredWordsNotice(const std::vector<IgnoredWord>& words, std::string_view query);

// namazu's result (plain or HTML) says that it could not open an index (its English text or its
// Japanese one in EUC-JP or UTF-8).
bool NamazuCouldNotOpenAnIndex(std::string_view result);

// When namazu could not open an index and the search place was split at a blank that belongs to
// a folder name ("/tmp/out idx1" typed without quotes): the notice that says how to quote it,
// naming the folder. Empty when no run of neighbouring pieces, joined with single blanks, names
// an existing index folder. `pieces` are the search place's entries in order (empty ones kept),
// `folderOf` gives the folder namazu would open for an entry. UTF-8.
std::string UnquotedFolderNotice(std::string_view result, const std::vector<std::string>& pieces,
                                 const std::function<std::string(const std::string&)>& folderOf,
                                 CodePage codePage);

// Whether namazu found an index locked: mknmz holds NMZ.lock while it puts a new index in place,
// and namazu then writes "(The index is locked for maintenance)" (in Japanese under a Japanese
// locale, EUC-JP) where the references would be, and finds nothing in that index.
bool NamazuSaysIndexLocked(std::string_view result);
