// Packing and clearing the catalogue, the table information.
#include "CatalogueDump.h"
#include "support/TempCatalogue.h"

#include "admin/DatabaseMaintenance.h"
#include "admin/TableInformation.h"
#include "common/MessageService.h"
#include "data/SessionRegistry.h"
#include "data/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>

using namespace kv;
using namespace kv::data;
using kv::test::countRows;
using kv::test::dumpCatalogue;

namespace {

const QStringList kCaptions = {"Users",         "Security-Profile",   "Place",       "Category",   "Person",
                               "Rating",        "Media Type",         "Storage Location", "Rating", "Pictures",
                               "People in Pictures", "Sub Category",  "Albums",      "Album List", "Saved Searches",
                               "Person Group",  "File Extensions"};

void writeFile(const QString& path, qint64 bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}

class MaintenanceTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
    common::ScriptedResponder messages;
    common::ResponderScope scope{messages};
    QTemporaryDir previews;
    QStringList texts;
    admin::StatusText status = [this](const QString& text) { texts << text; };

    void SetUp() override { SystemInfo().PreviewDir = previews.path() + QLatin1Char('/'); }
    void TearDown() override { SystemInfo() = TSystemInfo(); }

    void exec(const QString& sql) { m.db().exec(sql); }
    qint64 count(const QString& sql) { return countRows(m.db(), sql); }

    // A row of every catalogue table, users, profiles and extensions with
    // gaps in their numbering, and settings defaults naming rows.
    void fill()
    {
        WriteTransaction tx(m.db());
        for (const char* sql : {
                 "INSERT INTO Place (PlaceDescription) VALUES ('Beach'), ('Hills'), ('Town')",
                 "INSERT INTO Catagory (CatagoryDescription) VALUES ('Family'), ('Travel')",
                 "INSERT INTO SubCatagory (CatagoryID, SubCatagoryDescription) VALUES (2, 'Trains')",
                 "INSERT INTO Person (PersonDescription) VALUES ('Ann'), ('Bob')",
                 "INSERT INTO PersonGroup (PersonGroupDescription) VALUES ('Friends')",
                 "INSERT INTO Rating (RatingDescription) VALUES ('Good'), ('Best')",
                 "INSERT INTO MediaType (MediaTypeDescription) VALUES ('Disc')",
                 "INSERT INTO StorageLocation (MediaType, StorageLocationDescriptio) VALUES (1, 'Shelf')",
                 "INSERT INTO PictureInfo (PictureDescription, PlaceID, RatingID) VALUES ('One', 1, 1), ('Two', 2, 2)",
                 "INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1), (2, 2)",
                 "INSERT INTO Album (AlbumDescription) VALUES ('Holidays')",
                 "INSERT INTO AlbumList (AlbumID, AlbumPictureID) VALUES (1, 1)",
                 "INSERT INTO RatingList (UserID, RatingID) VALUES (1, 1)",
                 "INSERT INTO Search (SearchDescription) VALUES ('Beach pictures')",
                 "INSERT INTO User (LoginName, UserName, SecurityID) VALUES ('ann', 'Ann', 2), ('gone', 'Gone', 1)",
                 "DELETE FROM User WHERE LoginName = 'gone'",
                 "INSERT INTO Security (SecurityDescription) VALUES ('Viewer'), ('Gone')",
                 "DELETE FROM Security WHERE SecurityDescription = 'Gone'",
                 "INSERT INTO FileExtensions (FileExtensionDescription) VALUES ('.jpg'), ('.avi'), ('.tmp')",
                 "DELETE FROM FileExtensions WHERE FileExtensionDescription = '.tmp'",
                 "UPDATE Settings SET DefaultPlaceID = 1, DefaultCatagoryID = 1, DefaultPhotographerID = 1, "
                 "DefaultRatingID = 1, DefaultMediaTypeID = 1, DefaultStorageLocationID = 1, DefaultAlbumID = 1"})
            exec(QString::fromLatin1(sql));
        tx.commit();
        for (Table* t : dm.tables())
            if (t->active())
                t->refresh();
        SystemInfo().DefaultPlaceID = 1;
        SystemInfo().DefaultAlbumID = 1;
    }

    qint64 add(Table& t, const char* field, const QString& value)
    {
        EXPECT_TRUE(t.insert());
        t.setFieldValue(QString::fromLatin1(field), value);
        EXPECT_TRUE(t.post()) << messages.texts().join("|").toStdString();
        return readInteger(t, t.fieldNames().first());
    }
};

}  // namespace

