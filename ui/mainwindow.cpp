#include "mainwindow.h"

#include "embeddedresources.h"
#include "engine/installprocessmgr.h"
#include "installingpage.h"
#include "uilib/cfile.h"
#include "uninstallcompletedpage.h"

#include "ui_MainWindowUI.h"

#include <QDir>
#include <QGraphicsDropShadowEffect>

namespace appinstaller
{

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::MainWindowUI>())
{
    ensureEmbeddedResources();
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    m_ui->setupUi(this);

    if (!m_pInstallingPage) {
        m_pInstallingPage = new InstallingPage(this);
        m_ui->m_pInstallStackedWidget->addWidget(m_pInstallingPage);
    }
    if (!m_pUnInstallCompletedPage) {
        m_pUnInstallCompletedPage = new UnInstallCompletedPage(this);
        m_ui->m_pInstallStackedWidget->addWidget(m_pUnInstallCompletedPage);
    }

    connect(m_pInstallingPage, &InstallingPage::signalunInstallFinished, this,
            &MainWindow::onFinishedUnInstall);
    connect(m_pInstallingPage, &InstallingPage::signalClose, this, &QWidget::close);
    connect(m_pUnInstallCompletedPage, &UnInstallCompletedPage::signalClose, this, &QWidget::close);

    m_ui->m_pInstallStackedWidget->setCurrentWidget(m_pInstallingPage);

    // The card's shadow is drawn in the 12-pixel transparent margin around it.
    auto* pShadow = new QGraphicsDropShadowEffect(this);
    pShadow->setOffset(0, 0);
    pShadow->setColor(QColor(0, 0, 0, 114));
    pShadow->setBlurRadius(12);
    m_ui->m_pInstallStackedWidget->setGraphicsEffect(pShadow);

    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::All, QPalette::Window, QBrush(Qt::transparent));
    setPalette(palette);
    setWindowOpacity(1.0);
    setAttribute(Qt::WA_TranslucentBackground);
}

MainWindow::~MainWindow() = default;

void MainWindow::setVisible(bool visible)
{
    if (visible && !m_bStyled) {
        m_bStyled = true;
        // Over the application-wide sheet: it styles this window and what is
        // in it, before it is polished, laid out and shown.
        const QString strQssDir = QStringLiteral(":/Uninstall/Qss/");
        setStyleSheet(Ulmora::CFile::ReadAll(QDir(strQssDir).entryList(QDir::Files), strQssDir));
    }
    QWidget::setVisible(visible);
}

void MainWindow::onFinishedUnInstall()
{
    // The thread has finished, so the record of what it left is complete.
    m_pUnInstallCompletedPage->showLeftovers(InstallProcessMgr::getInstance()->leftovers());
    m_ui->m_pInstallStackedWidget->setCurrentWidget(m_pUnInstallCompletedPage);
    emit uninstallFinished();
}

void MainWindow::waitForUninstall()
{
    m_pInstallingPage->waitForUninstall();
}

void MainWindow::onUninstall()
{
    m_ui->m_pInstallStackedWidget->setCurrentWidget(m_pInstallingPage);
    if (m_pInstallingPage)
        m_pInstallingPage->startUnInstall();
}

} // namespace appinstaller
