// Whole-cycle figures of the workbook engine for the largest project the record tables allow:
// a styled template with a 65,000-row input sheet is loaded, about 1.75 million cells are
// written over the three record sheets through the public cell API, and the workbook is saved.
// Prints load, write and save times, the output size against the same parts deflated at the
// standard level 6, and the peak memory of the cycle (measured in a child process). Then a sparse
// sheet: 49,000 cells spread from A1 to XFD1048576, so that its used range claims the whole sheet,
// loaded by a fresh process; its load time and peak memory are printed.
//
// usage: engine_bench [ROWS] [WORK_DIR]   (ROWS defaults to 65000)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "host/xlsx_zip.hpp"

namespace {

using namespace vardex::host;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

// The template: four sheets with headings and number formats, and the input rows filled in.
void MakeTemplate(const std::filesystem::path& path, int32_t rows) {
  Workbook book;
  const uint32_t three = AddNumberFormatStyle(book, "0.000");
  const uint32_t one = AddNumberFormatStyle(book, "0.0");
  Worksheet& input = book.SheetAt(0);
  for (const char* name : {"水准表", "放线记录表", "平面位置检测表"}) {
    Worksheet& s = book.AddSheet(name);
    for (int32_t c = 1; c <= 17; ++c) s.SetValue(CellRef{4, c}, "列" + std::to_string(c));
    for (int32_t c = 1; c <= 9; ++c) s.SetStyleIndex(CellRef{8, c}, c % 2 ? three : one);
  }
  for (int32_t r = 8; r < 8 + rows; ++r) {
    input.SetText(CellRef{r, 1}, "P" + std::to_string(r - 7));
    input.SetValue(CellRef{r, 2}, 3500000.0 + r * 1.234);
    input.SetValue(CellRef{r, 3}, 500000.0 + r * 0.567);
    input.SetValue(CellRef{r, 4}, 100.0 + r * 0.001);
    input.SetValue(CellRef{r, 5}, 1.5 + (r % 7) * 0.01);
    input.SetValue(CellRef{r, 6}, 100.25 + (r % 13) * 0.001);
  }
  book.SaveAs(path);
}

struct Figures {
  double load = 0, write = 0, save = 0;
  long cells = 0;
};

Figures Cycle(const std::filesystem::path& in, const std::filesystem::path& out, int32_t rows) {
  Figures f;
  const auto t0 = Clock::now();
  Workbook book = Workbook::Open(in);
  const auto t1 = Clock::now();
  // Levelling record: 9 columns per row; the plane tables: 9 each, names as text and numbers
  // as the generators write them (some pre-formatted as text).
  Worksheet& level = book.Sheet("水准表");
  level.ClearContents(*ParseRangeRef("A5:I65536"));
  for (int32_t r = 5; r < 5 + rows; ++r) {
    level.SetText(CellRef{r, 1}, "TP" + std::to_string(r));
    for (int32_t c = 2; c <= 9; ++c) level.SetValue(CellRef{r, c}, 1.0 + r * 0.001 + c * 0.01);
  }
  for (const char* name : {"放线记录表", "平面位置检测表"}) {
    Worksheet& s = book.Sheet(name);
    s.ClearContents(*ParseRangeRef("A9:Q65535"));
    for (int32_t r = 8; r < 8 + rows; ++r) {
      s.SetText(CellRef{r, 1}, "P" + std::to_string(r));
      for (int32_t c = 2; c <= 7; ++c) s.SetValue(CellRef{r, c}, 3500000.0 + r * 1.1 + c);
      s.SetValue(CellRef{r, 8}, std::to_string(r % 50) + ".");
      s.SetText(CellRef{r, 9}, std::to_string(r % 360) + "°12′30″");
    }
  }
  f.cells = 9L * rows * 3;
  const auto t2 = Clock::now();
  book.SaveAs(out);
  const auto t3 = Clock::now();
  f.load = Seconds(t0, t1);
  f.write = Seconds(t1, t2);
  f.save = Seconds(t2, t3);
  return f;
}

std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The size of the same parts deflated with zlib at level 6, plus the zip's own overhead.
uintmax_t Level6Size(const std::filesystem::path& file) {
  auto bytes = std::make_shared<const std::string>(ReadFile(file));
  vardex::host::detail::Package pkg(bytes, file.filename().string());
  uintmax_t total = 0;
  for (const auto& e : pkg.Entries()) {
    const std::string data = pkg.Read(e.name);
    uLongf n = compressBound(static_cast<uLong>(data.size()));
    std::string out(n, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), 6);
    total += n - 6;  // zlib wrapper (2-byte header, 4-byte checksum) is not in a zip
    total += 30 + 46 + 2 * e.name.size();  // local and central headers
  }
  return total + 22;
}

