// Real removals, inside the harness's read-only sandbox only.

#include "common/sandbox.h"
#include "common/walk.h"
#include "engine/folderremoval.h"
#include "engine/installmanifest.h"
#include "platform/platform.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <optional>
#include <thread>

using Engine::LocationVerdict;
Q_DECLARE_METATYPE(Engine::LocationVerdict)

namespace
{

bool writeFile(const QString& path, const QByteArray& content = QByteArray("x"))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

const QString kClient = QStringLiteral("Ferrovane.exe");

// A product-like tree: nested folders, small files, one read-only file, the
// client program at the top.
int makeProductTree(const QString& root, int folders, int filesPerFolder)
{
    int count = writeFile(root + QLatin1Char('/') + kClient) ? 1 : 0;
    for (int f = 0; f < folders; ++f) {
        const QString folder = root + QStringLiteral("/sub%1/level%2").arg(f % 7).arg(f);
        for (int i = 0; i < filesPerFolder; ++i)
            count += writeFile(folder + QStringLiteral("/file%1.dat").arg(i)) ? 1 : 0;
    }
    writeFile(root + QStringLiteral("/readonly.txt"));
    QFile::setPermissions(root + QStringLiteral("/readonly.txt"), QFile::ReadOwner);
    writeFile(root + QStringLiteral("/.hidden"));
    return count + 2;
}

LocationVerdict removeInstallFolder(const QString& location)
{
    return Engine::removeInstallFolder(location, kClient).verdict;
}

// A chain of depth folders named name below top, a file at its bottom; made
// relative to open folders, since its path may be longer than PATH_MAX.
bool makeChain(const QString& top, int depth, const char* name)
{
    QDir().mkpath(top);
    int fd = ::open(QFile::encodeName(top).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < depth && fd >= 0; ++level) {
        ::mkdirat(fd, name, 0755);
        const int next = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    const int file = fd < 0 ? -1 : ::openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ::close(file);
    ::close(fd);
    return file >= 0;
}

// Deletions in watched folders, as "label/name" ("label/name/" for a
// folder), in the order they happened.
struct DeletionWatch {
    int fd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    QHash<int, QString> labels;
    ~DeletionWatch() { ::close(fd); }
    void watch(const QString& folder, const QString& label)
    {
        labels.insert(::inotify_add_watch(fd, QFile::encodeName(folder).constData(), IN_DELETE),
                      label);
    }
    QStringList events(int timeoutMs = 0)
    {
        QStringList seen;
        pollfd ready{fd, POLLIN, 0};
        alignas(inotify_event) char buffer[64 * 1024];
        while (::poll(&ready, 1, seen.isEmpty() ? timeoutMs : 0) > 0) {
            const ssize_t length = ::read(fd, buffer, sizeof buffer);
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->mask & IN_DELETE)
                    seen << labels.value(event->wd) + QLatin1Char('/') +
                                QFile::decodeName(event->name) +
                                QLatin1String(event->mask & IN_ISDIR ? "/" : "");
                at += ssize_t(sizeof(inotify_event)) + event->len;
            }
        }
        return seen;
    }
};

// Mounts for the length of a test, in the sandbox's own mount namespace.
struct TestMount {
    QByteArray target;
    bool mounted;
    TestMount(const QString& source, const QString& at, const char* type)
        : target(QFile::encodeName(at)),
          mounted(::mount(QFile::encodeName(source).constData(), target.constData(), type,
                          type ? 0 : MS_BIND, nullptr) == 0)
    {
    }
    ~TestMount()
    {
        if (mounted)
            ::umount2(target.constData(), MNT_DETACH);
    }
};

} // namespace

class TestRemoveFolder : public QObject
{
    Q_OBJECT

    QString m_root;

private slots:
    void initTestCase();
    void init();
    void removesWholeTree();
    void missingFolderIsNotFound();
    void linkInsideIsRemovedNotFollowed();
    void locationThatIsALinkKeepsTarget();
    void guardedLocations_data();
    void guardedLocations();
    void unremovableEntriesAreLeft_data();
    void unremovableEntriesAreLeft();
    void homeReachedByItsRealPath();
    void programInsideAProtectedFolder();
    void mountedLocations_data();
    void mountedLocations();
    void deepTree_data();
    void deepTree();
    void otherFileSystemIsLeft_data();
    void otherFileSystemIsLeft();
    void removeLastGoesLast_data();
    void removeLastGoesLast();
    void manifestNarrowsRemoval_data();
    void manifestNarrowsRemoval();
};

