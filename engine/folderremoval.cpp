#include "folderremoval.h"

#include "platform/platform.h"

#include <QCoreApplication>
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

namespace
{

InstallFolderRemoval removeJudged(const QString& location, const QString& clientName,
                                  bool mayDescend, const InstallManifest* manifest)
{
    InstallFolderRemoval result;
    result.folder = location;
    Platform::FileIdentity judged;
    OwnershipProof proof;
    result.verdict = checkInstallLocation(location, clientName, &judged, &proof);
    const QString path = withoutFinalSeparators(removalPath(location));
    if (result.verdict == LocationVerdict::NotOwned && mayDescend && !proof.subfolder.isEmpty()) {
        // "Tools" named, the product in "Tools/Ferrovane": only that goes.
        result.contents =
            removeJudged(path + QLatin1Char('/') + proof.subfolder, clientName, false, manifest)
                .contents;
        return result;
    }
    if (result.verdict != LocationVerdict::Remove)
        return result;
    if (Platform::isLinkOrJunction(path)) {
        // The entry names a link, not the product's folder: removing the
        // link would lose the folder, removing the folder is not what the
        // entry says. Both stay, and so does the entry.
        result.verdict = LocationVerdict::NotOwned;
        return result;
    }
    // By the folder judged: the walk refuses anything else the path may
    // lead to by now.
    const QStringList last = clientInside(path, clientName);
    if (manifest && manifest->used()) {
        const ManifestFilter filter(*manifest, last);
        result.contents = Platform::removeFolderContents(path, last, judged, &filter);
    } else {
        result.contents = Platform::removeFolderContents(path, last, judged);
    }
    result.removed = QDir().rmdir(path) || !Platform::entryExists(path);
    return result;
}

} // namespace

InstallFolderRemoval removeInstallFolder(const QString& location, const QString& clientName,
                                         const InstallManifest* manifest)
{
    const InstallFolderRemoval result = removeJudged(location, clientName, true, manifest);
    switch (result.verdict) {
    case LocationVerdict::Empty:
    case LocationVerdict::Unusual:
    case LocationVerdict::NotAbsolute:
    case LocationVerdict::NotFound:
        break;
    default:
        return result;
    }
    const QString own =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    if (own.isEmpty() || clientInside(own, clientName).isEmpty())
        return result;
    return removeJudged(own, clientName, false, manifest);
}

} // namespace Engine
