// Grouping the sights of a levelling file into set-ups, in the order the level took them.
#include <cmath>
#include <map>

#include "fielddata/fielddata_texts.hpp"
#include "fielddata/levelling_events.hpp"
#include "numeric/number_text.hpp"

namespace vardex::detail {
namespace {

namespace texts = fielddata_texts;

// No levelling staff is longer than 7 m; negative readings come from an inverted staff.
constexpr double kLongestStaff = 7.0;
// Sight distances of levels stay well below this; anything longer is a misread field.
constexpr double kLongestSight = 1000.0;

// A sight with its repeated readings, averaged when the set-up is done.
struct Sight {
  std::string point;
  double reading_sum = 0;
  int readings = 0;
  double distance_sum = 0;
  int distances = 0;
  FieldSource source;

  void Add(const LevellingEvent& event) {
    reading_sum += event.Value;
    ++readings;
    if (event.Distance) {
      distance_sum += *event.Distance;
      ++distances;
    }
  }
  bool Empty() const { return readings == 0; }
  MeasuredSight Mean() const {
    MeasuredSight sight{point, reading_sum / readings, std::nullopt, source};
    if (distances > 0) sight.Distance = distance_sum / distances;
    return sight;
  }
};

Sight StartSight(const LevellingEvent& event) {
  Sight sight;
  sight.point = event.Point;
  sight.source = event.Source;
  sight.Add(event);
  return sight;
}

struct OpenSetup {
  // Empty while a set-up taken fore sight first (the FB half of alternating methods) waits for
  // its back sight, which must stand on `expected_back`.
  Sight back;
  std::string expected_back;
  std::vector<Sight> intermediates;
  Sight fore;
  // Which sight took the last reading, so that a cancelled measurement can be taken back.
  Sight* last = nullptr;
};

bool SamePoint(const std::string& a, const std::string& b) { return a == b; }

class LineBuilder {
 public:
  MeasuredLevellingLine Build(const std::vector<LevellingEvent>& events) {
    for (const LevellingEvent& event : events) Take(event);
    if (open_) {
      if (open_->back.Empty()) {
        const FieldSource& at = open_->fore.source;
        throw FieldDataError(at.File, at.Line, texts::ForeWithoutBack(open_->fore.point));
      }
      if (open_->fore.Empty()) {
        const FieldSource& at = open_->back.source;
        throw FieldDataError(at.File, at.Line, texts::BackWithoutFore(open_->back.point));
      }
      Close();
    }
    if (line_.Setups.empty()) {
      const FieldSource at = events.empty() ? FieldSource{} : events.front().Source;
      throw FieldDataError(at.File, 0, texts::kNoReadings);
    }
    CheckDuplicates();
    return std::move(line_);
  }

 private:
  void Take(const LevellingEvent& event) {
    switch (event.Kind) {
      case EventKind::Back:
        TakeBack(event);
        break;
      case EventKind::Fore:
        TakeFore(event);
        break;
      case EventKind::Intermediate:
        TakeIntermediate(event);
        break;
      case EventKind::Height:
        line_.RecordedHeights.push_back({event.Point, event.Value, event.Source});
        break;
      case EventKind::CancelStation:
        open_.reset();
        break;
      case EventKind::CancelLast:
        CancelLast();
        break;
    }
  }

  void TakeBack(const LevellingEvent& event) {
    if (!open_) {
      if (!line_.Setups.empty() && !SamePoint(event.Point, line_.Setups.back().Fore.Point)) {
        // A station taken again after the previous one was closed: its back sight stands on
        // the last fore sight's point, or the line is broken.
        Fail(event, texts::BackNotOnTurn(event.Point, line_.Setups.back().Fore.Point));
      }
      Open(event);
      return;
    }
    if (open_->back.Empty()) {
      if (!SamePoint(event.Point, open_->expected_back)) {
        Fail(event, texts::BackNotOnTurn(event.Point, open_->expected_back));
      }
      open_->back = StartSight(event);
      open_->last = &open_->back;
      return;
    }
    if (SamePoint(event.Point, open_->back.point)) {
      // The second back reading of a BFFB set-up, or a repeated one.
      open_->back.Add(event);
      open_->last = &open_->back;
      return;
    }
    if (open_->fore.Empty()) {
      Fail(event, texts::BackBeforeFore(event.Point, open_->back.point, open_->back.source.Line));
    }
    if (!SamePoint(event.Point, open_->fore.point)) {
      Fail(event, texts::BackNotOnTurn(event.Point, open_->fore.point));
    }
    Close();
    Open(event);
  }

