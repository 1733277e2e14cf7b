// Windows: the native process snapshot, architecture, registry and folders.

#include "platform.h"
#include "win32native.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace Platform
{

std::vector<ProcessRecord> runningProcesses()
{
    return Win32::snapshotProcesses();
}

NativeName nativeProcessName(const QString& name)
{
    return name.toStdWString();
}

unsigned long long currentProcessId()
{
    return Win32::currentProcessId();
}

int nativeArchitecture()
{
    return Win32::nativeArchitecture();
}

std::unique_ptr<QSettings> openRegistryKey(const QString& keyPath)
{
    return std::make_unique<QSettings>(keyPath, QSettings::NativeFormat);
}

namespace
{

QString knownFolder(Win32::KnownFolder folder, const QString& fallback)
{
    const std::wstring path = Win32::knownFolderPath(folder);
    if (path.empty())
        return fallback;
    return QDir::fromNativeSeparators(QString::fromStdWString(path));
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

namespace
{

FolderLists folderLists()
{
    return windowsFolderLists(homeFolder(),
                              [](const char* variable) { return qEnvironmentVariable(variable); });
}

} // namespace

QStringList systemFolders()
{
    return folderLists().folders;
}

Qt::CaseSensitivity pathCaseSensitivity()
{
    return Qt::CaseInsensitive;
}

namespace
{

std::wstring nativePath(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path)).toStdWString();
}

} // namespace

bool isLinkOrJunction(const QString& path)
{
    return Win32::isLinkEntry(nativePath(path).c_str());
}

bool isLinkOrJunction(const QFileInfo& entry)
{
    // Not QFileInfo::isSymLink(): it is true for .lnk shortcut files and false
    // for junctions, the opposite of what removal needs.
    return isLinkOrJunction(entry.filePath());
}

bool entryExists(const QString& path)
{
    return Win32::entryExists(nativePath(path).c_str());
}

bool removeLink(const QString& path)
{
    return Win32::removeLinkEntry(nativePath(path).c_str());
}

QString resolvedPath(const QString& path)
{
    // GetFinalPathNameByHandle follows junctions and short names too, which
    // QFileInfo::canonicalFilePath() does not.
    const std::wstring resolved = Win32::finalPath(nativePath(path).c_str());
    if (!resolved.empty())
        return QDir::fromNativeSeparators(QString::fromStdWString(resolved));
    return QFileInfo(path).canonicalFilePath();
}

bool usesDrivePaths()
{
    return true;
}

QStringList sealedSystemFolders()
{
    return folderLists().sealed;
}

QStringList userProfileParents()
{
    return folderLists().profileParents;
}

bool scheduleRemovalOnRestart(const QString& path)
{
    return Win32::scheduleRemovalAtRestart(nativePath(path).c_str());
}

bool removeFolderContents(const QString& folder)
{
    return removeFolderContentsByPath(folder);
}

} // namespace Platform
