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
#include <QJsonArray>
#include <QSysInfo>

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
    const Outcome outcome = InstallProcessMgr::getInstance()->outcome();
    logNextSteps(log, outcome);
    return quietExitStatus(outcome);
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

namespace
{

// The folder the removal will judge: where the entry records the product.
QString recordedLocation()
{
    return Engine::recordedInstallFolder(UninstallRegistry::getInstance()->entryRecord(),
                                         AppConfigManager::getInstance()->clientFileName())
        .location;
}

} // namespace

bool openDefaultLog(UninstallLog& log)
{
    const QString location = recordedLocation();
    for (const QString& folder : UninstallLog::defaultFolders()) {
        // Its own name is made when it is created: only its folder is judged.
        if (UninstallLog::insideRefusal(folder + QLatin1String("/uninstaller.log"), location)
                .isEmpty() &&
            log.openNew(folder, nullptr))
            return true;
    }
    return false;
}

QString openLog(const CommandLine& line, UninstallLog& log)
{
    if (!line.logGiven) {
        // A clicked run opens its own once the gates have been passed
        // (startup.cpp): here it would read the registry before the client
        // program's gate.
        if (!line.unattended() || openDefaultLog(log))
            return QString();
        return QObject::tr("LogPathNotWritable")
            .arg(QDir::toNativeSeparators(QDir::tempPath()), QObject::tr("LogWriteFailed"));
    }
    QString error = UninstallLog::refusal(line.logPath, recordedLocation(), log.format());
    if (error.isEmpty() && log.open(line.logPath, &error))
        return QString();
    // The refusal is recorded all the same, where every run's log goes.
    if (openDefaultLog(log))
        log.write(QStringLiteral("log %1 refused: %2")
                      .arg(QDir::toNativeSeparators(line.logPath), error));
    return error;
}

void logRunStart(UninstallLog& log, const CommandLine& line)
{
    const AppConfigManager* config = AppConfigManager::getInstance();
    // Where and as whom: a log collected from many machines tells them apart.
    QString user = qEnvironmentVariable("USERNAME");
    for (const char* name : {"USER", "LOGNAME"})
        if (user.isEmpty())
            user = qEnvironmentVariable(name);
    if (user.isEmpty())
        user = QStringLiteral("?");
    const QString program = QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
    const QString mode = (line.quiet     ? QStringLiteral("quiet")
                          : line.passive ? QStringLiteral("passive")
                                         : QStringLiteral("clicked")) +
                         (log.trialRun() ? QStringLiteral(" trial") : QString());
    const QString guid = QString::fromStdString(config->getGuid());
    const QString nameEN = QString::fromStdString(config->getSoftwareNameEN());
    const QString client = QString::fromStdString(config->getProgramName());
    QJsonObject fields;
    fields.insert(QStringLiteral("version"), QStringLiteral(UNINSTALLER_VERSION));
    fields.insert(QStringLiteral("mode"), mode);
    fields.insert(QStringLiteral("host"), QSysInfo::machineHostName());
    fields.insert(QStringLiteral("user"), user);
    fields.insert(QStringLiteral("os"), QSysInfo::prettyProductName());
    fields.insert(QStringLiteral("kernel"),
                  QString(QSysInfo::kernelType() + QLatin1Char(' ') + QSysInfo::kernelVersion()));
    fields.insert(QStringLiteral("process"), QCoreApplication::applicationPid());
    fields.insert(QStringLiteral("program"), program);
    fields.insert(QStringLiteral("architecture"), QSysInfo::buildCpuArchitecture());
    fields.insert(QStringLiteral("qt"), QStringLiteral(QT_VERSION_STR));
    fields.insert(QStringLiteral("commandLine"),
                  QJsonArray::fromStringList(QCoreApplication::arguments()));
    fields.insert(QStringLiteral("product"), guid);
    fields.insert(QStringLiteral("names"),
                  QJsonArray::fromStringList({nameEN, config->getSoftwareNameCHText()}));
    fields.insert(QStringLiteral("client"), client);
    log.writeEvent(
        QStringLiteral("start"), fields,
        {QStringLiteral("uninstaller %1 started, %2 run")
             .arg(QStringLiteral(UNINSTALLER_VERSION), mode),
         QStringLiteral("host %1, user %2, %3 (%4 %5), process %6")
             .arg(QSysInfo::machineHostName(), user, QSysInfo::prettyProductName(),
                  QSysInfo::kernelType(), QSysInfo::kernelVersion())
             .arg(QCoreApplication::applicationPid()),
         QStringLiteral("program %1 for %2, built with Qt %3, running on %4")
             .arg(program, QSysInfo::buildCpuArchitecture(), QStringLiteral(QT_VERSION_STR),
                  QSysInfo::currentCpuArchitecture()),
         QStringLiteral("command line: ") + quoted(QCoreApplication::arguments()),
         QStringLiteral("product: GUID %1, names \"%2\" and \"%3\", client program \"%4\"")
             .arg(guid, nameEN, config->getSoftwareNameCHText(), client)});
}

