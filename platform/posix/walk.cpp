// The folder walk on Linux: the top folder opened once and checked, its
// folders shared out between several walks (contentswalk.h), and removeLast's
// entries at the end.

#include "platform/walk.h"
#include "contentswalk.h"
#include "descriptors.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace Platform
{

using namespace Posix;

namespace
{

// A folder directly inside the top one, if on the top folder's mount; else -1.
int openSameMount(int top, const char* name, const MountOf& mount)
{
    const int fd = ::openat(top, name, folderFlags);
    if (fd < 0 || sameMount(mountOf(fd, "", AT_EMPTY_PATH), mount))
        return fd;
    ::close(fd);
    return -1;
}

// Adds an entry the system refused to result, keeping its first error.
void refused(FolderRemoval& result, const QString& path, int error)
{
    result.complete = false;
    if (result.firstError == 0)
        result.firstError = error;
    result.left.append({path, EntryStatus::Refused, error});
}

// removeLast's entries, once everything else went; with a filter, a folder
// holding them may also hold what it kept.
// A trial run (dryRun) removes nothing and only tells what the system would
// refuse of them.
void removeLastEntries(int top, const MountOf& mount, const LastEntries& last, bool filtered,
                       const QString& topPath, bool dryRun, FolderRemoval& result)
{
    const auto pathOf = [&topPath](const std::string& folder, const std::string& name) -> QString {
        return topPath + QLatin1Char('/') +
               QFile::decodeName((folder.empty() ? name : folder + '/' + name).c_str());
    };
    std::map<std::string, int> folders; // -1: not there
    const FolderRights topRights = dryRun ? folderRights(top) : FolderRights();
    for (const auto& [folder, name] : last.inOrder) {
        int parent = top;
        if (!folder.empty()) {
            auto found = folders.find(folder);
            if (found == folders.end())
                found = folders.emplace(folder, openSameMount(top, folder.c_str(), mount)).first;
            parent = found->second;
        }
        if (parent < 0)
            continue;
        if (dryRun) {
            const FolderRights rights = parent == top ? topRights : folderRights(parent);
            if (const int refusal = removalRefusal(parent, rights, name.c_str()))
                refused(result, pathOf(folder, name), refusal);
        } else if (!removeEntryAt(parent, name.c_str())) {
            refused(result, pathOf(folder, name), errno);
        }
    }
    for (const auto& [folder, fd] : folders) {
        if (fd >= 0)
            ::close(fd);
        if (dryRun) {
            // Emptied, it would go unless the top folder refuses.
            if (const int refusal = removalRefusal(top, topRights, folder.c_str()))
                refused(result, pathOf(folder, std::string()).chopped(1), refusal);
            continue;
        }
        if (removeEmptyFolderAt(top, folder.c_str()))
            continue;
        // Not empty: for what stayed in it, or what the filter kept.
        if (errno == ENOTEMPTY || errno == EEXIST)
            result.complete = result.complete && filtered;
        else
            refused(result, pathOf(folder, std::string()).chopped(1), errno);
    }
}

// How many walks share a removal: one a processor, two to four of them, and
// one alone on a single processor. UNINSTALLER_REMOVAL_WORKERS sets it (the
// benchmark compares one and two).
unsigned removalWorkers()
{
    bool set = false;
    const int wanted = qEnvironmentVariableIntValue("UNINSTALLER_REMOVAL_WORKERS", &set);
    if (set && wanted >= 1)
        return unsigned(std::min(wanted, 4));
    const unsigned processors = std::thread::hardware_concurrency();
    return processors <= 1 ? 1 : std::min(processors, 4u);
}

// How many more descriptors this process may open now.
std::size_t spareDescriptors()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return maxOpenLevels;
    std::size_t open = 0;
    if (DIR* fds = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(fds))
            open += isDotOrDotDot(entry->d_name) ? 0 : 1;
        ::closedir(fds);
    }
    return limit.rlim_cur > open ? std::size_t(limit.rlim_cur - open) : 0;
}

// The folder to empty, opened once: no link, the one that was judged (when
// expected is valid), its mount known. Null when not, with result.complete
// set: a folder that is not there is done.
DIR* openTop(const QString& folder, const FileIdentity& expected, MountOf& mount,
             FolderRemoval& result)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), folderFlags);
    if (fd < 0) {
        // A link or an unreadable folder is left; one that is not there is done.
        result.complete = errno == ENOENT;
        return nullptr;
    }
    // The folder that was judged, not one a folder above it, swapped for a
    // link since, leads to now.
    struct stat opened;
    const bool judged = !expected.valid || (::fstat(fd, &opened) == 0 &&
                                            FileIdentity{quint64(opened.st_dev),
                                                         quint64(opened.st_ino), true} == expected);
    mount = mountOf(fd, "", AT_EMPTY_PATH);
    DIR* top = judged && mount.valid ? ::fdopendir(fd) : nullptr;
    if (!top) {
        ::close(fd);
        result.complete = false;
    }
    return top;
}

