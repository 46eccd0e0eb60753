// The thirteen levelling and plane settings, their defaults, and the save rule that turns the
// settings form's texts into new settings or into the one message of the first failing check.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vardex {

/// Parameters of the record generators. Default member values are the start-up defaults.
struct SurveySettings {
  double StaffMinReading = 0.2;     ///< metres
  double StaffMaxReading = 4.8;     ///< metres
  double MidTolMinus = -3;          ///< millimetres
  double MidTolPlus = 3;            ///< millimetres
  double ClosureTolMinus = -2;      ///< millimetres
  double ClosureTolPlus = 2;        ///< millimetres
  double QuickTransferValue = 0.6;  ///< metres
  std::string TurnPointPrefix = "ZD";
  bool ShowTurnPointElevation = false;
  bool ShowMidPoints = true;
  bool ReadingsInMeters = true;
  double PlaneTolMinus = -5;  ///< millimetres
  double PlaneTolPlus = 5;    ///< millimetres

  friend bool operator==(const SurveySettings&, const SurveySettings&) = default;
};

/// The defaults, as every start of the program has them.
SurveySettings InitConfig();

/// The settings form as texts and check states: TextPM(0..1), TextSZ(0..7), and the check boxes
/// CheckSZ (ShowTurnPointElevation), CheckZJD (ShowMidPoints), CheckMiters (ReadingsInMeters).
struct SettingsForm {
  std::array<std::string, 2> TextPM;
  std::array<std::string, 8> TextSZ;
  bool CheckSZ = false;
  bool CheckZJD = true;
  bool CheckMiters = true;
};

/// Title and style of every settings message box (information icon, OK button).
inline constexpr std::string_view kSettingsMessageTitle = "平面水准设置";

/// Outcome of a save: the complete new settings on success, and the message to show either way
/// ("设置已经保存" on success, else the message of the first failing check).
struct SetConfigResult {
  std::optional<SurveySettings> settings;
  std::string message;
};

/// The save rule: checks the form in its fixed order and stops at the first failure.
SetConfigResult SetConfig(const SettingsForm& form);

/// The reverse mapping: each number as text with at most 15 significant digits.
SettingsForm GetConfig(const SurveySettings& settings);

}  // namespace vardex
