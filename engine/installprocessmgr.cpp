#include "installprocessmgr.h"

#include "config/appconfigmanager.h"
#include "folderremoval.h"
#include "installfolder.h"
#include "installmanifest.h"
#include "platform/platform.h"
#include "platform/testhooks.h"
#include "registry/uninstallregistry.h"
#include "removalguard.h"
#include "removalreport.h"
#include "restartremoval.h"
#include "shortcuts.h"
#include "verification.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QStandardPaths>

#include <algorithm>

namespace appinstaller
{

namespace
{

bool stillThere(const QString& path)
{
    return Platform::entryExists(path);
}

LeftoverReason reasonFor(Engine::LocationVerdict verdict, bool listedOnly)
{
    // With a manifest in a folder not proved, what stays is what the system
    // refused of what it lists.
    if (listedOnly)
        return LeftoverReason::NotRemoved;
    switch (verdict) {
    case Engine::LocationVerdict::NotOwned:
        return LeftoverReason::NotProducts;
    case Engine::LocationVerdict::NotOwnFolder:
        return LeftoverReason::NotOwnFolder;
    case Engine::LocationVerdict::Shared:
        return LeftoverReason::Shared;
    case Engine::LocationVerdict::OtherFileSystem:
        return LeftoverReason::OtherFileSystem;
    case Engine::LocationVerdict::Empty:
    case Engine::LocationVerdict::Unusual:
    case Engine::LocationVerdict::NotAbsolute:
    case Engine::LocationVerdict::NotFound:
        return LeftoverReason::NotFound;
    case Engine::LocationVerdict::Remove:
        return LeftoverReason::NotRemoved;
    default:
        return LeftoverReason::Refused;
    }
}

// "notepad.exe (process 4312)": who holds a file left in use, so that the
// user knows what to close; empty when nobody is known to.
QString holdingPrograms(const QString& path)
{
    QStringList holders;
    for (const Platform::FileHolder& holder : Platform::programsHolding(path))
        holders << QStringLiteral("%1 (process %2)").arg(holder.program).arg(holder.pid);
    return holders.join(QStringLiteral(", "));
}

QString holdersText(const QString& path)
{
    const QString programs = holdingPrograms(path);
    return programs.isEmpty() ? QString() : QStringLiteral("open in ") + programs;
}

// Each file of top left in use that a known program holds, with the
// programs: "docs/file1.dat: notepad.exe (process 4312)".
QStringList heldFiles(const QString& top, const QStringList& inUse)
{
    QStringList held;
    for (const QString& path : inUse) {
        const QString programs = holdingPrograms(path);
        if (!programs.isEmpty())
            held << QDir(top).relativeFilePath(path) + QStringLiteral(": ") + programs;
    }
    return held;
}

void reportKept(RemovalEvent::Item item, const QString& path, LeftoverReason reason, int error = 0)
{
    RemovalEvent event{RemovalEvent::Kind::Kept, item, path};
    event.reason = reason;
    event.error = error;
    reportRemoval(event);
}

// The other products as the record names them, those that carry this
// product's own name marked as the entries of an earlier installation.
QVector<SharingProduct> named(QVector<SharingProduct> products)
{
    const AppConfigManager* config = AppConfigManager::getInstance();
    for (SharingProduct& product : products)
        product.earlierEntry =
            isEarlierEntry(product, QString::fromStdString(config->getSoftwareNameEN()),
                           config->getSoftwareNameCHText());
    return products;
}

// Why a folder the walk ran in stays: what the system refused in it, else
// another product's folder or another disk inside it.
LeftoverReason keptFolderReason(const Engine::InstallFolderRemoval& folder, LeftoverReason reason)
{
    using Platform::EntryStatus;
    const Platform::FolderRemoval& contents = folder.contents;
    if (!folder.walked() || contents.has(EntryStatus::Refused) || contents.has(EntryStatus::InUse))
        return reason;
    if (contents.has(EntryStatus::OtherProduct))
        return LeftoverReason::Shared;
    return contents.has(EntryStatus::OtherFileSystem) ? LeftoverReason::OtherFileSystem : reason;
}

// The products whose folders the walk left inside, each once.
QVector<SharingProduct> sealedProducts(const Engine::InstallFolderRemoval& folder)
{
    QVector<SharingProduct> products;
    for (const QVector<SharingProduct>& inside : folder.sealedWith)
        for (const SharingProduct& product : inside)
            if (!products.contains(product))
                products << product;
    return named(products);
}

// "'Other Tool' (its uninstall entry HKEY_…\{…})": whose a folder is, for the log.
QString productsText(const QVector<SharingProduct>& products)
{
    QStringList names;
    for (const SharingProduct& product : products) {
        const QString entry = product.key.isEmpty() ? product.entry : product.key;
        if (product.earlierEntry)
            names << QStringLiteral("the uninstall entry %1 of this product's own name, left by an "
                                    "earlier installation")
                         .arg(entry);
        else
            names
                << (entry.isEmpty() ? QStringLiteral("a product Windows Installer keeps")
                    : product.name.isEmpty()
                        ? QStringLiteral("the uninstall entry %1").arg(entry)
                        : QStringLiteral("'%1' (its uninstall entry %2)").arg(product.name, entry));
    }
    return names.isEmpty() ? QStringLiteral("another product") : names.join(QStringLiteral(", "));
}

// The guards' verdict on the folder judged (the location, or the
// uninstaller's own folder), and the folder when it went.
void reportInstallFolder(const Engine::InstallFolderRemoval& folder)
{
    RemovalEvent verdict{RemovalEvent::Kind::Verdict, RemovalEvent::Item::InstallFolder,
                         folder.folder};
    verdict.verdict = folder.verdict;
    verdict.detail = folder.grounds.join(QLatin1Char('\n'));
    reportRemoval(verdict);
    if (folder.removed)
        reportRemoval(
            {RemovalEvent::Kind::Removed, RemovalEvent::Item::InstallFolder, folder.folder});
}

// What stayed of a folder the guards allowed, or the folder itself when they
// refused it; scheduled is what was handed on to the next restart, all of
// what stayed when everything is set.
void reportFolderLeft(const Engine::InstallFolderRemoval& folder, const QStringList& scheduled,
                      bool everything)
{
    const QString& location = folder.folder;
    if (!folder.walked()) {
        RemovalEvent kept{RemovalEvent::Kind::Kept, RemovalEvent::Item::InstallFolder, location};
        kept.reason = reasonFor(folder.verdict, folder.listedOnly);
        if (kept.reason == LeftoverReason::Shared)
            kept.detail = QStringLiteral("recorded by ") + productsText(named(folder.sharedWith));
        reportRemoval(kept);
        return;
    }
    for (const QString& path : scheduled) {
        RemovalEvent event{RemovalEvent::Kind::Scheduled, RemovalEvent::Item::InFolder, path};
        event.detail = holdersText(path);
        reportRemoval(event);
    }
    if (everything)
        return;
    using Platform::EntryStatus;
    for (const Platform::LeftEntry& left : folder.contents.left) {
        switch (left.status) {
        case EntryStatus::Refused:
            reportKept(RemovalEvent::Item::InFolder, left.path, LeftoverReason::NotRemoved,
                       left.error);
            break;
        case EntryStatus::InUse:
            if (!scheduled.contains(QDir::cleanPath(left.path), Platform::pathCaseSensitivity())) {
                RemovalEvent event{RemovalEvent::Kind::Kept, RemovalEvent::Item::InFolder,
                                   left.path};
                event.reason = LeftoverReason::NotRemoved;
                event.detail = holdersText(left.path);
                reportRemoval(event);
            }
            break;
        case EntryStatus::OtherFileSystem:
            reportKept(RemovalEvent::Item::InFolder, left.path, LeftoverReason::OtherFileSystem);
            break;
        case EntryStatus::OtherProduct: {
            RemovalEvent event{RemovalEvent::Kind::Kept, RemovalEvent::Item::InFolder, left.path};
            event.reason = LeftoverReason::Shared;
            event.detail = QStringLiteral("the folder of ") +
                           productsText(named(folder.sealedWith.value(left.path)));
            reportRemoval(event);
            break;
        }
        case EntryStatus::Kept:
            break; // the user's: told with their reason by the removal step
        }
    }
    RemovalEvent kept{RemovalEvent::Kind::Kept, RemovalEvent::Item::InstallFolder, location};
    kept.reason = keptFolderReason(folder, LeftoverReason::NotRemoved);
    if (kept.reason == LeftoverReason::Shared)
        kept.detail =
            QStringLiteral("inside it, the folder of ") + productsText(sealedProducts(folder));
    reportRemoval(kept);
}

// The install manifest beside the uninstaller, told to the record.
Engine::InstallManifest readManifest()
{
    const QString path = QFileInfo(AppConfigManager::configFilePath()).absolutePath() +
                         QLatin1Char('/') + QLatin1String(Engine::kManifestFileName);
    const Engine::InstallManifest manifest = Engine::readInstallManifest(
        path, QString::fromStdString(AppConfigManager::getInstance()->getGuid()));
    // Reported whole here; the removal step names it on the page.
    RemovalEvent event{RemovalEvent::Kind::Manifest, RemovalEvent::Item::InstallFolder, path};
    event.detail = Engine::manifestStateText(manifest.state);
    if (manifest.used())
        event.detail += QStringLiteral(" (files: %1, folders owned whole: %2)")
                            .arg(manifest.files.size())
                            .arg(manifest.folders.size());
    reportRemoval(event);
    event.kind = RemovalEvent::Kind::ManifestLine;
    for (const Engine::RefusedLine& line : manifest.refused) {
        event.detail = QStringLiteral("line %1 refused: \"%2\": %3")
                           .arg(line.number)
                           .arg(line.text, Engine::manifestProblemText(line.problem));
        reportRemoval(event);
    }
    if (manifest.refusedCount > manifest.refused.size()) {
        event.detail = QStringLiteral("%1 more lines refused")
                           .arg(manifest.refusedCount - manifest.refused.size());
        reportRemoval(event);
    }
    return manifest;
}

// The client program's file name as AppConfig.xml gives it, which may carry
// a folder.
QString clientFileName()
{
    return AppConfigManager::getInstance()->clientFileName();
}

bool isShortcutFile(const QString& name)
{
    return name.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".url"), Qt::CaseInsensitive) ||
           name.compare(QLatin1String("desktop.ini"), Qt::CaseInsensitive) == 0;
}

