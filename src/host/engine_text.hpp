// The workbook engine's user-visible texts, all in one place. Surveyors read them in the command
// line tool and the desktop app, so they are Chinese and name the file, part, sheet and cell.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vardex::host::text {

/// At most `limit` characters of `s` (UTF-8), with "…" where it was cut: a value taken from a
/// file may be a megabyte long, and a message quotes it only to point at it.
inline std::string Clip(std::string_view s, std::size_t limit = 40) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
    if (chars++ == limit) return std::string(s.substr(0, i)) + "…";
  }
  return std::string(s);
}
/// A value from a file (a cell's text, a part or sheet name), quoted and clipped.
inline std::string Quoted(std::string_view s) { return "“" + Clip(s) + "”"; }
/// A file name the user gave, quoted whole.
inline std::string QuotedName(std::string_view s) { return "“" + std::string(s) + "”"; }

// --- opening a workbook ---------------------------------------------------------------------
inline std::string CannotOpen(std::string_view file, std::string_view reason) {
  return "无法打开工作簿" + QuotedName(file) + "：" + std::string(reason);
}
inline constexpr std::string_view kNotZip = "不是有效的 .xlsx 文件（zip 结构损坏）";
// Files that are intact but are not .xlsx packages: what they are and what to do.
inline constexpr std::string_view kEmptyFile = "文件是空的（0 字节）";
inline constexpr std::string_view kPasswordProtected =
    "工作簿设有打开密码（内容已加密），Vardex 无法读取：请在电子表格程序中用密码打开它，"
    "取消打开密码后保存，再试一次";
inline constexpr std::string_view kLegacyXls =
    "这是旧版 Excel 97-2003 工作簿（.xls 格式），Vardex 只能打开 .xlsx 格式：请在电子表格程序中"
    "另存为“Excel 工作簿 (.xlsx)”后再试";
inline constexpr std::string_view kOleFile =
    "这是 OLE 复合文档（旧版 Office 文件格式），不是 .xlsx 工作簿";
inline constexpr std::string_view kPdfFile = "这是 PDF 文件，不是 .xlsx 工作簿";
inline constexpr std::string_view kHtmlFile =
    "这是网页（HTML）文件，不是 .xlsx 工作簿：请在电子表格程序中打开它并另存为 .xlsx";
inline constexpr std::string_view kXmlSpreadsheet =
    "这是 XML 电子表格 2003 文件，不是 .xlsx 工作簿：请在电子表格程序中另存为 .xlsx";
inline constexpr std::string_view kXmlFile = "这是 XML 文本文件，不是 .xlsx 工作簿（不是 zip 包）";
inline constexpr std::string_view kTextFile =
    "这是文本文件（例如 CSV），不是 .xlsx 工作簿：请在电子表格程序中打开它并另存为 .xlsx";
inline constexpr std::string_view kUnknownFormat = "不是 .xlsx 工作簿（文件不是 zip 格式）";
inline constexpr std::string_view kOpenDocument =
    "这是 OpenDocument 电子表格（.ods），不是 .xlsx 工作簿：请在电子表格程序中另存为 .xlsx";
inline constexpr std::string_view kOtherOpenDocument = "这是 OpenDocument 文档，不是 .xlsx 工作簿";
inline constexpr std::string_view kBetaNamespace =
    "这是 Excel 2007 测试版（Beta）格式的工作簿，其命名空间已被正式版取代：请用新版电子表格程序"
    "打开并另存为 .xlsx 后再试";
inline constexpr std::string_view kTruncated = "文件不完整（zip 目录缺失或文件被截断）";
inline constexpr std::string_view kEncrypted = "文件已加密或使用了不支持的压缩方式";
inline constexpr std::string_view kTooManyParts = "包含的部件过多";
inline constexpr std::string_view kFileTooLarge = "文件过大";
inline constexpr std::string_view kNotWorkbook = "不是电子表格工作簿（缺少工作簿部件）";
inline std::string UnsupportedExtension(std::string_view ext) {
  return "不支持的文件类型" + Quoted(ext) + "（只能打开 .xlsx、.xlsm、.xltx、.xltm）";
}
inline std::string ReadFailed(std::string_view cause) { return "读取失败：" + std::string(cause); }
inline std::string MissingPart(std::string_view part) { return "缺少部件" + Quoted(part); }
inline std::string DamagedPart(std::string_view part) {
  return "部件" + Quoted(part) + "已损坏（解压失败或校验和不符）";
}
inline std::string PartTooLarge(std::string_view part) {
  return "部件" + Quoted(part) + "声称的解压后大小与压缩数据不符（疑似压缩炸弹）";
}
inline std::string OverLimit(std::string_view what, std::string_view limit) {
  return "超出 Vardex 的处理上限：" + std::string(what) + "超过 " + std::string(limit) +
         "（文件可能已损坏或是恶意构造的）";
}
inline std::string SharedSheetPart(std::string_view sheet, std::string_view other,
                                   std::string_view part) {
  return "工作表" + Quoted(sheet) + "与工作表" + Quoted(other) + "指向同一个部件" + Quoted(part) +
         "（每个部件只能属于一个工作表）";
}
inline std::string DamagedCopiedPart(std::string_view part) {
  return "部件" + Quoted(part) + "已损坏（校验和不符），无法原样保留；原文件未改动";
}
inline constexpr std::string_view kNotRegularFile = "不是普通文件（可能是管道或设备）";
inline constexpr std::string_view kUtf16Part = "是 UTF-16 编码的，Vardex 只能改写 UTF-8 编码的部件";
inline std::string BadXml(std::string_view part, std::size_t offset, std::string_view what) {
  return "部件" + Quoted(part) + "的 XML 格式错误（第 " + std::to_string(offset) + " 字节处：" +
         std::string(what) + "）";
}
inline std::string BadUtf8(std::string_view part, std::size_t offset) {
  return "部件" + Quoted(part) + "含有无效的 UTF-8 编码（第 " + std::to_string(offset) +
         " 字节处）";
}
inline std::string BadPartContent(std::string_view part, std::string_view what) {
  return "部件" + Quoted(part) + "内容无效：" + std::string(what);
}
inline std::string BadCell(std::string_view part, std::string_view sheet, std::string_view cell,
                           std::string_view what) {
  return "部件" + Quoted(part) + "（工作表" + Quoted(sheet) + "）单元格 " + std::string(cell) +
         "：" + std::string(what);
}
inline std::string BadRow(std::string_view part, std::string_view sheet, std::string_view what) {
  return "部件" + Quoted(part) + "（工作表" + Quoted(sheet) + "）：" + std::string(what);
}

