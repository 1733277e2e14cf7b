// Folder removal against `rm -rf` of an identical tree.
//
//   bench_removal WORKDIR [files...]
//
// For each file count: builds two identical product-like trees (a few hundred
// nested folders, small files, some read-only), removes one with the engine's
// install-folder step (guards included) and the other with `rm -rf`, in
// alternating order, one warm-up round and then several measured rounds.
// Prints "name: ours X, reference Y, ratio R (median of N)"; BENCH_VERBOSE
// prints each round's times.

#include "benchtree.h"

#include "engine/folderremoval.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

namespace
{

using Bench::makeTree;

double timeOurs(const QString& path)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    Engine::removeInstallFolder(path, QStringLiteral("Ferrovane.exe"));
    const double ms = timer.nsecsElapsed() / 1e6;
    if (QFileInfo::exists(path))
        std::fprintf(stderr, "bench_removal: %s was not removed\n", qPrintable(path));
    return ms;
}

double timeReference(const QString& path)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), path});
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_removal WORKDIR [files...]\n");
        return 2;
    }
    const QString work = QDir(args.at(1)).absolutePath();
    QDir().mkpath(work);
    const std::vector<int> counts = Bench::sizesFrom(args, {10000, 100000});

    for (const int files : counts) {
        const int rounds = files >= 100000 ? 3 : 7;
        Bench::Rounds figure;
        for (int round = 0; round <= rounds; ++round) {
            const QString a = work + QStringLiteral("/ours%1").arg(round);
            const QString b = work + QStringLiteral("/reference%1").arg(round);
            makeTree(QFile::encodeName(a).toStdString(), files);
            makeTree(QFile::encodeName(b).toStdString(), files);
            const auto [o, r] = Bench::Rounds::alternate(
                round, [&] { return timeOurs(a); }, [&] { return timeReference(b); });
            figure.keep(round, o, r);
        }
        figure.print("folder removal, " + std::to_string(files) + " files");
    }
    return 0;
}
