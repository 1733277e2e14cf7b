// Linux's side of what waits for a restart: this process's mapped files and
// the holding folder at the root of a mount. Linux removes files in use at
// once; the list of what Windows would remove at its next start is the
// stand-in's (standin/restart.cpp).

#include "platform/restart.h"
#include "descriptors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace Platform
{

using namespace Posix;

QVector<LoadedImage> loadedImages()
{
    // Every file this process maps: "address perms offset major:minor inode path".
    QVector<LoadedImage> images;
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return images;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6)
            continue;
        // The path is the rest of the line: it may hold blanks.
        const int pathStart = line.indexOf('/');
        const QList<QByteArray> device = fields.at(3).split(':');
        bool inodeRead = false, majorRead = false, minorRead = false;
        const quint64 inode = fields.at(4).toULongLong(&inodeRead);
        if (device.size() != 2 || !inodeRead || inode == 0)
            continue;
        const unsigned major = device.at(0).toUInt(&majorRead, 16);
        const unsigned minor = device.at(1).toUInt(&minorRead, 16);
        const FileIdentity identity{quint64(makedev(major, minor)), inode,
                                    majorRead && minorRead && pathStart >= 0};
        const auto known = [&identity](const LoadedImage& image) {
            return image.identity == identity;
        };
        if (identity.valid && std::none_of(images.cbegin(), images.cend(), known))
            images.append({QFile::decodeName(line.mid(pathStart)), identity});
    }
    return images;
}

QString makeHoldingFolder(const QString& path)
{
    // Up to the root of path's mount, through "..", never by name.
    int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return QString();
    const MountOf mount = mountOf(fd, "", AT_EMPTY_PATH);
    QString root = QDir::cleanPath(path);
    while (root != QLatin1String("/")) {
        const MountOf above = mountOf(fd, "..", 0);
        if (!sameMount(above, mount))
            break;
        const int up = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (up < 0)
            break;
        ::close(fd);
        fd = up;
        root = QDir::cleanPath(root + QStringLiteral("/.."));
    }
    static std::atomic<unsigned> counter{0};
    QString made;
    for (int attempt = 0; attempt < 16 && made.isEmpty(); ++attempt) {
        const QString name =
            QStringLiteral(".uninstaller-pending.%1.%2").arg(::getpid()).arg(++counter);
        // A new folder or none: an entry already there is never taken.
        if (::mkdirat(fd, QFile::encodeName(name).constData(), 0700) == 0)
            made = QDir::cleanPath(root + QLatin1Char('/') + name);
        else if (errno != EEXIST)
            break;
    }
    ::close(fd);
    return made;
}

QString moveIntoHolding(const QString& path, const QVector<FileIdentity>& own,
                        const QString& holding)
{
    QByteArray name;
    const int parent = openParent(path, name);
    if (parent < 0)
        return QString();
    struct stat status;
    const bool ours = ::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISREG(status.st_mode) &&
                      own.contains({quint64(status.st_dev), quint64(status.st_ino), true});
    const int target = ours ? ::open(QFile::encodeName(holding).constData(), folderFlags) : -1;
    static std::atomic<unsigned> counter{0};
    const QString newName = QStringLiteral("%1.").arg(++counter) + QFile::decodeName(name);
    const bool moved = target >= 0 && ::renameat(parent, name.constData(), target,
                                                 QFile::encodeName(newName).constData()) == 0;
    if (target >= 0)
        ::close(target);
    ::close(parent);
    return moved ? QDir::cleanPath(holding) + QLatin1Char('/') + newName : QString();
}

} // namespace Platform
