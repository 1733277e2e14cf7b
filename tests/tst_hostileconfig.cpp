// AppConfig.xml files made to hurt the reader: it returns, and every value is
// what the reading rules give for the part of the file that parses. Most rows
// put a GUID before the hostile part and a ProgramName after it, so each
// shows whether the parse went on past it.

#include "common/configrecord.h"
#include "config/appconfigmanager.h"

#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

#include <initializer_list>

using appinstaller::AppConfigManager;

namespace
{

using TestConfig::Record;
using TestConfig::recordOf;

// A file with no key gives the defaults; these fields differ from them.
Record with(std::initializer_list<std::pair<const char*, QString>> fields)
{
    Record record{{QStringLiteral("translator"), QStringLiteral("0")},
                  {QStringLiteral("nameEN"), QStringLiteral("Ferrovane")},
                  {QStringLiteral("installPath"), QStringLiteral("Ferrovane")}};
    for (const char* field : {"guid", "nameCH", "version", "company", "program", "components"})
        record[QLatin1String(field)] = QString();
    for (const auto& field : fields) {
        Q_ASSERT(record.contains(QLatin1String(field.first)));
        record[QLatin1String(field.first)] = field.second;
    }
    return record;
}

// The parse went past the hostile part, or stopped in it.
Record readOn(std::initializer_list<std::pair<const char*, QString>> more = {})
{
    Record record = with(more);
    record[QStringLiteral("guid")] = QStringLiteral("before");
    record[QStringLiteral("program")] = QStringLiteral("after.exe");
    return record;
}
Record stopped(std::initializer_list<std::pair<const char*, QString>> more = {})
{
    Record record = with(more);
    record[QStringLiteral("guid")] = QStringLiteral("before");
    return record;
}

QByteArray around(const QByteArray& middle, const QByteArray& doctype = QByteArray())
{
    return doctype + "<c><GUID>before</GUID>" + middle + "<ProgramName>after.exe</ProgramName></c>";
}

// levels elements nested around inner.
QByteArray nested(int levels, const QByteArray& inner)
{
    return QByteArray("<d>").repeated(levels) + inner + QByteArray("</d>").repeated(levels);
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

const char* const kSecret = "SECRET-7f3a";

} // namespace

class TestHostileConfig : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        // Local files that a DOCTYPE names; the reader must never read them.
        QFile secret(m_folder.filePath(QStringLiteral("secret.txt")));
        QVERIFY(secret.open(QIODevice::WriteOnly));
        secret.write(kSecret);
        QFile dtd(m_folder.filePath(QStringLiteral("secret.dtd")));
        QVERIFY(dtd.open(QIODevice::WriteOnly));
        dtd.write(QByteArray("<!ENTITY fromdtd \"") + kSecret + "\">");
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Record>("expected");

        // Entities: Qt's expansion limit stops the parse at the reference.
        QByteArray laughs = "<!DOCTYPE c [<!ENTITY l0 \"lol\">";
        for (int i = 1; i <= 9; ++i)
            laughs += QStringLiteral("<!ENTITY l%1 \"%2\">")
                          .arg(i)
                          .arg(QStringLiteral("&l%1;").arg(i - 1).repeated(10))
                          .toLatin1();
        laughs += "]>";
        QTest::newRow("billion laughs")
            << around("<SoftwareNameEN>&l9;</SoftwareNameEN>", laughs) << stopped();
        QTest::newRow("entities within the limit")
            << around("<SoftwareNameEN>&m; X</SoftwareNameEN>",
                      "<!DOCTYPE c [<!ENTITY n \"Ferro\"><!ENTITY m \"&n;vane\">]>")
            << readOn({{"nameEN", text("Ferrovane X")}, {"installPath", text("Ferrovane X")}});

        // Depth: the root is level 1; an element below level 10,000 ends the
        // document there.
        QTest::newRow("10,000 deep") << around(nested(9998, "<Version>deep</Version>"))
                                     << readOn({{"version", text("deep")}});
        QTest::newRow("10,001 deep")
            << around(nested(9999, "<Version>deep</Version>")) << stopped();
        // Twice as deep as a parse that recursed per level could go on an
        // 8 MiB stack (it overflowed between 20,000 and 50,000 levels).
        QTest::newRow("100,000 deep, 700 KB") << around(nested(100000, "x")) << stopped();

        // Size: a value of 16 MB, far past any buffer on the way, read whole;
        // 100,000 components in one walk.
        const QString large = QStringLiteral("v").repeated(16 * 1024 * 1024);
        QTest::newRow("16 MB") << around("<Version>" + large.toLatin1() + "</Version>")
                               << readOn({{"version", large}});
        QStringList components;
        QByteArrayList componentsXml;
        for (int i = 0; i < 100000; ++i) {
            components << QStringLiteral("n%1=f").arg(i);
            componentsXml << "<k><Name>n" + QByteArray::number(i) +
                                 "</Name><FilePath>f</FilePath></k>";
        }
        QTest::newRow("100,000 components")
            << around("<Components>" + componentsXml.join() + "</Components>")
            << readOn({{"components", components.join(QLatin1Char(';'))}});

