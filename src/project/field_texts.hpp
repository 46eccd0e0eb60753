// The report lines of the field data commands, shared by the command-line tool and the desktop
// app.
#pragma once

#include <string>
#include <string_view>

namespace vardex::field_texts {

inline constexpr std::string_view kListSeparator = "、";

inline std::string FilesRead(std::size_t files, int setups) {
  return "已读入 " + std::to_string(files) + " 个观测文件，共 " + std::to_string(setups) + " 站";
}
inline std::string LineLength(std::string_view km) { return "，路线长 " + std::string(km) + " km"; }
inline std::string Matched(std::size_t count) {
  return "与“数据输入”匹配的点：" + std::to_string(count) + " 个";
}
inline std::string NotInProject(std::size_t count) {
  return "观测文件中有、项目中没有的点（" + std::to_string(count) + " 个，已照录并在备注中注明）：";
}
inline std::string NotObserved(std::size_t count) {
  return "项目中有、观测文件中没有的点（" + std::to_string(count) + " 个，未写入水准表）：";
}
inline std::string Misclosure(std::string_view mm, std::string_view allowable, bool within) {
  return "闭合差 " + std::string(mm) + " mm，允许 " + std::string(allowable) + " mm：" +
         (within ? "合格" : "超限（记录已写入并标明超限）");
}
inline constexpr std::string_view kHeightWarnings = "仪器记录的高程与读数推算的不符：";

inline std::string CoordinatesRead(std::string_view file, std::size_t stake, std::size_t measured) {
  return "已读入坐标文件“" + std::string(file) + "”：项目 " + std::to_string(stake) +
         " 个放样点中实测 " + std::to_string(measured) + " 个";
}
inline constexpr std::string_view kControlPoints = "测站、后视点（不作检测）：";
inline std::string CoordinatesNotInProject(std::size_t count) {
  return "文件中有、项目中没有的点（" + std::to_string(count) + " 个，未写入）：";
}
inline std::string NotMeasured(std::size_t count) {
  return "项目中有、文件中没有的点（" + std::to_string(count) + " 个，检测表中注明“未测”）：";
}
inline std::string OutOfTolerance(std::size_t count) {
  return "超出平面位置误差的点（" + std::to_string(count) + " 个，检测表中注明“超限”）：";
}

}  // namespace vardex::field_texts
