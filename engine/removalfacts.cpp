#include "removalguard.h"

#include "config/appconfigmanager.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>

// What this machine says about an install location, gathered once for the
// rules of removalrules.cpp.

namespace Engine
{

PathRules hostPathRules()
{
    PathRules rules;
    rules.caseSensitivity = Platform::pathCaseSensitivity();
    rules.windows = Platform::usesDrivePaths();
    return rules;
}

namespace
{

bool isPlainFile(const QString& path)
{
    const QFileInfo entry(path);
    return entry.isFile() && !Platform::isLinkOrJunction(path);
}

} // namespace

QStringList clientInside(const QString& location, const QString& clientName)
{
    QStringList found;
    if (!isUsableProductName(clientName))
        return found;
    if (isPlainFile(location + QLatin1Char('/') + clientName))
        found << clientName;
    const QFileInfoList folders =
        QDir(location).entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& folder : folders) {
        if (Platform::isLinkOrJunction(folder))
            continue;
        const QString relative = folder.fileName() + QLatin1Char('/') + clientName;
        if (isPlainFile(location + QLatin1Char('/') + relative))
            found << relative;
    }
    return found;
}

namespace
{

// A normalized folder, then each folder above it up to its root.
QStringList selfAndAncestors(const QString& folder, const PathRules& rules)
{
    QStringList chain;
    for (QString path = folder; !path.isEmpty();) {
        chain << path;
        if (isRootPath(path))
            break;
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        path = normalizedPath(slash <= 0 ? path.left(slash + 1) : path.left(slash), rules);
    }
    return chain;
}

// An absolute path with its deepest existing folder resolved through links
// and the rest appended as written; empty for a relative path or when
// nothing of it exists.
QString resolvedThroughLinks(const QString& path, const PathRules& rules)
{
    if (!isAbsoluteLocation(normalizedPath(path, rules), rules))
        return QString();
    QString head = removalPath(path);
    QStringList rest;
    while (!head.isEmpty()) {
        const QString resolved = Platform::resolvedPath(head);
        if (!resolved.isEmpty())
            return rest.isEmpty() ? resolved
                                  : resolved + QLatin1Char('/') + rest.join(QLatin1Char('/'));
        const int slash = head.lastIndexOf(QLatin1Char('/'));
        if (slash < 0 || isRootPath(head))
            break;
        rest.prepend(head.mid(slash + 1));
        // A root keeps its '/': "C:" is the drive's current folder.
        const bool root = slash == 0 || (slash == 2 && head.at(1) == QLatin1Char(':'));
        head = head.left(root ? slash + 1 : slash);
    }
    return QString();
}

// The client program and the uninstaller at the top of the folder resolved,
// and the folders one down that hold the client.
void addProgramFacts(LocationFacts& facts, const QString& location, const QString& resolved,
                     const QString& clientName, bool uninstallerNamed)
{
    for (const QString& client : clientInside(resolved, clientName)) {
        const QString place = client.section(QLatin1Char('/'), 0, -2);
        if (place.isEmpty())
            facts.clientAtTop = true;
        else
            facts.lookalikes << QDir(location).filePath(place);
    }
    // The uninstaller proves the folder it lies in, and only when the entry
    // names it: a copy beside other tools is no installer's record.
    if (uninstallerNamed && QCoreApplication::instance()) {
        const QString own = Platform::resolvedPath(QCoreApplication::applicationDirPath());
        facts.uninstallerAtTop =
            !own.isEmpty() && Platform::fileIdentity(own) == Platform::fileIdentity(resolved);
    }
}

// "'Other Tool' (its uninstall entry {…}; InstallLocation: C:\X)", or
// without a DisplayName "the uninstall entry {…} (InstallLocation: C:\X)".
QString ownerText(const appinstaller::UninstallRegistry::OtherFolder& entry)
{
    const QString folder = QDir::toNativeSeparators(entry.folder);
    return entry.name.isEmpty() ? QStringLiteral("the uninstall entry %1 (%2: %3)")
                                      .arg(entry.owner, entry.value, folder)
                                : QStringLiteral("'%1' (its uninstall entry %2; %3: %4)")
                                      .arg(entry.name, entry.owner, entry.value, folder);
}

// The folders other products' uninstall entries record: as recorded, as
// resolved, and by what each folder is. Another product recorded through a
// link, a bind mount or a short name lives where its path leads. Network
// paths only as written: an offline server would keep the removal waiting.
void addOtherEntries(LocationFacts& facts, const PathRules& rules)
{
    QHash<QString, Platform::FileIdentity> known;
    for (const auto& entry :
         appinstaller::UninstallRegistry::getInstance()->otherProductFolderOwners()) {
        const QString& other = entry.folder;
        const QString owner = ownerText(entry);
        facts.otherProducts.insert(owner, {entry.name, entry.owner, entry.key});
        facts.otherEntries << other;
        facts.otherOwners << owner;
        if (Platform::isRemotePath(other))
            continue;
        const QString resolvedOther = resolvedThroughLinks(other, rules);
        if (resolvedOther.isEmpty())
            continue;
        facts.otherEntries << resolvedOther;
        facts.otherOwners << owner;
        const Platform::FileIdentity itself =
            Platform::fileIdentity(normalizedPath(resolvedOther, rules));
        if (itself.valid && !facts.otherFolderIds.contains(itself))
            facts.otherFolderIds << itself;
        for (const QString& folder :
             selfAndAncestors(normalizedPath(resolvedOther, rules), rules)) {
            auto identity = known.find(folder);
            if (identity == known.end())
                identity = known.insert(folder, Platform::fileIdentity(folder));
            if (identity->valid && !facts.otherIds.contains(*identity))
                facts.otherIds << *identity;
            if (identity->valid)
                facts.otherIdOwners.append({*identity, owner});
        }
    }
}

// Windows Installer's products: the folder of any key file of their
// components in the location (as resolved or as written) is theirs.
// Thousands of records: compared as paths, only those inside looked at
// further.
void addInstallerComponents(LocationFacts& facts, const QString& top, const QString& written,
                            const PathRules& rules)
{
    for (const QString& component : Platform::installerComponentPaths()) {
        const QString path = normalizedPath(component, rules);
        if (!isSameOrAncestor(top, path, rules.caseSensitivity) &&
            !isSameOrAncestor(written, path, rules.caseSensitivity))
            continue;
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash > 0) {
            facts.otherEntries << path.left(slash);
            facts.otherOwners << QStringLiteral("Windows Installer's record of a component of "
                                                "another product (%1)")
                                     .arg(QDir::toNativeSeparators(component));
        }
    }
}

} // namespace

