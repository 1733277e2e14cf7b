#include "common/configrecord.h"
#include "config/appconfigmanager.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <initializer_list>

using appinstaller::AppConfigManager;

Q_DECLARE_METATYPE(appinstaller::ConfigFault)

namespace
{

using TestConfig::Record;
using TestConfig::recordOf;

Record with(Record base, std::initializer_list<const char*> fields)
{
    for (const char* field : fields) {
        const QString entry = QString::fromUtf8(field);
        const int equals = entry.indexOf(QLatin1Char('='));
        Q_ASSERT(base.contains(entry.left(equals)));
        base[entry.left(equals)] = entry.mid(equals + 1);
    }
    return base;
}

// What a file that cannot be read gives: nothing at all.
Record unread()
{
    Record record;
    for (const char* field : {"guid", "nameEN", "nameCH", "settingFile", "version", "company",
                              "copyright", "installPath", "program", "components"})
        record[QString::fromLatin1(field)] = QString();
    record[QStringLiteral("translator")] = QStringLiteral("0");
    record[QStringLiteral("versionType")] = QStringLiteral("0");
    return record;
}

// What a file read without any key gives: only the defaults.
Record defaults()
{
    return with(unread(), {"nameEN=Ferrovane", "installPath=Ferrovane"});
}

const char* const kMissing = "(missing)";
const char* const kGuid = "{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}";

} // namespace

