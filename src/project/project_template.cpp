// Locating the project template next to the program.
#include "project/project_template.hpp"

#include <system_error>

#include "host/platform.hpp"

namespace vardex::host {

std::filesystem::path ExecutableDir(const char* argv0) { return platform::ExecutableDir(argv0); }

std::vector<std::filesystem::path> TemplateCandidates(const std::filesystem::path& program_dir) {
  return {program_dir / "work.xltx",
          (program_dir / ".." / "share" / "vardex" / "work.xltx").lexically_normal()};
}

std::filesystem::path FindProjectTemplate(const std::filesystem::path& program_dir) {
  const std::vector<std::filesystem::path> candidates = TemplateCandidates(program_dir);
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return candidates.front();
}

}  // namespace vardex::host
