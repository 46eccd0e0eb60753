// Helpers of the application's tests: named children, actions and buttons, a program folder with
// or without the template, and typing into the grid as a user does.
#pragma once

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <string>

#include "app/sheet_model.hpp"
#include "app/sheet_table.hpp"
#include "app/workbook_view.hpp"
#include "controls/picture_button.hpp"
#include "host/cell_ref.hpp"
#include "host/workbook.hpp"
#include "support/project_book.hpp"

namespace vardex::test {

/// The child of `parent` named `name`; the test program stops when there is none.
template <class Widget = QWidget>
Widget* child(const QObject& parent, const char* name) {
  auto* found = parent.findChild<Widget*>(QString::fromUtf8(name));
  if (found == nullptr) qFatal("no child %s", name);
  return found;
}

/// Runs the named action, clicks the named push button, or clicks the named picture button.
inline void trigger(const QObject& parent, const char* action) {
  child<QAction>(parent, action)->trigger();
}
inline void press(const QObject& parent, const char* button) {
  QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}
inline void click(const QObject& parent, const char* pictureButton) {
  emit child<PictureButton>(parent, pictureButton)->Click();
}
/// The named command: a menu action or a picture button of the tool bar.
inline void activate(const QObject& parent, const char* command) {
  if (parent.findChild<QAction*>(QString::fromUtf8(command)) != nullptr) {
    trigger(parent, command);
  } else {
    click(parent, command);
  }
}

/// A path of the test support library (the built template, a sample) as Qt takes it.
inline QString qPath(const std::filesystem::path& path) {
  return QString::fromStdU16String(path.u16string());
}

/// A program folder of its own, with a copy of the template when `withTemplate`.
struct ProgramFolder {
  explicit ProgramFolder(bool withTemplate) {
    if (withTemplate) putTemplate();
  }
  void putTemplate() const {
    QFile::copy(qPath(TemplateFile()), path(QStringLiteral("work.xltx")));
  }
  /// A copy of a sample project in this folder, so that a test may change and save it.
  QString copyExample(const char* name) const {
    const QString copy = path(QString::fromUtf8(name) + QStringLiteral(".xlsx"));
    QFile::copy(qPath(ExampleFile(name)), copy);
    return copy;
  }
  QString path(const QString& name = {}) const {
    return name.isEmpty() ? dir.path() : dir.filePath(name);
  }
  QTemporaryDir dir;
};

inline QString text(const host::Worksheet& sheet, const char* ref) {
  return QString::fromUtf8(sheet.Text(*host::ParseCellRef(ref)).c_str());
}

inline host::CellValue value(const host::Worksheet& sheet, const char* ref) {
  return sheet.Value(*host::ParseCellRef(ref));
}

/// Makes cell `ref` current and the only selected cell.
inline void goTo(WorkbookView& view, const char* ref) {
  const host::CellRef cell = *host::ParseCellRef(ref);
  const QModelIndex index = view.model()->index(cell.row - 1, cell.column - 1);
  view.table()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

/// Selects the block `range` ("B4:D5") with its top-left cell current.
inline void select(WorkbookView& view, const char* range) {
  const host::RangeRef block = *host::ParseRangeRef(range);
  SheetModel* model = view.model();
  const QModelIndex first = model->index(block.first.row - 1, block.first.column - 1);
  const QModelIndex last = model->index(block.last.row - 1, block.last.column - 1);
  view.table()->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
  view.table()->selectionModel()->select(QItemSelection(first, last),
                                         QItemSelectionModel::ClearAndSelect);
}

/// The open cell editor, or null.
inline QLineEdit* openEditor(WorkbookView& view) {
  for (QLineEdit* editor : view.table()->findChildren<QLineEdit*>()) {
    // Closed editors are hidden at once and deleted later.
    if (!editor->isHidden()) return editor;
  }
  return nullptr;
}

/// Types `typed` over the current cell as a user does (the first key opens the editor) and ends
/// the edit with `endKey`.
inline void typeOver(WorkbookView& view, const QString& typed, Qt::Key endKey = Qt::Key_Return) {
  QTest::keyClicks(view.table(), typed.left(1));
  QLineEdit* editor = openEditor(view);
  QVERIFY2(editor != nullptr, "typing did not open an editor");
  QTest::keyClicks(editor, typed.mid(1));
  QTest::keyClick(editor, endKey);
}

/// Goes to `ref` and types `typed` there, ending with Enter.
inline void typeAt(WorkbookView& view, const char* ref, const QString& typed) {
  goTo(view, ref);
  typeOver(view, typed);
}

}  // namespace vardex::test
