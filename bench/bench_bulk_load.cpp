// The bulk load's speed on camera-sized pictures (4000 x 3000 JPEG files,
// a noisy gradient each, so that they compress like photographs):
//  (a) previews on one thread, as the preview writers make them: the
//      single-thread rate the load is measured against;
//  (b) a fresh load of the files into a new catalogue with worker threads
//      decoding ahead (one row, its preview, its commit per file), with the
//      ratio to (a) measured in the same run;
//  (c) a second load of a directory of 10,000 files all catalogued already.
// KV_BULK_FILES sets the number of files of (a) and (b) (default 1000);
// the files are copies of 20 distinct pictures, so that making them does
// not take longer than loading them.
#include "BenchPictures.h"

#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/ImageFiles.h"
#include "pictures/Previews.h"
#include "storage/BulkLoad.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>

namespace {

constexpr int kDistinct = 20;
constexpr int kCatalogued = 10000;

int fileCount()
{
    const int n = qEnvironmentVariableIntValue("KV_BULK_FILES");
    return n > 0 ? n : 1000;
}


struct CameraFiles {
    QTemporaryDir dir;
    QString directory;
    QStringList files;

    CameraFiles()
    {
        directory = dir.filePath(QStringLiteral("camera"));
        QDir().mkpath(directory);
        QStringList originals;
        for (int i = 0; i < kDistinct; ++i) {
            const QString file = dir.filePath(QStringLiteral("original%1.jpg").arg(i));
            kv::pictures::SaveBitmapAsJpeg(file, kv::bench::cameraPicture(static_cast<quint32>(i)));
            originals << file;
        }
        for (int i = 0; i < fileCount(); ++i) {
            const QString file = QDir(directory).filePath(QStringLiteral("IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
            QFile::copy(originals[i % kDistinct], file);
            files << file;
        }
    }
};

CameraFiles& camera()
{
    static CameraFiles files;
    return files;
}

double singleThreadRate = 0;

// A new catalogue with one storage location on the directory.
struct BenchCatalogue {
    QTemporaryDir dir;
    kv::data::TProgramDataForm dm;
    qint64 location = -1;

    explicit BenchCatalogue(const QString& directory)
    {
        kv::data::Database::create(dir.path());
        dm.setDatabase(kv::data::Database::open(dir.path(), false));
        dm.openTables(false);
        kv::data::SystemInfo().PreviewDir = dir.filePath(QStringLiteral("previews"));
        kv::data::SystemInfo().PreviewSizeX = 200;
        kv::data::SystemInfo().PreviewSizeY = 200;
        dm.KestrelviewDatabase()->runLocalSql(
            QStringLiteral("Insert Into \"StorageLocation.db\" (StorageLocationDescriptio, MediaType, Directory) "
                           "Values ('Camera', 1, '") +
            QString(directory).replace(QLatin1Char('\''), QStringLiteral("''")) + QStringLiteral("')"));
        location = 1;
    }

    kv::storage::BulkLoadDefaults defaults() const
    {
        kv::storage::BulkLoadDefaults d;
        d.description = QStringLiteral("Camera");
        d.dateText = QStringLiteral("07/04/2003");
        d.place = d.category = d.photographer = d.rating = d.mediaType = 1;
        d.storageLocation = location;
        return d;
    }
};

void BM_PreviewsSingleThread(benchmark::State& state)
{
    const CameraFiles& files = camera();
    QElapsedTimer timer;
    qint64 ms = 0;
    for (auto _ : state) {
        timer.start();
        for (const QString& file : files.files)
            benchmark::DoNotOptimize(kv::pictures::PreviewBytes(
                kv::pictures::LoadAndFit(file, 200, 200, true, kv::pictures::kPreviewEnlargement), QString()));
        ms += timer.elapsed();
    }
    singleThreadRate = double(files.files.size()) * state.iterations() * 1000.0 / double(std::max<qint64>(ms, 1));
    state.counters["pictures/s"] = singleThreadRate;
}
BENCHMARK(BM_PreviewsSingleThread)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_FreshLoad(benchmark::State& state)
{
    const CameraFiles& files = camera();
    double rate = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchCatalogue catalogue(files.directory);
        kv::storage::BulkLoadDefaults d = catalogue.defaults();
        kv::storage::BulkLoader loader(catalogue.dm);
        loader.setThreads(static_cast<int>(state.range(0)));
        QStringList refusal;
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        if (!loader.load(d, refusal) || loader.loadedCount() != files.files.size())
            state.SkipWithError("the load did not enter every file");
        rate = double(files.files.size()) * 1000.0 / double(std::max<qint64>(timer.elapsed(), 1));
    }
    state.counters["pictures/s"] = rate;
    if (singleThreadRate > 0)
        state.counters["x single-thread previews"] = rate / singleThreadRate;
}
BENCHMARK(BM_FreshLoad)->Arg(2)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_RescanCatalogued(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString directory = dir.filePath(QStringLiteral("disc"));
    QDir().mkpath(directory);
    for (int i = 0; i < kCatalogued; ++i) {
        QFile file(QDir(directory).filePath(QStringLiteral("f%1.jpg").arg(i, 5, 10, QLatin1Char('0'))));
        file.open(QIODevice::WriteOnly);
    }
    BenchCatalogue catalogue(directory);
    catalogue.dm.KestrelviewDatabase()->exec(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO PictureInfo (PictureDescription, FileName, StorageLocationID) "
        "SELECT 'Old', printf('F%05d.JPG', i), 1 FROM n").arg(kCatalogued - 1));
    for (auto _ : state) {
        kv::storage::BulkLoadDefaults d = catalogue.defaults();
        kv::storage::BulkLoader loader(catalogue.dm);
        QStringList refusal;
        if (!loader.load(d, refusal) || loader.loadedCount() != 0 || loader.errors().size() != kCatalogued)
            state.SkipWithError("the files were not all found catalogued");
    }
    state.counters["files"] = kCatalogued;
}
BENCHMARK(BM_RescanCatalogued)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
