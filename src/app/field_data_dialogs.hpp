// The two dialogs of field data: which files to import (a levelling line or surveyed stake-out
// coordinates) and where and how to export the points to set out. They only collect the choices;
// the main window hands them to the core.
#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vardex {

/// 导入观测数据: the kind of data, its files in order and, for levelling, how the misclosure is
/// shared out.
class FieldImportDialog : public QDialog {
  Q_OBJECT

 public:
  enum class Kind { Levelling, Stakeout };
  enum class Distribution { None, BySetups, ByDistance };
  /// Asks for files to add; returns the chosen paths, none when the user cancels.
  using FileChooser = std::function<QStringList(Kind kind)>;

  explicit FieldImportDialog(QWidget* parent = nullptr);

  Kind kind() const;
  /// The files in the order of the list (the order of the line for levelling).
  QStringList files() const;
  Distribution distribution() const;
  void setFileChooser(FileChooser chooser) { mChooser = std::move(chooser); }

 private:
  void addFiles();
  void updateControls();

  QButtonGroup* mKinds = nullptr;
  QListWidget* mFiles = nullptr;
  QComboBox* mDistribution = nullptr;
  QPushButton* mOk = nullptr;
  FileChooser mChooser;
};

/// 导出放样点: the file to write, its format and, for CSV and DAT, its text encoding.
class StakeoutExportDialog : public QDialog {
  Q_OBJECT

 public:
  /// Asks for the file to write, starting at `suggested`; empty when the user cancels.
  using PathChooser = std::function<QString(const QString& suggested)>;

  explicit StakeoutExportDialog(const QString& suggestedFolder, QWidget* parent = nullptr);

  QString path() const;
  /// "csv", "dat", "gsi16", "dxf" or "landxml".
  QString format() const;
  /// True for GBK, false for UTF-8.
  bool gbk() const;
  void setPathChooser(PathChooser chooser) { mChooser = std::move(chooser); }

 private:
  void browse();
  void updateControls();

  QComboBox* mFormat = nullptr;
  QComboBox* mEncoding = nullptr;
  QLineEdit* mPath = nullptr;
  QPushButton* mOk = nullptr;
  QString mFolder;
  PathChooser mChooser;
};

}  // namespace vardex
