#pragma once

// The operating-system layer. The program is a Windows program; on other
// systems a stand-in of ours answers the same questions, so that it can be
// run and tested there. Nothing outside platform/ asks which system it is on.

#include "processmatch.h"

#include <QString>
#include <QStringList>

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
// part after its last '/'), compared exactly in the local 8-bit encoding.
bool isProcessRunning(const QString& configuredName);

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

// The desktop shared by all users, with a final '/'.
QString allUsersDesktop();

// Folders of the system itself that the uninstaller must never remove or
// remove a parent of, e.g. "/usr" or the Windows folder.
QStringList systemFolders();

// Folders nothing inside of which the uninstaller removes (the Windows folder).
QStringList sealedSystemFolders();

// Folders whose direct children are user profiles ("C:/Users", "/home").
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

// Removes a link or junction itself, never what it points to.
bool removeLink(const QString& path);

} // namespace Platform
