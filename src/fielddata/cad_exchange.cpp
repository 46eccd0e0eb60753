// DXF (AutoCAD R12, ASCII) and LandXML 1.2 for stake-out points.
#include "fielddata/cad_exchange.hpp"

#include <pugixml.hpp>

#include <cstdio>
#include <optional>
#include <sstream>

#include "fielddata/fielddata_texts.hpp"
#include "numeric/number_text.hpp"

namespace vardex::detail {
namespace {

namespace texts = fielddata_texts;

constexpr std::string_view kPointLayer = "STAKE_POINT";
constexpr std::string_view kNameLayer = "STAKE_NAME";
// Names stand beside their points, a little up and to the right, at a height that reads at
// the scales of road drawings.
constexpr double kNameOffset = 0.3;
constexpr double kNameHeight = 0.5;

// ---- DXF ----------------------------------------------------------------------------------------

// A DXF file is pairs of lines: a group code (0 entity type, 1 text, 2 name, 8 layer, 10/20/30
// x/y/z of the first point, 40 text height, 62 colour, 70 flags) and its value.
void Pair(std::string& out, int code, std::string_view value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%3d", code);
  out += buffer;
  out += "\r\n";
  out += value;
  out += "\r\n";
}

// Characters beyond ASCII as the \U+XXXX escapes that DXF text takes (those outside the basic
// plane as their surrogate pair).
std::string DxfText(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    uint32_t code = c & (length == 4 ? 0x07u : length == 3 ? 0x0Fu : 0x1Fu);
    for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
    }
    i += length;
    auto escape = [&out](uint32_t unit) {
      char buffer[12];
      std::snprintf(buffer, sizeof buffer, "\\U+%04X", static_cast<unsigned>(unit));
      out += buffer;
    };
    if (code >= 0x10000) {
      escape(0xD800 + ((code - 0x10000) >> 10));
      escape(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      escape(code);
    }
  }
  return out;
}

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::optional<uint32_t> HexAt(std::string_view text, std::size_t at) {
  if (at + 7 > text.size() || text.substr(at, 3) != "\\U+") return std::nullopt;
  uint32_t value = 0;
  for (std::size_t k = at + 3; k < at + 7; ++k) {
    const char c = text[k];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                             : -1;
    if (digit < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(digit);
  }
  return value;
}

std::string FromDxfText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<uint32_t> unit = HexAt(text, i);
    if (!unit) {
      out += text[i++];
      continue;
    }
    i += 7;
    uint32_t code = *unit;
    if (code >= 0xD800 && code < 0xDC00) {
      const std::optional<uint32_t> low = HexAt(text, i);
      if (low && *low >= 0xDC00 && *low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
        i += 7;
      }
    }
    AppendUtf8(out, code);
  }
  return out;
}

// ---- LandXML ------------------------------------------------------------------------------------

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(" \t\r\n", at);
    if (at == std::string_view::npos) return words;
    const std::size_t end = text.find_first_of(" \t\r\n", at);
    words.push_back(text.substr(at, end - at));
    if (end == std::string_view::npos) return words;
    at = end;
  }
}

// The 1-based line of a byte offset, for messages.
int32_t LineOf(std::string_view bytes, std::ptrdiff_t offset) {
  int32_t line = 1;
  for (std::ptrdiff_t i = 0; i < offset && static_cast<std::size_t>(i) < bytes.size(); ++i) {
    if (bytes[static_cast<std::size_t>(i)] == '\n') ++line;
  }
  return line;
}

