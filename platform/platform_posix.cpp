// The stand-in used on systems other than Windows.

#include "platform.h"
#include "standin/standin.h"
#include "testhooks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileInfoList>
#include <QSettings>
#include <QSysInfo>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace Platform
{

namespace
{

std::string readLink(const std::string& path)
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length <= 0)
        return std::string();
    return std::string(buffer, static_cast<size_t>(length));
}

std::string readSmallFile(const std::string& path)
{
    std::string content;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return content;
    char buffer[4096];
    ssize_t length;
    // The first word is all that is wanted; a page or two holds it.
    while (content.size() < 2 * sizeof buffer && (length = ::read(fd, buffer, sizeof buffer)) > 0)
        content.append(buffer, static_cast<size_t>(length));
    ::close(fd);
    return content;
}

} // namespace

std::vector<ProcessRecord> runningProcesses()
{
    std::vector<ProcessRecord> processes;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return processes;
    while (const dirent* entry = ::readdir(proc)) {
        const char* name = entry->d_name;
        if (!std::isdigit(static_cast<unsigned char>(name[0])))
            continue;
        char* end = nullptr;
        const unsigned long long pid = std::strtoull(name, &end, 10);
        if (*end != '\0')
            continue;
        const std::string base = std::string("/proc/") + name;
        std::string exeName = procExeName(readLink(base + "/exe"), std::string());
        if (exeName.empty())
            exeName = procExeName(std::string(), readSmallFile(base + "/cmdline"));
        if (exeName.empty())
            continue; // kernel threads and processes that ended meanwhile
        processes.push_back(ProcessRecord{pid, exeName});
    }
    ::closedir(proc);
    return processes;
}

unsigned long long currentProcessId()
{
    return static_cast<unsigned long long>(::getpid());
}

NativeName nativeProcessName(const QString& name)
{
    return name.toLocal8Bit().toStdString();
}

int nativeArchitecture()
{
    return architectureFromCpuName(QSysInfo::currentCpuArchitecture());
}

std::unique_ptr<QSettings> openRegistryKey(const QString& keyPath)
{
    const QString path = standinIniPath(standinRoot(), keyPath);
    if (QFileInfo(path).isSymLink()) {
        return keyThatIsNoEntry();
    }
    auto key = std::make_unique<QSettings>(path, QSettings::IniFormat);
    key->setIniCodec("UTF-8");
    return key;
}

QString expandedRegistryString(const QString& value)
{
    return value;
}

