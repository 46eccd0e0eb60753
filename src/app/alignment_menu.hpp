// The main window's menu "线路(&L)" and its commands on the project's alignment: fill the point
// list of "数据输入" from it, the calculator, and the import of a LandXML alignment into the
// sheet "线路数据". Each command gathers what it needs, calls the core and shows the outcome.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QMenu;

namespace vardex {

class AlignmentCalculatorDialog;
class CurveTableDialog;
class MainWindow;
class MessageBoxes;
class StationListDialog;

class AlignmentMenu : public QObject {
  Q_OBJECT

 public:
  /// Asks for the LandXML file to import; the empty text when the user cancels.
  using FileChooser = std::function<QString()>;
  /// Asks which of a file's alignments to import; the empty text when the user cancels.
  using NameChooser = std::function<QString(const QStringList& names)>;

  /// The menu acts on `window`'s project; every message goes through `messages`.
  AlignmentMenu(MainWindow& window, MessageBoxes& messages);

  QMenu* menu() const { return mMenu; }

  /// Lays out the project's alignment, asks for the stations in the fill dialog, and replaces
  /// the point list of "数据输入" with them. Bad alignment data or a request it cannot meet is
  /// reported and nothing is written.
  void fillStations();
  /// Shows the calculator (one instance, modeless) on the project's alignment.
  void showCalculator();
  /// Shows the curve table of the project's alignment (one window, modeless, refreshed).
  void showCurveTable();
  /// Reads an alignment from a LandXML file into "线路数据" after checking it whole. A file
  /// that cannot be used is reported and the sheet stays as it was.
  void importLandXml();

  void setFileChooser(FileChooser chooser) { mFileChooser = std::move(chooser); }
  void setNameChooser(NameChooser chooser) { mNameChooser = std::move(chooser); }
  StationListDialog* stationListDialog() const { return mStationList; }
  AlignmentCalculatorDialog* calculator() const { return mCalculator; }
  CurveTableDialog* curveTable() const { return mCurveTable; }

 private:
  bool haveProject();
  void showError(const char* what);
  /// Shows the sheet `name` of the project after the core changed the workbook.
  void showChangedSheet(const char* name);

  MainWindow& mWindow;
  MessageBoxes& mMessages;
  QMenu* mMenu = nullptr;
  StationListDialog* mStationList = nullptr;
  AlignmentCalculatorDialog* mCalculator = nullptr;
  CurveTableDialog* mCurveTable = nullptr;
  FileChooser mFileChooser;
  NameChooser mNameChooser;
};

}  // namespace vardex