void TestRemoveFolder::initTestCase()
{
    REQUIRE_SANDBOX();
    m_root = qEnvironmentVariable("UNINSTALLER_TEST_SANDBOX");
}

void TestRemoveFolder::init()
{
    // Each case starts from an empty work folder inside the sandbox.
    qunsetenv("UNINSTALLER_REMOVAL_WORKERS");
    QDir work(m_root + QStringLiteral("/work"));
    if (work.exists())
        QVERIFY(Engine::removeFolderTree(work.path()));
    QVERIFY(QDir().mkpath(work.path()));
}

void TestRemoveFolder::removesWholeTree()
{
    const QString product = m_root + QStringLiteral("/work/Ferrovane");
    QVERIFY(makeProductTree(product, 40, 5) > 200);
    QCOMPARE(removeInstallFolder(product), LocationVerdict::Remove);
    QVERIFY(!QFileInfo::exists(product));
}

void TestRemoveFolder::missingFolderIsNotFound()
{
    // Not there is not proof that it went.
    const QString product = m_root + QStringLiteral("/work/never-installed");
    QVERIFY(Engine::removeFolderTree(product));
    QCOMPARE(removeInstallFolder(product), LocationVerdict::NotFound);
    // A file where the folder should be is no folder: left alone.
    QVERIFY(writeFile(product));
    QVERIFY(Engine::removeFolderTree(product));
    QVERIFY(QFileInfo::exists(product));
}

void TestRemoveFolder::linkInsideIsRemovedNotFollowed()
{
    const QString product = m_root + QStringLiteral("/work/Ferrovane");
    const QString outside = m_root + QStringLiteral("/work/outside");
    QVERIFY(writeFile(outside + QStringLiteral("/sentinel.txt")));
    QVERIFY(writeFile(outside + QStringLiteral("/deeper/sentinel2.txt")));
    QVERIFY(writeFile(product + QStringLiteral("/bin/app.exe")));
    QVERIFY(QFile::link(outside, product + QStringLiteral("/bin/linked-folder")));
    QVERIFY(QFile::link(outside + QStringLiteral("/sentinel.txt"),
                        product + QStringLiteral("/linked-file")));
    QVERIFY(
        QFile::link(product + QStringLiteral("/nowhere"), product + QStringLiteral("/dangling")));

    QVERIFY(Engine::removeFolderTree(product));
    QVERIFY(!QFileInfo::exists(product));
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/sentinel.txt")));
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/deeper/sentinel2.txt")));

    // Handed a link itself (it may have become one after the caller looked),
    // the walk leaves it and what it leads to.
    QVERIFY(QFile::link(outside, product));
    QVERIFY(!removeContents(product).complete);
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/deeper/sentinel2.txt")));

    // Not the folder that was judged (a folder above it swapped for a link
    // after the check): nothing in it is touched. The one judged is walked.
    const Platform::FileIdentity judged = Platform::fileIdentity(m_root + QStringLiteral("/work"));
    QVERIFY(!removeContents(outside, {}, judged).complete);
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/deeper/sentinel2.txt")));
    QVERIFY(removeContents(outside, {}, Platform::fileIdentity(outside)).complete);
    QVERIFY(!QFileInfo::exists(outside + QStringLiteral("/deeper")));
}

void TestRemoveFolder::locationThatIsALinkKeepsTarget()
{
    const QString target = m_root + QStringLiteral("/work/real-folder");
    const QString product = m_root + QStringLiteral("/work/Ferrovane");
    QVERIFY(writeFile(target + QStringLiteral("/sentinel.txt")));
    QVERIFY(writeFile(target + QLatin1Char('/') + kClient));
    QVERIFY(QFile::link(target, product));

    // The entry names a link, not the folder: both stay, reported.
    QCOMPARE(removeInstallFolder(product), LocationVerdict::NotOwned);
    QVERIFY(QFileInfo(product).isSymLink());
    QVERIFY(QFileInfo::exists(target + QStringLiteral("/sentinel.txt")));

    // Handed on with a final separator, as the shortcut steps do: still the link.
    QVERIFY(Engine::removeFolderTree(product + QStringLiteral("/")));
    QVERIFY(!QFileInfo(product).isSymLink());
    QVERIFY(QFileInfo::exists(target + QStringLiteral("/sentinel.txt")));

    // A link to a file proves nothing: both stay.
    QVERIFY(QFile::link(target + QStringLiteral("/sentinel.txt"), product));
    QCOMPARE(removeInstallFolder(product), LocationVerdict::NotOwned);
    QVERIFY(QFileInfo(product).isSymLink());
    QVERIFY(QFileInfo::exists(target + QStringLiteral("/sentinel.txt")));
}

