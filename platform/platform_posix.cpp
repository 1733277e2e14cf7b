// The stand-in used on systems other than Windows.

#include "platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSysInfo>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

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
    return std::make_unique<QSettings>(standinIniPath(standinRoot(), keyPath),
                                       QSettings::IniFormat);
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
    return posixFolderLists(homeFolder()).sealed;
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

// Deeper than this, folders are walked by path: one open descriptor a level
// would otherwise take what the process may open.
constexpr std::size_t maxOpenLevels = 256;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool runsOut(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}

// Removes a file or link named relative to the open folder parent. Here
// unlinking depends on the folder's permissions, never on the file's own
// mode, so there is no second try with the write bit: changing a mode by
// name would follow a link swapped in meanwhile.
bool removeEntryAt(int parent, const char* name)
{
    return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
}

bool removeEmptyFolderAt(int parent, const char* name)
{
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

DIR* openFolderAt(int parent, const char* name)
{
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    DIR* folder = ::fdopendir(fd);
    if (!folder) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
    }
    return folder;
}

// A path to name in the open folder parent that reaches it through the
// descriptor, not through the folders above it: those may have been renamed
// or replaced by links since the walk went down. Empty without /proc.
QString pathThrough(int parent, const char* name)
{
    static const bool hasProc = ::access("/proc/self/fd", X_OK) == 0;
    if (!hasProc)
        return QString();
    return QFile::decodeName(QByteArray("/proc/self/fd/") + QByteArray::number(parent) + '/' +
                             QByteArray(name));
}

// The rest of a folder by path, when the walk cannot hold it open.
bool removeByPath(const QString& path)
{
    if (path.isEmpty())
        return false; // leave it rather than reach it through the folders above
    if (isLinkOrJunction(path))
        return removeLink(path);
    return removeFolderContentsByPath(path);
}

} // namespace

bool removeFolderContents(const QString& folder)
{
    // As rm does: every name is removed relative to its open folder, so the
    // system never looks the whole path up again for each file.
    DIR* top = openFolderAt(AT_FDCWD, QFile::encodeName(folder).constData());
    if (!top) {
        if (errno == ENOENT)
            return true;
        // A link or an unreadable folder is not walked; only a shortage of
        // descriptors falls back to the walk by path.
        return runsOut(errno) && removeFolderContentsByPath(folder);
    }

    struct Level {
        DIR* folder;
        std::string name; // in the level above
    };
    std::vector<Level> levels;
    levels.push_back(Level{top, std::string()});
    bool complete = true;
    // Done with this level: it goes too, unless it is the top one, which
    // the caller removes.
    const auto leaveLevel = [&] {
        if (levels.back().folder)
            ::closedir(levels.back().folder);
        const std::string name = std::move(levels.back().name);
        levels.pop_back();
        if (!levels.empty())
            complete = removeEmptyFolderAt(::dirfd(levels.back().folder), name.c_str()) && complete;
    };
    while (!levels.empty()) {
        DIR* current = levels.back().folder;
        const int currentFd = ::dirfd(current);
        errno = 0;
        const dirent* entry = ::readdir(current);
        if (!entry) {
            complete = complete && errno == 0;
            leaveLevel();
            continue;
        }
        const char* name = entry->d_name;
        if (isDotOrDotDot(name))
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat status;
            if (::fstatat(currentFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                complete = complete && errno == ENOENT;
                continue;
            }
            isFolder = S_ISDIR(status.st_mode);
        }
        if (!isFolder) {
            complete = removeEntryAt(currentFd, name) && complete;
            continue;
        }
        if (levels.size() >= maxOpenLevels) {
            // Too deep: this subtree by path from here.
            const bool inside = removeByPath(pathThrough(currentFd, name));
            complete = removeEmptyFolderAt(currentFd, name) && inside && complete;
            continue;
        }
        if (DIR* sub = openFolderAt(currentFd, name)) {
            levels.push_back(Level{sub, name});
            continue;
        }
        if (errno == ELOOP || errno == ENOTDIR) {
            // No longer a folder since it was listed (a link now): removed as
            // what it is, never entered.
            complete = removeEntryAt(currentFd, name) && complete;
            continue;
        }
        if (!runsOut(errno)) {
            // Unreadable: it goes only if it is empty.
            complete = removeEmptyFolderAt(currentFd, name) && complete;
            continue;
        }
        // No descriptor left: this level gives its own up and the rest of it
        // is walked by path, through the level above (the top one by the
        // path the caller checked), one open folder at a time.
        ::closedir(current);
        levels.back().folder = nullptr;
        const QString rest = levels.size() == 1
                                 ? folder
                                 : pathThrough(::dirfd(levels[levels.size() - 2].folder),
                                               levels.back().name.c_str());
        complete = removeByPath(rest) && complete;
        leaveLevel();
    }
    return complete;
}

bool scheduleRemovalOnRestart(const QString& path)
{
    Q_UNUSED(path) // files in use can be removed here
    return false;
}

} // namespace Platform
