#pragma once

// The operating-system layer. The program is a Windows program; on other
// systems a stand-in of ours answers the same questions, so that it can be
// run and tested there. Nothing outside platform/ asks which system it is on.

#include "processmatch.h"

#include <QString>
#include <QStringList>
#include <QVector>

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

// One product's uninstall entry: its key's name and the values that name its
// folders, as recorded.
struct UninstallEntry {
    QString name;
    QString installLocation;
    QString installSource; // where its installer ran from (Windows Installer's products)
    // UninstallString, QuietUninstallString and DisplayIcon: command lines
    // and an icon whose programs lie in the product's folders.
    QStringList commands;
};

// Every uninstall entry the system has: on Windows the subkeys of the
// Uninstall keys of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER in both registry
// views, by their names as Windows keeps them; on the stand-in every entry
// file, one that is a link read from where it leads.
std::vector<UninstallEntry> uninstallEntries();

// Where Windows Installer keeps the key file of every component of every
// product it installed (Installer\UserData\<user>\Components\<component>,
// a value per product holding the path), file paths only ("C:\X\a.dll";
// registry components are left out): what lies there is another product's.
// The stand-in keeps the same record in one file per user,
// Installer/UserData/<user>/Components.ini, a group per component.
QStringList installerComponentPaths();

// A registry string with its %VARIABLE%s expanded as Windows does for
// REG_EXPAND_SZ values (ExpandEnvironmentStrings); unchanged on the stand-in,
// whose values have no such type.
QString expandedRegistryString(const QString& value);

// What a key that is a link reads as (it may lead to another product's
// entry): empty, and every write refused.
std::unique_ptr<QSettings> keyThatIsNoEntry();

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

// Whether path names a network location (\\server\share; on Windows also
// a drive mapped to one): such a path is never looked up, lest an offline
// server keep the removal waiting.
bool isRemotePath(const QString& path);

// Where path leads once every link (and on Windows junction and short name)
// on the way is resolved; empty when it does not exist.
QString resolvedPath(const QString& path);

// How this system compares file paths.
Qt::CaseSensitivity pathCaseSensitivity();

// True for a symbolic link and, on Windows, for a reparse point whose tag is
// a name surrogate (symbolic link, junction, volume mount point): entries to
// remove as links, never to enter. A reparse point that is the data itself
// (a cloud placeholder) is no link.
bool isLinkOrJunction(const QString& path);
// The same for an entry already looked up (no second look-up on Linux).
bool isLinkOrJunction(const QFileInfo& entry);

// Whether anything is at path: a file, a folder, or a link or junction,
// dangling or not. Only the entry itself is asked about: on Windows a name
// ending in ".lnk" is not taken for a link by its name, as QFileInfo does.
bool entryExists(const QString& path);

// Removes a link or junction itself, never what it points to.
bool removeLink(const QString& path);

