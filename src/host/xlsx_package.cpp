// Package assembly: content types, relationships and the workbook part on the way in and out.
// Parts the model did not change are copied with their compressed bytes.
#include "host/xlsx_package.hpp"

#include <pugixml.hpp>

#include <algorithm>
#include <atomic>
#include <exception>
#include <set>
#include <unordered_map>

#include "host/engine_text.hpp"
#include "host/file_kind.hpp"
#include "host/load_limits.hpp"
#include "host/thread_pool.hpp"
#include "host/workbook_impl.hpp"
#include "host/xlsx_custom_properties.hpp"
#include "host/xlsx_shared_strings.hpp"
#include "host/xlsx_styles.hpp"
#include "host/xlsx_worksheet.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

constexpr std::string_view kRelBase =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr const char* kCtSheetMain =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr const char* kCtTemplateMain =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
constexpr const char* kCtMacroSheet = "application/vnd.ms-excel.sheet.macroEnabled.main+xml";
constexpr const char* kCtMacroTemplate = "application/vnd.ms-excel.template.macroEnabled.main+xml";
constexpr const char* kCtWorksheet =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr const char* kCtSharedStrings =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr const char* kCtStyles =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";
constexpr const char* kCtCustom =
    "application/vnd.openxmlformats-officedocument.custom-properties+xml";

struct Rel {
  std::string id, type, target;  // target resolved to a part name
  bool external = false;
};

std::string Dir(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

std::string RelsPart(std::string_view part) {
  const std::size_t slash = part.rfind('/');
  if (slash == std::string_view::npos) return "_rels/" + std::string(part) + ".rels";
  return std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) +
         ".rels";
}

std::string Resolve(const std::string& dir, std::string_view target) {
  std::string path = !target.empty() && target[0] == '/' ? std::string(target.substr(1))
                                                         : dir + std::string(target);
  // Normalise "." and ".." segments.
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    const std::string seg = path.substr(start, slash - start);
    if (seg == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!seg.empty() && seg != ".") {
      parts.push_back(seg);
    }
    start = slash + 1;
  }
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : "/") + p;
  return out;
}

std::string Relative(const std::string& dir, const std::string& part) {
  return part.compare(0, dir.size(), dir) == 0 ? part.substr(dir.size()) : "/" + part;
}

bool TypeIs(std::string_view type, std::string_view name) {
  return type.size() > name.size() && type.substr(type.size() - name.size()) == name &&
         type[type.size() - name.size() - 1] == '/';
}

std::vector<Rel> ReadRels(const Package& pkg, std::string_view part, const std::string& file) {
  std::vector<Rel> rels;
  const std::string name = RelsPart(part);
  if (pkg.Find(name) == nullptr) return rels;
  pugi::xml_document doc;
  ParseXml(doc, pkg.Read(name), file, name);
  const std::string dir = Dir(part);
  for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
    if (r.type() != pugi::node_element) continue;
    Rel rel;
    rel.id = Attr(r, "Id").as_string();
    rel.type = Attr(r, "Type").as_string();
    rel.external = std::string_view(Attr(r, "TargetMode").as_string()) == "External";
    rel.target =
        rel.external ? Attr(r, "Target").as_string() : Resolve(dir, Attr(r, "Target").as_string());
    rels.push_back(std::move(rel));
  }
  return rels;
}

const Rel* FindRel(const std::vector<Rel>& rels, std::string_view type) {
  for (const auto& r : rels)
    if (!r.external && TypeIs(r.type, type)) return &r;
  return nullptr;
}

const Rel* FindRelId(const std::vector<Rel>& rels, std::string_view id) {
  for (const auto& r : rels)
    if (r.id == id) return &r;
  return nullptr;
}

std::string OverrideType(const pugi::xml_document& ct, std::string_view part) {
  for (pugi::xml_node o = ct.document_element().first_child(); o; o = o.next_sibling()) {
    if (o.type() != pugi::node_element || LocalName(o.name()) != "Override") continue;
    std::string_view name = Attr(o, "PartName").as_string();
    if (!name.empty() && name[0] == '/') name.remove_prefix(1);
    if (name == part) return Attr(o, "ContentType").as_string();
  }
  return {};
}

