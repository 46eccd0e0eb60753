// How a point named in a field file finds its row among the project's points: by its name with
// the side text ("K1+240左12.5米"), by the same in ASCII for instruments that hold no Chinese
// ("K1+240L12.5"), or by its name alone when no other row has that name. Shared by the levelling
// and plane records and the stake-out export.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardex {

/// A name as it is compared: spaces removed, ASCII letters upper-case ("k1+240 " -> "K1+240").
std::string MatchKey(std::string_view name);

/// A side text in ASCII: "左12.5米" -> "L12.5", "右5.米" -> "R5", "中" -> "C"; a remark comes back
/// unchanged.
std::string AsciiSideText(std::string_view side_text);

struct NameMatch {
  std::optional<std::size_t> index;  ///< the point's place in the order of Add
  bool ambiguous = false;            ///< the name alone fits several points
};

class PointNameIndex {
 public:
  /// Adds the next point (index 0, 1, ...) under its name and side text.
  void Add(std::string_view name, std::string_view side_text);
  NameMatch Find(std::string_view observed) const;
  /// Whether the name alone is shared by several points.
  bool Shared(std::string_view name) const;

 private:
  std::map<std::string, std::size_t> full_;
  std::map<std::string, std::vector<std::size_t>> short_;
  std::size_t count_ = 0;
};

}  // namespace vardex
