// Where the programs find the project template "work.xltx": in the program's own folder (the
// build tree), else in the installed data folder beside it.
#pragma once

#include <filesystem>
#include <vector>

namespace vardex::host {

/// The folder of the running executable; `argv0`'s folder where the system cannot tell.
std::filesystem::path ExecutableDir(const char* argv0);

/// The places to look for "work.xltx", in order: `program_dir`/work.xltx, then
/// `program_dir`/../share/vardex/work.xltx (the installed layout).
std::vector<std::filesystem::path> TemplateCandidates(const std::filesystem::path& program_dir);

/// The first candidate that exists, else the first candidate, so that opening it reports the
/// missing file under the name the user expects.
std::filesystem::path FindProjectTemplate(const std::filesystem::path& program_dir);

}  // namespace vardex::host
