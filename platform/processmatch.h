#pragma once

// How the uninstaller decides that the product's client program runs, in plain
// C++ so that the Windows snapshot code and its Wine test driver share it
// without Qt.

#include <string>
#include <vector>

namespace Platform
{

// A process name as the system keeps it: UTF-16 on Windows, where the
// snapshot's wide name is compared as it is (narrowing it to the ANSI code
// page would let different names fall together); bytes elsewhere.
#ifdef _WIN32
using NativeName = std::wstring;
#else
using NativeName = std::string;
#endif

// One running process: its id and the file name of its executable.
struct ProcessRecord {
    unsigned long long pid = 0;
    NativeName exeName;
};

// The part of a configured program name after its last '/'. Only '/' separates:
// a '\' stays part of the name, so "dir\\client.exe" matches nothing.
NativeName exeFileName(const NativeName& configuredName);

// True when a process other than ownPid has that executable file name: unit
// for unit, so the extension counts, and letter case too unless ignoreCase
// (as Windows compares file names: ordinal, ignoring case).
bool matchesRunningProcess(const std::vector<ProcessRecord>& processes,
                           const NativeName& configuredName, unsigned long long ownPid,
                           bool ignoreCase = false);
// The ids of those processes.
std::vector<unsigned long long> matchingProcesses(const std::vector<ProcessRecord>& processes,
                                                  const NativeName& configuredName,
                                                  unsigned long long ownPid,
                                                  bool ignoreCase = false);

} // namespace Platform
