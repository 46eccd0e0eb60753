// The parts of the platform layer that are the same on every system.
#include <array>
#include <ctime>
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

std::string UtcNowText() {
  const std::tm utc = detail::BrokenDownTime(std::time(nullptr), false);
  std::array<char, 32> buffer{};
  const std::size_t length =
      std::strftime(buffer.data(), buffer.size(), "%Y-%m-%dT%H:%M:%SZ", &utc);
  return std::string(buffer.data(), length);
}

LocalTime LocalNow() {
  const std::tm tm = detail::BrokenDownTime(std::time(nullptr), true);
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

}  // namespace vardex::host::platform
