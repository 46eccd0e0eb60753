// Locating the project template next to the program.
#include "cli/template_path.hpp"

#include <system_error>

namespace vardex::cli {

std::filesystem::path ExecutableDir(const char* argv0) {
  std::error_code error;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error || self.empty()) {
    self = std::filesystem::absolute(argv0 != nullptr ? argv0 : "", error);
  }
  return self.parent_path();
}

std::vector<std::filesystem::path> TemplateCandidates(const std::filesystem::path& exe_dir) {
  return {exe_dir / "work.xltx",
          (exe_dir / ".." / "share" / "vardex" / "work.xltx").lexically_normal()};
}

std::filesystem::path FindTemplate(const std::filesystem::path& exe_dir) {
  const std::vector<std::filesystem::path> candidates = TemplateCandidates(exe_dir);
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    if (std::filesystem::is_regular_file(candidate, error)) return candidate;
  }
  return candidates.front();
}

}  // namespace vardex::cli