std::string_view LocalName(const char* name) {
  std::string_view n(name);
  const std::size_t colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

void CollectCgPoints(pugi::xml_node node, const FieldFile& file,
                     std::vector<SurveyedPoint>& points) {
  for (pugi::xml_node child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    if (LocalName(child.name()) != "CgPoint") {
      CollectCgPoints(child, file, points);
      continue;
    }
    const std::string name = child.attribute("name").value();
    const int32_t line = LineOf(file.Bytes, child.offset_debug());
    if (name.empty()) throw FieldDataError(file.Name, line, texts::kNoName);
    const std::vector<std::string_view> words = Words(child.child_value());
    std::vector<double> values;
    for (const std::string_view word : words) {
      const auto value = ParseNumericText(word);
      if (!value) throw FieldDataError(file.Name, line, texts::CgPointBad(name));
      values.push_back(*value);
    }
    if (values.size() < 2 || values.size() > 3) {
      throw FieldDataError(file.Name, line, texts::CgPointBad(name));
    }
    SurveyedPoint point{name, values[0], values[1], std::nullopt, {file.Name, line}};
    if (values.size() == 3) point.H = values[2];
    points.push_back(std::move(point));
  }
}

}  // namespace

bool LooksLikeDxf(std::string_view first_line) noexcept {
  const std::size_t start = first_line.find_first_not_of(' ');
  return start != std::string_view::npos && first_line.substr(start) == "0";
}

bool LooksLikeXml(std::string_view first_line) noexcept {
  return first_line.find('<') != std::string_view::npos &&
         first_line.find_first_not_of(" \t") == first_line.find('<');
}

std::vector<SurveyedPoint> ReadDxfPoints(const FieldFile& file,
                                         const std::vector<FieldLine>& lines) {
  std::vector<SurveyedPoint> points;
  std::string section;
  std::string entity;
  std::string expect_section_name;
  std::optional<SurveyedPoint> pending;  // a point waiting for its name
  bool in_entities = false;
  SurveyedPoint current;
  auto finish_entity = [&]() {
    if (!in_entities) return;
    if (entity == "POINT") {
      if (pending) {
        throw FieldDataError(file.Name, pending->Source.Line, texts::kDxfPointWithoutName);
      }
      pending = current;
    } else if (entity == "TEXT" && pending) {
      pending->Name = FromDxfText(current.Name);
      points.push_back(std::move(*pending));
      pending.reset();
    }
  };
  for (std::size_t i = 0; i < lines.size(); i += 2) {
    if (i + 1 >= lines.size()) {
      if (TrimBlanks(lines[i].Text).empty()) break;
      throw FieldDataError(file.Name, lines[i].Number, texts::kDxfPairs);
    }
    const std::string_view code_text = TrimBlanks(lines[i].Text);
    const auto code = ParseNumericText(code_text);
    if (!code) throw FieldDataError(file.Name, lines[i].Number, texts::kDxfPairs);
    const std::string_view value = lines[i + 1].Text;
    const auto group = static_cast<int>(*code);
    if (group == 0) {
      finish_entity();
      entity = std::string(TrimBlanks(value));
      if (entity == "SECTION") expect_section_name = "yes";
      if (entity == "ENDSEC") in_entities = false;
      current = SurveyedPoint{};
      current.Source = {file.Name, lines[i].Number};
      continue;
    }
    if (group == 2 && !expect_section_name.empty()) {
      in_entities = TrimBlanks(value) == "ENTITIES";
      expect_section_name.clear();
      continue;
    }
    if (!in_entities) continue;
    auto number = [&]() {
      const auto parsed = ParseNumericText(value);
      if (!parsed) {
        throw FieldDataError(file.Name, lines[i + 1].Number, texts::NotANumber("坐标", value));
      }
      return *parsed;
    };
    if (entity == "POINT") {
      // Drawing x is east (the survey Y), drawing y north (the survey X).
      if (group == 10) current.Y = number();
      if (group == 20) current.X = number();
      if (group == 30) current.H = number();
    } else if (entity == "TEXT" && group == 1) {
      current.Name = std::string(value);
    }
  }
  if (pending) throw FieldDataError(file.Name, pending->Source.Line, texts::kDxfPointWithoutName);
  return points;
}

