// The install manifest as read: what makes a file no manifest, which lines
// are refused and why, what its filter lets the walk remove, and what the
// look again after a removal counts as still there. Nothing is removed here.

#include "engine/installmanifest.h"
#include "engine/removalguard.h"
#include "engine/verification.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using Engine::ManifestLineProblem;
using Engine::ManifestState;
using Decision = Platform::EntryFilter::Decision;
Q_DECLARE_METATYPE(ManifestState)
Q_DECLARE_METATYPE(ManifestLineProblem)
Q_DECLARE_METATYPE(Decision)
Q_DECLARE_METATYPE(Qt::CaseSensitivity)

namespace
{

const QString kGuid = QStringLiteral("{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}");
const QByteArray kHead =
    "FerrovaneInstallManifest 1\nProduct {8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}\n";

} // namespace

class TestInstallManifest : public QObject
{
    Q_OBJECT

private slots:
    void wholeFile_data();
    void wholeFile();
    void lines_data();
    void lines();
    void filter_data();
    void filter();
    void limits_data();
    void limits();
    void lookAgain_data();
    void lookAgain();
};

void TestInstallManifest::wholeFile_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<ManifestState>("state");
    const QByteArray body = "# what goes\n\nFerrovane.exe\nlogs/\n";
    QTest::newRow("used") << kHead + body << ManifestState::Used;
    QTest::newRow("BOM and CRLF") << QByteArray("\xEF\xBB\xBF" + kHead + body).replace("\n", "\r\n")
                                  << ManifestState::Used;
    QTest::newRow("GUID in other case")
        << QByteArray(kHead).replace("8E4B6C1A", "8e4b6c1a") + body << ManifestState::Used;
    QTest::newRow("comment before product")
        << QByteArray(kHead).replace("\nProduct", "\n# x\nProduct") + body << ManifestState::Used;
    QTest::newRow("empty file") << QByteArray() << ManifestState::NotManifest;
    QTest::newRow("no header") << body << ManifestState::NotManifest;
    QTest::newRow("other version")
        << QByteArray(kHead).replace(" 1\n", " 2\n") + body << ManifestState::NotManifest;
    QTest::newRow("path before product")
        << QByteArray("FerrovaneInstallManifest 1\nFerrovane.exe\n") << ManifestState::NotManifest;
    QTest::newRow("another product")
        << QByteArray(kHead).replace("B0A2", "B0A3") + body << ManifestState::OtherProduct;
    QTest::newRow("invalid UTF-8") << kHead + "saves\xFF.sav\n" + body << ManifestState::NotUtf8;
    QTest::newRow("overlong slash") << kHead + "a\xC0\xAF..\n" + body << ManifestState::NotUtf8;
    QTest::newRow("cut in a character") << kHead + body + "\xE9\x93" << ManifestState::NotUtf8;
    QTest::newRow("NUL byte") << kHead + QByteArray("a\0b\n", 4) + body << ManifestState::NotUtf8;
    // Used whole or not at all: one line it cannot keep and none of it is.
    QTest::newRow("nothing usable") << kHead + "../up\n/abs\n" << ManifestState::LineRefused;
    QTest::newRow("one line refused among good ones") << kHead + body + "C:\\Users\\a\\saves\\\n"
                                                      << ManifestState::LineRefused;
    QTest::newRow("nothing listed") << kHead + "# only comments\n" << ManifestState::NoEntries;
    // What packaging tools write: PowerShell 5's UTF-16, a GUID without its
    // braces, a comment or blank lines above the header.
    const auto utf16 = [](const QByteArray& text, bool bigEndian) {
        const QString unicode = QString::fromUtf8(text);
        QByteArray data = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
        for (const QChar c : unicode) {
            const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
            data.append(bigEndian ? high : low).append(bigEndian ? low : high);
        }
        return data;
    };
    QTest::newRow("UTF-16 little-endian")
        << utf16(kHead + "存档/说明.txt\r\n" + body, false) << ManifestState::Used;
    QTest::newRow("UTF-16 big-endian") << utf16(kHead + body, true) << ManifestState::Used;
    QTest::newRow("UTF-16 without its mark")
        << utf16(kHead + body, false).mid(2) << ManifestState::NotUtf8;
    QTest::newRow("UTF-16 cut in a unit")
        << utf16(kHead + body, false).append('a') << ManifestState::NotUtf8;
    QTest::newRow("GUID without braces")
        << QByteArray(kHead).replace("{8E4B", "8e4b").replace("4F86}", "4f86") + body
        << ManifestState::Used;
    QTest::newRow("comment and blank lines above the header")
        << "# made by the packaging\r\n\r\n  \n" + kHead + body << ManifestState::Used;
    QTest::newRow("Chinese names") << kHead + "存档/说明.txt\n" << ManifestState::Used;
}