// Every file in folder and in the folders below it, never entering a link;
// sawLink tells whether one was met.
QFileInfoList filesBelow(const QString& folder, bool& sawLink)
{
    QFileInfoList files;
    QStringList folders{folder};
    sawLink = false;
    for (int i = 0; i < folders.size(); ++i) {
        const QFileInfoList list = QDir(folders.at(i))
                                       .entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : list) {
            if (Platform::isLinkOrJunction(entry))
                sawLink = true;
            else if (entry.isDir())
                folders << entry.filePath();
            else
                files << entry;
        }
    }
    return files;
}

// Whether folder holds nothing but shortcuts, in it or in folders below it.
bool holdsOnlyShortcuts(const QString& folder)
{
    bool sawLink = false;
    const QFileInfoList files = filesBelow(folder, sawLink);
    return !sawLink && std::all_of(files.begin(), files.end(), [](const QFileInfo& file) {
        return isShortcutFile(file.fileName());
    });
}

// Removes the shortcuts inside folder (and its folders), nothing else;
// false when one stays.
bool removeShortcutsIn(const QString& folder)
{
    bool sawLink = false;
    bool removed = true;
    for (const QFileInfo& file : filesBelow(folder, sawLink))
        if (isShortcutFile(file.fileName()) && !QFile::remove(file.filePath()))
            removed = false;
    return removed;
}

} // namespace

