#include "run.h"

#include "uninstalllog.h"

#include "config/appconfigmanager.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"

#include <QObject>

namespace appinstaller
{

namespace
{

bool clientRuns(UninstallLog& log)
{
    const QString program =
        QString::fromStdString(AppConfigManager::getInstance()->getProgramName());
    const bool running = Platform::isProcessRunning(program);
    log.write(QStringLiteral("gate client program: %1 is %2")
                  .arg(program, running ? QStringLiteral("running: refused")
                                        : QStringLiteral("not running: passed")));
    return running;
}

} // namespace

GateResult passGates(UninstallLog& log, const std::function<bool()>& confirm)
{
    if (clientRuns(log))
        return {Gate::ClientRunning, QObject::tr("TheClientIsRunningPrnptTrdtT")};
    const UninstallRegistry* registry = UninstallRegistry::getInstance();
    const std::string guid = AppConfigManager::getInstance()->getGuid();
    const QString entry = UninstallRegistry::entryKeyPath(registry->uninstallKeyBase(), guid);
    if (!registry->isInstalled()) {
        log.write(QStringLiteral("gate installed: no uninstall entry: refused (%1)").arg(entry));
        return {Gate::NotInstalled, QObject::tr("ThisSoftwareIsNotCurmXqDCfI")};
    }
    log.write(QStringLiteral("gate installed: uninstall entry found: passed (%1)").arg(entry));
    if (registry->entryRecord().windowsInstaller) {
        const QString id = QString::fromStdString(guid);
        log.write(QStringLiteral("gate installer: the entry is Windows Installer's, which keeps "
                                 "its own record of the product: refused; remove it with "
                                 "msiexec /x %1")
                      .arg(id));
        return {Gate::WindowsInstaller, QObject::tr("InstalledByWindowsInstaller").arg(id)};
    }
    log.write(QStringLiteral("gate installer: not Windows Installer's: passed"));
    if (!confirm) {
        log.write(QStringLiteral("gate confirmation: not asked (quiet run)"));
        return {};
    }
    if (!confirm()) {
        log.write(QStringLiteral("gate confirmation: declined"));
        return {Gate::Declined, QString()};
    }
    log.write(QStringLiteral("gate confirmation: confirmed"));
    // The client may have been started while the question was open.
    if (clientRuns(log))
        return {Gate::ClientRunning, QObject::tr("TheClientIsRunningPrnptTrdtT")};
    return {};
}

} // namespace appinstaller
