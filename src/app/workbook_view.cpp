// Spreadsheet view of the project workbook.
#include "app/workbook_view.hpp"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStackedLayout>
#include <QTabBar>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <algorithm>

#include "app/cell_commands.hpp"
#include "app/message_boxes.hpp"
#include "app/sheet_model.hpp"
#include "app/sheet_table.hpp"
#include "app/tab_separated.hpp"
#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"

namespace vardex {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) {
  const QByteArray bytes = text.toUtf8();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Clipboard rows end as the platform's own spreadsheet programs end them.
QString clipboardLineEnd() {
#ifdef Q_OS_WIN
  return QStringLiteral("\r\n");
#else
  return QStringLiteral("\n");
#endif
}

QAction* addEditAction(QWidget* owner, QToolBar* bar, QAction* action,
                       const QList<QKeySequence>& keys) {
  action->setShortcuts(keys);
  // Only while the view has the focus, so that the keys keep their meaning in other windows
  // and in the cell editor, which handles them itself.
  action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  owner->addAction(action);
  bar->addAction(action);
  return action;
}

}  // namespace

WorkbookView::WorkbookView(MessageBoxes& messages, QWidget* parent)
    : QWidget(parent), mMessages(messages) {
  mUndo = new QUndoStack(this);
  mModel = new SheetModel(this);
  mTable = new SheetTable(this);
  mTable->setObjectName(QStringLiteral("sheetTable"));
  mTable->setSheetModel(mModel);
  mTabs = new QTabBar(this);
  mTabs->setObjectName(QStringLiteral("sheetTabs"));
  mTabs->setShape(QTabBar::RoundedSouth);
  mTabs->setExpanding(false);
  mTabs->setDocumentMode(true);
  mToolBar = new QToolBar(this);
  mToolBar->setObjectName(QStringLiteral("workbookToolBar"));
  mToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);

  mCellName = new QLineEdit(this);
  mCellName->setObjectName(QStringLiteral("cellName"));
  mCellName->setMinimumWidth(80);
  mCellName->setMaximumWidth(160);
  mCellName->setAlignment(Qt::AlignCenter);
  mCellName->setToolTip(tr("单元格地址：输入如 A65048 或 水准表!A1，按 Enter 前往（Ctrl+G）"));
  mCellName->installEventFilter(this);
  connect(mCellName, &QLineEdit::returnPressed, this, [this] { goToAddress(mCellName->text()); });
  mCellContent = new QLineEdit(this);
  mCellContent->setObjectName(QStringLiteral("cellContent"));
  mCellContent->setReadOnly(true);
  mCellContent->setFocusPolicy(Qt::NoFocus);

  auto* cellBar = new QHBoxLayout;
  cellBar->setContentsMargins(2, 0, 2, 0);
  cellBar->addWidget(mCellName);
  cellBar->addWidget(mCellContent, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  layout->addWidget(mToolBar);
  layout->addLayout(cellBar);
  mGridPicture = new QLabel(this);
  mGridPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  mGridArea = new QStackedLayout;
  mGridArea->addWidget(mTable);
  mGridArea->addWidget(mGridPicture);
  layout->addLayout(mGridArea, 1);
  layout->addWidget(mTabs);

  QAction* undo = mUndo->createUndoAction(this, tr("撤销"));
  undo->setObjectName(QStringLiteral("actionUndo"));
  addEditAction(this, mToolBar, undo, QKeySequence::keyBindings(QKeySequence::Undo));
  QAction* redo = mUndo->createRedoAction(this, tr("恢复"));
  redo->setObjectName(QStringLiteral("actionRedo"));
  QList<QKeySequence> redoKeys{QKeySequence(Qt::CTRL | Qt::Key_Y)};
  redoKeys += QKeySequence::keyBindings(QKeySequence::Redo);
  addEditAction(this, mToolBar, redo, redoKeys);
  mToolBar->addSeparator();
  QAction* copy = new QAction(tr("复制"), this);
  copy->setObjectName(QStringLiteral("actionCopy"));
  addEditAction(this, mToolBar, copy, QKeySequence::keyBindings(QKeySequence::Copy));
  connect(copy, &QAction::triggered, this, &WorkbookView::copySelection);
  QAction* pasteAction = new QAction(tr("粘贴"), this);
  pasteAction->setObjectName(QStringLiteral("actionPaste"));
  addEditAction(this, mToolBar, pasteAction, QKeySequence::keyBindings(QKeySequence::Paste));
  connect(pasteAction, &QAction::triggered, this, &WorkbookView::paste);
  QAction* clear = new QAction(tr("清除内容"), this);
  clear->setObjectName(QStringLiteral("actionClear"));
  mToolBar->addAction(clear);
  connect(clear, &QAction::triggered, this, &WorkbookView::clearSelection);

  // Keys of the common spreadsheet programs: the next and previous sheet, and "go to".
  auto* nextSheet = new QAction(this);
  nextSheet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown));
  nextSheet->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(nextSheet);
  connect(nextSheet, &QAction::triggered, this, [this] { showSheet(mShownSheet + 1); });
  auto* previousSheet = new QAction(this);
  previousSheet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp));
  previousSheet->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(previousSheet);
  connect(previousSheet, &QAction::triggered, this, [this] { showSheet(mShownSheet - 1); });
  auto* goTo = new QAction(this);
  goTo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_G), QKeySequence(Qt::Key_F5)});
  goTo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(goTo);
  connect(goTo, &QAction::triggered, this, [this] {
    mCellName->setFocus();
    mCellName->selectAll();
  });

  connect(mModel, &SheetModel::editRequested, this, &WorkbookView::editCell);
  connect(mTable, &SheetTable::clearRequested, this, &WorkbookView::clearSelection);
  connect(mTabs, &QTabBar::currentChanged, this, &WorkbookView::showSheet);
  connect(mTabs, &QTabBar::tabBarClicked, mTable, [this] { mTable->setFocus(); });
  connect(mTable->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &WorkbookView::showCurrentCell);
  connect(mModel, &QAbstractItemModel::dataChanged, this, &WorkbookView::showCurrentCell);
  setWorkbook(nullptr);
}

