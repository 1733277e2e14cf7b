#include "removalguard.h"

#include <QDir>
#include <QRegularExpression>

// The pure rules of what may be removed: no file system, no registry.

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

QString comparableName(const QString& name)
{
    QString comparable;
    for (const QChar c : name.normalized(QString::NormalizationForm_KC).toCaseFolded())
        if (c.isLetterOrNumber())
            comparable += c;
    return comparable;
}

bool namesProduct(const QString& folderName, const QStringList& names)
{
    // What may follow the product's name in a folder made for it: a version.
    static const QRegularExpression version(QStringLiteral("^(v|version)?[0-9]+$"));
    const QString folder = comparableName(folderName);
    if (folder.isEmpty())
        return false;
    for (const QString& name : names) {
        const QString product = comparableName(name);
        if (product.isEmpty() || !folder.startsWith(product))
            continue;
        const QString rest = folder.mid(product.size());
        if (rest.isEmpty() || version.match(rest).hasMatch())
            return true;
    }
    return false;
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
    // The product is in it, but the folder may be the user's too (installed
    // into "Tools"): only a folder made for the product goes whole.
    if (!facts.ownName)
        return LocationVerdict::NotOwnFolder;
    return LocationVerdict::Remove;
}

QStringList sharingOwners(const QString& location, const LocationFacts& facts,
                          const PathRules& rules)
{
    QStringList owners;
    for (int i = 0; i < facts.otherEntries.size(); ++i) {
        const QString normalized = normalizedPath(facts.otherEntries.at(i), rules);
        if (isAbsoluteLocation(normalized, rules) &&
            isSameOrAncestor(location, normalized, rules.caseSensitivity) &&
            !owners.contains(facts.otherOwners.value(i)))
            owners << facts.otherOwners.value(i);
    }
    if (owners.isEmpty() && !facts.identities.isEmpty() &&
        facts.otherIds.contains(facts.identities.first()))
        owners << QStringLiteral("another product's folder under another path");
    return owners;
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

QString removalPath(const QString& location)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(location));
}

} // namespace Engine
