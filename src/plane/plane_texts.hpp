// Every user-visible text of the plane records in one place, grouped by sheet: sheet names,
// header prefixes, and the messages of the input reader, the table writer and the check.
#pragma once

#include <string_view>

namespace vardex::plane_text {

// Sheet names.
inline constexpr std::string_view kInputSheet = "数据输入";
inline constexpr std::string_view kStakeOutSheet = "放线记录表";
inline constexpr std::string_view kInspectionSheet = "平面位置检测表";

// Header blocks of "放线记录表" and "平面位置检测表": full-width Ｘ Ｙ Ｈ and ＝, two spaces
// around the values of S, and the Latin small letter alpha U+0251.
inline constexpr std::string_view kXPrefix = "Ｘ＝";
inline constexpr std::string_view kYPrefix = "Ｙ＝";
inline constexpr std::string_view kHPrefix = "Ｈ＝";
inline constexpr std::string_view kBackSightDistancePrefix = "S =  ";
inline constexpr std::string_view kBackSightDistanceSuffix = "  米";
inline constexpr std::string_view kBackSightAzimuthPrefix = "ɑ =  ";

// Where a message points: "<file>：工作表“<sheet>”单元格 <cell>：<what>".
inline constexpr std::string_view kFileSeparator = "：";
inline constexpr std::string_view kSheetOpen = "工作表“";
inline constexpr std::string_view kSheetClose = "”";
inline constexpr std::string_view kCellLead = "单元格 ";
inline constexpr std::string_view kWhatSeparator = "：";
inline constexpr std::string_view kQuoteOpen = "“";
inline constexpr std::string_view kQuoteClose = "”";
inline constexpr std::string_view kEmptyCell = "（空）";

// "数据输入": reading the plane block.
inline constexpr std::string_view kSheetMissing = "找不到工作表“";
inline constexpr std::string_view kSheetMissingEnd = "”，平面记录表未写入";
inline constexpr std::string_view kNotANumber = "应为数字，实为";
inline constexpr std::string_view kNotAText = "应为文字或数字，实为";
inline constexpr std::string_view kErrorValue = "错误值";
inline constexpr std::string_view kBooleanValue = "逻辑值";
inline constexpr std::string_view kNotWritten = "，平面记录表未写入";
inline constexpr std::string_view kToleranceOutOfRange = "平面位置误差界限超出整数毫米的范围：";
inline constexpr std::string_view kToleranceUnit = " 毫米";

// "放线记录表" and "平面位置检测表": writing the tables.
inline constexpr std::string_view kTooManyPoints = "待放样点过多：共 ";
inline constexpr std::string_view kTooManyPointsEnd = " 个，记录表第 8 行至第 65535 行最多容纳 ";
inline constexpr std::string_view kTooManyPointsUnit = " 个，平面记录表未写入";
inline constexpr std::string_view kNotFinite =
    "坐标过大，算出的距离或方位角不是有限数，平面记录表未写入";
inline constexpr std::string_view kRowRangeTooLong = "记录行超出工作表末行：";

// "平面位置检测表" of surveyed points: marks after the side text in P.
inline constexpr std::string_view kNotMeasuredMark = "未测";
inline constexpr std::string_view kOutOfToleranceMark = "超限";
inline constexpr std::string_view kSurveyedTwice = "重复：该放样点已在";
inline constexpr std::string_view kSurveyedTwiceEnd = "测过";

// The check of both tables.
inline constexpr std::string_view kExpected = "应为";
inline constexpr std::string_view kFound = "，实为";
inline constexpr std::string_view kNotWholeMillimetres = "偏差不是整毫米：";
inline constexpr std::string_view kOutsideTolerance = "偏差超出平面位置误差范围：";
inline constexpr std::string_view kMillimetreRange = " 毫米，允许 ";
inline constexpr std::string_view kRangeDash = "～";
inline constexpr std::string_view kMillimetres = " 毫米";
inline constexpr std::string_view kStaleRow = "最后一个点之后的残留内容，应为空，实为";
inline constexpr std::string_view kSheetNotFound = "找不到工作表";
inline constexpr std::string_view kNotChecked = "，未检查";
inline constexpr std::string_view kLabelHeader = "表头";
inline constexpr std::string_view kLabelName = "点名";
inline constexpr std::string_view kLabelSide = "位置";
inline constexpr std::string_view kLabelDesignX = "设计X";
inline constexpr std::string_view kLabelDesignY = "设计Y";
inline constexpr std::string_view kLabelAzimuth = "方位角";
inline constexpr std::string_view kLabelDesignDistance = "设计距离";
inline constexpr std::string_view kLabelMeasuredDistance = "实测距离";
inline constexpr std::string_view kLabelDistanceDifference = "距离差（毫米）";
inline constexpr std::string_view kLabelMeasuredX = "实测X";
inline constexpr std::string_view kLabelMeasuredY = "实测Y";
inline constexpr std::string_view kLabelDeviationX = "X偏差（毫米）";
inline constexpr std::string_view kLabelDeviationY = "Y偏差（毫米）";
inline constexpr std::string_view kLabelPositionDeviation = "点位偏差（毫米）";
inline constexpr std::string_view kInputUnreadable = "输入无法读取，未检查记录表：";

}  // namespace vardex::plane_text
