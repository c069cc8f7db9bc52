#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

/// The second thread of two-thread steps: one for the whole program, started
/// by the first step that asks for it, woken for each step's share of work,
/// and joined when the program ends, so that a step does not pay for a
/// thread's creation and first scheduling.
///
/// One caller at a time: a body stepped while another body's step holds the
/// helper is told so, and does all its work itself.
class HelperThread {
public:
    /// The program's helper thread (not started until the first handOver).
    static HelperThread& shared();

    /// Starts work() on the helper thread and returns at once: true, and the
    /// caller must call wait() before anything work() reads goes out of scope;
    /// false, with nothing started, when another caller holds the helper or
    /// no thread can be started.
    template <class Work>
    bool handOver(Work& work)
    {
        return handOver([](void* w) { (*static_cast<Work*>(w))(); }, &work);
    }
    /// Returns once the work handed over is done, and frees the helper.
    void wait();

    HelperThread() = default;
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;
    /// Joins the thread, if it was started.
    ~HelperThread();

private:
    bool handOver(void (*run)(void*), void* work);
    void serve();
    /// Keeps the helper off the caller's processor, where it would share a
    /// core with the caller while the other one idles.
    void avoidCallersProcessor();

    std::mutex mutex_;
    std::condition_variable wake_;  ///< work handed over, or the end
    std::condition_variable done_;  ///< the work handed over is done
    bool held_ = false;             ///< a caller holds the helper, from handOver to wait
    void (*run_)(void*) = nullptr;  ///< the work waiting or under way, nullptr once done
    void* work_ = nullptr;
    bool stopping_ = false;
    std::thread thread_;
    int avoidedProcessor_ = -1;
};

/// Runs helperWork() on the helper thread and ownWork() here, side by side,
/// and returns once both are done; when the helper is not to be had, runs
/// alone() here instead.
template <class Own, class Helper, class Alone>
void runBeside(Own ownWork, Helper helperWork, Alone alone)
{
    HelperThread& helper = HelperThread::shared();
    if (!helper.handOver(helperWork)) {
        alone();
        return;
    }
    ownWork();
    helper.wait();
}
