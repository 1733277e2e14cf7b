// Paths and entries looked up by name: the "\\?\" form, links, network
// drives, known folders, a link removed, where a path leads.

#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The FOLDERID_* values defined here rather than taken from libuuid.
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace Platform
{
namespace Win32
{

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

bool isRemoteDrive(const wchar_t* root)
{
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
}

bool entryExists(const wchar_t* path)
{
    return ::GetFileAttributesW(extendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

unsigned long removalRefusal(const wchar_t* path)
{
    const HANDLE handle = ::CreateFileW(
        extendedPath(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : error;
    }
    ::CloseHandle(handle);
    return 0;
}

std::wstring knownFolderPath(KnownFolder folder)
{
    const KNOWNFOLDERID& id =
        folder == KnownFolder::PublicDesktop ? FOLDERID_PublicDesktop : FOLDERID_CommonPrograms;
    PWSTR path = nullptr;
    std::wstring result;
    // KF_FLAG_DONT_VERIFY: the folder's name even when it does not exist yet.
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        result = path;
    ::CoTaskMemFree(path);
    while (result.size() > 3 && (result.back() == L'\\' || result.back() == L'/'))
        result.pop_back();
    return result;
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

} // namespace Win32
} // namespace Platform
