#pragma once

// The registry: keys opened by their full path, the uninstall entries of
// every product, and Windows Installer's component records. On Windows the
// native registry; elsewhere the stand-in's INI files (standin/standin.h).

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QSettings;

namespace Platform
{

// Opens a registry key given as its full path ("HKEY_LOCAL_MACHINE\\SOFTWARE\\…").
// On Windows the native registry; elsewhere the INI file standinIniPath() names,
// whose top-level values are the key's values and whose groups its subkeys.
std::unique_ptr<QSettings> openRegistryKey(const QString& keyPath);

// One product's uninstall entry: its key's name and the values that name its
// folders, as recorded.
struct UninstallEntry {
    QString name;
    QString displayName; // DisplayName as written: what Windows lists the product as
    QString installLocation;
    QString installSource; // where its installer ran from (Windows Installer's products)
    // UninstallString, QuietUninstallString and DisplayIcon: command lines
    // and an icon whose programs lie in the product's folders.
    QStringList commands;
    // The key's full path ("HKEY_LOCAL_MACHINE\\SOFTWARE\\…\\Uninstall\\{…}"):
    // where a person finds it in the Registry Editor.
    QString keyPath;
};

// Every uninstall entry the system has: on Windows the subkeys of the
// Uninstall keys of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER in both registry
// views, by their names as Windows keeps them; on the stand-in every entry
// file, one that is a link read from where it leads.
std::vector<UninstallEntry> uninstallEntries();

// Where Windows Installer keeps the key file of every component of every
// product it installed (Installer\UserData\<user>\Components\<component>,
// a value per product holding the path), file paths only ("C:\X\a.dll";
// registry components are left out): what lies there is another product's.
// The stand-in keeps the same record in one file per user,
// Installer/UserData/<user>/Components.ini, a group per component.
QStringList installerComponentPaths();

// A registry string with its %VARIABLE%s expanded as Windows does for
// REG_EXPAND_SZ values (ExpandEnvironmentStrings); unchanged on the stand-in,
// whose values have no such type.
QString expandedRegistryString(const QString& value);

// What a key that is a link reads as (it may lead to another product's
// entry): empty, and every write refused.
std::unique_ptr<QSettings> keyThatIsNoEntry();

} // namespace Platform
