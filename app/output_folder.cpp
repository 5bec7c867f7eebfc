#include "app/output_folder.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "app/diagnostics.h"
#include "app/exit_status.h"
#include "app/files.h"
#include "app/input_paths.h"
#include "app/ordered_jobs.h"
#include "app/output_refusals.h"
#include "app/preprocess.h"
#include "app/preprocess_file.h"
#include "app/standard_error.h"
#include "findings/finding_scanner.h"
#include "os/file.h"
#include "text/quoted_name.h"

namespace wqnprep {
namespace {

// One input and where it goes.
struct Job {
  std::string input;   // the path as given, or as found in a folder given
  std::string output;  // the input's file name in the folder, or its path in the folder's tree
  std::vector<std::string> folders;  // those between the output folder and the output
  std::error_code unlisted;          // the input is a folder that could not be listed
  // What the system told about the input when it was last looked at or opened; nothing while
  // it has not been, or could not be.
  std::optional<os::FileInfo> info;
  std::uint64_t spooled = 0;   // bytes of its result in the spool, under OnFinding::fail
  std::size_t spool = 0;       // which spool: that of the thread that read it
  bool outputMissing = false;  // when the outputs were looked at before any was written
};

// ASCII letters in lower case; other bytes as they are.
std::string foldedCase(std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

std::string plural(std::size_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// "the 2 outputs before it were written", "the 1 output after it was not written".
std::string outputsWere(std::size_t count, const char* where, const char* negation) {
  return "the " + plural(count, "output") + " " + where + (count == 1 ? " was" : " were") +
         negation + " written";
}

// Copies the next `size` bytes of `spool` to `output`.
void copyPart(SpoolFile& spool, std::uint64_t size, OutputFile& output, std::vector<char>& buffer) {
  while (size > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
    const std::size_t got = spool.read(buffer.data(), want);
    if (got == 0) throw std::logic_error("the spool file ended before the result it holds");
    output.write(buffer.data(), got);
    size -= got;
  }
}

class FolderRun {
 public:
  explicit FolderRun(const Settings& settings)
      : settings_(settings), folder_(settings.outputFolder), onFinding_(settings.onFinding) {
    const std::error_code error = os::checkFolder(folder_);
    if (error) throw std::system_error(error, "cannot use output folder " + quotedName(folder_));
    planJobs(settings.paths, settings.extensions);
  }

  int run() {
    refuseOverwritingInputs();
    return onFinding_ == OnFinding::fail ? runAllOrNothing() : runEach();
  }

 private:
  // One output per input, the files of a folder given in a tree of that folder's name, refusing
  // two inputs that would be written to the same path, or one to a path that another's output
  // needs as a folder; in a folder that folds case, to paths that differ only in case.
  void planJobs(const std::vector<std::string>& given, const std::vector<std::string>& extensions) {
    for (const std::string& path : given) {
      if (os::fileNameOf(path).empty()) {
        throw std::runtime_error("cannot name an output in " + quotedName(folder_) + " after " +
                                 quotedName(path) + ", which has no file name");
      }
    }
    std::vector<std::vector<InputPath>> walked;
    std::vector<std::string> folders;  // the paths given that may be folders
    for (const std::string& path : given) {
      walked.push_back(inputPathsOf(path, extensions));
      const std::vector<InputPath>& found = walked.back();
      if (found.size() != 1 || !found.front().info) folders.push_back(path);
    }
    refuseFolderInsideInput(folder_, folders);
    const bool foldsCase = os::foldsCase(folder_);
    std::map<std::string, std::size_t> byName;
    std::map<std::string, std::size_t> folderNeeded;  // by the first job whose output is in it
    for (const std::vector<InputPath>& found : walked) {
      for (const InputPath& input : found) {
        jobs_.push_back(jobFor(input));
        if (input.unlisted) continue;
        const std::string relative = foldsCase ? foldedCase(input.relative) : input.relative;
        for (std::size_t slash = relative.find('/'); slash != std::string::npos;
             slash = relative.find('/', slash + 1)) {
          folderNeeded.emplace(relative.substr(0, slash), jobs_.size() - 1);
        }
        const auto [taken, fresh] = byName.emplace(relative, jobs_.size() - 1);
        if (fresh) continue;
        const Job& first = jobs_[taken->second];
        std::string message = quotedName(first.input) + " and " + quotedName(input.path) +
                              " would both be written to " + quotedName(first.output);
        if (first.output != jobs_.back().output) {
          message += ", as " + quotedName(folder_) + " does not tell names apart by case";
        }
        throw std::runtime_error(message);
      }
    }
    for (const auto& [relative, job] : byName) {
      const auto folder = folderNeeded.find(relative);
      if (folder == folderNeeded.end()) continue;
      throw std::runtime_error(quotedName(jobs_[job].input) + " would be written to " +
                               quotedName(jobs_[job].output) + ", which " +
                               quotedName(jobs_[folder->second].input) + " needs as a folder");
    }
  }

  // `input` with its output, at its relative path in the output folder.
  Job jobFor(const InputPath& input) const {
    Job job{input.path, folder_, {}, input.unlisted, input.info, 0, 0};
    if (input.unlisted) return job;
    for (std::string::size_type start = 0;;) {
      const std::string::size_type slash = input.relative.find('/', start);
      job.output = os::pathIn(job.output, input.relative.substr(start, slash - start));
      if (slash == std::string::npos) return job;
      job.folders.push_back(job.output);
      start = slash + 1;
    }
  }

  // Before anything is written: no output may be one of the inputs, or another output, under any
  // name, nor a symbolic link to nothing, nor be in one (output_refusals.h). Nothing is opened
  // here: each file is opened once, in its turn. An input or output that cannot be looked at is
  // left to its turn, except under OnFinding::fail, which needs to know now that every input
  // opens and every output can be written.
  void refuseOverwritingInputs() {
    const bool checkNow = onFinding_ == OnFinding::fail;
    std::set<std::string> folders;
    for (const Job& job : jobs_) folders.insert(job.folders.begin(), job.folders.end());
    for (const std::string& folder : folders) refuseDanglingLink(folder);
    std::vector<PlannedOutput> planned;
    planned.reserve(jobs_.size());
    std::vector<Job*> plannedJobs;  // the job of each plan
    for (Job& job : jobs_) {
      if (job.unlisted) {
        failedBeforeReading(unlistedFolder(job.input, job.unlisted));
        continue;
      }
      planned.push_back(
          PlannedOutput{job.input, job.output, checkNow ? std::nullopt : job.info, std::nullopt});
      plannedJobs.push_back(&job);
      if (!checkNow) continue;
      try {
        planned.back().inputInfo = checkInput(job.input);
      } catch (const std::system_error& error) {
        failedBeforeReading(error);
      }
    }
    bool anyOutput = false;
    for (std::size_t i = 0; i < planned.size(); ++i) {
      try {
        PlannedOutput& plan = planned[i];
        if (checkNow && plan.inputInfo) {
          plan.outputInfo = checkOutput(plan.output, plannedJobs[i]->folders);
          continue;
        }
        os::FileInfo info;
        bool dangling = false;
        const std::error_code error = os::inspectPathAndLink(plan.output, info, dangling);
        if (dangling) refuseDanglingLink(plan.output);
        plannedJobs[i]->outputMissing = error == std::errc::no_such_file_or_directory;
        if (!error && info.regular) plan.outputInfo = info;
        anyOutput = anyOutput || plan.outputInfo.has_value();
      } catch (const std::system_error& error) {
        failedBeforeReading(error);
      }
    }
    // Only an output that exists can be an input: where none does, the inputs (a path given was
    // looked at as it was walked) need not be looked at.
    if (!checkNow && anyOutput) {
      for (PlannedOutput& plan : planned) {
        os::FileInfo info;
        if (!plan.inputInfo && !os::inspectPath(plan.input, info)) plan.inputInfo = info;
      }
    }
    refuseClashes(planned);
  }

  void failedBeforeReading(const std::system_error& error) {
    if (onFinding_ != OnFinding::fail) return;
    reportError(error);
    ++failed_;
  }

  // Each input on its own, as the two-path form does it; a failure is reported and the next
  // input is done all the same.
  int runEach() {
    std::vector<char> failed(jobs_.size(), 0);
    const bool twoThreads = twoThreadsEach(jobs_.size(), settings_.jobs);
    runInOrder(jobs_.size(), workersFor(jobs_.size(), settings_.jobs),
               [&](std::size_t index, std::size_t /*worker*/) {
                 const Job& job = jobs_[index];
                 try {
                   if (job.unlisted) throw unlistedFolder(job.input, job.unlisted);
                   if (preprocessFile(job.input, job.output, settings_, job.folders,
                                      job.outputMissing, twoThreads) != kSuccess)
                     failed[index] = 1;
                 } catch (const std::exception& error) {
                   reportError(error);
                   failed[index] = 1;
                 }
               });
    failed_ += static_cast<std::size_t>(std::count(failed.begin(), failed.end(), 1));
    return failed_ == 0 ? kSuccess : kFailure;
  }

  // Every result goes to a spool file, back to back, and is copied out only once every input
  // has been read and found clean; so one descriptor per thread holds them all, however many
  // there are. After the first failure the remaining inputs are still read, for their findings,
  // but no longer spooled.
  int runAllOrNothing() {
    if (failed_ > 0) return nothingWritten();
    const std::size_t workers = workersFor(jobs_.size(), settings_.jobs);
    std::vector<SpoolFile> spools(workers);
    std::atomic<bool> anyFailed = false;
    std::vector<char> failed(jobs_.size(), 0);
    runInOrder(jobs_.size(), workers, [&](std::size_t index, std::size_t worker) {
      Job& job = jobs_[index];
      job.spool = worker;
      try {
        if (spoolOne(job, spools[worker], !anyFailed)) return;
      } catch (const std::exception& error) {
        reportError(error);
      }
      failed[index] = 1;
      anyFailed = true;
    });
    failed_ += static_cast<std::size_t>(std::count(failed.begin(), failed.end(), 1));
    if (failed_ > 0) return nothingWritten();
    for (SpoolFile& spool : spools) spool.rewind();
    std::vector<char> buffer(os::kBlockSize);
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
      const Job& job = jobs_[i];
      try {
        OutputFile output(job.output, job.input, *job.info, job.folders);
        copyPart(spools[job.spool], job.spooled, output, buffer);
        output.commit();
      } catch (const std::exception& error) {
        reportError(error);
        printToStandardError("Error: stopped at " + quotedName(job.output) +
                             ", which may be incomplete: " + outputsWere(i, "before it", "") +
                             ", " + outputsWere(jobs_.size() - i - 1, "after it", " not"));
        return kFailure;
      }
    }
    return kSuccess;
  }

  // Reads `job`'s input and, when `keep` (while every input so far was clean), appends its result
  // to `spool`. Whether it was clean; its findings are on standard error.
  bool spoolOne(Job& job, SpoolFile& spool, bool keep) const {
    InputFile input(job.input);
    job.info = input.info();
    auto [printer, findings] = PrintedFindings(input.name(), "error", settings_);
    const std::uint64_t before = spool.size();
    spool.holdBack(input.name());
    if (keep) {
      preprocess(input, spool, &findings);
    } else {
      findFindings(input, findings);
    }
    job.spooled = spool.size() - before;
    printer.flush();  // every finding before the summary
    if (printer.count() == 0) return true;
    printToStandardError("Error: " + plural(printer.count(), "finding") + " in " +
                         quotedName(input.name()));
    return false;
  }

  int nothingWritten() const {
    printToStandardError("Error: " + std::to_string(failed_) + " of " +
                         plural(jobs_.size(), "input") + " failed; nothing was written to " +
                         quotedName(folder_));
    return kFailure;
  }

  const Settings& settings_;
  const std::string& folder_;
  OnFinding onFinding_;
  std::vector<Job> jobs_;
  std::size_t failed_ = 0;  // inputs that failed
};

}  // namespace

int preprocessIntoFolder(const Settings& settings) {
  return FolderRun(settings).run();
}

}  // namespace wqnprep
