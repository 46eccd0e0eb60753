// Where `vardex new` finds the project template: in the program's folder, as the desktop app
// does, or in the installed data folder beside it.
#pragma once

#include <filesystem>
#include <vector>

namespace vardex::cli {

/// The folder of the running executable; `argv0`'s folder where the system cannot tell.
std::filesystem::path ExecutableDir(const char* argv0);

/// The places to look for "work.xltx", in order: `exe_dir`/work.xltx, then
/// `exe_dir`/../share/vardex/work.xltx (the installed layout).
std::vector<std::filesystem::path> TemplateCandidates(const std::filesystem::path& exe_dir);

/// The first candidate that exists, else the first candidate (so that opening it reports the
/// missing file under its expected name).
std::filesystem::path FindTemplate(const std::filesystem::path& exe_dir);

}  // namespace vardex::cli