void TestInstallManifest::wholeFile()
{
    QFETCH(QByteArray, data);
    QFETCH(ManifestState, state);
    const Engine::InstallManifest manifest = Engine::parseInstallManifest(data, kGuid);
    QCOMPARE(manifest.state, state);
    // A file that is not used lists nothing to remove.
    if (state != ManifestState::Used)
        QVERIFY(manifest.files.isEmpty() && manifest.folders.isEmpty());
}

void TestInstallManifest::lines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("file");   // the key listed as a file, or
    QTest::addColumn<QString>("folder"); // as a folder owned whole, or
    QTest::addColumn<int>("problem");    // the refusal (-1: none)
    const auto listed = [](const char* name, const char* line, const char* file,
                           const char* folder = "") {
        QTest::newRow(name) << QString::fromUtf8(line) << QString::fromUtf8(file)
                            << QString::fromUtf8(folder) << -1;
    };
    const auto refused = [](const char* name, const QString& line, ManifestLineProblem problem) {
        QTest::newRow(name) << line << QString() << QString() << int(problem);
    };
    listed("plain", "bin/a.dll", "bin/a.dll");
    listed("backslashes", "bin\\plugins\\b.dll", "bin/plugins/b.dll");
    listed("dots and doubled separators", "./bin//./a.dll", "bin/a.dll");
    listed("owned folder", "logs/", "", "logs");
    listed("owned folder, backslash", "cache\\shaders\\", "", "cache/shaders");
    listed("hash behind ./", "./#notes", "#notes");
    listed("spaces inside", "My Maps/a b.map", "My Maps/a b.map");
    refused("parent", QStringLiteral("../outside.txt"), ManifestLineProblem::Parent);
    refused("parent inside", QStringLiteral("bin/../../x"), ManifestLineProblem::Parent);
    refused("parent backslash", QStringLiteral("bin\\..\\..\\x"), ManifestLineProblem::Parent);
    refused("absolute", QStringLiteral("/etc/passwd"), ManifestLineProblem::Absolute);
    refused("root backslash", QStringLiteral("\\Windows\\x"), ManifestLineProblem::Absolute);
    refused("UNC", QStringLiteral("\\\\server\\share\\x"), ManifestLineProblem::Absolute);
    refused("drive", QStringLiteral("C:\\Windows\\x"), ManifestLineProblem::Absolute);
    refused("drive relative", QStringLiteral("C:x"), ManifestLineProblem::Absolute);
    refused("stream", QStringLiteral("a.txt:stream"), ManifestLineProblem::BadCharacter);
    refused("wildcard", QStringLiteral("bin/*.dll"), ManifestLineProblem::BadCharacter);
    refused("tab", QStringLiteral("a\tb"), ManifestLineProblem::BadCharacter);
    refused("quote", QStringLiteral("a\"b"), ManifestLineProblem::BadCharacter);
    refused("device", QStringLiteral("bin/CON"), ManifestLineProblem::BadName);
    refused("device with extension", QStringLiteral("nul.txt"), ManifestLineProblem::BadName);
    refused("port", QStringLiteral("com1"), ManifestLineProblem::BadName);
    // The same names as for shortcuts: port 0 and the superscript digits too.
    refused("port zero", QStringLiteral("bin/COM0.dll"), ManifestLineProblem::BadName);
    refused("superscript port", QString::fromUtf8("LPT\u00B2"), ManifestLineProblem::BadName);
    refused("device before a blank", QStringLiteral("con .txt"), ManifestLineProblem::BadName);
    listed("a longer name", "COM10.txt", "COM10.txt");
    refused("final dot", QStringLiteral("readme."), ManifestLineProblem::BadName);
    refused("final space", QStringLiteral("bin /a"), ManifestLineProblem::BadName);
    refused("install folder", QStringLiteral("./"), ManifestLineProblem::InstallFolder);
    refused("too long", QString(5000, QLatin1Char('a')), ManifestLineProblem::TooLong);
}

