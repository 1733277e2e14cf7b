#include "app/application.h"
#include "app/startup.h"

int main(int argc, char** argv)
{
    appinstaller::Application application(argc, argv);
    return appinstaller::runUninstaller();
}