struct InstallProcessMgr::FolderStep {
    Engine::InstallFolderRemoval folder; // empty when the manifest kept everything
    QStringList scheduled;               // handed to the next restart
};

InstallProcessMgr::InstallProcessMgr() = default;

InstallProcessMgr::~InstallProcessMgr() = default;

void InstallProcessMgr::unInstall()
{
    {
        QMutexLocker lock(&m_leftoversMutex);
        m_leftovers.clear();
        m_tally = FolderTally();
    }
    // Read before anything goes, the entry that holds it above all.
    const UninstallRegistry* registry = UninstallRegistry::getInstance();
    const EntryRecord entry = registry->entryRecord();
    const Engine::RecordedFolder recorded = Engine::recordedInstallFolder(entry, clientFileName());
    const QString strLocation = recorded.location;
    RemovalEvent located{RemovalEvent::Kind::Location, RemovalEvent::Item::InstallFolder,
                         strLocation};
    located.detail = Engine::folderSourceText(recorded.source);
    reportRemoval(located);
    // It narrows what goes from the install folder, never widens it; one
    // that cannot be trusted keeps all of it.
    const Engine::InstallManifest manifest = readManifest();

    // QObject::tr: these texts are translated in the "QObject" context.
    emit signalProcess(0, QObject::tr("BeganToUnloadWkJrSaJaAq"));
    // The real-window tests close the window here, with all still to do.
    TestHooks::pauseBeforeRemoval();
    FolderStep step;
    const bool bFolderDone = removeFolderStep(recorded, manifest, entry, step);

    emit signalProcess(30, QObject::tr("DeleteShortcutULXVgdVTs"));
    // While the product's folder stays, so do its shortcuts: it stays usable.
    if (bFolderDone)
        deleteShortcuts();
    // Before the entry goes, a look at what it, AppConfig.xml and the
    // manifest name: the run is complete only when none of it is there.
    if (!outcome().incomplete())
        verifyRemoval(entry, manifest, step);

    emit signalProcess(60, QObject::tr("ClearTheRegistryeuyqTkYHjj"));
    const std::string guid = AppConfigManager::getInstance()->getGuid();
    const QString strEntry = UninstallRegistry::entryKeyPath(registry->uninstallKeyBase(), guid);
    // Kept while anything of the product stays: the log, the page and the
    // exit status all read the same leftovers.
    if (outcome().incomplete())
        keep(RemovalEvent::Item::Entry, strEntry, LeftoverReason::EntryKept);
    else if (!m_dryRun && (!registry->removeEntry(guid) || registry->hasEntry(guid)))
        keep(RemovalEvent::Item::Entry, strEntry, LeftoverReason::NotRemoved);
    else
        reportRemoval({RemovalEvent::Kind::Removed, RemovalEvent::Item::Entry, strEntry});

    emit signalProcess(100, QObject::tr("Uninstalled"));
}

