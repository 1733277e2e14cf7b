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
    const char* const variables[] = {"SystemRoot",        "windir",       "ProgramFiles",
                                     "ProgramFiles(x86)", "ProgramW6432", "ProgramData",
                                     "SystemDrive"};
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

bool isLinkOrJunction(const QString& path)
{
    return Win32::isReparsePoint(
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
}

bool isLinkOrJunction(const QFileInfo& entry)
{
    // Not QFileInfo::isSymLink(): it is true for .lnk shortcut files and false
    // for junctions, the opposite of what removal needs.
    return isLinkOrJunction(entry.filePath());
}

bool removeLink(const QString& path)
{
    return Win32::removeReparsePoint(
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
}

} // namespace Platform
