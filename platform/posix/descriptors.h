#pragma once

// What the Linux folder walk and the single-entry calls share: mounts told
// apart, and entries reached relative to an open folder's descriptor.

#include <QString>
#include <QtGlobal>

#include <fcntl.h>

class QByteArray;

namespace Platform
{
namespace Posix
{

// The mount a file lies on: its mount id where the kernel tells it (a bind
// mount of a folder of the same file system has the device of its source),
// else its device.
struct MountOf {
    quint64 id = 0;
    bool byMountId = false;
    bool valid = false;
    quint64 device = 0; // and which file it is
    quint64 inode = 0;
};

// The mount of name relative to dirFd, with statx's flags; invalid when
// statx fails.
MountOf mountOf(int dirFd, const char* name, int flags);
bool sameMount(const MountOf& a, const MountOf& b);

// A folder opened for listing, never through a final link.
constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool isDotOrDotDot(const char* name);

// Removes a file or link named relative to the open folder parent. Here
// unlinking depends on the folder's permissions, never on the file's own
// mode, so there is no second try with the write bit: changing a mode by
// name would follow a link swapped in meanwhile, or reach a file linked
// from outside. True when it went or was not there.
bool removeEntryAt(int parent, const char* name);
bool removeEmptyFolderAt(int parent, const char* name);

// What a folder allows of removing what it holds, for this user: asked once
// per folder by a trial run, which removes nothing and must say what the
// real run will.
struct FolderRights {
    int refusal = 0;         // the error unlinking anything in it would give; 0: none
    bool sticky = false;     // restricted deletion: only an entry's or the folder's owner
    quint64 owner = 0;       // the folder's owner
    bool privileged = false; // this process passes the sticky rule whatever the owner
};
FolderRights folderRights(int folderFd);

// The error removing name from the open folder would give (unlinkat, or
// rmdir once it is empty), without removing it: the folder's rights, the
// entry's immutable or append-only attribute, the sticky rule; 0 when
// nothing this user can know of stands in the way. What only the attempt
// shows (another program's lease, a failing disk) is not seen.
int removalRefusal(int folderFd, const FolderRights& folder, const char* name);

// The folder holding path, opened, and path's last name; -1 when it cannot
// be opened.
int openParent(const QString& path, QByteArray& name);

} // namespace Posix
} // namespace Platform
