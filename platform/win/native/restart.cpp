// What cannot go now: removal at the next restart (PendingFileRenameOperations,
// through MoveFileEx), this process's images, the holding folder with its
// protected DACL, a file renamed into it, and an empty folder removed.

#include "nt.h"

#include <sddl.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <vector>

namespace Platform
{
namespace Win32
{

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

} // namespace

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
    Retry retry(kFolderWaitMs);
    for (;;) {
        handle.reset(::CreateFileW(
            extended.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        const DWORD error = handle.valid() ? 0 : ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_ACCESS_DENIED) // access denied: pending deletion itself
            return !entryExists(path);
        if (handle.valid() || error != ERROR_SHARING_VIOLATION || !retry.again())
            break;
    }
    FILE_ATTRIBUTE_TAG_INFO info;
    if (!handle.valid() || !attributeTag(handle.get(), info) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    if (expected.valid && identityOf(handle.get()) != expected)
        return false;
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
            if (expected.valid && identityOf(handle.get()) != expected)
                return false;
        }
        // Entries pending deletion still count until their last handle closes.
        if ((!NT_SUCCESS(status) && status != kDirectoryNotEmpty && status != kSharingViolation) ||
            !retry.again())
            return false;
    }
}

} // namespace Win32
} // namespace Platform
