// The navigational table: order, filters, finds, master-detail links, hooks.
#include "support/TempCatalogue.h"

#include "data/FieldValue.h"

#include <QSignalSpy>

#include <gmock/gmock.h>

using namespace kv::data;
using kv::test::OpenDataModule;

namespace {

QStringList walk(Table& t, const QString& field)
{
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << readText(t, field);
    return out;
}

void addRow(Table& t, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    EXPECT_TRUE(t.insert());
    for (const auto& [name, value] : values)
        t.setFieldValue(QString::fromLatin1(name), value);
    ASSERT_TRUE(t.post());
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EngineError& e) {
        return e.message();
    }
    return {};
}

class TableTest : public ::testing::Test {
protected:
    OpenDataModule m;
    TProgramDataForm& dm = m.dm;

    void addPlaces(const QStringList& names)
    {
        for (const QString& n : names)
            addRow(dm.PlaceTable, {{"PlaceDescription", n}});
    }
};

}  // namespace

TEST_F(TableTest, IndexOrderIgnoresLetterCaseAndNewRowsTakeTheirPlace)
{
    addPlaces({"beta", "Alpha", "gamma", "alpha2"});
    EXPECT_EQ(walk(dm.PlaceTable, "PlaceDescription"), QStringList({"Alpha", "alpha2", "beta", "gamma"}));

    // A posted row lands where the order puts it and becomes current.
    addRow(dm.PlaceTable, {{"PlaceDescription", "Delta"}});
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), "Delta");
    dm.PlaceTable.next();
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), "gamma");

    // An edit that changes the key moves the row.
    dm.PlaceTable.first();
    ASSERT_TRUE(dm.PlaceTable.edit());
    dm.PlaceTable.setFieldValue("PlaceDescription", "zulu");
    ASSERT_TRUE(dm.PlaceTable.post());
    EXPECT_EQ(walk(dm.PlaceTable, "PlaceDescription"), QStringList({"alpha2", "beta", "Delta", "gamma", "zulu"}));

    // Key order when no index is set
    dm.PlaceTable.setIndexName(QString());
    EXPECT_EQ(walk(dm.PlaceTable, "PlaceDescription"), QStringList({"beta", "zulu", "gamma", "alpha2", "Delta"}));
}

TEST_F(TableTest, BofAndEofFollowTheDataSetRules)
{
    Table& t = dm.PlaceTable;
    EXPECT_TRUE(t.isEmpty());
    EXPECT_TRUE(t.bof());
    EXPECT_TRUE(t.eof());
    addPlaces({"a", "b"});
    t.first();
    EXPECT_TRUE(t.bof());
    EXPECT_FALSE(t.eof());
    t.next();
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(readText(t, "PlaceDescription"), "b");
    t.next();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(readText(t, "PlaceDescription"), "b");  // stays on the last row
    t.prior();
    EXPECT_EQ(readText(t, "PlaceDescription"), "a");
    t.prior();
    EXPECT_TRUE(t.bof());
    t.last();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(readText(t, "PlaceDescription"), "b");
}

TEST_F(TableTest, FilteredNavigationAndFindsStopOnlyAtAcceptedRows)
{
    addPlaces({"Beach", "Attic", "Barn", "Bay", "Cellar"});
    Table& t = dm.PlaceTable;
    int calls = 0;
    t.onFilterRecord = [&calls](Table& table) {
        ++calls;
        return readText(table, "PlaceDescription").startsWith('B');
    };
    // Filter off: every row is reached, but the finds use the filter.
    EXPECT_EQ(walk(t, "PlaceDescription").size(), 5);
    ASSERT_TRUE(t.findFirst());
    EXPECT_EQ(readText(t, "PlaceDescription"), "Barn");
    ASSERT_TRUE(t.findNext());
    EXPECT_EQ(readText(t, "PlaceDescription"), "Bay");
    ASSERT_TRUE(t.findNext());
    EXPECT_EQ(readText(t, "PlaceDescription"), "Beach");
    EXPECT_FALSE(t.findNext());
    EXPECT_EQ(readText(t, "PlaceDescription"), "Beach");  // a failed find does not move
    ASSERT_TRUE(t.findPrior());
    EXPECT_EQ(readText(t, "PlaceDescription"), "Bay");
    ASSERT_TRUE(t.findLast());
    EXPECT_EQ(readText(t, "PlaceDescription"), "Beach");

    t.setFiltered(true);
    EXPECT_EQ(walk(t, "PlaceDescription"), QStringList({"Barn", "Bay", "Beach"}));
    t.last();
    EXPECT_EQ(readText(t, "PlaceDescription"), "Beach");
    EXPECT_GT(calls, 0);

    t.onFilterRecord = [](Table&) { return false; };
    t.setFiltered(false);
    t.setFiltered(true);
    EXPECT_TRUE(t.isEmpty());
    EXPECT_TRUE(t.eof());
    EXPECT_FALSE(t.findFirst());
}

