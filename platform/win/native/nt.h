#pragma once

// What the calls through handles share (the folder walk, identity and
// mounts, the holding folder, the file appended to): ntdll's status codes
// and information classes beyond winternl.h, an owned handle, and entries
// opened relative to an open folder without following a reparse point.

#include "win32native.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <winternl.h>

#include <string>
#include <vector>

namespace Platform
{
namespace Win32
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

// Structures the kernel reads are laid out for the calling process's pointer
// size (WoW64 translates them for a 32-bit program on 64-bit Windows).
constexpr bool kWide = sizeof(void*) == 8;

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
                      Handle& result);

// The attributes and reparse tag of what handle is; false when unreadable.
bool attributeTag(HANDLE handle, FILE_ATTRIBUTE_TAG_INFO& info);

// What handle is, read from the handle; false when it cannot be read.
bool kindOf(HANDLE handle, EntryKind& kind);

// path without its final separators, but for those of a drive's root: "C:"
// names the drive's current folder.
std::wstring trimmed(const wchar_t* path);

// Whether two names are one to the file system: ordinal, ignoring case.
bool sameName(const std::wstring& a, const std::wstring& b);

// The volume serial number and file id of what handle is.
Identity identityOf(HANDLE handle);

// Whether identity is one of identities (an invalid one is none).
bool isOneOf(const Identity& identity, const std::vector<Identity>& identities);

// path opened for its attributes, links followed.
Handle openFollowing(const wchar_t* path);

// Trying again for a moment: again() sleeps a short step and says whether
// to try once more, until this retry's budget is spent, or the budget it
// shares with others (a whole walk's) is.
class Retry
{
public:
    explicit Retry(unsigned budgetMs, unsigned* sharedWaited = nullptr, unsigned sharedBudgetMs = 0)
        : m_budget(budgetMs), m_shared(sharedWaited), m_sharedBudget(sharedBudgetMs)
    {
    }
    bool again();

private:
    unsigned m_budget;
    unsigned m_waited = 0;
    unsigned* m_shared;
    unsigned m_sharedBudget;
};

// removeLast split into usable names: "a" or "a\\b", no "." or ".." and
// nothing deeper.
struct Deferred {
    std::vector<std::wstring> entries;             // names directly inside the top folder
    std::vector<std::wstring> holders;             // folders there that hold the others ...
    std::vector<std::vector<std::wstring>> inside; // ... and what they hold
};

Deferred deferredEntries(const std::vector<std::wstring>& removeLast);

// Whether names holds name, compared as the file system does.
bool contains(const std::vector<std::wstring>& names, const std::wstring& name);

} // namespace Win32
} // namespace Platform
