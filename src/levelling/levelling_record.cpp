// Building the levelling record in memory and writing it to "水准表".
#include "levelling/levelling_record.hpp"

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "levelling/levelling_texts.hpp"
#include "numeric/number_text.hpp"
#include "settings/levelling_class.hpp"

namespace vardex {
namespace {

using host::HostError;
namespace texts = levelling_texts;

enum Column : std::size_t { kA = 0, kB, kC, kD, kE, kF, kG, kH, kI, kJ };

constexpr int32_t kLevellingColumns = 10;               // A to J
constexpr host::CellRef kCorrectionHeadingCell{3, 10};  // J3, framed like H3:H4

// J3:J4 takes the frame, merge and style of H3:H4 and the heading text; with no heading, an
// earlier one and the frame of the correction cells go, so that a generated record written over
// a measured one shows no empty column.
void WriteCorrectionHeading(host::Workbook& book, host::Worksheet& sheet,
                            const std::string& heading) {
  const bool had_heading = !host::IsEmpty(sheet.Value(kCorrectionHeadingCell));
  if (heading.empty()) {
    if (!had_heading) return;
    sheet.ClearContents({kCorrectionHeadingCell, kCorrectionHeadingCell});
    const auto used = sheet.UsedRange();
    const int32_t last = used ? used->last.row : 4;
    for (int32_t row = 3; row <= last; ++row) sheet.SetStyleIndex({row, 10}, 0);
    return;
  }
  if (!had_heading) {
    const host::RangeRef selection = sheet.Selection();
    sheet.Copy({{3, 8}, {4, 8}});
    sheet.Select({{3, 10}, {4, 10}});
    sheet.Paste();
    book.SetCutCopyMode(false);
    sheet.Select(selection);
  }
  sheet.SetValue(kCorrectionHeadingCell, heading);
}

constexpr std::size_t kMaxRecordRows =
    static_cast<std::size_t>(kLevellingLastClearedRow - kLevellingFirstRow + 1);

// Turning points in a row that may fail to bring a reading closer to the staff before the
// generation gives up on a point. Honest progress improves on nearly every set-up; only settings
// whose whole-millimetre windows cannot reach the staff range stall for this long.
constexpr int kStallLimit = 256;

// A bound in metres as whole millimetres (nearest, ties to even), checked to fit RandomInt.
int32_t WholeMillimetres(double metres) {
  const double whole = RoundHalfEven(metres * 1000.0);
  if (!(whole >= std::numeric_limits<int32_t>::min() &&
        whole <= std::numeric_limits<int32_t>::max())) {
    throw HostError(host::kErrOverflow, "水准尺读数界限 " + GeneralNumberText(metres) +
                                            " 米换算为毫米后超出随机读数的范围");
  }
  return static_cast<int32_t>(whole);
}

// A reading in metres drawn as whole millimetres from [lo, hi] (metres).
double DrawReading(double lo, double hi, RandomSource& random) {
  return static_cast<double>(RandomInt(WholeMillimetres(lo), WholeMillimetres(hi), random)) /
         1000.0;
}

std::string PointLabel(const LevellingPoint& point, std::size_t index) {
  const std::string shown = RemoveSpaces(point.Name + point.SideText);
  if (!shown.empty()) return "点“" + shown + "”";
  return "第 " + std::to_string(index + 1) + " 个点";
}

std::string StaffRangeText(const SurveySettings& settings) {
  return "（" + GeneralNumberText(settings.StaffMinReading) + " ～ " +
         GeneralNumberText(settings.StaffMaxReading) + " 米）";
}

class RecordBuilder {
 public:
  LevellingRow& Add(LevellingRowKind kind, const std::string& label) {
    if (record_.Rows.size() >= kMaxRecordRows) {
      throw HostError(host::kErrCannotOpen, "水准表记录在" + label + "处超出第 " +
                                                std::to_string(kLevellingLastClearedRow) +
                                                " 行，超出每次生成前清除的范围；水准表未改动");
    }
    record_.Rows.push_back(LevellingRow{kind, {}});
    label_ = label;
    return record_.Rows.back();
  }

  // Puts a number, refusing what no cell can hold so that the write cannot fail half-way.
  void Put(LevellingRow& row, Column column, double value) const {
    if (!std::isfinite(value)) {
      throw HostError(host::kErrOverflow, label_ + "的数值超出范围，无法写入水准表");
    }
    row.Cells[column] = value;
  }
  static void Put(LevellingRow& row, Column column, std::string text) {
    row.Cells[column] = std::move(text);
  }

  // A generated record has no sight distances: its allowable closing error counts set-ups.
  LevellingRecord Finish(int32_t setups, const SurveySettings& settings) {
    record_.SetupCount = setups;
    record_.AllowableClosureText =
        AllowableClosureText(settings.LevelClass, ClosureBasis::Setups, setups, 0);
    return std::move(record_);
  }

