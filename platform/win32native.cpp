#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

// The FOLDERID_* values defined here rather than taken from libuuid.
#include <initguid.h>
#include <knownfolders.h>
#include <sddl.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <winioctl.h>
#include <winternl.h>

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <cstdio>
#include <cwchar>

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

bool isProcessRunning(const wchar_t* configuredName)
{
    // Windows compares file names without letter case.
    return matchesRunningProcess(snapshotProcesses(), configuredName ? configuredName : L"",
                                 currentProcessId(), true);
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

bool isRemoteDrive(const wchar_t* root)
{
    return ::GetDriveTypeW(root) == DRIVE_REMOTE;
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

namespace
{

// What the walk needs of ntdll beyond winternl.h.
constexpr NTSTATUS kSharingViolation = static_cast<NTSTATUS>(0xC0000043L);
constexpr NTSTATUS kCannotDelete = static_cast<NTSTATUS>(0xC0000121L);
constexpr NTSTATUS kDeletePending = static_cast<NTSTATUS>(0xC0000056L);
constexpr NTSTATUS kDirectoryNotEmpty = static_cast<NTSTATUS>(0xC0000101L);
constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034L);
constexpr NTSTATUS kPathNotFound = static_cast<NTSTATUS>(0xC000003AL);
constexpr NTSTATUS kNotImplemented = static_cast<NTSTATUS>(0xC0000002L);
constexpr NTSTATUS kInvalidInfoClass = static_cast<NTSTATUS>(0xC0000003L);
constexpr NTSTATUS kInvalidParameter = static_cast<NTSTATUS>(0xC000000DL);
constexpr NTSTATUS kNotSupported = static_cast<NTSTATUS>(0xC00000BBL);
constexpr auto kFileRenameInformation = static_cast<FILE_INFORMATION_CLASS>(10);
constexpr auto kFileDispositionInformation = static_cast<FILE_INFORMATION_CLASS>(13);
constexpr auto kFileDispositionInformationEx = static_cast<FILE_INFORMATION_CLASS>(64);
constexpr ULONG kDispositionDelete = 0x1;
constexpr ULONG kDispositionPosixSemantics = 0x2;
constexpr ULONG kDispositionIgnoreReadOnly = 0x10;

// The head of a mount point's reparse data (REPARSE_DATA_BUFFER, which only
// the driver kit declares).
struct MountPointReparseData {
    ULONG reparseTag;
    USHORT reparseDataLength;
    USHORT reserved;
    USHORT substituteNameOffset;
    USHORT substituteNameLength;
    USHORT printNameOffset;
    USHORT printNameLength;
    WCHAR pathBuffer[1];
};

// What the kernel reads and writes through these structures is laid out for
// the pointer size of the calling process (a 32-bit program on 64-bit
// Windows goes through WoW64, which translates them): the sizes and offsets
// the documentation gives for each, checked in both builds.
constexpr bool kWide = sizeof(void*) == 8;
static_assert(sizeof(MountPointReparseData) == 20 &&
                  offsetof(MountPointReparseData, pathBuffer) == 16,
              "REPARSE_DATA_BUFFER's mount-point head");
static_assert(sizeof(UNICODE_STRING) == (kWide ? 16 : 8) &&
                  offsetof(UNICODE_STRING, Buffer) == (kWide ? 8 : 4),
              "UNICODE_STRING");
static_assert(sizeof(OBJECT_ATTRIBUTES) == (kWide ? 48 : 24) &&
                  offsetof(OBJECT_ATTRIBUTES, RootDirectory) == (kWide ? 8 : 4) &&
                  offsetof(OBJECT_ATTRIBUTES, ObjectName) == (kWide ? 16 : 8) &&
                  offsetof(OBJECT_ATTRIBUTES, Attributes) == (kWide ? 24 : 12),
              "OBJECT_ATTRIBUTES");
static_assert(sizeof(IO_STATUS_BLOCK) == (kWide ? 16 : 8) &&
                  offsetof(IO_STATUS_BLOCK, Information) == (kWide ? 8 : 4),
              "IO_STATUS_BLOCK");
static_assert(sizeof(FILE_DISPOSITION_INFO) == 1, "FILE_DISPOSITION_INFORMATION");
static_assert(sizeof(FILE_DISPOSITION_INFO_EX) == 4, "FILE_DISPOSITION_INFORMATION_EX");
static_assert(sizeof(FILE_ID_BOTH_DIR_INFO) == 112 &&
                  offsetof(FILE_ID_BOTH_DIR_INFO, FileNameLength) == 60 &&
                  offsetof(FILE_ID_BOTH_DIR_INFO, FileId) == 96 &&
                  offsetof(FILE_ID_BOTH_DIR_INFO, FileName) == 104,
              "FILE_ID_BOTH_DIR_INFO");
static_assert(sizeof(FILE_ID_INFO) == 24 && sizeof(FILE_ATTRIBUTE_TAG_INFO) == 8 &&
                  sizeof(FILE_BASIC_INFO) == 40 && sizeof(FILE_STANDARD_INFO) == 24,
              "the FILE_*_INFO classes read by handle");

class Handle
{
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    Handle(Handle&& other) noexcept : m_handle(other.release()) {}
    Handle& operator=(Handle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    HANDLE get() const { return m_handle; }
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE release()
    {
        HANDLE handle = m_handle;
        m_handle = nullptr;
        return handle;
    }
    void reset(HANDLE handle = nullptr)
    {
        if (valid())
            ::CloseHandle(m_handle);
        m_handle = handle;
    }

private:
    HANDLE m_handle = nullptr;
};

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens name inside the folder parent holds, never following a reparse point;
// an empty name opens again what parent itself is. The name is the one the
// listing gave, so it is looked up as it is written.
NTSTATUS openRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG options,
                      Handle& result)
{
    if (name.size() * sizeof(wchar_t) > 0xFFFF)
        return kInvalidParameter;
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, 0, parent, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE handle = nullptr;
    const NTSTATUS status = ::NtCreateFile(
        &handle, access | SYNCHRONIZE, &attributes, &io, nullptr, 0, kShareAll, FILE_OPEN,
        options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
            FILE_OPEN_FOR_BACKUP_INTENT,
        nullptr, 0);
    result.reset(NT_SUCCESS(status) ? handle : nullptr);
    return status;
}

bool attributeTag(HANDLE handle, FILE_ATTRIBUTE_TAG_INFO& info)
{
    return ::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info) != 0;
}

// The substitute name of the mount point handle is, empty when unreadable.
std::wstring mountPointTarget(HANDLE handle)
{
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD size = 0;
    if (!::DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                           static_cast<DWORD>(buffer.size()), &size, nullptr) ||
        size < offsetof(MountPointReparseData, pathBuffer))
        return std::wstring();
    MountPointReparseData data;
    std::memcpy(&data, buffer.data(), offsetof(MountPointReparseData, pathBuffer));
    const std::size_t begin =
        offsetof(MountPointReparseData, pathBuffer) + data.substituteNameOffset;
    if (data.reparseTag != IO_REPARSE_TAG_MOUNT_POINT || begin + data.substituteNameLength > size)
        return std::wstring();
    std::wstring name(data.substituteNameLength / sizeof(wchar_t), L'\0');
    std::memcpy(&name[0], buffer.data() + begin, name.size() * sizeof(wchar_t));
    return name;
}

