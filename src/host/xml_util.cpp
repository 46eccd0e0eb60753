// XML helpers: UTF-8 checks, pugixml parsing with located errors, escaping.
#include "host/xml_util.hpp"

#include <algorithm>
#include <cstring>

#include "host/engine_text.hpp"
#include "host/host_error.hpp"
#include "host/load_limits.hpp"

namespace vardex::host::detail {
namespace {

// Offset of the first invalid byte, or npos.
std::size_t FirstInvalidUtf8(std::string_view s) noexcept {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    // Fast path over ASCII, eight bytes at a time.
    if (i + 8 <= n) {
      uint64_t chunk;
      std::memcpy(&chunk, p + i, 8);
      if ((chunk & 0x8080808080808080ull) == 0) {
        i += 8;
        continue;
      }
    }
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t len = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
      cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      cp = c & 0x07u;
    } else {
      return i;
    }
    if (i + len > n) return i;
    for (std::size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (p[i + k] & 0x3Fu);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
      return i;
    i += len;
  }
  return std::string_view::npos;
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view s) noexcept {
  return FirstInvalidUtf8(s) == std::string_view::npos;
}

void CheckUtf8(std::string_view bytes, const std::string& file, std::string_view part) {
  const std::size_t bad = FirstInvalidUtf8(bytes);
  if (bad != std::string_view::npos)
    throw HostError(kErrCannotOpen, text::CannotOpen(file, text::BadUtf8(part, bad)));
}

namespace {

// pugixml's parse errors in the words of the other messages.
std::string_view ParseProblem(pugi::xml_parse_status status) {
  switch (status) {
    case pugi::status_out_of_memory:
      return "内存不足";
    case pugi::status_unrecognized_tag:
      return "无法识别的标签";
    case pugi::status_bad_pi:
      return "处理指令格式错误";
    case pugi::status_bad_comment:
      return "注释格式错误";
    case pugi::status_bad_cdata:
      return "CDATA 格式错误";
    case pugi::status_bad_doctype:
      return "DOCTYPE 格式错误";
    case pugi::status_bad_pcdata:
      return "文本内容格式错误";
    case pugi::status_bad_start_element:
      return "开始标签格式错误";
    case pugi::status_bad_attribute:
      return "属性格式错误";
    case pugi::status_bad_end_element:
      return "结束标签格式错误";
    case pugi::status_end_element_mismatch:
      return "开始标签与结束标签不匹配";
    case pugi::status_no_document_element:
      return "没有根元素";
    default:
      return "无法解析";
  }
}

// The deepest nesting of elements in the tree, walked without recursion; stops past `limit`.
std::size_t Depth(const pugi::xml_document& doc, std::size_t limit) {
  std::size_t depth = 0, deepest = 0;
  pugi::xml_node n = doc.first_child();
  while (n && deepest <= limit) {
    if (n.first_child()) {
      n = n.first_child();
      deepest = std::max(deepest, ++depth);
      continue;
    }
    while (n && !n.next_sibling()) {
      n = n.parent();
      --depth;
      if (n == doc) return deepest;
    }
    if (n) n = n.next_sibling();
  }
  return deepest;
}

}  // namespace

std::string Utf16AsUtf8(std::string_view bytes) {
  if (bytes.size() < 2) return {};
  // With its byte-order mark, or without one: then the first character, '<', tells the order.
  const bool le_mark = bytes[0] == '\xFF' && bytes[1] == '\xFE';
  const bool be_mark = bytes[0] == '\xFE' && bytes[1] == '\xFF';
  const bool le = le_mark || (bytes[0] == '<' && bytes[1] == '\0');
  const bool be = be_mark || (bytes[0] == '\0' && bytes[1] == '<');
  if (!le && !be) return {};
  const std::size_t start = le_mark || be_mark ? 2 : 0;
  auto unit = [&](std::size_t i) -> uint32_t {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return le ? a | (b << 8) : (a << 8) | b;
  };
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
    uint32_t cp = unit(i);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // half a pair stands for nothing
    }
    AppendUtf8(out, cp);
  }
  if (out.starts_with("<?xml")) {
    const std::size_t end = out.find("?>");
    if (end != std::string::npos)
      out.replace(0, end + 2, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
  }
  return out;
}

