// Styles part: number formats and cell formats, resolved for display; additions written back
// into the original part in the schema's order.
#include "host/xlsx_styles.hpp"

#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "host/legacy_palette.hpp"
#include "host/number_format.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

struct Theme {
  uint32_t colors[12] = {0x000000, 0xFFFFFF, 0x44546A, 0xE7E6E6, 0x4472C4, 0xED7D31,
                         0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};
};

void ReadTheme(std::string_view xml, Theme& theme) {
  pugi::xml_document doc;
  if (xml.empty() || !doc.load_buffer(xml.data(), xml.size())) return;
  pugi::xml_node scheme = Child(Child(doc.document_element(), "themeElements"), "clrScheme");
  constexpr std::string_view names[12] = {"dk1",     "lt1",     "dk2",     "lt2",
                                          "accent1", "accent2", "accent3", "accent4",
                                          "accent5", "accent6", "hlink",   "folHlink"};
  for (int i = 0; i < 12; ++i) {
    pugi::xml_node n = Child(scheme, names[i]);
    if (pugi::xml_node srgb = Child(n, "srgbClr")) {
      theme.colors[i] =
          static_cast<uint32_t>(std::strtoul(Attr(srgb, "val").as_string(), nullptr, 16));
    } else if (pugi::xml_node sys = Child(n, "sysClr")) {
      theme.colors[i] =
          static_cast<uint32_t>(std::strtoul(Attr(sys, "lastClr").as_string(), nullptr, 16));
    }
  }
}

uint32_t ApplyTint(uint32_t rgb, double tint) {
  if (tint == 0) return rgb;
  auto channel = [&](int shift) {
    double c = static_cast<double>((rgb >> shift) & 0xFF);
    c = tint < 0 ? c * (1 + tint) : c + (255 - c) * tint;
    return static_cast<uint32_t>(std::lround(std::clamp(c, 0.0, 255.0))) << shift;
  };
  return channel(16) | channel(8) | channel(0);
}

Color ReadColor(pugi::xml_node n, const Theme& theme) {
  Color c;
  if (!n) return c;
  uint32_t rgb = 0;
  if (pugi::xml_attribute a = Attr(n, "rgb")) {
    const auto v = static_cast<uint32_t>(std::strtoul(a.as_string(), nullptr, 16));
    rgb = v & 0xFFFFFF;
  } else if (pugi::xml_attribute t = Attr(n, "theme")) {
    // Theme indices 0..3 name light 1, dark 1, light 2, dark 2 in the programs' order.
    static constexpr unsigned kSwap[4] = {1, 0, 3, 2};
    unsigned i = t.as_uint();
    if (i >= 12) return c;
    rgb = theme.colors[i < 4 ? kSwap[i] : i];
  } else if (pugi::xml_attribute x = Attr(n, "indexed")) {
    const unsigned i = x.as_uint();
    if (i >= 64) return c;  // 64 and 65 are the system's automatic colours
    rgb = IndexedColor(i);
  } else {
    return c;
  }
  c.set = true;
  c.argb = 0xFF000000u | ApplyTint(rgb, Attr(n, "tint").as_double());
  return c;
}

BorderLine Line(std::string_view s) {
  if (s.empty() || s == "none") return BorderLine::kNone;
  if (s == "thin") return BorderLine::kThin;
  if (s == "medium") return BorderLine::kMedium;
  if (s == "thick") return BorderLine::kThick;
  if (s == "dashed" || s == "mediumDashed") return BorderLine::kDashed;
  if (s == "dotted") return BorderLine::kDotted;
  if (s == "double") return BorderLine::kDouble;
  if (s == "hair") return BorderLine::kHair;
  return BorderLine::kOther;
}