void TestRemoveFolder::guardedLocations_data()
{
    QTest::addColumn<QString>("location"); // "@" stands for the sandbox folder
    QTest::addColumn<LocationVerdict>("verdict");
    QTest::addColumn<QString>("sentinel"); // a file that must survive

    QTest::newRow("empty") << "" << LocationVerdict::Empty << "@/work/x/sentinel";
    QTest::newRow("relative") << "work" << LocationVerdict::NotAbsolute << "@/work/sentinel";
    QTest::newRow("home") << "@/home" << LocationVerdict::Protected << "@/home/sentinel";
    QTest::newRow("ancestor of home") << "@" << LocationVerdict::Protected << "@/work/sentinel";
    QTest::newRow("desktop") << "@/home/Desktop" << LocationVerdict::Protected
                             << "@/home/Desktop/sentinel";
    QTest::newRow("data home") << "@/data" << LocationVerdict::Protected << "@/data/sentinel";
    QTest::newRow("all-users desktop")
        << "@/data/appinstaller/windows/C/Users/Public/Desktop" << LocationVerdict::Protected
        << "@/data/appinstaller/windows/C/Users/Public/Desktop/Other.lnk";
    QTest::newRow("link to home") << "@/work/link-to-home" << LocationVerdict::Protected
                                  << "@/home/sentinel";
    QTest::newRow("link with a backslash in its name")
        << "@/work/a\\b" << LocationVerdict::Protected << "@/home/sentinel";
    QTest::newRow("link to ancestor of home")
        << "@/work/link-up" << LocationVerdict::Protected << "@/home/sentinel";
}

void TestRemoveFolder::guardedLocations()
{
    QFETCH(QString, location);
    QFETCH(LocationVerdict, verdict);
    QFETCH(QString, sentinel);
    location.replace(QLatin1Char('@'), m_root);
    sentinel.replace(QLatin1Char('@'), m_root);

    QVERIFY(writeFile(sentinel));
    QVERIFY(writeFile(m_root + QStringLiteral("/home/Desktop/shortcut.lnk")));
    QFile::link(m_root + QStringLiteral("/home"), m_root + QStringLiteral("/work/link-to-home"));
    QFile::link(m_root, m_root + QStringLiteral("/work/link-up"));
    // On Linux "a\\b" is one name, not a folder a with b inside.
    QFile::link(m_root + QStringLiteral("/home"), m_root + QStringLiteral("/work/a\\b"));

    QCOMPARE(removeInstallFolder(location), verdict);
    QVERIFY2(QFileInfo::exists(sentinel), qPrintable(sentinel));
    QVERIFY(QFileInfo::exists(m_root + QStringLiteral("/home/Desktop/shortcut.lnk")));
    QFile::remove(sentinel);
}

void TestRemoveFolder::unremovableEntriesAreLeft_data()
{
    QTest::addColumn<QStringList>("lockedContent"); // files ("f") and folders ("d/") in it
    QTest::addColumn<QStringList>("left");          // what must stay of it
    QTest::addColumn<QString>("lockedAt");          // where it lies in the product
    QTest::addColumn<int>("sticky");                // the folder writable by all, sticky
    QTest::addColumn<int>("error");                 // the first the system gives
    QTest::newRow("files in a folder it may not write")
        << QStringList{QStringLiteral("kept.dat"), QStringLiteral("inner/kept2.dat")}
        << QStringList{QStringLiteral("kept.dat"), QStringLiteral("inner/kept2.dat")} << "locked"
        << 0 << EACCES;
    // Only a folder's removal fails here, no file's.
    QTest::newRow("empty folder in a folder it may not write")
        << QStringList{QStringLiteral("inner/")} << QStringList{QStringLiteral("inner")} << "locked"
        << 0 << EACCES;
    // "=name": a hard link to a read-only file outside the product, whose
    // mode must not change, below the depth the walk keeps open.
    QTest::newRow("file linked from outside, 300 levels down")
        << QStringList{QStringLiteral("=linked.txt")} << QStringList{QStringLiteral("linked.txt")}
        << QStringLiteral("d/").repeated(300) + QStringLiteral("locked") << 0 << EACCES;
    // Writable by all, but another's files in it stay theirs (as in /tmp).
    QTest::newRow("another's file in a sticky folder")
        << QStringList{QStringLiteral("kept.dat")} << QStringList{QStringLiteral("kept.dat")}
        << "locked" << 1 << EPERM;
}

