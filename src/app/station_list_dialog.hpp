// The dialog that fills the point list of "数据输入" from the alignment: the range of stations,
// the interval, the offsets, the curves' main points and any further stations. It only collects
// and checks what is typed; the window lists the points and writes them.
#pragma once

#include <QDialog>

#include "alignment/station_list.hpp"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace vardex {

class MessageBoxes;

class StationListDialog : public QDialog {
  Q_OBJECT

 public:
  /// Every message goes through `messages`, which must outlive the dialog.
  explicit StationListDialog(MessageBoxes& messages, QWidget* parent = nullptr);

  /// Shows the alignment's first and last station (metres) and offers them as the range where
  /// the range boxes are empty.
  void setAlignmentRange(double start, double end);

  /// What was typed, once the dialog has been accepted.
  const StationListRequest& request() const { return mRequest; }

 private:
  /// "填写": reads every box; a box that does not read is named in a message and the dialog
  /// stays open, else it closes accepted.
  void fill();

  MessageBoxes& mMessages;
  QLabel* mRange = nullptr;
  QLineEdit* mFrom = nullptr;
  QLineEdit* mTo = nullptr;
  QLineEdit* mEvery = nullptr;
  QLineEdit* mOffsets = nullptr;
  QLineEdit* mAt = nullptr;
  QCheckBox* mMainPoints = nullptr;
  StationListRequest mRequest;
};

}  // namespace vardex
