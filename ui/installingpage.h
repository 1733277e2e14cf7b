#pragma once

// The page shown while the product is removed: the current step, the
// percentage and a bar. It starts the worker thread and passes on its end.

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui
{
class InstallingUI;
}

namespace appinstaller
{

class UnInstallThread;

class InstallingPage : public QWidget
{
    Q_OBJECT

public:
    explicit InstallingPage(QWidget* parent);
    // Waits for a running removal: closing the window must not cut it short,
    // nor destroy a running thread.
    ~InstallingPage() override;

    // Hides the cancel button and starts the removal on a worker thread.
    // Called once.
    void startUnInstall();
    // Returns once the removal, if started, has ended.
    void waitForUninstall();

signals:
    void signalCancelInstall();
    void signalClose();
    void signalunInstallFinished();

public slots:
    void onProcessInfo(int iProcess, QString strProcessName);
    void onCancelInstall();
    // How far the install folder's removal got, between the step of 0 and
    // that of 30: the percentage and the bar follow, the step's text stays.
    void onFolderProgress(int iProcess);

private:
    void showPercent(int iProcess);

    std::unique_ptr<Ui::InstallingUI> m_ui;
    UnInstallThread* m_pUnInstallThread = nullptr; // a child of the page
};

} // namespace appinstaller
