// The field data commands of `vardex`: level (a levelling record from the level's files),
// stakeout-import (plane tables from surveyed coordinates) and stakeout-export (points to set out
// as files for the instrument or CAD).
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/settings_options.hpp"
#include "host/workbook.hpp"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace vardex::cli {

class FieldCommands {
 public:
  /// Adds the three commands to `app`, in the group "命令".
  void AddTo(CLI::App& app);
  /// Runs the command that was parsed and returns its exit code; nothing when none of the three
  /// was given.
  std::optional<int> RunParsed();

 private:
  /// Changes the project, fills the report and says whether everything was within tolerance.
  using ProjectWork = std::function<bool(host::Workbook&, const SettingsForm&,
                                         const SurveySettings&, std::vector<std::string>&)>;
  int RunOnProject(const SettingsOptions& options, CLI::Option* output, const ProjectWork& work);
  int RunLevel();
  int RunImport();
  int RunExport();

  CLI::App* level_ = nullptr;
  CLI::App* import_ = nullptr;
  CLI::App* export_ = nullptr;
  // Paths as the UTF-8 text given; made paths by PathFromText (CLI11 would use the code page).
  std::string project_;
  std::vector<std::string> fieldFiles_;
  std::string coordinateFile_;
  std::string output_;
  CLI::Option* outputOption_ = nullptr;
  CLI::Option* importOutputOption_ = nullptr;
  std::string distribute_ = "none";
  std::string format_;
  std::string encoding_ = "utf-8";
  SettingsOptions levelSettings_;
  SettingsOptions importSettings_;
};

}  // namespace vardex::cli