void startTrialRun(const CommandLine& line, UninstallLog& log)
{
    InstallProcessMgr::getInstance()->setDryRun(line.whatIf);
    log.setTrialRun(line.whatIf);
}

void logNextSteps(UninstallLog& log, const Outcome& outcome)
{
    for (const QString& step : outcome.nextSteps())
        log.writeEvent(QStringLiteral("next-step"), {{QStringLiteral("text"), step}},
                       {QStringLiteral("what to do: ") + step});
}

void logExit(UninstallLog& log, int status, const QString& meaning)
{
    log.writeEvent(QStringLiteral("exit"),
                   {{QStringLiteral("status"), status}, {QStringLiteral("meaning"), meaning}},
                   {meaning.isEmpty()
                        ? QStringLiteral("exit status %1").arg(status)
                        : QStringLiteral("exit status %1: %2").arg(status).arg(meaning)});
}

int runWithoutWindow()
{
    const CommandLine line = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (line.help) {
        Platform::showText(QObject::tr("CommandLineUsageTitle"), usageText());
        return 0;
    }
    UninstallLog log(line.jsonLog ? UninstallLog::Format::Json : UninstallLog::Format::Text);
    // Every run leaves a log, and says where: on standard error, where the
    // tool that started it keeps what it printed.
    const bool logGiven = line.logGiven && line.error.isEmpty();
    const auto finish = [&log, logGiven](int status) {
        logExit(log, status, statusText(status));
        if (log.isOpen()) {
            if (!logGiven)
                log.write(QStringLiteral("log: ") + QDir::toNativeSeparators(log.path()));
            printError(QStringLiteral("log: ") + QDir::toNativeSeparators(log.path()));
        }
        if (log.isOpen() && !log.intact())
            printError(
                QObject::tr("LogPathNotWritable")
                    .arg(QDir::toNativeSeparators(log.path()), QObject::tr("LogWriteFailed")));
        return status;
    };
    if (!line.error.isEmpty()) {
        printError(line.error);
        if (openDefaultLog(log)) {
            logRunStart(log, line);
            log.write(QStringLiteral("command line refused: ") + line.error);
        }
        return finish(QuietExit::BadArguments);
    }
    const QString logError = openLog(line, log);
    if (!logError.isEmpty()) {
        printError(logError);
        return finish(QuietExit::BadArguments);
    }
    startTrialRun(line, log);
    setRemovalReport(&log);
    logRunStart(log, line);
    const int status = quietSequence(log);
    setRemovalReport(nullptr);
    if (line.whatIf)
        printError(QStringLiteral("trial run: nothing was removed or changed; the exit status is "
                                  "the one a real run would give"));
    return finish(status);
}

} // namespace appinstaller
