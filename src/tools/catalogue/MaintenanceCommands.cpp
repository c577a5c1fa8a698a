#include "tools/catalogue/MaintenanceCommands.h"

#include "tools/catalogue/ToolResponder.h"

#include "admin/CatalogueCopies.h"
#include "admin/DatabaseMaintenance.h"
#include "common/FileOperations.h"
#include "data/ProgramDataForm.h"
#include "data/SessionRegistry.h"

namespace kv::tools {

const char* const kMaintenanceUsage =
    "       kestrelview-catalogue check DIR\n"
    "       kestrelview-catalogue backup DIR TARGET\n"
    "       kestrelview-catalogue pack DIR\n";

namespace {

int check(const QString& dir, QTextStream& out)
{
    const QStringList lines = admin::CheckCatalogue(dir);
    for (const QString& line : lines)
        out << line << "\n";
    return lines == QStringList{QStringLiteral("ok")} ? 0 : 1;
}

int backup(const QString& dir, const QString& target, QTextStream& out)
{
    admin::BackupCatalogue(dir, target);
    out << "Copied the catalogue of " << dir << " to " << target << "\n";
    return 0;
}

int pack(const QString& dir, QTextStream& out, QTextStream& err)
{
    // Listed like the program, so that no program starts meanwhile.
    data::SessionRegistry session(dir, common::NetworkUserName());
    if (session.refusedForExclusiveUse()) {
        err << "kestrelview-catalogue: " << common::messageDisplayText(session.exclusiveUseMessage()) << "\n";
        return 1;
    }
    ToolResponder responder(err, true);
    common::ResponderScope scope(responder);
    data::TProgramDataForm dm;
    dm.setDatabase(data::Database::open(dir, false));
    session.attach(*dm.KestrelviewDatabase());
    dm.openTables(false);
    const admin::PackSizes sizes = admin::PackDatabase(dm, {});
    out << "Packed the catalogue: " << sizes.before << " bytes before, " << sizes.after << " bytes after\n";
    return 0;
}

}  // namespace

bool isMaintenanceCommand(const QString& command)
{
    return command == u"check" || command == u"backup" || command == u"pack";
}

int runMaintenanceCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString command = arguments.value(0);
    const int expected = command == u"backup" ? 3 : 2;
    if (!isMaintenanceCommand(command) || arguments.size() != expected) {
        err << "usage:" << QString::fromLatin1(kMaintenanceUsage).mid(6);
        return 2;
    }
    try {
        if (command == u"check")
            return check(arguments[1], out);
        if (command == u"backup")
            return backup(arguments[1], arguments[2], out);
        return pack(arguments[1], out, err);
    } catch (const data::EngineError& e) {
        err << "kestrelview-catalogue: " << e.errorStack().join(QStringLiteral("\n  ")) << "\n";
        return 1;
    }
}

}  // namespace kv::tools
