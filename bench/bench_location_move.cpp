// "Move" of a storage location holding 10,000 pictures to another directory
// of the same file system, through the storage location editor's Move
// button: the "Please Wait" window with its gauge (offscreen), every file
// renamed, the location's Directory posted. Each iteration moves the files
// to the other of two directories. Counters: "files/s" and "event turns/s",
// the turns a 10 ms timer of the program got while the files moved (the
// window kept answering) and "longest wait ms", the longest time without one.
#include "common/BrowseForFolder.h"
#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "data/Database.h"
#include "data/LoginData.h"
#include "data/ProgramDataForm.h"
#include "security/SecurityData.h"
#include "storage/StorageLocationForm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr int kPictures = 10000;

void BM_MoveLocation(benchmark::State& state)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_location_move";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString catalogue = dir.filePath("catalogue");
    const QString folders[2] = {dir.filePath("a"), dir.filePath("b")};
    for (const QString& d : {catalogue, folders[0], folders[1]})
        QDir().mkpath(d);
    kv::data::Database::create(catalogue);
    kv::data::TProgramDataForm dm;
    dm.setDatabase(kv::data::Database::open(catalogue, false));
    {
        kv::data::Database& db = *dm.KestrelviewDatabase();
        kv::data::WriteTransaction tx(db);
        db.exec("INSERT INTO \"MediaType\" (\"MediaTypeDescription\", \"ShowFileName\") VALUES ('Folder', 1)");
        db.exec(QStringLiteral("INSERT INTO \"StorageLocation\" (\"MediaType\", \"StorageLocationDescriptio\", "
                               "\"Directory\") VALUES (1, 'Pictures', '%1/')")
                    .arg(folders[0]));
        for (int i = 0; i < kPictures; ++i) {
            db.exec(QStringLiteral("INSERT INTO \"PictureInfo\" (\"PictureDescription\", \"StorageLocationID\", "
                                   "\"MediaTypeID\", \"FileName\") VALUES ('Picture %1', 1, 1, 'IMG_%1.jpg')")
                        .arg(i));
            QFile file(folders[0] + QStringLiteral("/IMG_%1.jpg").arg(i));
            file.open(QIODevice::WriteOnly);
            file.write("jpeg");
        }
        tx.commit();
    }
    dm.openTables(false);
    dm.StorageLocationTable.detachMaster();
    kv::security::TSecurityData& rights = kv::security::SecurityData();
    rights.CanAddStorageLoc = rights.CanEditStorageLoc = rights.CanMoveLocations = true;
    kv::data::LoginData().UserID = 1;
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope answering(messages);

    kv::storage::TStorageLocationForm form(dm);
    form.show();
    int target = 1;
    kv::common::ModalHandlerScope browse([&](QObject& window) {
        dynamic_cast<kv::common::TDirectoryForm&>(window).selectDirectory(folders[target]);
        return int(QDialog::Accepted);
    });
    int turns = 0;
    QElapsedTimer clock;
    qint64 lastTurn = 0;
    qint64 longestWait = 0;
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, [&] {
        ++turns;
        longestWait = std::max(longestWait, clock.elapsed() - lastTurn);
        lastTurn = clock.elapsed();
    });
    ticking.start(10);
    double seconds = 0;
    for (auto _ : state) {
        messages.clear();
        clock.start();
        lastTurn = 0;
        form.moveButton()->click();
        longestWait = std::max(longestWait, clock.elapsed() - lastTurn);
        seconds += clock.elapsed() / 1000.0;
        if (messages.texts() != QStringList({"Operation Compleated"}) ||
            QDir(folders[target]).count() != static_cast<uint>(kPictures + 2)) {
            state.SkipWithError("the move did not complete");
            break;
        }
        target = 1 - target;
    }
    ticking.stop();
    state.counters["files/s"] = benchmark::Counter(double(kPictures) * double(state.iterations()) / seconds);
    state.counters["event turns/s"] = benchmark::Counter(turns / seconds);
    state.counters["longest wait ms"] = benchmark::Counter(double(longestWait));
}
BENCHMARK(BM_MoveLocation)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

}  // namespace

BENCHMARK_MAIN();
