#pragma once

#include <QString>

#include <optional>

namespace kv::data {
class DataSource;
class TProgramDataForm;
}

namespace kv::search {

// One searchable reference attribute: where its values come from and which
// picture-side field holds them.
struct SearchAttribute {
    data::DataSource* source = nullptr;  // rows offered as values
    QString shownFields;                 // field(s) shown, separated by ";"
    QString keyField;                    // key of those rows
    QString tableFile;                   // e.g. "Place.db"
    QString prefix;                      // alias of the picture-side field, e.g. "PI."
    QString pictureField;                // e.g. "PlaceID"
};

// The attribute with this label ("Place", "Person", ...; exact letter case),
// or nothing for an unknown label, so the caller keeps its previous values.
std::optional<SearchAttribute> SearchAttributeMap(data::TProgramDataForm& dm, const QString& label);

}  // namespace kv::search
