#pragma once

// How the uninstaller decides that the product's client program runs, in plain
// C++ so that the Windows snapshot code and its Wine test driver share it
// without Qt.

#include <string>
#include <vector>

namespace Platform
{

// One running process: its id and the file name of its executable in the
// local 8-bit encoding (on Windows the CP_ACP conversion of the snapshot's
// wide name).
struct ProcessRecord {
    unsigned long long pid = 0;
    std::string exeName;
};

// The part of a configured program name after its last '/'. Only '/' separates:
// a '\' stays part of the name, so "dir\\client.exe" matches nothing.
std::string exeFileName(const std::string& configuredName);

// True when a process other than ownPid has exactly that executable file name:
// byte for byte, so letter case and the extension count.
bool matchesRunningProcess(const std::vector<ProcessRecord>& processes,
                           const std::string& configuredName, unsigned long long ownPid);

} // namespace Platform
