// Times the whole `vardex calc` command, as a surveyor runs it, on synthetic projects of 1,000,
// 10,000 and 65,000 points, and prints wall time and peak memory of the process for each. The
// projects are made by vardex-make-project; both programs are looked for beside this one.
//
//   vardex-cli-bench [POINTS...] [--runs N] [--batch FILES]
//
// Each size is calculated N times (default 3); the best wall and CPU times and the largest peak
// are shown, together with `vardex check` on the result. Peak memory is the process's maximum
// resident set; MB are mebibytes. Where xlsxwriter-compare was built (libxlsxwriter installed),
// libxlsxwriter then writes the cells of the largest result into a new file in the same run, and
// the ratio of the times is printed. Last, FILES projects of 500 points (default 200) are
// calculated by one `vardex calc`, once held to one core (-j 1, the process bound to the first
// core, so that no helper thread borrows another) and once on all (the default), and the gain
// in throughput is printed.
#include <sched.h>
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
// exit status. `one_core`: the process may run on the first core only.
Measurement Run(const std::vector<std::string>& args, bool one_core = false) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // Whatever is buffered would otherwise be printed again by the child.
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    if (one_core) {
      cpu_set_t only_first;
      CPU_ZERO(&only_first);
      CPU_SET(0, &only_first);
      sched_setaffinity(0, sizeof only_first, &only_first);
    }
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
  long batch = 200;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--batch" && i + 1 < argc) {
      batch = std::max(1L, std::atol(argv[++i]));
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
  fs::path largest;
  double largest_calc = 0;
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
    if (points == *std::max_element(sizes.begin(), sizes.end())) {
      largest = result;
      largest_calc = calc.seconds;
    }
  }

  // The yardstick: libxlsxwriter writing the same cells, measured now, on the same machine.
  const fs::path compare = bin / "xlsxwriter-compare";
  if (!largest.empty() && fs::exists(compare)) {
    const fs::path out = scratch / "xlsxwriter.xlsx";
    double best = 1e300;
    long cells = 0;
    for (int r = 0; r < runs; ++r) {
      std::fflush(stdout);
      FILE* pipe = popen(
          (compare.string() + " '" + largest.string() + "' '" + out.string() + "'").c_str(), "r");
      double seconds = 0;
      if (pipe == nullptr || std::fscanf(pipe, "%ld %lf", &cells, &seconds) != 2) ++failures;
      if (pipe != nullptr && pclose(pipe) != 0) ++failures;
      best = std::min(best, seconds);
    }
    std::printf(
        "libxlsxwriter (constant memory) writes the same %ld cells in %.3f s; "
        "vardex calc takes %.2f of that\n",
        cells, best, largest_calc / best);
  } else if (!largest.empty()) {
    std::printf("xlsxwriter-compare not built (libxlsxwriter missing): no comparison\n");
  }

  // A batch: many small projects in one command, on one core and on all of them.
  {
    const fs::path first = scratch / "batch-0.xlsx";
    if (Run({maker.string(), templ.string(), "--synthetic", "500", first.string()}).status != 0)
      ++failures;
    std::vector<std::string> files;
    for (long i = 0; i < batch; ++i) {
      const fs::path f = scratch / ("batch-" + std::to_string(i) + ".xlsx");
      if (i > 0) fs::copy_file(first, f, fs::copy_options::overwrite_existing);
      files.push_back(f.string());
    }
    // Calculated once first: a calculated project is larger than a new one, and every run below
    // must do the same work.
    {
      std::vector<std::string> args = {vardex.string(), "calc", "--seed", "1"};
      args.insert(args.end(), files.begin(), files.end());
      if (Run(args).status != 0) ++failures;
    }
    double one = 1e300, all = 1e300;
    for (int r = 0; r < runs; ++r) {
      for (const char* jobs : {"1", "0"}) {
        std::vector<std::string> args = {vardex.string(), "calc", "--seed", "1"};
        if (std::string(jobs) == "1") args.insert(args.end(), {"-j", "1"});
        args.insert(args.end(), files.begin(), files.end());
        const Measurement m = Run(args, std::string(jobs) == "1");
        if (m.status != 0) ++failures;
        (std::string(jobs) == "1" ? one : all) =
            std::min(std::string(jobs) == "1" ? one : all, m.seconds);
      }
    }
    std::printf(
        "batch of %ld projects of 500 points: %.2f s on one core, %.2f s on all: "
        "%.2f times the throughput\n",
        batch, one, all, one / all);
  }
  fs::remove_all(scratch);
  if (failures > 0) std::fprintf(stderr, "vardex-cli-bench: %d runs failed\n", failures);
  return failures == 0 ? 0 : 1;
}
