// The host's pieces for field files: SHA-256 against the published test vectors, and the GBK
// conversions in both directions.
#include <gtest/gtest.h>

#include <string>

#include "host/sha256.hpp"
#include "host/text_codec.hpp"
#include "host/workbook.hpp"

namespace vardex::host {
namespace {

TEST(Sha256, PublishedVectors) {
  struct Case {
    std::string input;
    const char* digest;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // 56 bytes: the length no longer fits the first block's tail.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) EXPECT_EQ(Sha256Hex(c.input), c.digest) << c.input.size();
}

TEST(TextCodec, GbkBothWays) {
  // "水准" in GBK is CB AE D7 BC.
  EXPECT_EQ(Utf8ToGbk("水准K1"), std::optional<std::string>("\xCB\xAE\xD7\xBC"
                                                            "K1"));
  EXPECT_EQ(GbkToUtf8("\xCB\xAE\xD7\xBC"
                      "K1"),
            std::optional<std::string>("水准K1"));
  EXPECT_EQ(GbkToUtf8("\xCB"), std::nullopt);      // a lead byte without its trail byte
  EXPECT_EQ(Utf8ToGbk("\xE6\xB0"), std::nullopt);  // broken UTF-8
  EXPECT_TRUE(IsValidUtf8("点号"));
  EXPECT_FALSE(IsValidUtf8("\xCB"));
}

// Provenance forgets a field file by removing its property: the removal must reach the file.
TEST(CustomProperties, RemovedOnesStayRemovedThroughASave) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "vardex-custom-properties.xlsx";
  Workbook book;
  book.SetCustomProperty("Vardex.Keep", "1");
  book.SetCustomProperty("Vardex.Gone", "2");
  book.SaveAs(file);
  Workbook reopened = Workbook::Open(file);
  reopened.RemoveCustomProperty("Vardex.Gone");
  reopened.Save();
  const Workbook last = Workbook::Open(file);
  EXPECT_EQ(last.CustomProperty("Vardex.Keep"), std::optional<std::string>("1"));
  EXPECT_EQ(last.CustomProperty("Vardex.Gone"), std::nullopt);
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace vardex::host
