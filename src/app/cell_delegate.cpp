// Cell painter and editor.
#include "app/cell_delegate.hpp"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTableView>

#include "app/sheet_model.hpp"

namespace vardex {
namespace {

const QColor kGridColor(218, 220, 224);
const QColor kSelectionTint(33, 115, 200, 48);
const QColor kCurrentFrame(16, 110, 60);

// Editor property: the edit was started by typing over the cell.
constexpr const char* kTypedEntry = "vardexTypedEntry";

// Fills the band of an edge line. `band` is the rectangle the full line width covers.
void drawEdge(QPainter& painter, const EdgeLine& edge, const QRect& band, bool horizontal) {
  if (edge.width == 0) return;
  if (edge.doubled) {
    if (horizontal) {
      painter.fillRect(QRect(band.left(), band.top(), band.width(), 1), edge.color);
      painter.fillRect(QRect(band.left(), band.bottom(), band.width(), 1), edge.color);
    } else {
      painter.fillRect(QRect(band.left(), band.top(), 1, band.height()), edge.color);
      painter.fillRect(QRect(band.right(), band.top(), 1, band.height()), edge.color);
    }
    return;
  }
  if (edge.style == Qt::SolidLine) {
    painter.fillRect(band, edge.color);
    return;
  }
  painter.save();
  painter.setPen(QPen(edge.color, 1, edge.style));
  if (horizontal) {
    painter.drawLine(band.left(), band.top(), band.right(), band.top());
  } else {
    painter.drawLine(band.left(), band.top(), band.left(), band.bottom());
  }
  painter.restore();
}

// A number that does not fit its cell shows "####" across it rather than misleading digits.
QString shownText(const CellLook& look, int width) {
  if (!look.number || look.wrap) return look.text;
  const QFontMetrics metrics(look.font);
  if (metrics.horizontalAdvance(look.text) <= width) return look.text;
  return QString(std::max(1, width / metrics.horizontalAdvance(u'#')), u'#');
}

// How far a text may run over empty neighbours, in columns.
constexpr int kOverflowColumns = 8;

// Draws into the empty cell `cell` the part of a neighbour's text that runs over it, as the
// spreadsheet programs let a text that is too wide run over empty cells: a left-aligned text
// to the right, a right-aligned one to the left. Merged cells and wrapped texts stay inside.
// Returns whether a text runs over the cell.
bool drawOverflow(QPainter& painter, const QTableView& view, const SheetModel& model,
                  const QModelIndex& index, const QRect& cell) {
  for (int direction : {-1, 1}) {
    for (int step = 1; step <= kOverflowColumns; ++step) {
      const int column = index.column() + direction * step;
      if (column < 0 || column >= model.columnCount()) break;
      const QModelIndex origin = model.index(index.row(), column);
      if (view.rowSpan(origin.row(), column) > 1 || view.columnSpan(origin.row(), column) > 1) {
        break;
      }
      const CellLook look = model.look(origin, 1, 1);
      if (look.text.isEmpty()) continue;
      if (look.number) break;  // numbers show "####" instead
      const Qt::Alignment runs = direction < 0 ? Qt::AlignLeft : Qt::AlignRight;
      if (look.wrap || !(look.alignment & runs)) break;
      const QRect home = view.visualRect(origin).adjusted(3, 1, -3, -2);
      const int width = QFontMetrics(look.font).horizontalAdvance(look.text);
      if (width <= home.width()) break;
      QRect text = home;
      if (direction < 0) {
        text.setWidth(width);
      } else {
        text.setLeft(home.right() - width + 1);
      }
      text.moveTop(cell.top() + 1);
      painter.setFont(look.font);
      painter.setPen(look.textColor);
      painter.drawText(text, static_cast<int>(look.alignment) | Qt::TextDontClip, look.text);
      return true;
    }
  }
  return false;
}

}  // namespace

void CellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
  const auto* model = qobject_cast<const SheetModel*>(index.model());
  const auto* view = qobject_cast<const QTableView*>(option.widget);
  if (model == nullptr) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const int rowSpan = view != nullptr ? std::max(view->rowSpan(index.row(), index.column()), 1) : 1;
  const int columnSpan =
      view != nullptr ? std::max(view->columnSpan(index.row(), index.column()), 1) : 1;
  const CellLook look = model->look(index, rowSpan, columnSpan);
  const QRect cell = option.rect;

