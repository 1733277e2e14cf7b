#include "uninstallthread.h"

#include "installprocessmgr.h"

#include "platform/platform.h"

namespace appinstaller
{

UnInstallThread::UnInstallThread(QObject* parent) : QThread(parent) {}

void UnInstallThread::run()
{
    // The removal keeps every processor busy on its workers: below the
    // window's thread, so that the window keeps drawing on time.
    Platform::lowerThreadPriority();
    InstallProcessMgr::getInstance()->unInstall();
}

} // namespace appinstaller
