#include "application.h"

#include "uilib/ulmora.h"

#include <QDir>
#include <QTranslator>

namespace appinstaller
{

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    installTranslations(Ulmora::GetTargetPath() + QLatin1String("translations/"),
                        QLocale().language());
}

QString Application::translationPattern(QLocale::Language language)
{
    return language == QLocale::English ? QStringLiteral("*_en.qm") : QStringLiteral("*_zh.qm");
}

QList<QTranslator*> Application::installTranslations(const QString& strDirectory,
                                                     QLocale::Language language)
{
    QList<QTranslator*> installed;
    // QDir's default order: by name, ignoring case.
    const QStringList names = QDir(strDirectory).entryList({translationPattern(language)});
    for (const QString& name : names) {
        auto* translator = new QTranslator;
        // A file that fails to load still gets its (empty) translator: it
        // translates nothing and the others still serve.
        translator->load(name, strDirectory);
        QCoreApplication::installTranslator(translator);
        installed << translator;
    }
    return installed;
}

void Application::onQuit() {}

} // namespace appinstaller
