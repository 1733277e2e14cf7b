#include "app/application.h"

#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

using appinstaller::Application;

// Which translation files the application object installs for a language,
// and which one wins when two translate the same text.
class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void installsFilesOfTheLanguage_data();
    void installsFilesOfTheLanguage();
    void missingFolderInstallsNothing();
    void refusalsNameTheirReason_data();
    void refusalsNameTheirReason();
};

void TestApplication::installsFilesOfTheLanguage_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<int>("installed");
    QTest::addColumn<QString>("which");
    QTest::addColumn<QString>("onlyAlpha");

    // Fixtures: probe_en, alpha_zh and Beta_zh. "Beta" sorts after "alpha"
    // only when case is ignored, as the folder lists them.
    QTest::newRow("English") << QLocale::English << 1 << "en"
                             << "OnlyAlpha";
    QTest::newRow("Chinese") << QLocale::Chinese << 2 << "Beta"
                             << "alpha-only";
    QTest::newRow("German") << QLocale::German << 2 << "Beta"
                            << "alpha-only";
    QTest::newRow("C locale") << QLocale::C << 2 << "Beta"
                              << "alpha-only";
}

void TestApplication::installsFilesOfTheLanguage()
{
    QFETCH(QLocale::Language, language);
    QFETCH(int, installed);
    QFETCH(QString, which);
    QFETCH(QString, onlyAlpha);

    const QList<QTranslator*> translators = Application::installTranslations(
        QCoreApplication::applicationDirPath() + QLatin1String("/fixture-translations/"), language);
    const QString gotWhich = QCoreApplication::translate("Probe", "Which");
    const QString gotOnlyAlpha = QCoreApplication::translate("Probe", "OnlyAlpha");
    for (QTranslator* translator : translators) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }

    QCOMPARE(translators.size(), installed);
    QCOMPARE(gotWhich, which);
    QCOMPARE(gotOnlyAlpha, onlyAlpha);
}

void TestApplication::missingFolderInstallsNothing()
{
    const QList<QTranslator*> translators = Application::installTranslations(
        QDir::tempPath() + QLatin1String("/no-such-folder/"), QLocale::Chinese);
    QVERIFY(translators.isEmpty());
    QCOMPARE(QCoreApplication::translate("Probe", "Which"), QStringLiteral("Which"));
}

// The program's own translations as the build writes them: each refusal tells
// the user why, and not the other refusal's reason.
void TestApplication::refusalsNameTheirReason_data()
{
    QTest::addColumn<QLocale::Language>("language");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("otherReason");

    const QString running = QStringLiteral("TheClientIsRunningPrnptTrdtT");
    const QString notInstalled = QStringLiteral("ThisSoftwareIsNotCurmXqDCfI");
    const QString runningEN = QStringLiteral("\\brunning\\b");
    const QString notInstalledEN = QStringLiteral("\\bnot installed\\b");
    const QString runningZH = QStringLiteral("运行");
    const QString notInstalledZH = QStringLiteral("(没有|未)安装");
    QTest::newRow("English: client running")
        << QLocale::English << running << runningEN << notInstalledEN;
    QTest::newRow("English: not installed")
        << QLocale::English << notInstalled << notInstalledEN << runningEN;
    QTest::newRow("Chinese: client running")
        << QLocale::Chinese << running << runningZH << notInstalledZH;
    QTest::newRow("Chinese: not installed")
        << QLocale::Chinese << notInstalled << notInstalledZH << runningZH;
}

void TestApplication::refusalsNameTheirReason()
{
    QFETCH(QLocale::Language, language);
    QFETCH(QString, key);
    QFETCH(QString, reason);
    QFETCH(QString, otherReason);

    // The build's translations: tests/ and bin/ are siblings.
    const QList<QTranslator*> translators = Application::installTranslations(
        QCoreApplication::applicationDirPath() + QLatin1String("/../bin/translations/"), language);
    const QString text = QCoreApplication::translate("QObject", key.toUtf8().constData());
    for (QTranslator* translator : translators) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }

    QCOMPARE(translators.size(), 1);
    const auto contains = [&text](const QString& pattern) {
        return text.contains(
            QRegularExpression(pattern, QRegularExpression::CaseInsensitiveOption));
    };
    QVERIFY2(contains(reason), qPrintable(text));
    QVERIFY2(!contains(otherReason), qPrintable(text));
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
