#pragma once

#include "reference/FixedColumns.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kv::reference {

// The three layouts of text export and import files.
enum class TextLayout { FixedLength, CommaDelimited, TabDelimited };

// "ASCII Fixed Length", "ASCII Coma Delimited", "ASCII Tab Delimited":
// the names the windows list, in this order.
QStringList TextLayoutNames();
QString TextLayoutName(TextLayout layout);
std::optional<TextLayout> TextLayoutFromName(const QString& name);

// Appends one value to a line being written.
//  fixed: the value as it is, padded with blanks to width (a longer value is
//         written whole);
//  comma: "," before all but the first value; blanks trimmed; in double
//         quotes when quoted, and also when the value holds a comma or a
//         double quote, with each double quote inside doubled, so that the
//         file reads back (here and in spreadsheets) as written;
//  tab:   a tab before all but the first value; blanks trimmed; no quotes.
// Line breaks inside a value (and tabs, in the tab layout) become blanks: a
// value must never split a line or a field.
void AppendValue(QString& line, TextLayout layout, const QString& value, int width, bool quoted, bool first);

// The fields of a delimited line. Comma layout: split at commas outside
// double quotes (each double quote switches in and out); each field is then
// trimmed and, when enclosed in double quotes, unquoted with "" read as one
// quote (a stray leading or trailing quote alone is dropped). Tab layout:
// split at every tab, nothing else. The fixed layout gives no fields here.
QStringList SplitDelimitedLine(const QString& line, TextLayout layout);

// The data records of a file's lines after the first linesToSkip lines. In
// the comma layout a field in double quotes may hold line breaks: a line
// that ends inside such a field goes on with the next line (joined by a
// line feed, which stays part of the field). A quote that opens a field is
// one that starts it (after blanks); a quote inside a field, or a doubled
// quote inside a quoted field, opens nothing. A quoted field still open at
// the end of the file is a stray quote: its lines stay records of their
// own. In the other layouts every line is a record. lineNumbers, when
// given, receives the 1-based number of each record's first line.
QStringList DataRecords(const QStringList& lines, int linesToSkip, TextLayout layout,
                        QList<int>* lineNumbers = nullptr);

// Field n (1-based) of the line in the layout; the fixed layout reads it
// through the column table. Empty when the line has no such field.
QString ReadLineField(const QString& line, TextLayout layout, int n, const FixedColumnTable& columns);

// The number of columns the preview shows for the first data line: the
// fields of a delimited line (a trailing empty field after a final separator
// not counted, an empty line counting one), or the columns of the table.
int LineColumnCount(const QString& line, TextLayout layout, const FixedColumnTable& columns);

}  // namespace kv::reference
