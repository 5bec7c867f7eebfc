// Runs a command several times and prints its median wall time, its peak resident memory and its
// median processor time (user and system, all threads), which the load of a shared machine
// disturbs far less than the wall time:
//   wqnprep_measure RUNS STDOUT_FILE COMMAND [ARGS...]
// prints "MEDIAN_SECONDS MAX_RSS_KIB MEDIAN_PROCESSOR_SECONDS"; fails if any run fails.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char* argv[]) {
  if (argc < 4) {
    (void)std::fprintf(stderr, "usage: %s RUNS STDOUT_FILE COMMAND [ARGS...]\n", argv[0]);
    return 2;
  }
  char* end = nullptr;
  const long runs = std::strtol(argv[1], &end, 10);
  if (*end != '\0' || runs < 1) {
    (void)std::fprintf(stderr, "RUNS must be a positive number\n");
    return 2;
  }
  std::vector<double> seconds;
  std::vector<double> processor;
  long maxRss = 0;
  for (long run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0 || dup2(out, 1) < 0) _exit(126);
      execvp(argv[3], argv + 3);
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return 1;
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    maxRss = std::max(maxRss, usage.ru_maxrss);
    const auto secondsOf = [](const timeval& t) {
      return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    processor.push_back(secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      (void)std::fprintf(stderr, "%s failed\n", argv[3]);
      return 1;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  std::sort(processor.begin(), processor.end());
  std::printf("%.6f %ld %.6f\n", seconds[seconds.size() / 2], maxRss,
              processor[processor.size() / 2]);
  return 0;
}
