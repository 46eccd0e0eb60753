// Replays every fuzz target's committed seeds and kept crash inputs (fuzz/seeds/<target>,
// fuzz/regressions/<target>) through the same bodies the fuzzers run, so a fault found once
// stays fixed on every build, sanitizers or not.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz_bodies.hpp"

namespace {

namespace fs = std::filesystem;

fs::path FromEnv(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? fs::path(value) : fs::path(fallback);
}

std::vector<fs::path> Inputs(const std::string& target,
                             std::initializer_list<const char*> folders = {"seeds",
                                                                           "regressions"}) {
  const fs::path fuzz = FromEnv("VARDEX_SOURCE_DIR", ".") / "fuzz";
  std::vector<fs::path> files;
  for (const char* folder : folders) {
    const fs::path dir = fuzz / folder / target;
    if (!fs::is_directory(dir)) continue;
    for (const fs::directory_entry& e : fs::directory_iterator(dir))
      if (e.is_regular_file()) files.push_back(e.path());
  }
  // Whole packages are binary; the built template and sample projects stand in for committed ones.
  if (target == "package_bytes" && folders.size() > 1) {
    const fs::path build = FromEnv("VARDEX_BINARY_DIR", "build");
    for (const fs::path& p : {build / "bin" / "work.xltx", build / "examples" / "road-k1.xlsx",
                              build / "examples" / "bridge-k3.xlsx"})
      if (fs::is_regular_file(p)) files.push_back(p);
  }
  return files;
}

class FuzzReplay : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    vardex::fuzz::SetProjectTemplate(FromEnv("VARDEX_BINARY_DIR", "build") / "bin" / "work.xltx");
  }
};

// Every input of `files` through the target's body: none may throw.
void Replay(const char* target, const std::vector<fs::path>& files) {
  const vardex::fuzz::Body body = vardex::fuzz::FindBody(target);
  ASSERT_NE(body, nullptr);
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
      body(bytes);
    } catch (const std::exception& e) {
      ADD_FAILURE() << file.filename() << ": " << e.what();
    }
  }
}

TEST_P(FuzzReplay, SeedsAndKeptCrashInputsPass) {
  const std::vector<fs::path> files = Inputs(GetParam());
  ASSERT_FALSE(files.empty()) << "no inputs to replay for " << GetParam();
  Replay(GetParam(), files);
}

// Inputs of faults found by fuzzing that the owning code has not fixed yet
// (fuzz/open-findings/<target>). None is open now, so any input parked there fails the
// suite until its fault is fixed; a fixed finding's input then moves to
// fuzz/regressions/<target>, where the test above replays it on every build.
TEST_P(FuzzReplay, OpenFindingsPass) { Replay(GetParam(), Inputs(GetParam(), {"open-findings"})); }

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::Values("package_bytes", "package_parts", "number_format",
                                           "cell_reference", "numeric_text", "calculation"));

}  // namespace
