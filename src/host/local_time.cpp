// Platform: the local time. The one C library call that differs between systems stays here.
#include "host/local_time.hpp"

#include <ctime>

namespace vardex::host {

LocalTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

}  // namespace vardex::host
