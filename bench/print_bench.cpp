// Times the print of a project's three record tables to PDF on synthetic projects of 1,000 and
// 65,000 points (or the sizes given), and shows how much memory the print itself takes.
//
//   vardex-print-bench [POINTS...]
//
// For each size the project is made by vardex-make-project and calculated by vardex (looked for
// beside this program). Then, in this process: opening the workbook, then planning and writing
// the PDF of the three record tables (pages, seconds, pages per second, file size), and the
// resident memory after opening and at its peak while printing: their difference is what the
// print holds. Last, the whole `vardex pdf` command as a surveyor runs it, wall clock and
// processor time (user and system; on a machine shared with other work the wall clock waits for
// the processor, the processor time does not). MB are mebibytes.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/atomic_file.hpp"
#include "host/workbook.hpp"
#include "print/pdf/pdf_canvas.hpp"
#include "print/print_job.hpp"
#include "project/print_selection.hpp"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Resident memory now and at its peak, in MiB, from the kernel's account of this process.
double StatusMiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kib = 0;
  while (status >> key) {
    if (key == field) {
      status >> kib;
      break;
    }
  }
  return static_cast<double>(kib) / 1024.0;
}

// Processor seconds (user and system) of this process, or of its finished children.
double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int Shell(const std::string& command) { return std::system((command + " >/dev/null").c_str()); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (sizes.empty()) sizes = {1000, 65000};
  const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
  const fs::path scratch =
      fs::temp_directory_path() / ("vardex-print-bench-" + std::to_string(getpid()));
  fs::create_directories(scratch);

  std::printf("PDF of the three record tables (%ld hardware threads)\n",
              sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("%8s  %7s  %6s  %8s  %8s  %7s  %7s  %8s  %8s  %8s  %8s\n", "points", "open s",
              "pages", "print s", "prt cpu", "pages/s", "PDF MB", "open MB", "peak MB", "vardex s",
              "vdx cpu");
  int failures = 0;
  for (long points : sizes) {
    const fs::path project = scratch / ("project-" + std::to_string(points) + ".xlsx");
    const fs::path pdf = scratch / ("project-" + std::to_string(points) + ".pdf");
    if (Shell("'" + (bin / "vardex-make-project").string() + "' '" + (bin / "work.xltx").string() +
              "' --synthetic " + std::to_string(points) + " '" + project.string() + "'") != 0 ||
        Shell("'" + (bin / "vardex").string() + "' calc '" + project.string() + "' --seed 1") !=
            0) {
      std::fprintf(stderr, "vardex-print-bench: could not make a project of %ld points\n", points);
      ++failures;
      continue;
    }
    auto start = Clock::now();
    double open_seconds = 0;
    double print_seconds = 0;
    double print_cpu = 0;
    double open_mib = 0;
    std::size_t pages = 0;
    {
      const vardex::host::Workbook book = vardex::host::Workbook::Open(project);
      open_seconds = Since(start);
      open_mib = StatusMiB("VmRSS:");
      start = Clock::now();
      const double cpu_before = CpuSeconds(RUSAGE_SELF);
      vardex::host::AtomicFileWriter file(pdf);
      vardex::print::PdfCanvas canvas([&file](std::string_view b) { file.Write(b); }, "bench");
      vardex::print::PrintJob job(book, vardex::RecordTableSheets(), canvas,
                                  vardex::print::FieldsNow(project.string()));
      job.Print(canvas);
      canvas.Finish();
      file.Commit();
      pages = job.PageCount();
      print_seconds = Since(start);
      print_cpu = CpuSeconds(RUSAGE_SELF) - cpu_before;
    }
    const double peak_mib = StatusMiB("VmHWM:");
    start = Clock::now();
    const double children_before = CpuSeconds(RUSAGE_CHILDREN);
    const int status = Shell("'" + (bin / "vardex").string() + "' pdf '" + project.string() +
                             "' -o '" + pdf.string() + "'");
    const double command_seconds = Since(start);
    const double command_cpu = CpuSeconds(RUSAGE_CHILDREN) - children_before;
    if (status != 0) ++failures;
    std::printf("%8ld  %7.3f  %6zu  %8.3f  %8.3f  %7.0f  %7.1f  %8.1f  %8.1f  %8.3f  %8.3f\n",
                points, open_seconds, pages, print_seconds, print_cpu,
                static_cast<double>(pages) / print_cpu,
                static_cast<double>(fs::file_size(pdf)) / 1048576.0, open_mib, peak_mib,
                command_seconds, command_cpu);
    std::fflush(stdout);
  }
  fs::remove_all(scratch);
  return failures == 0 ? 0 : 1;
}
