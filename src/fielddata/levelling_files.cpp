// The three readers of levelling files and the format detection in front of them.
#include "fielddata/levelling_files.hpp"

#include "fielddata/fielddata_texts.hpp"
#include "fielddata/gsi_words.hpp"
#include "fielddata/levelling_events.hpp"
#include "numeric/number_text.hpp"

namespace vardex {
namespace detail {
namespace {

namespace texts = fielddata_texts;

const FieldLine* FirstTextLine(const std::vector<FieldLine>& lines) {
  for (const FieldLine& line : lines) {
    if (!TrimBlanks(line.Text).empty()) return &line;
  }
  return nullptr;
}

bool IsM5Line(std::string_view text) { return text.starts_with("For M5|"); }

FieldSource SourceOf(const FieldFile& file, const FieldLine& line) {
  return {file.Name, line.Number};
}

// ---- Leica GSI ----------------------------------------------------------------------------------

// A block of a digital level: word 11 names the point; 331, 332, 333 are the back, fore and
// intermediate staff readings, 335 and 336 the second back and fore readings of a BFFB set-up,
// 32 the horizontal distance to the staff; 83 the height the instrument worked out. Blocks with
// 330 (measure only) or 334 (stake-out) readings are no part of the line, 41 blocks carry codes
// and the line's method, 57x words the instrument's sums.
void ReadGsiBlock(const FieldFile& file, const FieldLine& line,
                  std::vector<LevellingEvent>& events) {
  const std::vector<gsi::Word> words = gsi::ParseLine(line, file.Name);
  if (words.empty() || words.front().Index == 41) return;
  if (gsi::Find(words, 330) != nullptr || gsi::Find(words, 334) != nullptr) return;
  struct Reading {
    int index;
    EventKind kind;
  };
  constexpr Reading kReadings[] = {{331, EventKind::Back},
                                   {335, EventKind::Back},
                                   {332, EventKind::Fore},
                                   {336, EventKind::Fore},
                                   {333, EventKind::Intermediate}};
  const gsi::Word* reading = nullptr;
  EventKind kind = EventKind::Back;
  for (const Reading& candidate : kReadings) {
    if (const gsi::Word* found = gsi::Find(words, candidate.index)) {
      if (reading != nullptr) throw FieldDataError(file.Name, line.Number, texts::kTwoReadings);
      reading = found;
      kind = candidate.kind;
    }
  }
  const gsi::Word* height = gsi::Find(words, 83);
  if (reading == nullptr && height == nullptr) return;
  const gsi::Word* id = gsi::Find(words, 11);
  if (id == nullptr) throw FieldDataError(file.Name, line.Number, texts::kGsiNoPoint);
  const FieldSource source = SourceOf(file, line);
  if (reading != nullptr) {
    LevellingEvent event{kind, gsi::Text(*id), gsi::Length(*reading, line, file.Name), std::nullopt,
                         source};
    if (const gsi::Word* distance = gsi::Find(words, 32)) {
      event.Distance = gsi::Length(*distance, line, file.Name);
    }
    CheckSight(event.Value, event.Distance, source);
    events.push_back(std::move(event));
  }
  if (height != nullptr) {
    events.push_back({EventKind::Height, gsi::Text(*id), gsi::Length(*height, line, file.Name),
                      std::nullopt, source});
  }
}

// ---- M5 -----------------------------------------------------------------------------------------

// An M5 line is 121 columns: "For M5" (1-6), '|', "Adr" and the memory address (8-16), '|', the
// type of the information block (18-20: KD1, KD2 point identification, TO text) and the block
// itself (22-48: the point id first, then code, time and line number), '|', and three value
// blocks (50-71, 73-94, 96-117) of a type identifier (2 columns), the value (14 columns, with its
// decimal point) and its unit (4 columns), each closed by '|'. Fields are read between the bars,
// so lines whose blocks are not padded to the exact columns are read too.
struct M5Value {
  std::string type;
  double value = 0;
};

double M5Unit(std::string_view unit, const FieldFile& file, const FieldLine& line) {
  if (unit.empty() || unit == "m") return 1.0;
  if (unit == "mm") return 1e-3;
  if (unit == "ft") return 0.3048;
  throw FieldDataError(file.Name, line.Number, texts::M5BadUnit(unit));
}

std::optional<M5Value> ParseM5Value(std::string_view block, const FieldFile& file,
                                    const FieldLine& line) {
  block = TrimBlanks(block);
  if (block.empty()) return std::nullopt;
  const std::size_t type_end = block.find(' ');
  if (type_end == std::string_view::npos) {
    throw FieldDataError(file.Name, line.Number, texts::M5BadValue(block));
  }
  M5Value value;
  value.type = std::string(block.substr(0, type_end));
  std::string_view rest = TrimBlanks(block.substr(type_end));
  const std::size_t number_end = rest.find(' ');
  const std::string_view number = rest.substr(0, number_end);
  const std::string_view unit = number_end == std::string_view::npos
                                    ? std::string_view()
                                    : TrimBlanks(rest.substr(number_end));
  const auto parsed = ParseNumericText(number);
  if (!parsed) throw FieldDataError(file.Name, line.Number, texts::M5BadValue(block));
  value.value = *parsed * M5Unit(unit, file, line);
  return value;
}

// Type identifiers of the value blocks, English and German: Rb/Lr back sight, Rf/Lv fore sight,
// Rz/Lz intermediate sight, HD/E horizontal distance, Z height of the point. The others (sR
// standard deviation, Sh sum of height differences, dz misclosure, Db/Df distance sums, ...)
// are not needed.
std::optional<EventKind> M5ReadingKind(std::string_view type) {
  if (type == "Rb" || type == "Lr") return EventKind::Back;
  if (type == "Rf" || type == "Lv") return EventKind::Fore;
  if (type == "Rz" || type == "Lz") return EventKind::Intermediate;
  return std::nullopt;
}

void ReadM5Line(const FieldFile& file, const FieldLine& line, std::vector<LevellingEvent>& events) {
  if (!IsM5Line(line.Text)) throw FieldDataError(file.Name, line.Number, texts::kNotM5Line);
  const std::vector<std::string> fields = SplitFields(line.Text, '|');
  if (fields.size() < 3) throw FieldDataError(file.Name, line.Number, texts::kNotM5Line);
  const std::string_view info_block = fields[2];
  const std::string_view type = TrimBlanks(info_block.substr(0, 3));
  const std::string_view info = TrimBlanks(info_block.size() > 3 ? info_block.substr(3) : "");
  const FieldSource source = SourceOf(file, line);
  if (type == "TO") {
    // Text lines: line start and end, intermediate sights, and the notes that a station or a
    // measurement was taken again, which cancel the readings before them.
    if (info.starts_with("Station repeated")) {
      events.push_back({EventKind::CancelStation, "", 0, std::nullopt, source});
    } else if (info.starts_with("Measurement repeated")) {
      events.push_back({EventKind::CancelLast, "", 0, std::nullopt, source});
    }
    return;
  }
  std::optional<LevellingEvent> reading;
  std::optional<double> distance;
  std::optional<double> height;
  for (std::size_t k = 3; k < fields.size() && k < 6; ++k) {
    const std::optional<M5Value> value = ParseM5Value(fields[k], file, line);
    if (!value) continue;
    if (const auto kind = M5ReadingKind(value->type)) {
      if (reading) throw FieldDataError(file.Name, line.Number, texts::kTwoReadings);
      reading = LevellingEvent{*kind, "", value->value, std::nullopt, source};
    } else if (value->type == "HD" || value->type == "E") {
      distance = value->value;
    } else if (value->type == "Z") {
      height = value->value;
    }
  }
  if (!reading && !height) return;
  const std::string point(info.substr(0, info.find(' ')));
  if (point.empty()) throw FieldDataError(file.Name, line.Number, texts::kM5NoPoint);
  if (reading) {
    reading->Point = point;
    reading->Distance = distance;
    CheckSight(reading->Value, reading->Distance, source);
    events.push_back(std::move(*reading));
  }
  if (height) events.push_back({EventKind::Height, point, *height, std::nullopt, source});
}

// ---- CSV field book -----------------------------------------------------------------------------

// Columns of the field book, found by their headings: 点号 (also 点名, 测点), 后视, 中视, 前视 and
// optionally 距离 (also 视距). Without a heading line the columns stand in that order.
struct BookColumns {
  int point = 0;
  int back = 1;
  int intermediate = 2;
  int fore = 3;
  int distance = 4;
};

bool IsHeading(const std::vector<std::string>& fields) {
  for (const std::string& field : fields) {
    if (field == "点号" || field == "点名" || field == "测点") return true;
  }
  return false;
}

BookColumns ColumnsFromHeading(const std::vector<std::string>& fields, const FieldFile& file,
                               const FieldLine& line) {
  BookColumns columns{-1, -1, -1, -1, -1};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string& name = fields[i];
    const int at = static_cast<int>(i);
    if (name == "点号" || name == "点名" || name == "测点") columns.point = at;
    if (name == "后视") columns.back = at;
    if (name == "中视") columns.intermediate = at;
    if (name == "前视") columns.fore = at;
    if (name == "距离" || name == "视距") columns.distance = at;
  }
  if (columns.point < 0 || columns.back < 0 || columns.intermediate < 0 || columns.fore < 0) {
    throw FieldDataError(file.Name, line.Number, texts::kBookHeading);
  }
  return columns;
}

std::string_view FieldAt(const std::vector<std::string>& fields, int column) {
  if (column < 0 || static_cast<std::size_t>(column) >= fields.size()) return {};
  return fields[static_cast<std::size_t>(column)];
}

std::optional<double> BookNumber(std::string_view text, std::string_view what,
                                 const FieldFile& file, const FieldLine& line) {
  if (text.empty()) return std::nullopt;
  const auto value = ParseNumericText(text);
  if (!value) throw FieldDataError(file.Name, line.Number, texts::NotANumber(what, text));
  return value;
}

char BookSeparator(std::string_view text) {
  return text.find('\t') != std::string_view::npos ? '\t' : ',';
}

std::string FullWidthCommas(std::string_view text) {
  std::string out(text);
  for (std::size_t at = out.find("，"); at != std::string::npos; at = out.find("，", at)) {
    out.replace(at, std::string_view("，").size(), ",");
  }
  return out;
}

}  // namespace

std::vector<LevellingEvent> ReadGsiLevelling(const FieldFile& file,
                                             const std::vector<FieldLine>& lines) {
  std::vector<LevellingEvent> events;
  for (const FieldLine& line : lines) {
    if (TrimBlanks(line.Text).empty()) continue;
    ReadGsiBlock(file, line, events);
  }
  return events;
}

std::vector<LevellingEvent> ReadM5Levelling(const FieldFile& file,
                                            const std::vector<FieldLine>& lines) {
  std::vector<LevellingEvent> events;
  for (const FieldLine& line : lines) {
    if (TrimBlanks(line.Text).empty()) continue;
    ReadM5Line(file, line, events);
  }
  return events;
}

std::vector<LevellingEvent> ReadFieldBook(const FieldFile& file,
                                          const std::vector<FieldLine>& lines) {
  std::vector<LevellingEvent> events;
  BookColumns columns;
  bool first = true;
  for (const FieldLine& line : lines) {
    const std::string text = FullWidthCommas(line.Text);
    if (TrimBlanks(text).empty()) continue;
    const std::vector<std::string> fields = SplitFields(text, BookSeparator(text));
    if (first) {
      first = false;
      if (IsHeading(fields)) {
        columns = ColumnsFromHeading(fields, file, line);
        continue;
      }
    }
    const std::string point(FieldAt(fields, columns.point));
    const auto back = BookNumber(FieldAt(fields, columns.back), "后视", file, line);
    const auto middle = BookNumber(FieldAt(fields, columns.intermediate), "中视", file, line);
    const auto fore = BookNumber(FieldAt(fields, columns.fore), "前视", file, line);
    if (point.empty()) throw FieldDataError(file.Name, line.Number, texts::kBookNoPoint);
    if (!back && !middle && !fore)
      throw FieldDataError(file.Name, line.Number, texts::kBookNoReading);
    if (middle && (back || fore)) {
      throw FieldDataError(file.Name, line.Number, texts::kBookMiddleWithOthers);
    }
    // A turning point's row holds the fore sight of the set-up before it and the back sight of
    // the next; its distance may be written "fore/back".
    std::optional<double> fore_distance;
    std::optional<double> back_distance;
    const std::string_view distance = FieldAt(fields, columns.distance);
    const std::size_t slash = distance.find('/');
    if (slash != std::string_view::npos) {
      fore_distance = BookNumber(TrimBlanks(distance.substr(0, slash)), "距离", file, line);
      back_distance = BookNumber(TrimBlanks(distance.substr(slash + 1)), "距离", file, line);
    } else {
      const auto single = BookNumber(distance, "距离", file, line);
      fore_distance = single;
      if (!fore) back_distance = single;
    }
    const FieldSource source = SourceOf(file, line);
    if (fore) {
      CheckSight(*fore, fore_distance, source);
      events.push_back({EventKind::Fore, point, *fore, fore_distance, source});
    }
    if (back) {
      CheckSight(*back, back_distance, source);
      events.push_back({EventKind::Back, point, *back, back_distance, source});
    }
    if (middle) {
      CheckSight(*middle, fore_distance, source);
      events.push_back({EventKind::Intermediate, point, *middle, fore_distance, source});
    }
  }
  return events;
}

}  // namespace detail

