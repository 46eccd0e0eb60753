// The three commands of `vardex`, each returning its exit code (exit_codes.hpp). They print
// their own reports; the command line has been checked before they run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "settings/survey_settings.hpp"

namespace vardex::cli {

class SettingsOptions;

struct NewCommand {
  std::filesystem::path project;
  bool force = false;
  std::filesystem::path templateFile;  ///< the template to copy from
};

/// Creates `project` from the template; refuses an existing file unless `force`. A failure
/// prints the project-creation message ("错误<n>", "发生错误，错误内容：", the cause).
int RunNew(const NewCommand& command);

struct CalcCommand {
  std::vector<std::filesystem::path> inputs;
  std::optional<std::filesystem::path> output;  ///< only with exactly one input
  std::optional<uint64_t> seed;                 ///< drawn per file when absent
  unsigned threads = 1;
  bool replaceReadOnly = false;  ///< --force: a read-only file is replaced too
  SettingsForm form;             ///< the settings as typed, validated, recorded in the workbook
};

/// Calculates every input as an independent job and saves it atomically (in place, or to the
/// output). A file that fails is left as it was; the others go on.
int RunCalc(const CalcCommand& command);

struct CheckCommand {
  std::vector<std::filesystem::path> inputs;
  const SettingsOptions* options = nullptr;  ///< settings given on the command line
};

/// Checks the record tables of every input against its input sheet and its recorded settings
/// (overridden by the options given). Reports each finding with sheet and cell.
int RunCheck(const CheckCommand& command);

}  // namespace vardex::cli
