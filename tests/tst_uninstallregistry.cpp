#include "config/appconfigmanager.h"
#include "platform/platform.h"
#include "platform/standin/standin.h"
#include "registry/uninstallregistry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QtTest>

using appinstaller::UninstallRegistry;

namespace
{

const UninstallRegistry& registry()
{
    return *UninstallRegistry::getInstance();
}

QString entryFile(const QString& guid)
{
    return Platform::standinIniPath(
        Platform::standinRoot(),
        UninstallRegistry::entryKeyPath(registry().uninstallKeyBase(), guid.toStdString()));
}

// Writes the entry's stand-in file with "name=value" values ("Sub/Name" for a
// subkey); none leaves the key existing but empty.
bool writeEntry(const QString& guid, const QStringList& values)
{
    QFile file(entryFile(guid));
    if (!QDir().mkpath(QFileInfo(file).absolutePath()) || !file.open(QIODevice::WriteOnly))
        return false;
    file.close();
    QSettings ini(file.fileName(), QSettings::IniFormat);
    for (const QString& value : values)
        ini.setValue(value.section(QLatin1Char('='), 0, 0), value.section(QLatin1Char('='), 1));
    ini.sync();
    return ini.status() == QSettings::NoError;
}

// Every file below the Uninstall folder, with its content.
QMap<QString, QByteArray> uninstallFolder()
{
    QMap<QString, QByteArray> files;
    const QDir folder = QFileInfo(entryFile(QStringLiteral("x"))).absoluteDir();
    QDirIterator it(folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (QFileInfo(file).isSymLink())
            continue;
        if (file.open(QIODevice::ReadOnly))
            files.insert(folder.relativeFilePath(file.fileName()), file.readAll());
    }
    return files;
}

} // namespace

class TestUninstallRegistry : public QObject
{
    Q_OBJECT

private slots:
    void init() { QDir(Platform::standinRoot()).removeRecursively(); }

