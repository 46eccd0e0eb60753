// Where the desktop application finds the project template "work.xltx".
#pragma once

#include <filesystem>

namespace vardex {

/// "work.xltx" in `programDir`, the program's folder, or else in `programDir`/../share/vardex
/// (where an installation puts it). When neither exists, the path in the program's folder, so
/// that opening it reports the missing file under the name the user expects.
std::filesystem::path FindProjectTemplate(const std::filesystem::path& programDir);

}  // namespace vardex
