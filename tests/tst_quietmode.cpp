#include "app/commandline.h"
#include "app/quietrun.h"
#include "app/uninstalllog.h"
#include "platform/platform.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace appinstaller;

Q_DECLARE_METATYPE(QVector<LeftoverItem>)

// The switches, the quiet run's exit statuses and the log's own rules;
// tests/e2e/quiet_run.sh runs the program itself.
class TestQuietMode : public QObject
{
    Q_OBJECT

private slots:
    void parses_data();
    void parses();
    void exitStatus_data();
    void exitStatus();
    void refusesLogPaths_data();
    void refusesLogPaths();
    void appendsAndNamesErrors();
};

void TestQuietMode::parses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("quiet");
    QTest::addColumn<bool>("help");
    QTest::addColumn<QString>("log"); // "-" for none given
    QTest::addColumn<QString>("error");

    const auto row = [](const char* name, const QString& line, bool quiet, bool help,
                        const QString& log, const QString& error) {
        QTest::newRow(name) << line.split(QLatin1Char('|'), Qt::SkipEmptyParts) << quiet << help
                            << log << error;
    };
    const QString none = QStringLiteral("-");
    const QString unknown = QStringLiteral("CommandLineUnknownArgument");
    const QString noFile = QStringLiteral("CommandLineLogWithoutFile");
    row("nothing", QString(), false, false, none, QString());
    row("/S", QStringLiteral("/S"), true, false, none, QString());
    row("-s", QStringLiteral("-s"), true, false, none, QString());
    row("/QUIET", QStringLiteral("/QUIET"), true, false, none, QString());
    row("-VerySilent", QStringLiteral("-VerySilent"), true, false, none, QString());
    row("/?", QStringLiteral("/?"), false, true, none, QString());
    row("-HELP with /S", QStringLiteral("-HELP|/S"), true, true, none, QString());
    row("/NORESTART", QStringLiteral("/S|/norestart"), true, false, none, QString());
    row("/LOG=file", QStringLiteral("/S|/LOG=C:\\logs\\铁风帆.log"), true, false,
        QStringLiteral("C:\\logs\\铁风帆.log"), QString());
    row("/log file", QStringLiteral("/log|a b.log|/S"), true, false, QStringLiteral("a b.log"),
        QString());
    row("/LOG with an absolute POSIX path", QStringLiteral("-LOG|/tmp/x.log"), false, false,
        QStringLiteral("/tmp/x.log"), QString());
    row("/LOG last", QStringLiteral("/S|/LOG"), true, false, QString(), noFile);
    row("/LOG before a switch", QStringLiteral("/LOG|/S"), true, false, QString(), noFile);
    row("/LOG= blank", QStringLiteral("/LOG= "), false, false, QStringLiteral(" "), noFile);
    row("/LOG twice", QStringLiteral("/LOG=a|/LOG=b"), false, false, QStringLiteral("b"),
        QStringLiteral("CommandLineLogTwice"));
    row("Inno's /SILENT", QStringLiteral("/SILENT"), false, false, none, unknown);
    row("a bare word", QStringLiteral("/S|uninstall"), true, false, none, unknown);
    row("/SX", QStringLiteral("/SX"), false, false, none, unknown);
    row("/ alone", QStringLiteral("/"), false, false, none, unknown);
    row("/LOGFILE=x", QStringLiteral("/LOGFILE=x"), false, false, none, unknown);
}

void TestQuietMode::parses()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, quiet);
    QFETCH(bool, help);
    QFETCH(QString, log);
    QFETCH(QString, error);

    const CommandLine line = parseCommandLine(arguments);
    QCOMPARE(line.quiet, quiet);
    QCOMPARE(line.help, help);
    QCOMPARE(line.logGiven, log != QLatin1String("-"));
    if (line.logGiven)
        QCOMPARE(line.logPath, log);
    // No translations here: the text is its key.
    QCOMPARE(line.error.left(error.size()), error);
    QCOMPARE(line.error.isEmpty(), error.isEmpty());
}

void TestQuietMode::exitStatus_data()
{
    QTest::addColumn<QVector<LeftoverItem>>("leftovers");
    QTest::addColumn<int>("status");

    const LeftoverItem scheduled{QStringLiteral("C:/P/uninstaller.exe"), true};
    const LeftoverItem kept{QStringLiteral("C:/P"), false, LeftoverReason::Shared};
    QTest::newRow("nothing left") << QVector<LeftoverItem>() << QuietExit::Done;
    QTest::newRow("all scheduled")
        << QVector<LeftoverItem>{scheduled, scheduled} << QuietExit::RestartNeeded;
    QTest::newRow("one kept") << QVector<LeftoverItem>{kept} << QuietExit::Incomplete;
    QTest::newRow("kept beside scheduled")
        << QVector<LeftoverItem>{scheduled, kept} << QuietExit::Incomplete;
}

