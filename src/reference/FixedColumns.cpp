#include "reference/FixedColumns.h"

#include <algorithm>

namespace kv::reference {

FixedColumn FixedColumnTable::column(int n) const
{
    if (n < 1 || n > kMaxColumns)
        return {};
    return columns[static_cast<size_t>(n - 1)];
}

QString FixedColumnTable::field(const QString& line, int n) const
{
    if (n < 1 || n > count)
        return {};
    const FixedColumn c = column(n);
    if (c.start < 1 || c.end < c.start)
        return {};
    return line.mid(c.start - 1, c.end - c.start + 1);
}

FixedColumnTable AnalyseFixedColumns(const QStringList& lines, int linesToSkip)
{
    FixedColumnTable table;
    for (FixedColumn& c : table.columns)
        c = {1, 1};
    const qsizetype first = std::clamp<qsizetype>(linesToSkip, 0, lines.size());
    const QString lastLine = lines.isEmpty() ? QString() : lines.last();
    auto blankAt = [](const QString& line, int pos) { return line.at(pos - 1) == u' '; };  // pos 1-based

    int k = 1;
    for (;; ++k) {
        FixedColumn& col = table.columns[static_cast<size_t>(k - 1)];
        // Each line moves the later columns to just after its word; only the
        // last line's position stays, so they are set once after the pass.
        int next = -1;
        for (qsizetype l = first; l < lines.size(); ++l) {
            const QString& line = lines[l];
            const int length = static_cast<int>(line.size());
            int i = col.start;
            while (i <= length && blankAt(line, i))
                ++i;
            if (col.end < i)
                col.end = i;
            col.start = i;
            int j = col.end;
            while (j <= length && !blankAt(line, j))
                ++j;
            if (col.end < j)
                col.end = j;
            next = j + 1;
        }
        if (next > 0)
            for (int m = k + 1; m <= FixedColumnTable::kMaxColumns; ++m)
                table.columns[static_cast<size_t>(m - 1)] = {next, next};
        if (k == FixedColumnTable::kMaxColumns) {
            // The table is full; a last column the file still reaches is lost.
            table.moreColumns = lastLine.size() >= col.start;
            break;
        }
        if (lastLine.size() < col.start)
            break;
    }
    table.count = k - 1;
    for (int m = k + 1; m <= FixedColumnTable::kMaxColumns; ++m)
        table.columns[static_cast<size_t>(m - 1)] = {0, 0};
    return table;
}

}  // namespace kv::reference
