// Template values on the catalogue of 100,000 pictures, as the page
// generator uses them for each detail page:
//  (a) LoadPictureDetails of 1,000 pictures chosen at random (the picture,
//      its place, category, photographer, rating, media type, storage
//      location, first album and first person, with image tags);
//  (b) SubstitutePlaceholders over every line of a detail template;
//  (c) both, per picture.
// The user may see ratings 1 to 4 of 5; the sampled pictures and the
// people's default pictures have preview files with stored sizes.
#include "BenchCatalogue.h"
#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "security/SecurityData.h"
#include "web/CurrentRecords.h"
#include "web/Placeholders.h"
#include "web/RecordLoads.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

using namespace kv::data;
using namespace kv::web;

namespace {

constexpr int kSample = 1000;

struct Setup {
    QTemporaryDir previews;
    std::vector<qint64> pictures;
    std::unique_ptr<TProgramDataForm> dm;
};

// Reference rows, birthdays and default pictures for the generated
// catalogue (kept when already there), 1,000 random pictures with previews.
Setup& setup()
{
    static Setup s = [] {
        Setup made;
        const QString dir = kv::bench::catalogueDir();
        std::mt19937 random(18);
        std::uniform_int_distribution<qint64> anyPicture(1, kv::bench::kPictures);
        for (int i = 0; i < kSample; ++i)
            made.pictures.push_back(anyPicture(random));
        {
            auto db = Database::open(dir, false);
            WriteTransaction tx(*db);
            for (int i = 1; i <= 300; ++i)
                db->exec(QStringLiteral("INSERT OR IGNORE INTO Place (PlaceID, PlaceDescription, PlaceComments) "
                                        "VALUES (%1, 'Place %1', 'Seen from the <b>hill</b>')")
                             .arg(i));
            for (int i = 1; i <= 40; ++i)
                db->exec(QStringLiteral("INSERT OR IGNORE INTO Catagory (CatagoryID, CatagoryDescription) "
                                        "VALUES (%1, 'Category %1')")
                             .arg(i));
            for (int i = 1; i <= 5; ++i)
                db->exec(QStringLiteral("INSERT OR IGNORE INTO Rating (RatingID, RatingDescription) "
                                        "VALUES (%1, 'Rating %1')")
                             .arg(i));
            db->exec(QStringLiteral("INSERT OR IGNORE INTO MediaType (MediaTypeID, MediaTypeDescription) "
                                    "VALUES (1, 'Files')"));
            db->exec(QStringLiteral("INSERT OR IGNORE INTO StorageLocation (StorageLocationID, "
                                    "StorageLocationDescriptio, Directory) VALUES (1, 'Disk', '/pictures')"));
            db->exec(QStringLiteral("INSERT OR IGNORE INTO PersonGroup (PersonGroupID, PersonGroupDescription) "
                                    "VALUES (1, 'Family')"));
            Statement person(*db, QStringLiteral("UPDATE Person SET Birthdate = ?, GroupType = 1, PersonPicture = ?, "
                                                 "Email = 'p@example.org', WebPage = 'www.example.org', "
                                                 "ZipCode = '12345-' WHERE PersonID = ?"));
            for (int i = 1; i <= 200; ++i) {
                person.reset();
                person.bind(1, QDate(1940, 1, 1).addDays(i * 97).toString(Qt::ISODate));
                person.bind(2, double(made.pictures[static_cast<size_t>(i)]));
                person.bind(3, i);
                person.step();
            }
            Statement size(*db, QStringLiteral("UPDATE PictureInfo SET ImageSizeX = 200, ImageSizeY = 150 "
                                               "WHERE PictureID = ?"));
            for (qint64 id : made.pictures) {
                size.reset();
                size.bind(1, id);
                size.step();
                QFile(made.previews.filePath(QString::number(id) + QStringLiteral(".jpg"))).open(QIODevice::WriteOnly);
            }
            tx.commit();
        }
        made.dm = std::make_unique<TProgramDataForm>();
        made.dm->setDatabase(Database::open(dir, true));
        made.dm->openTables(true);
        for (int rating = 1; rating <= 4; ++rating)
            made.dm->PermittedRatings.append(rating);
        kv::security::SecurityData().EnforceRating = true;
        SystemInfo().PreviewDir = made.previews.path();
        return made;
    }();
    return s;
}

// A detail template as a site would have it: one picture with its
// photographer, people and album, and the links to its neighbours.
const QStringList& detailTemplate()
{
    static const QStringList lines = {
        QStringLiteral("<HTML>"),
        QStringLiteral("<HEAD><TITLE>%PictureDescription%</TITLE></HEAD>"),
        QStringLiteral("<BODY>"),
        QStringLiteral("<H1>%PictureDescription%</H1>"),
        QStringLiteral("<P>%PreviousPictureHyperLinkStart%Previous%PreviousPictureHyperLinkEnd% | "
                       "%IndexHyperlinkStart%Index%IndexHyperLinkEnd% | "
                       "%NextPictureHyperLinkStart%Next%NextPictureHyperLinkEnd%</P>"),
        QStringLiteral("<P>%PicturePreviewHyperLinkStartDetail%%PicturePreviewDetail%"
                       "%PicturePreviewHyperLinkEndDetail%</P>"),
        QStringLiteral("<TABLE>"),
        QStringLiteral("<TR><TD>Taken</TD><TD>%PictureDateTaken%</TD></TR>"),
        QStringLiteral("<TR><TD>Place</TD><TD>%PicturePlace%</TD></TR>"),
        QStringLiteral("<TR><TD>Category</TD><TD>%PictureCategory% / %PictureSub-Category%</TD></TR>"),
        QStringLiteral("<TR><TD>Rating</TD><TD>%PictureRating%</TD></TR>"),
        QStringLiteral("<TR><TD>Media</TD><TD>%PictureMediaType% in %PictureStorageLocation%</TD></TR>"),
        QStringLiteral("<TR><TD>File</TD><TD>%StorageLocationDirectory%/%PictureFileName%</TD></TR>"),
        QStringLiteral("<TR><TD>Photographer</TD><TD>%PhotographerDetailPageHyperLinkStartDetail%"
                       "%PicturePhotographer%%PhotographerDetailPageHyperLinkEndDetailk% "
                       "(%PhotographerAgeWhenTaken%)</TD></TR>"),
        QStringLiteral("</TABLE>"),
        QStringLiteral("<P>%PictureComments%</P>"),
        QStringLiteral("<P>%PlaceComments%</P>"),
        QStringLiteral("<H2>People</H2>"),
        QStringLiteral("<P>%PersonDetailPageHyperLinkStartDetail%%PersonPreviewDetail%"
                       "%PersonDetailPageHyperLinkEndDetail%</P>"),
        QStringLiteral("<P>%PersonName% (%PersonLastNameFirstName%), %PersonAgeWhenTaken% on this picture, "
                       "now %PersonCurrentAge%</P>"),
        QStringLiteral("<P>Born %PersonBirthday%, %PersonGroup%, %PersonEMailAddress% %PersonWebPageAddress%</P>"),
        QStringLiteral("<P>%PersonPictureComments%</P>"),
        QStringLiteral("<H2>Album</H2>"),
        QStringLiteral("<P>%AlbumName%: %AlbumComments%</P>"),
        QStringLiteral("<HR>"),
        QStringLiteral("<P>Made on %Today% at %Time%, &copy; %Year%</P>"),
        QStringLiteral("</BODY>"),
        QStringLiteral("</HTML>"),
    };
    return lines;
}

void substituteTemplate(benchmark::State* state)
{
    for (const QString& line : detailTemplate()) {
        QString text = line;
        SubstitutePlaceholders(text);
        if (state)
            benchmark::DoNotOptimize(text);
    }
}

void BM_LoadPictureDetails1000(benchmark::State& state)
{
    Setup& s = setup();
    BeginGenerationRun();
    for (auto _ : state)
        for (qint64 id : s.pictures)
            LoadPictureDetails(*s.dm, id);
    // The time of one iteration in ms is the time per picture in µs.
    state.SetItemsProcessed(state.iterations() * kSample);
}
BENCHMARK(BM_LoadPictureDetails1000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SubstituteDetailTemplate(benchmark::State& state)
{
    Setup& s = setup();
    BeginGenerationRun();
    Generation().CollectPersonPages = true;
    LoadPictureDetails(*s.dm, s.pictures.front());
    for (auto _ : state)
        substituteTemplate(&state);
    state.counters["lines"] = double(detailTemplate().size());
}
BENCHMARK(BM_SubstituteDetailTemplate)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void BM_DetailPageValues(benchmark::State& state)
{
    Setup& s = setup();
    BeginGenerationRun();
    Generation().CollectPersonPages = true;
    std::size_t next = 0;
    for (auto _ : state) {
        LoadPictureDetails(*s.dm, s.pictures[next++ % s.pictures.size()]);
        substituteTemplate(&state);
    }
}
BENCHMARK(BM_DetailPageValues)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
