#pragma once

// The Win32 calls of the operating-system layer, kept free of Qt so that they
// can be built and run on their own (plain strings in, plain values out).

#include "processmatch.h"

#include <string>
#include <vector>

namespace Platform
{
namespace Win32
{

// A Toolhelp32 snapshot of all processes, with their wide names as the
// snapshot gives them. Empty when no snapshot can be taken.
std::vector<ProcessRecord> snapshotProcesses();

unsigned long long currentProcessId();

// GetNativeSystemInfo's wProcessorArchitecture.
int nativeArchitecture();

// Whether a process other than this one runs the executable configuredName
// names (see matchesRunningProcess).
bool isProcessRunning(const wchar_t* configuredName);

// An absolute path ("C:\\…", "\\\\server\\share\\…") in its "\\\\?\\" form, which is
// not limited to MAX_PATH characters; anything else unchanged.
std::wstring extendedPath(const wchar_t* path);

// True for an entry to remove as a link and never to enter: a symbolic link,
// a junction or a mount point (reparse points whose tag is a name surrogate),
// and, failing closed, an entry whose attributes cannot be read. False for a
// plain file or folder and for reparse points that hold data of their own,
// such as cloud placeholders.
bool isLinkEntry(const wchar_t* path);

// Whether the entry itself exists (GetFileAttributesW on its long path): a
// link or junction counts whether or not its target does, and nothing is
// resolved by name.
bool entryExists(const wchar_t* path);

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

// MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT): Windows removes the
// entry at the next restart, before anything can hold it open. A folder goes
// only if it is empty by then. Needs administrator rights (the list lives in
// HKEY_LOCAL_MACHINE).
bool scheduleRemovalAtRestart(const wchar_t* path);

} // namespace Win32
} // namespace Platform
