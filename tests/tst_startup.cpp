#include "app/commandline.h"
#include "app/quietrun.h"
#include "app/startup.h"
#include "common/sandbox.h"
#include "config/appconfigmanager.h"
#include "platform/platform.h"
#include "platform/standin/standin.h"
#include "registry/uninstallregistry.h"
#include "ui/mainwindow.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

#include <chrono>
#include <functional>
#include <thread>
#include <utility>

using namespace appinstaller;

namespace
{

// Answers the start-up dialogs as a user would, and notes what it saw.
class DialogAnswerer : public QObject
{
public:
    DialogAnswerer(const QString& answer) : m_answer(answer)
    {
        connect(&m_timer, &QTimer::timeout, this, &DialogAnswerer::poll);
        m_timer.start(10);
    }

    QStringList texts;
    bool windowShown = false;
    QString hold;                            // let go once the window has closed
    std::function<void()> beforeFirstAnswer; // runs while the first dialog is open

private:
    void poll()
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (qobject_cast<MainWindow*>(widget) && widget->isVisible()) {
                windowShown = true;
                widget->close(); // ends the event loop of an accepted run
                // The removal goes on once the program waits for it.
                std::thread([hold = hold] {
                    while (!QFile::remove(hold))
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }).detach();
            }
        }
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog == m_answered)
            return;
        m_answered = dialog;
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("m_pContentLabel"));
        texts << (label ? label->text() : QString());
        if (beforeFirstAnswer)
            std::exchange(beforeFirstAnswer, nullptr)();
        if (m_answer == QLatin1String("Return") || m_answer == QLatin1String("Escape"))
            QTest::keyClick(dialog,
                            m_answer == QLatin1String("Return") ? Qt::Key_Return : Qt::Key_Escape);
        else if (auto* button = dialog->findChild<QAbstractButton*>(m_answer))
            button->click();
        else
            dialog->close();
    }

    QString m_answer;
    QTimer m_timer;
    QPointer<QWidget> m_answered;
};

const QString clientRunning = QStringLiteral("TheClientIsRunningPrnptTrdtT");
const QString notInstalled = QStringLiteral("ThisSoftwareIsNotCurmXqDCfI");
const QString confirm = QStringLiteral("DetermineTheUninstalfYANYiIa");
const QString byWindowsInstaller = QStringLiteral("InstalledByWindowsInstaller");

} // namespace

// The start-up sequence through its real code, with the test product of
// tests/startup/AppConfig.xml: a client program copied under the configured
// name, and an uninstall entry in the stand-in registry.
class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void gates_data();
    void gates();
    void withArguments_data();
    void withArguments();
    void cleanup();

private:
    void setClientRunning(bool running);
    void setInstalled(const QString& location);
    QString entryFile() const;

    QString m_clientPath;
    QString m_installFolder;
    QProcess m_client;
};

void TestStartup::initTestCase()
{
    REQUIRE_SANDBOX();
    QVERIFY(QFileInfo::exists(QCoreApplication::applicationDirPath() +
                              QLatin1String("/AppConfig.xml")));
    QCOMPARE(AppConfigManager::getInstance()->getProgramName(),
             std::string("bin/ferrovane-test-client"));

    // The client: a copy of sleep under the configured file name.
    QDir temp(QDir::tempPath());
    QVERIFY(temp.mkpath(QStringLiteral("bin")));
    m_clientPath = temp.filePath(QStringLiteral("bin/ferrovane-test-client"));
    QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), m_clientPath));
    QVERIFY(QFile::setPermissions(m_clientPath, QFile::ReadOwner | QFile::ExeOwner));

    m_installFolder = temp.filePath(QStringLiteral("Ferrovane Test"));
}

QString TestStartup::entryFile() const
{
    const std::string base = UninstallRegistry::uninstallKeyBaseFor(Platform::nativeArchitecture());
    return Platform::standinIniPath(
        Platform::standinRoot(),
        UninstallRegistry::entryKeyPath(base, AppConfigManager::getInstance()->getGuid()));
}

void TestStartup::setClientRunning(bool running)
{
    if (!running)
        return;
    m_client.start(m_clientPath, {QStringLiteral("60")});
    QVERIFY(m_client.waitForStarted());
    QVERIFY(QTest::qWaitFor([] {
        return !Platform::processesRunning(QStringLiteral("ferrovane-test-client")).empty();
    }));
}

