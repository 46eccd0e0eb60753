// Times the road alignment on a road of 50 km with 200 intersection points: laying it out,
// 10,000 stations at three offsets each listed and written into the point list of "数据输入"
// (and the project saved), the same as `vardex stations` does it from a project whose sheet
// "线路数据" holds the road (open, read, lay out, list, write, save), and the station and
// offset of 100,000 points. Prints the best of a few runs of each.
//
//   vardex-alignment-bench [--runs N]
//
// The project template is looked for beside this program (the build's bin folder).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numbers>
#include <random>
#include <string>

#include "alignment/alignment_sheet.hpp"
#include "alignment/road_alignment.hpp"
#include "alignment/station_list.hpp"
#include "host/workbook.hpp"

namespace {

namespace fs = std::filesystem;
using namespace vardex;
using Clock = std::chrono::steady_clock;

constexpr int kIntersections = 200;
constexpr double kLeg = 249.0;  // metres between consecutive points: 201 legs make 50 km

// A winding road: turns of 10° to 14° alternately left and right, radii of 300 m to 600 m,
// transitions of 20 m to 50 m that differ before and after the circle, a grade point every
// kilometre with a vertical curve.
AlignmentInput SyntheticRoad() {
  std::mt19937 random(50);
  std::uniform_real_distribution<double> turn(10, 14), radius(300, 600), spiral(20, 50);
  AlignmentInput input;
  double x = 3400000, y = 500000, azimuth = 0.7;
  auto add = [&](const std::string& name) {
    AlignmentPoint point;
    point.Name = name;
    point.X = x;
    point.Y = y;
    input.Points.push_back(point);
  };
  add("BP");
  input.Points.back().Station = 0;
  for (int i = 1; i <= kIntersections + 1; ++i) {
    x += kLeg * std::cos(azimuth);
    y += kLeg * std::sin(azimuth);
    if (i == kIntersections + 1) break;
    add("JD" + std::to_string(i));
    input.Points.back().Radius = radius(random);
    input.Points.back().SpiralIn = spiral(random);
    input.Points.back().SpiralOut = spiral(random);
    azimuth += (i % 2 == 0 ? 1 : -1) * turn(random) * std::numbers::pi / 180;
  }
  add("EP");
  const double length = HorizontalAlignment::Build(input.Points, {}).Length();
  for (double station = 0; station < length - 1000; station += 1000) {
    input.Grades.push_back({station,
                            100 + (static_cast<int>(station / 1000) % 2) * 15.0,
                            station == 0 ? 0.0 : 5000.0,
                            {}});
  }
  input.Grades.push_back({length, 108, 0, {}});
  return input;
}

double Best(int runs, const std::function<void()>& work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 3;
  if (argc == 3 && std::string(argv[1]) == "--runs") runs = std::max(1, std::atoi(argv[2]));
  const fs::path templ = fs::read_symlink("/proc/self/exe").parent_path() / "work.xltx";
  if (!fs::exists(templ)) {
    std::fprintf(stderr, "vardex-alignment-bench: %s is missing; build vardex_template\n",
                 templ.c_str());
    return 1;
  }

  const AlignmentInput input = SyntheticRoad();
  RoadAlignment road;
  const double layout = Best(runs, [&] { road = RoadAlignment::Build(input); });
  std::printf("road: %.2f km, %d intersection points, %zu grade points; laid out in %.1f ms\n",
              road.Horizontal().Length() / 1000, kIntersections, input.Grades.size(), layout * 1e3);

  StationListRequest request;
  request.Every = road.Horizontal().Length() / 10000.0;
  request.Every = std::floor(request.Every * 100) / 100;  // 5.02 m
  request.Offsets = {-12.5, 0, 12.5};
  std::vector<StakeOutRow> rows;
  const double listed = Best(runs, [&] { rows = ListStations(road, request); });
  host::Workbook book = host::Workbook::Open(templ);
  const double written = Best(runs, [&] { WritePointList(book, rows); });
  const fs::path saved = fs::temp_directory_path() / "vardex-alignment-bench.xlsx";
  const double save = Best(runs, [&] { book.SaveAs(saved); });
  std::printf(
      "stations: %zu stations every %.2f m at 3 offsets, %zu points: listed in %.1f ms, written "
      "into 数据输入 in %.1f ms, together %.1f ms; project saved in %.1f ms\n",
      rows.size() / 3, request.Every, rows.size(), listed * 1e3, written * 1e3,
      (listed + written) * 1e3, save * 1e3);

  // The whole command on a project with the road in its sheet.
  WriteAlignmentSheet(book, input);
  book.SaveAs(saved);
  const double command = Best(runs, [&] {
    host::Workbook project = host::Workbook::Open(saved);
    const RoadAlignment from_sheet = RoadAlignment::Build(ReadAlignmentSheet(project));
    WritePointList(project, ListStations(from_sheet, request));
    project.SaveAs(saved);
  });
  fs::remove(saved);
  std::printf("stations command (open, read 线路数据, lay out, list, write, save): %.1f ms\n",
              command * 1e3);

  // Points scattered along the whole road up to 30 m either side.
  std::mt19937 random(100);
  std::uniform_real_distribution<double> along(0, road.Horizontal().Length()), across(-30, 30);
  std::vector<RoadPoint> points;
  for (int i = 0; i < 100000; ++i) points.push_back(road.AtDistance(along(random), across(random)));
  double worst = 0;
  const double reverse = Best(runs, [&] {
    for (const RoadPoint& p : points) {
      const RoadPoint back = road.Nearest(p.X, p.Y);
      worst = std::max(
          {worst, std::fabs(back.Distance - p.Distance), std::fabs(back.Offset - p.Offset)});
    }
  });
  std::printf(
      "reverse: %zu points to station and offset in %.1f ms (%.2f µs each), largest error %.2g m\n",
      points.size(), reverse * 1e3, reverse * 1e6 / static_cast<double>(points.size()), worst);
  return 0;
}
