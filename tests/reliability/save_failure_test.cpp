// Saves that fail (disk full, read-only, refused rename, a target that cannot be a file) throw a
// message naming the file and the cause, and leave the old file exactly as it was, with no
// temporary file beside it. The failures are injected through the engine's file-system seam, so
// they happen on any machine and for any user, root included.
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

#include "host/host_error.hpp"
#include "host/save_file.hpp"
#include "host/workbook.hpp"
#include "support/expect_error.hpp"
#include "support/package.hpp"

namespace vardex::host {
namespace {

namespace fs = std::filesystem;
using detail::FileSystem;
using test::FileBytes;

// Fails one step of the save with an errno. A write failure first writes half of the bytes, as
// a disk that fills up part-way does, so that the engine has a partial temporary file to clean.
class FailingFiles final : public FileSystem {
 public:
  FailingFiles(int write_errno, int rename_errno)
      : write_errno_(write_errno), rename_errno_(rename_errno) {}

  void WriteDurably(const fs::path& path, std::string_view bytes) override {
    if (write_errno_ != 0) {
      std::ofstream(path, std::ios::binary)
          .write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
      throw std::system_error(write_errno_, std::generic_category());
    }
    real_.WriteDurably(path, bytes);
  }
  void Rename(const fs::path& from, const fs::path& to) override {
    if (rename_errno_ != 0) throw std::system_error(rename_errno_, std::generic_category());
    real_.Rename(from, to);
  }
  void Remove(const fs::path& path) noexcept override { real_.Remove(path); }

 private:
  FileSystem& real_ = detail::CurrentFileSystem();
  int write_errno_;
  int rename_errno_;
};

class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem* fs) { detail::SetFileSystemForTesting(fs); }
  ~ScopedFileSystem() { detail::SetFileSystemForTesting(nullptr); }
};

class SaveFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ = dir_ / "放线记录.xlsx";
    Workbook old_book;
    old_book.SheetAt(0).SetValue({1, 1}, "old");
    old_book.SaveAs(target_);
    old_bytes_ = FileBytes(target_);
    book_.SheetAt(0).SetValue({1, 1}, "new");
    book_.SheetAt(0).SetValue({500, 20}, 3.25);
  }
  // What every failed save must leave: the message names the file and says why, the old bytes,
  // nothing else in the folder, and a workbook that still knows it is not saved.
  void ExpectIntact(const HostError& e, std::string_view cause) {
    EXPECT_EQ(e.Number(), kErrCannotSave);
    const std::string what = e.what();
    EXPECT_NE(what.find(target_.filename().string()), std::string::npos) << what;
    EXPECT_NE(what.find(cause), std::string::npos) << what;
    EXPECT_EQ(FileBytes(target_), old_bytes_);
    for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path()))
      EXPECT_EQ(entry.path(), target_) << "left behind: " << entry.path().filename();
    EXPECT_FALSE(book_.Saved());
  }

  const test::ScratchDir dir_;
  fs::path target_;
  std::string old_bytes_;
  Workbook book_;
};

struct InjectedCase {
  const char* label;
  int write_errno;
  int rename_errno;
  const char* cause;  // the words the message must carry
};

TEST_F(SaveFailure, InjectedErrorsKeepTheOldFile) {
  const InjectedCase cases[] = {
      {"disk full while writing", ENOSPC, 0, "磁盘空间不足"},
      {"quota exceeded", EDQUOT, 0, "超出磁盘配额"},
      {"read-only folder", EACCES, 0, "没有写入权限"},
      {"read-only file system", EROFS, 0, "文件系统只读"},
      {"I/O error", EIO, 0, "原文件未改动"},
      {"rename refused", 0, EACCES, "没有写入权限"},
      {"rename across devices", 0, EXDEV, "原文件未改动"},
      {"disk full at rename", 0, ENOSPC, "磁盘空间不足"},
  };
  for (const InjectedCase& c : cases) {
    SCOPED_TRACE(c.label);
    FailingFiles failing(c.write_errno, c.rename_errno);
    ScopedFileSystem scoped(&failing);
    try {
      book_.SaveAs(target_);
      ADD_FAILURE() << "save succeeded although the file system failed";
    } catch (const HostError& e) {
      ExpectIntact(e, c.cause);
    }
  }
  // Once the disk behaves again the same workbook saves normally.
  book_.SaveAs(target_);
  EXPECT_EQ(Workbook::Open(target_).SheetAt(0).Value({500, 20}), CellValue(3.25));
}

TEST_F(SaveFailure, TargetsThatCannotBeFiles) {
  struct PathCase {
    const char* label;
    fs::path target;
    const char* cause;
  };
  fs::create_directory(dir_ / "folder.xlsx");
  std::ofstream(dir_ / "plain-file") << "x";
  const PathCase cases[] = {
      {"target is a folder", dir_ / "folder.xlsx", "目标是一个文件夹"},
      {"folder is a regular file", dir_ / "plain-file" / "项目.xlsx", "文件夹不存在"},
      {"folder does not exist", dir_ / "missing" / "项目.xlsx", "文件夹不存在"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_HOST_ERROR(book_.SaveAs(c.target), kErrCannotSave, c.target.filename().string(),
                      c.cause);
    EXPECT_EQ(FileBytes(target_), old_bytes_);
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "folder.xlsx"));
  EXPECT_FALSE(book_.Saved());
}

TEST_F(SaveFailure, FolderInTheTemporaryFilesPlace) {
  // Something that is not a file where the save writes first: the save fails cleanly rather
  // than writing into it or replacing the target with it.
  const fs::path temp = detail::SaveTempPath(target_);
  fs::create_directory(temp);
  std::ofstream(temp / "keep") << "user data";
  EXPECT_HOST_ERROR(book_.SaveAs(target_), kErrCannotSave, target_.filename().string());
  EXPECT_EQ(FileBytes(target_), old_bytes_);
  EXPECT_EQ(FileBytes(temp / "keep"), "user data");
}

}  // namespace
}  // namespace vardex::host
