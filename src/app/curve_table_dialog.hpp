// Shows the alignment's curve table (直线、曲线及转角表) so that it can be compared with the
// design's: turns, curve elements and main point stations of every intersection point.
#pragma once

#include <QDialog>

#include "alignment/curve_table.hpp"

class QTableWidget;

namespace vardex {

class CurveTableDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CurveTableDialog(QWidget* parent = nullptr);

  /// Shows `table`, replacing what was shown.
  void setTable(const CurveTable& table);
  QTableWidget* grid() const { return mGrid; }

 private:
  QTableWidget* mGrid = nullptr;
};

}  // namespace vardex
