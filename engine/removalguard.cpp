#include "removalguard.h"

#include "platform/platform.h"
#include "registry/uninstallregistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>

namespace Engine
{

QString normalizedPath(const QString& path, const PathRules& rules)
{
    if (path.isEmpty())
        return QString();
    // Registry values use '\\'; taking it for a separator everywhere only makes
    // the judgement stricter (the resolved path is judged as well).
    QString cleaned = path;
    cleaned.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool network = rules.windows && cleaned.startsWith(QLatin1String("//"));
    cleaned = QDir::cleanPath(cleaned);
    // cleanPath keeps a leading "//" on Windows only; the rules decide, not
    // the system judging.
    if (network && !cleaned.startsWith(QLatin1String("//")) && cleaned.size() > 1)
        cleaned.prepend(QLatin1Char('/'));
    else if (!rules.windows && cleaned.startsWith(QLatin1String("//")))
        cleaned.remove(0, 1);
    // cleanPath keeps the '/' of "C:/" but not of "C:"; make both "C:/".
    if (cleaned.size() == 2 && cleaned.at(1) == QLatin1Char(':'))
        cleaned += QLatin1Char('/');
    return cleaned;
}

bool isRootPath(const QString& normalized)
{
    static const QRegularExpression root(
        QStringLiteral("^(/|[A-Za-z]:/?|//[^/]+/?|//[^/]+/[^/]+/?)$"));
    return root.match(normalized).hasMatch();
}

PathRules hostPathRules()
{
    PathRules rules;
    rules.caseSensitivity = Platform::pathCaseSensitivity();
    rules.windows = Platform::usesDrivePaths();
    return rules;
}

bool isAbsoluteLocation(const QString& normalized, const PathRules& rules)
{
    // Not QDir::isAbsolutePath(): on Windows it takes "C:folder" and "/folder",
    // which depend on the current drive and folder, for absolute.
    if (rules.windows) {
        static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:/"));
        return drive.match(normalized).hasMatch() || normalized.startsWith(QLatin1String("//"));
    }
    return normalized.startsWith(QLatin1Char('/'));
}

bool isUnusualSpelling(const QString& path, const PathRules& rules)
{
    QString slashed = path;
    slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // "//?/", "//./" and "//server/share": verbatim, device and network paths.
    if (slashed.startsWith(QLatin1String("//")))
        return true;
    // A ':' past the drive letter names a stream ("C:/Users::$INDEX_ALLOCATION").
    if (slashed.indexOf(QLatin1Char(':'), 2) >= 0)
        return true;
    // "PROGRA~1", "FERROV~2.EXE": what may be another spelling of a longer
    // name. A longer name with a '~' in it ("Ferrovane~2") is a name.
    static const QRegularExpression shortName(
        QStringLiteral("^(?=[^.]{1,8}(\\.|$))[^.]*~[0-9]+(\\.[^.]{0,3})?$"));
    const QStringList parts = slashed.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("."))
            continue;
        // "Tools/Ferrovane/.." names Tools: never cleaned away.
        if (part == QLatin1String(".."))
            return true;
        // Windows drops a final dot or blank: "Users." is "Users".
        if (part.endsWith(QLatin1Char('.')) || part.endsWith(QLatin1Char(' ')))
            return true;
        if (rules.windows && shortName.match(part).hasMatch())
            return true;
    }
    return false;
}

bool isSameOrAncestor(const QString& candidate, const QString& folder, Qt::CaseSensitivity cs)
{
    if (candidate.isEmpty() || folder.isEmpty())
        return false;
    if (folder.compare(candidate, cs) == 0)
        return true;
    const QString prefix =
        candidate.endsWith(QLatin1Char('/')) ? candidate : candidate + QLatin1Char('/');
    return folder.startsWith(prefix, cs);
}