TEST_F(MaintenanceTest, ClearRestartsNumberingKeepsUsersProfilesExtensionsAndForgetsDefaults)
{
    fill();
    ASSERT_EQ(SystemInfo().DefaultPlaceID, 1);
    for (const char* file : {"1.jpg", "2.jpg", "99.jpg", "notes.txt"})
        writeFile(previews.filePath(QString::fromLatin1(file)), 10);
    dm.SearchResult.append(2);
    dm.ShowSearchResult = true;
    const qint64 nextUser = count("SELECT seq FROM sqlite_sequence WHERE name = 'User'") + 1;
    const qint64 nextProfile = count("SELECT seq FROM sqlite_sequence WHERE name = 'Security'") + 1;
    const qint64 nextExtension = count("SELECT seq FROM sqlite_sequence WHERE name = 'FileExtensions'") + 1;

    admin::ClearDatabase(dm, status);

    QStringList expected{"Clear Database"};
    for (const QString& caption : kCaptions)
        if (caption != "Users" && caption != "Security-Profile" && caption != "File Extensions")
            expected << "Clearing " + caption + " Table.";
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(expected.size(), 15);

    // The first rows added get the number 1; kept tables go on numbering.
    EXPECT_EQ(add(dm.PlaceTable, "PlaceDescription", "Harbour"), 1);
    EXPECT_EQ(add(dm.PersonTable, "PersonDescription", "Cy"), 1);
    EXPECT_EQ(add(dm.PictureInfoTable, "PictureDescription", "New"), 1);
    EXPECT_EQ(add(dm.AlbumTable, "AlbumDescription", "New"), 1);
    EXPECT_EQ(add(dm.UserSettingsTable, "LoginName", "cy"), nextUser);
    EXPECT_EQ(add(dm.SecurityTable, "SecurityDescription", "Editor"), nextProfile);
    EXPECT_EQ(add(dm.FileExtensionsTable, "FileExtensionDescription", ".png"), nextExtension);
    EXPECT_EQ(count("SELECT count(*) FROM User"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM Security"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM FileExtensions"), 3);
    EXPECT_EQ(count("SELECT count(*) FROM RatingList"), 0);

    // Defaults name nothing, in the row and in the loaded settings.
    EXPECT_EQ(count("SELECT count(*) FROM Settings WHERE coalesce(DefaultPlaceID, DefaultCatagoryID, "
                    "DefaultPhotographerID, DefaultRatingID, DefaultMediaTypeID, DefaultStorageLocationID, "
                    "DefaultAlbumID) IS NULL"),
              1);
    EXPECT_EQ(SystemInfo().DefaultPlaceID, -1);
    EXPECT_EQ(SystemInfo().DefaultAlbumID, -1);

    // The cleared pictures' previews are gone; other files stay.
    EXPECT_FALSE(QFileInfo::exists(previews.filePath("1.jpg")));
    EXPECT_FALSE(QFileInfo::exists(previews.filePath("2.jpg")));
    EXPECT_TRUE(QFileInfo::exists(previews.filePath("99.jpg")));
    EXPECT_TRUE(QFileInfo::exists(previews.filePath("notes.txt")));
    EXPECT_TRUE(dm.SearchResult.isEmpty());
    EXPECT_FALSE(dm.ShowSearchResult);
    EXPECT_FALSE(dm.SettingsTable.exclusive());
}

TEST_F(MaintenanceTest, AFailingClearLeavesEverythingAsItWas)
{
    fill();
    writeFile(previews.filePath("1.jpg"), 10);
    dm.PlaceTable.last();
    const QStringList before = dumpCatalogue(m.db());
    // The thirteenth table refuses to be emptied.
    exec("CREATE TRIGGER keep_albums BEFORE DELETE ON AlbumList BEGIN SELECT RAISE(ABORT, 'albums are kept'); END");

    EXPECT_THROW(admin::ClearDatabase(dm, status), EngineError);

    exec("DROP TRIGGER keep_albums");
    EXPECT_EQ(dumpCatalogue(m.db()), before);
    EXPECT_TRUE(QFileInfo::exists(previews.filePath("1.jpg")));
    EXPECT_EQ(SystemInfo().DefaultPlaceID, 1);
    for (Table* t : dm.tables())
        EXPECT_EQ(t->active(), t != &dm.UpdateTable) << t->objectName().toStdString();
    EXPECT_EQ(dm.PlaceTable.fieldValue("PlaceDescription").toString(), "Town") << "back on its row";
    EXPECT_FALSE(dm.SettingsTable.exclusive());
}

