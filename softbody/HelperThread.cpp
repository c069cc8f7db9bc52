#include "softbody/HelperThread.h"

#include <system_error>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

HelperThread& HelperThread::shared()
{
    static HelperThread helper;
    return helper;
}

HelperThread::~HelperThread()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

bool HelperThread::handOver(void (*run)(void*), void* work)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (held_ || stopping_) return false;
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { serve(); });
        } catch (const std::system_error&) {
            return false;
        }
    }
    held_ = true;
    run_ = run;
    work_ = work;
    avoidCallersProcessor();
    lock.unlock();
    wake_.notify_one();
    return true;
}

void HelperThread::wait()
{
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return run_ == nullptr; });
    held_ = false;
}

void HelperThread::serve()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return run_ != nullptr || stopping_; });
        if (run_ == nullptr) return;
        void (*run)(void*) = run_;
        void* work = work_;
        lock.unlock();
        run(work);
        lock.lock();
        run_ = nullptr;
        done_.notify_one();
    }
}

void HelperThread::avoidCallersProcessor()
{
#if defined(__linux__)
    // The scheduler tends to wake a thread where its waker runs and to leave
    // it there for a good part of a step. The helper stays free to move
    // among the caller's other allowed processors, the caller free to move
    // anywhere; the mask is set again only when the caller has moved.
    const int here = sched_getcpu();
    if (here < 0 || here == avoidedProcessor_) return;
    cpu_set_t allowed;
    if (pthread_getaffinity_np(pthread_self(), sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2 ||
        !CPU_ISSET(here, &allowed))
        return;
    CPU_CLR(here, &allowed);
    if (pthread_setaffinity_np(thread_.native_handle(), sizeof allowed, &allowed) == 0) avoidedProcessor_ = here;
#endif
}
