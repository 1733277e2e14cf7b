#pragma once

// The application object: a QApplication that, while it is built, installs
// the translations of the system language.

#include <QApplication>
#include <QList>
#include <QLocale>

class QTranslator;

namespace appinstaller
{

class Application : public QApplication
{
    Q_OBJECT

public:
    // argc is kept by reference by QApplication: it must outlive this object.
    Application(int& argc, char** argv);

    // "*_en.qm" for English, "*_zh.qm" for every other language.
    static QString translationPattern(QLocale::Language language);

    // Loads and installs every file of strDirectory (ending in a separator)
    // that matches the language's pattern, in name order, so that where two
    // translate the same text the one sorting last wins. The translators
    // live until the process ends; they are returned for callers that want
    // to take them out again.
    static QList<QTranslator*> installTranslations(const QString& strDirectory,
                                                   QLocale::Language language);

private slots:
    void onQuit();
};

} // namespace appinstaller
