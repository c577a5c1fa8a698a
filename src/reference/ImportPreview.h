#pragma once

#include "reference/FixedColumns.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::reference {

// What the Import window shows of a file: its first data lines split into
// columns by the chosen layout.
struct ImportPreview {
    static constexpr int kLines = 101;       // data lines shown
    static constexpr int kMaxColumns = 100;  // columns shown (and importable)

    bool loaded = false;      // there is something to show
    bool fileUsable = false;  // an existing text file with lines: placed columns stay
    QString note;             // why nothing, or not everything, is shown
    int columnCount = 0;      // "Field 1" ... "Field n"
    QList<QStringList> rows;  // each with columnCount texts
    FixedColumnTable fixedColumns;  // the fixed-length layout's columns
};

// The preview of fileName in the layout named (TextLayoutNames) after
// skipping linesToSkip lines. The number of columns is that of the first
// data line (delimited layouts) or of the column analysis (fixed length),
// at most kMaxColumns. Without an existing file or a known layout nothing
// is loaded and the note is empty.
ImportPreview BuildImportPreview(const QString& fileName, const QString& layoutName, int linesToSkip);

}  // namespace kv::reference
