// Times reading a large levelling field file and writing its record, as `vardex level` does:
// a GSI-16 line of 50,000 lines (10,000 set-ups, each a back sight, two intermediate sights, a fore
// sight and the height the level stored), against a project whose "数据输入" lists the 20,000
// intermediate points. Prints the time of each step and the total.
//
//   field_bench [LINES] [--runs N]
//
// Each step's best of N runs (default 3) is shown; the file is written to the temporary folder and
// removed afterwards.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "fielddata/field_file.hpp"
#include "fielddata/levelling_files.hpp"
#include "host/workbook.hpp"
#include "project/field_data.hpp"

namespace {

namespace fs = std::filesystem;
using vardex::host::Workbook;

// A GSI-16 length word in 1/100 mm.
std::string Word(const char* head, double metres) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%s+%016lld", head,
                static_cast<long long>(metres * 1e5 + 0.5));
  return buffer;
}

std::string Id(int block, const std::string& name) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "*11%04d+%16s", block % 10000, name.c_str());
  std::string line = buffer;
  std::replace(line.begin() + 8, line.end(), ' ', '0');
  return line;
}

// The file's text and the project: the line climbs and falls by a few centimetres per set-up.
std::string MakeLine(int lines, Workbook& book) {
  vardex::host::Worksheet& input = book.Sheet("数据输入");
  input.SetValue({5, 5}, std::string_view("BM1"));
  input.SetValue({6, 5}, 100.0);
  input.SetValue({5, 6}, std::string_view("BM2"));
  const int setups = lines / 5;
  std::string text;
  text.reserve(static_cast<std::size_t>(lines) * 80);
  double height = 100.0;
  int block = 1;
  int row = 8;
  std::string back = "BM1";
  for (int k = 1; k <= setups; ++k) {
    const double back_reading = 1.5 + 0.01 * (k % 7);
    text +=
        Id(block++, back) + " " + Word("32...8", 30) + " " + Word("331.08", back_reading) + " \n";
    const double line_of_sight = height + back_reading;
    for (int i = 1; i <= 2; ++i) {
      const std::string name = "P" + std::to_string(row - 7);
      const double reading = 1.2 + 0.1 * i;
      text += Id(block++, name) + " " + Word("32...8", 12) + " " + Word("333.08", reading) + " \n";
      input.SetValue({row, 1}, std::string_view(name));
      input.SetValue({row, 5}, line_of_sight - reading);
      ++row;
    }
    const std::string fore = k == setups ? "BM2" : "TP" + std::to_string(k);
    const double fore_reading = 1.5 + 0.01 * ((k + 3) % 7);
    text +=
        Id(block++, fore) + " " + Word("32...8", 30) + " " + Word("332.08", fore_reading) + " \n";
    height = line_of_sight - fore_reading;
    text += Id(block++, fore) + " " + Word("83..08", height) + " \n";
    back = fore;
  }
  input.SetValue({6, 6}, height);
  return text;
}

double Best(int runs, const std::function<void()>& step) {
  double best = 1e300;
  for (int run = 0; run < runs; ++run) {
    const auto start = std::chrono::steady_clock::now();
    step();
    best = std::min(
        best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char* argv[]) {
  int lines = 50000;
  int runs = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoi(argv[++i]);
    } else {
      lines = std::atoi(argv[i]);
    }
  }
  Workbook project = Workbook::Open(VARDEX_TEMPLATE_FILE);
  const std::string text = MakeLine(lines, project);
  const fs::path field = fs::temp_directory_path() / "vardex-field-bench.gsi";
  const fs::path saved = fs::temp_directory_path() / "vardex-field-bench.xlsx";
  std::ofstream(field, std::ios::binary) << text;

  vardex::FieldFile file;
  vardex::MeasuredLevellingLine line;
  vardex::LevelImportResult result;
  const vardex::SurveySettings settings = vardex::InitConfig();
  const vardex::SettingsForm form = vardex::GetConfig(settings);
  const double load = Best(runs, [&] { file = vardex::LoadFieldFile(field); });
  const double parse = Best(runs, [&] { line = vardex::ReadLevellingLine({file}); });
  // Reading, building and writing "水准表" on a fresh copy of the project each run.
  double record = 1e300;
  for (int run = 0; run < runs; ++run) {
    project.SaveAs(saved);
    Workbook book = Workbook::Open(saved);
    const auto start = std::chrono::steady_clock::now();
    result = vardex::ImportLevellingFieldData(book, {file}, form, settings,
                                              vardex::MisclosureDistribution::BySetups);
    record = std::min(
        record, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  Workbook book = Workbook::Open(saved);
  vardex::ImportLevellingFieldData(book, {file}, form, settings,
                                   vardex::MisclosureDistribution::BySetups);
  const double save = Best(runs, [&] { book.SaveAs(saved); });

  std::printf("field_bench: %d lines (%.1f MB), %d set-ups, %zu points matched\n", lines,
              static_cast<double>(text.size()) / (1 << 20), result.summary.Setups,
              result.summary.MatchedPoints);
  std::printf("  load file              %7.3f s\n", load);
  std::printf("  read the line          %7.3f s\n", parse);
  std::printf("  read, build and write  %7.3f s  (\"水准表\", %d rows)\n", record,
              result.summary.Setups * 3 + 5);
  std::printf("  save the workbook      %7.3f s\n", save);
  std::printf("  load + read/build/write %6.3f s\n", load + record);
  fs::remove(field);
  fs::remove(saved);
  return 0;
}
