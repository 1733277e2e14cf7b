#pragma once

// Processes and threads: which programs run, the machine's architecture, and
// this thread's priority.

#include "processmatch.h"

#include <QString>

#include <string>
#include <vector>

namespace Platform
{

// Every process the system lists, with its executable's file name.
std::vector<ProcessRecord> runningProcesses();
unsigned long long currentProcessId();

// The other processes that run the executable named by configuredName (the
// part after its last '/'), compared exactly as the system names processes,
// and who runs each: the account's name, empty when the system does not
// tell.
struct RunningProcess {
    unsigned long long pid = 0;
    QString user;
};
std::vector<RunningProcess> processesRunning(const QString& configuredName);
QString processUser(unsigned long long pid);

// A name as the process list holds it: UTF-16 on Windows, the local 8-bit
// encoding elsewhere.
NativeName nativeProcessName(const QString& name);

// Linux's process list: the executable file name of one /proc entry, from the
// target of its "exe" link (empty when unreadable) or else the first word of
// its NUL-separated command line. Pure, so that it is checked on Windows too.
std::string procExeName(const std::string& exeLinkTarget, const std::string& cmdline);

// A program that holds a file open.
struct FileHolder {
    unsigned long long pid = 0;
    QString program; // its executable's file name, or the name the system gives it
};

// The other programs that hold path open, for telling the user which to
// close (Windows: the Restart Manager; Linux: /proc/*/fd). Empty when none is
// known, or the system cannot tell.
std::vector<FileHolder> programsHolding(const QString& path);

// --- architecture ----------------------------------------------------------

// The PROCESSOR_ARCHITECTURE_* code of the machine (not of this process):
// 9 x64, 6 Itanium, 12 ARM64, 0 x86.
int nativeArchitecture();

// Linux's answer to the above: the code for a
// QSysInfo::currentCpuArchitecture() name. Pure, as procExeName().
int architectureFromCpuName(const QString& cpuArchitecture);

// --- threads -------------------------------------------------------------------

// Lowers the calling thread's scheduling priority a step below normal (Linux:
// its nice value raised by 5, which the threads it starts later inherit;
// Windows: below normal, for this thread alone). A removal that keeps every processor busy then
// leaves the window's thread and the display server the time they need.
// False when the system refused.
bool lowerThreadPriority();

} // namespace Platform
