#include "startup.h"

#include "commandline.h"
#include "engine/removalreport.h"
#include "quietrun.h"
#include "uninstalllog.h"

#include "config/appconfigmanager.h"
#include "engine/installprocessmgr.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"
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

    const QString strProgramName =
        QString::fromStdString(AppConfigManager::getInstance()->getProgramName());
    const auto clientRuns = [&strProgramName, &log] {
        if (!Platform::isProcessRunning(strProgramName)) {
            log.write(QStringLiteral("gate client program: %1 is not running: passed")
                          .arg(strProgramName));
            return false;
        }
        log.write(
            QStringLiteral("gate client program: %1 is running: refused").arg(strProgramName));
        Ulmora::CModalTipDialog::ShowMessageWarn(QObject::tr("TheClientIsRunningPrnptTrdtT"),
                                                 Ulmora::CModalTipDialog::Size_Small, nullptr);
        return true;
    };
    if (clientRuns())
        return finish(-1);

    if (!UninstallRegistry::getInstance()->isInstalled()) {
        log.write(QStringLiteral("gate installed: no uninstall entry: refused"));
        Ulmora::CModalTipDialog::ShowMessageWarn(QObject::tr("ThisSoftwareIsNotCurmXqDCfI"),
                                                 Ulmora::CModalTipDialog::Size_Small, nullptr);
        return finish(-1);
    }
    log.write(QStringLiteral("gate installed: uninstall entry found: passed"));
    const QString installerRefusal = windowsInstallerRefusal(log);
    if (!installerRefusal.isEmpty()) {
        warn(installerRefusal);
        return finish(-1);
    }

    {
        auto confirm = std::make_unique<Ulmora::CModalTipDialog>(nullptr);
        confirm->setDialogModel(Ulmora::CModalTipDialog::Model_Question);
        confirm->setContentText(QObject::tr("DetermineTheUninstalfYANYiIa"));
        confirm->setDialogSize(Ulmora::CModalTipDialog::Size_Large);
        if (confirm->exec() == 0) {
            log.write(QStringLiteral("gate confirmation: declined"));
            return finish(-1);
        }
        log.write(QStringLiteral("gate confirmation: confirmed"));
    }
    // The client may have been started while the question was open.
    if (clientRuns())
        return finish(-1);

    mainWindow.show();
    mainWindow.onUninstall();
    const int iResult = QApplication::exec();
    // The window may close while the removal goes on: its record is
    // complete only once the thread has ended.
    mainWindow.waitForUninstall();
    // 1 when anything of the product is left that no restart will remove.
    return finish(iResult != 0 ? iResult
                               : InstallProcessMgr::exitStatus(
                                     InstallProcessMgr::getInstance()->leftovers()));
}

} // namespace appinstaller
