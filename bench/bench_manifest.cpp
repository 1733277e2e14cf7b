// Folder removal with an install manifest against the same removal without
// one, on identical trees.
//
//   bench_manifest WORKDIR [files...]
//
// For each file count: builds two identical product-like trees and a
// manifest listing every file of one (each file and the client program, one
// a line, as make-manifest writes it); removes that tree through the
// engine's install-folder step with the manifest (reading it included) and
// the other without, in alternating order, one warm-up round and then
// several measured rounds. Both remove everything. Prints
// "name: ours X, reference Y, ratio R (median of N)", ours being the run
// with the manifest, for the time it took and for the processor time used;
// then the manifest's own share: reading it and deciding on every entry of
// the tree, without removing anything (median of the rounds); then the look
// again before the entry goes at its most costly: the folder still there
// and every entry the manifest lists looked up (median of the rounds).

#include "benchtree.h"

#include "engine/folderremoval.h"
#include "engine/installmanifest.h"
#include "engine/verification.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>

#include <sys/resource.h>

namespace
{

const QString kClient = QStringLiteral("Ferrovane.exe");
const QString kGuid = QStringLiteral("{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}");

double processorMs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Every file of tree, relative to it, into a manifest at path; listed
// receives them.
int writeManifest(const QString& tree, const QString& path, QStringList& listed)
{
    QByteArray text = "FerrovaneInstallManifest 1\nProduct " + kGuid.toUtf8() + '\n';
    int entries = 0;
    QDirIterator it(tree, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    listed.clear();
    while (it.hasNext()) {
        listed << QDir(tree).relativeFilePath(it.next());
        text += listed.last().toUtf8() + '\n';
        ++entries;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        std::fprintf(stderr, "bench_manifest: cannot write %s\n", qPrintable(path));
    return entries;
}

double timeRemoval(const QString& tree, const QString& manifestPath, double* processor)
{
    ::sync();
    QElapsedTimer timer;
    timer.start();
    const double before = processorMs();
    if (manifestPath.isEmpty()) {
        Engine::removeInstallFolder(tree, kClient);
    } else {
        const Engine::InstallManifest manifest = Engine::readInstallManifest(manifestPath, kGuid);
        if (!manifest.used())
            std::fprintf(stderr, "bench_manifest: the manifest was not used\n");
        Engine::removeInstallFolder(tree, kClient, &manifest);
    }
    *processor = processorMs() - before;
    const double ms = timer.nsecsElapsed() / 1e6;
    if (QFileInfo::exists(tree))
        std::fprintf(stderr, "bench_manifest: %s was not removed\n", qPrintable(tree));
    return ms;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_manifest WORKDIR [files...]\n");
        return 2;
    }
    const QString work = QDir(args.at(1)).absolutePath();
    QDir().mkpath(work);
    for (const int files : Bench::sizesFrom(args, {100000})) {
        const int rounds = files >= 100000 ? 5 : 7;
        Bench::Rounds figure, processor;
        int entries = 0;
        std::vector<double> alone;
        std::vector<double> verified;
        for (int round = 0; round <= rounds; ++round) {
            // Both named after the product (a name and a version): folders of
            // its own, so that the one without a manifest goes whole.
            const QString a = work + QStringLiteral("/Ferrovane%1").arg(round);
            const QString b = work + QStringLiteral("/Ferrovane v%1").arg(round);
            const QString manifest = work + QStringLiteral("/InstallManifest%1.txt").arg(round);
            // Made in turns which first too: where a file system hands out
            // the inodes of the last round's files, the first tree made
            // differs from the second.
            for (const QString& tree : round % 2 ? QStringList{b, a} : QStringList{a, b})
                Bench::makeTree(QFile::encodeName(tree).toStdString(), files);
            // Both trees listed alike, so that both meet the same caches.
            QStringList listed;
            writeManifest(b, manifest, listed);
            entries = writeManifest(a, manifest, listed);
            QElapsedTimer timer;
            timer.start();
            const Engine::InstallManifest read = Engine::readInstallManifest(manifest, kGuid);
            const Engine::ManifestFilter filter(read, {kClient});
            int removed = 0;
            for (const QString& entry : listed)
                removed += filter.decide(entry, false) == Platform::EntryFilter::Decision::Remove;
            if (round > 0)
                alone.push_back(timer.nsecsElapsed() / 1e6);
            if (removed != entries)
                std::fprintf(stderr, "bench_manifest: %d of %d entries removed\n", removed,
                             entries);
            // Every listed entry there: each is looked up, and each counts.
            QElapsedTimer verifying;
            verifying.start();
            Engine::NamedEntries named;
            named.folder = a;
            named.programs << a + QLatin1Char('/') + kClient;
            named.manifest = &read;
            const Engine::Remaining remaining =
                Engine::stillThere(named, {}, &Platform::entryExists);
            if (round > 0)
                verified.push_back(verifying.nsecsElapsed() / 1e6);
            if (remaining.count != entries)
                std::fprintf(stderr, "bench_manifest: %d of %d entries found there\n",
                             remaining.count, entries);
            // The other tree looked up alike, so that both meet the same caches.
            named.folder = b;
            named.programs = QStringList{b + QLatin1Char('/') + kClient};
            Engine::stillThere(named, {}, &Platform::entryExists);
            double po = 0, pr = 0;
            const auto [o, r] = Bench::Rounds::alternate(
                round, [&] { return timeRemoval(a, manifest, &po); },
                [&] { return timeRemoval(b, QString(), &pr); });
            figure.keep(round, o, r);
            processor.keep(round, po, pr);
            QFile::remove(manifest);
        }
        const std::string name = "removal with a manifest of " + std::to_string(entries) +
                                 " entries against without, " + std::to_string(files) + " files";
        figure.print(name);
        processor.print(name + ", processor time");
        std::printf("reading the manifest and deciding on its %d entries alone: %.1f ms (median of "
                    "%zu)\n",
                    entries, Bench::median(alone), alone.size());
        std::printf("looking again for its %d entries, the folder still there: %.1f ms, %.2f ms "
                    "per thousand (median of %zu)\n",
                    entries, Bench::median(verified), Bench::median(verified) * 1000.0 / entries,
                    verified.size());
    }
    return 0;
}
