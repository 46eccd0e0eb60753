// Stations ("K1+240.000"): writing and reading them, and the chainage that maps the distance
// along the centre line to the stations of the design, across station equations (断链).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardex {

/// `station` (metres) as kilometres, "+", then the metres with three whole digits and exactly
/// `decimals` places (0 to 6): StationText(1240, 3) = "K1+240.000", StationText(23389.92, 4) =
/// "K23+389.9200". Rounds to `decimals` first (halves away from zero), so 1239.9996 with 3
/// decimals gives "K1+240.000". A negative station starts with "-" ("-K0+010.000"). `station`
/// must be finite and below 1e12 in magnitude.
std::string StationText(double station, int decimals);

/// A station as a point name: StationText with 3 decimals without trailing zeros and without a
/// bare point: "K1+240", "K1+245.5", "K0+007.25".
std::string StationName(double station);

/// Reads a station: letters (any ASCII, usually "K", also "DK", "AK", lower case too), the
/// kilometres, "+" and the metres below 1000 ("K1+240", "k1+240.5", "1+003.25"), or a plain
/// number of metres ("1240.5", "-10"). Blanks around it are ignored. Empty for anything else.
std::optional<double> ParseStation(std::string_view text);

/// `value` with exactly `decimals` places (0 to 9), the point as separator, a minus sign only
/// when the rounded value is not zero: FixedText(-12.5, 4) = "-12.5000", FixedText(-0.00001, 4)
/// = "0.0000". Non-finite values give "NaN", "INF", "-INF".
std::string FixedText(double value, int decimals);

/// One station equation (断链): at one point of the centre line the stationing `Back` ends and
/// `Ahead` begins. Ahead below Back is a long chain (the stations between repeat), above it a
/// short chain (they are skipped). Metres.
struct StationEquation {
  double Back = 0;
  double Ahead = 0;
};

/// Maps distances along the centre line (metres from its start) to stations and back.
class Chainage {
 public:
  /// One stretch of continuous stationing: from `FromDistance` to `ToDistance` the station is
  /// `FromStation` + (distance − `FromDistance`).
  struct Segment {
    double FromDistance = 0;
    double ToDistance = 0;
    double FromStation = 0;
    double ToStation() const { return FromStation + (ToDistance - FromDistance); }
  };

  Chainage() = default;
  /// A centre line `length` metres long whose start has `start_station`, with `equations` in
  /// their order along the line. Each back station must lie within the stretch that the one
  /// before it begins (checked by the caller, which knows where the values came from): an
  /// equation outside is dropped.
  Chainage(double start_station, double length, const std::vector<StationEquation>& equations);

  double StartStation() const { return segments_.front().FromStation; }
  double EndStation() const { return segments_.back().ToStation(); }
  double Length() const { return segments_.back().ToDistance; }
  const std::vector<Segment>& Segments() const { return segments_; }

  /// The station at `distance` (clamped to the line). At an equation the ahead station.
  double StationAt(double distance) const;
  /// Where `station` lies: the first place along the line that has it (a repeated station of a
  /// long chain is the one before the equation). Empty before the start, after the end and in
  /// the gap of a short chain. Stations within 0.1 mm of a stretch count as on it.
  std::optional<double> DistanceAt(double station) const;
  /// As DistanceAt, but the last place that has the station.
  std::optional<double> LastDistanceAt(double station) const;

 private:
  std::vector<Segment> segments_{Segment{}};
};

}  // namespace vardex
