// What a settings save says, and how: every message box of a save has the same title and style,
// so that the settings dialog and the command-line tool show the same words.
#pragma once

#include <string>
#include <string_view>

namespace vardex {

/// Title of every settings message box.
inline constexpr std::string_view kSettingsMessageTitle = "平面水准设置";
/// Message-box style of every settings message: information icon (64) with an OK button only (0).
inline constexpr int kSettingsMessageStyle = 64;

/// A save that went through.
inline constexpr std::string_view kSettingsSavedMessage = "设置已经保存";
/// Staff maximum reading not above the minimum.
inline constexpr std::string_view kStaffRangeMessage = "请保证水准尺读数正确性,设置未保存";
/// Intermediate-point positive error not above the negative error.
inline constexpr std::string_view kMidTolMessage = "请保证水准中间点正确性,设置未保存";
/// Closure positive error not above the negative error.
inline constexpr std::string_view kClosureTolMessage = "请保证水准点闭合差正确性,设置未保存";
/// Quick transfer value not strictly between 0 and half the staff range.
inline constexpr std::string_view kQuickTransferMessage = "请保证水准快速转站正确性,设置未保存";

/// A levelling class or closure basis that is not one of the choices.
inline constexpr std::string_view kLevelClassMessage =
    "请检查水准测量等级（三等、四等、图根、等外）和闭合差计算方式（n 或 L）,设置未保存";

/// Plane box `item` (1-based, from the top) is not a number.
inline std::string PlaneNotNumberMessage(int item) {
  return "请检查平面设置第" + std::to_string(item) + "项是否为数字,设置未保存";
}

/// Levelling box `item` (1-based, from the top) is not a number.
inline std::string LevellingNotNumberMessage(int item) {
  return "请检查水准设置第" + std::to_string(item) + "项是否为数字,设置未保存";
}

}  // namespace vardex
