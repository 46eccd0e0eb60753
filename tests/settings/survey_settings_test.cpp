// The save rule of the settings form: order of the checks, their messages, and what is stored.
#include "settings/survey_settings.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vardex {
namespace {

// The form as the dialog shows it at start-up.
SettingsForm DefaultForm() { return GetConfig(InitConfig()); }

TEST(GetConfig, ShowsTheDefaultsAsTyped) {
  const SettingsForm form = DefaultForm();
  EXPECT_EQ(form.TextPM, (std::array<std::string, 2>{"-5", "5"}));
  EXPECT_EQ(form.TextSZ,
            (std::array<std::string, 8>{"0.2", "4.8", "-3", "3", "-2", "2", "0.6", "ZD"}));
  EXPECT_FALSE(form.CheckSZ);
  EXPECT_TRUE(form.CheckZJD);
  EXPECT_TRUE(form.CheckMiters);
}

TEST(SetConfig, DefaultFormSavesTheDefaults) {
  const SetConfigResult result = SetConfig(DefaultForm());
  EXPECT_EQ(result.message, "设置已经保存");
  ASSERT_TRUE(result.settings.has_value());
  EXPECT_EQ(*result.settings, InitConfig());
}

struct RefusedCase {
  std::string name;
  std::function<void(SettingsForm&)> edit;
  std::string message;
};

// Each case changes the default form and expects the one message of the first failing check.
TEST(SetConfig, RefusesWithTheMessageOfTheFirstFailingCheck) {
  const std::string plane1 = "请检查平面设置第1项是否为数字,设置未保存";
  const std::string plane2 = "请检查平面设置第2项是否为数字,设置未保存";
  const auto levelling = [](int n) {
    return "请检查水准设置第" + std::to_string(n) + "项是否为数字,设置未保存";
  };
  const std::string staff = "请保证水准尺读数正确性,设置未保存";
  const std::string mid = "请保证水准中间点正确性,设置未保存";
  const std::string closure = "请保证水准点闭合差正确性,设置未保存";
  const std::string quick = "请保证水准快速转站正确性,设置未保存";

  const RefusedCase cases[] = {
      {"plane item 1 a word", [](SettingsForm& f) { f.TextPM[0] = "abc"; }, plane1},
      {"plane item 2 empty", [](SettingsForm& f) { f.TextPM[1] = ""; }, plane2},
      {"plane reported before levelling",
       [](SettingsForm& f) {
         f.TextPM[1] = "x";
         f.TextSZ[0] = "y";
       },
       plane2},
      {"first plane item reported first",
       [](SettingsForm& f) {
         f.TextPM[0] = "-";
         f.TextPM[1] = "+";
       },
       plane1},
      {"levelling item 1", [](SettingsForm& f) { f.TextSZ[0] = "."; }, levelling(1)},
      {"levelling item 3 empty", [](SettingsForm& f) { f.TextSZ[2] = ""; }, levelling(3)},
      {"levelling item 7 lone sign", [](SettingsForm& f) { f.TextSZ[6] = "-"; }, levelling(7)},
      {"levelling item 7 decimal comma", [](SettingsForm& f) { f.TextSZ[6] = "0,6"; },
       levelling(7)},
      {"not-a-number before range checks",
       [](SettingsForm& f) {
         f.TextSZ[0] = "5";
         f.TextSZ[5] = "two";
       },
       levelling(6)},
      {"levelling value beyond double range", [](SettingsForm& f) { f.TextSZ[0] = "1e999"; },
       levelling(8)},
      {"plane value beyond double range", [](SettingsForm& f) { f.TextPM[1] = "-1e400"; },
       levelling(8)},
      {"staff equal", [](SettingsForm& f) { f.TextSZ[0] = f.TextSZ[1] = "1.0"; }, staff},
      {"staff reversed",
       [](SettingsForm& f) {
         f.TextSZ[0] = "4.8";
         f.TextSZ[1] = "0.2";
       },
       staff},
      {"staff reported before intermediate",
       [](SettingsForm& f) {
         f.TextSZ[1] = "0.1";
         f.TextSZ[3] = "-9";
       },
       staff},
      {"intermediate equal", [](SettingsForm& f) { f.TextSZ[2] = f.TextSZ[3] = "-3"; }, mid},
      {"intermediate reversed", [](SettingsForm& f) { f.TextSZ[3] = "-4"; }, mid},
      {"intermediate reported before closure",
       [](SettingsForm& f) {
         f.TextSZ[3] = "-4";
         f.TextSZ[5] = "-4";
       },
       mid},
      {"closure equal", [](SettingsForm& f) { f.TextSZ[4] = f.TextSZ[5] = "2"; }, closure},
      {"closure reported before quick transfer",
       [](SettingsForm& f) {
         f.TextSZ[5] = "-2.5";
         f.TextSZ[6] = "0";
       },
       closure},
      {"quick transfer exactly half the staff range", [](SettingsForm& f) { f.TextSZ[6] = "2.3"; },
       quick},
      {"quick transfer zero", [](SettingsForm& f) { f.TextSZ[6] = "0"; }, quick},
      {"quick transfer negative", [](SettingsForm& f) { f.TextSZ[6] = "-0.5"; }, quick},
      {"quick transfer against the staff range typed now",
       [](SettingsForm& f) {
         f.TextSZ[0] = "1";
         f.TextSZ[1] = "2";
       },
       quick},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsForm form = DefaultForm();
    c.edit(form);
    const SetConfigResult result = SetConfig(form);
    EXPECT_EQ(result.message, c.message);
    EXPECT_FALSE(result.settings.has_value());
  }
}

struct SavedCase {
  std::string name;
  std::function<void(SettingsForm&)> edit;
  std::function<void(SurveySettings&)> expected;
};

TEST(SetConfig, StoresEveryBoxAsTyped) {
  const SavedCase cases[] = {
      {"quick transfer just below half the staff range",
       [](SettingsForm& f) { f.TextSZ[6] = "2.29"; },
       [](SurveySettings& s) { s.QuickTransferValue = 2.29; }},
      {"plane pair reversed",
       [](SettingsForm& f) {
         f.TextPM[0] = "5";
         f.TextPM[1] = "-5";
       },
       [](SurveySettings& s) {
         s.PlaneTolMinus = 5;
         s.PlaneTolPlus = -5;
       }},
      {"plane pair equal", [](SettingsForm& f) { f.TextPM[0] = f.TextPM[1] = "0"; },
       [](SurveySettings& s) { s.PlaneTolMinus = s.PlaneTolPlus = 0; }},
      {"empty prefix", [](SettingsForm& f) { f.TextSZ[7] = ""; },
       [](SurveySettings& s) { s.TurnPointPrefix = ""; }},
      {"prefix untrimmed", [](SettingsForm& f) { f.TextSZ[7] = " 转点 "; },
       [](SurveySettings& s) { s.TurnPointPrefix = " 转点 "; }},
      {"no range on single values",
       [](SettingsForm& f) {
         f.TextSZ[0] = "-1";
         f.TextSZ[1] = "3";
         f.TextSZ[2] = "1";
         f.TextSZ[3] = "2";
         f.TextSZ[4] = "-7";
         f.TextSZ[5] = "-6";
         f.TextSZ[6] = "1.5";
       },
       [](SurveySettings& s) {
         s.StaffMinReading = -1;
         s.StaffMaxReading = 3;
         s.MidTolMinus = 1;
         s.MidTolPlus = 2;
         s.ClosureTolMinus = -7;
         s.ClosureTolPlus = -6;
         s.QuickTransferValue = 1.5;
       }},
      {"blanks, signs, exponents",
       [](SettingsForm& f) {
         f.TextPM[0] = " -2.5 ";
         f.TextSZ[1] = "+48e-1";
         f.TextSZ[6] = ".6";
       },
       [](SurveySettings& s) { s.PlaneTolMinus = -2.5; }},
      {"check boxes",
       [](SettingsForm& f) {
         f.CheckSZ = true;
         f.CheckZJD = false;
         f.CheckMiters = false;
       },
       [](SurveySettings& s) {
         s.ShowTurnPointElevation = true;
         s.ShowMidPoints = false;
         s.ReadingsInMeters = false;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsForm form = DefaultForm();
    c.edit(form);
    SurveySettings expected = InitConfig();
    c.expected(expected);
    const SetConfigResult result = SetConfig(form);
    EXPECT_EQ(result.message, "设置已经保存");
    ASSERT_TRUE(result.settings.has_value());
    EXPECT_EQ(*result.settings, expected);
  }
}

// The dialog loads GetConfig's texts; saving them unchanged must keep every setting.
TEST(GetConfig, SavedAgainGivesTheSameSettings) {
  SurveySettings settings = InitConfig();
  settings.StaffMinReading = 0.35;
  settings.StaffMaxReading = 3.05;
  settings.MidTolMinus = -2.5;
  settings.ClosureTolPlus = 1e-3;
  settings.QuickTransferValue = 1.0 / 3;  // shown with 15 digits, still below half the range
  settings.TurnPointPrefix = "TP";
  settings.ShowTurnPointElevation = true;
  settings.PlaneTolMinus = 7;
  settings.PlaneTolPlus = -7;

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
