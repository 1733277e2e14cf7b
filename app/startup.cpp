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
    UninstallLog log; // writes nothing until opened
    ReportScope report(log);

    QString strStyleSheet;
    const QString strResourcePath =
        QCoreApplication::applicationDirPath() + QLatin1String("/rcc/guiresource.rcc");
    // A missing resource file leaves the sheet empty; the program still runs.
    Ulmora::InitResource(strResourcePath, strStyleSheet, false);
    qApp->setStyleSheet(strStyleSheet);

    MainWindow mainWindow;

    if (!line.error.isEmpty()) {
        warn(line.error);
        return QuietExit::BadArguments;
    }
    // A log that cannot be written costs the record, not the uninstall.
    const QString logError = openLog(line, log);
    if (!logError.isEmpty())
        warn(logError);
    logRunStart(log, false);
    const auto finish = [&log](int status) {
        log.write(QStringLiteral("exit status %1").arg(status));
        return status;
    };

    const GateResult gates = passGates(log, [] {
        auto confirm = std::make_unique<Ulmora::CModalTipDialog>(nullptr);
        confirm->setDialogModel(Ulmora::CModalTipDialog::Model_Question);
        confirm->setContentText(QObject::tr("DetermineTheUninstalfYANYiIa"));
        confirm->setDialogSize(Ulmora::CModalTipDialog::Size_Large);
        return confirm->exec() != 0;
    });
    if (gates.gate != Gate::Passed) {
        if (!gates.message.isEmpty())
            warn(gates.message);
        return finish(-1);
    }

    mainWindow.show();
    mainWindow.onUninstall();
    const int iResult = QApplication::exec();
    // The window may close while the removal goes on: its record is
    // complete only once the thread has ended.
    mainWindow.waitForUninstall();
    // 1 when anything of the product is left that no restart will remove.
    return finish(iResult != 0 ? iResult
                               : InstallProcessMgr::getInstance()->outcome().exitStatus());
}

} // namespace appinstaller
