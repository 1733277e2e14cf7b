#include "contentswalk.h"
#include "platform/testhooks.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace Platform
{
namespace Posix
{

namespace
{

bool runsOut(int error)
{
    return error == EMFILE || error == ENFILE;
}

// What Windows would refuse to delete as in use, where a test asks for it
// (TestHooks::filesTakenAsInUse; nothing in the program as shipped): the walk
// leaves those files and lists them as EntryStatus::InUse. Files by mount
// device (major << 32 | minor, as MountOf) and inode.
bool takenAsInUse(quint64 device, quint64 inode)
{
    static const std::set<std::pair<quint64, quint64>> held = [] {
        std::set<std::pair<quint64, quint64>> files;
        for (const FileIdentity& identity : TestHooks::filesTakenAsInUse()) {
            const auto dev = static_cast<dev_t>(identity.device);
            if (identity.valid)
                files.emplace(quint64(major(dev)) << 32 | minor(dev), identity.file);
        }
        return files;
    }();
    return !held.empty() && held.count({device, inode}) != 0;
}

// The size of a plain file named relative to folder; 0 for anything else.
quint64 sizeAt(int folder, const char* name)
{
    struct stat status;
    return ::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode)
               ? quint64(status.st_size)
               : 0;
}

bool contains(const std::vector<std::string>& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

LastEntries::LastEntries(const QStringList& entries)
{
    for (const QString& entry : entries) {
        const QStringList names = entry.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (names.isEmpty() || names.size() > 2 || names.contains(QStringLiteral(".")) ||
            names.contains(QStringLiteral("..")))
            continue;
        const std::string last = QFile::encodeName(names.last()).toStdString();
        const std::string folder =
            names.size() == 2 ? QFile::encodeName(names.first()).toStdString() : std::string();
        (folder.empty() ? top : inFolders[folder]).push_back(last);
        inOrder.emplace_back(folder, last);
    }
}

ContentsWalk::ContentsWalk(DIR* top, const MountOf& topMount, const QString& topPath,
                           const LastEntries& last, std::size_t window, std::atomic<bool>& stop,
                           std::vector<std::string>* handOut, const EntryFilter* filter,
                           const std::vector<std::pair<quint64, quint64>>* sealed, bool dryRun,
                           WalkProgress* progress)
    : m_mount(topMount), m_topPath(topPath), m_last(last), m_window(window), m_stop(stop),
      m_handOut(handOut), m_filter(filter), m_sealed(sealed), m_dryRun(dryRun), m_progress(progress)
{
    Level level;
    level.stream = top;
    level.last = last.top.empty() ? nullptr : &last.top;
    level.decides = filter != nullptr;
    if (dryRun)
        level.rights = folderRights(::dirfd(top));
    m_levels.push_back(std::move(level));
}

ContentsWalk::~ContentsWalk()
{
    tellProgress();
    for (const Level& level : m_levels)
        if (level.stream)
            ::closedir(level.stream);
}

void ContentsWalk::walkFolder(const std::string& name)
{
    enter(::dirfd(m_levels.front().stream), name.c_str(),
          decide(name.c_str(), true) == EntryFilter::Decision::Enter);
    walk(1);
}

void ContentsWalk::walk(std::size_t floor)
{
    while (m_levels.size() > floor && !m_stop.load(std::memory_order_relaxed)) {
        Level& current = m_levels.back();
        errno = 0;
        const dirent* entry = ::readdir(current.stream);
        if (!entry) {
            if (errno != 0)
                m_complete = false;
            if (m_levels.size() == 1)
                break;
            leaveLevel();
            continue;
        }
        const char* name = entry->d_name;
        if (isDotOrDotDot(name) || (current.reread && current.failed.count(name)))
            continue;
        const int currentFd = ::dirfd(current.stream);
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status;
            if (::fstatat(currentFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno != ENOENT)
                    fail(name, errno);
                continue;
            }
            isFolder = S_ISDIR(status.st_mode);
        }
        if (!isFolder && current.last && contains(*current.last, name))
            continue; // removeLast: after the walk
        const EntryFilter::Decision decision = decide(name, isFolder);
        if (decision == EntryFilter::Decision::Keep)
            keep(name);
        else if (isFolder && m_handOut && m_levels.size() == 1)
            m_handOut->emplace_back(name);
        else if (isFolder)
            enter(currentFd, name, decision == EntryFilter::Decision::Enter);
        else if (takenAsInUse(m_mount.device, entry->d_ino))
            fail(name, 0, EntryStatus::InUse);
        else if (m_dryRun) {
            // What the real run would meet: a read-only folder, an immutable file.
            if (const int refusal = removalRefusal(currentFd, current.rights, name))
                fail(name, refusal);
            else
                gone(m_progress ? sizeAt(currentFd, name) : 0);
        } else if (!removeEntryAt(currentFd, name))
            fail(name, errno);
        else
            gone();
    }
    tellProgress();
}

void ContentsWalk::tellProgress()
{
    if (!m_progress || m_pending == 0)
        return;
    m_progress->add(m_pending, m_pendingBytes);
    m_pending = 0;
    m_pendingBytes = 0;
}

quint64 countEntries(int top, std::size_t window)
{
    quint64 count = 0;
    std::vector<DIR*> open;
    const int fd = ::openat(top, ".", folderFlags);
    if (DIR* stream = fd < 0 ? nullptr : ::fdopendir(fd))
        open.push_back(stream);
    else if (fd >= 0)
        ::close(fd);
    while (!open.empty()) {
        const dirent* entry = ::readdir(open.back());
        if (!entry) {
            ::closedir(open.back());
            open.pop_back();
            continue;
        }
        const char* name = entry->d_name;
        if (isDotOrDotDot(name))
            continue;
        ++count;
        const int parent = ::dirfd(open.back());
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status;
            isFolder = ::fstatat(parent, name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                       S_ISDIR(status.st_mode);
        }
        if (!isFolder || open.size() >= window)
            continue;
        const int folder = ::openat(parent, name, folderFlags);
        if (DIR* stream = folder < 0 ? nullptr : ::fdopendir(folder))
            open.push_back(stream);
        else if (folder >= 0)
            ::close(folder);
    }
    return count;
}

EntryFilter::Decision ContentsWalk::decide(const char* name, bool isFolder) const
{
    if (!m_filter || !m_levels.back().decides)
        return EntryFilter::Decision::Remove;
    return m_filter->decide(m_levels.back().relative + QFile::decodeName(name), isFolder);
}

void ContentsWalk::keep(const char* name)
{
    m_levels.back().failed.insert(name);
    m_levels.back().holdsKept = true;
    m_left.append({pathOf(name), EntryStatus::Kept, 0});
}

void ContentsWalk::fail(const char* name, int error, EntryStatus status)
{
    m_complete = false;
    m_levels.back().failed.insert(name);
    if (status != EntryStatus::Refused) {
        m_left.append({pathOf(name), status, error});
        return;
    }
    // A folder left for what stayed in it is no failure of its own.
    if (error == ENOTEMPTY || error == EEXIST)
        return;
    if (m_firstError == 0)
        m_firstError = error;
    if (m_refused++ < maxFailedEntries)
        m_left.append({pathOf(name), status, error});
}

bool ContentsWalk::closeOldest()
{
    if (m_firstOpen + 1 >= m_levels.size())
        return false;
    ::closedir(m_levels[m_firstOpen].stream);
    m_levels[m_firstOpen].stream = nullptr;
    ++m_firstOpen;
    return true;
}

int ContentsWalk::openFolderAt(int parent, const char* name)
{
    for (;;) {
        const int fd = ::openat(parent, name, folderFlags);
        if (fd >= 0 || !runsOut(errno))
            return fd;
        if (!closeOldest())
            return -1;
        m_window = openLevels() + 1;
    }
}

void ContentsWalk::enter(int currentFd, const char* name, bool decides)
{
    const int fd = openFolderAt(currentFd, name);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT)
            return;
        // No longer a folder since it was listed (a link now): removed
        // as what it is, never entered. Unreadable: it goes only if empty.
        const bool asEntry = error == ELOOP || error == ENOTDIR;
        const bool removed = m_dryRun  ? asEntry
                             : asEntry ? removeEntryAt(currentFd, name)
                                       : removeEmptyFolderAt(currentFd, name);
        if (!removed)
            fail(name, m_dryRun ? error : errno);
        return;
    }
    const MountOf mount = mountOf(fd, "", AT_EMPTY_PATH);
    if (!sameMount(mount, m_mount)) {
        ::close(fd);
        if (mount.valid)
            fail(name, EXDEV, EntryStatus::OtherFileSystem);
        else
            fail(name, EXDEV);
        return;
    }
    // Another product's folder, under whatever path its entry names it:
    // never entered.
    if (m_sealed && std::find(m_sealed->begin(), m_sealed->end(),
                              std::make_pair(mount.device, mount.inode)) != m_sealed->end()) {
        ::close(fd);
        fail(name, EPERM, EntryStatus::OtherProduct);
        return;
    }
    DIR* stream = ::fdopendir(fd);
    if (!stream) {
        const int error = errno;
        ::close(fd);
        fail(name, error);
        return;
    }
    Level level;
    level.stream = stream;
    level.name = name;
    level.device = mount.device;
    level.inode = mount.inode;
    level.decides = decides;
    if (decides)
        level.relative = m_levels.back().relative + QFile::decodeName(name) + QLatin1Char('/');
    if (m_dryRun)
        level.rights = folderRights(fd);
    if (m_levels.size() == 1) {
        const auto found = m_last.inFolders.find(level.name);
        if (found != m_last.inFolders.end())
            level.last = &found->second;
    }
    m_levels.push_back(std::move(level));
    while (openLevels() > m_window && closeOldest()) {
    }
}