bool InstallProcessMgr::removeFolderStep(const Engine::RecordedFolder& recorded,
                                         const Engine::InstallManifest& manifest,
                                         const EntryRecord& entry, FolderStep& step)
{
    if (!manifest.trusted()) {
        // Nothing tells the product's files from the user's: all stays.
        noteLeftover({manifest.path, false,
                      manifest.state == Engine::ManifestState::OtherProduct
                          ? LeftoverReason::ManifestOtherProduct
                          : LeftoverReason::ManifestNotUsed});
        for (const Engine::RefusedLine& line : manifest.refused)
            noteLeftover({QString::number(line.number), false, LeftoverReason::ManifestLineRefused,
                          manifest.path});
        reportKept(RemovalEvent::Item::InstallFolder, recorded.location,
                   LeftoverReason::ManifestNotUsed);
        return false;
    }
    // The bar between 0 and 30 % follows the walk: a percent at most once.
    int iShown = 0;
    Platform::WalkProgress progress(
        [this, &iShown](quint64 done, quint64 total) {
            const int iPercent = total == 0 ? 0 : int(done * 30 / total);
            if (iPercent > iShown && iPercent < 30) {
                iShown = iPercent;
                emit signalFolderProgress(iPercent);
            }
        },
        30);
    // The guards refuse an empty location (the working folder), a root, the
    // user's or the system's folders, a folder that does not prove to be the
    // product's, and never follow a link out.
    step.folder = Engine::removeInstallFolder(recorded.location, clientFileName(), &manifest,
                                              Engine::entryNamesRunningUninstaller(entry), m_dryRun,
                                              &progress);
    const Engine::InstallFolderRemoval& folder = step.folder;
    {
        QMutexLocker lock(&m_leftoversMutex);
        m_tally = {progress.done(), progress.bytes()};
    }
    reportInstallFolder(folder);
    if (folder.manifestElsewhere) {
        // Its lines, relative to this folder, name nothing there: it was
        // written for another, and cannot say what in this one is whose.
        noteLeftover({folder.folder, false, LeftoverReason::ManifestNotFound, manifest.path});
        reportKept(RemovalEvent::Item::InstallFolder, folder.folder,
                   LeftoverReason::ManifestNotFound);
        noteLookalikes(folder);
        return false;
    }
    // The uninstaller's own files, moved out of the folder to wait for the
    // restart where only administrators can write.
    for (const QString& path : folder.movedOut.waiting)
        reportRemoval({RemovalEvent::Kind::Scheduled, RemovalEvent::Item::InFolder, path});
    for (const QString& path : folder.movedOut.stranded)
        keep(RemovalEvent::Item::InFolder, path, LeftoverReason::NotRemoved);
    noteUsersFiles(folder);
    if (folder.productRemoved())
        return true;
    return leaveForRestart(folder, manifest, step.scheduled);
}

