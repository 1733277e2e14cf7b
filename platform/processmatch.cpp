#include "processmatch.h"

namespace Platform
{

NativeName exeFileName(const NativeName& configuredName)
{
    const NativeName::size_type slash = configuredName.rfind(NativeName::value_type('/'));
    if (slash == NativeName::npos)
        return configuredName;
    return configuredName.substr(slash + 1);
}

bool matchesRunningProcess(const std::vector<ProcessRecord>& processes,
                           const NativeName& configuredName, unsigned long long ownPid)
{
    const NativeName wanted = exeFileName(configuredName);
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
