// What the platform layer's implementations share: the failures tests inject into saves and the
// names of a save's temporary files. Only platform_*.cpp include it.
#pragma once

#include <algorithm>
#include <ctime>
#include <string_view>
#include <system_error>

#include "host/platform.hpp"

namespace vardex::host::platform::detail {

/// The failure injected at `step`, or none.
std::error_code InjectedAt(SaveStep step);

/// `time` in local time or in UTC, broken down (the system's thread-safe conversions).
std::tm BrokenDownTime(std::time_t time, bool local);

/// How many random hexadecimal digits a temporary file's name has.
inline constexpr std::size_t kRandomDigits = 12;

/// "<target name>.vardex-<12 hex digits>.tmp", or the fixed "<target name>.vardex-saving.tmp"
/// that earlier versions used; in the system's characters (char or wchar_t).
template <typename Char>
bool IsTempNameFor(std::basic_string_view<Char> name, std::basic_string_view<Char> target_name) {
  constexpr Char kMarker[] = {'.', 'v', 'a', 'r', 'd', 'e', 'x', '-'};
  constexpr Char kSuffix[] = {'.', 't', 'm', 'p'};
  constexpr Char kSaving[] = {'s', 'a', 'v', 'i', 'n', 'g'};
  const std::basic_string_view<Char> marker(kMarker, std::size(kMarker));
  const std::basic_string_view<Char> suffix(kSuffix, std::size(kSuffix));
  if (!name.starts_with(target_name)) return false;
  name.remove_prefix(target_name.size());
  if (!name.starts_with(marker) || !name.ends_with(suffix)) return false;
  name = name.substr(marker.size(), name.size() - marker.size() - suffix.size());
  if (name == std::basic_string_view<Char>(kSaving, std::size(kSaving))) return true;
  return name.size() == kRandomDigits && std::all_of(name.begin(), name.end(), [](Char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

}  // namespace vardex::host::platform::detail
