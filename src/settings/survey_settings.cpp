// Defaults, the save rule of the settings form, and the form filled from settings.
#include "settings/survey_settings.hpp"

#include <utility>

#include "numeric/number_text.hpp"

namespace vardex {
namespace {

SetConfigResult Refuse(std::string message) { return {std::nullopt, std::move(message)}; }

}  // namespace

SurveySettings InitConfig() { return SurveySettings{}; }

SetConfigResult SetConfig(const SettingsForm& form) {
  for (std::size_t i = 0; i < form.TextPM.size(); ++i) {
    if (!IsNumericText(form.TextPM[i]))
      return Refuse(PlaneNotNumberMessage(static_cast<int>(i) + 1));
  }
  constexpr std::size_t kNumericLevellingBoxes = 7;  // the eighth box, the prefix, is free text
  for (std::size_t i = 0; i < kNumericLevellingBoxes; ++i) {
    if (!IsNumericText(form.TextSZ[i])) {
      return Refuse(LevellingNotNumberMessage(static_cast<int>(i) + 1));
    }
  }

  // Every box now has the form of a number, but a value beyond the range of a double still fails
  // to convert. Such a failure is reported with the levelling message and the item number at
  // which the levelling loop ended: one past its last box.
  const auto failed_conversion = [] {
    return Refuse(LevellingNotNumberMessage(static_cast<int>(kNumericLevellingBoxes) + 1));
  };
  const auto plane_minus = ParseNumericText(form.TextPM[0]);
  const auto plane_plus = ParseNumericText(form.TextPM[1]);
  std::array<double, kNumericLevellingBoxes> levelling{};
  for (std::size_t i = 0; i < kNumericLevellingBoxes; ++i) {
    const auto value = ParseNumericText(form.TextSZ[i]);
    if (!value) return failed_conversion();
    levelling[i] = *value;
  }
  if (!plane_minus || !plane_plus) return failed_conversion();

  SurveySettings next;
  next.StaffMinReading = levelling[0];
  next.StaffMaxReading = levelling[1];
  next.MidTolMinus = levelling[2];
  next.MidTolPlus = levelling[3];
  next.ClosureTolMinus = levelling[4];
  next.ClosureTolPlus = levelling[5];
  next.QuickTransferValue = levelling[6];
  next.TurnPointPrefix = form.TextSZ[7];
  next.ShowTurnPointElevation = form.CheckSZ;
  next.ShowMidPoints = form.CheckZJD;
  next.ReadingsInMeters = form.CheckMiters;
  next.PlaneTolMinus = *plane_minus;
  next.PlaneTolPlus = *plane_plus;

  // Differences rather than comparisons, so that the test reads as the rule is written:
  // maximum minus minimum must be positive.
  const double staff_range = next.StaffMaxReading - next.StaffMinReading;
  if (!(staff_range > 0)) return Refuse(std::string(kStaffRangeMessage));
  if (!(next.MidTolPlus - next.MidTolMinus > 0)) return Refuse(std::string(kMidTolMessage));
  if (!(next.ClosureTolPlus - next.ClosureTolMinus > 0)) {
    return Refuse(std::string(kClosureTolMessage));
  }
  const double half_range = staff_range / 2;
  if (!(next.QuickTransferValue > 0 && half_range > next.QuickTransferValue)) {
    return Refuse(std::string(kQuickTransferMessage));
  }
  const auto level_class = ParseLevellingClass(form.LevelClass);
  const auto closure_by = ParseClosureBasis(form.ClosureBy);
  if (!level_class || !closure_by) return Refuse(std::string(kLevelClassMessage));
  next.LevelClass = *level_class;
  next.ClosureBy = *closure_by;
  return {std::move(next), std::string(kSettingsSavedMessage)};
}

SettingsForm GetConfig(const SurveySettings& settings) {
  SettingsForm form;
  form.TextPM = {GeneralNumberText(settings.PlaneTolMinus),
                 GeneralNumberText(settings.PlaneTolPlus)};
  form.TextSZ = {
      GeneralNumberText(settings.StaffMinReading),    GeneralNumberText(settings.StaffMaxReading),
      GeneralNumberText(settings.MidTolMinus),        GeneralNumberText(settings.MidTolPlus),
      GeneralNumberText(settings.ClosureTolMinus),    GeneralNumberText(settings.ClosureTolPlus),
      GeneralNumberText(settings.QuickTransferValue), settings.TurnPointPrefix};
  form.CheckSZ = settings.ShowTurnPointElevation;
  form.CheckZJD = settings.ShowMidPoints;
  form.CheckMiters = settings.ReadingsInMeters;
  form.LevelClass = std::string(LevellingClassName(settings.LevelClass));
  form.ClosureBy = std::string(ClosureBasisName(settings.ClosureBy));
  return form;
}

}  // namespace vardex
