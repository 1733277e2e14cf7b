// A file opened for appending folder by folder from its root, never through
// a reparse point that names another place.

#include "nt.h"

#include <aclapi.h>
#include <fcntl.h>
#include <io.h>

#include <vector>

#include <cstdint>

namespace Platform
{
namespace Win32
{

namespace
{

constexpr NTSTATUS kFileIsADirectory = static_cast<NTSTATUS>(0xC00000BAL);

// A symbolic link, junction or mount point: an entry that names another place.
bool namesAnotherPlace(const FILE_ATTRIBUTE_TAG_INFO& info)
{
    return (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           IsReparseTagNameSurrogate(info.ReparseTag);
}

// The folder holding names' last one, opened from root one name at a time,
// never through a reparse point that names another place; invalid when not,
// with result telling why.
Handle openFolderOf(const std::wstring& root, const std::vector<std::wstring>& names,
                    AppendFile& result)
{
    const std::wstring extended = extendedPath(root.c_str());
    if (names.empty() || extended.compare(0, 4, L"\\\\?\\") != 0) {
        result.error = ERROR_INVALID_NAME;
        return Handle();
    }
    Handle folder(::CreateFileW(extended.c_str(),
                                FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.valid()) {
        result.error = ::GetLastError();
        return Handle();
    }
    FILE_ATTRIBUTE_TAG_INFO info;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        Handle next;
        const NTSTATUS status =
            openRelative(folder.get(), names[i], FILE_TRAVERSE | FILE_READ_ATTRIBUTES, 0, next);
        if (!NT_SUCCESS(status)) {
            result.error = ::RtlNtStatusToDosError(status);
            return Handle();
        }
        if (!attributeTag(next.get(), info)) {
            result.error = ::GetLastError();
            return Handle();
        }
        if (namesAnotherPlace(info)) {
            result.outcome = AppendOutcome::ThroughLink;
            result.linkDepth = i + 1;
            return Handle();
        }
        if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            result.error = ERROR_DIRECTORY;
            return Handle();
        }
        folder = std::move(next);
    }
    return folder;
}

// The SID of the process token's user or of the owner it gives what it
// makes: for an elevated administrator the Administrators group, which owns
// the logs of earlier elevated runs.
bool ownedByThisUser(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                          nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    bool mine = false;
    HANDLE token = nullptr;
    if (owner && ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        for (const TOKEN_INFORMATION_CLASS which : {TokenUser, TokenOwner}) {
            DWORD size = 0;
            ::GetTokenInformation(token, which, nullptr, 0, &size);
            std::vector<unsigned char> buffer(size);
            if (size == 0 || !::GetTokenInformation(token, which, buffer.data(), size, &size))
                continue;
            const PSID sid = which == TokenUser
                                 ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                 : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
            mine = mine || ::EqualSid(owner, sid);
        }
        ::CloseHandle(token);
    }
    ::LocalFree(descriptor);
    return mine;
}

} // namespace

AppendFile openForAppending(const std::wstring& root, const std::vector<std::wstring>& names)
{
    AppendFile result;
    const Handle folder = openFolderOf(root, names, result);
    if (!folder.valid())
        return result;
    FILE_ATTRIBUTE_TAG_INFO info;
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
        &handle,
        FILE_READ_DATA | FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE,
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
    // One just made is this user's; one that was there is judged as opened.
    if (io.Information != FILE_CREATED && !ownedByThisUser(file.get())) {
        result.outcome = AppendOutcome::OtherOwner;
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
