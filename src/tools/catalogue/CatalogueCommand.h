#pragma once

#include <QStringList>
#include <QTextStream>

namespace kv::tools {

// The kestrelview-catalogue command: create, sql, tables, where, export,
// import, check, backup, pack. Returns the exit code; output and errors go to the given streams.
int runCatalogueCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace kv::tools
