#include "mainwindow.h"

#include "embeddedresources.h"
#include "engine/installprocessmgr.h"
#include "installingpage.h"
#include "uilib/cfile.h"
#include "uninstallcompletedpage.h"

#include "ui_MainWindowUI.h"

#include "platform/system.h"

#include <QCursor>
#include <QDir>
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QPainterPath>
#include <QScreen>

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

    m_shadowMargins = m_ui->gridLayout_2->contentsMargins();
    m_cardSize = minimumSize().shrunkBy(m_shadowMargins);
    // Offscreen (grabs, tests) every pixel keeps its alpha.
    const QString strPlatform = QGuiApplication::platformName();
    setComposed((strPlatform != QLatin1String("windows") && strPlatform != QLatin1String("xcb")) ||
                Platform::composesTranslucentWindows());
}

void MainWindow::setComposed(bool bComposed)
{
    const QSize card = m_cardSize;
    m_ui->gridLayout_2->setContentsMargins(bComposed ? m_shadowMargins : QMargins());
    setFixedSize(bComposed ? card.grownBy(m_shadowMargins) : card);
    QPalette palette = this->palette();
    palette.setBrush(QPalette::All, QPalette::Window,
                     QBrush(bComposed ? QColor(Qt::transparent) : QColor(Qt::white)));
    setPalette(palette);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_TranslucentBackground, bComposed);
    if (!bComposed) {
        // No shadow, and the card's rounded corners cut out of the window.
        m_ui->m_pInstallStackedWidget->setGraphicsEffect(nullptr);
        QPainterPath path;
        path.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(card)), 4, 4);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
        return;
    }
    clearMask();
    // The card's shadow, drawn in the transparent margin around it.
    auto* pShadow = new QGraphicsDropShadowEffect(this);
    pShadow->setOffset(0, 0);
    pShadow->setColor(QColor(0, 0, 0, 114));
    pShadow->setBlurRadius(12);
    m_ui->m_pInstallStackedWidget->setGraphicsEffect(pShadow);
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
        // In the middle of the screen, not where the system puts a new
        // window (the top left corner without a window manager).
        QScreen* pScreen = m_homeScreen;
        if (!pScreen)
            pScreen = QGuiApplication::screenAt(QCursor::pos());
        if (!pScreen)
            pScreen = QGuiApplication::primaryScreen();
        if (pScreen) {
            QRect placed(QPoint(), size());
            placed.moveCenter(pScreen->availableGeometry().center());
            move(placed.topLeft());
        }
    }
    QWidget::setVisible(visible);
}

void MainWindow::setLogPath(const QString& strLogPath)
{
    m_pUnInstallCompletedPage->setLogPath(strLogPath);
}

void MainWindow::setHomeScreen(QScreen* screen)
{
    m_homeScreen = screen;
}

void MainWindow::onFinishedUnInstall()
{
    // The thread has finished, so the record of what it left is complete.
    const InstallProcessMgr* pManager = InstallProcessMgr::getInstance();
    m_pUnInstallCompletedPage->setTrialRun(pManager->dryRun());
    const InstallProcessMgr::FolderTally tally = pManager->folderTally();
    m_pUnInstallCompletedPage->setWouldGo({tally.entries, tally.bytes});
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