void TestInstallManifest::lines()
{
    QFETCH(QString, line);
    QFETCH(QString, file);
    QFETCH(QString, folder);
    QFETCH(int, problem);
    const Engine::InstallManifest manifest = Engine::parseInstallManifest(
        kHead + "keep.me\n" + line.toUtf8() + '\n', kGuid, Qt::CaseSensitive);
    // A refused line makes the whole manifest untrusted: it lists nothing.
    QCOMPARE(manifest.state, problem < 0 ? ManifestState::Used : ManifestState::LineRefused);
    QSet<QString> files;
    if (problem < 0)
        files.insert(QStringLiteral("keep.me"));
    if (!file.isEmpty())
        files.insert(file);
    QCOMPARE(manifest.files, files);
    QCOMPARE(manifest.folders, folder.isEmpty() ? QSet<QString>() : QSet<QString>{folder});
    QCOMPARE(manifest.refusedCount, problem < 0 ? 0 : 1);
    if (problem >= 0) {
        QCOMPARE(int(manifest.refused.value(0).problem), problem);
        QCOMPARE(manifest.refused.value(0).number, 4);
    }
}

void TestInstallManifest::filter_data()
{
    QTest::addColumn<Qt::CaseSensitivity>("paths");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<Decision>("decision");
    const Qt::CaseSensitivity exact = Qt::CaseSensitive;
    const Qt::CaseSensitivity folded = Qt::CaseInsensitive;
    QTest::newRow("listed file") << exact << "bin/a.dll" << false << Decision::Remove;
    QTest::newRow("other case, Linux") << exact << "BIN/A.dll" << false << Decision::Keep;
    QTest::newRow("other case, Windows") << folded << "BIN/A.dll" << false << Decision::Remove;
    QTest::newRow("upper case, Windows") << folded << "BIN/KEY.TXT" << false << Decision::Remove;
    // Windows keeps the Kelvin sign apart from "k" (its upcase table has no
    // entry for either), though case folding makes them one.
    QTest::newRow("Kelvin sign, Windows")
        << folded << QString::fromUtf8("bin/\u212Aey.txt") << false << Decision::Keep;
    QTest::newRow("the user's save") << exact << "saves/slot1.sav" << false << Decision::Keep;
    QTest::newRow("owned folder") << exact << "logs" << true << Decision::Remove;
    QTest::newRow("link in place of owned folder") << exact << "logs" << false << Decision::Keep;
    QTest::newRow("folder not owned") << exact << "bin" << true << Decision::Enter;
    QTest::newRow("listed file now a folder") << exact << "bin/a.dll" << true << Decision::Enter;
    QTest::newRow("client program") << exact << "bin/Ferrovane.exe" << false << Decision::Remove;
    QTest::newRow("prefix of a listed file") << exact << "bin/a" << false << Decision::Keep;
}

void TestInstallManifest::filter()
{
    QFETCH(Qt::CaseSensitivity, paths);
    QFETCH(QString, entry);
    QFETCH(bool, isFolder);
    QFETCH(Decision, decision);
    const Engine::InstallManifest manifest =
        Engine::parseInstallManifest(kHead + "bin/a.dll\nbin/key.txt\nlogs/\n", kGuid, paths);
    const Engine::ManifestFilter filter(manifest, {QStringLiteral("bin/Ferrovane.exe")}, paths);
    QCOMPARE(filter.decide(entry, isFolder), decision);
}

void TestInstallManifest::limits_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<ManifestState>("state");
    QTest::addColumn<int>("refusedCount");
    QTest::newRow("50 MB") << "large" << ManifestState::TooLarge << 0;
    QTest::newRow("a million lines") << "lines" << ManifestState::TooManyLines << 0;
    QTest::newRow("100,000 entries") << "entries" << ManifestState::Used << 0;
    QTest::newRow("250 lines refused") << "refused" << ManifestState::LineRefused << 250;
    QTest::newRow("a folder by that name") << "folder" << ManifestState::Unreadable << 0;
    QTest::newRow("a pipe by that name, no writer") << "pipe" << ManifestState::Unreadable << 0;
    QTest::newRow("a dangling link by that name") << "dangling" << ManifestState::Unreadable << 0;
    QTest::newRow("none there") << "none" << ManifestState::Absent << 0;
}

