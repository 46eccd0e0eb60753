// Custom document properties "Vardex.*" of a calculated workbook.
#include "project/provenance.hpp"

#include <array>
#include <charconv>
#include <chrono>
#include <ctime>
#include <random>
#include <string_view>
#include <system_error>

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
constexpr std::string_view kShowTurnElevation = "show-turn-elevation";
constexpr std::string_view kShowMidPoints = "show-mid-points";
constexpr std::string_view kReadingsInMeters = "readings-in-meters";

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

}  // namespace

void RecordProvenance(host::Workbook& book, const SettingsForm& settings, uint64_t seed) {
  book.SetCustomProperty(kGenerator, kGeneratorValue);
  book.SetCustomProperty(kVersion, VARDEX_VERSION);
  book.SetCustomProperty(kDate, host::platform::UtcNowText());
  book.SetCustomProperty(kSeed, std::to_string(seed));
  for (std::size_t i = 0; i < kPlaneNames.size(); ++i) {
    book.SetCustomProperty(SettingName(kPlaneNames[i]), settings.TextPM[i]);
  }
  for (std::size_t i = 0; i < kLevellingNames.size(); ++i) {
    book.SetCustomProperty(SettingName(kLevellingNames[i]), settings.TextSZ[i]);
  }
  book.SetCustomProperty(SettingName(kShowTurnElevation), settings.CheckSZ ? "true" : "false");
  book.SetCustomProperty(SettingName(kShowMidPoints), settings.CheckZJD ? "true" : "false");
  book.SetCustomProperty(SettingName(kReadingsInMeters), settings.CheckMiters ? "true" : "false");
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
  return provenance;
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
