// stations and locate: parse the stations, offsets and points of the command line, read the
// alignment from the project's sheet or a LandXML file, and print or save the result.
#include "cli/alignment_commands.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_sheet.hpp"
#include "alignment/landxml.hpp"
#include "alignment/road_alignment.hpp"
#include "alignment/station_list.hpp"
#include "cli/alignment_text.hpp"
#include "cli/cli_text.hpp"
#include "cli/exit_codes.hpp"
#include "host/path_text.hpp"
#include "host/workbook.hpp"
#include "numeric/number_text.hpp"
#include "numeric/survey_functions.hpp"

namespace vardex::cli {
namespace {

namespace at = alignment_text;

void PrintLine(std::FILE* stream, const std::string& line) {
  std::fputs(line.c_str(), stream);
  std::fputc('\n', stream);
}

int UsageError(const std::string& message) {
  PrintLine(stderr, std::string(text::kUsageLead) + message + std::string(text::kSeeHelp));
  return kExitUsage;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = text.find(',', from);
    parts.push_back(text.substr(from, comma - from));
    if (comma == std::string::npos) return parts;
    from = comma + 1;
  }
}

std::optional<double> Metres(const std::string& text) {
  const auto value = ParseNumericText(text);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

bool IsLandXml(const std::filesystem::path& path) {
  std::string extension = host::PathText(path.extension());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".xml";
}

// How many columns a text takes on a terminal: Chinese characters and full-width signs two.
std::size_t DisplayWidth(const std::string& text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    // U+2032 and U+2033 (′ ″) and U+00B0 (°) are narrow; three-byte CJK are wide.
    const bool wide = length == 3 && lead >= 0xE3;
    width += wide ? 2 : 1;
    i += length;
  }
  return width;
}

std::string Padded(const std::string& text, std::size_t width) {
  const std::size_t used = DisplayWidth(text);
  return text + std::string(width > used ? width - used : 0, ' ');
}

// Rows of cells as a table with two blanks between columns.
void PrintTable(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t c = 0; c < row.size(); ++c) {
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += c + 1 < row.size() ? Padded(row[c], widths[c] + 2) : row[c];
    }
    PrintLine(stdout, line);
  }
}

std::string AzimuthDegrees(double azimuth) {
  std::string text = FixedText(azimuth, 8);
  return text == "360.00000000" ? "0.00000000" : text;
}

}  // namespace

AlignmentCommands::AlignmentCommands(CLI::App& app) {
  stations_ = app.add_subcommand("stations", std::string(at::kStationsDescription));
  stations_->add_option("PROJECT", project_, std::string(at::kStationsProjectHelp))
      ->required()
      ->type_name("文件");
  stations_->add_option("--from", from_, std::string(at::kFromHelp))->type_name("桩号");
  stations_->add_option("--to", to_, std::string(at::kToHelp))->type_name("桩号");
  stations_->add_option("--every", every_, std::string(at::kEveryHelp))->type_name("米");
  stations_->add_option("--offsets", offsets_, std::string(at::kOffsetsHelp))->type_name("米,…");
  stations_->add_flag("--main-points", main_points_, std::string(at::kMainPointsHelp));
  stations_->add_option("--at", at_, std::string(at::kAtHelp))->type_name("桩号,…");
  stations_->add_option("--alignment", alignment_, std::string(at::kAlignmentHelp))
      ->type_name("文件");

  locate_ = app.add_subcommand("locate", std::string(at::kLocateDescription));
  locate_->add_option("SOURCE", source_, std::string(at::kLocateSourceHelp))
      ->required()
      ->type_name("文件");
  locate_->add_option("QUERY", queries_, std::string(at::kQueriesHelp))->type_name("桩号/偏距");
  locate_->add_option("--xy", points_, std::string(at::kXyHelp))->type_name("X,Y");
  locate_->add_flag("--tsv", tsv_, std::string(at::kTsvHelp));
}

bool AlignmentCommands::Parsed() const { return stations_->parsed() || locate_->parsed(); }

int AlignmentCommands::Run() const { return stations_->parsed() ? RunStations() : RunLocate(); }

int AlignmentCommands::RunStations() const {
  StationListRequest request;
  for (const auto& [option, text, target] :
       {std::tuple{"--from", &from_, &request.From}, std::tuple{"--to", &to_, &request.To}}) {
    if (text->empty()) continue;
    *target = ParseStation(*text);
    if (!*target) return UsageError(at::BadStation(option, *text));
  }
  if (!every_.empty()) {
    const auto every = Metres(every_);
    if (!every || *every <= 0) return UsageError(at::BadEvery(every_));
    request.Every = *every;
  }
  if (!offsets_.empty()) {
    request.Offsets.clear();
    for (const std::string& part : SplitCommas(offsets_)) {
      const auto offset = Metres(part);
      if (!offset) return UsageError(at::BadOffsets(offsets_));
      request.Offsets.push_back(*offset);
    }
  }
  for (const std::string& list : at_) {
    for (const std::string& part : SplitCommas(list)) {
      const auto station = ParseStation(part);
      if (!station) return UsageError(at::BadStation("--at", part));
      request.At.push_back(*station);
    }
  }
  request.MainPoints = main_points_;
  if (request.Every <= 0 && request.At.empty() && !request.MainPoints) {
    return UsageError(std::string(at::kNothingToList));
  }

  const std::filesystem::path project = host::PathFromText(project_);
  try {
    // Filled in place like calc: held from reading to saving, and not saved over a newer file.
    host::Workbook book = host::Workbook::OpenForUpdate(project);
    const AlignmentInput input =
        alignment_.empty() ? ReadAlignmentSheet(book) : ReadLandXml(host::PathFromText(alignment_));
    const RoadAlignment road = RoadAlignment::Build(input);
    const std::vector<StakeOutRow> rows = ListStations(road, request);
    WritePointList(book, rows);
    book.Save();
    PrintLine(stdout, at::Filled(project_, rows.size(), 7 + static_cast<int>(rows.size())));
    if (!road.HasProfile() && !rows.empty()) PrintLine(stderr, at::NoProfile(project_));
    return kExitOk;
  } catch (const AlignmentRequestError& error) {
    PrintLine(stderr, text::Failed(project_, error.what()));
    return kExitUsage;
  } catch (const std::runtime_error& error) {
    // Bad alignment data (AlignmentError) or a workbook that cannot be opened or saved
    // (HostError): both name the file already.
    PrintLine(stderr, error.what());
    return kExitFailed;
  }
}

