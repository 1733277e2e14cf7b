// The uninstall sequence, run for real by tests/helpers/uninstallrun inside
// the harness's read-only sandbox: each case stages an installation (its own
// AppConfig.xml, uninstall entry, install folder, shortcuts and start-menu
// folders, sentinels beside them) and checks what is gone and what is left.

#include "common/sandbox.h"
#include "engine/removalguard.h"
#include "engine/restartremoval.h"
#include "engine/shortcuts.h"
#include "platform/platform.h"
#include "registry/uninstallregistry.h"

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

using appinstaller::UninstallRegistry;

namespace
{

const QString kGuid = QStringLiteral("{2B7E4C19-6A3D-4F80-91C5-D8E06B3A7F24}");

bool writeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

QStringList utf8List(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromUtf8(item);
    return list;
}

QString entryFile(const QString& guid)
{
    const std::string base = UninstallRegistry::uninstallKeyBaseFor(Platform::nativeArchitecture());
    return Platform::standinIniPath(Platform::standinRoot(),
                                    UninstallRegistry::entryKeyPath(base, guid.toStdString()));
}

} // namespace

class TestInstallProcessMgr : public QObject
{
    Q_OBJECT

    QString m_root;  // the sandbox
    QString m_stage; // this case's installation, inside it

    QString expand(QString path) const { return path.replace(QLatin1String("%S"), m_stage); }
    void stage(const QString& location, const QString& nameEN, const QString& nameCH);
    QStringList run(const QStringList& prefix = {});

private slots:
    void initTestCase();
    void init();
    void shortcutPaths_data();
    void shortcutPaths();
    void restartOrder();
    void runs_data();
    void runs();
    void refusedRemovalIsRecorded();
};

void TestInstallProcessMgr::initTestCase()
{
    REQUIRE_SANDBOX();
    m_root = qEnvironmentVariable("UNINSTALLER_TEST_SANDBOX");
}

