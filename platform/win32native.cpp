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

std::wstring extendedPath(const wchar_t* path)
{
    const std::wstring text = path ? path : L"";
    if (text.compare(0, 4, L"\\\\?\\") == 0)
        return text;
    if (text.size() >= 3 && text[1] == L':' && text[2] == L'\\')
        return L"\\\\?\\" + text;
    if (text.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + text.substr(2);
    return text;
}

bool isLinkEntry(const wchar_t* path)
{
    const std::wstring extended = extendedPath(path);
    const DWORD attributes = ::GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return true;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    // The tag tells a link (symbolic link, junction, mount point) from a
    // reparse point that is the entry itself, like a cloud placeholder folder.
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(extended.c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return true;
    ::FindClose(find);
    return IsReparseTagNameSurrogate(data.dwReserved0);
}

bool isRegistryLink(const std::wstring& keyPath)
{
    const std::wstring::size_type slash = keyPath.find(L'\\');
    if (slash == std::wstring::npos)
        return false;
    const std::wstring hiveName = keyPath.substr(0, slash);
    HKEY hive = nullptr;
    if (hiveName == L"HKEY_LOCAL_MACHINE")
        hive = HKEY_LOCAL_MACHINE;
    else if (hiveName == L"HKEY_CURRENT_USER")
        hive = HKEY_CURRENT_USER;
    else
        return false;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(hive, keyPath.substr(slash + 1).c_str(), REG_OPTION_OPEN_LINK,
                        KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    const bool link = ::RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr,
                                         nullptr) == ERROR_SUCCESS &&
                      type == REG_LINK;
    ::RegCloseKey(key);
    return link;
}

std::wstring expandEnvironmentStrings(const std::wstring& text)
{
    const DWORD size = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0)
        return text;
    std::wstring result(size, L'\0');
    const DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), &result[0], size);
    if (written == 0 || written > size)
        return text;
    result.resize(written - 1);
    return result;
}

bool entryExists(const wchar_t* path)
{
    return ::GetFileAttributesW(extendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool removeLinkEntry(const wchar_t* path)
{
    const std::wstring extended = extendedPath(path);
    const DWORD attributes = ::GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A folder link or junction goes with RemoveDirectory, which removes the
    // reparse point and leaves its target's contents alone.
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const auto remove = [&] {
        return folder ? ::RemoveDirectoryW(extended.c_str()) != 0
                      : ::DeleteFileW(extended.c_str()) != 0;
    };
    if (remove())
        return true;
    // As for files: a read-only entry loses the attribute and is tried again.
    if (!(attributes & FILE_ATTRIBUTE_READONLY) ||
        !::SetFileAttributesW(extended.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY))
        return false;
    return remove();
}

std::wstring finalPath(const wchar_t* path)
{
    const std::wstring extended = extendedPath(path);
    // No access rights asked: only the name is wanted. Backup semantics let
    // folders be opened.
    const HANDLE handle =
        ::CreateFileW(extended.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::wstring result(MAX_PATH, L'\0');
    DWORD length = ::GetFinalPathNameByHandleW(handle, &result[0],
                                               static_cast<DWORD>(result.size()), VOLUME_NAME_DOS);
    if (length >= result.size()) {
        result.resize(length + 1);
        length = ::GetFinalPathNameByHandleW(handle, &result[0], static_cast<DWORD>(result.size()),
                                             VOLUME_NAME_DOS);
    }
    ::CloseHandle(handle);
    if (length == 0 || length >= result.size())
        return std::wstring();
    result.resize(length);
    if (result.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\\\" + result.substr(8);
    if (result.compare(0, 4, L"\\\\?\\") == 0)
        return result.substr(4);
    return result;
}

bool scheduleRemovalAtRestart(const wchar_t* path)
{
    if (!path || !*path)
        return false;
    // The plain path: Windows writes it into its list in its own form.
    return ::MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

} // namespace Win32
} // namespace Platform
