// The print layout's user-visible texts: what is wrong with a page setup, named by sheet and
// setting, and what a failed device says.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vardex::print::text {

inline std::string Sheet(std::string_view sheet) { return "工作表“" + std::string(sheet) + "”"; }

inline std::string BadSetting(std::string_view sheet, std::string_view setting,
                              std::string_view value) {
  return Sheet(sheet) + "的页面设置无效：" + std::string(setting) + "“" + std::string(value) +
         "”不可用";
}

inline std::string Inches(double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return std::string(buffer) + " 英寸";
}

inline std::string NegativeMargin(std::string_view sheet, std::string_view side, double value) {
  return Sheet(sheet) + "的页面设置无效：" + std::string(side) + "边距为 " + Inches(value) +
         "，不能为负数";
}

inline std::string MarginsTooWide(std::string_view sheet, std::string_view sides, double sum) {
  return Sheet(sheet) + "的页面设置无效：" + std::string(sides) + "边距合计 " + Inches(sum) +
         "，纸张上已没有打印单元格的地方";
}

inline std::string NoSuchSheet(std::string_view sheet) { return "工作簿中没有" + Sheet(sheet); }

inline constexpr std::string_view kNothingToPrint = "所选工作表中没有可打印的内容";

}  // namespace vardex::print::text
