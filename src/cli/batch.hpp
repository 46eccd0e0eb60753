// Runs independent per-file jobs on a few threads and reports each as it finishes, with a
// progress bar on a terminal.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vardex::cli {

/// What one job has to say: lines for standard output (success) or standard error (failure).
struct JobReport {
  bool ok = false;
  std::vector<std::string> lines;
};

/// A one-line progress bar on a terminal stream. Disabled, it draws nothing and only passes the
/// lines through. Thread-safe.
class Progress {
 public:
  Progress(std::size_t total, bool enabled, std::FILE* bar_stream);
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  /// Prints `report`'s lines (to stdout when ok, else stderr) and advances the bar by one.
  void Finished(const JobReport& report);
  /// Removes the bar so that what follows starts on a clean line.
  void Close();

 private:
  void DrawLocked();
  void EraseLocked();

  std::mutex mutex_;
  std::size_t total_;
  std::size_t done_ = 0;
  bool enabled_;
  std::FILE* bar_stream_;
};

/// Runs job(0) ... job(count - 1) on at most `threads` threads (at least one), each job exactly
/// once, and hands every report to `progress` as it finishes. Returns the reports by index.
/// A job must not throw; one that does is reported as failed with its message.
std::vector<JobReport> RunJobs(std::size_t count, unsigned threads,
                               const std::function<JobReport(std::size_t)>& job,
                               Progress& progress);

/// The number of threads for `jobs` jobs: the machine's cores, at most one per job.
unsigned DefaultThreads(std::size_t jobs);

}  // namespace vardex::cli
