#pragma once

#include <QStringList>
#include <QTextStream>

namespace kv::tools {

// "bulk-load DIR --location ID ..." loads a storage location's directory
// into the catalogue in DIR; "scan DIR (--location ID)... | --all" scans
// locations for new pictures. Both run the bulk load window's own logic:
// its checks (printed, exit 1, nothing written), a progress line per
// location, the errors list at the end (exit 0 when the load ran).
bool isBulkCommand(const QString& command);
int runBulkCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

extern const char* const kBulkUsage;

}  // namespace kv::tools
