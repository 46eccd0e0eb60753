// The texts of `vardex pdf`.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vardex::cli::text {

inline constexpr std::string_view kPdfDescription =
    "把项目的三张记录表（或 --sheets 指定的工作表）按工作簿自身的页面设置排版，写成 PDF"
    "（默认与项目同名，扩展名 .pdf；先写临时文件再替换）。多个文件并行处理，互不影响。";
inline constexpr std::string_view kPdfFilesHelp = "项目工作簿（.xlsx），可给多个";
inline constexpr std::string_view kPdfOutputHelp =
    "写到此 PDF 文件（只能有一个输入；已存在则替换）";
inline constexpr std::string_view kPdfSheetsHelp =
    "要输出的工作表，以逗号分隔（默认：水准表,放线记录表,平面位置检测表）";
inline constexpr std::string_view kPdfJobsHelp = "同时处理的文件数（默认：处理器核数）";
inline constexpr std::string_view kPdfOutputNeedsOneInput = "给出 -o 时只能输出一个文件";
inline constexpr std::string_view kNoPdfInThisBuild =
    "此版本的 vardex 不能输出 PDF：构建时未包含 PDF 输出部分（cairo、pango）。没有改动任何文件。";

inline std::string PdfWritten(std::string_view file, std::size_t pages) {
  return "已输出 PDF：" + std::string(file) + "（" + std::to_string(pages) + " 页）";
}

}  // namespace vardex::cli::text
