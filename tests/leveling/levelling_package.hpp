// A project package made in memory, for cell contents that only a file brings in: booleans, error
// values and the empty text.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/workbook.hpp"

namespace vardex::levelling_test {

inline uint32_t Crc32(const std::string& data) {
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

/// A zip archive of stored entries.
class StoredZip {
 public:
  void Add(const std::string& name, const std::string& data) {
    const uint32_t crc = Crc32(data);
    const auto size = static_cast<uint32_t>(data.size());
    const auto offset = static_cast<uint32_t>(body_.size());
    const auto name_size = static_cast<uint32_t>(name.size());
    // Local header: signature, version 20, UTF-8 names, stored, time 0, date 1980-01-01.
    for (uint32_t v : {0x04034B50u}) Put32(body_, v);
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
  static void Put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
  }
  static void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
  }

  std::string body_;
  std::string directory_;
  uint32_t count_ = 0;
};

/// Cell XML for the package: a number, a boolean, an error value, an inline text.
inline std::string NumberCell(const std::string& ref, const std::string& value) {
  return "<c r=\"" + ref + "\"><v>" + value + "</v></c>";
}
inline std::string BooleanCell(const std::string& ref, bool value) {
  return "<c r=\"" + ref + "\" t=\"b\"><v>" + (value ? "1" : "0") + "</v></c>";
}
inline std::string ErrorCell(const std::string& ref, const std::string& code) {
  return "<c r=\"" + ref + "\" t=\"e\"><v>" + code + "</v></c>";
}
inline std::string TextCell(const std::string& ref, const std::string& text) {
  return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

/// Opens a package with "数据输入" holding `input_rows` (the <row> elements of its sheetData) and
/// an empty "水准表".
inline host::Workbook OpenInputPackage(const std::string& input_rows) {
  const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
  const std::string main_ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
  const std::string rel_ns = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  const std::string pkg_rels = "http://schemas.openxmlformats.org/package/2006/relationships";
  const std::string sheet_type =
      "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
  StoredZip zip;
  zip.Add("[Content_Types].xml",
          xml +
              "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" "
              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
              "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"" +
              sheet_type +
              "\"/>"
              "<Override PartName=\"/xl/worksheets/sheet2.xml\" ContentType=\"" +
              sheet_type + "\"/></Types>");
  zip.Add("_rels/.rels", xml + "<Relationships xmlns=\"" + pkg_rels +
                             "\"><Relationship Id=\"rId1\" Type=\"" + rel_ns +
                             "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  zip.Add("xl/workbook.xml", xml + "<workbook xmlns=\"" + main_ns + "\" xmlns:r=\"" + rel_ns +
                                 "\"><sheets><sheet name=\"数据输入\" sheetId=\"1\" r:id=\"rId1\"/>"
                                 "<sheet name=\"水准表\" sheetId=\"2\" r:id=\"rId2\"/></sheets>"
                                 "</workbook>");
  zip.Add("xl/_rels/workbook.xml.rels",
          xml + "<Relationships xmlns=\"" + pkg_rels + "\"><Relationship Id=\"rId1\" Type=\"" +
              rel_ns +
              "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
              "Type=\"" +
              rel_ns + "/worksheet\" Target=\"worksheets/sheet2.xml\"/></Relationships>");
  zip.Add("xl/worksheets/sheet1.xml", xml + "<worksheet xmlns=\"" + main_ns + "\"><sheetData>" +
                                          input_rows + "</sheetData></worksheet>");
  zip.Add("xl/worksheets/sheet2.xml",
          xml + "<worksheet xmlns=\"" + main_ns + "\"><sheetData/></worksheet>");
  return host::Workbook::OpenBytes(zip.Finish(), "project.xlsx");
}

}  // namespace vardex::levelling_test