// --- saving ---------------------------------------------------------------------------------
inline std::string CannotSave(std::string_view file, std::string_view cause) {
  return "无法保存工作簿" + QuotedName(file) + "：" + std::string(cause);
}
inline constexpr std::string_view kUntitled = "工作簿尚未命名，请用“另存为”指定文件";
inline std::string SaveWriteFailed(std::string_view temp, std::string_view cause) {
  return "写入临时文件" + (temp.empty() ? std::string() : QuotedName(temp)) + "失败（" +
         std::string(cause) + "），原文件未改动";
}
inline constexpr std::string_view kReadOnlyFile = "文件是只读的，原文件未改动";
inline constexpr std::string_view kFileBusy =
    "另一个 Vardex 程序正在计算或保存这个文件，等待 5 秒后仍未结束；文件未改动，请稍后再试";
inline std::string ChangedOnDisk(std::string_view kept) {
  std::string s = "文件在读取之后被改动、替换或删除，没有覆盖它";
  if (kept.empty()) return s + "；本次结果未能保存";
  return s + "；本次结果已另存为" + QuotedName(kept);
}
inline std::string SaveRenameFailed(std::string_view cause) {
  return "替换原文件失败（" + std::string(cause) + "），原文件未改动";
}
inline constexpr std::string_view kTargetIsDirectory = "目标是一个文件夹";
inline constexpr std::string_view kSaveExtension =
    "只能保存为 .xlsx、.xlsm 工作簿或 .xltx、.xltm 模板";
inline constexpr std::string_view kMacrosNeedMacroName =
    "含宏的工作簿只能另存为 .xlsm 工作簿或 .xltm 模板";
inline constexpr std::string_view kNoMacrosNeedPlainName =
    "不含宏的工作簿只能另存为 .xlsx 工作簿或 .xltx 模板";

// --- sheets and cells -----------------------------------------------------------------------
inline std::string NoSuchSheet(std::string_view sheet, std::string_view file) {
  std::string s = "工作表" + Quoted(sheet) + "不存在";
  if (!file.empty()) s += "（工作簿" + QuotedName(file) + "）";
  return s;
}
inline std::string BadSheetName(std::string_view sheet) {
  return "工作表名称" + Quoted(sheet) +
         "无效（不能为空、不能超过 31 个字符、不能含 : \\ / ? * [ ]）";
}
inline std::string DuplicateSheet(std::string_view sheet) {
  return "工作表名称" + Quoted(sheet) + "已存在";
}
inline std::string NotFiniteNumber(std::string_view sheet, std::string_view cell) {
  return "工作表" + Quoted(sheet) + "单元格 " + std::string(cell) + "：数值溢出（不是有限数）";
}
inline std::string BadCellRef(std::string_view sheet, std::string_view cell) {
  return "工作表" + Quoted(sheet) + "：单元格引用" + Quoted(cell) + "超出工作表范围";
}
inline std::string BadStyle(std::string_view sheet, std::string_view cell, unsigned style) {
  return "工作表" + Quoted(sheet) + "单元格 " + std::string(cell) + "：样式编号 " +
         std::to_string(style) + " 不存在";
}
inline constexpr std::string_view kUncalculatedFormula =
    "是没有计算结果的公式（保存文件的程序没有计算公式）：请先用电子表格程序打开并保存工作簿，"
    "或直接输入数值";
inline constexpr std::string_view kClipboardEmpty = "剪贴板为空，无法粘贴";
inline std::string PartialMerge(std::string_view sheet, std::string_view range) {
  return "工作表" + Quoted(sheet) + "：不能对合并单元格" + Quoted(range) + "作部分更改";
}
inline std::string ArrayFormulaPart(std::string_view sheet, std::string_view cell) {
  return "工作表" + Quoted(sheet) + "单元格 " + std::string(cell) + "：不能更改数组公式的某一部分";
}
inline std::string InvalidUtf8Text(std::string_view sheet, std::string_view cell) {
  return "工作表" + Quoted(sheet) + "单元格 " + std::string(cell) + "：文本不是有效的 UTF-8";
}
inline std::string TextTooLong(std::string_view sheet, std::string_view cell) {
  return "工作表" + Quoted(sheet) + "单元格 " + std::string(cell) + "：文本超过 32767 个字符";
}

}  // namespace vardex::host::text