int AlignmentCommands::RunLocate() const {
  struct StationQuery {
    std::string text;
    double station, offset;
  };
  std::vector<StationQuery> stations;
  for (const std::string& query : queries_) {
    const std::size_t slash = query.find('/');
    const auto station = ParseStation(query.substr(0, slash));
    const auto offset =
        slash == std::string::npos ? std::optional<double>(0.0) : Metres(query.substr(slash + 1));
    if (!station || !offset) return UsageError(at::BadQuery(query));
    stations.push_back({query, *station, *offset});
  }
  std::vector<std::pair<double, double>> points;
  for (const std::string& text : points_) {
    const std::vector<std::string> parts = SplitCommas(text);
    const auto x = parts.size() == 2 ? Metres(parts[0]) : std::nullopt;
    const auto y = parts.size() == 2 ? Metres(parts[1]) : std::nullopt;
    if (!x || !y) return UsageError(at::BadPoint(text));
    points.emplace_back(*x, *y);
  }
  if (stations.empty() && points.empty()) return UsageError(std::string(at::kNothingToLocate));

  const std::filesystem::path source = host::PathFromText(source_);
  std::vector<RoadPoint> found;
  std::vector<RoadPoint> feet;
  try {
    const AlignmentInput input =
        IsLandXml(source) ? ReadLandXml(source) : ReadAlignmentSheet(host::Workbook::Open(source));
    const RoadAlignment road = RoadAlignment::Build(input);
    // Every query is answered before anything is printed: a script gets all lines or none.
    bool refused = false;
    auto answer = [&](const std::string& query, const std::function<RoadPoint()>& work,
                      std::vector<RoadPoint>& into) {
      try {
        into.push_back(work());
      } catch (const AlignmentRequestError& error) {
        PrintLine(stderr, text::Failed(query, error.what()));
        refused = true;
      }
    };
    for (const StationQuery& query : stations) {
      answer(
          query.text, [&] { return road.AtStation(query.station, query.offset); }, found);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
      answer(
          points_[i], [&] { return road.Nearest(points[i].first, points[i].second); }, feet);
    }
    if (refused) return kExitUsage;
  } catch (const std::runtime_error& error) {
    PrintLine(stderr, error.what());
    return kExitFailed;
  }

  auto elevation = [](const RoadPoint& p, int decimals, const std::string& none) {
    return p.Elevation ? FixedText(*p.Elevation, decimals) : none;
  };
  if (tsv_) {
    for (const RoadPoint& p : found) {
      PrintLine(stdout, StationText(p.Station, 4) + "\t" + FixedText(p.Offset, 4) + "\t" +
                            FixedText(p.X, 4) + "\t" + FixedText(p.Y, 4) + "\t" +
                            elevation(p, 4, "") + "\t" + AzimuthDegrees(p.Azimuth));
    }
    for (const RoadPoint& p : feet) {
      PrintLine(stdout, StationText(p.Station, 4) + "\t" + FixedText(p.Offset, 4));
    }
    return kExitOk;
  }
  if (!found.empty()) {
    std::vector<std::vector<std::string>> rows{
        {std::string(at::kStationHeading), std::string(at::kOffsetHeading),
         std::string(at::kXHeading), std::string(at::kYHeading), std::string(at::kElevationHeading),
         std::string(at::kAzimuthHeading)}};
    for (const RoadPoint& p : found) {
      rows.push_back({StationText(p.Station, 3), FixedText(p.Offset, 3), FixedText(p.X, 4),
                      FixedText(p.Y, 4), elevation(p, 3, std::string(at::kNoValue)),
                      AngleToDmsText(p.Azimuth)});
    }
    PrintTable(rows);
  }
  if (!feet.empty()) {
    if (!found.empty()) PrintLine(stdout, "");
    std::vector<std::vector<std::string>> rows{
        {std::string(at::kXHeading), std::string(at::kYHeading), std::string(at::kStationHeading),
         std::string(at::kOffsetHeading)}};
    for (const RoadPoint& p : feet) {
      rows.push_back({FixedText(p.X, 4), FixedText(p.Y, 4), StationText(p.Station, 3),
                      FixedText(p.Offset, 3)});
    }
    PrintTable(rows);
  }
  return kExitOk;
}

}  // namespace vardex::cli
