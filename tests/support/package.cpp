#include "support/package.hpp"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <utility>

#include <libdeflate.h>

#include "host/xlsx_zip.hpp"

namespace vardex::test {
namespace {

const std::string kXml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string kDocRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const std::string kPkgRels = "http://schemas.openxmlformats.org/package/2006/relationships";
const std::string kOfficeType = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

void Put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void Put64(std::string& out, uint64_t v) {
  Put32(out, static_cast<uint32_t>(v));
  Put32(out, static_cast<uint32_t>(v >> 32));
}

// A zip archive of stored (uncompressed) entries: the engine's reader must take what any zip
// tool writes, and stored entries keep the builder free of a deflate library. In zip64 form
// every size and offset is in the zip64 fields, as zip tools write it when told to.
class StoredZip {
 public:
  explicit StoredZip(bool zip64) : zip64_(zip64) {}

  void Add(const std::string& name, const std::string& data) {
    const uint32_t crc = libdeflate_crc32(0, data.data(), data.size());
    const auto size = static_cast<uint32_t>(data.size());
    const auto offset = static_cast<uint32_t>(body_.size());
    const auto name_size = static_cast<uint32_t>(name.size());
    const uint32_t wide = zip64_ ? 0xFFFFFFFFu : 0u;
    const uint32_t version = zip64_ ? 45u : 20u;
    // Local header: UTF-8 names, stored, time 0, date 1980-01-01.
    Put32(body_, 0x04034B50u);
    for (uint32_t v : {version, 0x0800u, 0u, 0u, 0x21u}) Put16(body_, v);
    for (uint32_t v : {crc, size | wide, size | wide}) Put32(body_, v);
    for (uint32_t v : {name_size, zip64_ ? 20u : 0u}) Put16(body_, v);
    body_ += name;
    if (zip64_) {
      for (uint32_t v : {1u, 16u}) Put16(body_, v);
      for (uint64_t v : {uint64_t{size}, uint64_t{size}}) Put64(body_, v);
    }
    body_ += data;
    Put32(directory_, 0x02014B50u);
    for (uint32_t v : {version, version, 0x0800u, 0u, 0u, 0x21u}) Put16(directory_, v);
    for (uint32_t v : {crc, size | wide, size | wide}) Put32(directory_, v);
    for (uint32_t v : {name_size, zip64_ ? 28u : 0u, 0u, 0u, 0u}) Put16(directory_, v);
    for (uint32_t v : {0u, offset | wide}) Put32(directory_, v);
    directory_ += name;
    if (zip64_) {
      for (uint32_t v : {1u, 24u}) Put16(directory_, v);
      for (uint64_t v : {uint64_t{size}, uint64_t{size}, uint64_t{offset}}) Put64(directory_, v);
    }
    ++count_;
  }

  std::string Finish() const {
    std::string out = body_ + directory_;
    if (zip64_) {
      const auto record = static_cast<uint64_t>(out.size());
      Put32(out, 0x06064B50u);
      Put64(out, 44);
      for (uint32_t v : {45u, 45u}) Put16(out, v);
      for (uint32_t v : {0u, 0u}) Put32(out, v);
      for (uint64_t v : {uint64_t{count_}, uint64_t{count_}, uint64_t{directory_.size()},
                         uint64_t{body_.size()}})
        Put64(out, v);
      Put32(out, 0x07064B50u);
      Put32(out, 0);
      Put64(out, record);
      Put32(out, 1);
      Put32(out, 0x06054B50u);
      for (uint32_t v : {0u, 0u, 0xFFFFu, 0xFFFFu}) Put16(out, v);
      for (uint32_t v : {0xFFFFFFFFu, 0xFFFFFFFFu}) Put32(out, v);
      Put16(out, 0);
      return out;
    }
    Put32(out, 0x06054B50u);
    for (uint32_t v : {0u, 0u, count_, count_}) Put16(out, v);
    Put32(out, static_cast<uint32_t>(directory_.size()));
    Put32(out, static_cast<uint32_t>(body_.size()));
    Put16(out, 0);
    return out;
  }

