// Reading and writing stake-out coordinate files.
#include "fielddata/stakeout_files.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "fielddata/cad_exchange.hpp"
#include "fielddata/fielddata_texts.hpp"
#include "fielddata/gsi_words.hpp"
#include "host/text_codec.hpp"
#include "numeric/number_text.hpp"

namespace vardex {
namespace {

namespace texts = fielddata_texts;

struct FormatRow {
  StakeoutFormat format;
  std::string_view name;
  std::string_view extension;
};

constexpr FormatRow kFormats[] = {
    {StakeoutFormat::Csv, "csv", ".csv"},         {StakeoutFormat::Dat, "dat", ".dat"},
    {StakeoutFormat::Gsi16, "gsi16", ".gsi"},     {StakeoutFormat::Dxf, "dxf", ".dxf"},
    {StakeoutFormat::LandXml, "landxml", ".xml"},
};

const FormatRow& RowOf(StakeoutFormat format) {
  for (const FormatRow& row : kFormats) {
    if (row.format == format) return row;
  }
  return kFormats[0];
}

const FieldLine* FirstTextLine(const std::vector<FieldLine>& lines) {
  for (const FieldLine& line : lines) {
    if (!TrimBlanks(line.Text).empty()) return &line;
  }
  return nullptr;
}

std::string LowerExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  std::string ext(dot == std::string_view::npos ? std::string_view() : name.substr(dot));
  for (char& c : ext) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return ext;
}

char Separator(std::string_view text) {
  return text.find('\t') != std::string_view::npos ? '\t' : ',';
}

std::optional<double> Coordinate(std::string_view text, std::string_view what,
                                 const FieldFile& file, const FieldLine& line) {
  if (text.empty()) return std::nullopt;
  const auto value = ParseNumericText(text);
  if (!value) throw FieldDataError(file.Name, line.Number, texts::NotANumber(what, text));
  return value;
}

double Required(std::string_view text, std::string_view what, const FieldFile& file,
                const FieldLine& line) {
  const auto value = Coordinate(text, what, file, line);
  if (!value) throw FieldDataError(file.Name, line.Number, texts::NotANumber(what, text));
  return *value;
}

// CSV: name, X (north), Y (east), optionally H. DAT: name, code, Y (east), X (north), H, the
// east coordinate first as the survey office's drawing software keeps it.
std::vector<SurveyedPoint> ReadDelimited(const FieldFile& file, const std::vector<FieldLine>& lines,
                                         bool dat) {
  std::vector<SurveyedPoint> points;
  bool first = true;
  for (const FieldLine& line : lines) {
    if (TrimBlanks(line.Text).empty()) continue;
    const std::vector<std::string> fields = SplitFields(line.Text, Separator(line.Text));
    const std::size_t x_at = dat ? 3 : 1;
    const std::size_t y_at = dat ? 2 : 1 + 1;
    if (first) {
      first = false;
      // A heading line names its columns instead of holding coordinates.
      if (fields.size() > std::max(x_at, y_at) && !IsNumericText(fields[x_at]) &&
          !IsNumericText(fields[y_at])) {
        continue;
      }
    }
    const bool fits = dat ? (fields.size() == 4 || fields.size() == 5)
                          : (fields.size() == 3 || fields.size() == 4);
    if (!fits) {
      throw FieldDataError(
          file.Name, line.Number,
          dat ? texts::DatColumns(fields.size()) : texts::CsvColumns(fields.size()));
    }
    SurveyedPoint point;
    point.Name = fields[0];
    if (point.Name.empty()) throw FieldDataError(file.Name, line.Number, texts::kNoName);
    point.X = Required(fields[x_at], "X（北）坐标", file, line);
    point.Y = Required(fields[y_at], "Y（东）坐标", file, line);
    const std::size_t h_at = dat ? 4 : 3;
    if (fields.size() > h_at) point.H = Coordinate(fields[h_at], "高程", file, line);
    point.Source = {file.Name, line.Number};
    points.push_back(std::move(point));
  }
  return points;
}

// GSI blocks of a total station's coordinate file: word 11 the point id, 81 its easting, 82 its
// northing, 83 its elevation. Blocks without coordinates (angles, distances, codes) are passed
// over.
std::vector<SurveyedPoint> ReadGsiPoints(const FieldFile& file,
                                         const std::vector<FieldLine>& lines) {
  std::vector<SurveyedPoint> points;
  for (const FieldLine& line : lines) {
    if (TrimBlanks(line.Text).empty()) continue;
    const std::vector<gsi::Word> words = gsi::ParseLine(line, file.Name);
    const gsi::Word* east = gsi::Find(words, 81);
    const gsi::Word* north = gsi::Find(words, 82);
    if (east == nullptr && north == nullptr) continue;
    if (north == nullptr) throw FieldDataError(file.Name, line.Number, texts::kGsiNoNorthing);
    if (east == nullptr) throw FieldDataError(file.Name, line.Number, texts::kGsiNoEasting);
    const gsi::Word* id = gsi::Find(words, 11);
    if (id == nullptr) throw FieldDataError(file.Name, line.Number, texts::kGsiNoPoint);
    SurveyedPoint point;
    point.Name = gsi::Text(*id);
    point.X = gsi::Length(*north, line, file.Name);
    point.Y = gsi::Length(*east, line, file.Name);
    if (const gsi::Word* height = gsi::Find(words, 83)) {
      point.H = gsi::Length(*height, line, file.Name);
    }
    point.Source = {file.Name, line.Number};
    points.push_back(std::move(point));
  }
  return points;
}

std::string QuotedField(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string Encoded(std::string text, FileEncoding encoding, std::string_view target,
                    const std::string& name) {
  if (encoding == FileEncoding::Utf8) return text;
  std::optional<std::string> gbk = host::Utf8ToGbk(text);
  if (!gbk) throw FieldDataError(target, 0, texts::NoGbkForm(name));
  return std::move(*gbk);
}

std::string WriteDelimited(const std::vector<SurveyedPoint>& points, bool dat,
                           FileEncoding encoding, std::string_view target) {
  std::string out;
  for (const SurveyedPoint& point : points) {
    const std::string h = point.H ? GeneralNumberText(*point.H) : std::string();
    std::string line = QuotedField(point.Name);
    if (dat) {
      line += ",," + GeneralNumberText(point.Y) + "," + GeneralNumberText(point.X) + "," + h;
    } else {
      line += "," + GeneralNumberText(point.X) + "," + GeneralNumberText(point.Y);
      if (point.H) line += "," + h;
    }
    out += Encoded(line, encoding, target, point.Name) + "\r\n";
  }
  return out;
}

// A coordinate as the digits of GSI units 6 (metres, last digit 1/10 mm), or nothing when it
// does not fit 16 digits.
std::optional<std::string> GsiDigits(double metres) {
  const double tenths = std::round(std::fabs(metres) * 1e4);
  if (!(tenths < 1e16)) return std::nullopt;
  return std::to_string(static_cast<int64_t>(tenths));
}

bool GsiName(std::string_view name) {
  if (name.empty() || name.size() > 16) return false;
  for (const char c : name) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

std::string WriteGsi16(const std::vector<SurveyedPoint>& points, std::string_view target) {
  std::string out;
  int block = 0;
  for (const SurveyedPoint& point : points) {
    if (!GsiName(point.Name)) throw FieldDataError(target, 0, texts::GsiNameUnfit(point.Name));
    block = block % 9999 + 1;
    char number[8];
    std::snprintf(number, sizeof number, "%04d", block);
    // Word 11 carries the block number in positions 3 to 6, then the point id.
    std::string line = "*11" + std::string(number) + "+";
    line.append(16 - point.Name.size(), '0');
    line += point.Name + " ";
    struct Coordinate {
      int index;
      double value;
    };
    std::vector<Coordinate> words{{81, point.Y}, {82, point.X}};
    if (point.H) words.push_back({83, *point.H});
    for (const Coordinate& word : words) {
      const std::optional<std::string> digits = GsiDigits(word.value);
      if (!digits) throw FieldDataError(target, 0, texts::GsiValueUnfit(point.Name));
      line += gsi::Format(word.index, '6', word.value < 0, *digits, 16) + " ";
    }
    out += line + "\r\n";
  }
  return out;
}

}  // namespace

std::string_view StakeoutFormatName(StakeoutFormat format) { return RowOf(format).name; }

std::optional<StakeoutFormat> ParseStakeoutFormat(std::string_view name) {
  for (const FormatRow& row : kFormats) {
    if (row.name == name) return row.format;
  }
  return std::nullopt;
}

std::string_view StakeoutFileExtension(StakeoutFormat format) { return RowOf(format).extension; }

StakeoutFormat DetectStakeoutFormat(const FieldFile& file) {
  const std::vector<FieldLine> lines = FieldTextLines(file);
  const FieldLine* first = FirstTextLine(lines);
  if (first == nullptr) throw FieldDataError(file.Name, 0, texts::kEmptyFile);
  if (gsi::LooksLikeGsi(first->Text)) return StakeoutFormat::Gsi16;
  if (detail::LooksLikeDxf(first->Text)) return StakeoutFormat::Dxf;
  if (detail::LooksLikeXml(first->Text)) return StakeoutFormat::LandXml;
  const std::vector<std::string> fields = SplitFields(first->Text, Separator(first->Text));
  if (fields.size() < 3 || fields.size() > 5) {
    throw FieldDataError(file.Name, first->Number, texts::kNotCoordinateFile);
  }
  return LowerExtension(file.Name) == ".dat" ? StakeoutFormat::Dat : StakeoutFormat::Csv;
}

std::vector<SurveyedPoint> ReadSurveyedPoints(const FieldFile& file) {
  const StakeoutFormat format = DetectStakeoutFormat(file);
  std::vector<SurveyedPoint> points;
  if (format == StakeoutFormat::LandXml) {
    points = detail::ReadLandXmlPoints(file);
  } else {
    const std::vector<FieldLine> lines = FieldTextLines(file);
    switch (format) {
      case StakeoutFormat::Csv:
        points = ReadDelimited(file, lines, false);
        break;
      case StakeoutFormat::Dat:
        points = ReadDelimited(file, lines, true);
        break;
      case StakeoutFormat::Gsi16:
        points = ReadGsiPoints(file, lines);
        break;
      case StakeoutFormat::Dxf:
        points = detail::ReadDxfPoints(file, lines);
        break;
      case StakeoutFormat::LandXml:
        break;
    }
  }
  if (points.empty()) throw FieldDataError(file.Name, 0, texts::kNoCoordinates);
  return points;
}

std::string WriteStakeoutFile(const std::vector<SurveyedPoint>& points, StakeoutFormat format,
                              FileEncoding encoding, std::string_view target,
                              std::string_view stamp) {
  switch (format) {
    case StakeoutFormat::Csv:
      return WriteDelimited(points, false, encoding, target);
    case StakeoutFormat::Dat:
      return WriteDelimited(points, true, encoding, target);
    case StakeoutFormat::Gsi16:
      return WriteGsi16(points, target);
    case StakeoutFormat::Dxf:
      return detail::WriteDxfPoints(points);
    case StakeoutFormat::LandXml:
      return detail::WriteLandXmlPoints(points, stamp);
  }
  return {};
}

}  // namespace vardex
