// Linux's folders: the user's home and the folders removal leaves alone.

#include "platform/folders.h"

#include <QFile>
#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace Platform
{

QString homeFolder()
{
    // getpwuid_r: the removal runs on a worker thread.
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    QString databaseHome;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir)
        databaseHome = QFile::decodeName(found->pw_dir);
    return homeFrom(qEnvironmentVariable("HOME"), databaseHome);
}

QStringList systemFolders()
{
    return posixFolderLists(homeFolder()).folders;
}

QStringList sealedSystemFolders()
{
    QStringList sealed = posixFolderLists(homeFolder()).sealed;
    // The user's session folders where the environment moves them.
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.startsWith(QLatin1Char('/')))
        sealed << config + QStringLiteral("/autostart");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(QLatin1Char('/')))
        sealed << runtime;
    return sealed;
}

QStringList userProfileParents()
{
    return posixFolderLists(homeFolder()).profileParents;
}

bool usesDrivePaths()
{
    return false;
}

bool isRemotePath(const QString& path)
{
    return path.startsWith(QLatin1String("//")) || path.startsWith(QLatin1String("\\\\"));
}

QString resolvedPath(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

Qt::CaseSensitivity pathCaseSensitivity()
{
    return Qt::CaseSensitive;
}

} // namespace Platform
