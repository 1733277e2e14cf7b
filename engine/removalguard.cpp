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

LocationVerdict judgeInstallLocation(const QString& written, const QString& resolved,
                                     const QStringList& protectedFolders, Qt::CaseSensitivity cs)
{
    if (written.trimmed().isEmpty())
        return LocationVerdict::Empty;
    const QString paths[] = {normalizedPath(written), normalizedPath(resolved)};
    // A relative path would be taken against the working directory, which
    // can be anything (a root, the home folder).
    if (!QDir::isAbsolutePath(paths[0]) || paths[0].startsWith(QLatin1String("./")) ||
        paths[0] == QLatin1String(".") || paths[0].startsWith(QLatin1String("..")))
        return isRootPath(paths[0]) ? LocationVerdict::Root : LocationVerdict::NotAbsolute;
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        if (isRootPath(path))
            return LocationVerdict::Root;
        for (const QString& folder : protectedFolders) {
            if (isSameOrAncestor(path, normalizedPath(folder), cs))
                return LocationVerdict::Protected;
        }
    }
    return LocationVerdict::Remove;
}

QStringList protectedFolders()
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
    // On Windows the data locations list the program's own folder too. The
    // uninstaller usually lives in the folder it removes, so that one is not
    // a folder to protect (the home and system folders above it still are).
    const QString appDir = QCoreApplication::instance()
                               ? normalizedPath(QCoreApplication::applicationDirPath())
                               : QString();
    const Qt::CaseSensitivity cs = Platform::pathCaseSensitivity();

    QStringList folders;
    folders << QDir::homePath();
    for (const QStandardPaths::StandardLocation type : userLocations) {
        for (const QString& location : QStandardPaths::standardLocations(type)) {
            if (!appDir.isEmpty() && isSameOrAncestor(appDir, normalizedPath(location), cs))
                continue;
            folders << location;
        }
    }
    folders << Platform::systemFolders();
    // The desktop shared by all users holds the product's shortcuts, never the product.
    folders << Platform::allUsersDesktop();

    QStringList result;
    for (const QString& folder : qAsConst(folders)) {
        const QString normalized = normalizedPath(folder);
        if (normalized.isEmpty())
            continue;
        result << normalized;
        const QString canonical = QFileInfo(normalized).canonicalFilePath();
        if (!canonical.isEmpty() && canonical != normalized)
            result << normalizedPath(canonical);
    }
    result.removeDuplicates();
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
    // Resolve what will really be removed, through every link on the way.
    const QString resolved = location.trimmed().isEmpty()
                                 ? QString()
                                 : QFileInfo(removalPath(location)).canonicalFilePath();
    return judgeInstallLocation(location, resolved, protectedFolders(),
                                Platform::pathCaseSensitivity());
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
    if (Platform::isLinkOrJunction(path))
        return Platform::removeLink(path);
    if (!QFileInfo(path).isDir())
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