std::string WriteDxfPoints(const std::vector<SurveyedPoint>& points) {
  std::string out;
  Pair(out, 0, "SECTION");
  Pair(out, 2, "HEADER");
  Pair(out, 9, "$ACADVER");
  Pair(out, 1, "AC1009");
  Pair(out, 0, "ENDSEC");
  Pair(out, 0, "SECTION");
  Pair(out, 2, "TABLES");
  Pair(out, 0, "TABLE");
  Pair(out, 2, "LAYER");
  Pair(out, 70, "2");
  for (const auto& [layer, colour] : {std::pair{kPointLayer, "1"}, std::pair{kNameLayer, "7"}}) {
    Pair(out, 0, "LAYER");
    Pair(out, 2, layer);
    Pair(out, 70, "0");
    Pair(out, 62, colour);
    Pair(out, 6, "CONTINUOUS");
  }
  Pair(out, 0, "ENDTAB");
  Pair(out, 0, "ENDSEC");
  Pair(out, 0, "SECTION");
  Pair(out, 2, "ENTITIES");
  for (const SurveyedPoint& point : points) {
    const double z = point.H.value_or(0.0);
    Pair(out, 0, "POINT");
    Pair(out, 8, kPointLayer);
    Pair(out, 10, GeneralNumberText(point.Y));
    Pair(out, 20, GeneralNumberText(point.X));
    Pair(out, 30, GeneralNumberText(z));
    Pair(out, 0, "TEXT");
    Pair(out, 8, kNameLayer);
    Pair(out, 10, GeneralNumberText(point.Y + kNameOffset));
    Pair(out, 20, GeneralNumberText(point.X + kNameOffset));
    Pair(out, 30, GeneralNumberText(z));
    Pair(out, 40, GeneralNumberText(kNameHeight));
    Pair(out, 1, DxfText(point.Name));
  }
  Pair(out, 0, "ENDSEC");
  Pair(out, 0, "EOF");
  return out;
}

std::vector<SurveyedPoint> ReadLandXmlPoints(const FieldFile& file) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(file.Bytes.data(), file.Bytes.size(),
                                                        pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    throw FieldDataError(file.Name, LineOf(file.Bytes, parsed.offset),
                         texts::LandXmlBroken(parsed.description()));
  }
  std::vector<SurveyedPoint> points;
  CollectCgPoints(doc, file, points);
  return points;
}

std::string WriteLandXmlPoints(const std::vector<SurveyedPoint>& points, std::string_view stamp) {
  pugi::xml_document doc;
  pugi::xml_node declaration = doc.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = doc.append_child("LandXML");
  root.append_attribute("xmlns") = "http://www.landxml.org/schema/LandXML-1.2";
  root.append_attribute("version") = "1.2";
  const std::string date(stamp.substr(0, 10));
  const std::string time(stamp.size() > 11 ? stamp.substr(11) : "00:00:00");
  root.append_attribute("date") = date.c_str();
  root.append_attribute("time") = time.c_str();
  pugi::xml_node metric = root.append_child("Units").append_child("Metric");
  metric.append_attribute("areaUnit") = "squareMeter";
  metric.append_attribute("linearUnit") = "meter";
  metric.append_attribute("volumeUnit") = "cubicMeter";
  metric.append_attribute("temperatureUnit") = "celsius";
  metric.append_attribute("pressureUnit") = "HPA";
  pugi::xml_node list = root.append_child("CgPoints");
  for (const SurveyedPoint& point : points) {
    pugi::xml_node node = list.append_child("CgPoint");
    node.append_attribute("name") = point.Name.c_str();
    std::string value = GeneralNumberText(point.X) + " " + GeneralNumberText(point.Y);
    if (point.H) value += " " + GeneralNumberText(*point.H);
    node.text() = value.c_str();
  }
  std::ostringstream out;
  doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
  return out.str();
}

}  // namespace vardex::detail