void TestStartup::setInstalled(const QString& location)
{
    QVERIFY(QDir().mkpath(m_installFolder));
    // The client program, as installed: what proves the folder is the product's.
    QFile::remove(m_installFolder + QLatin1String("/ferrovane-test-client"));
    QVERIFY(QFile::copy(m_clientPath, m_installFolder + QLatin1String("/ferrovane-test-client")));
    QFile file(m_installFolder + QLatin1String("/client.dat"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QFile::remove(entryFile());
    if (location.isEmpty())
        return;
    QSettings entry(entryFile(), QSettings::IniFormat);
    // "LOCATION|msi": an entry Windows Installer keeps; "LOCATION|msiflag":
    // one that says so by its flag alone, its command another program's.
    if (location.endsWith(QLatin1String("|msi"))) {
        entry.setValue(QStringLiteral("WindowsInstaller"), 1);
        entry.setValue(QStringLiteral("UninstallString"), QStringLiteral("MsiExec.exe /X{X}"));
    } else if (location.endsWith(QLatin1String("|msiflag"))) {
        entry.setValue(QStringLiteral("WindowsInstaller"), 1);
        entry.setValue(QStringLiteral("UninstallString"),
                       QStringLiteral("\"%1/uninstall.exe\" /S").arg(m_installFolder));
    }
    entry.setValue(QStringLiteral("InstallLocation"), location.section(QLatin1Char('|'), 0, 0));
    entry.setValue(QStringLiteral("DisplayName"), QStringLiteral("Ferrovane Test"));
    entry.sync();
    QCOMPARE(entry.status(), QSettings::NoError);
}

void TestStartup::cleanup()
{
    if (m_client.state() != QProcess::NotRunning) {
        m_client.kill();
        m_client.waitForFinished();
    }
}

void TestStartup::gates_data()
{
    QTest::addColumn<bool>("running"); // from the start, or started during the question
    QTest::addColumn<bool>("startedLater");
    QTest::addColumn<QString>("location"); // the entry's, "@" the install folder; "": no entry
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("result");

    const QString no = QStringLiteral("m_pCancelBtn");
    const QString yes = QStringLiteral("m_pConfirmBtn");
    // First: it also checks that the registry was never opened.
    QTest::newRow("client running")
        << true << false << "@" << yes << QStringList{clientRunning} << -1;
    QTest::newRow("not installed")
        << false << false << "" << yes << QStringList{notInstalled} << -1;
    // Windows Installer's: refused before the question, with what to do.
    QTest::newRow("installed by Windows Installer")
        << false << false << "@|msi" << yes << QStringList{byWindowsInstaller} << -1;
    QTest::newRow("Windows Installer's by its flag alone")
        << false << false << "@|msiflag" << yes << QStringList{byWindowsInstaller} << -1;
    QTest::newRow("declined") << false << false << "@" << no << QStringList{confirm} << -1;
    QTest::newRow("declined with Esc")
        << false << false << "@" << QStringLiteral("Escape") << QStringList{confirm} << -1;
    QTest::newRow("dialog closed")
        << false << false << "@" << QStringLiteral("m_pCloseBtn") << QStringList{confirm} << -1;
    // Accepted: the window is closed while the removal is held at its
    // start; the status tells what the removal did once it ended.
    QTest::newRow("accepted with Return")
        << false << false << "@" << QStringLiteral("Return") << QStringList{confirm} << 0;
    QTest::newRow("accepted, nothing where the entry says")
        << false << false << "@/missing" << QStringLiteral("Return") << QStringList{confirm} << 1;
    QTest::newRow("client started during the question")
        << true << true << "@" << QStringLiteral("Return") << QStringList{confirm, clientRunning}
        << -1;
}

void TestStartup::gates()
{
    QFETCH(bool, running);
    QFETCH(bool, startedLater);
    QFETCH(QString, location);
    QFETCH(QString, answer);
    QFETCH(QStringList, texts);
    QFETCH(int, result);

    setInstalled(location.replace(QLatin1Char('@'), m_installFolder));
    setClientRunning(running && !startedLater);

    const QString hold = QDir::tempPath() + QStringLiteral("/hold");
    qputenv("UNINSTALLER_TEST_HOLD", QFile::encodeName(hold));
    DialogAnswerer answerer(answer);
    answerer.hold = hold;
    if (startedLater)
        answerer.beforeFirstAnswer = [this] { setClientRunning(true); };
    const QStringList logs{QStringLiteral("uninstaller-*.log")};
    for (const QString& earlier : QDir::temp().entryList(logs, QDir::Files))
        QVERIFY(QDir::temp().remove(earlier));
    QCOMPARE(runUninstaller(), result);
    QCOMPARE(answerer.texts, texts);
    // Every run leaves a log, even one asked for none: in the temporary
    // folder, from its first gate to its status and its own path.
    const QStringList made = QDir::temp().entryList(logs, QDir::Files);
    QCOMPARE(made.size(), 1);
    QFile log(QDir::temp().filePath(made.first()));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QVERIFY2(text.contains(QLatin1String("gate configuration: ")), qPrintable(text));
    QVERIFY2(lines.value(lines.size() - 2).contains(QStringLiteral("exit status %1: ").arg(result)),
             qPrintable(text));
    QVERIFY2(lines.last().endsWith(QLatin1String("log: ") + log.fileName()), qPrintable(text));
    QCOMPARE(answerer.windowShown, result >= 0);
    if (running && !startedLater)
        QVERIFY2(!UninstallRegistry::hasInstance(), "the registry was consulted");
    // Nothing of the product is touched unless the user accepted.
    const bool removed = result == 0;
    QCOMPARE(QFileInfo::exists(m_installFolder + QLatin1String("/client.dat")), !removed);
    QCOMPARE(UninstallRegistry::getInstance()->hasEntry(AppConfigManager::getInstance()->getGuid()),
             !location.isEmpty() && !removed);
}

// A clicked run given switches: a log that cannot be is warned about and
// the run goes on; one that can records the gates in order; a bad switch
// ends the run before any gate.
void TestStartup::withArguments_data()
{
    QTest::addColumn<QStringList>("arguments"); // "<install>", "<temp>": those folders
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("result");
    QTest::addColumn<QStringList>("logged"); // what the log holds, in this order

    const QString log = QStringLiteral("/LOG=<temp>/clicked.log");
    // Refused: the refusal and the run recorded in the temporary folder.
    QTest::newRow("log inside the install folder")
        << QStringList{QStringLiteral("/LOG=<install>/bin/run.log")} << true
        << QStringList{QStringLiteral("LogPathInsideInstallFolder"), confirm} << -1
        << QStringList{QStringLiteral("log <install>/bin/run.log refused: "),
                       QStringLiteral("gate confirmation: declined"),
                       QStringLiteral("exit status -1")};
    QTest::newRow("logged, declined")
        << QStringList{log} << true << QStringList{confirm} << -1
        << QStringList{QStringLiteral("clicked run"), QStringLiteral("is not running: passed"),
                       QStringLiteral("gate installed: uninstall entry found: passed"),
                       QStringLiteral("gate confirmation: declined"),
                       QStringLiteral("exit status -1")};
    QTest::newRow("logged, not installed")
        << QStringList{QStringLiteral("/LOG"), QStringLiteral("<temp>/clicked.log")} << false
        << QStringList{notInstalled} << -1
        << QStringList{QStringLiteral("gate installed: no uninstall entry: refused"),
                       QStringLiteral("exit status -1")};
    // Without /LOG: in the temporary folder, as every run.
    QTest::newRow("bad switch") << QStringList{QStringLiteral("/Z")} << true
                                << QStringList{QStringLiteral("CommandLineUnknownArgument")}
                                << QuietExit::BadArguments
                                << QStringList{QStringLiteral("clicked run"),
                                               QStringLiteral("command line refused: "),
                                               QStringLiteral("exit status 1639"),
                                               QStringLiteral("log: <temp>/")};
    QTest::newRow("bad switch with a log")
        << QStringList{QStringLiteral("/Z"), log} << true
        << QStringList{QStringLiteral("CommandLineUnknownArgument")} << QuietExit::BadArguments
        << QStringList{QStringLiteral("command line refused: "), QStringLiteral("log: <temp>/")};
    QTest::newRow("no log asked, declined")
        << QStringList() << true << QStringList{confirm} << -1
        << QStringList{QStringLiteral("clicked run"), QStringLiteral("is not running: passed"),
                       QStringLiteral("gate confirmation: declined"),
                       QStringLiteral("exit status -1"), QStringLiteral("log: <temp>/")};
}

void TestStartup::withArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, installed);
    QFETCH(QStringList, texts);
    QFETCH(int, result);
    QFETCH(QStringList, logged);

    setInstalled(installed ? m_installFolder : QString());
    QFile::remove(QDir::temp().filePath(QStringLiteral("clicked.log")));
    const QStringList defaultLogs{QStringLiteral("uninstaller-*.log")};
    for (const QString& earlier : QDir::temp().entryList(defaultLogs, QDir::Files))
        QVERIFY(QDir::temp().remove(earlier));
    for (QStringList* list : {&arguments, &logged}) {
        list->replaceInStrings(QStringLiteral("<install>"), m_installFolder);
        list->replaceInStrings(QStringLiteral("<temp>"), QDir::tempPath());
    }

    // Declines the question, dismisses any warning.
    DialogAnswerer answerer(QStringLiteral("m_pCancelBtn"));
    QCOMPARE(runUninstaller(parseCommandLine(arguments)), result);
    QCOMPARE(answerer.texts, texts);
    QVERIFY(QFileInfo::exists(m_installFolder + QLatin1String("/client.dat")));
    QVERIFY(!QFileInfo::exists(m_installFolder + QLatin1String("/bin/run.log")));
    // The log asked for when it could be, else one in the temporary folder.
    const QStringList made = QDir::temp().entryList(defaultLogs, QDir::Files);
    QVERIFY(made.size() <= 1);
    QFile file(
        QDir::temp().filePath(made.isEmpty() ? QStringLiteral("clicked.log") : made.first()));
    QCOMPARE(file.open(QIODevice::ReadOnly), !logged.isEmpty());
    const QString text = QString::fromUtf8(file.readAll());
    int at = 0;
    for (const QString& line : logged) {
        at = text.indexOf(line, at);
        QVERIFY2(at >= 0, qPrintable(line + QLatin1String(" not in order in:\n") + text));
    }
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
