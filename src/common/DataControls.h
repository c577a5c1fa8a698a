#pragma once

#include "common/EditMask.h"
#include "data/DataSet.h"
#include "data/Table.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QTableView>

#include <optional>
#include <vector>

class QButtonGroup;
class QRadioButton;

namespace kv::common {

// How bound controls show a field value: dates as mm/dd/yyyy, timestamps as
// "mm/dd/yyyy h:mm:ss AM", logicals as True/False, other values as text.
QString fieldDisplayText(data::FieldType type, const QVariant& value);
// The value typed text stands for in a field of the type; text the field
// cannot hold (a date that is not one, a number that is not one) is Null.
QVariant fieldValueFromText(data::FieldType type, const QString& text);

// Stores value in a field of the data set's current row, putting a browsing
// table into edit state first. The data set must be an open, writable Table
// with a current row (or a row being inserted); otherwise nothing is stored.
// An engine error is shown in an error box. Returns whether it was stored.
bool storeFieldValue(data::DataSet* dataSet, const QString& field, const QVariant& value);

// The most characters a field of the data set holds: an Alpha field's
// width; 0 for a field of any length (other types, or no such field).
int fieldTextLimit(const data::DataSet* dataSet, const QString& field);
// Makes a box whose text is stored in the field take no more than the field
// holds, so that what is typed is what is stored.
void LimitToField(QLineEdit* box, const data::DataSet& dataSet, const QString& field);

// Walks a data set unnoticed: its signals are blocked for the life of the
// object, and its current row (with BOF and EOF) is restored at the end.
// Used by controls that read other rows than the current one.
class QuietWalk {
public:
    explicit QuietWalk(data::DataSet& dataSet);
    ~QuietWalk();
    QuietWalk(const QuietWalk&) = delete;
    QuietWalk& operator=(const QuietWalk&) = delete;

private:
    void restore();

    data::DataSet& m_dataSet;
    QSignalBlocker m_blocker;
    data::Table::Bookmark m_bookmark = -1;
    int m_recNo = -1;
    bool m_bof = true;
    bool m_eof = true;
};

// Ties a control to one field of a data source: tells it when to show the
// field again and writes what the user typed.
class FieldDataLink : public QObject {
    Q_OBJECT
public:
    explicit FieldDataLink(QObject* parent = nullptr);

    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_source; }
    void setFieldName(const QString& name);
    QString fieldName() const { return m_field; }

    // A source and a field are set. An unbound control works as a plain one.
    bool isBound() const { return m_source && !m_field.isEmpty(); }
    data::DataSet* dataSet() const;
    data::Table* table() const;
    // The data set is open, has the field and a current (or new) row.
    bool hasValue() const;
    QVariant value() const;  // invalid without a value
    data::FieldType fieldType() const;  // Memo when unknown
    // The user may change the field: an open writable table with a row.
    bool canModify() const;
    // Stores the value (see storeFieldValue). The control is not told to
    // show the field again for this change; it shows what the user typed.
    bool write(const QVariant& value);

signals:
    void reload();  // the control shows value() again

private:
    void fieldChanged(const QString& name);

    QPointer<data::DataSource> m_source;
    QString m_field;
    bool m_writing = false;
    QList<QMetaObject::Connection> m_connections;
};

// A line edit showing one field of the current row. Alpha fields limit the
// length to the field's width, with or without a current row.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataField(const QString& field);
    QString dataField() const { return m_link.fieldName(); }
    FieldDataLink& link() { return m_link; }

    // Typing goes through the catalogue edit mask (TranslateEditMask; empty:
    // none). What is stored is MaskedValue: literals as the mask says, Null
    // while nothing is typed. A stored value that does not fit the mask (one
    // imported, say) is shown as it is, without the mask, and kept.
    void setEditMask(const QString& editMask);
    bool masked() const { return !inputMask().isEmpty(); }

private:
    void loadValue();
    void userEdited(const QString& text);
    FieldDataLink m_link;
    EditMask m_mask;
};

// A memo editor showing one field of the current row.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);
    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataField(const QString& field);
    QString dataField() const { return m_link.fieldName(); }
    FieldDataLink& link() { return m_link; }

private:
    void loadValue();
    void userEdited();
    FieldDataLink m_link;
    bool m_loading = false;
};