// What handle is, read from the handle; false when it cannot be read.
bool kindOf(HANDLE handle, EntryKind& kind)
{
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!attributeTag(handle, info))
        return false;
    const bool mountPoint = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                            info.ReparseTag == static_cast<DWORD>(IO_REPARSE_TAG_MOUNT_POINT);
    kind = entryKind(info.FileAttributes, info.ReparseTag,
                     mountPoint ? mountPointTarget(handle) : std::wstring());
    return true;
}

// path without its final separators, but for those of a drive's root: "C:"
// names the drive's current folder.
std::wstring trimmed(const wchar_t* path)
{
    std::wstring text = path ? path : L"";
    while (text.size() > 1 && (text.back() == L'\\' || text.back() == L'/') &&
           !(text.size() == 3 && text[1] == L':'))
        text.pop_back();
    return text;
}

bool sameName(const std::wstring& a, const std::wstring& b)
{
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool contains(const std::vector<std::wstring>& names, const std::wstring& name)
{
    for (const std::wstring& candidate : names) {
        if (sameName(candidate, name))
            return true;
    }
    return false;
}

// removeLast split into usable names: "a" or "a\\b", no "." or ".." and
// nothing deeper.
struct Deferred {
    std::vector<std::wstring> entries;             // names directly inside the top folder
    std::vector<std::wstring> holders;             // folders there that hold the others ...
    std::vector<std::vector<std::wstring>> inside; // ... and what they hold
};

Deferred deferredEntries(const std::vector<std::wstring>& removeLast)
{
    const auto usable = [](const std::wstring& name) {
        return !name.empty() && name != L"." && name != L".." &&
               name.find_first_of(L":") == std::wstring::npos;
    };
    Deferred deferred;
    for (std::wstring entry : removeLast) {
        for (wchar_t& c : entry) {
            if (c == L'/')
                c = L'\\';
        }
        const std::size_t separator = entry.find(L'\\');
        const std::wstring first = entry.substr(0, separator);
        const std::wstring second =
            separator == std::wstring::npos ? std::wstring() : entry.substr(separator + 1);
        if (!usable(first) || (separator != std::wstring::npos &&
                               (!usable(second) || second.find(L'\\') != std::wstring::npos)))
            continue;
        if (separator == std::wstring::npos) {
            deferred.entries.push_back(first);
            continue;
        }
        std::size_t holder = 0;
        while (holder < deferred.holders.size() && !sameName(deferred.holders[holder], first))
            ++holder;
        if (holder == deferred.holders.size()) {
            deferred.holders.push_back(first);
            deferred.inside.emplace_back();
        }
        deferred.inside[holder].push_back(second);
    }
    return deferred;
}

enum class Outcome { Removed, InUse, Failed };

Identity identityOf(HANDLE handle);

class FolderWalk
{
public:
    FolderWalk(const std::wstring& top, ContentsRemoval& result, unsigned& waited,
               const EntryDecider& decide = nullptr, const std::vector<Identity>* sealed = nullptr)
        : m_top(top), m_result(result), m_decide(decide), m_waited(waited), m_sealed(sealed)
    {
    }

    // Removes what is inside the folder open in folder, which it hands back.
    // At the top level only the names in only are taken when only is set;
    // what skip names is left, the folders holding such entries included.
    void run(Handle& folder, const std::vector<std::wstring>* only, const Deferred* skip);

private:
    struct Level {
        Handle handle;
        std::wstring name;               // empty for the top folder
        std::vector<std::wstring> names; // what is left to visit
        std::size_t next = 0;
        bool removable = true;  // a folder that may be removed once empty
        bool keep = false;      // holds entries for later: left, not a failure
        bool failed = false;    // something inside stayed
        bool decides = false;   // the decider is asked about what it holds
        bool holdsKept = false; // holds what the decider kept: stays
        const std::vector<std::wstring>* skip = nullptr;
    };

    std::wstring pathOf(const std::wstring& name) const;
    EntryDecision decision(const std::wstring& name, bool isFolder) const;
    bool list(Level& level);
    void visit(const std::wstring& name, const Deferred* skip);
    Outcome remove(HANDLE handle);
    Outcome removeFolder(Level& done);
    Outcome removeOnce(HANDLE handle);
    Outcome removeClassic(HANDLE handle);
    bool waitAgain(unsigned& waited);
    void leave(Outcome outcome, const std::wstring& name);
    // Where the filter decides: whether an entry that cannot be opened for
    // removal is one it keeps anyway (recorded so); such an entry is no
    // failure and is not waited for.
    bool keptAnyway(const std::wstring& name);
    // Failed, noting why (a Win32 error code) for leave().
    Outcome failed(unsigned long error)
    {
        m_error = error;
        return Outcome::Failed;
    }
    Outcome failedWith(NTSTATUS status) { return failed(::RtlNtStatusToDosError(status)); }

    std::wstring m_top;
    unsigned long m_error = 0; // why the last entry that failed did
    ContentsRemoval& m_result;
    EntryDecider m_decide;
    std::vector<Level> m_levels;
    std::vector<unsigned char> m_buffer = std::vector<unsigned char>(64 * 1024);
    bool m_exRefused = false;              // the file system has no FileDispositionInformationEx
    NTSTATUS m_status = 0;                 // of the last disposition asked for
    unsigned& m_waited;                    // by the whole walk, in milliseconds
    const std::vector<Identity>* m_sealed; // other products' folders
};

std::wstring FolderWalk::pathOf(const std::wstring& name) const
{
    std::wstring path = m_top;
    const auto append = [&path](const std::wstring& part) {
        if (path.back() != L'\\')
            path += L'\\';
        path += part;
    };
    for (const Level& level : m_levels) {
        if (!level.name.empty())
            append(level.name);
    }
    if (!name.empty())
        append(name);
    return path;
}

EntryDecision FolderWalk::decision(const std::wstring& name, bool isFolder) const
{
    if (!m_decide || !m_levels.back().decides)
        return EntryDecision::Remove;
    std::wstring relative;
    for (const Level& level : m_levels) {
        if (!level.name.empty())
            relative.append(level.name).push_back(L'\\');
    }
    return m_decide(relative + name, isFolder);
}

bool FolderWalk::list(Level& level)
{
    // Everything is listed before anything goes, so that removal cannot upset
    // the listing.
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (!::GetFileInformationByHandleEx(level.handle.get(), kind, m_buffer.data(),
                                            static_cast<DWORD>(m_buffer.size())))
            return ::GetLastError() == ERROR_NO_MORE_FILES;
        kind = FileIdBothDirectoryInfo;
        for (std::size_t offset = 0;;) {
            const auto* entry =
                reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(m_buffer.data() + offset);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L".." && (!level.skip || !contains(*level.skip, name)))
                level.names.push_back(std::move(name));
            if (entry->NextEntryOffset == 0)
                break;
            offset += entry->NextEntryOffset;
        }
    }
}

