// The settings options of `vardex calc` and `vardex check`.
#include "cli/settings_options.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstddef>
#include <string_view>

#include "cli/cli_text.hpp"

namespace vardex::cli {
namespace {

struct TextOption {
  std::string_view name;     // without the leading "--"
  std::string_view item;     // how the save messages number the box
  std::string_view caption;  // the caption beside the box in the settings dialog
  std::string_view unit;
};

// Indexed like SettingsOptions::texts_: TextPM(0..1), then TextSZ(0..7).
constexpr std::array<TextOption, 10> kTextOptions{{
    {"plane-tol-minus", "平面设置第1项", "平面位置负误差", "毫米"},
    {"plane-tol-plus", "平面设置第2项", "平面位置正误差", "毫米"},
    {"staff-min", "水准设置第1项", "水准尺最小读数", "米"},
    {"staff-max", "水准设置第2项", "水准尺最大读数", "米"},
    {"mid-tol-minus", "水准设置第3项", "水准中间点负误差", "毫米"},
    {"mid-tol-plus", "水准设置第4项", "水准中间点正误差", "毫米"},
    {"closure-tol-minus", "水准设置第5项", "水准点闭合负误差", "毫米"},
    {"closure-tol-plus", "水准设置第6项", "水准点闭合正误差", "毫米"},
    {"quick-transfer", "水准设置第7项", "水准快速转站值，大于 0 且小于尺读数范围的一半", "米"},
    {"prefix", "水准设置第8项", "水准转站点前缀，可为空", ""},
}};

// Help lists the options in the dialog's order from the top: levelling first, then plane.
constexpr std::array<std::size_t, 10> kHelpOrder{2, 3, 4, 5, 6, 7, 8, 9, 0, 1};

std::string& Box(SettingsForm& form, std::size_t index) {
  return index < 2 ? form.TextPM[index] : form.TextSZ[index - 2];
}
const std::string& Box(const SettingsForm& form, std::size_t index) {
  return index < 2 ? form.TextPM[index] : form.TextSZ[index - 2];
}

}  // namespace

void SettingsOptions::AddTo(CLI::App& command) {
  const SettingsForm defaults = GetConfig(InitConfig());
  for (std::size_t index : kHelpOrder) {
    const TextOption& option = kTextOptions[index];
    std::string help = std::string(option.item) + "：" + std::string(option.caption);
    if (!option.unit.empty()) help += "，" + std::string(option.unit);
    help += "（默认 " + Box(defaults, index) + "）";
    textOptions_[index] = command.add_option("--" + std::string(option.name), texts_[index], help)
                              ->group(std::string(text::kSettingsGroup))
                              ->type_name("值");
  }
  flagOptions_[0] =
      command.add_flag("--show-turn-elevation", showTurnElevation_, "显示转点高程（默认不显示）")
          ->group(std::string(text::kSettingsGroup));
  flagOptions_[1] = command
                        .add_flag("--no-mid-points", noMidPoints_,
                                  "不显示中间点：点的读数记作前视（默认记作中视）")
                        ->group(std::string(text::kSettingsGroup));
  flagOptions_[2] =
      command
          .add_flag("--readings-in-mm", readingsInMm_, "前后视读数以毫米为单位（默认以米为单位）")
          ->group(std::string(text::kSettingsGroup));
  levelClassOption_ =
      command
          .add_option("--level-class", levelClass_,
                      "水准测量等级：三等、四等、图根或等外，决定允许闭合差（默认 " +
                          defaults.LevelClass + "）")
          ->group(std::string(text::kSettingsGroup))
          ->type_name("等级");
  closureByOption_ =
      command
          .add_option("--closure-by", closureBy_,
                      "允许闭合差按测站数 n 或路线长度 L（千米）计算；随机生成的记录没有视距，"
                      "总按 n（默认 " +
                          defaults.ClosureBy + "）")
          ->group(std::string(text::kSettingsGroup))
          ->type_name("n|L");
}

bool SettingsOptions::AnyGiven() const {
  auto given = [](const CLI::Option* option) { return option != nullptr && option->count() > 0; };
  return std::any_of(textOptions_.begin(), textOptions_.end(), given) ||
         std::any_of(flagOptions_.begin(), flagOptions_.end(), given) || given(levelClassOption_) ||
         given(closureByOption_);
}

SettingsForm SettingsOptions::Overlay(SettingsForm form) const {
  for (std::size_t index = 0; index < texts_.size(); ++index) {
    if (textOptions_[index] != nullptr && textOptions_[index]->count() > 0) {
      Box(form, index) = texts_[index];
    }
  }
  if (flagOptions_[0] != nullptr && flagOptions_[0]->count() > 0) {
    form.CheckSZ = showTurnElevation_;
  }
  if (flagOptions_[1] != nullptr && flagOptions_[1]->count() > 0) {
    form.CheckZJD = !noMidPoints_;
  }
  if (flagOptions_[2] != nullptr && flagOptions_[2]->count() > 0) {
    form.CheckMiters = !readingsInMm_;
  }
  if (levelClassOption_ != nullptr && levelClassOption_->count() > 0) form.LevelClass = levelClass_;
  if (closureByOption_ != nullptr && closureByOption_->count() > 0) form.ClosureBy = closureBy_;
  return form;
}

}  // namespace vardex::cli
