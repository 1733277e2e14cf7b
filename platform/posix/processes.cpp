// Linux's processes, from /proc, and the calling thread's priority.

#include "platform/processes.h"

#include <QFile>
#include <QSysInfo>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace Platform
{

namespace
{

bool isNumber(const char* name)
{
    return *name && std::all_of(name, name + std::strlen(name),
                                [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

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

std::vector<FileHolder> programsHolding(const QString& path)
{
    std::vector<FileHolder> holders;
    const std::string wanted = QFile::encodeName(path).toStdString();
    const unsigned long long self = static_cast<unsigned long long>(::getpid());
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return holders;
    while (const dirent* process = ::readdir(proc)) {
        if (!isNumber(process->d_name))
            continue;
        const unsigned long long pid = std::strtoull(process->d_name, nullptr, 10);
        if (pid == self)
            continue;
        const std::string base = std::string("/proc/") + process->d_name;
        DIR* fds = ::opendir((base + "/fd").c_str());
        if (!fds)
            continue; // another user's, unless we are root
        bool holds = false;
        while (const dirent* fd = ::readdir(fds)) {
            if (isNumber(fd->d_name) && readLink(base + "/fd/" + fd->d_name) == wanted) {
                holds = true;
                break;
            }
        }
        ::closedir(fds);
        if (!holds)
            continue;
        const std::string exe =
            procExeName(readLink(base + "/exe"), readSmallFile(base + "/cmdline"));
        holders.push_back({pid, QFile::decodeName(exe.c_str())});
    }
    ::closedir(proc);
    return holders;
}

QString processUser(unsigned long long pid)
{
    struct stat status;
    if (::stat(("/proc/" + std::to_string(pid)).c_str(), &status) != 0)
        return QString();
    // getpwuid_r: the gates may run off the main thread one day.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    struct passwd entry;
    struct passwd* result = nullptr;
    if (::getpwuid_r(status.st_uid, &entry, buffer.data(), buffer.size(), &result) != 0 || !result)
        return QString::number(status.st_uid);
    return QString::fromLocal8Bit(result->pw_name);
}

} // namespace Platform
