// What a walk left, read by reason: the same on every system.

#include "walk.h"

#include <algorithm>

namespace Platform
{

QStringList FolderRemoval::paths(EntryStatus status) const
{
    QStringList found;
    for (const LeftEntry& entry : left)
        if (entry.status == status)
            found << entry.path;
    found.sort();
    // A second pass over what went last may meet a kept entry again.
    found.removeDuplicates();
    return found;
}

bool FolderRemoval::has(EntryStatus status) const
{
    return std::any_of(left.begin(), left.end(),
                       [status](const LeftEntry& entry) { return entry.status == status; });
}

bool FolderRemoval::leftAnything() const
{
    return std::any_of(left.begin(), left.end(),
                       [](const LeftEntry& entry) { return entry.status != EntryStatus::Kept; });
}

} // namespace Platform