bool FolderWalk::keptAnyway(const std::wstring& name)
{
    Level& parent = m_levels.back();
    if (!m_decide || !parent.decides)
        return false;
    Handle handle;
    EntryKind kind = EntryKind::File;
    bool keep = false;
    if (NT_SUCCESS(openRelative(parent.handle.get(), name, FILE_READ_ATTRIBUTES, 0, handle)) &&
        kindOf(handle.get(), kind))
        keep = kind != EntryKind::OtherVolume &&
               decision(name, kind == EntryKind::Folder) == EntryDecision::Keep;
    else // of a kind not known: kept only as either
        keep = decision(name, false) == EntryDecision::Keep &&
               decision(name, true) == EntryDecision::Keep;
    if (keep) {
        parent.holdsKept = true;
        m_result.kept.push_back(pathOf(name));
    }
    return keep;
}

void FolderWalk::leave(Outcome outcome, const std::wstring& name)
{
    if (outcome == Outcome::Removed)
        return;
    m_levels.back().failed = true;
    if (outcome == Outcome::InUse)
        m_result.inUse.push_back(pathOf(name));
    else if (m_result.failed.size() < kMaxFailedEntries)
        m_result.failed.push_back({pathOf(name), m_error});
    m_error = 0;
}

Outcome FolderWalk::removeClassic(HANDLE handle)
{
    FILE_DISPOSITION_INFO disposition{TRUE};
    IO_STATUS_BLOCK io;
    NTSTATUS status = ::NtSetInformationFile(handle, &io, &disposition, sizeof disposition,
                                             kFileDispositionInformation);
    m_status = status;
    if (NT_SUCCESS(status) || status == kDeletePending)
        return Outcome::Removed;
    if (status == kSharingViolation)
        return Outcome::InUse;
    if (status != kCannotDelete)
        return failedWith(status);
    // Refused either for the read-only attribute or because the file is
    // mapped (a running program or a loaded library).
    FILE_BASIC_INFO basic;
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic))
        return failed(::GetLastError());
    if (!(basic.FileAttributes & FILE_ATTRIBUTE_READONLY))
        return Outcome::InUse;
    // The attribute belongs to the file, not to this name of it: with a second
    // name elsewhere, clearing it would change a file outside the folder.
    FILE_STANDARD_INFO standard;
    if (!::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard) ||
        standard.NumberOfLinks != 1)
        return failedWith(status);
    Handle writable;
    status = openRelative(handle, std::wstring(), FILE_WRITE_ATTRIBUTES, 0, writable);
    if (!NT_SUCCESS(status))
        return failedWith(status);
    FILE_BASIC_INFO cleared;
    std::memset(&cleared, 0, sizeof cleared); // times of zero stay as they are
    cleared.FileAttributes = basic.FileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    if (cleared.FileAttributes == 0)
        cleared.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(writable.get(), FileBasicInfo, &cleared, sizeof cleared))
        return failed(::GetLastError());
    status = ::NtSetInformationFile(handle, &io, &disposition, sizeof disposition,
                                    kFileDispositionInformation);
    m_status = status;
    if (NT_SUCCESS(status) || status == kDeletePending)
        return Outcome::Removed;
    cleared.FileAttributes = basic.FileAttributes;
    ::SetFileInformationByHandle(writable.get(), FileBasicInfo, &cleared, sizeof cleared);
    return status == kCannotDelete || status == kSharingViolation ? Outcome::InUse
                                                                  : failedWith(status);
}

