// Building the levelling record of an observed line: matching its points to the project, working
// the elevations from the readings, and the closing rows.
#include "levelling/measured_record.hpp"

#include <cmath>
#include <map>
#include <utility>

#include "levelling/levelling_texts.hpp"
#include "levelling/measured_layout.hpp"
#include "numeric/number_text.hpp"
#include "settings/levelling_class.hpp"

namespace vardex {
namespace {

namespace texts = levelling_texts;
using host::HostError;

enum Column : std::size_t { kA = 0, kB, kC, kD, kE, kF, kG, kH, kI, kJ };

constexpr std::size_t kMaxRecordRows =
    static_cast<std::size_t>(kLevellingLastClearedRow - kLevellingFirstRow + 1);
// Heights the instrument stored agree with ours up to the rounding of its last digit.
constexpr double kHeightTolerance = 0.0015;

std::string Where(const FieldSource& source) {
  return "文件“" + source.File + "”第 " + std::to_string(source.Line) + " 行";
}

[[noreturn]] void Fail(const FieldSource& source, const std::string& detail) {
  throw HostError(host::kErrTypeMismatch, Where(source) + "：" + detail);
}

// Elevations and corrections of one set-up, worked before any row is written.
struct SetupResult {
  double line_of_sight = 0;
  double fore_elevation = 0;
  double back_correction = 0;  // mm, of the back point and the set-up's intermediate points
  double fore_correction = 0;  // mm, of the fore point
};

class MeasuredRecordBuilder {
 public:
  MeasuredRecordBuilder(const LevellingInputSheet& input, const MeasuredLevellingLine& line,
                        const SurveySettings& settings, MisclosureDistribution distribution)
      : input_(input),
        line_(line),
        settings_(settings),
        distribution_(distribution),
        names_(detail::ProjectPointNames(input.Rows)),
        factor_(ReadingFactor(settings)) {}

  MeasuredLevellingRecord Build() {
    CheckEnds();
    WorkElevations();
    JudgeMisclosure();
    Distribute();
    WriteRows();
    WriteClosingRows();
    CrossCheckHeights();
    for (std::size_t row = 0; row < input_.Rows.size(); ++row) {
      if (!observed_rows_.contains(row)) {
        const LevellingInputRow& project = input_.Rows[row];
        summary_.NotObserved.push_back(
            {RemoveSpaces(project.Name + project.SideText),
             std::string(texts::kInputSheet) + " A" + std::to_string(project.Row), ""});
      }
    }
    record_.SetupCount = summary_.Setups;
    return {std::move(record_), std::move(summary_)};
  }

 private:
  void CheckEnds() const {
    const MeasuredSight& first = line_.Setups.front().Back;
    const MeasuredSight& last = line_.Setups.back().Fore;
    const std::string start = RemoveSpaces(input_.StartBenchmarkName);
    const std::string end = RemoveSpaces(input_.EndBenchmarkName);
    if (MatchKey(first.Point) != MatchKey(start)) {
      Fail(first.Source, "水准路线的起点“" + first.Point + "”不是项目的起始水准点“" + start +
                             "”（" + std::string(texts::kInputSheet) + " E5）");
    }
    if (MatchKey(last.Point) != MatchKey(end)) {
      Fail(last.Source, "水准路线的终点“" + last.Point + "”不是项目的终点水准点“" + end + "”（" +
                            std::string(texts::kInputSheet) + " F5）");
    }
  }

  void WorkElevations() {
    double back_elevation = input_.StartBenchmarkElevation;
    double length = 0;
    bool all_distances = true;
    for (const MeasuredSetup& setup : line_.Setups) {
      SetupResult result;
      result.line_of_sight = back_elevation + setup.Back.Reading;
      result.fore_elevation = result.line_of_sight - setup.Fore.Reading;
      if (setup.Back.Distance && setup.Fore.Distance) {
        length += *setup.Back.Distance + *setup.Fore.Distance;
      } else {
        all_distances = false;
      }
      results_.push_back(result);
      back_elevation = result.fore_elevation;
    }
    summary_.Setups = static_cast<int32_t>(line_.Setups.size());
    if (all_distances) summary_.LengthKm = length / 1000.0;
    summary_.MisclosureMm = (back_elevation - input_.EndBenchmarkElevation) * 1000.0;
  }

