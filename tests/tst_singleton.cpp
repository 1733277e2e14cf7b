#include "config/singleton.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{

std::atomic<int> constructions{0};

// Each round uses its own type, so each starts with no instance. The
// constructor is slow so that racing callers overlap inside it.
template <int Round> class Slow : public Base::CSingleton<Slow<Round>>
{
    friend class Base::CSingleton<Slow<Round>>;
    Slow()
    {
        constructions.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        value = 42;
    }

public:
    int value = 0;
};

template <int Round> void race(int threads)
{
    std::atomic<bool> go{false};
    std::vector<Slow<Round>*> seen(threads, nullptr);
    std::vector<int> values(threads, 0);
    std::vector<std::thread> workers;
    for (int i = 0; i < threads; ++i) {
        workers.emplace_back([&, i] {
            while (!go.load())
                std::this_thread::yield();
            // Half the callers come after the object is published and take
            // the lock-free path; only acquire/release orders what they read.
            if (i % 2)
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            seen[i] = Slow<Round>::getInstance();
            values[i] = seen[i]->value;
        });
    }
    go.store(true);
    for (std::thread& worker : workers)
        worker.join();
    for (int i = 0; i < threads; ++i) {
        QCOMPARE(seen[i], seen[0]);
        // Whoever gets the pointer sees the finished object.
        QCOMPARE(values[i], 42);
    }
}

} // namespace

class TestSingleton : public QObject
{
    Q_OBJECT

private slots:
    void racingCallersBuildOnce();
    void laterCallersGetTheSameInstance();
};

void TestSingleton::racingCallersBuildOnce()
{
    constructions = 0;
    race<1>(2);
    QCOMPARE(constructions.load(), 1);
    race<2>(8);
    QCOMPARE(constructions.load(), 2);
    race<3>(32);
    QCOMPARE(constructions.load(), 3);
}

void TestSingleton::laterCallersGetTheSameInstance()
{
    const int before = constructions.load();
    Slow<4>* first = Slow<4>::getInstance();
    QCOMPARE(Slow<4>::getInstance(), first);
    QCOMPARE(constructions.load(), before + 1);
}

QTEST_GUILESS_MAIN(TestSingleton)
#include "tst_singleton.moc"