void TestInstallProcessMgr::init()
{
    // HOME, XDG_DATA_HOME and the stage all live in stage/, made afresh.
    m_stage = m_root + QStringLiteral("/stage");
    QVERIFY(QDir(m_stage).removeRecursively());
    QVERIFY(QDir().mkpath(m_stage));
    qputenv("HOME", QFile::encodeName(m_stage + QStringLiteral("/home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_stage + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_stage + QStringLiteral("/config")));
}

// An installation of the product: the uninstaller with its AppConfig.xml,
// the entry (and a sibling product's), the install folder with a link out of
// it, shortcuts under both names, and sentinels that must outlive every run.
void TestInstallProcessMgr::stage(const QString& location, const QString& nameEN,
                                  const QString& nameCH)
{
    const QString app = m_stage + QStringLiteral("/app");
    QVERIFY(QDir().mkpath(app));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/uninstallrun"),
                        app + QStringLiteral("/uninstallrun")));
    QFile::setPermissions(app + QStringLiteral("/uninstallrun"),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile config(app + QStringLiteral("/AppConfig.xml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<c><GUID>%1</GUID><SoftwareNameEN>%2</SoftwareNameEN>"
                                "<SoftwareNameCH>%3</SoftwareNameCH></c>")
                     .arg(kGuid, nameEN.toHtmlEscaped(), nameCH.toHtmlEscaped())
                     .toUtf8());
    config.close();

    for (const QString& guid : {kGuid, QStringLiteral("{SIBLING}")}) {
        QSettings entry(entryFile(guid), QSettings::IniFormat);
        entry.setValue(QStringLiteral("InstallLocation"), expand(location));
        entry.sync();
        QCOMPARE(entry.status(), QSettings::NoError);
    }

    const QString install = m_stage + QStringLiteral("/programs/Ferrovane");
    for (const char* file : {"bin/Ferrovane.exe", "lib/a.dll", "lib/plugins/b.dll", ".hidden"})
        QVERIFY(writeFile(install + QLatin1Char('/') + QLatin1String(file)));
    QVERIFY(writeFile(m_stage + QStringLiteral("/outside/sentinel")));
    QVERIFY(
        QFile::link(m_stage + QStringLiteral("/outside"), install + QStringLiteral("/link-out")));
    QVERIFY(QFile::link(m_stage + QStringLiteral("/home"), m_stage + QStringLiteral("/home-link")));

    const QString desktop = m_stage + QStringLiteral("/home/Desktop/");
    const QString publicDesktop = Platform::allUsersDesktop();
    const QString menu = m_stage + QStringLiteral("/data/applications/");
    const QString publicMenu = Platform::allUsersStartMenu() + QLatin1Char('/');
    for (const QString& name : {nameEN, nameCH, QStringLiteral("Other")}) {
        if (!Engine::isUsableProductName(name))
            continue;
        QVERIFY(writeFile(desktop + name + QStringLiteral(".lnk")));
        QVERIFY(writeFile(publicDesktop + name + QStringLiteral(".lnk")));
        for (const QString& folder : {menu, publicMenu})
            QVERIFY(
                writeFile(folder + name + QStringLiteral("/sub/") + name + QStringLiteral(".lnk")));
    }
    QVERIFY(writeFile(m_stage + QStringLiteral("/data/sentinel")));
    QVERIFY(writeFile(menu + QStringLiteral("a/b/sentinel")));
}

// Runs the uninstall in its own process; returns its output lines.
QStringList TestInstallProcessMgr::run(const QStringList& prefix)
{
    QProcess process;
    // From the stage: a relative location would name the install folder.
    process.setWorkingDirectory(m_stage);
    const QString program = m_stage + QStringLiteral("/app/uninstallrun");
    if (prefix.isEmpty())
        process.start(program, QStringList());
    else
        process.start(prefix.first(), prefix.mid(1) << program);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {QStringLiteral("failed: ") +
                QString::fromLocal8Bit(process.readAllStandardError())};
    return QString::fromUtf8(process.readAllStandardOutput())
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestInstallProcessMgr::shortcutPaths_data()
{
    QTest::addColumn<QString>("nameEN");
    QTest::addColumn<QString>("nameCH");
    QTest::addColumn<QStringList>("paths");

    // Only the desktop's folder part takes native separators.
    const QString desk = QDir::toNativeSeparators(QStringLiteral("D/"));
    QTest::newRow("two names") << "Ferrovane"
                               << "铁风帆"
                               << (QStringList{desk + QStringLiteral("Ferrovane.lnk"),
                                               desk + QStringLiteral("铁风帆.lnk")} +
                                   utf8List({"P/Ferrovane.lnk", "P/铁风帆.lnk", "S/Ferrovane/",
                                             "S/铁风帆/"}));
    QTest::newRow("unusable Chinese name") << "Ferrovane"
                                           << ".."
                                           << (QStringList{desk + QStringLiteral("Ferrovane.lnk")} +
                                               utf8List({"P/Ferrovane.lnk", "S/Ferrovane/"}));
    QTest::newRow("names with separators") << "a/b"
                                           << "c\\d" << QStringList();
}

void TestInstallProcessMgr::shortcutPaths()
{
    QFETCH(QString, nameEN);
    QFETCH(QString, nameCH);
    QFETCH(QStringList, paths);
    QStringList got;
    for (const Engine::ShortcutTarget& target : Engine::shortcutTargets(
             QStringLiteral("D"), QStringLiteral("P/"), QStringLiteral("S"), nameEN, nameCH))
        got << target.path;
    QCOMPARE(got, paths);
}

void TestInstallProcessMgr::restartOrder()
{
    const QString top = m_stage + QStringLiteral("/t");
    QVERIFY(writeFile(top + QStringLiteral("/a/b/f1")));
    QVERIFY(writeFile(top + QStringLiteral("/f0")));
    QVERIFY(writeFile(m_stage + QStringLiteral("/elsewhere/keep")));
    QVERIFY(QFile::link(m_stage + QStringLiteral("/elsewhere"), top + QStringLiteral("/a/link")));
    const QStringList order = Engine::restartRemovalOrder(top);
    QStringList relative;
    for (const QString& path : order)
        relative << QDir(m_stage).relativeFilePath(path);
    // Files and links first, never what a link leads to; then folders, deepest first.
    QCOMPARE(relative, utf8List({"t/f0", "t/a/link", "t/a/b/f1", "t/a/b", "t/a", "t"}));
}

void TestInstallProcessMgr::runs_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("nameCH");
    QTest::addColumn<QStringList>("gone");
    QTest::addColumn<QStringList>("left"); // the record

    const QString install = QStringLiteral("%S/programs/Ferrovane");
    const QStringList all = utf8List(
        {"programs/Ferrovane", "home/Desktop/Ferrovane.lnk", "home/Desktop/铁风帆.lnk",
         "data/applications/Ferrovane", "data/applications/铁风帆",
         "data/appinstaller/windows/C/ProgramData/Microsoft/Windows/Start Menu/Programs/Ferrovane",
         "data/appinstaller/windows/C/ProgramData/Microsoft/Windows/Start Menu/Programs/铁风帆"});
    const QStringList shortcuts = all.mid(1);
    QTest::newRow("the product") << install << "铁风帆" << all << QStringList();
    QTest::newRow("equal names") << install << "Ferrovane"
                                 << QStringList{all[0], all[1], all[3], all[5]} << QStringList();
    QTest::newRow("already gone") << "%S/programs/Gone"
                                  << "铁风帆" << shortcuts << QStringList();
    // Refused locations: nothing of them goes, the rest of the run does.
    QTest::newRow("empty location") << ""
                                    << "铁风帆" << shortcuts << QStringList();
    QTest::newRow("relative location") << "programs/Ferrovane"
                                       << "铁风帆" << shortcuts << utf8List({"programs/Ferrovane"});
    QTest::newRow("home") << "%S/home"
                          << "铁风帆" << shortcuts << utf8List({"%S/home"});
    QTest::newRow("desktop") << "%S/home/Desktop"
                             << "铁风帆" << shortcuts << utf8List({"%S/home/Desktop"});
    QTest::newRow("link to home") << "%S/home-link"
                                  << "铁风帆" << shortcuts << utf8List({"%S/home-link"});
    // Unusable names: their shortcuts are left alone, not the folders above.
    QTest::newRow("name ..") << install << ".." << QStringList(all.mid(0, 2)) << QStringList();
    QTest::newRow("name a/b") << install << "a/b" << QStringList(all.mid(0, 2)) << QStringList();
    QTest::newRow("empty name") << install << "" << QStringList(all.mid(0, 2)) << QStringList();
}

void TestInstallProcessMgr::runs()
{
    QFETCH(QString, location);
    QFETCH(QString, nameCH);
    QFETCH(QStringList, gone);
    QFETCH(QStringList, left);

    stage(location, QStringLiteral("Ferrovane"), nameCH);
    const QStringList output = run();
    const QStringList expected{QStringLiteral("progress 0 BeganToUnloadWkJrSaJaAq"),
                               QStringLiteral("progress 30 DeleteShortcutULXVgdVTs"),
                               QStringLiteral("progress 60 ClearTheRegistryeuyqTkYHjj"),
                               QStringLiteral("progress 100 Uninstalled"),
                               QStringLiteral("finished")};
    QCOMPARE(output.mid(0, 5), expected);
    QStringList record;
    for (const QString& line : output.mid(5))
        record << QDir(m_stage).relativeFilePath(line.section(QLatin1Char(' '), 2));
    for (QString& path : left)
        path = QDir(m_stage).relativeFilePath(expand(path));
    QCOMPARE(record, left);

    for (const QString& path : gone)
        QVERIFY2(!QFileInfo::exists(m_stage + QLatin1Char('/') + path), qPrintable(path));
    QVERIFY(!QFileInfo::exists(entryFile(kGuid)) ||
            !UninstallRegistry::getInstance()->hasEntry(kGuid.toStdString()));
    // Whatever the case, nothing beside the product goes.
    for (const char* kept : {"outside/sentinel", "data/sentinel", "home/Desktop/Other.lnk",
                             "data/applications/Other/sub/Other.lnk",
                             "data/applications/a/b/sentinel", "app/AppConfig.xml"})
        QVERIFY2(QFileInfo::exists(m_stage + QLatin1Char('/') + QLatin1String(kept)), kept);
    QVERIFY(QFileInfo::exists(Platform::allUsersDesktop() + QStringLiteral("Other.lnk")));
    QVERIFY(
        QFileInfo::exists(Platform::allUsersStartMenu() + QStringLiteral("/Other/sub/Other.lnk")));
    QVERIFY(UninstallRegistry::getInstance()->hasEntry("{SIBLING}"));
}

void TestInstallProcessMgr::refusedRemovalIsRecorded()
{
    if (!TestSandbox::isRealRoot())
        QSKIP("needs real root to run as another user");
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        QSKIP("setpriv is needed to run as another user");
    stage(QStringLiteral("%S/programs/Ferrovane"), QStringLiteral("Ferrovane"),
          QStringLiteral("铁风帆"));

    // nobody owns the stage but a folder in the product, the all-users
    // desktop and the entry with its folder; root keeps those.
    QCOMPARE(QProcess::execute(QStringLiteral("chown"),
                               {QStringLiteral("-R"), QStringLiteral("nobody"), m_stage}),
             0);
    const QString locked = m_stage + QStringLiteral("/programs/Ferrovane/locked");
    QVERIFY(writeFile(locked + QStringLiteral("/in-use.dll")));
    const QString entry = entryFile(kGuid);
    QFile::setPermissions(entry, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    const QString publicDesktop = Platform::allUsersDesktop();
    for (const QString& path : {entry, QFileInfo(entry).path(), publicDesktop})
        QCOMPARE(QProcess::execute(QStringLiteral("chown"), {QStringLiteral("root"), path}), 0);
    for (const QString& folder : {m_root, m_stage})
        QFile::setPermissions(folder,
                              QFile::permissions(folder) | QFile::ExeOther | QFile::ReadOther);

    const QStringList output =
        run({setpriv, QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
             QStringLiteral("--clear-groups")});
    QVERIFY2(output.value(3) == QStringLiteral("progress 100 Uninstalled"),
             qPrintable(output.join(QLatin1Char('\n'))));
    QCOMPARE(
        output.mid(5),
        (QStringList{QStringLiteral("left 0 ") + m_stage + QStringLiteral("/programs/Ferrovane"),
                     QStringLiteral("left 0 ") + publicDesktop + QStringLiteral("Ferrovane.lnk"),
                     QStringLiteral("left 0 ") + publicDesktop + QStringLiteral("铁风帆.lnk"),
                     QStringLiteral("left 0 HKEY_LOCAL_MACHINE\\") +
                         QString::fromStdString(UninstallRegistry::uninstallKeyBaseFor(
                             Platform::nativeArchitecture())) +
                         kGuid}));
    QVERIFY(QFileInfo::exists(locked + QStringLiteral("/in-use.dll")));
    QVERIFY(!QFileInfo::exists(m_stage + QStringLiteral("/programs/Ferrovane/lib")));
    QVERIFY(!QFileInfo::exists(m_stage + QStringLiteral("/home/Desktop/Ferrovane.lnk")));
}

QTEST_GUILESS_MAIN(TestInstallProcessMgr)
#include "tst_installprocessmgr.moc"
