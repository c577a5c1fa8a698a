#include "common/DataControls.h"

#include "common/MessageService.h"
#include "data/EngineError.h"
#include "data/FieldValue.h"
#include "data/Query.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtDebug>

#include <algorithm>

namespace kv::common {

using data::DataSet;
using data::DataSource;
using data::FieldType;
using data::Table;

namespace {

const QString kDateForm = QStringLiteral("MM/dd/yyyy");
const QString kTimeForm = QStringLiteral("h:mm:ss AP");

bool isEditing(const DataSet& ds)
{
    return ds.state() == DataSet::State::Edit || ds.state() == DataSet::State::Insert;
}

bool sameKey(const QVariant& a, const QVariant& b)
{
    const bool aNull = !a.isValid() || a.isNull();
    const bool bNull = !b.isValid() || b.isNull();
    if (aNull || bNull)
        return aNull && bNull;
    return data::valueText(a) == data::valueText(b);
}

// A field value, or invalid when the data set cannot give one.
QVariant readField(const DataSet& ds, const QString& field)
{
    try {
        return ds.fieldValue(field);
    } catch (const data::EngineError& e) {
        qWarning().noquote() << e.message();
        return {};
    }
}

}  // namespace

QString fieldDisplayText(FieldType type, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (type) {
    case FieldType::Date: {
        const QDate d = data::valueDate(value);
        return d.isValid() ? d.toString(kDateForm) : data::valueText(value);
    }
    case FieldType::Timestamp: {
        const QDateTime dt = data::valueDateTime(value);
        return dt.isValid() ? dt.date().toString(kDateForm) + QLatin1Char(' ') + dt.time().toString(kTimeForm)
                            : data::valueText(value);
    }
    case FieldType::Logical:
        return data::valueBool(value, false) ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return data::valueText(value);
    }
}

QVariant fieldValueFromText(FieldType type, const QString& text)
{
    const QString t = text.trimmed();
    switch (type) {
    case FieldType::Date:
        // The engine's reading takes mm/dd/yyyy and ISO dates.
        return t.isEmpty() ? QVariant() : QVariant(t);
    case FieldType::Timestamp: {
        if (t.isEmpty())
            return {};
        for (const QString& form : {kDateForm + QLatin1Char(' ') + kTimeForm, kDateForm + QStringLiteral(" h:mm:ss"),
                                    kDateForm + QStringLiteral(" h:mm AP"), kDateForm + QStringLiteral(" h:mm")}) {
            const QDateTime dt = QDateTime::fromString(t, form);
            if (dt.isValid())
                return dt;
        }
        return t;
    }
    case FieldType::Alpha:
    case FieldType::Memo:
        return text;
    default:
        return t.isEmpty() ? QVariant() : QVariant(t);
    }
}

bool storeFieldValue(DataSet* dataSet, const QString& field, const QVariant& value)
{
    auto* table = qobject_cast<Table*>(dataSet);
    if (!table || !table->active() || table->readOnly())
        return false;
    const bool editing = isEditing(*table);
    if (!editing && table->isEmpty())
        return false;
    try {
        if (!editing && !table->edit())
            return false;  // a BeforeEdit hook refused
        table->setFieldValue(field, value);
        return true;
    } catch (const data::EngineError& e) {
        showError(e.message());
        return false;
    }
}

int fieldTextLimit(const DataSet* dataSet, const QString& field)
{
    const auto* table = qobject_cast<const Table*>(dataSet);
    if (!table || !table->active() || field.isEmpty() || !table->hasField(field)
        || table->fieldType(field) != FieldType::Alpha)
        return 0;
    return std::max(table->fieldWidth(field), 0);
}

void LimitToField(QLineEdit* box, const DataSet& dataSet, const QString& field)
{
    const int limit = fieldTextLimit(&dataSet, field);
    box->setMaxLength(limit > 0 ? limit : 32767);
}

// --- QuietWalk ---

QuietWalk::QuietWalk(DataSet& dataSet)
    : m_dataSet(dataSet)
    , m_blocker(&dataSet)
    , m_bof(dataSet.bof())
    , m_eof(dataSet.eof())
{
    if (auto* table = qobject_cast<Table*>(&dataSet))
        m_bookmark = table->bookmark();
    else if (auto* query = qobject_cast<data::Query*>(&dataSet))
        m_recNo = query->recNo();
}

QuietWalk::~QuietWalk()
{
    try {
        restore();
    } catch (const data::EngineError& e) {
        qWarning().noquote() << e.message();
    }
}

void QuietWalk::restore()
{
    if (!m_dataSet.active() || isEditing(m_dataSet))
        return;
    if (auto* table = qobject_cast<Table*>(&m_dataSet)) {
        if (m_bookmark < 0 || !table->gotoBookmark(m_bookmark))
            table->first();
    } else {
        m_dataSet.first();
        for (int i = 0; i < m_recNo; ++i)
            m_dataSet.next();
    }
    // Stepping off the ends again sets the flags without moving.
    if (m_eof)
        m_dataSet.next();
    if (m_bof)
        m_dataSet.prior();
}

// --- FieldDataLink ---

FieldDataLink::FieldDataLink(QObject* parent)
    : QObject(parent)
{
}

void FieldDataLink::setDataSource(DataSource* source)
{
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections << connect(source, &DataSource::recordChanged, this, &FieldDataLink::reload);
        m_connections << connect(source, &DataSource::fieldChanged, this, &FieldDataLink::fieldChanged);
        m_connections << connect(source, &QObject::destroyed, this, &FieldDataLink::reload, Qt::QueuedConnection);
    }
    emit reload();
}

