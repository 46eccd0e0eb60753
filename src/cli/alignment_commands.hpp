// `vardex stations` (fill the point list from the alignment) and `vardex locate` (stations and
// offsets to coordinates and back). They register on the tool's command line like the other
// commands, check every argument before a file is opened, and return the tool's exit codes.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}  // namespace CLI

namespace vardex::cli {

class AlignmentCommands {
 public:
  /// Adds "stations" and "locate" to `app`.
  explicit AlignmentCommands(CLI::App& app);

  CLI::App* Stations() const { return stations_; }
  CLI::App* Locate() const { return locate_; }
  /// True when the command line chose one of the two.
  bool Parsed() const;
  /// Runs the chosen command and returns its exit code: 0 done, 1 a file could not be read or
  /// holds a bad alignment or could not be saved, 2 a bad command line or a station or point the
  /// alignment does not reach (nothing written).
  int Run() const;

 private:
  int RunStations() const;
  int RunLocate() const;

  CLI::App* stations_ = nullptr;
  CLI::App* locate_ = nullptr;
  std::string project_;
  std::string from_, to_, every_, offsets_, alignment_;
  std::vector<std::string> at_;
  bool main_points_ = false;
  std::string source_;
  std::vector<std::string> queries_;
  std::vector<std::string> points_;
  bool tsv_ = false;
};

}  // namespace vardex::cli
