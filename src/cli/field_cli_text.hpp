// The texts of the field data commands (level, stakeout-import, stakeout-export).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vardex::cli::text {

inline constexpr std::string_view kLevelDescription =
    "由水准仪的观测文件生成水准表：Leica GSI-8/GSI-16、Trimble/蔡司数字水准仪的 M5 格式、"
    "或“点号,后视,中视,前视[,距离]”的 CSV 手簿。多个文件按给出的顺序连成一条路线；"
    "高程由起始水准点（数据输入 E5、E6）和读数推算，表末写明闭合差、允许闭合差和结论。";
inline constexpr std::string_view kFieldProjectHelp = "项目工作簿（.xlsx）";
inline constexpr std::string_view kLevelFilesHelp = "观测文件，可给多个，按路线顺序";
inline constexpr std::string_view kDistributeHelp =
    "闭合差分配：none 不分配（默认），n 按测站数，L 按视距长度；改正数写在 J 列";
inline constexpr std::string_view kLevelOutputHelp = "保存到此文件而不改动项目文件（已存在则替换）";

inline constexpr std::string_view kImportDescription =
    "读入全站仪实测的放样点坐标，重写平面位置检测表和放线记录表：CSV“点名,X,Y[,H]”、"
    "DAT“点名,编码,Y,X,H”（注意 DAT 先东坐标 Y 后北坐标 X）、Leica GSI-16（字 11/81/82/83）、"
    "DXF 或 LandXML。超出平面位置误差的点注明“超限”，未测的点注明“未测”。";
inline constexpr std::string_view kImportFileHelp = "实测坐标文件";

inline constexpr std::string_view kExportDescription =
    "把数据输入表的测站、后视点和待放样点写成全站仪或 CAD 用的文件：csv（点名,X,Y,H）、"
    "dat（点名,编码,Y,X,H）、gsi16、dxf（点和点名文字分层）或 landxml（CgPoints）。";
inline constexpr std::string_view kExportOutputHelp = "要写入的文件（已存在则替换）";
inline constexpr std::string_view kFormatHelp = "文件格式：csv、dat、gsi16、dxf 或 landxml";
inline constexpr std::string_view kEncodingHelp =
    "csv 和 dat 的文字编码：utf-8（默认）或 gbk（中文 Windows 和国产仪器常用）";

inline std::string BadDistribution(std::string_view value) {
  return "闭合差分配方式“" + std::string(value) + "”无法识别（应为 none、n 或 L）";
}
inline std::string BadFormat(std::string_view value) {
  return "文件格式“" + std::string(value) + "”无法识别（应为 csv、dat、gsi16、dxf 或 landxml）";
}
inline std::string BadEncoding(std::string_view value) {
  return "文字编码“" + std::string(value) + "”无法识别（应为 utf-8 或 gbk）";
}
inline std::string Written(std::string_view file) { return "已写入并保存：" + std::string(file); }
inline std::string NotWritten(std::string_view file) {
  return std::string(file) + "：未写入，文件未改动";
}
inline std::string Exported(std::size_t points, std::string_view file, std::string_view format) {
  return "已导出 " + std::to_string(points) + " 个点（" + std::string(format) + "）：" +
         std::string(file);
}
inline std::string CannotWrite(std::string_view file, std::string_view cause) {
  return "无法写入文件“" + std::string(file) + "”：" + std::string(cause);
}

}  // namespace vardex::cli::text