void FieldDataLink::setFieldName(const QString& name)
{
    m_field = name;
    emit reload();
}

DataSet* FieldDataLink::dataSet() const { return m_source ? m_source->dataSet() : nullptr; }

Table* FieldDataLink::table() const { return qobject_cast<Table*>(dataSet()); }

bool FieldDataLink::hasValue() const
{
    const DataSet* ds = dataSet();
    if (!ds || !ds->active() || m_field.isEmpty() || !ds->hasField(m_field))
        return false;
    return isEditing(*ds) || !ds->isEmpty();
}

QVariant FieldDataLink::value() const { return hasValue() ? readField(*dataSet(), m_field) : QVariant(); }

FieldType FieldDataLink::fieldType() const
{
    const DataSet* ds = dataSet();
    if (!ds || !ds->active() || m_field.isEmpty() || !ds->hasField(m_field))
        return FieldType::Memo;
    return ds->fieldType(m_field);
}

bool FieldDataLink::canModify() const
{
    const Table* t = table();
    return t && hasValue() && !t->readOnly() && !t->isLookupField(m_field) &&
           t->fieldType(m_field) != FieldType::AutoInc;
}

bool FieldDataLink::write(const QVariant& value)
{
    if (!canModify())
        return false;
    const bool wasWriting = std::exchange(m_writing, true);
    const bool stored = storeFieldValue(dataSet(), m_field, value);
    m_writing = wasWriting;
    return stored;
}

void FieldDataLink::fieldChanged(const QString& name)
{
    if (!m_writing && name.compare(m_field, Qt::CaseInsensitive) == 0)
        emit reload();
}

// --- DBEdit ---

DBEdit::DBEdit(QWidget* parent)
    : QLineEdit(parent)
{
    connect(&m_link, &FieldDataLink::reload, this, &DBEdit::loadValue);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::userEdited);
}

void DBEdit::setDataSource(DataSource* source) { m_link.setDataSource(source); }

void DBEdit::setDataField(const QString& field) { m_link.setFieldName(field); }

void DBEdit::setEditMask(const QString& editMask)
{
    m_mask = TranslateEditMask(editMask);
    loadValue();
}

void DBEdit::loadValue()
{
    const int limit = fieldTextLimit(m_link.dataSet(), m_link.fieldName());
    setMaxLength(limit > 0 ? limit : 32767);
    const QString text = fieldDisplayText(m_link.fieldType(), m_link.value());
    if (m_mask.isEmpty()) {
        setText(text);
        return;
    }
    setInputMask(m_mask.qtInputMask());
    setText(text);
    // The mask would rearrange a value it does not fit: shown as stored.
    if (!text.isEmpty() && MaskedValue(m_mask, displayText()) != text) {
        setInputMask(QString());
        setText(text);
    }
}

void DBEdit::userEdited(const QString& text)
{
    if (!m_link.isBound())
        return;
    QVariant value;
    if (masked()) {
        const QString typed = MaskedValue(m_mask, displayText());
        if (!typed.isNull())
            value = typed;
    } else {
        value = fieldValueFromText(m_link.fieldType(), text);
    }
    if (!m_link.write(value))
        loadValue();
}

// --- DBMemo ---

DBMemo::DBMemo(QWidget* parent)
    : QPlainTextEdit(parent)
{
    connect(&m_link, &FieldDataLink::reload, this, &DBMemo::loadValue);
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::userEdited);
}

