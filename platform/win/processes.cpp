// Windows' processes and the calling thread's priority.

#include "platform/processes.h"
#include "native/win32native.h"

#include <QDir>

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

std::vector<FileHolder> programsHolding(const QString& path)
{
    std::vector<FileHolder> holders;
    for (const auto& [pid, name] : Win32::programsHolding(
             QDir::toNativeSeparators(QDir::cleanPath(path)).toStdWString().c_str()))
        holders.push_back({pid, QString::fromStdWString(name)});
    return holders;
}

QString processUser(unsigned long long pid)
{
    return QString::fromStdWString(Win32::processUser(static_cast<unsigned long>(pid)));
}

} // namespace Platform