std::vector<UninstallEntry> uninstallEntries()
{
    std::vector<UninstallEntry> entries;
    const QString root = standinRoot();
    for (const char* key :
         {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
          "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\"
          "CurrentVersion\\Uninstall",
          "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}) {
        QString folder = standinIniPath(root, QLatin1String(key));
        folder.chop(4); // ".ini": the key's subkeys are the files in its folder
        const QFileInfoList files =
            QDir(folder).entryInfoList({QStringLiteral("*.ini")}, QDir::Files | QDir::Hidden);
        for (const QFileInfo& file : files) {
            // Read only: an entry file that is a link tells where another
            // product lives, and nothing is ever written through it.
            QSettings entry(file.filePath(), QSettings::IniFormat);
            entry.setIniCodec("UTF-8");
            QStringList commands;
            for (const char* name : {"UninstallString", "QuietUninstallString", "DisplayIcon"})
                commands << entry.value(QLatin1String(name)).toString();
            entries.push_back({file.completeBaseName(),
                               entry.value(QStringLiteral("InstallLocation")).toString(),
                               entry.value(QStringLiteral("InstallSource")).toString(), commands});
        }
    }
    return entries;
}

QStringList installerComponentPaths()
{
    QString userData = standinIniPath(
        standinRoot(), QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                      "CurrentVersion\\Installer\\UserData"));
    userData.chop(4); // ".ini": its subkeys are the folders and files in its folder
    QStringList paths;
    for (const QString& user : QDir(userData).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // Read by hand: QSettings takes seconds over tens of thousands of
        // groups, and only the values are wanted.
        QFile file(userData + QLatin1Char('/') + user + QStringLiteral("/Components.ini"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& line : lines) {
            const int equals = line.indexOf('=');
            if (equals <= 0 || line.startsWith('[') || line.startsWith(';'))
                continue;
            QByteArray value = line.mid(equals + 1).trimmed();
            if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
                value = value.mid(1, value.size() - 2);
            // "C:\\X\\a.dll" or "/x/a.dll"; "01:\\SOFTWARE\\..." is a registry key.
            if (value.startsWith('/') || (value.size() > 2 && value.at(1) == ':' &&
                                          (value.at(2) == '\\' || value.at(2) == '/') &&
                                          !std::isdigit(static_cast<unsigned char>(value.at(0)))))
                paths << QString::fromUtf8(value);
        }
    }
    return paths;
}

QString allUsersDesktop()
{
    return standinWindowsPath(standinRoot(), QStringLiteral("C:/Users/Public/Desktop/"));
}

QString allUsersStartMenu()
{
    return standinWindowsPath(
        standinRoot(), QStringLiteral("C:/ProgramData/Microsoft/Windows/Start Menu/Programs"));
}

bool entryExists(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

QString homeFolder()
{
    // getpwuid_r: the removal runs on a worker thread.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    QString databaseHome;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        databaseHome = QFile::decodeName(found->pw_dir);
    return homeFrom(qEnvironmentVariable("HOME"), databaseHome);
}

QStringList systemFolders()
{
    return posixFolderLists(homeFolder()).folders;
}

Qt::CaseSensitivity pathCaseSensitivity()
{
    return Qt::CaseSensitive;
}

bool isLinkOrJunction(const QString& path)
{
    return QFileInfo(path).isSymLink();
}

bool isLinkOrJunction(const QFileInfo& entry)
{
    return entry.isSymLink();
}

bool isRemotePath(const QString& path)
{
    return path.startsWith(QLatin1String("//")) || path.startsWith(QLatin1String("\\\\"));
}

QString resolvedPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

bool usesDrivePaths()
{
    return false;
}

QStringList sealedSystemFolders()
{
    QStringList sealed = posixFolderLists(homeFolder()).sealed;
    // The user's session folders where the environment moves them.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.startsWith(QLatin1Char('/')))
        sealed << config + QStringLiteral("/autostart");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/')))
        sealed << runtime;
    return sealed;
}

QStringList userProfileParents()
{
    return posixFolderLists(homeFolder()).profileParents;
}

bool removeLink(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

namespace
{

// The mount a file lies on: its mount id where the kernel tells it (a bind
// mount of a folder of the same file system has the device of its source),
// else its device.
struct MountOf {
    quint64 id = 0;
    bool byMountId = false;
    bool valid = false;
    quint64 device = 0; // and which file it is
    quint64 inode = 0;
};

MountOf mountOf(int dirFd, const char* name, int flags)
{
    MountOf mount;
    struct statx status;
    if (::statx(dirFd, name, flags, STATX_INO | STATX_MNT_ID, &status) != 0)
        return mount;
    mount.valid = true;
    mount.byMountId = (status.stx_mask & STATX_MNT_ID) != 0;
    mount.device = quint64(status.stx_dev_major) << 32 | status.stx_dev_minor;
    mount.inode = status.stx_ino;
    mount.id = mount.byMountId ? status.stx_mnt_id : mount.device;
    return mount;
}

bool sameMount(const MountOf& a, const MountOf& b)
{
    return a.valid && b.valid && a.byMountId == b.byMountId && a.id == b.id;
}

// The walk holds at most this many folders open, the top one included, and
// fewer once the system says descriptors ran out.
constexpr std::size_t maxOpenLevels = 256;

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool runsOut(int error)
{
    return error == EMFILE || error == ENFILE;
}

// Removes a file or link named relative to the open folder parent. Here
// unlinking depends on the folder's permissions, never on the file's own
// mode, so there is no second try with the write bit: changing a mode by
// name would follow a link swapped in meanwhile, or reach a file linked
// from outside.
bool removeEntryAt(int parent, const char* name)
{
    return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
}

bool removeEmptyFolderAt(int parent, const char* name)
{
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

// What Windows would refuse to delete as in use, where a test asks for it
// (TestHooks::filesTakenAsInUse; nothing in the program as shipped): the walk
// leaves those files and lists them in FolderRemoval::inUse. Files by mount
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

bool contains(const std::vector<std::string>& names, const char* name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// removeLast, split by depth: files of the top folder, and files of the
// folders directly inside it, by folder.
struct LastEntries {
    std::vector<std::string> top;
    std::map<std::string, std::vector<std::string>> inFolders;
    std::vector<std::pair<std::string, std::string>> inOrder; // (folder or empty, name)

    explicit LastEntries(const QStringList& entries)
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
};

// Removes everything below an open folder, depth first, every name relative
// to its open parent. Going down, the oldest open folders are closed when
// more than the window would be open; going back up to a closed one, it is
// reopened through ".." of the folder below and must be the very folder
// first opened (device and inode), or the walk stops there, and every walk
// sharing its stop flag with it. Nothing on another mount than the top
// folder's is entered.
class ContentsWalk
{
public:
    // top: the top folder, which the walk owns from here on. With handOut,
    // the top folder's own folders are not entered but listed there, for
    // walkFolder() of this or another walk.
    ContentsWalk(DIR* top, const MountOf& topMount, const QString& topPath, const LastEntries& last,
                 std::size_t window, std::atomic<bool>& stop,
                 std::vector<std::string>* handOut = nullptr, const EntryFilter* filter = nullptr,
                 const std::vector<std::pair<quint64, quint64>>* sealed = nullptr)
        : m_mount(topMount), m_topPath(topPath), m_last(last), m_window(window), m_stop(stop),
          m_handOut(handOut), m_filter(filter), m_sealed(sealed)
    {
        Level level;
        level.stream = top;
        level.last = last.top.empty() ? nullptr : &last.top;
        level.decides = filter != nullptr;
        m_levels.push_back(std::move(level));
    }

    ~ContentsWalk()
    {
        for (const Level& level : m_levels)
            if (level.stream)
                ::closedir(level.stream);
    }

    ContentsWalk(const ContentsWalk&) = delete;
    ContentsWalk& operator=(const ContentsWalk&) = delete;

    // The whole top folder.
    void run() { walk(0); }

    // One folder directly inside the top one, and the folder itself.
    void walkFolder(const std::string& name)
    {
        enter(::dirfd(m_levels.front().stream), name.c_str(),
              decide(name.c_str(), true) == EntryFilter::Decision::Enter);
        walk(1);
    }

    // False when something stayed or a walk stopped.
    bool complete() const { return m_complete && !m_stop.load(std::memory_order_relaxed); }

    // Folders inside left alone as other file systems, by their full paths.
    const QStringList& otherFileSystems() const { return m_otherFileSystems; }
    const QStringList& otherProducts() const { return m_otherProducts; }

    // What the system refused, by full path.
    const QVector<FailedEntry>& failed() const { return m_failed; }

    // What was left in use, by full path.
    const QStringList& inUse() const { return m_inUse; }
    // What the filter kept, by full path.
    const QStringList& kept() const { return m_kept; }

private:
    // Until the folders deeper than floor are done.
    void walk(std::size_t floor)
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
                        fail(name);
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
                hold(name);
            else if (!removeEntryAt(currentFd, name))
                fail(name);
        }
    }

    struct Level {
        DIR* stream = nullptr; // null while closed to spare descriptors
        std::string name;      // in the level above
        quint64 device = 0;    // what it was when first opened
        quint64 inode = 0;
        bool reread = false;                            // reopened, so listed from its start again
        std::set<std::string> failed;                   // what stayed here, not to be tried again
        const std::vector<std::string>* last = nullptr; // removeLast's names in it
        bool decides = false;                           // the filter is asked about what it holds
        bool holdsKept = false;                         // holds what the filter kept: stays
    };

    // What the filter makes of an entry of the current folder; Remove where
    // it is not asked.
    EntryFilter::Decision decide(const char* name, bool isFolder) const
    {
        if (!m_filter || !m_levels.back().decides)
            return EntryFilter::Decision::Remove;
        std::string relative;
        for (std::size_t i = 1; i < m_levels.size(); ++i)
            relative.append(m_levels[i].name).push_back('/');
        relative.append(name);
        return m_filter->decide(QFile::decodeName(relative.c_str()), isFolder);
    }

    // An entry of the current folder the filter keeps: it and the folders
    // holding it stay, and a folder listed again does not ask again.
    void keep(const char* name)
    {
        m_levels.back().failed.insert(name);
        m_levels.back().holdsKept = true;
        m_kept << pathOf(name);
    }

    // What stayed in the current folder, with errno as the failed call set
    // it; a folder that stayed for what it holds is not recorded again.
    void fail(const char* name)
    {
        const int error = errno;
        m_complete = false;
        m_levels.back().failed.insert(name);
        if (error != ENOTEMPTY && error != EEXIST && m_failed.size() < maxFailedEntries)
            m_failed.push_back({pathOf(name), error});
    }

    void hold(const char* name)
    {
        m_complete = false;
        m_levels.back().failed.insert(name);
        m_inUse << pathOf(name);
    }

    std::size_t openLevels() const { return 1 + m_levels.size() - m_firstOpen; }

    // Closes the oldest open folder but the top and the current one.
    bool closeOldest()
    {
        if (m_firstOpen + 1 >= m_levels.size())
            return false;
        ::closedir(m_levels[m_firstOpen].stream);
        m_levels[m_firstOpen].stream = nullptr;
        ++m_firstOpen;
        return true;
    }

    int openFolderAt(int parent, const char* name)
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

    void enter(int currentFd, const char* name, bool decides = false)
    {
        const int fd = openFolderAt(currentFd, name);
        if (fd < 0) {
            if (errno == ENOENT)
                return;
            // No longer a folder since it was listed (a link now): removed
            // as what it is, never entered. Unreadable: it goes only if empty.
            const bool removed = errno == ELOOP || errno == ENOTDIR
                                     ? removeEntryAt(currentFd, name)
                                     : removeEmptyFolderAt(currentFd, name);
            if (!removed)
                fail(name);
            return;
        }
        const MountOf mount = mountOf(fd, "", AT_EMPTY_PATH);
        if (!sameMount(mount, m_mount)) {
            ::close(fd);
            if (mount.valid)
                m_otherFileSystems << pathOf(name);
            errno = EXDEV;
            fail(name);
            return;
        }
        // Another product's folder, under whatever path its entry names it:
        // never entered.
        if (m_sealed && std::find(m_sealed->begin(), m_sealed->end(),
                                  std::make_pair(mount.device, mount.inode)) != m_sealed->end()) {
            ::close(fd);
            m_otherProducts << pathOf(name);
            errno = EPERM;
            fail(name);
            return;
        }
        DIR* stream = ::fdopendir(fd);
        if (!stream) {
            ::close(fd);
            fail(name);
            return;
        }
        Level level;
        level.stream = stream;
        level.name = name;
        level.device = mount.device;
        level.inode = mount.inode;
        level.decides = decides;
        if (m_levels.size() == 1) {
            const auto found = m_last.inFolders.find(level.name);
            if (found != m_last.inFolders.end())
                level.last = &found->second;
        }
        m_levels.push_back(std::move(level));
        while (openLevels() > m_window && closeOldest()) {
        }
    }

    // Done with the current folder: back to the one above, which removes it
    // unless removeLast names something in it.
    void leaveLevel()
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
        m_levels.pop_back();
        if (m_firstOpen > m_levels.size() - 1)
            m_firstOpen = std::max<std::size_t>(1, m_levels.size() - 1);
        if (holdsKept) {
            m_levels.back().failed.insert(name);
            m_levels.back().holdsKept = true;
        } else if (!holdsLast &&
                   !removeEmptyFolderAt(::dirfd(m_levels.back().stream), name.c_str())) {
            fail(name.c_str());
        }
    }

    // The closed folder above the level current, through "..": only the one
    // first opened there will do.
    bool reopenParent(std::size_t current)
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

    // The full path of name in the current folder, for the record.
    QString pathOf(const char* name) const
    {
        QString path = m_topPath;
        for (std::size_t i = 1; i < m_levels.size(); ++i)
            path += QLatin1Char('/') + QFile::decodeName(m_levels[i].name.c_str());
        return path + QLatin1Char('/') + QFile::decodeName(name);
    }

    const MountOf m_mount;
    const QString m_topPath;
    const LastEntries& m_last;
    std::vector<Level> m_levels;
    std::size_t m_firstOpen = 1; // the top and m_levels[m_firstOpen...] are open
    std::size_t m_window;
    bool m_complete = true;
    std::atomic<bool>& m_stop;
    std::vector<std::string>* m_handOut;
    const EntryFilter* m_filter;
    QStringList m_otherFileSystems;
    QStringList m_otherProducts;
    const std::vector<std::pair<quint64, quint64>>* m_sealed;
    QVector<FailedEntry> m_failed;
    QStringList m_inUse;
    QStringList m_kept;
};

// A folder directly inside the top one, if on the top folder's mount; else -1.
int openSameMount(int top, const char* name, const MountOf& mount)
{
    const int fd = ::openat(top, name, folderFlags);
    if (fd < 0 || sameMount(mountOf(fd, "", AT_EMPTY_PATH), mount))
        return fd;
    ::close(fd);
    return -1;
}

// removeLast's entries, once everything else went; with a filter, a folder
// holding them may also hold what it kept.
bool removeLastEntries(int top, const MountOf& mount, const LastEntries& last, bool filtered)
{
    bool complete = true;
    std::map<std::string, int> folders; // -1: not there
    for (const auto& [folder, name] : last.inOrder) {
        int parent = top;
        if (!folder.empty()) {
            auto found = folders.find(folder);
            if (found == folders.end())
                found = folders.emplace(folder, openSameMount(top, folder.c_str(), mount)).first;
            parent = found->second;
        }
        if (parent >= 0)
            complete = removeEntryAt(parent, name.c_str()) && complete;
    }
    for (const auto& [folder, fd] : folders) {
        if (fd >= 0)
            ::close(fd);
        complete = (removeEmptyFolderAt(top, folder.c_str()) ||
                    (filtered && (errno == ENOTEMPTY || errno == EEXIST))) &&
                   complete;
    }
    return complete;
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

} // namespace

FolderRemoval removeFolderContents(const QString& folder, const QStringList& removeLast,
                                   const FileIdentity& expected, const EntryFilter* filter,
                                   const QVector<FileIdentity>& sealed)
{
    // As rm does: every name is removed relative to its open folder, so the
    // system never looks the whole path up again for each file, and a
    // folder renamed or replaced by a link meanwhile is never gone through.
    FolderRemoval result;
    const int fd = ::open(QFile::encodeName(folder).constData(), folderFlags);
    if (fd < 0) {
        // A link or an unreadable folder is left; one that is not there is done.
        result.complete = errno == ENOENT;
        return result;
    }
    // The folder that was judged, not one a folder above it, swapped for a
    // link since, leads to now.
    struct stat opened;
    const bool judged = !expected.valid ||
                        (::fstat(fd, &opened) == 0 && quint64(opened.st_dev) == expected.device &&
                         quint64(opened.st_ino) == expected.file);
    const MountOf mount = mountOf(fd, "", AT_EMPTY_PATH);
    DIR* top = judged && mount.valid ? ::fdopendir(fd) : nullptr;
    if (!top) {
        ::close(fd);
        result.complete = false;
        return result;
    }
    const LastEntries last(removeLast);
    // As statx gives them, the walk's own way of naming a device.
    std::vector<std::pair<quint64, quint64>> sealedIds;
    for (const FileIdentity& identity : sealed)
        if (identity.valid)
            sealedIds.emplace_back(quint64(major(dev_t(identity.device))) << 32 |
                                       minor(dev_t(identity.device)),
                                   identity.file);
    const auto* sealing = sealedIds.empty() ? nullptr : &sealedIds;
    std::atomic<bool> stop{false};
    // The descriptors there are, shared out: a walk that ran out while
    // another held the rest would leave what it could not open. Under a low
    // limit, fewer workers, down to one.
    const std::size_t spare = std::min(spareDescriptors(), maxOpenLevels);
    const unsigned workers =
        unsigned(std::max<std::size_t>(1, std::min<std::size_t>(removalWorkers(), spare / 4)));
    const std::size_t window = std::max<std::size_t>(3, spare / workers);
    std::vector<std::string> folders;
    ContentsWalk topWalk(top, mount, folder, last, window, stop, workers > 1 ? &folders : nullptr,
                         filter, sealing);
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
                                                       nullptr, filter, sealing));
        try {
            threads.emplace_back(work, std::ref(*walks.back()));
        } catch (const std::system_error&) {
            break; // fewer workers, then
        }
    }
    work(topWalk);
    for (std::thread& thread : threads)
        thread.join();

    result.complete = topWalk.complete();
    result.otherFileSystems = topWalk.otherFileSystems();
    result.otherProducts = topWalk.otherProducts();
    result.failed = topWalk.failed();
    result.inUse = topWalk.inUse();
    result.kept = topWalk.kept();
    for (const auto& walk : walks) {
        result.complete = walk->complete() && result.complete;
        result.otherFileSystems += walk->otherFileSystems();
        result.otherProducts += walk->otherProducts();
        result.failed += walk->failed();
        result.inUse += walk->inUse();
        result.kept += walk->kept();
    }
    result.failed.resize(std::min(result.failed.size(), maxFailedEntries));
    result.otherFileSystems.sort();
    result.otherProducts.sort();
    result.kept.sort();
    if (result.complete)
        result.complete = removeLastEntries(::dirfd(top), mount, last, filter != nullptr);
    return result;
}

