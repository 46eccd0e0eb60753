// The thirteen levelling and plane settings, their defaults, and the save rule that turns the
// settings form's texts into new settings or into the one message of the first failing check.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "settings/levelling_class.hpp"
#include "settings/settings_messages.hpp"

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
  /// The class whose allowable misclosure the levelling record states and checks.
  LevellingClass LevelClass = LevellingClass::Fourth;
  /// ±k√n by set-ups or ±k√L by length. A generated record has no sight distances and always
  /// counts set-ups.
  ClosureBasis ClosureBy = ClosureBasis::Setups;

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
  /// The levelling class by name ("四等") and the closure basis by letter ("n" or "L"), as the
  /// dialog's two lists and the command line give them.
  std::string LevelClass = "四等";
  std::string ClosureBy = "n";
};

/// Outcome of a save: the complete new settings on success, and the message to show either way
/// ("设置已经保存" on success, else the message of the first failing check).
struct SetConfigResult {
  std::optional<SurveySettings> settings;
  std::string message;
};

/// The save rule: checks the form in its fixed order and stops at the first failure.
///
///  1. TextPM(0), TextPM(1) numeric (IsNumericText), else PlaneNotNumberMessage(item);
///  2. TextSZ(0) to TextSZ(6) numeric, else LevellingNotNumberMessage(item); the turning-point
///     prefix TextSZ(7) is any text, the empty text included;
///  3. staff maximum - minimum > 0, else kStaffRangeMessage;
///  4. MidTolPlus - MidTolMinus > 0, else kMidTolMessage;
///  5. ClosureTolPlus - ClosureTolMinus > 0, else kClosureTolMessage;
///  6. 0 < QuickTransferValue < (staff maximum - minimum) / 2, both strict, with the staff range
///     of this same form, else kQuickTransferMessage;
///  7. LevelClass one of the class names, ClosureBy "n" or "L", else kLevelClassMessage;
///  8. the new settings and kSettingsSavedMessage.
///
/// A box of numeric form whose value does not fit a double ("1e999") passes steps 1 and 2 but
/// cannot be converted: the save then ends with LevellingNotNumberMessage(8), the item after the
/// last one the levelling loop looked at, whichever box it was. The plane pair needs no order.
/// The prefix is stored untrimmed; the check states map directly to the three switches.
SetConfigResult SetConfig(const SettingsForm& form);

/// The reverse mapping: each number as GeneralNumberText (at most 15 significant digits, no
/// trailing zeros, point as separator), the prefix unchanged, the switches as check states, the
/// class by name and the closure basis by letter.
SettingsForm GetConfig(const SurveySettings& settings);

}  // namespace vardex
