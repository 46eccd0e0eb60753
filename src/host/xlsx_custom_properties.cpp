// Custom document properties reader and writer.
#include "host/xlsx_custom_properties.hpp"

#include <pugixml.hpp>

#include <algorithm>
#include <unordered_map>

#include "host/load_limits.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

constexpr const char* kFmtId = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";

std::string ValueText(pugi::xml_node property) {
  for (pugi::xml_node v = property.first_child(); v; v = v.next_sibling())
    if (v.type() == pugi::node_element) return v.text().get();
  return {};
}

}  // namespace

void ReadCustomProperties(std::string_view xml, PropertyMap& out, const std::string& file,
                          const std::string& part) {
  pugi::xml_document doc;
  ParseXml(doc, xml, file, part);
  std::size_t count = 0;
  for (pugi::xml_node p = doc.document_element().first_child(); p; p = p.next_sibling()) {
    if (p.type() != pugi::node_element || LocalName(p.name()) != "property") continue;
    if (++count > kLoadLimits.properties)
      FailOverLimit(file, "自定义文档属性数", kLoadLimits.properties);
    out[Attr(p, "name").as_string()] = ValueText(p);
  }
}

std::string WriteCustomProperties(std::string_view original, const PropertyMap& props) {
  pugi::xml_document doc;
  if (original.empty() ||
      !doc.load_buffer(original.data(), original.size(),
                       pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata)) {
    doc.reset();
    doc.append_child(pugi::node_declaration).append_attribute("version") = "1.0";
    pugi::xml_node root = doc.append_child("Properties");
    root.append_attribute("xmlns") =
        "http://schemas.openxmlformats.org/officeDocument/2006/custom-properties";
    root.append_attribute("xmlns:vt") =
        "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
  }
  pugi::xml_node root = doc.document_element();
  // The prefix bound to the variant types namespace, "vt" by convention.
  const std::string vt = DeclaredPrefix(
      root, "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes", "vt");
  const std::string prefix = PrefixOf(root.name());
  for (pugi::xml_node p = root.first_child(); p;) {
    const pugi::xml_node next = p.next_sibling();
    if (p.type() == pugi::node_element && !props.contains(Attr(p, "name").as_string())) {
      root.remove_child(p);
    }
    p = next;
  }
  // One pass over the part finds every property by name (the last of a name, as a reader
  // would), so that the edit costs the same per property however many there are.
  int max_pid = 1;
  std::unordered_map<std::string_view, pugi::xml_node> by_name;
  for (pugi::xml_node p = root.first_child(); p; p = p.next_sibling()) {
    if (p.type() != pugi::node_element) continue;
    max_pid = std::max(max_pid, Attr(p, "pid").as_int());
    by_name[Attr(p, "name").as_string()] = p;
  }
  for (const auto& [name, value] : props) {
    const auto found = by_name.find(name);
    pugi::xml_node property = found == by_name.end() ? pugi::xml_node() : found->second;
    if (property && ValueText(property) == value) continue;
    if (!property) {
      property = root.append_child((prefix + "property").c_str());
      property.append_attribute("fmtid") = kFmtId;
      property.append_attribute("pid") = ++max_pid;
      property.append_attribute("name") = name.c_str();
    }
    while (property.first_child()) property.remove_child(property.first_child());
    property.append_child((vt + ":lpwstr").c_str()).text().set(value.c_str());
  }
  // Every property of the file was read into the map: one that is no longer there was removed.
  for (pugi::xml_node p = root.first_child(); p;) {
    const pugi::xml_node next = p.next_sibling();
    if (p.type() == pugi::node_element && LocalName(p.name()) == "property" &&
        !props.contains(Attr(p, "name").as_string())) {
      root.remove_child(p);
    }
    p = next;
  }
  return SaveXml(doc);
}

}  // namespace vardex::host::detail