qint64 changeTime(const QString& path)
{
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return static_cast<qint64>(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec;
}

FileIdentity fileIdentity(const QString& path)
{
    struct stat status;
    FileIdentity identity;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return identity;
    identity.device = static_cast<quint64>(status.st_dev);
    identity.file = static_cast<quint64>(status.st_ino);
    identity.valid = true;
    return identity;
}

bool isMountPoint(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_PATH);
    if (fd < 0)
        return true;
    const MountOf self = mountOf(fd, "", AT_EMPTY_PATH);
    const MountOf parent = mountOf(fd, "..", 0);
    struct stat selfStatus, parentStatus;
    const bool root = ::fstat(fd, &selfStatus) == 0 && ::fstatat(fd, "..", &parentStatus, 0) == 0 &&
                      selfStatus.st_dev == parentStatus.st_dev &&
                      selfStatus.st_ino == parentStatus.st_ino;
    ::close(fd);
    // A root is its own parent; a mount point lies on another mount than
    // the folder holding it.
    return root || !sameMount(self, parent);
}

int lastSystemError()
{
    return errno;
}

QString systemErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

void showText(const QString& title, const QString& text)
{
    Q_UNUSED(title) // a terminal shows no title
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool scheduleRemovalOnRestart(const QString& path)
{
    // Linux removes files in use at once; the stand-in keeps Windows' list
    // so that what would be handed on shows, in order.
    struct stat status;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &status) != 0 ||
        S_ISLNK(status.st_mode))
        return false;
    const auto key = openRegistryKey(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"));
    QStringList pending = key->value(QStringLiteral("PendingFileRenameOperations")).toStringList();
    pending << path << QString();
    key->setValue(QStringLiteral("PendingFileRenameOperations"), pending);
    key->sync();
    return key->status() == QSettings::NoError;
}