WorkbookView::~WorkbookView() = default;

void WorkbookView::setWorkbook(host::Workbook* book) {
  mBook = book;
  mUndo->clear();
  mShownSheet = -1;
  mModel->setSheet(nullptr);
  rebuildTabs();
  if (mBook != nullptr) {
    const host::Worksheet* active = &mBook->ActiveSheet();
    for (std::size_t i = 0; i < mBook->SheetCount(); ++i) {
      if (&mBook->SheetAt(i) == active) showSheet(static_cast<int>(i));
    }
  }
  showCurrentCell();
}

void WorkbookView::freeze() {
  mGridPicture->setPixmap(mTable->grab());
  mGridArea->setCurrentWidget(mGridPicture);
  mFrozen = true;
  mTabs->setEnabled(false);
  mToolBar->setEnabled(false);
  mCellName->setEnabled(false);
}

void WorkbookView::thaw(Thaw thaw) {
  mFrozen = false;
  mTabs->setEnabled(true);
  mToolBar->setEnabled(true);
  mCellName->setEnabled(true);
  if (thaw == Thaw::Reload) setWorkbook(mBook);
  mGridArea->setCurrentWidget(mTable);
  mGridPicture->clear();
  mTable->setFocus();
}

int WorkbookView::currentSheet() const { return mShownSheet; }

void WorkbookView::rebuildTabs() {
  const QSignalBlocker blocker(mTabs);
  while (mTabs->count() > 0) mTabs->removeTab(0);
  if (mBook == nullptr) return;
  for (std::size_t i = 0; i < mBook->SheetCount(); ++i) {
    mTabs->addTab(fromUtf8(mBook->SheetAt(i).Name()));
  }
}

void WorkbookView::showSheet(int index) {
  if (mBook == nullptr || mFrozen || index < 0 ||
      static_cast<std::size_t>(index) >= mBook->SheetCount()) {
    return;
  }
  host::Worksheet& sheet = mBook->SheetAt(static_cast<std::size_t>(index));
  sheet.Activate();
  if (index != mShownSheet) {
    mShownSheet = index;
    mModel->setSheet(&sheet);
    mTable->horizontalScrollBar()->setValue(0);
    mTable->verticalScrollBar()->setValue(0);
    // The cell the sheet was left at (or the file's selection) is current again.
    const host::CellRef start = sheet.Selection().first;
    mModel->ensureSize(start.row + SheetModel::kRowMargin,
                       start.column + SheetModel::kColumnMargin);
    const QModelIndex current = mModel->index(start.row - 1, start.column - 1);
    mTable->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    mTable->scrollTo(current);
  }
  const QSignalBlocker blocker(mTabs);
  mTabs->setCurrentIndex(index);
}

