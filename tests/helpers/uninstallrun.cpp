// Runs one uninstall the way the window does, for tests that need a process
// of its own (its own AppConfig.xml beside it, another user):
//   uninstallrun [--trial]
// (--trial: a trial run, which removes nothing) prints "progress N TEXT" for
// each report as the main thread receives it, "finished" when the thread has
// ended, then "left SCHEDULED PATH" for each entry of the record, followed by
// "held FILE: PROGRAMS" for each file of it a program holds open and
// "sharing \"NAME\" ENTRY" for each other product known to share it; then
// "step TEXT" for each next step.

#include "engine/installprocessmgr.h"
#include "engine/uninstallthread.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    using appinstaller::InstallProcessMgr;
    InstallProcessMgr* manager = InstallProcessMgr::getInstance();
    manager->setDryRun(QCoreApplication::arguments().contains(QStringLiteral("--trial")));
    QObject::connect(manager, &InstallProcessMgr::signalProcess, &app,
                     [](int iProcess, const QString& strProcessName) {
                         std::printf("progress %d %s\n", iProcess, qPrintable(strProcessName));
                     });
    auto* thread = new appinstaller::UnInstallThread(&app);
    QObject::connect(thread, &QThread::finished, &app, [manager] {
        std::printf("finished\n");
        for (const appinstaller::LeftoverItem& item : manager->leftovers()) {
            std::printf("left %d %d %s\n", item.bScheduled ? 1 : 0, static_cast<int>(item.reason),
                        qPrintable(item.strPath));
            for (const QString& held : item.holders)
                std::printf("held %s\n", qPrintable(held));
            for (const appinstaller::SharingProduct& product : item.sharedWith)
                std::printf("%s\n", qPrintable(QStringLiteral("sharing \"%1\" %2")
                                                   .arg(product.name, product.entry)
                                                   .trimmed()));
        }
        for (const QString& step : manager->outcome().nextSteps())
            std::printf("step %s\n", qPrintable(step));
        QCoreApplication::quit();
    });
    thread->start();
    return QCoreApplication::exec();
}
