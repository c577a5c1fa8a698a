// Making 200 x 200 previews from 100 camera-sized JPEG files (4000 x 3000,
// a noisy gradient each, so that they compress like photographs):
//  (a) ours, on one thread: LoadAndFit with the preview box and
//      enlargement, the picture decoded straight at a reduced DCT scale and
//      area-averaged to its fitted size, then written as a quality-90 JPEG;
//  (b) vipsthumbnail making the same previews from the same files in one
//      process, on one thread (VIPS_CONCURRENCY=1) and with its own
//      threads, for comparison.
// Counter "pictures/s": previews made per second of wall time.
#include "BenchPictures.h"
#include "pictures/ImageFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int kPictures = 100;
constexpr int kBox = 200;


// The camera files, made once per run.
struct CameraFiles {
    QTemporaryDir dir;
    QStringList files;
    qint64 bytes = 0;

    CameraFiles()
    {
        for (int i = 0; i < kPictures; ++i) {
            const QString file = dir.filePath(QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
            kv::pictures::SaveBitmapAsJpeg(file, kv::bench::cameraPicture(static_cast<quint32>(i)));
            bytes += QFileInfo(file).size();
            files << file;
        }
    }
};

CameraFiles& cameraFiles()
{
    static CameraFiles files;
    return files;
}

void BM_PreviewsOurs(benchmark::State& state)
{
    CameraFiles& camera = cameraFiles();
    QTemporaryDir out;
    QSize last;
    for (auto _ : state) {
        for (int i = 0; i < camera.files.size(); ++i) {
            const QImage preview = kv::pictures::LoadAndFit(camera.files[i], kBox, kBox, true, 1.5);
            kv::pictures::SaveBitmapAsJpeg(out.filePath(QString::number(i) + QStringLiteral(".jpg")), preview);
            last = preview.size();
        }
    }
    state.counters["pictures/s"] =
        benchmark::Counter(double(state.iterations()) * camera.files.size(), benchmark::Counter::kIsRate);
    state.counters["MB/file"] = double(camera.bytes) / camera.files.size() / 1e6;
    state.counters["preview_w"] = last.width();
    state.counters["preview_h"] = last.height();
}
BENCHMARK(BM_PreviewsOurs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// One vipsthumbnail process over all files; the argument is VIPS_CONCURRENCY
// (0: vips's own choice of threads).
void BM_PreviewsVipsthumbnail(benchmark::State& state)
{
    const QString vips = QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail"));
    if (vips.isEmpty()) {
        state.SkipWithError("vipsthumbnail is not installed (Debian package libvips-tools)");
        return;
    }
    CameraFiles& camera = cameraFiles();
    QTemporaryDir out;
    QStringList arguments{QStringLiteral("--size"), QStringLiteral("%1x%1").arg(kBox), QStringLiteral("-o"),
                          out.path() + QStringLiteral("/%s.jpg[Q=90]")};
    arguments += camera.files;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (state.range(0) > 0)
        environment.insert(QStringLiteral("VIPS_CONCURRENCY"), QString::number(state.range(0)));
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(vips, arguments);
        if (!process.waitForFinished(-1) || process.exitCode() != 0) {
            state.SkipWithError(("vipsthumbnail failed: " + process.readAllStandardError().toStdString()).c_str());
            return;
        }
    }
    const QImage sample(out.filePath(QStringLiteral("IMG_0000.jpg")));
    state.counters["pictures/s"] =
        benchmark::Counter(double(state.iterations()) * camera.files.size(), benchmark::Counter::kIsRate);
    state.counters["preview_w"] = sample.width();
    state.counters["preview_h"] = sample.height();
}
BENCHMARK(BM_PreviewsVipsthumbnail)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
