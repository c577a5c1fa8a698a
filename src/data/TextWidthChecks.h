#pragma once

#include "data/CatalogueSchema.h"

#include <QString>

#include <vector>

namespace kv::data {

class Database;

// Alpha fields hold at most their width in characters. Tables cut a text to
// the width when it is assigned; statements (Local SQL, schema updates, other
// programs) are held to it by triggers in the catalogue, which refuse a
// longer text with a message naming the field.

struct WidthTrigger {
    QString name;
    QString sql;
};

// The triggers for one table's layout: one for inserts, one for updates of
// its Alpha fields; none when it has no Alpha field of known width.
std::vector<WidthTrigger> textWidthTriggers(const QString& table, const std::vector<FieldDef>& fields);

// Brings the catalogue's triggers in line with its tables as they are now:
// adds them to catalogues made before they existed, rewrites those of a
// table whose layout changed. Writes only when something differs, in one
// transaction that looks again once it holds the write lock.
void ensureTextWidthChecks(Database& db);

// Removes every width trigger (a column a trigger names cannot be dropped).
void dropTextWidthChecks(Database& db);

}  // namespace kv::data
