// A small project workbook package built in memory, shaped like the project template: the four
// sheets, a record row 8 on both plane sheets with borders, number formats (column G in
// degrees, minutes and seconds) and merged cells, and a two-decimal style for input names.
#pragma once

#include <cstdint>
#include <string>

#include "host/workbook.hpp"

namespace vardex::plane_test {

/// Style indices of the package's cellXfs.
inline constexpr uint32_t kBorderStyle = 1;
inline constexpr uint32_t kTwoDecimalStyle = 2;
inline constexpr uint32_t kDmsStyle = 3;

/// The workbook opened from the package (untitled, named "project.xlsx" in messages).
host::Workbook OpenProjectPackage();

/// A zip archive of stored (uncompressed) entries.
class StoredZip {
 public:
  void Add(const std::string& name, const std::string& data);
  std::string Finish();

 private:
  std::string body_;
  std::string directory_;
  uint16_t count_ = 0;
};

}  // namespace vardex::plane_test
