#pragma once

#include "data/FieldType.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kv::data {

struct FieldDef {
    QString name;
    FieldType type = FieldType::Memo;
    int width = 0;  // Alpha only
};

// A named index of the catalogue. Text fields sort without regard to
// letter case, as the browse order of the reference tables expects.
struct IndexDef {
    QString name;
    QStringList fields;
};

// A field that is not stored: it shows a field of another table's row,
// found by this table's key field. Read live whenever a row is read.
struct LookupDef {
    QString name;
    QString keyField;     // field of this table
    QString lookupTable;  // table holding the value
    QString lookupKey;    // key field of that table
    QString resultField;  // the field shown
    int width = 50;
};

struct TableDef {
    QString name;       // "PictureInfo"
    QString fileName;   // "PictureInfo.db"
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes;       // named indexes of the catalogue
    std::vector<IndexDef> searchIndexes; // further indexes for searches and cascades
    std::vector<LookupDef> lookups;

    const FieldDef* field(const QString& name) const;  // any letter case
    const IndexDef* index(const QString& name) const;  // any letter case
    QString keyField() const;  // the AutoInc field, empty when none
};

// Every table of the catalogue, in creation order.
const std::vector<TableDef>& catalogueSchema();

// A table by its name or file name, in any letter case; nullptr if unknown.
const TableDef* findTableDef(const QString& nameOrFileName);

// The SQL that makes an empty catalogue: tables, indexes and the triggers
// that hold text to the widths of its fields.
QStringList catalogueCreateStatements();

// The SQLite name of an index of a table (index names are per table in the
// catalogue but global in SQLite).
QString sqliteIndexName(const QString& table, const QString& index);

// The program's own schema level.
inline constexpr const char* kProductLevel = "047100-03-20";

}  // namespace kv::data