HorizontalAlignment Horizontal(std::string_view s) {
  if (s == "left") return HorizontalAlignment::kLeft;
  if (s == "center") return HorizontalAlignment::kCenter;
  if (s == "right") return HorizontalAlignment::kRight;
  if (s == "fill") return HorizontalAlignment::kFill;
  if (s == "justify") return HorizontalAlignment::kJustify;
  if (s == "centerContinuous") return HorizontalAlignment::kCenterContinuous;
  if (s == "distributed") return HorizontalAlignment::kDistributed;
  return HorizontalAlignment::kGeneral;
}

VerticalAlignment Vertical(std::string_view s) {
  if (s == "top") return VerticalAlignment::kTop;
  if (s == "center") return VerticalAlignment::kCenter;
  if (s == "justify") return VerticalAlignment::kJustify;
  if (s == "distributed") return VerticalAlignment::kDistributed;
  return VerticalAlignment::kBottom;
}

std::vector<pugi::xml_node> Elements(pugi::xml_node list) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node n = list.first_child(); n; n = n.next_sibling())
    if (n.type() == pugi::node_element) out.push_back(n);
  return out;
}

bool Flag(pugi::xml_node n, std::string_view name) {
  pugi::xml_node c = Child(n, name);
  if (!c) return false;
  pugi::xml_attribute v = Attr(c, "val");
  return !v || v.as_bool();
}

}  // namespace

std::string StyleTable::FormatCode(uint32_t style) const {
  if (style >= xfs.size()) return xfs.empty() ? "General" : xfs[0].number_format;
  return xfs[style].number_format;
}

void ReadStyles(std::string_view xml, std::string_view theme_xml, const std::string& file,
                const std::string& part, StyleTable& table) {
  pugi::xml_document doc;
  ParseXml(doc, xml, file, part);
  Theme theme;
  ReadTheme(theme_xml, theme);
  const pugi::xml_node root = doc.document_element();
  for (pugi::xml_node f : Elements(Child(root, "numFmts")))
    table.custom_formats[Attr(f, "numFmtId").as_uint()] = Attr(f, "formatCode").as_string();

  std::vector<FontStyle> fonts;
  for (pugi::xml_node f : Elements(Child(root, "fonts"))) {
    FontStyle font;
    if (pugi::xml_node n = Child(f, "name")) font.name = Attr(n, "val").as_string();
    if (pugi::xml_node n = Child(f, "sz")) font.size = Attr(n, "val").as_double(11);
    font.bold = Flag(f, "b");
    font.italic = Flag(f, "i");
    font.strike = Flag(f, "strike");
    if (pugi::xml_node u = Child(f, "u"))
      font.underline = std::string_view(Attr(u, "val").as_string()) != "none";
    font.color = ReadColor(Child(f, "color"), theme);
    fonts.push_back(std::move(font));
  }
  std::vector<Color> fills;
  for (pugi::xml_node f : Elements(Child(root, "fills"))) {
    Color c;
    if (pugi::xml_node p = Child(f, "patternFill")) {
      const std::string_view type = Attr(p, "patternType").as_string();
      if (!type.empty() && type != "none") {
        c = ReadColor(Child(p, "fgColor"), theme);
        if (!c.set && type == "solid") c = ReadColor(Child(p, "bgColor"), theme);
      }
    }
    fills.push_back(c);
  }
  struct Border {
    BorderSide left, right, top, bottom;
  };
  std::vector<Border> borders;
  for (pugi::xml_node b : Elements(Child(root, "borders"))) {
    Border border;
    auto side = [&](std::string_view name, BorderSide& out) {
      pugi::xml_node n = Child(b, name);
      if (!n && name == "left") n = Child(b, "start");
      if (!n && name == "right") n = Child(b, "end");
      if (!n) return;
      out.line = Line(Attr(n, "style").as_string());
      out.color = ReadColor(Child(n, "color"), theme);
    };
    side("left", border.left);
    side("right", border.right);
    side("top", border.top);
    side("bottom", border.bottom);
    borders.push_back(border);
  }
  for (pugi::xml_node xf : Elements(Child(root, "cellXfs"))) {
    CellStyle st;
    st.number_format_id = Attr(xf, "numFmtId").as_uint();
    if (auto it = table.custom_formats.find(st.number_format_id);
        it != table.custom_formats.end()) {
      st.number_format = it->second;
    } else {
      const std::string_view code = BuiltinNumberFormat(st.number_format_id);
      st.number_format = code.empty() ? "General" : std::string(code);
    }
    const unsigned font = Attr(xf, "fontId").as_uint();
    if (font < fonts.size()) st.font = fonts[font];
    const unsigned fill = Attr(xf, "fillId").as_uint();
    if (fill < fills.size()) st.fill = fills[fill];
    const unsigned border = Attr(xf, "borderId").as_uint();
    if (border < borders.size()) {
      st.left = borders[border].left;
      st.right = borders[border].right;
      st.top = borders[border].top;
      st.bottom = borders[border].bottom;
    }
    if (pugi::xml_node a = Child(xf, "alignment")) {
      st.horizontal = Horizontal(Attr(a, "horizontal").as_string());
      st.vertical = Vertical(Attr(a, "vertical").as_string());
      st.wrap = Attr(a, "wrapText").as_bool();
      st.indent = Attr(a, "indent").as_uint();
    }
    table.xfs.push_back(std::move(st));
  }
  if (table.xfs.empty()) table.xfs.emplace_back();
  table.original_xfs = table.xfs.size();
}

