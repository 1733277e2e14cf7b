// The registry, read without Qt: registry links, the Uninstall keys, Windows
// Installer's component records, REG_EXPAND_SZ values expanded.

#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cwchar>

namespace Platform
{
namespace Win32
{

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

namespace
{

// A string value as stored, without its final NULs.
std::wstring stringValue(HKEY key, const wchar_t* name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        return std::wstring();
    // Room for a final NUL the value may lack.
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value[0]), &bytes) !=
        ERROR_SUCCESS)
        return std::wstring();
    value.resize(::wcsnlen(value.c_str(), value.size()));
    return value;
}

} // namespace

std::vector<UninstallValues> uninstallEntries()
{
    std::vector<UninstallValues> entries;
    const wchar_t* const path = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    // 64-bit Windows (x64, Itanium, ARM64) keeps the 32-bit view of
    // HKEY_LOCAL_MACHINE\SOFTWARE under Wow6432Node; the user's is one view.
    const int architecture = nativeArchitecture();
    const bool wow64 = architecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                       architecture == PROCESSOR_ARCHITECTURE_IA64 || architecture == 12;
    for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        for (REGSAM view : {REGSAM(KEY_WOW64_64KEY), REGSAM(KEY_WOW64_32KEY)}) {
            HKEY uninstall = nullptr;
            if (::RegOpenKeyExW(hive, path, 0, KEY_READ | view, &uninstall) != ERROR_SUCCESS)
                continue;
            for (DWORD index = 0;; ++index) {
                // A key's name has at most 255 characters.
                wchar_t name[256];
                DWORD length = 256;
                const LONG status = ::RegEnumKeyExW(uninstall, index, name, &length, nullptr,
                                                    nullptr, nullptr, nullptr);
                if (status == ERROR_NO_MORE_ITEMS)
                    break;
                HKEY entry = nullptr;
                if (status != ERROR_SUCCESS ||
                    ::RegOpenKeyExW(uninstall, name, 0, KEY_QUERY_VALUE | view, &entry) !=
                        ERROR_SUCCESS)
                    continue;
                UninstallValues values;
                values.name.assign(name, length);
                values.keyPath =
                    std::wstring(hive == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE\\SOFTWARE\\"
                                                            : L"HKEY_CURRENT_USER\\SOFTWARE\\") +
                    (hive == HKEY_LOCAL_MACHINE && view == REGSAM(KEY_WOW64_32KEY) && wow64
                         ? L"WOW6432Node\\"
                         : L"") +
                    L"Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + values.name;
                values.displayName = stringValue(entry, L"DisplayName");
                values.installLocation = stringValue(entry, L"InstallLocation");
                values.installSource = stringValue(entry, L"InstallSource");
                values.uninstallString = stringValue(entry, L"UninstallString");
                values.quietUninstallString = stringValue(entry, L"QuietUninstallString");
                values.displayIcon = stringValue(entry, L"DisplayIcon");
                ::RegCloseKey(entry);
                entries.push_back(values);
            }
            ::RegCloseKey(uninstall);
        }
    }
    return entries;
}

std::vector<std::wstring> installerComponentPaths()
{
    std::vector<std::wstring> paths;
    HKEY userData = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData", 0,
                        KEY_READ | KEY_WOW64_64KEY, &userData) != ERROR_SUCCESS)
        return paths;
    const auto subkeys = [](HKEY key, const std::function<void(const wchar_t*)>& each) {
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            const LONG status =
                ::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status == ERROR_SUCCESS)
                each(name);
        }
    };
    subkeys(userData, [&](const wchar_t* user) {
        HKEY components = nullptr;
        if (::RegOpenKeyExW(userData, (std::wstring(user) + L"\\Components").c_str(), 0,
                            KEY_READ | KEY_WOW64_64KEY, &components) != ERROR_SUCCESS)
            return;
        subkeys(components, [&](const wchar_t* component) {
            HKEY key = nullptr;
            if (::RegOpenKeyExW(components, component, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                                &key) != ERROR_SUCCESS)
                return;
            for (DWORD index = 0;; ++index) {
                wchar_t name[256];
                DWORD length = 256;
                DWORD type = 0;
                const LONG status =
                    ::RegEnumValueW(key, index, name, &length, nullptr, &type, nullptr, nullptr);
                if (status == ERROR_NO_MORE_ITEMS)
                    break;
                if (status != ERROR_SUCCESS || type != REG_SZ)
                    continue;
                const std::wstring path = stringValue(key, name);
                // "C:\\X\\a.dll"; "01:\\SOFTWARE\\..." names a registry key.
                if (path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/') &&
                    !(path[0] >= L'0' && path[0] <= L'9'))
                    paths.push_back(path);
            }
            ::RegCloseKey(key);
        });
        ::RegCloseKey(components);
    });
    ::RegCloseKey(userData);
    return paths;
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

} // namespace Win32
} // namespace Platform
