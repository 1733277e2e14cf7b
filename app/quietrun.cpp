#include "quietrun.h"

#include "commandline.h"
#include "config/appconfigmanager.h"
#include "engine/installfolder.h"
#include "engine/removalreport.h"
#include "engine/uninstallthread.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"
#include "run.h"
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

// The gates a quiet run passes, as a clicked run does, minus the question;
// then the removal on its worker thread, as the window runs it.
int quietSequence(UninstallLog& log)
{
    const Gate gate = passGates(log).gate;
    if (gate != Gate::Passed)
        return quietExitStatus(gate);
    UnInstallThread thread(nullptr);
    thread.start(QThread::InheritPriority);
    thread.wait();
    return quietExitStatus(InstallProcessMgr::getInstance()->outcome());
}

} // namespace

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
    case QuietExit::BadConfiguration:
        return QStringLiteral("the configuration file cannot be used; nothing was removed");
    case QuietExit::ClientRunning:
        return QStringLiteral("the client program is running");
    }
    return QString();
}

int quietExitStatus(Gate gate)
{
    switch (gate) {
    case Gate::BadConfiguration:
        return QuietExit::BadConfiguration;
    case Gate::ClientRunning:
        return QuietExit::ClientRunning;
    case Gate::NotInstalled:
        return QuietExit::NotInstalled;
    case Gate::WindowsInstaller:
        return QuietExit::Incomplete;
    case Gate::Declined:
    case Gate::Passed:
        break;
    }
    return QuietExit::Done;
}

int quietExitStatus(const Outcome& outcome)
{
    if (outcome.incomplete())
        return QuietExit::Incomplete;
    return outcome.restartNeeded() ? QuietExit::RestartNeeded : QuietExit::Done;
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
