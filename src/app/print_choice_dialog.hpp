// Asks which sheets a print, preview or PDF takes: the sheet shown, the three record tables or
// the whole workbook. Only collects the choice; the print itself is a core call.
#pragma once

#include <QDialog>

#include "project/print_selection.hpp"

class QRadioButton;

namespace vardex {

class PrintChoiceDialog : public QDialog {
  Q_OBJECT

 public:
  PrintChoiceDialog(const QString& title, PrintChoice initial, QWidget* parent = nullptr);
  PrintChoice choice() const;

 private:
  QRadioButton* mActive;
  QRadioButton* mRecords;
  QRadioButton* mWhole;
};

}  // namespace vardex
