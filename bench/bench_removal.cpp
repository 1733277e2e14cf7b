// Folder removal against `rm -rf` of an identical tree.
//
//   bench_removal WORKDIR [files...]
//
// For each file count: builds two identical product-like trees (a few hundred
// nested folders, small files, some read-only), removes one with the engine's
// install-folder step (guards included) and the other with `rm -rf`, in
// alternating order, one warm-up round and then several measured rounds.
// Prints "name: ours X, reference Y, ratio R (median of N)".

#include "engine/folderremoval.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

// Plain system calls: building the trees should not dominate the run.
void makeTree(const std::string& root, int files)
{
    const int folders = std::max(1, std::min(400, files / 40));
    ::mkdir(root.c_str(), 0755);
    std::vector<std::string> paths;
    for (int f = 0; f < folders; ++f) {
        // Three levels: 8 top folders, nested below them.
        std::string path = root + "/top" + std::to_string(f % 8);
        ::mkdir(path.c_str(), 0755);
        path += "/mid" + std::to_string((f / 8) % 10);
        ::mkdir(path.c_str(), 0755);
        path += "/leaf" + std::to_string(f);
        ::mkdir(path.c_str(), 0755);
        paths.push_back(path);
    }
    static const char content[] = "ferrovane payload\n";
    for (int i = 0; i < files; ++i) {
        const std::string file = paths[i % folders] + "/file" + std::to_string(i) + ".dat";
        const bool readOnly = i % 50 == 0;
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, readOnly ? 0444 : 0644);
        if (fd >= 0) {
            if (::write(fd, content, sizeof content - 1) < 0)
                std::perror("write");
            ::close(fd);
        }
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double timeOurs(const QString& path)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    Engine::removeInstallFolder(path);
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
    std::vector<int> counts;
    for (int i = 2; i < args.size(); ++i)
        counts.push_back(args.at(i).toInt());
    if (counts.empty())
        counts = {10000, 100000};

    for (const int files : counts) {
        const int rounds = files >= 100000 ? 3 : 7;
        std::vector<double> ours, reference;
        for (int round = 0; round <= rounds; ++round) {
            const QString a = work + QStringLiteral("/ours%1").arg(round);
            const QString b = work + QStringLiteral("/reference%1").arg(round);
            makeTree(QFile::encodeName(a).toStdString(), files);
            makeTree(QFile::encodeName(b).toStdString(), files);
            // Alternate which goes first, so that neither always meets a cold cache.
            double o, r;
            if (round % 2) {
                r = timeReference(b);
                o = timeOurs(a);
            } else {
                o = timeOurs(a);
                r = timeReference(b);
            }
            if (round == 0)
                continue; // warm-up
            ours.push_back(o);
            reference.push_back(r);
        }
        std::vector<double> ratios;
        for (size_t i = 0; i < ours.size(); ++i)
            ratios.push_back(ours[i] / reference[i]);
        std::printf("folder removal, %d files: ours %.1f ms, reference %.1f ms, ratio %.2f "
                    "(median of %zu)\n",
                    files, median(ours), median(reference), median(ratios), ours.size());
        std::fflush(stdout);
    }
    return 0;
}
