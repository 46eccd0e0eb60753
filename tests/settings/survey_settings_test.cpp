// The save rule of the settings form: order of the checks, their messages, and what is stored.
#include "settings/survey_settings.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace vardex {
namespace {

// The form as the dialog shows it at start-up with texts typed over its boxes: "SZ6=2.3|PM0=x",
// the boxes named as in the dialog without "Text" (PM0, PM1, SZ0 to SZ7).
SettingsForm FormWith(const std::string& edits) {
  SettingsForm form = GetConfig(InitConfig());
  std::istringstream typed(edits);
  for (std::string edit; std::getline(typed, edit, '|');) {
    const std::size_t i = static_cast<std::size_t>(edit.at(2) - '0');
    (edit.starts_with("PM") ? form.TextPM.at(i) : form.TextSZ.at(i)) = edit.substr(4);
  }
  return form;
}

// Each case changes the default form and expects the one message of the first failing check.
TEST(SetConfig, RefusesWithTheMessageOfTheFirstFailingCheck) {
  const auto plane = [](int n) {
    return "请检查平面设置第" + std::to_string(n) + "项是否为数字,设置未保存";
  };
  const auto levelling = [](int n) {
    return "请检查水准设置第" + std::to_string(n) + "项是否为数字,设置未保存";
  };
  const std::string staff = "请保证水准尺读数正确性,设置未保存";
  const std::string mid = "请保证水准中间点正确性,设置未保存";
  const std::string closure = "请保证水准点闭合差正确性,设置未保存";
  const std::string quick = "请保证水准快速转站正确性,设置未保存";
  // A value beyond the double range passes the numeric test but fails the conversion after it:
  // the save reports the item after the last one tested, as the dialog always did.
  const std::tuple<const char*, const char*, std::string> cases[] = {
      {"plane item 1 a word", "PM0=abc", plane(1)},
      {"plane item 2 empty", "PM1=", plane(2)},
      {"plane reported before levelling", "PM1=x|SZ0=y", plane(2)},
      {"first plane item reported first", "PM0=-|PM1=+", plane(1)},
      {"levelling item 1", "SZ0=.", levelling(1)},
      {"levelling item 3 empty", "SZ2=", levelling(3)},
      {"levelling item 7 decimal comma", "SZ6=0,6", levelling(7)},
      {"not-a-number before range checks", "SZ0=5|SZ5=two", levelling(6)},
      {"levelling value beyond double range", "SZ0=1e999", levelling(8)},
      {"plane value beyond double range", "PM1=-1e400", levelling(8)},
      {"staff equal", "SZ0=1.0|SZ1=1", staff},
      {"staff reversed", "SZ0=4.8|SZ1=0.2", staff},
      {"staff reported before intermediate", "SZ1=0.1|SZ3=-9", staff},
      {"intermediate equal", "SZ2=-3|SZ3=-3", mid},
      {"intermediate reversed", "SZ3=-4", mid},
      {"intermediate reported before closure", "SZ3=-4|SZ5=-4", mid},
      {"closure equal", "SZ4=2|SZ5=2", closure},
      {"closure reported before quick transfer", "SZ5=-2.5|SZ6=0", closure},
      {"quick transfer exactly half the staff range", "SZ6=2.3", quick},
      {"quick transfer zero", "SZ6=0", quick},
      {"quick transfer negative", "SZ6=-0.5", quick},
      {"quick transfer against the staff range typed now", "SZ0=1|SZ1=2", quick},
  };
  for (const auto& [name, edits, message] : cases) {
    SCOPED_TRACE(name);
    const SetConfigResult result = SetConfig(FormWith(edits));
    EXPECT_EQ(result.message, message);
    EXPECT_FALSE(result.settings.has_value());
  }
}

TEST(SetConfig, StoresEveryBoxAsTyped) {
  const std::tuple<const char*, const char*, SurveySettings> cases[] = {
      {"the defaults", "", {}},
      {"quick transfer just below half the staff range", "SZ6=2.29", {.QuickTransferValue = 2.29}},
      {"plane pair reversed", "PM0=5|PM1=-5", {.PlaneTolMinus = 5, .PlaneTolPlus = -5}},
      {"plane pair equal", "PM0=0|PM1=0", {.PlaneTolMinus = 0, .PlaneTolPlus = 0}},
      {"empty prefix", "SZ7=", {.TurnPointPrefix = ""}},
      {"prefix untrimmed", "SZ7= 转点 ", {.TurnPointPrefix = " 转点 "}},
      {"no range on single values",
       "SZ0=-1|SZ1=3|SZ2=1|SZ3=2|SZ4=-7|SZ5=-6|SZ6=1.5",
       {.StaffMinReading = -1,
        .StaffMaxReading = 3,
        .MidTolMinus = 1,
        .MidTolPlus = 2,
        .ClosureTolMinus = -7,
        .ClosureTolPlus = -6,
        .QuickTransferValue = 1.5}},
      {"blanks, signs, exponents", "PM0= -2.5 |SZ1=+48e-1|SZ6=.6", {.PlaneTolMinus = -2.5}},
  };
  for (const auto& [name, edits, expected] : cases) {
    SCOPED_TRACE(name);
    const SetConfigResult result = SetConfig(FormWith(edits));
    EXPECT_EQ(result.message, "设置已经保存");
    ASSERT_TRUE(result.settings.has_value());
    EXPECT_EQ(*result.settings, expected);
  }

  SettingsForm boxes = FormWith("");
  boxes.CheckSZ = true;
  boxes.CheckZJD = false;
  boxes.CheckMiters = false;
  const std::optional<SurveySettings> saved = SetConfig(boxes).settings;
  ASSERT_TRUE(saved.has_value());
  EXPECT_TRUE(saved->ShowTurnPointElevation);
  EXPECT_FALSE(saved->ShowMidPoints);
  EXPECT_FALSE(saved->ReadingsInMeters);
}

// The dialog loads GetConfig's texts and boxes; saving them unchanged must keep every setting.
TEST(GetConfig, SavedAgainGivesTheSameSettings) {
  // The quick transfer is shown with 15 digits, still below half the staff range.
  const SurveySettings settings{.StaffMinReading = 0.35,
                                .StaffMaxReading = 3.05,
                                .MidTolMinus = -2.5,
                                .ClosureTolPlus = 1e-3,
                                .QuickTransferValue = 1.0 / 3,
                                .TurnPointPrefix = "TP",
                                .ShowTurnPointElevation = true,
                                .ShowMidPoints = false,
                                .ReadingsInMeters = false,
                                .PlaneTolMinus = 7,
                                .PlaneTolPlus = -7};

  const SettingsForm form = GetConfig(settings);
  EXPECT_EQ(form.TextSZ[6], "0.333333333333333");
  const SetConfigResult result = SetConfig(form);
  ASSERT_TRUE(result.settings.has_value()) << result.message;
  SurveySettings expected = settings;
  expected.QuickTransferValue = 0.333333333333333;
  EXPECT_EQ(*result.settings, expected);
}

}  // namespace
}  // namespace vardex