void DBMemo::setDataSource(DataSource* source) { m_link.setDataSource(source); }

void DBMemo::setDataField(const QString& field) { m_link.setFieldName(field); }

void DBMemo::loadValue()
{
    const bool was = std::exchange(m_loading, true);
    setPlainText(data::valueText(m_link.value()));
    m_loading = was;
}

void DBMemo::userEdited()
{
    if (m_loading || !m_link.isBound())
        return;
    if (!m_link.write(toPlainText()))
        loadValue();
}

// --- DBCheckBox ---

DBCheckBox::DBCheckBox(QWidget* parent)
    : DBCheckBox(QString(), parent)
{
}

DBCheckBox::DBCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent)
{
    connect(&m_link, &FieldDataLink::reload, this, &DBCheckBox::loadValue);
    connect(this, &QCheckBox::clicked, this, &DBCheckBox::userClicked);
}

void DBCheckBox::setDataSource(DataSource* source) { m_link.setDataSource(source); }

void DBCheckBox::setDataField(const QString& field) { m_link.setFieldName(field); }

void DBCheckBox::loadValue() { setChecked(data::valueBool(m_link.value(), false)); }

void DBCheckBox::userClicked(bool checked)
{
    if (m_link.isBound() && !m_link.write(checked))
        loadValue();
}

// --- DBRadioGroup ---

DBRadioGroup::DBRadioGroup(QWidget* parent)
    : QGroupBox(parent)
    , m_group(new QButtonGroup(this))
{
    new QVBoxLayout(this);
    connect(&m_link, &FieldDataLink::reload, this, &DBRadioGroup::loadValue);
    connect(m_group, &QButtonGroup::idClicked, this, &DBRadioGroup::userClicked);
}

void DBRadioGroup::setDataSource(DataSource* source) { m_link.setDataSource(source); }

void DBRadioGroup::setDataField(const QString& field) { m_link.setFieldName(field); }

void DBRadioGroup::setItems(const QStringList& captions, const QVariantList& values)
{
    qDeleteAll(m_buttons);
    m_buttons.clear();
    m_values.clear();
    for (int i = 0; i < captions.size(); ++i) {
        auto* b = new QRadioButton(captions[i], this);
        layout()->addWidget(b);
        m_group->addButton(b, i);
        m_buttons << b;
        m_values << (i < values.size() ? values[i] : QVariant(captions[i]));
    }
    setReadOnly(m_readOnly);
    loadValue();
}

int DBRadioGroup::itemCount() const { return static_cast<int>(m_buttons.size()); }

QRadioButton* DBRadioGroup::button(int index) const
{
    return index >= 0 && index < m_buttons.size() ? m_buttons[index] : nullptr;
}

int DBRadioGroup::itemIndex() const { return m_group->checkedId(); }

void DBRadioGroup::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    for (QRadioButton* b : std::as_const(m_buttons)) {
        b->setAttribute(Qt::WA_TransparentForMouseEvents, readOnly);
        b->setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
    }
}

void DBRadioGroup::loadValue()
{
    if (!m_link.isBound())
        return;
    const QVariant v = m_link.value();
    int found = -1;
    for (int i = 0; i < m_values.size() && found < 0; ++i)
        if (sameKey(m_values[i], v))
            found = i;
    if (found >= 0) {
        m_buttons[found]->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; let go of it for a moment.
    m_group->setExclusive(false);
    for (QRadioButton* b : std::as_const(m_buttons))
        b->setChecked(false);
    m_group->setExclusive(true);
}

void DBRadioGroup::userClicked(int index)
{
    if (m_readOnly || index < 0 || index >= m_values.size() || (m_link.isBound() && !m_link.write(m_values[index])))
        loadValue();
}

// --- DBLookupComboBox ---

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setEditable(false);
    connect(&m_link, &FieldDataLink::reload, this, &DBLookupComboBox::loadValue);
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::userChose);
}

void DBLookupComboBox::setDataSource(DataSource* source) { m_link.setDataSource(source); }

void DBLookupComboBox::setDataField(const QString& field) { m_link.setFieldName(field); }

void DBLookupComboBox::setListSource(DataSource* source)
{
    disconnect(m_listConnection);
    m_listSource = source;
    if (source)
        m_listConnection = connect(source, &DataSource::dataChanged, this, &DBLookupComboBox::rebuildList);
    rebuildList();
}

void DBLookupComboBox::setKeyField(const QString& field)
{
    m_keyField = field;
    rebuildList();
}

void DBLookupComboBox::setListField(const QString& field)
{
    m_listField = field;
    rebuildList();
}

