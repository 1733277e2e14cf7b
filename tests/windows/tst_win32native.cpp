// Runs the Win32 process code against a real process table: under Wine on
// Linux (scripts/check-windows) or on Windows itself. No Qt, no test
// framework: one line per check, then "N passed, M failed".
//
// The driver copies itself to kClientName, starts the copy as a child that
// only waits, and asks the snapshot code about it under several spellings.

#include "platform/processmatch.h"
#include "platform/win/native/win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <string>
#include <vector>

namespace
{

const wchar_t kClientName[] = L"FerrovaneClientProbe.exe";
const char kChildArgument[] = "--wait-until-killed";
const wchar_t kChildArgumentW[] = L"--wait-until-killed";
// A child that lost its parent still goes away on its own.
const DWORD kChildLifetimeMs = 60000;

int passed = 0;
int failed = 0;

void check(bool ok, const std::string& what)
{
    std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
    std::fflush(stdout);
    ++(ok ? passed : failed);
}

// Whether a process other than this one runs the executable configuredName
// names, asked as the program asks it (Platform::isProcessRunning): from the
// snapshot, this process left out, letter case ignored as Windows does.
bool isProcessRunning(const wchar_t* configuredName)
{
    return Platform::matchesRunningProcess(Platform::Win32::snapshotProcesses(),
                                           configuredName ? configuredName : L"",
                                           Platform::Win32::currentProcessId(), true);
}

std::wstring ownPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring folderOf(const std::wstring& path)
{
    const std::wstring::size_type separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

std::wstring fileName(const std::wstring& path)
{
    return path.substr(folderOf(path).size());
}

// The snapshot's name for pid, or "" when the snapshot does not list it.
std::wstring snapshotName(unsigned long long pid)
{
    for (const Platform::ProcessRecord& process : Platform::Win32::snapshotProcesses()) {
        if (process.pid == pid)
            return process.exeName;
    }
    return std::wstring();
}

bool startChild(const std::wstring& exe, PROCESS_INFORMATION& child)
{
    std::wstring commandLine = L"\"" + exe + L"\" " + kChildArgumentW;
    STARTUPINFOW startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    std::memset(&child, 0, sizeof child);
    return ::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &child) != 0;
}

void stopChild(PROCESS_INFORMATION& child)
{
    ::TerminateProcess(child.hProcess, 0);
    ::WaitForSingleObject(child.hProcess, 10000);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess);
}

bool exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string narrow(const std::wstring& text)
{
    std::string result;
    for (const wchar_t c : text)
        result += c < 128 ? static_cast<char>(c) : '?';
    return result;
}

// A shortcut file is there until it is removed, whatever its name ends in;
// the shared folders come from the system.
void checkEntriesAndFolders(const std::wstring& folder)
{
    using namespace Platform::Win32;
    const std::wstring shortcut = folder + L"Probe.lnk";
    const HANDLE handle = ::CreateFileW(shortcut.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);
    check(entryExists(shortcut.c_str()), "entryExists(\"Probe.lnk\") while it is there");
    ::DeleteFileW(shortcut.c_str());
    check(!entryExists(shortcut.c_str()), "entryExists(\"Probe.lnk\") false once removed");
    check(entryExists(folder.c_str()), "entryExists() of a folder");

    for (const auto& known : {std::make_pair(KnownFolder::PublicDesktop, "PublicDesktop"),
                              std::make_pair(KnownFolder::CommonPrograms, "CommonPrograms")}) {
        const std::wstring path = knownFolderPath(known.first);
        const DWORD attributes =
            path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
        check(path.size() > 3 && path[1] == L':' && path.back() != L'\\' &&
                  attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY),
              std::string("knownFolderPath(") + known.second + ") is the folder \"" + narrow(path) +
                  "\"");
    }
}

void checkExtendedPaths()
{
    using Platform::Win32::extendedPath;
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"C:\\Apps\\x", L"\\\\?\\C:\\Apps\\x"},
        {L"\\\\server\\share\\x", L"\\\\?\\UNC\\server\\share\\x"},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
        {L"relative\\x", L"relative\\x"},
        {L"C:relative", L"C:relative"},
    };
    for (const Case& c : cases) {
        const std::wstring result = extendedPath(c.path);
        check(result == c.expected,
              "extendedPath(\"" + narrow(c.path) + "\") is \"" + narrow(result) + "\"");
    }
}

