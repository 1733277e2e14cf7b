// Linux's entries one at a time: links, identity, mounts, an empty folder
// removed through its parent's descriptor, and a file opened for appending
// folder by folder.

#include "platform/files.h"
#include "descriptors.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace Platform
{

using namespace Posix;

bool isLinkOrJunction(const QString& path)
{
    return QFileInfo(path).isSymLink();
}

bool isLinkOrJunction(const QFileInfo& entry)
{
    return entry.isSymLink();
}

bool entryExists(const QString& path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

int removalRefusal(const QString& path)
{
    QByteArray name;
    errno = 0;
    const int parent = Posix::openParent(path, name);
    if (parent < 0)
        return errno != 0 ? errno : EINVAL;
    const int refusal =
        Posix::removalRefusal(parent, Posix::folderRights(parent), name.constData());
    ::close(parent);
    return refusal;
}

bool removeLink(const QString& path)
{
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

FileIdentity fileIdentity(const QString& path)
{
    struct stat status;
    FileIdentity identity;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return identity;
    identity.device = static_cast<quint64>(status.st_dev);
    identity.file = static_cast<quint64>(status.st_ino);
    identity.valid = true;
    return identity;
}

bool isMountPoint(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_PATH);
    if (fd < 0)
        return true;
    const MountOf self = mountOf(fd, "", AT_EMPTY_PATH);
    const MountOf parent = mountOf(fd, "..", 0);
    struct stat selfStatus, parentStatus;
    const bool root = ::fstat(fd, &selfStatus) == 0 && ::fstatat(fd, "..", &parentStatus, 0) == 0 &&
                      selfStatus.st_dev == parentStatus.st_dev &&
                      selfStatus.st_ino == parentStatus.st_ino;
    ::close(fd);
    // A root is its own parent; a mount point lies on another mount than
    // the folder holding it.
    return root || !sameMount(self, parent);
}

bool removeEmptyFolder(const QString& path, const FileIdentity& expected)
{
    QByteArray name;
    const int parent = openParent(path, name);
    if (parent < 0)
        return !entryExists(path);
    struct stat status;
    bool removed = false;
    if (::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        removed = errno == ENOENT;
    else if (S_ISDIR(status.st_mode) &&
             (!expected.valid ||
              FileIdentity{quint64(status.st_dev), quint64(status.st_ino), true} == expected))
        removed = removeEmptyFolderAt(parent, name.constData());
    ::close(parent);
    return removed;
}

namespace
{

// The link at depth names into parts, as openForAppending() reports it.
QString linkAt(const PathParts& parts, int depth)
{
    return QLatin1Char('/') + parts.names.mid(0, depth).join(QLatin1Char('/'));
}

// The folder holding parts' last name, opened from the root one name at a
// time, never through a link; -1 when not, with result telling why.
int openFolderOf(const PathParts& parts, AppendFile& result)
{
    // O_PATH: a folder passed through need not be readable, only searchable.
    int folder = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        result.error = errno;
        return -1;
    }
    struct stat status;
    for (int i = 0; i + 1 < parts.names.size(); ++i) {
        const QByteArray name = QFile::encodeName(parts.names.at(i));
        const int next =
            ::openat(folder, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        const bool folderThere =
            next >= 0 && ::fstat(next, &status) == 0 && S_ISDIR(status.st_mode);
        if (!folderThere) {
            // What stands there, as it is: a link, or something that is no folder.
            if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(status.st_mode)) {
                result.outcome = AppendFile::Outcome::ThroughLink;
                result.at = linkAt(parts, i + 1);
            } else {
                result.error = next >= 0 ? ENOTDIR : error;
            }
            if (next >= 0)
                ::close(next);
            ::close(folder);
            return -1;
        }
        ::close(folder);
        folder = next;
    }
    return folder;
}

} // namespace

AppendFile openForAppending(const QString& path)
{
    AppendFile result;
    const PathParts parts = splitAbsolutePath(path, false);
    if (parts.root.isEmpty()) {
        result.error = EINVAL;
        return result;
    }
    if (parts.names.isEmpty()) {
        result.outcome = AppendFile::Outcome::NotAFile;
        return result;
    }
    const int folder = openFolderOf(parts, result);
    if (folder < 0)
        return result;
    struct stat status;
    const QByteArray name = QFile::encodeName(parts.names.last());
    // Never opened when it is there as anything but a plain file: opening a
    // device can act on it.
    if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(status.st_mode)) {
        result.outcome = S_ISLNK(status.st_mode) ? AppendFile::Outcome::ThroughLink
                                                 : AppendFile::Outcome::NotAFile;
        if (S_ISLNK(status.st_mode))
            result.at = linkAt(parts, parts.names.size());
        ::close(folder);
        return result;
    }
    const int fd = ::openat(
        folder, name.constData(),
        O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666);
    const int error = errno;
    ::close(folder);
    if (fd < 0) {
        if (error == ELOOP) {
            result.outcome = AppendFile::Outcome::ThroughLink;
            result.at = linkAt(parts, parts.names.size());
        } else if (error == EISDIR) {
            result.outcome = AppendFile::Outcome::NotAFile;
        } else {
            result.error = error;
        }
        return result;
    }
    // Swapped for something else between the look and the opening.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        result.outcome = AppendFile::Outcome::NotAFile;
        return result;
    }
    // What it opened is what is judged: another user's file stays theirs,
    // untouched. One just made is this user's.
    if (status.st_uid != ::geteuid()) {
        ::close(fd);
        result.outcome = AppendFile::Outcome::OtherOwner;
        return result;
    }
    ::fcntl(fd, F_SETFL, O_APPEND); // blocking again
    result.outcome = AppendFile::Outcome::Opened;
    result.descriptor = fd;
    return result;
}

} // namespace Platform
