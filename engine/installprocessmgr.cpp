#include "installprocessmgr.h"

#include "config/appconfigmanager.h"
#include "folderremoval.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"
#include "removalguard.h"
#include "restartremoval.h"
#include "shortcuts.h"
#include "testhold.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QStandardPaths>

namespace appinstaller
{

namespace
{

bool stillThere(const QString& path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

} // namespace

InstallProcessMgr::InstallProcessMgr() = default;

InstallProcessMgr::~InstallProcessMgr() = default;

void InstallProcessMgr::unInstall()
{
    {
        QMutexLocker lock(&m_leftoversMutex);
        m_leftovers.clear();
    }
    // Read before anything goes, the entry that holds it above all.
    const QString strLocation =
        QString::fromStdString(UninstallRegistry::getInstance()->installLocation());

    // QObject::tr: these texts are translated in the "QObject" context.
    emit signalProcess(0, QObject::tr("BeganToUnloadWkJrSaJaAq"));
    // The real-window tests close the window here, with all still to do.
    Engine::holdForTest();
    // The guards refuse an empty location (the working folder), a root, the
    // user's or the system's folders, and never follow a link out.
    const Engine::LocationVerdict verdict = Engine::removeInstallFolder(strLocation);
    if (verdict != Engine::LocationVerdict::Empty && stillThere(strLocation)) {
        // Only a folder the guards allowed is handed on to the next restart.
        const bool bScheduled = verdict == Engine::LocationVerdict::Remove &&
                                Engine::scheduleFolderRemovalOnRestart(strLocation);
        noteLeftover({strLocation, bScheduled});
    }

    emit signalProcess(30, QObject::tr("DeleteShortcutULXVgdVTs"));
    deleteShortcuts();

    emit signalProcess(60, QObject::tr("ClearTheRegistryeuyqTkYHjj"));
    const UninstallRegistry* registry = UninstallRegistry::getInstance();
    const std::string guid = AppConfigManager::getInstance()->getGuid();
    if (!registry->removeEntry(guid) || registry->hasEntry(guid))
        noteLeftover({UninstallRegistry::entryKeyPath(registry->uninstallKeyBase(), guid), false});

    emit signalProcess(100, QObject::tr("Uninstalled"));
}

void InstallProcessMgr::deleteShortcuts()
{
    const AppConfigManager* config = AppConfigManager::getInstance();
    const QVector<Engine::ShortcutTarget> targets = Engine::shortcutTargets(
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        Platform::allUsersDesktop(),
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation),
        QString::fromStdString(config->getSoftwareNameEN()),
        QString::fromLocal8Bit(config->getSoftwareNameCH().c_str()));
    for (const Engine::ShortcutTarget& target : targets) {
        if (target.folder)
            Engine::removeFolderTree(target.path);
        else
            QFile::remove(target.path);
        if (stillThere(target.path))
            noteLeftover({QDir::cleanPath(target.path), false});
    }
}

QVector<LeftoverItem> InstallProcessMgr::leftovers() const
{
    QMutexLocker lock(&m_leftoversMutex);
    return m_leftovers;
}

void InstallProcessMgr::noteLeftover(const LeftoverItem& item)
{
    QMutexLocker lock(&m_leftoversMutex);
    m_leftovers.append(item);
}

} // namespace appinstaller