namespace
{

// What Windows or the big program stores keep on any drive, not only the
// system's: "D:/System Volume Information/…", "E:/Program Files",
// "F:/SteamLibrary/steamapps/common".
bool isSystemFolderOfADrive(const QString& path, Qt::CaseSensitivity cs)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:/"));
    if (!drive.match(path).hasMatch())
        return false;
    const QStringList parts = path.mid(3).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    // Nothing inside these ...
    static const char* const sealedAtRoot[] = {"$Recycle.Bin", "System Volume Information",
                                               "Recovery",     "Boot",
                                               "EFI",          "Windows.old",
                                               "$WINDOWS.~BT", "Config.Msi"};
    for (const char* name : sealedAtRoot)
        if (parts.first().compare(QLatin1String(name), cs) == 0)
            return true;
    // ... and not these themselves, which hold many programs.
    if (parts.size() == 1) {
        static const char* const sharedAtRoot[] = {"Program Files", "Program Files (x86)",
                                                   "ProgramData",   "Games",
                                                   "SteamLibrary",  "Users"};
        for (const char* name : sharedAtRoot)
            if (parts.first().compare(QLatin1String(name), cs) == 0)
                return true;
    }
    const QString last = parts.last();
    const QString beforeLast = parts.size() > 1 ? parts.at(parts.size() - 2) : QString();
    return last.compare(QLatin1String("steamapps"), cs) == 0 ||
           (last.compare(QLatin1String("common"), cs) == 0 &&
            beforeLast.compare(QLatin1String("steamapps"), cs) == 0);
}

bool isProtectedPath(const QString& path, const ProtectedFolders& protectedFolders,
                     const PathRules& rules)
{
    const Qt::CaseSensitivity cs = rules.caseSensitivity;
    for (const QString& folder : protectedFolders.folders) {
        if (isSameOrAncestor(path, normalizedPath(folder, rules), cs))
            return true;
    }
    for (const QString& folder : protectedFolders.sealed) {
        const QString sealed = normalizedPath(folder, rules);
        if (isSameOrAncestor(path, sealed, cs) || isSameOrAncestor(sealed, path, cs))
            return true;
    }
    if (rules.windows && isSystemFolderOfADrive(path, cs))
        return true;
    for (const QString& folder : protectedFolders.profileParents) {
        const QString parent = normalizedPath(folder, rules);
        if (parent.isEmpty() || !isSameOrAncestor(parent, path, cs) ||
            parent.compare(path, cs) == 0)
            continue;
        const int start = parent.endsWith(QLatin1Char('/')) ? parent.size() : parent.size() + 1;
        const int end = path.indexOf(QLatin1Char('/'), start);
        if (end < 0)
            return true; // a profile itself
        // Inside a profile: only in the user's own home.
        const QString profile = path.left(end);
        bool inHome = false;
        for (const QString& ownHome : protectedFolders.home) {
            const QString home = normalizedPath(ownHome, rules);
            inHome =
                inHome || (isSameOrAncestor(profile, home, cs) && isSameOrAncestor(home, path, cs));
        }
        if (!inHome)
            return true;
    }
    return false;
}

} // namespace

LocationVerdict judgeInstallLocation(const QString& written, const QString& resolved,
                                     const ProtectedFolders& protectedFolders,
                                     const PathRules& rules)
{
    if (written.trimmed().isEmpty())
        return LocationVerdict::Empty;
    if (isUnusualSpelling(written, rules))
        return LocationVerdict::Unusual;
    const QString normalized = normalizedPath(written, rules);
    // A relative path would be taken against the working directory, which
    // can be anything (a root, the home folder). Under POSIX rules '\\' is
    // part of a name: "\\folder" is relative, however it reads.
    if (!isAbsoluteLocation(normalized, rules) ||
        (!rules.windows && !written.startsWith(QLatin1Char('/'))))
        return isRootPath(normalized) ? LocationVerdict::Root : LocationVerdict::NotAbsolute;
    if (isRootPath(normalized))
        return LocationVerdict::Root;
    for (const QString& path : {normalized, normalizedPath(resolved, rules)}) {
        if (path.isEmpty())
            continue;
        if (isRootPath(path))
            return LocationVerdict::Root;
        if (isProtectedPath(path, protectedFolders, rules))
            return LocationVerdict::Protected;
    }
    return LocationVerdict::Remove;
}