  void TakeFore(const LevellingEvent& event) {
    if (!open_) {
      if (line_.Setups.empty()) Fail(event, texts::ForeWithoutBack(event.Point));
      OpenForeFirst(event, line_.Setups.back().Fore.Point);
      return;
    }
    if (open_->fore.Empty()) {
      open_->fore = StartSight(event);
    } else if (SamePoint(event.Point, open_->fore.point)) {
      open_->fore.Add(event);
    } else if (open_->back.Empty()) {
      Fail(event, texts::TwoForePoints(open_->fore.point, event.Point));
    } else {
      // A new set-up taken fore sight first: its back sight will be on this turning point.
      const std::string turn = open_->fore.point;
      Close();
      OpenForeFirst(event, turn);
      return;
    }
    open_->last = &open_->fore;
  }

  void TakeIntermediate(const LevellingEvent& event) {
    if (!open_ || open_->back.Empty()) Fail(event, texts::IntermediateWithoutBack(event.Point));
    // Every intermediate sight is a point of its own: one id read twice is a duplicate, not a
    // repeated reading (a repeated one is announced, and the first one cancelled, by the level).
    std::vector<Sight>& list = open_->intermediates;
    list.push_back(StartSight(event));
    open_->last = &list.back();
  }

  void CancelLast() {
    if (!open_ || open_->last == nullptr) return;
    Sight& sight = *open_->last;
    // Only the reading count matters for what is kept: a sight left without readings is
    // dropped, one with more keeps the others' mean closely enough for a repeated reading.
    if (sight.readings <= 1) {
      if (&sight == &open_->fore) {
        open_->fore = Sight{};
      } else if (!open_->intermediates.empty() && &sight == &open_->intermediates.back()) {
        open_->intermediates.pop_back();
      } else {
        open_.reset();
        return;
      }
    } else {
      sight.reading_sum -= sight.reading_sum / sight.readings;
      --sight.readings;
    }
    open_->last = nullptr;
  }

  void Open(const LevellingEvent& event) {
    open_.emplace();
    open_->back = StartSight(event);
    open_->last = &open_->back;
  }

  void OpenForeFirst(const LevellingEvent& event, const std::string& turn) {
    open_.emplace();
    open_->expected_back = turn;
    open_->fore = StartSight(event);
    open_->last = &open_->fore;
  }

  void Close() {
    MeasuredSetup setup;
    setup.Back = open_->back.Mean();
    for (const Sight& sight : open_->intermediates) setup.Intermediates.push_back(sight.Mean());
    setup.Fore = open_->fore.Mean();
    line_.Setups.push_back(std::move(setup));
    open_.reset();
  }

  [[noreturn]] static void Fail(const LevellingEvent& event, const std::string& detail) {
    throw FieldDataError(event.Source.File, event.Source.Line, detail);
  }

  // Every point of the line is observed once: intermediate points, turning points and the two
  // ends (which may be one benchmark, for a loop).
  void CheckDuplicates() const {
    std::map<std::string, FieldSource> seen;
    auto note = [&seen](const MeasuredSight& sight) {
      const auto [at, inserted] = seen.emplace(sight.Point, sight.Source);
      if (!inserted) {
        throw FieldDataError(sight.Source.File, sight.Source.Line,
                             texts::DuplicatePoint(sight.Point, at->second));
      }
    };
    const std::vector<MeasuredSetup>& setups = line_.Setups;
    note(setups.front().Back);
    for (std::size_t k = 0; k < setups.size(); ++k) {
      for (const MeasuredSight& sight : setups[k].Intermediates) note(sight);
      const MeasuredSight& fore = setups[k].Fore;
      const bool loop_end = k + 1 == setups.size() && fore.Point == setups.front().Back.Point;
      if (!loop_end) note(fore);
    }
  }

  MeasuredLevellingLine line_;
  std::optional<OpenSetup> open_;
};

}  // namespace

void CheckSight(double reading, const std::optional<double>& distance, const FieldSource& source) {
  if (!(std::fabs(reading) <= kLongestStaff)) {
    throw FieldDataError(source.File, source.Line,
                         texts::ReadingOffStaff(GeneralNumberText(reading)));
  }
  if (distance && !(*distance >= 0 && *distance <= kLongestSight)) {
    throw FieldDataError(source.File, source.Line,
                         texts::DistanceOutOfRange(GeneralNumberText(*distance)));
  }
}

MeasuredLevellingLine BuildLevellingLine(const std::vector<LevellingEvent>& events) {
  return LineBuilder().Build(events);
}

}  // namespace vardex::detail
