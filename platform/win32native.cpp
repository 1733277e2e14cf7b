#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <tlhelp32.h>

namespace Platform
{
namespace Win32
{

std::vector<ProcessRecord> snapshotProcesses()
{
    std::vector<ProcessRecord> processes;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return processes;
    PROCESSENTRY32W entry;
    // The size the structure has in this build: 556 bytes in a 32-bit one,
    // more in a 64-bit one, so never a literal.
    entry.dwSize = sizeof(PROCESSENTRY32W);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        char name[MAX_PATH * 2];
        const int length = ::WideCharToMultiByte(CP_ACP, 0, entry.szExeFile, -1, name,
                                                 static_cast<int>(sizeof name), nullptr, nullptr);
        if (length <= 1)
            continue;
        processes.push_back(ProcessRecord{entry.th32ProcessID, std::string(name)});
    }
    ::CloseHandle(snapshot);
    return processes;
}

unsigned long long currentProcessId()
{
    return ::GetCurrentProcessId();
}

int nativeArchitecture()
{
    SYSTEM_INFO info;
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool isProcessRunning(const char* configuredName)
{
    return matchesRunningProcess(snapshotProcesses(), configuredName ? configuredName : "",
                                 currentProcessId());
}

bool isReparsePoint(const wchar_t* path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool removeReparsePoint(const wchar_t* path)
{
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A directory link or junction goes with RemoveDirectory, which removes the
    // reparse point and leaves its target's contents alone.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ::RemoveDirectoryW(path) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    return ::DeleteFileW(path) != 0;
}

} // namespace Win32
} // namespace Platform
