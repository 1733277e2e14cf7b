#pragma once

// An installation of the product for the benchmarks that run the real
// removal in a process of their own: the program's folder with its
// AppConfig.xml, and below a root that serves as HOME and XDG_DATA_HOME the
// install folder, the uninstall entry, the shortcuts under both names on both
// desktops and the start-menu folders.

#include "benchtree.h"

#include "platform/platform.h"
#include "platform/standin/standin.h"
#include "registry/uninstallregistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSettings>
#include <QStringList>

namespace Bench
{

inline QString productGuid()
{
    return QStringLiteral("{5D2A9E47-0C81-4B36-A7F3-91E6D48B2C05}");
}

inline QStringList productNames()
{
    return {QStringLiteral("Ferrovane"), QString::fromUtf8("铁风帆")};
}

// program, the folders of extraFolders (each with the files it holds, under
// its own name) and an AppConfig.xml, in folder.
inline bool stageProgram(const QString& folder, const QString& program,
                         const QStringList& extraFolders = {})
{
    if (!QDir().mkpath(folder))
        return false;
    QStringList copies{program, folder + QLatin1Char('/') + QFileInfo(program).fileName()};
    for (const QString& extra : extraFolders) {
        const QString to = folder + QLatin1Char('/') + QFileInfo(extra).fileName();
        QDir().mkpath(to);
        for (const QString& name : QDir(extra).entryList(QDir::Files))
            copies << extra + QLatin1Char('/') + name << to + QLatin1Char('/') + name;
    }
    for (int i = 0; i + 1 < copies.size(); i += 2) {
        QFile::remove(copies.at(i + 1));
        if (!QFile::copy(copies.at(i), copies.at(i + 1)))
            return false;
    }
    QFile config(folder + QStringLiteral("/AppConfig.xml"));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    const QStringList names = productNames();
    config.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AppConfig>"
                                "<GUID>%1</GUID><SoftwareNameEN>%2</SoftwareNameEN>"
                                "<SoftwareNameCH>%3</SoftwareNameCH>"
                                "<ProgramName>Ferrovane.exe</ProgramName></AppConfig>\n")
                     .arg(productGuid(), names.at(0), names.at(1))
                     .toUtf8());
    return true;
}

struct Installation {
    QString root;
    QString installFolder;
    QString entry;         // the registry stand-in's file for the uninstall entry
    QStringList shortcuts; // the four shortcuts and two start-menu folders
};

inline Installation installationAt(const QString& root)
{
    Installation installation;
    installation.root = root;
    installation.installFolder = root + QStringLiteral("/programs/Ferrovane");
    const QString standin = root + QStringLiteral("/data/appinstaller/windows");
    const std::string base =
        appinstaller::UninstallRegistry::uninstallKeyBaseFor(Platform::nativeArchitecture());
    installation.entry = Platform::standinIniPath(
        standin, appinstaller::UninstallRegistry::entryKeyPath(base, productGuid().toStdString()));
    const QString publicDesktop =
        Platform::standinWindowsPath(standin, QStringLiteral("C:/Users/Public/Desktop/"));
    for (const QString& name : productNames())
        installation.shortcuts << root + QStringLiteral("/home/Desktop/") + name +
                                      QStringLiteral(".lnk");
    for (const QString& name : productNames())
        installation.shortcuts << publicDesktop + name + QStringLiteral(".lnk");
    for (const QString& name : productNames())
        installation.shortcuts << root + QStringLiteral("/data/applications/") + name;
    return installation;
}

inline bool writeSmallFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("shortcut\n") == 9;
}

inline bool stageInstallation(const Installation& installation, int files)
{
    QDir().mkpath(QFileInfo(installation.installFolder).path());
    makeTree(QFile::encodeName(installation.installFolder).toStdString(), files);
    if (!QFileInfo(installation.installFolder).isDir())
        return false;
    for (const QString& path : installation.shortcuts) {
        // A start-menu folder holds one shortcut.
        const QString file =
            path.endsWith(QStringLiteral(".lnk"))
                ? path
                : path + QLatin1Char('/') + QFileInfo(path).fileName() + QStringLiteral(".lnk");
        if (!writeSmallFile(file))
            return false;
    }
    QDir().mkpath(installation.root + QStringLiteral("/config"));
    QDir().mkpath(installation.root + QStringLiteral("/cache"));
    QSettings entry(installation.entry, QSettings::IniFormat);
    entry.setValue(QStringLiteral("DisplayName"), productNames().at(0));
    entry.setValue(QStringLiteral("InstallLocation"), installation.installFolder);
    entry.sync();
    return entry.status() == QSettings::NoError;
}

// The environment of a program that removes installation: its HOME and
// XDG_* folders are the installation's own.
inline QProcessEnvironment environmentOf(const Installation& installation)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), installation.root + QStringLiteral("/home"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"),
                       installation.root + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                       installation.root + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"),
                       installation.root + QStringLiteral("/cache"));
    return environment;
}

// What of the installation is still there: an empty entry counts as gone.
inline QStringList whatIsLeft(const Installation& installation)
{
    QStringList left;
    for (const QString& path : QStringList{installation.installFolder} + installation.shortcuts) {
        const QFileInfo entry(path);
        if (entry.exists() || entry.isSymLink())
            left << path;
    }
    if (QFileInfo::exists(installation.entry) &&
        !QSettings(installation.entry, QSettings::IniFormat).allKeys().isEmpty())
        left << installation.entry;
    return left;
}

} // namespace Bench
