// Catalogue engine speed on a catalogue of 100,000 pictures with two people
// and one album each:
//  (a) open the picture table in description order and walk it with a
//      rating filter;
//  (b) the joined SELECT DISTINCT of the advanced search through the Local
//      SQL adapter, beside the same statement written for SQLite directly;
//  (c) posting pictures through the table with a BeforePost hook;
//  (d) moving a rating held by 20,000 pictures to another one, as the Move
//      Rating window does it.
#include "BenchCatalogue.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/LoginData.h"
#include "data/ProgramDataForm.h"
#include "reference/ReassignReferences.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kv::data;

namespace {

using kv::bench::catalogueDir;
using kv::bench::kPictures;

void BM_WalkPicturesWithRatingFilter(benchmark::State& state)
{
    const QString dir = catalogueDir();
    const QSet<qint64> permitted = {1, 2, 4};
    qint64 seen = 0;
    for (auto _ : state) {
        TProgramDataForm dm;
        dm.setDatabase(Database::open(dir, true));
        Table& t = dm.PictureInfoTable;
        t.setReadOnly(true);
        t.onFilterRecord = [&permitted](Table& table) {
            return permitted.contains(readInteger(table, QStringLiteral("RatingID")));
        };
        t.setFiltered(true);
        t.open();
        seen = 0;
        for (t.first(); !t.eof(); t.next())
            ++seen;
    }
    state.counters["rows_seen"] = double(seen);
}
BENCHMARK(BM_WalkPicturesWithRatingFilter)->Unit(benchmark::kMillisecond)->Iterations(3);

// The picture table filtered to 50,000 found pictures by the data module's
// own picture filter, browsed from first to last.
void BM_BrowseFoundPictures(benchmark::State& state)
{
    const QString dir = catalogueDir();
    qint64 seen = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TProgramDataForm dm;
        dm.setDatabase(Database::open(dir, true));
        for (int id = 1; id <= kPictures; id += 2)
            dm.SearchResult.append(id);
        dm.ShowSearchResult = true;
        Table& t = dm.PictureInfoTable;
        t.setReadOnly(true);
        t.setFiltered(true);
        state.ResumeTiming();
        t.open();
        seen = 0;
        for (t.first(); !t.eof(); t.next())
            ++seen;
    }
    state.counters["rows_seen"] = double(seen);
}
BENCHMARK(BM_BrowseFoundPictures)->Unit(benchmark::kMillisecond)->Iterations(3);

const char* kConditions =
    "Select DISTINCT PI.PictureID, PI.DateTaken, PI.PictureDescription\n"
    "From \"PictureInfo.db\" PI\n"
    "LEFT OUTER JOIN \"PicturePeople.db\" PP\nON (PI.PictureID = PP.PictureID)\n"
    "LEFT OUTER JOIN \"AlbumList.db\" AL\nON (PI.PictureID = AL.AlbumPictureID)\n"
    "LEFT OUTER JOIN \"Person.db\" PH\nON (PI.PhotograherID = PH.PersonID)\n"
    "LEFT OUTER JOIN \"StorageLocation.db\" SL\nON (PI.StorageLocationID = SL.StorageLocationID)\n"
    "LEFT OUTER JOIN \"Person.db\" P\nON (PP.PersonID = P.PersonID)\n"
    "LEFT OUTER JOIN \"Album.db\" A\nON (AL.AlbumID = A.AlbumID)\n"
    "Where\n(\n(Upper(PI.PictureDescription) Like Upper(\"%trip%\"))\n"
    "And (PI.DateTaken >= \"01/01/1995\")\n)\n"
    "And (PI.RatingID In (-1, 1, 2, 3, 4))\n"
    "Order By PI.DateTaken DESC, PI.PictureDescription";

const char* kConditionsSqlite =
    "SELECT DISTINCT PI.PictureID, PI.DateTaken, PI.PictureDescription\n"
    "FROM \"PictureInfo\" PI\n"
    "LEFT OUTER JOIN \"PicturePeople\" PP\nON (PI.PictureID = PP.PictureID)\n"
    "LEFT OUTER JOIN \"AlbumList\" AL\nON (PI.PictureID = AL.AlbumPictureID)\n"
    "LEFT OUTER JOIN \"Person\" PH\nON (PI.PhotograherID = PH.PersonID)\n"
    "LEFT OUTER JOIN \"StorageLocation\" SL\nON (PI.StorageLocationID = SL.StorageLocationID)\n"
    "LEFT OUTER JOIN \"Person\" P\nON (PP.PersonID = P.PersonID)\n"
    "LEFT OUTER JOIN \"Album\" A\nON (AL.AlbumID = A.AlbumID)\n"
    "WHERE\n(\n(UPPER(PI.PictureDescription) LIKE UPPER('%trip%'))\n"
    "AND (PI.DateTaken >= '1995-01-01')\n)\n"
    "AND (PI.RatingID IN (-1, 1, 2, 3, 4))\n"
    "ORDER BY PI.DateTaken DESC, PI.PictureDescription";

