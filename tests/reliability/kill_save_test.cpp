// A save killed at any moment leaves the complete old file or the complete new one. Killed
// outright, it may leave one temporary file beside the target, named after it, which the next
// opening of the file removes; interrupted (SIGINT, SIGTERM), it leaves none.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "host/workbook.hpp"
#include "save_content.hpp"
#include "support/package.hpp"

namespace {

namespace fs = std::filesystem;
using vardex::host::CellValue;
using vardex::host::Workbook;
using vardex::reliability::BuildContent;
using vardex::reliability::ContentNumber;
using vardex::reliability::ContentText;
using vardex::reliability::kContentColumns;
using vardex::reliability::kContentRows;

using vardex::test::ScratchDir;

// The temporary files of saves to `target` in its folder.
int TemporaryFiles(const fs::path& target) {
  const std::string prefix = target.filename().string() + ".vardex-";
  int count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(target.parent_path())) {
    if (entry.path() == target) continue;
    EXPECT_EQ(entry.path().filename().string().rfind(prefix, 0), 0u)
        << "stray file " << entry.path().filename();
    ++count;
  }
  return count;
}

// Which variant the file holds, or a description of what is wrong with it.
std::string VariantOnDisk(const fs::path& target) {
  Workbook book = [&] {
    try {
      return Workbook::Open(target);
    } catch (const std::exception& e) {
      throw std::runtime_error(std::string("target does not open: ") + e.what());
    }
  }();
  const auto& sheet = book.SheetAt(0);
  const CellValue marker = sheet.Value({1, 1});
  if (!std::holds_alternative<std::string>(marker) || std::get<std::string>(marker).empty())
    return "no variant marker in A1";
  const char variant = std::get<std::string>(marker)[0];
  if (variant != 'A' && variant != 'B') return "unknown variant marker";
  for (int32_t r = 1; r <= kContentRows; ++r) {
    if (sheet.Value({r, 1}) != CellValue(ContentText(variant, r)))
      return "mixed content at row " + std::to_string(r);
    for (int32_t c = 2; c <= kContentColumns; ++c) {
      if (sheet.Value({r, c}) != CellValue(ContentNumber(variant, r, c)))
        return "mixed content at row " + std::to_string(r) + " column " + std::to_string(c);
    }
  }
  return std::string(1, variant);
}

int Iterations() {
  const char* env = std::getenv("VARDEX_KILL_ITERATIONS");
  return env != nullptr ? std::max(1, std::atoi(env)) : 25;
}

// Starts the helper with its stdout on a pipe and waits until it reports that it is saving.
pid_t StartSaveLoop(const fs::path& target) {
  int out[2];
  if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    ::dup2(out[1], STDOUT_FILENO);
    ::close(out[0]);
    ::close(out[1]);
    ::execl(VARDEX_SAVE_LOOP, VARDEX_SAVE_LOOP, target.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(out[1]);
  pollfd p{out[0], POLLIN, 0};
  char buf[16] = {};
  // Building 400 000 cells takes well under a second; a minute allows for sanitizers and load.
  const bool ready = ::poll(&p, 1, 60000) == 1 && ::read(out[0], buf, sizeof buf - 1) > 0;
  ::close(out[0]);
  if (!ready || std::string(buf).rfind("ready", 0) != 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    throw std::runtime_error("the save loop did not start");
  }
  return pid;
}

// Kills spread from before the first save to the middle of the third, `signal_number` each.
struct KillRun {
  int kills = 0, seen_new = 0, seen_temp = 0;
  long long max_delay_us = 0;
};

KillRun KillRepeatedly(const fs::path& target, int signal_number, int kills) {
  Workbook a = BuildContent('A');
  const auto start = std::chrono::steady_clock::now();
  a.SaveAs(target);
  const auto one_save = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(VariantOnDisk(target), "A");

  // Kills land anywhere from before the first save to the middle of the third.
  const auto max_delay =
      std::chrono::duration_cast<std::chrono::microseconds>(one_save * 5 / 2).count() + 1000;
  std::mt19937 random(20240601 + signal_number);
  std::uniform_int_distribution<long> delay(0, max_delay);
  KillRun run;
  run.max_delay_us = max_delay;
  for (run.kills = 0; run.kills < kills; ++run.kills) {
    const pid_t pid = StartSaveLoop(target);
    const long wait_us = delay(random);
    std::this_thread::sleep_for(std::chrono::microseconds(wait_us));
    EXPECT_EQ(::kill(pid, signal_number), 0);
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number)
        << "the save loop did not end by the signal, status " << status;
    run.seen_temp += TemporaryFiles(target);
    const std::string variant = VariantOnDisk(target);
    EXPECT_TRUE(variant == "A" || variant == "B")
        << "kill after " << wait_us << " µs (kill " << run.kills << "): " << variant;
    if (variant == "B") ++run.seen_new;
  }
  std::printf("signal %d: %d kills within %lld µs, new file %d times, temporary files %d\n",
              signal_number, run.kills, run.max_delay_us, run.seen_new, run.seen_temp);
  // With kills spread over two and a half saves, some must land after the first save finished;
  // otherwise the delays never reached the saving and the test proved nothing.
  if (run.kills >= 10) {
    EXPECT_GT(run.seen_new, 0);
  }
  return run;
}

TEST(KillDuringSave, TargetIsAlwaysTheWholeOldOrNewFile) {
  ScratchDir dir;
  const fs::path target = dir.path() / "水准测量项目.xlsx";
  KillRepeatedly(target, SIGKILL, Iterations());
  // Opening the file (a check, a failed run) clears whatever the killed saves left behind.
  Workbook::Open(target);
  EXPECT_EQ(TemporaryFiles(target), 0);
}

TEST(KillDuringSave, AnInterruptedSaveLeavesNoTemporaryFile) {
  ScratchDir dir;
  const fs::path target = dir.path() / "水准测量项目.xlsx";
  for (int signal_number : {SIGINT, SIGTERM})
    EXPECT_EQ(KillRepeatedly(target, signal_number, (Iterations() + 1) / 2).seen_temp, 0);
}

}  // namespace
