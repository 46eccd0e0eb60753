// The main of the Qt test programs: one QApplication, then every registered test class.
#include <QApplication>

#include "support/qt_tests.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int failed = 0;
  for (const auto& run : vardex::test::QtTestClasses()) failed += run(argc, argv);
  return failed == 0 ? 0 : 1;
}
