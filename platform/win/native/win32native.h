#pragma once

// The Win32 calls of the operating-system layer, kept free of Qt so that they
// can be built and run on their own (plain strings in, plain values out).

#include "platform/processmatch.h"

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace Platform
{
namespace Win32
{

// A Toolhelp32 snapshot of all processes, with their wide names as the
// snapshot gives them. Empty when no snapshot can be taken.
std::vector<ProcessRecord> snapshotProcesses();

// The programs the Restart Manager says hold path open: process id and the
// application's name (or its executable's). Empty when it knows none, or
// cannot tell (Wine's is a stub).
std::vector<std::pair<unsigned long, std::wstring>> programsHolding(const wchar_t* path);

// The account that runs process pid ("DOMAIN\\user"); empty when it cannot be
// read.
std::wstring processUser(unsigned long pid);

unsigned long long currentProcessId();

// GetNativeSystemInfo's wProcessorArchitecture.
int nativeArchitecture();

// An absolute path ("C:\\…", "\\\\server\\share\\…") in its "\\\\?\\" form, which is
// not limited to MAX_PATH characters; anything else unchanged.
std::wstring extendedPath(const wchar_t* path);

// True for an entry to remove as a link and never to enter: a symbolic link,
// a junction or a mount point (reparse points whose tag is a name surrogate),
// and, failing closed, an entry whose attributes cannot be read. False for a
// plain file or folder and for reparse points that hold data of their own,
// such as cloud placeholders.
bool isLinkEntry(const wchar_t* path);

// Whether the registry key keyPath ("HKEY_LOCAL_MACHINE\\SOFTWARE\\...") is
// a registry link (it has a SymbolicLinkValue), looked at without following
// it (REG_OPTION_OPEN_LINK). False when it does not exist.
bool isRegistryLink(const std::wstring& keyPath);

// One subkey of an Uninstall key: its name as Windows keeps it and the
// values that name the product's folders (REG_SZ or REG_EXPAND_SZ, as
// stored; empty when missing or of another type).
struct UninstallValues {
    std::wstring name;
    std::wstring keyPath; // the key's full path, as the Registry Editor shows it
    std::wstring displayName;
    std::wstring installLocation;
    std::wstring installSource;
    std::wstring uninstallString;
    std::wstring quietUninstallString;
    std::wstring displayIcon;
};

// The file paths Windows Installer records as its components' key files,
// for every user (Installer\UserData\<SID>\Components\<id>\<product>),
// from the 64-bit view; registry components ("01:\...") left out.
std::vector<std::wstring> installerComponentPaths();

// Every subkey of SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall in
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, in the 64-bit and the 32-bit
// registry view, read only.
std::vector<UninstallValues> uninstallEntries();

// Whether the drive whose root is given ("Z:\\") is a network drive.
bool isRemoteDrive(const wchar_t* root);

// ExpandEnvironmentStringsW; the text unchanged when it fails.
std::wstring expandEnvironmentStrings(const std::wstring& text);

// Whether the entry itself exists (GetFileAttributesW on its long path): a
// link or junction counts whether or not its target does, and nothing is
// resolved by name.
bool entryExists(const wchar_t* path);

// The error opening the entry itself for deletion gives (no access, a
// program holding it without leave to delete it), or 0: what a trial run
// asks instead of removing. A read-only attribute, which the removal clears
// through its handle, is no refusal; nor is an entry that is not there.
unsigned long removalRefusal(const wchar_t* path);

enum class KnownFolder { PublicDesktop, CommonPrograms };

// SHGetKnownFolderPath: FOLDERID_PublicDesktop or FOLDERID_CommonPrograms,
// without a final separator; empty when the system cannot name it.
std::wstring knownFolderPath(KnownFolder folder);

// Removes a link entry without touching its target. False when nothing was
// removed.
bool removeLinkEntry(const wchar_t* path);

// Where a path leads once every link, junction and short name on the way is
// resolved ("C:\\…" or "\\\\server\\share\\…"); empty when it cannot be opened.
std::wstring finalPath(const wchar_t* path);

// MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) on the path's
// "\\?\" form, the one checked (no MAX_PATH, a final dot or blank kept): Windows removes the
// entry at the next restart, before anything can hold it open. A folder goes
// only if it is empty by then. Needs administrator rights (the list lives in
// HKEY_LOCAL_MACHINE). Refused for a reparse point (a link, junction or mount
// point: Windows would follow it at start-up) and for an entry whose
// attributes cannot be read.
bool scheduleRemovalAtRestart(const wchar_t* path);

// The calling thread's priority set to below normal.
bool lowerCurrentThreadPriority();

// --- removal relative to open handles ---------------------------------------

// What an entry is to the folder walk, from its attributes and reparse tag
// (and, for a mount-point tag, the reparse point's substitute name).
enum class EntryKind {
    File,        // removed
    Folder,      // entered, emptied, removed
    Link,        // a name surrogate (symbolic link, junction): removed, never entered
    OtherVolume, // a volume mounted in a folder: left, never entered
};
EntryKind entryKind(unsigned long attributes, unsigned long reparseTag,
                    const std::wstring& substituteName);

// Whether a mount point's substitute name names a volume ("\\??\\Volume{…}\\")
// rather than a folder (a junction, "\\??\\C:\\…").
bool isVolumeName(const std::wstring& substituteName);

// Why an entry the walk met stayed.
enum class LeftStatus {
    InUse,        // held by a program
    Refused,      // the system refused otherwise; the error says why
    OtherVolume,  // a volume mounted in a folder: never entered
    OtherProduct, // one of the sealed folders (another product's): never entered
    Kept,         // what the decider kept
};

struct LeftEntry {
    std::wstring path;
    LeftStatus status = LeftStatus::Refused;
    unsigned long error = 0; // a Win32 error code (an NTSTATUS turned into one)
};

struct ContentsRemoval {
    bool complete = true; // everything inside went
    // What stayed, in the order met; refused entries up to kMaxFailedEntries.
    std::vector<LeftEntry> left;
    unsigned long firstError = 0; // of the first entry refused

    // The paths left for one reason, in the order met.
    std::vector<std::wstring> paths(LeftStatus status) const;
};

// What becomes of an entry, asked by its path relative to the walked folder
// ('\\' between the names) and whether it is a folder (a link or junction
// is not): see Platform::EntryFilter.
enum class EntryDecision { Remove, Keep, Enter };
using EntryDecider = std::function<EntryDecision(const std::wstring& relative, bool isFolder)>;
constexpr std::size_t kMaxFailedEntries = 100;

// Removes everything inside folder but folder itself (see
// Platform::removeFolderContents). The folder is opened once by its path and
// checked from the handle to be a folder and no reparse point; every entry
// below is opened relative to its parent's handle without following reparse
// points, and removed through its own handle (POSIX semantics where the file
// system has them; otherwise a read-only file with a single name loses the
// attribute through its handle). removeLast holds names relative to folder,
// one or two deep, separated by '\\'. Reported paths are folder, as given,
// followed by '\\' and the names below it. With expected valid, the folder
// opened must be that one (volume and file id), else nothing is touched.
// With decide set, only what it lets go is removed (removeLast is not
// asked about), and a folder still holding what it kept stays unreported.
// With dryRun nothing is removed: an entry that can be opened for deletion
// counts as gone (a mapped program is not noticed), a folder as gone when
// everything in it would be.
struct Identity {
    unsigned long long volume = 0;
    unsigned long long file = 0;
    bool valid = false;
    // Equal when both are valid and name one file.
    bool operator==(const Identity& other) const
    {
        return valid && other.valid && volume == other.volume && file == other.file;
    }
    bool operator!=(const Identity& other) const { return !(*this == other); }
};
// Told as a walk goes, for a display: counted once the entries below the
// folder are counted (reparse points not entered), gone as entries go (or
// would go, with the sizes of the files then), in batches.
struct WalkReport {
    std::function<void(unsigned long long total)> counted;
    std::function<void(unsigned long long entries, unsigned long long bytes)> gone;
};
// A folder whose identity is one of sealed is left, never entered, and
// listed as OtherProduct; the removal is then incomplete.
ContentsRemoval removeFolderContents(const wchar_t* folder,
                                     const std::vector<std::wstring>& removeLast,
                                     const Identity& expected = Identity(),
                                     const EntryDecider& decide = nullptr,
                                     const std::vector<Identity>& sealed = {}, bool dryRun = false,
                                     const WalkReport* report = nullptr);

// The deepest folders the walk keeps open at once; what lies deeper stays.
constexpr int kMaxOpenFolders = 256;

// The volume serial number and file id of what path leads to (links
// followed); valid false when it cannot be opened.
Identity fileIdentity(const wchar_t* path);

// This process's program and every library it loaded: the path each was
// loaded from, and its identity.
struct LoadedImage {
    std::wstring path;
    Identity identity;
};
std::vector<LoadedImage> loadedImages();

// A new folder at the root of the volume path lies on, whose protected DACL
// lets only SYSTEM and Administrators in (as Windows Installer's Config.Msi):
// no other user can plant a file there or swap it for a junction. Empty when
// it cannot be made (not elevated, a read-only volume).
std::wstring makeHoldingFolder(const wchar_t* path);

// Renames the file at path into holding, through one handle opened without
// following a reparse point, when that handle's identity is among own: a
// running program or loaded library can be renamed within its volume though
// not deleted. The new path, empty when not moved.
std::wstring moveIntoHolding(const wchar_t* path, const std::vector<Identity>& own,
                             const wchar_t* holding);

// Removes the empty folder path through its own handle, when it is a folder,
// no reparse point and, with expected valid, that one. A folder whose last
// entries are only pending deletion, or one held for a moment without leave
// to delete, is tried again for up to kFolderWaitMs. True when it went or
// was not there.
bool removeEmptyFolder(const wchar_t* path, const Identity& expected = Identity());

// How long the walk waits for an entry refused for the moment (a sharing
// violation, a folder whose entries are pending deletion) before taking it
// as in use or not removable, and for all of them together.
constexpr unsigned kEntryWaitMs = 50;
constexpr unsigned kWalkWaitMs = 2000;
constexpr unsigned kFolderWaitMs = 200;

// True for a volume root, a folder a volume is mounted in, a path that lies
// on another volume than its parent folder, and a path that cannot be
// examined.
bool isMountPoint(const wchar_t* path);

// The calling thread's GetLastError(), and the system's words for an error
// code (FormatMessageW, without the final line break).
unsigned long lastError();
std::wstring errorText(unsigned long error);

// A message box with an information icon and one button, owned by no window.
void showInformation(const std::wstring& title, const std::wstring& text);

// Standard output and error that lead nowhere (a program with windows is
// given no console) written to the console of the parent process, when it
// has one; handles the process was given are kept.
void attachParentConsole();

// --- a file to append to ------------------------------------------------------

enum class AppendOutcome { Opened, ThroughLink, NotAFile, OtherOwner, Failed };
struct AppendFile {
    AppendOutcome outcome = AppendOutcome::Failed;
    int descriptor = -1;       // Opened: a C runtime descriptor (binary, appending), the caller's
    std::size_t linkDepth = 0; // ThroughLink: names[linkDepth - 1] is the link
    unsigned long error = 0;   // Failed: the Win32 error code
};

// Opens root ("C:\\", "\\\\server\\share\\") by its name, then each of names
// relative to the folder before it without following a reparse point: a
// folder on the way whose reparse tag is a name surrogate (a symbolic link,
// junction or mount point) is refused, and so is the last name when it is
// one. The last name is opened, or made when absent, as a plain file for
// reading and appending (FILE_APPEND_DATA, shared for reading and writing).
// A file that was there and whose owner is neither the process's user nor
// the owner its token gives new objects is closed again: OtherOwner.
AppendFile openForAppending(const std::wstring& root, const std::vector<std::wstring>& names);

} // namespace Win32
} // namespace Platform
