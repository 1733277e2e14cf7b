#include "app/application.h"
#include "app/startup.h"

#include <QCoreApplication>
#include <QGuiApplication>

int main(int argc, char** argv)
{
    // Read only while the application object is built: the window then keeps
    // its size in logical pixels on 150 % and 200 % displays. The scale is
    // used as the display gives it: Qt 5 would round 1.5 up to 2.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    appinstaller::Application application(argc, argv);
    return appinstaller::runUninstaller();
}
