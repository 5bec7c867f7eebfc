#include "app/ordered_jobs.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "os/file.h"

namespace wqnprep {
namespace {

// Bytes of findings a job may hold back; past them it waits for its turn, so that a file full of
// findings costs no more memory than it does alone.
constexpr std::size_t kHeldBytes = std::size_t{1} << 20;
// How far past the job being told a thread may start one, per thread: enough to keep every
// thread busy behind a slow file, few enough that what the jobs hold back stays small.
constexpr std::size_t kJobsAheadPerWorker = 8;

// Something a job told standard error: a finding, or a message when `finding` is empty.
struct Told {
  std::string file;
  const char* severity = nullptr;
  std::optional<Finding> finding;
  std::string message;
};

struct JobState {
  std::vector<Told> held;
  std::size_t heldBytes = 0;
  bool done = false;
  std::exception_ptr error;
};

// The threads, the calling one among them, take the jobs in order; what a job tells goes straight
// on while every job before it has been told, and is held back before that. The thread that ends
// the job being told passes on what the jobs after it held, so that no thread waits for another
// unless it has run too far ahead or holds too much: a wake-up between threads costs more than a
// small file.
class OrderedRun {
 public:
  OrderedRun(std::size_t count, const std::function<void(std::size_t, std::size_t)>& work)
      : work_(work), target_(standardError()), jobs_(count) {}

  void run(std::size_t workers) {
    ahead_ = workers * kJobsAheadPerWorker;
    std::vector<std::thread> threads;
    try {
      for (std::size_t worker = 1; worker < workers; ++worker)
        threads.emplace_back([this, worker] { workOn(worker); });
    } catch (const std::system_error&) {
      // As many threads as the system gives; the calling thread works in any case.
    }
    workOn(0);
    for (std::thread& thread : threads) thread.join();
    if (error_) std::rethrow_exception(error_);
  }

  // What job `job` tells: passed on when it is the one being told, held back before that.
  void tell(std::size_t job, Told told) {
    std::unique_lock lock(mutex_);
    if (told_ != job) {
      JobState& state = jobs_[job];
      state.heldBytes += told.file.size() + told.message.size() +
                         (told.finding ? told.finding->message.size() : 0) + sizeof(Told);
      state.held.push_back(std::move(told));
      if (state.heldBytes >= kHeldBytes) wait(lock, [&] { return told_ == job || stopping_; });
      return;
    }
    pass(told);
  }

  void flush(std::size_t job) {
    const std::lock_guard lock(mutex_);
    if (told_ == job) target_.flush();
  }

 private:
  void pass(const Told& told) {
    if (told.finding) {
      target_.finding(told.file, told.severity, *told.finding);
    } else {
      target_.message(told.message);
    }
  }

  template <typename Ready>
  void wait(std::unique_lock<std::mutex>& lock, Ready ready) {
    ++waiting_;
    changed_.wait(lock, ready);
    --waiting_;
  }

  void workOn(std::size_t worker);

  // `job` is done, having let out `error`. Moves the job being told on past every job done,
  // passing on what the next one held; after a job that failed, nothing more is told, and no job
  // is started.
  void finish(std::size_t job, const std::exception_ptr& error) {
    const std::lock_guard lock(mutex_);
    jobs_[job].done = true;
    jobs_[job].error = error;
    if (error) stopping_ = true;
    while (told_ < jobs_.size() && jobs_[told_].done) {
      if (jobs_[told_].error) {
        error_ = jobs_[told_].error;
        told_ = jobs_.size();
        break;
      }
      if (++told_ == jobs_.size()) break;
      JobState& next = jobs_[told_];
      for (const Told& told : next.held) pass(told);
      next.held.clear();
      next.held.shrink_to_fit();
    }
    if (waiting_ > 0) changed_.notify_all();
  }

  const std::function<void(std::size_t, std::size_t)>& work_;
  Diagnostics& target_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t waiting_ = 0;  // threads waiting on changed_
  std::vector<JobState> jobs_;
  std::size_t next_ = 0;  // the next job to start
  std::size_t told_ = 0;  // the job whose findings and messages go straight on
  std::size_t ahead_ = 0;
  bool stopping_ = false;
  std::exception_ptr error_;  // of the first job in order that let one out
};

// Standard error of a thread while it works on one job.
class JobDiagnostics final : public Diagnostics {
 public:
  JobDiagnostics(OrderedRun& run, std::size_t job) : run_(run), job_(job) {}

  void finding(const std::string& file, const char* severity, const Finding& finding) override {
    run_.tell(job_, Told{file, severity, finding, {}});
  }
  void message(const std::string& line) override {
    run_.tell(job_, Told{{}, nullptr, std::nullopt, line});
  }
  void flush() override { run_.flush(job_); }
  void finish() override {}

 private:
  OrderedRun& run_;
  std::size_t job_;
};

void OrderedRun::workOn(std::size_t worker) {
  for (;;) {
    std::size_t job = 0;
    {
      std::unique_lock lock(mutex_);
      wait(lock, [&] { return stopping_ || next_ >= jobs_.size() || next_ < told_ + ahead_; });
      if (stopping_ || next_ >= jobs_.size()) return;
      job = next_++;
    }
    JobDiagnostics diagnostics(*this, job);
    Diagnostics* const before = redirectStandardError(&diagnostics);
    std::exception_ptr error;
    try {
      work_(job, worker);
    } catch (...) {
      error = std::current_exception();
    }
    redirectStandardError(before);
    finish(job, error);
  }
}

}  // namespace

std::size_t workersFor(std::size_t jobs, unsigned requested) {
  const std::size_t wanted =
      requested != 0 ? requested : std::max(1U, std::thread::hardware_concurrency());
  // The standard streams and a few to spare, then a job's files for every thread.
  constexpr std::size_t kKept = 6;
  const std::size_t limit = os::openFileLimit();
  const std::size_t afforded = limit > kKept ? (limit - kKept) / kFilesPerJob : 0;
  return std::max<std::size_t>(1, std::min({wanted, jobs, afforded}));
}

void runInOrder(std::size_t count, std::size_t workers,
                const std::function<void(std::size_t job, std::size_t worker)>& work) {
  if (workers <= 1 || count <= 1) {
    for (std::size_t job = 0; job < count; ++job) work(job, 0);
    return;
  }
  OrderedRun(count, work).run(workers);
}

}  // namespace wqnprep
