// Runs the Qt tests of the application's dialogs in one QApplication.
#include <QApplication>

int runFormSetTests(int argc, char* argv[]);
int runFormPjTests(int argc, char* argv[]);
int runGuidePagesTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int failed = runFormSetTests(argc, argv);
  failed += runFormPjTests(argc, argv);
  failed += runGuidePagesTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
