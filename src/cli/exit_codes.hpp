// The exit codes of `vardex`, as documented in its help and the README.
#pragma once

namespace vardex::cli {

inline constexpr int kExitOk = 0;        ///< everything done (and, for check, every rule holds)
inline constexpr int kExitFailed = 1;    ///< a file could not be opened, calculated or saved
inline constexpr int kExitUsage = 2;     ///< bad command line or settings; nothing was touched
inline constexpr int kExitFindings = 3;  ///< check found records that break a rule

}  // namespace vardex::cli
