#include "app/commandline.h"
#include "app/quietrun.h"
#include "app/uninstalllog.h"
#include "platform/platform.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextCodec>
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
    void escapesNames_data();
    void escapesNames();
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
    // Inno Setup's bare /LOG: the log every run leaves in the temporary folder.
    row("/LOG last", QStringLiteral("/S|/LOG"), true, false, none, QString());
    row("/LOG before a switch", QStringLiteral("/LOG|/S"), true, false, none, QString());
    row("/LOG= blank", QStringLiteral("/LOG= "), false, false, QStringLiteral(" "), noFile);
    row("/LOG twice", QStringLiteral("/LOG=a|/LOG=b"), false, false, QStringLiteral("b"),
        QStringLiteral("CommandLineLogTwice"));
    // The peers' switches, which package managers pass to any uninstaller.
    row("MSI's /qn", QStringLiteral("/qn"), true, false, none, QString());
    row("/SUPPRESSMSGBOXES", QStringLiteral("/VERYSILENT|/SUPPRESSMSGBOXES|/NORESTART"), true,
        false, none, QString());
    row("-h", QStringLiteral("-h"), false, true, none, QString());
    row("--help", QStringLiteral("--help"), false, true, none, QString());
    row("Inno's /SILENT: passive", QStringLiteral("/SILENT"), false, false, none, QString());
    row("MSI's /passive", QStringLiteral("/passive"), false, false, none, QString());
    row("/SILENT with an unknown switch", QStringLiteral("/SILENT|/X"), false, false, none,
        unknown);
    // Windows Installer's interface levels: none is quiet, basic and
    // reduced passive, full a clicked run.
    row("MSI's /q", QStringLiteral("/q"), true, false, none, QString());
    row("MSI's -QN+", QStringLiteral("-QN+"), true, false, none, QString());
    row("MSI's /qb: passive", QStringLiteral("/qb"), false, false, none, QString());
    row("MSI's /qr: passive", QStringLiteral("/qr"), false, false, none, QString());
    row("MSI's /qb-!: passive", QStringLiteral("/qb-!"), false, false, none, QString());
    row("MSI's /QB+: passive", QStringLiteral("/QB+"), false, false, none, QString());
    row("MSI's /qf", QStringLiteral("/qf"), false, false, none, QString());
    row("/qb++", QStringLiteral("/qb++"), false, false, none, unknown);
    row("/qn+-", QStringLiteral("/qn+-"), false, false, none, unknown);
    row("/qx", QStringLiteral("/qx"), false, false, none, unknown);
    // Inno Setup's and NSIS's.
    row("Inno's restart switches",
        QStringLiteral("/VERYSILENT|/NORESTARTAPPLICATIONS|/NOCANCEL|/RESTARTEXITCODE=42"), true,
        false, none, QString());
    row("/RESTARTEXITCODE without a number", QStringLiteral("/S|/RESTARTEXITCODE=x"), true, false,
        none, unknown);
    row("NSIS's _?= takes the rest", QStringLiteral("/S|_?=C:\\Program|Files\\Ferrovane|/X"), true,
        false, none, QString());
    row("a bare word", QStringLiteral("/S|uninstall"), true, false, none, unknown);
    row("/SX", QStringLiteral("/SX"), false, false, none, unknown);
    row("/ alone", QStringLiteral("/"), false, false, none, unknown);
    row("/LOGFILE=x", QStringLiteral("/LOGFILE=x"), false, false, none, unknown);
    // A trial run, quiet or with the window.
    row("/WHATIF with /S", QStringLiteral("/S|/WHATIF"), true, false, none, QString());
    row("-whatif alone", QStringLiteral("-whatif"), false, false, none, QString());
    row("/WHATIF=yes", QStringLiteral("/WHATIF=yes"), false, false, none, unknown);
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
    // Nobody answers questions in a quiet or passive run.
    QCOMPARE(line.passive,
             QString::fromLatin1(QTest::currentDataTag()).contains(QStringLiteral("SILENT")) ||
                 QString::fromLatin1(QTest::currentDataTag()).contains(QStringLiteral("passive")));
    QCOMPARE(line.unattended(), line.quiet || line.passive);
    QCOMPARE(line.help, help);
    QCOMPARE(line.restartStatus, arguments.join(QString()).contains(QLatin1String("=42")) ? 42 : 0);
    QCOMPARE(line.folder,
             line.folderGiven ? QStringLiteral("C:\\Program Files\\Ferrovane /X") : QString());
    QCOMPARE(line.whatIf,
             line.error.isEmpty() && arguments.join(QLatin1Char(' '))
                                         .contains(QLatin1String("whatif"), Qt::CaseInsensitive));
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
    QTest::addColumn<int>("gate"); // a Gate, or -1: the removal ran
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("window"); // the clicked run's status
    QTest::addColumn<int>("quiet");  // the passive and the quiet run's
    QTest::addColumn<QString>("meaning");

    const LeftoverItem scheduled{QStringLiteral("C:/P/uninstaller.exe"), true};
    const LeftoverItem kept{QStringLiteral("C:/P"), false, LeftoverReason::Shared};
    const QVector<LeftoverItem> none;
    const int ran = -1;
    QTest::newRow("nothing left") << none << ran << "/S" << 0 << QuietExit::Done << "done";
    QTest::newRow("all scheduled") << QVector<LeftoverItem>{scheduled, scheduled} << ran << "/S"
                                   << 0 << QuietExit::RestartNeeded << "done; the rest goes";
    QTest::newRow("one kept") << QVector<LeftoverItem>{kept} << ran << "/S" << 1
                              << QuietExit::Incomplete << "incomplete";
    QTest::newRow("kept beside scheduled") << QVector<LeftoverItem>{scheduled, kept} << ran << "/S"
                                           << 1 << QuietExit::Incomplete << "incomplete";
    // Inno Setup's own status for a restart, in every mode that has one.
    QTest::newRow("/RESTARTEXITCODE") << QVector<LeftoverItem>{scheduled} << ran
                                      << "/S|/RESTARTEXITCODE=42" << 42 << 42 << "done; the rest";
    QTest::newRow("/RESTARTEXITCODE, nothing left")
        << none << ran << "/S|/RESTARTEXITCODE=42" << 0 << 0 << "done";
    // Nothing was tried: the refusal's words, not a removal's.
    QTest::newRow("Windows Installer's")
        << none << int(Gate::WindowsInstaller) << "/S" << -1 << QuietExit::Incomplete
        << "refused: the product is Windows Installer's";
    QTest::newRow("not installed") << none << int(Gate::NotInstalled) << "/S" << -1
                                   << QuietExit::NotInstalled << "not installed";
    QTest::newRow("client running") << none << int(Gate::ClientRunning) << "/S" << -1
                                    << QuietExit::ClientRunning << "the client program";
    // Found when the run looked again before clearing the entry.
    QTest::newRow("named, still there after the removal")
        << QVector<LeftoverItem>{{QStringLiteral("C:/P/P.exe"), false, LeftoverReason::StillThere}}
        << ran << "/S" << 1 << QuietExit::Incomplete << "incomplete";
    QTest::newRow("a manifest naming nothing in the folder")
        << QVector<LeftoverItem>{{QStringLiteral("C:/Tools"), false,
                                  LeftoverReason::ManifestNotFound}}
        << ran << "/S" << 1 << QuietExit::Incomplete << "incomplete";
}