void TestRemoveFolder::unremovableEntriesAreLeft()
{
    QFETCH(QStringList, lockedContent);
    QFETCH(QStringList, left);
    QFETCH(QString, lockedAt);
    QFETCH(int, sticky);
    QFETCH(int, error);
    // A tree with one folder the remover may not write: what is in it stays,
    // everything else goes, and the removal says it was incomplete. A trial
    // run first says the same, and touches nothing.
    const QString work = m_root + QStringLiteral("/work");
    const QString product = work + QStringLiteral("/Ferrovane");
    const QString locked = product + QLatin1Char('/') + lockedAt;
    const QString outsideFile = work + QStringLiteral("/read-only.txt");
    makeProductTree(product, 10, 3);
    QVERIFY(QDir().mkpath(locked));
    for (const QString& entry : lockedContent) {
        if (entry.startsWith(QLatin1Char('='))) {
            QVERIFY(writeFile(outsideFile) &&
                    ::chmod(QFile::encodeName(outsideFile).constData(), 0444) == 0);
            QVERIFY(
                ::link(QFile::encodeName(outsideFile).constData(),
                       QFile::encodeName(locked + QLatin1Char('/') + entry.mid(1)).constData()) ==
                0);
        } else if (entry.endsWith(QLatin1Char('/'))) {
            QVERIFY(QDir().mkpath(locked + QLatin1Char('/') + entry));
        } else {
            QVERIFY(writeFile(locked + QLatin1Char('/') + entry));
        }
    }

    const QString remover = QCoreApplication::applicationDirPath() + QStringLiteral("/removetree");
    QStringList prefix; // how the remover is started: as nobody when this runs as root
    if (TestSandbox::isRealRoot()) {
        // Root ignores permissions: remove as nobody, who owns all but "locked".
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("setpriv is needed to remove as another user");
        QCOMPARE(QProcess::execute(QStringLiteral("chown"),
                                   {QStringLiteral("-R"), QStringLiteral("nobody"), product}),
                 0);
        QCOMPARE(QProcess::execute(QStringLiteral("chown"),
                                   {QStringLiteral("-R"), QStringLiteral("root"), locked}),
                 0);
        // The remover owns the file it could make writable.
        if (QFileInfo::exists(outsideFile))
            QCOMPARE(
                QProcess::execute(QStringLiteral("chown"), {QStringLiteral("nobody"), outsideFile}),
                0);
        for (const QString& folder : {m_root, work})
            QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ExeOther |
                                              QFile::ReadOther | QFile::WriteOther);
        if (sticky)
            QCOMPARE(::chmod(QFile::encodeName(locked).constData(), 01777), 0);
        prefix = QStringList{setpriv, QStringLiteral("--reuid=nobody"),
                             QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")};
    } else if (::geteuid() == 0) {
        // Root of a user namespace may override permissions on the user's files.
        QSKIP("no other user to remove as in a user namespace");
    } else if (sticky) {
        QSKIP("no other user's file to leave in a sticky folder without root");
    } else {
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    }
    const auto removeTree = [&](const QStringList& arguments) {
        QProcess process;
        if (prefix.isEmpty())
            process.start(remover, arguments);
        else
            process.start(prefix.first(), prefix.mid(1) + QStringList{remover} + arguments);
        process.waitForFinished(60000);
        return QStringLiteral("%1 %2")
            .arg(process.exitCode())
            .arg(QString::fromUtf8(process.readAllStandardOutput().trimmed()));
    };
    const auto listing = [&work] {
        QStringList entries;
        for (QDirIterator it(work, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            entries << it.next();
        entries.sort();
        return entries;
    };
    const QStringList before = listing();
    // The cause, not what the folders above it then gave (ENOTEMPTY).
    const QString refused = QStringLiteral("1 %1").arg(error);
    QCOMPARE(removeTree({QStringLiteral("--trial"), product}), refused);
    QCOMPARE(listing(), before);
    QCOMPARE(removeTree({product}), refused);

    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    for (const QString& entry : left)
        QVERIFY2(QFileInfo::exists(locked + QLatin1Char('/') + entry), qPrintable(entry));
    struct stat status;
    if (::stat(QFile::encodeName(outsideFile).constData(), &status) == 0)
        QCOMPARE(status.st_mode & 07777, mode_t(0444));
    // Only the locked folder and the folders holding it are left.
    QCOMPARE(QDir(product).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{lockedAt.section(QLatin1Char('/'), 0, 0)});
}

void TestRemoveFolder::homeReachedByItsRealPath()
{
    // HOME may itself be a link; the folder it leads to is the home folder too.
    const QString realHome = m_root + QStringLiteral("/work/real-home");
    const QString homeLink = m_root + QStringLiteral("/work/home-link");
    QVERIFY(writeFile(realHome + QStringLiteral("/sentinel")));
    QVERIFY(QFile::link(realHome, homeLink));
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(homeLink));
    const LocationVerdict verdict = removeInstallFolder(realHome);
    qputenv("HOME", savedHome);
    QCOMPARE(verdict, LocationVerdict::Protected);
    QVERIFY(QFileInfo::exists(realHome + QStringLiteral("/sentinel")));
}

void TestRemoveFolder::programInsideAProtectedFolder()
{
    // The uninstaller started from the desktop or the home folder (a copy
    // made there) still refuses to remove them.
    const QString checker = QCoreApplication::applicationDirPath() + QStringLiteral("/removetree");
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    for (const QString& folder : {desktop, QDir::homePath()}) {
        QVERIFY(QDir().mkpath(folder));
        const QString copy = folder + QStringLiteral("/removetree-copy");
        QFile::remove(copy);
        QVERIFY(QFile::copy(checker, copy));
        for (const QString& location : {desktop, QDir::homePath()}) {
            QProcess process;
            process.start(copy, {QStringLiteral("--check"), location});
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.readAllStandardOutput().trimmed().toInt(),
                     int(LocationVerdict::Protected));
        }
        QFile::remove(copy);
    }
}

