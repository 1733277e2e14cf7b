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

} // namespace

int runUninstaller()
{
    return runUninstaller(CommandLine());
}

int runUninstaller(const CommandLine& line)
{
    // Writes nothing until opened.
    UninstallLog log(line.jsonLog ? UninstallLog::Format::Json : UninstallLog::Format::Text);
    ReportScope report(log);

    QString strStyleSheet;
    const QString strResourcePath =
        QCoreApplication::applicationDirPath() + QLatin1String("/rcc/guiresource.rcc");
    // A missing resource file leaves the sheet empty; the program still runs.
    Ulmora::InitResource(strResourcePath, strStyleSheet, false);
    qApp->setStyleSheet(strStyleSheet);

    MainWindow mainWindow;

    // A passive run (/SILENT, /passive) asks nothing and shows no message
    // box: nobody is there to answer one. It tells its outcome by the quiet
    // run's statuses, and what stopped it on standard error and in the log.
    const bool passive = line.passive;
    const auto tell = [passive](const QString& text) {
        if (passive)
            printError(text);
        else
            warn(text);
    };
    if (!line.error.isEmpty()) {
        tell(line.error);
        return QuietExit::BadArguments;
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
    logRunStart(log, false);
    const auto finish = [&log](int status) {
        logExit(log, status);
        return status;
    };

    // A trial run removes nothing: there is nothing to confirm.
    std::function<bool()> confirm;
    if (!passive && !line.whatIf) {
        confirm = [] {
            auto question = std::make_unique<Ulmora::CModalTipDialog>(nullptr);
            question->setDialogModel(Ulmora::CModalTipDialog::Model_Question);
            question->setContentText(QObject::tr("DetermineTheUninstalfYANYiIa"));
            question->setDialogSize(Ulmora::CModalTipDialog::Size_Large);
            return question->exec() != 0;
        };
    }
    const GateResult gates = passGates(log, confirm);
    if (gates.gate != Gate::Passed) {
        if (!gates.message.isEmpty())
            tell(gates.message);
        return finish(passive ? quietExitStatus(gates.gate) : -1);
    }

    if (passive) {
        // The completion page shows a moment, then the window closes itself.
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
    const Outcome outcome = InstallProcessMgr::getInstance()->outcome();
    logNextSteps(log, outcome);
    if (passive)
        return finish(quietExitStatus(outcome));
    // 1 when anything of the product is left that no restart will remove.
    return finish(iResult != 0 ? iResult : outcome.exitStatus());
}

} // namespace appinstaller
