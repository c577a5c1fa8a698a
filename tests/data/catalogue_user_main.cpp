// A second program using a catalogue, for the tests that need one running
// beside them (or as another user):
//   open DIR ro|rw [network]   open the catalogue as the program does, print
//                              "places N", or the error text and exit 1
//   update DIR GOFILE          wait for GOFILE, then open with schema updates,
//                              slowly, so that another program starts meanwhile
//   exclusive DIR USER         register, hold the Place table exclusively,
//                              print "ready", wait until killed
//   hold DIR                   keep a connection open after a read, print
//                              "ready", wait until killed
//   lock DIR                   begin a write transaction (as a workstation
//                              in the middle of a change), print "ready",
//                              wait until killed
#include "data/CatalogueFiles.h"
#include "data/ProgramDataForm.h"
#include "data/SchemaUpdates.h"
#include "data/SessionRegistry.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

using namespace kv::data;

namespace {

void ready()
{
    std::printf("ready\n");
    std::fflush(stdout);
}

[[noreturn]] void waitUntilKilled()
{
    for (;;)
        QThread::msleep(100);
}

int openCatalogue(const QStringList& args)
{
    if (args.value(4) == QLatin1String("network"))
        setNetworkFileSystemCheck([](const QString&) { return true; });
    const bool readOnly = args.value(3) == QLatin1String("ro");
    TProgramDataForm dm;
    dm.runSchemaUpdates = RunSchemaUpdates;
    dm.OpenCatalogue(args[2], readOnly);
    std::printf("places %d\n", dm.PlaceTable.recordCount());
    return 0;
}

int update(const QStringList& args)
{
    while (!QFileInfo::exists(args[3]))
        QThread::msleep(2);
    setSchemaUpdateEventPump([] { QThread::msleep(150); });
    TProgramDataForm dm;
    dm.runSchemaUpdates = RunSchemaUpdates;
    dm.OpenCatalogue(args[2], false);
    return 0;
}

int holdExclusive(const QStringList& args)
{
    SessionRegistry registry(args[2], args[3]);
    TProgramDataForm dm;
    dm.setDatabase(Database::open(args[2], false));
    registry.attach(*dm.KestrelviewDatabase());
    dm.PlaceTable.setExclusive(true);
    dm.PlaceTable.open();
    ready();
    waitUntilKilled();
}

int hold(const QStringList& args)
{
    auto db = Database::open(args[2], false);
    Statement read(*db, QStringLiteral("SELECT count(*) FROM \"Place\""));
    read.step();
    ready();
    waitUntilKilled();
}

int lock(const QStringList& args)
{
    auto db = Database::open(args[2], false);
    db->exec(QStringLiteral("BEGIN IMMEDIATE"));
    ready();
    waitUntilKilled();
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const QString command = args.value(1);
    try {
        if (command == QLatin1String("open") && args.size() >= 4)
            return openCatalogue(args);
        if (command == QLatin1String("update") && args.size() == 4)
            return update(args);
        if (command == QLatin1String("exclusive") && args.size() == 4)
            return holdExclusive(args);
        if (command == QLatin1String("hold") && args.size() == 3)
            return hold(args);
        if (command == QLatin1String("lock") && args.size() == 3)
            return lock(args);
    } catch (const EngineError& e) {
        std::printf("%s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: kv_catalogue_user open|update|exclusive|hold|lock ...\n");
    return 2;
}
