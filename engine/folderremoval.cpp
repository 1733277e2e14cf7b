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

InstallFolderRemoval removeInstallFolder(const QString& location, const QString& clientName)
{
    InstallFolderRemoval result;
    Platform::FileIdentity judged;
    result.verdict = checkInstallLocation(location, clientName, &judged);
    const QString path = withoutFinalSeparators(removalPath(location));
    if (result.verdict != LocationVerdict::Remove) {
        // Gone only when nothing was recorded, or nothing is there: a
        // relative path would be looked up from the working folder.
        const PathRules rules = hostPathRules();
        result.removed = location.trimmed().isEmpty() ||
                         (isAbsoluteLocation(normalizedPath(location, rules), rules) &&
                          !Platform::entryExists(path));
        return result;
    }
    if (Platform::isLinkOrJunction(path)) {
        // The entry names a link, not the product's folder: removing the
        // link would lose the folder, removing the folder is not what the
        // entry says. Both stay, and so does the entry.
        result.verdict = LocationVerdict::NotOwned;
        return result;
    }
    const QString client = clientInside(path, clientName);
    // By the folder judged: the walk refuses anything else the path may
    // lead to by now.
    result.contents = Platform::removeFolderContents(
        path, client.isEmpty() ? QStringList() : QStringList{client}, judged);
    result.removed = QDir().rmdir(path) || !Platform::entryExists(path);
    return result;
}

} // namespace Engine
