#include "app/application.h"

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

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
