// First: the QWidget overloads of QTest's functions, also where the build
// does not define QT_WIDGETS_LIB (the Windows syntax check).
#include <QtTest/qtest_widgets.h>

#include "common/sandbox.h"
#include "config/appconfigmanager.h"
#include "engine/installprocessmgr.h"
#include "platform/platform.h"
#include "platform/standin/standin.h"
#include "registry/uninstallregistry.h"
#include "ui/installingpage.h"
#include "ui/mainwindow.h"
#include "ui/uninstallcompletedpage.h"
#include "ui/upperwidget.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScopeGuard>
#include <QSettings>
#include <QStackedWidget>
#include <QThread>
#include <QtTest>

#include <algorithm>

using namespace appinstaller;

// The window running a real removal of a staged installation of the test
// product (AppConfig.xml beside this program), in the harness's sandbox.
class TestWindowRun : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { REQUIRE_SANDBOX(); }
    void completes_data();
    void completes();
    void closeWhileRunning();
    void barFollowsRemoval();
    void trialRunSaysWhatWouldGo();

private:
    // The install folder with iFiles files, named by the uninstall entry
    // (the install folder unless strLocation is given).
    void stage(int iFiles, const QString& strLocation = QString())
    {
        for (int i = 0; i < iFiles; ++i) {
            QVERIFY(QDir().mkpath(m_install + QStringLiteral("/d%1").arg(i / 100)));
            QFile file(m_install + QStringLiteral("/d%1/f%2").arg(i / 100).arg(i));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // The client program, which proves the folder is the product's.
        const QString client =
            QString::fromStdString(AppConfigManager::getInstance()->getProgramName())
                .section(QLatin1Char('/'), -1);
        QVERIFY(!client.isEmpty());
        QFile clientFile(m_install + QLatin1Char('/') + client);
        QVERIFY(clientFile.open(QIODevice::WriteOnly));
        const std::string base =
            UninstallRegistry::uninstallKeyBaseFor(Platform::nativeArchitecture());
        QSettings entry(
            Platform::standinIniPath(
                Platform::standinRoot(),
                UninstallRegistry::entryKeyPath(base, AppConfigManager::getInstance()->getGuid())),
            QSettings::IniFormat);
        entry.setValue(QStringLiteral("InstallLocation"),
                       strLocation.isNull() ? m_install : strLocation);
    }

    const QString m_install = QDir::tempPath() + QStringLiteral("/programs/Ferrovane Test");
};

// From onUninstall() to the completion page, which comes once, after the
// last report has been shown, and tells the outcome by its headline and icon.
void TestWindowRun::completes_data()
{
    QTest::addColumn<QString>("location"); // "" for the install folder
    QTest::addColumn<bool>("complete");
    QTest::newRow("removed") << "" << true;
    QTest::newRow("nothing where the entry says")
        << QDir::tempPath() + QStringLiteral("/programs/Moved") << false;
    QTest::newRow("one level above the product's")
        << QDir::tempPath() + QStringLiteral("/programs") << false;
}

void TestWindowRun::completes()
{
    QFETCH(QString, location);
    QFETCH(bool, complete);
    stage(50, location.isEmpty() ? QString() : location);
    MainWindow window;
    window.show();
    auto* page = window.findChild<InstallingPage*>();
    QStringList shownAtFinish;
    connect(page, &InstallingPage::signalunInstallFinished, this, [&] {
        shownAtFinish << page->findChild<QLabel*>(QStringLiteral("m_pInstallProgressLabel"))->text()
                      << QString::number(
                             page->findChild<QWidget*>(QStringLiteral("frame"))->width());
    });
    window.onUninstall();
    QVERIFY(!page->findChild<QWidget*>(QStringLiteral("m_pCancelBtn"))->isVisible());
    QWidget* completed = window.findChild<UnInstallCompletedPage*>();
    QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QStackedWidget*>()->currentWidget(), completed,
                              30000);
    QCOMPARE(shownAtFinish, (QStringList{QStringLiteral("100%"), QStringLiteral("642")}));
    QCOMPARE(completed->findChild<QLabel*>(QStringLiteral("m_pLeftoverLabel"))->isVisible(),
             !complete);
    QCOMPARE(completed->findChild<QLabel*>(QStringLiteral("m_pInstallInfoLabel"))->text() ==
                 QLatin1String("Uninstall incomplete"),
             !complete);
    QCOMPARE(completed->findChild<QWidget*>(QStringLiteral("m_pIconToolBtn"))
                 ->styleSheet()
                 .contains(QLatin1String("warning")),
             !complete);
    // Nothing goes of a folder that is not where the entry says, nor of
    // one that does not prove to be the product's.
    QCOMPARE(QFileInfo::exists(m_install), !location.isEmpty());
    QCOMPARE(UninstallRegistry::getInstance()->isInstalled(), !complete);
}