// The namespace of an element's name, from the declarations on it and its ancestors.
std::string_view NamespaceOf(pugi::xml_node element) {
  const std::string prefix = PrefixOf(element.name());
  const std::string attribute =
      prefix.empty() ? "xmlns" : "xmlns:" + prefix.substr(0, prefix.size() - 1);
  for (pugi::xml_node n = element; n; n = n.parent())
    if (pugi::xml_attribute a = n.attribute(attribute.c_str())) return a.value();
  return {};
}

// The main namespaces of the pre-release versions of Excel 2007, which the released programs
// no longer read.
bool IsBetaNamespace(std::string_view ns) {
  return ns == "http://schemas.microsoft.com/office/excel/2006/2" ||
         ns == "http://schemas.openxmlformats.org/spreadsheetml/2006/5/main" ||
         ns == "http://schemas.openxmlformats.org/spreadsheetml/2006/7/main";
}

// A worksheet's text in UTF-8: one some program wrote in UTF-16 is scanned (and written back) as
// UTF-8, the same conversion on reading and on writing keeping its offsets.
class SheetText {
 public:
  SheetText(const Package& pkg, std::string_view part) {
    pkg.ReadInto(part, bytes_);
    converted_ = Utf16AsUtf8(bytes_.view());
  }
  std::string_view View() const noexcept {
    return converted_.empty() ? bytes_.view() : std::string_view(converted_);
  }

 private:
  ByteBuffer bytes_;
  std::string converted_;
};

[[noreturn]] void Fail(const std::string& file, std::string_view reason) {
  throw HostError(kErrCannotOpen, text::CannotOpen(file, reason));
}

}  // namespace

std::string MainContentType(bool macros, bool template_type) {
  if (template_type) return macros ? kCtMacroTemplate : kCtTemplateMain;
  return macros ? kCtMacroSheet : kCtSheetMain;
}

