#include "data/Table.h"

#include "data/Database.h"
#include "data/FieldValue.h"

#include <sqlite3.h>

#include <algorithm>

namespace kv::data {

namespace {

// Rows read ahead per statement while walking: one read transaction and one
// statement for many rows instead of one each.
constexpr int kReadAhead = 64;

bool isNullValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

bool isTextType(FieldType t) { return t == FieldType::Alpha || t == FieldType::Memo; }

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
    case QMetaType::Bool:
        return true;
    default:
        return false;
    }
}

// The order SQLite gives: Null first, then numbers, then text; text in
// NOCASE collation (ASCII letters folded, bytes compared) when asked.
int compareValues(const QVariant& a, const QVariant& b, bool noCase)
{
    const bool an = isNullValue(a), bn = isNullValue(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const bool anum = isNumber(a), bnum = isNumber(b);
    if (anum && bnum) {
        const double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (anum != bnum)
        return anum ? -1 : 1;
    const QByteArray x = a.toString().toUtf8(), y = b.toString().toUtf8();
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        unsigned char cx = static_cast<unsigned char>(x[i]), cy = static_cast<unsigned char>(y[i]);
        if (noCase) {
            if (cx >= 'A' && cx <= 'Z')
                cx = static_cast<unsigned char>(cx + 32);
            if (cy >= 'A' && cy <= 'Z')
                cy = static_cast<unsigned char>(cy + 32);
        }
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

bool sameValue(const QVariant& a, const QVariant& b)
{
    const bool an = isNullValue(a), bn = isNullValue(b);
    if (an || bn)
        return an == bn;
    return valueText(a) == valueText(b);
}

}  // namespace

Table::Table(Database* db, QObject* parent)
    : DataSet(parent)
    , m_db(db)
{
}

Table::~Table() = default;

void Table::setDatabase(Database* db)
{
    if (active())
        close();
    m_db = db;
}

void Table::setTableName(const QString& nameOrFileName)
{
    if (active())
        close();
    m_def = findTableDef(nameOrFileName);
    m_tableName = m_def ? m_def->name : nameOrFileName;
}

QString Table::fileName() const { return m_def ? m_def->fileName : m_tableName; }

void Table::setReadOnly(bool readOnly)
{
    if (active())
        throw EngineError(QStringLiteral("%1: cannot change read-only while the table is open.").arg(objectName()));
    m_readOnly = readOnly;
}

void Table::setExclusive(bool exclusive)
{
    if (active())
        throw EngineError(QStringLiteral("%1: cannot change exclusive use while the table is open.").arg(objectName()));
    m_exclusive = exclusive;
}

void Table::setIndexName(const QString& indexName)
{
    QStringList fields;
    if (!indexName.isEmpty()) {
        const IndexDef* index = m_def ? m_def->index(indexName) : nullptr;
        if (!index)
            throw EngineError(QStringList{QStringLiteral("Index does not exist: %1").arg(indexName),
                                          QStringLiteral("Table: %1").arg(fileName())});
        fields = index->fields;
    }
    m_indexFields = fields;
    if (active())
        refresh();
}

void Table::setIndexFieldNames(const QString& fieldNames)
{
    QStringList fields;
    for (const QString& f : fieldNames.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        fields << f.trimmed();
    m_indexFields = fields;
    if (active())
        refresh();
}

void Table::setMasterLink(DataSource* master, const QString& masterField, const QString& detailField)
{
    for (auto& c : m_masterConnections)
        disconnect(c);
    m_master = master;
    m_masterField = masterField;
    m_detailField = detailField;
    m_masterAttached = true;
    attachMaster();
}

void Table::detachMaster()
{
    for (auto& c : m_masterConnections)
        disconnect(c);
    m_masterAttached = false;
    if (m_rangeActive) {
        m_rangeActive = false;
        if (active())
            refresh();
    }
}

void Table::attachMaster()
{
    if (!m_master)
        return;
    for (auto& c : m_masterConnections)
        disconnect(c);
    m_masterAttached = true;
    m_masterConnections[0] = connect(m_master, &DataSource::recordChanged, this, &Table::masterMoved);
    m_masterConnections[1] = connect(m_master, &DataSource::dataChanged, this, &Table::masterMoved);
    m_masterConnections[2] = connect(m_master, &DataSource::stateChanged, this, &Table::masterMoved);
    m_rangeActive = false;  // forces the range to be applied
    masterMoved();
}

void Table::masterMoved()
{
    if (!m_masterAttached || !m_master || !active())
        return;
    m_readAhead.clear();
    QVariant value;
    DataSet* master = m_master->dataSet();
    if (master && master->active() && (master->state() != State::Browse || !master->isEmpty()))
        value = master->fieldValue(m_masterField);
    if (m_rangeActive && sameValue(value, m_rangeValue))
        return;
    m_rangeValue = value;
    m_rangeActive = true;
    if (state() != State::Browse)
        cancel();
    loadIds();
    first();
    emit dataSetChanged();
}

void Table::requireActive() const
{
    if (!active())
        throw EngineError(QStringList{QStringLiteral("Cannot perform this operation on a closed dataset."),
                                      QStringLiteral("Table: %1").arg(fileName())});
}

void Table::requireWritable(const char* operation) const
{
    requireActive();
    if (m_readOnly || m_db->readOnly())
        throw EngineError(QStringList{QStringLiteral("Cannot modify a read-only table."),
                                      QStringLiteral("Table: %1 (%2)").arg(fileName(), QString::fromLatin1(operation))});
}

void Table::buildColumns()
{
    m_columns.clear();
    m_columnIndex.clear();
    m_columnIndexExact.clear();
    for (const FieldDef& f : m_db->tableFields(m_tableName))
        m_columns.push_back({f.name, f.type, f.width, nullptr});
    if (m_def)
        for (const LookupDef& l : m_def->lookups) {
            const TableDef* target = findTableDef(l.lookupTable);
            const FieldDef* result = target ? target->field(l.resultField) : nullptr;
            m_columns.push_back({l.name, result ? result->type : FieldType::Alpha, l.width, &l});
        }
    for (int i = 0; i < static_cast<int>(m_columns.size()); ++i) {
        const QString& name = m_columns[static_cast<size_t>(i)].name;
        if (!m_columnIndex.contains(name.toUpper())) {
            m_columnIndex.insert(name.toUpper(), i);
            m_columnIndexExact.insert(name, i);
        }
    }
    m_keyColumns.clear();
    for (const QString& f : m_indexFields)
        m_keyColumns.push_back(columnIndex(f));
}

void Table::prepareStatements()
{
    QStringList select;
    for (const Column& c : m_columns) {
        if (c.lookup)
            select << QStringLiteral("(SELECT %1 FROM %2 WHERE %3 = T.%4)")
                          .arg(sqliteIdentifier(c.lookup->resultField), sqliteIdentifier(c.lookup->lookupTable),
                               sqliteIdentifier(c.lookup->lookupKey), sqliteIdentifier(c.lookup->keyField));
        else
            select << QStringLiteral("T.") + sqliteIdentifier(c.name);
    }
    m_fetch = std::make_unique<Statement>(
        *m_db, QStringLiteral("SELECT %1 FROM %2 AS T WHERE T.rowid = ?")
                   .arg(select.join(QStringLiteral(", ")), sqliteIdentifier(m_tableName)));
    QStringList marks;
    for (int i = 0; i < kReadAhead; ++i)
        marks << QStringLiteral("?");
    m_fetchBlock = std::make_unique<Statement>(
        *m_db, QStringLiteral("SELECT T.rowid, %1 FROM %2 AS T WHERE T.rowid IN (%3)")
                   .arg(select.join(QStringLiteral(", ")), sqliteIdentifier(m_tableName), marks.join(QLatin1Char(','))));
    m_readAhead.clear();
}

QString Table::orderClause() const
{
    QStringList order;
    for (int c : m_keyColumns) {
        const Column& col = m_columns[static_cast<size_t>(c)];
        order << sqliteIdentifier(col.name) + (isTextType(col.type) ? QStringLiteral(" COLLATE NOCASE") : QString());
    }
    order << QStringLiteral("rowid");
    return QStringLiteral(" ORDER BY ") + order.join(QStringLiteral(", "));
}

QString Table::rangeClause() const
{
    if (!m_rangeActive)
        return {};
    if (isNullValue(m_rangeValue))
        return QStringLiteral(" WHERE 0");
    return QStringLiteral(" WHERE %1 = ?").arg(sqliteIdentifier(m_detailField));
}

void Table::loadIds()
{
    m_ids.clear();
    Statement st(*m_db, QStringLiteral("SELECT rowid FROM %1%2%3").arg(sqliteIdentifier(m_tableName), rangeClause(), orderClause()));
    if (m_rangeActive && !isNullValue(m_rangeValue))
        st.bind(1, m_rangeValue);
    while (st.step())
        m_ids.push_back(st.column(0).toLongLong());
}

void Table::open()
{
    if (active())
        return;
    if (!m_db)
        throw EngineError(QStringLiteral("%1: no catalogue is open.").arg(objectName()));
    if (!m_def)
        throw EngineError(QStringList{QStringLiteral("Table does not exist: %1").arg(m_tableName)});
    if (m_exclusive) {
        const QString refusal = m_db->beginExclusiveUse();
        if (!refusal.isEmpty())
            throw EngineError(QStringList{refusal, QStringLiteral("Table: %1").arg(fileName())});
        m_holdsExclusive = true;
    }
    try {
        buildColumns();
        if (!m_detailField.isEmpty())
            columnIndex(m_detailField);  // an unknown link field is an error now, not later
        prepareStatements();
        if (m_master && m_masterAttached) {
            m_rangeActive = false;
            DataSet* master = m_master->dataSet();
            if (master && master->active() && (master->state() != State::Browse || !master->isEmpty()))
                m_rangeValue = master->fieldValue(m_masterField);
            else
                m_rangeValue = QVariant();
            m_rangeActive = true;
        }
        loadIds();
    } catch (...) {
        releaseExclusive();
        throw;
    }
    setState(State::Browse);
    first();
    emit dataSetChanged();
}

void Table::close()
{
    if (!active())
        return;
    m_fetch.reset();
    m_fetchBlock.reset();
    m_readAhead.clear();
    m_ids.clear();
    m_pos = -1;
    m_current.clear();
    m_buffer.clear();
    m_original.clear();
    setBofEof(true, true);
    setState(State::Inactive);
    releaseExclusive();
    emit dataSetChanged();
}

void Table::releaseExclusive()
{
    if (!m_holdsExclusive)
        return;
    m_holdsExclusive = false;
    m_db->endExclusiveUse();
}

void Table::refresh()
{
    requireActive();
    if (!leaveEditState())
        return;
    const qint64 current = bookmark();
    const int oldPos = m_pos;
    m_db->schemaChanged();
    buildColumns();
    prepareStatements();
    loadIds();
    m_readAhead.clear();
    const int pos = positionOf(current);
    settleAfterChange(pos >= 0 ? pos : oldPos);
    emit dataSetChanged();
}

void Table::readRowColumns(Statement& st, Row& row, int firstColumn)
{
    row.resize(m_columns.size());
    for (int c = 0; c < static_cast<int>(m_columns.size()); ++c)
        row[static_cast<size_t>(c)] = st.column(c + firstColumn);
}

bool Table::readRow(qint64 rowid, Row& row)
{
    m_fetch->reset();
    m_fetch->bind(1, rowid);
    if (!m_fetch->step()) {
        m_fetch->reset();
        return false;
    }
    readRowColumns(*m_fetch, row, 0);
    m_fetch->reset();
    return true;
}

void Table::readAhead(int pos, int direction)
{
    m_readAhead.clear();
    m_fetchBlock->reset();
    int bound = 0;
    for (int i = pos; i >= 0 && i < static_cast<int>(m_ids.size()) && bound < kReadAhead; i += direction)
        m_fetchBlock->bind(++bound, m_ids[static_cast<size_t>(i)]);
    while (bound < kReadAhead)
        m_fetchBlock->bind(++bound, QVariant::fromValue<qint64>(-1));
    while (m_fetchBlock->step()) {
        Row row;
        readRowColumns(*m_fetchBlock, row, 1);
        m_readAhead.emplace(m_fetchBlock->column(0).toLongLong(), std::move(row));
    }
    m_fetchBlock->reset();
}

std::optional<Table::Row> Table::fetchAt(int pos, int direction)
{
    const qint64 id = m_ids[static_cast<size_t>(pos)];
    auto it = m_readAhead.find(id);
    if (it == m_readAhead.end()) {
        readAhead(pos, direction);
        it = m_readAhead.find(id);
    }
    if (it != m_readAhead.end()) {
        Row row = std::move(it->second);
        m_readAhead.erase(it);
        return row;
    }
    // Deleted by another program since the rows were listed.
    m_ids.erase(m_ids.begin() + pos);
    if (m_pos > pos)
        --m_pos;
    return std::nullopt;
}

bool Table::accepts() { return !onFilterRecord || onFilterRecord(*this); }

bool Table::scanTo(int from, int step, bool useFilter)
{
    const Row saved = m_current;
    const int savedPos = m_pos;
    int i = from;
    while (i >= 0 && i < static_cast<int>(m_ids.size())) {
        std::optional<Row> row = fetchAt(i, step);
        if (!row) {
            if (step < 0)
                --i;
            continue;
        }
        m_current = std::move(*row);
        const int candidate = i;
        m_pos = candidate;  // the filter reads the candidate row
        if (!useFilter || accepts())
            return true;
        m_pos = savedPos;
        i += step;
    }
    m_current = saved;
    m_pos = std::min(savedPos, static_cast<int>(m_ids.size()) - 1);
    return false;
}

bool Table::leaveEditState()
{
    if (state() == State::Edit || state() == State::Insert)
        return post();
    return true;
}

void Table::first()
{
    requireActive();
    if (!leaveEditState())
        return;
    if (scanTo(0, 1, m_filtered)) {
        setBofEof(true, false);
    } else {
        m_pos = -1;
        m_current.clear();
        setBofEof(true, true);
    }
    emit scrolled();
}

void Table::last()
{
    requireActive();
    if (!leaveEditState())
        return;
    if (scanTo(static_cast<int>(m_ids.size()) - 1, -1, m_filtered)) {
        setBofEof(false, true);
    } else {
        m_pos = -1;
        m_current.clear();
        setBofEof(true, true);
    }
    emit scrolled();
}

void Table::next()
{
    requireActive();
    if (!leaveEditState())
        return;
    if (m_pos >= 0 && scanTo(m_pos + 1, 1, m_filtered))
        setBofEof(false, false);
    else
        setBofEof(bof(), true);
    emit scrolled();
}

void Table::prior()
{
    requireActive();
    if (!leaveEditState())
        return;
    if (m_pos > 0 && scanTo(m_pos - 1, -1, m_filtered))
        setBofEof(false, false);
    else
        setBofEof(true, eof());
    emit scrolled();
}

void Table::setFiltered(bool filtered)
{
    if (m_filtered == filtered)
        return;
    m_filtered = filtered;
    if (active() && state() == State::Browse) {
        first();
        emit dataSetChanged();
    }
}

bool Table::findFirst()
{
    requireActive();
    if (!leaveEditState() || !scanTo(0, 1, true))
        return false;
    setBofEof(false, false);
    emit scrolled();
    return true;
}

bool Table::findNext()
{
    requireActive();
    if (!leaveEditState() || m_pos < 0 || !scanTo(m_pos + 1, 1, true))
        return false;
    setBofEof(false, false);
    emit scrolled();
    return true;
}

bool Table::findPrior()
{
    requireActive();
    if (!leaveEditState() || m_pos <= 0 || !scanTo(m_pos - 1, -1, true))
        return false;
    setBofEof(false, false);
    emit scrolled();
    return true;
}

bool Table::findLast()
{
    requireActive();
    if (!leaveEditState() || !scanTo(static_cast<int>(m_ids.size()) - 1, -1, true))
        return false;
    setBofEof(false, false);
    emit scrolled();
    return true;
}

bool Table::locate(const QString& field, const QVariant& value)
{
    requireActive();
    if (!leaveEditState())
        return false;
    const Column& col = m_columns[static_cast<size_t>(columnIndex(field))];
    if (col.lookup)
        throw EngineError(QStringLiteral("Cannot locate on the lookup field %1.").arg(field));
    const QVariant stored = valueForField(value, col.type, col.width);
    QString where = isNullValue(stored) ? QStringLiteral("%1 IS NULL").arg(sqliteIdentifier(col.name))
                                        : QStringLiteral("%1 = ?").arg(sqliteIdentifier(col.name));
    if (m_rangeActive)
        where += isNullValue(m_rangeValue) ? QStringLiteral(" AND 0")
                                           : QStringLiteral(" AND %1 = ?").arg(sqliteIdentifier(m_detailField));
    Statement st(*m_db, QStringLiteral("SELECT rowid FROM %1 WHERE %2%3").arg(sqliteIdentifier(m_tableName), where, orderClause()));
    int bindIndex = 1;
    if (!isNullValue(stored))
        st.bind(bindIndex++, stored);
    if (m_rangeActive && !isNullValue(m_rangeValue))
        st.bind(bindIndex, m_rangeValue);
    std::vector<qint64> candidates;
    while (st.step())
        candidates.push_back(st.column(0).toLongLong());
    for (qint64 id : candidates) {
        const int pos = positionOf(id);
        if (pos < 0)
            continue;
        const Row saved = m_current;
        const int savedPos = m_pos;
        if (scanTo(pos, 1, m_filtered) && m_pos == pos) {
            setBofEof(false, false);
            emit scrolled();
            return true;
        }
        m_current = saved;
        m_pos = savedPos;
    }
    return false;
}

Table::Bookmark Table::bookmark() const
{
    return m_pos >= 0 && m_pos < static_cast<int>(m_ids.size()) ? m_ids[static_cast<size_t>(m_pos)] : -1;
}

bool Table::gotoBookmark(Bookmark bookmark)
{
    requireActive();
    if (!leaveEditState())
        return false;
    const int pos = positionOf(bookmark);
    if (pos < 0)
        return false;
    std::optional<Row> row = fetchAt(pos);
    if (!row)
        return false;
    m_current = std::move(*row);
    m_pos = pos;
    setBofEof(false, false);
    emit scrolled();
    return true;
}

int Table::positionOf(qint64 rowid) const
{
    if (rowid < 0)
        return -1;
    const auto it = std::find(m_ids.begin(), m_ids.end(), rowid);
    return it == m_ids.end() ? -1 : static_cast<int>(it - m_ids.begin());
}

void Table::settleAfterChange(int preferredPos)
{
    const int size = static_cast<int>(m_ids.size());
    if (size == 0) {
        m_pos = -1;
        m_current.clear();
        setBofEof(true, true);
        emit scrolled();
        return;
    }
    const int start = std::clamp(preferredPos, 0, size - 1);
    m_pos = -1;
    if (scanTo(start, 1, m_filtered) || scanTo(start, -1, m_filtered)) {
        setBofEof(false, false);
    } else {
        m_pos = -1;
        m_current.clear();
        setBofEof(true, true);
    }
    emit scrolled();
}

int Table::compareKeys(const Row& a, qint64 aId, const Row& b, qint64 bId) const
{
    for (int c : m_keyColumns) {
        const bool noCase = isTextType(m_columns[static_cast<size_t>(c)].type);
        const int r = compareValues(a[static_cast<size_t>(c)], b[static_cast<size_t>(c)], noCase);
        if (r != 0)
            return r;
    }
    return aId < bId ? -1 : (aId > bId ? 1 : 0);
}

// Binary search for the place of a row in the ordered rowids, reading the
// rows it compares with; O(log n) reads instead of listing the table again.
int Table::insertPosition(const Row& row, qint64 rowid)
{
    int lo = 0, hi = static_cast<int>(m_ids.size());
    Row probe;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const qint64 midId = m_ids[static_cast<size_t>(mid)];
        if (!readRow(midId, probe)) {
            // a row gone meanwhile: order by rowid alone
            if (midId < rowid)
                lo = mid + 1;
            else
                hi = mid;
            continue;
        }
        if (compareKeys(probe, midId, row, rowid) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

bool Table::inRange(const Row& row) const
{
    if (!m_rangeActive)
        return true;
    if (isNullValue(m_rangeValue))
        return false;
    return sameValue(row[static_cast<size_t>(columnIndex(m_detailField))], m_rangeValue);
}

bool Table::insert()
{
    requireWritable("insert");
    if (!leaveEditState())
        return false;
    m_buffer.assign(m_columns.size(), QVariant());
    m_original = m_buffer;
    setState(State::Insert);
    emit scrolled();
    if (afterInsert)
        afterInsert(*this);
    return true;
}

bool Table::edit()
{
    requireWritable("edit");
    if (state() == State::Edit || state() == State::Insert)
        return true;
    if (m_pos < 0)
        throw EngineError(QStringList{QStringLiteral("Cannot perform this operation on an empty dataset."),
                                      QStringLiteral("Table: %1").arg(fileName())});
    // Edit what the catalogue holds now, not what was read earlier.
    Row fresh;
    if (!readRow(m_ids[static_cast<size_t>(m_pos)], fresh))
        throw EngineError(QStringList{QStringLiteral("Record was deleted by another user."),
                                      QStringLiteral("Table: %1").arg(fileName())});
    m_current = fresh;
    try {
        if (beforeEdit)
            beforeEdit(*this);
    } catch (const AbortOperation&) {
        return false;
    }
    m_buffer = m_current;
    m_original = m_current;
    setState(State::Edit);
    return true;
}

bool Table::post()
{
    if (state() != State::Edit && state() != State::Insert)
        return true;
    try {
        if (beforePost)
            beforePost(*this);
    } catch (const AbortOperation& refusal) {
        if (refusal.notice)
            refusal.notice();
        return false;
    }

    const bool inserting = state() == State::Insert;
    qint64 rowid = inserting ? -1 : m_ids[static_cast<size_t>(m_pos)];
    QStringList names;
    std::vector<QVariant> values;
    for (size_t c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].lookup)
            continue;
        if (inserting ? isNullValue(m_buffer[c]) : sameValue(m_buffer[c], m_original[c]))
            continue;
        names << sqliteIdentifier(m_columns[c].name);
        values.push_back(m_buffer[c]);
    }

    // A new row that is not kept has no key after all.
    auto forgetKey = [this, inserting] {
        if (inserting)
            for (size_t c = 0; c < m_columns.size(); ++c)
                if (m_columns[c].type == FieldType::AutoInc)
                    m_buffer[c] = QVariant();
    };
    std::function<void()> refusalNotice;
    bool refused = false;
    try {
        WriteTransaction tx(*m_db);
        if (inserting) {
            QString sql;
            if (names.isEmpty()) {
                sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(sqliteIdentifier(m_tableName));
            } else {
                QStringList marks;
                for (int i = 0; i < names.size(); ++i)
                    marks << QStringLiteral("?");
                sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                          .arg(sqliteIdentifier(m_tableName), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
            }
            Statement st(*m_db, sql);
            for (size_t i = 0; i < values.size(); ++i)
                st.bind(static_cast<int>(i) + 1, values[i]);
            st.step();
            rowid = sqlite3_last_insert_rowid(m_db->handle());
            for (size_t c = 0; c < m_columns.size(); ++c)
                if (m_columns[c].type == FieldType::AutoInc)
                    m_buffer[c] = QVariant::fromValue<qint64>(rowid);
        } else if (!names.isEmpty()) {
            QStringList sets;
            for (const QString& n : names)
                sets << n + QStringLiteral(" = ?");
            Statement st(*m_db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                     .arg(sqliteIdentifier(m_tableName), sets.join(QStringLiteral(", "))));
            for (size_t i = 0; i < values.size(); ++i)
                st.bind(static_cast<int>(i) + 1, values[i]);
            st.bind(static_cast<int>(values.size()) + 1, rowid);
            st.step();
            if (sqlite3_changes(m_db->handle()) == 0)
                throw EngineError(QStringList{QStringLiteral("Record was deleted by another user."),
                                              QStringLiteral("Table: %1").arg(fileName())});
        }
        if (duringPost)
            duringPost(*this);
        tx.commit();
    } catch (const AbortOperation& refusal) {
        // The transaction is rolled back by now.
        refused = true;
        refusalNotice = refusal.notice;
    } catch (...) {
        forgetKey();
        throw;
    }
    if (refused) {
        forgetKey();
        if (refusalNotice)
            refusalNotice();
        return false;
    }
    m_readAhead.clear();

    Row posted;
    if (!readRow(rowid, posted))
        posted = m_buffer;
    if (!inserting)
        m_ids.erase(m_ids.begin() + m_pos);
    if (inRange(posted)) {
        const int pos = insertPosition(posted, rowid);
        m_ids.insert(m_ids.begin() + pos, rowid);
        m_pos = pos;
        m_current = std::move(posted);
        setBofEof(false, false);
    } else {
        settleAfterChange(m_pos);
    }
    finishEdit();
    setState(State::Browse);
    emit dataSetChanged();
    if (afterPost)
        afterPost(*this);
    return true;
}

void Table::finishEdit()
{
    m_buffer.clear();
    m_original.clear();
}

void Table::cancel()
{
    if (state() != State::Edit && state() != State::Insert)
        return;
    finishEdit();
    setState(State::Browse);
    if (m_pos >= 0 && m_pos < static_cast<int>(m_ids.size())) {
        Row row;
        if (readRow(m_ids[static_cast<size_t>(m_pos)], row))
            m_current = std::move(row);
    }
    emit scrolled();
}

bool Table::deleteRecord()
{
    requireWritable("delete");
    if (state() == State::Insert) {
        cancel();
        return true;
    }
    if (state() == State::Edit)
        cancel();
    if (m_pos < 0)
        throw EngineError(QStringList{QStringLiteral("Cannot perform this operation on an empty dataset."),
                                      QStringLiteral("Table: %1").arg(fileName())});
    try {
        if (beforeDelete)
            beforeDelete(*this);
    } catch (const AbortOperation&) {
        return false;
    }
    const qint64 rowid = m_ids[static_cast<size_t>(m_pos)];
    {
        WriteTransaction tx(*m_db);
        Statement st(*m_db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(sqliteIdentifier(m_tableName)));
        st.bind(1, rowid);
        st.step();
        tx.commit();
    }
    m_readAhead.clear();
    const int pos = m_pos;
    m_ids.erase(m_ids.begin() + pos);
    settleAfterChange(pos);
    emit dataSetChanged();
    if (afterDelete)
        afterDelete(*this);
    return true;
}

QStringList Table::fieldNames() const
{
    QStringList names;
    for (const Column& c : m_columns)
        names << c.name;
    return names;
}

bool Table::hasField(const QString& name) const
{
    return m_columnIndexExact.contains(name) || m_columnIndex.contains(name.toUpper());
}

int Table::columnIndex(const QString& name) const
{
    // Most callers spell the name as the catalogue does: no upper-casing then.
    if (const auto exact = m_columnIndexExact.constFind(name); exact != m_columnIndexExact.constEnd())
        return *exact;
    const auto it = m_columnIndex.constFind(name.toUpper());
    if (it == m_columnIndex.constEnd())
        throw EngineError(QStringList{QStringLiteral("Field '%1' not found.").arg(name),
                                      QStringLiteral("Table: %1").arg(fileName())});
    return *it;
}

FieldType Table::fieldType(const QString& name) const { return m_columns[static_cast<size_t>(columnIndex(name))].type; }

int Table::fieldWidth(const QString& name) const { return m_columns[static_cast<size_t>(columnIndex(name))].width; }

bool Table::isLookupField(const QString& name) const
{
    return m_columns[static_cast<size_t>(columnIndex(name))].lookup != nullptr;
}

QVariant Table::lookupValue(const Column& c, const Row& row) const
{
    const QVariant key = row[static_cast<size_t>(columnIndex(c.lookup->keyField))];
    if (isNullValue(key))
        return {};
    Statement st(*m_db, QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?")
                            .arg(sqliteIdentifier(c.lookup->resultField), sqliteIdentifier(c.lookup->lookupTable), sqliteIdentifier(c.lookup->lookupKey)));
    st.bind(1, key);
    return st.step() ? st.column(0) : QVariant();
}

QVariant Table::fieldValue(const QString& name) const
{
    if (!active())
        throw EngineError(QStringList{QStringLiteral("Cannot read field '%1' of a closed dataset.").arg(name),
                                      QStringLiteral("Table: %1").arg(fileName())});
    const int c = columnIndex(name);
    if (state() == State::Edit || state() == State::Insert) {
        const Column& col = m_columns[static_cast<size_t>(c)];
        return col.lookup ? lookupValue(col, m_buffer) : m_buffer[static_cast<size_t>(c)];
    }
    if (m_pos < 0 || m_current.empty())
        return {};
    return m_current[static_cast<size_t>(c)];
}

void Table::setFieldValue(const QString& name, const QVariant& value)
{
    requireActive();
    const int c = columnIndex(name);
    if (state() != State::Edit && state() != State::Insert)
        throw EngineError(QStringList{QStringLiteral("Dataset not in edit or insert mode."),
                                      QStringLiteral("Table: %1, field: %2").arg(fileName(), name)});
    const Column& col = m_columns[static_cast<size_t>(c)];
    if (col.lookup || col.type == FieldType::AutoInc)
        throw EngineError(QStringList{QStringLiteral("Field '%1' cannot be modified.").arg(col.name),
                                      QStringLiteral("Table: %1").arg(fileName())});
    m_buffer[static_cast<size_t>(c)] = valueForField(value, col.type, col.width);
    emit fieldChanged(col.name);
}

}  // namespace kv::data