bool WorkbookView::goToAddress(const QString& address) {
  if (mBook == nullptr || mFrozen) return false;
  QString cells = address.trimmed();
  int sheet = mShownSheet;
  const qsizetype bang = cells.lastIndexOf(u'!');
  if (bang >= 0) {
    QString name = cells.left(bang).trimmed();
    if (name.size() >= 2 && name.startsWith(u'\'') && name.endsWith(u'\'')) {
      name = name.mid(1, name.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
    }
    const host::Worksheet* named = mBook->FindSheet(toUtf8(name));
    sheet = -1;
    for (std::size_t i = 0; i < mBook->SheetCount(); ++i) {
      if (&mBook->SheetAt(i) == named) sheet = static_cast<int>(i);
    }
    cells = cells.mid(bang + 1).trimmed();
  }
  const std::string ref = toUtf8(cells.toUpper());
  std::optional<host::RangeRef> block = host::ParseRangeRef(ref);
  if (!block) {
    if (const std::optional<host::CellRef> cell = host::ParseCellRef(ref)) block = {*cell, *cell};
  }
  if (sheet < 0 || !block) {
    mMessages.show(this, tr("错误"), tr("“%1”不是本工作簿中的单元格地址。").arg(address),
                   MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok);
    mCellName->setFocus();
    mCellName->selectAll();
    return false;
  }
  showSheet(sheet);
  mModel->ensureSize(block->last.row + SheetModel::kRowMargin,
                     block->last.column + SheetModel::kColumnMargin);
  const QModelIndex first = mModel->index(block->first.row - 1, block->first.column - 1);
  const QModelIndex last = mModel->index(block->last.row - 1, block->last.column - 1);
  mTable->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect);
  mTable->selectionModel()->select(QItemSelection(first, last),
                                   QItemSelectionModel::ClearAndSelect);
  mTable->scrollTo(first);
  mTable->setFocus();
  return true;
}