QVector<LoadedImage> loadedImages()
{
    // Every file this process maps: "address perms offset major:minor inode path".
    QVector<LoadedImage> images;
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return images;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6)
            continue;
        // The path is the rest of the line: it may hold blanks.
        const int pathStart = line.indexOf('/');
        const QList<QByteArray> device = fields.at(3).split(':');
        bool inodeRead = false, majorRead = false, minorRead = false;
        const quint64 inode = fields.at(4).toULongLong(&inodeRead);
        if (device.size() != 2 || !inodeRead || inode == 0)
            continue;
        const unsigned major = device.at(0).toUInt(&majorRead, 16);
        const unsigned minor = device.at(1).toUInt(&minorRead, 16);
        const FileIdentity identity{quint64(makedev(major, minor)), inode,
                                    majorRead && minorRead && pathStart >= 0};
        const auto known = [&identity](const LoadedImage& image) {
            return image.identity == identity;
        };
        if (identity.valid && std::none_of(images.cbegin(), images.cend(), known))
            images.append({QFile::decodeName(line.mid(pathStart)), identity});
    }
    return images;
}

namespace
{

// The folder holding path, opened, and path's last name; -1 when it cannot
// be opened.
int openParent(const QString& path, QByteArray& name)
{
    const QString clean = QDir::cleanPath(path);
    const int slash = clean.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash == clean.size() - 1)
        return -1;
    name = QFile::encodeName(clean.mid(slash + 1));
    if (name == "." || name == "..")
        return -1;
    const QByteArray parent =
        QFile::encodeName(slash == 0 ? QStringLiteral("/") : clean.left(slash));
    return ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace

QString makeHoldingFolder(const QString& path)
{
    // Up to the root of path's mount, through "..", never by name.
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return QString();
    const MountOf mount = mountOf(fd, "", AT_EMPTY_PATH);
    QString root = QDir::cleanPath(path);
    while (root != QLatin1String("/")) {
        const MountOf above = mountOf(fd, "..", 0);
        if (!sameMount(above, mount))
            break;
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (up < 0)
            break;
        ::close(fd);
        fd = up;
        root = QDir::cleanPath(root + QStringLiteral("/.."));
    }
    static std::atomic<unsigned> counter{0};
    QString made;
    for (int attempt = 0; attempt < 16 && made.isEmpty(); ++attempt) {
        const QString name =
            QStringLiteral(".uninstaller-pending.%1.%2").arg(::getpid()).arg(++counter);
        // A new folder or none: an entry already there is never taken.
        if (::mkdirat(fd, QFile::encodeName(name).constData(), 0700) == 0)
            made = QDir::cleanPath(root + QLatin1Char('/') + name);
        else if (errno != EEXIST)
            break;
    }
    ::close(fd);
    return made;
}

QString moveIntoHolding(const QString& path, const QVector<FileIdentity>& own,
                        const QString& holding)
{
    QByteArray name;
    const int parent = openParent(path, name);
    if (parent < 0)
        return QString();
    struct stat status;
    const bool ours = ::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISREG(status.st_mode) &&
                      own.contains({quint64(status.st_dev), quint64(status.st_ino), true});
    const int target = ours ? ::open(QFile::encodeName(holding).constData(), folderFlags) : -1;
    static std::atomic<unsigned> counter{0};
    const QString newName = QStringLiteral("%1.").arg(++counter) + QFile::decodeName(name);
    const bool moved = target >= 0 && ::renameat(parent, name.constData(), target,
                                                 QFile::encodeName(newName).constData()) == 0;
    if (target >= 0)
        ::close(target);
    ::close(parent);
    return moved ? QDir::cleanPath(holding) + QLatin1Char('/') + newName : QString();
}

bool removeEmptyFolder(const QString& path, const FileIdentity& expected)
{
    QByteArray name;
    const int parent = openParent(path, name);
    if (parent < 0)
        return !entryExists(path);
    struct stat status;
    bool removed = false;
    if (::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        removed = errno == ENOENT;
    else if (S_ISDIR(status.st_mode) &&
             (!expected.valid || (quint64(status.st_dev) == expected.device &&
                                  quint64(status.st_ino) == expected.file)))
        removed = removeEmptyFolderAt(parent, name.constData());
    ::close(parent);
    return removed;
}

bool lowerThreadPriority()
{
    // Linux keeps a nice value per thread, which the threads it starts inherit.
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, thread);
    if (nice == -1 && errno != 0)
        return false;
    return ::setpriority(PRIO_PROCESS, thread, std::min(nice + 5, 19)) == 0;
}

AppendFile openForAppending(const QString& path)
{
    AppendFile result;
    const PathParts parts = splitAbsolutePath(path, false);
    if (parts.root.isEmpty()) {
        result.error = EINVAL;
        return result;
    }
    if (parts.names.isEmpty()) {
        result.outcome = AppendFile::Outcome::NotAFile;
        return result;
    }
    // O_PATH: a folder passed through need not be readable, only searchable.
    int folder = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        result.error = errno;
        return result;
    }
    const auto linkAt = [&parts](int depth) -> QString {
        return QLatin1Char('/') + parts.names.mid(0, depth).join(QLatin1Char('/'));
    };
    struct stat status;
    for (int i = 0; i + 1 < parts.names.size(); ++i) {
        const QByteArray name = QFile::encodeName(parts.names.at(i));
        const int next =
            ::openat(folder, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        const bool folderThere =
            next >= 0 && ::fstat(next, &status) == 0 && S_ISDIR(status.st_mode);
        if (!folderThere) {
            // What stands there, as it is: a link, or something that is no folder.
            if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(status.st_mode)) {
                result.outcome = AppendFile::Outcome::ThroughLink;
                result.at = linkAt(i + 1);
            } else {
                result.error = next >= 0 ? ENOTDIR : error;
            }
            if (next >= 0)
                ::close(next);
            ::close(folder);
            return result;
        }
        ::close(folder);
        folder = next;
    }
    const QByteArray name = QFile::encodeName(parts.names.last());
    // Never opened when it is there as anything but a plain file: opening a
    // device can act on it.
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(status.st_mode)) {
        result.outcome = S_ISLNK(status.st_mode) ? AppendFile::Outcome::ThroughLink
                                                 : AppendFile::Outcome::NotAFile;
        if (S_ISLNK(status.st_mode))
            result.at = linkAt(parts.names.size());
        ::close(folder);
        return result;
    }
    const int fd = ::openat(
        folder, name.constData(),
        O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666);
    const int error = errno;
    ::close(folder);
    if (fd < 0) {
        if (error == ELOOP) {
            result.outcome = AppendFile::Outcome::ThroughLink;
            result.at = linkAt(parts.names.size());
        } else if (error == EISDIR) {
            result.outcome = AppendFile::Outcome::NotAFile;
        } else {
            result.error = error;
        }
        return result;
    }
    // Swapped for something else between the look and the opening.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        result.outcome = AppendFile::Outcome::NotAFile;
        return result;
    }
    ::fcntl(fd, F_SETFL, O_APPEND); // blocking again
    result.outcome = AppendFile::Outcome::Opened;
    result.descriptor = fd;
    return result;
}

} // namespace Platform