// What a path leads to, whatever it is called: device and inode on Linux,
// volume serial number and file id on Windows. Invalid when it cannot be read.
struct FileIdentity {
    quint64 device = 0;
    quint64 file = 0;
    bool valid = false;
    bool operator==(const FileIdentity& other) const
    {
        return valid && other.valid && device == other.device && file == other.file;
    }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// Which entries of a folder's contents a removal takes, when not all of them
// go. The walk asks about each entry it meets in a folder it decides in, by
// the entry's path relative to the walked folder ('/' between the names);
// several walks may ask at once. A link or junction is asked about as no
// folder: it is removed as a link or kept, never entered.
class EntryFilter
{
public:
    enum class Decision {
        Remove, // the entry goes; a folder with everything in it, asked no more
        Keep,   // the entry stays, and so do the folders holding it
        Enter,  // a folder: its entries are asked about, and it goes when left empty
    };
    virtual ~EntryFilter() = default;
    virtual Decision decide(const QString& relativePath, bool isFolder) const = 0;
};

// An entry the system refused to remove, with the system's error code.
struct FailedEntry {
    QString path;
    int error = 0;
};

// What removing a folder's contents left behind.
struct FolderRemoval {
    bool complete = true;         // everything inside went, removeLast included
    QStringList otherFileSystems; // folders inside that are another file system
                                  // or volume (mount points): left, never entered
    QStringList otherProducts;    // folders inside that are another product's
                                  // (see sealed): left, never entered
    QStringList inUse;            // entries a running program holds (Windows): left
    // The first entries the system refused (up to maxFailedEntries), for the
    // record; the folders left only because something in them stayed are
    // not among them.
    QVector<FailedEntry> failed;
    // What the filter kept, by full path, sorted; not counted as incomplete.
    QStringList kept;
};
constexpr int maxFailedEntries = 100;

// Removes everything inside folder, depth first, but not folder itself, and
// never leaves it: every entry is reached relative to its open parent
// (descriptors on Linux, handles on Windows), a link or junction is removed as
// a link and never entered, another file system is left and listed, and no
// file's mode or attributes are changed by name. What cannot be removed
// stays. removeLast names entries relative to folder, one or two names deep
// ("Client.exe", "bin/Client.exe"): they go after everything else, and only
// when everything else went, so that an interrupted or partial removal keeps
// them (with the folder holding them). A folder that is a link, or cannot be
// opened, is left and counts as not removed; so is one that is not expected
// (when valid): the folder judged may not be what the path leads to by now.
// With a filter only what it lets go is removed (removeLast is not asked
// about), and a folder entered on its word that still holds what it kept
// stays without counting as a failure. A folder that is one of sealed (by
// identity: other products' folders, whatever path named them) is left,
// never entered, listed in otherProducts, and the removal is incomplete.
FolderRemoval removeFolderContents(const QString& folder, const QStringList& removeLast = {},
                                   const FileIdentity& expected = FileIdentity(),
                                   const EntryFilter* filter = nullptr,
                                   const QVector<FileIdentity>& sealed = {});

// --- file identity and file systems ----------------------------------------

FileIdentity fileIdentity(const QString& path);

// When the entry itself (a link not followed) last changed in any way: its
// contents, its name's folder entry, its times or attributes set (Linux:
// ctime; Windows: ChangeTime, which Wine keeps as the ctime). Units of the
// system's own, comparable only with each other on one machine; -1 when it
// cannot be read.
qint64 changeTime(const QString& path);

// True when path, as resolved through links, is the root of a file system or
// volume, a mount point, or lies on another file system than its parent
// folder; also when that cannot be told (failing closed).
bool isMountPoint(const QString& path);

// Asks the system to remove path when it next starts (Windows: an entry it
// cannot remove now because it is in use). A folder must be empty by then,
// so what it holds is to be scheduled first. False for a link, or without
// the rights it needs (administrator on Windows). The stand-in keeps the
// list where Windows does (PendingFileRenameOperations), in its registry.
bool scheduleRemovalOnRestart(const QString& path);

// The files this process runs from, by identity: its program and every
// library it loaded (Windows refuses to delete them while it runs).
QVector<FileIdentity> loadedImageFiles();

// The same with the path each was loaded from ('/' separators).
struct LoadedImage {
    QString path;
    FileIdentity identity;
};
QVector<LoadedImage> loadedImages();

// Makes a folder for entries that wait for the next restart: new, at the root
// of the volume (on Linux the mount) that path lies on, so outside any folder
// the program removes, and writable only by administrators and the system
// (Windows: a protected DACL of SYSTEM and Administrators; Linux: mode 0700,
// owned by the caller). Empty when none can be made.
QString makeHoldingFolder(const QString& path);

// Moves the file at path into holding under a new name when it is one of
// own (by identity, read from the entry itself, never through a final link):
// what another program holds without leave to delete cannot move. The new
// path, empty when nothing moved.
QString moveIntoHolding(const QString& path, const QVector<FileIdentity>& own,
                        const QString& holding);

// Removes the empty folder path when it still is what expected names (when
// valid) and no link, through a handle (Windows) or a descriptor of its
// parent (Linux); a folder whose last entries are only pending deletion is
// tried again for a short while. True when it went or is gone.
bool removeEmptyFolder(const QString& path, const FileIdentity& expected = FileIdentity());

// --- a file written by name ----------------------------------------------------

// An absolute path taken apart: its root ("/", "C:/", "//server/share/") and
// the names below it, '\\' read as '/' and "." and ".." resolved as text.
// Empty when path is not absolute ("C:folder", "folder", "/folder" under
// Windows' rules, whose drive is the current one).
struct PathParts {
    QString root;
    QStringList names;
};
PathParts splitAbsolutePath(const QString& path, bool drivePaths);

// What openForAppending() found.
struct AppendFile {
    enum class Outcome {
        Opened,      // descriptor is open
        ThroughLink, // a link or junction on the way: at names it
        NotAFile,    // the last name is a folder or other entry that is no plain file
        Failed,      // error holds the system's error code
    };
    Outcome outcome = Outcome::Failed;
    // A C runtime descriptor for reading and appending (binary on Windows),
    // for QFile::open(int, ..., AutoCloseHandle); -1 unless opened.
    int descriptor = -1;
    QString at; // the link's path for ThroughLink, '/' separators
    int error = 0;
};

// Opens the plain file at path (absolute) for reading and appending, and
// makes it empty when nothing is there, never through a link: from the root,
// each folder is opened relative to the one above it, without following a
// link (a symbolic link; on Windows a junction, mount point or any other
// reparse point that names another place), and checked before the next
// name is looked up in it; the file is opened the same way relative to its
// folder. A link put in place after any look-up by name is refused, not
// followed.
AppendFile openForAppending(const QString& path);

// --- errors -------------------------------------------------------------------

// The calling thread's last error code from the system (errno; Windows'
// GetLastError()), read right after the call that failed.
int lastSystemError();

// The system's own words for an error code, in its language.
QString systemErrorText(int error);

// Shows a text to whoever started the program without any window of Qt's:
// a message box on Windows, where a program with windows has no console;
// standard output elsewhere.
void showText(const QString& title, const QString& text);

// --- threads -------------------------------------------------------------------

// Lowers the calling thread's scheduling priority a step below normal (Linux:
// its nice value raised by 5, which the threads it starts later inherit;
// Windows: below normal, for this thread alone). A removal that keeps every processor busy then
// leaves the window's thread and the display server the time they need.
// False when the system refused.
bool lowerThreadPriority();

} // namespace Platform
