// The survey settings as command-line options. Their values are kept as typed and go
// through the same save rule as the settings dialog, so that both refuse the same input with the
// same message and item number.
#pragma once

#include <array>
#include <string>

#include "settings/survey_settings.hpp"

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace vardex::cli {

class SettingsOptions {
 public:
  /// Registers the options on `command` in the group "平面水准设置". Call once per command.
  void AddTo(CLI::App& command);

  /// True when the user gave at least one settings option.
  bool AnyGiven() const;

  /// `form` with every given option put in place of its box or check box.
  SettingsForm Overlay(SettingsForm form) const;

 private:
  // Texts in the dialog's box order: TextPM(0..1), then TextSZ(0..7).
  std::array<std::string, 10> texts_;
  std::array<CLI::Option*, 10> textOptions_{};
  bool showTurnElevation_ = false;
  bool noMidPoints_ = false;
  bool readingsInMm_ = false;
  std::array<CLI::Option*, 3> flagOptions_{};
  // The levelling class and the closure basis, by name.
  std::string levelClass_;
  std::string closureBy_;
  CLI::Option* levelClassOption_ = nullptr;
  CLI::Option* closureByOption_ = nullptr;
};

}  // namespace vardex::cli
