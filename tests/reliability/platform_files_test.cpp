// The saves' file handling where Windows and Linux differ, run on both: folder and file names in
// Chinese, a save over a file that another program holds open, a save into a folder that takes no
// new files, and the lock between runs.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "host/host_error.hpp"
#include "host/path_text.hpp"
#include "host/platform.hpp"
#include "host/workbook.hpp"
#include "support/package.hpp"

namespace {

namespace fs = std::filesystem;
namespace platform = vardex::host::platform;
using vardex::host::CellValue;
using vardex::host::HostError;
using vardex::host::PathText;
using vardex::host::Workbook;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PlatformFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_);
    book_.SheetAt(0).SetValue({1, 1}, "新结果");
  }

  Workbook Saved(const fs::path& path, const std::string& a1) {
    Workbook book;
    book.SheetAt(0).SetValue({1, 1}, a1);
    book.SaveAs(path);
    return book;
  }

  // The folder holds exactly `names`: no temporary file is left behind.
  void ExpectOnly(std::initializer_list<fs::path> names) {
    std::size_t count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
      ++count;
      EXPECT_NE(std::find(names.begin(), names.end(), entry.path()), names.end())
          << "left behind: " << PathText(entry.path().filename());
    }
    EXPECT_EQ(count, names.size());
  }

  vardex::test::ScratchDir dir_;
  fs::path folder_ = dir_.path() / vardex::host::PathFromText("测量项目") /
                     vardex::host::PathFromText("K1 桥梁（二）");
  Workbook book_;
};

TEST_F(PlatformFiles, ChineseNamesSaveOpenAndAppearInMessages) {
  for (const char* name : {"放线记录.xlsx", "水准 K1+200.xlsx", "平面位置检测表-计算结果.xlsx"}) {
    SCOPED_TRACE(name);
    const fs::path path = folder_ / vardex::host::PathFromText(name);
    Workbook book = Saved(path, name);
    EXPECT_EQ(Workbook::Open(path).SheetAt(0).Value({1, 1}), CellValue(std::string(name)));
    const std::optional<platform::FileIdentity> id = platform::IdentityOf(path);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->size, fs::file_size(path));
    fs::remove(path);
  }
  try {
    Workbook::Open(folder_ / vardex::host::PathFromText("缺失的项目.xlsx"));
    ADD_FAILURE() << "opened a missing file";
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find("缺失的项目.xlsx"), std::string::npos) << e.what();
  }
}

TEST_F(PlatformFiles, ARunSavesOverTheFileItHoldsLocked) {
  const fs::path path = folder_ / vardex::host::PathFromText("水准.xlsx");
  Saved(path, "旧");
  Workbook book = Workbook::OpenForUpdate(path);
  book.SheetAt(0).SetValue({1, 1}, "新");
  book.Save();
  EXPECT_EQ(Workbook::Open(path).SheetAt(0).Value({1, 1}), CellValue(std::string("新")));
  ExpectOnly({path});
}

TEST_F(PlatformFiles, ASaveOverAFileOpenElsewhereIsWholeOrRefused) {
  const fs::path path = folder_ / vardex::host::PathFromText("放线.xlsx");
  Saved(path, "旧");
  const std::string old_bytes = ReadAll(path);
  std::ifstream reader(path, std::ios::binary);
  ASSERT_TRUE(reader);
  // Windows refuses to replace a file that a program opened without delete sharing; Linux and
  // Wine replace it. Either way the file is the old one or the new one, never a mixture.
  try {
    book_.SaveAs(path);
    EXPECT_EQ(Workbook::Open(path).SheetAt(0).Value({1, 1}), CellValue(std::string("新结果")));
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find("放线.xlsx"), std::string::npos) << e.what();
    EXPECT_EQ(ReadAll(path), old_bytes);
  }
  // The reader goes on reading what it opened.
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(reader), std::istreambuf_iterator<char>()),
            old_bytes);
  ExpectOnly({path});
}

TEST_F(PlatformFiles, ASaveIntoAReadOnlyFolderIsRefusedWithNothingLeft) {
  const fs::path path = folder_ / vardex::host::PathFromText("只读.xlsx");
  fs::permissions(folder_,
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const fs::path probe = folder_ / "probe";
  if (std::ofstream(probe)) {
    fs::remove(probe);
    fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::add);
    GTEST_SKIP() << "this user may write into read-only folders";
  }
  try {
    book_.SaveAs(path);
    ADD_FAILURE() << "saved into a read-only folder";
  } catch (const HostError& e) {
    EXPECT_NE(std::string(e.what()).find("只读.xlsx"), std::string::npos) << e.what();
  }
  fs::permissions(folder_, fs::perms::owner_write, fs::perm_options::add);
  ExpectOnly({});
}

TEST_F(PlatformFiles, TheLockIsExclusiveAndKnowsItsFile) {
  const fs::path path = folder_ / vardex::host::PathFromText("锁.xlsx");
  Saved(path, "x");
  const platform::FileLock first = platform::FileLock::Acquire(path, std::chrono::milliseconds(0));
  ASSERT_TRUE(first.Held());
  EXPECT_EQ(first.Identity(), platform::IdentityOf(path));
  EXPECT_FALSE(platform::FileLock::Acquire(path, std::chrono::milliseconds(100)).Held());
  // Others may still read the locked file.
  EXPECT_EQ(Workbook::Open(path).SheetAt(0).Value({1, 1}), CellValue(std::string("x")));
}

}  // namespace
