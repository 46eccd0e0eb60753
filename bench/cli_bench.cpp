// Times the whole `vardex calc` command, as a surveyor runs it, on synthetic projects of 1,000,
// 10,000 and 65,000 points, and prints wall time and peak memory of the process for each. The
// projects are made by vardex-make-project; both programs are looked for beside this one.
//
//   vardex-cli-bench [POINTS...] [--runs N]
//
// Each size is calculated N times (default 3); the best wall and CPU times and the largest peak
// are shown, together with `vardex check` on the result. Peak memory is the process's maximum
// resident set; MB are mebibytes.
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Measurement {
  double seconds = 0;      // wall clock
  double cpu_seconds = 0;  // user + system, all threads: steadier than wall time on a busy machine
  long peak_kib = 0;
  int status = 0;
};

// Runs `args` with standard output silenced and returns its wall time, peak resident memory and
// exit status.
Measurement Run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Whatever is buffered would otherwise be printed again by the child.
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    execv(argv[0], argv.data());
    std::perror(argv[0]);
    _exit(127);
  }
  Measurement m;
  rusage usage{};
  if (pid < 0 || wait4(pid, &m.status, 0, &usage) != pid) {
    std::perror("vardex-cli-bench");
    std::exit(1);
  }
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.cpu_seconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  m.peak_kib = usage.ru_maxrss;  // kibibytes on Linux
  return m;
}

fs::path SelfDir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      sizes.push_back(std::atol(arg.c_str()));
    }
  }
  if (sizes.empty()) sizes = {1000, 10000, 65000};

  const fs::path bin = SelfDir();
  const fs::path vardex = bin / "vardex";
  const fs::path maker = bin / "vardex-make-project";
  const fs::path templ = bin / "work.xltx";
  for (const fs::path& p : {vardex, maker, templ}) {
    if (!fs::exists(p)) {
      std::fprintf(stderr,
                   "vardex-cli-bench: %s is missing; build vardex, vardex-make-project "
                   "and vardex_template first\n",
                   p.c_str());
      return 1;
    }
  }
  std::string scratch_template = (fs::temp_directory_path() / "vardex-cli-bench-XXXXXX").string();
  if (mkdtemp(scratch_template.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path scratch = scratch_template;

  std::printf("vardex calc, whole command, best of %d (%u hardware threads)\n", runs,
              std::max(1U, static_cast<unsigned>(sysconf(_SC_NPROCESSORS_ONLN))));
  std::printf("%8s  %8s  %8s  %8s  %8s  %8s  %8s  %8s\n", "points", "file MB", "calc s", "calc cpu",
              "calc MB", "check s", "chk cpu", "check MB");
  int failures = 0;
  for (long points : sizes) {
    const fs::path project = scratch / ("project-" + std::to_string(points) + ".xlsx");
    const fs::path result = scratch / ("result-" + std::to_string(points) + ".xlsx");
    const Measurement made = Run(
        {maker.string(), templ.string(), "--synthetic", std::to_string(points), project.string()});
    if (made.status != 0) {
      std::fprintf(stderr, "vardex-cli-bench: could not make a project of %ld points\n", points);
      ++failures;
      continue;
    }
    Measurement calc{1e300, 1e300, 0, 0};
    Measurement check{1e300, 1e300, 0, 0};
    for (int r = 0; r < runs; ++r) {
      const Measurement c =
          Run({vardex.string(), "calc", project.string(), "-o", result.string(), "--seed", "1"});
      const Measurement k = Run({vardex.string(), "check", result.string()});
      if (c.status != 0 || k.status != 0) ++failures;
      calc = {std::min(calc.seconds, c.seconds), std::min(calc.cpu_seconds, c.cpu_seconds),
              std::max(calc.peak_kib, c.peak_kib), c.status};
      check = {std::min(check.seconds, k.seconds), std::min(check.cpu_seconds, k.cpu_seconds),
               std::max(check.peak_kib, k.peak_kib), k.status};
    }
    std::printf("%8ld  %8.1f  %8.3f  %8.3f  %8.1f  %8.3f  %8.3f  %8.1f\n", points,
                static_cast<double>(fs::file_size(result)) / 1e6, calc.seconds, calc.cpu_seconds,
                static_cast<double>(calc.peak_kib) / 1024.0, check.seconds, check.cpu_seconds,
                static_cast<double>(check.peak_kib) / 1024.0);
    std::fflush(stdout);
  }
  fs::remove_all(scratch);
  if (failures > 0) std::fprintf(stderr, "vardex-cli-bench: %d runs failed\n", failures);
  return failures == 0 ? 0 : 1;
}
