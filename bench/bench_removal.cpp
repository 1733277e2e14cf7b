// Folder removal against `rm -rf` of an identical tree.
//
//   bench_removal WORKDIR [files...]
//
// For each file count: builds two identical product-like trees (a few hundred
// nested folders, small files, some read-only), removes one with the engine's
// install-folder step (guards included) and the other with `rm -rf`, in
// alternating order, one warm-up round and then several measured rounds;
// once with the removal on one worker and once on two.
// Prints "name: ours X, reference Y, ratio R (median of N)" for the time it
// took and for the processor time it used (ours: the whole process, rm: the
// child), which a machine busy with other work disturbs far less;
// BENCH_VERBOSE prints each round's times.

#include "benchtree.h"

#include "engine/folderremoval.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <atomic>

#include <sys/resource.h>

namespace
{

using Bench::makeTree;

// User and system time used so far, in ms: RUSAGE_SELF or RUSAGE_CHILDREN.
double processorMs(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double timeOurs(const QString& path, double* processor)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    const double before = processorMs(RUSAGE_SELF);
    // As the program removes it: counted first, the progress told on the way.
    std::atomic<quint64> told{0};
    Platform::WalkProgress progress([&told](quint64 done, quint64) { told = done; }, 30);
    Engine::removeInstallFolder(path, QStringLiteral("Ferrovane.exe"), nullptr, false, false,
                                &progress);
    *processor = processorMs(RUSAGE_SELF) - before;
    const double ms = timer.nsecsElapsed() / 1e6;
    if (QFileInfo::exists(path))
        std::fprintf(stderr, "bench_removal: %s was not removed\n", qPrintable(path));
    return ms;
}

double timeReference(const QString& path, double* processor)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    const double before = processorMs(RUSAGE_CHILDREN);
    QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), path});
    *processor = processorMs(RUSAGE_CHILDREN) - before;
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
        const int rounds = files >= 100000 ? 5 : 7;
        for (const char* workers : {"1", "2"}) {
            // Read by Platform::removeFolderContents().
            qputenv("UNINSTALLER_REMOVAL_WORKERS", workers);
            Bench::Rounds figure, processor;
            for (int round = 0; round <= rounds; ++round) {
                // Named after the product: a folder of its own, which goes whole.
                const QString a = work + QStringLiteral("/Ferrovane%1").arg(round);
                const QString b = work + QStringLiteral("/reference%1").arg(round);
                makeTree(QFile::encodeName(a).toStdString(), files);
                makeTree(QFile::encodeName(b).toStdString(), files);
                double po = 0, pr = 0;
                const auto [o, r] = Bench::Rounds::alternate(
                    round, [&] { return timeOurs(a, &po); }, [&] { return timeReference(b, &pr); });
                figure.keep(round, o, r);
                processor.keep(round, po, pr);
            }
            const std::string name = "folder removal, " + std::to_string(files) + " files, " +
                                     workers + (workers[0] == '1' ? " worker" : " workers");
            figure.print(name);
            processor.print(name + ", processor time");
        }
    }
    return 0;
}