// The sealed folders as statx gives them, the walk's own way of naming a
// device.
std::vector<std::pair<quint64, quint64>> statxIdentities(const QVector<FileIdentity>& sealed)
{
    std::vector<std::pair<quint64, quint64>> ids;
    for (const FileIdentity& identity : sealed)
        if (identity.valid)
            ids.emplace_back(quint64(major(dev_t(identity.device))) << 32 |
                                 minor(dev_t(identity.device)),
                             identity.file);
    return ids;
}

// The descriptors there are, shared out: a walk that ran out while another
// held the rest would leave what it could not open. Under a low limit, fewer
// workers, down to one; window is how many folders each may hold open.
unsigned shareDescriptors(std::size_t& window)
{
    const std::size_t spare = std::min(spareDescriptors(), maxOpenLevels);
    const unsigned workers =
        unsigned(std::max<std::size_t>(1, std::min<std::size_t>(removalWorkers(), spare / 4)));
    window = std::max<std::size_t>(3, spare / workers);
    return workers;
}

// Adds what one walk left behind to result: the first walk's first error is
// the first kept, and no more refused entries than maxFailedEntries.
void collect(const ContentsWalk& walk, FolderRemoval& result, int& refusedCount)
{
    result.complete = walk.complete() && result.complete;
    if (result.firstError == 0)
        result.firstError = walk.firstError();
    for (const LeftEntry& entry : walk.left())
        if (entry.status != EntryStatus::Refused || refusedCount++ < maxFailedEntries)
            result.left.append(entry);
}

} // namespace

FolderRemoval removeFolderContents(const WalkPlan& plan)
{
    const QString& folder = plan.folder;
    const EntryFilter* filter = plan.filter;
    // As rm does: every name is removed relative to its open folder, so the
    // system never looks the whole path up again for each file, and a
    // folder renamed or replaced by a link meanwhile is never gone through.
    FolderRemoval result;
    MountOf mount;
    DIR* const top = openTop(folder, plan.expected, mount, result);
    if (!top)
        return result;
    const LastEntries last(plan.removeLast);
    const std::vector<std::pair<quint64, quint64>> sealedIds = statxIdentities(plan.sealed);
    const auto* sealing = sealedIds.empty() ? nullptr : &sealedIds;
    std::atomic<bool> stop{false};
    std::size_t window = 0;
    const unsigned workers = shareDescriptors(window);
    std::vector<std::string> folders;
    if (plan.progress)
        plan.progress->setTotal(countEntries(::dirfd(top), window));
    ContentsWalk topWalk(top, mount, folder, last, window, stop, workers > 1 ? &folders : nullptr,
                         filter, sealing, plan.dryRun, plan.progress);
    topWalk.run();
    // The top folder's folders, on several workers: each walk holds a
    // descriptor of the top folder of its own and takes the next folder
    // that none has taken.
    std::vector<std::unique_ptr<ContentsWalk>> walks;
    std::atomic<std::size_t> next{0};
    const auto work = [&](ContentsWalk& walk) {
        for (std::size_t i; (i = next++) < folders.size();)
            walk.walkFolder(folders[i]);
    };
    std::vector<std::thread> threads;
    for (unsigned w = 1; w < workers && w < folders.size(); ++w) {
        const int topCopy = ::fcntl(::dirfd(top), F_DUPFD_CLOEXEC, 0);
        DIR* stream = topCopy < 0 ? nullptr : ::fdopendir(topCopy);
        if (!stream) {
            if (topCopy >= 0)
                ::close(topCopy);
            break;
        }
        walks.push_back(std::make_unique<ContentsWalk>(stream, mount, folder, last, window, stop,
                                                       nullptr, filter, sealing, plan.dryRun,
                                                       plan.progress));
        try {
            threads.emplace_back(work, std::ref(*walks.back()));
        } catch (const std::system_error&) {
            break; // fewer workers, then
        }
    }
    work(topWalk);
    for (std::thread& thread : threads)
        thread.join();

    int refusedCount = 0;
    collect(topWalk, result, refusedCount);
    for (const auto& walk : walks)
        collect(*walk, result, refusedCount);
    if (result.complete)
        removeLastEntries(::dirfd(top), mount, last, filter != nullptr, folder, plan.dryRun,
                          result);
    if (result.complete && plan.dryRun && plan.progress)
        plan.progress->add(last.inOrder.size()); // they would go too
    return result;
}

} // namespace Platform