void LoadPackage(Workbook& book, Package package) {
  auto& b = book.impl();
  b.package = std::move(package);
  const Package& pkg = b.package;
  const std::string file = b.display_name;

  if (pkg.Find("[Content_Types].xml") == nullptr) {
    if (pkg.Find("mimetype") != nullptr) {
      const std::string other = OtherPackageReason(pkg.Read("mimetype"));
      if (!other.empty()) Fail(file, other);
    }
    Fail(file, text::MissingPart("[Content_Types].xml"));
  }
  pugi::xml_document ct;
  ParseXml(ct, pkg.Read("[Content_Types].xml"), file, "[Content_Types].xml");

  const auto root_rels = ReadRels(pkg, "", file);
  if (const Rel* r = FindRel(root_rels, "officeDocument")) b.workbook_part = r->target;
  if (pkg.Find(b.workbook_part) == nullptr) Fail(file, text::kNotWorkbook);
  const std::string main_type = OverrideType(ct, b.workbook_part);
  b.has_macros = main_type.find("macroEnabled") != std::string::npos;
  b.main_type = main_type.empty() ? MainContentType(b.has_macros, false) : main_type;

  pugi::xml_document wb;
  ParseXml(wb, pkg.Read(b.workbook_part), file, b.workbook_part);
  const pugi::xml_node wroot = wb.document_element();
  if (IsBetaNamespace(NamespaceOf(wroot))) Fail(file, text::kBetaNamespace);
  if (pugi::xml_node pr = Child(wroot, "workbookPr"))
    b.formats.date1904 = Attr(pr, "date1904").as_bool();
  unsigned active_tab = 0;
  if (pugi::xml_node view = Child(Child(wroot, "bookViews"), "workbookView"))
    active_tab = Attr(view, "activeTab").as_uint();

  LoadBudget budget(file);
  const auto rels = ReadRels(pkg, b.workbook_part, file);

  // The sheets in tab order, each with its own part; their cells are read further down.
  unsigned tab = 0;
  // A part belongs to one sheet: sheets sharing one would each read (and later write) it again.
  std::unordered_map<std::string, std::string> sheet_of_part;
  for (pugi::xml_node s = Child(wroot, "sheets").first_child(); s; s = s.next_sibling()) {
    if (s.type() != pugi::node_element) continue;
    const unsigned this_tab = tab++;
    const Rel* rel = FindRelId(rels, Attr(s, "id").as_string());
    if (rel == nullptr || !TypeIs(rel->type, "worksheet")) continue;  // chart sheets stay as parts
    const std::string name = Attr(s, "name").as_string();
    if (name.empty() || book.FindSheet(name) != nullptr)
      Fail(file,
           text::BadPartContent(b.workbook_part, "工作表名称" + text::Quoted(name) + "无效或重复"));
    const PackageEntry* entry = pkg.Find(rel->target);
    if (entry == nullptr) Fail(file, text::MissingPart(rel->target));
    if (auto [it, fresh] = sheet_of_part.emplace(entry->name, name); !fresh)
      Fail(file, text::SharedSheetPart(name, it->second, entry->name));
    auto impl = std::make_unique<Worksheet::Impl>();
    impl->book = &book;
    impl->name = name;
    impl->sheet_id = Attr(s, "sheetId").as_uint();
    impl->rel_id = rel->id;
    impl->part = rel->target;
    if (this_tab == active_tab) b.active = b.sheets.size();
    b.sheets.push_back(std::make_unique<Worksheet>(std::move(impl)));
  }

  if (const Rel* r = FindRel(rels, "sharedStrings"); r && pkg.Find(r->target)) {
    b.sst_part = r->target;
    ReadSharedStrings(pkg.Read(b.sst_part), b.strings, file, b.sst_part, &budget);
  }
  b.sst_original = b.strings.Size();
  if (const Rel* r = FindRel(rels, "styles"); r && pkg.Find(r->target)) {
    std::string theme;
    if (const Rel* t = FindRel(rels, "theme"); t && pkg.Find(t->target))
      theme = pkg.Read(t->target);
    b.styles.part = r->target;
    ReadStyles(pkg.Read(r->target), theme, file, r->target, b.styles);
  } else {
    b.styles.xfs.assign(1, CellStyle{});
    b.styles.original_xfs = 1;
  }
  if (const Rel* r = FindRel(rels, "calcChain"); r && pkg.Find(r->target))
    b.calc_chain_part = r->target;

  // The sheets are read on all cores, each inflated by the worker that scans it (so that at
  // most one part per core is in memory), the largest first so that the workers end together.
  // The string pool is left alone meanwhile; each sheet's texts are adopted after, in tab order,
  // so that a text gets the same id however the reads were scheduled.
  const std::size_t count = b.sheets.size();
  std::vector<std::size_t> order(count);
  std::vector<std::size_t> part_size(count);
  for (std::size_t i = 0; i < count; ++i) {
    order[i] = i;
    part_size[i] = static_cast<std::size_t>(pkg.Find(b.sheets[i]->impl().part)->size);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t x, std::size_t y) { return part_size[x] > part_size[y]; });
  std::vector<std::vector<std::string>> sheet_texts(count);
  std::vector<std::exception_ptr> failures(count);
  std::atomic<bool> failed{false};
  ParallelFor(count, 0, [&](std::size_t k) {
    if (failed.load()) return;  // the load fails anyway: spare the other sheets
    const std::size_t i = order[k];
    try {
      Worksheet::Impl& impl = b.sheets[i]->impl();
      // Read again from the package if the sheet is ever written.
      ReadWorksheet(impl, SheetText(pkg, impl.part).View(), sheet_texts[i], b.sst_original, file,
                    &budget);
    } catch (...) {
      failures[i] = std::current_exception();
      failed = true;
    }
  });
  // Of the damaged sheets found (the others stop at the first), the first in tab order is named.
  for (const std::exception_ptr& failure : failures)
    if (failure) std::rethrow_exception(failure);
  for (std::size_t i = 0; i < count; ++i)
    AdoptSheetTexts(b.sheets[i]->impl(), sheet_texts[i], b.strings, &budget);

  if (const Rel* r = FindRel(root_rels, "custom-properties"); r && pkg.Find(r->target))
    ReadCustomProperties(pkg.Read(r->target), b.custom_props, file, r->target);
  b.loaded_active = b.active;
  b.saved = true;
}