bool WorkbookView::eventFilter(QObject* watched, QEvent* event) {
  // Esc in the address box gives up the address and goes back to the grid.
  if (watched == mCellName && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    showCurrentCell();
    mTable->setFocus();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void WorkbookView::showCurrentCell() {
  const QModelIndex current = mTable->currentIndex();
  if (mModel->sheet() == nullptr || !current.isValid()) {
    mCellName->clear();
    mCellContent->clear();
    return;
  }
  const host::CellRef cell = SheetModel::cellOf(current);
  mCellName->setText(fromUtf8(host::FormatCellRef(cell)));
  mCellContent->setText(current.data(Qt::EditRole).toString());
  // The sheet keeps the cell the user is at, so that a saved file opens there again.
  host::Worksheet* sheet = mModel->sheet();
  if (sheet->Selection() != host::RangeRef{cell, cell}) sheet->Select({cell, cell});
}

host::RangeRef WorkbookView::selectedBlock() const {
  const QItemSelection selection = mTable->selectionModel()->selection();
  if (!selection.isEmpty()) {
    const QItemSelectionRange& range = selection.first();
    return {{range.top() + 1, range.left() + 1}, {range.bottom() + 1, range.right() + 1}};
  }
  const host::CellRef cell = SheetModel::cellOf(mTable->currentIndex());
  return {cell, cell};
}

void WorkbookView::editCell(host::CellRef cell, const QString& text) {
  host::Worksheet* sheet = mModel->sheet();
  if (sheet == nullptr) return;
  std::vector<CellChange> changes{{cell, sheet->Value(cell), toUtf8(text), {}}};
  applyChanges(std::move(changes), tr("输入"), {cell, cell});
  // The sheet keeps what was typed, as text; a formula would silently never give a value.
  if (text.size() > 1 && text.startsWith(u'=')) {
    mMessages.inform(this, tr("公式"),
                     tr("Vardex 不计算公式：“%1”已作为文本保存在 %2。")
                         .arg(text, fromUtf8(host::FormatCellRef(cell))));
  }
}

void WorkbookView::copySelection() {
  host::Worksheet* sheet = mModel->sheet();
  if (sheet == nullptr || !mTable->currentIndex().isValid()) return;
  const host::RangeRef block = selectedBlock();
  QList<QStringList> rows;
  for (int32_t r = block.first.row; r <= block.last.row; ++r) {
    QStringList fields;
    for (int32_t c = block.first.column; c <= block.last.column; ++c) {
      fields << fromUtf8(sheet->Text({r, c}));
    }
    rows << fields;
  }
  QGuiApplication::clipboard()->setText(toTabSeparated(rows, clipboardLineEnd()));
}

void WorkbookView::paste() {
  host::Worksheet* sheet = mModel->sheet();
  if (sheet == nullptr || !mTable->currentIndex().isValid()) return;
  const QList<QStringList> rows = parseTabSeparated(QGuiApplication::clipboard()->text());
  if (rows.isEmpty()) return;
  qsizetype width = 0;
  for (const QStringList& row : rows) width = std::max(width, row.size());
  const auto blockRows = static_cast<int64_t>(rows.size());
  const auto blockColumns = static_cast<int64_t>(width);

  const host::RangeRef selected = selectedBlock();
  int64_t repeatDown = 1;
  int64_t repeatAcross = 1;
  if (selected.RowCount() % blockRows == 0 && selected.ColumnCount() % blockColumns == 0) {
    repeatDown = selected.RowCount() / blockRows;
    repeatAcross = selected.ColumnCount() / blockColumns;
  }
  const host::CellRef anchor = selected.first;
  const auto lastRow = static_cast<int32_t>(
      std::min<int64_t>(anchor.row + blockRows * repeatDown - 1, host::kMaxRows));
  const auto lastColumn = static_cast<int32_t>(
      std::min<int64_t>(anchor.column + blockColumns * repeatAcross - 1, host::kMaxColumns));

  std::vector<CellChange> changes;
  for (int32_t r = anchor.row; r <= lastRow; ++r) {
    const QStringList& fields = rows[static_cast<qsizetype>((r - anchor.row) % blockRows)];
    for (int32_t c = anchor.column; c <= lastColumn; ++c) {
      const auto field = static_cast<qsizetype>((c - anchor.column) % blockColumns);
      // A short row leaves the cells beyond its last field as they are.
      if (field >= fields.size()) continue;
      const host::CellRef cell{r, c};
      changes.push_back({cell, sheet->Value(cell), toUtf8(fields[field]), {}});
    }
  }
  applyChanges(std::move(changes), tr("粘贴"), {anchor, {lastRow, lastColumn}});
}

void WorkbookView::clearSelection() {
  host::Worksheet* sheet = mModel->sheet();
  if (sheet == nullptr || !mTable->currentIndex().isValid()) return;
  std::vector<CellChange> changes;
  QItemSelection selection = mTable->selectionModel()->selection();
  if (selection.isEmpty()) selection.select(mTable->currentIndex(), mTable->currentIndex());
  for (const QItemSelectionRange& range : selection) {
    const host::RangeRef cells{{range.top() + 1, range.left() + 1},
                               {range.bottom() + 1, range.right() + 1}};
    host::ForEachCell(*sheet, cells, [&](const host::CellView& cell) {
      if (cell.kind != host::CellKind::kEmpty) {
        changes.push_back({cell.ref, sheet->Value(cell.ref), std::string(), {}});
      }
    });
  }
  if (changes.empty()) return;
  applyChanges(std::move(changes), tr("清除内容"), selectedBlock());
}

void WorkbookView::applyChanges(std::vector<CellChange> changes, const QString& description,
                                const host::RangeRef& select) {
  if (changes.empty() || mBook == nullptr) return;
  auto command = std::make_unique<SetCellsCommand>(
      *mBook, mShownSheet, std::move(changes),
      [this](int sheet, const host::RangeRef& cells) { cellsWritten(sheet, cells); }, description);
  QString error;
  if (!command->apply(error)) {
    mMessages.show(this, tr("错误"), error, MessageBoxes::Icon::Critical,
                   MessageBoxes::Buttons::Ok);
    return;
  }
  mUndo->push(command.release());
  if (select.first != select.last) {
    const QModelIndex topLeft = mModel->index(select.first.row - 1, select.first.column - 1);
    const QModelIndex bottomRight = mModel->index(select.last.row - 1, select.last.column - 1);
    mTable->selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
    mTable->selectionModel()->select(QItemSelection(topLeft, bottomRight),
                                     QItemSelectionModel::ClearAndSelect);
  }
}

void WorkbookView::cellsWritten(int sheet, const host::RangeRef& cells) {
  // An undo of a change on another sheet shows that sheet, as the spreadsheet programs do.
  if (sheet != mShownSheet) showSheet(sheet);
  mModel->cellsChanged(cells);
  emit contentChanged();
}

}  // namespace vardex
