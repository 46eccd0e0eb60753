// Worksheet table model.
#include "app/sheet_model.hpp"

#include <algorithm>
#include <cmath>
#include <variant>

#include "controls/design_units.hpp"
#include "host/cell_borders.hpp"
#include "host/workbook.hpp"
#include "numeric/number_text.hpp"

namespace vardex {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor colorOf(const host::Color& color, const QColor& automatic) {
  return color.set ? QColor::fromRgba(color.argb) : automatic;
}

// The Song faces are named in Chinese in Chinese templates and in English elsewhere; both fall
// back to the CJK faces that the picture of a form was checked with.
QFont fontOf(const host::FontStyle& style) {
  const QString name = QString::fromUtf8(style.name.c_str());
  QFont font;
  if (name == QString::fromUtf8("宋体") ||
      name.compare(QStringLiteral("SimSun"), Qt::CaseInsensitive) == 0) {
    font = songFont(9, style.bold);
  } else {
    font.setFamilies({name, QStringLiteral("Noto Sans CJK SC")});
  }
  font.setPointSizeF(style.size > 0 ? style.size : 11);
  font.setBold(style.bold);
  font.setItalic(style.italic);
  font.setUnderline(style.underline);
  font.setStrikeOut(style.strike);
  return font;
}

EdgeLine edgeOf(const host::BorderSide& side) {
  EdgeLine edge;
  edge.color = colorOf(side.color, Qt::black);
  switch (side.line) {
    case host::BorderLine::kNone:
      return edge;
    case host::BorderLine::kHair:
      edge.width = 1;
      edge.style = Qt::DotLine;
      break;
    case host::BorderLine::kDotted:
      edge.width = 1;
      edge.style = Qt::DotLine;
      break;
    case host::BorderLine::kDashed:
      edge.width = 1;
      edge.style = Qt::DashLine;
      break;
    case host::BorderLine::kThin:
    case host::BorderLine::kOther:
      edge.width = 1;
      break;
    case host::BorderLine::kMedium:
      edge.width = 2;
      break;
    case host::BorderLine::kDouble:
      edge.width = 3;
      edge.doubled = true;
      break;
    case host::BorderLine::kThick:
      edge.width = 3;
      break;
  }
  return edge;
}

Qt::Alignment horizontalFlag(host::HorizontalAlignment alignment, host::CellKind kind) {
  switch (alignment) {
    case host::HorizontalAlignment::kLeft:
    case host::HorizontalAlignment::kFill:
    case host::HorizontalAlignment::kJustify:
      return Qt::AlignLeft;
    case host::HorizontalAlignment::kCenter:
    case host::HorizontalAlignment::kCenterContinuous:
    case host::HorizontalAlignment::kDistributed:
      return Qt::AlignHCenter;
    case host::HorizontalAlignment::kRight:
      return Qt::AlignRight;
    case host::HorizontalAlignment::kGeneral:
      break;
  }
  // General alignment: numbers to the right, truth values and errors centred, text to the left.
  switch (kind) {
    case host::CellKind::kNumber:
      return Qt::AlignRight;
    case host::CellKind::kBool:
    case host::CellKind::kError:
      return Qt::AlignHCenter;
    default:
      return Qt::AlignLeft;
  }
}

host::CellKind kindOf(const host::CellValue& value) {
  switch (value.index()) {
    case 1:
      return host::CellKind::kNumber;
    case 2:
      return host::CellKind::kText;
    case 3:
      return host::CellKind::kBool;
    case 4:
      return host::CellKind::kError;
    default:
      return host::CellKind::kEmpty;
  }
}

// The value as the user would type it: numbers with at most 15 significant digits, as the
// spreadsheet programs show them in the cell bar (4010.000000000005 is 4010 there).
QString typedText(const host::CellValue& value) {
  if (const double* number = std::get_if<double>(&value))
    return fromUtf8(GeneralNumberText(*number));
  if (const auto* text = std::get_if<std::string>(&value)) return fromUtf8(*text);
  if (const bool* truth = std::get_if<bool>(&value)) {
    return *truth ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
  }
  if (const auto* error = std::get_if<host::ErrorValue>(&value)) return fromUtf8(error->code);
  return {};
}

}  // namespace

int columnWidthPixels(double width) {
  return width <= 0 ? 0 : static_cast<int>(std::lround(width * 7 + 5));
}

int rowHeightPixels(double height) {
  return height <= 0 ? 0 : static_cast<int>(std::lround(height * 96 / 72));
}

SheetModel::SheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void SheetModel::setSheet(host::Worksheet* sheet) {
  beginResetModel();
  mSheet = sheet;
  resetExtent();
  endResetModel();
}

void SheetModel::reload() { setSheet(mSheet); }

void SheetModel::resetExtent() {
  mStyleLooks.clear();
  mRows = 0;
  mColumns = 0;
  if (mSheet == nullptr) return;
  int usedRows = 0;
  int usedColumns = 0;
  if (const auto used = mSheet->UsedRange()) {
    usedRows = used->last.row;
    usedColumns = used->last.column;
  }
  for (const host::ColumnInfo& info : host::Layout(*mSheet).columns) {
    usedColumns = std::max(usedColumns, std::min(info.last, host::kMaxColumns));
  }
  mRows = std::min(std::max(usedRows + kRowMargin, kMinimumRows), host::kMaxRows);
  mColumns = std::min(std::max(usedColumns + kColumnMargin, kMinimumColumns), host::kMaxColumns);
}

