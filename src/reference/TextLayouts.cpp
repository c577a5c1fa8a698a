#include "reference/TextLayouts.h"

#include <algorithm>

namespace kv::reference {

namespace {

const QChar kQuote(u'"');
const QChar kComma(u',');
const QChar kTab(u'\t');

// Splits at separators outside double quotes (commas only) or at every
// separator (tabs), keeping the raw field texts.
QStringList splitRaw(const QString& line, QChar separator, bool quotes)
{
    QStringList fields;
    bool inside = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quotes && c == kQuote)
            inside = !inside;
        else if (c == separator && !inside) {
            fields << line.mid(start, i - start);
            start = i + 1;
        }
    }
    fields << line.mid(start);
    return fields;
}

QString unquoted(const QString& raw)
{
    QString field = raw.trimmed();
    if (field.size() >= 2 && field.startsWith(kQuote) && field.endsWith(kQuote))
        return field.mid(1, field.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    if (field.startsWith(kQuote))
        field.remove(0, 1);
    if (field.endsWith(kQuote))
        field.chop(1);
    return field;
}

QString withoutBreaks(const QString& value, bool tabsToo)
{
    bool clean = true;
    for (const QChar c : value)
        if (c == u'\r' || c == u'\n' || (tabsToo && c == kTab)) {
            clean = false;
            break;
        }
    if (clean)
        return value;
    QString out = value;
    for (QChar& c : out)
        if (c == u'\r' || c == u'\n' || (tabsToo && c == kTab))
            c = u' ';
    return out;
}

// Whether a comma-delimited line, read on from inside a quoted field or
// from the start of a field, ends inside a quoted field.
bool endsInsideQuotes(const QString& line, bool inside)
{
    bool fieldStart = !inside;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line.at(i);
        if (inside) {
            if (c == kQuote) {
                if (i + 1 < n && line.at(i + 1) == kQuote)
                    ++i;  // a doubled quote stands for one quote
                else
                    inside = false;
            }
        } else if (c == kComma) {
            fieldStart = true;
        } else if (c == kQuote && fieldStart) {
            inside = true;
            fieldStart = false;
        } else if (c != u' ') {
            fieldStart = false;
        }
    }
    return inside;
}

}  // namespace

QStringList DataRecords(const QStringList& lines, int linesToSkip, TextLayout layout, QList<int>* lineNumbers)
{
    QStringList records;
    const int count = static_cast<int>(lines.size());
    const int first = std::clamp(linesToSkip, 0, count);
    if (lineNumbers)
        lineNumbers->clear();
    for (int i = first; i < count;) {
        int end = i;  // the record's last line
        if (layout == TextLayout::CommaDelimited) {
            bool inside = endsInsideQuotes(lines.at(i), false);
            while (inside && end + 1 < count)
                inside = endsInsideQuotes(lines.at(++end), true);
            if (inside)
                end = i;  // never closed: a stray quote, not a line break in a field
        }
        records << (end == i ? lines.at(i) : lines.mid(i, end - i + 1).join(u'\n'));
        if (lineNumbers)
            lineNumbers->append(i + 1);
        i = end + 1;
    }
    return records;
}

QStringList TextLayoutNames()
{
    return {QStringLiteral("ASCII Fixed Length"), QStringLiteral("ASCII Coma Delimited"),
            QStringLiteral("ASCII Tab Delimited")};
}

QString TextLayoutName(TextLayout layout) { return TextLayoutNames().at(static_cast<int>(layout)); }

std::optional<TextLayout> TextLayoutFromName(const QString& name)
{
    const int i = static_cast<int>(TextLayoutNames().indexOf(name));
    if (i < 0)
        return std::nullopt;
    return static_cast<TextLayout>(i);
}

void AppendValue(QString& line, TextLayout layout, const QString& value, int width, bool quoted, bool first)
{
    switch (layout) {
    case TextLayout::FixedLength: {
        const QString v = withoutBreaks(value, false);
        line += v;
        if (v.size() < width)
            line += QString(width - v.size(), u' ');
        return;
    }
    case TextLayout::CommaDelimited: {
        if (!first)
            line += kComma;
        const QString v = withoutBreaks(value, false).trimmed();
        if (quoted || v.contains(kComma) || v.contains(kQuote)) {
            line += kQuote;
            line += QString(v).replace(QStringLiteral("\""), QStringLiteral("\"\""));
            line += kQuote;
        } else {
            line += v;
        }
        return;
    }
    case TextLayout::TabDelimited:
        if (!first)
            line += kTab;
        line += withoutBreaks(value, true).trimmed();
        return;
    }
}

QStringList SplitDelimitedLine(const QString& line, TextLayout layout)
{
    switch (layout) {
    case TextLayout::CommaDelimited: {
        QStringList fields = splitRaw(line, kComma, true);
        for (QString& f : fields)
            f = unquoted(f);
        return fields;
    }
    case TextLayout::TabDelimited:
        return splitRaw(line, kTab, false);
    case TextLayout::FixedLength:
        break;
    }
    return {};
}

QString ReadLineField(const QString& line, TextLayout layout, int n, const FixedColumnTable& columns)
{
    if (layout == TextLayout::FixedLength)
        return columns.field(line, n);
    const QStringList fields = SplitDelimitedLine(line, layout);
    return n >= 1 && n <= fields.size() ? fields.at(n - 1) : QString();
}

int LineColumnCount(const QString& line, TextLayout layout, const FixedColumnTable& columns)
{
    if (layout == TextLayout::FixedLength)
        return columns.count;
    const QStringList raw = splitRaw(line, layout == TextLayout::CommaDelimited ? kComma : kTab,
                                     layout == TextLayout::CommaDelimited);
    int count = static_cast<int>(raw.size());
    if (count > 1 && raw.last().isEmpty())
        --count;
    return count;
}

}  // namespace kv::reference