void TestQuietMode::exitStatus()
{
    QFETCH(QVector<LeftoverItem>, leftovers);
    QFETCH(int, gate);
    QFETCH(QString, arguments);
    QFETCH(int, window);
    QFETCH(int, quiet);
    QFETCH(QString, meaning);

    RunEnd end;
    end.outcome = Outcome(leftovers);
    if (gate >= 0) {
        end.stop = RunEnd::Stop::Gate;
        end.gate = Gate(gate);
    }
    const CommandLine line = parseCommandLine(arguments.split(QLatin1Char('|')));
    QVERIFY(line.error.isEmpty());
    const QVector<QPair<RunMode, int>> modes{
        {RunMode::Window, window}, {RunMode::Passive, quiet}, {RunMode::Quiet, quiet}};
    for (const auto& mode : modes) {
        const ExitStatus status = appinstaller::exitStatus(end, mode.first, line);
        QCOMPARE(status.status, mode.second);
        QVERIFY2(status.meaning.startsWith(meaning), qPrintable(status.meaning));
    }
    // Told apart where the parent sees only 8 bits, and from the clicked
    // run's -1 and 1.
    const QList<int> all{QuietExit::Done,
                         QuietExit::RestartNeeded,
                         QuietExit::Incomplete,
                         QuietExit::NotInstalled,
                         QuietExit::ClientRunning,
                         QuietExit::BadConfiguration,
                         QuietExit::LogFailure,
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
    const QString pastLink = QStringLiteral("LogPathThroughLink");
    const QString notALog = QStringLiteral("LogPathNotALog");
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
    QTest::newRow("inside through a bind mount") << "bound/bin/run.log"
                                                 << "Product" << inside;
    QTest::newRow("a link") << "logs/link.log"
                            << "Product"
                            << "LogPathIsLink";
    QTest::newRow("the folder a link into another product's") << "to-other/settings.ini"
                                                              << "Product" << pastLink;
    QTest::newRow("a new log past a link") << "to-other/run.log"
                                           << "Product" << pastLink;
    QTest::newRow("a link in the middle") << "to-elsewhere/deeper/run.log"
                                          << "Product" << pastLink;
    QTest::newRow("a folder") << "logs"
                              << "Product"
                              << "LogPathNotAFile";
    QTest::newRow("another program's file") << "logs/notes.txt"
                                            << "Product" << notALog;
    QTest::newRow("the first line and more on it") << "logs/longer.log"
                                                   << "Product" << notALog;
    QTest::newRow("an earlier log") << "logs/earlier.log"
                                    << "Product" << QString();
    QTest::newRow("an empty file") << "logs/empty.log"
                                   << "Product" << QString();
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
    const QString header = UninstallLog::headerLine() + QLatin1Char('\n');
    const QMap<QString, QByteArray> files{
        {QStringLiteral("Other/settings.ini"), "[Display]\nwidth=1280\n"},
        {QStringLiteral("logs/notes.txt"), "not a log\n"},
        {QStringLiteral("logs/longer.log"),
         (header.trimmed() + QLatin1String(" and more\n")).toUtf8()},
        {QStringLiteral("logs/earlier.log"), (header + QLatin1String("an earlier run\n")).toUtf8()},
        {QStringLiteral("logs/empty.log"), QByteArray()}};
    QVERIFY(root.mkpath(QStringLiteral("Product/bin")) && root.mkpath(QStringLiteral("logs")) &&
            root.mkpath(QStringLiteral("Product2")) && root.mkpath(QStringLiteral("Other")) &&
            root.mkpath(QStringLiteral("elsewhere/deeper")) &&
            root.mkpath(QStringLiteral("bound")));
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        QFile made(root.filePath(file.key()));
        QVERIFY(made.open(QIODevice::WriteOnly) && made.write(file.value()) == file.value().size());
    }
    const auto link = [&root](const char* target, const char* name) {
        return QFile::link(root.filePath(QLatin1String(target)),
                           root.filePath(QLatin1String(name)));
    };
    QVERIFY(!links ||
            (link("Product", "to-product") && link("logs/elsewhere.log", "logs/link.log") &&
             link("Other", "to-other") && link("elsewhere", "to-elsewhere")));

    // The same folder under a second path: only in the sandbox's own mount
    // namespace, where the mount ends with the test.
    struct Unmount {
        QString point;
        ~Unmount()
        {
            if (!point.isEmpty())
                QProcess::execute(QStringLiteral("umount"), {point});
        }
    } unmount;
    if (QByteArray(QTest::currentDataTag()).contains("bind mount")) {
        if (Platform::usesDrivePaths() || qEnvironmentVariableIsEmpty("UNINSTALLER_TEST_SANDBOX"))
            QSKIP("bind mounts only in the sandbox of run-test.sh --sandbox");
        const QString point = root.filePath(QStringLiteral("bound"));
        if (QProcess::execute(
                QStringLiteral("mount"),
                {QStringLiteral("--bind"), root.filePath(QStringLiteral("Product")), point}) != 0)
            QSKIP("mounting is not allowed here");
        unmount.point = point;
    }

    const QString path = root.filePath(log);
    const QString given = location.isEmpty() ? QString() : root.filePath(location);
    QCOMPARE(UninstallLog::refusal(path, given).left(refusal.size()), refusal);
    QCOMPARE(UninstallLog::refusal(path, given).isEmpty(), refusal.isEmpty());

    // Opening refuses the same by itself, as if the path had changed after
    // the look; the folder to be removed is refusal()'s alone.
    if (refusal != QLatin1String("LogPathInsideInstallFolder")) {
        UninstallLog opened;
        QString error;
        QCOMPARE(opened.open(path, &error), refusal.isEmpty());
        QCOMPARE(error.left(refusal.size()), refusal);
        if (refusal.isEmpty()) {
            opened.write(QStringLiteral("appended"));
            QFile written(path);
            QVERIFY(written.open(QIODevice::ReadOnly | QIODevice::Text));
            const QByteArray text = written.readAll();
            QVERIFY2(text.startsWith(header.toUtf8()) && text.endsWith("  appended\n"),
                     text.constData());
            QCOMPARE(text.count(header.toUtf8()), 1);
        }
    }
    // Nothing written to what was refused, nor anywhere through the links.
    for (auto file = files.cbegin(); file != files.cend(); ++file) {
        if (!refusal.isEmpty() || !path.endsWith(file.key())) {
            QFile after(root.filePath(file.key()));
            QVERIFY(after.open(QIODevice::ReadOnly));
            QCOMPARE(after.readAll(), file.value());
        }
    }
    QCOMPARE(QDir(root.filePath(QStringLiteral("Other"))).entryList(QDir::Files),
             QStringList{QStringLiteral("settings.ini")});
    QVERIFY(!QFileInfo::exists(root.filePath(QStringLiteral("elsewhere/deeper/run.log"))));
}

