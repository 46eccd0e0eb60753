// The parts of the platform layer that are the same on every system.
#include <mutex>

#include "host/platform.hpp"
#include "host/platform_internal.hpp"

namespace vardex::host::platform {
namespace {

std::mutex injected_mutex;
SaveStep injected_step = SaveStep::kWrite;
std::error_code injected_error;

}  // namespace

std::error_code detail::InjectedAt(SaveStep step) {
  std::lock_guard lock(injected_mutex);
  return injected_error && injected_step == step ? injected_error : std::error_code();
}

void InjectSaveFailureForTesting(SaveStep step, std::error_code error) {
  std::lock_guard lock(injected_mutex);
  injected_step = step;
  injected_error = error;
}

std::filesystem::path SaveTarget(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_symlink(path, error)) return path;
  const std::filesystem::path resolved = std::filesystem::canonical(path, error);
  return error ? path : resolved;
}

}  // namespace vardex::host::platform
