// The calculate command: levelling first, plane second, the levelling table shown last.
#include "project/calculation_run.hpp"

#include <exception>
#include <string>
#include <string_view>

#include "host/host_error.hpp"
#include "levelling/levelling_input.hpp"
#include "levelling/levelling_record.hpp"
#include "plane/plane_tables.hpp"
#include "project/provenance.hpp"

namespace vardex {
namespace {

constexpr std::string_view kLevellingSheet = "水准表";

// What the run was doing when a failure ended it; the cause that follows names sheet and cell.
constexpr std::string_view kWhileLevelling = "生成“水准表”时出错，计算已中止：";
constexpr std::string_view kWhilePlane = "生成“放线记录表”和“平面位置检测表”时出错，计算已中止：";
constexpr std::string_view kWhileShowing = "显示“水准表”时出错：";
// Same title as the project-creation messages: "错误" and the error number, no blank between.
constexpr std::string_view kErrorTitle = "错误";

// The generators switch nothing back themselves, and a failure may leave the run at any step:
// screen updating must come back on however the run ends, or the desktop view stays frozen.
class ScreenUpdatingOff {
 public:
  explicit ScreenUpdatingOff(host::Workbook& book) : book_(book) { book_.SetScreenUpdating(false); }
  ~ScreenUpdatingOff() { book_.SetScreenUpdating(true); }
  ScreenUpdatingOff(const ScreenUpdatingOff&) = delete;
  ScreenUpdatingOff& operator=(const ScreenUpdatingOff&) = delete;

 private:
  host::Workbook& book_;
};

CalculationMessage Ending(std::string_view step, const host::HostError& error) {
  return {std::string(kErrorTitle) + std::to_string(error.Number()),
          std::string(step) + "\n" + error.what(), true};
}

CalculationMessage Ending(std::string_view step, const std::exception& error) {
  return {std::string(kErrorTitle), std::string(step) + "\n" + error.what(), true};
}

}  // namespace

CalculationOutcome RunCalculation(host::Workbook* project, const SurveySettings& settings,
                                  RandomSource& random) {
  CalculationOutcome outcome;
  if (project == nullptr) return outcome;
  ScreenUpdatingOff screen(*project);

  try {
    GenerateLevellingRecord(*project, settings, random);
    outcome.levellingWritten = true;
    ForgetFieldLevelling(*project);
  } catch (const LevellingInputError& error) {
    // The input read reports for itself and the levelling is skipped; the plane tables read
    // their own block and still have a chance.
    outcome.messages.push_back({std::string(LevellingInputError::kTitle), error.what(), false});
  } catch (const host::HostError& error) {
    outcome.messages.push_back(Ending(kWhileLevelling, error));
    return outcome;
  } catch (const std::exception& error) {
    outcome.messages.push_back(Ending(kWhileLevelling, error));
    return outcome;
  }

  try {
    GeneratePlaneTables(*project, settings, random);
    outcome.planeWritten = true;
    ForgetFieldPlane(*project);
  } catch (const host::HostError& error) {
    outcome.messages.push_back(Ending(kWhilePlane, error));
    return outcome;
  } catch (const std::exception& error) {
    outcome.messages.push_back(Ending(kWhilePlane, error));
    return outcome;
  }

  try {
    project->Sheet(kLevellingSheet).Activate();
  } catch (const host::HostError& error) {
    outcome.messages.push_back(Ending(kWhileShowing, error));
  }
  return outcome;
}

CalculationOutcome RunRecordedCalculation(host::Workbook& project, const SettingsForm& form,
                                          uint64_t seed) {
  const SetConfigResult settings = SetConfig(form);
  if (!settings.settings) {
    CalculationOutcome refused;
    refused.messages.push_back({std::string(kSettingsMessageTitle), settings.message, true});
    return refused;
  }
  const std::unique_ptr<RandomSource> random = MakeSeededRandomSource(seed);
  CalculationOutcome outcome = RunCalculation(&project, *settings.settings, *random);
  if (outcome.Complete()) {
    RecordProvenance(project, form, seed);
  } else if (outcome.levellingWritten || outcome.planeWritten) {
    ForgetProvenance(project);
  }
  return outcome;
}

}  // namespace vardex
