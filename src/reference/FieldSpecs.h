#pragma once

#include <QString>
#include <QStringList>

namespace kv::reference {

// The callers describe the fields they offer for text export and import as
// texts of tab-separated fields ("field specs"); the windows and the runs
// read them here.

// Field types named in the specs.
inline constexpr const char* kTypeInteger = "Integer";
inline constexpr const char* kTypeText = "Text";
inline constexpr const char* kTypeDate = "Date";
inline constexpr const char* kTypeBoolean = "Boolean";

// "label \t width \t select expression \t result field \t type", e.g.
// "Rating ID\t10\tRatingID\tRatingID\tInteger".
struct ExportFieldSpec {
    QString label;             // shown to the user and written in the header line
    int width = 0;             // characters, for the fixed-length layout
    QString selectExpression;  // put into the SELECT list
    QString resultField;       // the name the value is read under
    QString type;              // "Integer", "Text", "Date" (or "Boolean")

    static ExportFieldSpec parse(const QString& spec);
    bool isInteger() const { return type == QLatin1String(kTypeInteger); }
    bool isDate() const { return type == QLatin1String(kTypeDate); }
};

// "label \t table field \t Required|Not Required \t type", optionally
// followed (as the Import window hands it back) by "\t column \t 0".
struct ImportFieldSpec {
    QString label;
    QString fieldName;
    bool required = false;
    QString type;
    int column = 0;  // 1-based file column placed on the field; 0 when none
    QString specText;  // the four fields as the caller gave them

    static ImportFieldSpec parse(const QString& spec);
    // The field spec followed by the column and "0", as the Import window returns it.
    QString chosenText() const;
};

QList<ExportFieldSpec> parseExportSpecs(const QStringList& specs);
QList<ImportFieldSpec> parseImportSpecs(const QStringList& specs);

// The SELECT list of the chosen labels: for each label in order the select
// expression of the first spec with that label, joined by ",".
QString SelectListFor(const QStringList& chosenLabels, const QStringList& offeredSpecs);
// The field spec texts of the chosen labels, in the chosen order.
QStringList SpecsFor(const QStringList& chosenLabels, const QStringList& offeredSpecs);

// The fields offered by the picture export of the searches, in their order.
QStringList PictureExportSpecs();

}  // namespace kv::reference
