// The PDF writer: texts stay text (pdftotext reads them back), fonts are embedded, and the file
// appears complete or not at all.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/atomic_file.hpp"
#include "host/host_error.hpp"
#include "print/pdf/pdf_canvas.hpp"
#include "print/print_job.hpp"
#include "support/project_book.hpp"

namespace vardex {
namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    pclose(pipe);
  }
  return out;
}

class PdfOutput : public ::testing::Test {
 protected:
  // A folder of each test's own: the tests of this suite may run at the same time.
  fs::path dir = fs::temp_directory_path() /
                 ("vardex-pdf-test-" +
                  std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                  "-" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }

  // The input sheet of a sample project, written to `target`; returns the page count.
  std::size_t Write(const fs::path& target) {
    const host::Workbook book = host::Workbook::Open(test::ExampleFile("road-k1"));
    host::AtomicFileWriter file(target);
    print::PdfCanvas canvas([&file](std::string_view bytes) { file.Write(bytes); }, "road-k1");
    print::PrintJob job(book, {"数据输入"}, canvas, {"road-k1.xlsx", "", "2024/5/17", "9:00"});
    job.Print(canvas);
    canvas.Finish();
    file.Commit();
    return job.PageCount();
  }
};

TEST_F(PdfOutput, TextCanBeSearchedAndFontsAreEmbedded) {
  const fs::path pdf = dir / "road.pdf";
  ASSERT_GE(Write(pdf), 1u);
  const std::string text = Output("pdftotext -layout '" + pdf.string() + "' -");
  for (const char* expected : {"测量控制数据输入", "K1+240", "3412593.102", "设计高程"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " not in:\n" << text;
  }
  std::istringstream fonts(Output("pdffonts '" + pdf.string() + "'"));
  std::string line;
  int embedded = 0;
  for (int n = 0; std::getline(fonts, line); ++n) {
    if (n < 2) continue;  // heading lines
    std::istringstream fields(line);
    std::vector<std::string> words{std::istream_iterator<std::string>(fields), {}};
    ASSERT_GE(words.size(), 5u) << line;
    EXPECT_EQ(words[words.size() - 5], "yes") << "not embedded: " << line;
    ++embedded;
  }
  EXPECT_GE(embedded, 1);
}

TEST_F(PdfOutput, AFailedWriteLeavesTheOldFile) {
  const fs::path pdf = dir / "old.pdf";
  std::ofstream(pdf) << "old";
  {
    host::AtomicFileWriter file(pdf);
    file.Write("half a document");
    // No commit: as when the print stops midway.
  }
  std::ifstream in(pdf);
  std::string content((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(content, "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  // A sink that fails stops the document with its error.
  print::PdfCanvas canvas(
      [](std::string_view) { throw host::HostError(host::kErrCannotSave, "磁盘空间不足"); }, "x");
  EXPECT_THROW(
      {
        canvas.BeginPage(100, 100);
        canvas.FillRect({0, 0, 10, 10}, 0xFF000000);
        canvas.EndPage();
        canvas.Finish();
      },
      host::HostError);
}

}  // namespace
}  // namespace vardex
