// The print choice dialog.
#include "app/print_choice_dialog.hpp"

#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vardex {

PrintChoiceDialog::PrintChoiceDialog(const QString& title, PrintChoice initial, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(title);
  setObjectName(QStringLiteral("printChoice"));
  auto* layout = new QVBoxLayout(this);
  mActive = new QRadioButton(tr("当前工作表"), this);
  mActive->setObjectName(QStringLiteral("choiceActive"));
  mRecords = new QRadioButton(tr("三张记录表（水准表、放线记录表、平面位置检测表）"), this);
  mRecords->setObjectName(QStringLiteral("choiceRecords"));
  mWhole = new QRadioButton(tr("整个工作簿"), this);
  mWhole->setObjectName(QStringLiteral("choiceWhole"));
  for (QRadioButton* button : {mActive, mRecords, mWhole}) layout->addWidget(button);
  switch (initial) {
    case PrintChoice::kActiveSheet:
      mActive->setChecked(true);
      break;
    case PrintChoice::kRecordTables:
      mRecords->setChecked(true);
      break;
    case PrintChoice::kWholeWorkbook:
      mWhole->setChecked(true);
      break;
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

PrintChoice PrintChoiceDialog::choice() const {
  if (mActive->isChecked()) return PrintChoice::kActiveSheet;
  if (mWhole->isChecked()) return PrintChoice::kWholeWorkbook;
  return PrintChoice::kRecordTables;
}

}  // namespace vardex