  painter->save();
  painter->setClipRect(cell);
  painter->fillRect(cell, look.fill.isValid() ? look.fill : QColor(Qt::white));
  // A text running over an empty cell hides the grid line it crosses.
  const bool overflow = look.text.isEmpty() && view != nullptr && rowSpan == 1 && columnSpan == 1 &&
                        drawOverflow(*painter, *view, *model, index, cell);
  if (!look.fill.isValid()) {
    if (!overflow) {
      painter->fillRect(QRect(cell.right(), cell.top(), 1, cell.height()), kGridColor);
    }
    painter->fillRect(QRect(cell.left(), cell.bottom(), cell.width(), 1), kGridColor);
  }
  if (option.state & QStyle::State_Selected) painter->fillRect(cell, kSelectionTint);

  if (!look.text.isEmpty()) {
    painter->setFont(look.font);
    painter->setPen(look.textColor);
    // Only the cell clips the text: a text running over its neighbours is drawn whole across
    // the cell's padding, where the neighbours' parts of it meet.
    int flags = static_cast<int>(look.alignment);
    flags |= look.wrap ? Qt::TextWordWrap : Qt::TextDontClip;
    const QRect area = cell.adjusted(3, 1, -3, -2);
    painter->drawText(area, flags, shownText(look, area.width()));
  }

  drawEdge(*painter, look.right,
           QRect(cell.right() - look.right.width + 1, cell.top(), look.right.width, cell.height()),
           false);
  drawEdge(
      *painter, look.bottom,
      QRect(cell.left(), cell.bottom() - look.bottom.width + 1, cell.width(), look.bottom.width),
      true);
  if (index.column() == 0) {
    drawEdge(*painter, look.left, QRect(cell.left(), cell.top(), look.left.width, cell.height()),
             false);
  }
  if (index.row() == 0) {
    drawEdge(*painter, look.top, QRect(cell.left(), cell.top(), cell.width(), look.top.width),
             true);
  }

  if (view != nullptr && view->currentIndex() == index) {
    painter->setPen(QPen(kCurrentFrame, 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(cell.adjusted(1, 1, -1, -1));
  }
  painter->restore();
}

QWidget* CellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                    const QModelIndex& index) const {
  auto* editor = new QLineEdit(parent);
  editor->setFrame(false);
  editor->setFont(index.data(Qt::FontRole).value<QFont>());
  return editor;
}

void CellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (line == nullptr) return;
  // An entry started by typing ends with an arrow key and moves on; an edit of the content
  // (F2, double click) keeps the arrows for the caret.
  line->setProperty(kTypedEntry, mReplaceOnNextEdit);
  if (mReplaceOnNextEdit) {
    mReplaceOnNextEdit = false;
    line->clear();
    return;
  }
  line->setText(index.data(Qt::EditRole).toString());
}

void CellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
  // An edit that changed nothing writes nothing: no undo step, no number rounded to the digits
  // the editor showed.
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (line != nullptr && !line->property(kTypedEntry).toBool() && !line->isModified()) return;
  QStyledItemDelegate::setModelData(editor, model, index);
}

bool CellDelegate::eventFilter(QObject* object, QEvent* event) {
  auto* editor = qobject_cast<QWidget*>(object);
  if (editor != nullptr && event->type() == QEvent::KeyPress) {
    // The keys that end an edit and move on end it here and at once: Qt's own handling commits
    // Enter later from the event loop and lets the key reach the view as well, which would then
    // move a second time.
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    int rows = 0;
    int columns = 0;
    switch (key->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        rows = shift ? -1 : 1;
        break;
      case Qt::Key_Tab:
        columns = 1;
        break;
      case Qt::Key_Backtab:
        columns = -1;
        break;
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_Left:
      case Qt::Key_Right:
        if (!editor->property(kTypedEntry).toBool()) {
          return QStyledItemDelegate::eventFilter(object, event);
        }
        rows = key->key() == Qt::Key_Up ? -1 : key->key() == Qt::Key_Down ? 1 : 0;
        columns = key->key() == Qt::Key_Left ? -1 : key->key() == Qt::Key_Right ? 1 : 0;
        break;
      default:
        return QStyledItemDelegate::eventFilter(object, event);
    }
    emit commitData(editor);
    emit closeEditor(editor, NoHint);
    emit editEndedWithMove(rows, columns);
    return true;
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

void CellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex&) const {
  editor->setGeometry(option.rect.adjusted(1, 1, -1, -1));
}

}  // namespace vardex