Package EmptyPackage() {
  Package p;
  p.AddMemoryEntry(
      "[Content_Types].xml",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package."
      "relationships+xml\"/><Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
          std::string(kCtSheetMain) + "\"/><Override PartName=\"/xl/styles.xml\" ContentType=\"" +
          kCtStyles + "\"/></Types>");
  p.AddMemoryEntry("_rels/.rels",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                   "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                   "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                       std::string(kRelBase) +
                       "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  p.AddMemoryEntry(
      "xl/workbook.xml",
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<bookViews><workbookView/></bookViews><sheets/></workbook>");
  p.AddMemoryEntry("xl/_rels/workbook.xml.rels",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                   "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                   "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                       std::string(kRelBase) + "styles\" Target=\"styles.xml\"/></Relationships>");
  p.AddMemoryEntry("xl/styles.xml", std::string(DefaultStylesXml()));
  return p;
}

std::unique_ptr<Worksheet> MakeSheet(Workbook& book, std::string name) {
  auto& b = book.impl();
  auto impl = std::make_unique<Worksheet::Impl>();
  impl->book = &book;
  impl->name = std::move(name);
  uint32_t max_id = 0;
  for (const auto& s : b.sheets) max_id = std::max(max_id, s->impl().sheet_id);
  impl->sheet_id = max_id + 1;
  for (unsigned n = 1;; ++n) {
    std::string part = "xl/worksheets/sheet" + std::to_string(n) + ".xml";
    bool used = b.package.Find(part) != nullptr;
    for (const auto& s : b.sheets) used = used || s->impl().part == part;
    if (!used) {
      impl->part = std::move(part);
      break;
    }
  }
  std::vector<std::string> no_texts;  // an empty sheet has none
  impl->source = std::make_shared<const std::string>(EmptyWorksheetXml());
  ReadWorksheet(*impl, *impl->source, no_texts, b.sst_original, b.display_name);
  impl->modified = true;
  return std::make_unique<Worksheet>(std::move(impl));
}

namespace {

// A relationships part being edited.
struct RelsEdit {
  std::string part;
  pugi::xml_document doc;
  bool dirty = false;

  void Load(const Package& pkg, std::string_view source) {
    part = RelsPart(source);
    if (pkg.Find(part) != nullptr) {
      const std::string bytes = pkg.Read(part);
      doc.load_buffer(bytes.data(), bytes.size(),
                      pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata);
    }
    if (!doc.document_element()) {
      doc.reset();
      doc.append_child(pugi::node_declaration).append_attribute("version") = "1.0";
      doc.append_child("Relationships").append_attribute("xmlns") =
          "http://schemas.openxmlformats.org/package/2006/relationships";
    }
  }
  std::string Add(std::string_view type, const std::string& target) {
    std::set<std::string> ids;
    for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling())
      ids.insert(Attr(r, "Id").as_string());
    std::string id;
    for (unsigned n = 1;; ++n) {
      id = "rId" + std::to_string(n);
      if (!ids.count(id)) break;
    }
    const std::string prefix = PrefixOf(doc.document_element().name());
    pugi::xml_node r = doc.document_element().append_child((prefix + "Relationship").c_str());
    r.append_attribute("Id") = id.c_str();
    r.append_attribute("Type") = (std::string(kRelBase) + std::string(type)).c_str();
    r.append_attribute("Target") = target.c_str();
    dirty = true;
    return id;
  }
  bool RemoveTarget(const std::string& dir, const std::string& target) {
    for (pugi::xml_node r = doc.document_element().first_child(); r; r = r.next_sibling()) {
      if (r.type() == pugi::node_element && Resolve(dir, Attr(r, "Target").as_string()) == target) {
        doc.document_element().remove_child(r);
        dirty = true;
        return true;
      }
    }
    return false;
  }
};

void SetOverride(pugi::xml_document& ct, const std::string& part, const char* type) {
  pugi::xml_node root = ct.document_element();
  for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling()) {
    if (o.type() != pugi::node_element || LocalName(o.name()) != "Override") continue;
    std::string_view name = Attr(o, "PartName").as_string();
    if (!name.empty() && name[0] == '/') name.remove_prefix(1);
    if (name == part) {
      Attr(o, "ContentType").set_value(type);
      return;
    }
  }
  pugi::xml_node o = root.append_child((PrefixOf(root.name()) + "Override").c_str());
  o.append_attribute("PartName") = ("/" + part).c_str();
  o.append_attribute("ContentType") = type;
}

void RemoveOverride(pugi::xml_document& ct, const std::string& part) {
  pugi::xml_node root = ct.document_element();
  for (pugi::xml_node o = root.first_child(); o; o = o.next_sibling()) {
    std::string_view name = Attr(o, "PartName").as_string();
    if (!name.empty() && name[0] == '/') name.remove_prefix(1);
    if (o.type() == pugi::node_element && name == part) {
      root.remove_child(o);
      return;
    }
  }
}

