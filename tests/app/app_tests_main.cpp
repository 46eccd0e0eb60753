// Runs the Qt tests of the application's windows and dialogs in one QApplication.
#include <QApplication>

int runSettingsDialogTests(int argc, char* argv[]);
int runProjectFilesDialogTests(int argc, char* argv[]);
int runGuidePagesTests(int argc, char* argv[]);
int runTabSeparatedTests(int argc, char* argv[]);
int runWorkbookViewTests(int argc, char* argv[]);
int runMainWindowTests(int argc, char* argv[]);
int runFieldMenuTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int failed = runSettingsDialogTests(argc, argv);
  failed += runProjectFilesDialogTests(argc, argv);
  failed += runGuidePagesTests(argc, argv);
  failed += runTabSeparatedTests(argc, argv);
  failed += runWorkbookViewTests(argc, argv);
  failed += runMainWindowTests(argc, argv);
  failed += runFieldMenuTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