std::string_view LevellingFileFormatName(LevellingFileFormat format) {
  switch (format) {
    case LevellingFileFormat::Gsi:
      return "Leica GSI";
    case LevellingFileFormat::M5:
      return "M5";
    case LevellingFileFormat::FieldBook:
      return "CSV 手簿";
  }
  return "";
}

namespace detail {

LevellingFileFormat DetectFormat(const FieldFile& file, const std::vector<FieldLine>& lines) {
  const FieldLine* first = FirstTextLine(lines);
  if (first == nullptr) throw FieldDataError(file.Name, 0, fielddata_texts::kEmptyFile);
  if (IsM5Line(first->Text)) return LevellingFileFormat::M5;
  if (gsi::LooksLikeGsi(first->Text)) return LevellingFileFormat::Gsi;
  const std::string text = FullWidthCommas(first->Text);
  const std::vector<std::string> fields = SplitFields(text, BookSeparator(text));
  if (IsHeading(fields)) return LevellingFileFormat::FieldBook;
  if (fields.size() >= 4 && fields.size() <= 5) {
    bool numbers_or_empty = true;
    for (std::size_t i = 1; i < fields.size(); ++i) {
      const std::string& field = fields[i];
      if (!field.empty() && !IsNumericText(field)) numbers_or_empty = false;
    }
    if (numbers_or_empty) return LevellingFileFormat::FieldBook;
  }
  throw FieldDataError(file.Name, first->Number, fielddata_texts::kNotLevellingFile);
}

}  // namespace detail

LevellingFileFormat DetectLevellingFormat(const FieldFile& file) {
  return detail::DetectFormat(file, FieldTextLines(file));
}

MeasuredLevellingLine ReadLevellingLine(const std::vector<FieldFile>& files) {
  std::vector<detail::LevellingEvent> events;
  for (const FieldFile& file : files) {
    const std::vector<FieldLine> lines = FieldTextLines(file);
    const LevellingFileFormat format = detail::DetectFormat(file, lines);
    std::vector<detail::LevellingEvent> read;
    switch (format) {
      case LevellingFileFormat::Gsi:
        read = detail::ReadGsiLevelling(file, lines);
        break;
      case LevellingFileFormat::M5:
        read = detail::ReadM5Levelling(file, lines);
        break;
      case LevellingFileFormat::FieldBook:
        read = detail::ReadFieldBook(file, lines);
        break;
    }
    if (read.empty()) throw FieldDataError(file.Name, 0, fielddata_texts::kNoReadings);
    events.insert(events.end(), std::make_move_iterator(read.begin()),
                  std::make_move_iterator(read.end()));
  }
  return detail::BuildLevellingLine(events);
}

}  // namespace vardex
