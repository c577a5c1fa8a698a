#pragma once

#include "data/CatalogueSchema.h"
#include "data/DataSet.h"

#include <QHash>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace kv::data {

class Database;
class Statement;

// A navigational view of one catalogue table: rows in index order, a current
// row, record filters, master-detail ranges, and insert/edit/post/delete
// with the data module's hooks. Row values are read from the catalogue as
// the cursor reaches them, so large tables open at once.
class Table : public DataSet {
    Q_OBJECT
public:
    using Hook = std::function<void(Table&)>;
    using FilterRecord = std::function<bool(Table&)>;

    explicit Table(Database* db = nullptr, QObject* parent = nullptr);
    ~Table() override;

    void setDatabase(Database* db);
    Database* database() const { return m_db; }

    // The table by name or file name ("PictureInfo.db", any case).
    void setTableName(const QString& nameOrFileName);
    QString tableName() const { return m_tableName; }
    QString fileName() const;

    void setReadOnly(bool readOnly);
    bool readOnly() const { return m_readOnly; }
    void setExclusive(bool exclusive);
    bool exclusive() const { return m_exclusive; }

    // Row order: a named index of the table, or field names separated by ";".
    // Without either, rows come in key order.
    void setIndexName(const QString& indexName);
    void setIndexFieldNames(const QString& fieldNames);
    QStringList indexFields() const { return m_indexFields; }

    // Master-detail link: only rows whose detailField equals the master's
    // masterField are shown, following the master's current row.
    void setMasterLink(DataSource* master, const QString& masterField, const QString& detailField);
    void detachMaster();  // show every row; the link is kept for attachMaster
    void attachMaster();
    bool masterAttached() const { return m_masterAttached && m_master; }

    void open() override;
    void close() override;
    void refresh();

    // Navigation; with Filtered on, only rows the filter accepts are reached.
    void first() override;
    void next() override;
    void prior() override;
    void last() override;
    bool isEmpty() const override { return m_pos < 0; }
    int recordCount() const { return static_cast<int>(m_ids.size()); }  // rows in range, unfiltered

    // Record filter. The find operations stop only at rows it accepts,
    // whether Filtered is on or not.
    FilterRecord onFilterRecord;
    void setFiltered(bool filtered);
    bool filtered() const { return m_filtered; }
    bool findFirst();
    bool findNext();
    bool findPrior();
    bool findLast();

    // Moves to the first row whose field equals the value (filter respected).
    bool locate(const QString& field, const QVariant& value);

    using Bookmark = qint64;
    Bookmark bookmark() const;  // -1 without a current row
    bool gotoBookmark(Bookmark bookmark);

    // Editing. post() returns false when a BeforePost or DuringPost hook
    // abandoned it (the row stays in edit or insert state); engine errors
    // throw. insert() first posts a pending edit: when that post is refused
    // it returns false and the table stays on the edited row.
    [[nodiscard]] bool insert();
    [[nodiscard]] bool append() { return insert(); }
    bool edit();
    bool post();
    void cancel();
    bool deleteRecord();  // false when a BeforeDelete hook abandoned it

    Hook beforePost;
    // Runs inside the post's transaction once the row is written (the key of
    // a new row is known): changes and checks that must stand or fall with
    // the post. abortOperation() here undoes the write and refuses the post.
    Hook duringPost;
    Hook afterPost;
    Hook afterInsert;
    Hook beforeEdit;
    Hook beforeDelete;
    Hook afterDelete;

    QStringList fieldNames() const override;
    bool hasField(const QString& name) const override;
    FieldType fieldType(const QString& name) const override;
    int fieldWidth(const QString& name) const;
    bool isLookupField(const QString& name) const;
    QVariant fieldValue(const QString& name) const override;
    void setFieldValue(const QString& name, const QVariant& value) override;

private:
    struct Column {
        QString name;
        FieldType type = FieldType::Memo;
        int width = 0;
        const LookupDef* lookup = nullptr;
    };
    using Row = std::vector<QVariant>;

    void requireActive() const;
    void requireWritable(const char* operation) const;
    int columnIndex(const QString& name) const;  // throws for unknown names
    void buildColumns();
    void prepareStatements();
    bool leaveEditState();
    void loadIds();
    bool readRow(qint64 rowid, Row& row);
    void readRowColumns(Statement& st, Row& row, int firstColumn);
    std::optional<Row> fetchAt(int pos, int direction = 1);  // drops rows deleted by others
    void readAhead(int pos, int direction);
    bool accepts();                       // the filter on the row in m_current
    bool scanTo(int from, int step, bool useFilter);
    void settleAfterChange(int preferredPos);
    int positionOf(qint64 rowid) const;
    int insertPosition(const Row& row, qint64 rowid);
    int compareKeys(const Row& a, qint64 aId, const Row& b, qint64 bId) const;
    bool inRange(const Row& row) const;
    QVariant lookupValue(const Column& c, const Row& row) const;
    void masterMoved();
    QString orderClause() const;
    QString rangeClause() const;
    void finishEdit();
    void releaseExclusive();

    Database* m_db = nullptr;
    QString m_tableName;
    const TableDef* m_def = nullptr;
    bool m_readOnly = false;
    bool m_exclusive = false;
    bool m_holdsExclusive = false;  // this table holds the catalogue's exclusive use
    QStringList m_indexFields;
    std::vector<int> m_keyColumns;

    QPointer<DataSource> m_master;
    QString m_masterField;
    QString m_detailField;
    bool m_masterAttached = true;
    QVariant m_rangeValue;
    bool m_rangeActive = false;
    QMetaObject::Connection m_masterConnections[3];

    std::vector<Column> m_columns;
    QHash<QString, int> m_columnIndex;       // upper-cased name -> column
    QHash<QString, int> m_columnIndexExact;  // name as the catalogue spells it -> column
    std::unique_ptr<Statement> m_fetch;
    std::unique_ptr<Statement> m_fetchBlock;
    // Rows read ahead in one statement while the cursor walks the table.
    std::unordered_map<qint64, Row> m_readAhead;

    std::vector<qint64> m_ids;  // rowids in order
    int m_pos = -1;
    Row m_current;
    Row m_buffer;  // the edited row
    Row m_original;
    bool m_filtered = false;
};

}  // namespace kv::data