TEST_F(MaintenanceTest, PackShowsEveryTableGivesBackDeletedRoomAndKeepsContents)
{
    {
        WriteTransaction tx(m.db());
        Statement add(m.db(), "INSERT INTO PictureInfo (PictureDescription, PictureComments) VALUES (?, ?)");
        for (int i = 0; i < 3000; ++i) {
            add.reset();
            add.bind(1, QStringLiteral("Picture %1").arg(i));
            add.bind(2, QString(400, QLatin1Char('c')));
            add.step();
        }
        exec("INSERT INTO RatingList (UserID, RatingID) VALUES (1, 5), (1, 3), (1, 4)");
        exec("DELETE FROM RatingList WHERE RatingID = 5");
        tx.commit();
    }
    exec("DELETE FROM PictureInfo WHERE PictureID % 10 <> 0");
    dm.PictureInfoTable.refresh();
    ASSERT_TRUE(dm.PictureInfoTable.locate("PictureID", 1500));
    const QStringList before = dumpCatalogue(m.db());
    // A statement part way through its rows would make SQLite refuse.
    Statement reading(m.db(), "SELECT PictureID FROM PictureInfo");
    ASSERT_TRUE(reading.step());

    const admin::PackSizes sizes = admin::PackDatabase(dm, status);

    QStringList expected{"Packing Settings Table."};
    for (const QString& caption : kCaptions)
        expected << "Packing " + caption + " Table.";
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(texts.count("Packing Rating Table."), 2);
    EXPECT_LT(sizes.after, sizes.before / 2);
    EXPECT_EQ(sizes.after, admin::CatalogueBytes(m.catalogue.path()));
    EXPECT_EQ(QFileInfo(Database::catalogueFile(m.catalogue.path()) + "-wal").size(), 0) << "log folded in";
    EXPECT_EQ(dumpCatalogue(m.db()), before);
    EXPECT_EQ(dm.PictureInfoTable.fieldValue("PictureID").toLongLong(), 1500) << "back on its row";
    EXPECT_EQ(dm.PictureInfoTable.recordCount(), 300);
    EXPECT_FALSE(dm.SettingsTable.exclusive());
}

TEST_F(MaintenanceTest, AnotherProgramKeepsTheCatalogueUntouchedAndIsNamed)
{
    SessionRegistry own(m.catalogue.path(), "me");
    own.attach(m.db());
    QProcess other;
    other.start(QStringLiteral(KV_HOLD_SESSION), {m.catalogue.path(), QStringLiteral("ann")});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    exec("INSERT INTO Place (PlaceDescription) VALUES ('Beach')");
    exec("DELETE FROM Place");
    const QStringList before = dumpCatalogue(m.db());
    const qint64 bytes = admin::CatalogueBytes(m.catalogue.path());
    messages.addAnswers({common::MessageAnswer::Ok, common::MessageAnswer::Cancel});

    for (const auto& run : {std::function<void()>([&] { admin::PackDatabase(dm, status); }),
                            std::function<void()>([&] { admin::ClearDatabase(dm, status); })}) {
        try {
            run();
            ADD_FAILURE() << "ran while another program had the catalogue open";
        } catch (const EngineError& e) {
            EXPECT_THAT(e.errorStack().join(" ").toStdString(), ::testing::HasSubstr("ann on "));
        }
        EXPECT_EQ(dumpCatalogue(m.db()), before);
        EXPECT_EQ(admin::CatalogueBytes(m.catalogue.path()), bytes);
        EXPECT_TRUE(dm.SettingsTable.active());
        EXPECT_FALSE(dm.SettingsTable.exclusive());
        messages.addAnswer(common::MessageAnswer::Cancel);
    }
    EXPECT_EQ(messages.texts().count("Could not open Tables exclusively - Try again?"), 3);

    other.kill();
    other.waitForFinished(10000);
    // Refused use left no exclusive lock behind: others may start, and
    // packing works now.
    EXPECT_FALSE(SessionRegistry(m.catalogue.path(), "late").refusedForExclusiveUse());
    EXPECT_NO_THROW(admin::PackDatabase(dm, status));
}

