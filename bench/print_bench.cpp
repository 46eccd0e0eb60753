// Times the print of a project's three record tables to PDF on synthetic projects of 1,000 and
// 65,000 points (or the sizes given), and shows how much memory the print itself takes.
//
//   vardex-print-bench [POINTS...]
//
// For each size the project is made by vardex-make-project and calculated by vardex (looked for
// beside this program). Then, in this process: opening the workbook, then planning and writing
// the PDF of the three record tables (pages, seconds, pages per second, file size), and the
// resident memory after opening and at its peak while printing: their difference is what the
// print holds. Last, the whole `vardex pdf` command as a surveyor runs it, wall clock.
// MB are mebibytes.
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

int Shell(const std::string& command) { return std::system((command + " >/dev/null").c_str()); }

}  // namespace

int main(int argc, char** argv) {
  std::vector<long> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atol(argv[i]));
  if (sizes.empty()) sizes = {1000, 65000};
  const fs::path bin = fs::read_symlink("/proc/self/exe").parent_path();
  const fs::path scratch = fs::temp_directory_path() / ("vardex-print-bench-" + std::to_string(getpid()));
  fs::create_directories(scratch);

  std::printf("PDF of the three record tables (%ld hardware threads)\n",
              sysconf(_SC_NPROCESSORS_ONLN));
  std::printf("%8s  %7s  %7s  %8s  %7s  %8s  %8s  %8s  %9s\n", "points", "open s", "pages",
              "print s", "pages/s", "PDF MB", "open MB", "peak MB", "vardex s");
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
    double open_mib = 0;
    std::size_t pages = 0;
    {
      const vardex::host::Workbook book = vardex::host::Workbook::Open(project);
      open_seconds = Since(start);
      open_mib = StatusMiB("VmRSS:");
      start = Clock::now();
      vardex::host::AtomicFileWriter file(pdf);
      vardex::print::PdfCanvas canvas([&file](std::string_view b) { file.Write(b); }, "bench");
      vardex::print::PrintJob job(book, vardex::RecordTableSheets(), canvas,
                                  vardex::print::FieldsNow(project.string()));
      job.Print(canvas);
      canvas.Finish();
      file.Commit();
      pages = job.PageCount();
      print_seconds = Since(start);
    }
    const double peak_mib = StatusMiB("VmHWM:");
    start = Clock::now();
    const int status =
        Shell("'" + (bin / "vardex").string() + "' pdf '" + project.string() + "' -o '" +
              pdf.string() + "'");
    const double command_seconds = Since(start);
    if (status != 0) ++failures;
    std::printf("%8ld  %7.3f  %7zu  %8.3f  %7.0f  %8.1f  %8.1f  %8.1f  %9.3f\n", points,
                open_seconds, pages, print_seconds, static_cast<double>(pages) / print_seconds,
                static_cast<double>(fs::file_size(pdf)) / 1048576.0, open_mib, peak_mib,
                command_seconds);
    std::fflush(stdout);
  }
  fs::remove_all(scratch);
  return failures == 0 ? 0 : 1;
}
