// Font stand-ins.
#include "print/font_families.hpp"

#include <string_view>

namespace vardex::print {

std::vector<std::string> FontFamilies(const std::string& name) {
  static constexpr std::string_view kSerif[] = {"宋",      "仿宋",     "楷",    "SimSun",
                                                "NSimSun", "FangSong", "KaiTi", "Song",
                                                "Ming",    "明朝",     "Serif", "Times"};
  bool serif = false;
  for (std::string_view word : kSerif) serif = serif || name.find(word) != std::string::npos;
  std::vector<std::string> families{name};
  if (name == "Calibri") families.emplace_back("Carlito");
  if (name == "Cambria") families.emplace_back("Caladea");
  families.emplace_back(serif ? "Noto Serif CJK SC" : "Noto Sans CJK SC");
  return families;
}

}  // namespace vardex::print