void SheetModel::ensureSize(int rows, int columns) {
  if (mSheet == nullptr) return;
  rows = std::min(rows, host::kMaxRows);
  columns = std::min(columns, host::kMaxColumns);
  if (rows > mRows) {
    beginInsertRows({}, mRows, rows - 1);
    mRows = rows;
    endInsertRows();
  }
  if (columns > mColumns) {
    beginInsertColumns({}, mColumns, columns - 1);
    mColumns = columns;
    endInsertColumns();
  }
}

void SheetModel::cellsChanged(const host::RangeRef& range) {
  // Styles may have been added by the change (a number format for a typed date, say).
  if (mSheet != nullptr && mStyleLooks.size() != host::StyleCount(mSheet->Book())) {
    mStyleLooks.clear();
  }
  ensureSize(range.last.row + kRowMargin, range.last.column + kColumnMargin);
  // One row and column beyond: border lines where the changed cells meet their neighbours.
  const int lastRow = std::min(range.last.row, mRows - 1);
  const int lastColumn = std::min(range.last.column, mColumns - 1);
  const int firstRow = std::max(range.first.row - 2, 0);
  const int firstColumn = std::max(range.first.column - 2, 0);
  if (firstRow > lastRow || firstColumn > lastColumn) return;
  emit dataChanged(index(firstRow, firstColumn), index(lastRow, lastColumn));
}

uint32_t SheetModel::styleOf(host::CellRef cell) const { return host::ShownStyle(*mSheet, cell); }

const SheetModel::StyleLook& SheetModel::styleLook(uint32_t style) const {
  const std::size_t count = std::max<std::size_t>(host::StyleCount(mSheet->Book()), 1);
  if (mStyleLooks.size() < count) mStyleLooks.resize(count);
  if (style >= count) style = 0;
  std::optional<StyleLook>& cached = mStyleLooks[style];
  if (!cached) {
    const host::CellStyle& resolved = host::ResolvedStyle(mSheet->Book(), style);
    StyleLook look;
    look.font = fontOf(resolved.font);
    look.textColor = colorOf(resolved.font.color, Qt::black);
    look.fill = colorOf(resolved.fill, QColor());
    look.horizontal = resolved.horizontal;
    switch (resolved.vertical) {
      case host::VerticalAlignment::kTop:
        look.vertical = Qt::AlignTop;
        break;
      case host::VerticalAlignment::kCenter:
      case host::VerticalAlignment::kJustify:
      case host::VerticalAlignment::kDistributed:
        look.vertical = Qt::AlignVCenter;
        break;
      case host::VerticalAlignment::kBottom:
        look.vertical = Qt::AlignBottom;
        break;
    }
    look.wrap = resolved.wrap;
    look.left = resolved.left;
    look.right = resolved.right;
    look.top = resolved.top;
    look.bottom = resolved.bottom;
    cached = std::move(look);
  }
  return *cached;
}

CellLook SheetModel::look(const QModelIndex& index, int rowSpan, int columnSpan) const {
  CellLook result;
  if (mSheet == nullptr || !index.isValid()) return result;
  const host::CellRef cell = cellOf(index);
  const StyleLook& own = styleLook(styleOf(cell));
  const host::CellValue value = mSheet->Value(cell);
  result.text = fromUtf8(mSheet->Text(cell));
  result.font = own.font;
  result.textColor = own.textColor;
  result.fill = own.fill;
  result.alignment = horizontalFlag(own.horizontal, kindOf(value)) | own.vertical;
  result.number = kindOf(value) == host::CellKind::kNumber;
  result.wrap = own.wrap;
  result.left = edgeOf(own.left);
  result.top = edgeOf(own.top);

  const host::CellRef lastCell{cell.row + rowSpan - 1, cell.column + columnSpan - 1};
  const host::BorderSide& ownRight =
      columnSpan == 1 ? own.right : styleLook(styleOf({cell.row, lastCell.column})).right;
  const host::BorderSide& ownBottom =
      rowSpan == 1 ? own.bottom : styleLook(styleOf({lastCell.row, cell.column})).bottom;
  result.right = edgeOf(
      lastCell.column < host::kMaxColumns
          ? host::StrongerBorder(ownRight, styleLook(styleOf({cell.row, lastCell.column + 1})).left)
          : ownRight);
  result.bottom = edgeOf(
      lastCell.row < host::kMaxRows
          ? host::StrongerBorder(ownBottom, styleLook(styleOf({lastCell.row + 1, cell.column})).top)
          : ownBottom);
  return result;
}

int SheetModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : mRows; }

int SheetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : mColumns;
}

QVariant SheetModel::data(const QModelIndex& index, int role) const {
  if (mSheet == nullptr || !index.isValid()) return {};
  const host::CellRef cell = cellOf(index);
  switch (role) {
    case Qt::DisplayRole:
      return fromUtf8(mSheet->Text(cell));
    case Qt::EditRole:
      return typedText(mSheet->Value(cell));
    case Qt::FontRole:
      return styleLook(styleOf(cell)).font;
    case Qt::ForegroundRole:
      return styleLook(styleOf(cell)).textColor;
    case Qt::BackgroundRole: {
      const QColor fill = styleLook(styleOf(cell)).fill;
      return fill.isValid() ? QVariant(fill) : QVariant();
    }
    case Qt::TextAlignmentRole: {
      const StyleLook& style = styleLook(styleOf(cell));
      return QVariant::fromValue(horizontalFlag(style.horizontal, kindOf(mSheet->Value(cell))) |
                                 style.vertical);
    }
    default:
      return {};
  }
}

bool SheetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (mSheet == nullptr || !index.isValid() || role != Qt::EditRole) return false;
  emit editRequested(cellOf(index), value.toString());
  return true;
}

QVariant SheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Horizontal) return fromUtf8(host::ColumnName(section + 1));
  return section + 1;
}

Qt::ItemFlags SheetModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

}  // namespace vardex
