// Shared-string table reader and appending writer.
#include "host/xlsx_shared_strings.hpp"

#include <pugixml.hpp>

#include "host/engine_text.hpp"
#include "host/host_error.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

void AppendRunText(pugi::xml_node n, std::string& out, bool& rich) {
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    const std::string_view name = LocalName(c.name());
    if (name == "t") {
      out += c.text().get();
    } else if (name == "r") {
      rich = true;
      AppendRunText(c, out, rich);
    } else if (name == "rPh") {
      rich = true;  // phonetic guide: not part of the text
    }
  }
}

}  // namespace

void ReadSharedStrings(std::string_view xml, StringPool& pool, const std::string& file,
                       const std::string& part) {
  pugi::xml_document doc;
  ParseXml(doc, xml, file, part);
  std::string text;
  for (pugi::xml_node si = doc.document_element().first_child(); si; si = si.next_sibling()) {
    if (si.type() != pugi::node_element || LocalName(si.name()) != "si") continue;
    text.clear();
    bool rich = false;
    AppendRunText(si, text, rich);
    DecodeOoxmlEscapes(text);
    pool.Append(text, !rich);
  }
}

std::string WriteSharedStrings(std::string_view original, const StringPool& pool,
                               const std::vector<uint32_t>& added, std::size_t total) {
  std::string entries;
  for (uint32_t id : added) {
    const std::string& s = pool.Get(id);
    entries += "<si><t";
    // Leading or trailing spaces survive only when asked for.
    if (!s.empty() && (s.front() == ' ' || s.back() == ' ' || s.front() == '\n' ||
                       s.back() == '\n' || s.front() == '\t' || s.back() == '\t'))
      entries += " xml:space=\"preserve\"";
    entries += '>';
    AppendEscaped(entries, s);
    entries += "</t></si>";
  }
  if (original.empty()) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
           "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "uniqueCount=\"" +
           std::to_string(total) + "\">" + entries + "</sst>";
  }
  // Original bytes up to the end tag, new entries, end tag; the root's counts updated.
  const std::size_t end = original.rfind("</");
  std::string out;
  out.reserve(original.size() + entries.size() + 32);
  // Rewrite the root start tag's counts: uniqueCount set, count dropped (it is optional and
  // would need every cell counted).
  const std::size_t root = original.find("sst");
  const std::size_t root_end = original.find('>', root);
  std::string tag(original.substr(0, root_end));
  for (std::string_view attr :
       {std::string_view(" count=\""), std::string_view(" uniqueCount=\"")}) {
    const std::size_t at = tag.find(attr, root);
    if (at == std::string::npos) continue;
    const std::size_t close = tag.find('"', at + attr.size());
    tag.erase(at, close + 1 - at);
  }
  bool self_closing = !tag.empty() && tag.back() == '/';
  if (self_closing) tag.pop_back();
  out += tag;
  out += " uniqueCount=\"" + std::to_string(total) + "\">";
  if (self_closing) {
    const std::string_view name =
        original.substr(original.rfind('<', root), root + 3 - original.rfind('<', root));
    out += entries;
    out += "</";
    out.append(name.substr(1));
    out += '>';
    out.append(original.substr(root_end + 1));
    return out;
  }
  out.append(original.substr(root_end + 1, end - root_end - 1));
  out += entries;
  out.append(original.substr(end));
  return out;
}

}  // namespace vardex::host::detail