std::string WriteStyles(std::string_view original, const StyleTable& table) {
  pugi::xml_document doc;
  doc.load_buffer(original.data(), original.size(),
                  pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata);
  pugi::xml_node root = doc.document_element();
  const std::string prefix = PrefixOf(root.name());
  if (!table.added_formats.empty()) {
    pugi::xml_node formats = Child(root, "numFmts");
    if (!formats) formats = root.prepend_child((prefix + "numFmts").c_str());
    for (const auto& [id, code] : table.added_formats) {
      pugi::xml_node f = formats.append_child((prefix + "numFmt").c_str());
      f.append_attribute("numFmtId") = id;
      f.append_attribute("formatCode") = code.c_str();
    }
    const auto n = Elements(formats).size();
    (Attr(formats, "count") ? Attr(formats, "count") : formats.append_attribute("count")) = n;
  }
  pugi::xml_node xfs = Child(root, "cellXfs");
  if (!xfs) {
    // cellXfs follows cellStyleXfs (or borders) in the schema.
    pugi::xml_node after = Child(root, "cellStyleXfs");
    if (!after) after = Child(root, "borders");
    xfs = after ? root.insert_child_after((prefix + "cellXfs").c_str(), after)
                : root.append_child((prefix + "cellXfs").c_str());
  }
  const auto existing = Elements(xfs);
  for (const auto& [base, format] : table.added_xfs) {
    pugi::xml_node xf = base < existing.size() ? xfs.append_copy(existing[base])
                                               : xfs.append_child((prefix + "xf").c_str());
    (Attr(xf, "numFmtId") ? Attr(xf, "numFmtId") : xf.append_attribute("numFmtId")) = format;
    (Attr(xf, "applyNumberFormat") ? Attr(xf, "applyNumberFormat")
                                   : xf.append_attribute("applyNumberFormat")) = 1;
  }
  (Attr(xfs, "count") ? Attr(xfs, "count") : xfs.append_attribute("count")) = Elements(xfs).size();
  return SaveXml(doc);
}

std::string_view DefaultStylesXml() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<fonts count=\"1\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/>"
         "<family val=\"2\"/><scheme val=\"minor\"/></font></fonts>"
         "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
         "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
         "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
         "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
         "</cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
         "borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" "
         "xfId=\"0\" builtinId=\"0\"/></cellStyles><dxfs count=\"0\"/><tableStyles count=\"0\" "
         "defaultTableStyle=\"TableStyleMedium2\" defaultPivotStyle=\"PivotStyleLight16\"/>"
         "</styleSheet>";
}

}  // namespace vardex::host::detail
