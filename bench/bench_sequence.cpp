// The whole removal sequence against `rm -rf` of the same things.
//
//   bench_sequence WORKDIR [files...]     default: 100000
//
// Copies itself into WORKDIR/app beside an AppConfig.xml (the configuration
// is read from the program's own folder). Each round stages two identical
// installations (install folder, four shortcuts, two start-menu folders,
// uninstall entry), each below a root of its own that serves as its HOME and
// XDG_DATA_HOME. One goes with InstallProcessMgr::unInstall() on the worker
// thread, as the window runs it, guards included, in a process of its own
// started with that root; the other with one `rm -rf` of the install folder,
// the shortcuts, the start-menu folders and the entry's file. The order
// alternates; one warm-up round, then several measured ones.
//
//   bench_sequence --run
// (from the staged folder) runs unInstall() once and prints
// "ms MILLISECONDS left ENTRIES reports REPORTS". BENCH_VERBOSE prints each
// round's times.

#include "benchstage.h"

#include "config/appconfigmanager.h"
#include "engine/installprocessmgr.h"
#include "engine/uninstallthread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

namespace
{

int runOnce(QCoreApplication& app)
{
    using appinstaller::InstallProcessMgr;
    // As in the real program: the configuration has been read at start-up
    // and the manager made on the main thread before the thread starts.
    appinstaller::AppConfigManager::getInstance();
    InstallProcessMgr* manager = InstallProcessMgr::getInstance();
    int reports = 0;
    QObject::connect(manager, &InstallProcessMgr::signalProcess, &app,
                     [&reports](int, const QString&) { ++reports; });
    QElapsedTimer timer;
    auto* thread = new appinstaller::UnInstallThread(&app);
    QObject::connect(thread, &QThread::finished, &app, [&] {
        const double ms = timer.nsecsElapsed() / 1e6;
        std::printf("ms %.3f left %d reports %d\n", ms, manager->leftovers().size(), reports);
        QCoreApplication::quit();
    });
    timer.start();
    thread->start();
    return QCoreApplication::exec();
}

double timeOurs(const QString& program, const Bench::Installation& installation)
{
    ::sync();
    QProcess process;
    process.setProcessEnvironment(Bench::environmentOf(installation));
    process.setWorkingDirectory(installation.root);
    process.start(program, {QStringLiteral("--run")});
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "bench_sequence: the run failed: %s\n",
                     process.readAllStandardError().constData());
        return -1;
    }
    const QString output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const QStringList words = output.split(QLatin1Char(' '));
    if (words.size() < 6 || words.at(3) != QLatin1String("0") || words.at(5) != QLatin1String("4"))
        std::fprintf(stderr, "bench_sequence: unexpected run: %s\n", qPrintable(output));
    return words.value(1).toDouble();
}

double timeReference(const Bench::Installation& installation)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    QProcess::execute(QStringLiteral("rm"),
                      QStringList{QStringLiteral("-rf"), installation.installFolder} +
                          installation.shortcuts + QStringList{installation.entry});
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.value(1) == QLatin1String("--run"))
        return runOnce(app);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_sequence WORKDIR [files...]\n");
        return 2;
    }
    const QString work = QDir(args.at(1)).absolutePath();
    const QString program = work + QStringLiteral("/app/bench_sequence");
    if (!Bench::stageProgram(work + QStringLiteral("/app"),
                             QCoreApplication::applicationFilePath())) {
        std::fprintf(stderr, "bench_sequence: cannot stage the program in %s\n", qPrintable(work));
        return 1;
    }
    const std::vector<int> counts = Bench::sizesFrom(args, {100000});

    for (const int files : counts) {
        const int rounds = files >= 100000 ? 5 : 7;
        Bench::Rounds figure;
        for (int round = 0; round <= rounds; ++round) {
            const Bench::Installation a =
                Bench::installationAt(work + QStringLiteral("/ours%1").arg(round));
            const Bench::Installation b =
                Bench::installationAt(work + QStringLiteral("/reference%1").arg(round));
            if (!Bench::stageInstallation(a, files) || !Bench::stageInstallation(b, files)) {
                std::fprintf(stderr, "bench_sequence: cannot stage in %s\n", qPrintable(work));
                return 1;
            }
            const auto [o, r] = Bench::Rounds::alternate(
                round, [&] { return timeOurs(program, a); }, [&] { return timeReference(b); });
            for (const Bench::Installation& installation : {a, b}) {
                const QStringList left = Bench::whatIsLeft(installation);
                if (!left.isEmpty())
                    std::fprintf(stderr, "bench_sequence: left behind: %s\n",
                                 qPrintable(left.join(QLatin1Char(' '))));
                QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), installation.root});
            }
            if (o < 0)
                return 1;
            figure.keep(round, o, r);
        }
        figure.print("whole removal sequence, " + std::to_string(files) + " files");
    }
    return 0;
}
