#include "platform/platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using Platform::ProcessRecord;

// Whether another process runs the executable configuredName names.
bool isRunning(const QString& configuredName)
{
    return !Platform::processesRunning(configuredName).empty();
}

class TestProcessMatch : public QObject
{
    Q_OBJECT

private slots:
    void matchRule_data();
    void matchRule();
    void procExeName_data();
    void procExeName();
    void architecture_data();
    void architecture();
    void realProcessUnderChosenName();
    void ownProcessIsSkipped();
};

void TestProcessMatch::matchRule_data()
{
    QTest::addColumn<QString>("configured");
    QTest::addColumn<QStringList>("running"); // "pid:name"
    QTest::addColumn<bool>("found");
    QTest::addColumn<bool>("ignoreCase"); // as on Windows

    const QStringList client{QStringLiteral("10:Client.exe"), QStringLiteral("11:other.exe")};
    QTest::newRow("exact name") << "Client.exe" << client << true << false;
    QTest::newRow("other letter case") << "client.exe" << client << false << false;
    QTest::newRow("all capitals") << "CLIENT.EXE" << client << false << false;
    QTest::newRow("without extension") << "Client" << client << false << false;
    QTest::newRow("slash directory part stripped")
        << "bin/x64/Client.exe" << client << true << false;
    QTest::newRow("backslash directory part kept") << "bin\\Client.exe" << client << false << false;
    QTest::newRow("backslash then slash") << "a\\b/Client.exe" << client << true << false;
    QTest::newRow("trailing slash names nothing") << "Client.exe/" << client << false << false;
    QTest::newRow("empty name") << "" << client << false << false;
    QTest::newRow("empty name, nameless process")
        << "" << QStringList{QStringLiteral("12:")} << false << false;
    QTest::newRow("prefix is not enough") << "Client.ex" << client << false << false;
    QTest::newRow("longer name is not enough") << "Client.exe2" << client << false << false;
    // The test passes its own pid as 1.
    QTest::newRow("own process skipped")
        << "Self.exe" << QStringList{QStringLiteral("1:Self.exe")} << false << false;
    QTest::newRow("second process with own name counts")
        << "Self.exe" << QStringList{QStringLiteral("1:Self.exe"), QStringLiteral("2:Self.exe")}
        << true << false;
    QTest::newRow("non-ASCII name") << QStringLiteral("客户端.exe")
                                    << QStringList{QStringLiteral("5:客户端.exe")} << true << false;
    QTest::newRow("look-alike letter is another name")
        << "Client.exe" << QStringList{QStringLiteral("5:\uFF23lient.exe")} << false << false;
    QTest::newRow("other letter case, ignoring case") << "client.EXE" << client << true << true;
    QTest::newRow("other name, ignoring case") << "Client.ex" << client << false << true;
    QTest::newRow("no processes") << "Client.exe" << QStringList() << false << false;
}

void TestProcessMatch::matchRule()
{
    QFETCH(QString, configured);
    QFETCH(QStringList, running);
    QFETCH(bool, found);
    QFETCH(bool, ignoreCase);

    std::vector<ProcessRecord> processes;
    for (const QString& entry : running) {
        const int colon = entry.indexOf(QLatin1Char(':'));
        processes.push_back(ProcessRecord{entry.left(colon).toULongLong(),
                                          Platform::nativeProcessName(entry.mid(colon + 1))});
    }
    QCOMPARE(Platform::matchesRunningProcess(processes, Platform::nativeProcessName(configured), 1,
                                             ignoreCase),
             found);
}

void TestProcessMatch::procExeName_data()
{
    QTest::addColumn<QByteArray>("exeLink");
    QTest::addColumn<QByteArray>("cmdline");
    QTest::addColumn<QByteArray>("name");

    QTest::newRow("link") << QByteArray("/usr/bin/sleep") << QByteArray() << QByteArray("sleep");
    QTest::newRow("deleted binary")
        << QByteArray("/opt/app/Client.exe (deleted)") << QByteArray() << QByteArray("Client.exe");
    QTest::newRow("name with blank")
        << QByteArray("/opt/My App/My Client.exe") << QByteArray() << QByteArray("My Client.exe");
    QTest::newRow("link wins over command line")
        << QByteArray("/usr/bin/python3.11") << QByteArray("python3\0script.py", 17)
        << QByteArray("python3.11");
    QTest::newRow("unreadable link: first word")
        << QByteArray() << QByteArray("/usr/sbin/sshd\0-D\0", 18) << QByteArray("sshd");
    QTest::newRow("unreadable link: bare word")
        << QByteArray() << QByteArray("Client.exe\0--x\0", 15) << QByteArray("Client.exe");
    QTest::newRow("kernel thread") << QByteArray() << QByteArray() << QByteArray();
}

void TestProcessMatch::procExeName()
{
    QFETCH(QByteArray, exeLink);
    QFETCH(QByteArray, cmdline);
    QFETCH(QByteArray, name);
    const std::string result = Platform::procExeName(exeLink.toStdString(), cmdline.toStdString());
    QCOMPARE(QByteArray::fromStdString(result), name);
}

void TestProcessMatch::architecture_data()
{
    QTest::addColumn<QString>("cpu");
    QTest::addColumn<int>("code");
    QTest::newRow("x86_64") << "x86_64" << 9;
    QTest::newRow("ia64") << "ia64" << 6;
    QTest::newRow("arm64") << "arm64" << 12;
    QTest::newRow("i386") << "i386" << 0;
    QTest::newRow("arm") << "arm" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("X86_64 in capitals") << "X86_64" << 0;
}

void TestProcessMatch::architecture()
{
    QFETCH(QString, cpu);
    QFETCH(int, code);
    QCOMPARE(Platform::architectureFromCpuName(cpu), code);
}

void TestProcessMatch::realProcessUnderChosenName()
{
    const QString sleepBinary = QStandardPaths::findExecutable(QStringLiteral("sleep"));
    if (sleepBinary.isEmpty())
        QSKIP("no sleep binary to copy");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString clientName =
        QStringLiteral("FerrovaneTestClient%1.exe").arg(QCoreApplication::applicationPid());
    const QString client = dir.filePath(clientName);
    QVERIFY(QFile::copy(sleepBinary, client));
    QVERIFY(QFile::setPermissions(client, QFile::permissions(client) | QFile::ExeOwner));

    QVERIFY(!isRunning(clientName));

    QProcess process;
    process.start(client, {QStringLiteral("30")});
    QVERIFY(process.waitForStarted());

    QVERIFY(isRunning(clientName));
    QVERIFY(isRunning(QStringLiteral("some/folder/") + clientName));
    QVERIFY(!isRunning(clientName.toLower()));
    QVERIFY(!isRunning(clientName.chopped(4)));
    QVERIFY(!isRunning(QStringLiteral("folder\\") + clientName));

    process.kill();
    QVERIFY(process.waitForFinished());
    QVERIFY(!isRunning(clientName));
}

void TestProcessMatch::ownProcessIsSkipped()
{
    const QString ownName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    // The snapshot does list this process under its name ...
    bool listed = false;
    for (const ProcessRecord& process : Platform::runningProcesses())
        listed = listed || (process.pid == Platform::currentProcessId() &&
                            process.exeName == Platform::nativeProcessName(ownName));
    QVERIFY(listed);
    // ... but it never counts as the client.
    QVERIFY(!isRunning(ownName));
}

QTEST_GUILESS_MAIN(TestProcessMatch)
#include "tst_processmatch.moc"
