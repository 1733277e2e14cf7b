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
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>

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

bool scheduleRemovalOnRestart(const QString& path)
{
    Q_UNUSED(path) // files in use can be removed here
    return false;
}

} // namespace Platform
