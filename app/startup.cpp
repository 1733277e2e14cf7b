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
    const RunMode mode = passive ? RunMode::Passive : RunMode::Window;
    const auto tell = [passive](const QString& text) { passive ? printError(text) : warn(text); };
    RunEnd end;
    bool logGiven = false;
    const auto finish = [&] { return endRun(log, exitStatus(end, mode, line), logGiven); };
    if (!line.error.isEmpty()) {
        logRunStart(log, line);
        log.write(QStringLiteral("command line refused: ") + line.error);
        openClickedLog(log, false);
        tell(line.error);
        end.stop = RunEnd::Stop::CommandLine;
        return finish();
    }
    // A /LOG that cannot be written costs a clicked run the record, not the
    // uninstall; a passive run, as a quiet one, ends before anything.
    const LogOpened opened = openLog(line, log);
    logGiven = line.logGiven && opened.refusal.isEmpty();
    if (!opened.refusal.isEmpty()) {
        tell(opened.refusal);
        if (passive) {
            end.stop = RunEnd::Stop::Log;
            return finish();
        }
    }
    if (!opened.warning.isEmpty())
        printError(opened.warning);
    startTrialRun(line, log);
    logRunStart(log, line);

    const GateResult gates = passGates(log, question(passive, line.whatIf, mainWindow));
    openClickedLog(log, gates.gate != Gate::BadConfiguration && gates.gate != Gate::ClientRunning);
    if (gates.gate != Gate::Passed) {
        if (!gates.message.isEmpty())
            tell(gates.message);
        end.stop = RunEnd::Stop::Gate;
        end.gate = gates.gate;
        return finish();
    }
    if (log.isOpen())
        mainWindow.setLogPath(log.path());
    end.eventLoop = runWindow(mainWindow, passive);
    end.outcome = InstallProcessMgr::getInstance()->outcome();
    logNextSteps(log, end.outcome);
    return finish();
}

} // namespace appinstaller
