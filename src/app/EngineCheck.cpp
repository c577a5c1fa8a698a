#include "app/EngineCheck.h"

#include <sqlite3.h>

namespace kv::app {

int sqliteVersionNumber() { return sqlite3_libversion_number(); }

QString engineCheckMessage(int versionNumber)
{
    if (versionNumber >= kRequiredSqliteVersion)
        return {};
    return QStringLiteral("This Application Requires SQLite %1 Or Higher To Be Installed")
        .arg(QString::fromLatin1(kRequiredSqliteText));
}

}  // namespace kv::app