TEST_F(MaintenanceTest, ReadOnlyCatalogueIsNeitherClearedNorPacked)
{
    dm.setDatabase(m.catalogue.open(true));
    dm.openTables(true);
    for (const auto& run : {std::function<void()>([&] { admin::ClearDatabase(dm, status); }),
                            std::function<void()>([&] { admin::PackDatabase(dm, status); })}) {
        try {
            run();
            ADD_FAILURE() << "changed a read-only catalogue";
        } catch (const EngineError& e) {
            EXPECT_THAT(e.errorStack().first().toStdString(), ::testing::HasSubstr("read-only"));
        }
    }
    EXPECT_TRUE(texts.isEmpty()) << "refused before anything was shown";
}

TEST(TableInformationTexts, ThousandsAndKiloBytesFollowTheLocale)
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale german(QLocale::German, QLocale::Germany);
    const struct {
        qint64 bytes;
        QLocale locale;
        const char* kBytes;
    } cases[] = {
        {999, english, "1 K Bytes"},         {499, english, "0 K Bytes"},       {500, english, "1 K Bytes"},
        {0, english, "0 K Bytes"},           {1234567, english, "1,235 K Bytes"}, {1234567, german, "1.235 K Bytes"},
        {9876543210, english, "9,876,543 K Bytes"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(admin::KBytesText(c.bytes, c.locale), c.kBytes) << c.bytes;
    EXPECT_EQ(admin::RecordsText(1234567, english), "1,234,567");
    EXPECT_EQ(admin::RecordsText(1234567, german), "1.234.567");
    QLocale ungrouped = english;
    ungrouped.setNumberOptions(QLocale::OmitGroupSeparator);
    EXPECT_EQ(admin::RecordsText(1234, ungrouped), "1,234") << "the separator is always shown";
}

TEST_F(MaintenanceTest, InformationCountsEveryRowAndThePreviewFiles)
{
    fill();
    // The previews: zero-byte and ordinary files count; other names, and a
    // directory named like a preview, do not.
    writeFile(previews.filePath("1.jpg"), 1500);
    writeFile(previews.filePath("2.JPG"), 0);
    writeFile(previews.filePath("notes.txt"), 700);
    QDir(previews.path()).mkdir("3.jpg");
    dm.PictureInfoTable.first();  // the people of picture 1 only

    std::vector<admin::InformationRow> rows;
    {
        admin::DetachedMasterLinks detached(dm);
        EXPECT_FALSE(dm.PicturePeopleTable.masterAttached());
        rows = admin::CollectInformation(dm);
    }
    EXPECT_TRUE(dm.PicturePeopleTable.masterAttached());
    EXPECT_EQ(dm.PicturePeopleTable.recordCount(), 1);

    ASSERT_EQ(rows.size(), kCaptions.size() + 1);
    for (int i = 0; i < kCaptions.size(); ++i)
        EXPECT_EQ(rows[size_t(i)].caption, kCaptions[i]);
    const auto row = [&rows](const char* caption) {
        return *std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.caption == caption; });
    };
    EXPECT_EQ(row("People in Pictures").records, 2);
    EXPECT_EQ(row("Place").records, 3);
    EXPECT_EQ(row("Users").records, 2);
    EXPECT_EQ(rows.back().caption, "Previews");
    EXPECT_EQ(rows.back().records, 2);
    EXPECT_EQ(rows.back().bytes, 1500);

    // Each table's pages with its indexes': at least a page each, and more
    // for a table with more indexes.
    const qint64 page = countRows(m.db(), "PRAGMA page_size");
    for (const auto& r : rows)
        if (r.caption != "Previews") {
            EXPECT_GE(r.bytes, page) << r.caption.toStdString();
            EXPECT_EQ(r.bytes % page, 0) << r.caption.toStdString();
        }
    EXPECT_GT(row("Pictures").bytes, row("Place").bytes);
}

TEST_F(MaintenanceTest, InformationWithoutPreviewDirectoryShowsNone)
{
    for (const QString& dir : {previews.path(), previews.filePath("missing"), QString()}) {
        SystemInfo().PreviewDir = dir;
        const auto rows = admin::CollectInformation(dm);
        EXPECT_EQ(rows.back().records, 0) << dir.toStdString();
        EXPECT_EQ(rows.back().bytes, 0);
    }
}
