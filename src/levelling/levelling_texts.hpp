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

// "水准表": the allowable closing error written into I2, followed by its whole millimetres.
inline constexpr std::string_view kAllowableClosurePrefix = "±6√n=±";

}  // namespace vardex::levelling_texts
