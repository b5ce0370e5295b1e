#pragma once

#include <string>

#include "indexer/MakeIndexForm.h"
#include "process/Prompter.h"
#include "text/CodePage.h"

// The stored defaults of the make-index pages "ファイル(&2)" and "その他(&3)", in the section
// [MknmzDefault] of the settings file. Every other byte of the file stays as it was; the file
// is written atomically, and a read-only or unreadable file is left alone. Failures are silent.

// Writes the keys of one page (group 2 or 3) from the form, in the order of the stored table.
void SaveDefaultOptions(const std::string& iniPath, int group, const MakeIndexForm& form, CodePage codePage);

// Sets the fields of both pages from the file; missing keys read as their defaults. Items 2 and
// later of lstCriteria are only ever checked here, never cleared. The window calls this when it
// is created, before it applies its enabling rules.
void LoadDefaultOptions(const std::string& iniPath, MakeIndexForm& form, CodePage codePage);

// btnSetDefaultDirClick (both "既定値(&S)" buttons): asks, then stores the active page's group.
// `pageNumber` is pgeMknmz's active page counted from 1 (tab2 = 2, tab3 = 3); other pages store
// nothing. True when something was stored.
bool SaveDefaultsOfPage(int pageNumber, const std::string& iniPath, const MakeIndexForm& form,
                        CodePage codePage, Prompter& prompter);