TEST_F(TableTest, LocateFindsByValueWithinTheOrder)
{
    addPlaces({"One", "Two", "Three"});
    Table& t = dm.PlaceTable;
    ASSERT_TRUE(t.locate("PlaceDescription", "Two"));
    EXPECT_EQ(readText(t, "PlaceDescription"), "Two");
    EXPECT_FALSE(t.locate("PlaceDescription", "Four"));
    EXPECT_EQ(readText(t, "PlaceDescription"), "Two");
    ASSERT_TRUE(t.locate("PlaceID", 1));
    EXPECT_EQ(readText(t, "PlaceDescription"), "One");
}

TEST_F(TableTest, MasterDetailLinksFollowTheMasterRow)
{
    addRow(dm.CategoryTable, {{"CatagoryDescription", "Animals"}});
    addRow(dm.CategoryTable, {{"CatagoryDescription", "Buildings"}});
    addRow(dm.SubCategoryTable, {{"CatagoryID", 1}, {"SubCatagoryDescription", "Dogs"}});
    addRow(dm.SubCategoryTable, {{"CatagoryID", 1}, {"SubCatagoryDescription", "Cats"}});
    addRow(dm.SubCategoryTable, {{"CatagoryID", 2}, {"SubCatagoryDescription", "Barns"}});

    ASSERT_TRUE(dm.CategoryTable.locate("CatagoryDescription", "Animals"));
    EXPECT_EQ(walk(dm.SubCategoryTable, "SubCatagoryDescription"), QStringList({"Dogs", "Cats"}));
    EXPECT_EQ(readText(dm.SubCategoryTable, "CatDescription"), "Animals");
    dm.CategoryTable.next();
    EXPECT_EQ(walk(dm.SubCategoryTable, "SubCatagoryDescription"), QStringList({"Barns"}));

    dm.SubCategoryTable.detachMaster();
    EXPECT_EQ(walk(dm.SubCategoryTable, "SubCatagoryDescription").size(), 3);
    dm.SubCategoryTable.attachMaster();
    EXPECT_EQ(walk(dm.SubCategoryTable, "SubCatagoryDescription"), QStringList({"Barns"}));

    // A master being inserted has no key yet: no detail rows.
    EXPECT_TRUE(dm.CategoryTable.insert());
    EXPECT_TRUE(dm.SubCategoryTable.isEmpty());
    dm.CategoryTable.cancel();
    EXPECT_FALSE(dm.SubCategoryTable.isEmpty());
}

TEST_F(TableTest, PictureLinksAndRatingListFollowTheirMasters)
{
    addRow(dm.PersonTable, {{"PersonDescription", "Ann"}});
    addRow(dm.PersonTable, {{"PersonDescription", "Bob"}});
    addRow(dm.AlbumTable, {{"AlbumDescription", "Summer"}});
    addRow(dm.PictureInfoTable, {{"PictureDescription", "first"}});
    addRow(dm.PictureInfoTable, {{"PictureDescription", "second"}});

    ASSERT_TRUE(dm.PictureInfoTable.locate("PictureDescription", "first"));
    // Link rows take the current picture's ID in the data module's AfterInsert
    // hooks; here the test sets it as those hooks will.
    addRow(dm.PicturePeopleTable, {{"PictureID", 1}, {"PersonID", 1}});
    addRow(dm.PicturePeopleTable, {{"PictureID", 1}, {"PersonID", 2}});
    addRow(dm.AlbumListTable, {{"AlbumPictureID", 1}, {"AlbumID", 1}});
    EXPECT_EQ(walk(dm.PicturePeopleTable, "PersonName"), QStringList({"Ann", "Bob"}));
    EXPECT_EQ(walk(dm.AlbumListTable, "AlbumDescription"), QStringList({"Summer"}));

    dm.PictureInfoTable.next();
    EXPECT_TRUE(dm.PicturePeopleTable.isEmpty());
    EXPECT_TRUE(dm.AlbumListTable.isEmpty());

    addRow(dm.UserSettingsTable, {{"LoginName", "guest"}});
    addRow(dm.RatingListTable, {{"UserID", readInteger(dm.UserSettingsTable, "UserID")}, {"RatingID", 7}});
    EXPECT_EQ(dm.RatingListTable.recordCount(), 1);
    dm.UserSettingsTable.first();
    EXPECT_EQ(readInteger(dm.UserSettingsTable, "UserID"), 1);
    EXPECT_EQ(dm.RatingListTable.recordCount(), 0);
}