// Plain entries are no links; a missing entry counts as one (never entered)
// but cannot be removed. Symbolic links are links and go without their
// targets. Wine 8 reports success from CreateSymbolicLinkW but creates
// nothing; a link that does not appear is reported as skipped.
void checkLinkEntries(const std::wstring& folder)
{
    using Platform::Win32::finalPath;
    using Platform::Win32::isLinkEntry;
    using Platform::Win32::removeLinkEntry;
    const std::wstring target = folder + L"reparse-probe";
    const std::wstring file = target + L"\\file.txt";
    const std::wstring missing = target + L"\\missing";
    ::CreateDirectoryW(target.c_str(), nullptr);
    const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);

    struct PlainCase {
        const std::wstring* path;
        bool exists;
        bool link;
        const char* what;
    };
    const PlainCase plainCases[] = {
        {&target, true, false, "plain folder"},
        {&file, true, false, "plain file"},
        {&missing, false, true, "missing path"},
    };
    for (const PlainCase& c : plainCases) {
        check(exists(*c.path) == c.exists && isLinkEntry(c.path->c_str()) == c.link,
              std::string(c.what) + ": isLinkEntry() " + (c.link ? "true" : "false"));
    }
    check(!removeLinkEntry(missing.c_str()), "missing path: removeLinkEntry() false");

    // On Windows past MAX_PATH only the "\\?\" form reaches an entry; a plain
    // folder there must still read as a plain folder, not fail closed. (Wine
    // does not enforce the limit, so there this check proves less.)
    std::wstring deep = target;
    while (deep.size() < MAX_PATH + 40) {
        deep += L"\\nested-folder-level";
        ::CreateDirectoryW(Platform::Win32::extendedPath(deep.c_str()).c_str(), nullptr);
    }
    check(exists(Platform::Win32::extendedPath(deep.c_str())) && !isLinkEntry(deep.c_str()),
          "folder past MAX_PATH: isLinkEntry() false");
    for (std::wstring level = deep; level.size() > target.size();
         level.resize(level.find_last_of(L'\\')))
        ::RemoveDirectoryW(Platform::Win32::extendedPath(level.c_str()).c_str());

    std::wstring plainFolder = target;
    const std::wstring resolved = finalPath(target.c_str());
    check(!resolved.empty() && ::CompareStringOrdinal(resolved.c_str(), -1, plainFolder.c_str(), -1,
                                                      TRUE) == CSTR_EQUAL,
          "finalPath() of a plain folder is the folder (got \"" + narrow(resolved) + "\")");
    check(finalPath(missing.c_str()).empty(), "finalPath() of a missing path is empty");

    struct LinkCase {
        std::wstring link;
        const std::wstring* target;
        DWORD flags;
        const char* what;
    };
    // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE: no administrator needed in
    // developer mode.
    const DWORD unprivileged = 0x2;
    const LinkCase linkCases[] = {
        {folder + L"reparse-folder-link", &target, SYMBOLIC_LINK_FLAG_DIRECTORY | unprivileged,
         "folder link"},
        {folder + L"reparse-file-link", &file, unprivileged, "file link"},
    };
    for (const LinkCase& c : linkCases) {
        // Left over from an interrupted run?
        ::RemoveDirectoryW(c.link.c_str());
        ::DeleteFileW(c.link.c_str());
        ::CreateSymbolicLinkW(c.link.c_str(), c.target->c_str(), c.flags);
        if (!exists(c.link)) {
            std::printf("SKIP %s: the system created no symbolic link\n", c.what);
            continue;
        }
        check(isLinkEntry(c.link.c_str()), std::string(c.what) + ": isLinkEntry() true");
        check(removeLinkEntry(c.link.c_str()) && !exists(c.link) && exists(*c.target) &&
                  exists(file),
              std::string(c.what) + ": removeLinkEntry() removes the link, not its target");
    }

    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(target.c_str());
}

struct NameCase {
    const wchar_t* configuredName;
    bool expected;
    const char* why;
};

// The value Windows reads at start-up to remove what was scheduled: pairs of
// source and target, an empty target meaning removal.
const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

bool readPending(std::wstring& value)
{
    DWORD size = 0;
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, RRF_RT_REG_MULTI_SZ,
                       nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    value.assign(size / sizeof(wchar_t), L'\0');
    return ::RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingValue, RRF_RT_REG_MULTI_SZ,
                          nullptr, &value[0], &size) == ERROR_SUCCESS;
}