bool FolderWalk::waitAgain(unsigned& waited)
{
    constexpr unsigned step = 5;
    if (waited >= kEntryWaitMs || m_waited >= kWalkWaitMs)
        return false;
    ::Sleep(step);
    waited += step;
    m_waited += step;
    return true;
}

Outcome FolderWalk::remove(HANDLE handle)
{
    // Refused for a moment: another program (a scanner, an indexer) holds
    // the entry without leave to delete, or a folder's last entries are
    // still pending deletion. Tried again, briefly, before it counts.
    unsigned waited = 0;
    for (;;) {
        m_status = 0;
        const Outcome outcome = removeOnce(handle);
        if (outcome == Outcome::Removed ||
            (m_status != kSharingViolation && m_status != kDirectoryNotEmpty) || !waitAgain(waited))
            return outcome;
        m_error = 0;
    }
}

// A folder goes as its last handle closes, and some systems (Wine) accept
// the disposition of a folder that is not empty and then keep it: it counts
// as removed only once its name is gone or pending deletion.
Outcome FolderWalk::removeFolder(Level& done)
{
    const Identity identity = identityOf(done.handle.get());
    unsigned waited = 0;
    for (;;) {
        const Outcome outcome = remove(done.handle.get());
        done.handle.reset();
        if (outcome != Outcome::Removed)
            return outcome;
        Handle again;
        const NTSTATUS status =
            openRelative(m_levels.back().handle.get(), done.name, DELETE | FILE_READ_ATTRIBUTES,
                         FILE_DIRECTORY_FILE, again);
        if (status == kNameNotFound || status == kPathNotFound || status == kDeletePending)
            return Outcome::Removed;
        const Identity found = NT_SUCCESS(status) ? identityOf(again.get()) : Identity();
        if (!found.valid || found.volume != identity.volume || found.file != identity.file)
            return failed(ERROR_DIR_NOT_EMPTY); // not the folder emptied: left alone
        if (!waitAgain(waited))
            return failed(ERROR_DIR_NOT_EMPTY);
        done.handle = std::move(again);
    }
}

Outcome FolderWalk::removeOnce(HANDLE handle)
{
    if (!m_exRefused) {
        // POSIX semantics: the name goes at once, even while others hold the
        // file open; the read-only attribute is ignored, not changed.
        FILE_DISPOSITION_INFO_EX disposition{kDispositionDelete | kDispositionPosixSemantics |
                                             kDispositionIgnoreReadOnly};
        IO_STATUS_BLOCK io;
        const NTSTATUS status = ::NtSetInformationFile(
            handle, &io, &disposition, sizeof disposition, kFileDispositionInformationEx);
        m_status = status;
        if (NT_SUCCESS(status) || status == kDeletePending)
            return Outcome::Removed;
        if (status == kCannotDelete || status == kSharingViolation)
            return Outcome::InUse;
        if (status != kNotImplemented && status != kInvalidInfoClass &&
            status != kInvalidParameter && status != kNotSupported)
            return failedWith(status);
        // Older systems and other file systems (FAT, some network shares).
        m_exRefused = true;
    }
    return removeClassic(handle);
}

