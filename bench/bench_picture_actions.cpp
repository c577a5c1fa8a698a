// The catalogue-only actions over 100,000 found pictures, each on its own
// copy of the generated catalogue:
//  (a) Move to another storage location without files;
//  (b) Add Album;
//  (c) Delete without the original files (the preview files are looked for).
#include "BenchCatalogue.h"
#include "admin/CatalogueCopies.h"
#include "data/IdList.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "storage/PictureActions.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kv;
using namespace kv::data;

namespace {

struct CatalogueCopy {
    QTemporaryDir dir;
    QString catalogue = dir.filePath(QStringLiteral("catalogue"));
    std::unique_ptr<TProgramDataForm> dm = std::make_unique<TProgramDataForm>();
    IdList found;
    CatalogueCopy()
    {
        admin::BackupCatalogue(bench::catalogueDir(), catalogue);
        QDir().mkpath(dir.filePath(QStringLiteral("previews")));
        SystemInfo().PreviewDir = dir.filePath(QStringLiteral("previews")) + QLatin1Char('/');
        dm->setDatabase(Database::open(catalogue, false));
        dm->openTables(false);
        dm->KestrelviewDatabase()->exec(
            QStringLiteral("INSERT INTO StorageLocation (StorageLocationID, StorageLocationDescriptio) "
                           "VALUES (900001, 'Target')"));
        for (int id = 1; id <= bench::kPictures; ++id)
            found.append(id);
    }
};

template <class Action>
void runOnCopies(benchmark::State& state, Action action)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = std::make_unique<CatalogueCopy>();
        state.ResumeTiming();
        const storage::ActionReport report = action(*copy->dm, copy->found);
        state.PauseTiming();
        state.counters["done"] = double(report.done);
        state.counters["not_done"] = double(report.notDone.size());
        copy.reset();
        state.ResumeTiming();
    }
}

void BM_MoveWithoutFiles(benchmark::State& state)
{
    runOnCopies(state, [](TProgramDataForm& dm, const IdList& ids) {
        return storage::MoveFoundPictures(dm, ids, 900001, false);
    });
}
BENCHMARK(BM_MoveWithoutFiles)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AddAlbum(benchmark::State& state)
{
    runOnCopies(state, [](TProgramDataForm& dm, const IdList& ids) {
        return storage::AddFoundPicturesToAlbum(dm, ids, 1);
    });
}
BENCHMARK(BM_AddAlbum)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_DeleteWithoutOriginals(benchmark::State& state)
{
    runOnCopies(state, [](TProgramDataForm& dm, const IdList& ids) {
        return storage::DeleteFoundPictures(dm, ids, false);
    });
}
BENCHMARK(BM_DeleteWithoutOriginals)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