void TestRemoveFolder::mountedLocations_data()
{
    QTest::addColumn<QString>("location"); // inside @/work; @/work/mnt is a mount point
    QTest::addColumn<LocationVerdict>("verdict");
    QTest::newRow("a file system of its own") << "@/work/mnt" << LocationVerdict::OtherFileSystem;
    // @/work/mnt shows the sandbox itself: its home under a second path.
    QTest::newRow("home under another path") << "@/work/mnt/home" << LocationVerdict::Protected;
    QTest::newRow("the start menu under another path")
        << "@/work/mnt/data/applications" << LocationVerdict::Protected;
}

void TestRemoveFolder::mountedLocations()
{
    QFETCH(QString, location);
    QFETCH(LocationVerdict, verdict);
    const QString mountPoint = m_root + QStringLiteral("/work/mnt");
    QVERIFY(QDir().mkpath(mountPoint));
    QVERIFY(writeFile(m_root + QStringLiteral("/home/bin/") + kClient));
    QVERIFY(writeFile(m_root + QStringLiteral("/data/applications/bin/") + kClient));
    const bool tmpfs = qstrcmp(QTest::currentDataTag(), "a file system of its own") == 0;
    const QStringList mountArguments =
        tmpfs ? QStringList{QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("x"),
                            mountPoint}
              : QStringList{QStringLiteral("--bind"), m_root, mountPoint};
    if (QProcess::execute(QStringLiteral("mount"), mountArguments) != 0)
        QSKIP("mounting is not allowed here");
    if (tmpfs)
        QVERIFY(writeFile(mountPoint + QStringLiteral("/bin/") + kClient));
    location.replace(QLatin1Char('@'), m_root);
    const LocationVerdict got = removeInstallFolder(location);
    const bool clientKept = QFileInfo::exists(location + QStringLiteral("/bin/") + kClient);
    QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), mountPoint});
    QCOMPARE(got, verdict);
    QVERIFY(clientKept);
}

