// Every user-visible text of the field data readers and writers: what is wrong with a file, a
// line or a word. The file and line are put in front by FieldDataError.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "numeric/field_records.hpp"

namespace vardex::fielddata_texts {

inline std::string Quoted(std::string_view s) { return "“" + std::string(s) + "”"; }

// ---- Any text file ------------------------------------------------------------------------------
inline constexpr std::string_view kUtf16 =
    "是 UTF-16 编码的文本，无法读取；请另存为 UTF-8 或 GBK（ANSI）编码";
inline constexpr std::string_view kBinary = "含有二进制数据，不是文本格式的观测文件";
inline constexpr std::string_view kBadEncoding = "既不是有效的 UTF-8 也不是有效的 GBK 编码文本";
inline constexpr std::string_view kEmptyFile = "文件是空的";
inline std::string NotANumber(std::string_view what, std::string_view text) {
  return std::string(what) + "应为数字，实为" + Quoted(text);
}

// ---- Levelling files ----------------------------------------------------------------------------
inline constexpr std::string_view kNotLevellingFile =
    "不是可识别的水准观测文件（Leica GSI、M5 格式或“点号,后视,中视,前视[,距离]”的 CSV 手簿）";
inline constexpr std::string_view kNoReadings = "文件中没有水准读数";
inline constexpr std::string_view kTwoReadings = "同一行有两个水准尺读数";
inline std::string ReadingOffStaff(std::string_view reading) {
  return "水准尺读数 " + std::string(reading) + " 米超出任何水准尺的范围（−7 ～ 7 米）";
}
inline std::string DistanceOutOfRange(std::string_view distance) {
  return "视距 " + std::string(distance) + " 米超出范围（0 ～ 1000 米）";
}
inline std::string BackWithoutFore(std::string_view point) {
  return "最后一站的后视点" + Quoted(point) + "之后没有前视，水准路线不完整";
}
inline std::string ForeWithoutBack(std::string_view point) {
  return "前视点" + Quoted(point) + "所在的测站没有后视";
}
inline std::string IntermediateWithoutBack(std::string_view point) {
  return "中视点" + Quoted(point) + "之前没有后视";
}
inline std::string BackBeforeFore(std::string_view point, std::string_view back_point,
                                  int32_t back_line) {
  return "新的后视点" + Quoted(point) + "出现时，上一站（第 " + std::to_string(back_line) +
         " 行后视" + Quoted(back_point) + "）还没有前视";
}
inline std::string BackNotOnTurn(std::string_view point, std::string_view turn) {
  return "后视点" + Quoted(point) + "不是上一站的前视点" + Quoted(turn) +
         "（转点的前视和后视应在同一点上）";
}
inline std::string TwoForePoints(std::string_view first, std::string_view second) {
  return "同一测站有两个不同的前视点" + Quoted(first) + "和" + Quoted(second);
}
inline std::string DuplicatePoint(std::string_view point, const FieldSource& first) {
  return "点号" + Quoted(point) + "重复（文件" + Quoted(first.File) + "第 " +
         std::to_string(first.Line) + " 行已观测过）";
}

// ---- Leica GSI ----------------------------------------------------------------------------------
inline std::string GsiBadWord(std::string_view ordinal, std::string_view word) {
  return "第 " + std::string(ordinal) + " 个数据字" + Quoted(word) +
         "不是 GSI 格式（应为两位或三位字索引、信息位和正负号，后接数值）";
}
inline std::string GsiUnknownIndex(std::string_view ordinal, std::string_view index) {
  return "第 " + std::string(ordinal) + " 个数据字的字索引 " + std::string(index) + " 无法识别";
}
inline std::string GsiWrongWidth(std::string_view ordinal, std::string_view word, bool gsi16,
                                 std::size_t width, std::size_t found) {
  return "第 " + std::string(ordinal) + " 个数据字" + Quoted(word) + "的数值有 " +
         std::to_string(found) + " 位，" + (gsi16 ? "GSI-16" : "GSI-8") + " 应为 " +
         std::to_string(width) + " 位（行被截断或格式混杂）";
}
inline std::string GsiBadUnits(std::string_view index, char units) {
  return "字 " + std::string(index) + " 的单位代码" + Quoted(std::string(1, units)) +
         "不是长度单位（应为 0、1、6、7 或 8）";
}
inline std::string GsiNotANumber(std::string_view index, std::string_view value) {
  return "字 " + std::string(index) + " 的数值" + Quoted(value) + "不是数字";
}
inline constexpr std::string_view kGsiNoPoint = "读数或高程缺少点号（字 11）";

// ---- M5 -----------------------------------------------------------------------------------------
inline constexpr std::string_view kNotM5Line = "不是 M5 格式的行（应以“For M5|”开头）";
inline constexpr std::string_view kM5NoPoint = "读数或高程缺少点号";
inline std::string M5BadValue(std::string_view block) {
  return "数值块" + Quoted(block) + "无法读取（应为类型标识、数值和单位）";
}
inline std::string M5BadUnit(std::string_view unit) {
  return "单位" + Quoted(unit) + "无法识别（应为 m、mm 或 ft）";
}

// ---- CSV field book -----------------------------------------------------------------------------
inline constexpr std::string_view kBookHeading =
    "表头应含“点号”“后视”“中视”“前视”四列（“距离”可选）";
inline constexpr std::string_view kBookNoPoint = "缺少点号";
inline constexpr std::string_view kBookNoReading = "没有后视、中视或前视读数";
inline constexpr std::string_view kBookMiddleWithOthers = "中视不能与后视或前视写在同一行";

// ---- Stake-out coordinate files -----------------------------------------------------------------
inline constexpr std::string_view kNotCoordinateFile =
    "不是可识别的坐标文件（CSV“点名,X,Y[,H]”、DAT“点名,编码,Y,X,H”、GSI-16、DXF 或 LandXML）";
inline constexpr std::string_view kNoCoordinates = "文件中没有坐标";
inline std::string CsvColumns(std::size_t found) {
  return "CSV 坐标行应为“点名,X,Y”或“点名,X,Y,H”，实有 " + std::to_string(found) + " 列";
}
inline std::string DatColumns(std::size_t found) {
  return "DAT 坐标行应为“点名,编码,Y(东),X(北),H”，实有 " + std::to_string(found) + " 列";
}
inline constexpr std::string_view kNoName = "缺少点名";
inline constexpr std::string_view kGsiNoNorthing = "有东坐标（字 81）而缺少北坐标（字 82）";
inline constexpr std::string_view kGsiNoEasting = "有北坐标（字 82）而缺少东坐标（字 81）";
inline constexpr std::string_view kDxfPairs = "DXF 组码和数值应成对出现";
inline constexpr std::string_view kDxfPointWithoutName = "DXF 点之后没有点名文字";
inline std::string LandXmlBroken(std::string_view what) {
  return "LandXML 无法解析：" + std::string(what);
}
inline std::string CgPointBad(std::string_view name) {
  return "CgPoint" + Quoted(name) + "的坐标应为“北 东 [高程]”";
}

// ---- Writing stake-out files --------------------------------------------------------------------
inline std::string NoGbkForm(std::string_view name) {
  return "点名" + Quoted(name) + "含有 GBK 编码无法表示的字符";
}
inline std::string GsiNameUnfit(std::string_view name) {
  return "点名" + Quoted(name) +
         "无法写入 GSI-16（只能是不超过 16 个字符的 ASCII 字母、数字和符号）";
}
inline std::string GsiValueUnfit(std::string_view name) {
  return "点" + Quoted(name) + "的坐标超出 GSI-16 能记录的范围";
}

}  // namespace vardex::fielddata_texts