void DBLookupComboBox::rebuildList()
{
    DataSet* list = m_listSource ? m_listSource->dataSet() : nullptr;
    // Walking a list that is being edited would post the edit; keep the
    // items until the list is browsed again.
    if (list && isEditing(*list))
        return;
    const QVariant shownKey = keyValue();
    const QSignalBlocker quiet(this);
    clear();
    if (list && list->active() && !m_keyField.isEmpty() && !m_listField.isEmpty() && list->hasField(m_keyField) &&
        list->hasField(m_listField)) {
        try {
            QuietWalk walk(*list);
            list->first();
            // next() on the last row sets EOF and stays there.
            for (bool more = !list->isEmpty(); more; more = !list->eof()) {
                addItem(data::valueText(list->fieldValue(m_listField)), list->fieldValue(m_keyField));
                list->next();
            }
        } catch (const data::EngineError& e) {
            qWarning().noquote() << e.message();
        }
    }
    if (m_link.isBound())
        loadValue();
    else
        selectKey(shownKey);
}

QVariant DBLookupComboBox::keyValue() const { return currentIndex() >= 0 ? currentData() : QVariant(); }

void DBLookupComboBox::setKeyValue(const QVariant& key)
{
    if (!m_link.isBound())
        selectKey(key);
}

void DBLookupComboBox::loadValue()
{
    if (m_link.isBound())
        selectKey(m_link.value());
}

void DBLookupComboBox::selectKey(const QVariant& key)
{
    int found = -1;
    for (int i = 0; i < count() && found < 0; ++i)
        if (sameKey(itemData(i), key))
            found = i;
    const QSignalBlocker quiet(this);
    setCurrentIndex(found);
}

void DBLookupComboBox::userChose(int index)
{
    if (!m_link.isBound())
        return;
    if (m_readOnly || index < 0 || !m_link.write(itemData(index)))
        loadValue();
}

void DBLookupComboBox::setReadOnly(bool readOnly) { m_readOnly = readOnly; }

void DBLookupComboBox::showPopup()
{
    if (!m_readOnly)
        QComboBox::showPopup();
}

void DBLookupComboBox::keyPressEvent(QKeyEvent* event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBLookupComboBox::wheelEvent(QWheelEvent* event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

// --- DataGridModel ---

DataGridModel::DataGridModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

Table* DataGridModel::table() const { return m_source ? qobject_cast<Table*>(m_source->dataSet()) : nullptr; }

void DataGridModel::setDataSource(DataSource* source)
{
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections << connect(source, &DataSource::dataChanged, this, &DataGridModel::resetRows);
        m_connections << connect(source, &DataSource::recordChanged, this, &DataGridModel::recordMoved);
        m_connections << connect(source, &DataSource::stateChanged, this, &DataGridModel::recordMoved);
        m_connections << connect(source, &DataSource::fieldChanged, this, &DataGridModel::fieldChanged);
    }
    resetRows();
}

void DataGridModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    m_rows.clear();
    m_atEnd = false;
    endResetModel();
}

void DataGridModel::resetRows()
{
    beginResetModel();
    m_rows.clear();
    m_atEnd = false;
    endResetModel();
}

int DataGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int DataGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

FieldType DataGridModel::columnType(int column) const
{
    const Table* t = table();
    const QString& name = m_columns[column].fieldName;
    return t && t->active() && t->hasField(name) ? t->fieldType(name) : FieldType::Memo;
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const CachedRow& row = m_rows[static_cast<size_t>(index.row())];
    QVariant value = row.values[static_cast<size_t>(index.column())];
    const Table* t = table();
    if (t && t->state() == DataSet::State::Edit && t->bookmark() == row.bookmark &&
        t->hasField(m_columns[index.column()].fieldName))
        value = readField(*t, m_columns[index.column()].fieldName);
    return fieldDisplayText(columnType(index.column()), value);
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size()) {
        const GridColumn& c = m_columns[section];
        return c.title.isEmpty() ? c.fieldName : c.title;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    const Table* t = table();
    if (!index.isValid() || m_readOnly || !t || !t->active() || t->readOnly())
        return f;
    const QString& name = m_columns[index.column()].fieldName;
    if (t->hasField(name) && !t->isLookupField(name) && t->fieldType(name) != FieldType::AutoInc)
        f |= Qt::ItemIsEditable;
    return f;
}

