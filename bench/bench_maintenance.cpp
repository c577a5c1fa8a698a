// Database maintenance on the catalogue of 100,000 pictures (two people and
// one album each) with a preview file for every picture:
//  (a) filling the "Database Information" window once activated: every
//      table's record count and pages, and the 100,000 preview files
//      counted (it refills on every activation);
//  (b) the same with the master links released and restored around it, as
//      when the window opens;
//  (c) "Pack Database" on the catalogue;
//  (d) "Reset Image Size" on a copy of it;
//  (e) "Clear Database" on a copy, its 100,000 preview files deleted.
#include "BenchCatalogue.h"
#include "admin/CatalogueCopies.h"
#include "admin/DatabaseMaintenance.h"
#include "admin/TableInformation.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/Previews.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kv;
using namespace kv::data;

namespace {

// A preview file of 2,000 bytes for each picture, made once per run.
struct PreviewFiles {
    QTemporaryDir dir;
    PreviewFiles() { fill(dir.path()); }
    static void fill(const QString& path)
    {
        const QByteArray bytes(2000, 'p');
        for (int id = 1; id <= bench::kPictures; ++id) {
            QFile f(QDir(path).filePath(QStringLiteral("%1.jpg").arg(id)));
            if (f.open(QIODevice::WriteOnly))
                f.write(bytes);
        }
    }
};

const PreviewFiles& previewFiles()
{
    static PreviewFiles files;
    return files;
}

std::unique_ptr<TProgramDataForm> openModule(const QString& directory)
{
    auto dm = std::make_unique<TProgramDataForm>();
    dm->setDatabase(Database::open(directory, false));
    dm->openTables(false);
    return dm;
}

void BM_InformationFill(benchmark::State& state)
{
    SystemInfo().PreviewDir = previewFiles().dir.path() + QLatin1Char('/');
    auto dm = openModule(bench::catalogueDir());
    admin::DetachedMasterLinks detached(*dm);
    std::vector<admin::InformationRow> rows;
    for (auto _ : state)
        rows = admin::CollectInformation(*dm);
    state.counters["previews"] = double(rows.back().records);
    state.counters["pictures"] = double(rows[9].records);
}
BENCHMARK(BM_InformationFill)->Unit(benchmark::kMillisecond);

// Its two parts: the pages of every table, the preview files.
void BM_InformationTablePages(benchmark::State& state)
{
    auto db = Database::open(bench::catalogueDir(), true);
    for (auto _ : state)
        benchmark::DoNotOptimize(admin::TablePageBytes(*db));
}
BENCHMARK(BM_InformationTablePages)->Unit(benchmark::kMillisecond);

void BM_InformationPreviewFiles(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(pictures::CountPreviewFiles(previewFiles().dir.path()));
}
BENCHMARK(BM_InformationPreviewFiles)->Unit(benchmark::kMillisecond);

void BM_InformationOpen(benchmark::State& state)
{
    SystemInfo().PreviewDir = previewFiles().dir.path() + QLatin1Char('/');
    auto dm = openModule(bench::catalogueDir());
    for (auto _ : state) {
        admin::DetachedMasterLinks detached(*dm);
        benchmark::DoNotOptimize(admin::CollectInformation(*dm));
    }
}
BENCHMARK(BM_InformationOpen)->Unit(benchmark::kMillisecond);

void BM_Pack(benchmark::State& state)
{
    auto dm = openModule(bench::catalogueDir());
    admin::PackSizes sizes;
    for (auto _ : state)
        sizes = admin::PackDatabase(*dm, {});
    state.counters["MB_after"] = double(sizes.after) / 1e6;
}
BENCHMARK(BM_Pack)->Unit(benchmark::kMillisecond)->Iterations(3);

// A copy of the benchmark catalogue with a preview for every picture.
struct CatalogueCopy {
    QTemporaryDir dir;
    QString catalogue = dir.filePath(QStringLiteral("catalogue"));
    QString previews = dir.filePath(QStringLiteral("previews"));
    CatalogueCopy()
    {
        admin::BackupCatalogue(bench::catalogueDir(), catalogue);
        QDir().mkpath(previews);
        PreviewFiles::fill(previews);
        SystemInfo().PreviewDir = previews + QLatin1Char('/');
    }
};

void BM_ResetImageSize(benchmark::State& state)
{
    CatalogueCopy copy;
    auto dm = openModule(copy.catalogue);
    for (auto _ : state) {
        state.PauseTiming();
        dm->KestrelviewDatabase()->exec(QStringLiteral("UPDATE PictureInfo SET ImageSizeX = 200, ImageSizeY = 150"));
        state.ResumeTiming();
        pictures::ClearPreviewSizes(*dm);
    }
}
BENCHMARK(BM_ResetImageSize)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Clear(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = std::make_unique<CatalogueCopy>();
        auto dm = openModule(copy->catalogue);
        state.ResumeTiming();
        admin::ClearDatabase(*dm, {});
        state.PauseTiming();
        state.counters["previews_left"] = double(pictures::CountPreviewFiles(copy->previews).files);
        dm.reset();
        copy.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Clear)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
