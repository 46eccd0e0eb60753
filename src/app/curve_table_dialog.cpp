// The curve table dialog: one read-only grid.
#include "app/curve_table_dialog.hpp"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "controls/design_units.hpp"

namespace vardex {

CurveTableDialog::CurveTableDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("曲线要素表"));
  setFont(songFont(9, false));
  auto* layout = new QVBoxLayout(this);
  mGrid = new QTableWidget(this);
  mGrid->setObjectName(QStringLiteral("curveGrid"));
  mGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  mGrid->verticalHeader()->hide();
  layout->addWidget(mGrid);
  resize(1100, 320);
}

void CurveTableDialog::setTable(const CurveTable& table) {
  mGrid->clear();
  mGrid->setColumnCount(static_cast<int>(table.Headings.size()));
  mGrid->setRowCount(static_cast<int>(table.Rows.size()));
  QStringList headings;
  for (const std::string& heading : table.Headings) headings << QString::fromUtf8(heading.c_str());
  mGrid->setHorizontalHeaderLabels(headings);
  for (int row = 0; row < mGrid->rowCount(); ++row) {
    const std::vector<std::string>& cells = table.Rows[static_cast<std::size_t>(row)];
    for (int column = 0; column < static_cast<int>(cells.size()); ++column) {
      auto* item =
          new QTableWidgetItem(QString::fromUtf8(cells[static_cast<std::size_t>(column)].c_str()));
      item->setTextAlignment(column == 0 ? Qt::AlignCenter : Qt::AlignRight | Qt::AlignVCenter);
      mGrid->setItem(row, column, item);
    }
  }
  mGrid->resizeColumnsToContents();
}

}  // namespace vardex
