// Station texts and the chainage across station equations.
#include "alignment/station.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <system_error>

#include "numeric/number_text.hpp"

namespace vardex {
namespace {

// Tolerance for a station at the very end of a stretch, metres.
constexpr double kStationSlack = 1e-4;

std::string Padded(int64_t value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  }
  return digits;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string StationText(double station, int decimals) {
  decimals = std::clamp(decimals, 0, 6);
  int64_t unit = 1;
  for (int i = 0; i < decimals; ++i) unit *= 10;
  // Rounded once, in whole units of the last place, so that the carry from the metres into the
  // kilometres is exact.
  const long double scaled = std::fabs(static_cast<long double>(station)) * unit;
  const auto units = static_cast<int64_t>(std::llround(scaled));
  const int64_t km = units / (1000 * unit);
  const int64_t rest = units % (1000 * unit);
  std::string text = (station < 0 && units != 0) ? "-K" : "K";
  text += std::to_string(km);
  text += '+';
  text += Padded(rest / unit, 3);
  if (decimals > 0) {
    text += '.';
    text += Padded(rest % unit, decimals);
  }
  return text;
}

std::string FixedText(double value, int decimals) {
  if (!std::isfinite(value)) return GeneralNumberText(value);
  decimals = std::clamp(decimals, 0, 9);
  char buffer[64];
  auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return GeneralNumberText(value);
  std::string text(buffer, end);
  if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string StationName(double station) {
  std::string text = StationText(station, 3);
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  return text;
}

std::optional<double> ParseStation(std::string_view text) {
  text = Trimmed(text);
  const std::size_t plus = text.find('+');
  if (plus == std::string_view::npos) {
    const auto metres = ParseNumericText(text);
    if (!metres || !std::isfinite(*metres)) return std::nullopt;
    return metres;
  }
  std::string_view km = text.substr(0, plus);
  while (!km.empty() && IsLetter(km.front())) km.remove_prefix(1);
  if (km.empty() || !std::all_of(km.begin(), km.end(), IsDigit) || km.size() > 9) {
    return std::nullopt;
  }
  const std::string_view metres_text = text.substr(plus + 1);
  if (metres_text.empty() || !IsDigit(metres_text.front())) return std::nullopt;
  const auto metres = ParseNumericText(metres_text);
  if (!metres || *metres >= 1000.0 || metres_text.find_first_of("eE") != std::string_view::npos) {
    return std::nullopt;
  }
  return std::strtod(std::string(km).c_str(), nullptr) * 1000.0 + *metres;
}

Chainage::Chainage(double start_station, double length,
                   const std::vector<StationEquation>& equations) {
  segments_.front() = Segment{0.0, length, start_station};
  for (const StationEquation& equation : equations) {
    Segment& last = segments_.back();
    const double at = last.FromDistance + (equation.Back - last.FromStation);
    if (!(at >= last.FromDistance && at <= last.ToDistance)) continue;
    const double end = last.ToDistance;
    last.ToDistance = at;
    segments_.push_back(Segment{at, end, equation.Ahead});
  }
}

double Chainage::StationAt(double distance) const {
  distance = std::clamp(distance, 0.0, Length());
  // The last stretch that starts at or before the distance: at an equation, the ahead station.
  auto it = std::upper_bound(segments_.begin(), segments_.end(), distance,
                             [](double d, const Segment& s) { return d < s.FromDistance; });
  const Segment& segment = *std::prev(it);
  return segment.FromStation + (distance - segment.FromDistance);
}

std::optional<double> Chainage::DistanceAt(double station) const {
  for (const Segment& segment : segments_) {
    if (station >= segment.FromStation - kStationSlack &&
        station <= segment.ToStation() + kStationSlack) {
      return std::clamp(segment.FromDistance + (station - segment.FromStation),
                        segment.FromDistance, segment.ToDistance);
    }
  }
  return std::nullopt;
}

std::optional<double> Chainage::LastDistanceAt(double station) const {
  for (auto it = segments_.rbegin(); it != segments_.rend(); ++it) {
    if (station >= it->FromStation - kStationSlack && station <= it->ToStation() + kStationSlack) {
      return std::clamp(it->FromDistance + (station - it->FromStation), it->FromDistance,
                        it->ToDistance);
    }
  }
  return std::nullopt;
}

}  // namespace vardex
