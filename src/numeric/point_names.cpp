// Matching point names of field files to the project's points.
#include "numeric/point_names.hpp"

#include "numeric/numeric_helpers.hpp"

namespace vardex {

std::string MatchKey(std::string_view name) {
  std::string key = RemoveSpaces(name);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

std::string AsciiSideText(std::string_view side_text) {
  constexpr std::string_view kLeft = "左";
  constexpr std::string_view kRight = "右";
  constexpr std::string_view kCentre = "中";
  constexpr std::string_view kMetre = "米";
  if (side_text == kCentre) return "C";
  std::string_view rest;
  std::string out;
  if (side_text.starts_with(kLeft)) {
    out = "L";
    rest = side_text.substr(kLeft.size());
  } else if (side_text.starts_with(kRight)) {
    out = "R";
    rest = side_text.substr(kRight.size());
  } else {
    return std::string(side_text);
  }
  if (!rest.ends_with(kMetre)) return std::string(side_text);
  rest.remove_suffix(kMetre.size());
  if (rest.ends_with('.')) rest.remove_suffix(1);
  return out + std::string(rest);
}

void PointNameIndex::Add(std::string_view name, std::string_view side_text) {
  const std::size_t index = count_++;
  const std::string text(name);
  full_.emplace(MatchKey(text + std::string(side_text)), index);
  full_.emplace(MatchKey(text + AsciiSideText(side_text)), index);
  short_[MatchKey(name)].push_back(index);
}

NameMatch PointNameIndex::Find(std::string_view observed) const {
  const std::string key = MatchKey(observed);
  if (const auto full = full_.find(key); full != full_.end()) return {full->second, false};
  if (const auto name = short_.find(key); name != short_.end()) {
    if (name->second.size() == 1) return {name->second.front(), false};
    return {std::nullopt, true};
  }
  return {};
}

bool PointNameIndex::Shared(std::string_view name) const {
  const auto found = short_.find(MatchKey(name));
  return found != short_.end() && found->second.size() > 1;
}

}  // namespace vardex