QStringList productNames(const QString& clientName)
{
    QStringList names;
    const auto* config = appinstaller::AppConfigManager::getInstance();
    names << QString::fromStdString(config->getSoftwareNameEN()) << config->getSoftwareNameCHText();
    const QString client = appinstaller::AppConfigManager::lastName(clientName);
    const int dot = client.lastIndexOf(QLatin1Char('.'));
    names << (dot > 0 ? client.left(dot) : client);
    names.removeAll(QString());
    return names;
}

LocationFacts locationFacts(const QString& location, const QString& clientName,
                            bool uninstallerNamed, const QStringList& names)
{
    const PathRules rules = hostPathRules();
    LocationFacts facts;
    const QString resolved = Platform::resolvedPath(location);
    // A file, or nothing: nothing to prove.
    if (resolved.isEmpty() || !QFileInfo(resolved).isDir())
        return facts;
    addProgramFacts(facts, location, resolved, clientName, uninstallerNamed);
    // Named after the product both as the entry writes it and as it is:
    // a link named like the product may lead to a folder of the user's.
    const QString writtenPath = normalizedPath(location, rules);
    const QString resolvedPath = normalizedPath(resolved, rules);
    facts.ownName = !isRootPath(writtenPath) && !isRootPath(resolvedPath) &&
                    namesProduct(writtenPath.section(QLatin1Char('/'), -1), names) &&
                    namesProduct(resolvedPath.section(QLatin1Char('/'), -1), names);
    facts.mountPoint = Platform::isMountPoint(resolved);
    addOtherEntries(facts, rules);
    addInstallerComponents(facts, normalizedPath(resolved, rules), normalizedPath(location, rules),
                           rules);
    for (const QString& folder : selfAndAncestors(normalizedPath(resolved, rules), rules))
        facts.identities << Platform::fileIdentity(folder);
    return facts;
}

QVector<appinstaller::SharingProduct>
sharingProducts(const QString& location, const LocationFacts& facts, const PathRules& rules)
{
    QVector<appinstaller::SharingProduct> products;
    const auto add = [&products](const appinstaller::SharingProduct& product) {
        if (!products.contains(product))
            products << product;
    };
    for (const QString& owner : sharingOwners(location, facts, rules)) {
        if (facts.otherProducts.contains(owner)) {
            add(facts.otherProducts.value(owner));
            continue;
        }
        // Known by what the folder is: whose folder that is.
        const int before = products.size();
        for (const auto& identity : facts.otherIdOwners)
            if (!facts.identities.isEmpty() && identity.first == facts.identities.first())
                add(facts.otherProducts.value(identity.second));
        if (products.size() == before)
            add({});
    }
    return products;
}

