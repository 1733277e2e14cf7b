// The uninstall sequence, run for real by tests/helpers/uninstallrun inside
// the harness's read-only sandbox: each case stages an installation (its own
// AppConfig.xml, uninstall entry, install folder, shortcuts and start-menu
// folders, sentinels beside them) and checks what is gone and what is left.

#include "common/sandbox.h"
#include "common/walk.h"
#include "engine/installprocessmgr.h"
#include "engine/removalguard.h"
#include "engine/restartremoval.h"
#include "engine/shortcuts.h"
#include "platform/platform.h"
#include "platform/standin/standin.h"
#include "registry/uninstallregistry.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

using appinstaller::UninstallRegistry;

namespace
{

const QString kGuid = QStringLiteral("{2B7E4C19-6A3D-4F80-91C5-D8E06B3A7F24}");

bool writeFile(const QString& path, const QByteArray& content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
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

    QString m_root;                        // the sandbox
    QString m_stage;                       // this case's installation, inside it
    QString m_app = QStringLiteral("app"); // where the uninstaller runs from, in the stage
    QString m_client;                      // where the client program is, in the stage
    bool m_bound = false;                  // stage/bound is a bind mount of stage/programs
    QStringList m_mounts;                  // further bind mounts, to undo
    std::vector<std::unique_ptr<QProcess>> m_holders; // programs holding files open
    QStringList m_immutable;                          // files made immutable, to undo
    // Values of the product's entry besides InstallLocation ("Name=value",
    // %S the stage, %A the uninstaller's folder); UninstallString names the
    // uninstaller unless set here.
    QStringList m_entry;
    // Lines added to the sibling's entry file as written ("Name=value").
    QStringList m_siblingLines;

    QString expand(QString path) const { return path.replace(QLatin1String("%S"), m_stage); }
    void stage(const QString& location, const QString& nameEN, const QString& nameCH,
               const QString& sibling = QStringLiteral("%S/programs"));
    QStringList run(const QStringList& prefix = {}, const QStringList& arguments = {});
    QStringList stageListing() const;

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void shortcutPaths_data();
    void shortcutPaths();
    void restartOrder();
    void movedOut_data();
    void movedOut();
    void scheduledOneByOne_data();
    void scheduledOneByOne();
    void runs_data();
    void runs();
    void refusedRemovalIsRecorded();
    void removalRunsBelowTheWindow();
    void nothingElseGoes_data();
    void nothingElseGoes();
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
    m_app = QStringLiteral("app");
    m_client = QStringLiteral("programs/Ferrovane/Ferrovane.exe");
    m_entry.clear();
    m_siblingLines.clear();
    QVERIFY(QDir(m_stage).removeRecursively());
    QVERIFY(QDir().mkpath(m_stage));
    qputenv("HOME", QFile::encodeName(m_stage + QStringLiteral("/home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_stage + QStringLiteral("/data")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_stage + QStringLiteral("/config")));
}

void TestInstallProcessMgr::cleanup()
{
    qunsetenv("UNINSTALLER_TEST_IN_USE");
    // What runs moved out to wait for the restart, at the sandbox's root.
    for (const QString& name : QDir(m_root).entryList({QStringLiteral(".uninstaller-pending.*")},
                                                      QDir::Dirs | QDir::Hidden))
        QDir(m_root + QLatin1Char('/') + name).removeRecursively();
    if (std::exchange(m_bound, false))
        QProcess::execute(QStringLiteral("umount"), {m_stage + QStringLiteral("/bound")});
    for (const QString& mount : std::exchange(m_mounts, {}))
        QProcess::execute(QStringLiteral("umount"), {mount});
    for (const auto& holder : std::exchange(m_holders, {})) {
        holder->kill();
        holder->waitForFinished();
    }
    for (const QString& file : std::exchange(m_immutable, {}))
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), file});
}

// An installation of the product: the uninstaller with its AppConfig.xml,
// the entry (and a sibling product's), the install folder with a link out of
// it, shortcuts under both names, and sentinels that must outlive every run.
void TestInstallProcessMgr::stage(const QString& location, const QString& nameEN,
                                  const QString& nameCH, const QString& sibling)
{
    const QString app = m_stage + QLatin1Char('/') + m_app;
    QVERIFY(QDir().mkpath(app));
    QVERIFY(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/uninstallrun"),
                        app + QStringLiteral("/uninstallrun")));
    QFile::setPermissions(app + QStringLiteral("/uninstallrun"),
                          QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
    QFile config(app + QStringLiteral("/AppConfig.xml"));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<c><GUID>%1</GUID><SoftwareNameEN>%2</SoftwareNameEN>"
                                "<SoftwareNameCH>%3</SoftwareNameCH>"
                                "<ProgramName>Ferrovane.exe</ProgramName></c>")
                     .arg(kGuid, nameEN.toHtmlEscaped(), nameCH.toHtmlEscaped())
                     .toUtf8());
    config.close();

    // The entries as UTF-8 text. A suite's entry above the install folder
    // does not make it shared. The sibling's is "Value=data" (else its
    // InstallLocation), "link:" its file a link to one elsewhere, "bind:"
    // recorded through a bind mount of programs at bound.
    const auto entryText = [](const QString& name, QString value) {
        value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        value.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        return QStringLiteral("[General]\n%1=\"%2\"\n").arg(name, value).toUtf8();
    };
    QByteArray ours = entryText(QStringLiteral("InstallLocation"), expand(location));
    QStringList values{QStringLiteral("UninstallString=\"%A/uninstallrun\" /S")};
    for (const QString& value : m_entry) {
        const QString name = value.section(QLatin1Char('='), 0, 0);
        values.erase(std::remove_if(values.begin(), values.end(),
                                    [&name](const QString& v) {
                                        return v.startsWith(name + QLatin1Char('='));
                                    }),
                     values.end());
        values << value;
    }
    for (QString value : values) {
        value.replace(QLatin1String("%A"), app);
        ours += entryText(value.section(QLatin1Char('='), 0, 0),
                          expand(value.section(QLatin1Char('='), 1)))
                    .mid(10); // without a second "[General]\n"
    }
    QVERIFY(writeFile(entryFile(kGuid), ours));
    QString siblingFile = entryFile(QStringLiteral("{SIBLING}"));
    if (sibling.startsWith(QLatin1String("link:"))) {
        QVERIFY(QDir().mkpath(QFileInfo(siblingFile).path()));
        QVERIFY(QFile::link(m_stage + QStringLiteral("/elsewhere.ini"), siblingFile));
        siblingFile = m_stage + QStringLiteral("/elsewhere.ini");
    } else if (sibling.startsWith(QLatin1String("bind:")) ||
               sibling.startsWith(QLatin1String("bindlib:")) ||
               sibling.startsWith(QLatin1String("bindplugins:"))) {
        // "bindlib:": the product's lib folder itself at bound;
        // "bindplugins:" its lib/plugins, two folders down.
        const QString source = sibling.startsWith(QLatin1String("bind:"))
                                   ? QStringLiteral("/programs")
                               : sibling.startsWith(QLatin1String("bindlib:"))
                                   ? QStringLiteral("/programs/Ferrovane/lib")
                                   : QStringLiteral("/programs/Ferrovane/lib/plugins");
        for (const QString& folder : {QStringLiteral("/bound"), source})
            QVERIFY(QDir().mkpath(m_stage + folder));
        m_bound =
            QProcess::execute(QStringLiteral("mount"), {QStringLiteral("--bind"), m_stage + source,
                                                        m_stage + QStringLiteral("/bound")}) == 0;
        if (!m_bound)
            QSKIP("mounting is not allowed here");
    }
    const QString value = sibling.contains(QLatin1String(":%"))
                              ? sibling.mid(sibling.indexOf(QLatin1String(":%")) + 1)
                              : sibling;
    const int equals = value.startsWith(QLatin1Char('%')) ? -1 : value.indexOf(QLatin1Char('='));
    QVERIFY(writeFile(siblingFile,
                      entryText(equals < 0 ? QStringLiteral("InstallLocation") : value.left(equals),
                                expand(value.mid(equals + 1))) +
                          m_siblingLines.join(QLatin1Char('\n')).toUtf8() + '\n'));

    const QString install = m_stage + QStringLiteral("/programs/Ferrovane");
    for (const char* file : {"bin/a.exe", "lib/a.dll", "lib/plugins/b.dll", ".hidden"})
        QVERIFY(writeFile(install + QLatin1Char('/') + QLatin1String(file)));
    if (!m_client.isEmpty())
        QVERIFY(writeFile(m_stage + QLatin1Char('/') + m_client));
    QVERIFY(writeFile(m_stage + QStringLiteral("/outside/sentinel")));
    QVERIFY(
        QFile::link(m_stage + QStringLiteral("/outside"), install + QStringLiteral("/link-out")));
    QVERIFY(QFile::link(m_stage + QStringLiteral("/home"), m_stage + QStringLiteral("/home-link")));
    QVERIFY(QFile::link(m_stage + QStringLiteral("/programs"),
                        m_stage + QStringLiteral("/programs-link")));
    QVERIFY(QFile::link(install, m_stage + QStringLiteral("/install-link")));

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
// Every entry of the stage with its size and times: what a trial run must
// leave as it is, the stand-in's registry and pending removals included.
QStringList TestInstallProcessMgr::stageListing() const
{
    QStringList entries;
    QDirIterator it(m_stage, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        entries << QStringLiteral("%1 %2 %3")
                       .arg(entry.filePath())
                       .arg(entry.isDir() ? 0 : entry.size())
                       .arg(entry.metadataChangeTime().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

QStringList TestInstallProcessMgr::run(const QStringList& prefix, const QStringList& arguments)
{
    QProcess process;
    // From the stage: a relative location would name the install folder.
    process.setWorkingDirectory(m_stage);
    const QString program = m_stage + QLatin1Char('/') + m_app + QStringLiteral("/uninstallrun");
    if (prefix.isEmpty())
        process.start(program, arguments);
    else
        process.start(prefix.first(), prefix.mid(1) << program << arguments);
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
    // What was in use, the folders holding it up to the top, deepest first;
    // nothing outside the top.
    relative.clear();
    for (const QString& path : Engine::inUseRestartOrder(
             top, {top + QStringLiteral("/a/b/f1"), top + QStringLiteral("/f0"),
                   m_stage + QStringLiteral("/elsewhere/keep"), top + QStringLiteral("/a/b/")}))
        relative << QDir(m_stage).relativeFilePath(path);
    QCOMPARE(relative, utf8List({"t/a/b/f1", "t/a/b", "t/a", "t/f0", "t"}));
}

namespace
{

// The stand-in's list of what goes at the next restart, each path relative
// to stage; a path in a holding folder as "H/name" (without the number that
// keeps names apart there), the holding folder itself as "H".
QStringList pendingRemovals(const QString& stage)
{
    const auto key = Platform::openRegistryKey(
        QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager"));
    const QStringList list =
        key->value(QStringLiteral("PendingFileRenameOperations")).toStringList();
    QStringList paths;
    for (int i = 0; i < list.size(); i += 2) {
        const QString& path = list.at(i);
        const int holding = path.indexOf(QLatin1String("/.uninstaller-pending."));
        if (holding < 0) {
            paths << QDir(stage).relativeFilePath(path);
            continue;
        }
        const int slash = path.indexOf(QLatin1Char('/'), holding + 1);
        paths << (slash < 0
                      ? QStringLiteral("H")
                      : QStringLiteral("H/") + path.mid(path.indexOf(QLatin1Char('.'), slash) + 1));
    }
    return paths;
}

QStringList under(const QString& top, const QStringList& names)
{
    QStringList paths;
    for (const QString& name : names)
        paths << top + QLatin1Char('/') + name;
    return paths;
}

} // namespace

void TestInstallProcessMgr::movedOut_data()
{
    QTest::addColumn<QStringList>("tree");  // files in t, the client Ferrovane.exe among them
    QTest::addColumn<QStringList>("inUse"); // as the walk would report them
    QTest::addColumn<QStringList>("own");   // the program's own files
    QTest::addColumn<QStringList>("pending");

    const QStringList program =
        utf8List({"uninstallrun", "libQt5Core.so.5", "platforms/libqxcb.so"});
    QTest::newRow("run from the install folder")
        << (program + utf8List({"Ferrovane.exe", "data/f"})) << program << program
        << utf8List({"H/uninstallrun", "H/libQt5Core.so.5", "H/libqxcb.so", "H"});
    const QStringList below = utf8List({"uninstall/uninstallrun", "uninstall/platforms/q.so"});
    QTest::newRow("run from a folder below")
        << (below + utf8List({"Ferrovane.exe"})) << below << below
        << utf8List({"H/uninstallrun", "H/q.so", "H"});
    QTest::newRow("held by another program: stays")
        << utf8List({"Ferrovane.exe", "u", "held.log"}) << utf8List({"u", "held.log"})
        << utf8List({"u"}) << utf8List({"H/u", "H"});
    QTest::newRow("nothing of its own in use: no holding folder")
        << utf8List({"Ferrovane.exe", "held.log"}) << utf8List({"held.log"}) << utf8List({"u"})
        << QStringList();
}

// The program's own files in use move out of the folder to wait for the
// restart in a folder of their own at the mount's root, only they wait, and
// the walk after it leaves nothing of the folder.
void TestInstallProcessMgr::movedOut()
{
    QFETCH(QStringList, tree);
    QFETCH(QStringList, inUse);
    QFETCH(QStringList, own);
    QFETCH(QStringList, pending);
    const QString top = m_stage + QStringLiteral("/t");
    for (const QString& name : tree)
        QVERIFY(writeFile(top + QLatin1Char('/') + name));
    QVector<Platform::FileIdentity> identities;
    for (const QString& name : own)
        identities << Platform::fileIdentity(top + QLatin1Char('/') + name);
    const QVector<Platform::LoadedImage> images = Platform::loadedImages();
    const Platform::FileIdentity self =
        Platform::fileIdentity(QCoreApplication::applicationFilePath());
    QVERIFY(
        std::any_of(images.cbegin(), images.cend(), [&self](const Platform::LoadedImage& image) {
            return image.identity == self;
        }));

    const Engine::MovedOut moved = Engine::moveOwnFilesOut(top, under(top, inUse), identities);
    const QStringList last{QStringLiteral("Ferrovane.exe")};
    QVERIFY(removeContents(top, last).complete);
    QVERIFY(Platform::removeEmptyFolder(top));
    QVERIFY(!Platform::entryExists(top));
    QCOMPARE(pendingRemovals(m_stage), pending);
    QVERIFY(moved.stranded.isEmpty());
    if (!moved.waiting.isEmpty()) {
        // Outside the stage, at the sandbox's root (its mount), only for root.
        const QString holding = moved.waiting.last();
        QCOMPARE(QFileInfo(holding).absolutePath(), m_root);
        QCOMPARE(QFileInfo(holding).permissions() & 0x0077, QFileDevice::Permissions());
        QVERIFY(QDir(holding).removeRecursively());
    }
    QCOMPARE(QDir(m_root).entryList({QStringLiteral(".uninstaller-pending.*")},
                                    QDir::AllEntries | QDir::Hidden),
             QStringList());
}

void TestInstallProcessMgr::scheduledOneByOne_data()
{
    QTest::addColumn<QStringList>("tree");  // files in t; "x->y" a link x to stage/y
    QTest::addColumn<QStringList>("inUse"); // held by other programs
    QTest::addColumn<QStringList>("last");  // the client program
    QTest::addColumn<QStringList>("pending");
    QTest::addColumn<bool>("everything");

    QTest::newRow("a held file and its folders, the client last")
        << utf8List({"log/held.log", "Ferrovane.exe"}) << utf8List({"log/held.log"})
        << utf8List({"Ferrovane.exe"})
        << utf8List({"t/log/held.log", "t/log", "t/Ferrovane.exe", "t"}) << true;
    QTest::newRow("the client's folder after everything else")
        << utf8List({"bin/Ferrovane.exe", "bin/x.dll", "a/held"})
        << utf8List({"bin/x.dll", "a/held"}) << utf8List({"bin/Ferrovane.exe"})
        << utf8List({"t/bin/x.dll", "t/a/held", "t/a", "t/bin/Ferrovane.exe", "t/bin", "t"})
        << true;
    QTest::newRow("something else stays: held files still go, the client stays")
        << utf8List({"held", "other", "Ferrovane.exe"}) << utf8List({"held"})
        << utf8List({"Ferrovane.exe"}) << utf8List({"t/held"}) << false;
    QTest::newRow("the client in use too, something else stays: the client stays")
        << utf8List({"held", "other", "bin/Ferrovane.exe"})
        << utf8List({"held", "bin/Ferrovane.exe"}) << utf8List({"bin/Ferrovane.exe"})
        << utf8List({"t/held"}) << false;
    QTest::newRow("never through a link")
        << utf8List({"lnk->elsewhere", "Ferrovane.exe"}) << utf8List({"lnk/f", "a"})
        << utf8List({"Ferrovane.exe"}) << utf8List({"t/a"}) << false;
}

// What stays in use is handed on to the next restart entry by entry,
// whatever else stays; the client goes last, and only when nothing else stays.
void TestInstallProcessMgr::scheduledOneByOne()
{
    QFETCH(QStringList, tree);
    QFETCH(QStringList, inUse);
    QFETCH(QStringList, last);
    QFETCH(QStringList, pending);
    QFETCH(bool, everything);
    const QString top = m_stage + QStringLiteral("/t");
    QVERIFY(writeFile(m_stage + QStringLiteral("/elsewhere/f")) && QDir().mkpath(top));
    for (const QString& entry : tree) {
        const int arrow = entry.indexOf(QLatin1String("->"));
        if (arrow < 0)
            QVERIFY(writeFile(top + QLatin1Char('/') + entry));
        else
            QVERIFY(QFile::link(m_stage + QLatin1Char('/') + entry.mid(arrow + 2),
                                top + QLatin1Char('/') + entry.left(arrow)));
    }
    for (const QString& entry : inUse)
        if (!Platform::entryExists(top + QLatin1Char('/') + entry))
            QVERIFY(writeFile(top + QLatin1Char('/') + entry));
    bool all = !everything;
    Engine::scheduleLeftOnRestart(top, under(top, inUse), under(top, last), &all);
    QCOMPARE(pendingRemovals(m_stage), pending);
    QCOMPARE(all, everything);
}

void TestInstallProcessMgr::runs_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("nameCH");
    QTest::addColumn<QString>("sibling"); // another product's recorded location
    // Files staged besides ("PATH->TARGET" a link), "rewritten:PATH" a file of
    // the installation written again a moment after the rest (an update in
    // place, an installer writing its folders first), and where the client and
    // the uninstaller are when not in programs/Ferrovane and app:
    // "client:PATH", "app:FOLDER". "inuse:A:B" what the walk finds in use as
    // Windows would ("own": the program's own files, else paths), and
    // "pending:A,B" what must then wait for the restart (see pendingRemovals).
    // An install manifest beside the uninstaller: "manifest:ours",
    // "manifest:other" (another product's), "manifest:broken" (no UTF-8),
    // "manifest:refused" (a line leading out). "entry:NAME=VALUE" sets a
    // value of the product's entry (see m_entry), "sibling:NAME=VALUE" a line of
    // the sibling's as written. '|' stands for a blank.
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QStringList>("gone");
    QTest::addColumn<QStringList>("left"); // the record: "reason path"

    using R = appinstaller::LeftoverReason;
    const auto left = [](R reason, const char* path) -> QString {
        return QString::number(int(reason)) + QLatin1Char(' ') + QString::fromUtf8(path);
    };
    const QString entry = left(R::EntryKept, "entry");
    const QString install = QStringLiteral("%S/programs/Ferrovane");
    const QString above = QStringLiteral("%S/programs");
    const QStringList all = utf8List(
        {"programs/Ferrovane", "home/Desktop/Ferrovane.lnk", "home/Desktop/铁风帆.lnk",
         "data/applications/Ferrovane", "data/applications/铁风帆",
         "data/appinstaller/windows/C/ProgramData/Microsoft/Windows/Start Menu/Programs/Ferrovane",
         "data/appinstaller/windows/C/ProgramData/Microsoft/Windows/Start Menu/Programs/铁风帆"});
    const QStringList shortcuts = all.mid(1);
    QTest::newRow("the product") << install << "铁风帆" << above << "" << all << QStringList();
    QTest::newRow("the product, a trial run first")
        << install << "铁风帆" << above << "trial" << all << QStringList();
    QTest::newRow("equal names") << install << "Ferrovane" << above << ""
                                 << QStringList{all[0], all[1], all[3], all[5]} << QStringList();
    // The layouts installers make, and the uninstaller in a product that
    // was moved.
    QTest::newRow("client in bin, uninstaller at the top")
        << install << "铁风帆" << above
        << "client:programs/Ferrovane/bin/Ferrovane.exe app:programs/Ferrovane" << all
        << QStringList();
    QTest::newRow("client at the top, uninstaller in uninstall")
        << install << "铁风帆" << above << "app:programs/Ferrovane/uninstall" << all
        << QStringList();
    // Files one folder down prove nothing: without a manifest nothing goes,
    // the shortcuts and the entry stay, and the page names where the
    // program was found.
    QTest::newRow("client in bin, uninstaller in uninstall")
        << install << "铁风帆" << above
        << "client:programs/Ferrovane/bin/Ferrovane.exe app:programs/Ferrovane/uninstall"
        << QStringList()
        << QStringList{left(R::NotProducts, "programs/Ferrovane"),
                       left(R::Lookalike, "programs/Ferrovane/bin"), entry};
    QTest::newRow("client in bin, uninstaller in uninstall, a manifest")
        << install << "铁风帆" << above
        << "client:programs/Ferrovane/bin/Ferrovane.exe app:programs/Ferrovane/uninstall "
           "manifest:ours"
        << (QStringList(shortcuts)
            << QStringLiteral("programs/Ferrovane/bin") << QStringLiteral("programs/Ferrovane/lib")
            << QStringLiteral("programs/Ferrovane/uninstall"))
        << QStringList{left(R::NotListed, ".hidden"), left(R::NotListed, "link-out")};
    // No InstallLocation: where the entry's uninstall command or icon says.
    QTest::newRow("no location, the uninstaller at the top")
        << ""
        << "铁风帆" << above << "app:programs/Ferrovane" << all << QStringList();
    QTest::newRow("no location, the uninstaller in uninstall")
        << ""
        << "铁风帆" << above << "app:programs/Ferrovane/uninstall" << all << QStringList();
    QTest::newRow("no location, the client's icon")
        << ""
        << "铁风帆" << above
        << "entry:UninstallString=| entry:DisplayIcon=%S/programs/Ferrovane/Ferrovane.exe,0" << all
        << QStringList();
    // Nothing recorded but what the entry names: the deepest folder holding
    // the client its icon names and the uninstaller its command names.
    const QString binIcon =
        QStringLiteral("entry:DisplayIcon=%S/programs/Ferrovane/bin/Ferrovane.exe,0 "
                       "client:programs/Ferrovane/bin/Ferrovane.exe ");
    QTest::newRow("no location, the client's icon in bin, the uninstaller at the top")
        << ""
        << "铁风帆" << above << QString(binIcon + QLatin1String("app:programs/Ferrovane")) << all
        << QStringList();
    // Then judged as any folder: with neither at its top, nothing proves it.
    QTest::newRow("no location, the client's icon in bin, the uninstaller in uninstall")
        << ""
        << "铁风帆" << above << QString(binIcon + QLatin1String("app:programs/Ferrovane/uninstall"))
        << QStringList()
        << QStringList{left(R::NotProducts, "programs/Ferrovane"),
                       left(R::Lookalike, "programs/Ferrovane/bin"), entry};
    // The uninstaller at the top of the recorded folder proves it only when
    // the entry names that uninstaller: a copy there proves nothing.
    QTest::newRow("a copy of the uninstaller at the top, the entry naming another")
        << install << "铁风帆" << above
        << "client:programs/Ferrovane/bin/Ferrovane.exe app:programs/Ferrovane "
           "entry:UninstallString=%S/elsewhere/uninstallrun"
        << QStringList()
        << QStringList{left(R::NotProducts, "programs/Ferrovane"),
                       left(R::Lookalike, "programs/Ferrovane/bin"), entry};
    // A copy of the uninstaller run from the user's folder, beside a file
    // named like the client: the entry names another uninstaller, so no
    // folder is the product's, and the user's files stay.
    QTest::newRow("no location, a copy of the uninstaller among the user's files")
        << ""
        << "铁风帆" << above
        << "client:downloads/support/Ferrovane.exe app:downloads/support "
           "entry:UninstallString=%S/programs/Ferrovane/uninstallrun downloads/support/photo.jpg"
        << QStringList()
        << QStringList{left(R::NotFound, ""), left(R::Lookalike, "downloads/support"), entry};
    // The entry names a folder of the user's holding the product one level
    // down, with a backup copy of the client beside it.
    QTest::newRow("the entry names the folder above, the uninstaller beside the client's")
        << "%S/tools"
        << "铁风帆" << above
        << "client:tools/Ferrovane|Desk/Ferrovane.exe app:tools/Ferrovane|Desk|Uninstall "
           "tools/Backup/Ferrovane.exe tools/game/save.sav"
        << QStringList()
        << QStringList{left(R::NotProducts, "tools"), left(R::Lookalike, "tools/Backup"),
                       left(R::Lookalike, "tools/Ferrovane Desk"), entry};
    // Run from inside the folder, its own files in use as on Windows: they
    // wait for the restart outside it, and nothing of the folder stays.
    QTest::newRow("uninstaller at the top, its files in use")
        << install << "铁风帆" << above
        << "app:programs/Ferrovane inuse:own pending:H/uninstallrun,H" << all << QStringList();
    QTest::newRow("uninstaller in uninstall, its files in use")
        << install << "铁风帆" << above
        << "app:programs/Ferrovane/uninstall inuse:own pending:H/uninstallrun,H" << all
        << QStringList();
    QTest::newRow("its files in use, a trial run first")
        << install << "铁风帆" << above
        << "trial app:programs/Ferrovane inuse:own pending:H/uninstallrun,H" << all
        << QStringList();
    // Something else stays: the uninstaller stays where the kept entry
    // names it, for the next run.
    QTest::newRow("its files in use, another file system inside")
        << install << "铁风帆" << above
        << "app:programs/Ferrovane inuse:own mount:programs/Ferrovane/mnt" << QStringList()
        << QStringList{left(R::NotRemoved, "programs/Ferrovane"),
                       left(R::OtherFileSystem, "programs/Ferrovane/mnt"), entry};
    // Run from inside, its files in use, and a file the system refuses: the
    // entry stays, so the uninstaller it names stays where it is, neither
    // moved out nor scheduled.
    QTest::newRow("its files in use, a file refused")
        << install << "铁风帆" << above
        << "app:programs/Ferrovane inuse:own immutable:programs/Ferrovane/lib/locked.dll"
        << QStringList() << QStringList{left(R::NotRemoved, "programs/Ferrovane"), entry};
    // A trial run says what the real run will: a file the system will not
    // let go, or the client program, keeps the folder and the entry.
    QTest::newRow("a file refused, a trial run first")
        << install << "铁风帆" << above << "trial immutable:programs/Ferrovane/lib/locked.dll"
        << QStringList{QStringLiteral("programs/Ferrovane/bin")}
        << QStringList{left(R::NotRemoved, "programs/Ferrovane"), entry};
    QTest::newRow("the client refused, a trial run first")
        << install << "铁风帆" << above << "trial immutable:programs/Ferrovane/Ferrovane.exe"
        << QStringList{QStringLiteral("programs/Ferrovane/lib")}
        << QStringList{left(R::NotRemoved, "programs/Ferrovane"), entry};
    // What another program holds waits where it is, its folders and the
    // client after it; the entry goes, and the program is named.
    QTest::newRow("a file another program holds")
        << install << "铁风帆" << above
        << "trial inuse:programs/Ferrovane/lib/a.dll held:programs/Ferrovane/lib/a.dll "
           "pending:programs/Ferrovane/lib/a.dll,programs/Ferrovane/lib,"
           "programs/Ferrovane/Ferrovane.exe,programs/Ferrovane"
        << shortcuts
        << QStringList{left(R::NotRemoved, "programs/Ferrovane"),
                       QStringLiteral("held lib/a.dll: sleep")};
    // The product moved: its old folder is not there, and the folder the
    // uninstaller runs from is not recorded anywhere. Named, not removed.
    QTest::newRow("moved, the uninstaller inside")
        << "%S/programs/Old"
        << "铁风帆" << above << "app:programs/Ferrovane" << QStringList()
        << QStringList{left(R::NotFound, "programs/Old"), left(R::Lookalike, "programs/Ferrovane"),
                       entry};
    QTest::newRow("a folder named with UTF-8")
        << "%S/programs/铁风帆"
        << "铁风帆" << above << "client:programs/铁风帆/Ferrovane.exe"
        << (QStringList(shortcuts) << QString::fromUtf8("programs/铁风帆")) << QStringList();
    QTest::newRow("a name like a short name")
        << "%S/programs/Ferrovane~2"
        << "铁风帆" << above << "client:programs/Ferrovane~2/Ferrovane.exe"
        << (QStringList(shortcuts) << QStringLiteral("programs/Ferrovane~2")) << QStringList();
    // Nothing where the entry says: never taken for gone.
    const QString notFound = left(R::NotFound, "programs/Gone");
    QTest::newRow("already gone") << "%S/programs/Gone"
                                  << "铁风帆" << above << "" << QStringList()
                                  << QStringList{notFound, entry};
    QTest::newRow("empty location") << ""
                                    << "铁风帆" << above << "entry:UninstallString=|"
                                    << QStringList() << QStringList{left(R::NotFound, ""), entry};
    QTest::newRow("final blank") << "%S/programs/Ferrovane "
                                 << "铁风帆" << above << "" << QStringList()
                                 << QStringList{left(R::NotFound, "programs/Ferrovane "), entry};
    QTest::newRow("network path") << "\\\\server\\share\\Ferrovane"
                                  << "铁风帆" << above << "" << QStringList()
                                  << QStringList{left(R::NotFound, "\\\\server\\share\\Ferrovane"),
                                                 entry};
    QTest::newRow("dot dot") << "%S/programs/Ferrovane/.."
                             << "铁风帆" << above << "" << QStringList()
                             << QStringList{left(R::NotFound, "programs"), entry};
    // Refused locations: nothing of them goes, the rest of the run does, and
    // the entry stays for a later run.
    QTest::newRow("relative location")
        << "programs/Ferrovane"
        << "铁风帆" << above << "" << QStringList()
        << QStringList{left(R::NotFound, "programs/Ferrovane"), entry};
    QTest::newRow("home") << "%S/home"
                          << "铁风帆" << above << "" << QStringList()
                          << QStringList{left(R::Refused, "home"), entry};
    QTest::newRow("desktop") << "%S/home/Desktop"
                             << "铁风帆" << above << "" << QStringList()
                             << QStringList{left(R::Refused, "home/Desktop"), entry};
    QTest::newRow("link to home") << "%S/home-link"
                                  << "铁风帆" << above << "" << QStringList()
                                  << QStringList{left(R::Refused, "home-link"), entry};
    // Folders that do not prove to be the product's own. One above the
    // product's: only the product's goes.
    QTest::newRow("folder holding the product's")
        << above << "铁风帆"
        << ""
        << "programs/notes.txt" << QStringList()
        << QStringList{left(R::NotProducts, "programs"), left(R::Lookalike, "programs/Ferrovane"),
                       entry};
    QTest::newRow("client in bin, uninstaller elsewhere")
        << install << "铁风帆" << above << "client:programs/Ferrovane/bin/Ferrovane.exe"
        << QStringList()
        << QStringList{left(R::NotProducts, "programs/Ferrovane"),
                       left(R::Lookalike, "programs/Ferrovane/bin"), entry};
    QTest::newRow("uninstaller copied among tools")
        << above << "铁风帆"
        << ""
        << "client: app:programs/tools programs/notes.txt" << QStringList()
        << QStringList{left(R::NotProducts, "programs"), entry};
    // Each with who else records it, and the step that names it.
    const QString sibling = QStringLiteral("sharing \"\" {SIBLING}");
    const QString again = QStringLiteral(", then run the uninstaller again");
    const QString removeSibling =
        QStringLiteral("step remove the product of the uninstall entry {SIBLING} first") + again;
    const QString removeOther = QStringLiteral("step remove the other product named above first "
                                               "(from its own uninstall entry)") +
                                again;
    const QString shared = left(R::Shared, "programs/Ferrovane");
    const QStringList bySibling{shared, sibling, entry, removeSibling};
    QTest::newRow("another product inside") << install << "铁风帆"
                                            << "%S/programs/Ferrovane/lib/Other"
                                            << "" << QStringList() << bySibling;
    QTest::newRow("another product's same folder")
        << install << "铁风帆" << install << "" << QStringList() << bySibling;
    // Named as Windows lists it, on one line whatever its DisplayName holds.
    const QStringList byOtherTool{
        shared, QStringLiteral("sharing \"Other Tool\" {SIBLING}"), entry,
        QStringLiteral("step remove 'Other Tool' first (its uninstall entry {SIBLING})") + again};
    QTest::newRow("another product inside, by its DisplayName")
        << install << "铁风帆"
        << "%S/programs/Ferrovane/lib"
        << "sibling:DisplayName=Other|Tool" << QStringList() << byOtherTool;
    QTest::newRow("another product inside, a DisplayName over lines")
        << install << "铁风帆"
        << "%S/programs/Ferrovane/lib"
        << "sibling:DisplayName=\"|Other\\r\\n\\tTool|\"" << QStringList() << byOtherTool;
    // Nothing proves the folder ours either: no run again is promised.
    QTest::newRow("another product inside, the client not at the top")
        << install << "铁风帆"
        << "%S/programs/Ferrovane/lib"
        << "sibling:DisplayName=Other|Tool client:programs/Ferrovane/bin/Ferrovane.exe"
        << QStringList()
        << QStringList{shared, QStringLiteral("sharing \"Other Tool\" {SIBLING}"),
                       left(R::Lookalike, "programs/Ferrovane/bin"), entry,
                       QStringLiteral("step remove 'Other Tool' first (its uninstall entry "
                                      "{SIBLING}); nothing proves the folder to be the "
                                      "product's either: remove its files by hand, then run the "
                                      "uninstaller again to clear its entry")};
    // However the other product is registered.
    QTest::newRow("another product inside, by its uninstall command")
        << install << "铁风帆"
        << "UninstallString=\"%S/programs/Ferrovane/lib/unins000.exe\" /SILENT"
        << "" << QStringList() << bySibling;
    QTest::newRow("another product inside, by its icon")
        << install << "铁风帆"
        << "DisplayIcon=%S/programs/Ferrovane/lib/b.exe,0"
        << "" << QStringList() << bySibling;
    QTest::newRow("another product inside, its entry a link") << install << "铁风帆"
                                                              << "link:%S/programs/Ferrovane/lib"
                                                              << "" << QStringList() << bySibling;
    QTest::newRow("another product inside, through a bind mount")
        << install << "铁风帆"
        << "bind:%S/bound/Ferrovane/lib"
        << "" << QStringList() << bySibling;
    // A product of Windows Installer's in a folder of ours: its entry names
    // no folder, its component records do, and they name no product.
    QTest::newRow("another product inside, known by Windows Installer's components")
        << install << "铁风帆"
        << "UninstallString=MsiExec.exe /X{SIBLING}"
        << "trial component:programs/Ferrovane/lib/plugins/b.dll" << QStringList()
        << QStringList{shared, QStringLiteral("sharing \"\""), entry, removeOther};
    QTest::newRow("another product inside, by where its installer ran")
        << install << "铁风帆"
        << "InstallSource=%S/programs/Ferrovane/lib"
        << "" << QStringList() << bySibling;
    // Its entry names the folder by another path (a bind mount of the
    // product's lib): nothing above it in that path is ours, so only the
    // walk can tell, by what the folder is, and it never enters it.
    // Both kept for it, named: no "the system refused it".
    QTest::newRow("another product inside, only by another path")
        << install << "铁风帆"
        << "bindlib:%S/bound"
        << "" << QStringList()
        << QStringList{shared,  sibling, left(R::Shared, "programs/Ferrovane/lib"),
                       sibling, entry,   removeSibling};
    // Two folders down: the walk never enters it at any depth.
    QTest::newRow("another product two folders down, only by another path")
        << install << "铁风帆"
        << "bindplugins:%S/bound"
        << "programs/Ferrovane/lib/plugins/b.dll" << QStringList()
        << QStringList{shared,  sibling, left(R::Shared, "programs/Ferrovane/lib/plugins"),
                       sibling, entry,   removeSibling};
    // An entry of the product's own name that an earlier installation left
    // under another GUID: never "remove Ferrovane first" (this uninstaller),
    // but its key, to delete by hand. Another product's name stays another's.
    const QString siblingKey =
        UninstallRegistry::entryKeyPath(
            UninstallRegistry::uninstallKeyBaseFor(Platform::nativeArchitecture()), "{SIBLING}")
            .replace(QLatin1Char('/'), QLatin1Char('\\'));
    const QString deleteKey =
        QStringLiteral("step the uninstall entry %1 carries this product's own name%2 and "
                       "records the same folder: an earlier installation left it behind, it is "
                       "no other program to remove first; delete that registry key by hand") +
        again;
    QTest::newRow("an earlier installation's entry, the same folder")
        << install << "铁风帆" << install << "sibling:DisplayName=Ferrovane|2.1|(x64)"
        << QStringList()
        << QStringList{shared, QStringLiteral("sharing \"Ferrovane 2.1 (x64)\" {SIBLING}"), entry,
                       deleteKey.arg(siblingKey, QStringLiteral(" ('Ferrovane 2.1 (x64)')"))};
    QTest::newRow("an earlier installation's entry by the Chinese name, inside")
        << install << "铁风帆"
        << "%S/programs/Ferrovane/lib"
        << "sibling:DisplayName=铁风帆|V3" << QStringList()
        << QStringList{shared, QStringLiteral("sharing \"铁风帆 V3\" {SIBLING}"), entry,
                       deleteKey.arg(siblingKey, QStringLiteral(" ('铁风帆 V3')"))};
    QTest::newRow("another product named after this one")
        << install << "铁风帆" << install << "sibling:DisplayName=Ferrovane|Viewer" << QStringList()
        << QStringList{shared, QStringLiteral("sharing \"Ferrovane Viewer\" {SIBLING}"), entry,
                       QStringLiteral("step remove 'Ferrovane Viewer' first (its uninstall entry "
                                      "{SIBLING})") +
                           again};
    QTest::newRow("another product inside, its location in quotes")
        << install << "铁风帆"
        << "\"%S/programs/Ferrovane/lib\""
        << "" << QStringList() << bySibling;
    // The location itself bind-mounted from a folder of the same disk: the
    // folder seen there is another one, never emptied.
    QTest::newRow("the location a bind mount")
        << install << "铁风帆" << above
        << "elsewhere/Ferrovane.exe elsewhere/data.sav mount:programs/Ferrovane" << QStringList()
        << QStringList{left(R::OtherFileSystem, "programs/Ferrovane"), entry};
    QTest::newRow("no client program") << "%S/outside"
                                       << "铁风帆" << above << "" << QStringList()
                                       << QStringList{left(R::NotProducts, "outside"), entry};
    QTest::newRow("a link named like the client")
        << "%S/outside"
        << "铁风帆" << above << "outside/Ferrovane.exe->programs/Ferrovane/Ferrovane.exe"
        << QStringList() << QStringList{left(R::NotProducts, "outside"), entry};
    // Start-menu folders: only the product's own, only when they hold
    // nothing but shortcuts.
    QTest::newRow("shared start-menu name")
        << install << "Accessories" << above << ""
        << utf8List({"programs/Ferrovane", "home/Desktop/Ferrovane.lnk",
                     "home/Desktop/Accessories.lnk", "data/applications/Ferrovane"})
        << QStringList{left(R::SharedFolder, "data/applications/Accessories"),
                       left(R::SharedFolder, "data/appinstaller/windows/C/ProgramData/Microsoft/"
                                             "Windows/Start Menu/Programs/Accessories"),
                       entry};
    QTest::newRow("a shortcut that stays")
        << install << "铁风帆" << above << "home/Desktop/Ferrovane.lnk/x"
        << (QStringList{all[0]} + all.mid(2))
        << QStringList{left(R::NotRemoved, "home/Desktop/Ferrovane.lnk"), entry};
    QTest::newRow("start-menu folder with a link")
        << install << "铁风帆" << above << "data/applications/铁风帆/sub/docs->outside"
        << (QStringList(all.mid(0, 4))
            << QString::fromUtf8("data/applications/铁风帆/sub/铁风帆.lnk"))
        << QStringList{left(R::NotOnlyShortcuts, "data/applications/铁风帆")};
    // A link in it to another program's start-menu folder: its shortcuts
    // are not the product's (the sentinels checked for every row).
    QTest::newRow("start-menu folder with a link to another program's")
        << install << "铁风帆" << above
        << "data/applications/铁风帆/sub/other->data/applications/Other"
        << (QStringList(all.mid(0, 4))
            << QString::fromUtf8("data/applications/铁风帆/sub/铁风帆.lnk"))
        << QStringList{left(R::NotOnlyShortcuts, "data/applications/铁风帆")};
    QTest::newRow("start-menu folder with a file")
        << install << "铁风帆" << above << "data/applications/铁风帆/notes.txt"
        << (QStringList(all.mid(0, 4))
            << QString::fromUtf8("data/applications/铁风帆/sub/铁风帆.lnk"))
        << QStringList{left(R::NotOnlyShortcuts, "data/applications/铁风帆")};
    // Installed into a folder of the user's (not named after the product):
    // without a manifest nothing of it goes, whatever proves the product in
    // it and however old or new the user's files are; the shortcuts and the
    // entry stay. With one, only what it lists.
    const QString usersTools =
        QStringLiteral("tools/game/save.sav tools/notes.txt tools/photo.jpg");
    const QString notOwn = left(R::NotOwnFolder, "tools");
    QTest::newRow("installed into a folder of the user's")
        << "%S/tools"
        << "铁风帆" << above << QString(QStringLiteral("client:tools/Ferrovane.exe ") + usersTools)
        << QStringList() << QStringList{notOwn, entry};
    QTest::newRow("installed into a folder of the user's, no location")
        << ""
        << "铁风帆" << above
        << QString(
               QStringLiteral("client:tools/Ferrovane.exe app:tools rewritten:tools/notes.txt ") +
               usersTools)
        << QStringList() << QStringList{notOwn, entry};
    QTest::newRow("installed into a folder of the user's, a manifest")
        << "%S/tools"
        << "铁风帆" << above
        << QString(QStringLiteral("client:tools/Ferrovane.exe manifest:ours ") + usersTools)
        << (QStringList(shortcuts) << QStringLiteral("tools/Ferrovane.exe"))
        << QStringList{left(R::NotListed, "game/save.sav"), left(R::NotListed, "notes.txt"),
                       left(R::NotListed, "photo.jpg")};
    // The product's own folder goes whole however its files' times lie:
    // updated in place (the client, the uninstaller and AppConfig.xml
    // written again after bin and lib), or bin and lib written first.
    QTest::newRow("updated in place")
        << install << "铁风帆" << above
        << "rewritten:programs/Ferrovane/Ferrovane.exe rewritten:app/AppConfig.xml "
           "rewritten:app/uninstallrun"
        << all << QStringList();
    QTest::newRow("bin and lib written first, the uninstaller at the top")
        << install << "铁风帆" << above
        << "app:programs/Ferrovane rewritten:programs/Ferrovane/Ferrovane.exe "
           "rewritten:programs/Ferrovane/AppConfig.xml rewritten:programs/Ferrovane/uninstallrun"
        << all << QStringList();
    // With an install manifest only what it lists goes; the user's files
    // stay, named, and the product counts as removed. One that cannot be
    // trusted keeps everything: the folder, the shortcuts, the entry.
    QTest::newRow("a manifest, the user's files inside")
        << install << "铁风帆" << above
        << "manifest:ours programs/Ferrovane/saves/slot1.sav programs/Ferrovane/notes.txt"
        << (QStringList(shortcuts)
            << QStringLiteral("programs/Ferrovane/bin") << QStringLiteral("programs/Ferrovane/lib")
            << QStringLiteral("programs/Ferrovane/Ferrovane.exe"))
        << QStringList{left(R::NotListed, ".hidden"), left(R::NotListed, "link-out"),
                       left(R::NotListed, "notes.txt"), left(R::NotListed, "saves/slot1.sav")};
    // Run from inside, its own files in use: they wait for the restart
    // outside, and the walk after the move keeps to the manifest too.
    QTest::newRow("a manifest, run from inside, its files in use")
        << install << "铁风帆" << above
        << "app:programs/Ferrovane manifest:ours inuse:own pending:H/uninstallrun,H "
           "programs/Ferrovane/saves/slot1.sav"
        << (QStringList(shortcuts)
            << QStringLiteral("programs/Ferrovane/bin") << QStringLiteral("programs/Ferrovane/lib")
            << QStringLiteral("programs/Ferrovane/Ferrovane.exe")
            << QStringLiteral("programs/Ferrovane/uninstallrun"))
        << QStringList{left(R::NotListed, ".hidden"), left(R::NotListed, "link-out"),
                       left(R::NotListed, "saves/slot1.sav")};
    // The uninstaller in a folder of its own that the manifest does not
    // list: its files are the product's all the same, and nothing of the
    // product is taken for the user's.
    QTest::newRow("a manifest not listing the uninstaller's own files")
        << install << "铁风帆" << above
        << "app:programs/Ferrovane/uninstall manifest:ours programs/Ferrovane/saves/slot1.sav"
        << (QStringList(shortcuts) << QStringLiteral("programs/Ferrovane/uninstall")
                                   << QStringLiteral("programs/Ferrovane/lib"))
        << QStringList{left(R::NotListed, ".hidden"), left(R::NotListed, "link-out"),
                       left(R::NotListed, "saves/slot1.sav")};
    // What another program holds waits for the restart; the user's files
    // are no reason to keep the client: it is scheduled after it.
    QTest::newRow("a manifest, a listed file another program holds")
        << install << "铁风帆" << above
        << "trial manifest:ours inuse:programs/Ferrovane/lib/a.dll "
           "pending:programs/Ferrovane/lib/a.dll,programs/Ferrovane/lib,"
           "programs/Ferrovane/Ferrovane.exe,programs/Ferrovane "
           "programs/Ferrovane/saves/slot1.sav"
        << QStringList(shortcuts)
        << QStringList{left(R::NotListed, ".hidden"), left(R::NotListed, "link-out"),
                       left(R::NotListed, "saves/slot1.sav"),
                       left(R::NotRemoved, "programs/Ferrovane")};
    // The client program at the top goes whether the manifest lists it or not.
    QTest::newRow("a manifest not listing the client at the top")
        << install << "铁风帆" << above << "trial manifest:noclient programs/Ferrovane/notes.txt"
        << (QStringList(shortcuts)
            << QStringLiteral("programs/Ferrovane/Ferrovane.exe")
            << QStringLiteral("programs/Ferrovane/bin") << QStringLiteral("programs/Ferrovane/lib"))
        << QStringList{left(R::NotListed, ".hidden"), left(R::NotListed, "link-out"),
                       left(R::NotListed, "notes.txt")};
    // The entry names the folder above the product's, the manifest beside
    // the uninstaller lists the product relative to the product's own: its
    // lines name nothing in the recorded folder. Nothing goes, the user's
    // files and the uninstaller included, and the run says why.
    QTest::newRow("the entry names the folder above, a manifest")
        << "%S/tools"
        << "铁风帆" << above
        << "trial client:tools/Ferrovane|Desk/Ferrovane.exe app:tools/Ferrovane|Desk|Uninstall "
           "manifest:ours tools/Ferrovane|Desk/bin/a.exe tools/game/save.sav tools/notes.txt"
        << QStringList()
        << QStringList{left(R::ManifestNotFound, "tools"),
                       left(R::Lookalike, "tools/Ferrovane Desk"), entry};
    // A manifest that is there in any form but a file to read keeps
    // everything: never taken for no manifest.
    QTest::newRow("a manifest that is a dangling link")
        << install << "铁风帆" << above << "manifest:dangling programs/Ferrovane/saves/slot1.sav"
        << QStringList() << QStringList{left(R::ManifestNotUsed, "app/InstallManifest.txt"), entry};
    QTest::newRow("another product's manifest")
        << install << "铁风帆" << above << "manifest:other" << QStringList()
        << QStringList{left(R::ManifestOtherProduct, "app/InstallManifest.txt"), entry};
    QTest::newRow("a manifest that is no UTF-8")
        << install << "铁风帆" << above << "manifest:broken programs/Ferrovane/saves/slot1.sav"
        << QStringList() << QStringList{left(R::ManifestNotUsed, "app/InstallManifest.txt"), entry};
    QTest::newRow("a manifest with a line refused")
        << install << "铁风帆" << above << "manifest:refused programs/Ferrovane/saves/slot1.sav"
        << QStringList()
        << QStringList{left(R::ManifestNotUsed, "app/InstallManifest.txt"),
                       left(R::ManifestLineRefused, "7"), entry};
    // Unusable names: their shortcuts are left alone, not the folders above.
    for (const char* name : {"..", "a/b", "", "Startup.", "x:y", "*", "NUL"})
        QTest::newRow(qPrintable(QStringLiteral("name \"%1\"").arg(QLatin1String(name))))
            << install << name << above << "" << QStringList(all.mid(0, 2)) << QStringList();
}

void TestInstallProcessMgr::runs()
{
    QFETCH(QString, location);
    QFETCH(QString, nameCH);
    QFETCH(QString, sibling);
    QFETCH(QString, extra);
    QFETCH(QStringList, gone);
    QFETCH(QStringList, left);

    QStringList files;
    QStringList inUse;
    QStringList pending;
    QStringList mounts; // "mount:PATH": stage/elsewhere bound there
    QString manifest;
    QStringList rewritten; // "rewritten:PATH": written again once all is staged
    // "component:PATH": a key file Windows Installer records for another product
    QStringList components;
    QStringList immutable; // "immutable:PATH": a file of the product the system refuses to remove
    QStringList held;      // "held:PATH": a file another program holds open
    bool trial = false;    // "trial": a trial run first, which must tell the same and touch nothing
    for (QString item : extra.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        item.replace(QLatin1Char('|'), QLatin1Char(' ')); // a blank inside a name or value
        if (item.startsWith(QLatin1String("manifest:")))
            manifest = item.mid(9);
        else if (item.startsWith(QLatin1String("client:")))
            m_client = item.mid(7);
        else if (item.startsWith(QLatin1String("app:")))
            m_app = item.mid(4);
        else if (item.startsWith(QLatin1String("entry:")))
            m_entry << item.mid(6);
        else if (item.startsWith(QLatin1String("sibling:")))
            m_siblingLines << item.mid(8);
        else if (item.startsWith(QLatin1String("rewritten:")))
            rewritten << item.mid(10);
        else if (item.startsWith(QLatin1String("component:")))
            components << item.mid(10);
        else if (item.startsWith(QLatin1String("immutable:")))
            immutable << item.mid(10);
        else if (item == QLatin1String("trial"))
            trial = true;
        else if (item.startsWith(QLatin1String("held:")))
            held << item.mid(5);
        else if (item.startsWith(QLatin1String("inuse:")))
            inUse = item.mid(6).split(QLatin1Char(':'));
        else if (item.startsWith(QLatin1String("pending:")))
            pending = item.mid(8).split(QLatin1Char(','));
        else if (item.startsWith(QLatin1String("mount:")))
            mounts << m_stage + QLatin1Char('/') + item.mid(6);
        else
            files << item;
    }
    for (QString& path : inUse)
        if (path != QLatin1String("own"))
            path = m_stage + QLatin1Char('/') + path;
    if (!inUse.isEmpty())
        qputenv("UNINSTALLER_TEST_IN_USE", QFile::encodeName(inUse.join(QLatin1Char(':'))));
    stage(location, QStringLiteral("Ferrovane"), nameCH, sibling);
    if (!manifest.isEmpty()) {
        QByteArray text = "FerrovaneInstallManifest 1\nProduct " + kGuid.toUtf8() +
                          "\nFerrovane.exe\nbin\\a.exe\nbin\\Ferrovane.exe\nlib/\n";
        if (manifest == QLatin1String("other"))
            text.replace("-D8E0", "-D8E1");
        else if (manifest == QLatin1String("broken"))
            text += "saves/\xFF\n";
        else if (manifest == QLatin1String("refused"))
            text += "../outside/sentinel\n";
        else if (manifest == QLatin1String("noclient"))
            text.replace("\nFerrovane.exe\n", "\n");
        const QString path =
            m_stage + QLatin1Char('/') + m_app + QStringLiteral("/InstallManifest.txt");
        // "dangling": a link to a manifest that is not there.
        QVERIFY(manifest == QLatin1String("dangling")
                    ? QFile::link(m_stage + QStringLiteral("/gone/InstallManifest.txt"), path)
                    : writeFile(path, text));
    }
    for (QString& file : files) {
        const QString target = file.section(QStringLiteral("->"), 1);
        file = file.section(QStringLiteral("->"), 0, 0);
        // A shortcut's name may be taken by a folder that will not go.
        QFile::remove(QFileInfo(m_stage + QLatin1Char('/') + file).path());
        QVERIFY(target.isEmpty() ? writeFile(m_stage + QLatin1Char('/') + file)
                                 : QFile::link(m_stage + QLatin1Char('/') + target,
                                               m_stage + QLatin1Char('/') + file));
    }
    // The same bytes written again a moment later: only its own times move
    // (they tick with the kernel's clock, a few milliseconds apart).
    if (!rewritten.isEmpty())
        QThread::msleep(50);
    for (const QString& file : rewritten) {
        QFile written(m_stage + QLatin1Char('/') + file);
        QVERIFY(written.open(QIODevice::ReadWrite));
        const QByteArray content = written.readAll();
        QVERIFY(written.seek(0) && written.write(content) == content.size());
    }
    for (const QString& file : immutable) {
        const QString path = m_stage + QLatin1Char('/') + file;
        QVERIFY(writeFile(path));
        if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) != 0)
            QSKIP("no immutable files here (chattr)");
        m_immutable << path;
    }
    if (!components.isEmpty()) {
        QByteArray record;
        for (int i = 0; i < components.size(); ++i)
            record += "[C" + QByteArray::number(i) +
                      "]\nP1=" + QFile::encodeName(m_stage + QLatin1Char('/') + components.at(i)) +
                      '\n';
        QString userData = Platform::standinIniPath(
            Platform::standinRoot(),
            QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                           "Installer\\UserData\\S-1-5-18\\Components"));
        QVERIFY(writeFile(userData, record));
    }
    for (const QString& mount : mounts) {
        QVERIFY(QDir().mkpath(mount) && QDir().mkpath(m_stage + QStringLiteral("/elsewhere")));
        if (QProcess::execute(
                QStringLiteral("mount"),
                {QStringLiteral("--bind"), m_stage + QStringLiteral("/elsewhere"), mount}) != 0)
            QSKIP("mounting is not allowed here");
        m_mounts << mount;
    }
    for (const QString& file : held) {
        // sleep with the file open as its descriptor 3, named by /proc.
        auto holder = std::make_unique<QProcess>();
        holder->start(QStringLiteral("sh"),
                      {QStringLiteral("-c"), QStringLiteral("exec sleep 60 3<\"$0\""),
                       m_stage + QLatin1Char('/') + file});
        QVERIFY(holder->waitForStarted());
        // Once the shell that opened it has become sleep.
        const auto bySleep = [this, &file] {
            const auto holders = Platform::programsHolding(m_stage + QLatin1Char('/') + file);
            return holders.size() == 1 && holders.front().program == QLatin1String("sleep");
        };
        QTRY_VERIFY(bySleep());
        m_holders.push_back(std::move(holder));
    }
    QStringList trialOutput;
    if (trial) {
        const QStringList before = stageListing();
        trialOutput = run({}, {QStringLiteral("--trial")});
        QCOMPARE(stageListing(), before);
    }
    const QStringList output = run();
    if (trial)
        QCOMPARE(trialOutput.join(QLatin1Char('\n')), output.join(QLatin1Char('\n')));
    const QStringList expected{QStringLiteral("progress 0 BeganToUnloadWkJrSaJaAq"),
                               QStringLiteral("progress 30 DeleteShortcutULXVgdVTs"),
                               QStringLiteral("progress 60 ClearTheRegistryeuyqTkYHjj"),
                               QStringLiteral("progress 100 Uninstalled"),
                               QStringLiteral("finished")};
    QCOMPARE(output.mid(0, 5), expected);
    const QString entryKey = UninstallRegistry::entryKeyPath(
        UninstallRegistry::uninstallKeyBaseFor(Platform::nativeArchitecture()),
        kGuid.toStdString());
    QStringList record;
    static const QRegularExpression otherProductStep(
        QStringLiteral("^step (remove (the other product|the product of the uninstall entry|')"
                       "|the uninstall entry HKEY_)"));
    for (const QString& line : output.mid(5)) {
        if (line.startsWith(QLatin1String("held "))) {
            record << line.section(QStringLiteral(" (process "), 0, 0);
            continue;
        }
        // Who else records the folder, and the steps that name them.
        if (line.startsWith(QLatin1String("sharing ")) || otherProductStep.match(line).hasMatch())
            record << line;
        if (line.startsWith(QLatin1String("sharing ")) || line.startsWith(QLatin1String("step ")))
            continue;
        const QString path = line.section(QLatin1Char(' '), 3);
        record << line.section(QLatin1Char(' '), 2, 2) + QLatin1Char(' ') +
                      (path == entryKey ? QStringLiteral("entry")
                                        : QDir(m_stage).relativeFilePath(path));
    }
    QCOMPARE(record, left);
    QCOMPARE(pendingRemovals(m_stage), pending);

    for (const QString& path : gone)
        QVERIFY2(!QFileInfo::exists(m_stage + QLatin1Char('/') + path), qPrintable(path));
    // The entry goes with the folder, and stays while the folder does.
    QCOMPARE(UninstallRegistry::getInstance()->hasEntry(kGuid.toStdString()),
             left.contains(QString::number(int(appinstaller::LeftoverReason::EntryKept)) +
                           QStringLiteral(" entry")));
    // Whatever the case, nothing beside the product goes.
    for (const char* kept :
         {"outside/sentinel", "data/sentinel", "home/Desktop/Other.lnk",
          "data/applications/Other/sub/Other.lnk", "data/applications/a/b/sentinel"})
        QVERIFY2(QFileInfo::exists(m_stage + QLatin1Char('/') + QLatin1String(kept)), kept);
    if (!m_app.startsWith(QLatin1String("programs/Ferrovane")))
        QVERIFY(QFileInfo::exists(m_stage + QLatin1Char('/') + m_app +
                                  QStringLiteral("/AppConfig.xml")));
    QVERIFY(QFileInfo::exists(Platform::allUsersDesktop() + QStringLiteral("Other.lnk")));
    QVERIFY(
        QFileInfo::exists(Platform::allUsersStartMenu() + QStringLiteral("/Other/sub/Other.lnk")));
    QFile siblingEntry(entryFile(QStringLiteral("{SIBLING}")));
    QVERIFY(siblingEntry.open(QIODevice::ReadOnly) && siblingEntry.readAll().contains('='));
    for (const QString& file : files)
        QVERIFY2(QFileInfo::exists(m_stage + QLatin1Char('/') + file), qPrintable(file));
    // A shared start-menu folder is not touched at all.
    if (nameCH == QLatin1String("Accessories"))
        QVERIFY(QFileInfo::exists(
            m_stage + QStringLiteral("/data/applications/Accessories/sub/Accessories.lnk")));
}

