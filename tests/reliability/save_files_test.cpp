// Saves against the file system: failures of the disk (injected through the platform layer, so
// that they happen for any user, root included), targets that cannot be files, things planted
// where temporary files go, links, read-only files, a file changed while its workbook was open,
// leftovers of killed saves and the lock two runs on one file share. Every failure names the
// file and the cause and leaves every file as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "host/host_error.hpp"
#include "host/platform.hpp"
#include "host/workbook.hpp"
#include "support/package.hpp"

namespace {

namespace fs = std::filesystem;
namespace platform = vardex::host::platform;
using vardex::host::CellValue;
using vardex::host::HostError;
using vardex::host::Workbook;

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

CellValue A1(const fs::path& p) { return Workbook::Open(p).SheetAt(0).Value({1, 1}); }

class ScopedFailure {
 public:
  ScopedFailure(platform::SaveStep step, int error) {
    platform::InjectSaveFailureForTesting(step, std::error_code(error, std::generic_category()));
  }
  ~ScopedFailure() { platform::InjectSaveFailureForTesting(platform::SaveStep::kWrite, {}); }
};

class SaveFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ = dir_.path() / "放线记录.xlsx";
    Workbook old_book;
    old_book.SheetAt(0).SetValue({1, 1}, "old");
    old_book.SaveAs(target_);
    old_bytes_ = ReadAll(target_);
    book_.SheetAt(0).SetValue({1, 1}, "new");
    book_.SheetAt(0).SetValue({500, 20}, 3.25);
  }

  // The message names the file and says why; the old bytes and nothing else are left.
  void ExpectIntact(const HostError& e, int number, std::string_view cause) {
    EXPECT_EQ(e.Number(), number);
    const std::string what = e.what();
    EXPECT_NE(what.find(target_.filename().string()), std::string::npos) << what;
    EXPECT_NE(what.find(cause), std::string::npos) << what;
    EXPECT_EQ(ReadAll(target_), old_bytes_);
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path()))
      EXPECT_EQ(entry.path(), target_) << "left behind: " << entry.path().filename();
  }

  vardex::test::ScratchDir dir_;
  fs::path target_;
  std::string old_bytes_;
  Workbook book_;
};