// The title bar's close button while the thread runs: the window closes at
// once, and destroying it waits for the removal to end instead of destroying
// a running thread (which aborts the program).
void TestWindowRun::closeWhileRunning()
{
    stage(3000);
    auto* window = new MainWindow;
    window->show();
    window->onUninstall();
    QVERIFY(window->findChild<QThread*>()->isRunning());
    QTest::mouseClick(window->findChild<UpperWidget*>()->findChild<QAbstractButton*>(),
                      Qt::LeftButton);
    QVERIFY(!window->isVisible());
    delete window;
    QVERIFY(!QFileInfo::exists(m_install));
    QVERIFY(!UninstallRegistry::getInstance()->isInstalled());
}

// Between the steps of 0 and 30 the bar follows the install folder's
// removal: rising percentages strictly between them, each shown by the page
// with the step's text kept, and the four steps as they were.
void TestWindowRun::barFollowsRemoval()
{
    stage(3000);
    MainWindow window;
    window.show();
    auto* page = window.findChild<InstallingPage*>();
    auto* percent = page->findChild<QLabel*>(QStringLiteral("m_pInstallProgressLabel"));
    auto* step = page->findChild<QLabel*>(QStringLiteral("m_pInstallingLabel"));
    const QWidget* chunk = page->findChild<QWidget*>(QStringLiteral("frame"));
    QVector<int> steps;
    QVector<int> between;
    QStringList shown;
    InstallProcessMgr* manager = InstallProcessMgr::getInstance();
    connect(manager, &InstallProcessMgr::signalProcess, page,
            [&](int iProcess, const QString&) { steps << iProcess; });
    // Connected after the page's own slot: the page has shown it by then.
    connect(manager, &InstallProcessMgr::signalFolderProgress, page, [&](int iProcess) {
        between << iProcess;
        if (percent->text() != QString::number(iProcess) + QLatin1Char('%') ||
            chunk->width() != iProcess * 642 / 100 || step->text().isEmpty())
            shown << percent->text() + QLatin1Char(' ') + QString::number(chunk->width());
    });
    window.onUninstall();
    QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QStackedWidget*>()->currentWidget(),
                              static_cast<QWidget*>(window.findChild<UnInstallCompletedPage*>()),
                              30000);
    QCOMPARE(steps, (QVector<int>{0, 30, 60, 100}));
    QVERIFY2(between.size() >= 10, qPrintable(QString::number(between.size())));
    QVERIFY(between.first() > 0 && between.last() < 30);
    QVERIFY(std::is_sorted(between.begin(), between.end()));
    QCOMPARE(std::adjacent_find(between.begin(), between.end()), between.end());
    QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1String(", "))));
    QVERIFY(!QFileInfo::exists(m_install));
}

// A trial run's page counts what would go (the staged files, their folder
// and the client program) and removes nothing.
void TestWindowRun::trialRunSaysWhatWouldGo()
{
    stage(50);
    InstallProcessMgr::getInstance()->setDryRun(true);
    const auto real = qScopeGuard([] { InstallProcessMgr::getInstance()->setDryRun(false); });
    MainWindow window;
    window.setLogPath(QDir::tempPath() + QStringLiteral("/logs/uninstall-trial.log"));
    window.show();
    window.onUninstall();
    auto* completed = window.findChild<UnInstallCompletedPage*>();
    QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QStackedWidget*>()->currentWidget(),
                              static_cast<QWidget*>(completed), 30000);
    const QString note = completed->findChild<QLabel*>(QStringLiteral("m_pLeftoverLabel"))
                             ->text()
                             .remove(QChar(0x2060)); // the marks that keep a path on one line
    QVERIFY2(note.contains(QLatin1String("Would remove 52 item")), qPrintable(note));
    QVERIFY2(note.contains(QLatin1String("uninstall-trial.log")), qPrintable(note));
    QVERIFY(QFileInfo::exists(m_install + QStringLiteral("/d0/f49")));
    QVERIFY(UninstallRegistry::getInstance()->isInstalled());
}

QTEST_MAIN(TestWindowRun)
#include "tst_windowrun.moc"
