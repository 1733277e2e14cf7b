// Starts a product's uninstall command as Windows' "Apps & features" does:
// the UninstallString of the product's entry, read from the registry's
// 32-bit view of HKEY_LOCAL_MACHINE (where a 32-bit installer writes it),
// started as the command line it is from the system folder, and waited for.
// Arguments after the GUID are appended to it, as a deployment tool appends
// /S. Prints the command as started; exits with the command's exit status.
//   start-uninstall.exe {GUID} [argument...]
// Its own failures: 120 usage, 121 no such entry or value, 122 not started.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

void print(const std::wstring& text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 1, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    std::printf("%s\n", bytes.c_str());
    std::fflush(stdout);
}

// One argument as CommandLineToArgvW reads it back.
std::wstring quoted(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring text = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(2 * backslashes, L'\\');
    return text + L"\"";
}

} // namespace

int main()
{
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!arguments || count < 2) {
        std::printf("usage: start-uninstall.exe {GUID} [argument...]\n");
        return 120;
    }
    const std::wstring key =
        std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + arguments[1];
    HKEY entry = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                        &entry) != ERROR_SUCCESS) {
        print(L"no uninstall entry HKLM\\" + key + L" in the 32-bit view");
        return 121;
    }
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring command;
    LSTATUS status = ::RegQueryValueExW(entry, L"UninstallString", nullptr, &type, nullptr, &bytes);
    if (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        command.resize(bytes / sizeof(wchar_t) + 1);
        status = ::RegQueryValueExW(entry, L"UninstallString", nullptr, &type,
                                    reinterpret_cast<BYTE*>(&command[0]), &bytes);
        command.resize(status == ERROR_SUCCESS ? wcsnlen(command.c_str(), command.size()) : 0);
    }
    ::RegCloseKey(entry);
    if (command.empty()) {
        print(L"no UninstallString in HKLM\\" + key);
        return 121;
    }
    if (type == REG_EXPAND_SZ) {
        std::wstring expanded(32768, L'\0');
        const DWORD length = ::ExpandEnvironmentStringsW(command.c_str(), &expanded[0], 32768);
        if (length > 0 && length <= 32768)
            command.assign(expanded.c_str());
    }
    for (int i = 2; i < count; ++i)
        command += L" " + quoted(arguments[i]);
    ::LocalFree(arguments);
    print(L"starting: " + command);

    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // CreateProcessW may write into the command line it is handed.
    std::wstring line = command;
    if (!::CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                          system[0] ? system : nullptr, &startup, &process)) {
        std::printf("not started: error %lu\n", ::GetLastError());
        return 122;
    }
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(code);
}
