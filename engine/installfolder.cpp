#include "installfolder.h"

#include "platform/platform.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>

namespace Engine
{

namespace
{

QString folderOf(const QString& program)
{
    const int slash =
        std::max(program.lastIndexOf(QLatin1Char('\\')), program.lastIndexOf(QLatin1Char('/')));
    return slash > 0 ? program.left(slash) : QString();
}

QString nameOf(const QString& program)
{
    const int slash =
        std::max(program.lastIndexOf(QLatin1Char('\\')), program.lastIndexOf(QLatin1Char('/')));
    return program.mid(slash + 1);
}

// The deepest folder holding both folders, normalized ("C:\\X\\bin" and
// "C:\\X\\uninstall": "C:/X"); a root when that is all they share, empty
// when not even that. A folder spelled unusually is handed on as written,
// for the guards to refuse: normalizing would hide its "..".
QString holdingFolder(const QString& first, const QString& second, const PathRules& rules)
{
    for (const QString& folder : {first, second})
        if (isUnusualSpelling(folder, rules))
            return folder;
    const QStringList a = normalizedPath(first, rules).split(QLatin1Char('/'));
    const QStringList b = normalizedPath(second, rules).split(QLatin1Char('/'));
    int shared = 0;
    while (shared < a.size() && shared < b.size() &&
           a.at(shared).compare(b.at(shared), rules.caseSensitivity) == 0)
        ++shared;
    if (shared == 0)
        return QString();
    // "/" and "C:/" keep their separator; "//server/share" its two.
    const QString held = a.mid(0, shared).join(QLatin1Char('/'));
    return normalizedPath(
        held.isEmpty() || held.endsWith(QLatin1Char(':')) ? held + QLatin1Char('/') : held, rules);
}

bool isRunningUninstaller(const QString& program)
{
    if (program.isEmpty() || !QCoreApplication::instance())
        return false;
    const Platform::FileIdentity running =
        Platform::fileIdentity(QCoreApplication::applicationFilePath());
    return running == Platform::fileIdentity(removalPath(program));
}

bool holdsClientAtTop(const QString& folder, const QString& clientName)
{
    const QString client = removalPath(folder) + QLatin1Char('/') + clientName;
    return isUsableProductName(clientName) && QFileInfo(client).isFile() &&
           !Platform::isLinkOrJunction(client);
}

} // namespace

RecordedFolder recordedInstallFolder(const appinstaller::EntryRecord& entry,
                                     const QString& clientName, const PathRules& rules,
                                     const RecordedFolderProbe& probe)
{
    using appinstaller::UninstallRegistry;
    RecordedFolder recorded;
    if (!entry.installLocation.trimmed().isEmpty()) {
        recorded.source = FolderSource::InstallLocation;
        recorded.location = entry.installLocation;
        return recorded;
    }
    // The icon is the client program's only when it is named like it.
    const QString icon = UninstallRegistry::commandProgram(entry.displayIcon);
    const QString iconFolder = !icon.isEmpty() && !clientName.isEmpty() &&
                                       nameOf(icon).compare(clientName, rules.caseSensitivity) == 0
                                   ? folderOf(icon)
                                   : QString();
    QString uninstallerFolder;
    for (const QString& command : entry.uninstallCommands) {
        const QString program = UninstallRegistry::commandProgram(command);
        if (!program.isEmpty() && probe.isRunningUninstaller(program)) {
            uninstallerFolder = folderOf(program);
            break;
        }
    }
    if (!iconFolder.isEmpty() && !uninstallerFolder.isEmpty()) {
        recorded.source = FolderSource::Holding;
        recorded.location = holdingFolder(iconFolder, uninstallerFolder, rules);
    } else if (!iconFolder.isEmpty()) {
        recorded.source = FolderSource::ClientIcon;
        recorded.location = iconFolder;
    } else if (!uninstallerFolder.isEmpty()) {
        const QString parent = folderOf(uninstallerFolder);
        // "Ferrovane\uninstall\uninstaller.exe" with "Ferrovane\Ferrovane.exe".
        if (!parent.isEmpty() && !probe.holdsClientAtTop(uninstallerFolder) &&
            !isRootPath(normalizedPath(parent, rules)) && probe.holdsClientAtTop(parent)) {
            recorded.source = FolderSource::UninstallerParent;
            recorded.location = parent;
        } else {
            recorded.source = FolderSource::Uninstaller;
            recorded.location = uninstallerFolder;
        }
    }
    return recorded;
}

RecordedFolder recordedInstallFolder(const appinstaller::EntryRecord& entry,
                                     const QString& clientName)
{
    RecordedFolderProbe probe;
    probe.isRunningUninstaller = &isRunningUninstaller;
    probe.holdsClientAtTop = [&clientName](const QString& folder) {
        return holdsClientAtTop(folder, clientName);
    };
    return recordedInstallFolder(entry, clientName, hostPathRules(), probe);
}

bool entryNamesRunningUninstaller(const appinstaller::EntryRecord& entry)
{
    for (const QString& command : entry.uninstallCommands)
        if (isRunningUninstaller(appinstaller::UninstallRegistry::commandProgram(command)))
            return true;
    return false;
}

QString folderSourceText(FolderSource source)
{
    switch (source) {
    case FolderSource::None:
        return QStringLiteral("nothing in the uninstall entry names it");
    case FolderSource::InstallLocation:
        return QStringLiteral("InstallLocation");
    case FolderSource::ClientIcon:
        return QStringLiteral("the folder of the client program DisplayIcon names");
    case FolderSource::Uninstaller:
        return QStringLiteral("the folder of this uninstaller, which the uninstall command names");
    case FolderSource::Holding:
        return QStringLiteral("the deepest folder holding both the client program DisplayIcon "
                              "names and this uninstaller, which the uninstall command names");
    case FolderSource::UninstallerParent:
        return QStringLiteral("the folder above this uninstaller's, which the uninstall command "
                              "names, holding the client program");
    }
    return QString();
}

} // namespace Engine
