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

QString quoted(const QStringList& arguments)
{
    QStringList parts;
    for (const QString& argument : arguments)
        parts << QLatin1Char('"') + argument + QLatin1Char('"');
    return parts.join(QLatin1Char(' '));
}

// The gates a quiet run passes, as a clicked run does, minus the question;
// then the removal on its worker thread, as the window runs it.
RunEnd quietSequence(UninstallLog& log)
{
    RunEnd end;
    end.gate = passGates(log).gate;
    if (end.gate != Gate::Passed) {
        end.stop = RunEnd::Stop::Gate;
        return end;
    }
    UnInstallThread thread(nullptr);
    thread.start(QThread::InheritPriority);
    thread.wait();
    end.outcome = InstallProcessMgr::getInstance()->outcome();
    logNextSteps(log, end.outcome);
    return end;
}

} // namespace

void printError(const QString& text)
{
    std::fputs((UninstallLog::escaped(text) + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
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

LogOpened openLog(const CommandLine& line, UninstallLog& log)
{
    LogOpened opened;
    if (!line.logGiven) {
        // A clicked run opens its own once the gates have been passed
        // (startup.cpp): here it would read the registry before the client
        // program's gate. A log nobody asked for is a courtesy: without
        // one the run goes on.
        if (line.unattended() && !openDefaultLog(log)) {
            const QStringList folders = UninstallLog::defaultFolders();
            opened.warning =
                QObject::tr("LogPathNotWritable")
                    .arg(folders.isEmpty()
                             ? QObject::tr("LogTemporaryFolder")
                             : QDir::toNativeSeparators(folders.join(QLatin1String(", "))),
                         QObject::tr("LogNoneWritten"));
        }
        return opened;
    }
    opened.refusal = UninstallLog::refusal(line.logPath, recordedLocation(), log.format());
    if (opened.refusal.isEmpty() && log.open(line.logPath, &opened.refusal))
        return opened;
    // The refusal is recorded all the same, where every run's log goes.
    if (openDefaultLog(log))
        log.write(QStringLiteral("log %1 refused: %2")
                      .arg(QDir::toNativeSeparators(line.logPath), opened.refusal));
    return opened;
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
    // What the command line gives that is read and not used.
    if (line.folderGiven)
        log.write(QStringLiteral("_?=%1: not used; the install folder is the one the uninstall "
                                 "entry records")
                      .arg(line.folder));
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

void logExit(UninstallLog& log, const ExitStatus& status)
{
    log.writeEvent(
        QStringLiteral("exit"),
        {{QStringLiteral("status"), status.status}, {QStringLiteral("meaning"), status.meaning}},
        {status.meaning.isEmpty()
             ? QStringLiteral("exit status %1").arg(status.status)
             : QStringLiteral("exit status %1: %2").arg(status.status).arg(status.meaning)});
}

int endRun(UninstallLog& log, const ExitStatus& status, bool logGiven)
{
    logExit(log, status);
    // A console shows no status of a program with windows: the words say it.
    printError(QStringLiteral("exit status %1: %2").arg(status.status).arg(status.meaning));
    if (log.isOpen()) {
        const QString where = QStringLiteral("log: ") + QDir::toNativeSeparators(log.path());
        // The /LOG given is known to whoever gave it; any other is named in
        // its own last line, so that a copy of it says where it was.
        if (!logGiven)
            log.write(where);
        printError(where);
        if (!log.intact())
            printError(
                QObject::tr("LogPathNotWritable")
                    .arg(QDir::toNativeSeparators(log.path()), QObject::tr("LogWriteFailed")));
    }
    return status.status;
}

int runWithoutWindow()
{
    const CommandLine line = parseCommandLine(QCoreApplication::arguments().mid(1));
    if (line.help) {
        Platform::showText(QObject::tr("CommandLineUsageTitle"), usageText());
        return 0;
    }
    // Without a display: a passive run goes on as a quiet one, a clicked one
    // cannot ask.
    const RunMode mode = line.unattended() ? RunMode::Quiet : RunMode::Window;
    UninstallLog log(line.jsonLog ? UninstallLog::Format::Json : UninstallLog::Format::Text);
    // Every run leaves a log, and says where: on standard error, where the
    // tool that started it keeps what it printed.
    RunEnd end;
    if (!line.error.isEmpty()) {
        printError(line.error);
        if (openDefaultLog(log)) {
            logRunStart(log, line);
            log.write(QStringLiteral("command line refused: ") + line.error);
        }
        end.stop = RunEnd::Stop::CommandLine;
        return endRun(log, exitStatus(end, mode, line), false);
    }
    const LogOpened opened = openLog(line, log);
    if (!opened.refusal.isEmpty()) {
        printError(opened.refusal);
        // A clicked run goes on, its log in the temporary folder.
        if (mode != RunMode::Window) {
            end.stop = RunEnd::Stop::Log;
            return endRun(log, exitStatus(end, mode, line), false);
        }
    }
    if (!opened.warning.isEmpty())
        printError(opened.warning);
    // A clicked run's log, which a run with a window opens once the gates
    // are passed: here nothing is held for it.
    if (mode == RunMode::Window && !log.isOpen())
        openDefaultLog(log);
    const bool logGiven = line.logGiven && opened.refusal.isEmpty();
    startTrialRun(line, log);
    setRemovalReport(&log);
    logRunStart(log, line);
    if (mode == RunMode::Window) {
        // A clicked run with no display to ask on: the gates that need no
        // answer tell what would stop it anyway, on standard error as a
        // window would; then nothing is removed without the question.
        const GateResult gates = passGates(log, [&log] {
            log.write(QStringLiteral("no display: the question cannot be asked"));
            return false;
        });
        setRemovalReport(nullptr);
        const bool asked = gates.gate == Gate::Declined;
        printError(asked ? QObject::tr("NoDisplayToAsk") : gates.message);
        end.stop = asked ? RunEnd::Stop::NoDisplay : RunEnd::Stop::Gate;
        end.gate = gates.gate;
        return endRun(log, exitStatus(end, mode, line), logGiven);
    }
    // A passive run without a display goes on as a quiet one: its statuses
    // are the same, and it asks nothing either.
    if (line.passive && !line.quiet)
        log.write(QStringLiteral("no display: the passive run goes on as a quiet one"));
    end = quietSequence(log);
    setRemovalReport(nullptr);
    if (line.whatIf)
        printError(QStringLiteral("trial run: nothing was removed or changed; the exit status is "
                                  "the one a real run would give"));
    return endRun(log, exitStatus(end, mode, line), logGiven);
}

} // namespace appinstaller
