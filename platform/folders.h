#pragma once

// Folders: the shared desktop and start menu, the user's home, the folders
// removal leaves alone, and how this system writes and compares paths.

#include <QString>
#include <QStringList>

#include <functional>

namespace Platform
{

// The desktop shared by all users, with a final '/'. Windows names it
// (FOLDERID_PublicDesktop); "C:/Users/Public/Desktop/" only when it cannot.
QString allUsersDesktop();

// The start menu's programs folder shared by all users, where per-machine
// installs put their folder, without a final '/' (FOLDERID_CommonPrograms;
// "C:/ProgramData/Microsoft/Windows/Start Menu/Programs" only when Windows
// cannot name it).
QString allUsersStartMenu();

// The user's home folder. Linux takes it from HOME and, when HOME is unset
// or relative, from the user database: Qt would take "/" instead.
QString homeFolder();

// Linux's home folder given HOME and the user database's entry (either may
// be empty); empty when neither is absolute. Pure, so that it is checked on
// Windows too.
QString homeFrom(const QString& environmentHome, const QString& databaseHome);

// The folders removal leaves alone, as the guard reads them.
struct FolderLists {
    QStringList folders;        // neither these nor any parent of them
    QStringList sealed;         // nothing inside these either (the Windows folder)
    QStringList profileParents; // whose direct children are user profiles
};

// The lists of Windows and of Linux, for a user whose home folder is home;
// Windows' from the environment's variables (name -> value) too. Pure, so
// that either system's lists can be checked on the other.
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

} // namespace Platform
