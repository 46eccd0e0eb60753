// The levelling class setting: its allowable misclosures and how the settings form takes it.
#include <gtest/gtest.h>

#include "settings/levelling_class.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {
namespace {

// ±k√n and ±k√L in millimetres, rounded as the record shows them: n = 4 set-ups, L = 2.25 km.
TEST(LevellingClass, AllowableTexts) {
  struct Case {
    LevellingClass level_class;
    ClosureBasis basis;
    const char* text;
  };
  const Case cases[] = {
      {LevellingClass::Fourth, ClosureBasis::Setups, "±6√n=±12"},
      {LevellingClass::Fourth, ClosureBasis::Length, "±20√L=±30"},
      {LevellingClass::Third, ClosureBasis::Setups, "±4√n=±8"},
      {LevellingClass::Third, ClosureBasis::Length, "±12√L=±18"},
      {LevellingClass::Mapping, ClosureBasis::Setups, "±12√n=±24"},
      {LevellingClass::Ordinary, ClosureBasis::Length, "±40√L=±60"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AllowableClosureText(c.level_class, c.basis, 4, 2.25), c.text);
  }
  // The default keeps the text generated records always had: 6√2 = 8.485 shows 8.
  EXPECT_EQ(AllowableClosureText(InitConfig().LevelClass, ClosureBasis::Setups, 2, 0), "±6√n=±8");
}

TEST(LevellingClass, SettingsFormTakesNamesAndLetters) {
  SettingsForm form = GetConfig(InitConfig());
  EXPECT_EQ(form.LevelClass, "四等");
  EXPECT_EQ(form.ClosureBy, "n");
  form.LevelClass = "图根";
  form.ClosureBy = "L";
  const SetConfigResult saved = SetConfig(form);
  ASSERT_TRUE(saved.settings.has_value());
  EXPECT_EQ(saved.settings->LevelClass, LevellingClass::Mapping);
  EXPECT_EQ(saved.settings->ClosureBy, ClosureBasis::Length);
  EXPECT_EQ(GetConfig(*saved.settings).LevelClass, "图根");
  for (const auto& [level_class, basis] :
       {std::pair{"五等", "n"}, std::pair{"四等", "km"}, std::pair{"", "n"}}) {
    form.LevelClass = level_class;
    form.ClosureBy = basis;
    const SetConfigResult refused = SetConfig(form);
    EXPECT_FALSE(refused.settings.has_value());
    EXPECT_EQ(refused.message, kLevelClassMessage);
  }
}

}  // namespace
}  // namespace vardex