TEST_F(SaveFiles, InjectedErrorsKeepTheOldFile) {
  struct Case {
    const char* label;
    platform::SaveStep step;
    int error;
    const char* cause;  // the words the message must carry
  };
  const Case cases[] = {
      {"disk full while writing", platform::SaveStep::kWrite, ENOSPC, "磁盘空间不足"},
      {"quota exceeded", platform::SaveStep::kWrite, EDQUOT, "超出磁盘配额"},
      {"read-only folder", platform::SaveStep::kWrite, EACCES, "没有写入权限"},
      {"I/O error", platform::SaveStep::kWrite, EIO, "输入输出错误"},
      {"rename refused", platform::SaveStep::kReplace, EACCES, "没有写入权限"},
      {"rename across devices", platform::SaveStep::kReplace, EXDEV, "原文件未改动"},
      {"read-only file system", platform::SaveStep::kReplace, EROFS, "文件系统只读"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ScopedFailure failing(c.step, c.error);
    try {
      book_.SaveAs(target_);
      ADD_FAILURE() << "save succeeded although the file system failed";
    } catch (const HostError& e) {
      ExpectIntact(e, vardex::host::kErrCannotSave, c.cause);
    }
    EXPECT_FALSE(book_.Saved());
  }
  // Once the disk behaves again the same workbook saves normally.
  book_.SaveAs(target_);
  EXPECT_EQ(Workbook::Open(target_).SheetAt(0).Value({500, 20}), CellValue(3.25));
}

TEST_F(SaveFiles, TargetsThatCannotBeFiles) {
  fs::create_directory(dir_.path() / "folder.xlsx");
  std::ofstream(dir_.path() / "plain-file") << "x";
  const std::pair<fs::path, const char*> cases[] = {
      {dir_.path() / "folder.xlsx", "目标是一个文件夹"},
      {dir_.path() / "plain-file" / "项目.xlsx", "文件夹不存在"},
      {dir_.path() / "missing" / "项目.xlsx", "文件夹不存在"},
  };
  for (const auto& [target, cause] : cases) {
    SCOPED_TRACE(target);
    try {
      book_.SaveAs(target);
      ADD_FAILURE() << "saved to " << target;
    } catch (const HostError& e) {
      EXPECT_NE(std::string(e.what()).find(target.filename().string()), std::string::npos);
      EXPECT_NE(std::string(e.what()).find(cause), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(ReadAll(target_), old_bytes_);
  EXPECT_TRUE(fs::is_directory(dir_.path() / "folder.xlsx"));
}

// Whatever stands at a name a temporary file could have (the fixed name of earlier versions, or
// one of the unpredictable names) is neither written through nor removed: a link to another file,
// a second name of another file, a pipe, a folder.
TEST_F(SaveFiles, ThingsPlantedAtTemporaryNamesAreLeftAlone) {
  const fs::path victim = dir_.path() / "other.txt";
  std::ofstream(victim) << "someone else's data";
  const std::string stem = target_.filename().string();
  const fs::path link = dir_.path() / (stem + ".vardex-saving.tmp");
  const fs::path hard = dir_.path() / (stem + ".vardex-0123456789ab.tmp");
  const fs::path pipe = dir_.path() / (stem + ".vardex-aaaaaaaaaaaa.tmp");
  const fs::path folder = dir_.path() / (stem + ".vardex-bbbbbbbbbbbb.tmp");
  fs::create_symlink(victim, link);
  fs::create_hard_link(victim, hard);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_directory(folder);

  Workbook::Open(target_);  // a check removes leftovers, but not these
  book_.SaveAs(target_);
  EXPECT_EQ(A1(target_), CellValue("new"));
  EXPECT_FALSE(fs::is_symlink(target_));
  EXPECT_EQ(ReadAll(victim), "someone else's data");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(hard), "someone else's data");
  EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(SaveFiles, LeftoversOfKilledSavesGoOnTheNextOpen) {
  const fs::path leftover =
      dir_.path() / (target_.filename().string() + ".vardex-0a1b2c3d4e5f.tmp");
  std::ofstream(leftover) << "half a package";
  // A save in progress holds its file: the open of another run leaves it.
  {
    platform::TempFile alive(target_);
    Workbook::Open(target_);
    EXPECT_FALSE(fs::exists(leftover));
    EXPECT_TRUE(fs::exists(alive.Path()));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()), 1);
}

TEST_F(SaveFiles, ALinkedTargetStaysALink) {
  fs::create_directory(dir_.path() / "real");
  const fs::path real = dir_.path() / "real" / "项目.xlsx";
  fs::rename(target_, real);
  fs::create_symlink(real, target_);
  Workbook book = Workbook::OpenForUpdate(target_);
  book.SheetAt(0).SetValue({1, 1}, "linked");
  book.Save();
  EXPECT_TRUE(fs::is_symlink(target_));
  EXPECT_EQ(fs::read_symlink(target_), real);
  EXPECT_EQ(A1(real), CellValue("linked"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.path() / "real"), fs::directory_iterator()),
            1);
}

TEST_F(SaveFiles, AReadOnlyFileIsReplacedOnlyWhenAsked) {
  fs::permissions(target_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  try {
    book_.SaveAs(target_);
    ADD_FAILURE() << "replaced a read-only file";
  } catch (const HostError& e) {
    ExpectIntact(e, vardex::host::kErrReadOnlyFile, "只读");
  }
  book_.SaveAs(target_, vardex::host::SaveOptions{true});
  EXPECT_EQ(A1(target_), CellValue("new"));
  EXPECT_EQ(fs::status(target_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

// A file that is not the version the workbook was read from is not overwritten: the result goes
// beside it under a name that says what it is, and the error names that file.
TEST_F(SaveFiles, AFileChangedAfterReadingIsNotOverwritten) {
  const std::pair<const char*, void (*)(const fs::path&)> changes[] = {
      {"edited", [](const fs::path& p) { std::ofstream(p, std::ios::app) << "x"; }},
      {"replaced",
       [](const fs::path& p) {
         Workbook other;
         other.SheetAt(0).SetValue({1, 1}, "other");
         other.SaveAs(p.parent_path() / "other.xlsx");
         fs::rename(p.parent_path() / "other.xlsx", p);
       }},
      {"deleted", [](const fs::path& p) { fs::remove(p); }},
  };
  int kept = 0;
  for (const auto& [label, change] : changes) {
    SCOPED_TRACE(label);
    Workbook book = Workbook::OpenForUpdate(target_);
    book.SheetAt(0).SetValue({1, 1}, label);
    change(target_);
    const bool existed = fs::exists(target_);
    const std::string after_change = existed ? ReadAll(target_) : "";
    try {
      book.Save();
      ADD_FAILURE() << "overwrote a changed file";
    } catch (const HostError& e) {
      EXPECT_EQ(e.Number(), vardex::host::kErrChangedOnDisk);
      const fs::path beside =
          dir_.path() / (kept++ == 0 ? "放线记录-计算结果.xlsx"
                                     : "放线记录-计算结果-" + std::to_string(kept) + ".xlsx");
      EXPECT_NE(std::string(e.what()).find(beside.filename().string()), std::string::npos)
          << e.what();
      EXPECT_EQ(A1(beside), CellValue(label));
    }
    EXPECT_EQ(fs::exists(target_), existed);
    if (existed) {
      EXPECT_EQ(ReadAll(target_), after_change);
    } else {
      book_.SaveAs(target_);
    }
  }
}

// Two runs on one file take turns: the second waits for the first to let go and then works on
// the file the first one saved, not on the one it replaced.
TEST_F(SaveFiles, TheLockMakesASecondRunWait) {
  Workbook first = Workbook::OpenForUpdate(target_);
  EXPECT_FALSE(platform::FileLock::Acquire(target_, std::chrono::milliseconds(100)).Held());
  auto second = std::async(std::launch::async, [this] {
    return platform::FileLock::Acquire(target_, std::chrono::seconds(20));
  });
  first.SheetAt(0).SetValue({1, 1}, "first");
  first.Save();
  const platform::FileIdentity saved = *platform::IdentityOf(target_);
  first = Workbook();  // the run ends
  const platform::FileLock lock = second.get();
  ASSERT_TRUE(lock.Held());
  EXPECT_EQ(lock.Identity(), saved);
}

}  // namespace