// The calculation chain without the cells that no longer hold a formula; empty when none is left.
std::string FilterCalcChain(const std::string& xml, const Workbook::Impl& b) {
  pugi::xml_document doc;
  if (!doc.load_buffer(xml.data(), xml.size(),
                       pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata))
    return {};
  std::unordered_map<uint32_t, const Worksheet::Impl*> by_id;
  for (const auto& s : b.sheets) by_id[s->impl().sheet_id] = &s->impl();
  pugi::xml_node root = doc.document_element();
  int sheet = 0;
  int kept = 0;
  for (pugi::xml_node c = root.first_child(); c;) {
    pugi::xml_node next = c.next_sibling();
    if (c.type() == pugi::node_element) {
      if (pugi::xml_attribute i = Attr(c, "i")) sheet = i.as_int();
      bool keep = true;
      auto it = by_id.find(static_cast<uint32_t>(sheet));
      auto ref = ParseCellRef(Attr(c, "r").as_string());
      if (it != by_id.end() && ref) {
        const Cell* cell = it->second->FindCell(*ref);
        keep = cell != nullptr && (cell->flags & Cell::kHasFormula) != 0;
      }
      if (keep) {
        // Entries inherit the sheet of the one before; say it explicitly since neighbours go.
        if (!Attr(c, "i")) c.append_attribute("i") = sheet;
        ++kept;
      } else {
        root.remove_child(c);
      }
    }
    c = next;
  }
  return kept ? SaveXml(doc) : std::string();
}

// Children of workbook that come before bookViews.
constexpr std::string_view kBeforeBookViews[] = {"fileVersion", "fileSharing", "workbookPr",
                                                 "workbookProtection"};

// Makes tab `tab` the one the workbook opens on: workbookView@activeTab, with the view (and its
// bookViews) made where the workbook has none, each in the place the schema gives it.
void SetActiveTab(pugi::xml_node root, const std::string& prefix, unsigned tab) {
  pugi::xml_node views = Child(root, "bookViews");
  if (!views) {
    pugi::xml_node before;
    for (pugi::xml_node c = root.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      const std::string_view name = LocalName(c.name());
      bool earlier = false;
      for (std::string_view e : kBeforeBookViews) earlier = earlier || name == e;
      if (!earlier) {
        before = c;
        break;
      }
    }
    const std::string name = prefix + "bookViews";
    views =
        before ? root.insert_child_before(name.c_str(), before) : root.append_child(name.c_str());
  }
  pugi::xml_node view = Child(views, "workbookView");
  if (!view) view = views.prepend_child((prefix + "workbookView").c_str());
  pugi::xml_attribute active = Attr(view, "activeTab");
  if (!active) {
    pugi::xml_attribute after = Attr(view, "autoFilterDateGrouping");
    active = after ? view.insert_attribute_before("activeTab", after)
                   : view.append_attribute("activeTab");
  }
  active.set_value(tab);
  // A first visible tab past the active one would hide it in the tab bar.
  if (pugi::xml_attribute first = Attr(view, "firstSheet"); first && first.as_uint() > tab)
    first.set_value(tab);
}

}  // namespace

