// Every text the command-line tool prints, in one place. Surveyors read them, so they are
// Chinese; option and command names stay English so that scripts read the same everywhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/engine_text.hpp"

namespace vardex::cli::text {

// A value the user typed, quoted and clipped: a megabyte-long argument gets a short line.
inline std::string Quoted(std::string_view s) { return host::text::Quoted(s); }

// --- help -----------------------------------------------------------------------------------
inline constexpr std::string_view kAppDescription =
    "Vardex：由“数据输入”表的控制数据生成水准表、放线记录表和平面位置检测表。";
inline constexpr std::string_view kExitCodes =
    "退出码：0 成功；1 有文件未能完成（打不开、计算出错、线路数据或观测数据有误、无法保存）；"
    "2 命令行或设置有误，或桩号、点不在线路上；3 检查发现问题，或观测超限（记录已写入并标明）。";
inline constexpr std::string_view kVersionHelp = "显示版本号并退出";
inline constexpr std::string_view kHelpHelp = "显示帮助并退出";

inline constexpr std::string_view kNewDescription =
    "由程序旁的模板 work.xltx 新建项目工作簿。已存在的文件不会被覆盖，除非给出 --force。";
inline constexpr std::string_view kNewFileHelp = "新项目工作簿（.xlsx）";
inline constexpr std::string_view kForceHelp = "文件已存在时替换它（只读文件也替换）";

inline constexpr std::string_view kCalcDescription =
    "计算项目：重新生成三张记录表并保存。默认原地保存（先写临时文件再替换，出错时原文件不变）；"
    "多个文件并行计算，互不影响。";
inline constexpr std::string_view kCalcFilesHelp = "项目工作簿（.xlsx），可给多个";
inline constexpr std::string_view kOutputHelp =
    "保存到此文件而不改动输入文件（只能有一个输入；已存在则替换）";
inline constexpr std::string_view kSeedHelp =
    "随机数种子：相同的种子、输入和设置得到相同的记录。不给则随机选取，并记入工作簿属性";
inline constexpr std::string_view kJobsHelp = "同时计算的文件数，1 到 1024（默认：处理器核数）";
inline constexpr std::string_view kCalcForceHelp = "保存时替换只读文件（文件仍保持只读）";

inline constexpr std::string_view kCheckDescription =
    "检查已计算的项目：按输入表和生成时记录的设置核对三张记录表（也适用于手工修改过的表），"
    "逐条列出不符之处。给出设置选项则以其代替记录的设置。";
inline constexpr std::string_view kCheckFilesHelp = "要检查的项目工作簿（.xlsx）";

inline constexpr std::string_view kSettingsGroup = "平面水准设置";

// --- settings -------------------------------------------------------------------------------
inline std::string SettingsMessage(std::string_view title, std::string_view message) {
  return std::string(title) + "：" + std::string(message);
}
inline constexpr std::string_view kNoProvenance =
    "注意：工作簿中没有 Vardex 的生成记录，按默认设置检查";
inline std::string BadRecordedSettings(std::string_view file, std::string_view message) {
  return std::string(file) + "：工作簿属性中记录的设置无效（" + std::string(message) + "）";
}

// --- new ------------------------------------------------------------------------------------
inline std::string Exists(std::string_view file) {
  return std::string(file) + "：文件已存在，未改动（要替换请加 --force）";
}
inline std::string Created(std::string_view file) { return "已新建项目：" + std::string(file); }
// Same wording as the desktop app's project-creation message box: title "错误" and the error
// number, then the text, a line break and the description.
inline std::string ErrorTitle(int number) { return "错误" + std::to_string(number); }
inline constexpr std::string_view kErrorLead = "发生错误，错误内容：";

// --- calc -----------------------------------------------------------------------------------
inline std::string BadSeed(std::string_view seed) {
  return "种子" + Quoted(seed) + "不是 0 到 18446744073709551615 之间的整数";
}
inline std::string BadJobs(std::string_view jobs) {
  return "-j/--jobs 的值" + Quoted(jobs) + "不是 1 到 1024 之间的整数";
}
inline std::string Duplicate(std::string_view file) {
  return "文件" + host::text::QuotedName(file) + "给出了不止一次";
}
inline constexpr std::string_view kOutputNeedsOneInput = "给出 -o 时只能计算一个文件";
inline std::string Saved(std::string_view file) { return "已计算并保存：" + std::string(file); }
inline std::string Failed(std::string_view file, std::string_view what) {
  return std::string(file) + "：" + std::string(what);
}
inline constexpr std::string_view kReadOnlyHint = "（要替换只读文件请加 --force）";
inline constexpr std::string_view kInternalError = "内部错误，文件未改动";
inline constexpr std::string_view kOutOfMemory = "内存不足，文件未改动";
inline std::string NotSaved(std::string_view file) {
  return std::string(file) + "：计算未完成，文件未保存";
}
inline std::string Summary(std::size_t ok, std::size_t failed) {
  return "完成：" + std::to_string(ok) + " 个成功，" + std::to_string(failed) + " 个失败";
}

// --- check ----------------------------------------------------------------------------------
inline std::string Finding(std::string_view file, std::string_view sheet, std::string_view cell,
                           std::string_view message) {
  return std::string(file) + "：工作表" + Quoted(sheet) + "单元格 " + std::string(cell) + "：" +
         std::string(message);
}
inline std::string CheckPassed(std::string_view file) {
  return std::string(file) + "：三张记录表与输入一致";
}
inline std::string CheckFailed(std::string_view file, std::size_t count) {
  return std::string(file) + "：发现 " + std::to_string(count) + " 处问题";
}

// --- command line ---------------------------------------------------------------------------
inline constexpr std::string_view kUsageLead = "命令行有误：";
inline constexpr std::string_view kSeeHelp = "（运行 vardex --help 查看用法）";
inline constexpr std::string_view kNeedCommand =
    "请给出命令：new、calc、check、stations、locate、pdf、level、stakeout-import 或 "
    "stakeout-export";
inline constexpr std::string_view kUnexpected = "无法识别的参数：";
inline constexpr std::string_view kMissing = "缺少参数：";
inline constexpr std::string_view kNeedsValue = "选项需要一个值：";
inline std::string BadOptionValue(std::string_view option) {
  return "选项 " + std::string(option) + " 的值无效";
}
inline constexpr std::string_view kUnknown = "参数有误";

}  // namespace vardex::cli::text
