// Reading the levelling block of "数据输入" into memory, with the simulated elevations.
#include "levelling/levelling_input.hpp"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>

#include "host/engine_text.hpp"
#include "host/path_text.hpp"
#include "levelling/levelling_texts.hpp"
#include "numeric/number_text.hpp"

namespace vardex {
namespace {

using host::CellRef;
using host::CellValue;
using host::HostError;
namespace texts = levelling_texts;

constexpr int32_t kFirstPointRow = 8;
constexpr int32_t kColA = 1;
constexpr int32_t kColB = 2;
constexpr int32_t kColE = 5;
constexpr int32_t kColF = 6;

std::string FileName(const host::Workbook& book) { return host::PathText(book.Path().filename()); }

// "文件“p.xlsx”中" for a workbook that has a file, nothing for an untitled one.
std::string FilePrefix(const host::Workbook& book) {
  const std::string name = FileName(book);
  return name.empty() ? std::string() : "文件“" + name + "”中";
}

std::string CellPlace(const host::Workbook& book, CellRef cell) {
  return FilePrefix(book) + "工作表“" + std::string(texts::kInputSheet) + "”单元格 " +
         host::FormatCellRef(cell) + "：";
}

bool IsBlank(const CellValue& value) {
  if (host::IsEmpty(value)) return true;
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr && text->empty();
}

// How an unusable value is named in a message.
std::string FoundText(const CellValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return host::text::Quoted(*text);
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "“TRUE”" : "“FALSE”";
  if (const auto* error = std::get_if<host::ErrorValue>(&value))
    return "错误值" + host::text::Quoted(error->code);
  if (const auto* number = std::get_if<double>(&value))
    return "“" + GeneralNumberText(*number) + "”";
  return "空";
}

std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

class InputReader {
 public:
  explicit InputReader(const host::Workbook& book) : book_(book), sheet_(LookUp(book)) {}

  // The value as text, trimmed of spaces: the benchmark names.
  std::string NameAt(CellRef cell, std::string_view what) const {
    const CellValue value = Calculated(cell, what);
    if (const auto* text = std::get_if<std::string>(&value)) return TrimSpaces(*text);
    if (const auto* number = std::get_if<double>(&value)) return GeneralNumberText(*number);
    if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "TRUE" : "FALSE";
    if (host::IsEmpty(value)) return {};
    throw Mismatch(cell, "应为文本", what, value);
  }

  // The value as a number; `blank` when the cell is empty.
  std::optional<double> NumberAt(CellRef cell, std::string_view what) const {
    const CellValue value = Calculated(cell, what);
    if (IsBlank(value)) return std::nullopt;
    if (const auto* number = std::get_if<double>(&value)) return *number;
    if (const auto* text = std::get_if<std::string>(&value)) {
      if (const auto parsed = ParseNumericText(*text)) return *parsed;
    }
    throw Mismatch(cell, "应为数字", what, value);
  }

  bool IsBlankAt(CellRef cell, std::string_view what) const {
    return IsBlank(Calculated(cell, what));
  }
  std::string DisplayedAt(CellRef cell, std::string_view what) const {
    Calculated(cell, what);
    return sheet_.Text(cell);
  }

 private:
  // The cell's value; a formula that was never calculated has none, which must not read as empty
  // (a zero elevation, the end of the point list).
  CellValue Calculated(CellRef cell, std::string_view what) const {
    if (sheet_.HasUncalculatedFormula(cell)) {
      throw LevellingInputError(host::kErrTypeMismatch,
                                CellPlace(book_, cell) + "（" + std::string(what) + "）" +
                                    std::string(host::text::kUncalculatedFormula),
                                cell);
    }
    return sheet_.Value(cell);
  }

  static const host::Worksheet& LookUp(const host::Workbook& book) {
    try {
      return book.Sheet(texts::kInputSheet);
    } catch (const HostError& e) {
      const std::string file = FileName(book);
      const std::string where = file.empty() ? "工作簿中" : "文件“" + file + "”中";
      throw LevellingInputError(e.Number(),
                                where + "没有工作表“" + std::string(texts::kInputSheet) + "”");
    }
  }

  LevellingInputError Mismatch(CellRef cell, std::string_view expected, std::string_view what,
                               const CellValue& value) const {
    return LevellingInputError(host::kErrTypeMismatch,
                               CellPlace(book_, cell) + std::string(expected) + "（" +
                                   std::string(what) + "），实为" + FoundText(value),
                               cell);
  }