TEST_F(TableTest, LookupFieldsReadLive)
{
    addRow(dm.PersonTable, {{"PersonDescription", "Ann"}});
    addRow(dm.PictureInfoTable, {{"PictureDescription", "p"}});
    addRow(dm.PicturePeopleTable, {{"PictureID", 1}, {"PersonID", 1}});
    EXPECT_EQ(readText(dm.PicturePeopleTable, "PersonName"), "Ann");
    ASSERT_TRUE(dm.PersonTable.edit());
    dm.PersonTable.setFieldValue("PersonDescription", "Annie");
    ASSERT_TRUE(dm.PersonTable.post());
    dm.PicturePeopleTable.refresh();
    EXPECT_EQ(readText(dm.PicturePeopleTable, "PersonName"), "Annie");
    // In edit state a lookup follows the edited key at once
    addRow(dm.PersonTable, {{"PersonDescription", "Zed"}});
    ASSERT_TRUE(dm.PicturePeopleTable.edit());
    dm.PicturePeopleTable.setFieldValue("PersonID", 2);
    EXPECT_EQ(readText(dm.PicturePeopleTable, "PersonName"), "Zed");
    EXPECT_THAT(errorOf([&] { dm.PicturePeopleTable.setFieldValue("PersonName", "x"); }).toStdString(),
                ::testing::HasSubstr("cannot be modified"));
    dm.PicturePeopleTable.cancel();
    EXPECT_EQ(readText(dm.PicturePeopleTable, "PersonName"), "Annie");
}

TEST_F(TableTest, HooksRunInOrderAndAnAbortedPostKeepsTheRow)
{
    Table& t = dm.PlaceTable;
    QStringList calls;
    bool refuse = true;
    t.afterInsert = [&](Table& table) {
        calls << "AfterInsert";
        table.setFieldValue("PlaceComments", "from AfterInsert");
    };
    t.beforePost = [&](Table& table) {
        calls << "BeforePost";
        if (refuse)
            abortOperation();
        table.setFieldValue("PlaceModifiedBy", 9);
    };
    t.afterPost = [&](Table& table) {
        calls << "AfterPost";
        // the row is in the catalogue when AfterPost runs
        auto other = Database::open(m.catalogue.path(), true);
        auto r = other->runLocalSql("Select PlaceModifiedBy From \"Place.db\" Where PlaceID = " + readText(table, "PlaceID"));
        EXPECT_TRUE(r.rows->step());
        EXPECT_EQ(valueText(r.rows->column(0)), "9");
    };
    t.beforeEdit = [&](Table&) { calls << "BeforeEdit"; };

    EXPECT_TRUE(t.insert());
    t.setFieldValue("PlaceDescription", "Harbour");
    EXPECT_FALSE(t.post());
    EXPECT_EQ(t.state(), DataSet::State::Insert);
    EXPECT_EQ(readText(t, "PlaceDescription"), "Harbour");
    EXPECT_EQ(t.recordCount(), 0);

    refuse = false;
    EXPECT_TRUE(t.post());
    EXPECT_EQ(t.state(), DataSet::State::Browse);
    EXPECT_EQ(readText(t, "PlaceComments"), "from AfterInsert");
    EXPECT_EQ(readText(t, "PlaceModifiedBy"), "9");  // a Number ID prints whole
    EXPECT_EQ(readInteger(t, "PlaceID"), 1);
    ASSERT_TRUE(t.edit());
    t.cancel();
    EXPECT_EQ(calls, QStringList({"AfterInsert", "BeforePost", "BeforePost", "AfterPost", "BeforeEdit"}));

    t.beforeEdit = [](Table&) { abortOperation(); };
    EXPECT_FALSE(t.edit());
    EXPECT_EQ(t.state(), DataSet::State::Browse);
}

