// Field data on a whole project: read through src/fielddata, turned into records by
// src/levelling and src/plane, written and recorded here.
#include "project/field_data.hpp"

#include <cmath>

#include "fielddata/levelling_files.hpp"
#include "levelling/levelling_input.hpp"
#include "numeric/number_text.hpp"
#include "numeric/numeric_helpers.hpp"
#include "numeric/point_names.hpp"
#include "plane/measured_tables.hpp"
#include "project/field_texts.hpp"

namespace vardex {
namespace {

namespace texts = field_texts;

FieldFileRecord RecordOf(const FieldFile& file) { return {file.Name, FieldFileDigest(file)}; }

std::string Listed(const std::vector<UnmatchedPoint>& points, std::size_t most) {
  std::string text;
  for (std::size_t i = 0; i < points.size() && i < most; ++i) {
    if (i > 0) text += texts::kListSeparator;
    text += points[i].Name + "（" + points[i].Where;
    if (!points[i].Note.empty()) text += "，" + points[i].Note;
    text += "）";
  }
  if (points.size() > most) text += " 等，共 " + std::to_string(points.size()) + " 个";
  return text;
}

std::string Listed(const std::vector<std::string>& names, std::size_t most) {
  std::string text;
  for (std::size_t i = 0; i < names.size() && i < most; ++i) {
    if (i > 0) text += texts::kListSeparator;
    text += names[i];
  }
  if (names.size() > most) text += " 等，共 " + std::to_string(names.size()) + " 个";
  return text;
}

// Millimetres to a tenth, with the sign of a misclosure: "+3.4", "-4", "0".
std::string SignedTenths(double millimetres) {
  const double tenths = std::round(millimetres * 10.0) / 10.0;
  const std::string text = GeneralNumberText(tenths);
  return tenths > 0 ? "+" + text : text;
}

}  // namespace

LevelImportResult ImportLevellingFieldData(host::Workbook& book,
                                           const std::vector<FieldFile>& files,
                                           const SettingsForm& form, const SurveySettings& settings,
                                           MisclosureDistribution distribution) {
  const LevellingInputSheet input = ReadLevellingInputSheet(book);
  const MeasuredLevellingLine line = ReadLevellingLine(files);
  MeasuredLevellingRecord record =
      BuildMeasuredLevellingRecord(input, line, settings, distribution);
  LevelImportResult result;
  for (const FieldFile& file : files) result.files.push_back(RecordOf(file));
  WriteLevellingRecord(book, record.Record);
  RecordFieldLevelling(book, form, result.files, distribution);
  result.summary = std::move(record.Summary);
  return result;
}

StakeoutImportResult ImportStakeoutMeasurements(host::Workbook& book, const FieldFile& file,
                                                const SettingsForm& form,
                                                const SurveySettings& settings) {
  const PlaneInput input = ReadPlaneInputSheet(book);
  const std::vector<SurveyedPoint> surveyed = ReadSurveyedPoints(file);
  const StakeoutMatch match = MatchStakeMeasurements(input, surveyed, settings);
  StakeoutImportResult result;
  result.file = RecordOf(file);
  WriteMeasuredPlaneTables(book, match);
  RecordFieldPlane(book, form, {result.file});
  result.stakePoints = input.StakePoints.size();
  for (std::size_t i = 0; i < match.Measured.size(); ++i) {
    if (match.Measured[i]) ++result.measured;
    if (match.OutOfTolerance[i]) {
      const StakePoint& point = input.StakePoints[i];
      result.outOfTolerance.push_back(RemoveSpaces(point.Name + point.SideText));
    }
  }
  result.notInProject = match.NotInProject;
  result.notMeasured = match.NotMeasured;
  result.controlPoints = match.ControlPoints;
  return result;
}

StakeoutExport ExportStakeoutPoints(const host::Workbook& book, StakeoutFormat format,
                                    FileEncoding encoding, std::string_view target,
                                    std::string_view stamp) {
  const PlaneInput plane = ReadPlaneInputSheet(book);
  const LevellingInputSheet levelling = ReadLevellingInputSheet(book);
  PointNameIndex names;
  for (const StakePoint& point : plane.StakePoints) names.Add(point.Name, point.SideText);

  std::vector<SurveyedPoint> points;
  for (const PlanePoint* control : {&plane.StationPoint, &plane.BackSightPoint}) {
    points.push_back({RemoveSpaces(control->Name), control->X, control->Y, control->H, {}});
  }
  const bool ascii_only = format == StakeoutFormat::Gsi16;
  for (std::size_t i = 0; i < plane.StakePoints.size(); ++i) {
    const StakePoint& stake = plane.StakePoints[i];
    std::string name = RemoveSpaces(stake.Name);
    // A name other rows share would not find its row again; its side text tells them apart.
    if (names.Shared(stake.Name)) {
      name += RemoveSpaces(ascii_only ? AsciiSideText(stake.SideText) : stake.SideText);
    }
    SurveyedPoint point{name, stake.DesignX, stake.DesignY, std::nullopt, {}};
    // The rows of both blocks are the same rows: a design elevation belongs to the point.
    if (i < levelling.Rows.size() && levelling.Rows[i].DesignElevation != 0) {
      point.H = levelling.Rows[i].DesignElevation;
    }
    points.push_back(std::move(point));
  }
  return {WriteStakeoutFile(points, format, encoding, target, stamp), points.size()};
}

std::vector<std::string> LevelImportReport(const LevelImportResult& result, std::size_t most) {
  const MeasuredLineSummary& summary = result.summary;
  std::vector<std::string> lines;
  std::string head = texts::FilesRead(result.files.size(), summary.Setups);
  if (summary.LengthKm) head += texts::LineLength(DecimalText(*summary.LengthKm, 3));
  lines.push_back(head);
  lines.push_back(texts::Matched(summary.MatchedPoints));
  if (!summary.NotInProject.empty()) {
    lines.push_back(texts::NotInProject(summary.NotInProject.size()) +
                    Listed(summary.NotInProject, most));
  }
  if (!summary.NotObserved.empty()) {
    lines.push_back(texts::NotObserved(summary.NotObserved.size()) +
                    Listed(summary.NotObserved, most));
  }
  for (const std::string& warning : summary.HeightWarnings) {
    lines.push_back(std::string(texts::kHeightWarnings) + warning);
  }
  lines.push_back(texts::Misclosure(SignedTenths(summary.MisclosureMm), summary.AllowableText,
                                    summary.WithinAllowable));
  return lines;
}

std::vector<std::string> StakeoutImportReport(const StakeoutImportResult& result,
                                              std::size_t most) {
  std::vector<std::string> lines;
  lines.push_back(texts::CoordinatesRead(result.file.name, result.stakePoints, result.measured));
  if (!result.controlPoints.empty()) {
    lines.push_back(std::string(texts::kControlPoints) + Listed(result.controlPoints, most));
  }
  if (!result.notInProject.empty()) {
    lines.push_back(texts::CoordinatesNotInProject(result.notInProject.size()) +
                    Listed(result.notInProject, most));
  }
  if (!result.notMeasured.empty()) {
    lines.push_back(texts::NotMeasured(result.notMeasured.size()) +
                    Listed(result.notMeasured, most));
  }
  if (!result.outOfTolerance.empty()) {
    lines.push_back(texts::OutOfTolerance(result.outOfTolerance.size()) +
                    Listed(result.outOfTolerance, most));
  }
  return lines;
}

}  // namespace vardex
