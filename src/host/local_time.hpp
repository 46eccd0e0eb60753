// The local date and time, for the fields of printed page headers and footers.
#pragma once

namespace vardex::host {

struct LocalTime {
  int year = 1970;
  int month = 1;  ///< 1 to 12
  int day = 1;
  int hour = 0;
  int minute = 0;
};

/// Now, in the machine's time zone.
LocalTime LocalNow();

}  // namespace vardex::host