void BM_ConditionSearchThroughAdapter(benchmark::State& state)
{
    auto db = Database::open(catalogueDir(), true);
    qint64 rows = 0;
    for (auto _ : state) {
        Query q(db.get());
        q.addLine(QString::fromLatin1(kConditions));
        q.open();
        rows = q.recordCount();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_ConditionSearchThroughAdapter)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ConditionSearchDirectSqlite(benchmark::State& state)
{
    auto db = Database::open(catalogueDir(), true);
    qint64 rows = 0;
    for (auto _ : state) {
        // Read the same columns into the same kind of rows as the query does.
        Statement st(*db, QString::fromLatin1(kConditionsSqlite));
        std::vector<std::vector<QVariant>> result;
        while (st.step())
            result.push_back({st.column(0), st.column(1), st.column(2)});
        rows = qint64(result.size());
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_ConditionSearchDirectSqlite)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PostPicturesThroughTable(benchmark::State& state)
{
    QTemporaryDir dir;
    Database::create(dir.path());
    TProgramDataForm dm;
    dm.setDatabase(Database::open(dir.path(), false));
    dm.openTables(false);
    Table& t = dm.PictureInfoTable;
    t.beforePost = [](Table& table) {
        table.setFieldValue(QStringLiteral("PictureModifiedBy"), 1);
        table.setFieldValue(QStringLiteral("PictureModifiedDate"), QDateTime::currentDateTime());
        table.setFieldValue(QStringLiteral("PictureCommentsChar"), table.fieldValue(QStringLiteral("PictureComments")));
    };
    int n = 0;
    for (auto _ : state) {
        if (!t.insert())
            break;
        t.setFieldValue(QStringLiteral("PictureDescription"), QStringLiteral("Posted picture %1").arg((n * 7919) % 10007));
        t.setFieldValue(QStringLiteral("DateTaken"), QDate(2001, 1, 1).addDays(n % 3000));
        t.setFieldValue(QStringLiteral("RatingID"), n % 5 + 1);
        t.setFieldValue(QStringLiteral("PictureComments"), QStringLiteral("A comment"));
        t.post();
        ++n;
    }
    state.counters["rows_per_s"] = benchmark::Counter(double(n), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PostPicturesThroughTable)->Unit(benchmark::kMicrosecond)->Iterations(10000);

// Each round moves the rating of 20,000 pictures (every fifth) to a new
// rating on a copy of the catalogue, with the picture table open: the
// rating's row, the pictures, three users' lists and the settings default
// in one transaction, then the permitted ratings and the tables read again.
void BM_MoveRatingOf20000Pictures(benchmark::State& state)
{
    QTemporaryDir dir;
    if (!QFile::copy(QDir(catalogueDir()).filePath(Database::kFileName), dir.filePath(Database::kFileName))) {
        state.SkipWithError("could not copy the catalogue");
        return;
    }
    TProgramDataForm dm;
    dm.setDatabase(Database::open(dir.path(), false));
    Database& db = *dm.KestrelviewDatabase();
    {
        WriteTransaction tx(db);
        for (int r = 1; r <= 5; ++r)
            db.exec(QStringLiteral("INSERT INTO \"Rating\" (\"RatingID\", \"RatingDescription\") VALUES (%1, 'Rating %1')").arg(r));
        for (int user = 1; user <= 3; ++user)
            for (int r = user; r <= 5; ++r)
                db.exec(QStringLiteral("INSERT INTO \"RatingList\" (\"UserID\", \"RatingID\") VALUES (%1, %2)").arg(user).arg(r));
        db.exec(QStringLiteral("UPDATE \"Settings\" SET \"DefaultRatingID\" = 1"));
        tx.commit();
    }
    dm.openTables(false);
    LoginData().UserID = 1;
    dm.LoadPermittedRatings();
    dm.PictureInfoTable.setFiltered(true);
    const auto& family = kv::reference::reassignFamily(kv::reference::ReassignKind::Rating);
    qint64 from = 1;
    qint64 moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Table& ratings = dm.RatingTable;
        if (!ratings.insert()) {
            state.SkipWithError("could not add a rating");
            break;
        }
        ratings.setFieldValue(QStringLiteral("RatingDescription"), QStringLiteral("Moved to"));
        ratings.post();
        const qint64 to = readInteger(ratings, QStringLiteral("RatingID"));
        state.ResumeTiming();
        kv::reference::ReassignReferences(dm, family, from, to);
        state.PauseTiming();
        Statement count(db, QStringLiteral("SELECT count(*) FROM \"PictureInfo\" WHERE \"RatingID\" = %1").arg(to));
        count.step();
        moved = count.column(0).toLongLong();
        from = to;
        state.ResumeTiming();
    }
    state.counters["pictures_moved"] = double(moved);
}
BENCHMARK(BM_MoveRatingOf20000Pictures)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