void FolderWalk::visit(const std::wstring& name, const Deferred* skip)
{
    Level& parent = m_levels.back();
    Handle handle;
    bool deletable = true;
    NTSTATUS status =
        openRelative(parent.handle.get(), name, DELETE | FILE_READ_ATTRIBUTES, 0, handle);
    if (status == kSharingViolation && keptAnyway(name))
        return; // the user's, held open: nothing to wait for
    for (unsigned waited = 0; status == kSharingViolation && waitAgain(waited);)
        status = openRelative(parent.handle.get(), name, DELETE | FILE_READ_ATTRIBUTES, 0, handle);
    if (status == kSharingViolation) {
        // Held without leave to delete: it stays, but a folder can still be
        // emptied.
        deletable = false;
        status = openRelative(parent.handle.get(), name, FILE_READ_ATTRIBUTES, 0, handle);
    }
    if (status == kNameNotFound || status == kPathNotFound || status == kDeletePending)
        return; // gone meanwhile
    EntryKind kind = EntryKind::File;
    if (!NT_SUCCESS(status) || !kindOf(handle.get(), kind)) {
        if (keptAnyway(name))
            return;
        return leave(status == kSharingViolation ? Outcome::InUse : failedWith(status), name);
    }

    const EntryDecision decided = kind == EntryKind::OtherVolume
                                      ? EntryDecision::Remove
                                      : decision(name, kind == EntryKind::Folder);
    if (decided == EntryDecision::Keep) {
        parent.holdsKept = true;
        m_result.kept.push_back(pathOf(name));
        return;
    }
    switch (kind) {
    case EntryKind::OtherVolume:
        m_result.otherFileSystems.push_back(pathOf(name));
        parent.failed = true;
        return;
    case EntryKind::File:
    case EntryKind::Link:
        return leave(deletable ? remove(handle.get()) : Outcome::InUse, name);
    case EntryKind::Folder:
        break;
    }
    // Another product's folder, however its entry names it: never entered.
    if (m_sealed && !m_sealed->empty()) {
        const Identity identity = identityOf(handle.get());
        for (const Identity& sealed : *m_sealed) {
            if (identity.valid && sealed.valid && identity.volume == sealed.volume &&
                identity.file == sealed.file) {
                m_result.otherProducts.push_back(pathOf(name));
                parent.failed = true;
                return;
            }
        }
    }

    if (m_levels.size() >= static_cast<std::size_t>(kMaxOpenFolders))
        return leave(failed(ERROR_FILENAME_EXCED_RANGE), name);
    // Opened again through its handle, now to be listed too: the same folder,
    // whatever its name leads to by now.
    Level level;
    status = openRelative(handle.get(), std::wstring(),
                          FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | (deletable ? DELETE : 0),
                          FILE_DIRECTORY_FILE, level.handle);
    if (!NT_SUCCESS(status))
        return leave(status == kSharingViolation ? Outcome::InUse : failedWith(status), name);
    handle.reset();
    level.name = name;
    level.removable = deletable;
    level.decides = decided == EntryDecision::Enter;
    if (skip && m_levels.size() == 1) {
        for (std::size_t i = 0; i < skip->holders.size(); ++i) {
            if (sameName(skip->holders[i], name)) {
                level.keep = true;
                level.skip = &skip->inside[i];
            }
        }
    }
    if (!list(level))
        level.failed = true;
    m_levels.push_back(std::move(level));
}

void FolderWalk::run(Handle& folder, const std::vector<std::wstring>* only, const Deferred* skip)
{
    Level top;
    top.handle = std::move(folder);
    top.removable = false;
    top.decides = static_cast<bool>(m_decide);
    top.skip = skip ? &skip->entries : nullptr;
    if (!list(top))
        m_result.complete = false;
    if (only) {
        std::vector<std::wstring> taken;
        for (const std::wstring& name : top.names) {
            if (contains(*only, name))
                taken.push_back(name);
        }
        top.names.swap(taken);
    }
    m_levels.push_back(std::move(top));

    // Depth first with a stack of open folders, never the call stack: the
    // worker thread's stack is 1 MiB and the tree's depth is not ours to pick.
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        if (level.next < level.names.size()) {
            const std::wstring name = level.names[level.next++];
            visit(name, skip);
            continue;
        }
        Level done = std::move(level);
        m_levels.pop_back();
        if (m_levels.empty()) {
            m_result.complete = m_result.complete && !done.failed;
            folder = std::move(done.handle);
            break;
        }
        if (done.keep && !done.failed)
            continue;
        if (done.holdsKept && !done.failed) {
            m_levels.back().holdsKept = true;
            continue;
        }
        if (done.failed) {
            m_levels.back().failed = true;
            if (!done.removable)
                m_result.inUse.push_back(pathOf(done.name));
            continue;
        }
        leave(done.removable ? removeFolder(done) : Outcome::InUse, done.name);
    }
}

} // namespace

