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
    if (!icon.isEmpty() && !clientName.isEmpty() &&
        nameOf(icon).compare(clientName, rules.caseSensitivity) == 0) {
        recorded.source = FolderSource::ClientIcon;
        recorded.location = folderOf(icon);
        return recorded;
    }
    for (const QString& command : entry.uninstallCommands) {
        const QString program = UninstallRegistry::commandProgram(command);
        if (program.isEmpty() || !probe.isRunningUninstaller(program))
            continue;
        const QString folder = folderOf(program);
        const QString parent = folderOf(folder);
        // "Ferrovane\uninstall\uninstaller.exe" with "Ferrovane\Ferrovane.exe".
        if (!parent.isEmpty() && !probe.holdsClientAtTop(folder) &&
            !isRootPath(normalizedPath(parent, rules)) && probe.holdsClientAtTop(parent)) {
            recorded.source = FolderSource::UninstallerParent;
            recorded.location = parent;
        } else {
            recorded.source = FolderSource::Uninstaller;
            recorded.location = folder;
        }
        return recorded;
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

QStringList preInstallEntries(const QVector<QPair<QString, qint64>>& entries,
                              const QVector<qint64>& references)
{
    qint64 earliest = -1;
    qint64 latest = -1;
    for (const qint64 time : references) {
        if (time < 0)
            continue;
        earliest = earliest < 0 ? time : std::min(earliest, time);
        latest = std::max(latest, time);
    }
    QStringList older;
    if (earliest < 0)
        return older;
    // The installer may have written other files of the product a while
    // before the first of the named ones: as long before it as it took to
    // write the named ones counts as the installer's time too.
    const qint64 before = earliest - (latest - earliest);
    for (const auto& entry : entries)
        if (entry.second >= 0 && entry.second < before)
            older << entry.first;
    return older;
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
    case FolderSource::UninstallerParent:
        return QStringLiteral("the folder above this uninstaller's, which the uninstall command "
                              "names, holding the client program");
    }
    return QString();
}

} // namespace Engine
