#include "folderremoval.h"

#include "platform/platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace Engine
{

namespace
{

bool removeFile(const QString& path)
{
    if (QFile::remove(path))
        return true;
    // As QDir::removeRecursively(): a read-only file gets its write bit back
    // and is tried once more.
    QFile file(path);
    if (!file.setPermissions(file.permissions() | QFileDevice::WriteOwner))
        return false;
    return file.remove();
}

// Removes what is inside folder, depth first, with a stack of its own rather
// than the call stack: the tree's depth is the file system's to choose, and
// the worker thread's stack is small (1 MiB on Windows).
bool removeContents(const QString& folder)
{
    struct Pending {
        QString path;
        bool entered;
    };
    std::vector<Pending> pending{{folder, false}};
    bool complete = true;
    while (!pending.empty()) {
        if (pending.back().entered) {
            // Everything inside has had its turn; the folder itself is next,
            // except the top one, which the caller removes.
            const QString path = pending.back().path;
            pending.pop_back();
            if (!pending.empty())
                complete = QDir().rmdir(path) && complete;
            continue;
        }
        pending.back().entered = true;
        QDirIterator entries(pending.back().path,
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            const QString path = entries.next();
            const QFileInfo entry = entries.fileInfo();
            if (Platform::isLinkOrJunction(entry))
                complete = Platform::removeLink(path) && complete;
            else if (entry.isDir())
                pending.push_back(Pending{path, false});
            else
                complete = removeFile(path) && complete;
        }
    }
    return complete;
}

} // namespace

QString withoutFinalSeparators(const QString& path)
{
    const auto isSeparator = [](QChar c) {
        return c == QLatin1Char('/') || c == QDir::separator();
    };
    int end = path.size();
    while (end > 0 && isSeparator(path.at(end - 1)))
        --end;
    if (end == 0)
        return path; // "/", or nothing
    // "C:/" stays: "C:" is the drive's current folder.
    if (end == 2 && path.at(1) == QLatin1Char(':'))
        ++end;
    return path.left(end);
}

bool removeFolderTree(const QString& path)
{
    if (path.isEmpty())
        return true;
    // With a final separator a link reads as its target's folder.
    const QString target = withoutFinalSeparators(path);
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (Platform::isLinkOrJunction(target))
        return Platform::removeLink(target);
    if (!info.isDir())
        return true;
    const bool contentsRemoved = removeContents(target);
    return QDir().rmdir(target) && contentsRemoved;
}

LocationVerdict removeInstallFolder(const QString& location)
{
    const LocationVerdict verdict = checkInstallLocation(location);
    if (verdict == LocationVerdict::Remove)
        removeFolderTree(removalPath(location));
    return verdict;
}

} // namespace Engine
