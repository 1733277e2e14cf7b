#pragma once

// The operating-system layer. The program is a Windows program; on other
// systems a stand-in of ours answers the same questions, so that it can be
// run and tested there. Nothing outside platform/ asks which system it is on.

#include "processmatch.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QFileInfo;
class QSettings;

namespace Platform
{

// --- processes -------------------------------------------------------------

// Every process the system lists, with its executable's file name.
std::vector<ProcessRecord> runningProcesses();
unsigned long long currentProcessId();

// Whether another process runs the executable named by configuredName (the
// part after its last '/'), compared exactly as the system names processes.
bool isProcessRunning(const QString& configuredName);

// A name as the process list holds it: UTF-16 on Windows, the local 8-bit
// encoding elsewhere.
NativeName nativeProcessName(const QString& name);

// Stand-in helper: the executable file name of one /proc entry, from the
// target of its "exe" link (empty when unreadable) or else the first word of
// its NUL-separated command line.
std::string procExeName(const std::string& exeLinkTarget, const std::string& cmdline);

// --- architecture ----------------------------------------------------------

// The PROCESSOR_ARCHITECTURE_* code of the machine (not of this process):
// 9 x64, 6 Itanium, 12 ARM64, 0 x86.
int nativeArchitecture();

// Stand-in helper: the code for a QSysInfo::currentCpuArchitecture() name.
int architectureFromCpuName(const QString& cpuArchitecture);

// --- registry --------------------------------------------------------------

// Opens a registry key given as its full path ("HKEY_LOCAL_MACHINE\\SOFTWARE\\…").
// On Windows the native registry; elsewhere the INI file standinIniPath() names,
// whose top-level values are the key's values and whose groups its subkeys.
std::unique_ptr<QSettings> openRegistryKey(const QString& keyPath);

// The stand-in's root folder: GenericDataLocation + "/appinstaller/windows".
QString standinRoot();
// <root>/<key path with '\' turned into '/'>.ini
QString standinIniPath(const QString& root, const QString& keyPath);
// A Windows path such as "C:/Users/Public/Desktop/" inside the stand-in:
// <root>/C/Users/Public/Desktop/.
QString standinWindowsPath(const QString& root, const QString& windowsPath);

// --- folders ---------------------------------------------------------------

// The desktop shared by all users, with a final '/'. Windows names it
// (FOLDERID_PublicDesktop); "C:/Users/Public/Desktop/" only when it cannot.
QString allUsersDesktop();

// The start menu's programs folder shared by all users, where per-machine
// installs put their folder, without a final '/' (FOLDERID_CommonPrograms;
// "C:/ProgramData/Microsoft/Windows/Start Menu/Programs" only when Windows
// cannot name it).
QString allUsersStartMenu();

// The user's home folder. The stand-in takes it from HOME and, when HOME is
// unset or relative, from the user database: Qt would take "/" instead.
QString homeFolder();

// Stand-in helper: the home folder given HOME and the user database's entry
// (either may be empty); empty when neither is absolute.
QString homeFrom(const QString& environmentHome, const QString& databaseHome);

// The folders removal leaves alone, as the guard reads them.
struct FolderLists {
    QStringList folders;        // neither these nor any parent of them
    QStringList sealed;         // nothing inside these either (the Windows folder)
    QStringList profileParents; // whose direct children are user profiles
};

// The lists of Windows and of the stand-in, for a user whose home folder is
// home; Windows' from the environment's variables (name -> value) too. Pure,
// so that either system's lists can be checked on the other.
FolderLists windowsFolderLists(const QString& home,
                               const std::function<QString(const char*)>& environment);
FolderLists posixFolderLists(const QString& home);

// This system's FolderLists, one field each: folders of the system and the
// user that the uninstaller must never remove or remove a parent of, e.g.
// "/usr", the Windows folder or "~/.ssh" ...
QStringList systemFolders();

// ... those nothing inside of which it removes (the Windows folder) ...
QStringList sealedSystemFolders();

// ... and those whose direct children are user profiles ("C:/Users", "/home").
QStringList userProfileParents();

// Whether paths start with a drive letter ("C:/…") on this system.
bool usesDrivePaths();

// Where path leads once every link (and on Windows junction and short name)
// on the way is resolved; empty when it does not exist.
QString resolvedPath(const QString& path);

// How this system compares file paths.
Qt::CaseSensitivity pathCaseSensitivity();

// True for a symbolic link and, on Windows, for a junction or any other
// folder that is a reparse point: entries to remove as links, never to enter.
bool isLinkOrJunction(const QString& path);
// The same for an entry already looked up (no second look-up on Linux).
bool isLinkOrJunction(const QFileInfo& entry);

// Whether anything is at path: a file, a folder, or a link or junction,
// dangling or not. Only the entry itself is asked about: on Windows a name
// ending in ".lnk" is not taken for a link by its name, as QFileInfo does.
bool entryExists(const QString& path);

// Removes a link or junction itself, never what it points to.
bool removeLink(const QString& path);

// Removes everything inside folder, depth first, but not folder itself: what
// can be removed goes, a read-only file is made writable and tried once more
// where its mode is what stops it (Windows), the rest stays; a link or
// junction is removed as a link, never entered. Returns whether all of it
// went; a folder that is a link, or cannot be read, is left and counts as not
// removed. Linux walks relative to open folders, as rm does, and falls back
// to removeFolderContentsByPath() through /proc/self/fd below a depth of 256
// folders or when descriptors run out (without /proc, such a subtree stays).
bool removeFolderContents(const QString& folder);

// The same by full paths through Qt, with one open folder at a time.
bool removeFolderContentsByPath(const QString& folder);

// Asks the system to remove path when it next starts (Windows: an entry it
// cannot remove now because it is in use). A folder must be empty by then,
// so what it holds is to be scheduled first. False where there is no such
// thing, or without the rights it needs (administrator on Windows).
bool scheduleRemovalOnRestart(const QString& path);

} // namespace Platform
