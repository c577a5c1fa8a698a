#pragma once

#include <QStringList>
#include <QTextStream>

namespace kv::tools {

// "export DIR TABLE FILE --layout fixed|comma|tab [--header]" and
// "import DIR TABLE FILE --layout fixed|comma|tab [--skip N]": the text
// export and import of a reference editor's table, run by the code the
// editor's Export and Import windows run. Export writes every field the
// editor offers; import places the file's columns on the editor's offered
// import fields in their order. They print the counts; on failure they
// print the message, change nothing and return 1 (2 for a wrong command).
bool isTransferCommand(const QString& command);
int runTransferCommand(const QStringList& arguments, QTextStream& out, QTextStream& err);

extern const char* const kTransferUsage;

}  // namespace kv::tools