std::string BuildPackage(Workbook& book, const ZipOptions& options, const std::string& main_type) {
  auto& b = book.impl();
  const Package& pkg = b.package;

  // Shared-string indices for the texts written since loading.
  std::vector<uint32_t> shared_index(b.strings.Size(), 0);
  for (uint32_t i = 0; i < b.sst_original; ++i) shared_index[i] = i;
  std::vector<uint32_t> added_strings;
  std::vector<char> assigned(b.strings.Size(), 0);
  // The sheet shown on opening is saved only when it changed, so that a workbook opened and
  // saved unchanged keeps its bytes; then every sheet's tabSelected flag follows it.
  const bool active_changed = b.active != b.loaded_active && b.active < b.sheets.size();
  std::unordered_map<const Worksheet::Impl*, bool> tab_flags;
  if (active_changed) {
    for (std::size_t i = 0; i < b.sheets.size(); ++i) {
      const auto& s = b.sheets[i]->impl();
      if (s.tab_selected != (i == b.active)) tab_flags[&s] = i == b.active;
    }
  }
  std::vector<const Worksheet::Impl*> rewrite;
  for (const auto& sp : b.sheets) {
    const auto& s = sp->impl();
    if (!s.modified && !s.merges_modified && !tab_flags.count(&s) && pkg.Find(s.part) != nullptr)
      continue;
    rewrite.push_back(&s);
    for (const Row& row : s.rows) {
      if (!row.dirty) continue;
      for (const Cell& c : row.cells) {
        if (c.raw_length != 0 || c.kind != CellKind::kText || c.v.text < b.sst_original) continue;
        if (!assigned[c.v.text]) {
          assigned[c.v.text] = 1;
          shared_index[c.v.text] = static_cast<uint32_t>(b.sst_original + added_strings.size());
          added_strings.push_back(c.v.text);
        }
      }
    }
  }

  std::unordered_map<std::string, std::string> replaced;
  std::vector<std::pair<std::string, std::string>> added;
  std::set<std::string> removed;
  pugi::xml_document ct;
  ParseXml(ct, pkg.Read("[Content_Types].xml"), b.display_name, "[Content_Types].xml");
  bool ct_dirty = false;
  RelsEdit wb_rels, root_rels;
  wb_rels.Load(pkg, b.workbook_part);
  root_rels.Load(pkg, "");
  const std::string wb_dir = Dir(b.workbook_part);

  if (OverrideType(ct, b.workbook_part) != main_type) {
    SetOverride(ct, b.workbook_part, main_type.c_str());
    ct_dirty = true;
  }

  // Sheets made since loading get a part, a relationship and an entry in the workbook.
  std::vector<const Worksheet::Impl*> new_sheets;
  for (const auto& sp : b.sheets)
    if (pkg.Find(sp->impl().part) == nullptr) new_sheets.push_back(&sp->impl());
  if (!new_sheets.empty() || active_changed) {
    pugi::xml_document wb;
    ParseXml(wb, pkg.Read(b.workbook_part), b.display_name, b.workbook_part);
    pugi::xml_node root = wb.document_element();
    const std::string prefix = PrefixOf(root.name());
    pugi::xml_node sheets = Child(root, "sheets");
    if (!sheets) sheets = root.append_child((prefix + "sheets").c_str());
    const std::string rprefix =
        new_sheets.empty() ? std::string()
                           : DeclaredPrefix(root,
                                            "http://schemas.openxmlformats.org/officeDocument/2006/"
                                            "relationships",
                                            "r");
    const Worksheet::Impl& shown = b.sheets[std::min(b.active, b.sheets.size() - 1)]->impl();
    std::string shown_id = shown.rel_id;
    for (const Worksheet::Impl* s : new_sheets) {
      const std::string id = wb_rels.Add("worksheet", Relative(wb_dir, s->part));
      if (s == &shown) shown_id = id;
      pugi::xml_node e = sheets.append_child((prefix + "sheet").c_str());
      e.append_attribute("name") = s->name.c_str();
      e.append_attribute("sheetId") = s->sheet_id;
      e.append_attribute((rprefix + ":id").c_str()) = id.c_str();
      SetOverride(ct, s->part, kCtWorksheet);
      ct_dirty = true;
    }
    if (active_changed) {
      // The tab counts every sheet of the workbook, chart sheets included.
      unsigned tab = 0;
      for (pugi::xml_node e = sheets.first_child(); e; e = e.next_sibling()) {
        if (e.type() != pugi::node_element) continue;
        if (Attr(e, "id").as_string() == shown_id) {
          SetActiveTab(root, prefix, tab);
          break;
        }
        ++tab;
      }
    }
    replaced[b.workbook_part] = SaveXml(wb);
  }

  if (!added_strings.empty()) {
    if (b.sst_part.empty()) {
      const std::string part = wb_dir + "sharedStrings.xml";
      wb_rels.Add("sharedStrings", Relative(wb_dir, part));
      SetOverride(ct, part, kCtSharedStrings);
      ct_dirty = true;
      added.emplace_back(part, WriteSharedStrings({}, b.strings, added_strings,
                                                  b.sst_original + added_strings.size()));
    } else {
      replaced[b.sst_part] = WriteSharedStrings(pkg.Read(b.sst_part), b.strings, added_strings,
                                                b.sst_original + added_strings.size());
    }
  }

  if (b.styles.Modified()) {
    if (b.styles.part.empty()) {
      const std::string part = wb_dir + "styles.xml";
      wb_rels.Add("styles", Relative(wb_dir, part));
      SetOverride(ct, part, kCtStyles);
      ct_dirty = true;
      added.emplace_back(part, WriteStyles(DefaultStylesXml(), b.styles));
    } else {
      replaced[b.styles.part] = WriteStyles(pkg.Read(b.styles.part), b.styles);
    }
  }

  if (b.formula_removed && !b.calc_chain_part.empty()) {
    std::string chain = FilterCalcChain(pkg.Read(b.calc_chain_part), b);
    if (chain.empty()) {
      removed.insert(b.calc_chain_part);
      wb_rels.RemoveTarget(wb_dir, b.calc_chain_part);
      RemoveOverride(ct, b.calc_chain_part);
      ct_dirty = true;
    } else {
      replaced[b.calc_chain_part] = std::move(chain);
    }
  }

  if (b.custom_props_modified) {
    const auto rels = ReadRels(pkg, "", b.display_name);
    const Rel* r = FindRel(rels, "custom-properties");
    if (r != nullptr && pkg.Find(r->target) != nullptr) {
      replaced[r->target] = WriteCustomProperties(pkg.Read(r->target), b.custom_props);
    } else {
      const std::string part = "docProps/custom.xml";
      root_rels.Add("custom-properties", part);
      SetOverride(ct, part, kCtCustom);
      ct_dirty = true;
      added.emplace_back(part, WriteCustomProperties({}, b.custom_props));
    }
  }

  if (ct_dirty) replaced["[Content_Types].xml"] = SaveXml(ct);
  if (wb_rels.dirty) replaced[wb_rels.part] = SaveXml(wb_rels.doc);
  if (root_rels.dirty) replaced[root_rels.part] = SaveXml(root_rels.doc);

  std::unordered_map<std::string, const Worksheet::Impl*> sheet_parts;
  for (const Worksheet::Impl* s : rewrite) sheet_parts[s->part] = s;
  auto sheet_writer = [&](const Worksheet::Impl* s) {
    std::optional<bool> tab;
    if (auto it = tab_flags.find(s); it != tab_flags.end()) tab = it->second;
    return [s, &b, &shared_index, tab](ByteBuffer& out) {
      if (s->source) {
        WriteWorksheet(*s, *s->source, b.strings, shared_index, tab, out);
        return;
      }
      WriteWorksheet(*s, SheetText(b.package, s->part).View(), b.strings, shared_index, tab, out);
    };
  };

  std::vector<OutputEntry> entries;
  entries.reserve(pkg.Entries().size() + added.size() + new_sheets.size());
  const uint32_t now = DosNow();
  for (const PackageEntry& e : pkg.Entries()) {
    if (removed.count(e.name)) continue;
    OutputEntry out;
    out.name = e.name;
    if (auto it = sheet_parts.find(e.name); it != sheet_parts.end()) {
      out.produce = sheet_writer(it->second);
      out.expected_size = EstimateWorksheetSize(*it->second);
      out.dos_date = now;
    } else if (auto r = replaced.find(e.name); r != replaced.end()) {
      out.data = std::move(r->second);
      replaced.erase(r);
      out.dos_date = now;
    } else {
      out.copy = &e;
    }
    entries.push_back(std::move(out));
  }
  // Relationship parts created now (a package without them) come before new content parts.
  for (auto& [name, data] : replaced) {
    OutputEntry out;
    out.name = name;
    out.data = std::move(data);
    out.dos_date = now;
    entries.push_back(std::move(out));
  }
  for (const Worksheet::Impl* s : new_sheets) {
    OutputEntry out;
    out.name = s->part;
    out.produce = sheet_writer(s);
    out.expected_size = EstimateWorksheetSize(*s);
    out.dos_date = now;
    entries.push_back(std::move(out));
  }
  for (auto& [name, data] : added) {
    OutputEntry out;
    out.name = name;
    out.data = std::move(data);
    out.dos_date = now;
    entries.push_back(std::move(out));
  }
  return WriteZip(entries, options);
}

}  // namespace vardex::host::detail
