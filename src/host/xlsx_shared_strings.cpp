// Shared-string table reader and appending writer.
#include "host/xlsx_shared_strings.hpp"

#include "host/engine_text.hpp"
#include "host/host_error.hpp"
#include "host/xml_scanner.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

// The text of one <si>: its <t> elements, directly or in runs (<r>, nested or not), without the
// phonetic guides (<rPh>). `rich` tells whether runs or guides were there.
void ReadItem(Scanner& scan, std::string& text, bool& rich) {
  std::size_t depth = 1;  // inside <si>
  while (depth > 0) {
    const Tag t = scan.Next();
    if (t.closing) {
      --depth;
      continue;
    }
    const std::string_view name = Local(t.qname);
    if (name == "t") {
      if (t.empty) continue;
      const Tag end = scan.Next(&text);
      if (!end.closing) throw ScanError{end.begin, "元素内容无效"};
    } else if (name == "rPh") {
      rich = true;
      scan.SkipElement(t, depth + 2);
    } else {
      rich = rich || name == "r";
      if (!t.empty) Scanner::CheckDepth(++depth + 2, t);
    }
  }
}

}  // namespace

void ReadSharedStrings(std::string_view xml, StringPool& pool, const std::string& file,
                       const std::string& part, LoadBudget* budget) {
  const std::string converted = Utf16AsUtf8(xml);
  const std::string_view doc = converted.empty() ? xml : std::string_view(converted);
  CheckUtf8(doc, file, part);
  // Scanned rather than parsed into a tree: the table may hold millions of entries.
  try {
    Scanner scan(doc, 0);
    const Tag root = scan.Next();
    if (root.closing) throw ScanError{root.begin, "结束标签不匹配"};
    if (root.empty) return;
    std::string text;
    for (;;) {
      const Tag t = scan.Next();
      if (t.closing) break;  // the end of the table
      if (Local(t.qname) != "si") {
        scan.SkipElement(t, 2);
        continue;
      }
      text.clear();
      bool rich = false;
      if (!t.empty) ReadItem(scan, text, rich);
      DecodeOoxmlEscapes(text);
      if (budget != nullptr) budget->AddStrings(1);
      pool.Append(text, !rich);
    }
  } catch (const ScanError& e) {
    throw HostError(kErrCannotOpen, text::CannotOpen(file, text::BadXml(part, e.offset, e.what)));
  }
}

namespace {

// The new entries, in the namespace prefix of the table's root element.
std::string Entries(const StringPool& pool, const std::vector<uint32_t>& added,
                    const std::string& p) {
  const std::string open = "<" + p + "si><" + p + "t";
  const std::string close = "</" + p + "t></" + p + "si>";
  std::string entries;
  for (uint32_t id : added) {
    const std::string& s = pool.Get(id);
    entries += open;
    // Leading or trailing spaces survive only when asked for.
    if (!s.empty() && (s.front() == ' ' || s.back() == ' ' || s.front() == '\n' ||
                       s.back() == '\n' || s.front() == '\t' || s.back() == '\t'))
      entries += " xml:space=\"preserve\"";
    entries += '>';
    AppendEscaped(entries, s);
    entries += close;
  }
  return entries;
}

}  // namespace

std::string WriteSharedStrings(std::string_view original, const StringPool& pool,
                               const std::vector<uint32_t>& added, std::size_t total) {
  if (original.empty()) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
           "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
           "uniqueCount=\"" +
           std::to_string(total) + "\">" + Entries(pool, added, "") + "</sst>";
  }
  // A table written in UTF-16 goes back as UTF-8, with the declaration that says so.
  const std::string converted = Utf16AsUtf8(original);
  if (!converted.empty()) original = converted;
  // Original bytes up to the end tag, new entries, end tag; the root's counts updated.
  const std::size_t end = original.rfind("</");
  // Rewrite the root start tag's counts: uniqueCount set, count dropped (it is optional and
  // would need every cell counted).
  std::size_t open = std::string_view::npos;
  try {
    open = FindTag(original, "sst", 0);
  } catch (const ScanError&) {
  }
  if (open == std::string_view::npos)
    throw HostError(kErrCannotSave, text::BadPartContent("sharedStrings", "缺少 sst 元素"));
  const std::size_t root = original.find("sst", open);
  const std::size_t root_end = original.find('>', root);
  const std::string entries =
      Entries(pool, added, std::string(original.substr(open + 1, root - open - 1)));
  std::string out;
  out.reserve(original.size() + entries.size() + 32);
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
    out += entries;
    out += "</";
    out.append(original.substr(open + 1, root + 3 - open - 1));
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
