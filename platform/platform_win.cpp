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

QString allUsersDesktop()
{
    return QStringLiteral("C:/Users/Public/Desktop/");
}

QStringList systemFolders()
{
    QStringList folders;
    const char* const variables[] = {
        "SystemRoot",   "windir",      "ProgramFiles", "ProgramFiles(x86)",
        "ProgramW6432", "ProgramData", "PUBLIC",       "SystemDrive"};
    for (const char* variable : variables) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            folders << QDir::fromNativeSeparators(value);
    }
    // Fallbacks for a process started with a stripped environment.
    folders << QStringLiteral("C:/Windows") << QStringLiteral("C:/Program Files")
            << QStringLiteral("C:/Program Files (x86)") << QStringLiteral("C:/Users")
            << QStringLiteral("C:/ProgramData") << QStringLiteral("C:/Users/Public");
    const QString home = QDir::homePath();
    const int slash = home.lastIndexOf(QLatin1Char('/'));
    if (slash > 0)
        folders << home.left(slash); // the Users folder of this machine
    return folders;
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
    QStringList folders;
    for (const char* variable : {"SystemRoot", "windir"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            folders << QDir::fromNativeSeparators(value);
    }
    folders << QStringLiteral("C:/Windows");
    return folders;
}

QStringList userProfileParents()
{
    QStringList folders{QStringLiteral("C:/Users")};
    for (const QString& profile : {QDir::homePath(), qEnvironmentVariable("PUBLIC")}) {
        const int slash = QDir::fromNativeSeparators(profile).lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            folders << QDir::fromNativeSeparators(profile).left(slash);
    }
    return folders;
}

} // namespace Platform