  // The first set-up without both sight distances, for the message when the length is needed.
  const FieldSource& MissingDistance() const {
    for (const MeasuredSetup& setup : line_.Setups) {
      if (!setup.Back.Distance) return setup.Back.Source;
      if (!setup.Fore.Distance) return setup.Fore.Source;
    }
    return line_.Setups.front().Back.Source;
  }

  void JudgeMisclosure() {
    const ClosureBasis basis = settings_.ClosureBy;
    if (basis == ClosureBasis::Length && !summary_.LengthKm) {
      Fail(MissingDistance(), "缺少视距，无法按路线长度 L 计算允许闭合差；请改按测站数 n 计算");
    }
    // The length as the closing row states it, to the metre, so that the check reproduces the
    // allowable value from the record alone.
    const double length_km =
        summary_.LengthKm ? std::round(*summary_.LengthKm * 1000.0) / 1000.0 : 0.0;
    if (summary_.LengthKm) summary_.LengthKm = length_km;
    summary_.AllowableMm =
        AllowableClosureMm(settings_.LevelClass, basis, summary_.Setups, length_km);
    summary_.AllowableText =
        AllowableClosureText(settings_.LevelClass, basis, summary_.Setups, length_km);
    summary_.WithinAllowable = std::fabs(summary_.MisclosureMm) <= summary_.AllowableMm + 1e-9;
  }

  // Corrections of opposite sign to the misclosure: each set-up takes an equal share, or a share
  // in proportion to its two sight distances. A point read from set-up k shares the correction of
  // the set-up's back point (its line of sight is adjusted with it); the fore point adds the
  // set-up's own share.
  void Distribute() {
    if (distribution_ == MisclosureDistribution::None) return;
    if (distribution_ == MisclosureDistribution::ByDistance && !summary_.LengthKm) {
      Fail(MissingDistance(), "缺少视距，无法按视距长度分配闭合差；请改按测站数分配");
    }
    const double total = -summary_.MisclosureMm;
    double length = 0;
    for (const MeasuredSetup& setup : line_.Setups) {
      if (distribution_ == MisclosureDistribution::ByDistance) {
        length += *setup.Back.Distance + *setup.Fore.Distance;
      }
    }
    double done = 0;
    double travelled = 0;
    for (std::size_t k = 0; k < results_.size(); ++k) {
      SetupResult& result = results_[k];
      result.back_correction = done;
      if (distribution_ == MisclosureDistribution::BySetups) {
        done = total * static_cast<double>(k + 1) / static_cast<double>(results_.size());
      } else {
        travelled += *line_.Setups[k].Back.Distance + *line_.Setups[k].Fore.Distance;
        done = length > 0 ? total * travelled / length : total;
      }
      result.fore_correction = done;
    }
    record_.CorrectionHeading = std::string(texts::kCorrectionHeading);
  }

  LevellingRow& Add(LevellingRowKind kind) {
    if (record_.Rows.size() >= kMaxRecordRows) {
      throw HostError(
          host::kErrCannotOpen,
          "水准表记录超出第 " + std::to_string(kLevellingLastClearedRow) + " 行；水准表未改动");
    }
    record_.Rows.push_back(LevellingRow{kind, {}});
    return record_.Rows.back();
  }

  static void Put(LevellingRow& row, Column column, double value, const FieldSource& source) {
    if (!std::isfinite(value)) Fail(source, "数值超出范围，无法写入水准表");
    row.Cells[column] = value;
  }

  void PutCorrection(LevellingRow& row, double correction, const FieldSource& source) const {
    if (distribution_ != MisclosureDistribution::None) Put(row, kJ, correction, source);
  }

