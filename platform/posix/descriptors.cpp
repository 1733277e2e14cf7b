#include "descriptors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

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
