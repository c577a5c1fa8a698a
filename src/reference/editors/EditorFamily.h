#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kv::data {
class Table;
class TProgramDataForm;
}
namespace kv::security {
struct TSecurityData;
}

namespace kv::reference {

// The editors of the simple reference tables, and the other editors that
// take part in picking.
enum class EditorKind { Place, Category, SubCategory, Rating, PersonGroup, Album, MediaType, StorageLocation, Person };

// What one reference editor is: everything in which the six editors differ.
struct EditorFamily {
    EditorKind kind;
    QString className;      // "TPlaceForm"
    QString caption;        // window title
    QString groupCaption;   // "Place Information"
    std::function<data::Table&(data::TProgramDataForm&)> table;
    QString fileName;       // "Place.db"
    QString idField;
    QString descriptionField;
    QString commentsField;
    QString modifiedByField;
    QString modifiedDateField;
    struct Column {
        QString field;
        QString title;
    };
    std::vector<Column> gridColumns;
    int helpContext;
    bool security::TSecurityData::*addRight;
    bool security::TSecurityData::*editRight;
    bool security::TSecurityData::*deleteRight;
    QString positionKey;
    QString deleteQuestion;
    // Runs after a delete with the deleted row's ID, in the delete's
    // transaction: the cascade and the settings defaults, or nothing.
    std::function<void(data::TProgramDataForm&, qint64)> afterDelete;
    QStringList exportSpecs;
    QStringList exportFromLines;
    QString exportQuery;  // "PersonQuery" or "PersonGroupQuery"
    QStringList importSpecs;  // empty: no import
    QString importKeyField;
    QString importTableFile;
    // Export and import offer the date format list (the table has dates).
    bool transfersDates = false;
};

const EditorFamily& editorFamily(EditorKind kind);

}  // namespace kv::reference
