#pragma once

// The product's uninstall entry in HKEY_LOCAL_MACHINE, named by the GUID of
// AppConfig.xml. Stateless: every call opens the key anew.

#include "config/singleton.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <string>

namespace appinstaller
{

// What the product's own entry records about where it lies and how it was
// installed, read once.
struct EntryRecord {
    QString installLocation;       // InstallLocation, unquoted and expanded; may be blank
    QString displayIcon;           // DisplayIcon as written
    QStringList uninstallCommands; // UninstallString, QuietUninstallString as written
    // Windows Installer keeps its own record of the product and its files:
    // WindowsInstaller=1, or an uninstall command that is MsiExec's.
    bool windowsInstaller = false;
};

class UninstallRegistry : public Base::CSingleton<UninstallRegistry>
{
    friend class Base::CSingleton<UninstallRegistry>;

public:
    // "SOFTWARE\\Wow6432Node\\...\\Uninstall\\" on 64-bit Windows (x64,
    // Itanium), "SOFTWARE\\...\\Uninstall\\" otherwise; asked afresh each call.
    std::string uninstallKeyBase() const;

    bool hasEntry(const std::string& guid) const;
    bool isInstalled() const;
    std::string readValue(const std::string& name, const std::string& guid) const;
    std::string installLocation() const;
    // The configured product's entry; all blank when there is none.
    EntryRecord entryRecord() const;
    // Clears every value and subkey of the entry of guid. False when the
    // system refused (no write access); callers that only want it done may
    // ignore that.
    bool removeEntry(const std::string& guid) const;

    // The folders every other product's uninstall entry names (entries
    // named otherwise than the configured GUID): its InstallLocation and
    // InstallSource, and the
    // folders of the programs its UninstallString, QuietUninstallString and
    // DisplayIcon name, as written.
    QStringList otherProductFolders() const;
    // The same with the entry that names each and the value that does.
    struct OtherFolder {
        QString owner;  // the entry's key name
        QString name;   // its DisplayName as shown (displayName()); empty when it has none
        QString value;  // "InstallLocation", "InstallSource", or a program's folder
        QString folder; // as written
        QString key;    // the entry's full key path (Platform::UninstallEntry::keyPath)
    };
    QVector<OtherFolder> otherProductFolderOwners() const;

    // Pure parts, testable without Windows.
    // A recorded InstallLocation as a folder path: one pair of surrounding
    // double quotes dropped, environment variables expanded on Windows.
    static std::string unquotedLocation(const std::string& value);
    // The folder of the program a command line or icon value names:
    // "\"C:\\X\\un.exe\" /S" or "C:\\X Y\\un.exe /S" or "C:\\X\\app.exe,0" give
    // "C:\\X"; empty when it names no folder ("MsiExec.exe /X{...}").
    static QString commandFolder(const QString& command);
    // The program itself: "C:\\X\\un.exe" for the examples above; empty
    // when the command names no folder.
    static QString commandProgram(const QString& command);
    // An uninstall command that hands the removal to Windows Installer
    // ("MsiExec.exe /X{GUID}", "msiexec /I{GUID}").
    static bool isWindowsInstallerCommand(const QString& command);
    // A DisplayName fit to be shown on one line of a log or a page: line
    // breaks and other control characters become spaces, runs of blanks one,
    // and what is longer than 128 characters is cut there with "...". Any
    // program may write one.
    static QString displayName(const QString& value);
    static std::string uninstallKeyBaseFor(int iArchitecture);
    // A GUID that names one entry below the Uninstall key: not empty, not
    // "." or "..", no '\\' or '/'.
    static bool isUsableGuid(const std::string& guid);
    // "HKEY_LOCAL_MACHINE\\" + base + guid
    static QString entryKeyPath(const std::string& base, const std::string& guid);

private:
    UninstallRegistry() = default;
};

} // namespace appinstaller
