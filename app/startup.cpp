#include "startup.h"

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

int runUninstaller()
{
    QString strStyleSheet;
    const QString strResourcePath =
        QCoreApplication::applicationDirPath() + QLatin1String("/rcc/guiresource.rcc");
    // A missing resource file leaves the sheet empty; the program still runs.
    Ulmora::InitResource(strResourcePath, strStyleSheet, false);
    qApp->setStyleSheet(strStyleSheet);

    MainWindow mainWindow;

    const QString strProgramName =
        QString::fromStdString(AppConfigManager::getInstance()->getProgramName());
    const auto clientRuns = [&strProgramName] {
        if (!Platform::isProcessRunning(strProgramName))
            return false;
        Ulmora::CModalTipDialog::ShowMessageWarn(QObject::tr("TheClientIsRunningPrnptTrdtT"),
                                                 Ulmora::CModalTipDialog::Size_Small, nullptr);
        return true;
    };
    if (clientRuns())
        return -1;

    if (!UninstallRegistry::getInstance()->isInstalled()) {
        Ulmora::CModalTipDialog::ShowMessageWarn(QObject::tr("ThisSoftwareIsNotCurmXqDCfI"),
                                                 Ulmora::CModalTipDialog::Size_Small, nullptr);
        return -1;
    }

    {
        auto confirm = std::make_unique<Ulmora::CModalTipDialog>(nullptr);
        confirm->setDialogModel(Ulmora::CModalTipDialog::Model_Question);
        confirm->setContentText(QObject::tr("DetermineTheUninstalfYANYiIa"));
        confirm->setDialogSize(Ulmora::CModalTipDialog::Size_Large);
        if (confirm->exec() == 0)
            return -1;
    }
    // The client may have been started while the question was open.
    if (clientRuns())
        return -1;

    mainWindow.show();
    mainWindow.onUninstall();
    const int iResult = QApplication::exec();
    // The window may close while the removal goes on: its record is
    // complete only once the thread has ended.
    mainWindow.waitForUninstall();
    // 1 when anything of the product is left that no restart will remove.
    return iResult != 0
               ? iResult
               : InstallProcessMgr::exitStatus(InstallProcessMgr::getInstance()->leftovers());
}

} // namespace appinstaller
