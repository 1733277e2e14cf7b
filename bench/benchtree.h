#pragma once

// What the POSIX benchmarks share: product-like trees made with plain system
// calls (building them should not dominate a run) and medians.

#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace Bench
{

// Up to 400 folders three levels deep (8 top folders, nested below them),
// small files spread over them, every 50th file read-only, and the client
// program at the top, made first.
inline void makeTree(const std::string& root, int files)
{
    const int folders = std::max(1, std::min(400, files / 40));
    ::mkdir(root.c_str(), 0755);
    // The client program, as in a real installation: what proves the folder
    // is the product's.
    const std::string client = root + "/Ferrovane.exe";
    const int clientFd = ::open(client.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0755);
    if (clientFd >= 0)
        ::close(clientFd);
    std::vector<std::string> paths;
    for (int f = 0; f < folders; ++f) {
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

inline double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

inline std::vector<double> ratios(const std::vector<double>& ours,
                                  const std::vector<double>& reference)
{
    std::vector<double> result;
    for (size_t i = 0; i < ours.size() && i < reference.size(); ++i)
        result.push_back(ours[i] / reference[i]);
    return result;
}

// One figure's rounds, ours against the reference, printed as
// "name: ours X ms, reference Y ms, ratio R (median of N)". Round 0 warms up
// and is not kept; BENCH_VERBOSE shows every round on stderr.
struct Rounds {
    std::vector<double> ours, reference;

    // Times both for one round, in turns which goes first, so that neither
    // always meets a cold cache.
    template <typename Ours, typename Reference>
    static std::pair<double, double> alternate(int round, Ours timeOurs, Reference timeReference)
    {
        double o, r;
        if (round % 2) {
            r = timeReference();
            o = timeOurs();
        } else {
            o = timeOurs();
            r = timeReference();
        }
        return {o, r};
    }

    void keep(int round, double o, double r)
    {
        if (qEnvironmentVariableIsSet("BENCH_VERBOSE"))
            std::fprintf(stderr, "  round %d: ours %.1f ms, reference %.1f ms\n", round, o, r);
        if (round == 0)
            return;
        ours.push_back(o);
        reference.push_back(r);
    }

    void print(const std::string& name) const
    {
        std::printf("%s: ours %.1f ms, reference %.1f ms, ratio %.2f (median of %zu)\n",
                    name.c_str(), median(ours), median(reference), median(ratios(ours, reference)),
                    ours.size());
        std::fflush(stdout);
    }
};

// The tree sizes given after the work folder (args[2] on), or the defaults.
inline std::vector<int> sizesFrom(const QStringList& args, std::vector<int> defaults)
{
    std::vector<int> sizes;
    for (int i = 2; i < args.size(); ++i)
        sizes.push_back(args.at(i).toInt());
    return sizes.empty() ? defaults : sizes;
}

} // namespace Bench
