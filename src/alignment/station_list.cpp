// Listing the stations to set out and writing them into the point list of "数据输入".
#include "alignment/station_list.hpp"

#include <algorithm>
#include <cmath>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_texts.hpp"
#include "host/cell_ref.hpp"
#include "host/path_text.hpp"
#include "numeric/numeric_helpers.hpp"

namespace vardex {
namespace {

namespace t = alignment_text;

constexpr int32_t kFirstPointRow = 8;
// Stations closer than this are one station, metres.
constexpr double kSameStation = 5e-4;

struct Place {
  double distance;
  int rank;  // which name wins at one place: main points, then stations asked for, then interval
  std::string name;
};

double DistanceOrThrow(const RoadAlignment& road, double station, bool last) {
  const auto distance =
      last ? road.Stations().LastDistanceAt(station) : road.Stations().DistanceAt(station);
  if (distance) return *distance;
  road.AtStation(station, 0.0);  // throws the message that fits: outside, or in a gap
  throw AlignmentRequestError(
      t::StationOutside(station, road.Stations().StartStation(), road.Stations().EndStation()));
}

}  // namespace

std::vector<StakeOutRow> ListStations(const RoadAlignment& road,
                                      const StationListRequest& request) {
  const Chainage& chainage = road.Stations();
  const double from = request.From ? DistanceOrThrow(road, *request.From, false) : 0.0;
  const double to = request.To ? DistanceOrThrow(road, *request.To, true) : chainage.Length();
  if (from > to + kSameStation) throw AlignmentRequestError(std::string(t::kEmptyRange));

  std::vector<Place> places;
  const std::size_t per_station = std::max<std::size_t>(request.Offsets.size(), 1);
  auto check_count = [&](std::size_t stations) {
    if (stations * per_station > kMostStakeOutPoints) {
      throw AlignmentRequestError(t::TooManyPoints(stations * per_station, kMostStakeOutPoints));
    }
  };
  if (request.Every > 0) {
    for (const Chainage::Segment& segment : chainage.Segments()) {
      const double lo = std::max(from, segment.FromDistance);
      const double hi = std::min(to, segment.ToDistance);
      if (lo > hi) continue;
      const double first = segment.FromStation + (lo - segment.FromDistance);
      const double last = segment.FromStation + (hi - segment.FromDistance);
      const double m0 = std::ceil((first - 1e-6) / request.Every);
      const double m1 = std::floor((last + 1e-6) / request.Every);
      if (m1 < m0) continue;
      check_count(places.size() + static_cast<std::size_t>(m1 - m0 + 1));
      for (double m = m0; m <= m1; ++m) {
        const double station = m * request.Every;
        places.push_back(
            {segment.FromDistance + (station - segment.FromStation), 2, StationName(station)});
      }
    }
  }
  if (request.MainPoints) {
    for (const MainPoint& point : road.MainPoints()) {
      if (point.Distance < from - kSameStation || point.Distance > to + kSameStation) continue;
      places.push_back({point.Distance, 0, point.Label + " " + StationName(point.Station)});
    }
  }
  for (const double station : request.At) {
    places.push_back({DistanceOrThrow(road, station, false), 1, StationName(station)});
  }
  std::sort(places.begin(), places.end(), [](const Place& a, const Place& b) {
    return a.distance < b.distance || (a.distance == b.distance && a.rank < b.rank);
  });
  std::vector<Place> kept;
  for (Place& place : places) {
    if (!kept.empty() && place.distance - kept.back().distance < kSameStation) {
      if (place.rank < kept.back().rank) kept.back() = std::move(place);
      continue;
    }
    kept.push_back(std::move(place));
  }
  if (kept.empty()) {
    throw AlignmentRequestError(t::NoStations(chainage.StationAt(from), chainage.StationAt(to)));
  }
  check_count(kept.size());

  std::vector<StakeOutRow> rows;
  rows.reserve(kept.size() * per_station);
  for (const Place& place : kept) {
    for (const double offset : request.Offsets) {
      RoadPoint point = road.AtDistance(place.distance, offset);
      if (road.HasProfile() && !point.Elevation) {
        throw AlignmentRequestError(t::OutsideProfile(point.Station));
      }
      rows.push_back({place.name, point});
    }
  }
  return rows;
}

void WritePointList(host::Workbook& book, const std::vector<StakeOutRow>& rows) {
  host::Worksheet* sheet = book.FindSheet(t::kInputSheet);
  if (sheet == nullptr || sheet->Name() != t::kInputSheet) {
    throw AlignmentError(t::NoInputSheet(host::PathText(book.Path().filename())));
  }
  const auto used = sheet->UsedRange();
  const int32_t last = std::max(kFirstPointRow, used ? used->last.row : 0);
  sheet->ClearContents({{kFirstPointRow, 1}, {last, 6}});
  int32_t row = kFirstPointRow;
  for (const StakeOutRow& stake : rows) {
    const RoadPoint& point = stake.Point;
    sheet->SetText({row, 1}, stake.Name);
    // 0 rather than -0: the levelling reads the offset as shown, and "-0" is no centre line.
    sheet->SetValue({row, 2}, point.Offset == 0 ? 0.0 : point.Offset);
    sheet->SetValue({row, 3}, RoundHalfEven(point.X, 4));
    sheet->SetValue({row, 4}, RoundHalfEven(point.Y, 4));
    if (point.Elevation) sheet->SetValue({row, 5}, RoundHalfEven(*point.Elevation, 4));
    ++row;
  }
}

}  // namespace vardex
