// Parallel per-file jobs and the terminal progress bar.
#include "cli/batch.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

#include "host/platform.hpp"

namespace vardex::cli {
namespace {

constexpr std::size_t kBarWidth = 30;

void PrintLines(const JobReport& report) {
  std::FILE* stream = report.ok ? stdout : stderr;
  for (const std::string& line : report.lines) {
    std::fputs(line.c_str(), stream);
    std::fputc('\n', stream);
  }
  std::fflush(stream);
}

}  // namespace

Progress::Progress(std::size_t total, bool enabled, std::FILE* bar_stream)
    : total_(total), enabled_(enabled), bar_stream_(bar_stream) {
  std::lock_guard lock(mutex_);
  DrawLocked();
}

void Progress::Finished(const JobReport& report) {
  std::lock_guard lock(mutex_);
  EraseLocked();
  PrintLines(report);
  ++done_;
  DrawLocked();
}

void Progress::Close() {
  std::lock_guard lock(mutex_);
  EraseLocked();
  enabled_ = false;
}

void Progress::DrawLocked() {
  if (!enabled_ || total_ == 0) return;
  const std::size_t filled = done_ * kBarWidth / total_;
  std::string bar = "\r[";
  bar.append(filled, '#');
  bar.append(kBarWidth - filled, '-');
  bar += "] " + std::to_string(done_) + "/" + std::to_string(total_);
  std::fputs(bar.c_str(), bar_stream_);
  std::fflush(bar_stream_);
}

void Progress::EraseLocked() {
  if (!enabled_) return;
  // Carriage return and erase-line, so that a report starts at the left margin.
  std::fputs("\r\033[K", bar_stream_);
  std::fflush(bar_stream_);
}

std::vector<JobReport> RunJobs(std::size_t count, unsigned threads,
                               const std::function<JobReport(std::size_t)>& job,
                               Progress& progress) {
  std::vector<JobReport> reports(count);
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t index = next++; index < count; index = next++) {
      try {
        reports[index] = job(index);
      } catch (const std::exception& error) {
        reports[index] = {false, {error.what()}};
      }
      progress.Finished(reports[index]);
    }
  };
  const std::size_t pool = std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(count, 1));
  std::vector<std::thread> workers;
  for (std::size_t i = 1; i < pool; ++i) workers.emplace_back(worker);
  worker();  // the calling thread takes its share instead of idling
  for (std::thread& thread : workers) thread.join();
  return reports;
}

unsigned DefaultThreads(std::size_t jobs) {
  const unsigned cores = host::platform::CoreCount();
  return static_cast<unsigned>(std::min<std::size_t>(cores, std::max<std::size_t>(jobs, 1)));
}

}  // namespace vardex::cli