// The nice values of a process's threads (Linux), from /proc, the main
// thread's first.
static QList<int> threadNiceValues(qint64 pid)
{
    QList<int> values;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    QStringList names = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const int main = names.indexOf(QString::number(pid));
    if (main < 0)
        return values;
    names.move(main, 0);
    for (const QString& task : names) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly)) {
            if (values.isEmpty())
                return values; // not the main thread's, then
            continue;
        }
        // After the command's ") ", the nice value is the 17th field.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        values << fields.value(16).toInt();
    }
    return values;
}

// The removal thread runs below the thread that draws the window, so that a
// removal on every processor leaves the window its time.
void TestInstallProcessMgr::removalRunsBelowTheWindow()
{
    if (!QFileInfo::exists(QStringLiteral("/proc/self/task")))
        QSKIP("reads thread priorities from /proc");
    stage(QStringLiteral("%S/programs/Ferrovane"), QStringLiteral("Ferrovane"),
          QStringLiteral("铁风帆"));
    const QString hold = m_root + QStringLiteral("/hold");
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("UNINSTALLER_TEST_HOLD"), hold);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(m_stage);
    process.start(m_stage + QLatin1Char('/') + m_app + QStringLiteral("/uninstallrun"),
                  QStringList());
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(hold), 30000);
    const QList<int> nice = threadNiceValues(process.processId());
    QFile::remove(hold);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!nice.isEmpty());
    const int window = nice.first(); // the main thread's
    if (window >= 19)
        QSKIP("the tests run at the lowest priority already");
    QStringList shown;
    for (int value : nice)
        shown << QString::number(value);
    QVERIFY2(
        std::count(nice.begin(), nice.end(), qMin(window + 5, 19)) == 1,
        qPrintable(QStringLiteral("nice values of the threads: ") + shown.join(QLatin1Char(' '))));
    QVERIFY(!QFileInfo::exists(m_stage + QStringLiteral("/programs/Ferrovane")));
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

    const QStringList asNobody{setpriv, QStringLiteral("--reuid=nobody"),
                               QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")};
    // A trial run first: it touches nothing and tells what the real run
    // will, the folder nobody may not empty included.
    const QStringList before = stageListing();
    const QStringList trial = run(asNobody, {QStringLiteral("--trial")});
    QCOMPARE(stageListing(), before);
    const QStringList output = run(asNobody);
    QVERIFY2(output.value(3) == QStringLiteral("progress 100 Uninstalled"),
             qPrintable(output.join(QLatin1Char('\n'))));
    QCOMPARE(trial, output);
    // While the folder stays, the shortcuts are not touched: the product
    // stays usable.
    QCOMPARE(
        output.mid(5),
        (QStringList{QStringLiteral("left 0 0 ") + m_stage + QStringLiteral("/programs/Ferrovane"),
                     QStringLiteral("left 0 7 HKEY_LOCAL_MACHINE\\") +
                         QString::fromStdString(UninstallRegistry::uninstallKeyBaseFor(
                             Platform::nativeArchitecture())) +
                         kGuid,
                     QStringLiteral("step close the programs that hold what is named above (or "
                                    "restart Windows), then run the uninstaller again")}));
    QVERIFY(QFileInfo::exists(locked + QStringLiteral("/in-use.dll")));
    QVERIFY(!QFileInfo::exists(m_stage + QStringLiteral("/programs/Ferrovane/lib")));
    QVERIFY(QFileInfo::exists(m_stage + QStringLiteral("/home/Desktop/Ferrovane.lnk")));
}

