#include "startup.h"

#include "commandline.h"
#include "engine/removalreport.h"
#include "quietrun.h"
#include "run.h"
#include "uninstalllog.h"

#include "engine/installprocessmgr.h"
#include "ui/mainwindow.h"
#include "uilib/cmodaltipdialog.h"
#include "uilib/ulmora.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>
#include <functional>

#include <memory>

namespace appinstaller
{

namespace
{

// Tells the removal's events to log while it exists; declared before the
// window, it outlives the worker thread the window waits for.
class ReportScope
{
public:
    explicit ReportScope(UninstallLog& log) { setRemovalReport(&log); }
    ~ReportScope() { setRemovalReport(nullptr); }
    ReportScope(const ReportScope&) = delete;
    ReportScope& operator=(const ReportScope&) = delete;
};

// How long a passive run's completion page stays before the window closes.
constexpr int kPassiveCloseMs = 2000;

void printError(const QString& text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void warn(const QString& text)
{
    Ulmora::CModalTipDialog::ShowMessageWarn(text, Ulmora::CModalTipDialog::Size_Small, nullptr);
}

void applyStyleSheet()
{
    QString strStyleSheet;
    const QString strResourcePath =
        QCoreApplication::applicationDirPath() + QLatin1String("/rcc/guiresource.rcc");
    // A missing resource file leaves the sheet empty; the program still runs.
    Ulmora::InitResource(strResourcePath, strStyleSheet, false);
    qApp->setStyleSheet(strStyleSheet);
}

// The question of a clicked run; a passive one asks none, nor does a trial
// run, which removes nothing.
// The window opens on the screen the question was on.
std::function<bool()> question(bool passive, bool trial, MainWindow& window)
{
    if (passive || trial)
        return nullptr;
    return [&window] {
        auto question = std::make_unique<Ulmora::CModalTipDialog>(nullptr);
        question->setDialogModel(Ulmora::CModalTipDialog::Model_Question);
        question->setContentText(QObject::tr("DetermineTheUninstalfYANYiIa"));
        question->setDialogSize(Ulmora::CModalTipDialog::Size_Large);
        const bool bConfirmed = question->exec() != 0;
        window.setHomeScreen(question->screen());
        return bConfirmed;
    };
}

// A clicked run given no /LOG leaves one all the same, where a run without
// questions leaves its own, opened once the gates are behind it so that
// nothing is read for it before the client program's gate. A run stopped
// before it read the entry (a bad switch, the configuration, the client
// program) removes nothing: there is no install folder to keep its log out
// of.
void openClickedLog(UninstallLog& log, bool entryRead)
{
    if (!log.holding())
        return;
    if (entryRead) {
        openDefaultLog(log);
        return;
    }
    for (const QString& folder : UninstallLog::defaultFolders())
        if (log.openNew(folder, nullptr))
            return;
}

// The window once the gates are passed: shown, the removal started, the
// event loop; a passive run's closes itself a moment after the completion
// page. Returns the event loop's result once the removal has ended.
int runWindow(MainWindow& mainWindow, bool passive)
{
    if (passive) {
        QObject::connect(&mainWindow, &MainWindow::uninstallFinished, &mainWindow, [&mainWindow] {
            QTimer::singleShot(kPassiveCloseMs, &mainWindow, &QWidget::close);
        });
    }
    mainWindow.show();
    mainWindow.onUninstall();
    const int iResult = QApplication::exec();
    // The window may close while the removal goes on: its record is
    // complete only once the thread has ended.
    mainWindow.waitForUninstall();
    return iResult;
}

} // namespace

int runUninstaller()
{
    return runUninstaller(CommandLine());
}

int runUninstaller(const CommandLine& line)
{
    // Writes nothing until opened; a clicked run's own log keeps its lines
    // until then.
    UninstallLog log(line.jsonLog ? UninstallLog::Format::Json : UninstallLog::Format::Text);
    const bool ownLog = (!line.logGiven || !line.error.isEmpty()) && !line.unattended();
    if (ownLog)
        log.holdUntilOpen();
    ReportScope report(log);

    applyStyleSheet();
    MainWindow mainWindow;

    // A passive run (/SILENT, /passive) asks nothing and shows no message
    // box: nobody is there to answer one. It tells its outcome by the quiet
    // run's statuses, and what stopped it on standard error and in the log.
    const bool passive = line.passive;
    const auto tell = [passive](const QString& text) { passive ? printError(text) : warn(text); };
    const auto finish = [&log, ownLog](int status) {
        logExit(log, status);
        if (ownLog && log.isOpen())
            log.write(QStringLiteral("log: ") + QDir::toNativeSeparators(log.path()));
        return status;
    };
    if (!line.error.isEmpty()) {
        logRunStart(log, line);
        log.write(QStringLiteral("command line refused: ") + line.error);
        openClickedLog(log, false);
        tell(line.error);
        return finish(QuietExit::BadArguments);
    }
    // A log that cannot be written costs the record, not the uninstall; in
    // a passive run, as in a quiet one, the run.
    const QString logError = openLog(line, log);
    if (!logError.isEmpty()) {
        tell(logError);
        if (passive)
            return QuietExit::BadArguments;
    }
    startTrialRun(line, log);
    logRunStart(log, line);

    const GateResult gates = passGates(log, question(passive, line.whatIf, mainWindow));
    openClickedLog(log, gates.gate != Gate::BadConfiguration && gates.gate != Gate::ClientRunning);
    if (gates.gate != Gate::Passed) {
        if (!gates.message.isEmpty())
            tell(gates.message);
        return finish(passive ? quietExitStatus(gates.gate) : -1);
    }
    if (log.isOpen())
        mainWindow.setLogPath(log.path());
    const int iResult = runWindow(mainWindow, passive);
    const Outcome outcome = InstallProcessMgr::getInstance()->outcome();
    logNextSteps(log, outcome);
    if (passive)
        return finish(quietExitStatus(outcome));
    // 1 when anything of the product is left that no restart will remove.
    return finish(iResult != 0 ? iResult : outcome.exitStatus());
}

} // namespace appinstaller
