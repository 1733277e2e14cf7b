#pragma once

#include <QThread>

namespace appinstaller
{

// One run of InstallProcessMgr::unInstall(), off the GUI thread.
class UnInstallThread : public QThread
{
    Q_OBJECT

public:
    explicit UnInstallThread(QObject* parent);

protected:
    void run() override;
};

} // namespace appinstaller
