#include "data/Query.h"

#include "data/Database.h"

namespace kv::data {

Query::Query(Database* db, QObject* parent)
    : DataSet(parent)
    , m_db(db)
{
}

void Query::clearSql()
{
    m_sql.clear();
    m_prepared = false;
}

void Query::addLine(const QString& line)
{
    m_sql << line;
    m_prepared = false;
}

void Query::prepare()
{
    if (!m_db)
        throw EngineError(QStringLiteral("%1: no catalogue is open.").arg(objectName()));
    m_db->checkLocalSql(text());
    m_prepared = true;
}

void Query::open()
{
    close();
    if (!m_db)
        throw EngineError(QStringLiteral("%1: no catalogue is open.").arg(objectName()));
    LocalSqlResult result = m_db->runLocalSql(text());
    if (!result.rows)
        throw EngineError(QStringList{QStringLiteral("The statement returns no rows; it must be executed."),
                                      QStringLiteral("Local SQL: %1").arg(text())});
    readRows(*result.rows);
}

void Query::openWith(const QVariantList& parameters)
{
    close();
    if (!m_db)
        throw EngineError(QStringLiteral("%1: no catalogue is open.").arg(objectName()));
    Statement& st = m_db->preparedLocalSql(text());
    try {
        for (int i = 0; i < parameters.size(); ++i)
            st.bind(i + 1, parameters.at(i));
        readRows(st);
    } catch (const EngineError& e) {
        st.reset();
        close();
        QStringList stack = e.errorStack();
        stack << QStringLiteral("Local SQL: %1").arg(text());
        throw EngineError(stack);
    }
    // Reset at once, so that the kept statement holds no read lock.
    st.reset();
}

void Query::readRows(Statement& st)
{
    const int n = st.columnCount();
    for (int c = 0; c < n; ++c) {
        const QString name = st.columnName(c);
        m_columns << name;
        m_types.push_back(fieldTypeFromDeclared(st.columnDeclaredType(c), false).type);
        if (!m_index.contains(name.toUpper()))
            m_index.insert(name.toUpper(), c);
    }
    while (st.step()) {
        std::vector<QVariant> row;
        row.reserve(static_cast<size_t>(n));
        for (int c = 0; c < n; ++c)
            row.push_back(st.column(c));
        m_rows.push_back(std::move(row));
    }
    m_prepared = true;
    setState(State::Browse);
    m_pos = m_rows.empty() ? -1 : 0;
    setBofEof(true, m_rows.empty());
    emit dataSetChanged();
}

void Query::execSQL()
{
    close();
    if (!m_db)
        throw EngineError(QStringLiteral("%1: no catalogue is open.").arg(objectName()));
    LocalSqlResult result = m_db->runLocalSql(text());
    if (result.rows) {
        // A SELECT given to execSQL runs and its rows are dropped.
        while (result.rows->step()) {
        }
        result.rows.reset();
    }
    m_rowsAffected = result.rowsChanged;
    m_prepared = true;
}

void Query::close()
{
    const bool wasActive = active();
    m_columns.clear();
    m_types.clear();
    m_index.clear();
    m_rows.clear();
    m_pos = -1;
    setBofEof(true, true);
    setState(State::Inactive);
    if (wasActive)
        emit dataSetChanged();
}

// Bof and Eof follow the desktop data set rules: both true on an empty
// result; Eof only after a move past the last row (or Last), Bof after First
// or a move before the first row.
void Query::first()
{
    m_pos = m_rows.empty() ? -1 : 0;
    setBofEof(true, m_rows.empty());
    emit scrolled();
}

void Query::last()
{
    m_pos = static_cast<int>(m_rows.size()) - 1;
    setBofEof(m_rows.empty(), true);
    emit scrolled();
}

void Query::next()
{
    if (m_pos + 1 < static_cast<int>(m_rows.size())) {
        ++m_pos;
        setBofEof(false, false);
    } else {
        setBofEof(bof(), true);
    }
    emit scrolled();
}

void Query::prior()
{
    if (m_pos > 0) {
        --m_pos;
        setBofEof(false, false);
    } else {
        setBofEof(true, eof());
    }
    emit scrolled();
}

QStringList Query::fieldNames() const { return m_columns; }

bool Query::hasField(const QString& name) const { return columnIndex(name) >= 0; }

int Query::columnIndex(const QString& name) const
{
    QString key = name.toUpper();
    const int dot = key.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        key = key.mid(dot + 1);
    return m_index.value(key, -1);
}

FieldType Query::fieldType(const QString& name) const
{
    const int c = columnIndex(name);
    return c < 0 ? FieldType::Memo : m_types[static_cast<size_t>(c)];
}

QVariant Query::value(int column) const
{
    if (m_pos < 0 || column < 0 || column >= static_cast<int>(m_columns.size()))
        return {};
    return m_rows[static_cast<size_t>(m_pos)][static_cast<size_t>(column)];
}

QVariant Query::fieldValue(const QString& name) const
{
    const int c = columnIndex(name);
    if (c < 0)
        throw EngineError(QStringList{QStringLiteral("%1: Field '%2' not found.").arg(objectName(), name)});
    return value(c);
}

void Query::setLines(const QStringList& lines)
{
    close();
    clearSql();
    for (const QString& line : lines)
        addLine(line);
}

void Query::openLines(const QStringList& lines)
{
    setLines(lines);
    prepare();
    open();
}

void Query::execLines(const QStringList& lines)
{
    setLines(lines);
    prepare();
    execSQL();
    unprepare();
}

}  // namespace kv::data
