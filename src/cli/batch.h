// Work over many files on several threads, with results handed on in the order the files came:
// what a batch command prints is the same for any number of threads.
#pragma once

#include <cstddef>
#include <functional>

namespace velmo::cli {

// The machine's cores (at least 1): what `-j` means when not given.
unsigned default_jobs();

// Calls work(index, worker) once for every index below count, on up to `jobs` threads (worker is
// the thread's number below jobs, for state a thread keeps to itself), and emit(index) on the
// calling thread in index order, each as soon as work for it and every index before it is done.
// Work runs at most a bounded distance ahead of emit. An exception from work is thrown again here
// when its turn to be emitted comes; an exception from emit stops the workers and goes on.
// With one job everything runs on the calling thread.
void run_in_order(size_t count, unsigned jobs, const std::function<void(size_t index, unsigned worker)>& work,
    const std::function<void(size_t index)>& emit);

}  // namespace velmo::cli
