#include "app/application.h"
#include "app/startup.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    // Read only while the application object is built: the window then keeps
    // its size in logical pixels on 150 % and 200 % displays.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    appinstaller::Application application(argc, argv);
    return appinstaller::runUninstaller();
}
