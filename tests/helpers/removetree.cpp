// removetree PATH: Engine::removeFolderTree(PATH); exit 0 when everything went,
// 1 when something was left. Lets a test remove as another user.

#include "engine/removalguard.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2)
        return 2;
    return Engine::removeFolderTree(args.at(1)) ? 0 : 1;
}