TEST_F(TableTest, ARefusedPendingPostStopsTheInsertOnTheEditedRow)
{
    Table& t = dm.PlaceTable;
    addPlaces({"Harbour", "Lake"});
    int inserted = 0;
    t.afterInsert = [&](Table&) { ++inserted; };
    t.beforePost = [](Table& table) {
        if (readText(table, "PlaceDescription").isEmpty())
            abortOperation();
    };
    ASSERT_TRUE(t.locate("PlaceDescription", "Harbour"));
    const qint64 harbour = readInteger(t, "PlaceID");
    ASSERT_TRUE(t.edit());
    t.setFieldValue("PlaceDescription", QVariant());
    for (const bool appending : {false, true}) {
        EXPECT_FALSE(appending ? t.append() : t.insert());
        EXPECT_EQ(t.state(), DataSet::State::Edit);
        EXPECT_EQ(readInteger(t, "PlaceID"), harbour);  // still the edited row, its key and all
        EXPECT_EQ(inserted, 0);
    }
    t.setFieldValue("PlaceDescription", "Old harbour");
    EXPECT_TRUE(t.insert());  // the edit posts, the new row begins
    EXPECT_EQ(inserted, 1);
    t.cancel();
    ASSERT_TRUE(t.locate("PlaceID", harbour));
    EXPECT_EQ(readText(t, "PlaceDescription"), "Old harbour");
}

TEST_F(TableTest, ARefusalDuringThePostUndoesTheWriteAndToldOnceUnlocked)
{
    Table& t = dm.PlaceTable;
    int noticesShown = 0;
    int depthWhenShown = -1;
    t.duringPost = [&](Table& table) {
        // the row is written and has its key when the check runs
        EXPECT_FALSE(table.isNull("PlaceID"));
        abortOperation([&] {
            ++noticesShown;
            depthWhenShown = m.db().transactionDepth();
        });
    };
    bool afterPostRan = false;
    t.afterPost = [&](Table&) { afterPostRan = true; };
    EXPECT_TRUE(t.insert());
    t.setFieldValue("PlaceDescription", "Harbour");
    EXPECT_FALSE(t.post());
    EXPECT_EQ(noticesShown, 1);
    EXPECT_EQ(depthWhenShown, 0);  // shown with nothing locked
    EXPECT_FALSE(afterPostRan);
    EXPECT_EQ(t.state(), DataSet::State::Insert);
    EXPECT_TRUE(t.isNull("PlaceID"));  // a row not kept has no key
    EXPECT_EQ(readText(t, "PlaceDescription"), "Harbour");
    auto other = Database::open(m.catalogue.path(), true);
    auto r = other->runLocalSql("Select Count(PlaceID) From \"Place.db\"");
    ASSERT_TRUE(r.rows->step());
    EXPECT_EQ(r.rows->column(0).toInt(), 0);

    t.duringPost = nullptr;
    EXPECT_TRUE(t.post());
    EXPECT_TRUE(afterPostRan);
    EXPECT_EQ(t.recordCount(), 1);
}

TEST_F(TableTest, FieldValuesAreStoredByTheirTypes)
{
    Table& t = dm.PersonTable;
    EXPECT_TRUE(t.insert());
    t.setFieldValue("PersonDescription", QString(80, 'n'));  // Alpha(50)
    t.setFieldValue("Email", "");                               // blank text is Null
    t.setFieldValue("Birthdate", QDate(1950, 2, 28));
    t.setFieldValue("GroupType", 3);
    ASSERT_TRUE(t.post());
    EXPECT_EQ(readText(t, "PersonDescription").size(), 50);
    EXPECT_TRUE(t.isNull("Email"));
    EXPECT_EQ(readText(t, "Birthdate"), "1950-02-28");
    EXPECT_EQ(readText(t, "GroupType"), "3");
    EXPECT_EQ(readInteger(t, "DeathDate"), -1);
    EXPECT_DOUBLE_EQ(readFloat(t, "Birthdate"), static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(1950, 2, 28))));
    EXPECT_THAT(errorOf([&] { t.setFieldValue("Birthdate", "x"); }).toStdString(), ::testing::HasSubstr("not in edit"));
    EXPECT_THAT(errorOf([&] { readText(t, "NoSuchField"); }).toStdString(), ::testing::HasSubstr("not found"));
}

TEST_F(TableTest, DeleteMovesToTheNextRow)
{
    addPlaces({"a", "b", "c"});
    Table& t = dm.PlaceTable;
    ASSERT_TRUE(t.locate("PlaceDescription", "b"));
    ASSERT_TRUE(t.deleteRecord());
    EXPECT_EQ(readText(t, "PlaceDescription"), "c");
    ASSERT_TRUE(t.deleteRecord());
    EXPECT_EQ(readText(t, "PlaceDescription"), "a");
    ASSERT_TRUE(t.deleteRecord());
    EXPECT_TRUE(t.isEmpty());
    EXPECT_FALSE(errorOf([&] { t.deleteRecord(); }).isEmpty());
}