// Whether the list holds path (in Windows' "\??\" form) followed by an empty target.
bool pendingRemoval(const std::wstring& list, const std::wstring& path)
{
    const std::wstring wanted = std::wstring(L"\\??\\") + path;
    for (std::size_t at = 0; at < list.size() && list[at] != L'\0';) {
        const std::wstring source = list.c_str() + at;
        at += source.size() + 1;
        const std::wstring target = at < list.size() ? list.c_str() + at : L"";
        at += target.size() + 1;
        if (target.empty() &&
            ::CompareStringOrdinal(source.c_str(), -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// The list put back as it was before a test scheduled anything.
void restorePending(bool hadList, const std::wstring& before)
{
    HKEY key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS)
        return;
    if (hadList)
        ::RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ,
                         reinterpret_cast<const BYTE*>(before.data()),
                         static_cast<DWORD>(before.size() * sizeof(wchar_t)));
    else
        ::RegDeleteValueW(key, kPendingValue);
    ::RegCloseKey(key);
}

// A file and a folder scheduled for removal at the next restart show up in
// the list; the list is put back as it was afterwards.
void checkRestartRemoval(const std::wstring& folder)
{
    std::wstring before;
    const bool hadList = readPending(before);
    const std::wstring dir = folder + L"RestartProbe";
    const std::wstring file = dir + L"\\in-use.dll";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    const HANDLE handle = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        ::CloseHandle(handle);

    using Platform::Win32::scheduleRemovalAtRestart;
    check(scheduleRemovalAtRestart(file.c_str()), "scheduleRemovalAtRestart(file) succeeds");
    check(scheduleRemovalAtRestart(dir.c_str()), "scheduleRemovalAtRestart(folder) succeeds");
    check(!scheduleRemovalAtRestart(L""), "scheduleRemovalAtRestart(\"\") refused");
    check(!scheduleRemovalAtRestart((dir + L"\\missing").c_str()),
          "scheduleRemovalAtRestart(missing entry) refused");
    std::wstring after;
    check(readPending(after) && pendingRemoval(after, file) && pendingRemoval(after, dir),
          "both are listed in PendingFileRenameOperations");
    const std::size_t filePos = after.find(L"in-use.dll");
    const std::size_t dirPos = after.rfind(std::wstring(L"RestartProbe") + L'\0');
    check(filePos != std::wstring::npos && dirPos != std::wstring::npos && filePos < dirPos,
          "in the order scheduled: the file before its folder");

    restorePending(hadList, before);
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(dir.c_str());
}

// Another product's entry named with a '/' (which Qt's registry settings
// would swap for a separator) and with only its commands recorded: read
// under its own name, with its values, an expandable one as stored.
void checkUninstallEntries()
{
    const wchar_t uninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    const std::wstring name = L"Probe/Product 1.0";
    HKEY parent = nullptr;
    HKEY entry = nullptr;
    bool made = ::RegCreateKeyExW(HKEY_CURRENT_USER, uninstall, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &parent, nullptr) == ERROR_SUCCESS &&
                ::RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &entry, nullptr) == ERROR_SUCCESS;
    const std::wstring command = L"\"C:\\Probe\\unins000.exe\" /SILENT";
    const std::wstring icon = L"%SystemDrive%\\Probe\\probe.exe,0";
    made = made &&
           ::RegSetValueExW(entry, L"UninstallString", 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(command.c_str()),
                            DWORD((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS &&
           ::RegSetValueExW(entry, L"DisplayIcon", 0, REG_EXPAND_SZ,
                            reinterpret_cast<const BYTE*>(icon.c_str()),
                            DWORD((icon.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    check(made, "an uninstall entry named \"Probe/Product 1.0\" made");
    bool found = false;
    for (const Platform::Win32::UninstallValues& values : Platform::Win32::uninstallEntries())
        found = found || (values.name == name && values.uninstallString == command &&
                          values.displayIcon == icon && values.installLocation.empty());
    check(found, "uninstallEntries() reads it under its own name, with its values");
    if (entry)
        ::RegCloseKey(entry);
    if (parent) {
        ::RegDeleteKeyW(parent, name.c_str());
        ::RegCloseKey(parent);
    }
}

// Windows Installer's component records: the key files' paths, registry
// components left out.
void checkInstallerComponents()
{
    const std::wstring key = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\"
                             L"S-1-5-18\\Components\\0F1E2D3C4B5A69788796A5B4C3D2E1F0";
    HKEY component = nullptr;
    bool made = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &component,
                                  nullptr) == ERROR_SUCCESS;
    const std::wstring file = L"C:\\Probe\\plugins\\probe.dll";
    const std::wstring registry = L"01:\\SOFTWARE\\Probe\\";
    for (const auto& [name, value] :
         {std::make_pair(L"A1B2C3D4E5F60718293A4B5C6D7E8F90", file),
          std::make_pair(L"B1B2C3D4E5F60718293A4B5C6D7E8F90", registry)})
        made = made && ::RegSetValueExW(
                           component, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    if (component)
        ::RegCloseKey(component);
    const std::vector<std::wstring> paths = Platform::Win32::installerComponentPaths();
    const auto has = [&paths](const std::wstring& path) {
        return std::find(paths.begin(), paths.end(), path) != paths.end();
    };
    check(made && has(file) && !has(registry),
          "installerComponentPaths() reads a key file's path and leaves a registry key out");
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), KEY_WOW64_64KEY, 0);
}

// --- the folder walk ----------------------------------------------------------

bool makeEntry(const std::wstring& path, DWORD attributes)
{
    if (!path.empty() && path.back() == L'\\') {
        if (!::CreateDirectoryW(path.c_str(), nullptr))
            return false;
    } else {
        const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        ::CloseHandle(file);
    }
    return attributes == 0 || ::SetFileAttributesW(path.c_str(), attributes);
}

// Every entry below folder, folders with a final '\\', sorted.
void listTree(const std::wstring& folder, const std::wstring& prefix,
              std::vector<std::wstring>& out)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(prefix + name + L"\\");
            listTree(folder + L"\\" + name, prefix + name + L"\\", out);
        } else {
            out.push_back(prefix + name);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

std::vector<std::wstring> treeOf(const std::wstring& folder)
{
    std::vector<std::wstring> entries;
    listTree(folder, L"", entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

// Test cleanup by path, inside the test's own folder only.
void wipe(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..")
                wipe(path + L"\\" + name);
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(path.c_str());
}

std::string joined(const std::vector<std::wstring>& list)
{
    std::string text;
    for (const std::wstring& entry : list)
        text += (text.empty() ? "" : " ") + narrow(entry);
    return "[" + text + "]";
}

struct WalkCase {
    const char* what;
    std::vector<std::wstring> tree; // "x\\" a folder; "!x" read-only
    std::vector<std::wstring> removeLast;
    std::wstring held; // opened without leave to delete during the walk
    std::vector<std::wstring> left;
    std::vector<std::wstring> inUse;
    bool complete;
    // Held only this long (0: the whole walk), and with leave to delete, so
    // that where the file system has no POSIX deletion it stays pending.
    DWORD releaseMs = 0;
    bool shareDelete = false;
    // With these set, a decider keeps them, enters every folder and lets
    // every other entry go, as an install manifest does.
    std::vector<std::wstring> keep = {};
};

struct Release {
    HANDLE handle;
    DWORD after;
};

DWORD WINAPI releaseLater(void* argument)
{
    const auto* release = static_cast<Release*>(argument);
    ::Sleep(release->after);
    ::CloseHandle(release->handle);
    return 0;
}

void checkWalk(const std::wstring& base)
{
    const WalkCase cases[] = {
        {"nested tree",
         {L"a\\", L"a\\b\\", L"a\\b\\c\\", L"a\\b\\c\\f.txt", L"a\\g.txt", L"e\\", L"top.txt"},
         {},
         L"",
         {},
         {},
         true},
        {"read-only files and folder",
         {L"!r.txt", L"d\\", L"d\\!r2.txt", L"!rod\\", L"!rod\\f"},
         {},
         L"",
         {},
         {},
         true},
        {"removeLast goes when all else went",
         {L"Client.exe", L"bin\\", L"bin\\Client.dll", L"bin\\other.dll", L"x\\", L"x\\y.txt"},
         {L"client.EXE", L"bin/Client.dll"},
         L"",
         {},
         {},
         true},
        {"removeLast kept while another entry is in use",
         {L"Client.exe", L"bin\\", L"bin\\Client.dll", L"bin\\other.dll", L"log\\",
          L"log\\held.log", L"z.txt"},
         {L"Client.exe", L"bin\\Client.dll"},
         L"log\\held.log",
         {L"Client.exe", L"bin\\", L"bin\\Client.dll", L"log\\", L"log\\held.log"},
         {L"log\\held.log"},
         false},
        {"unusable removeLast names ignored",
         {L"f.txt", L"a\\", L"a\\b\\", L"a\\b\\c"},
         {L"..\\f.txt", L"a\\b\\c", L"", L"a\\.."},
         L"",
         {},
         {},
         true},
        // Another program that holds an entry for a moment (a scanner) does
        // not make it stay.
        {"a file held for a moment goes",
         {L"log\\", L"log\\busy.log", L"z.txt"},
         {},
         L"log\\busy.log",
         {},
         {},
         true,
         20},
        {"a folder whose last file is pending deletion goes",
         {L"log\\", L"log\\pending.log"},
         {},
         L"log\\pending.log",
         {},
         {},
         true,
         20,
         true},
        // The user's file, held without leave to delete the whole walk: kept
        // at once, neither in use nor waited for; its folder stays with it.
        {"a held file a decider keeps",
         {L"u\\", L"u\\notes.txt", L"a.dll"},
         {},
         L"u\\notes.txt",
         {L"u\\", L"u\\notes.txt"},
         {},
         true,
         0,
         false,
         {L"u\\notes.txt"}},
    };
    const std::wstring top = base + L"walk";
    for (const WalkCase& c : cases) {
        wipe(top);
        bool staged = makeEntry(top + L"\\", 0);
        for (const std::wstring& entry : c.tree) {
            const bool readOnly = entry[0] == L'!';
            std::wstring path = top + L"\\" + entry.substr(readOnly ? 1 : 0);
            staged = makeEntry(path, 0) && staged;
            if (readOnly) {
                path.erase(path.find_last_not_of(L'\\') + 1);
                staged = ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY) && staged;
            }
        }
        HANDLE held = INVALID_HANDLE_VALUE;
        if (!c.held.empty())
            held = ::CreateFileW((top + L"\\" + c.held).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE |
                                     (c.shareDelete ? FILE_SHARE_DELETE : 0),
                                 nullptr, OPEN_EXISTING, 0, nullptr);
        if (!staged || (!c.held.empty() && held == INVALID_HANDLE_VALUE)) {
            check(false, std::string(c.what) + ": staged");
            continue;
        }
        Release release{held, c.releaseMs};
        HANDLE releaser = c.releaseMs && held != INVALID_HANDLE_VALUE
                              ? ::CreateThread(nullptr, 0, releaseLater, &release, 0, nullptr)
                              : nullptr;
        Platform::Win32::EntryDecider decide;
        if (!c.keep.empty())
            decide = [&c](const std::wstring& relative, bool isFolder) {
                for (const std::wstring& kept : c.keep)
                    if (kept == relative)
                        return Platform::Win32::EntryDecision::Keep;
                return isFolder ? Platform::Win32::EntryDecision::Enter
                                : Platform::Win32::EntryDecision::Remove;
            };
        std::vector<std::wstring> inUse;
        for (const std::wstring& entry : c.inUse)
            inUse.push_back(top + L"\\" + entry);
        std::vector<std::wstring> kept;
        for (const std::wstring& entry : c.keep)
            kept.push_back(top + L"\\" + entry);
        using Platform::Win32::LeftStatus;
        if (!c.releaseMs) {
            // A trial run first: the same verdicts, and nothing touched.
            const std::vector<std::wstring> before = treeOf(top);
            const Platform::Win32::ContentsRemoval trial = Platform::Win32::removeFolderContents(
                top.c_str(), c.removeLast, Platform::Win32::Identity(), decide, {}, true);
            check(treeOf(top) == before && trial.complete == c.complete &&
                      trial.paths(LeftStatus::InUse) == inUse &&
                      trial.paths(LeftStatus::Kept) == kept,
                  std::string(c.what) + ": a trial run tells the same and touches nothing");
        }
        const Platform::Win32::ContentsRemoval removal = Platform::Win32::removeFolderContents(
            top.c_str(), c.removeLast, Platform::Win32::Identity(), decide);

        if (releaser) {
            ::WaitForSingleObject(releaser, INFINITE);
            ::CloseHandle(releaser);
        } else if (held != INVALID_HANDLE_VALUE) {
            ::CloseHandle(held);
        }
        const std::vector<std::wstring> left = treeOf(top);
        check(removal.complete == c.complete && left == c.left &&
                  removal.paths(LeftStatus::InUse) == inUse &&
                  removal.paths(LeftStatus::Kept) == kept &&
                  removal.paths(LeftStatus::OtherVolume).empty() && exists(top),
              std::string(c.what) + ": complete " + (removal.complete ? "yes" : "no") + ", left " +
                  joined(left) + ", in use " + joined(removal.paths(LeftStatus::InUse)));
    }
    wipe(top);
}

// A read-only file with a second name outside the folder: its attribute is
// the file's, so the walk must not clear it. Windows removes the name inside
// with the read-only attribute ignored; where that is missing (Wine) the name
// stays and the walk says so.
void checkHardLinkedReadOnly(const std::wstring& base)
{
    const std::wstring top = base + L"walk-links";
    const std::wstring outside = base + L"walk-outside.txt";
    const std::wstring inside = top + L"\\linked.txt";
    wipe(top);
    wipe(outside);
    const bool staged = makeEntry(top + L"\\", 0) && makeEntry(outside, FILE_ATTRIBUTE_READONLY) &&
                        ::CreateHardLinkW(inside.c_str(), outside.c_str(), nullptr);
    const Platform::Win32::ContentsRemoval removal =
        Platform::Win32::removeFolderContents(top.c_str(), {});
    const DWORD attributes = ::GetFileAttributesW(outside.c_str());
    check(staged && attributes != INVALID_FILE_ATTRIBUTES &&
              (attributes & FILE_ATTRIBUTE_READONLY) && removal.complete != exists(inside),
          std::string("hard-linked read-only file: the other name keeps its attribute; inside ") +
              (exists(inside) ? "left, walk incomplete" : "removed"));
    wipe(top);
    wipe(outside);
}

// A running program's file cannot go while it runs (the uninstaller's own
// executable in the folder it removes): it stays, listed as in use, with the
// folder holding it.
void checkRunningProgram(const std::wstring& base, const std::wstring& self)
{
    // Blanks and a Chinese name, whatever the ANSI code page.
    const std::wstring top = base + L"walk running \u94C1\u98CE\u5E06";
    const std::wstring exe = top + L"\\bin\\" + kClientName;
    wipe(top);
    PROCESS_INFORMATION child;
    const bool started = makeEntry(top + L"\\", 0) && makeEntry(top + L"\\bin\\", 0) &&
                         makeEntry(top + L"\\other.txt", 0) &&
                         ::CopyFileW(self.c_str(), exe.c_str(), TRUE) && startChild(exe, child);
    if (!started) {
        check(false, "running program: staged and started");
        wipe(top);
        return;
    }
    // Running once the snapshot lists it, as in main().
    for (int attempt = 0; attempt < 50 && snapshotName(child.dwProcessId).empty(); ++attempt)
        ::Sleep(100);
    const Platform::Win32::ContentsRemoval removal =
        Platform::Win32::removeFolderContents(top.c_str(), {});
    const std::vector<std::wstring> left = treeOf(top);
    const std::vector<std::wstring> expected{L"bin\\", std::wstring(L"bin\\") + kClientName};
    const std::vector<std::wstring> inUse = removal.paths(Platform::Win32::LeftStatus::InUse);
    check(!removal.complete && left == expected && inUse == std::vector<std::wstring>{exe},
          "running program: left " + joined(left) + ", in use " + joined(inUse));

    // It can be renamed within its volume, though: into a holding folder at
    // the volume's root, through a handle whose identity is one of own only.
    using namespace Platform::Win32;
    const std::wstring holding = makeHoldingFolder(top.c_str());
    check(holding.size() > 3 && holding.compare(0, 3, top.substr(0, 3)) == 0 &&
              holding.find(L'\\', 3) == std::wstring::npos,
          "makeHoldingFolder() at the volume's root: " + narrow(holding));
    const Identity identity = fileIdentity(exe.c_str());
    check(moveIntoHolding(exe.c_str(), {}, holding.c_str()).empty() && exists(exe),
          "moveIntoHolding() leaves a file that is none of own");
    const std::wstring moved = moveIntoHolding(exe.c_str(), {identity}, holding.c_str());
    const Platform::Win32::ContentsRemoval again = removeFolderContents(top.c_str(), {});
    check(!moved.empty() && exists(moved) && !exists(exe) && again.complete && treeOf(top).empty(),
          "running program moved out to " + narrow(moved) + ", the folder emptied after it");
    stopChild(child);
    if (!moved.empty())
        ::DeleteFileW(moved.c_str());
    check(!holding.empty() && removeEmptyFolder(holding.c_str()) && !exists(holding),
          "removeEmptyFolder() removes the emptied holding folder");
    wipe(top);
}

// A file another program holds without leave to delete can be neither
// removed nor renamed: it is scheduled where it is, by the path's "\\?\"
// form, so a path longer than MAX_PATH is no obstacle.
void checkHeldFileScheduled(const std::wstring& base)
{
    std::wstring before;
    const bool hadList = readPending(before);
    using namespace Platform::Win32;
    std::wstring folder = base + L"held";
    bool staged = ::CreateDirectoryW(extendedPath(folder.c_str()).c_str(), nullptr) != 0;
    for (int i = 0; i < 12 && staged; ++i) {
        folder += L"\\a-folder-of-a-path-longer-than-max-path";
        staged = ::CreateDirectoryW(extendedPath(folder.c_str()).c_str(), nullptr) != 0;
    }
    const std::wstring file = folder + L"\\held.log";
    staged = staged && makeEntry(extendedPath(file.c_str()), 0);
    const HANDLE held = ::CreateFileW(extendedPath(file.c_str()).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const Identity identity = fileIdentity(file.c_str());
    const std::wstring holding = makeHoldingFolder(base.c_str());
    check(staged && held != INVALID_HANDLE_VALUE && file.size() > MAX_PATH &&
              moveIntoHolding(file.c_str(), {identity}, holding.c_str()).empty(),
          "a file held without leave to delete cannot move out");
    std::wstring after;
    check(scheduleRemovalAtRestart(file.c_str()) && readPending(after) &&
              pendingRemoval(after, file),
          "scheduled in place by a path longer than MAX_PATH");
    if (held != INVALID_HANDLE_VALUE)
        ::CloseHandle(held);
    restorePending(hadList, before);
    removeEmptyFolder(holding.c_str());
    wipe(extendedPath((base + L"held").c_str()));
}

struct DeepWalk {
    std::wstring top;
    Platform::Win32::ContentsRemoval removal;
};

DWORD WINAPI deepWalk(void* argument)
{
    auto* walk = static_cast<DeepWalk*>(argument);
    walk->removal = Platform::Win32::removeFolderContents(walk->top.c_str(), {});
    return 0;
}

// A tree as deep as the walk goes is removed on a thread with the stack a
// Windows worker thread gets; one level more is left.
void checkDeepTrees(const std::wstring& base)
{
    const int limit = Platform::Win32::kMaxOpenFolders;
    for (const int depth : {limit - 1, limit}) {
        DeepWalk walk;
        walk.top = base + L"walk-deep";
        wipe(walk.top);
        std::wstring path = Platform::Win32::extendedPath(walk.top.c_str());
        bool staged = makeEntry(path + L"\\", 0);
        for (int level = 0; level < depth && staged; ++level) {
            path += L"\\d";
            staged = makeEntry(path + L"\\", 0);
        }
        staged = staged && makeEntry(path + L"\\f", 0);
        const HANDLE thread = staged ? ::CreateThread(nullptr, 1024 * 1024, deepWalk, &walk,
                                                      STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr)
                                     : nullptr;
        if (thread) {
            ::WaitForSingleObject(thread, INFINITE);
            ::CloseHandle(thread);
        }
        const bool within = depth < limit;
        const bool empty = treeOf(walk.top).empty();
        check(thread && walk.removal.complete == within && empty == within,
              "tree " + std::to_string(depth) + " folders deep: " + (empty ? "removed" : "left") +
                  (walk.removal.complete ? ", complete" : ""));
        // Cleanup by path from the bottom, as the tree was built.
        for (; path.size() > Platform::Win32::extendedPath(walk.top.c_str()).size();
             path.resize(path.find_last_of(L'\\'))) {
            ::DeleteFileW((path + L"\\f").c_str());
            ::RemoveDirectoryW(path.c_str());
        }
        ::RemoveDirectoryW(walk.top.c_str());
    }
}

// A top that is no folder, is missing or is given relative is left alone.
void checkRefusedTops(const std::wstring& base)
{
    const std::wstring file = base + L"walk-file.txt";
    makeEntry(file, 0);
    const struct {
        std::wstring path;
        const char* what;
    } cases[] = {
        {file, "a file"},
        {base + L"walk-missing", "a missing folder"},
        {L"walk-relative", "a relative path"},
        {L"", "an empty path"},
    };
    for (const auto& c : cases) {
        const Platform::Win32::ContentsRemoval removal =
            Platform::Win32::removeFolderContents(c.path.c_str(), {L"x"});
        check(!removal.complete && removal.paths(Platform::Win32::LeftStatus::InUse).empty(),
              std::string("top folder that is ") + c.what + ": left, incomplete");
    }
    check(exists(file), "top folder that is a file: the file stays");
    wipe(file);
}

// The log's file: opened relative to each folder on the way, made when
// absent, appended to and read from the start; refused as a folder, missing
// on the way, or past a file. (Wine 8 makes no symbolic links, so the
// refusal of a link on the way is checked on Linux and on Windows only.)
void checkAppendFile(const std::wstring& base)
{
    using Platform::Win32::AppendOutcome;
    const std::wstring folder = base + L"append\\logs";
    ::CreateDirectoryW((base + L"append").c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring log = folder + L"\\run.log";
    const auto open = [](const std::wstring& path) {
        std::vector<std::wstring> names;
        for (std::size_t at = 3; at <= path.size();) {
            const std::size_t end = std::min(path.find(L'\\', at), path.size());
            names.push_back(path.substr(at, end - at));
            at = end + 1;
        }
        return Platform::Win32::openForAppending(path.substr(0, 3), names);
    };
    const auto append = [&open](const std::wstring& path, const char* text) {
        const Platform::Win32::AppendFile file = open(path);
        if (file.outcome != AppendOutcome::Opened)
            return false;
        const int size = static_cast<int>(std::strlen(text));
        const bool written = ::_write(file.descriptor, text, size) == size;
        return ::_close(file.descriptor) == 0 && written;
    };
    check(append(log, "first\n") && append(log, "second\n"),
          "openForAppending(): made, then appended to");
    const Platform::Win32::AppendFile again = open(log);
    char head[16] = {};
    check(again.outcome == AppendOutcome::Opened && ::_lseek(again.descriptor, 0, SEEK_SET) == 0 &&
              ::_read(again.descriptor, head, 13) == 13 && std::string(head) == "first\nsecond\n",
          "openForAppending(): what is there is kept and read from the start");
    if (again.outcome == AppendOutcome::Opened)
        ::_close(again.descriptor);
    check(open(folder).outcome == AppendOutcome::NotAFile, "openForAppending(folder): not a file");
    const Platform::Win32::AppendFile missing = open(base + L"append\\missing\\run.log");
    check(missing.outcome == AppendOutcome::Failed && missing.error != 0 &&
              !exists(base + L"append\\missing"),
          "openForAppending(): a missing folder on the way fails, nothing made");
    check(open(log + L"\\x.log").outcome == AppendOutcome::Failed,
          "openForAppending(): a file on the way fails");
    ::DeleteFileW(log.c_str());
    ::RemoveDirectoryW(folder.c_str());
    ::RemoveDirectoryW((base + L"append").c_str());
}

void checkIdentityAndMounts(const std::wstring& base)
{
    using Platform::Win32::fileIdentity;
    using Platform::Win32::isMountPoint;
    const std::wstring one = base + L"identity-one";
    const std::wstring two = base + L"identity-two";
    makeEntry(one + L"\\", 0);
    makeEntry(two + L"\\", 0);
    std::wstring upper = one;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(::towupper(c));
    wchar_t shortName[MAX_PATH];
    const DWORD shortLength = ::GetShortPathNameW(one.c_str(), shortName, MAX_PATH);
    const std::wstring shortPath(shortName, shortLength < MAX_PATH ? shortLength : 0);
    check(!shortPath.empty() && shortPath != one,
          "a short name for the identity check (\"" + narrow(shortPath) + "\")");
    const struct {
        std::wstring a, b;
        bool same;
        const char* what;
    } cases[] = {
        {one, upper, true, "one folder in other letter case"},
        {one, one + L"\\", true, "one folder with a final separator"},
        {one, shortPath, true, "one folder by its short name"},
        {one, two, false, "two folders"},
    };
    for (const auto& c : cases) {
        const Platform::Win32::Identity a = fileIdentity(c.a.c_str());
        const Platform::Win32::Identity b = fileIdentity(c.b.c_str());
        check(a.valid && b.valid && (a == b) == c.same,
              std::string("fileIdentity: ") + c.what + (c.same ? " equal" : " differ"));
    }
    check(!fileIdentity((base + L"identity-missing").c_str()).valid,
          "fileIdentity of a missing path is invalid");

    const struct {
        std::wstring path;
        bool mountPoint;
        const char* what;
    } mounts[] = {
        {L"C:\\", true, "a drive root"},
        {one, false, "a folder"},
        {one + L"\\", false, "a folder with a final separator"},
        {base + L"identity-missing", true, "a missing path (fails closed)"},
    };
    for (const auto& c : mounts) {
        check(isMountPoint(c.path.c_str()) == c.mountPoint,
              std::string("isMountPoint: ") + c.what + (c.mountPoint ? " is one" : " is none"));
    }
    ::RemoveDirectoryW(one.c_str());
    ::RemoveDirectoryW(two.c_str());
}

// Another product's folder, known by its identity, is never entered by the
// walk.
void checkSealedFolders(const std::wstring& base)
{
    using namespace Platform::Win32;
    const std::wstring top = base + L"sealed-top";
    const bool staged = makeEntry(top + L"\\", 0) && makeEntry(top + L"\\ours.dll", 0) &&
                        makeEntry(top + L"\\plugins\\", 0) &&
                        makeEntry(top + L"\\plugins\\Other\\", 0) &&
                        makeEntry(top + L"\\plugins\\Other\\settings.ini", 0);
    const Identity other = fileIdentity((top + L"\\plugins\\Other").c_str());
    const ContentsRemoval removal =
        removeFolderContents(top.c_str(), {}, Identity(), nullptr, {other});
    check(staged && other.valid && !removal.complete &&
              removal.paths(LeftStatus::OtherProduct) ==
                  std::vector<std::wstring>{top + L"\\plugins\\Other"} &&
              exists(top + L"\\plugins\\Other\\settings.ini") && !exists(top + L"\\ours.dll"),
          "the walk leaves another product's folder, known by its identity, untouched");
    wipe(top);
}

// What the walk makes of an entry, from what its handle tells. Links and
// mounted volumes cannot be made under Wine, so these are decisions only.
void checkEntryKinds()
{
    using Platform::Win32::EntryKind;
    const DWORD dir = FILE_ATTRIBUTE_DIRECTORY;
    const DWORD reparse = FILE_ATTRIBUTE_REPARSE_POINT;
    const DWORD mountTag = IO_REPARSE_TAG_MOUNT_POINT;
    const struct {
        DWORD attributes;
        DWORD tag;
        const wchar_t* target;
        EntryKind kind;
        const char* what;
    } cases[] = {
        {FILE_ATTRIBUTE_NORMAL, 0, L"", EntryKind::File, "plain file"},
        {FILE_ATTRIBUTE_READONLY, 0, L"", EntryKind::File, "read-only file"},
        {dir, 0, L"", EntryKind::Folder, "plain folder"},
        {dir | reparse, IO_REPARSE_TAG_SYMLINK, L"", EntryKind::Link, "folder symbolic link"},
        {reparse, IO_REPARSE_TAG_SYMLINK, L"", EntryKind::Link, "file symbolic link"},
        {dir | reparse, mountTag, L"\\??\\C:\\Users", EntryKind::Link, "junction"},
        {dir | reparse, mountTag, L"\\??\\Volume{0b1c6f12-8e4a-4f6b-9d3e-2a7c5e9f0d41}\\",
         EntryKind::OtherVolume, "volume mounted in a folder"},
        {dir | reparse, mountTag, L"\\??\\volume{0b1c6f12-8e4a-4f6b-9d3e-2a7c5e9f0d41}\\",
         EntryKind::OtherVolume, "volume name in other letter case"},
        {dir | reparse, mountTag, L"", EntryKind::Link, "unreadable mount point target"},
        {dir | reparse, 0x9000601AUL, L"", EntryKind::Folder, "cloud placeholder folder"},
        {reparse, 0x8000001BUL, L"", EntryKind::File, "app execution alias"},
        {dir, IO_REPARSE_TAG_SYMLINK, L"", EntryKind::Folder, "tag without the attribute"},
    };
    for (const auto& c : cases) {
        check(Platform::Win32::entryKind(c.attributes, c.tag, c.target) == c.kind,
              std::string("entryKind: ") + c.what);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kChildArgument) == 0) {
        ::Sleep(kChildLifetimeMs);
        return 0;
    }
    // As another program might: one file held open without leave to delete
    // (or rename) it, until killed.
    if (argc > 2 && std::strcmp(argv[1], "--hold-until-killed") == 0) {
        int count = 0;
        wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
        const HANDLE held = count > 2 ? ::CreateFileW(arguments[2], GENERIC_READ, FILE_SHARE_READ,
                                                      nullptr, OPEN_EXISTING, 0, nullptr)
                                      : INVALID_HANDLE_VALUE;
        ::LocalFree(arguments);
        if (held == INVALID_HANDLE_VALUE)
            return 1;
        ::Sleep(10 * kChildLifetimeMs);
        return 0;
    }

    using namespace Platform;
    const std::wstring self = ownPath();
    const std::wstring selfName = fileName(self);
    const std::wstring clientPath = folderOf(self) + kClientName;
    if (self.empty() || selfName.empty() || selfName == kClientName) {
        std::printf("FAIL cannot tell this program's own path apart from %s\n",
                    narrow(kClientName).c_str());
        std::printf("0 passed, 1 failed\n");
        return 1;
    }

    // The own process: listed under its name, and skipped when that name is asked for.
    const unsigned long long ownPid = Win32::currentProcessId();
    check(snapshotName(ownPid) == selfName, "snapshot lists this process as " + narrow(selfName) +
                                                " (got \"" + narrow(snapshotName(ownPid)) + "\")");
    check(matchesRunningProcess(Win32::snapshotProcesses(), selfName, 0),
          "own name matches when no process id is skipped");
    check(!isProcessRunning(selfName.c_str()),
          "own process skipped: " + narrow(selfName) + " is not reported as running");

    check(!isProcessRunning(kClientName),
          narrow(kClientName) + " not reported before it is started");

    if (!::CopyFileW(self.c_str(), clientPath.c_str(), FALSE)) {
        check(false, "copy this program to " + narrow(kClientName));
        std::printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }
    PROCESS_INFORMATION child;
    if (!startChild(clientPath, child)) {
        check(false,
              "start " + narrow(kClientName) + " (error " + std::to_string(::GetLastError()) + ")");
        ::DeleteFileW(clientPath.c_str());
        std::printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }

    // CreateProcess returns once the process exists; give a slow Wine a moment anyway.
    std::wstring childName;
    for (int attempt = 0; attempt < 50 && childName.empty(); ++attempt) {
        childName = snapshotName(child.dwProcessId);
        if (childName.empty())
            ::Sleep(100);
    }
    check(childName == kClientName, "snapshot lists the child as " + narrow(kClientName) +
                                        " (got \"" + narrow(childName) + "\")");

    static const NameCase cases[] = {
        {L"FerrovaneClientProbe.exe", true, "exact name"},
        {L"ferrovaneclientprobe.exe", true, "other letter case"},
        {L"FERROVANECLIENTPROBE.EXE", true, "other letter case"},
        {L"FerrovaneClientProbe.EXE", true, "other case of the extension"},
        {L"FerrovaneClientProbe", false, "without the extension"},
        {L"FerrovaneClientProbe.exe ", false, "trailing blank"},
        {L"dir\\FerrovaneClientProbe.exe", false, "'\\' directory part"},
        {L"C:\\Program Files\\Ferrovane\\FerrovaneClientProbe.exe", false, "'\\' full path"},
        {L"dir/FerrovaneClientProbe.exe", true, "'/' directory part stripped"},
        {L"C:/Program Files/Ferrovane/FerrovaneClientProbe.exe", true, "'/' full path stripped"},
        {L"FerrovaneClientProbe.exe/", false, "name ending in '/'"},
        {L"", false, "empty name"},
    };
    for (const NameCase& c : cases) {
        const bool running = isProcessRunning(c.configuredName);
        check(running == c.expected, std::string(c.why) + ": \"" + narrow(c.configuredName) +
                                         "\" " + (running ? "found" : "not found"));
    }
    check(!isProcessRunning(nullptr), "null name: not found");

    stopChild(child);
    check(!isProcessRunning(kClientName),
          narrow(kClientName) + " not reported after the child ended");
    ::DeleteFileW(clientPath.c_str());

    // A name that only looks like the client's: a fullwidth capital F, which
    // the ANSI code page turns into 'F' (or '?').
    const std::wstring lookAlikePath = folderOf(self) + L"\uFF26"
                                                        L"errovaneClientProbe.exe";
    if (::CopyFileW(self.c_str(), lookAlikePath.c_str(), FALSE) &&
        startChild(lookAlikePath, child)) {
        ::Sleep(500);
        check(!isProcessRunning(kClientName),
              "a process named \"\\uFF26errovaneClientProbe.exe\" is not the client");
        stopChild(child);
    } else {
        check(false, "start a copy named \"\\uFF26errovaneClientProbe.exe\"");
    }
    ::DeleteFileW(lookAlikePath.c_str());

    checkExtendedPaths();
    checkLinkEntries(folderOf(self));
    checkRestartRemoval(folderOf(self));
    checkEntriesAndFolders(folderOf(self));
    checkUninstallEntries();
    checkInstallerComponents();

    checkEntryKinds();
    wchar_t temp[MAX_PATH + 1];
    const DWORD tempLength = ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring base = std::wstring(temp, tempLength > MAX_PATH ? 0 : tempLength) +
                              L"ferrovane-walk-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    if (tempLength == 0 || tempLength > MAX_PATH || !makeEntry(base, 0)) {
        check(false, "a folder for the walk in the temporary folder");
    } else {
        checkWalk(base);
        checkHardLinkedReadOnly(base);
        checkRunningProgram(base, self);
        checkHeldFileScheduled(base);
        checkDeepTrees(base);
        checkRefusedTops(base);
        checkIdentityAndMounts(base);
        checkAppendFile(base);
        checkSealedFolders(base);
        ::RemoveDirectoryW(base.c_str());
    }

    const int architecture = Win32::nativeArchitecture();
    check(architecture == PROCESSOR_ARCHITECTURE_AMD64,
          "nativeArchitecture() is 9 (x64), got " + std::to_string(architecture));

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
