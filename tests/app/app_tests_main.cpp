// Runs the Qt tests of the application's windows and dialogs in one QApplication.
#include <QApplication>

int runFormSetTests(int argc, char* argv[]);
int runFormPjTests(int argc, char* argv[]);
int runGuidePagesTests(int argc, char* argv[]);
int runTabSeparatedTests(int argc, char* argv[]);
int runWorkbookViewTests(int argc, char* argv[]);
int runFormMainTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int failed = runFormSetTests(argc, argv);
  failed += runFormPjTests(argc, argv);
  failed += runGuidePagesTests(argc, argv);
  failed += runTabSeparatedTests(argc, argv);
  failed += runWorkbookViewTests(argc, argv);
  failed += runFormMainTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
