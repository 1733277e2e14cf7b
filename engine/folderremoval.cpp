#include "folderremoval.h"

#include "config/appconfigmanager.h"
#include "installfolder.h"
#include "platform/platform.h"
#include "verification.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
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

bool removeFolderTree(const QString& path, int* error)
{
    if (error)
        *error = 0;
    if (path.isEmpty())
        return true;
    // With a final separator a link reads as its target's folder.
    const QString target = withoutFinalSeparators(path);
    const QFileInfo info(target);
    if (!info.exists() && !info.isSymLink())
        return true;
    const auto failed = [error](int code) {
        if (error && *error == 0)
            *error = code;
        return false;
    };
    if (Platform::isLinkOrJunction(target))
        return Platform::removeLink(target) || failed(Platform::lastSystemError());
    if (!info.isDir())
        return true;
    Platform::WalkPlan plan;
    plan.folder = target;
    const Platform::FolderRemoval contents = Platform::removeFolderContents(plan);
    if (contents.firstError != 0)
        failed(contents.firstError);
    return (QDir().rmdir(target) || failed(Platform::lastSystemError())) && contents.complete;
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

QStringList ownFilesRelative(const QString& folder, const QStringList& extra)
{
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    const QString top = Platform::resolvedPath(folder);
    if (top.isEmpty() || !QCoreApplication::instance())
        return QStringList();
    QStringList files = extra;
    files << QCoreApplication::applicationFilePath();
    for (const Platform::LoadedImage& image : Platform::loadedImages())
        files << image.path;
    const QString own = QCoreApplication::applicationDirPath();
    const QDir translations(own + QStringLiteral("/translations"));
    for (const QString& name :
         translations.entryList({QStringLiteral("uninstaller_*.qm")}, QDir::Files))
        files << translations.filePath(name);
    files << own + QStringLiteral("/rcc/guiresource.rcc");
    QStringList relative;
    for (const QString& file : files) {
        const QFileInfo info(file);
        // The folder holding it taken where links lead, the name as it is.
        const QString holder = Platform::resolvedPath(info.absolutePath());
        if (holder.isEmpty() || !info.exists() || !isSameOrAncestor(top, holder, cs))
            continue;
        const QString path =
            QDir(top).relativeFilePath(holder + QLatin1Char('/') + info.fileName());
        if (!path.startsWith(QLatin1String("../")) && !relative.contains(path, cs))
            relative << path;
    }
    return relative;
}

namespace
{

// What the verdict rests on, for the record.
QStringList groundsOf(const InstallLocation& location, const LocationFacts& facts,
                      const QString& clientName, bool uninstallerNamed)
{
    QStringList grounds;
    if (location.resolved.isEmpty())
        return grounds;
    grounds << (facts.ownName ? QStringLiteral("its name names the product: a folder of its own")
                              : QStringLiteral("its name does not name the product: a folder "
                                               "that may hold the user's things too"));
    grounds << (facts.clientAtTop
                    ? QStringLiteral("client program found: %1 (at the top)").arg(clientName)
                    : QStringLiteral("client program %1: not at the top").arg(clientName));
    for (const QString& lookalike : facts.lookalikes)
        grounds << QStringLiteral("client program found one folder down (proves nothing): ") +
                       QDir::toNativeSeparators(lookalike);
    grounds << (facts.uninstallerAtTop
                    ? QStringLiteral("this uninstaller, named by the uninstall entry: at the top")
                : uninstallerNamed
                    ? QStringLiteral(
                          "this uninstaller, named by the uninstall entry: not at the top")
                    : QStringLiteral("this uninstaller: not named by the uninstall entry"));
    for (const QString& owner : sharingOwners(location.normalized, facts, hostPathRules()))
        grounds << QStringLiteral("shared with ") + owner;
    return grounds;
}

} // namespace

QStringList goesLast(const QString& top, const QString& clientName, const InstallManifest* manifest,
                     const Platform::FolderRemoval* walked)
{
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    QStringList last;
    for (const QString& client : clientInside(top, clientName))
        if (!client.contains(QLatin1Char('/')) || !manifest || !manifest->used() ||
            manifest->files.contains(manifestKey(client, cs)))
            last << client;
    if (!walked)
        return last;
    const QVector<Platform::FileIdentity> own = ownFilesInside(top);
    for (const QString& path : walked->paths(Platform::EntryStatus::InUse))
        if (own.contains(Platform::fileIdentity(path)))
            last << QDir(top).relativeFilePath(path);
    for (const QString& refused : walked->paths(Platform::EntryStatus::Refused)) {
        const QString name = QDir(top).relativeFilePath(QDir::fromNativeSeparators(refused));
        last.erase(std::remove_if(last.begin(), last.end(),
                                  [&](const QString& entry) {
                                      return QDir::cleanPath(entry).compare(QDir::cleanPath(name),
                                                                            cs) == 0;
                                  }),
                   last.end());
    }
    return last;
}

namespace
{

// With a manifest only what it lists goes, and the uninstaller's own files
// and what goes last with it; without one, everything.
std::unique_ptr<ManifestFilter> walkFilter(const QString& path, const QStringList& last,
                                           const InstallManifest* manifest)
{
    if (!manifest || !manifest->used())
        return nullptr;
    const QStringList own =
        ownFilesRelative(path, {appinstaller::AppConfigManager::configFilePath(), manifest->path});
    return std::make_unique<ManifestFilter>(*manifest, last + own);
}

// After a walk that left only files in use: run from inside the folder, the
// program's own files wait for the restart elsewhere, and what they kept
// (their folders, the client) goes in a second walk. Not when something
// else stays anyway: the entry is kept then, and the uninstaller it names
// must still be there for the next run. A trial run takes them as moved.
void moveOwnFilesAside(InstallFolderRemoval& result, const Platform::WalkPlan& plan)
{
    using Platform::EntryStatus;
    Platform::FolderRemoval& contents = result.contents;
    if (!contents.has(EntryStatus::InUse) || contents.has(EntryStatus::Refused) ||
        contents.has(EntryStatus::OtherFileSystem) || contents.has(EntryStatus::OtherProduct))
        return;
    const QVector<Platform::FileIdentity> own = ownFilesInside(plan.folder);
    if (plan.dryRun) {
        contents.left.erase(std::remove_if(contents.left.begin(), contents.left.end(),
                                           [&own](const Platform::LeftEntry& entry) {
                                               return entry.status == EntryStatus::InUse &&
                                                      own.contains(
                                                          Platform::fileIdentity(entry.path));
                                           }),
                            contents.left.end());
        contents.complete = !contents.leftAnything();
        return;
    }
    result.movedOut = moveOwnFilesOut(plan.folder, contents.paths(EntryStatus::InUse), own);
    if (!result.movedOut.moved.isEmpty())
        contents = Platform::removeFolderContents(plan);
}

// Whose the folder at path is, by what it is: the products whose entries
// record it (or a folder inside it) under whatever path.
QVector<appinstaller::SharingProduct> sealedFolderProducts(const QString& path,
                                                           const LocationFacts& facts)
{
    QVector<appinstaller::SharingProduct> products;
    const Platform::FileIdentity identity = Platform::fileIdentity(path);
    for (const auto& owner : facts.otherIdOwners) {
        const appinstaller::SharingProduct product = facts.otherProducts.value(owner.second);
        if (identity.valid && owner.first == identity && !products.contains(product))
            products << product;
    }
    return products;
}

} // namespace

InstallFolderRemoval removeInstallFolder(const QString& location, const QString& clientName,
                                         const InstallManifest* manifest, bool uninstallerNamed,
                                         bool dryRun, Platform::WalkProgress* progress)
{
    InstallFolderRemoval result;
    result.folder = location;
    result.location = readInstallLocation(location);
    Platform::FileIdentity judged;
    LocationFacts facts;
    result.verdict =
        checkInstallLocation(result.location, clientName, uninstallerNamed, &judged, &facts);
    result.lookalikes = facts.lookalikes;
    result.grounds = groundsOf(result.location, facts, clientName, uninstallerNamed);
    const bool listed = manifest && manifest->used();
    result.sharedWith = sharingProducts(result.location.normalized, facts, hostPathRules());
    result.unprovedAlone = (!provesOwnership(facts) || !facts.ownName) && !listed;
    // Not proved, or not a folder of the product's own: only what a manifest
    // lists goes.
    result.listedOnly = (result.verdict == LocationVerdict::NotOwned ||
                         result.verdict == LocationVerdict::NotOwnFolder) &&
                        listed && judged.valid;
    const QString& path = result.location.path;
    if (!result.walked() && result.verdict != LocationVerdict::NotOwnFolder)
        return result;
    if (Platform::isLinkOrJunction(path)) {
        // The entry names a link, not the product's folder: removing the
        // link would lose the folder, removing the folder is not what the
        // entry says. Both stay, and so does the entry.
        result.verdict = LocationVerdict::NotOwned;
        result.listedOnly = false;
        return result;
    }
    if (!result.walked())
        return result;
    if (listed && !listsAnythingIn(path, *manifest)) {
        result.manifestElsewhere = true;
        result.listedOnly = false;
        return result;
    }
    // Windows keeps the working folder open: it must not be one to remove.
    const QString cwd = QDir::currentPath();
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    if (!dryRun && (cwd.compare(path, cs) == 0 || cwd.startsWith(path + QLatin1Char('/'), cs)))
        QDir::setCurrent(QFileInfo(path).absolutePath());
    // By the folder judged: the walk refuses anything else the path may
    // lead to by now.
    Platform::WalkPlan plan;
    plan.folder = path;
    plan.removeLast = goesLast(path, clientName, manifest);
    plan.expected = judged;
    plan.sealed = facts.otherFolderIds;
    plan.dryRun = dryRun;
    plan.progress = progress;
    const std::unique_ptr<ManifestFilter> filter = walkFilter(path, plan.removeLast, manifest);
    plan.filter = filter.get();
    result.contents = Platform::removeFolderContents(plan);
    moveOwnFilesAside(result, plan);
    for (const QString& sealed : result.contents.paths(Platform::EntryStatus::OtherProduct))
        result.sealedWith.insert(sealed, sealedFolderProducts(sealed, facts));
    result.removed =
        dryRun ? result.contents.complete && !result.contents.has(Platform::EntryStatus::Kept)
               : Platform::removeEmptyFolder(path, judged) || !Platform::entryExists(path);
    return result;
}

} // namespace Engine
