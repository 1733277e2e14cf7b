#include "quietrun.h"

#include "commandline.h"
#include "config/appconfigmanager.h"
#include "engine/installfolder.h"
#include "engine/removalreport.h"
#include "engine/uninstallthread.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"
#include "uninstalllog.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <cstdio>

namespace appinstaller
{

namespace
{

void printError(const QString& text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

QString quoted(const QStringList& arguments)
{
    QStringList parts;
    for (const QString& argument : arguments)
        parts << QLatin1Char('"') + argument + QLatin1Char('"');
    return parts.join(QLatin1Char(' '));
}

// The gates a quiet run passes, as a clicked run does, minus the question.
int quietSequence(UninstallLog& log)
{
    const QString program =
        QString::fromStdString(AppConfigManager::getInstance()->getProgramName());
    if (Platform::isProcessRunning(program)) {
        log.write(QStringLiteral("gate client program: %1 is running: refused").arg(program));
        return QuietExit::ClientRunning;
    }
    log.write(QStringLiteral("gate client program: %1 is not running: passed").arg(program));
    const UninstallRegistry* registry = UninstallRegistry::getInstance();
    const QString entry = UninstallRegistry::entryKeyPath(
        registry->uninstallKeyBase(), AppConfigManager::getInstance()->getGuid());
    if (!registry->isInstalled()) {
        log.write(QStringLiteral("gate installed: no uninstall entry at %1: refused").arg(entry));
        return QuietExit::NotInstalled;
    }
    log.write(QStringLiteral("gate installed: uninstall entry %1: passed").arg(entry));
    if (!windowsInstallerRefusal(log).isEmpty())
        return QuietExit::Incomplete;
    log.write(QStringLiteral("gate confirmation: not asked (quiet run)"));

    UnInstallThread thread(nullptr);
    thread.start(QThread::InheritPriority);
    thread.wait();
    return quietExitStatus(InstallProcessMgr::getInstance()->leftovers());
}

QString statusText(int status)
{
    switch (status) {
    case QuietExit::Done:
        return QStringLiteral("done");
    case QuietExit::RestartNeeded:
        return QStringLiteral("done; the rest goes at the next restart");
    case QuietExit::Incomplete:
        return QStringLiteral("incomplete: something stays, the uninstall entry is kept");
    case QuietExit::NotInstalled:
        return QStringLiteral("not installed");
    case QuietExit::ClientRunning:
        return QStringLiteral("the client program is running");
    }
    return QString();
}

} // namespace

int quietExitStatus(const QVector<LeftoverItem>& leftovers)
{
    if (InstallProcessMgr::exitStatus(leftovers) != 0)
        return QuietExit::Incomplete;
    // The user's own files kept and the manifest's notes ask for nothing.
    const bool scheduled = std::any_of(leftovers.begin(), leftovers.end(),
                                       [](const LeftoverItem& item) { return item.bScheduled; });
    return scheduled ? QuietExit::RestartNeeded : QuietExit::Done;
}

QString openLog(const CommandLine& line, UninstallLog& log)
{
    if (!line.logGiven && !line.quiet)
        return QString();
    // The folder the removal will judge: where the entry records the product.
    QString client = QString::fromStdString(AppConfigManager::getInstance()->getProgramName());
    client.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString location =
        Engine::recordedInstallFolder(UninstallRegistry::getInstance()->entryRecord(),
                                      client.mid(client.lastIndexOf(QLatin1Char('/')) + 1))
            .location;
    // The new log's own name is made when it is created: only its folder is
    // judged before.
    const QString refusal =
        line.logGiven ? UninstallLog::refusal(line.logPath, location)
                      : UninstallLog::insideRefusal(
                            QDir::tempPath() + QLatin1String("/uninstaller.log"), location);
    if (!refusal.isEmpty())
        return refusal;
    QString error;
    const bool opened =
        line.logGiven ? log.open(line.logPath, &error) : log.openNew(QDir::tempPath(), &error);
    return opened ? QString() : error;
}

QString windowsInstallerRefusal(UninstallLog& log)
{
    if (!UninstallRegistry::getInstance()->entryRecord().windowsInstaller) {
        log.write(QStringLiteral("gate installer: not Windows Installer's: passed"));
        return QString();
    }
    const QString guid = QString::fromStdString(AppConfigManager::getInstance()->getGuid());
    log.write(QStringLiteral("gate installer: the entry is Windows Installer's, which keeps its "
                             "own record of the product: refused; remove it with msiexec /x %1")
                  .arg(guid));
    return QObject::tr("InstalledByWindowsInstaller").arg(guid);
}

void logRunStart(UninstallLog& log, bool quiet)
{
    const AppConfigManager* config = AppConfigManager::getInstance();
    log.write(QStringLiteral("uninstaller %1 started, %2 run")
                  .arg(QStringLiteral(UNINSTALLER_VERSION),
                       quiet ? QStringLiteral("quiet") : QStringLiteral("clicked")));
    log.write(QStringLiteral("command line: ") + quoted(QCoreApplication::arguments()));
    log.write(QStringLiteral("product: GUID %1, names \"%2\" and \"%3\", client program \"%4\"")
                  .arg(QString::fromStdString(config->getGuid()),
                       QString::fromStdString(config->getSoftwareNameEN()),
                       config->getSoftwareNameCHText(),
                       QString::fromStdString(config->getProgramName())));
}

int runWithoutWindow()
{
    const CommandLine line = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (line.help) {
        Platform::showText(QObject::tr("CommandLineUsageTitle"), usageText());
        return 0;
    }
    if (!line.error.isEmpty()) {
        printError(line.error);
        return QuietExit::BadArguments;
    }
    UninstallLog log;
    const QString logError = openLog(line, log);
    if (!logError.isEmpty()) {
        printError(logError);
        return QuietExit::BadArguments;
    }
    setRemovalReport(&log);
    logRunStart(log, true);
    const int status = quietSequence(log);
    setRemovalReport(nullptr);
    log.write(QStringLiteral("exit status %1: %2").arg(status).arg(statusText(status)));
    if (!line.logGiven)
        log.write(QStringLiteral("log: ") + QDir::toNativeSeparators(log.path()));
    if (!log.intact())
        printError(QObject::tr("LogPathNotWritable")
                       .arg(QDir::toNativeSeparators(log.path()), QObject::tr("LogWriteFailed")));
    return status;
}

} // namespace appinstaller
