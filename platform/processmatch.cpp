#include "processmatch.h"

namespace Platform
{

std::string exeFileName(const std::string& configuredName)
{
    const std::string::size_type slash = configuredName.rfind('/');
    if (slash == std::string::npos)
        return configuredName;
    return configuredName.substr(slash + 1);
}

bool matchesRunningProcess(const std::vector<ProcessRecord>& processes,
                           const std::string& configuredName, unsigned long long ownPid)
{
    const std::string wanted = exeFileName(configuredName);
    // An empty name would match processes whose name could not be read.
    if (wanted.empty())
        return false;
    for (const ProcessRecord& process : processes) {
        if (process.pid == ownPid)
            continue;
        if (process.exeName == wanted)
            return true;
    }
    return false;
}

} // namespace Platform
