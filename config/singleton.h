#pragma once

#include <atomic>
#include <mutex>

namespace Base
{

// One lazily built instance of T for the whole process, safe to ask for from
// any thread. The instance lives until the process ends.
//
// Double-checked: the fast path is one acquire load; the first caller builds
// the object under the mutex and publishes it with a release store, so a
// thread that sees the pointer also sees the fully built object.
template <typename T> class CSingleton
{
public:
    static T* getInstance()
    {
        T* instance = s_instance.load(std::memory_order_acquire);
        if (!instance) {
            std::lock_guard<std::mutex> lock(s_mutex);
            instance = s_instance.load(std::memory_order_relaxed);
            if (!instance) {
                instance = new T();
                s_instance.store(instance, std::memory_order_release);
            }
        }
        return instance;
    }

    // Whether getInstance() has built the instance yet; builds nothing.
    static bool hasInstance() { return s_instance.load(std::memory_order_acquire) != nullptr; }

    CSingleton(const CSingleton&) = delete;
    CSingleton& operator=(const CSingleton&) = delete;

protected:
    CSingleton() = default;
    ~CSingleton() = default;

private:
    static inline std::atomic<T*> s_instance{nullptr};
    static inline std::mutex s_mutex;
};

} // namespace Base