bool provesOwnership(const LocationFacts& facts)
{
    return facts.clientAtTop || facts.uninstallerAtTop;
}

LocationVerdict judgeOwnership(const QString& location, const LocationFacts& facts,
                               const ProtectedFolders& protectedFolders, const PathRules& rules)
{
    // A protected folder under another name: a bind mount, a second path.
    if (!facts.identities.isEmpty() &&
        protectedFolders.folderIds.contains(facts.identities.first()))
        return LocationVerdict::Protected;
    for (const Platform::FileIdentity& identity : facts.identities)
        if (protectedFolders.sealedIds.contains(identity))
            return LocationVerdict::Protected;
    if (facts.mountPoint)
        return LocationVerdict::OtherFileSystem;
    // Another product that lives in it, by its path or by what the folder
    // is; one above it is fine (a suite's folder may hold ours).
    for (const QString& other : facts.otherEntries) {
        const QString normalized = normalizedPath(other, rules);
        if (isAbsoluteLocation(normalized, rules) &&
            isSameOrAncestor(location, normalized, rules.caseSensitivity))
            return LocationVerdict::Shared;
    }
    if (!facts.identities.isEmpty() && facts.otherIds.contains(facts.identities.first()))
        return LocationVerdict::Shared;
    if (!provesOwnership(facts))
        return LocationVerdict::NotOwned;
    return LocationVerdict::Remove;
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

} // namespace

LocationFacts locationFacts(const QString& location, const QString& clientName,
                            bool uninstallerNamed)
{
    const PathRules rules = hostPathRules();
    LocationFacts facts;
    const QString resolved = Platform::resolvedPath(location);
    // A file, or nothing: nothing to prove.
    if (resolved.isEmpty() || !QFileInfo(resolved).isDir())
        return facts;
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
    facts.mountPoint = Platform::isMountPoint(resolved);
    // As recorded, as resolved, and by what each folder is: another product
    // recorded through a link, a bind mount or a short name lives where its
    // path leads. Network paths only as written: an offline server would
    // keep the removal waiting.
    QHash<QString, Platform::FileIdentity> known;
    for (const QString& other :
         appinstaller::UninstallRegistry::getInstance()->otherProductFolders()) {
        facts.otherEntries << other;
        if (Platform::isRemotePath(other))
            continue;
        const QString resolvedOther = resolvedThroughLinks(other, rules);
        if (resolvedOther.isEmpty())
            continue;
        facts.otherEntries << resolvedOther;
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
        }
    }
    // Windows Installer's products: the folder of any key file of their
    // components in it is theirs. Thousands of records: compared as paths,
    // only those inside looked at further.
    const QString top = normalizedPath(resolved, rules);
    const QString written = normalizedPath(location, rules);
    for (const QString& component : Platform::installerComponentPaths()) {
        const QString path = normalizedPath(component, rules);
        if (!isSameOrAncestor(top, path, rules.caseSensitivity) &&
            !isSameOrAncestor(written, path, rules.caseSensitivity))
            continue;
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            facts.otherEntries << path.left(slash);
    }
    for (const QString& folder : selfAndAncestors(normalizedPath(resolved, rules), rules))
        facts.identities << Platform::fileIdentity(folder);
    return facts;
}

QStringList locationsToProtect(const QStringList& listed, const QString& programFolder,
                               const PathRules& rules)
{
    const QString own = normalizedPath(programFolder, rules);
    // A program started from a root has no folder of its own to spare.
    const bool exempt = !own.isEmpty() && !isRootPath(own);
    QStringList result;
    for (const QString& location : listed) {
        if (!exempt ||
            !isSameOrAncestor(own, normalizedPath(location, rules), rules.caseSensitivity))
            result << location;
    }
    return result;
}