TEST_F(TableTest, BookmarksAndRefreshSeeOtherWorkstations)
{
    addPlaces({"a", "b", "c"});
    Table& t = dm.PlaceTable;
    ASSERT_TRUE(t.locate("PlaceDescription", "b"));
    const Table::Bookmark mark = t.bookmark();
    t.last();
    ASSERT_TRUE(t.gotoBookmark(mark));
    EXPECT_EQ(readText(t, "PlaceDescription"), "b");

    auto other = Database::open(m.catalogue.path(), false);
    other->runLocalSql("Insert Into \"Place.db\" (PlaceDescription) Values (\"aa\")");
    other->runLocalSql("Update \"Place.db\" Set PlaceDescription = \"bb\" Where PlaceDescription = \"b\"");
    t.refresh();
    EXPECT_EQ(readText(t, "PlaceDescription"), "bb");  // still on the same row
    EXPECT_EQ(walk(t, "PlaceDescription"), QStringList({"a", "aa", "bb", "c"}));

    // A row deleted elsewhere: editing it says so and leaves the table browsing.
    ASSERT_TRUE(t.locate("PlaceDescription", "c"));
    other->runLocalSql("Delete From \"Place.db\" Where PlaceDescription = \"c\"");
    EXPECT_THAT(errorOf([&] { t.edit(); }).toStdString(), ::testing::HasSubstr("deleted by another user"));
    EXPECT_EQ(t.state(), DataSet::State::Browse);
    EXPECT_FALSE(t.gotoBookmark(mark + 100));
}

TEST_F(TableTest, DataSourcesTellBoundControls)
{
    QSignalSpy record(&dm.PlaceSource, &DataSource::recordChanged);
    QSignalSpy state(&dm.PlaceSource, &DataSource::stateChanged);
    QSignalSpy field(&dm.PlaceSource, &DataSource::fieldChanged);
    addPlaces({"a", "b"});
    EXPECT_GE(state.count(), 4);  // insert, browse, insert, browse
    int descriptionChanges = 0;
    for (const auto& args : field)
        descriptionChanges += args.at(0).toString() == "PlaceDescription";
    EXPECT_EQ(descriptionChanges, 2);
    record.clear();
    dm.PlaceTable.first();
    EXPECT_EQ(record.count(), 1);
    dm.PlaceSource.setEnabled(false);
    dm.PlaceTable.next();
    EXPECT_EQ(record.count(), 1);
    dm.PlaceSource.setEnabled(true);
    EXPECT_EQ(record.count(), 2);
}

TEST_F(TableTest, ExclusiveUseIsRefusedWhenTheGateSaysSo)
{
    dm.PlaceTable.close();
    dm.PlaceTable.setExclusive(true);
    m.db().exclusiveUseRefusal = [] { return QStringLiteral("Table is busy: another program has the catalogue open."); };
    EXPECT_THAT(errorOf([&] { dm.PlaceTable.open(); }).toStdString(), ::testing::HasSubstr("busy"));
    m.db().exclusiveUseRefusal = [] { return QString(); };
    dm.PlaceTable.open();
    EXPECT_TRUE(dm.PlaceTable.active());
}

TEST(DataModule, ComponentNamesAndCatalogueTables)
{
    OpenDataModule m;
    EXPECT_EQ(m.dm.MediaTypeTable.objectName(), "MediaTypeTable");
    EXPECT_EQ(m.dm.MeditaTypeSource.objectName(), "MeditaTypeSource");
    EXPECT_EQ(m.dm.UpdateStatmentQuery.objectName(), "UpdateStatmentQuery");
    EXPECT_EQ(m.dm.CategoryTable.fileName(), "Catagory.db");
    EXPECT_EQ(m.dm.PersonGroupTable.fileName(), "PersonGroup.DB");
    const QStringList expected = {"Users:User", "Security-Profile:Security", "Place:Place", "Category:Catagory",
                                  "Person:Person", "Rating:Rating", "Media Type:MediaType",
                                  "Storage Location:StorageLocation", "Rating:RatingList", "Pictures:PictureInfo",
                                  "People in Pictures:PicturePeople", "Sub Category:SubCatagory", "Albums:Album",
                                  "Album List:AlbumList", "Saved Searches:Search", "Person Group:PeopleGroups",
                                  "File Extensions:FileExtensions"};
    QStringList actual;
    for (const auto& t : m.dm.CatalogueTables()) {
        actual << t.caption + ":" + t.tableName;
        EXPECT_TRUE(t.component->active());
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(m.dm.CatalogueTables()[15].component, &m.dm.PersonGroupTable);
}
