#include "tools/catalogue/CatalogueCommand.h"

#include "tools/catalogue/BulkCommands.h"
#include "tools/catalogue/MaintenanceCommands.h"
#include "tools/catalogue/TransferCommands.h"

#include "app/StartupValues.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"

namespace kv::tools {

namespace {

const char* kUsage =
    "usage: kestrelview-catalogue create DIR\n"
    "       kestrelview-catalogue sql DIR STATEMENT\n"
    "       kestrelview-catalogue tables DIR\n"
    "       kestrelview-catalogue where [PROGRAM_DIR]\n";

void printUsage(QTextStream& err) { err << kUsage << kTransferUsage << kMaintenanceUsage << kBulkUsage; }

int create(const QString& dir, QTextStream& out)
{
    data::Database::create(dir);
    out << "Created a new catalogue in " << dir << "\n";
    return 0;
}

int sql(const QString& dir, const QString& statement, QTextStream& out)
{
    auto db = data::Database::open(dir, false);
    data::LocalSqlResult result = db->runLocalSql(statement);
    if (!result.rows) {
        out << result.rowsChanged << "\n";
        return 0;
    }
    data::Statement& st = *result.rows;
    QStringList header;
    for (int c = 0; c < st.columnCount(); ++c)
        header << st.columnName(c);
    out << header.join(QLatin1Char('\t')) << "\n";
    while (st.step()) {
        QStringList line;
        for (int c = 0; c < st.columnCount(); ++c) {
            QString text = data::valueText(st.column(c));
            text.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
            line << text;
        }
        out << line.join(QLatin1Char('\t')) << "\n";
    }
    return 0;
}

int tables(const QString& dir, QTextStream& out)
{
    data::TProgramDataForm dataModule;
    dataModule.setDatabase(data::Database::open(dir, true));
    dataModule.openTables(true);
    auto print = [&out](const QString& caption, const QString& name, const data::Table& table) {
        out << caption << "\t" << name << "\t" << table.recordCount() << "\n";
    };
    for (const data::CatalogueTable& t : dataModule.CatalogueTables())
        print(t.caption, t.tableName, *t.component);
    print(QStringLiteral("Settings"), QStringLiteral("Settings"), dataModule.SettingsTable);
    dataModule.UpdateTable.setReadOnly(true);
    dataModule.UpdateTable.open();
    print(QStringLiteral("Update"), QStringLiteral("Update"), dataModule.UpdateTable);
    return 0;
}

// The catalogue directory the program would open when started in the
// current directory (from Kestrelview.ini, with its fallbacks).
int where(const QString& programDir, QTextStream& out)
{
    app::LocationFolders folders = app::systemLocationFolders();
    if (!programDir.isEmpty())
        folders.executableDir = programDir;
    out << app::resolveDatabaseLocation(folders).directory << "\n";
    return 0;
}

}  // namespace

int runCatalogueCommand(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString command = arguments.value(0);
    if (isTransferCommand(command))
        return runTransferCommand(arguments, out, err);
    if (isMaintenanceCommand(command))
        return runMaintenanceCommand(arguments, out, err);
    if (isBulkCommand(command))
        return runBulkCommand(arguments, out, err);
    const bool known = (command == u"create" && arguments.size() == 2) || (command == u"sql" && arguments.size() == 3)
                       || (command == u"tables" && arguments.size() == 2)
                       || (command == u"where" && arguments.size() <= 2);
    if (!known) {
        printUsage(err);
        return 2;
    }
    try {
        if (command == u"create")
            return create(arguments[1], out);
        if (command == u"where")
            return where(arguments.value(1), out);
        if (command == u"sql")
            return sql(arguments[1], arguments[2], out);
        return tables(arguments[1], out);
    } catch (const data::EngineError& e) {
        err << "kestrelview-catalogue: " << e.errorStack().join(QStringLiteral("\n  ")) << "\n";
        return 1;
    }
}

}  // namespace kv::tools
