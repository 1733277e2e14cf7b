// Runs the Win32 process code against a real process table: under Wine on
// Linux (scripts/check-windows) or on Windows itself. No Qt, no test
// framework: one line per check, then "N passed, M failed".
//
// The driver copies itself to kClientName, starts the copy as a child that
// only waits, and asks the snapshot code about it under several spellings.

#include "platform/processmatch.h"
#include "platform/win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

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
    std::wstring after;
    check(readPending(after) && pendingRemoval(after, file) && pendingRemoval(after, dir),
          "both are listed in PendingFileRenameOperations");
    const std::size_t filePos = after.find(L"in-use.dll");
    const std::size_t dirPos = after.rfind(std::wstring(L"RestartProbe") + L'\0');
    check(filePos != std::wstring::npos && dirPos != std::wstring::npos && filePos < dirPos,
          "in the order scheduled: the file before its folder");

    HKEY key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        if (hadList)
            ::RegSetValueExW(key, kPendingValue, 0, REG_MULTI_SZ,
                             reinterpret_cast<const BYTE*>(before.data()),
                             static_cast<DWORD>(before.size() * sizeof(wchar_t)));
        else
            ::RegDeleteValueW(key, kPendingValue);
        ::RegCloseKey(key);
    }
    ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(dir.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], kChildArgument) == 0) {
        ::Sleep(kChildLifetimeMs);
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
    check(!Win32::isProcessRunning(selfName.c_str()),
          "own process skipped: " + narrow(selfName) + " is not reported as running");

    check(!Win32::isProcessRunning(kClientName),
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
        {L"ferrovaneclientprobe.exe", false, "other letter case"},
        {L"FERROVANECLIENTPROBE.EXE", false, "other letter case"},
        {L"FerrovaneClientProbe.EXE", false, "other case of the extension"},
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
        const bool running = Win32::isProcessRunning(c.configuredName);
        check(running == c.expected, std::string(c.why) + ": \"" + narrow(c.configuredName) +
                                         "\" " + (running ? "found" : "not found"));
    }
    check(!Win32::isProcessRunning(nullptr), "null name: not found");

    stopChild(child);
    check(!Win32::isProcessRunning(kClientName),
          narrow(kClientName) + " not reported after the child ended");
    ::DeleteFileW(clientPath.c_str());

    // A name that only looks like the client's: a fullwidth capital F, which
    // the ANSI code page turns into 'F' (or '?').
    const std::wstring lookAlikePath = folderOf(self) + L"\uFF26"
                                                        L"errovaneClientProbe.exe";
    if (::CopyFileW(self.c_str(), lookAlikePath.c_str(), FALSE) &&
        startChild(lookAlikePath, child)) {
        ::Sleep(500);
        check(!Win32::isProcessRunning(kClientName),
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

    const int architecture = Win32::nativeArchitecture();
    check(architecture == PROCESSOR_ARCHITECTURE_AMD64,
          "nativeArchitecture() is 9 (x64), got " + std::to_string(architecture));

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