    void keyBase_data()
    {
        QTest::addColumn<int>("architecture");
        QTest::addColumn<QString>("base");
        const QString wow = QStringLiteral(
            "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
        const QString plain =
            QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\");
        QCOMPARE(wow.size(), 64);
        QCOMPARE(plain.size(), 52);
        QTest::newRow("x64") << 9 << wow;
        QTest::newRow("Itanium") << 6 << wow;
        QTest::newRow("ARM64") << 12 << plain;
        QTest::newRow("x86") << 0 << plain;
    }
    void keyBase()
    {
        QFETCH(int, architecture);
        QFETCH(QString, base);
        QCOMPARE(QString::fromStdString(UninstallRegistry::uninstallKeyBaseFor(architecture)),
                 base);
    }

    void entryKeyPathIsVerbatim()
    {
        QCOMPARE(UninstallRegistry::entryKeyPath("SOFTWARE\\X\\", " {8f3A-Bc}"),
                 QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\ {8f3A-Bc}"));
        QCOMPARE(UninstallRegistry::entryKeyPath("SOFTWARE\\X\\", "8F3A"),
                 QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\8F3A"));
    }

    void usableGuid_data()
    {
        QTest::addColumn<QString>("guid");
        QTest::addColumn<bool>("usable");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("backslash") << "a\\b" << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("braced") << "{8F3A2C1D-5B7E-4A90-9C1F-2D3E4F5A6B7C}" << true;
        QTest::newRow("plain, dots inside") << "a..bc" << true;
    }
    void usableGuid()
    {
        QFETCH(QString, guid);
        QFETCH(bool, usable);
        QCOMPARE(UninstallRegistry::isUsableGuid(guid.toStdString()), usable);
    }

    void unquotedLocation_data()
    {
        QTest::addColumn<QString>("recorded");
        QTest::addColumn<QString>("location");
        QTest::newRow("plain") << "D:\\Apps\\F"
                               << "D:\\Apps\\F";
        QTest::newRow("quoted") << "\"D:\\Apps\\F\""
                                << "D:\\Apps\\F";
        QTest::newRow("one pair only") << "\"\"D:\\F\"\""
                                       << "\"D:\\F\"";
        QTest::newRow("opening quote only") << "\"D:\\F"
                                            << "\"D:\\F";
        QTest::newRow("quotes alone") << "\"\""
                                      << "";
    }
    void unquotedLocation()
    {
        QFETCH(QString, recorded);
        QFETCH(QString, location);
        QCOMPARE(
            QString::fromStdString(UninstallRegistry::unquotedLocation(recorded.toStdString())),
            location);
    }

    // Another product's DisplayName as the log and the page show it.
    void displayName_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("plain") << "Other Tool 2.1"
                               << "Other Tool 2.1";
        QTest::newRow("Chinese") << "其他工具"
                                 << "其他工具";
        QTest::newRow("a forged log line")
            << "Other\r\n2026-12-08T11:26:27.213Z  run-1  exit status 0"
            << "Other 2026-12-08T11:26:27.213Z run-1 exit status 0";
        QTest::newRow("controls and blanks around") << "\t Other\x01\x7fTool \n"
                                                    << "Other Tool";
        QTest::newRow("direction override")
            << QString::fromUtf8("Tool\u202Eexe.txt") << "Tool exe.txt";
        QTest::newRow("line separator") << QString::fromUtf8("A\u2028B") << "A B";
        QTest::newRow("blank") << " \t "
                               << "";
        QTest::newRow("longest kept")
            << QString(128, QLatin1Char('x')) << QString(128, QLatin1Char('x'));
        QTest::newRow("longer cut") << QString(129, QLatin1Char('x'))
                                    << QString(128, QLatin1Char('x')) + QStringLiteral("...");
        // U+1F600 spans characters 128 and 129: never cut in half.
        QTest::newRow("cut before a surrogate pair")
            << QString(127, QLatin1Char('x')) + QString::fromUtf8("\U0001F600") +
                   QStringLiteral("yy")
            << QString(127, QLatin1Char('x')) + QStringLiteral("...");
    }
    void displayName()
    {
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QCOMPARE(UninstallRegistry::displayName(value), shown);
    }

    // stored: the entry written with values; asked: the GUID looked up, and
    // the InstallLocation read through it.
    void lookUp_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("location");
        const QStringList both{QStringLiteral("DisplayName=F"),
                               QStringLiteral("InstallLocation=D:\\Apps\\F")};
        const QStringList name{QStringLiteral("DisplayName=F")};
        QTest::newRow("with location") << "{A}" << both << "{A}" << true << "D:\\Apps\\F";
        QTest::newRow("without location") << "{A}" << name << "{A}" << true << "";
        QTest::newRow("missing key") << "{B}" << both << "{A}" << false << "";
        QTest::newRow("key without values") << "{A}" << QStringList() << "{A}" << false << "";
        QTest::newRow("values in a subkey only")
            << "{A}" << QStringList{QStringLiteral("Sub/InstallLocation=D:\\x")} << "{A}" << true
            << "";
        QTest::newRow("stored with braces, asked without") << "{A}" << both << "A" << false << "";
        // As Windows looks keys up: without regard to case.
        QTest::newRow("stored in upper case, asked in lower")
            << "{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}" << both
            << "{8e4b6c1a-3f27-4d95-b0a2-5c71e9d34f86}" << true << "D:\\Apps\\F";
        // Each of these would reach a key other than the product's own.
        QTest::newRow("empty GUID") << "" << both << "" << false << "";
        QTest::newRow("dot dot") << ".." << both << ".." << false << "";
        QTest::newRow("slash") << "a/b" << both << "a/b" << false << "";
    }
    void lookUp()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, values);
        QFETCH(QString, asked);
        QFETCH(bool, found);
        QFETCH(QString, location);
        QVERIFY(writeEntry(stored, values));
        QCOMPARE(registry().hasEntry(asked.toStdString()), found);
        QCOMPARE(registry().readValue("InstallLocation", asked.toStdString()),
                 location.toStdString());
    }

    void removeEntry_data()
    {
        QTest::addColumn<QString>("guid");
        QTest::addColumn<int>("left"); // files with values left in the Uninstall folder
        QTest::newRow("the product's") << "{A}" << 2;
        QTest::newRow("the product's, named in lower case") << "{a}" << 2;
        QTest::newRow("empty") << "" << 3;
        QTest::newRow("dot dot") << ".." << 3;
        QTest::newRow("backslash") << "x\\{A}" << 3;
        // {LINK}'s file is a link to {SIBLING}'s: no entry, nothing cleared.
        QTest::newRow("entry file that is a link") << "{LINK}" << 3;
    }
    void removeEntry()
    {
        QFETCH(QString, guid);
        QFETCH(int, left);
        const QStringList values{QStringLiteral("InstallLocation=D:\\Apps\\F"),
                                 QStringLiteral("Sub/Value=1")};
        for (const QString& stored :
             {QStringLiteral("{A}"), QStringLiteral("{SIBLING}"), QString()})
            QVERIFY(writeEntry(stored, values));
        QVERIFY(QFile::link(entryFile(QStringLiteral("{SIBLING}")),
                            entryFile(QStringLiteral("{LINK}"))));
        QVERIFY(!registry().hasEntry("{LINK}"));
        QCOMPARE(registry().readValue("InstallLocation", "{LINK}"), std::string());
        registry().removeEntry(guid.toStdString());
        int withValues = 0;
        for (const QByteArray& content : uninstallFolder())
            withValues += content.contains("InstallLocation") ? 1 : 0;
        QCOMPARE(withValues, left);
        QCOMPARE(registry().hasEntry("{A}"), left == 3);
        QVERIFY(registry().hasEntry("{SIBLING}"));
    }

    void otherProductsLocations()
    {
        // The configured GUID is empty here, so every entry is another's: the
        // folders of its location and of the programs its values name,
        // quoted or not, with arguments; an entry file that is a link is
        // read where it leads; the stand-in's files are UTF-8.
        QVERIFY(writeEntry(QStringLiteral("{A}"), {QStringLiteral("InstallLocation=D:\\A")}));
        QVERIFY(writeEntry(QStringLiteral("{B}"),
                           {QStringLiteral("UninstallString=\"D:\\B B\\unins000.exe\" /SILENT"),
                            QStringLiteral("QuietUninstallString=D:\\B Q\\un.exe /S"),
                            QStringLiteral("DisplayIcon=D:\\B I\\b.exe,0")}));
        QVERIFY(writeEntry(QStringLiteral("{C}"),
                           {QStringLiteral("UninstallString=MsiExec.exe /X{C}")}));
        QFile linked(QDir::tempPath() + QStringLiteral("/linked.ini"));
        QVERIFY(linked.open(QIODevice::WriteOnly));
        linked.write(QStringLiteral("[General]\nInstallLocation=/opt/铁风帆\n").toUtf8());
        linked.close();
        QVERIFY(QFile::link(linked.fileName(), entryFile(QStringLiteral("{L}"))));
        QCOMPARE(registry().otherProductFolders(),
                 (QStringList{QStringLiteral("D:\\A"), QStringLiteral("D:\\B B"),
                              QStringLiteral("D:\\B Q"), QStringLiteral("D:\\B I"),
                              QStringLiteral("/opt/铁风帆")}));
    }

    void configuredGuidIsEmpty()
    {
        // No AppConfig.xml beside the test program, so the configured GUID is
        // empty: an entry stored under that name is left alone too.
        const QStringList values{QStringLiteral("InstallLocation=D:\\Apps\\F")};
        QVERIFY(writeEntry(QString(), values));
        QVERIFY(writeEntry(QStringLiteral("{SIBLING}"), values));
        QVERIFY(writeEntry(QStringLiteral("a/b"), values));
        const QMap<QString, QByteArray> before = uninstallFolder();
        QCOMPARE(before.size(), 3);

        QVERIFY(!registry().isInstalled());
        QCOMPARE(registry().installLocation(), std::string());
        registry().removeEntry(appinstaller::AppConfigManager::getInstance()->getGuid());
        QCOMPARE(uninstallFolder(), before);
        QVERIFY(registry().hasEntry("{SIBLING}"));
    }
};

QTEST_GUILESS_MAIN(TestUninstallRegistry)
#include "tst_uninstallregistry.moc"