class TestAppConfigManager : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        // source: a fixture (":/…"), kMissing for no file, else the file's text.
        QTest::addColumn<QString>("source");
        QTest::addColumn<Record>("expected");

        QTest::newRow("every key, any root name")
            << ":/fixtures/full.xml"
            << with(unread(),
                    {"guid={8F3A2C1D-5B7E-4A90-9C1F-2D3E4F5A6B7C}", "translator=1", "versionType=2",
                     "nameEN=Ferrovane Studio", "nameCH=Ferrovane CH", "settingFile=settings.ini",
                     "version=3.4.1", "company=Ferrovane Ltd.", "copyright=© 2024 Ferrovane Ltd.",
                     "installPath=C:\\Program Files\\Ferrovane Studio",
                     "program=FerrovaneStudio.exe",
                     "components=Core=bin\\core.dll;Help=doc\\help.chm"});
        QTest::newRow("missing file: not even the default name") << kMissing << unread();
        QTest::newRow("empty file") << "" << defaults();
        QTest::newRow("no element") << "not XML at all" << defaults();
        QTest::newRow("empty name, path with separator")
            << "<c><SoftwareNameEN/><InstallPath>D:\\Apps\\</InstallPath></c>"
            << with(defaults(), {"installPath=D:\\Apps\\Ferrovane"});
        QTest::newRow("blank name, path without separator")
            << "<c><SoftwareNameEN> \n\t </SoftwareNameEN><InstallPath>D:\\Apps</InstallPath></c>"
            << with(defaults(), {"installPath=D:\\AppsFerrovane"});
        // The GUID is trimmed of any white space, the no-break space and the
        // ideographic one among it; names keep theirs.
        QTest::newRow("names keep their spaces, the GUID is trimmed")
            << "<c><GUID>\u00a0 a b\u3000\n</GUID><SoftwareNameEN> N </SoftwareNameEN></c>"
            << with(defaults(), {"guid=a b", "nameEN= N ", "installPath= N "});
        // The product's GUID is the root's own, wherever a component's is.
        QTest::newRow("a component's GUID before the root's")
            << "<c><Components><Component><GUID>{C0FFEE00-0000-4000-8000-00000000C0C0}</GUID>"
               "</Component></Components><GUID>{C0FFEE00-0000-4000-8000-000000000001}</GUID></c>"
            << with(defaults(), {"guid={C0FFEE00-0000-4000-8000-000000000001}", "components=="});
        QTest::newRow("word, and a number") << "<c><Translator>one</Translator>"
                                               "<VersionType>12</VersionType></c>"
                                            << with(defaults(), {"versionType=12"});
        QTest::newRow("beyond 32 bits, and negative") << "<c><Translator>2147483648</Translator>"
                                                         "<VersionType>-5</VersionType></c>"
                                                      << with(defaults(), {"versionType=-5"});
        QTest::newRow("hexadecimal, and a leading zero") << "<c><Translator>0x1A</Translator>"
                                                            "<VersionType>012</VersionType></c>"
                                                         << with(defaults(), {"versionType=12"});
        QTest::newRow("components among text and comments, nested Version first")
            << ":/fixtures/components.xml"
            << with(defaults(), {"guid={C0FFEE00-0000-4000-8000-000000000001}", "version=9.9",
                                 "components=Core=bin\\core.dll;Readme=;=only\\a\\path"});
        // A product's identity written as CDATA, as some installer tools
        // write every value; laid out on lines of their own.
        QTest::newRow("identity as CDATA")
            << "<c><GUID>\n  <![CDATA[{C0FFEE00-0000-4000-8000-00000000CDA7}]]>\n</GUID>"
               "<SoftwareNameEN><![CDATA[Ferro & Vane <Pro>]]></SoftwareNameEN>"
               "<ProgramName><![CDATA[Ferrovane.exe]]></ProgramName></c>"
            << with(defaults(),
                    {"guid={C0FFEE00-0000-4000-8000-00000000CDA7}", "nameEN=Ferro & Vane <Pro>",
                     "installPath=Ferro & Vane <Pro>", "program=Ferrovane.exe"});
        QTest::newRow("UTF-16LE with a mark and CR LF")
            << ":/fixtures/utf16-crlf.xml"
            << with(defaults(), {"guid={D0000000-0000-4000-8000-0000000016CF}", "nameCH=铁风帆不",
                                 "program=Ferrovane.exe"});
        QTest::newRow("6,000 levels between the keys")
            << ":/fixtures/deep-nesting.xml"
            << with(defaults(), {"guid={D0000000-0000-4000-8000-000000000DEE}", "version=6001",
                                 "program=Deep.exe"});
        QTest::newRow("Chinese name") << "<c><SoftwareNameCH>铁翼工作室</SoftwareNameCH></c>"
                                      << with(defaults(), {"nameCH=铁翼工作室"});
    }

    void read()
    {
        QFETCH(QString, source);
        QFETCH(Record, expected);

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("AppConfig.xml"));
        if (source != QLatin1String(kMissing)) {
            QByteArray content = source.toUtf8();
            if (source.startsWith(QLatin1String(":/"))) {
                QFile fixture(source);
                QVERIFY2(fixture.open(QIODevice::ReadOnly), qPrintable(source));
                content = fixture.readAll();
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(content), qint64(content.size()));
        }

        const AppConfigManager config(path);
        const Record actual = recordOf(config);
        QVERIFY(TestConfig::localNameMatches(config));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            QVERIFY2(actual.value(it.key()) == it.value(),
                     qPrintable(it.key() + QStringLiteral(": \"") + actual.value(it.key()) +
                                QStringLiteral("\", expected \"") + it.value() + QLatin1Char('"')));
        }
    }

    // What makes a file unable to drive an uninstall: named, never taken for
    // "not installed" or for a product without a client program.
    void faults_data()
    {
        using appinstaller::ConfigFault;
        QTest::addColumn<QString>("source"); // "<missing>", "<folder>" or the file's text
        QTest::addColumn<ConfigFault>("fault");
        QTest::addColumn<QString>("named"); // what the fault's detail for the log says
        const QString client = QStringLiteral("<ProgramName>Ferrovane.exe</ProgramName>");
        const auto with = [&client](const char* guid) {
            return QStringLiteral("<c><GUID>%1</GUID>%2</c>").arg(QString::fromUtf8(guid), client);
        };
        const char* const guid = kGuid;
        QTest::newRow("usable") << with(guid) << ConfigFault::None << "";
        QTest::newRow("missing") << "<missing>" << ConfigFault::Missing << "";
        QTest::newRow("a folder by that name") << "<folder>" << ConfigFault::Unreadable << "";
        QTest::newRow("empty") << "" << ConfigFault::NotXml << "";
        QTest::newRow("not XML") << "GUID={8E4B}" << ConfigFault::NotXml << "";
        QTest::newRow("no GUID") << QStringLiteral("<c>") + client + QStringLiteral("</c>")
                                 << ConfigFault::NoGuid << "";
        QTest::newRow("blank GUID") << with("  ") << ConfigFault::NoGuid << "empty";
        QTest::newRow("GUID with a separator")
            << with("..\\{8E4B}") << ConfigFault::BadGuid << "\"..\\{8E4B}\" is not a GUID";
        QTest::newRow("GUID dot dot") << with("..") << ConfigFault::BadGuid << "\"..\"";
        // One GUID, written as Windows names the entry: blanks around it are
        // layout, the case of its digits is Windows' to ignore; anything else
        // is named, never taken for a product that is not installed.
        QTest::newRow("GUID among no-break spaces")
            << with("\u00a0{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}\u00a0") << ConfigFault::None
            << "";
        QTest::newRow("GUID in lower case")
            << with("{8e4b6c1a-3f27-4d95-b0a2-5c71e9d34f86}") << ConfigFault::None << "";
        QTest::newRow("GUID without braces")
            << with("8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86") << ConfigFault::BadGuid
            << "\"8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86\" is not a GUID in braces";
        QTest::newRow("GUID with a zero-width space after it")
            << with("{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}\u200b") << ConfigFault::BadGuid
            << "F86}<U+200B>\"";
        QTest::newRow("GUID with a no-break space inside")
            << with("{8E4B6C1A-3F27\u00a0-4D95-B0A2-5C71E9D34F86}") << ConfigFault::BadGuid
            << "3F27<U+00A0>-4D95";
        QTest::newRow("two GUIDs")
            << QStringLiteral("<c><GUID>%1</GUID><GUID>{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F87}"
                              "</GUID>%2</c>")
                   .arg(QLatin1String(guid), client)
            << ConfigFault::TwoGuids << "2 <GUID> elements";
        QTest::newRow("only a component's GUID")
            << QStringLiteral("<c><Components><Component><GUID>%1</GUID></Component></Components>"
                              "%2</c>")
                   .arg(QLatin1String(guid), client)
            << ConfigFault::NoGuid << "the one inside another element";
        QTest::newRow("no client program")
            << QStringLiteral("<c><GUID>%1</GUID></c>").arg(QLatin1String(guid))
            << ConfigFault::NoClient << "";
        QTest::newRow("a client program that is a folder")
            << QStringLiteral("<c><GUID>%1</GUID><ProgramName>bin\\</ProgramName></c>")
                   .arg(QLatin1String(guid))
            << ConfigFault::NoClient << "";
        // Cut short while being written: what came before is read, and what
        // is missing named.
        QTest::newRow("truncated before the client program")
            << QStringLiteral("<c><GUID>%1</GUID><SoftwareNameEN>Ferrov").arg(QLatin1String(guid))
            << ConfigFault::NoClient << "";
    }

    void faults()
    {
        QFETCH(QString, source);
        QFETCH(appinstaller::ConfigFault, fault);
        QFETCH(QString, named);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("AppConfig.xml"));
        if (source == QLatin1String("<folder>")) {
            QVERIFY(QDir().mkpath(path));
        } else if (source != QLatin1String("<missing>")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(source.toUtf8());
        }
        const AppConfigManager config(path);
        QCOMPARE(config.fault(), fault);
        QCOMPARE(config.filePath(), path);
        QVERIFY2(config.faultDetail().contains(named), qPrintable(config.faultDetail()));
        // A usable GUID is the one the uninstall entry is looked up by.
        if (fault == appinstaller::ConfigFault::None ||
            fault == appinstaller::ConfigFault::NoClient)
            QCOMPARE(QString::fromStdString(config.getGuid()).toUpper(), QLatin1String(kGuid));
    }

    void singletonReadsBesideExecutable()
    {
        QVERIFY(AppConfigManager::configFilePath().endsWith(QDir::separator() +
                                                            QStringLiteral("AppConfig.xml")));
        AppConfigManager* first = AppConfigManager::getInstance();
        QVERIFY(first);
        QCOMPARE(AppConfigManager::getInstance(), first);
    }
};

QTEST_GUILESS_MAIN(TestAppConfigManager)
#include "tst_appconfigmanager.moc"
