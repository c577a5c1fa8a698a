#pragma once

#include <QString>
#include <QStringList>

namespace kv::admin {

// SQLite's integrity check of the catalogue in the directory: {"ok"} when
// it is sound, else one line per fault found.
QStringList CheckCatalogue(const QString& directory);

// Copies the catalogue in directory into targetDirectory (made when
// missing) with SQLite's online backup: one consistent state, also while
// other programs write. The copy is made under a temporary name and put in
// place only when complete; an existing catalogue there is never replaced.
// Throws EngineError.
void BackupCatalogue(const QString& directory, const QString& targetDirectory);

}  // namespace kv::admin