 private:
  bool zip64_;
  std::string body_;
  std::string directory_;
  uint32_t count_ = 0;
};

std::string Relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kDocRels + "/" + type + "\" Target=\"" +
         target + "\"/>";
}

// The part with its one default namespace bound to "x" and every unprefixed element name
// prefixed; a part with no or several default namespaces stays as it is.
std::string Prefixed(const std::string& xml) {
  const std::string declaration = " xmlns=\"";
  const std::size_t at = xml.find(declaration);
  if (at == std::string::npos || xml.find(declaration, at + 1) != std::string::npos) return xml;
  const std::string in = xml.substr(0, at) + " xmlns:x=\"" + xml.substr(at + declaration.size());
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    out += in[i];
    if (in[i] != '<') continue;
    std::size_t name = i + 1;
    if (name < in.size() && in[name] == '/') out += in[name++];
    std::size_t end = name;
    while (end < in.size() && std::string_view(" \t\r\n/>").find(in[end]) == std::string_view::npos)
      ++end;
    const std::string_view qname(in.data() + name, end - name);
    if (!qname.empty() && qname[0] != '!' && qname[0] != '?' &&
        qname.find(':') == std::string_view::npos)
      out += "x:";
    i = name - 1;
  }
  return out;
}

}  // namespace

std::string EditedPackage(
    const std::string& package,
    const std::function<std::string(const std::string& name, std::string bytes)>& edit) {
  const host::detail::Package in(std::make_shared<const std::string>(package), "edited.xlsx");
  std::vector<host::detail::OutputEntry> entries;
  for (const auto& e : in.Entries()) {
    host::detail::OutputEntry out;
    out.name = e.name;
    out.data = edit(e.name, in.Read(e.name));
    entries.push_back(std::move(out));
  }
  return host::detail::WriteZip(entries, {});
}

std::string PrefixedPackage(const std::string& package) {
  return EditedPackage(package, [](const std::string& name, std::string bytes) {
    return name.ends_with(".xml") || name.ends_with(".rels") ? Prefixed(bytes) : bytes;
  });
}

std::string NumberCell(const std::string& ref, const std::string& value) {
  return "<c r=\"" + ref + "\"><v>" + value + "</v></c>";
}
std::string BooleanCell(const std::string& ref, bool value) {
  return "<c r=\"" + ref + "\" t=\"b\"><v>" + (value ? "1" : "0") + "</v></c>";
}
std::string ErrorCell(const std::string& ref, const std::string& code) {
  return "<c r=\"" + ref + "\" t=\"e\"><v>" + code + "</v></c>";
}
std::string TextCell(const std::string& ref, const std::string& text) {
  return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

namespace {

std::string ZipOf(const Parts& parts, bool zip64) {
  StoredZip zip(zip64);
  for (const auto& [name, data] : parts) zip.Add(name, data);
  return zip.Finish();
}

std::string Package(const std::vector<PackageSheet>& sheets, const std::string& styles,
                    const std::string& book_head, const std::string& book_tail, bool zip64) {
  std::string types =
      kXml +
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" +
      kOfficeType + "sheet.main+xml\"/>";
  std::string entries;
  std::string rels = kXml + "<Relationships xmlns=\"" + kPkgRels + "\">";
  Parts parts;
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    const std::string part = "worksheets/sheet" + n + ".xml";
    types += "<Override PartName=\"/xl/" + part + "\" ContentType=\"" + kOfficeType +
             "worksheet+xml\"/>";
    entries +=
        "<sheet name=\"" + sheets[i].name + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    rels += Relationship("rId" + n, "worksheet", part);
    parts.emplace_back("xl/" + part, kXml + "<worksheet xmlns=\"" + kMain + "\">" +
                                         sheets[i].before + "<sheetData>" + sheets[i].rows +
                                         "</sheetData>" + sheets[i].after + "</worksheet>");
  }
  if (!styles.empty()) {
    types +=
        "<Override PartName=\"/xl/styles.xml\" ContentType=\"" + kOfficeType + "styles+xml\"/>";
    rels += Relationship("rIdStyles", "styles", "styles.xml");
    parts.emplace_back("xl/styles.xml", kXml + styles);
  }
  parts.insert(parts.begin(),
               {{"[Content_Types].xml", types + "</Types>"},
                {"_rels/.rels", kXml + "<Relationships xmlns=\"" + kPkgRels + "\">" +
                                    Relationship("rId1", "officeDocument", "xl/workbook.xml") +
                                    "</Relationships>"},
                {"xl/workbook.xml", kXml + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" +
                                        kDocRels + "\">" + book_head + "<sheets>" + entries +
                                        "</sheets>" + book_tail + "</workbook>"},
                {"xl/_rels/workbook.xml.rels", rels + "</Relationships>"}});
  return ZipOf(parts, zip64);
}

}  // namespace