bool DataGridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    Table* t = table();
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) || !t)
        return false;
    const data::Table::Bookmark bm = bookmarkAt(index.row());
    try {
        if (t->bookmark() != bm && !t->gotoBookmark(bm))
            return false;
    } catch (const data::EngineError& e) {
        showError(e.message());
        return false;
    }
    const int column = index.column();
    return storeFieldValue(t, m_columns[column].fieldName, fieldValueFromText(columnType(column), value.toString()));
}

bool DataGridModel::canFetchMore(const QModelIndex& parent) const
{
    if (parent.isValid() || m_atEnd || !m_source || !m_source->enabled())
        return false;
    const Table* t = table();
    return t && t->active() && t->state() == DataSet::State::Browse;
}

void DataGridModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    Table& t = *table();
    std::vector<CachedRow> fetched;
    bool atEnd = false;
    try {
        QuietWalk walk(t);
        if (m_rows.empty()) {
            t.first();
            atEnd = t.isEmpty();
        } else if (!t.gotoBookmark(m_rows.back().bookmark)) {
            atEnd = true;  // the last row read is gone; a refresh reads the table again
        } else {
            t.next();
            atEnd = t.eof();
        }
        while (!atEnd && static_cast<int>(fetched.size()) < m_blockSize) {
            CachedRow row;
            row.bookmark = t.bookmark();
            for (const GridColumn& c : std::as_const(m_columns))
                row.values.push_back(t.hasField(c.fieldName) ? t.fieldValue(c.fieldName) : QVariant());
            fetched.push_back(std::move(row));
            t.next();
            atEnd = t.eof();
        }
    } catch (const data::EngineError& e) {
        qWarning().noquote() << e.message();
        atEnd = true;
    }
    m_atEnd = atEnd;
    if (fetched.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(fetched.size()) - 1);
    for (CachedRow& r : fetched)
        m_rows.push_back(std::move(r));
    endInsertRows();
}

data::Table::Bookmark DataGridModel::bookmarkAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<size_t>(row)].bookmark : -1;
}

int DataGridModel::cachedRowOf(data::Table::Bookmark bookmark) const
{
    if (bookmark < 0)
        return -1;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].bookmark == bookmark)
            return static_cast<int>(i);
    return -1;
}

int DataGridModel::rowOf(data::Table::Bookmark bookmark)
{
    int row = cachedRowOf(bookmark);
    while (row < 0 && bookmark >= 0 && canFetchMore(QModelIndex())) {
        const int before = rowCount();
        fetchMore(QModelIndex());
        for (int i = before; i < rowCount() && row < 0; ++i)
            if (m_rows[static_cast<size_t>(i)].bookmark == bookmark)
                row = i;
    }
    return row;
}

int DataGridModel::currentRow()
{
    // A row being inserted is not among the grid's rows until it is posted.
    const Table* t = table();
    return t && t->active() && t->state() != DataSet::State::Insert ? rowOf(t->bookmark()) : -1;
}

void DataGridModel::recordMoved()
{
    const int row = currentRow();
    if (row >= 0)
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit currentRowChanged(row);
}

void DataGridModel::fieldChanged(const QString&)
{
    const Table* t = table();
    const int row = t && t->state() == DataSet::State::Edit ? cachedRowOf(t->bookmark()) : -1;
    if (row < 0)
        return;
    // A lookup column may follow the changed key, so the whole row is told.
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

// --- DBGrid ---

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(new DataGridModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_model, &DataGridModel::currentRowChanged, this, &DBGrid::followTable);
}

void DBGrid::setDataSource(DataSource* source)
{
    m_model->setDataSource(source);
    followTable(m_model->currentRow());
}

void DBGrid::setColumns(const QList<GridColumn>& columns)
{
    m_model->setColumns(columns);
    followTable(m_model->currentRow());
}

void DBGrid::setReadOnly(bool readOnly)
{
    m_model->setReadOnly(readOnly);
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed);
}

void DBGrid::followTable(int row)
{
    const bool was = std::exchange(m_following, true);
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const int column = std::max(currentIndex().column(), 0);
        setCurrentIndex(m_model->index(row, column));
        scrollTo(currentIndex());
    }
    m_following = was;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    Table* t = m_model->table();
    if (m_following || !t || !current.isValid() || current.row() == previous.row())
        return;
    const data::Table::Bookmark bm = m_model->bookmarkAt(current.row());
    bool moved = false;
    try {
        moved = t->bookmark() == bm || t->gotoBookmark(bm);
    } catch (const data::EngineError& e) {
        showError(e.message());
    }
    if (!moved)
        followTable(m_model->currentRow());
}

}  // namespace kv::common