  // Name, design elevation, difference and remark of an observed point. Returns whether the
  // point is one of the project's.
  bool PutPoint(LevellingRow& row, const MeasuredSight& sight, double elevation, bool note_absent) {
    const NameMatch match = names_.Find(sight.Point);
    if (!match.index) {
      row.Cells[kA] = RemoveSpaces(sight.Point);
      if (note_absent) {
        const std::string note(match.ambiguous ? texts::kAmbiguousName : texts::kNotInProject);
        row.Cells[kI] = note;
        summary_.NotInProject.push_back(
            {sight.Point, Where(sight.Source), match.ambiguous ? note : std::string()});
      }
      return false;
    }
    const auto [at, first] = observed_rows_.emplace(*match.index, sight.Source);
    if (!first) {
      Fail(sight.Source, "点“" + sight.Point + "”与" + Where(at->second) +
                             "观测的点是项目中的同一点（" + std::string(texts::kInputSheet) + " A" +
                             std::to_string(input_.Rows[*match.index].Row) + "）");
    }
    ++summary_.MatchedPoints;
    const LevellingInputRow& project = input_.Rows[*match.index];
    row.Cells[kA] = RemoveSpaces(project.Name + project.SideText);
    Put(row, kF, elevation, sight.Source);
    if (project.DesignElevation != 0) {
      Put(row, kG, project.DesignElevation, sight.Source);
      Put(row, kH, (elevation - project.DesignElevation) * 1000.0, sight.Source);
    } else {
      row.Cells[kG] = std::string();
      row.Cells[kH] = std::string();
    }
    return true;
  }

  void WriteRows() {
    const MeasuredSight& first = line_.Setups.front().Back;
    LevellingRow& start = Add(LevellingRowKind::StartBenchmark);
    start.Cells[kA] = RemoveSpaces(input_.StartBenchmarkName);
    Put(start, kB, first.Reading * factor_, first.Source);
    Put(start, kE, results_.front().line_of_sight, first.Source);
    Put(start, kG, input_.StartBenchmarkElevation, first.Source);
    elevations_.emplace(MatchKey(first.Point), input_.StartBenchmarkElevation);

    const std::size_t count = line_.Setups.size();
    for (std::size_t k = 0; k < count; ++k) {
      const MeasuredSetup& setup = line_.Setups[k];
      const SetupResult& result = results_[k];
      for (const MeasuredSight& sight : setup.Intermediates) {
        const double elevation = result.line_of_sight - sight.Reading;
        LevellingRow& row = Add(LevellingRowKind::Point);
        if (!PutPoint(row, sight, elevation, true)) Put(row, kF, elevation, sight.Source);
        Put(row, settings_.ShowMidPoints ? kC : kD, sight.Reading * factor_, sight.Source);
        PutCorrection(row, result.back_correction, sight.Source);
        elevations_.emplace(MatchKey(sight.Point), elevation);
      }
      const MeasuredSight& fore = setup.Fore;
      elevations_.emplace(MatchKey(fore.Point), result.fore_elevation);
      if (k + 1 == count) {
        WriteEndRow(fore, result);
        break;
      }
      const MeasuredSight& next_back = line_.Setups[k + 1].Back;
      LevellingRow& row = Add(LevellingRowKind::TurnPoint);
      const bool project_point = PutPoint(row, fore, result.fore_elevation, false);
      if (!project_point && settings_.ShowTurnPointElevation) {
        Put(row, kF, result.fore_elevation, fore.Source);
      }
      Put(row, kB, next_back.Reading * factor_, next_back.Source);
      Put(row, kD, fore.Reading * factor_, fore.Source);
      Put(row, kE, results_[k + 1].line_of_sight, next_back.Source);
      PutCorrection(row, result.fore_correction, fore.Source);
    }
  }

  void WriteEndRow(const MeasuredSight& fore, const SetupResult& result) {
    LevellingRow& row = Add(LevellingRowKind::EndBenchmark);
    row.Cells[kA] = RemoveSpaces(input_.EndBenchmarkName);
    Put(row, kD, fore.Reading * factor_, fore.Source);
    Put(row, kF, result.fore_elevation, fore.Source);
    if (input_.EndBenchmarkElevation != 0) {
      Put(row, kG, input_.EndBenchmarkElevation, fore.Source);
      Put(row, kH, summary_.MisclosureMm, fore.Source);
    } else {
      row.Cells[kG] = std::string();
      row.Cells[kH] = std::string();
    }
    PutCorrection(row, result.fore_correction, fore.Source);
  }

