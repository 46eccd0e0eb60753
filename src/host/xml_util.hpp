// Small XML helpers shared by the package part readers and writers.
#pragma once

#include <pugixml.hpp>

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace vardex::host::detail {

/// Throws HostError(kErrCannotOpen) naming the file and part at the first byte that is not
/// valid UTF-8 (overlong forms, surrogates and code points past U+10FFFF included).
void CheckUtf8(std::string_view bytes, const std::string& file, std::string_view part);
/// Appends the code point `cp` (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, uint32_t cp);
/// True when `s` is valid UTF-8.
bool IsValidUtf8(std::string_view s) noexcept;

/// A part written in UTF-16 (with its byte-order mark) as UTF-8, its declaration saying so; the
/// empty string for a part that is not UTF-16.
std::string Utf16AsUtf8(std::string_view bytes);

/// Parses a part with pugixml, keeping the declaration and whitespace so that writing it back
/// changes nothing but what was edited. Throws HostError(kErrCannotOpen) with the offset, or
/// naming the limit for elements nested past it.
void ParseXml(pugi::xml_document& doc, std::string_view bytes, const std::string& file,
              std::string_view part);
/// The document as written back (raw format, UTF-8).
std::string SaveXml(const pugi::xml_document& doc);

/// The name without its namespace prefix.
inline std::string_view LocalName(const char* name) {
  std::string_view n(name);
  const std::size_t colon = n.find(':');
  return colon == std::string_view::npos ? n : n.substr(colon + 1);
}
/// The namespace prefix of a qualified name with its colon ("x:"), or "" for an unprefixed one.
/// Whatever is added inside an element of a part takes the prefix its root uses for the main
/// namespace: writers on the .NET Open XML SDK write every element as <x:...>, and an unprefixed
/// addition there would be in no namespace at all (the programs would not see it).
inline std::string PrefixOf(std::string_view qname) {
  const std::size_t colon = qname.find(':');
  return colon == std::string_view::npos ? std::string() : std::string(qname.substr(0, colon + 1));
}
/// The prefix (without colon) the element declares for `uri`, declaring `fallback` for it when
/// it has none.
std::string DeclaredPrefix(pugi::xml_node element, std::string_view uri, const char* fallback);
/// First child element with this local name.
pugi::xml_node Child(pugi::xml_node node, std::string_view local);
/// Attribute by local name (so r:id is found whatever the prefix).
pugi::xml_attribute Attr(pugi::xml_node node, std::string_view local);

/// Appends `s` escaped for element text or attribute values. Characters that XML 1.0 cannot
/// hold, and text that looks like an _xHHHH_ escape, are written as _xHHHH_.
void AppendEscaped(std::string& out, std::string_view s);
/// Decodes _xHHHH_ escapes in place (spreadsheet programs write control characters that way).
void DecodeOoxmlEscapes(std::string& s);

/// `s` with ASCII capitals made small (part names and OLE stream names ignore case).
inline std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return out;
}

inline bool ParseUint(std::string_view s, uint32_t& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

}  // namespace vardex::host::detail