std::string ZipBytes(const Parts& parts) { return ZipOf(parts, false); }

std::string PackageBytes(const std::vector<PackageSheet>& sheets, const std::string& styles,
                         const std::string& book_head, const std::string& book_tail) {
  return Package(sheets, styles, book_head, book_tail, false);
}

std::string PackageBytes(const std::vector<PackageSheet>& sheets, const std::string& styles,
                         bool zip64) {
  return Package(sheets, styles, "", "", zip64);
}

host::Workbook OpenPackage(const std::vector<PackageSheet>& sheets, const std::string& styles) {
  return host::Workbook::OpenBytes(PackageBytes(sheets, styles), "project.xlsx");
}

std::string StyleSheet(const std::vector<std::string>& formats,
                       const std::vector<CellFormat>& cell_formats) {
  std::string xml = "<styleSheet xmlns=\"" + kMain + "\"><numFmts count=\"" +
                    std::to_string(formats.size()) + "\">";
  for (std::size_t i = 0; i < formats.size(); ++i) {
    xml +=
        "<numFmt numFmtId=\"" + std::to_string(164 + i) + "\" formatCode=\"" + formats[i] + "\"/>";
  }
  const std::string thin = "style=\"thin\"/>";
  xml +=
      "</numFmts><fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills><borders count=\"2\">"
      "<border><left/><right/><top/><bottom/><diagonal/></border><border><left " +
      thin + "<right " + thin + "<top " + thin + "<bottom " + thin +
      "<diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" "
      "fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs><cellXfs count=\"" +
      std::to_string(cell_formats.size()) + "\">";
  for (const CellFormat& f : cell_formats) {
    xml += "<xf numFmtId=\"" + std::to_string(f.number_format) +
           "\" fontId=\"0\" fillId=\"0\" borderId=\"" + (f.bordered ? "1" : "0") + "\" xfId=\"0\"" +
           (f.number_format != 0 ? " applyNumberFormat=\"1\"" : "") +
           (f.bordered ? " applyBorder=\"1\"" : "") + "/>";
  }
  return xml +
         "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
         "builtinId=\"0\"/></cellStyles></styleSheet>";
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SavedBytes(host::Workbook& book) {
  const ScratchDir dir;
  book.SaveAs(dir / "saved.xlsx");
  return FileBytes(dir / "saved.xlsx");
}

Parts PackageParts(const std::string& package) {
  const host::detail::Package zip(std::make_shared<const std::string>(package), "package");
  Parts parts;
  for (const host::detail::PackageEntry& entry : zip.Entries()) {
    parts.emplace_back(entry.name, zip.Read(entry.name));
  }
  return parts;
}

std::string PackagePart(const std::string& package, const std::string& part) {
  return host::detail::Package(std::make_shared<const std::string>(package), "package").Read(part);
}

ScratchDir::ScratchDir() {
  // A folder of its own: CTest runs the tests of one program side by side.
  std::random_device random;
  do {
    path_ = std::filesystem::temp_directory_path() / ("vardex-test-" + std::to_string(random()));
  } while (!std::filesystem::create_directory(path_));
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vardex::test
