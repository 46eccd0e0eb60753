// The in-memory project package of the plane tests.
#include "project_package.hpp"

#include <array>
#include <vector>

namespace vardex::plane_test {
namespace {

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

const char* const kSheetNames[] = {"数据输入", "水准表", "放线记录表", "平面位置检测表"};

std::string RecordSheet() {
  std::string row = "<row r=\"8\">";
  const char* const columns = "ABCDEFGHIJKLMNOPQ";
  for (int i = 0; i < 17; ++i) {
    const uint32_t style = columns[i] == 'G' ? kDmsStyle : kBorderStyle;
    row += "<c r=\"" + std::string(1, columns[i]) + "8\" s=\"" + std::to_string(style) + "\"/>";
  }
  row += "</row>";
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<sheetData>" +
         row +
         "</sheetData><mergeCells count=\"2\"><mergeCell ref=\"A8:B8\"/>"
         "<mergeCell ref=\"C8:D8\"/></mergeCells></worksheet>";
}

std::string PlainSheet() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
         "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
         "<sheetData/></worksheet>";
}

}  // namespace

void StoredZip::Add(const std::string& name, const std::string& data) {
  const uint32_t crc = Crc32(data);
  const auto size = static_cast<uint32_t>(data.size());
  const auto offset = static_cast<uint32_t>(body_.size());
  Put32(body_, 0x04034B50);
  Put16(body_, 20);      // version needed
  Put16(body_, 0x0800);  // UTF-8 names
  Put16(body_, 0);       // stored
  Put16(body_, 0);
  Put16(body_, 0x21);  // 1980-01-01
  Put32(body_, crc);
  Put32(body_, size);
  Put32(body_, size);
  Put16(body_, static_cast<uint32_t>(name.size()));
  Put16(body_, 0);
  body_ += name;
  body_ += data;

  Put32(directory_, 0x02014B50);
  Put16(directory_, 20);
  Put16(directory_, 20);
  Put16(directory_, 0x0800);
  Put16(directory_, 0);
  Put16(directory_, 0);
  Put16(directory_, 0x21);
  Put32(directory_, crc);
  Put32(directory_, size);
  Put32(directory_, size);
  Put16(directory_, static_cast<uint32_t>(name.size()));
  Put16(directory_, 0);  // extra
  Put16(directory_, 0);  // comment
  Put16(directory_, 0);  // disk
  Put16(directory_, 0);  // internal attributes
  Put32(directory_, 0);  // external attributes
  Put32(directory_, offset);
  directory_ += name;
  ++count_;
}

std::string StoredZip::Finish() {
  std::string out = body_ + directory_;
  Put32(out, 0x06054B50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, count_);
  Put16(out, count_);
  Put32(out, static_cast<uint32_t>(directory_.size()));
  Put32(out, static_cast<uint32_t>(body_.size()));
  Put16(out, 0);
  return out;
}

host::Workbook OpenProjectPackage() {
  const std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
  const std::string sheet_type =
      "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
  std::string types = xml +
                      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                      "content-types\">"
                      "<Default Extension=\"rels\" ContentType=\"application/"
                      "vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                      "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
  std::string sheets;
  std::string rels = xml +
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                     "relationships\">";
  for (int i = 1; i <= 4; ++i) {
    const std::string n = std::to_string(i);
    types += "<Override PartName=\"/xl/worksheets/sheet" + n + ".xml\" ContentType=\"" +
             sheet_type + "\"/>";
    sheets += "<sheet name=\"" + std::string(kSheetNames[i - 1]) + "\" sheetId=\"" + n +
              "\" r:id=\"rId" + n + "\"/>";
    rels += "<Relationship Id=\"rId" + n +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"worksheets/sheet" +
            n + ".xml\"/>";
  }
  types += "</Types>";
  rels +=
      "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/styles\" Target=\"styles.xml\"/></Relationships>";

  const std::string workbook =
      xml +
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
      "<sheets>" +
      sheets + "</sheets></workbook>";
  const std::string styles =
      xml +
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<numFmts count=\"2\"><numFmt numFmtId=\"164\" formatCode=\"0.00\"/>"
      "<numFmt numFmtId=\"165\" formatCode=\"[h]°mm′ss.00″\"/></numFmts>"
      "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"2\"><border><left/><right/><top/><bottom/><diagonal/></border>"
      "<border><left style=\"thin\"/><right style=\"thin\"/><top style=\"thin\"/>"
      "<bottom style=\"thin\"/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
      "borderId=\"0\"/></cellStyleXfs>"
      "<cellXfs count=\"4\">"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
      "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"1\" xfId=\"0\" "
      "applyBorder=\"1\"/>"
      "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" "
      "applyNumberFormat=\"1\"/>"
      "<xf numFmtId=\"165\" fontId=\"0\" fillId=\"0\" borderId=\"1\" xfId=\"0\" "
      "applyNumberFormat=\"1\" applyBorder=\"1\"/>"
      "</cellXfs>"
      "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
      "</cellStyles></styleSheet>";

  StoredZip zip;
  zip.Add("[Content_Types].xml", types);
  zip.Add("_rels/.rels",
          xml +
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
              "relationships\"><Relationship Id=\"rId1\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
              "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
  zip.Add("xl/workbook.xml", workbook);
  zip.Add("xl/_rels/workbook.xml.rels", rels);
  zip.Add("xl/styles.xml", styles);
  zip.Add("xl/worksheets/sheet1.xml", PlainSheet());
  zip.Add("xl/worksheets/sheet2.xml", PlainSheet());
  zip.Add("xl/worksheets/sheet3.xml", RecordSheet());
  zip.Add("xl/worksheets/sheet4.xml", RecordSheet());
  return host::Workbook::OpenBytes(zip.Finish(), "project.xlsx");
}

}  // namespace vardex::plane_test
