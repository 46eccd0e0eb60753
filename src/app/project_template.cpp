// Project template lookup.
#include "app/project_template.hpp"

#include <system_error>

namespace vardex {

std::filesystem::path FindProjectTemplate(const std::filesystem::path& programDir) {
  const std::filesystem::path beside = programDir / "work.xltx";
  const std::filesystem::path installed =
      (programDir / ".." / "share" / "vardex" / "work.xltx").lexically_normal();
  std::error_code error;
  if (std::filesystem::is_regular_file(beside, error)) return beside;
  if (std::filesystem::is_regular_file(installed, error)) return installed;
  return beside;
}

}  // namespace vardex