        // Encodings: a bad byte is U+FFFD and the parse goes on; UTF-16 with
        // CR LF line ends and U+4E0D (bytes 0D 4E) is read whole, in either
        // byte order, with or without a byte-order mark.
        QTest::newRow("invalid UTF-8")
            << around("<Version>a\xff\xc3(b</Version>")
            << readOn({{"version", text("a\xef\xbf\xbd\xef\xbf\xbd(b")}});
        const QString utf16 =
            text("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<c>\r\n"
                 "<GUID>before</GUID>\r\n<SoftwareNameCH>铁风帆不</SoftwareNameCH>"
                 "\r\n<Version>1\r\n2</Version>\r\n"
                 "<ProgramName>after.exe</ProgramName>\r\n</c>\r\n");
        for (const char* codec : {"UTF-16LE", "UTF-16BE"}) {
            QTextEncoder encoder(QTextCodec::codecForName(codec), QTextCodec::IgnoreHeader);
            const Record expected =
                readOn({{"nameCH", text("铁风帆不")}, {"version", text("1\n2")}});
            QTest::addRow("%s with a byte-order mark", codec)
                << encoder.fromUnicode(QChar(QChar::ByteOrderMark) + utf16) << expected;
            // Without a mark the order shows in where "<?" has its zero bytes.
            QTest::addRow("%s without a byte-order mark", codec)
                << encoder.fromUnicode(utf16) << expected;
        }

        // A DOCTYPE naming local files: neither the external subset nor an
        // external entity is read; the entities have no text.
        const QByteArray secret =
            QFile::encodeName(m_folder.filePath(QStringLiteral("secret.txt")));
        QTest::newRow("external entities")
            << around("<Version>&abs;</Version><CompanyName>&rel;</CompanyName>",
                      "<!DOCTYPE c SYSTEM \"secret.dtd\" [<!ENTITY abs SYSTEM \"file://" + secret +
                          "\"><!ENTITY rel SYSTEM \"secret.txt\">]>")
            << readOn();
        QTest::newRow("entity from the external subset")
            << around("<Version>&fromdtd;</Version>", "<!DOCTYPE c SYSTEM \"secret.dtd\">")
            << readOn();

        // Names: Qt's parser takes tag names up to 4,096 characters; values
        // have no limit and are kept as they are.
        const QByteArray longTag = QByteArray("t").repeated(10000);
        QTest::newRow("tag name of 10,000 characters")
            << around("<" + longTag + ">x</" + longTag + ">") << stopped();
        const QString longName = QStringLiteral("N").repeated(10000);
        QTest::newRow("product names of 10,000 characters")
            << around("<SoftwareNameEN>" + longName.toLatin1() +
                      "</SoftwareNameEN><SoftwareNameCH>" + longName.toLatin1() +
                      "</SoftwareNameCH>")
            << readOn({{"nameEN", longName}, {"nameCH", longName}, {"installPath", longName}});

        // Control characters: XML 1.0 allows only tab, line feed and carriage
        // return, so no name ever holds a zero.
        QTest::newRow("control character in a tag name")
            << around("<Na\x01me>v</Na\x01me>") << stopped();
        QTest::newRow("control character in a name")
            << around("<SoftwareNameEN>Ferro\x01vane</SoftwareNameEN>")
            << stopped({{"nameEN", text("Ferro")}, {"installPath", text("Ferro")}});
        QTest::newRow("zero as a reference")
            << around("<SoftwareNameEN>Ferro&#0;vane</SoftwareNameEN>") << stopped();
        QTest::newRow("tab and line feed in a name")
            << around("<SoftwareNameEN>Ferro&#9;vane&#10;</SoftwareNameEN>")
            << readOn({{"nameEN", text("Ferro\tvane\n")}, {"installPath", text("Ferro\tvane\n")}});
    }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(Record, expected);
        const QString path = m_folder.filePath(QStringLiteral("AppConfig.xml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(content), qint64(content.size()));
        file.close();

        const AppConfigManager config(path);
        const Record actual = recordOf(config);
        QVERIFY(TestConfig::localNameMatches(config));
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const QString value = actual.value(it.key());
            QVERIFY2(!value.contains(QLatin1String(kSecret)), qPrintable(it.key()));
            if (value != it.value())
                QFAIL(qPrintable(QStringLiteral("%1: \"%2\" (%3 characters), expected \"%4\"")
                                     .arg(it.key(), value.left(60))
                                     .arg(value.size())
                                     .arg(it.value().left(60))));
        }
    }
};

QTEST_GUILESS_MAIN(TestHostileConfig)
#include "tst_hostileconfig.moc"
