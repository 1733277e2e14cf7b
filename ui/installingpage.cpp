#include "installingpage.h"

#include "engine/installprocessmgr.h"
#include "engine/uninstallthread.h"
#include "uilib/cmodaltipdialog.h"

#include "ui_InstallingUI.h"

namespace appinstaller
{

InstallingPage::InstallingPage(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::InstallingUI>())
{
    m_ui->setupUi(this);

    m_ui->frame->setFixedWidth(0);
    update();
    m_ui->m_pWidgetProcessBar->setStyleSheet(
        QStringLiteral("border:1px solid rgba(0,0,0,0.2);border-radius:8px"));
    m_ui->frame->setStyleSheet(QStringLiteral("background:red; border-radius:5px; border:none;"));

    m_ui->m_pInstallingLabel->setAccessibleName(tr("Current step"));
    m_ui->m_pInstallProgressLabel->setAccessibleName(tr("Progress"));

    connect(m_ui->m_pCancelBtn, &QAbstractButton::clicked, this, &InstallingPage::onCancelInstall);
    connect(m_ui->m_pUpperWidget, &UpperWidget::signalClose, this, &InstallingPage::signalClose);
    // The manager's first use: it is created here, on the GUI thread, so the
    // reports from the worker thread arrive queued, in order.
    connect(InstallProcessMgr::getInstance(), &InstallProcessMgr::signalProcess, this,
            &InstallingPage::onProcessInfo);
    connect(InstallProcessMgr::getInstance(), &InstallProcessMgr::signalFolderProgress, this,
            &InstallingPage::onFolderProgress);
}

InstallingPage::~InstallingPage()
{
    waitForUninstall();
}

void InstallingPage::waitForUninstall()
{
    if (m_pUnInstallThread)
        m_pUnInstallThread->wait();
}

void InstallingPage::startUnInstall()
{
    m_ui->m_pCancelBtn->setVisible(false);
    m_pUnInstallThread = new UnInstallThread(this);
    connect(m_pUnInstallThread, &QThread::finished, this, &InstallingPage::signalunInstallFinished);
    m_pUnInstallThread->start(QThread::InheritPriority);
}

void InstallingPage::onProcessInfo(int iProcess, QString strProcessName)
{
    m_ui->m_pInstallingLabel->setText(strProcessName);
    showPercent(iProcess);
}

void InstallingPage::onFolderProgress(int iProcess)
{
    showPercent(iProcess);
}

void InstallingPage::showPercent(int iProcess)
{
    m_ui->m_pInstallProgressLabel->setText(QString::number(iProcess, 10) + QLatin1Char('%'));
    // The chunk sits inside the track's 3-pixel margins.
    const int iTrackWidth = m_ui->m_pWidgetProcessBar->width();
    m_ui->frame->setFixedWidth(iProcess * (iTrackWidth - 6) / 100);
    update();
}

void InstallingPage::onCancelInstall()
{
    const int iAnswer = Ulmora::CModalTipDialog::ShowModalTipDialog(
        tr("ConfirmUninstallOemAjtmnj"), Ulmora::CModalTipDialog::Model_Question,
        Ulmora::CModalTipDialog::Size_Small, this);
    if (iAnswer != 0)
        emit signalCancelInstall();
}

} // namespace appinstaller
