// The small calculator of the alignment, both ways: a station and offset to coordinates, design
// elevation and tangent azimuth; a point's coordinates to its station and offset. Modeless, so
// that it can stay open beside the sheets.
#pragma once

#include <QDialog>
#include <functional>

#include "alignment/road_alignment.hpp"

class QLabel;
class QLineEdit;

namespace vardex {

class AlignmentCalculatorDialog : public QDialog {
  Q_OBJECT

 public:
  /// The project's alignment as it stands; throws AlignmentError naming what is wrong with it.
  /// Asked again for every calculation, since the sheet may have changed meanwhile.
  using AlignmentSource = std::function<RoadAlignment()>;

  explicit AlignmentCalculatorDialog(AlignmentSource source, QWidget* parent = nullptr);

 private:
  void toCoordinates();
  void toStation();
  /// Shows `text` under the boxes: what went wrong, or empty when all went well.
  void report(const QString& text);

  AlignmentSource mSource;
  QLineEdit* mStation = nullptr;
  QLineEdit* mOffset = nullptr;
  QLineEdit* mX = nullptr;
  QLineEdit* mY = nullptr;
  QLineEdit* mElevation = nullptr;
  QLineEdit* mAzimuth = nullptr;
  QLineEdit* mPointX = nullptr;
  QLineEdit* mPointY = nullptr;
  QLineEdit* mFootStation = nullptr;
  QLineEdit* mFootOffset = nullptr;
  QLabel* mStatus = nullptr;
};

}  // namespace vardex
