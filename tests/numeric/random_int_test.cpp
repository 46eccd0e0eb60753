// RandomInt over its three sources: ranges, reversed bounds, overflow, reproducibility.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <vector>

#include "host/host_error.hpp"
#include "numeric/numeric_helpers.hpp"
#include "support/expect_error.hpp"

namespace vardex {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// Over many draws every value of a small range turns up, each about equally often, and nothing
// outside it. The bounds on the counts are some 7 standard deviations wide.
TEST(RandomInt, ReachesEveryValueOfTheRangeAndNothingElse) {
  auto clock = MakeClockRandomSource();
  auto seeded = MakeSeededRandomSource(2024);
  for (RandomSource* source : {clock.get(), seeded.get()}) {
    std::map<int32_t, int> counts;
    for (int i = 0; i < 7000; ++i) ++counts[RandomInt(-3, 3, *source)];
    ASSERT_EQ(counts.size(), 7u);
    EXPECT_EQ(counts.begin()->first, -3);
    EXPECT_EQ(counts.rbegin()->first, 3);
    for (const auto& [value, count] : counts) {
      SCOPED_TRACE(value);
      EXPECT_GT(count, 800);
      EXPECT_LT(count, 1200);
    }
  }
}

// A tight loop makes thousands of draws within one tick of the clock; they must not repeat the
// draw that the tick's seed alone would give, nor two sources made together each other's draws.
TEST(RandomInt, ClockSourcesDoNotRepeatThemselvesOrEachOther) {
  auto first = MakeClockRandomSource();
  auto second = MakeClockRandomSource();
  std::set<int32_t> seen;
  int equal = 0;
  for (int i = 0; i < 2000; ++i) {
    const int32_t drawn = RandomInt(0, 1'000'000'000, *first);
    seen.insert(drawn);
    equal += drawn == RandomInt(0, 1'000'000'000, *second);
  }
  EXPECT_GE(seen.size(), 1995u);
  EXPECT_LT(equal, 3);
}

struct BoundsCase {
  int32_t lo;
  int32_t hi;
  int32_t min;  // smallest possible result
  int32_t max;  // largest possible result
  int32_t top;  // largest result reached in practice
};

// hi < lo is not checked: floor(r * (hi - lo + 1) + lo) then lies in [hi + 1, lo], and lo itself
// is drawn only for r = 0 (or always, when hi = lo - 1).
TEST(RandomInt, StaysInsideTheFormulasRange) {
  const BoundsCase cases[] = {
      {-3, 3, -3, 3, 3},
      {0, 1, 0, 1, 1},
      {-2000, -1000, -2000, -1000, -1000},
      {5, 4, 5, 5, 5},
      {5, 2, 3, 5, 4},
      {3, -3, -2, 3, 2},
      {kMin, -2, kMin, -2, -2},
      {0, kMax - 1, 0, kMax - 1, kMax - 1},
      {kMax, -1, 0, kMax, kMax - 1},  // count -2^31 + 1, the widest reversed range
      {kMin, kMin, kMin, kMin, kMin},
      {kMax, kMax, kMax, kMax, kMax},
  };
  auto seeded = MakeSeededRandomSource(99);
  auto clock = MakeClockRandomSource();
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "RandomInt(" << c.lo << ", " << c.hi << ")");
    int32_t low = kMax;
    int32_t high = kMin;
    for (int i = 0; i < 3000; ++i) {
      for (RandomSource* source : {seeded.get(), clock.get()}) {
        const int32_t value = RandomInt(c.lo, c.hi, *source);
        low = std::min(low, value);
        high = std::max(high, value);
      }
    }
    EXPECT_GE(low, c.min);
    EXPECT_LE(high, c.max);
    if (int64_t{c.max} - c.min < 10) {  // small ranges: both ends are reached
      EXPECT_EQ(low, c.min);
      EXPECT_EQ(high, c.top);
    }
  }
}

TEST(RandomInt, CountBeyondThirtyTwoBitsIsAnOverflowError) {
  const std::pair<int32_t, int32_t> cases[] = {
      {kMin, kMax}, {0, kMax}, {-1, kMax}, {kMin, 0}, {kMax, -2}, {kMax, kMin},
  };
  auto seeded = MakeSeededRandomSource(1);
  for (const auto& [lo, hi] : cases) {
    SCOPED_TRACE(::testing::Message() << "RandomInt(" << lo << ", " << hi << ")");
    EXPECT_HOST_ERROR(RandomInt(lo, hi, *seeded), host::kErrOverflow, "overflow");
  }
}

TEST(SeededRandomSource, SameSeedSameDrawsOnEveryPlatform) {
  // xoshiro256** seeded through splitmix64, r from the top 53 bits, as computed independently
  // from the published reference algorithms.
  const std::vector<int32_t> expected = {-150543, -6785,   400957,  76294,
                                         192434,  -158430, -431755, -73433};
  auto source = MakeSeededRandomSource(20240601);
  std::vector<int32_t> drawn;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    drawn.push_back(RandomInt(-500000, 499999, *source));
  }
  EXPECT_EQ(drawn, expected);

  auto other = MakeSeededRandomSource(20240602);
  int equal = 0;
  for (const int32_t value : expected) equal += RandomInt(-500000, 499999, *other) == value;
  EXPECT_LT(equal, 2);
}

TEST(ScriptedRandomSource, ScriptThatDoesNotMatchFailsNamingTheDraw) {
  struct Case {
    std::vector<int32_t> script;
    int32_t lo;
    int32_t hi;
    std::string draw;  // how the message names the failing draw
  };
  const Case cases[] = {
      {{0, 4}, -3, 3, "draw 1 gives 4"},
      {{0, -4}, -3, 3, "draw 1 gives -4"},
      {{7}, 5, 5, "draw 0 gives 7"},
      {{2}, 5, 2, "draw 0 gives 2"},  // reversed bounds allow 3 to 5 only
      {{1}, 1, 1, "draw 1 asked for"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.draw);
    auto source = MakeScriptedRandomSource(c.script);
    EXPECT_HOST_ERROR(for (int i = 0; i < 3; ++i) RandomInt(c.lo, c.hi, *source),
                      host::kErrSubscript, c.draw);
  }
}

}  // namespace
}  // namespace vardex
