#include "support/package.hpp"

#include <array>
#include <cstdint>
#include <utility>

namespace vardex::test {
namespace {

const std::string kXml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
const std::string kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const std::string kDocRels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const std::string kPkgRels = "http://schemas.openxmlformats.org/package/2006/relationships";
const std::string kOfficeType = "application/vnd.openxmlformats-officedocument.spreadsheetml.";

uint32_t Crc32(const std::string& data) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : data) crc = table[(crc ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void Put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A zip archive of stored (uncompressed) entries: the engine's reader must take what any zip
// tool writes, and stored entries keep the builder free of a deflate library.
class StoredZip {
 public:
  void Add(const std::string& name, const std::string& data) {
    const uint32_t crc = Crc32(data);
    const auto size = static_cast<uint32_t>(data.size());
    const auto offset = static_cast<uint32_t>(body_.size());
    const auto name_size = static_cast<uint32_t>(name.size());
    // Local header: version 20, UTF-8 names, stored, time 0, date 1980-01-01.
    Put32(body_, 0x04034B50u);
    for (uint32_t v : {20u, 0x0800u, 0u, 0u, 0x21u}) Put16(body_, v);
    for (uint32_t v : {crc, size, size}) Put32(body_, v);
    for (uint32_t v : {name_size, 0u}) Put16(body_, v);
    body_ += name + data;
    Put32(directory_, 0x02014B50u);
    for (uint32_t v : {20u, 20u, 0x0800u, 0u, 0u, 0x21u}) Put16(directory_, v);
    for (uint32_t v : {crc, size, size}) Put32(directory_, v);
    for (uint32_t v : {name_size, 0u, 0u, 0u, 0u}) Put16(directory_, v);
    for (uint32_t v : {0u, offset}) Put32(directory_, v);
    directory_ += name;
    ++count_;
  }

  std::string Finish() const {
    std::string out = body_ + directory_;
    Put32(out, 0x06054B50u);
    for (uint32_t v : {0u, 0u, count_, count_}) Put16(out, v);
    Put32(out, static_cast<uint32_t>(directory_.size()));
    Put32(out, static_cast<uint32_t>(body_.size()));
    Put16(out, 0);
    return out;
  }

 private:
  std::string body_;
  std::string directory_;
  uint32_t count_ = 0;
};

std::string Relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kDocRels + "/" + type + "\" Target=\"" +
         target + "\"/>";
}

}  // namespace

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

host::Workbook OpenPackage(const std::vector<PackageSheet>& sheets, const std::string& styles,
                           const std::string& defined_names) {
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
  std::vector<std::pair<std::string, std::string>> parts;
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
  StoredZip zip;
  zip.Add("[Content_Types].xml", types + "</Types>");
  zip.Add("_rels/.rels", kXml + "<Relationships xmlns=\"" + kPkgRels + "\">" +
                             Relationship("rId1", "officeDocument", "xl/workbook.xml") +
                             "</Relationships>");
  zip.Add("xl/workbook.xml",
          kXml + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kDocRels + "\"><sheets>" +
              entries + "</sheets>" +
              (defined_names.empty() ? std::string()
                                     : "<definedNames>" + defined_names + "</definedNames>") +
              "</workbook>");
  zip.Add("xl/_rels/workbook.xml.rels", rels + "</Relationships>");
  for (const auto& [name, data] : parts) zip.Add(name, data);
  return host::Workbook::OpenBytes(zip.Finish(), "project.xlsx");
}

}  // namespace vardex::test