void TestQuietMode::appendsAndNamesErrors()
{
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QString path = temp.filePath(QStringLiteral("铁风帆.log"));
    QFile before(path);
    QVERIFY(before.open(QIODevice::WriteOnly | QIODevice::Text) &&
            before.write((UninstallLog::headerLine() + QLatin1String("\nearlier run\n")).toUtf8()) >
                0);
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
    QVERIFY(after.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(after.readAll()).split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, 2),
             (QStringList{UninstallLog::headerLine(), QStringLiteral("earlier run")}));
    // Paths as the system writes them ('\\' on Windows).
    QVERIFY2(lines.at(2).contains(QLatin1String("kept shortcut: ") +
                                  QDir::toNativeSeparators(QStringLiteral("/d/铁风帆.lnk"))) &&
                 lines.at(2).contains(QStringLiteral("(system error %1: ").arg(EACCES)),
             qPrintable(lines.at(2)));

    // A new log never reuses a file: two in the same second are two files.
    UninstallLog first, second;
    QVERIFY(first.openNew(temp.path(), nullptr) && second.openNew(temp.path(), nullptr));
    QVERIFY(first.path() != second.path());
    // Each begins as a log, so that a later run may append to it.
    QFile made(first.path());
    QVERIFY(made.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(made.readLine(), (UninstallLog::headerLine() + QLatin1Char('\n')).toUtf8());
}

