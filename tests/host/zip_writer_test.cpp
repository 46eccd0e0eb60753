// The zip container: every kind of entry of a saved package reads back, in order, with its name,
// bytes and checksum; entries copied from another package keep their compressed bytes; packages
// with their sizes in zip64 fields read like plain ones.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/workbook.hpp"
#include "host/xlsx_zip.hpp"
#include "support/package.hpp"

namespace vardex::host::detail {
namespace {

std::string Repeated(std::string_view unit, std::size_t times) {
  std::string s;
  for (std::size_t i = 0; i < times; ++i) s += unit;
  return s;
}

TEST(ZipWriter, EveryKindOfEntryReadsBack) {
  // A first package to copy entries from.
  std::vector<OutputEntry> first(2);
  first[0].name = "xl/worksheets/sheet1.xml";
  first[0].data = Repeated("<row r=\"1\"><c r=\"A1\"><v>1.5</v></c></row>", 2000);
  first[1].name = "docProps/app.xml";
  first[1].data = "<Properties/>";
  const auto first_bytes = std::make_shared<const std::string>(WriteZip(first, {}));
  const Package source(first_bytes, "first.xlsx");
  ASSERT_EQ(source.Entries().size(), 2u);

  // Stored (too small to shrink), empty, deflated under a UTF-8 name, copied from the first
  // package, and produced on a worker.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"[Content_Types].xml", "<Types/>"},
      {"xl/empty.xml", ""},
      {"xl/媒体/图片 1.xml", Repeated("测量", 500)},
      {first[0].name, source.Read(first[0].name)},
      {"xl/worksheets/sheet2.xml", Repeated("<c r=\"B2\" s=\"3\"/>", 30000)}};
  for (unsigned threads : {1u, 2u, 5u}) {
    SCOPED_TRACE(threads);
    std::vector<OutputEntry> entries(expected.size());
    for (std::size_t i = 0; i < 3; ++i) {
      entries[i].name = expected[i].first;
      entries[i].data = expected[i].second;
    }
    entries[3].name = first[0].name;
    entries[3].copy = &source.Entries()[0];
    entries[4].name = expected[4].first;
    entries[4].produce = [&](ByteBuffer& out) { out.Append(expected[4].second); };
    entries[4].expected_size = expected[4].second.size();
    ZipOptions options;
    options.threads = threads;
    const auto bytes = std::make_shared<const std::string>(WriteZip(entries, options));
    const Package p(bytes, "out.xlsx");
    ASSERT_EQ(p.Entries().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE(expected[i].first);
      EXPECT_EQ(p.Entries()[i].name, expected[i].first);  // the order given, not the work order
      EXPECT_EQ(p.Read(expected[i].first), expected[i].second);
    }
    EXPECT_EQ(p.Entries()[3].raw, source.Entries()[0].raw);  // copied, not recompressed
    EXPECT_EQ(p.Entries()[0].method, 0);
    EXPECT_EQ(p.Entries()[2].method, 8);
  }
}

// Zip tools told to use zip64 ("zip -fz") put every size and offset into the zip64 fields; such
// a package is neither a bomb nor truncated.
TEST(ZipReader, Zip64FieldsReadLikeThePlainOnes) {
  const std::vector<test::PackageSheet> sheets = {
      {"数据输入",
       "<row r=\"1\"><c r=\"A1\"><v>12.5</v></c>"
       "<c r=\"B1\" t=\"inlineStr\"><is><t>BM1</t></is></c></row>"},
      {"水准表", "<row r=\"5\"><c r=\"C5\"><v>-3</v></c></row>"}};
  for (const bool zip64 : {false, true}) {
    SCOPED_TRACE(zip64 ? "zip64" : "plain");
    Workbook book = Workbook::OpenBytes(test::PackageBytes(sheets, "", zip64), "z.xlsx");
    EXPECT_EQ(book.Sheet("数据输入").Value({1, 1}), CellValue(12.5));
    EXPECT_EQ(book.Sheet("数据输入").Value({1, 2}), CellValue(std::string("BM1")));
    EXPECT_EQ(book.Sheet("水准表").Value({5, 3}), CellValue(-3.0));
  }
}

}  // namespace
}  // namespace vardex::host::detail