// Whatever is staged, what is not the product's stays, and while the install
// folder stays so does the entry, with the folder in the record.
void TestInstallProcessMgr::nothingElseGoes_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("sibling"); // another product's recorded location
    QTest::addColumn<QString>("app");     // the uninstaller's folder in the stage
    QTest::addColumn<QStringList>("kept");

    const QString install = QStringLiteral("%S/programs/Ferrovane");
    const QStringList otherProducts{QStringLiteral("programs/Ferrovane/lib/a.dll")};
    QTest::newRow("another product inside, recorded through a link")
        << install << "%S/programs-link/Ferrovane/lib"
        << "app" << otherProducts;
    QTest::newRow("another product inside, recorded through a link, not there")
        << install << "%S/programs-link/Ferrovane/lib/Other"
        << "app" << otherProducts;
    QTest::newRow("both recorded through a link") << "%S/programs-link/Ferrovane"
                                                  << "%S/programs-link/Ferrovane/lib"
                                                  << "app" << otherProducts;
    QTest::newRow("location is a link to the install folder") << "%S/install-link"
                                                              << "%S/programs"
                                                              << "app" << QStringList();
    QTest::newRow("location with a leading blank") << " %S/programs/Ferrovane"
                                                   << "%S/programs"
                                                   << "app" << QStringList();
    QTest::newRow("uninstaller deep inside the location")
        << "%S/work"
        << "%S/programs"
        << "work/tools/x/app" << QStringList{QStringLiteral("work/thesis.txt")};
}

void TestInstallProcessMgr::nothingElseGoes()
{
    QFETCH(QString, location);
    QFETCH(QString, sibling);
    QFETCH(QString, app);
    QFETCH(QStringList, kept);

    m_app = app;
    stage(location, QStringLiteral("Ferrovane"), QStringLiteral("铁风帆"), sibling);
    QVERIFY(writeFile(m_stage + QStringLiteral("/work/thesis.txt")));
    const QStringList output = run();
    QVERIFY2(output.value(4) == QStringLiteral("finished"),
             qPrintable(output.join(QLatin1Char('\n'))));
    for (const QString& path : kept)
        QVERIFY2(QFileInfo::exists(m_stage + QLatin1Char('/') + path), qPrintable(path));
    if (QFileInfo::exists(m_stage + QLatin1Char('/') + m_client)) {
        QVERIFY2(UninstallRegistry::getInstance()->hasEntry(kGuid.toStdString()),
                 "the entry went while the install folder stayed");
        QVERIFY2(output.size() > 5, "the install folder stayed unreported");
    }
}

QTEST_GUILESS_MAIN(TestInstallProcessMgr)
#include "tst_installprocessmgr.moc"
