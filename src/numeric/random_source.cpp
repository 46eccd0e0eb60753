// The random sources behind RandomInt: the clock-seeded one of everyday runs, a seeded one for
// reproducible runs, and a scripted one for tests.
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <utility>

#include "host/host_error.hpp"
#include "numeric/numeric_helpers.hpp"

namespace vardex {
namespace {

constexpr uint64_t kGoldenGamma = 0x9E3779B97F4A7C15ULL;

// The splitmix64 finaliser: a bijection on 64 bits that spreads every input bit over the output.
uint64_t Mix64(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Uniform in [0, 1) from the top 53 bits: every result is a multiple of 2^-53, exactly
// representable, and never 1.
double UnitFromBits(uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }

// floor(r * count + lo), computed in doubles as the formula says, then held inside the formula's
// range: near 2^31 the product r * count can round up to count itself.
int32_t DrawFromUnit(double r, int32_t lo, int32_t count) {
  const double lo_d = lo;
  const double count_d = count;
  double low = lo_d;
  double high = lo_d + count_d - 1;
  if (count <= 0) {
    low = lo_d + count_d;
    high = lo_d;
  }
  const double drawn = std::floor(r * count_d + lo_d);
  return static_cast<int32_t>(drawn < low ? low : (drawn > high ? high : drawn));
}

uint64_t ClockTicks() {
  return static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

class ClockRandomSource final : public RandomSource {
 public:
  // Sources made within one clock tick (coarse clocks tick every 100 ns or slower) must not share
  // a state, or they would draw the same sequence: each also takes a running number.
  ClockRandomSource() : state_(Mix64(ClockTicks() ^ Mix64(++instances_ * kGoldenGamma))) {}

  int32_t Next(int32_t lo, int32_t count) override {
    // Re-seed from the clock, mixed into the state rather than replacing it: two draws within
    // one clock tick still start from different states and so give independent values.
    state_ = (state_ ^ Mix64(ClockTicks())) + kGoldenGamma;
    return DrawFromUnit(UnitFromBits(Mix64(state_)), lo, count);
  }

 private:
  static inline std::atomic<uint64_t> instances_{0};
  uint64_t state_;
};

// xoshiro256**, seeded through splitmix64 as its authors recommend. Written out here rather than
// taken from <random> distributions, whose algorithms differ between standard libraries: a seed
// must give the same draws on every platform and with every compiler.
class SeededRandomSource final : public RandomSource {
 public:
  explicit SeededRandomSource(uint64_t seed) {
    for (uint64_t& word : state_) {
      seed += kGoldenGamma;
      word = Mix64(seed);
    }
  }

  int32_t Next(int32_t lo, int32_t count) override {
    return DrawFromUnit(UnitFromBits(NextBits()), lo, count);
  }

 private:
  static uint64_t RotateLeft(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

  uint64_t NextBits() {
    const uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = RotateLeft(state_[3], 45);
    return result;
  }

  uint64_t state_[4] = {};
};

class ScriptedRandomSource final : public RandomSource {
 public:
  explicit ScriptedRandomSource(std::vector<int32_t> values) : values_(std::move(values)) {}

  int32_t Next(int32_t lo, int32_t count) override {
    const std::size_t draw = next_++;
    if (draw >= values_.size()) {
      throw host::HostError(host::kErrSubscript,
                            "scripted random source: draw " + std::to_string(draw) +
                                " asked for, but only " + std::to_string(values_.size()) +
                                " values were given");
    }
    const int64_t value = values_[draw];
    int64_t low = lo;
    int64_t high = int64_t{lo} + count - 1;
    if (count <= 0) {
      low = int64_t{lo} + count;
      high = lo;
    }
    if (value < low || value > high) {
      throw host::HostError(host::kErrSubscript,
                            "scripted random source: draw " + std::to_string(draw) + " gives " +
                                std::to_string(value) + ", outside its range " +
                                std::to_string(low) + " to " + std::to_string(high));
    }
    return values_[draw];
  }

 private:
  std::vector<int32_t> values_;
  std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<RandomSource> MakeClockRandomSource() {
  return std::make_unique<ClockRandomSource>();
}

std::unique_ptr<RandomSource> MakeSeededRandomSource(uint64_t seed) {
  return std::make_unique<SeededRandomSource>(seed);
}

std::unique_ptr<RandomSource> MakeScriptedRandomSource(std::vector<int32_t> values) {
  return std::make_unique<ScriptedRandomSource>(std::move(values));
}

int32_t RandomInt(int32_t lo, int32_t hi, RandomSource& source) {
  // The count is 32-bit arithmetic in two steps, hi - lo and then + 1; either step may overflow.
  const int64_t span = int64_t{hi} - lo;
  const int64_t count = span + 1;
  constexpr int64_t kMin = INT32_MIN;
  constexpr int64_t kMax = INT32_MAX;
  if (span < kMin || span > kMax || count > kMax) {
    throw host::HostError(host::kErrOverflow,
                          "overflow: RandomInt(" + std::to_string(lo) + ", " + std::to_string(hi) +
                              ") needs the count hi - lo + 1 = " + std::to_string(count) +
                              ", which does not fit into 32 bits");
  }
  return source.Next(lo, static_cast<int32_t>(count));
}

}  // namespace vardex
