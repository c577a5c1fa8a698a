// Text export and import at the sizes the program meets, through the runs
// the windows call:
//  (a) the picture export of the searches over the 100,000 pictures of the
//      benchmark catalogue, all of them found and permitted: the joined
//      SELECT DISTINCT, the rating and search-result filter and the file;
//  (b) the same export with the person names, two lines per picture;
//  (c) importing a 10,000-line comma file of people into a new catalogue
//      (every line appended and posted with the record rules);
//  (d) importing the same file again, every line updating its person.
#include "BenchCatalogue.h"
#include "common/MessageService.h"
#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "reference/ExportData.h"
#include "reference/FieldSpecs.h"
#include "reference/ImportData.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace kv::data;
using namespace kv::reference;

namespace {

constexpr int kImportLines = 10000;

// The export and import report their end in a message box; here nobody
// reads it.
struct QuietMessages {
    kv::common::ScriptedResponder responder;
    kv::common::ResponderScope scope{responder};
    QuietMessages() { kv::common::setLoggingEnabled(false); }
};

std::unique_ptr<TProgramDataForm> exportModule()
{
    auto dm = std::make_unique<TProgramDataForm>();
    dm->setDatabase(Database::open(kv::bench::catalogueDir(), true));
    for (int rating = 1; rating <= 5; ++rating)
        dm->PermittedRatings.append(rating);
    for (int id = 1; id <= kv::bench::kPictures; ++id)
        dm->SearchResult.append(id);
    return dm;
}

void exportPictures(benchmark::State& state, const QStringList& labels)
{
    QuietMessages quiet;
    auto dm = exportModule();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("pictures.txt"));
    const QStringList specs = SpecsFor(labels, PictureExportSpecs());
    for (auto _ : state) {
        if (!RunPictureExport(*dm, SelectListFor(labels, PictureExportSpecs()), QStringLiteral("ASCII Coma Delimited"),
                              QStringLiteral("YYYY-MM-DD"), true, specs, file))
            state.SkipWithError("the export failed");
    }
    state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
}

void BM_ExportFoundPictures(benchmark::State& state)
{
    exportPictures(state, {"Picture ID", "Picture Description", "Picture Date Taken", "Picture Place",
                           "Picture Rating", "Picture FileName"});
}
BENCHMARK(BM_ExportFoundPictures)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportFoundPicturesWithPeople(benchmark::State& state)
{
    exportPictures(state, {"Picture ID", "Picture Description", "Picture Date Taken", "Person Name"});
}
BENCHMARK(BM_ExportFoundPicturesWithPeople)->Unit(benchmark::kMillisecond)->Iterations(3);

// 10,000 people: name, birthday, city and group.
void writeImportFile(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return;
    const QDate start(1930, 1, 1);
    QByteArray bytes = "\"Name\",\"Birthday\",\"City\",\"Group\"\r\n";
    for (int i = 1; i <= kImportLines; ++i)
        bytes += QStringLiteral("\"Person %1 of the %2 family\",\"%3\",\"City %4\",%5\r\n")
                     .arg(i)
                     .arg(i % 97)
                     .arg(start.addDays(i * 3).toString(QStringLiteral("yyyy-MM-dd")))
                     .arg(i % 300)
                     .arg(i % 5 + 1)
                     .toUtf8();
    f.write(bytes);
}

const QStringList kPersonFields = {
    "Name (*)\tPersonDescription\tRequired\tText\t1\t0",
    "Birthday\tBirthdate\tNot Required\tDate\t2\t0",
    "City\tCity\tNot Required\tText\t3\t0",
    "Group\tGroupType\tNot Required\tInteger\t4\t0",
};

struct ImportCatalogue {
    QTemporaryDir dir;
    std::unique_ptr<TProgramDataForm> dm = std::make_unique<TProgramDataForm>();
    ImportCatalogue()
    {
        Database::create(dir.path());
        dm->setDatabase(Database::open(dir.path(), false));
        dm->openTables(false);
    }
    ImportResult import(const QString& file)
    {
        return ImportFileIntoTable(*dm, file, QStringLiteral("YYYY-MM-DD"), QStringLiteral("ASCII Coma Delimited"),
                                   dm->PersonTable, kPersonFields, 1, QStringLiteral("PersonDescription"),
                                   QStringLiteral("Person.db"));
    }
};

void BM_ImportNewPeople(benchmark::State& state)
{
    QuietMessages quiet;
    QTemporaryDir files;
    const QString file = files.filePath(QStringLiteral("people.txt"));
    writeImportFile(file);
    ImportResult result;
    for (auto _ : state) {
        state.PauseTiming();
        auto catalogue = std::make_unique<ImportCatalogue>();
        state.ResumeTiming();
        result = catalogue->import(file);
        state.PauseTiming();
        catalogue.reset();
        state.ResumeTiming();
    }
    if (!result.completed)
        state.SkipWithError("the import failed");
    state.counters["appended"] = result.appendedRows;
}
BENCHMARK(BM_ImportNewPeople)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ImportUpdatingPeople(benchmark::State& state)
{
    QuietMessages quiet;
    QTemporaryDir files;
    const QString file = files.filePath(QStringLiteral("people.txt"));
    writeImportFile(file);
    ImportCatalogue catalogue;
    catalogue.import(file);
    ImportResult result;
    for (auto _ : state)
        result = catalogue.import(file);
    if (!result.completed)
        state.SkipWithError("the import failed");
    state.counters["updated"] = result.updatedLines;
}
BENCHMARK(BM_ImportUpdatingPeople)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
