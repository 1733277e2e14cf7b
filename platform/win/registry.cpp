// The native registry: keys through QSettings, the uninstall entries and
// component records read by the Win32 calls.

#include "platform/registry.h"
#include "native/win32native.h"

#include <QSettings>

namespace Platform
{

std::unique_ptr<QSettings> openRegistryKey(const QString& keyPath)
{
    if (Win32::isRegistryLink(keyPath.toStdWString())) {
        return keyThatIsNoEntry();
    }
    return std::make_unique<QSettings>(keyPath, QSettings::NativeFormat);
}

QString expandedRegistryString(const QString& value)
{
    // QSettings hands a REG_EXPAND_SZ value back as stored.
    if (!value.contains(QLatin1Char('%')))
        return value;
    return QString::fromStdWString(Win32::expandEnvironmentStrings(value.toStdWString()));
}

std::vector<UninstallEntry> uninstallEntries()
{
    // Not through QSettings: it swaps '/' and '\\' in key names, so an entry
    // named with a '/' could not be read.
    std::vector<UninstallEntry> entries;
    for (const Win32::UninstallValues& values : Win32::uninstallEntries()) {
        QStringList commands;
        for (const std::wstring& command :
             {values.uninstallString, values.quietUninstallString, values.displayIcon})
            commands << QString::fromStdWString(command);
        entries.push_back({QString::fromStdWString(values.name),
                           QString::fromStdWString(values.displayName),
                           QString::fromStdWString(values.installLocation),
                           QString::fromStdWString(values.installSource), commands,
                           QString::fromStdWString(values.keyPath)});
    }
    return entries;
}

QStringList installerComponentPaths()
{
    QStringList paths;
    for (const std::wstring& path : Win32::installerComponentPaths())
        paths << QString::fromStdWString(path);
    return paths;
}

} // namespace Platform
