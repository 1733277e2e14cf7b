// What a walk left, read by reason: the same on every system.

#include "walk.h"

#include <algorithm>

namespace Platform
{

WalkProgress::WalkProgress(Step step, int steps) : m_step(std::move(step)), m_steps(qMax(1, steps))
{
}

void WalkProgress::setTotal(quint64 total)
{
    m_total.store(total, std::memory_order_relaxed);
    const quint64 every = qMax<quint64>(1, total / quint64(m_steps));
    m_nextAt.store(m_step ? every : ~quint64(0), std::memory_order_relaxed);
}

void WalkProgress::add(quint64 entries, quint64 bytes)
{
    if (bytes != 0)
        m_bytes.fetch_add(bytes, std::memory_order_relaxed);
    const quint64 done = m_done.fetch_add(entries, std::memory_order_relaxed) + entries;
    if (done < m_nextAt.load(std::memory_order_relaxed))
        return;
    // Rare (at most m_steps times): one worker at a time tells it, with the
    // figure as it is then, so the steps never go back.
    const std::lock_guard<std::mutex> lock(m_stepMutex);
    const quint64 now = m_done.load(std::memory_order_relaxed);
    const quint64 due = m_nextAt.load(std::memory_order_relaxed);
    if (now < due)
        return;
    const quint64 total = m_total.load(std::memory_order_relaxed);
    const quint64 every = qMax<quint64>(1, total / quint64(m_steps));
    m_nextAt.store(now >= total ? ~quint64(0) : (now / every + 1) * every,
                   std::memory_order_relaxed);
    m_step(qMin(now, total), total);
}

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