void ParseXml(pugi::xml_document& doc, std::string_view bytes, const std::string& file,
              std::string_view part) {
  const std::string converted = Utf16AsUtf8(bytes);
  if (!converted.empty()) bytes = converted;
  CheckUtf8(bytes, file, part);
  const unsigned options = pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;
  const pugi::xml_parse_result r =
      doc.load_buffer(bytes.data(), bytes.size(), options, pugi::encoding_utf8);
  if (!r) {
    throw HostError(kErrCannotOpen,
                    text::CannotOpen(file, text::BadXml(part, static_cast<std::size_t>(r.offset),
                                                        ParseProblem(r.status))));
  }
  if (!doc.document_element())
    throw HostError(kErrCannotOpen, text::CannotOpen(file, text::BadXml(part, 0, "没有根元素")));
  if (Depth(doc, kLoadLimits.depth) > kLoadLimits.depth) {
    throw HostError(
        kErrCannotOpen,
        text::CannotOpen(file, text::BadXml(part, 0,
                                            "元素嵌套超过 " + std::to_string(kLoadLimits.depth) +
                                                " 层（Vardex 的处理上限）")));
  }
}

namespace {
struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, std::size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};
}  // namespace

std::string SaveXml(const pugi::xml_document& doc) {
  // The declaration as the spreadsheet programs write it, then the nodes as they are.
  StringWriter w;
  w.out = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
    if (n.type() == pugi::node_declaration) continue;
    n.print(w, "", pugi::format_raw, pugi::encoding_utf8);
  }
  return std::move(w.out);
}

std::string DeclaredPrefix(pugi::xml_node element, std::string_view uri, const char* fallback) {
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    const std::string_view n = a.name();
    if (n.starts_with("xmlns:") && std::string_view(a.value()) == uri)
      return std::string(n.substr(6));
  }
  element.append_attribute(("xmlns:" + std::string(fallback)).c_str())
      .set_value(std::string(uri).c_str());
  return fallback;
}

pugi::xml_node Child(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && LocalName(c.name()) == local) return c;
  return {};
}

pugi::xml_attribute Attr(pugi::xml_node node, std::string_view local) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
    if (LocalName(a.name()) == local) return a;
  return {};
}

namespace {
bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool LooksLikeEscape(std::string_view s, std::size_t i) {
  return i + 7 <= s.size() && s[i] == '_' && s[i + 1] == 'x' && IsHex(s[i + 2]) &&
         IsHex(s[i + 3]) && IsHex(s[i + 4]) && IsHex(s[i + 5]) && s[i + 6] == '_';
}
void AppendHexEscape(std::string& out, unsigned c) {
  static const char* digits = "0123456789ABCDEF";
  out += "_x00";
  out += digits[(c >> 4) & 15];
  out += digits[c & 15];
  out += '_';
}
}  // namespace

void AppendEscaped(std::string& out, std::string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '_':
        if (LooksLikeEscape(s, i)) {
          out += "_x005F_";
        } else {
          out += c;
        }
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          AppendHexEscape(out, static_cast<unsigned char>(c));
        } else {
          out += c;
        }
    }
  }
}

void DecodeOoxmlEscapes(std::string& s) {
  if (s.find("_x") == std::string::npos) return;
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (LooksLikeEscape(s, i)) {
      const unsigned cp = static_cast<unsigned>(std::stoul(s.substr(i + 2, 4), nullptr, 16));
      if (cp < 0xD800 || cp > 0xDFFF) AppendUtf8(out, cp);
      i += 7;
    } else {
      out += s[i++];
    }
  }
  s = std::move(out);
}

}  // namespace vardex::host::detail