 private:
  LevellingRecord record_;
  std::string label_;
};

// How far a reading lies off the staff, in metres; 0 on the staff or on one of its ends.
double OffStaff(double reading, double min, double max) {
  if (reading >= max) return reading - max;
  if (reading <= min) return min - reading;
  return 0.0;
}

}  // namespace

double ReadingFactor(const SurveySettings& settings) noexcept {
  return settings.ReadingsInMeters ? 1.0 : 1000.0;
}

StationReadings FirstBackSight(double h0, double h1, const SurveySettings& settings,
                               RandomSource& random) {
  const double min = settings.StaffMinReading;
  const double max = settings.StaffMaxReading;
  const double qt = settings.QuickTransferValue;
  const double delta = h1 - h0;
  StationReadings s;
  if (std::fabs(delta) > max) {
    s.BackSight =
        delta > 0 ? DrawReading(max - qt, max, random) : DrawReading(min, min + qt, random);
  } else if (delta > 0) {
    s.BackSight =
        0.9 * max >= min ? DrawReading(0.9 * max, max, random) : DrawReading(min, max, random);
  } else {
    s.BackSight =
        2.5 * min <= max ? DrawReading(min, 2.5 * min, random) : DrawReading(min, max, random);
  }
  s.LineOfSight = h0 + s.BackSight;
  return s;
}

StationReadings TurnStation(double lineOfSight, double target, const SurveySettings& settings,
                            RandomSource& random) {
  const double min = settings.StaffMinReading;
  const double max = settings.StaffMaxReading;
  const double qt = settings.QuickTransferValue;
  StationReadings s;
  if (lineOfSight - target > max) {
    s.BackSight = DrawReading(min, min + qt, random);
    s.ForeSight = DrawReading(max - qt, max, random);
  } else {
    s.BackSight = DrawReading(max - qt, max, random);
    s.ForeSight = DrawReading(min, min + qt, random);
  }
  s.TurnPointElevation = lineOfSight - s.ForeSight;
  s.LineOfSight = (s.BackSight + lineOfSight) - s.ForeSight;
  return s;
}

LevellingRecord BuildLevellingRecord(const LevellingInput& input, const SurveySettings& settings,
                                     RandomSource& random) {
  if (input.Points.empty()) {
    throw HostError(host::kErrSubscript, "水准点列表为空（没有终点水准点），无法生成水准表");
  }
  const double factor = ReadingFactor(settings);
  const double min = settings.StaffMinReading;
  const double max = settings.StaffMaxReading;
  RecordBuilder builder;

  const std::string start_label = "起始水准点“" + RemoveSpaces(input.StartBenchmarkName) + "”";
  LevellingRow& start = builder.Add(LevellingRowKind::StartBenchmark, start_label);
  RecordBuilder::Put(start, kA, RemoveSpaces(input.StartBenchmarkName));
  builder.Put(start, kG, input.StartBenchmarkElevation);
  const StationReadings first = FirstBackSight(
      input.StartBenchmarkElevation, input.Points.front().MeasuredElevation, settings, random);
  builder.Put(start, kB, first.BackSight * factor);
  builder.Put(start, kE, first.LineOfSight);

  double line = first.LineOfSight;
  int32_t setups = 1;
  for (std::size_t i = 0; i < input.Points.size(); ++i) {
    const LevellingPoint& point = input.Points[i];
    const bool is_end = i + 1 == input.Points.size();
    const std::string label = PointLabel(point, i);
    const double target = point.MeasuredElevation;

    double reading = line - target;
    double closest = OffStaff(reading, min, max);
    int stalled = 0;
    while (reading >= max || reading <= min) {
      const StationReadings s = TurnStation(line, target, settings, random);
      LevellingRow& row = builder.Add(LevellingRowKind::TurnPoint, label);
      RecordBuilder::Put(row, kA, settings.TurnPointPrefix + std::to_string(setups));
      builder.Put(row, kB, s.BackSight * factor);
      builder.Put(row, kD, s.ForeSight * factor);
      builder.Put(row, kE, s.LineOfSight);
      if (settings.ShowTurnPointElevation) builder.Put(row, kF, s.TurnPointElevation);
      line = s.LineOfSight;
      ++setups;
      reading = line - target;
      // Whole-millimetre windows narrower than the staff's rounding, or a quick-transfer value
      // below half a millimetre, can make the line of sight swing between the staff's ends for
      // ever; stop once turning points no longer bring the reading any closer.
      const double off = OffStaff(reading, min, max);
      if (off < closest) {
        closest = off;
        stalled = 0;
      } else if (++stalled >= kStallLimit) {
        throw HostError(host::kErrCannotOpen,
                        label + "：转站 " + std::to_string(kStallLimit) +
                            " 次后读数仍不在水准尺读数范围" + StaffRangeText(settings) +
                            "内，快速转站值 " + GeneralNumberText(settings.QuickTransferValue) +
                            " 米无法让读数回到尺上；请检查水准尺读数与快速转站值设置");
      }
    }

    const LevellingRowKind kind = is_end ? LevellingRowKind::EndBenchmark : LevellingRowKind::Point;
    LevellingRow& row = builder.Add(kind, label);
    RecordBuilder::Put(row, kA, RemoveSpaces(point.Name + point.SideText));
    builder.Put(row, kF, point.MeasuredElevation);
    if (point.DesignElevation != 0) {
      builder.Put(row, kG, point.DesignElevation);
      builder.Put(row, kH, (point.MeasuredElevation - point.DesignElevation) * 1000.0);
    } else {
      RecordBuilder::Put(row, kG, std::string());
      RecordBuilder::Put(row, kH, std::string());
    }
    const Column reading_column = (!is_end && settings.ShowMidPoints) ? kC : kD;
    builder.Put(row, reading_column, (line - point.MeasuredElevation) * factor);
  }
  return builder.Finish(setups, settings);
}

void WriteLevellingRecord(host::Workbook& book, const LevellingRecord& record) {
  // Everything that could fail is checked before the first cell changes.
  host::Worksheet& sheet = book.Sheet(texts::kRecordSheet);
  if (record.Rows.size() > kMaxRecordRows) {
    throw HostError(
        host::kErrCannotOpen,
        "水准表记录超出第 " + std::to_string(kLevellingLastClearedRow) + " 行；水准表未改动");
  }
  for (const LevellingRow& row : record.Rows) {
    for (const RecordValue& value : row.Cells) {
      const auto* number = std::get_if<double>(&value);
      if (number != nullptr && !std::isfinite(*number)) {
        throw HostError(host::kErrOverflow, "水准表记录含有超出范围的数值；水准表未改动");
      }
    }
  }

  sheet.Activate();
  sheet.ClearContents({{kLevellingFirstRow, 1}, {kLevellingLastClearedRow, kLevellingColumns}});
  WriteCorrectionHeading(book, sheet, record.CorrectionHeading);
  const uint32_t closing_text_style = sheet.StyleIndex({2, 2});
  // The closing rows' statements run on from B over the empty cells up to G: those cells take
  // the unframed style of B2, so that no frame line crosses the text. A later record's point
  // rows there get the frame of the record's second row back (never a closing row: the start
  // and end benchmarks come first).
  std::array<uint32_t, kH> point_styles{};
  for (std::size_t column = kB; column < kH; ++column) {
    point_styles[column] =
        sheet.StyleIndex({kLevellingFirstRow + 1, static_cast<int32_t>(column) + 1});
  }
  // Corrections are millimetres like the differences in H: they take the record's first H cell's
  // frame and format (the cells further down may have none of their own).
  const uint32_t correction_style = sheet.StyleIndex({kLevellingFirstRow, kH + 1});
  const bool corrections = !record.CorrectionHeading.empty();
  int32_t sheet_row = kLevellingFirstRow;
  for (const LevellingRow& row : record.Rows) {
    const bool closing = row.Kind == LevellingRowKind::Closing;
    for (std::size_t column = 0; column < row.Cells.size(); ++column) {
      const host::CellRef cell{sheet_row, static_cast<int32_t>(column) + 1};
      const RecordValue& value = row.Cells[column];
      if (column >= kB && column < kH) {
        if (closing && !std::holds_alternative<double>(value)) {
          sheet.SetStyleIndex(cell, closing_text_style);
        } else if (!closing && sheet.StyleIndex(cell) == closing_text_style) {
          sheet.SetStyleIndex(cell, point_styles[column]);
        }
      }
      // The whole column of corrections is framed, its empty start row too.
      if (column == kJ && corrections && !closing) sheet.SetStyleIndex(cell, correction_style);
      if (std::holds_alternative<std::monostate>(value)) continue;
      if (column == kJ) sheet.SetStyleIndex(cell, correction_style);
      if (const auto* number = std::get_if<double>(&value)) {
        sheet.SetValue(cell, *number);
      } else if (const auto* text = std::get_if<std::string>(&value)) {
        if (text->empty()) {
          sheet.SetText(cell, "");
        } else {
          sheet.SetValue(cell, std::string_view(*text));
        }
      }
    }
    ++sheet_row;
  }
  sheet.SetText({2, 9}, record.AllowableClosureText);
}

void GenerateLevellingRecord(host::Workbook& book, const SurveySettings& settings,
                             RandomSource& random) {
  const LevellingInput input = ReadLevellingInput(book, settings, random);
  const LevellingRecord record = BuildLevellingRecord(input, settings, random);
  WriteLevellingRecord(book, record);
}

}  // namespace vardex