bool isVolumeName(const std::wstring& substituteName)
{
    static const wchar_t prefix[] = L"\\??\\Volume{";
    const std::size_t length = sizeof prefix / sizeof prefix[0] - 1;
    return substituteName.size() > length &&
           ::CompareStringOrdinal(substituteName.c_str(), static_cast<int>(length), prefix,
                                  static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

EntryKind entryKind(unsigned long attributes, unsigned long reparseTag,
                    const std::wstring& substituteName)
{
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A volume mount point has the junction's tag and names a volume.
        if (reparseTag == static_cast<unsigned long>(IO_REPARSE_TAG_MOUNT_POINT) &&
            isVolumeName(substituteName))
            return EntryKind::OtherVolume;
        if (IsReparseTagNameSurrogate(reparseTag))
            return EntryKind::Link;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::Folder : EntryKind::File;
}

namespace
{
Identity identityOf(HANDLE handle);
} // namespace

ContentsRemoval removeFolderContents(const wchar_t* folder,
                                     const std::vector<std::wstring>& removeLast,
                                     const Identity& expected, const EntryDecider& decide,
                                     const std::vector<Identity>& sealed)
{
    ContentsRemoval result;
    const std::wstring top = trimmed(folder);
    // Only a full path: a relative one would be taken from the current folder.
    const std::wstring extended = extendedPath(top.c_str());
    if (extended.compare(0, 4, L"\\\\?\\") != 0) {
        result.complete = false;
        return result;
    }
    Handle handle(
        ::CreateFileW(extended.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                      kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!handle.valid() || !attributeTag(handle.get(), info) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        result.complete = false;
        return result;
    }
    // The folder that was judged, not one a folder above it, swapped for a
    // junction since, leads to now.
    if (expected.valid) {
        const Identity opened = identityOf(handle.get());
        if (!opened.valid || opened.volume != expected.volume || opened.file != expected.file) {
            result.complete = false;
            return result;
        }
    }
    const Deferred deferred = deferredEntries(removeLast);
    unsigned waited = 0;
    FolderWalk(top, result, waited, decide, &sealed).run(handle, nullptr, &deferred);
    if (result.complete && (!deferred.entries.empty() || !deferred.holders.empty())) {
        // Everything else went: now what was kept for last, whole.
        std::vector<std::wstring> names = deferred.entries;
        names.insert(names.end(), deferred.holders.begin(), deferred.holders.end());
        FolderWalk(top, result, waited, decide, &sealed).run(handle, &names, nullptr);
    }
    return result;
}

namespace
{

Handle openFollowing(const wchar_t* path)
{
    const std::wstring extended = extendedPath(path);
    return Handle(::CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

Identity identityOf(HANDLE handle)
{
    Identity identity;
    // The 128-bit id where the file system has one (ReFS needs it all),
    // folded into 64 bits; the classic file index elsewhere.
    FILE_ID_INFO id;
    if (::GetFileInformationByHandleEx(handle, FileIdInfo, &id, sizeof id)) {
        unsigned long long low = 0, high = 0;
        std::memcpy(&low, id.FileId.Identifier, sizeof low);
        std::memcpy(&high, id.FileId.Identifier + sizeof low, sizeof high);
        identity.volume = id.VolumeSerialNumber;
        identity.file = low ^ high;
        identity.valid = true;
        return identity;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info))
        return identity;
    identity.volume = info.dwVolumeSerialNumber;
    identity.file =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.valid = true;
    return identity;
}

} // namespace

Identity fileIdentity(const wchar_t* path)
{
    const Handle handle = openFollowing(path);
    return handle.valid() ? identityOf(handle.get()) : Identity();
}

long long changeTime(const wchar_t* path)
{
    const Handle handle(::CreateFileW(
        extendedPath(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_BASIC_INFO info{};
    if (!handle.valid() ||
        !::GetFileInformationByHandleEx(handle.get(), FileBasicInfo, &info, sizeof info))
        return -1;
    return info.ChangeTime.QuadPart;
}

bool isMountPoint(const wchar_t* path)
{
    const std::wstring text = trimmed(path);
    const std::wstring extended = extendedPath(text.c_str());
    // GetVolumePathName gives the root of the volume the path lies on, be it
    // a drive or a folder a volume is mounted in.
    std::wstring volume(extended.size() + 2, L'\0');
    if (text.empty() ||
        !::GetVolumePathNameW(extended.c_str(), &volume[0], static_cast<DWORD>(volume.size())))
        return true;
    volume.resize(std::wcslen(volume.c_str()));
    if (sameName(trimmed(volume.c_str()), trimmed(extended.c_str())) || sameName(volume, extended))
        return true;
    // The entry itself, not what it leads to: a mount point?
    Handle self(::CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                              OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    EntryKind kind = EntryKind::File;
    if (!self.valid() || !kindOf(self.get(), kind) || kind == EntryKind::OtherVolume)
        return true;
    // Where it leads against where its parent folder lies: a junction to
    // another volume.
    const std::size_t separator = text.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return true;
    std::wstring parentPath = text.substr(0, separator);
    if (parentPath.size() == 2 && parentPath[1] == L':')
        parentPath += L'\\';
    const Handle target = openFollowing(text.c_str());
    const Handle parent = openFollowing(parentPath.c_str());
    if (!target.valid() || !parent.valid())
        return true;
    const Identity a = identityOf(target.get());
    const Identity b = identityOf(parent.get());
    return !a.valid || !b.valid || a.volume != b.volume;
}

bool lowerCurrentThreadPriority()
{
    return ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL) != 0;
}

bool scheduleRemovalAtRestart(const wchar_t* path)
{
    if (!path || !*path)
        return false;
    // Windows follows a reparse point met on the way when it removes the
    // entry at start-up: a reparse point itself is never handed on.
    const std::wstring extended = extendedPath(path);
    const DWORD attributes = ::GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    // The path checked, in its "\\?\" form: the plain one would be cut at
    // MAX_PATH and lose a final dot or blank.
    return ::MoveFileExW(extended.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

std::vector<LoadedImage> loadedImages()
{
    std::vector<LoadedImage> images;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, ::GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE)
        return images;
    MODULEENTRY32W entry;
    entry.dwSize = sizeof entry;
    std::wstring path(32768, L'\0');
    for (BOOL more = ::Module32FirstW(snapshot, &entry); more;
         more = ::Module32NextW(snapshot, &entry)) {
        // By its handle: the snapshot's path is cut at MAX_PATH.
        const DWORD length =
            ::GetModuleFileNameW(entry.hModule, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0 || length >= path.size())
            continue;
        const std::wstring loaded = path.substr(0, length);
        const Identity identity = fileIdentity(loaded.c_str());
        if (identity.valid)
            images.push_back({loaded, identity});
    }
    ::CloseHandle(snapshot);
    return images;
}

std::wstring makeHoldingFolder(const wchar_t* path)
{
    const std::wstring text = trimmed(path);
    std::wstring volume(text.size() + 2, L'\0');
    if (text.empty() ||
        !::GetVolumePathNameW(text.c_str(), &volume[0], static_cast<DWORD>(volume.size())))
        return std::wstring();
    volume.resize(std::wcslen(volume.c_str()));
    if (volume.empty() || volume.back() != L'\\')
        volume += L'\\';
    // Owner and administrators' rights only, none inherited from the root
    // (where users may create folders): nobody else can write in it, rename
    // it or remove it.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1, &descriptor, nullptr))
        return std::wstring();
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    std::wstring made;
    for (unsigned attempt = 0; attempt < 16 && made.empty(); ++attempt) {
        wchar_t name[64];
        std::swprintf(name, 64, L"UninstallerPending.%lx.%llx", ::GetCurrentProcessId(),
                      static_cast<unsigned long long>(::GetTickCount64()) + attempt);
        const std::wstring folder = volume + name;
        // A new folder or none: an entry already there under that name is
        // never taken, whatever it is.
        if (::CreateDirectoryW(extendedPath(folder.c_str()).c_str(), &attributes))
            made = folder;
        else if (::GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    ::LocalFree(descriptor);
    return made;
}

namespace
{

// FILE_RENAME_INFORMATION, laid out for the caller's pointer size.
struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
};
static_assert(offsetof(RenameInformation, rootDirectory) == (kWide ? 8 : 4) &&
                  offsetof(RenameInformation, fileName) == (kWide ? 20 : 12),
              "FILE_RENAME_INFORMATION");

bool isOneOf(const Identity& identity, const std::vector<Identity>& identities)
{
    for (const Identity& candidate : identities) {
        if (identity.valid && candidate.valid && candidate.volume == identity.volume &&
            candidate.file == identity.file)
            return true;
    }
    return false;
}

// The waits of removeEmptyFolder and the walk: a short sleep, until budget.
bool waitedLongEnough(unsigned& waited, unsigned budget)
{
    if (waited >= budget)
        return true;
    ::Sleep(5);
    waited += 5;
    return false;
}

} // namespace

std::wstring moveIntoHolding(const wchar_t* path, const std::vector<Identity>& own,
                             const wchar_t* holding)
{
    const std::wstring text = trimmed(path);
    const std::size_t separator = text.find_last_of(L"\\/");
    const std::wstring folder = trimmed(holding);
    if (separator == std::wstring::npos || folder.empty())
        return std::wstring();
    Handle handle(::CreateFileW(
        extendedPath(text.c_str()).c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr));
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!handle.valid() || !attributeTag(handle.get(), info) ||
        (info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        !isOneOf(identityOf(handle.get()), own))
        return std::wstring();
    // A name of its own in the holding folder: two libraries of one name
    // from different folders must not meet there.
    static std::atomic<unsigned long> counter{0};
    wchar_t prefix[32];
    std::swprintf(prefix, 32, L"%lu.", ++counter);
    const std::wstring target = folder + L"\\" + prefix + text.substr(separator + 1);
    std::wstring nt = extendedPath(target.c_str());
    if (nt.compare(0, 4, L"\\\\?\\") != 0)
        return std::wstring();
    nt[1] = L'?'; // \??\C:\…, the form NtSetInformationFile takes
    std::vector<unsigned char> buffer(offsetof(RenameInformation, fileName) +
                                      (nt.size() + 1) * sizeof(wchar_t));
    RenameInformation head{};
    head.replaceIfExists = FALSE;
    head.rootDirectory = nullptr;
    head.fileNameLength = static_cast<ULONG>(nt.size() * sizeof(wchar_t));
    std::memcpy(buffer.data(), &head, offsetof(RenameInformation, fileName));
    std::memcpy(buffer.data() + offsetof(RenameInformation, fileName), nt.c_str(),
                nt.size() * sizeof(wchar_t));
    IO_STATUS_BLOCK io;
    const NTSTATUS status =
        ::NtSetInformationFile(handle.get(), &io, buffer.data(), static_cast<ULONG>(buffer.size()),
                               kFileRenameInformation);
    return NT_SUCCESS(status) ? target : std::wstring();
}

bool removeEmptyFolder(const wchar_t* path, const Identity& expected)
{
    const std::wstring extended = extendedPath(trimmed(path).c_str());
    if (extended.compare(0, 4, L"\\\\?\\") != 0)
        return false;
    Handle handle;
    unsigned waited = 0;
    for (;;) {
        handle.reset(::CreateFileW(
            extended.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        const DWORD error = handle.valid() ? 0 : ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_ACCESS_DENIED) // access denied: pending deletion itself
            return !entryExists(path);
        if (handle.valid() || error != ERROR_SHARING_VIOLATION ||
            waitedLongEnough(waited, kFolderWaitMs))
            break;
    }
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!handle.valid() || !attributeTag(handle.get(), info) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    if (expected.valid) {
        const Identity opened = identityOf(handle.get());
        if (!opened.valid || opened.volume != expected.volume || opened.file != expected.file)
            return false;
    }
    for (;;) {
        FILE_DISPOSITION_INFO_EX ex{kDispositionDelete | kDispositionPosixSemantics};
        IO_STATUS_BLOCK io;
        NTSTATUS status = ::NtSetInformationFile(handle.get(), &io, &ex, sizeof ex,
                                                 kFileDispositionInformationEx);
        if (!NT_SUCCESS(status) && status != kDirectoryNotEmpty && status != kSharingViolation &&
            status != kDeletePending) {
            FILE_DISPOSITION_INFO classic{TRUE};
            status = ::NtSetInformationFile(handle.get(), &io, &classic, sizeof classic,
                                            kFileDispositionInformation);
        }
        if (status == kDeletePending)
            return true;
        if (NT_SUCCESS(status)) {
            // It goes as the handle closes; a system that accepted the
            // disposition of a folder not empty (Wine) keeps it.
            handle.reset();
            handle.reset(::CreateFileW(
                extended.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            if (!handle.valid())
                return !entryExists(path);
            const Identity found = identityOf(handle.get());
            if (expected.valid &&
                (!found.valid || found.volume != expected.volume || found.file != expected.file))
                return false;
        }
        // Entries pending deletion still count until their last handle closes.
        if ((!NT_SUCCESS(status) && status != kDirectoryNotEmpty && status != kSharingViolation) ||
            waitedLongEnough(waited, kFolderWaitMs))
            return false;
    }
}

unsigned long lastError()
{
    return ::GetLastError();
}

std::wstring errorText(unsigned long error)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", length);
    if (buffer)
        ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

void showInformation(const std::wstring& title, const std::wstring& text)
{
    ::MessageBoxW(nullptr, text.c_str(), title.c_str(),
                  MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

namespace
{

constexpr NTSTATUS kFileIsADirectory = static_cast<NTSTATUS>(0xC00000BAL);

// A symbolic link, junction or mount point: an entry that names another place.
bool namesAnotherPlace(const FILE_ATTRIBUTE_TAG_INFO& info)
{
    return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           IsReparseTagNameSurrogate(info.ReparseTag);
}

} // namespace

AppendFile openForAppending(const std::wstring& root, const std::vector<std::wstring>& names)
{
    AppendFile result;
    const std::wstring extended = extendedPath(root.c_str());
    if (names.empty() || extended.compare(0, 4, L"\\\\?\\") != 0) {
        result.error = ERROR_INVALID_NAME;
        return result;
    }
    Handle folder(::CreateFileW(extended.c_str(),
                                FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.valid()) {
        result.error = ::GetLastError();
        return result;
    }
    FILE_ATTRIBUTE_TAG_INFO info;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        Handle next;
        const NTSTATUS status =
            openRelative(folder.get(), names[i], FILE_TRAVERSE | FILE_READ_ATTRIBUTES, 0, next);
        if (!NT_SUCCESS(status)) {
            result.error = ::RtlNtStatusToDosError(status);
            return result;
        }
        if (!attributeTag(next.get(), info)) {
            result.error = ::GetLastError();
            return result;
        }
        if (namesAnotherPlace(info)) {
            result.outcome = AppendOutcome::ThroughLink;
            result.linkDepth = i + 1;
            return result;
        }
        if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            result.error = ERROR_DIRECTORY;
            return result;
        }
        folder = std::move(next);
    }

    const std::wstring& name = names.back();
    if (name.size() * sizeof(wchar_t) > 0xFFFF) {
        result.error = ERROR_FILENAME_EXCED_RANGE;
        return result;
    }
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, 0, folder.get(), nullptr);
    IO_STATUS_BLOCK io;
    HANDLE handle = nullptr;
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write lands at the end.
    const NTSTATUS status = ::NtCreateFile(
        &handle, FILE_READ_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
        &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE,
        FILE_OPEN_IF,
        FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr,
        0);
    if (status == kFileIsADirectory) {
        result.outcome = AppendOutcome::NotAFile;
        return result;
    }
    if (!NT_SUCCESS(status)) {
        result.error = ::RtlNtStatusToDosError(status);
        return result;
    }
    Handle file(handle);
    if (!attributeTag(file.get(), info)) {
        result.error = ::GetLastError();
        return result;
    }
    if (namesAnotherPlace(info)) {
        result.outcome = AppendOutcome::ThroughLink;
        result.linkDepth = names.size();
        return result;
    }
    if (info.FileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
        result.outcome = AppendOutcome::NotAFile;
        return result;
    }
    // Binary: Qt writes a text file's line ends itself.
    const int descriptor = ::_open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_APPEND);
    if (descriptor < 0) {
        result.error = ERROR_TOO_MANY_OPEN_FILES;
        return result;
    }
    file.release();
    result.outcome = AppendOutcome::Opened;
    result.descriptor = descriptor;
    return result;
}

} // namespace Win32
} // namespace Platform
