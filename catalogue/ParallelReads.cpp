#include "catalogue/ParallelReads.h"

#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// How often the calling thread reports: often enough for a live progress box,
// seldom enough that reporting thousands of small files costs nothing.
constexpr auto WaitSlice = std::chrono::milliseconds(10);

} // namespace

void runInParallel(qsizetype count, int threads, const std::function<void(qsizetype)> &work,
                   const std::function<void(qsizetype done)> &waiting)
{
    if (count <= 0)
        return;
    if (threads <= 0)
        threads = QThread::idealThreadCount();
    threads = int(qMin<qsizetype>(threads, count));

    std::atomic<qsizetype> next{0};
    std::mutex mutex;
    std::condition_variable changed;
    qsizetype done = 0; // guarded by mutex

    const auto worker = [&] {
        for (;;) {
            const qsizetype i = next.fetch_add(1);
            if (i >= count)
                return;
            work(i);
            bool last = false;
            {
                const std::lock_guard lock(mutex);
                last = ++done == count;
            }
            if (last)
                changed.notify_one();
        }
    };

    std::vector<std::thread> pool;
    pool.reserve(size_t(threads));
    try {
        for (int t = 0; t < threads; ++t)
            pool.emplace_back(worker);
    } catch (const std::system_error &) {
        // No thread to be had: whatever the started ones do not take is done
        // here, without waiting calls in between.
        if (pool.empty())
            worker();
    }

    qsizetype reported = 0;
    {
        std::unique_lock lock(mutex);
        while (done < count) {
            changed.wait_for(lock, WaitSlice, [&] { return done == count; });
            const qsizetype now = done;
            lock.unlock();
            reported = now;
            if (waiting)
                waiting(now);
            lock.lock();
        }
    }
    for (std::thread &thread : pool)
        thread.join();
    if (waiting && reported != count)
        waiting(count);
}

void runBeside(const std::function<void()> &side, const std::function<void()> &here)
{
    std::exception_ptr failure;
    const auto guarded = [&] {
        try {
            side();
        } catch (...) {
            failure = std::current_exception();
        }
    };
    std::thread thread;
    try {
        thread = std::thread(guarded);
    } catch (const std::system_error &) {
        guarded();
    }
    std::exception_ptr ownFailure;
    try {
        here();
    } catch (...) {
        ownFailure = std::current_exception();
    }
    if (thread.joinable())
        thread.join();
    if (ownFailure)
        std::rethrow_exception(ownFailure);
    if (failure)
        std::rethrow_exception(failure);
}
