#include "removalguard.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
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

bool isUnusualSpelling(const QString& path)
{
    QString slashed = path;
    slashed.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // "//?/", "//./" and "//server/share": verbatim, device and network paths.
    if (slashed.startsWith(QLatin1String("//")))
        return true;
    // A ':' past the drive letter names a stream ("C:/Users::$INDEX_ALLOCATION").
    if (slashed.indexOf(QLatin1Char(':'), 2) >= 0)
        return true;
    static const QRegularExpression shortName(QStringLiteral("~[0-9]"));
    const QStringList parts = slashed.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            continue;
        // Windows drops a final dot or blank: "Users." is "Users".
        if (part.endsWith(QLatin1Char('.')) || part.endsWith(QLatin1Char(' ')))
            return true;
        // "PROGRA~1" may be another spelling of "Program Files".
        if (part.contains(shortName))
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
    if (isUnusualSpelling(written))
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
    // The desktop and start menu shared by all users hold the product's
    // shortcuts, never the product.
    folders << Platform::allUsersDesktop() << Platform::allUsersStartMenu();

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
    result.sealed = withResolved(Platform::sealedSystemFolders());
    result.profileParents = withResolved(Platform::userProfileParents());
    result.home = withResolved({home});
    return result;
}

QString removalPath(const QString& location)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(location));
}

LocationVerdict checkInstallLocation(const QString& location)
{
    // Resolve what will really be removed, through every link on the way.
    return judgeInstallLocation(location, Platform::resolvedPath(removalPath(location)),
                                protectedFolders(), hostPathRules());
}

bool isUsableProductName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

} // namespace Engine