void InstallProcessMgr::verifyRemoval(const EntryRecord& entry,
                                      const Engine::InstallManifest& manifest,
                                      const FolderStep& step)
{
    using Platform::EntryStatus;
    const Engine::InstallFolderRemoval& folder = step.folder;
    const bool walked = folder.walked();
    const QString top = walked ? folder.location.path : QString();
    const Engine::NamedEntries named = Engine::namedEntries(
        entry, clientFileName(), top,
        folder.verdict == Engine::LocationVerdict::Remove && !manifest.used(), manifest);
    Engine::LeftByDesign allowed;
    allowed.scheduled = step.scheduled;
    allowed.kept = folder.contents.paths(EntryStatus::Kept);
    Engine::Presence present = &Platform::entryExists;
    // A trial run removed nothing: what its walk would leave, and what lies
    // outside the folder walked, is what would be there.
    QSet<QString> staying;
    QSet<QString> leftAlone;
    if (m_dryRun && walked) {
        const auto key = [](const QString& path) {
            return Engine::manifestKey(QDir::cleanPath(path), Platform::pathCaseSensitivity());
        };
        const QString topKey = key(top);
        if (!folder.removed)
            staying.insert(topKey);
        for (const Platform::LeftEntry& left : folder.contents.left) {
            QString path = key(left.path);
            staying.insert(path);
            leftAlone.insert(path);
            if (left.status == EntryStatus::Kept)
                continue;
            while (path.size() > topKey.size()) {
                path.truncate(path.lastIndexOf(QLatin1Char('/')));
                staying.insert(path);
            }
        }
        present = [&staying, &leftAlone, topKey, key](const QString& path) {
            if (!Platform::entryExists(path))
                return false;
            QString at = key(path);
            if (at != topKey && !at.startsWith(topKey + QLatin1Char('/')))
                return true;
            if (staying.contains(at))
                return true;
            // Inside a folder the walk left unentered (another disk).
            while (at.size() > topKey.size()) {
                at.truncate(at.lastIndexOf(QLatin1Char('/')));
                if (leftAlone.contains(at))
                    return true;
            }
            return false;
        };
    }
    const Engine::Remaining remaining = Engine::stillThere(named, allowed, present);
    for (const QString& path : remaining.paths) {
        const bool inside = !top.isEmpty() && path.startsWith(top + QLatin1Char('/'));
        keep(inside ? RemovalEvent::Item::InFolder : RemovalEvent::Item::InstallFolder, path,
             LeftoverReason::StillThere);
    }
    if (remaining.count > remaining.paths.size()) {
        RemovalEvent event{RemovalEvent::Kind::Note, RemovalEvent::Item::InstallFolder, top};
        event.detail = QStringLiteral("%1 more entries the install manifest names are still there")
                           .arg(remaining.count - remaining.paths.size());
        reportRemoval(event);
    }
}

// What the manifest does not list: the user's, named so that they can
// decide.
void InstallProcessMgr::noteUsersFiles(const Engine::InstallFolderRemoval& folder)
{
    const QString& strTop = folder.location.path;
    const QStringList kept = folder.contents.paths(Platform::EntryStatus::Kept);
    for (const QString& path : kept) {
        reportKept(RemovalEvent::Item::InFolder, path, LeftoverReason::NotListed);
        noteLeftover(
            {QDir(strTop).relativeFilePath(path), false, LeftoverReason::NotListed, strTop});
    }
    if (folder.productRemoved() && !folder.removed) {
        RemovalEvent event{RemovalEvent::Kind::Note, RemovalEvent::Item::InstallFolder, strTop};
        event.detail = (m_dryRun ? QStringLiteral("everything of the product would go; the "
                                                  "install folder %1 would stay for the %2 "
                                                  "entries of the user's")
                                 : QStringLiteral("everything of the product is gone; the "
                                                  "install folder %1 stays for the %2 entries "
                                                  "of the user's"))
                           .arg(QDir::toNativeSeparators(strTop))
                           .arg(kept.size());
        reportRemoval(event);
    }
}