void TestRemoveFolder::deepTree_data()
{
    QTest::addColumn<int>("depth");
    QTest::addColumn<int>("spareDescriptors"); // beyond those open now; -1: no limit
    QTest::addColumn<int>("meddling");         // at level 30, once the walk removes there
    QTest::addColumn<int>("chains"); // side by side, on as many workers; 1: the top folder itself
    // Its path is several times PATH_MAX long.
    QTest::newRow("deeper than a descriptor a level") << 1500 << -1 << 0 << 1;
    QTest::newRow("descriptors run out") << 40 << 4 << 0 << 1;
    // A folder listed there is replaced by a link to a folder outside.
    QTest::newRow("folder swapped for a link, descriptors run out") << 40 << 4 << 1 << 1;
    // The folder being walked is moved out: its parent, when the walk goes
    // back up, is another folder.
    QTest::newRow("folder walked moved out, descriptors run out") << 40 << 4 << 2 << 1;
    QTest::newRow("four workers") << 300 << -1 << 0 << 4;
    QTest::newRow("two workers, descriptors run out") << 40 << 6 << 0 << 2;
}

void TestRemoveFolder::deepTree()
{
    QFETCH(int, depth);
    QFETCH(int, spareDescriptors);
    QFETCH(int, meddling);
    QFETCH(int, chains);
    // A hostile install folder can nest far deeper than any product does.
    // The removal runs on a worker thread, whose stack on Windows is 1 MiB:
    // its depth must not depend on the tree's, nor on how many folders the
    // process may hold open.
    const QString work = m_root + QStringLiteral("/work");
    const QString product = work + QStringLiteral("/Ferrovane");
    const QString outside = work + QStringLiteral("/outside");
    for (int chain = 0; chain < chains; ++chain)
        QVERIFY(makeChain(chains == 1 ? product : product + QStringLiteral("/c%1").arg(chain),
                          depth, "folder"));
    qputenv("UNINSTALLER_REMOVAL_WORKERS", QByteArray::number(chains));
    QVERIFY(writeFile(outside + QStringLiteral("/sentinel")));
    DeletionWatch watch;
    std::function<bool()> meddle;
    if (meddling) {
        // Enough files there that the walk is still busy when this thread
        // wakes up; and 10 levels below, more than the walk keeps open.
        const QString level30 = product + QStringLiteral("/folder").repeated(30);
        for (int i = 0; i < 3000; ++i)
            QVERIFY(writeFile(level30 + QStringLiteral("/file%1").arg(i)));
        for (int i = 0; i < 20; ++i)
            QVERIFY(writeFile(level30 + QStringLiteral("/a%1/inside").arg(i)));
        watch.watch(level30, QString());
        meddle = [=] {
            if (meddling == 2)
                return ::rename(
                           QFile::encodeName(level30).constData(),
                           QFile::encodeName(outside + QStringLiteral("/moved")).constData()) == 0;
            // Those the walk has not reached yet.
            bool swapped = false;
            for (int i = 0; i < 20; ++i) {
                const QByteArray from = QFile::encodeName(level30 + QStringLiteral("/a%1").arg(i));
                const QString to = work + QStringLiteral("/moved%1").arg(i);
                if (::rename(from.constData(), QFile::encodeName(to).constData()) == 0)
                    swapped =
                        ::symlink(QFile::encodeName(outside).constData(), from.constData()) == 0 ||
                        swapped;
            }
            return swapped;
        };
    }
    std::atomic<bool> meddled{false};
    std::thread meddler([&] {
        // Once the walk removes files there.
        for (QStringList seen; meddle && !(seen = watch.events(120000)).isEmpty();) {
            if (!seen.filter(QRegularExpression(QStringLiteral("[^/]$"))).isEmpty()) {
                meddled = meddle();
                break;
            }
        }
    });

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    if (spareDescriptors >= 0) {
        rlimit few = saved;
        few.rlim_cur = QDir(QStringLiteral("/proc/self/fd")).count() + spareDescriptors;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &few), 0);
    }
    bool removed = false;
    QThread* worker = QThread::create([&] { removed = Engine::removeFolderTree(product); });
    worker->setStackSize(128 * 1024);
    worker->start();
    const bool ended = worker->wait(120000);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    meddler.join();
    QVERIFY(ended);
    delete worker;
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/sentinel")));
    if (meddling) {
        QVERIFY(meddled);
        // The walk stops where it cannot vouch for the folder above.
        if (meddling == 2)
            QVERIFY(!removed);
        return;
    }
    QVERIFY(removed);
    QVERIFY(!QFileInfo::exists(product));
}