void TestQuietMode::exitStatus()
{
    QFETCH(QVector<LeftoverItem>, leftovers);
    QFETCH(int, status);
    QCOMPARE(quietExitStatus(leftovers), status);
    // Told apart where the parent sees only 8 bits, and from the clicked
    // run's -1 and 1.
    const QList<int> all{QuietExit::Done,
                         QuietExit::RestartNeeded,
                         QuietExit::Incomplete,
                         QuietExit::NotInstalled,
                         QuietExit::ClientRunning,
                         QuietExit::BadArguments,
                         -1,
                         1};
    QSet<int> low;
    for (int code : all)
        low.insert(code & 0xff);
    QCOMPARE(low.size(), all.size());
}

void TestQuietMode::refusesLogPaths_data()
{
    QTest::addColumn<QString>("log");      // in the temporary folder
    QTest::addColumn<QString>("location"); // the install folder, likewise
    QTest::addColumn<QString>("refusal");

    const QString inside = QStringLiteral("LogPathInsideInstallFolder");
    QTest::newRow("beside") << "logs/run.log"
                            << "Product" << QString();
    QTest::newRow("in a folder named alike") << "Product2/run.log"
                                             << "Product" << QString();
    QTest::newRow("inside") << "Product/run.log"
                            << "Product" << inside;
    QTest::newRow("deep inside") << "Product/bin/new/run.log"
                                 << "Product" << inside;
    QTest::newRow("inside by ..") << "logs/../Product/run.log"
                                  << "Product" << inside;
    QTest::newRow("inside through a link") << "to-product/run.log"
                                           << "Product" << inside;
    QTest::newRow("location through a link") << "Product/run.log"
                                             << "to-product" << inside;
    QTest::newRow("location written with a final /") << "Product/run.log"
                                                     << "Product/" << inside;
    QTest::newRow("a link") << "logs/link.log"
                            << "Product"
                            << "LogPathIsLink";
    QTest::newRow("a folder") << "logs"
                              << "Product"
                              << "LogPathNotAFile";
    QTest::newRow("no location") << "Product/run.log" << QString() << QString();
}

void TestQuietMode::refusesLogPaths()
{
    QFETCH(QString, log);
    QFETCH(QString, location);
    QFETCH(QString, refusal);

    // Qt makes a shell shortcut of a link on Windows.
    const bool links = !Platform::usesDrivePaths();
    if (!links && QByteArray(QTest::currentDataTag()).contains("link"))
        QSKIP("Qt makes symbolic links only where the system is not Windows");
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QDir root(temp.path());
    QVERIFY(root.mkpath(QStringLiteral("Product/bin")) && root.mkpath(QStringLiteral("logs")) &&
            root.mkpath(QStringLiteral("Product2")));
    QVERIFY(!links || QFile::link(root.filePath(QStringLiteral("Product")),
                                  root.filePath(QStringLiteral("to-product"))));
    QVERIFY(!links || QFile::link(root.filePath(QStringLiteral("logs/elsewhere.log")),
                                  root.filePath(QStringLiteral("logs/link.log"))));

    const QString given = location.isEmpty() ? QString() : root.filePath(location);
    QCOMPARE(UninstallLog::refusal(root.filePath(log), given).left(refusal.size()), refusal);
    QCOMPARE(UninstallLog::refusal(root.filePath(log), given).isEmpty(), refusal.isEmpty());
}

void TestQuietMode::appendsAndNamesErrors()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString path = temp.filePath(QStringLiteral("铁风帆.log"));
    QFile before(path);
    QVERIFY(before.open(QIODevice::WriteOnly) && before.write("earlier run\n") > 0);
    before.close();

    {
        UninstallLog log;
        QVERIFY(log.open(path, nullptr));
        RemovalEvent kept{RemovalEvent::Kind::Kept, RemovalEvent::Item::Shortcut,
                          QStringLiteral("/d/铁风帆.lnk")};
        kept.error = EACCES;
        log.removalEvent(kept);
    }
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(after.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("earlier run"));
    // Paths as the system writes them ('\\' on Windows).
    QVERIFY2(lines.at(1).contains(QLatin1String("kept shortcut: ") +
                                  QDir::toNativeSeparators(QStringLiteral("/d/铁风帆.lnk"))) &&
                 lines.at(1).contains(QStringLiteral("(system error %1: ").arg(EACCES)),
             qPrintable(lines.at(1)));

    // A new log never reuses a file: two in the same second are two files.
    UninstallLog first, second;
    QVERIFY(first.openNew(temp.path(), nullptr) && second.openNew(temp.path(), nullptr));
    QVERIFY(first.path() != second.path());
}

QTEST_MAIN(TestQuietMode)
#include "tst_quietmode.moc"