void TestInstallManifest::limits()
{
    QFETCH(QString, kind);
    QFETCH(ManifestState, state);
    QFETCH(int, refusedCount);
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QLatin1String(Engine::kManifestFileName));
    QFile file(path);
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("gone.txt")), path));
    } else if (kind == QLatin1String("pipe")) {
        // Opening it would wait for a writer that never comes.
        if (QProcess::execute(QStringLiteral("mkfifo"), {path}) != 0)
            QSKIP("no mkfifo here");
    } else if (kind != QLatin1String("none")) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kHead + "Ferrovane.exe\n");
        if (kind == QLatin1String("large")) {
            QVERIFY(file.resize(50 * 1024 * 1024)); // the rest zeros, never read
        } else if (kind == QLatin1String("lines")) {
            file.write(QByteArray("a\n").repeated(1000000));
        } else if (kind == QLatin1String("entries")) {
            QByteArray lines;
            for (int i = 0; i < 100000; ++i)
                lines += "data/f" + QByteArray::number(i) + ".dat\n";
            file.write(lines);
        } else {
            file.write(QByteArray("../x\n").repeated(refusedCount));
        }
        file.close();
    }
    const Engine::InstallManifest manifest = Engine::readInstallManifest(path, kGuid);
    if (kind == QLatin1String("dangling") && Engine::hostPathRules().windows) {
        // QFile::link() makes a shell link there: a file by that name all
        // the same, which must never read as no manifest.
        QVERIFY(manifest.state != ManifestState::Absent);
        QVERIFY(!manifest.used());
        return;
    }
    QCOMPARE(manifest.state, state);
    QCOMPARE(manifest.path, path);
    QCOMPARE(manifest.refusedCount, refusedCount);
    QCOMPARE(manifest.refused.size(), qMin(refusedCount, Engine::kManifestListedRefusals));
    if (kind == QLatin1String("entries"))
        QCOMPARE(manifest.files.size(), 100001);
}

void TestInstallManifest::lookAgain_data()
{
    // Paths relative to the install folder; the client program at its top
    // is named by AppConfig.xml, the rest by the manifest's lines.
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("there");     // what is there after the run
    QTest::addColumn<QStringList>("kept");      // what the run kept as the user's
    QTest::addColumn<QStringList>("scheduled"); // what waits for the restart
    QTest::addColumn<bool>("whole");            // the folder was to go whole
    QTest::addColumn<QStringList>("remaining");
    const QStringList none;
    const QString top = QStringLiteral(".");
    const QByteArray lines = "bin/a.dll\ndata/\n";
    QTest::newRow("all gone") << lines << none << none << none << false << none;
    QTest::newRow("the folder gone, a listed name there all the same")
        << lines << QStringList{QStringLiteral("bin/a.dll")} << none << none << false << none;
    QTest::newRow("a listed file there")
        << lines << QStringList{top, QStringLiteral("bin/a.dll")} << none << none << false
        << QStringList{QStringLiteral("bin/a.dll")};
    QTest::newRow("the client there, kept as the user's")
        << lines << QStringList{top, QStringLiteral("Ferrovane.exe")}
        << QStringList{QStringLiteral("Ferrovane.exe")} << none << false
        << QStringList{QStringLiteral("Ferrovane.exe")};
    QTest::newRow("a listed folder holding the user's file")
        << lines << QStringList{top, QStringLiteral("data")}
        << QStringList{QStringLiteral("data/user.ini")} << none << false << none;
    QTest::newRow("the client waiting for the restart")
        << lines << QStringList{top, QStringLiteral("Ferrovane.exe")} << none
        << QStringList{QStringLiteral("Ferrovane.exe"), top} << false << none;
    QTest::newRow("the folder to go whole, there")
        << QByteArray() << QStringList{top} << none << none << true << QStringList{top};
    QTest::newRow("the folder to go whole, holding the user's file")
        << QByteArray() << QStringList{top} << QStringList{QStringLiteral("notes.txt")} << none
        << true << none;
}

void TestInstallManifest::lookAgain()
{
    QFETCH(QByteArray, lines);
    QFETCH(QStringList, there);
    QFETCH(QStringList, kept);
    QFETCH(QStringList, scheduled);
    QFETCH(bool, whole);
    QFETCH(QStringList, remaining);
    // No file is looked at: what is there is the table's.
    const QString folder = QStringLiteral("/nowhere/Ferrovane");
    const auto full = [&folder](QStringList paths) {
        for (QString& path : paths)
            path = QDir::cleanPath(folder + QLatin1Char('/') + path);
        return paths;
    };
    const Engine::InstallManifest manifest = Engine::parseInstallManifest(kHead + lines, kGuid);
    Engine::NamedEntries named;
    named.folder = folder;
    named.folderWhole = whole;
    named.programs = full({QStringLiteral("Ferrovane.exe")});
    named.manifest = manifest.used() ? &manifest : nullptr;
    // Names are compared as the system compares them (Windows: without case).
    const Qt::CaseSensitivity cs = Engine::hostPathRules().caseSensitivity;
    const QStringList present = full(there);
    const Engine::Remaining found = Engine::stillThere(
        named, {full(scheduled), full(kept)},
        [&present, cs](const QString& path) { return present.contains(path, cs); });
    QCOMPARE(
        found.paths.join(QLatin1Char('\n')).compare(full(remaining).join(QLatin1Char('\n')), cs),
        0);
    QCOMPARE(found.count, remaining.size());
}

QTEST_GUILESS_MAIN(TestInstallManifest)
#include "tst_installmanifest.moc"