// 49,000 cells on rows spread evenly down the whole sheet, across the columns, the first at A1 and
// the last at XFD1048576.
void MakeSparse(const std::filesystem::path& path) {
  constexpr int32_t kCells = 49000;
  Workbook book;
  Worksheet& sheet = book.SheetAt(0);
  for (int32_t i = 0; i < kCells; ++i) {
    const auto row = static_cast<int32_t>(1 + int64_t{i} * (kMaxRows - 1) / (kCells - 1));
    const auto column = static_cast<int32_t>(1 + int64_t{i} * (kMaxColumns - 1) / (kCells - 1));
    sheet.SetValue(CellRef{row, column}, i * 0.5);
  }
  book.SaveAs(path);
}

// Loads `path` and prints the seconds it took (the child's side of the sparse figure).
int LoadOnly(const std::filesystem::path& path) {
  const auto t0 = Clock::now();
  const Workbook book = Workbook::Open(path);
  const std::optional<RangeRef> used = book.SheetAt(0).UsedRange();
  const auto t1 = Clock::now();
  std::printf("%f %d\n", Seconds(t0, t1), used ? used->last.row : 0);
  return 0;
}

// Load time and peak memory of a fresh process that loads `path`.
void SparseFigures(const char* self, const std::filesystem::path& path) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipefd[1], STDOUT_FILENO);
    close(pipefd[0]);
    const std::string file = path.string();
    execl(self, self, "--load", file.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipefd[1]);
  char buf[128] = {};
  const ssize_t got = read(pipefd[0], buf, sizeof buf - 1);
  close(pipefd[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  double seconds = 0;
  int last_row = 0;
  if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(buf, "%lf %d", &seconds, &last_row) != 2) {
    std::fputs("the sparse load failed\n", stderr);
    return;
  }
  std::printf(
      "sparse sheet (49,000 cells, used range to row %d): load %.3f s, peak %.1f MB "
      "(target 64 MB)\n",
      last_row, seconds, static_cast<double>(usage.ru_maxrss) / 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--load") return LoadOnly(argv[2]);
  const int32_t rows = argc > 1 ? std::atoi(argv[1]) : 65000;
  const std::filesystem::path dir =
      argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
  const auto in = dir / "engine_bench_template.xlsx";
  const auto out = dir / "engine_bench_out.xlsx";
  MakeTemplate(in, rows);
  std::printf("template: %d input rows, %ju bytes\n", rows,
              static_cast<uintmax_t>(std::filesystem::file_size(in)));

  // The cycle runs in a child so that its peak memory is its own.
  int pipefd[2];
  if (pipe(pipefd) != 0) return 1;
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    const Figures f = Cycle(in, out, rows);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    char line[256];
    const int n = std::snprintf(line, sizeof line, "%f %f %f %ld %ld %f\n", f.load, f.write, f.save,
                                f.cells, usage.ru_maxrss, cpu);
    if (write(pipefd[1], line, static_cast<std::size_t>(n)) != n) _exit(1);
    _exit(0);
  }
  close(pipefd[1]);
  char buf[256] = {};
  const ssize_t got = read(pipefd[0], buf, sizeof buf - 1);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fputs("the cycle failed\n", stderr);
    return 1;
  }
  double load = 0, write_s = 0, save = 0;
  long cells = 0, maxrss_kb = 0;
  double cpu = 0;
  std::sscanf(buf, "%lf %lf %lf %ld %ld %lf", &load, &write_s, &save, &cells, &maxrss_kb, &cpu);
  const auto size = std::filesystem::file_size(out);
  const auto level6 = Level6Size(out);
  std::printf("load:  %.3f s\n", load);
  std::printf("write: %.3f s (%ld cells, %.0f ns per cell)\n", write_s, cells,
              write_s * 1e9 / static_cast<double>(cells));
  std::printf("save:  %.3f s\n", save);
  std::printf("cycle: %.3f s (target 1.0 s); processor time of the cycle %.3f s on %u threads\n",
              load + write_s + save, cpu, std::thread::hardware_concurrency());
  double load_avg[1] = {0};
  if (getloadavg(load_avg, 1) == 1) std::printf("machine load average: %.2f\n", load_avg[0]);
  std::printf(
      "output: %ju bytes, %.2f times the same parts at deflate level 6 (%ju bytes; "
      "target 1.3)\n",
      static_cast<uintmax_t>(size), static_cast<double>(size) / static_cast<double>(level6),
      level6);
  std::printf("peak memory of the cycle: %.1f MB (target 250 MB)\n",
              static_cast<double>(maxrss_kb) / 1024.0);
  std::filesystem::remove(in);
  std::filesystem::remove(out);

  const auto sparse = dir / "engine_bench_sparse.xlsx";
  MakeSparse(sparse);
  SparseFigures("/proc/self/exe", sparse);
  std::filesystem::remove(sparse);
  return 0;
}
