// What processes.h answers alike on every system, and Linux's pure helpers,
// checked on Windows too.

#include "processes.h"
#include "folders.h"

#include <string>

namespace Platform
{

std::vector<RunningProcess> processesRunning(const QString& configuredName)
{
    std::vector<RunningProcess> found;
    for (const unsigned long long pid :
         matchingProcesses(runningProcesses(), nativeProcessName(configuredName),
                           currentProcessId(), pathCaseSensitivity() == Qt::CaseInsensitive))
        found.push_back({pid, processUser(pid)});
    return found;
}

std::string procExeName(const std::string& exeLinkTarget, const std::string& cmdline)
{
    std::string path = exeLinkTarget;
    if (path.empty()) {
        // The command line's words are NUL-separated; the first is the program.
        path = cmdline.substr(0, cmdline.find('\0'));
    } else {
        static const std::string deleted = " (deleted)";
        if (path.size() > deleted.size() &&
            path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
            path.resize(path.size() - deleted.size());
    }
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int architectureFromCpuName(const QString& cpuArchitecture)
{
    if (cpuArchitecture == QLatin1String("x86_64"))
        return 9;
    if (cpuArchitecture == QLatin1String("ia64"))
        return 6;
    if (cpuArchitecture == QLatin1String("arm64"))
        return 12;
    return 0;
}

} // namespace Platform
