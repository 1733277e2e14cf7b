#include "run.h"

#include "uninstalllog.h"

#include "config/appconfigmanager.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"

#include <QDir>
#include <QObject>
#include <QPair>

namespace appinstaller
{

namespace
{

// A gate's outcome: a line of text, or a "gate" event.
void logGate(UninstallLog& log, const char* gate, bool passed, const QString& text,
             const QString& detail = QString())
{
    log.writeEvent(
        QStringLiteral("gate"),
        {{QStringLiteral("gate"), QLatin1String(gate)},
         {QStringLiteral("result"), passed ? QStringLiteral("passed") : QStringLiteral("refused")},
         {QStringLiteral("detail"), detail}},
        {text});
}

bool clientRuns(UninstallLog& log)
{
    const QString program =
        QString::fromStdString(AppConfigManager::getInstance()->getProgramName());
    const std::vector<Platform::RunningProcess> found = Platform::processesRunning(program);
    // Which process and whose, so that whoever reads the log can close it.
    QStringList which;
    for (const Platform::RunningProcess& process : found)
        which << (process.user.isEmpty()
                      ? QStringLiteral("process %1").arg(process.pid)
                      : QStringLiteral("process %1, user %2").arg(process.pid).arg(process.user));
    const bool running = !found.empty();
    logGate(log, "client-program", !running,
            running ? QStringLiteral("gate client program: %1 is running: refused (%2); close it, "
                                     "then run the uninstaller again")
                          .arg(program, which.join(QStringLiteral("; ")))
                    : QStringLiteral("gate client program: %1 is not running: passed").arg(program),
            running ? which.join(QStringLiteral("; ")) : program);
    return running;
}

// The configuration's fault in English for the log, and translated for the user.
QPair<QString, QString> faultText(ConfigFault fault)
{
    switch (fault) {
    case ConfigFault::None:
        break;
    case ConfigFault::Missing:
        return {QStringLiteral("missing"), QObject::tr("ConfigFaultMissing")};
    case ConfigFault::Unreadable:
        return {QStringLiteral("cannot be read"), QObject::tr("ConfigFaultUnreadable")};
    case ConfigFault::NotXml:
        return {QStringLiteral("not XML"), QObject::tr("ConfigFaultNotXml")};
    case ConfigFault::NoGuid:
        return {QStringLiteral("no GUID"), QObject::tr("ConfigFaultNoGuid")};
    case ConfigFault::BadGuid:
        return {QStringLiteral("a GUID that is not in braces"), QObject::tr("ConfigFaultBadGuid")};
    case ConfigFault::TwoGuids:
        return {QStringLiteral("more than one GUID"), QObject::tr("ConfigFaultTwoGuids")};
    case ConfigFault::NoClient:
        return {QStringLiteral("no client program (ProgramName)"),
                QObject::tr("ConfigFaultNoClient")};
    }
    return {};
}

} // namespace

GateResult passGates(UninstallLog& log, const std::function<bool()>& confirm)
{
    const AppConfigManager* config = AppConfigManager::getInstance();
    const QString file = QDir::toNativeSeparators(config->filePath());
    if (config->fault() != ConfigFault::None) {
        const QPair<QString, QString> fault = faultText(config->fault());
        // What exactly, when the file says more than the fault's name.
        const QString what =
            config->faultDetail().isEmpty()
                ? fault.first
                : fault.first + QStringLiteral(" (") + config->faultDetail() + QLatin1Char(')');
        logGate(log, "configuration", false,
                QStringLiteral("gate configuration: %1: %2: refused; nothing is removed; "
                               "reinstall the product or replace the file")
                    .arg(file, what),
                what);
        return {Gate::BadConfiguration, QObject::tr("ConfigurationFault").arg(file, fault.second)};
    }
    logGate(log, "configuration", true, QStringLiteral("gate configuration: %1: passed").arg(file),
            file);
    if (clientRuns(log))
        return {Gate::ClientRunning, QObject::tr("TheClientIsRunningPrnptTrdtT")};
    const UninstallRegistry* registry = UninstallRegistry::getInstance();
    const std::string guid = AppConfigManager::getInstance()->getGuid();
    const QString entry = UninstallRegistry::entryKeyPath(registry->uninstallKeyBase(), guid);
    if (!registry->isInstalled()) {
        logGate(log, "installed", false,
                QStringLiteral("gate installed: no uninstall entry: refused (%1)").arg(entry),
                entry);
        return {Gate::NotInstalled, QObject::tr("ThisSoftwareIsNotCurmXqDCfI")};
    }
    logGate(log, "installed", true,
            QStringLiteral("gate installed: uninstall entry found: passed (%1)").arg(entry), entry);
    if (registry->entryRecord().windowsInstaller) {
        const QString id = QString::fromStdString(guid);
        logGate(log, "installer", false,
                QStringLiteral("gate installer: the entry is Windows Installer's, which keeps "
                               "its own record of the product: refused; remove it with "
                               "msiexec /x %1")
                    .arg(id),
                QStringLiteral("msiexec /x ") + id);
        return {Gate::WindowsInstaller, QObject::tr("InstalledByWindowsInstaller").arg(id)};
    }
    logGate(log, "installer", true,
            QStringLiteral("gate installer: not Windows Installer's: passed"));
    if (!confirm) {
        logGate(log, "confirmation", true,
                QStringLiteral("gate confirmation: not asked (a run without questions)"),
                QStringLiteral("not asked"));
        return {};
    }
    if (!confirm()) {
        logGate(log, "confirmation", false, QStringLiteral("gate confirmation: declined"));
        return {Gate::Declined, QString()};
    }
    logGate(log, "confirmation", true, QStringLiteral("gate confirmation: confirmed"));
    // The client may have been started while the question was open.
    if (clientRuns(log))
        return {Gate::ClientRunning, QObject::tr("TheClientIsRunningPrnptTrdtT")};
    return {};
}

} // namespace appinstaller
