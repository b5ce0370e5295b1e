#pragma once

#include <string>
#include <vector>

#include "config/PlatformProfile.h"

// Bringing the indexes of a search place up to date with mknmz --update, which takes the target
// folders and options of the last build from the index's NMZ.status and indexes only what was
// added, changed or removed since. Nothing is read of the indexed folders here.

enum class UpdateRefusal {
    None,
    NamazurcIndex,  // "+name": a folder under namazurc's IndexDir, not one the place names
    NoIndex,        // no NMZ.status
    NoBuildRecord,  // NMZ.status without the argv and cwd lines mknmz --update needs
    ReadOnly,       // the folder cannot be written
};

struct IndexToUpdate {
    std::string entry;   // as the search place names it (program code page)
    std::string folder;  // the folder it names; empty for NamazurcIndex
    UpdateRefusal refusal = UpdateRefusal::None;
};

// The indexes of the search-place text, in its order, each folder once.
std::vector<IndexToUpdate> IndexesToUpdate(const std::string& placeText, const PlatformProfile& platform,
                                           const std::vector<std::string>& drives);

// The command-list entry that updates `folder`: *mknmz --update="<folder>".
std::string UpdateEntry(const std::string& folder, CodePage codePage);

// Why the index cannot be updated, for a message (UTF-8): "/idx: 書き込みできません".
std::string RefusalLine(const IndexToUpdate& index, CodePage codePage);

// After mknmz --update ended well: NMZ.status's time becomes now. An update that found nothing
// to do writes no file, yet the index is then as fresh as one that was rewritten, and its age
// is read from that time. False when there is no NMZ.status or its time cannot be set.
bool MarkIndexUpdated(const std::string& folder);
