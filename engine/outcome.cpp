#include "outcome.h"

#include <algorithm>

namespace appinstaller
{

bool isLeftOver(const LeftoverItem& item)
{
    switch (item.reason) {
    case LeftoverReason::NotListed:
    case LeftoverReason::PreInstall:
    case LeftoverReason::NotOnlyShortcuts:
    case LeftoverReason::Lookalike:
        return false;
    default:
        return true;
    }
}

bool Outcome::incomplete() const
{
    return std::any_of(m_items.begin(), m_items.end(), [](const LeftoverItem& item) {
        return !item.bScheduled && isLeftOver(item);
    });
}

bool Outcome::restartNeeded() const
{
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const LeftoverItem& item) { return item.bScheduled; });
}

bool Outcome::laterRunMayFinish() const
{
    return std::all_of(m_items.begin(), m_items.end(), [](const LeftoverItem& item) {
        return !isLeftOver(item) || item.reason == LeftoverReason::NotRemoved ||
               item.reason == LeftoverReason::EntryKept;
    });
}

} // namespace appinstaller
