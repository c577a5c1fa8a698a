#pragma once

#include "reference/FieldSpecs.h"
#include "reference/FixedColumns.h"
#include "reference/TextLayouts.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace kv::data {
class Table;
class TProgramDataForm;
}  // namespace kv::data

namespace kv::reference {

class TransferProgress;

// One field value of an import line, ready for the table: trimmed, a date
// as the program's date text ("mm/dd/yyyy"), a whole number in decimal, a
// logical as "1" or "0", a text cut to the field's width.
struct ImportValue {
    QString field;
    QString text;
};

// The values of one line; empty values are left out (they never overwrite
// a value, nor are they set on a new row).
struct ImportLine {
    QList<ImportValue> values;
    QString keyValue;  // the key field's value
    // A line without values or without a key value is skipped.
    bool skipped() const { return values.isEmpty() || keyValue.isEmpty(); }
};

// A value of a line that does not fit its field: a date not in the chosen
// format, a whole number or a logical that is none.
class ImportValueError : public std::runtime_error {
public:
    explicit ImportValueError(const QString& problem);
    // The message for the line (1-based number in the file).
    QString message(int lineNumber) const;

private:
    QString m_problem;  // what is wrong with the value, naming it
};


// Reads the chosen fields (import specs with their columns) of one line.
// Date values are read in dateFormat (an unknown or empty format: as the
// program's own "mm/dd/yyyy"); widths come from the catalogue's layout of
// tableFile. Throws ImportValueError for a value that does not fit.
ImportLine ReadImportLine(const QList<ImportFieldSpec>& fields, const QString& line, const QString& tableFile,
                          const QString& dateFormat, TextLayout layout, const QString& keyField,
                          const FixedColumnTable& columns);

// "Update "<table file>" Set F1 = "v1", F2 = "v2" Where Upper(<key>) =
// Upper("<key value>")", or empty for a skipped line.
QString UpdateStatementFor(const ImportLine& line, const QString& tableFile, const QString& keyField);

// The update statement of one line of the file (ReadImportLine and
// UpdateStatementFor); empty when the line is to be skipped. The fixed
// layout reads its fields through columns.
QString BuildUpdateByKey(const QStringList& chosenFields, const QString& line, const QString& tableFile,
                         const QString& dateFormat, const QString& layout, const QString& keyField,
                         const FixedColumnTable& columns = {});

struct ImportResult {
    bool completed = false;  // every line was read and the changes kept
    int updatedLines = 0;    // lines that changed existing rows
    int appendedRows = 0;
    int skippedLines = 0;    // lines without values or key
};

// Reads the file into the table. Each data line (after linesToSkip) updates
// the rows whose key field equals its key value in any letter case (the
// update statement runs on dm.PersonQuery), or, when there is none, is
// appended as a new row and posted with the record rules. Shows "Please
// Wait: Importing Data" with a gauge over the lines.
//
// The whole import is one transaction: when a line cannot be imported (a
// value that does not fit, an engine error, a row the record rules refuse)
// the import stops there, nothing of it is kept, and a message names the
// line. A file that cannot be opened, is not text or holds no data lines is
// reported and nothing is done. The table is read again afterwards.
// columns: the fixed-length column table the preview found; without one the
// file is analysed here. progress: nullptr for the installed one.
ImportResult ImportFileIntoTable(data::TProgramDataForm& dm, const QString& fileName, const QString& dateFormat,
                                 const QString& layout, data::Table& table, const QStringList& chosenFields,
                                 int linesToSkip, const QString& keyField, const QString& tableFile,
                                 const FixedColumnTable* columns = nullptr, TransferProgress* progress = nullptr);

}  // namespace kv::reference
