#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace kv::reference {

// The columns of a fixed-length file: up to 100, each a start and an end
// character position (1-based, inclusive), found by AnalyseFixedColumns.
struct FixedColumn {
    int start = 0;
    int end = 0;
};

struct FixedColumnTable {
    static constexpr int kMaxColumns = 100;

    std::array<FixedColumn, kMaxColumns> columns{};
    int count = 0;             // columns found (at most kMaxColumns - 1)
    bool moreColumns = false;  // the file has columns beyond those the table holds

    // Column n (1-based); an empty column outside 1..kMaxColumns.
    FixedColumn column(int n) const;
    // The text of column n of the line: the characters from its start to its
    // end (fewer when the line is shorter), empty for a column not found.
    QString field(const QString& line, int n) const;
};

// Finds the columns of a fixed-length file from its lines (the whole file;
// the first linesToSkip lines are not looked at). A column starts at the
// first position that is not a blank in every line from where the previous
// column ended, and ends at the first blank after the longest word found
// there, so its text may carry trailing blanks. Columns are taken while the
// file's last line reaches the start of the next one.
FixedColumnTable AnalyseFixedColumns(const QStringList& lines, int linesToSkip);

}  // namespace kv::reference