void ContentsWalk::leaveLevel()
{
    const std::size_t current = m_levels.size() - 1;
    if (current - 1 < m_firstOpen && current - 1 > 0 && !reopenParent(current)) {
        m_complete = false;
        m_stop = true;
        return;
    }
    ::closedir(m_levels[current].stream);
    const std::string name = std::move(m_levels[current].name);
    const bool holdsLast = m_levels[current].last != nullptr;
    const bool holdsKept = m_levels[current].holdsKept;
    const bool emptied = m_levels[current].failed.empty();
    m_levels.pop_back();
    if (m_firstOpen > m_levels.size() - 1)
        m_firstOpen = std::max<std::size_t>(1, m_levels.size() - 1);
    if (holdsKept) {
        m_levels.back().failed.insert(name);
        m_levels.back().holdsKept = true;
    } else if (!holdsLast) {
        const int parent = ::dirfd(m_levels.back().stream);
        int refusal = 0;
        if (!m_dryRun) {
            if (!removeEmptyFolderAt(parent, name.c_str()))
                fail(name.c_str(), errno);
            else
                gone();
        } else if (!emptied) {
            fail(name.c_str(), ENOTEMPTY);
        } else if ((refusal = removalRefusal(parent, m_levels.back().rights, name.c_str())) != 0) {
            fail(name.c_str(), refusal);
        } else {
            gone();
        }
    }
}

bool ContentsWalk::reopenParent(std::size_t current)
{
    Level& parent = m_levels[current - 1];
    const int fd = ::openat(::dirfd(m_levels[current].stream), "..", folderFlags);
    if (fd < 0)
        return false;
    const MountOf found = mountOf(fd, "", AT_EMPTY_PATH);
    DIR* stream = found.valid && found.device == parent.device && found.inode == parent.inode
                      ? ::fdopendir(fd)
                      : nullptr;
    if (!stream) {
        ::close(fd);
        return false;
    }
    parent.stream = stream;
    parent.reread = true;
    m_firstOpen = current - 1;
    return true;
}

QString ContentsWalk::pathOf(const char* name) const
{
    QString path = m_topPath;
    for (std::size_t i = 1; i < m_levels.size(); ++i)
        path += QLatin1Char('/') + QFile::decodeName(m_levels[i].name.c_str());
    return path + QLatin1Char('/') + QFile::decodeName(name);
}

} // namespace Posix
} // namespace Platform
