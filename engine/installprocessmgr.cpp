#include "installprocessmgr.h"

#include "config/appconfigmanager.h"
#include "folderremoval.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"
#include "removalguard.h"
#include "restartremoval.h"
#include "shortcuts.h"

#include <QDir>
#include <QFile>
#include <QMutexLocker>
#include <QStandardPaths>

namespace appinstaller
{

namespace
{

bool stillThere(const QString& path)
{
    // Not QFileInfo: on Windows it takes any name ending in ".lnk" for a link
    // that is there.
    return Platform::entryExists(path);
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
    // The Chinese name as read, not through the local 8-bit encoding.
    const QString nameEN = QString::fromStdString(config->getSoftwareNameEN());
    const QString nameCH = config->getSoftwareNameCHText();
    QVector<Engine::ShortcutTarget> targets = Engine::shortcutTargets(
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
        Platform::allUsersDesktop(),
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation), nameEN, nameCH);
    // The all-users start menu, where per-machine installs put their folder:
    // its folders under the same names and rules as the user's.
    for (const Engine::ShortcutTarget& target : Engine::shortcutTargets(
             QString(), QString(), Platform::allUsersStartMenu(), nameEN, nameCH))
        if (target.folder)
            targets.append(target);
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