void TestRemoveFolder::otherFileSystemIsLeft_data()
{
    QTest::addColumn<QByteArray>("type"); // empty: a bind mount of a folder outside
    QTest::newRow("tmpfs") << QByteArray("tmpfs");
    // The same file system and device, another mount.
    QTest::newRow("bind mount") << QByteArray();
}

void TestRemoveFolder::otherFileSystemIsLeft()
{
    QFETCH(QByteArray, type);
    const QString product = m_root + QStringLiteral("/work/Ferrovane");
    const QString point = product + QStringLiteral("/data/documents");
    const QString source = m_root + QStringLiteral("/work/documents");
    QVERIFY(writeFile(product + QStringLiteral("/bin/app.exe")));
    QVERIFY(QDir().mkpath(point) && QDir().mkpath(source));
    const TestMount mount(type.isEmpty() ? source : QString(), point,
                          type.isEmpty() ? nullptr : type.constData());
    if (!mount.mounted)
        QSKIP("mounting is refused here");
    QVERIFY(writeFile(point + QStringLiteral("/sentinel")));

    const Platform::FolderRemoval removal = removeContents(product);
    QVERIFY(!removal.complete);
    QCOMPARE(removal.paths(Platform::EntryStatus::OtherFileSystem), QStringList{point});
    QVERIFY(QFileInfo::exists(point + QStringLiteral("/sentinel")));
    QCOMPARE(QDir(product).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("data")});
}

void TestRemoveFolder::removeLastGoesLast_data()
{
    QTest::addColumn<bool>("somethingStays");
    QTest::newRow("kept while something else stays") << true;
    QTest::newRow("removed after everything else") << false;
}

void TestRemoveFolder::removeLastGoesLast()
{
    QFETCH(bool, somethingStays);
    const QString product = m_root + QStringLiteral("/work/Ferrovane");
    // Created first: listed first where the order of creation is kept.
    QVERIFY(writeFile(product + QStringLiteral("/Client.exe")));
    QVERIFY(writeFile(product + QStringLiteral("/bin/Client.exe")));
    for (int i = 0; i < 50; ++i)
        QVERIFY(writeFile(product + QStringLiteral("/file%1").arg(i)) &&
                writeFile(product + QStringLiteral("/bin/file%1").arg(i)));
    QVERIFY(writeFile(product + QStringLiteral("/data/more")));
    // A file something is mounted on cannot be removed.
    QVERIFY(writeFile(product + QStringLiteral("/busy")));
    std::optional<TestMount> busy;
    if (somethingStays) {
        busy.emplace(product + QStringLiteral("/data/more"), product + QStringLiteral("/busy"),
                     nullptr);
        if (!busy->mounted)
            QSKIP("mounting is refused here");
    }
    DeletionWatch watch;
    watch.watch(product, QStringLiteral("top"));
    watch.watch(product + QStringLiteral("/bin"), QStringLiteral("bin"));

    const QStringList last{QStringLiteral("Client.exe"), QStringLiteral("bin/Client.exe")};
    QCOMPARE(removeContents(product, last).complete, !somethingStays);
    QStringList left =
        QDir(product).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    if (somethingStays) {
        QCOMPARE(left.join(QLatin1Char(' ')), QStringLiteral("Client.exe bin busy"));
        QCOMPARE(QDir(product + QStringLiteral("/bin")).entryList(QDir::Files),
                 QStringList{QStringLiteral("Client.exe")});
        return;
    }
    QVERIFY(left.isEmpty());
    QStringList lastDeleted = watch.events();
    lastDeleted = lastDeleted.mid(lastDeleted.size() - 3);
    lastDeleted.sort();
    QCOMPARE(lastDeleted.join(QLatin1Char(' ')),
             QStringLiteral("bin/Client.exe top/Client.exe top/bin/"));
}

