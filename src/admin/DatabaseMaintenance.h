#pragma once

#include <QString>

#include <functional>

namespace kv::data {
class Database;
class TProgramDataForm;
}  // namespace kv::data

namespace kv::admin {

// Receives each text the status window shows while the work runs.
using StatusText = std::function<void(const QString&)>;

// The catalogue's size on disk: its file and its write-ahead log.
qint64 CatalogueBytes(const QString& directory);

// Throws the refusal when the catalogue is open read-only; operation names
// what cannot be done ("packed", "cleared").
void RequireWritable(data::TProgramDataForm& dm, const QString& operation);

struct PackSizes {
    qint64 before = 0;  // CatalogueBytes before packing
    qint64 after = 0;
};

// Packs the catalogue: takes it for this program alone (the settings table
// opened for exclusive use: while another program has the catalogue open
// the user is asked to retry, and Cancel passes the error on, naming the
// programs, with nothing changed), rebuilds the file without the room of
// deleted rows (VACUUM) and folds the write-ahead log into it. The tables
// of the data module are closed meanwhile and opened again on every way
// out, each on the row it was on. Shows "Packing Settings Table." and then
// "Packing <caption> Table." for every catalogue table in order.
PackSizes PackDatabase(data::TProgramDataForm& dm, const StatusText& status);

// Empties the catalogue tables but the users, the security profiles and the
// file extensions, restarts their numbering, sets every settings default to
// Null and packs the catalogue, with the catalogue taken as for packing. The
// emptying is one transaction: a failure leaves everything as it was. Once
// it has committed, the cleared pictures' preview files are deleted (their
// numbers will be given again), the search result is forgotten and the
// permitted ratings are read again. Shows "Clear Database" and then
// "Clearing <caption> Table." for each cleared table.
void ClearDatabase(data::TProgramDataForm& dm, const StatusText& status);

// Whether "Clear Database" keeps the rows of the catalogue table with this
// caption.
bool KeptByClear(const QString& caption);

// The table's next automatic number becomes value (1: numbering restarts)
// unless a row holds a higher one. Runs in the caller's transaction.
void SetNextAutoIncrement(data::Database& db, const QString& table, qint64 value);

}  // namespace kv::admin
