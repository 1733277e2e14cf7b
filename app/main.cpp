#include "app/application.h"
#include "app/commandline.h"
#include "app/quietrun.h"
#include "app/startup.h"
#include "platform/system.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLocale>
#include <QStringList>

int main(int argc, char** argv)
{
    // Where a command prompt or a script started it, what it prints (the
    // log's path, a refusal, the usage) reaches their console.
    Platform::attachParentConsole();
    // Which application object to build is read from the 8-bit arguments,
    // whose switches are plain ASCII; everything else is read again from the
    // application object (on Windows, the wide command line). A quiet run
    // and the usage need no display, so they get a QCoreApplication.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const appinstaller::CommandLine early = appinstaller::parseCommandLine(arguments);
    // A passive run with a bad switch is refused as a quiet one is: no
    // window that waits for a click nobody gives. Without a display no
    // window can be shown at all: a passive run goes on as a quiet one, a
    // clicked one ends with its word on standard error.
    if (early.quiet || early.help || (early.passive && !early.error.isEmpty()) ||
        !Platform::windowsCanBeShown()) {
        QCoreApplication application(argc, argv);
        appinstaller::Application::installTranslations(QCoreApplication::applicationDirPath() +
                                                           QLatin1String("/translations/"),
                                                       QLocale().language());
        return appinstaller::runWithoutWindow();
    }

    // Read only while the application object is built: the window then keeps
    // its size in logical pixels on 150 % and 200 % displays. The scale is
    // used as the display gives it: Qt 5 would round 1.5 up to 2.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    appinstaller::Application application(argc, argv);
    return appinstaller::runUninstaller(
        appinstaller::parseCommandLine(QCoreApplication::arguments().mid(1)));
}
