#pragma once

#include <QStringList>
#include <QTextStream>

namespace kv::tools {

// "check DIR": SQLite's integrity check; prints its lines, exit 0 on "ok".
// "backup DIR TARGET": a consistent copy of the catalogue into the
// directory TARGET, even while others write; never replaces a catalogue.
// "pack DIR": packs as "Pack Database" does; refused while another program
// has the catalogue open (naming it); prints the size before and after.
// Failures print the message and return 1 (2 for a wrong command).
bool isMaintenanceCommand(const QString& command);
int runMaintenanceCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

extern const char* const kMaintenanceUsage;

}  // namespace kv::tools
