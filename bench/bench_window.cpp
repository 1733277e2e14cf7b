// The GUI thread's longest stall while the window runs the removal.
//
//   bench_window WORKDIR [files...]     default: 100000
//
// Copies itself, with the program's rcc/ and translations/, into WORKDIR/app
// beside an AppConfig.xml. Each round stages an installation below a root of
// its own and runs the copy with --run, its HOME and XDG_DATA_HOME there, on
// the X server of DISPLAY. One warm-up round, then several measured ones; the
// figure is the median of the rounds' longest stalls.
//
//   bench_window --run
// does what the program does once the user has confirmed (style sheet,
// window, show(), onUninstall(), event loop) with a 1 ms timer on the GUI
// thread, and prints "stall MS at MS frame MS after MS left N": the longest
// gap between two ticks from startUnInstall() until the completion page has
// been painted, when it began, when the window's first frame was painted and
// the longest gap after that frame. BENCH_VERBOSE lists every gap over 8 ms.

#include "benchstage.h"

#include "app/application.h"
#include "engine/installprocessmgr.h"
#include "ui/installingpage.h"
#include "ui/mainwindow.h"
#include "uilib/ulmora.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QStackedWidget>
#include <QTimer>

namespace
{

// Notes that a widget has been painted.
class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

int runOnce(int& argc, char** argv)
{
    appinstaller::Application app(argc, argv);
    // As the start-up sequence does before it shows the window.
    QString strStyleSheet;
    Ulmora::InitResource(Ulmora::GetTargetPath() + QLatin1String("rcc/guiresource.rcc"),
                         strStyleSheet, false);
    app.setStyleSheet(strStyleSheet);
    appinstaller::MainWindow window;
    auto* page = window.findChild<appinstaller::InstallingPage*>();
    auto* stack = page ? qobject_cast<QStackedWidget*>(page->parentWidget()) : nullptr;
    if (!stack) {
        std::fprintf(stderr, "bench_window: no progress page in a stacked widget\n");
        return 1;
    }

    PaintWatch windowPainted, completionPainted;
    window.installEventFilter(&windowPainted);
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, longestAt = 0, frame = -1, afterFrame = 0;
    std::vector<std::pair<qint64, qint64>> longGaps; // start, length
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, &app, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 gap = now - last;
        if (gap > longest) {
            longest = gap;
            longestAt = last;
        }
        if (frame >= 0 && gap > afterFrame)
            afterFrame = gap;
        if (frame < 0 && windowPainted.painted)
            frame = now;
        if (gap > 8000000)
            longGaps.emplace_back(last, gap);
        last = now;
        if (!completionPainted.painted)
            return;
        ticks.stop();
        std::printf("stall %.3f at %.1f frame %.1f after %.3f left %d\n", longest / 1e6,
                    longestAt / 1e6, frame / 1e6, afterFrame / 1e6,
                    appinstaller::InstallProcessMgr::getInstance()->leftovers().size());
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            for (const auto& [start, length] : longGaps)
                std::fprintf(stderr, "  gap of %.1f ms at %.1f ms\n", length / 1e6, start / 1e6);
        QCoreApplication::quit();
    });
    // Connected after the window's own slot: the completion page is current by then.
    QObject::connect(page, &appinstaller::InstallingPage::signalunInstallFinished, &app, [&] {
        stack->currentWidget()->installEventFilter(&completionPainted);
        QTimer::singleShot(10000, &app, [] {
            std::fprintf(stderr, "bench_window: the completion page was never painted\n");
            QCoreApplication::exit(1);
        });
    });

    window.show();
    clock.start();
    ticks.start();
    window.onUninstall();
    return QApplication::exec();
}

double runRound(const QString& program, const Bench::Installation& installation)
{
    ::sync();
    QProcess process;
    process.setProcessEnvironment(Bench::environmentOf(installation));
    process.setWorkingDirectory(installation.root);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, {QStringLiteral("--run")});
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::fprintf(stderr, "bench_window: the run failed\n");
        return -1;
    }
    const QString output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    const QStringList words = output.split(QLatin1Char(' '));
    if (words.size() < 10 || words.at(9) != QLatin1String("0"))
        std::fprintf(stderr, "bench_window: unexpected run: %s\n", qPrintable(output));
    if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
        std::fprintf(stderr, "  %s\n", qPrintable(output));
    return words.value(1).toDouble();
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc > 1 && std::string(argv[1]) == "--run")
        return runOnce(argc, argv);
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_window WORKDIR [files...]\n");
        return 2;
    }
    const QString work = QDir(args.at(1)).absolutePath();
    const QString program = work + QStringLiteral("/app/bench_window");
    // The program's resources, as the build puts them beside it.
    const QString bin = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/");
    if (!Bench::stageProgram(work + QStringLiteral("/app"), QCoreApplication::applicationFilePath(),
                             {bin + QStringLiteral("rcc"), bin + QStringLiteral("translations")})) {
        std::fprintf(stderr, "bench_window: cannot stage the program in %s\n", qPrintable(work));
        return 1;
    }
    const std::vector<int> counts = Bench::sizesFrom(args, {100000});

    for (const int files : counts) {
        const int rounds = files >= 100000 ? 5 : 7;
        std::vector<double> stalls;
        for (int round = 0; round <= rounds; ++round) {
            const Bench::Installation installation =
                Bench::installationAt(work + QStringLiteral("/window%1").arg(round));
            if (!Bench::stageInstallation(installation, files)) {
                std::fprintf(stderr, "bench_window: cannot stage in %s\n", qPrintable(work));
                return 1;
            }
            const double stall = runRound(program, installation);
            const QStringList left = Bench::whatIsLeft(installation);
            if (!left.isEmpty())
                std::fprintf(stderr, "bench_window: left behind: %s\n",
                             qPrintable(left.join(QLatin1Char(' '))));
            QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), installation.root});
            if (stall < 0)
                return 1;
            if (round > 0) // the first is a warm-up
                stalls.push_back(stall);
        }
        std::printf("GUI thread's longest stall, %d files: ours %.1f ms, goal 16 ms "
                    "(median of %zu)\n",
                    files, Bench::median(stalls), stalls.size());
        std::fflush(stdout);
    }
    return 0;
}
