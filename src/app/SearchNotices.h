#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the search window tells the user about a search beyond its result list. UTF-8 texts.

// The words namazu left out of the search because each hit more documents than its MaxHit
// allows: from "[ WORD (Too many documents hit. Ignored) ]" in the References line of a
// result, plain or HTML. A word namazu did not name (it leaves it out when the query is that
// one word) is an empty text. Empty when no word was left out. Bytes as namazu wrote them.
std::vector<std::string> WordsIgnoredForTooManyHits(std::string_view result);

// The notice for them: which words were ignored and how to narrow the query or raise MaxHit.
// `words` in UTF-8; an empty word is named by `query`.
std::string TooManyHitsNotice(const std::vector<std::string>& words, std::string_view query);
