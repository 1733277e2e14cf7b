// Windows' processes and the calling thread's priority.

#include "platform/processes.h"
#include "native/win32native.h"

namespace Platform
{

std::vector<ProcessRecord> runningProcesses()
{
    return Win32::snapshotProcesses();
}

NativeName nativeProcessName(const QString& name)
{
    return name.toStdWString();
}

unsigned long long currentProcessId()
{
    return Win32::currentProcessId();
}

int nativeArchitecture()
{
    return Win32::nativeArchitecture();
}

bool lowerThreadPriority()
{
    return Win32::lowerCurrentThreadPriority();
}

} // namespace Platform
