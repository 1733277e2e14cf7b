#include "folderremoval.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>

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

QVector<Platform::FileIdentity> ownFilesInside(const QString& folder)
{
    QVector<Platform::FileIdentity> own;
    const QString top = Platform::resolvedPath(folder);
    for (const Platform::LoadedImage& image : Platform::loadedImages())
        if (isSameOrAncestor(top, Platform::resolvedPath(image.path),
                             Platform::pathCaseSensitivity()))
            own << image.identity;
    return own;
}

namespace
{

InstallFolderRemoval removeJudged(const QString& location, const QString& clientName,
                                  bool mayDescend, const InstallManifest* manifest)
{
    InstallFolderRemoval result;
    result.folder = location;
    result.location = readInstallLocation(location);
    Platform::FileIdentity judged;
    OwnershipProof proof;
    result.verdict = checkInstallLocation(result.location, clientName, &judged, &proof);
    const QString& path = result.location.path;
    if (result.verdict == LocationVerdict::NotOwned && mayDescend && !proof.subfolder.isEmpty()) {
        // "Tools" named, the product in "Tools/Ferrovane": only that goes.
        const InstallFolderRemoval inside =
            removeJudged(path + QLatin1Char('/') + proof.subfolder, clientName, false, manifest);
        result.contents = inside.contents;
        result.movedOut = inside.movedOut;
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
    // Windows keeps the working folder open: it must not be one to remove.
    const QString cwd = QDir::currentPath();
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    if (cwd.compare(path, cs) == 0 || cwd.startsWith(path + QLatin1Char('/'), cs))
        QDir::setCurrent(QFileInfo(path).absolutePath());
    // By the folder judged: the walk refuses anything else the path may
    // lead to by now.
    const QStringList last = clientInside(path, clientName);
    // With a manifest, only what it lists goes, in both walks.
    std::unique_ptr<ManifestFilter> filter;
    if (manifest && manifest->used())
        filter = std::make_unique<ManifestFilter>(*manifest, last);
    result.contents = Platform::removeFolderContents(path, last, judged, filter.get());
    if (!result.contents.inUse.isEmpty() && result.contents.failed.isEmpty() &&
        result.contents.otherFileSystems.isEmpty()) {
        // Run from inside it: the program's own files wait for the restart
        // elsewhere, and what they kept (their folders, the client) goes now.
        // Not when something else stays anyway: the entry is kept then, and
        // the uninstaller it names must still be there for the next run.
        result.movedOut = moveOwnFilesOut(path, result.contents.inUse, ownFilesInside(path));
        if (!result.movedOut.moved.isEmpty())
            result.contents = Platform::removeFolderContents(path, last, judged, filter.get());
    }
    result.removed = Platform::removeEmptyFolder(path, judged) || !Platform::entryExists(path);
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
