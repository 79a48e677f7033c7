#include "cli/batch.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace velmo::cli {

namespace {

// How far past the last emitted index work may go: enough to keep every worker busy while one
// slow file holds up the output, little enough that the waiting results stay small.
constexpr size_t ahead_limit = 512;

}  // namespace

unsigned default_jobs() { return std::max(1u, std::thread::hardware_concurrency()); }

void run_in_order(size_t count, unsigned jobs, const std::function<void(size_t, unsigned)>& work, const std::function<void(size_t)>& emit)
{
    jobs = static_cast<unsigned>(std::clamp<size_t>(jobs, 1, std::max<size_t>(count, 1)));
    if (jobs == 1) {
        for (size_t i = 0; i < count; ++i) {
            work(i, 0);
            emit(i);
        }
        return;
    }

    std::mutex mutex;
    std::condition_variable changed;
    size_t next_to_take = 0;
    size_t emitted = 0;  // every index below this was emitted
    bool stop = false;
    std::vector<char> done(count, 0);
    std::vector<std::exception_ptr> failures(count);

    auto worker_loop = [&](unsigned worker) {
        for (;;) {
            size_t index;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next_to_take >= count || next_to_take < emitted + ahead_limit; });
                if (stop || next_to_take >= count)
                    return;
                index = next_to_take++;
            }
            std::exception_ptr failure;
            try {
                work(index, worker);
            } catch (...) {
                failure = std::current_exception();
            }
            {
                std::lock_guard lock(mutex);
                failures[index] = failure;
                done[index] = 1;
            }
            changed.notify_all();
        }
    };

    std::vector<std::jthread> workers;
    auto stop_workers = [&] {
        {
            std::lock_guard lock(mutex);
            stop = true;
        }
        changed.notify_all();
        workers.clear();  // joins
    };

    try {
        for (unsigned worker = 0; worker < jobs; ++worker)
            workers.emplace_back(worker_loop, worker);
        for (size_t i = 0; i < count; ++i) {
            std::exception_ptr failure;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return done[i] != 0; });
                failure = failures[i];
            }
            if (failure)
                std::rethrow_exception(failure);
            emit(i);
            {
                std::lock_guard lock(mutex);
                emitted = i + 1;
            }
            changed.notify_all();
        }
    } catch (...) {
        stop_workers();
        throw;
    }
    stop_workers();
}

}  // namespace velmo::cli
