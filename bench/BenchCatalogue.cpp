#include "BenchCatalogue.h"

#include "data/Database.h"
#include "data/FieldValue.h"

#include <QDate>
#include <QTemporaryDir>

using namespace kv::data;

namespace kv::bench {

// The generated catalogue lives in a temporary directory, or in
// $KV_BENCH_CATALOGUE when set (made there once and reused, for profiling).
QString catalogueDir()
{
    static QTemporaryDir temp;
    static const QString path = qEnvironmentVariableIsSet("KV_BENCH_CATALOGUE")
                                    ? qEnvironmentVariable("KV_BENCH_CATALOGUE")
                                    : temp.path();
    static bool made = Database::catalogueExists(path);
    if (!made) {
        made = true;
        Database::create(path);
        auto db = Database::open(path, false);
        WriteTransaction tx(*db);
        for (int i = 1; i <= 200; ++i)
            db->exec(QStringLiteral("INSERT INTO \"Person\" (\"PersonDescription\") VALUES ('Person %1')").arg(i));
        for (int i = 1; i <= 50; ++i)
            db->exec(QStringLiteral("INSERT INTO \"Album\" (\"AlbumDescription\") VALUES ('Album %1')").arg(i));
        Statement pic(*db, QStringLiteral("INSERT INTO \"PictureInfo\" (\"PictureDescription\", \"DateTaken\", "
                                          "\"PlaceID\", \"CatagoryID\", \"PhotograherID\", \"RatingID\", "
                                          "\"MediaTypeID\", \"StorageLocationID\", \"FileName\") "
                                          "VALUES (?, ?, ?, ?, ?, ?, 1, 1, ?)"));
        Statement person(*db, QStringLiteral("INSERT INTO \"PicturePeople\" (\"PictureID\", \"PersonID\") VALUES (?, ?)"));
        Statement album(*db, QStringLiteral("INSERT INTO \"AlbumList\" (\"AlbumPictureID\", \"AlbumID\") VALUES (?, ?)"));
        const QDate start(1990, 1, 1);
        for (int i = 1; i <= kPictures; ++i) {
            pic.reset();
            pic.bind(1, QStringLiteral("Picture %1 of the %2 trip").arg((i * 7919) % kPictures).arg(i % 97));
            pic.bind(2, isoDate(start.addDays(i % 12000)));
            pic.bind(3, double(i % 300 + 1));
            pic.bind(4, double(i % 40 + 1));
            pic.bind(5, double(i % 200 + 1));
            pic.bind(6, double(i % 5 + 1));
            pic.bind(7, QStringLiteral("IMG_%1.JPG").arg(i));
            pic.step();
            for (int p : {i % 200 + 1, (i * 3) % 200 + 1}) {
                person.reset();
                person.bind(1, double(i));
                person.bind(2, double(p));
                person.step();
            }
            album.reset();
            album.bind(1, double(i));
            album.bind(2, double(i % 50 + 1));
            album.step();
        }
        tx.commit();
        // A catalogue in use has the planner's statistics (the program keeps
        // them fresh as it closes); a new one gets them here.
        db->exec(QStringLiteral("PRAGMA analysis_limit = 400"));
        db->exec(QStringLiteral("ANALYZE"));
    }
    return path;
}

}  // namespace kv::bench
