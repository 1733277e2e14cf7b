#include "platform/platform.h"
#include "platform/standin/standin.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

class TestPlatformPaths : public QObject
{
    Q_OBJECT

private slots:
    void iniPath_data();
    void iniPath();
    void windowsPath_data();
    void windowsPath();
    void standinFollowsDataHome();
    void registryKeyIsIniFile();
    void systemFoldersAreAbsolute();
    void programsHoldingAFile();
};

void TestPlatformPaths::iniPath_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("path");
    QTest::newRow("uninstall entry, 64-bit view")
        << "HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
           "Uninstall\\{ABC}"
        << "/r/HKEY_LOCAL_MACHINE/SOFTWARE/Wow6432Node/Microsoft/Windows/CurrentVersion/"
           "Uninstall/{ABC}.ini";
    QTest::newRow("braces and blanks kept") << "HKEY_CURRENT_USER\\Software\\My Co\\{1-2 3}"
                                            << "/r/HKEY_CURRENT_USER/Software/My Co/{1-2 3}.ini";
    QTest::newRow("forward slashes stay") << "A/B\\C"
                                          << "/r/A/B/C.ini";
}

void TestPlatformPaths::iniPath()
{
    QFETCH(QString, key);
    QFETCH(QString, path);
    QCOMPARE(Platform::standinIniPath(QStringLiteral("/r"), key), path);
}

void TestPlatformPaths::windowsPath_data()
{
    QTest::addColumn<QString>("windowsPath");
    QTest::addColumn<QString>("path");
    QTest::newRow("public desktop") << "C:/Users/Public/Desktop/"
                                    << "/r/C/Users/Public/Desktop/";
    QTest::newRow("backslashes") << "D:\\Games\\x"
                                 << "/r/D/Games/x";
    QTest::newRow("no drive") << "/Users/x"
                              << "/r/Users/x";
}

void TestPlatformPaths::windowsPath()
{
    QFETCH(QString, windowsPath);
    QFETCH(QString, path);
    QCOMPARE(Platform::standinWindowsPath(QStringLiteral("/r"), windowsPath), path);
}

void TestPlatformPaths::standinFollowsDataHome()
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QDir::tempPath().toLocal8Bit() + "/data-home");
    QCOMPARE(Platform::standinRoot(),
             QDir::tempPath() + QStringLiteral("/data-home/appinstaller/windows"));
    QCOMPARE(Platform::allUsersDesktop(),
             QDir::tempPath() +
                 QStringLiteral("/data-home/appinstaller/windows/C/Users/Public/Desktop/"));

    // Unset, it is the default below the home folder, never the working folder.
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(Platform::standinRoot(),
             QDir::homePath() + QStringLiteral("/.local/share/appinstaller/windows"));
    QVERIFY(QDir::isAbsolutePath(Platform::allUsersDesktop()));
    QVERIFY(Platform::allUsersDesktop().endsWith(QLatin1Char('/')));
    qputenv("XDG_DATA_HOME", saved);
}

void TestPlatformPaths::registryKeyIsIniFile()
{
    const QString key = QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\{K}");
    {
        auto settings = Platform::openRegistryKey(key);
        settings->setValue(QStringLiteral("InstallLocation"), QStringLiteral("D:\\Ferrovane"));
        settings->setValue(QStringLiteral("Sub/Value"), 7);
    }
    const QString file = Platform::standinIniPath(Platform::standinRoot(), key);
    QVERIFY2(QFile::exists(file), qPrintable(file));
    QSettings ini(file, QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("InstallLocation")).toString(),
             QStringLiteral("D:\\Ferrovane"));
    QCOMPARE(ini.childGroups(), QStringList{QStringLiteral("Sub")});

    auto reopened = Platform::openRegistryKey(key);
    QCOMPARE(reopened->value(QStringLiteral("Sub/Value")).toInt(), 7);
    QCOMPARE(reopened->childKeys(), QStringList{QStringLiteral("InstallLocation")});
}

void TestPlatformPaths::systemFoldersAreAbsolute()
{
    const QStringList folders = Platform::systemFolders();
    QVERIFY(!folders.isEmpty());
    for (const QString& folder : folders)
        QVERIFY2(QDir::isAbsolutePath(folder), qPrintable(folder));
}

// Who holds a file open, named for the user: the program and its process, not
// this one, nor one that holds another file.
void TestPlatformPaths::programsHoldingAFile()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString held = folder.filePath(QStringLiteral("held.dat"));
    const QString other = folder.filePath(QStringLiteral("other.dat"));
    for (const QString& path : {held, other}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFile mine(other);
    QVERIFY(mine.open(QIODevice::ReadOnly)); // this process holds the other one
    QProcess holder;
    holder.start(
        QStringLiteral("sh"),
        {QStringLiteral("-c"), QStringLiteral("exec 3<\"$0\"; echo ready; exec sleep 30"), held});
    QVERIFY(holder.waitForReadyRead(10000));
    // The shell holds it first, until it has become sleep.
    const auto holding = [&held] {
        QStringList programs;
        for (const Platform::FileHolder& holder : Platform::programsHolding(held))
            programs << holder.program;
        return programs;
    };
    QTRY_COMPARE_WITH_TIMEOUT(holding(), QStringList{QStringLiteral("sleep")}, 5000);
    const std::vector<Platform::FileHolder> holders = Platform::programsHolding(held);
    QCOMPARE(holders.size(), std::size_t(1));
    QCOMPARE(holders.front().pid, static_cast<unsigned long long>(holder.processId()));
    QCOMPARE(holders.front().program, QStringLiteral("sleep"));
    QVERIFY(Platform::programsHolding(other).empty());
    holder.kill();
    holder.waitForFinished();
    QVERIFY(Platform::programsHolding(held).empty());
}

QTEST_GUILESS_MAIN(TestPlatformPaths)
#include "tst_platformpaths.moc"
