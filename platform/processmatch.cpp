#include "processmatch.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace Platform
{

namespace
{

#ifdef _WIN32
bool equalIgnoringCase(const NativeName& a, const NativeName& b)
{
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}
#else
bool equalIgnoringCase(const NativeName& a, const NativeName& b)
{
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    if (a.size() != b.size())
        return false;
    for (NativeName::size_type i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i]))
            return false;
    return true;
}
#endif

} // namespace

NativeName exeFileName(const NativeName& configuredName)
{
    const NativeName::size_type slash = configuredName.rfind(NativeName::value_type('/'));
    if (slash == NativeName::npos)
        return configuredName;
    return configuredName.substr(slash + 1);
}

bool matchesRunningProcess(const std::vector<ProcessRecord>& processes,
                           const NativeName& configuredName, unsigned long long ownPid,
                           bool ignoreCase)
{
    return !matchingProcesses(processes, configuredName, ownPid, ignoreCase).empty();
}

std::vector<unsigned long long> matchingProcesses(const std::vector<ProcessRecord>& processes,
                                                  const NativeName& configuredName,
                                                  unsigned long long ownPid, bool ignoreCase)
{
    std::vector<unsigned long long> found;
    const NativeName wanted = exeFileName(configuredName);
    // An empty name would match processes whose name could not be read.
    if (wanted.empty())
        return found;
    for (const ProcessRecord& process : processes) {
        if (process.pid == ownPid)
            continue;
        if (ignoreCase ? equalIgnoringCase(process.exeName, wanted) : process.exeName == wanted)
            found.push_back(process.pid);
    }
    return found;
}

} // namespace Platform
