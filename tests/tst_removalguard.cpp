// The removal guards as pure decisions. Real system folders ("/", the real
// home) appear here only as strings; nothing in this file touches a disk.

#include "engine/removalguard.h"
#include "platform/platform.h"

#include <QtTest>

using Engine::LocationVerdict;
Q_DECLARE_METATYPE(Engine::LocationVerdict)

class TestRemovalGuard : public QObject
{
    Q_OBJECT

private slots:
    void normalizedPath_data();
    void normalizedPath();
    void rootPath_data();
    void rootPath();
    void installLocation_data();
    void installLocation();
    void productName_data();
    void productName();
    void protectedFoldersOfThisMachine();
};

void TestRemovalGuard::normalizedPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("normalized");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("final slash") << "/opt/app/"
                                 << "/opt/app";
    QTest::newRow("dot dot") << "/opt/app/../x/./y"
                             << "/opt/x/y";
    QTest::newRow("backslashes") << "C:\\Program Files\\Ferrovane\\"
                                 << "C:/Program Files/Ferrovane";
    QTest::newRow("drive") << "C:"
                           << "C:/";
    QTest::newRow("drive slash") << "C:\\"
                                 << "C:/";
    QTest::newRow("root") << "/"
                          << "/";
    QTest::newRow("double slash") << "/opt//app"
                                  << "/opt/app";
}

void TestRemovalGuard::normalizedPath()
{
    QFETCH(QString, path);
    QFETCH(QString, normalized);
    QCOMPARE(Engine::normalizedPath(path), normalized);
}

void TestRemovalGuard::rootPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("root");
    QTest::newRow("slash") << "/" << true;
    QTest::newRow("drive") << "C:/" << true;
    QTest::newRow("lower-case drive") << "d:" << true;
    QTest::newRow("server") << "//server" << true;
    QTest::newRow("share") << "//server/share" << true;
    QTest::newRow("folder on share") << "//server/share/app" << false;
    QTest::newRow("folder") << "/opt" << false;
    QTest::newRow("drive folder") << "C:/Ferrovane" << false;
}

void TestRemovalGuard::rootPath()
{
    QFETCH(QString, path);
    QFETCH(bool, root);
    QCOMPARE(Engine::isRootPath(path), root);
}

void TestRemovalGuard::installLocation_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("resolved");
    QTest::addColumn<int>("caseSensitivity");
    QTest::addColumn<LocationVerdict>("verdict");

    const int cs = Qt::CaseSensitive;
    const int ci = Qt::CaseInsensitive;
    // Unix-like
    QTest::newRow("product folder") << "/opt/Ferrovane"
                                    << "/opt/Ferrovane" << cs << LocationVerdict::Remove;
    QTest::newRow("product folder in home") << "/home/user/Ferrovane"
                                            << "" << cs << LocationVerdict::Remove;
    QTest::newRow("empty") << ""
                           << "" << cs << LocationVerdict::Empty;
    QTest::newRow("blank") << "   "
                           << "" << cs << LocationVerdict::Empty;
    QTest::newRow("relative") << "Ferrovane"
                              << "" << cs << LocationVerdict::NotAbsolute;
    QTest::newRow("dot") << "."
                         << "" << cs << LocationVerdict::NotAbsolute;
    QTest::newRow("dot dot") << "../.."
                             << "" << cs << LocationVerdict::NotAbsolute;
    QTest::newRow("root") << "/"
                          << "/" << cs << LocationVerdict::Root;
    QTest::newRow("root through dot dot") << "/opt/.."
                                          << "" << cs << LocationVerdict::Root;
    QTest::newRow("home") << "/home/user"
                          << "" << cs << LocationVerdict::Protected;
    QTest::newRow("home with final slash") << "/home/user/"
                                           << "" << cs << LocationVerdict::Protected;
    QTest::newRow("home's parent") << "/home"
                                   << "" << cs << LocationVerdict::Protected;
    QTest::newRow("desktop") << "/home/user/Desktop"
                             << "" << cs << LocationVerdict::Protected;
    QTest::newRow("ancestor of start menu") << "/home/user/.local/share/applications/.."
                                            << "" << cs << LocationVerdict::Protected;
    QTest::newRow("usr") << "/usr"
                         << "" << cs << LocationVerdict::Protected;
    QTest::newRow("link to home") << "/opt/innocent"
                                  << "/home/user" << cs << LocationVerdict::Protected;
    QTest::newRow("link to root") << "/opt/innocent"
                                  << "/" << cs << LocationVerdict::Root;
    QTest::newRow("link to a product folder")
        << "/opt/innocent"
        << "/srv/app/Ferrovane" << cs << LocationVerdict::Remove;
    QTest::newRow("similar prefix is no ancestor") << "/home/use"
                                                   << "" << cs << LocationVerdict::Remove;
    QTest::newRow("other case, case-sensitive") << "/HOME/USER"
                                                << "" << cs << LocationVerdict::Remove;
    // Windows-like
    QTest::newRow("drive root") << "C:\\"
                                << "" << ci << LocationVerdict::Root;
    QTest::newRow("bare drive") << "C:"
                                << "" << ci << LocationVerdict::Root;
    QTest::newRow("program files") << "C:\\Program Files"
                                   << "" << ci << LocationVerdict::Protected;
    QTest::newRow("users folder, other case") << "c:\\users"
                                              << "" << ci << LocationVerdict::Protected;
}