  void WriteClosingRows() {
    const FieldSource& end = line_.Setups.back().Fore.Source;
    LevellingRow& misclosure = Add(LevellingRowKind::Closing);
    misclosure.Cells[kA] = std::string(texts::kMisclosureLabel);
    misclosure.Cells[kB] = std::string(texts::kMisclosureText);
    Put(misclosure, kH, summary_.MisclosureMm, end);

    LevellingRow& allowable = Add(LevellingRowKind::Closing);
    allowable.Cells[kA] = std::string(texts::kAllowableLabel);
    allowable.Cells[kB] = detail::AllowableStatement(settings_, summary_.Setups, summary_.LengthKm);
    Put(allowable, kH, summary_.AllowableMm, end);

    LevellingRow& verdict = Add(LevellingRowKind::Closing);
    verdict.Cells[kA] = std::string(texts::kVerdictLabel);
    verdict.Cells[kB] = std::string(summary_.WithinAllowable ? texts::kWithin : texts::kBeyond);

    if (distribution_ != MisclosureDistribution::None) {
      LevellingRow& shared = Add(LevellingRowKind::Closing);
      shared.Cells[kA] = std::string(texts::kDistributionLabel);
      shared.Cells[kB] =
          std::string(distribution_ == MisclosureDistribution::BySetups ? texts::kBySetupsText
                                                                        : texts::kByDistanceText);
      Put(shared, kH, -summary_.MisclosureMm, end);
    }
    record_.AllowableClosureText = summary_.AllowableText;
  }

  // Instruments often count heights from 0 or an arbitrary start: the difference between their
  // heights and ours is the same everywhere, or a reading was misrecorded.
  void CrossCheckHeights() {
    std::optional<double> offset;
    for (const RecordedHeight& recorded : line_.RecordedHeights) {
      const auto ours = elevations_.find(MatchKey(recorded.Point));
      if (ours == elevations_.end()) continue;
      const double difference = ours->second - recorded.Height;
      if (!offset) {
        offset = difference;
        continue;
      }
      const double off_mm = (difference - *offset) * 1000.0;
      if (std::fabs(off_mm) > kHeightTolerance * 1000.0) {
        summary_.HeightWarnings.push_back(Where(recorded.Source) + "：仪器记录的点“" +
                                          recorded.Point + "”高程与读数推算的相差 " +
                                          DecimalText(off_mm, 1) + " 毫米");
      }
    }
  }

  const LevellingInputSheet& input_;
  const MeasuredLevellingLine& line_;
  const SurveySettings& settings_;
  const MisclosureDistribution distribution_;
  const PointNameIndex names_;
  const double factor_;
  std::vector<SetupResult> results_;
  std::map<std::size_t, FieldSource> observed_rows_;
  std::map<std::string, double> elevations_;
  LevellingRecord record_;
  MeasuredLineSummary summary_;
};

}  // namespace

std::string_view MisclosureDistributionName(MisclosureDistribution distribution) {
  switch (distribution) {
    case MisclosureDistribution::None:
      return "none";
    case MisclosureDistribution::BySetups:
      return "n";
    case MisclosureDistribution::ByDistance:
      return "L";
  }
  return "none";
}

std::optional<MisclosureDistribution> ParseMisclosureDistribution(std::string_view name) {
  if (name == "none") return MisclosureDistribution::None;
  if (name == "n") return MisclosureDistribution::BySetups;
  if (name == "L") return MisclosureDistribution::ByDistance;
  return std::nullopt;
}

MeasuredLevellingRecord BuildMeasuredLevellingRecord(const LevellingInputSheet& input,
                                                     const MeasuredLevellingLine& line,
                                                     const SurveySettings& settings,
                                                     MisclosureDistribution distribution) {
  if (line.Setups.empty()) {
    throw HostError(host::kErrTypeMismatch, "观测文件中没有水准读数");
  }
  return MeasuredRecordBuilder(input, line, settings, distribution).Build();
}

}  // namespace vardex
