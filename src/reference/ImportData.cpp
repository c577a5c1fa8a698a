#include "reference/ImportData.h"

#include "common/DateText.h"
#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "data/CatalogueSchema.h"
#include "data/Database.h"
#include "data/EngineError.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/localsql/LocalSqlAdapter.h"
#include "data/Query.h"
#include "data/Table.h"
#include "reference/TextFiles.h"
#include "reference/TransferProgress.h"

#include <QHash>

#include <algorithm>
#include <cmath>

namespace kv::reference {

using common::FormatMessage;
using data::Query;

namespace {

const QString kProgramDateFormat = QStringLiteral("MM-DD-YYYY");
const QString kNothingImported = QStringLiteral("Nothing Has Been Imported.");

QString quotedForMessage(const QString& value) { return u'"' + value + u'"'; }

QString importDate(const QString& text, const QString& format, const QString& formatShown)
{
    const QString converted = common::ConvertDateText(format, kProgramDateFormat, text);
    const QDate date = common::ReadShortDateText(converted);
    if (!date.isValid() || converted.section(u'/', 2).trimmed().size() != 4)
        throw ImportValueError(quotedForMessage(text) + QStringLiteral(" Is Not A Date In The Format ") + formatShown);
    return common::ShortDateText(date);
}

QString importWholeNumber(const QString& text, const QString& label)
{
    bool ok = false;
    const qint64 n = text.toLongLong(&ok);
    if (ok)
        return QString::number(n);
    const double d = text.toDouble(&ok);
    if (ok && std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.0e15)
        return QString::number(static_cast<qint64>(d));
    throw ImportValueError(quotedForMessage(text) + QStringLiteral(" Is Not A Whole Number For ") + label);
}

QString importLogical(const QString& text, const QString& label)
{
    static const QStringList yes = {u"TRUE"_qs, u"T"_qs, u"YES"_qs, u"Y"_qs, u"1"_qs, u"-1"_qs};
    static const QStringList no = {u"FALSE"_qs, u"F"_qs, u"NO"_qs, u"N"_qs, u"0"_qs};
    const QString upper = text.toUpper();
    if (yes.contains(upper))
        return QStringLiteral("1");
    if (no.contains(upper))
        return QStringLiteral("0");
    throw ImportValueError(quotedForMessage(text) + QStringLiteral(" Is Not True Or False For ") + label);
}

// The rows of the table by upper-cased key value, so that a line whose key
// matches no row is appended at once and one that does updates only the
// rows it names instead of comparing the key of every row of the table.
// Built inside the import's transaction and kept up to date as rows are
// appended, so it is what the catalogue holds.
class KeyIndex {
public:
    KeyIndex(Query& query, const QString& tableFile, const QString& keyField)
    {
        const data::TableDef* def = data::findTableDef(tableFile);
        m_idField = def ? def->keyField() : QString();
        if (m_idField.isEmpty())
            return;
        query.close();
        query.clearSql();
        query.addLine(QStringLiteral("Select ") + m_idField + QStringLiteral(", ") + keyField);
        query.addLine(QStringLiteral("From ") + data::localSqlText(tableFile));
        query.open();
        for (query.first(); !query.eof(); query.next()) {
            const QVariant key = query.value(1);
            if (key.isValid() && !key.isNull())
                m_ids[data::valueText(key).toUpper()] << data::valueInteger(query.value(0), -1);
        }
        query.close();
    }
    bool usable() const { return !m_idField.isEmpty(); }
    const QString& idField() const { return m_idField; }
    QList<qint64> rows(const QString& key) const { return m_ids.value(key.toUpper()); }
    void add(const QString& key, qint64 id) { m_ids[key.toUpper()] << id; }

private:
    QString m_idField;
    QHash<QString, QList<qint64>> m_ids;
};

// Refused by the record rules, which have told the user why.
struct PostRefused {};

void runStatement(Query& query, const QStringList& lines)
{
    query.close();
    query.clearSql();
    for (const QString& line : lines)
        query.addLine(line);
    query.execSQL();
}

QString idList(const QList<qint64>& ids)
{
    QStringList texts;
    for (const qint64 id : ids)
        texts << QString::number(id);
    return texts.join(QStringLiteral(", "));
}

}  // namespace

ImportValueError::ImportValueError(const QString& problem)
    : std::runtime_error(problem.toStdString())
    , m_problem(problem)
{
}

QString ImportValueError::message(int lineNumber) const
{
    return QStringLiteral("Error: Line ") + QString::number(lineNumber) + QStringLiteral(": ") + m_problem + u'!';
}

ImportLine ReadImportLine(const QList<ImportFieldSpec>& fields, const QString& line, const QString& tableFile,
                          const QString& dateFormat, TextLayout layout, const QString& keyField,
                          const FixedColumnTable& columns)
{
    const bool knownFormat = common::DateFormatNames().contains(dateFormat);
    const QString format = knownFormat ? dateFormat : kProgramDateFormat;
    const data::TableDef* def = data::findTableDef(tableFile);
    // Delimited lines are split once, not once per field.
    const QStringList split = layout == TextLayout::FixedLength ? QStringList() : SplitDelimitedLine(line, layout);

    ImportLine result;
    for (const ImportFieldSpec& f : fields) {
        QString text = layout == TextLayout::FixedLength
                           ? columns.field(line, f.column)
                           : (f.column >= 1 && f.column <= split.size() ? split.at(f.column - 1) : QString());
        text = text.trimmed();
        if (text.isEmpty())
            continue;
        if (f.type == QLatin1String(kTypeDate)) {
            text = importDate(text, format, knownFormat ? format : QStringLiteral("MM/DD/YYYY"));
        } else if (f.type == QLatin1String(kTypeInteger)) {
            text = importWholeNumber(text, f.label);
        } else if (f.type == QLatin1String(kTypeBoolean)) {
            text = importLogical(text, f.label);
        } else if (const data::FieldDef* field = def ? def->field(f.fieldName) : nullptr;
                   field && field->type == data::FieldType::Alpha && field->width > 0 && text.size() > field->width) {
            // The table keeps no more than this; the key must match what is kept.
            text = text.left(field->width).trimmed();
        }
        if (f.fieldName.compare(keyField, Qt::CaseInsensitive) == 0)
            result.keyValue = text;
        result.values << ImportValue{f.fieldName, text};
    }
    return result;
}

QString UpdateStatementFor(const ImportLine& line, const QString& tableFile, const QString& keyField)
{
    if (line.skipped())
        return {};
    QStringList sets;
    for (const ImportValue& v : line.values)
        sets << v.field + QStringLiteral(" = ") + data::localSqlText(v.text);
    return QStringLiteral("Update ") + data::localSqlText(tableFile) + QStringLiteral(" Set ") + sets.join(QStringLiteral(", "))
           + QStringLiteral(" Where Upper(") + keyField + QStringLiteral(") = Upper(") + data::localSqlText(line.keyValue)
           + u')';
}

QString BuildUpdateByKey(const QStringList& chosenFields, const QString& line, const QString& tableFile,
                         const QString& dateFormat, const QString& layout, const QString& keyField,
                         const FixedColumnTable& columns)
{
    const std::optional<TextLayout> l = TextLayoutFromName(layout);
    if (!l)
        return {};
    return UpdateStatementFor(
        ReadImportLine(parseImportSpecs(chosenFields), line, tableFile, dateFormat, *l, keyField, columns), tableFile,
        keyField);
}

ImportResult ImportFileIntoTable(data::TProgramDataForm& dm, const QString& fileName, const QString& dateFormat,
                                 const QString& layoutName, data::Table& table, const QStringList& chosenFields,
                                 int linesToSkip, const QString& keyField, const QString& tableFile,
                                 const FixedColumnTable* columns, TransferProgress* progress)
{
    ImportResult result;
    const std::optional<TextLayout> layout = TextLayoutFromName(layoutName);
    if (!layout) {
        common::showError(FormatMessage(QStringLiteral("Error: Unknown Import Format %s%!"), layoutName));
        return result;
    }
    const TextFileLines file = ReadTextFileLines(fileName);
    switch (file.status) {
    case TextFileLines::Status::Ok:
        break;
    case TextFileLines::Status::Missing:
    case TextFileLines::Status::Unreadable:
        common::showError(FormatMessage(QStringLiteral("Error: Could Not Open Import File %s%!"), fileName));
        return result;
    case TextFileLines::Status::Binary:
        common::showError(FormatMessage(QStringLiteral("Error: %s% Is Not A Text File!"), fileName));
        return result;
    }
    const int skip = static_cast<int>(std::clamp<qsizetype>(linesToSkip, 0, file.lines.size()));
    QList<int> lineNumbers;
    const QStringList records = DataRecords(file.lines, skip, *layout, &lineNumbers);
    const int dataLines = static_cast<int>(records.size());
    if (dataLines == 0) {
        common::showError(FormatMessage(QStringLiteral("Error: There Is No Data To Import In %s%!"), fileName));
        return result;
    }
    FixedColumnTable analysed;
    if (*layout == TextLayout::FixedLength && !columns) {
        analysed = AnalyseFixedColumns(file.lines, skip);
        columns = &analysed;
    }
    const FixedColumnTable& columnTable = columns ? *columns : analysed;
    const QList<ImportFieldSpec> fields = parseImportSpecs(chosenFields);
    Query& query = dm.PersonQuery;

    // A row still being edited is posted first, outside the import's
    // transaction; when its post is refused nothing is imported.
    if ((table.state() == data::DataSet::State::Edit || table.state() == data::DataSet::State::Insert)
        && !table.post())
        return result;

    QString failure;
    // The record rules' messages wait until the transaction has ended: no
    // box may hold the catalogue's write lock while it waits for the user.
    common::DeferredMessages heldMessages;
    {
        ProgressRun run(progress, QStringLiteral("Please Wait: Importing Data"), dataLines);
        int lineNumber = 0;
        try {
            data::WriteTransaction transaction(*dm.KestrelviewDatabase());
            KeyIndex index(query, tableFile, keyField);
            for (int i = 0; i < records.size(); ++i) {
                lineNumber = lineNumbers.at(i);
                const ImportLine line = ReadImportLine(fields, records.at(i), tableFile, dateFormat, *layout, keyField,
                                                       columnTable);
                if (line.skipped()) {
                    ++result.skippedLines;
                    run.step();
                    continue;
                }
                qint64 changed = 0;
                const QList<qint64> rows = index.rows(line.keyValue);
                if (!index.usable() || !rows.isEmpty()) {
                    QStringList statement{UpdateStatementFor(line, tableFile, keyField)};
                    if (index.usable())
                        statement << QStringLiteral("And (") + index.idField() + QStringLiteral(" In (") + idList(rows)
                                         + QStringLiteral("))");
                    runStatement(query, statement);
                    changed = query.rowsAffected();
                }
                if (changed > 0) {
                    ++result.updatedLines;
                } else {
                    if (!table.insert())
                        throw PostRefused{};
                    for (const ImportValue& v : line.values)
                        table.setFieldValue(v.field, v.text);
                    if (!table.post())
                        throw PostRefused{};
                    ++result.appendedRows;
                    if (index.usable())
                        index.add(line.keyValue, data::readInteger(table, index.idField()));
                }
                run.step();
            }
            transaction.commit();
            result.completed = true;
        } catch (const ImportValueError& e) {
            failure = e.message(lineNumber) + QStringLiteral("\n\n") + kNothingImported;
        } catch (const data::EngineError& e) {
            failure = e.message() + QStringLiteral("\n\n")
                      + (lineNumber > 0 ? FormatMessage(QStringLiteral("The Import Stopped At Line %s%; "),
                                                        QString::number(lineNumber))
                                        : QString())
                      + kNothingImported;
        } catch (const PostRefused&) {
            failure = FormatMessage(QStringLiteral("The Import Stopped At Line %s%; "), QString::number(lineNumber))
                      + kNothingImported;
        }
        query.close();
    }
    if (!result.completed) {
        result.updatedLines = result.appendedRows = result.skippedLines = 0;
        if (table.state() == data::DataSet::State::Insert || table.state() == data::DataSet::State::Edit)
            table.cancel();
    }
    if (table.active())
        table.refresh();
    heldMessages.release();
    if (!failure.isEmpty())
        common::showError(failure);
    return result;
}

}  // namespace kv::reference
