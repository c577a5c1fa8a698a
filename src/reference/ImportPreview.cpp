#include "reference/ImportPreview.h"

#include "reference/TextFiles.h"
#include "reference/TextLayouts.h"

#include <algorithm>

namespace kv::reference {

ImportPreview BuildImportPreview(const QString& fileName, const QString& layoutName, int linesToSkip)
{
    ImportPreview preview;
    const TextFileLines file = ReadTextFileLines(fileName);
    switch (file.status) {
    case TextFileLines::Status::Missing:
        return preview;
    case TextFileLines::Status::Unreadable:
        preview.note = QStringLiteral("The file cannot be opened.");
        return preview;
    case TextFileLines::Status::Binary:
        preview.note = QStringLiteral("This is not a text file.");
        return preview;
    case TextFileLines::Status::Ok:
        break;
    }
    if (file.lines.isEmpty()) {
        preview.note = QStringLiteral("The file is empty.");
        return preview;
    }
    preview.fileUsable = true;
    const std::optional<TextLayout> layout = TextLayoutFromName(layoutName);
    if (!layout)
        return preview;
    const qsizetype skip = std::clamp<qsizetype>(linesToSkip, 0, file.lines.size());
    if (skip == file.lines.size()) {
        preview.note = QStringLiteral("There are no lines after the lines to skip.");
        return preview;
    }
    if (*layout == TextLayout::FixedLength)
        preview.fixedColumns = AnalyseFixedColumns(file.lines, static_cast<int>(skip));
    const QStringList records = DataRecords(file.lines, static_cast<int>(skip), *layout);
    const int found = LineColumnCount(records.first(), *layout, preview.fixedColumns);
    preview.columnCount = std::min(found, ImportPreview::kMaxColumns);
    if (found > ImportPreview::kMaxColumns || preview.fixedColumns.moreColumns)
        preview.note = QStringLiteral("The file has more columns than can be imported; only the first %1 are shown.")
                           .arg(preview.columnCount);
    preview.loaded = true;
    const qsizetype end = std::min<qsizetype>(records.size(), ImportPreview::kLines);
    for (qsizetype i = 0; i < end; ++i) {
        const QString& line = records.at(i);
        QStringList cells;
        cells.reserve(preview.columnCount);
        if (*layout == TextLayout::FixedLength) {
            for (int c = 1; c <= preview.columnCount; ++c)
                cells << preview.fixedColumns.field(line, c);
        } else {
            cells = SplitDelimitedLine(line, *layout).mid(0, preview.columnCount);
            while (cells.size() < preview.columnCount)
                cells << QString();
        }
        preview.rows << cells;
    }
    return preview;
}

}  // namespace kv::reference
