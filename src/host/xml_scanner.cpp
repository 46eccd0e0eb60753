// The scanner's out-of-line pieces: reference decoding and the search for a tag.
#include "host/xml_scanner.hpp"

#include "host/xml_util.hpp"

#include <charconv>
#include <cstdint>

namespace vardex::host::detail {

// Decodes character and entity references of element text or attribute values.
void AppendDecoded(std::string& out, std::string_view s, std::size_t offset) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t amp = s.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(s.substr(i));
      return;
    }
    out.append(s.substr(i, amp - i));
    const std::size_t semi = s.find(';', amp);
    if (semi == std::string_view::npos || semi - amp > 10)
      throw ScanError{offset + amp, "无效的实体引用"};
    const std::string_view ent = s.substr(amp + 1, semi - amp - 1);
    if (ent == "amp")
      out += '&';
    else if (ent == "lt")
      out += '<';
    else if (ent == "gt")
      out += '>';
    else if (ent == "quot")
      out += '"';
    else if (ent == "apos")
      out += '\'';
    else if (ent.size() >= 2 && ent[0] == '#') {
      uint32_t cp = 0;
      const bool hex = ent[1] == 'x' || ent[1] == 'X';
      const std::string_view digits = ent.substr(hex ? 2 : 1);
      auto [p, ec] =
          std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
      if (ec != std::errc() || p != digits.data() + digits.size() || cp == 0 || cp > 0x10FFFF ||
          (cp >= 0xD800 && cp <= 0xDFFF))
        throw ScanError{offset + amp, "无效的字符引用"};
      AppendUtf8(out, cp);
    } else {
      throw ScanError{offset + amp, "未知的实体引用"};
    }
    i = semi + 1;
  }
}

std::size_t FindTag(std::string_view doc, std::string_view local, std::size_t from) {
  Scanner scan(doc, from);
  try {
    for (;;) {
      const Tag t = scan.Next();
      if (!t.closing && Local(t.qname) == local) return t.begin;
    }
  } catch (const ScanError& e) {
    // Running out of part is "not found"; anything else is the part's own fault.
    if (e.offset == doc.size()) return std::string_view::npos;
    throw;
  }
}

}  // namespace vardex::host::detail
