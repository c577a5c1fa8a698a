#pragma once

#include "data/FieldType.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

namespace kv::data {

// What the Local SQL adapter needs to know of the catalogue. Kept free of any
// database library so that another backend can supply it.
class SqlSchemaInfo {
public:
    virtual ~SqlSchemaInfo() = default;
    // A table named by its file name ("PictureInfo.db", any letter case, with
    // or without the extension) -> the table's name ("PictureInfo").
    virtual std::optional<QString> tableForFileName(const QString& fileName) const = 0;
    // The type of a column given by its bare name (no alias), when any
    // table of the catalogue has it.
    virtual std::optional<FieldType> columnType(const QString& column) const = 0;
};

// A statement the adapter cannot read. what() quotes the statement.
class LocalSqlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TranslatedSql {
    QStringList statements;   // SQLite statements, to be run in order
    bool returnsRows = false; // a SELECT
    bool changesSchema = false; // ALTER TABLE and the like
};

// A text value for a Local SQL statement: between double quotes, a double
// quote inside doubled, so that no typed text can end the value early.
QString localSqlText(const QString& value);

// A name for SQLite: between double quotes, a double quote inside doubled.
QString sqliteIdentifier(const QString& name);

// Turns one Local SQL statement (as the program writes it) into SQLite
// statements with the same meaning. Throws LocalSqlError when it cannot.
TranslatedSql translateLocalSql(const QString& statement, const SqlSchemaInfo& schema);

}  // namespace kv::data