// A check box showing a logical field (Null shows unchecked).
class DBCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit DBCheckBox(QWidget* parent = nullptr);
    DBCheckBox(const QString& text, QWidget* parent = nullptr);
    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataField(const QString& field);
    QString dataField() const { return m_link.fieldName(); }
    FieldDataLink& link() { return m_link; }

private:
    void loadValue();
    void userClicked(bool checked);
    FieldDataLink m_link;
};

// A group of radio buttons, one per item; the field holds the checked item's
// value. No button is checked when the field holds none of the values.
class DBRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit DBRadioGroup(QWidget* parent = nullptr);
    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataField(const QString& field);
    QString dataField() const { return m_link.fieldName(); }
    FieldDataLink& link() { return m_link; }

    // The captions of the items and their values; without values each
    // item's value is its caption.
    void setItems(const QStringList& captions, const QVariantList& values = {});
    int itemCount() const;
    QRadioButton* button(int index) const;
    int itemIndex() const;  // -1 when none is checked

    // Read-only: the user cannot change the choice; the colours stay.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

private:
    void loadValue();
    void userClicked(int index);
    FieldDataLink m_link;
    QButtonGroup* m_group;
    QList<QRadioButton*> m_buttons;
    QVariantList m_values;
    bool m_readOnly = false;
};

// A combo box for a reference field: lists the rows of a lookup data source
// (shown field), and writes the chosen row's key field into the bound field.
// Without a bound field it only picks a key (keyValue).
class DBLookupComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_link.dataSource(); }
    void setDataField(const QString& field);
    QString dataField() const { return m_link.fieldName(); }
    FieldDataLink& link() { return m_link; }

    void setListSource(data::DataSource* source);
    data::DataSource* listSource() const { return m_listSource; }
    void setKeyField(const QString& field);
    QString keyField() const { return m_keyField; }
    void setListField(const QString& field);
    QString listField() const { return m_listField; }

    // Reads the list rows again (done by itself when the list data changes).
    void rebuildList();
    QVariant keyValue() const;  // of the shown item; invalid when none
    // Shows the item of a key (none when no item has it). Only for an
    // unbound box; a bound one shows its field.
    void setKeyValue(const QVariant& key);

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }
    void showPopup() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void loadValue();
    void selectKey(const QVariant& key);
    void userChose(int index);
    FieldDataLink m_link;
    QPointer<data::DataSource> m_listSource;
    QMetaObject::Connection m_listConnection;
    QString m_keyField;
    QString m_listField;
    bool m_readOnly = false;
};

// One column of a grid: a field and its title (the field name when empty).
struct GridColumn {
    QString fieldName;
    QString title;
};

// The rows of a table for a grid, read on demand in blocks as the view
// scrolls (fetchMore) without moving the table's current row. A row being
// edited shows its edited values; a row being inserted appears once posted.
class DataGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataGridModel(QObject* parent = nullptr);

    // The source's data set must be a Table; any other shows no rows.
    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_source; }
    data::Table* table() const;
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return m_columns; }
    void setFetchBlockSize(int rows) { m_blockSize = std::max(rows, 1); }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    data::Table::Bookmark bookmarkAt(int row) const;
    // The row of a bookmark, reading further rows when needed; -1 if none.
    int rowOf(data::Table::Bookmark bookmark);
    int currentRow();  // the row of the table's current row

signals:
    void currentRowChanged(int row);  // the table's current row moved

private:
    struct CachedRow {
        data::Table::Bookmark bookmark = -1;
        std::vector<QVariant> values;
    };
    void resetRows();
    void recordMoved();
    void fieldChanged(const QString& name);
    int cachedRowOf(data::Table::Bookmark bookmark) const;
    data::FieldType columnType(int column) const;

    QPointer<data::DataSource> m_source;
    QList<QMetaObject::Connection> m_connections;
    QList<GridColumn> m_columns;
    std::vector<CachedRow> m_rows;
    bool m_atEnd = false;
    int m_blockSize = 100;
    bool m_readOnly = false;
};

// A grid over a table: one row per table row, the selected row following
// the table's current row and moving it when the user picks another.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    void setDataSource(data::DataSource* source);
    data::DataSource* dataSource() const { return m_model->dataSource(); }
    void setColumns(const QList<GridColumn>& columns);
    DataGridModel* gridModel() const { return m_model; }
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_model->isReadOnly(); }

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followTable(int row);
    DataGridModel* m_model;
    bool m_following = false;
};

}  // namespace kv::common
