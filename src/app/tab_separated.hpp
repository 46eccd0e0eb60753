// Blocks of cells as tab-separated text, the form in which the common spreadsheet programs put
// copied cells on the clipboard and read pasted ones.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vardex {

/// Splits clipboard text into rows of fields. Rows end at CR LF, LF or CR; fields at a tab. A
/// field that starts with a double quote runs to the matching closing quote and may hold tabs
/// and line breaks, "" standing for one quote; a quote without its closing partner is taken
/// literally. One line break at the very end ends the last row and adds no empty row. An empty
/// text gives no rows.
QList<QStringList> parseTabSeparated(const QString& text);

/// The reverse: fields joined by tabs, each row ended by `lineEnd`. A field holding a tab or a
/// line break, or starting with a quote, is written quoted with its quotes doubled, so that
/// parseTabSeparated and the spreadsheet programs read it back whole.
QString toTabSeparated(const QList<QStringList>& rows, const QString& lineEnd);

}  // namespace vardex
