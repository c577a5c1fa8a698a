#pragma once

#include <QString>

namespace kv::app {

// The catalogue engine is SQLite; the program needs this version or later
// (row values, DROP COLUMN and the other features the engine layer uses).
inline constexpr int kRequiredSqliteVersion = 3035000;
inline constexpr const char* kRequiredSqliteText = "3.35.0";

// The version number of the SQLite library in use (3040001 for 3.40.1),
// or 0 when it cannot be read.
int sqliteVersionNumber();

// Empty when the engine is good enough, else the message to show.
QString engineCheckMessage(int versionNumber);

}  // namespace kv::app