void TestRemoveFolder::manifestNarrowsRemoval_data()
{
    QTest::addColumn<int>("workers");
    QTest::addColumn<bool>("folded"); // names compared as Windows does
    QTest::addColumn<bool>("dryRun"); // decided and told, nothing touched
    QTest::newRow("one walk") << 1 << false << false;
    QTest::newRow("four walks") << 4 << false << false;
    QTest::newRow("four walks, manifest in capitals, folded") << 4 << true << false;
    QTest::newRow("one walk, a trial run") << 1 << false << true;
    QTest::newRow("four walks, a trial run") << 4 << false << true;
}

void TestRemoveFolder::manifestNarrowsRemoval()
{
    QFETCH(int, workers);
    QFETCH(bool, folded);
    QFETCH(bool, dryRun);
    qputenv("UNINSTALLER_REMOVAL_WORKERS", QByteArray::number(workers));
    const QString product = m_root + QStringLiteral("/work/Ferrovane");
    const QString outside = m_root + QStringLiteral("/work/elsewhere");
    for (const char* file : {"Ferrovane.exe", "bin/Client.exe", "bin/a.dll", "bin/user.ini",
                             "logs/run.log", "logs/deep/crash.dmp", "saves/slot1.sav", "notes.txt",
                             "data/maps/a.map", "plugins/b.dll", "plugins/extra.dll"})
        QVERIFY(writeFile(product + QLatin1Char('/') + QLatin1String(file)));
    for (int i = 0; i < 20; ++i)
        QVERIFY(writeFile(product + QStringLiteral("/data/f%1").arg(i)));
    QVERIFY(QDir().mkpath(product + QStringLiteral("/saves/auto")));
    QVERIFY(writeFile(outside + QStringLiteral("/keep.txt")));
    // The user moved the cache elsewhere and linked it: the link is not
    // what was installed.
    QVERIFY(QFile::link(outside, product + QStringLiteral("/cache")));

    QByteArray listed =
        "Ferrovane.exe\nbin\\a.dll\nlogs/\ncache/\ndata/maps/a.map\nplugins/b.dll\n";
    for (int i = 0; i < 20; ++i)
        listed += "data/f" + QByteArray::number(i) + '\n';
    const Qt::CaseSensitivity paths = folded ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const Engine::InstallManifest manifest = Engine::parseInstallManifest(
        "FerrovaneInstallManifest 1\nProduct {X}\n" + (folded ? listed.toUpper() : listed),
        QStringLiteral("{x}"), paths);
    QCOMPARE(manifest.state, Engine::ManifestState::Used);
    const QStringList last{QStringLiteral("bin/Client.exe")};
    const Engine::ManifestFilter filter(manifest, last, paths);
    const auto tree = [&product] {
        QStringList entries;
        QDirIterator it(product,
                        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo entry(it.next());
            entries << QDir(product).relativeFilePath(entry.filePath()) + QLatin1Char(' ') +
                           QString::number(entry.metadataChangeTime().toMSecsSinceEpoch());
        }
        entries.sort();
        return entries;
    };
    const QStringList before = tree();
    const Platform::FolderRemoval removal =
        removeContents(product, last, Platform::fileIdentity(product), &filter, dryRun);
    // A trial run tells what the real one does, and changes nothing.
    if (dryRun)
        QCOMPARE(tree(), before);

    QVERIFY(removal.complete);
    QVERIFY(!removal.has(Platform::EntryStatus::Refused));
    QStringList kept;
    for (const char* entry :
         {"bin/user.ini", "cache", "notes.txt", "plugins/extra.dll", "saves/slot1.sav"})
        kept << product + QLatin1Char('/') + QLatin1String(entry);
    QCOMPARE(removal.paths(Platform::EntryStatus::Kept), kept);
    if (dryRun)
        return;
    QStringList left;
    QDirIterator it(product, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        left << QDir(product).relativeFilePath(it.next());
    left.sort();
    QCOMPARE(left.join(QLatin1Char(' ')),
             QStringLiteral("bin bin/user.ini cache notes.txt plugins plugins/extra.dll saves "
                            "saves/slot1.sav"));
    QVERIFY(QFileInfo(product + QStringLiteral("/cache")).isSymLink());
    QVERIFY(QFileInfo::exists(outside + QStringLiteral("/keep.txt")));
}

QTEST_GUILESS_MAIN(TestRemoveFolder)
#include "tst_removefolder.moc"
