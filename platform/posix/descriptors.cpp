#include "descriptors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Platform
{
namespace Posix
{

MountOf mountOf(int dirFd, const char* name, int flags)
{
    MountOf mount;
    struct statx status;
    if (::statx(dirFd, name, flags, STATX_INO | STATX_MNT_ID, &status) != 0)
        return mount;
    mount.valid = true;
    mount.byMountId = (status.stx_mask & STATX_MNT_ID) != 0;
    mount.device = quint64(status.stx_dev_major) << 32 | status.stx_dev_minor;
    mount.inode = status.stx_ino;
    mount.id = mount.byMountId ? status.stx_mnt_id : mount.device;
    return mount;
}

bool sameMount(const MountOf& a, const MountOf& b)
{
    return a.valid && b.valid && a.byMountId == b.byMountId && a.id == b.id;
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

bool removeEntryAt(int parent, const char* name)
{
    return ::unlinkat(parent, name, 0) == 0 || errno == ENOENT;
}

bool removeEmptyFolderAt(int parent, const char* name)
{
    return ::unlinkat(parent, name, AT_REMOVEDIR) == 0 || errno == ENOENT;
}

namespace
{

// The immutable and append-only attributes of name relative to dirFd (empty
// for the open folder itself): from statx where the file system reports
// them, else from FS_IOC_GETFLAGS on the entry opened without following a
// link (a link has none). -1 when it cannot be read.
int lockedAttributes(int dirFd, const char* name, const struct statx& status)
{
    constexpr quint64 locking = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    if ((status.stx_attributes_mask & locking) == locking)
        return (status.stx_attributes & locking) != 0 ? 1 : 0;
    if (!S_ISREG(status.stx_mode) && !S_ISDIR(status.stx_mode))
        return 0;
    const int fd =
        name[0] == '\0'
            ? ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0)
            : ::openat(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int flags = 0;
    const bool read = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    ::close(fd);
    if (!read)
        return 0; // a file system without these attributes
    return (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0 ? 1 : 0;
}

} // namespace

FolderRights folderRights(int folderFd)
{
    FolderRights rights;
    // Write and search: what unlinking in it asks, a read-only mount and an
    // immutable folder included.
    if (::faccessat(folderFd, ".", W_OK | X_OK, AT_EACCESS) != 0) {
        rights.refusal = errno;
        return rights;
    }
    struct statx status;
    if (::statx(folderFd, "", AT_EMPTY_PATH, STATX_MODE | STATX_UID, &status) != 0) {
        rights.refusal = errno;
        return rights;
    }
    // An append-only folder lets nothing in it go.
    if (lockedAttributes(folderFd, "", status) == 1)
        rights.refusal = EPERM;
    rights.sticky = (status.stx_mode & S_ISVTX) != 0;
    rights.owner = status.stx_uid;
    rights.privileged = ::geteuid() == 0;
    return rights;
}

int removalRefusal(int folderFd, const FolderRights& folder, const char* name)
{
    if (folder.refusal != 0)
        return folder.refusal;
    struct statx status;
    if (::statx(folderFd, name, AT_SYMLINK_NOFOLLOW, STATX_MODE | STATX_UID, &status) != 0)
        return errno == ENOENT ? 0 : errno;
    const quint64 self = ::geteuid();
    if (folder.sticky && !folder.privileged && status.stx_uid != self && folder.owner != self)
        return EPERM;
    return lockedAttributes(folderFd, name, status) == 1 ? EPERM : 0;
}

int openParent(const QString& path, QByteArray& name)
{
    const QString clean = QDir::cleanPath(path);
    const int slash = clean.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash == clean.size() - 1)
        return -1;
    name = QFile::encodeName(clean.mid(slash + 1));
    if (name == "." || name == "..")
        return -1;
    const QByteArray parent =
        QFile::encodeName(slash == 0 ? QStringLiteral("/") : clean.left(slash));
    return ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace Posix
} // namespace Platform
