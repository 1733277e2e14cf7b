// Windows' folders: the known folders shared by all users, the folders
// removal leaves alone, and how Windows writes and compares paths.

#include "platform/folders.h"
#include "convert.h"

#include <QDir>
#include <QFileInfo>

namespace Platform
{

using namespace WinConvert;

namespace
{

QString knownFolder(Win32::KnownFolder folder, const QString& fallback)
{
    const std::wstring path = Win32::knownFolderPath(folder);
    if (path.empty())
        return fallback;
    return qtPath(path);
}

FolderLists folderLists()
{
    return windowsFolderLists(homeFolder(),
                              [](const char* variable) { return qEnvironmentVariable(variable); });
}

} // namespace

QString allUsersDesktop()
{
    QString folder =
        knownFolder(Win32::KnownFolder::PublicDesktop, QStringLiteral("C:/Users/Public/Desktop"));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString allUsersStartMenu()
{
    QString folder =
        knownFolder(Win32::KnownFolder::CommonPrograms,
                    QStringLiteral("C:/ProgramData/Microsoft/Windows/Start Menu/Programs"));
    while (folder.size() > 3 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

QString homeFolder()
{
    return QDir::homePath();
}

QStringList systemFolders()
{
    return folderLists().folders;
}

QStringList sealedSystemFolders()
{
    return folderLists().sealed;
}

QStringList userProfileParents()
{
    return folderLists().profileParents;
}

bool usesDrivePaths()
{
    return true;
}

bool isRemotePath(const QString& path)
{
    const QString slashed = QDir::fromNativeSeparators(path);
    if (slashed.startsWith(QLatin1String("//")))
        return true;
    if (slashed.size() < 2 || slashed.at(1) != QLatin1Char(':'))
        return false;
    const QString root = slashed.left(2) + QLatin1Char('\\');
    return Win32::isRemoteDrive(root.toStdWString().c_str());
}

QString resolvedPath(const QString& path)
{
    // GetFinalPathNameByHandle follows junctions and short names too, which
    // QFileInfo::canonicalFilePath() does not.
    const std::wstring resolved = Win32::finalPath(nativePath(path).c_str());
    if (!resolved.empty())
        return qtPath(resolved);
    return QFileInfo(path).canonicalFilePath();
}

Qt::CaseSensitivity pathCaseSensitivity()
{
    return Qt::CaseInsensitive;
}

} // namespace Platform
