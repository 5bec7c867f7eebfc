// Many files worked on at once, told as one after another: what each job says on standard error
// is held back until every job before it has been told, so that a run on several threads says
// exactly what a run on one says, in the same order.
#pragma once

#include <cstddef>
#include <functional>

namespace wqnprep {

// The most files one job holds open at once: an input, an output, and its thread's spool.
inline constexpr std::size_t kFilesPerJob = 3;

// How many threads `requested` (0: one per processor) comes to for `jobs` jobs: no more than
// there are jobs, nor than the open-file limit leaves room for; at least one.
std::size_t workersFor(std::size_t jobs, unsigned requested);

// Whether `requested` comes to two threads for each of `files` files, so that a large one may be
// worked on by two.
inline bool twoThreadsEach(std::size_t files, unsigned requested) {
  return workersFor(2 * files, requested) >= 2 * files;
}

// Calls work(job, worker) for every job from 0 to count - 1, the jobs taken in order by
// `workers` threads, `worker` (below `workers`) naming the thread that runs it; one worker runs
// them on the calling thread. Returns when every job is done. An exception that a job lets out
// is raised again once the jobs before it have been told, and no later job is started.
void runInOrder(std::size_t count, std::size_t workers,
                const std::function<void(std::size_t job, std::size_t worker)>& work);

}  // namespace wqnprep