void TestRemovalGuard::installLocation()
{
    QFETCH(QString, written);
    QFETCH(QString, resolved);
    QFETCH(int, caseSensitivity);
    QFETCH(LocationVerdict, verdict);

    const QStringList protectedFolders{
        QStringLiteral("/home/user"),
        QStringLiteral("/home/user/Desktop"),
        QStringLiteral("/home/user/.local/share/applications"),
        QStringLiteral("/usr"),
        QStringLiteral("/home"),
        QStringLiteral("C:/Program Files"),
        QStringLiteral("C:/Users/user"),
        QStringLiteral("C:/Windows"),
    };
    // Qt takes "C:/..." for absolute on Windows only; elsewhere such a path is
    // relative, which the guard refuses as well.
    if (verdict == LocationVerdict::Protected && !QDir::isAbsolutePath(QStringLiteral("C:/")) &&
        !QDir::isAbsolutePath(Engine::normalizedPath(written)))
        verdict = LocationVerdict::NotAbsolute;
    QCOMPARE(Engine::judgeInstallLocation(written, resolved, protectedFolders,
                                          Qt::CaseSensitivity(caseSensitivity)),
             verdict);
}

void TestRemovalGuard::productName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("usable");
    QTest::newRow("english") << "Ferrovane" << true;
    QTest::newRow("chinese") << QStringLiteral("铁风") << true;
    QTest::newRow("with blank") << "Ferrovane Client" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("dot") << "." << false;
    QTest::newRow("dot dot") << ".." << false;
    QTest::newRow("slash") << "a/b" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("parent by slash") << "../x" << false;
}

void TestRemovalGuard::productName()
{
    QFETCH(QString, name);
    QFETCH(bool, usable);
    QCOMPARE(Engine::isUsableProductName(name), usable);
}

void TestRemovalGuard::protectedFoldersOfThisMachine()
{
    const QStringList folders = Engine::protectedFolders();
    QVERIFY(folders.contains(Engine::normalizedPath(QDir::homePath())));
    QVERIFY(folders.contains(
        Engine::normalizedPath(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation))));
    QVERIFY(folders.contains(Engine::normalizedPath(
        QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation))));
    QVERIFY(folders.contains(Engine::normalizedPath(Platform::allUsersDesktop())));
    for (const QString& system : Platform::systemFolders())
        QVERIFY2(folders.contains(Engine::normalizedPath(system)), qPrintable(system));
    // The real home and root are refused without being touched.
    QCOMPARE(Engine::checkInstallLocation(QDir::homePath()), LocationVerdict::Protected);
    QCOMPARE(Engine::checkInstallLocation(QDir::rootPath()), LocationVerdict::Root);
}

QTEST_GUILESS_MAIN(TestRemovalGuard)
#include "tst_removalguard.moc"
