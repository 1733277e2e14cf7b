#pragma once

// Entries one at a time: links and junctions, what a path leads to (its
// identity), mounts, an empty folder removed, and a file opened for
// appending without following a link.

#include <QString>
#include <QStringList>
#include <QtGlobal>

class QFileInfo;

namespace Platform
{

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

// The system's error code removing the entry at path (a link itself, or a
// folder once empty) would meet, without removing it; 0 when nothing this
// user can know of beforehand stands in the way. Linux: the folder holding
// it not writable or searchable for this user, an immutable or append-only
// entry or folder, the sticky rule. Windows: no right to delete it, or a
// program holding it without leave to (a read-only attribute, which the
// removal clears, is none). What a trial run asks in place of removing.
int removalRefusal(const QString& path);

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

FileIdentity fileIdentity(const QString& path);

// True when path, as resolved through links, is the root of a file system or
// volume, a mount point, or lies on another file system than its parent
// folder; also when that cannot be told (failing closed).
bool isMountPoint(const QString& path);

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
        OtherOwner,  // a file that another user owns, left as it was
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
// followed. A file that is there and owned by another user than the one
// this process runs as (on Windows: neither its user nor the owner it gives
// what it makes, such as the Administrators group) is not written to: in a
// folder everyone may write to, its owner could read and change what is
// appended.
AppendFile openForAppending(const QString& path);

} // namespace Platform
