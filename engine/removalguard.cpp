#include "removalguard.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <vector>

namespace Engine
{

QString normalizedPath(const QString& path)
{
    if (path.isEmpty())
        return QString();
    // Registry values use '\\'; taking it for a separator everywhere only makes
    // the judgement stricter (the resolved path is judged as well).
    QString cleaned = path;
    cleaned.replace(QLatin1Char('\\'), QLatin1Char('/'));
    cleaned = QDir::cleanPath(cleaned);
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
                     Qt::CaseSensitivity cs)
{
    for (const QString& folder : protectedFolders.folders) {
        if (isSameOrAncestor(path, normalizedPath(folder), cs))
            return true;
    }
    for (const QString& folder : protectedFolders.sealed) {
        const QString sealed = normalizedPath(folder);
        if (isSameOrAncestor(path, sealed, cs) || isSameOrAncestor(sealed, path, cs))
            return true;
    }
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString parent = slash <= 0 ? QString() : path.left(slash);
    for (const QString& folder : protectedFolders.profileParents) {
        if (!parent.isEmpty() && parent.compare(normalizedPath(folder), cs) == 0)
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
    const QString normalized = normalizedPath(written);
    // A relative path would be taken against the working directory, which
    // can be anything (a root, the home folder).
    if (!isAbsoluteLocation(normalized, rules))
        return isRootPath(normalized) ? LocationVerdict::Root : LocationVerdict::NotAbsolute;
    if (isRootPath(normalized))
        return LocationVerdict::Root;
    for (const QString& path : {normalized, normalizedPath(resolved)}) {
        if (path.isEmpty())
            continue;
        if (isRootPath(path))
            return LocationVerdict::Root;
        if (isProtectedPath(path, protectedFolders, rules.caseSensitivity))
            return LocationVerdict::Protected;
    }
    return LocationVerdict::Remove;
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
    // On Windows the data locations also list the program's own folder and its
    // "data" folder. The uninstaller usually lives in the folder it removes,
    // so those two entries are not folders to protect; every other one is,
    // wherever the program was started from.
    QStringList ownFolders;
    if (QCoreApplication::instance()) {
        const QString appDir = normalizedPath(QCoreApplication::applicationDirPath());
        ownFolders << appDir << appDir + QLatin1String("/data");
    }
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();
    const auto isOwnFolder = [&](const QString& folder) {
        for (const QString& own : qAsConst(ownFolders)) {
            if (normalizedPath(folder).compare(own, cs) == 0)
                return true;
        }
        return false;
    };

    QStringList folders;
    folders << QDir::homePath();
    for (const QStandardPaths::StandardLocation type : userLocations) {
        folders << QStandardPaths::writableLocation(type);
        for (const QString& location : QStandardPaths::standardLocations(type)) {
            if (!isOwnFolder(location))
                folders << location;
        }
    }
    folders << Platform::systemFolders();
    // The desktop shared by all users holds the product's shortcuts, never the product.
    folders << Platform::allUsersDesktop();

    // Each as written and as resolved through links and junctions.
    const auto withResolved = [](const QStringList& list) {
        QStringList result;
        for (const QString& folder : list) {
            const QString normalized = normalizedPath(folder);
            if (normalized.isEmpty())
                continue;
            result << normalized;
            const QString resolved = normalizedPath(Platform::resolvedPath(normalized));
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
    return result;
}

namespace
{

// The path the file system is handed: on Linux a '\\' is part of a name.
QString removalPath(const QString& location)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(location));
}

} // namespace

LocationVerdict checkInstallLocation(const QString& location)
{
    if (location.trimmed().isEmpty())
        return LocationVerdict::Empty;
    // What will really be removed must be absolute too (on Linux "\\folder"
    // reads as absolute once '\\' is taken for a separator, but is not).
    const QString path = removalPath(location);
    if (!isAbsoluteLocation(path, hostPathRules()))
        return isRootPath(normalizedPath(location)) ? LocationVerdict::Root
                                                    : LocationVerdict::NotAbsolute;
    // Resolve what will really be removed, through every link on the way.
    return judgeInstallLocation(location, Platform::resolvedPath(path), protectedFolders(),
                                hostPathRules());
}

bool isUsableProductName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

namespace
{

bool removeFile(const QString& path)
{
    if (QFile::remove(path))
        return true;
    // As QDir::removeRecursively(): a read-only file gets its write bit back
    // and is tried once more.
    QFile file(path);
    if (!file.setPermissions(file.permissions() | QFileDevice::WriteOwner))
        return false;
    return file.remove();
}

// Removes what is inside folder, depth first, with a stack of its own rather
// than the call stack: the tree's depth is the file system's to choose, and
// the worker thread's stack is small (1 MiB on Windows).
bool removeContents(const QString& folder)
{
    struct Pending {
        QString path;
        bool entered;
    };
    std::vector<Pending> pending{{folder, false}};
    bool complete = true;
    while (!pending.empty()) {
        if (pending.back().entered) {
            // Everything inside has had its turn; the folder itself is next,
            // except the top one, which the caller removes.
            const QString path = pending.back().path;
            pending.pop_back();
            if (!pending.empty())
                complete = QDir().rmdir(path) && complete;
            continue;
        }
        pending.back().entered = true;
        QDirIterator entries(pending.back().path,
                             QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (entries.hasNext()) {
            const QString path = entries.next();
            const QFileInfo entry = entries.fileInfo();
            if (Platform::isLinkOrJunction(entry))
                complete = Platform::removeLink(path) && complete;
            else if (entry.isDir())
                pending.push_back(Pending{path, false});
            else
                complete = removeFile(path) && complete;
        }
    }
    return complete;
}

} // namespace

bool removeFolderTree(const QString& path)
{
    if (path.isEmpty())
        return true;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (Platform::isLinkOrJunction(path))
        return Platform::removeLink(path);
    if (!info.isDir())
        return true;
    const bool contentsRemoved = removeContents(path);
    return QDir().rmdir(path) && contentsRemoved;
}

LocationVerdict removeInstallFolder(const QString& location)
{
    const LocationVerdict verdict = checkInstallLocation(location);
    if (verdict == LocationVerdict::Remove)
        removeFolderTree(removalPath(location));
    return verdict;
}

} // namespace Engine
