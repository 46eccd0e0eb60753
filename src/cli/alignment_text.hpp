// The texts of `vardex stations` and `vardex locate`: help, what they print, and the mistakes
// on their command lines. Beside cli_text.hpp, which holds the texts of the other commands.
#pragma once

#include <string>
#include <string_view>

#include "cli/cli_text.hpp"

namespace vardex::cli::alignment_text {

using text::Quoted;

// --- help -----------------------------------------------------------------------------------
inline constexpr std::string_view kStationsDescription =
    "由线路（项目的“线路数据”表或 LandXML 文件）算出待放样点的坐标和设计高程，填入“数据输入”"
    "表第 8 行起的点位（A 点名，B 偏距，C X，D Y，E 设计高程；F 留空），替换原有点位后保存。"
    "出错时文件不变。";
inline constexpr std::string_view kStationsProjectHelp = "项目工作簿（.xlsx）";
inline constexpr std::string_view kFromHelp = "起始桩号，如 K1+200（默认：线路起点）";
inline constexpr std::string_view kToHelp = "终止桩号，如 K1+560（默认：线路终点）";
inline constexpr std::string_view kEveryHelp = "整桩号间距（米），取范围内此数的整倍数桩号";
inline constexpr std::string_view kOffsetsHelp =
    "每个桩号的偏距（米），逗号分隔，左负右正，如 --offsets=-12.5,0,12.5（默认 0）";
inline constexpr std::string_view kMainPointsHelp =
    "加上范围内曲线的主点（ZH、HY、QZ、YH、HZ 或 ZY、QZ、YZ）";
inline constexpr std::string_view kAtHelp = "另加的桩号，逗号分隔，如 K1+245.5,K1+250";
inline constexpr std::string_view kAlignmentHelp =
    "从此 LandXML 文件（第一条线路）读取线路，而不用项目的“线路数据”表";

inline constexpr std::string_view kLocateDescription =
    "桩号、偏距与坐标互算：给出“桩号/偏距”（如 K1+240/-12.5，偏距左负右正，省略为 0）时列出坐标 "
    "X、Y、设计高程和切线方位角；给出 --xy 时列出点的桩号和偏距（线路上最近的垂足）。";
inline constexpr std::string_view kLocateSourceHelp =
    "线路：项目工作簿（.xlsx，读“线路数据”表）或 LandXML 文件（.xml）";
inline constexpr std::string_view kQueriesHelp = "桩号/偏距，可给多个";
inline constexpr std::string_view kXyHelp = "求此点的桩号和偏距：X,Y（米），可给多次";
inline constexpr std::string_view kTsvHelp =
    "每个查询输出一行，以制表符分隔：桩号、偏距、X、Y、设计高程（米，4 位小数）、切线方位角"
    "（度，8 位小数）；--xy 只输出桩号和偏距";

// --- command-line mistakes ------------------------------------------------------------------
inline std::string BadStation(std::string_view option, std::string_view text) {
  return std::string(option) + " 的桩号" + Quoted(text) + "无法识别（应如 K1+240.5 或 1240.5）";
}
inline std::string BadEvery(std::string_view text) {
  return "--every 应为大于 0 的米数，实为" + Quoted(text);
}
inline std::string BadOffsets(std::string_view text) {
  return "--offsets 应为逗号分隔的米数，如 -12.5,0,12.5，实为" + Quoted(text);
}
inline constexpr std::string_view kNothingToList =
    "请给出 --every、--at 或 --main-points 中至少一项";
inline std::string BadQuery(std::string_view text) {
  return "查询" + Quoted(text) + "无法识别（应如 K1+240/-12.5 或 K1+240）";
}
inline std::string BadPoint(std::string_view text) {
  return "--xy 应为“X,Y”两个数，实为" + Quoted(text);
}
inline constexpr std::string_view kNothingToLocate = "请给出“桩号/偏距”或 --xy";

// --- what they print ------------------------------------------------------------------------
inline std::string Filled(std::string_view file, std::size_t points, int last_row) {
  return std::string(file) + "：已填写 " + std::to_string(points) +
         " 个点（“数据输入”第 8 行至第 " + std::to_string(last_row) + " 行）并保存";
}
inline std::string NoProfile(std::string_view file) {
  return std::string(file) + "：注意：线路没有纵断面，设计高程（E 列）未填";
}
inline constexpr std::string_view kStationHeading = "桩号";
inline constexpr std::string_view kOffsetHeading = "偏距(m)";
inline constexpr std::string_view kXHeading = "X(m)";
inline constexpr std::string_view kYHeading = "Y(m)";
inline constexpr std::string_view kElevationHeading = "设计高程(m)";
inline constexpr std::string_view kAzimuthHeading = "切线方位角";
inline constexpr std::string_view kNoValue = "—";

}  // namespace vardex::cli::alignment_text