// What no line of the log may hold, as a name brings it: written as
// escapes in the text log, exactly in the JSON log, which stays valid UTF-8.
void TestQuietMode::escapesNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("escaped");

    QTest::newRow("a line of the log's own")
        << QStringLiteral("a\n2026-01-01T00:00:00Z  run-0  exit status 0")
        << QStringLiteral("a\\n2026-01-01T00:00:00Z  run-0  exit status 0");
    QTest::newRow("carriage return, tab") << QStringLiteral("a\r\tb") << QStringLiteral("a\\r\\tb");
    QTest::newRow("escape character") << QStringLiteral("\x1b[2J") << QStringLiteral("\\x1b[2J");
    QTest::newRow("C1 control, NEL")
        << QStringLiteral("a\u0085\u009bb") << QStringLiteral("a\\x85\\x9bb");
    QTest::newRow("line and paragraph separators")
        << QStringLiteral("a\u2028b\u2029") << QStringLiteral("a\\u2028b\\u2029");
    QTest::newRow("right-to-left override")
        << QStringLiteral("photo\u202egpj.exe") << QStringLiteral("photo\\u202egpj.exe");
    QTest::newRow("isolates") << QStringLiteral("\u2066a\u2069\u202a")
                              << QStringLiteral("\\u2066a\\u2069\\u202a");
    QTest::newRow("a lone surrogate, a pair")
        << (QString(QChar(0xd800)) + QStringLiteral("x\U0001F600"))
        << QStringLiteral("\\ud800x\U0001F600");
    QTest::newRow("Chinese and a Windows path")
        << QStringLiteral("C:\\新建\\铁风帆") << QStringLiteral("C:\\新建\\铁风帆");
}

void TestQuietMode::escapesNames()
{
    QFETCH(QString, name);
    QFETCH(QString, escaped);
    QCOMPARE(UninstallLog::escaped(name), escaped);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    for (const auto format : {UninstallLog::Format::Text, UninstallLog::Format::Json}) {
        const QString path =
            temp.filePath(QLatin1String(format == UninstallLog::Format::Json ? "j" : "t"));
        {
            UninstallLog log(format);
            QVERIFY(log.open(path, nullptr));
            log.removalEvent({RemovalEvent::Kind::Kept, RemovalEvent::Item::InFolder, name});
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QTextCodec::ConverterState state;
        QTextCodec::codecForName("UTF-8")->toUnicode(bytes.constData(), bytes.size(), &state);
        QCOMPARE(state.invalidChars, 0);
        const QList<QByteArray> lines = bytes.trimmed().split('\n');
        QCOMPARE(lines.size(), 2); // the header and the one event
        if (format == UninstallLog::Format::Text) {
            QVERIFY2(QString::fromUtf8(lines.last()).contains(escaped), lines.last().constData());
            continue;
        }
        QJsonParseError error;
        const QJsonDocument event = QJsonDocument::fromJson(lines.last(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        // Where UTF-8 cannot carry a lone surrogate, it stands replaced.
        if (!QTest::currentDataTag() || !QByteArray(QTest::currentDataTag()).contains("lone"))
            QCOMPARE(event.object().value(QStringLiteral("path")).toString(),
                     QDir::toNativeSeparators(name));
    }
}

QTEST_MAIN(TestQuietMode)
#include "tst_quietmode.moc"