// Only what is in use in a folder the guards allowed is handed on to the
// next restart, one by one, what goes last after it and only when nothing
// else stays; whether all that stays of the product then goes.
bool InstallProcessMgr::leaveForRestart(const Engine::InstallFolderRemoval& folder,
                                        const Engine::InstallManifest& manifest,
                                        QStringList& scheduled)
{
    using Platform::EntryStatus;
    const QString& strTop = folder.location.path;
    const QStringList inUse = folder.contents.paths(EntryStatus::InUse);
    bool bScheduled = false;
    if (folder.walked()) {
        QStringList last;
        for (const QString& name :
             Engine::goesLast(strTop, clientFileName(), &manifest, &folder.contents))
            last << strTop + QLatin1Char('/') + name;
        // What the manifest does not list stays, and is no reason to keep
        // the client.
        scheduled = Engine::scheduleLeftOnRestart(
            strTop, inUse, last, &bScheduled, folder.contents.paths(EntryStatus::Kept), m_dryRun);
        bScheduled = bScheduled && !folder.contents.has(EntryStatus::OtherFileSystem) &&
                     !folder.contents.has(EntryStatus::OtherProduct) &&
                     !(m_dryRun && folder.contents.has(EntryStatus::Refused));
    }
    LeftoverItem left{folder.folder, bScheduled,
                      keptFolderReason(folder, reasonFor(folder.verdict, folder.listedOnly))};
    left.holders = heldFiles(strTop, inUse);
    left.sharedWith = named(folder.sharedWith);
    if (folder.verdict == Engine::LocationVerdict::Remove && left.reason == LeftoverReason::Shared)
        left.sharedWith = sealedProducts(folder);
    left.bUnproved = folder.unprovedAlone;
    noteLeftover(left);
    for (const QString& mount : folder.contents.paths(EntryStatus::OtherFileSystem))
        noteLeftover({mount, false, LeftoverReason::OtherFileSystem});
    for (const QString& other : folder.contents.paths(EntryStatus::OtherProduct)) {
        LeftoverItem sealed{other, false, LeftoverReason::Shared};
        sealed.sharedWith = named(folder.sealedWith.value(other));
        noteLeftover(sealed);
    }
    reportFolderLeft(folder, scheduled, bScheduled);
    if (!bScheduled)
        noteLookalikes(folder);
    return bScheduled;
}

// Where the product seems to be when the entry's folder does not prove to
// be it: a folder inside holding the client, or this uninstaller's own
// folder holding it at its top. Named so that the user can act; never
// removed.
void InstallProcessMgr::noteLookalikes(const Engine::InstallFolderRemoval& folder)
{
    QStringList places = folder.lookalikes;
    if (QCoreApplication::instance()) {
        const QString own = QCoreApplication::applicationDirPath();
        const QString resolvedOwn = Platform::resolvedPath(own);
        if (Engine::clientInside(own, clientFileName()).contains(clientFileName()) &&
            (folder.location.resolved.isEmpty() ||
             Platform::fileIdentity(resolvedOwn) !=
                 Platform::fileIdentity(folder.location.resolved)))
            places << own;
    }
    for (const QString& place : places) {
        noteLeftover({QDir::cleanPath(place), false, LeftoverReason::Lookalike, folder.folder});
        reportKept(RemovalEvent::Item::InstallFolder, QDir::cleanPath(place),
                   LeftoverReason::Lookalike);
    }
}

