// The zip container of saved packages: every kind of entry reads back, in order, with its name,
// bytes and checksum; entries copied from another package keep their compressed bytes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/xlsx_zip.hpp"

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

}  // namespace
}  // namespace vardex::host::detail
