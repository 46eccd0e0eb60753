// Every user-visible text of the road alignment in one place, grouped by what they concern: the
// sheet "线路数据" and its cells, the checks of the alignment, LandXML, and the point list.
#pragma once

#include <cmath>
#include <numbers>
#include <string>
#include <string_view>

#include "alignment/station.hpp"
#include "numeric/number_text.hpp"
#include "numeric/numeric_helpers.hpp"
#include "numeric/survey_functions.hpp"

namespace vardex::alignment_text {

// A length in a message: to the millimetre, without trailing zeros.
inline std::string Metres(double value) { return GeneralNumberText(RoundHalfEven(value, 3)); }
inline std::string Angle(double radians) {
  return AngleToDmsText(std::fabs(radians) * 180.0 / std::numbers::pi);
}
inline std::string Quoted(std::string_view text) { return "“" + std::string(text) + "”"; }
/// "<place>：<what>", or just what when the place is unknown.
inline std::string At(std::string_view place, std::string_view what) {
  return place.empty() ? std::string(what) : std::string(place) + "：" + std::string(what);
}

// --- the sheet ------------------------------------------------------------------------------
inline constexpr std::string_view kSheet = "线路数据";
inline constexpr std::string_view kInputSheet = "数据输入";
inline std::string SheetPlace(std::string_view file, std::string_view sheet) {
  return (file.empty() ? std::string() : std::string(file) + "：") + "工作表" + Quoted(sheet);
}
inline std::string CellPlace(std::string_view file, std::string_view sheet, std::string_view cell) {
  return SheetPlace(file, sheet) + "单元格 " + std::string(cell);
}
inline std::string NoSheet(std::string_view file) {
  return (file.empty() ? std::string() : std::string(file) + "：") + "项目中没有工作表" +
         Quoted(kSheet) + "。在加入线路功能之前建立的项目没有这张表：请新建一个项目，" +
         "或者从 LandXML 文件读取线路";
}
inline std::string NoInputSheet(std::string_view file) {
  return (file.empty() ? std::string() : std::string(file) + "：") + "项目中没有工作表" +
         Quoted(kInputSheet) + "，无法填写待放样点";
}
inline constexpr std::string_view kNotANumber = "应为数字，实为";
inline constexpr std::string_view kNotAStation = "应为桩号（如 K1+240.000）或以米计的数，实为";
inline constexpr std::string_view kNeeded = "不能为空";
inline constexpr std::string_view kEmptyCell = "（空）";
inline constexpr std::string_view kErrorValue = "错误值";
inline constexpr std::string_view kBooleanValue = "逻辑值";

// --- the horizontal alignment ---------------------------------------------------------------
inline constexpr std::string_view kTooFewPoints = "平曲线至少要有起点和终点两行";
inline std::string CurveOnEnd(std::string_view name) {
  return "起点和终点" + Quoted(name) + "不设曲线，半径和缓和曲线长度应为空";
}
inline std::string SamePoint(std::string_view name, std::string_view before) {
  return "点" + Quoted(name) + "与上一点" + Quoted(before) + "重合";
}
inline std::string NoTurn(std::string_view name) {
  return "交点" + Quoted(name) + "与前后两点在一条直线上，没有转角";
}
inline std::string TurnsBack(std::string_view name) {
  return "交点" + Quoted(name) + "处线路折返（转角接近 180°）";
}
inline std::string RadiusNotPositive(std::string_view name, double radius) {
  return "交点" + Quoted(name) + "的半径应大于 0，实为 " + GeneralNumberText(radius);
}
inline std::string SpiralNegative(std::string_view name, double length) {
  return "交点" + Quoted(name) + "的缓和曲线长度不能为负，实为 " + GeneralNumberText(length);
}
inline std::string SpiralTooLong(std::string_view name, double both, double radius, double angle,
                                 double most) {
  return "交点" + Quoted(name) + "的缓和曲线过长：Ls1 + Ls2 = " + Metres(both) + " m，而半径 " +
         Metres(radius) + " m、转角 " + Angle(angle) + " 最多容许 " + Metres(most) + " m";
}
inline std::string PastStart(std::string_view name, std::string_view start, double distance,
                             double tangent) {
  return "交点" + Quoted(name) + "的曲线越过起点" + Quoted(start) + "：两点相距 " +
         Metres(distance) + " m，切线长 T1 = " + Metres(tangent) + " m";
}
inline std::string PastEnd(std::string_view name, std::string_view end, double distance,
                           double tangent) {
  return "交点" + Quoted(name) + "的曲线越过终点" + Quoted(end) + "：两点相距 " + Metres(distance) +
         " m，切线长 T2 = " + Metres(tangent) + " m";
}
inline std::string Overlap(std::string_view before, std::string_view name, double distance,
                           double tangents) {
  return "交点" + Quoted(before) + "与" + Quoted(name) + "的曲线重叠：两交点相距 " +
         Metres(distance) + " m，而两切线长之和 T2 + T1 = " + Metres(tangents) + " m";
}

// --- stationing ---------------------------------------------------------------------------
inline std::string Station(double station) { return StationText(station, 3); }
inline constexpr std::string_view kNoStation = "没有桩号：请在起点（或一个交点）的桩号栏填写桩号";
inline constexpr std::string_view kEquationsNeedStart = "有断链时，起点必须填写桩号";
inline std::string EquationOutside(double back, double from, double to) {
  return "断链前桩号 " + Station(back) + " 不在线路上（这一段自 " + Station(from) + " 至 " +
         Station(to) + "）";
}
inline std::string StationMismatch(std::string_view name, double given, double laid_out) {
  return "点" + Quoted(name) + "的桩号 " + Station(given) + " 与由坐标推算的 " + Station(laid_out) +
         " 不符（相差 " + Metres(std::fabs(given - laid_out)) + " m）";
}
inline std::string StationOutside(double station, double start, double end) {
  return "桩号 " + Station(station) + " 不在线路上（线路自 " + Station(start) + " 至 " +
         Station(end) + "）";
}
inline std::string StationInGap(double station) {
  return "桩号 " + Station(station) + " 落在断链（短链）跳过的范围内，线路上没有这个桩号";
}
inline std::string NotIncreasing(double station, double before) {
  return "桩号 " + Station(station) + " 应大于上一行的 " + Station(before);
}
inline std::string PointOutside(double x, double y) {
  return "点（X = " + Metres(x) + "，Y = " + Metres(y) +
         "）不在线路范围内：它在起点之前或终点之后，线路上没有它的垂足";
}

// --- the profile and cross slopes -----------------------------------------------------------
inline constexpr std::string_view kTooFewGrades = "纵断面至少要有两个变坡点";
inline std::string VerticalRadiusNegative(double radius) {
  return "竖曲线半径不能为负，实为 " + GeneralNumberText(radius);
}
inline constexpr std::string_view kVerticalCurveOnEnd =
    "纵断面的第一个和最后一个变坡点不设竖曲线，半径应为空";
inline std::string VerticalOverlap(double before, double station, double spacing, double tangents) {
  return "变坡点 " + Station(before) + " 与 " + Station(station) + " 的竖曲线重叠：两点相距 " +
         Metres(spacing) + " m，而两切线长之和 " + Metres(tangents) + " m";
}

// --- LandXML -------------------------------------------------------------------------------
inline constexpr std::string_view kStartName = "BP";
inline constexpr std::string_view kEndName = "EP";
inline constexpr std::string_view kIntersectionPrefix = "JD";
inline std::string CannotRead(std::string_view file, std::string_view cause) {
  return std::string(file) + "：无法读取 LandXML 文件（" + std::string(cause) + "）";
}
inline constexpr std::string_view kNoSuchFile = "文件不存在";
inline constexpr std::string_view kNotReadable = "没有读取权限或无法读取";
inline constexpr std::string_view kIsFolder = "这是一个文件夹";
inline constexpr std::string_view kTooLarge = "文件过大";
inline std::string NotXml(std::string_view file, std::size_t line, std::string_view what) {
  return std::string(file) + "：不是有效的 XML 文件（第 " + std::to_string(line) + " 行：" +
         std::string(what) + "）";
}
inline std::string NotLandXml(std::string_view file, std::string_view root) {
  return std::string(file) + "：不是 LandXML 文件：根元素是 <" + std::string(root) +
         ">，应为 <LandXML>";
}
inline std::string NoAlignment(std::string_view file) {
  return std::string(file) + "：文件中没有线路（<Alignment> 元素）";
}
inline std::string NoSuchAlignment(std::string_view file, std::string_view name) {
  return std::string(file) + "：文件中没有名为" + Quoted(name) + "的线路";
}
inline std::string ElementPlace(std::string_view file, std::size_t line, std::string_view element) {
  return std::string(file) + "：第 " + std::to_string(line) + " 行的 <" + std::string(element) +
         "> 元素";
}
inline std::string UnsupportedUnits(std::string_view unit) {
  return "只能读取以米为单位的文件，这里的长度单位是" + Quoted(unit);
}
inline std::string UnsupportedAngles(std::string_view unit) {
  return "不认识的角度单位" + Quoted(unit);
}
inline std::string UnsupportedElement(std::string_view element) {
  return "不支持 <" + std::string(element) + "> 元素：平曲线只能读取 Line、Curve 和回旋线 Spiral";
}
inline std::string UnsupportedProfileElement(std::string_view element) {
  return "不支持 <" + std::string(element) + "> 元素：纵断面只能读取 PVI 和 ParaCurve";
}
inline std::string UnsupportedSpiral(std::string_view type) {
  return "只能读取回旋线（clothoid）缓和曲线，这里是" + Quoted(type);
}
inline constexpr std::string_view kSpiralBetweenCurves =
    "两端半径都有限的缓和曲线（卵形曲线）不能转换为交点法";
inline constexpr std::string_view kSpiralWithoutCurve =
    "缓和曲线须与一段圆曲线相连（直线、缓和曲线、圆曲线、缓和曲线、直线）";
inline std::string Missing(std::string_view what) { return "缺少" + std::string(what); }
inline std::string NotANumber(std::string_view what, std::string_view text) {
  return std::string(what) + "不是数：" + Quoted(text);
}
inline constexpr std::string_view kPointReference = "不支持以 pntRef 引用的点，请直接写出坐标";
inline std::string NotJoined(double gap) { return "与前一元素不相连：相距 " + Metres(gap) + " m"; }
inline constexpr std::string_view kParallelTangents = "曲线前后的切线平行，求不出交点";
inline constexpr std::string_view kTurnTooLarge = "曲线转角达到或超过 180°，不能转换为交点法";
inline constexpr std::string_view kRotationMismatch = "rot 属性与坐标所示的转向不符";
inline std::string RadiusMismatch(double spiral, double curve) {
  return "缓和曲线接圆曲线一端的半径 " + Metres(spiral) + " m 与圆曲线半径 " + Metres(curve) +
         " m 不符";
}
inline std::string ShapeMismatch(std::string_view point, double gap) {
  return "与交点法算出的曲线不符：" + std::string(point) + " 点相差 " + Metres(gap) +
         " m（容许 0.01 m）";
}
inline constexpr std::string_view kOffTheCurves =
    "不在交点法算出的线路上（两直线相交处须设圆曲线）";
inline constexpr std::string_view kProfileValue = "应为“桩号 高程”两个数";

// --- the curve table ------------------------------------------------------------------------
inline constexpr std::string_view kCurveTableHeadings[] = {
    "交点",     "交点桩号", "转角",   "半径 R", "Ls1", "Ls2", "T1", "T2",
    "曲线长 L", "外距 E",   "切曲差", "ZH(ZY)", "HY",  "QZ",  "YH", "HZ(YZ)"};
inline constexpr std::string_view kRight = "右";
inline constexpr std::string_view kLeft = "左";
inline constexpr std::string_view kNone = "—";

// --- the point list -------------------------------------------------------------------------
inline constexpr std::string_view kEmptyRange = "起始桩号应在终止桩号之前";
inline std::string NoStations(double from, double to) {
  return "桩号 " + Station(from) + " 至 " + Station(to) +
         " 之间没有要列出的桩号（整桩号、主点或加桩）";
}
inline std::string OutsideProfile(double station) {
  return "桩号 " + Station(station) + " 不在纵断面范围内，无法算出设计高程";
}
inline std::string TooManyPoints(std::size_t count, std::size_t most) {
  return "待放样点过多：共 " + std::to_string(count) + " 个，记录表最多容纳 " +
         std::to_string(most) + " 个";
}

}  // namespace vardex::alignment_text