  const host::Workbook& book_;
  const host::Worksheet& sheet_;
};

// Reads the block; `on_row` sees each point row as soon as it is read, before the next one, so
// that its draws come in row order and a failing draw stops the read where the row stands.
template <typename OnRow>
LevellingInputSheet ReadSheet(const host::Workbook& book, OnRow&& on_row) {
  const InputReader reader(book);
  LevellingInputSheet sheet;
  sheet.StartBenchmarkName = reader.NameAt({5, kColE}, texts::kStartNameWhat);
  sheet.StartBenchmarkElevation =
      reader.NumberAt({6, kColE}, texts::kStartElevationWhat).value_or(0.0);
  sheet.EndBenchmarkName = reader.NameAt({5, kColF}, texts::kEndNameWhat);
  sheet.EndBenchmarkElevation = reader.NumberAt({6, kColF}, texts::kEndElevationWhat).value_or(0.0);

  for (int32_t row = kFirstPointRow; row <= host::kMaxRows; ++row) {
    // A cell of spaces or the number 0 is a name; only a truly empty value ends the list.
    if (reader.IsBlankAt({row, kColA}, texts::kPointNameWhat)) break;
    LevellingInputRow point;
    point.Row = row;
    point.Name = reader.DisplayedAt({row, kColA}, texts::kPointNameWhat);
    point.SideText = OffsetSideText(reader.DisplayedAt({row, kColB}, texts::kSideWhat));
    point.DesignElevation =
        RoundHalfEven(reader.NumberAt({row, kColE}, texts::kDesignElevationWhat).value_or(0.0), 3);
    point.MeasuredElevation = reader.NumberAt({row, kColF}, texts::kMeasuredElevationWhat);
    on_row(point);
    sheet.Rows.push_back(std::move(point));
  }
  return sheet;
}

// A tolerance in millimetres as a whole bound of a random draw (nearest, ties to even).
int32_t WholeBound(double millimetres, std::string_view what) {
  const double whole = RoundHalfEven(millimetres);
  if (!(whole >= std::numeric_limits<int32_t>::min() &&
        whole <= std::numeric_limits<int32_t>::max())) {
    throw LevellingInputError(host::kErrOverflow, "设置“" + std::string(what) + "”的界限 " +
                                                      GeneralNumberText(millimetres) +
                                                      " 毫米超出随机误差的范围");
  }
  return static_cast<int32_t>(whole);
}

// A simulated error in metres: a whole number of millimetres between the rounded bounds.
double DrawError(double minus_mm, double plus_mm, std::string_view what, RandomSource& random) {
  const int32_t lo = WholeBound(minus_mm, what);
  const int32_t hi = WholeBound(plus_mm, what);
  try {
    return static_cast<double>(RandomInt(lo, hi, random)) / 1000.0;
  } catch (const HostError& e) {
    throw LevellingInputError(e.Number(), "设置“" + std::string(what) + "”（" + std::to_string(lo) +
                                              " ～ " + std::to_string(hi) +
                                              " 毫米）不能用于随机误差：" + e.what());
  }
}

}  // namespace

LevellingInputError::LevellingInputError(int number, const std::string& detail,
                                         std::optional<host::CellRef> cell)
    : HostError(number, std::to_string(number) + "\n" + detail), detail_(detail), cell_(cell) {}

LevellingInputSheet ReadLevellingInputSheet(const host::Workbook& book) {
  try {
    return ReadSheet(book, [](const LevellingInputRow&) {});
  } catch (const LevellingInputError&) {
    throw;
  } catch (const HostError& e) {
    throw LevellingInputError(e.Number(), e.what());
  }
}

LevellingInput ReadLevellingInput(const host::Workbook& book, const SurveySettings& settings,
                                  RandomSource& random) {
  LevellingInput input;
  try {
    const LevellingInputSheet sheet = ReadSheet(book, [&](const LevellingInputRow& row) {
      LevellingPoint point{row.Name, row.SideText, 0.0, row.DesignElevation};
      if (row.MeasuredElevation) {
        point.MeasuredElevation = *row.MeasuredElevation;
      } else {
        const double error =
            DrawError(settings.MidTolMinus, settings.MidTolPlus, texts::kMidTolWhat, random);
        point.MeasuredElevation = RoundHalfEven(row.DesignElevation + error, 3);
      }
      input.Points.push_back(std::move(point));
    });
    input.StartBenchmarkName = sheet.StartBenchmarkName;
    input.StartBenchmarkElevation = sheet.StartBenchmarkElevation;
    input.EndBenchmarkName = sheet.EndBenchmarkName;
    input.EndBenchmarkElevation = sheet.EndBenchmarkElevation;
    const double closure = DrawError(settings.ClosureTolMinus, settings.ClosureTolPlus,
                                     texts::kClosureTolWhat, random);
    input.Points.push_back(LevellingPoint{input.EndBenchmarkName, std::string(),
                                          input.EndBenchmarkElevation + closure,
                                          input.EndBenchmarkElevation});
  } catch (const LevellingInputError&) {
    throw;
  } catch (const HostError& e) {
    throw LevellingInputError(e.Number(), e.what());
  }
  return input;
}

}  // namespace vardex
