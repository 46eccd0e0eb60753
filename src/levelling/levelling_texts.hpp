// The user-visible texts of the levelling input, the levelling record and its check, grouped by
// sheet. Everything Chinese that the levelling code shows or writes is here.
#pragma once

#include <string_view>

namespace vardex::levelling_texts {

// Sheet names.
inline constexpr std::string_view kInputSheet = "数据输入";
inline constexpr std::string_view kRecordSheet = "水准表";

// "数据输入": what each cell of the levelling block holds, for messages.
inline constexpr std::string_view kStartNameWhat = "起始水准点名称";
inline constexpr std::string_view kStartElevationWhat = "起始水准点高程";
inline constexpr std::string_view kEndNameWhat = "终点水准点名称";
inline constexpr std::string_view kEndElevationWhat = "终点水准点高程";
inline constexpr std::string_view kDesignElevationWhat = "设计高程";
inline constexpr std::string_view kPointNameWhat = "点名";
inline constexpr std::string_view kSideWhat = "位置";
inline constexpr std::string_view kMeasuredElevationWhat = "实测高程";
inline constexpr std::string_view kMidTolWhat = "水准中间点误差";
inline constexpr std::string_view kClosureTolWhat = "水准点闭合误差";

// "水准表" of a measured record: the closing rows below the end benchmark (label in A, text in B,
// millimetres in H), the remark on points the project lacks (column I), and the heading of the
// correction column J.
inline constexpr std::string_view kMisclosureLabel = "闭合差";
inline constexpr std::string_view kMisclosureText = "fh = 实测 − 已知（毫米）";
inline constexpr std::string_view kAllowableLabel = "允许闭合差";
inline constexpr std::string_view kVerdictLabel = "结论";
inline constexpr std::string_view kWithin = "合格：闭合差在允许范围内";
inline constexpr std::string_view kBeyond = "超限：闭合差超出允许值，请检查观测";
inline constexpr std::string_view kDistributionLabel = "闭合差分配";
inline constexpr std::string_view kBySetupsText = "按测站数反号平均分配，改正数见 J 列（毫米）";
inline constexpr std::string_view kByDistanceText = "按视距长度反号比例分配，改正数见 J 列（毫米）";
inline constexpr std::string_view kCorrectionHeading = "改正数\n(mm)";
inline constexpr std::string_view kNotInProject = "项目中无此点";
inline constexpr std::string_view kAmbiguousName = "项目中有同名点，请用名称加偏距区分";

// Sources of the levelling record when the settings' class is stated in the closing rows:
// "四等 ±20√L，L=0.512km" or "四等 ±6√n，n=12".
inline constexpr std::string_view kLengthPrefix = "L=";
inline constexpr std::string_view kLengthUnit = "km";
inline constexpr std::string_view kSetupsPrefix = "n=";

}  // namespace vardex::levelling_texts