ProtectedFolders protectedFolders()
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
    const PathRules rules = hostPathRules();
    const QString home = Platform::homeFolder();
    QStringList folders{home};
    QStringList listed;
    for (const QStandardPaths::StandardLocation type : userLocations) {
        // The user's own location always; the others Qt lists less the
        // program's folder (see locationsToProtect()).
        folders << QStandardPaths::writableLocation(type);
        listed << QStandardPaths::standardLocations(type);
    }
    const QString programFolder =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    folders << locationsToProtect(listed, programFolder, rules);
    folders << Platform::systemFolders();
    // The desktop shared by all users holds the product's shortcuts, never
    // the product.
    folders << Platform::allUsersDesktop();
    // Nor does a start menu, whose folders many programs share.
    QStringList sealed = Platform::sealedSystemFolders();
    sealed << QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)
           << Platform::allUsersStartMenu();

    // Each as written and as resolved through links and junctions.
    const auto withResolved = [&rules](const QStringList& list) {
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
    };
    ProtectedFolders result;
    result.folders = withResolved(folders);
    result.sealed = withResolved(sealed);
    result.profileParents = withResolved(Platform::userProfileParents());
    result.home = withResolved({home});
    // Identities of what exists: each protected folder and every folder
    // above it, and the sealed ones.
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
    return result;
}

QString removalPath(const QString& location)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(location));
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
    const LocationFacts facts = locationFacts(location.path, clientName, uninstallerNamed);
    if (judged && !facts.identities.isEmpty())
        *judged = facts.identities.first();
    if (factsOut)
        *factsOut = facts;
    return judgeOwnership(location.normalized, facts, folders, rules);
}

LocationVerdict checkInstallLocation(const QString& location, const QString& clientName,
                                     bool uninstallerNamed)
{
    return checkInstallLocation(readInstallLocation(location), clientName, uninstallerNamed);
}

bool isUsableProductName(const QString& name)
{
    if (name.isEmpty() || name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"/\\|?*").contains(c))
            return false;
    }
    return !isWindowsDeviceName(QStringView(name).trimmed());
}

bool isWindowsDeviceName(QStringView name)
{
    QStringView base = name.left(name.indexOf(QLatin1Char('.')));
    while (base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    if (base.size() == 3) {
        for (const char* device : {"CON", "PRN", "AUX", "NUL"})
            if (base.compare(QLatin1String(device), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
    if (base.size() != 4 || (base.left(3).compare(QLatin1String("COM"), Qt::CaseInsensitive) != 0 &&
                             base.left(3).compare(QLatin1String("LPT"), Qt::CaseInsensitive) != 0))
        return false;
    const QChar digit = base.at(3);
    return (digit >= QLatin1Char('0') && digit <= QLatin1Char('9')) || digit == QChar(0xB9) ||
           digit == QChar(0xB2) || digit == QChar(0xB3);
}

bool isSharedStartMenuFolder(const QString& name)
{
    QString bare = name;
    while (bare.endsWith(QLatin1Char('.')) || bare.endsWith(QLatin1Char(' ')))
        bare.chop(1);
    static const char* const shared[] = {"Accessories",
                                         "Accessibility",
                                         "Administrative Tools",
                                         "Ease of Access",
                                         "Maintenance",
                                         "Programs",
                                         "Start Menu",
                                         "Startup",
                                         "System Tools",
                                         "Windows Accessories",
                                         "Windows Administrative Tools",
                                         "Windows Ease of Access",
                                         "Windows PowerShell",
                                         "Windows System",
                                         "Windows Tools",
                                         "Games",
                                         "Tablet PC",
                                         "Chrome Apps",
                                         "Microsoft Office Tools",
                                         "Desktop"};
    for (const char* folder : shared)
        if (bare.compare(QLatin1String(folder), Qt::CaseInsensitive) == 0)
            return true;
    return bare.isEmpty();
}

} // namespace Engine
