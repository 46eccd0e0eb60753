// Custom document properties "Vardex.*" of a calculated workbook.
#include "project/provenance.hpp"

#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string_view>
#include <system_error>
#include <vector>

#include "host/platform.hpp"

namespace vardex {
namespace {

constexpr std::string_view kGenerator = "Vardex.Generator";
constexpr std::string_view kVersion = "Vardex.Version";
constexpr std::string_view kDate = "Vardex.Date";
constexpr std::string_view kSeed = "Vardex.Seed";
constexpr std::string_view kGeneratorValue = "Vardex";
// One property per setting, named after its command-line option, so that a reader of the
// document properties can rebuild the command that regenerates the records.
constexpr std::string_view kSettingPrefix = "Vardex.Setting.";

constexpr std::array<std::string_view, 2> kPlaneNames{"plane-tol-minus", "plane-tol-plus"};
constexpr std::array<std::string_view, 8> kLevellingNames{
    "staff-min",         "staff-max",        "mid-tol-minus",  "mid-tol-plus",
    "closure-tol-minus", "closure-tol-plus", "quick-transfer", "prefix"};
constexpr std::string_view kLevelClass = "level-class";
constexpr std::string_view kClosureBy = "closure-by";
constexpr std::string_view kShowTurnElevation = "show-turn-elevation";
constexpr std::string_view kShowMidPoints = "show-mid-points";
constexpr std::string_view kReadingsInMeters = "readings-in-meters";

// Tables made from field data name their files, one "<sha256>  <name>" line each (the form
// sha256sum prints, so that a shell can verify them).
constexpr std::string_view kLevellingSource = "Vardex.Levelling.Source";
constexpr std::string_view kLevellingFiles = "Vardex.Levelling.FieldFiles";
constexpr std::string_view kLevellingDistribution = "Vardex.Levelling.Distribution";
constexpr std::string_view kPlaneSource = "Vardex.Plane.Source";
constexpr std::string_view kPlaneFiles = "Vardex.Plane.FieldFiles";
constexpr std::string_view kFieldSource = "field";

std::string SettingName(std::string_view option) {
  return std::string(kSettingPrefix) + std::string(option);
}

void ReadText(const host::Workbook& book, std::string_view option, std::string& target) {
  if (auto value = book.CustomProperty(SettingName(option))) target = *value;
}

void ReadFlag(const host::Workbook& book, std::string_view option, bool& target) {
  if (auto value = book.CustomProperty(SettingName(option))) {
    if (*value == "true") target = true;
    if (*value == "false") target = false;
  }
}

std::string FileList(const std::vector<FieldFileRecord>& files) {
  std::string text;
  for (const FieldFileRecord& file : files) {
    if (!text.empty()) text += '\n';
    text += file.sha256 + "  " + file.name;
  }
  return text;
}

std::vector<FieldFileRecord> ParseFileList(std::string_view text) {
  std::vector<FieldFileRecord> files;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    const std::size_t gap = line.find("  ");
    if (gap != std::string_view::npos) {
      files.push_back({std::string(line.substr(gap + 2)), std::string(line.substr(0, gap))});
    }
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return files;
}

void RecordCommon(host::Workbook& book, const SettingsForm& settings) {
  book.SetCustomProperty(kGenerator, kGeneratorValue);
  book.SetCustomProperty(kVersion, VARDEX_VERSION);
  book.SetCustomProperty(kDate, host::platform::UtcNowText());
  for (std::size_t i = 0; i < kPlaneNames.size(); ++i) {
    book.SetCustomProperty(SettingName(kPlaneNames[i]), settings.TextPM[i]);
  }
  for (std::size_t i = 0; i < kLevellingNames.size(); ++i) {
    book.SetCustomProperty(SettingName(kLevellingNames[i]), settings.TextSZ[i]);
  }
  book.SetCustomProperty(SettingName(kShowTurnElevation), settings.CheckSZ ? "true" : "false");
  book.SetCustomProperty(SettingName(kShowMidPoints), settings.CheckZJD ? "true" : "false");
  book.SetCustomProperty(SettingName(kReadingsInMeters), settings.CheckMiters ? "true" : "false");
  book.SetCustomProperty(SettingName(kLevelClass), settings.LevelClass);
  book.SetCustomProperty(SettingName(kClosureBy), settings.ClosureBy);
}

}  // namespace

void RecordProvenance(host::Workbook& book, const SettingsForm& settings, uint64_t seed) {
  RecordCommon(book, settings);
  book.SetCustomProperty(kSeed, std::to_string(seed));
  ForgetFieldLevelling(book);
  ForgetFieldPlane(book);
}

void ForgetFieldLevelling(host::Workbook& book) {
  for (const std::string_view name : {kLevellingSource, kLevellingFiles, kLevellingDistribution}) {
    book.RemoveCustomProperty(name);
  }
}

void ForgetFieldPlane(host::Workbook& book) {
  for (const std::string_view name : {kPlaneSource, kPlaneFiles}) book.RemoveCustomProperty(name);
}

void RecordFieldLevelling(host::Workbook& book, const SettingsForm& settings,
                          const std::vector<FieldFileRecord>& files,
                          MisclosureDistribution distribution) {
  RecordCommon(book, settings);
  book.SetCustomProperty(kLevellingSource, kFieldSource);
  book.SetCustomProperty(kLevellingFiles, FileList(files));
  book.SetCustomProperty(kLevellingDistribution, MisclosureDistributionName(distribution));
}

void RecordFieldPlane(host::Workbook& book, const SettingsForm& settings,
                      const std::vector<FieldFileRecord>& files) {
  RecordCommon(book, settings);
  book.SetCustomProperty(kPlaneSource, kFieldSource);
  book.SetCustomProperty(kPlaneFiles, FileList(files));
}

void ForgetProvenance(host::Workbook& book) {
  for (std::string_view name : {kGenerator, kVersion, kDate, kSeed}) {
    book.RemoveCustomProperty(name);
  }
  for (std::string_view option : kPlaneNames) book.RemoveCustomProperty(SettingName(option));
  for (std::string_view option : kLevellingNames) book.RemoveCustomProperty(SettingName(option));
  for (std::string_view option : {kShowTurnElevation, kShowMidPoints, kReadingsInMeters}) {
    book.RemoveCustomProperty(SettingName(option));
  }
}

std::optional<Provenance> ReadProvenance(const host::Workbook& book) {
  if (book.CustomProperty(kGenerator) != std::optional<std::string>(kGeneratorValue)) {
    return std::nullopt;
  }
  Provenance provenance;
  provenance.version = book.CustomProperty(kVersion).value_or("");
  provenance.date = book.CustomProperty(kDate).value_or("");
  if (auto seed = book.CustomProperty(kSeed)) {
    uint64_t value = 0;
    const char* end = seed->data() + seed->size();
    auto [ptr, ec] = std::from_chars(seed->data(), end, value);
    if (ec == std::errc() && ptr == end) provenance.seed = value;
  }
  provenance.settings = GetConfig(InitConfig());
  for (std::size_t i = 0; i < kPlaneNames.size(); ++i) {
    ReadText(book, kPlaneNames[i], provenance.settings.TextPM[i]);
  }
  for (std::size_t i = 0; i < kLevellingNames.size(); ++i) {
    ReadText(book, kLevellingNames[i], provenance.settings.TextSZ[i]);
  }
  ReadFlag(book, kShowTurnElevation, provenance.settings.CheckSZ);
  ReadFlag(book, kShowMidPoints, provenance.settings.CheckZJD);
  ReadFlag(book, kReadingsInMeters, provenance.settings.CheckMiters);
  ReadText(book, kLevelClass, provenance.settings.LevelClass);
  ReadText(book, kClosureBy, provenance.settings.ClosureBy);
  if (book.CustomProperty(kLevellingSource) == std::optional<std::string>(kFieldSource)) {
    provenance.levellingFiles = ParseFileList(book.CustomProperty(kLevellingFiles).value_or(""));
    provenance.distribution =
        ParseMisclosureDistribution(book.CustomProperty(kLevellingDistribution).value_or(""))
            .value_or(MisclosureDistribution::None);
  }
  if (book.CustomProperty(kPlaneSource) == std::optional<std::string>(kFieldSource)) {
    provenance.planeFiles = ParseFileList(book.CustomProperty(kPlaneFiles).value_or(""));
  }
  return provenance;
}

std::string LocalStamp() {
  const host::platform::LocalTime now = host::platform::LocalNow();
  std::array<char, 32> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%04d-%02d-%02dT%02d:%02d:%02d", now.year, now.month,
                now.day, now.hour, now.minute, now.second);
  return buffer.data();
}

uint64_t DrawSeed() {
  std::random_device device;
  const uint64_t entropy = (uint64_t{device()} << 32) ^ uint64_t { device() };
  const auto ticks =
      static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  // random_device may be a fixed-sequence generator on some platforms; the clock still makes
  // two runs differ there.
  return entropy ^ (ticks * 0x9E3779B97F4A7C15ULL);
}

}  // namespace vardex
