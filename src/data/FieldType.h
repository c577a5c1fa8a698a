#pragma once

#include <QString>

#include <optional>

namespace kv::data {

// The catalogue's field types and how each is stored in SQLite.
//
// The declared SQLite type carries the catalogue type, so that the schema can
// be read back from the database itself (PRAGMA table_info) after schema
// updates have added columns:
//   AutoInc   INTEGER PRIMARY KEY AUTOINCREMENT
//   Number    REAL            (IDs and counts held as 8-byte floats)
//   Integer   INTEGER
//   Logical   BOOLEAN         (0/1)
//   Alpha(n)  VARCHAR(n)
//   Date      DATE            (text 'YYYY-MM-DD')
//   Timestamp TIMESTAMP       (text 'YYYY-MM-DD HH:MM:SS')
//   Memo      TEXT
enum class FieldType { AutoInc, Number, Integer, Logical, Alpha, Date, Timestamp, Memo };

struct FieldTypeInfo {
    FieldType type = FieldType::Memo;
    int width = 0;  // characters, for Alpha; 0 otherwise
};

// The SQLite declared type of a column (without PRIMARY KEY clauses).
QString declaredSqliteType(FieldType type, int width);

// Reads a declared SQLite type back. isPrimaryKey marks the AutoInc key.
// Unknown declared types read as Memo (plain text).
FieldTypeInfo fieldTypeFromDeclared(const QString& declared, bool isPrimaryKey);

// Reads a Local SQL column type of ALTER TABLE ... ADD (CHAR(20), BOOLEAN,
// SMALLINT, NUMERIC, DATE, TIMESTAMP, BLOB(1,1), MEMO ...). Returns nullopt
// for a type the catalogue cannot hold.
std::optional<FieldTypeInfo> fieldTypeFromLocalSql(const QString& localSqlType);

inline bool isDateLike(FieldType t) { return t == FieldType::Date || t == FieldType::Timestamp; }

QString fieldTypeName(FieldType type);

}  // namespace kv::data
