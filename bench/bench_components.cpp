// What Windows Installer's component records cost the judgement of the
// install folder: Engine::checkInstallLocation() on the same installation
// with no records and with COUNT of them (default 50000), all of other
// folders but one inside the install folder's neighbour, as on a machine
// with many products of Windows Installer's.
//
//   bench_components WORKDIR [count]
//
// WORKDIR becomes the stand-in's root (XDG_DATA_HOME) and HOME. Prints the
// median of several judgements each way and the difference.

#include "engine/removalguard.h"
#include "platform/platform.h"
#include "platform/standin/standin.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

double medianMs(const QString& location, int rounds)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const Engine::LocationVerdict verdict = Engine::checkInstallLocation(
            Engine::readInstallLocation(location), QStringLiteral("Ferrovane.exe"), false);
        times.push_back(timer.nsecsElapsed() / 1e6);
        if (verdict != Engine::LocationVerdict::Remove)
            std::printf("unexpected verdict %d\n", int(verdict));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_components WORKDIR [count]\n");
        return 2;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    const int count = argc > 2 ? std::atoi(argv[2]) : 50000;
    QDir(work).removeRecursively();
    QDir().mkpath(work + QStringLiteral("/home"));
    qputenv("HOME", QFile::encodeName(work + QStringLiteral("/home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(work + QStringLiteral("/data")));
    QCoreApplication app(argc, argv);
    const QString install = work + QStringLiteral("/programs/Ferrovane");
    QDir().mkpath(install);
    QFile client(install + QStringLiteral("/Ferrovane.exe"));
    client.open(QIODevice::WriteOnly);
    client.close();

    const int rounds = 9;
    const double without = medianMs(install, rounds);
    QByteArray record;
    record.reserve(count * 120);
    for (int i = 0; i < count; ++i)
        record += "[0A1B2C3D4E5F60718293A4B5C6D7E" + QByteArray::number(i) +
                  "]\nF0E1D2C3B4A5968778695A4B3C2D1E0F=" + QFile::encodeName(work) +
                  "/programs/Other" + QByteArray::number(i % 500) + "/lib/component" +
                  QByteArray::number(i) + ".dll\n";
    QString path = Platform::standinIniPath(
        Platform::standinRoot(), QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\"
                                                "CurrentVersion\\Installer\\UserData\\S-1-5-18\\"
                                                "Components"));
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(record) != record.size())
        return 1;
    file.close();
    const double with = medianMs(install, rounds);
    std::printf("components: judging the install folder, median of %d: %.1f ms without, %.1f ms "
                "with %d component records: %.1f ms more (at most 500 allowed)\n",
                rounds, without, with, count, with - without);
    return 0;
}
