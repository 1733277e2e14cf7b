#include "folderremoval.h"

#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

namespace Engine
{

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
    const bool contentsRemoved = Platform::removeFolderContents(target).complete;
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
