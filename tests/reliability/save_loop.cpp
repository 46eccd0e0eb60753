// Helper of the kill test: builds two large workbooks that differ in every cell and saves them
// alternately over TARGET until it is killed. Prints "ready" once both are built, so that the
// test times its kill from the start of the saving rather than from the process start.
//
//   vardex-save-loop TARGET
#include <cstdio>
#include <exception>
#include <filesystem>

#include "host/host_error.hpp"
#include "host/platform.hpp"
#include "host/workbook.hpp"
#include "save_content.hpp"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: vardex-save-loop TARGET\n", stderr);
    return 2;
  }
  // As the command-line tool does: an interrupt removes the unfinished temporary file.
  vardex::host::platform::InstallInterruptCleanup();
  try {
    vardex::host::Workbook a = vardex::reliability::BuildContent('A');
    vardex::host::Workbook b = vardex::reliability::BuildContent('B');
    std::puts("ready");
    std::fflush(stdout);
    // B first: the test starts with A on disk, so the very first save already changes the file.
    for (;;) {
      b.SaveAs(argv[1]);
      a.SaveAs(argv[1]);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vardex-save-loop: %s\n", e.what());
    return 1;
  }
}
