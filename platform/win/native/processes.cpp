// Processes and threads: the Toolhelp32 snapshot, the machine's
// architecture, this thread's priority.

#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <restartmanager.h>

#include <tlhelp32.h>

#include <cwchar>
#include <vector>

namespace Platform
{
namespace Win32
{

namespace
{

// The file name of a process's image under its long name; empty when the
// process cannot be asked.
std::wstring longImageName(DWORD pid)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return std::wstring();
    wchar_t image[32768];
    DWORD size = 32768;
    const bool named = ::QueryFullProcessImageNameW(process, 0, image, &size) != 0;
    ::CloseHandle(process);
    if (!named)
        return std::wstring();
    std::wstring path(32768, L'\0');
    const DWORD length = ::GetLongPathNameW(image, &path[0], static_cast<DWORD>(path.size()));
    path.resize(length > 0 && length < path.size() ? length : 0);
    const std::wstring::size_type slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

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
        // Never narrowed: the ANSI code page maps characters it lacks to
        // look-alikes or '?', and different names would compare equal.
        std::wstring name(entry.szExeFile, ::wcsnlen(entry.szExeFile, MAX_PATH));
        if (name.empty())
            continue;
        // Started by its short name ("FERROV~1.EXE"), a program is listed
        // under it: its long name is what it is called.
        if (name.find(L'~') != std::wstring::npos) {
            const std::wstring longName = longImageName(entry.th32ProcessID);
            if (!longName.empty())
                name = longName;
        }
        processes.push_back(ProcessRecord{entry.th32ProcessID, name});
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

bool lowerCurrentThreadPriority()
{
    return ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL) != 0;
}

std::wstring processUser(unsigned long pid)
{
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return std::wstring();
    HANDLE token = nullptr;
    std::wstring user;
    if (::OpenProcessToken(process, TOKEN_QUERY, &token)) {
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<unsigned char> buffer(size);
        if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
            const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
            wchar_t name[256];
            wchar_t domain[256];
            DWORD nameLength = 256;
            DWORD domainLength = 256;
            SID_NAME_USE use;
            if (::LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use))
                user = std::wstring(domain, domainLength) + L"\\" + std::wstring(name, nameLength);
        }
        ::CloseHandle(token);
    }
    ::CloseHandle(process);
    return user;
}

std::vector<std::pair<unsigned long, std::wstring>> programsHolding(const wchar_t* path)
{
    std::vector<std::pair<unsigned long, std::wstring>> holders;
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (::RmStartSession(&session, 0, key) != ERROR_SUCCESS)
        return holders;
    LPCWSTR files[] = {path};
    if (::RmRegisterResources(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
        // Asked twice at most: the list may grow between the two calls.
        std::vector<RM_PROCESS_INFO> found(4);
        for (int attempt = 0; attempt < 2; ++attempt) {
            UINT needed = 0;
            UINT count = static_cast<UINT>(found.size());
            DWORD reasons = 0;
            const DWORD status = ::RmGetList(session, &needed, &count, found.data(), &reasons);
            if (status == ERROR_MORE_DATA) {
                found.resize(needed + 4);
                continue;
            }
            if (status == ERROR_SUCCESS) {
                for (UINT i = 0; i < count; ++i)
                    holders.emplace_back(found[i].Process.dwProcessId,
                                         std::wstring(found[i].strAppName));
            }
            break;
        }
    }
    ::RmEndSession(session);
    return holders;
}

} // namespace Win32
} // namespace Platform
