// Searches on the catalogue of 100,000 pictures (two people and one album
// each), run as the search windows run them, through the data module's
// PictureInfoQuery and the Local SQL adapter:
//  (a) the basic search on one place;
//  (b) the advanced search with a description, a date and a person
//      condition, sorted by date;
//  (c) a broad advanced search sorted by a person field, where most
//      pictures come back on two rows and are listed once.
#include "BenchCatalogue.h"
#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "search/QueryBuilder.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace kv::data;
using namespace kv::search;

namespace {

// A data module on the benchmark catalogue for a user who may see ratings
// 1 to 4 of 5.
std::unique_ptr<TProgramDataForm> searchModule()
{
    auto dm = std::make_unique<TProgramDataForm>();
    dm->setDatabase(Database::open(kv::bench::catalogueDir(), true));
    for (int rating = 1; rating <= 4; ++rating)
        dm->PermittedRatings.append(rating);
    return dm;
}

void BM_FindPicturesByValueOnePlace(benchmark::State& state)
{
    auto dm = searchModule();
    for (auto _ : state)
        FindPicturesByValue(*dm, QStringLiteral("PI.PlaceID"), QStringLiteral("17"), QStringLiteral("PI.DateTaken"));
    state.counters["found"] = double(dm->SearchResult.size());
}
BENCHMARK(BM_FindPicturesByValueOnePlace)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_FindPicturesByThreeConditions(benchmark::State& state)
{
    auto dm = searchModule();
    const QStringList conditions = {
        QStringLiteral("("),
        QStringLiteral("(Upper(PI.PictureDescription) Like Upper(\"%the 5%\"))"),
        QStringLiteral("And (PI.DateTaken > \"01/01/2010\")"),
        QStringLiteral("And (PP.PersonID In (3,7,11))"),
        QStringLiteral(")"),
    };
    for (auto _ : state)
        FindPicturesByConditions(*dm, conditions, QStringLiteral("PI.DateTaken"));
    state.counters["found"] = double(dm->SearchResult.size());
}
BENCHMARK(BM_FindPicturesByThreeConditions)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_FindPicturesByConditionSortedByPerson(benchmark::State& state)
{
    auto dm = searchModule();
    const QStringList conditions = {
        QStringLiteral("("),
        QStringLiteral("(PI.DateTaken > \"01/01/2010\")"),
        QStringLiteral(")"),
    };
    for (auto _ : state)
        FindPicturesByConditions(*dm, conditions, QStringLiteral("P.PersonDescription DESC"));
    state.counters["found"] = double(dm->SearchResult.size());
}
BENCHMARK(BM_FindPicturesByConditionSortedByPerson)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
