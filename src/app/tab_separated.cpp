// Tab-separated clipboard text.
#include "app/tab_separated.hpp"

namespace vardex {
namespace {

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }

// Reads a quoted field starting at `text[start]` (the opening quote). Returns the index just
// past the field's end, or -1 when the quote is never closed.
qsizetype readQuoted(const QString& text, qsizetype start, QString& field) {
  QString value;
  qsizetype i = start + 1;
  while (i < text.size()) {
    if (text[i] == u'"') {
      if (i + 1 < text.size() && text[i + 1] == u'"') {
        value += u'"';
        i += 2;
        continue;
      }
      ++i;
      // Characters after the closing quote belong to the field, as the spreadsheet programs
      // read them.
      while (i < text.size() && text[i] != u'\t' && !isLineBreak(text[i])) value += text[i++];
      field = value;
      return i;
    }
    value += text[i++];
  }
  return -1;
}

}  // namespace

QList<QStringList> parseTabSeparated(const QString& text) {
  QList<QStringList> rows;
  QStringList row;
  qsizetype i = 0;
  const qsizetype size = text.size();
  while (i < size) {
    QString field;
    qsizetype end = -1;
    if (text[i] == u'"') end = readQuoted(text, i, field);
    if (end < 0) {
      end = i;
      while (end < size && text[end] != u'\t' && !isLineBreak(text[end])) ++end;
      field = text.mid(i, end - i);
    }
    row.append(field);
    i = end;
    if (i >= size) break;
    if (text[i] == u'\t') {
      ++i;
      if (i == size) row.append(QString());
      continue;
    }
    // A line break: CR LF counts once.
    if (text[i] == u'\r' && i + 1 < size && text[i + 1] == u'\n') ++i;
    ++i;
    rows.append(row);
    row.clear();
  }
  if (!row.isEmpty()) rows.append(row);
  return rows;
}

QString toTabSeparated(const QList<QStringList>& rows, const QString& lineEnd) {
  QString text;
  for (const QStringList& row : rows) {
    for (qsizetype c = 0; c < row.size(); ++c) {
      if (c > 0) text += u'\t';
      const QString& field = row[c];
      const bool quote = field.contains(u'\t') || field.contains(u'\n') || field.contains(u'\r') ||
                         field.startsWith(u'"');
      if (quote) {
        QString doubled = field;
        doubled.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        text += u'"' + doubled + u'"';
      } else {
        text += field;
      }
    }
    text += lineEnd;
  }
  return text;
}

}  // namespace vardex
