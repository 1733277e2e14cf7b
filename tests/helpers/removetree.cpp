// Lets a test remove, or judge a location, as another user or from another
// folder than the test program's:
//   removetree PATH           Engine::removeFolderTree(PATH); exit 0 when
//                             everything went, 1 when something was left,
//                             printing then the first error the system gave
//   removetree --trial PATH   the same walk as a trial run, which removes
//                             nothing: exit 1 and the first error when it
//                             finds something the system would refuse
//   removetree --check PATH   prints Engine::checkInstallLocation() of PATH, "Ferrovane.exe"
//                             as a number

#include "engine/folderremoval.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--check")) {
        std::printf("%d\n", static_cast<int>(Engine::checkInstallLocation(
                                Engine::readInstallLocation(args.at(2)),
                                QStringLiteral("Ferrovane.exe"), false)));
        return 0;
    }
    if (args.size() == 3 && args.at(1) == QLatin1String("--trial")) {
        Platform::WalkPlan plan;
        plan.folder = args.at(2);
        plan.dryRun = true;
        const Platform::FolderRemoval contents = Platform::removeFolderContents(plan);
        if (contents.complete)
            return 0;
        std::printf("%d\n", contents.firstError);
        return 1;
    }
    if (args.size() != 2)
        return 2;
    int error = 0;
    if (Engine::removeFolderTree(args.at(1), &error))
        return 0;
    std::printf("%d\n", error);
    return 1;
}
