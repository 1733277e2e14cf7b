// The folder walk on Windows: removeFolderContents(), everything inside a
// folder removed depth first through handles, never by path.
//
// Threat model. The program runs elevated and removes a folder that a user
// without those rights may be able to write to (an install folder the user
// was given, a per-user product's folder). While the walk runs, that user
// may rename, replace or add entries anywhere inside it: swap a folder for a
// junction or symbolic link to C:\Windows, mount a volume in a folder, make a
// hard link to a file outside, hold a file open, mark files read-only. The
// walk must then remove nothing outside the folder and change nothing there.
//
// What it does about it:
//   - The top folder is opened once, by its path, as the entry itself
//     (FILE_FLAG_OPEN_REPARSE_POINT), and must be a folder and no reparse
//     point; with expected valid it must also be the very folder that was
//     judged (volume serial number and file id), so that a folder above it
//     swapped for a junction since is noticed and nothing is touched.
//   - Below it every entry is opened with NtCreateFile relative to its
//     parent's handle, by the name the listing gave, with
//     FILE_OPEN_REPARSE_POINT: a reparse point is opened as itself, never
//     followed, whatever was swapped in after the listing. What an entry is
//     comes from its own handle (attributes and reparse tag), not from the
//     listing. A name surrogate (symbolic link, junction) is removed as an
//     entry and never entered; a volume mounted in a folder is left and
//     reported; another reparse point (a cloud placeholder) is the data
//     itself and is treated as its attributes say.
//   - A folder is listed through a handle opened again from its own handle,
//     so the folder listed and emptied is the one checked, whatever its name
//     leads to by then; a folder of sealed (by identity) is never entered.
//   - Every entry is deleted through its own handle: the disposition with
//     POSIX semantics (the name goes at once even while others hold the file
//     open) and the read-only attribute ignored rather than changed. Where
//     the file system lacks that (FAT, older systems, some shares), the
//     classic disposition; a read-only file then loses the attribute
//     through its handle, and only when it has a single name: the attribute
//     belongs to the file, and with a second name (a hard link) outside the
//     folder clearing it would change a file there. The attribute is put
//     back when the deletion still fails.
//   - A hard link inside the folder loses only its name; the file and its
//     other names stay. Nothing is ever written to a file's contents.
//   - A folder counts as removed only once its name is gone or pending
//     deletion, or is taken by another folder than the one emptied (which
//     is left alone); some systems (Wine) accept the disposition of a folder
//     that is not empty and keep it.
//   - An entry held without leave to delete (a sharing violation) or mapped
//     (a running program or loaded library) is tried again for a moment
//     (kEntryWaitMs, at most kWalkWaitMs for the whole walk) and then
//     reported in use; a folder held so is still emptied. The caller moves
//     or schedules what is its own (restart.cpp).
//   - The walk keeps its own stack of open folders, at most kMaxOpenFolders
//     deep; what lies deeper stays and is reported, and the thread's stack
//     does not depend on the tree.
//
// What it does not promise:
//   - It is no transaction: what is added to a folder after it was listed
//     stays, and the folder with it; an entry replaced between the listing
//     and its opening is judged and removed as what it is by then (inside the
//     folder all the same).
//   - The path of the top folder is resolved by the system when it is opened:
//     without an expected identity the walk trusts that path as it leads then.
//   - Reported paths are the given path and the names below it, for the
//     record: by the time they are read an entry may have moved.
//   - A file held open with leave to delete loses its name but keeps its data
//     until the last handle closes; a name still pending deletion keeps its
//     folder from going for that moment.
//   - Nothing here defends against administrators, the system, or drivers
//     below the file system.

#include "nt.h"

#include <cstring>