void InstallProcessMgr::deleteShortcuts()
{
    const AppConfigManager* config = AppConfigManager::getInstance();
    // The Chinese name as read, not through the local 8-bit encoding.
    const QString nameEN = QString::fromStdString(config->getSoftwareNameEN());
    const QString nameCH = config->getSoftwareNameCHText();
    QVector<Engine::ShortcutTarget> targets = Engine::shortcutTargets(
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        Platform::allUsersDesktop(),
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation), nameEN, nameCH);
    // The all-users start menu, where per-machine installs put their folder:
    // its folders under the same names and rules as the user's.
    for (const Engine::ShortcutTarget& target : Engine::shortcutTargets(
             QString(), QString(), Platform::allUsersStartMenu(), nameEN, nameCH))
        if (target.folder)
            targets.append(target);
    for (const Engine::ShortcutTarget& target : targets) {
        if (target.folder)
            removeStartMenuFolder(Engine::withoutFinalSeparators(target.path),
                                  QDir::cleanPath(target.path));
        else
            removeShortcut(target.path);
    }
}

void InstallProcessMgr::removeShortcut(const QString& path)
{
    const QString strPath = QDir::cleanPath(path);
    if (m_dryRun) {
        if (!stillThere(path))
            return;
        // What the real run would meet: a folder by that name, no right to
        // remove it.
        const int iError = Platform::removalRefusal(path);
        if (iError != 0 || (QFileInfo(path).isDir() && !Platform::isLinkOrJunction(path)))
            keep(RemovalEvent::Item::Shortcut, strPath, LeftoverReason::NotRemoved, iError);
        else
            reportRemoval({RemovalEvent::Kind::Removed, RemovalEvent::Item::Shortcut, strPath});
        return;
    }
    const bool bRemoved = QFile::remove(path);
    const int iError = bRemoved ? 0 : Platform::lastSystemError();
    if (stillThere(path))
        keep(RemovalEvent::Item::Shortcut, strPath, LeftoverReason::NotRemoved, iError);
    else if (bRemoved)
        reportRemoval({RemovalEvent::Kind::Removed, RemovalEvent::Item::Shortcut, strPath});
}

// A start-menu folder is the product's only when its name is not one many
// programs share and all it holds are shortcuts; otherwise only the
// shortcuts in it go.
void InstallProcessMgr::removeStartMenuFolder(const QString& folder, const QString& strPath)
{
    if (!stillThere(folder))
        return;
    LeftoverReason reason = LeftoverReason::NotRemoved;
    if (Engine::isSharedStartMenuFolder(QFileInfo(folder).fileName()))
        reason = LeftoverReason::SharedFolder;
    else if (!Platform::isLinkOrJunction(folder) && !holdsOnlyShortcuts(folder))
        reason = LeftoverReason::NotOnlyShortcuts;
    int iError = 0;
    if (m_dryRun) {
        iError = reason == LeftoverReason::NotRemoved ? Platform::removalRefusal(folder) : 0;
        if (reason == LeftoverReason::NotRemoved && iError == 0) {
            reportRemoval(
                {RemovalEvent::Kind::Removed, RemovalEvent::Item::StartMenuFolder, strPath});
            return;
        }
    } else if (reason == LeftoverReason::NotRemoved) {
        Engine::removeFolderTree(folder, &iError);
    } else if (reason == LeftoverReason::NotOnlyShortcuts && !removeShortcutsIn(folder)) {
        iError = Platform::lastSystemError();
        reason = LeftoverReason::NotRemoved;
    }
    if (stillThere(folder))
        keep(RemovalEvent::Item::StartMenuFolder, strPath, reason, iError);
    else
        reportRemoval({RemovalEvent::Kind::Removed, RemovalEvent::Item::StartMenuFolder, strPath});
}

InstallProcessMgr::FolderTally InstallProcessMgr::folderTally() const
{
    QMutexLocker lock(&m_leftoversMutex);
    return m_tally;
}

QVector<LeftoverItem> InstallProcessMgr::leftovers() const
{
    QMutexLocker lock(&m_leftoversMutex);
    return m_leftovers;
}

void InstallProcessMgr::keep(RemovalEvent::Item item, const QString& path, LeftoverReason reason,
                             int error)
{
    noteLeftover({path, false, reason});
    reportKept(item, path, reason, error);
}

void InstallProcessMgr::noteLeftover(const LeftoverItem& item)
{
    QMutexLocker lock(&m_leftoversMutex);
    m_leftovers.append(item);
}

} // namespace appinstaller