namespace
{

// The user's folders: home, each standard location of the user's, and those
// Qt lists less the program's own folder (see locationsToProtect()).
QStringList userFolders(const QString& home, const PathRules& rules)
{
    static const QStandardPaths::StandardLocation userLocations[] = {
        QStandardPaths::HomeLocation,          QStandardPaths::DesktopLocation,
        QStandardPaths::DocumentsLocation,     QStandardPaths::DownloadLocation,
        QStandardPaths::PicturesLocation,      QStandardPaths::MusicLocation,
        QStandardPaths::MoviesLocation,        QStandardPaths::ApplicationsLocation,
        QStandardPaths::AppDataLocation,       QStandardPaths::AppLocalDataLocation,
        QStandardPaths::GenericDataLocation,   QStandardPaths::ConfigLocation,
        QStandardPaths::GenericConfigLocation, QStandardPaths::AppConfigLocation,
        QStandardPaths::CacheLocation,         QStandardPaths::GenericCacheLocation,
        QStandardPaths::TempLocation,          QStandardPaths::FontsLocation,
    };
    QStringList folders{home};
    QStringList listed;
    for (const QStandardPaths::StandardLocation type : userLocations) {
        folders << QStandardPaths::writableLocation(type);
        listed << QStandardPaths::standardLocations(type);
    }
    const QString programFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    folders << locationsToProtect(listed, programFolder, rules);
    return folders;
}

// Each folder as written and as resolved through links and junctions.
QStringList withResolved(const QStringList& list, const PathRules& rules)
{
    QStringList result;
    for (const QString& folder : list) {
        const QString normalized = normalizedPath(folder, rules);
        if (normalized.isEmpty())
            continue;
        result << normalized;
        const QString resolved = normalizedPath(Platform::resolvedPath(normalized), rules);
        if (!resolved.isEmpty() && resolved != normalized)
            result << resolved;
    }
    result.removeDuplicates();
    return result;
}

// Identities of what exists: each protected folder and every folder above
// it, and the sealed ones.
void addIdentities(ProtectedFolders& result, const PathRules& rules)
{
    for (const QString& folder : result.folders) {
        for (const QString& path : selfAndAncestors(folder, rules)) {
            const Platform::FileIdentity identity = Platform::fileIdentity(path);
            if (identity.valid && !result.folderIds.contains(identity))
                result.folderIds << identity;
        }
    }
    for (const QString& folder : result.sealed) {
        const Platform::FileIdentity identity = Platform::fileIdentity(folder);
        if (identity.valid)
            result.sealedIds << identity;
    }
}

} // namespace

ProtectedFolders protectedFolders()
{
    const PathRules rules = hostPathRules();
    const QString home = Platform::homeFolder();
    QStringList folders = userFolders(home, rules);
    folders << Platform::systemFolders();
    // The desktop shared by all users holds the product's shortcuts, never
    // the product.
    folders << Platform::allUsersDesktop();
    // Nor does a start menu, whose folders many programs share.
    QStringList sealed = Platform::sealedSystemFolders();
    sealed << QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)
           << Platform::allUsersStartMenu();
    ProtectedFolders result;
    result.folders = withResolved(folders, rules);
    result.sealed = withResolved(sealed, rules);
    result.profileParents = withResolved(Platform::userProfileParents(), rules);
    result.home = withResolved({home}, rules);
    addIdentities(result, rules);
    return result;
}

InstallLocation readInstallLocation(const QString& recorded)
{
    InstallLocation location;
    location.recorded = recorded;
    location.path = removalPath(recorded);
    location.resolved = Platform::resolvedPath(location.path);
    location.normalized = normalizedPath(location.resolved, hostPathRules());
    return location;
}

LocationVerdict checkInstallLocation(const InstallLocation& location, const QString& clientName,
                                     bool uninstallerNamed, Platform::FileIdentity* judged,
                                     LocationFacts* factsOut)
{
    // What will really be removed, resolved through every link on the way.
    const PathRules rules = hostPathRules();
    const ProtectedFolders folders = protectedFolders();
    const LocationVerdict verdict =
        judgeInstallLocation(location.recorded, location.resolved, folders, rules);
    if (verdict != LocationVerdict::Remove)
        return verdict;
    // Not there, or not to be reached: not proof that it went.
    if (location.resolved.isEmpty())
        return LocationVerdict::NotFound;
    const LocationFacts facts =
        locationFacts(location.path, clientName, uninstallerNamed, productNames(clientName));
    if (judged && !facts.identities.isEmpty())
        *judged = facts.identities.first();
    if (factsOut)
        *factsOut = facts;
    return judgeOwnership(location.normalized, facts, folders, rules);
}

} // namespace Engine