namespace Platform
{
namespace Win32
{

namespace
{

enum class Outcome { Removed, InUse, Failed };

class FolderWalk
{
public:
    FolderWalk(const std::wstring& top, ContentsRemoval& result, unsigned& waited,
               const EntryDecider& decide, const std::vector<Identity>* sealed, bool dryRun,
               const WalkReport* report)
        : m_top(top), m_result(result), m_decide(decide), m_waited(waited), m_sealed(sealed),
          m_dryRun(dryRun), m_report(report && report->gone ? report : nullptr)
    {
    }
    ~FolderWalk() { tellGone(); }

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
    // A folder visit() opened (handle, which it takes) and decided on: left
    // when it is one of the sealed ones, else opened again to be listed and
    // pushed as the next level.
    void enter(const std::wstring& name, Handle& handle, bool deletable, EntryDecision decided,
               const Deferred* skip);
    Outcome remove(HANDLE handle);
    Outcome removeFolder(Level& done);
    Outcome removeOnce(HANDLE handle);
    Outcome removeClassic(HANDLE handle);
    // A retry of one entry, within the whole walk's budget.
    Retry retry() { return Retry(kEntryWaitMs, &m_waited, kWalkWaitMs); }
    void leave(Outcome outcome, const std::wstring& name);
    void record(LeftStatus status, const std::wstring& name, unsigned long error = 0);
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
    const bool m_dryRun;                   // decide, report, remove nothing
    std::size_t m_refused = 0;             // entries recorded as refused
    const WalkReport* m_report;            // null when nobody is told
    unsigned long long m_gone = 0;         // entries gone, not yet told
    unsigned long long m_goneBytes = 0;
    // An entry went (or would go, with its size), told in batches.
    void gone(unsigned long long bytes = 0)
    {
        if (!m_report)
            return;
        m_goneBytes += bytes;
        if (++m_gone >= 64)
            tellGone();
    }
    void tellGone()
    {
        if (m_report && m_gone != 0)
            m_report->gone(m_gone, m_goneBytes);
        m_gone = 0;
        m_goneBytes = 0;
    }
};

// The entries below the folder open in folder, for a display: reparse
// points are not entered, nor anything deeper than kMaxOpenFolders.
unsigned long long countBelow(HANDLE folder, std::vector<unsigned char>& buffer, int depth)
{
    unsigned long long count = 0;
    std::vector<std::wstring> folders;
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    while (::GetFileInformationByHandleEx(folder, kind, buffer.data(),
                                          static_cast<DWORD>(buffer.size()))) {
        kind = FileIdBothDirectoryInfo;
        for (std::size_t offset = 0;;) {
            const auto* entry =
                reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
            std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                ++count;
                if ((entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    !(entry->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                    folders.push_back(std::move(name));
            }
            if (entry->NextEntryOffset == 0)
                break;
            offset += entry->NextEntryOffset;
        }
    }
    if (depth + 1 >= kMaxOpenFolders)
        return count;
    for (const std::wstring& name : folders) {
        Handle inner;
        if (NT_SUCCESS(openRelative(folder, name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                    FILE_DIRECTORY_FILE, inner)))
            count += countBelow(inner.get(), buffer, depth + 1);
    }
    return count;
}

// The size of the file open in handle; 0 when it cannot be read.
unsigned long long sizeOf(HANDLE handle)
{
    FILE_STANDARD_INFO standard;
    return ::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard)
               ? static_cast<unsigned long long>(standard.EndOfFile.QuadPart)
               : 0;
}

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
        record(LeftStatus::Kept, name);
    }
    return keep;
}

void FolderWalk::record(LeftStatus status, const std::wstring& name, unsigned long error)
{
    if (status == LeftStatus::Refused) {
        if (m_result.firstError == 0)
            m_result.firstError = error;
        if (m_refused++ >= kMaxFailedEntries)
            return;
    }
    m_result.left.push_back({pathOf(name), status, error});
}

void FolderWalk::leave(Outcome outcome, const std::wstring& name)
{
    if (outcome == Outcome::Removed) {
        gone();
        return;
    }
    m_levels.back().failed = true;
    record(outcome == Outcome::InUse ? LeftStatus::InUse : LeftStatus::Refused, name,
           outcome == Outcome::InUse ? 0 : m_error);
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

Outcome FolderWalk::remove(HANDLE handle)
{
    if (m_dryRun)
        return Outcome::Removed; // opened for deletion: nothing holds it so
    // Refused for a moment: another program (a scanner, an indexer) holds
    // the entry without leave to delete, or a folder's last entries are
    // still pending deletion. Tried again, briefly, before it counts.
    Retry waiting = retry();
    for (;;) {
        m_status = 0;
        const Outcome outcome = removeOnce(handle);
        if (outcome == Outcome::Removed ||
            (m_status != kSharingViolation && m_status != kDirectoryNotEmpty) || !waiting.again())
            return outcome;
        m_error = 0;
    }
}

// A folder goes as its last handle closes, and some systems (Wine) accept
// the disposition of a folder that is not empty and then keep it: it counts
// as removed only once its name is gone or pending deletion.
Outcome FolderWalk::removeFolder(Level& done)
{
    if (m_dryRun)
        return Outcome::Removed; // everything in it would have gone
    const Identity identity = identityOf(done.handle.get());
    Retry waiting = retry();
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
        if (found != identity)
            return failed(ERROR_DIR_NOT_EMPTY); // not the folder emptied: left alone
        if (!waiting.again())
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
    for (Retry waiting = retry(); status == kSharingViolation && waiting.again();)
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
        record(LeftStatus::Kept, name);
        return;
    }
    switch (kind) {
    case EntryKind::OtherVolume:
        record(LeftStatus::OtherVolume, name);
        parent.failed = true;
        return;
    case EntryKind::File:
    case EntryKind::Link:
        if (m_dryRun && m_report && deletable && kind == EntryKind::File) {
            // What would go, with its size: leave() counts it without one.
            m_goneBytes += sizeOf(handle.get());
        }
        return leave(deletable ? remove(handle.get()) : Outcome::InUse, name);
    case EntryKind::Folder:
        break;
    }
    enter(name, handle, deletable, decided, skip);
}

void FolderWalk::enter(const std::wstring& name, Handle& handle, bool deletable,
                       EntryDecision decided, const Deferred* skip)
{
    // Another product's folder, however its entry names it: never entered.
    if (m_sealed && !m_sealed->empty() && isOneOf(identityOf(handle.get()), *m_sealed)) {
        record(LeftStatus::OtherProduct, name);
        m_levels.back().failed = true;
        return;
    }

    if (m_levels.size() >= static_cast<std::size_t>(kMaxOpenFolders))
        return leave(failed(ERROR_FILENAME_EXCED_RANGE), name);
    // Opened again through its handle, now to be listed too: the same folder,
    // whatever its name leads to by now.
    Level level;
    const NTSTATUS status =
        openRelative(handle.get(), std::wstring(),
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
                record(LeftStatus::InUse, done.name);
            continue;
        }
        leave(done.removable ? removeFolder(done) : Outcome::InUse, done.name);
    }
}

} // namespace

ContentsRemoval removeFolderContents(const wchar_t* folder,
                                     const std::vector<std::wstring>& removeLast,
                                     const Identity& expected, const EntryDecider& decide,
                                     const std::vector<Identity>& sealed, bool dryRun,
                                     const WalkReport* report)
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
    if (expected.valid && identityOf(handle.get()) != expected) {
        result.complete = false;
        return result;
    }
    if (report && report->counted) {
        std::vector<unsigned char> buffer(64 * 1024);
        report->counted(countBelow(handle.get(), buffer, 0));
    }
    const Deferred deferred = deferredEntries(removeLast);
    unsigned waited = 0;
    FolderWalk(top, result, waited, decide, &sealed, dryRun, report)
        .run(handle, nullptr, &deferred);
    if (result.complete && (!deferred.entries.empty() || !deferred.holders.empty())) {
        // Everything else went: now what was kept for last, whole.
        std::vector<std::wstring> names = deferred.entries;
        names.insert(names.end(), deferred.holders.begin(), deferred.holders.end());
        FolderWalk(top, result, waited, decide, &sealed, dryRun, report)
            .run(handle, &names, nullptr);
    }
    return result;
}

} // namespace Win32
} // namespace Platform
