// The record rules: checks and their messages, stamps, comments copies,
// link defaults, propagation, filters and the cascade operations.
#include "support/TempCatalogue.h"

#include "common/MessageService.h"
#include "data/FieldValue.h"
#include "data/LoginData.h"
#include "data/StatusNotice.h"
#include "data/SystemInfo.h"

#include <QDir>
#include <QFile>

#include <gmock/gmock.h>

using namespace kv::data;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using ::testing::HasSubstr;

namespace {

// Records the status texts shown and whether each was closed again.
struct StatusRecorder : StatusDisplay {
    QStringList shown;
    int open = 0;
    void showStatus(const QString& text) override
    {
        shown << text;
        ++open;
    }
    void hideStatus() override { --open; }
};

class RecordRulesTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope{messages};
    StatusRecorder status;

    void SetUp() override
    {
        setStatusDisplay(&status);
        LoginData().UserID = 7;
    }
    void TearDown() override
    {
        setStatusDisplay(nullptr);
        LoginData() = TLoginData();
        SystemInfo() = TSystemInfo();
    }

    qint64 add(Table& t, std::initializer_list<std::pair<const char*, QVariant>> values)
    {
        EXPECT_TRUE(t.insert());
        for (const auto& [name, value] : values)
            t.setFieldValue(QString::fromLatin1(name), value);
        EXPECT_TRUE(t.post()) << messages.texts().join("|").toStdString();
        return readInteger(t, t.fieldNames().first());
    }

    // A complete picture in the given location.
    qint64 addPicture(const QString& description, qint64 location, const QVariant& fileName, qint64 rating = 1)
    {
        return add(dm.PictureInfoTable, {{"PictureDescription", description},
                                         {"DateTaken", QDate(2003, 5, 17)},
                                         {"PlaceID", 1},
                                         {"CatagoryID", 1},
                                         {"PhotograherID", 1},
                                         {"RatingID", rating},
                                         {"MediaTypeID", 1},
                                         {"StorageLocationID", location},
                                         {"FileName", fileName}});
    }

    qint64 count(const QString& sql)
    {
        Query q(&m.db());
        q.addLine(sql);
        q.open();
        return readInteger(q, q.fieldNames().first());
    }
};

}  // namespace

TEST_F(RecordRulesTest, PictureWithOnlyADescriptionGivesOneBoxOfSevenLines)
{
    dm.ValidateOnPost = true;
    Table& t = dm.PictureInfoTable;
    EXPECT_TRUE(t.insert());
    t.setFieldValue("PictureDescription", "Beach");
    EXPECT_FALSE(t.post());
    EXPECT_EQ(t.state(), DataSet::State::Insert);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.messages()[0].text,
              "Please Enter A Date The Picture Was Taken!\r"
              "Please Select The Place Where The Picture Was Taken!\r"
              "Please Select The Category Of The Picture!\r"
              "Please Select The Photographer Taking The Picture!\r"
              "Please Select The Rating For The Picture!\r"
              "Please Select The Media Type For The Picture!\r"
              "Please Select The Storage Location For The Picture!\r");
    EXPECT_EQ(t.recordCount(), 0);
}

TEST_F(RecordRulesTest, DuplicateFileNamesAcrossCaseLocationsAndThePictureItself)
{
    dm.ValidateOnPost = true;
    const qint64 first = addPicture("one", 1, "IMG_0001.jpg");
    EXPECT_TRUE(dm.PictureInfoTable.insert());
    for (const auto& [f, v] : std::initializer_list<std::pair<const char*, QVariant>>{
             {"PictureDescription", "two"}, {"DateTaken", QDate(2003, 5, 17)}, {"PlaceID", 1}, {"CatagoryID", 1},
             {"PhotograherID", 1}, {"RatingID", 1}, {"MediaTypeID", 1}, {"StorageLocationID", 1}, {"FileName", "img_0001.JPG"}})
        dm.PictureInfoTable.setFieldValue(QString::fromLatin1(f), v);
    EXPECT_FALSE(dm.PictureInfoTable.post());
    EXPECT_EQ(messages.texts().last(), "This picture already exists in the database!\r");
    dm.PictureInfoTable.setFieldValue("StorageLocationID", 2);  // another location
    EXPECT_TRUE(dm.PictureInfoTable.post());

    // Re-posting the picture itself is no duplicate.
    ASSERT_TRUE(dm.PictureInfoTable.locate("PictureID", first));
    ASSERT_TRUE(dm.PictureInfoTable.edit());
    dm.PictureInfoTable.setFieldValue("PictureDescription", "one again");
    EXPECT_TRUE(dm.PictureInfoTable.post());

    // Without a file name a picture is never a duplicate.
    addPicture("no file a", 1, QVariant());
    addPicture("no file b", 1, QVariant());

    // A double quote in a file name is data, not SQL.
    addPicture("quoted", 1, "say \"cheese\".jpg");
    messages.clear();
    EXPECT_TRUE(dm.PictureFileExists("SAY \"CHEESE\".JPG", 1, -1));
    EXPECT_FALSE(dm.PictureFileExists("x\" Or \"\"=\"", 1, -1));
    EXPECT_FALSE(dm.PictureFileExists(QString(), 1, -1));
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(RecordRulesTest, GatedChecksOffButSavedSearchesAndExtensionsAlwaysChecked)
{
    dm.ValidateOnPost = false;
    add(dm.PictureInfoTable, {{"FileName", "x.jpg"}});
    EXPECT_TRUE(messages.messages().isEmpty());

    EXPECT_TRUE(dm.SearchTable.insert());
    EXPECT_FALSE(dm.SearchTable.post());
    EXPECT_EQ(messages.texts().last(), "Please Enter A Description for This Search");
    dm.SearchTable.cancel();

    const struct {
        const char* typed;
        const char* stored;  // nullptr: refused, the field left Null
    } extensions[] = {{".JPG", "JPG"}, {"*.*", nullptr}, {"j-p(e)g", "jpeg"}, {"%,&", nullptr}, {"mp4", "mp4"}};
    for (const auto& e : extensions) {
        messages.clear();
        Table& t = dm.FileExtensionsTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("FileExtensionDescription", e.typed);
        const bool posted = t.post();
        EXPECT_EQ(posted, e.stored != nullptr) << e.typed;
        if (e.stored) {
            EXPECT_EQ(readText(t, "FileExtensionDescription"), e.stored);
        } else {
            EXPECT_TRUE(t.isNull("FileExtensionDescription")) << e.typed;
            EXPECT_EQ(messages.texts(), QStringList({"Error: Please enter a file extension."}));
            t.cancel();
        }
    }
}

TEST_F(RecordRulesTest, ReferenceChecksCollectTheirMessagesInOrder)
{
    dm.ValidateOnPost = true;
    const struct {
        Table* table;
        const char* expected;
    } cases[] = {
        {&dm.PlaceTable, "Please Enter A Description For This Place!\r"},
        {&dm.StorageLocationTable, "Please Select A Media Type!\rPlease Enter A Description For This Storage Location!\r"},
        {&dm.MediaTypeTable, "Please Check At Least One Option!\rPlease Enter A Description For This Media Type!\r"},
        {&dm.SubCategoryTable, "Please Select A Category For This Item!\rPlease Enter A Description For This Sub-Category!\r"},
        {&dm.AlbumTable, "Please Enter A Name For This Album!\r"},
        {&dm.PersonGroupTable, "Please Enter A Person Group Description!"},
        {&dm.PersonTable, "Please Enter A Name For This Person!\r"},
        {&dm.RatingTable, "Please Enter A Description For This Rating!\r"},
        {&dm.CategoryTable, "Please Enter A Description For This Category!\r"},
    };
    for (const auto& c : cases) {
        messages.clear();
        EXPECT_TRUE(c.table->insert());
        EXPECT_FALSE(c.table->post()) << c.table->objectName().toStdString();
        EXPECT_EQ(messages.texts(), QStringList({c.expected})) << c.table->objectName().toStdString();
        c.table->cancel();
    }
    // A description equal to a field name is just a description.
    add(dm.CategoryTable, {{"CatagoryDescription", "CatagoryDescription"}});
}

TEST_F(RecordRulesTest, StampsAndCommentsCopy)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    add(dm.PlaceTable, {{"PlaceDescription", "Lake"}, {"PlaceComments", QString(300, 'c')}});
    EXPECT_EQ(readInteger(dm.PlaceTable, "PlaceModifiedBy"), 7);
    EXPECT_GE(valueDateTime(dm.PlaceTable.fieldValue("PlaceModifiedDate")), before);
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceCommentsChar"), QString(250, 'c'));
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceComments").size(), 300);

    ASSERT_TRUE(dm.PlaceTable.edit());
    dm.PlaceTable.setFieldValue("PlaceComments", QVariant());
    ASSERT_TRUE(dm.PlaceTable.post());
    EXPECT_TRUE(dm.PlaceTable.isNull("PlaceCommentsChar"));
}

TEST_F(RecordRulesTest, NewLinkRowsTakeTheCurrentPicture)
{
    const qint64 picture = addPicture("p", 1, "p.jpg");
    EXPECT_TRUE(dm.PicturePeopleTable.insert());
    EXPECT_EQ(readInteger(dm.PicturePeopleTable, "PictureID"), picture);
    dm.PicturePeopleTable.cancel();
    EXPECT_TRUE(dm.AlbumListTable.insert());
    EXPECT_EQ(readInteger(dm.AlbumListTable, "AlbumPictureID"), picture);
    dm.AlbumListTable.cancel();
    EXPECT_TRUE(dm.PictureInfoTable.insert());  // a picture not yet posted has no ID to give
    EXPECT_TRUE(dm.AlbumListTable.insert());
    EXPECT_TRUE(dm.AlbumListTable.isNull("AlbumPictureID"));
}

TEST_F(RecordRulesTest, MovingASubCategoryMovesItsPictures)
{
    add(dm.CategoryTable, {{"CatagoryDescription", "Animals"}});
    add(dm.CategoryTable, {{"CatagoryDescription", "Plants"}});
    dm.CategoryTable.locate("CatagoryID", 1);
    const qint64 sub = add(dm.SubCategoryTable, {{"CatagoryID", 1}, {"SubCatagoryDescription", "Trees"}});
    for (int i = 0; i < 3; ++i)
        add(dm.PictureInfoTable, {{"PictureDescription", QString("tree %1").arg(i)}, {"CatagoryID", 1}, {"SubCatagoryID", sub}});
    add(dm.PictureInfoTable, {{"PictureDescription", "other"}, {"CatagoryID", 1}});

    ASSERT_TRUE(dm.SubCategoryTable.edit());
    dm.SubCategoryTable.setFieldValue("SubCatagoryDescription", "Big trees");
    ASSERT_TRUE(dm.SubCategoryTable.post());
    EXPECT_TRUE(status.shown.isEmpty());  // a description edit runs no update

    ASSERT_TRUE(dm.SubCategoryTable.edit());
    dm.SubCategoryTable.setFieldValue("CatagoryID", 2);
    ASSERT_TRUE(dm.SubCategoryTable.post());
    EXPECT_EQ(status.shown, QStringList({"Please Wait: Updating Pictures With New Category Infomration"}));
    EXPECT_EQ(status.open, 0);
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where CatagoryID = 2"), 3);
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where CatagoryID = 1"), 1);
}

TEST_F(RecordRulesTest, StorageLocationMediaTypeChangeMovesItsPictures)
{
    add(dm.MediaTypeTable, {{"MediaTypeDescription", "CD"}, {"ShowFileName", true}});
    const qint64 location = add(dm.StorageLocationTable, {{"MediaType", 1}, {"StorageLocationDescriptio", "Box"}});
    add(dm.PictureInfoTable, {{"PictureDescription", "a"}, {"MediaTypeID", 1}, {"StorageLocationID", location}});
    dm.StorageLocationTable.detachMaster();
    ASSERT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", location));
    ASSERT_TRUE(dm.StorageLocationTable.edit());
    dm.StorageLocationTable.setFieldValue("MediaType", 5);
    ASSERT_TRUE(dm.StorageLocationTable.post());
    EXPECT_EQ(status.shown, QStringList({"Please Wait: Updating Pictures With New Media Type Information"}));
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where MediaTypeID = 5"), 1);
}

TEST_F(RecordRulesTest, PictureFilterWithFindTextRatingsAndSearchResult)
{
    const qint64 beach = addPicture("Beach day", 1, "a.jpg", 1);
    const qint64 hidden = addPicture("Beach night", 1, "b.jpg", 2);
    const qint64 forest = addPicture("Forest", 1, "c.jpg", 1);
    add(dm.PictureInfoTable, {{"PictureDescription", "No rating"}});
    Table& t = dm.PictureInfoTable;
    auto visible = [&t] {
        QStringList out;
        t.setFiltered(false);
        t.setFiltered(true);
        for (t.first(); !t.eof(); t.next())
            out << readText(t, "PictureDescription");
        return out;
    };

    EXPECT_TRUE(visible().isEmpty());  // a user without ratings sees nothing
    dm.PermittedRatings.append(1);
    EXPECT_EQ(visible(), QStringList({"Beach day", "Forest"}));

    dm.FindText = "BEACH";
    EXPECT_EQ(visible(), QStringList({"Beach day"}));  // rating 2 still hidden
    dm.FindText = "05/17/2003";                         // the date as mm/dd/yyyy
    EXPECT_EQ(visible(), QStringList({"Beach day", "Forest"}));
    dm.FindText = QString::number(forest);
    EXPECT_THAT(visible().join(",").toStdString(), HasSubstr("Forest"));
    dm.FindText = "RATING";  // no rating: the find text alone decides
    EXPECT_EQ(visible(), QStringList({"No rating"}));

    // Search results decide alone, whatever the ratings say.
    dm.FindText.clear();
    dm.SearchResult.append(hidden);
    dm.SearchResult.append(beach);
    dm.ShowSearchResult = true;
    EXPECT_EQ(visible(), QStringList({"Beach day", "Beach night"}));

    // A picture posted meanwhile joins the result once.
    const qint64 added = addPicture("Added", 1, "d.jpg", 3);
    ASSERT_TRUE(t.edit());
    t.setFieldValue("PictureDescription", "Added again");
    ASSERT_TRUE(t.post());
    EXPECT_EQ(dm.SearchResult.items(), QStringList({QString::number(hidden), QString::number(beach), QString::number(added)}));
}

TEST_F(RecordRulesTest, ReferenceUserAndSecurityFilters)
{
    for (const char* name : {"Lakeside", "Mountain", "Lake Town"})
        add(dm.PlaceTable, {{"PlaceDescription", name}});
    dm.FindText = "LAKE";
    ASSERT_TRUE(dm.PlaceTable.findFirst());
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), "Lake Town");
    ASSERT_TRUE(dm.PlaceTable.findNext());
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), "Lakeside");
    EXPECT_FALSE(dm.PlaceTable.findNext());
    dm.FindText.clear();
    EXPECT_FALSE(dm.PlaceTable.findFirst());  // an empty find text is in nothing

    add(dm.SecurityTable, {{"SecurityDescription", "Family"}});
    add(dm.UserSettingsTable, {{"LoginName", "Ann"}, {"SecurityID", 2}});
    dm.SecurityTable.setFiltered(true);
    dm.UserSettingsTable.setFiltered(true);
    EXPECT_EQ(dm.SecurityTable.isEmpty(), false);
    EXPECT_EQ(readText(dm.SecurityTable, "SecurityDescription"), "Family");  // profile 1 hidden
    EXPECT_EQ(readText(dm.UserSettingsTable, "LoginName"), "Ann");          // so are its users
    dm.LoginNameFilter = "SUPERVISOR";
    dm.UserSettingsTable.setFiltered(false);
    dm.UserSettingsTable.setFiltered(true);
    EXPECT_EQ(readText(dm.UserSettingsTable, "LoginName"), "Supervisor");

    add(dm.SearchTable, {{"SearchDescription", "Beaches"}, {"SearchType", "Basic"}});
    add(dm.SearchTable, {{"SearchDescription", "Dogs"}, {"SearchType", "Advanced"}});
    dm.SearchTypeFilter = "Advanced";
    dm.SearchTable.setFiltered(true);
    EXPECT_EQ(readText(dm.SearchTable, "SearchDescription"), "Dogs");
    dm.SearchTable.setFiltered(false);
    dm.FindText = "BEACH";
    ASSERT_TRUE(dm.SearchTable.findFirst());
    EXPECT_EQ(readText(dm.SearchTable, "SearchDescription"), "Beaches");
}

TEST_F(RecordRulesTest, OperationsRunTheirLinesBehindTheirStatusTexts)
{
    dm.ClearPlaceInPictures(6);
    EXPECT_EQ(dm.PictureInfoQuery.sql(), QStringList({"Update \"PictureInfo.db\"", "Set PlaceID = Null", "Where PlaceID = 6"}));
    dm.DeletePicturePeopleLinks(8);
    EXPECT_EQ(dm.PicturePeopleQuery.sql(), QStringList({"Delete From \"PicturePeople.db\"", "Where PictureID = 8"}));
    dm.MovePictureToLocation(4, 9, 2);
    EXPECT_EQ(dm.PictureInfoQuery.sql(), QStringList({"Update \"PictureInfo.db\"", "Set MediaTypeID = 2, ",
                                                      "StorageLocationID = 9", "Where PictureID = 4"}));
    const struct {
        std::function<void()> run;
        const char* status;
    } cases[] = {
        {[&] { dm.ReplaceRatingInRatingLists(3, -1); }, "Please Wait: Deleting Rating From User Access Lists"},
        {[&] { dm.ReplaceRatingInRatingLists(3, 4); }, "Please Wait: Changing Rating To New Rating In User Access Lists"},
        {[&] { dm.ReplaceRatingInPictures(3, -1); }, "Please Wait: Deleting Rating From Pictures"},
        {[&] { dm.ReplaceRatingInPictures(3, 4); }, "Please Wait: Changing Rating to New Rating In Pictures"},
        {[&] { dm.RemovePictureFromAlbums(1); }, "Please Wait: Removing Picture From All Albums!"},
        {[&] { dm.RemoveAlbumFromPictures(1); }, "Please Wait: Removing Album From Pictures!"},
        {[&] { dm.ClearPlaceInPictures(1); }, "Please Wait: Deleting Place From Pictures"},
        {[&] { dm.ClearMediaTypeInStorageLocations(1); }, "Please Wait: Deleting Media Type From Storage Location"},
        {[&] { dm.ClearMediaTypeInPictures(1); }, "Please Wait: Deleting Media Type From Pictures"},
        {[&] { dm.ClearStorageLocationInPictures(1); }, "Please Wait: Deleting Storage Location From Pictures"},
        {[&] { dm.ClearSubCategoryInPictures(1); }, "Please Wait: Deleting SubCategory From Pictures"},
        {[&] { dm.ClearCategoryInPictures(1); }, "Please Wait: Deleting Category From Pictures"},
        {[&] { dm.ClearPhotographerInPictures(1); }, "Please Wait: Deleting Photographer From Pictures"},
        {[&] { dm.DeletePicturePeopleLinks(1); }, "Please Wait: Deleting All Records Linked To Picture"},
        {[&] { dm.RemovePersonFromPictures(1); }, "Please Wait: Deleting Person From Pictures"},
    };
    for (const auto& c : cases) {
        status.shown.clear();
        c.run();
        EXPECT_EQ(status.shown, QStringList({c.status}));
        EXPECT_EQ(status.open, 0);
    }
}

TEST_F(RecordRulesTest, CascadesChangeTheirRows)
{
    const qint64 a = addPicture("a", 1, "a.jpg", 3);
    addPicture("b", 1, "b.jpg", 4);
    dm.ReplaceRatingInPictures(3, 5);
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where RatingID = 5"), 1);
    dm.ClearPlaceInPictures(1);
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where PlaceID Is Null"), 2);
    add(dm.RatingListTable, {{"UserID", 7}, {"RatingID", 5}});
    add(dm.RatingListTable, {{"UserID", 7}, {"RatingID", 4}});
    dm.LoadPermittedRatings();
    EXPECT_EQ(dm.PermittedRatings.items(), QStringList({"5", "4"}));
    dm.ReplaceRatingInRatingLists(5, -1);
    dm.LoadPermittedRatings();
    EXPECT_EQ(dm.PermittedRatings.items(), QStringList({"4"}));
    // Moving a rating: user 7, who held both, keeps one row of the new one.
    add(dm.RatingListTable, {{"UserID", 7}, {"RatingID", 6}});
    add(dm.RatingListTable, {{"UserID", 8}, {"RatingID", 6}});
    dm.ReplaceRatingInRatingLists(6, 4);
    EXPECT_EQ(count("Select Count(UserID) From \"RatingList.db\" Where UserID = 7 And RatingID = 4"), 1);
    EXPECT_EQ(count("Select Count(UserID) From \"RatingList.db\" Where UserID = 8 And RatingID = 4"), 1);
    EXPECT_EQ(count("Select Count(UserID) From \"RatingList.db\" Where RatingID = 6"), 0);
    for (const qint64 group : {2, 2, 3})
        add(dm.PersonTable, {{"PersonDescription", "Ann"}, {"GroupType", group}});
    dm.ReplaceGroupInPersons(2, 3);
    EXPECT_EQ(count("Select Count(PersonID) From \"Person.db\" Where GroupType = 3"), 3);
    dm.ReplaceGroupInPersons(3, -1);
    EXPECT_EQ(count("Select Count(PersonID) From \"Person.db\" Where GroupType Is Null"), 3);
    dm.MovePictureToLocation(a, 3, 2);
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where StorageLocationID = 3 And MediaTypeID = 2"), 1);
}

TEST_F(RecordRulesTest, PersonDefaultPictures)
{
    const qint64 ann = add(dm.PersonTable, {{"PersonDescription", "Ann"}, {"PersonPicture", 4}});
    const qint64 bob = add(dm.PersonTable, {{"PersonDescription", "Bob"}, {"PersonPicture", 4}});
    const qint64 cy = add(dm.PersonTable, {{"PersonDescription", "Cy"}, {"PersonPicture", 5}});
    const qint64 dee = add(dm.PersonTable, {{"PersonDescription", "Dee"}});
    const struct {
        qint64 person;
        qint64 picture;
    } before[] = {{ann, 4}, {bob, 4}, {cy, 5}, {dee, -1}, {dee + 100, -1}};
    for (const auto& b : before)
        EXPECT_EQ(dm.PersonPictureOf(b.person), b.picture) << b.person;
    dm.ClearPersonPictureRefs(4);
    dm.SetPersonPicture(dee, 4);
    const struct {
        qint64 person;
        qint64 picture;
    } after[] = {{ann, -1}, {bob, -1}, {cy, 5}, {dee, 4}};
    for (const auto& a : after)
        EXPECT_EQ(dm.PersonPictureOf(a.person), a.picture) << a.person;
    EXPECT_FALSE(dm.PersonQuery.active());  // each closes its query
}

TEST_F(RecordRulesTest, DeletingAPictureTakesItsPreviewAndOnRequestItsFile)
{
    QTemporaryDir files;
    dm.StorageLocationTable.detachMaster();  // no media types here to follow
    const qint64 location = add(dm.StorageLocationTable, {{"MediaType", 1}, {"StorageLocationDescriptio", "Disk"},
                                                          {"Directory", files.path()}});
    // Previews are where the settings say now, whatever they said when the
    // data module was made.
    const QString previews = files.filePath("previews");
    QDir().mkpath(previews);
    SystemInfo().PreviewDir = previews + "/";
    auto touch = [](const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    };

    const struct {
        const char* name;
        bool deleteFile;
        bool fileThere;
        bool fileKept;
    } cases[] = {
        {"with-file.jpg", true, true, false},
        {"keep-file.jpg", false, true, true},  // only the picture's own file is optional
        {"missing.jpg", true, false, false},   // missing files are no error
    };
    for (const auto& c : cases) {
        const qint64 picture = addPicture(c.name, location, c.name);
        const QString file = files.filePath(c.name);
        const QString preview = previews + "/" + QString::number(picture) + ".jpg";
        if (c.fileThere)
            touch(file);
        touch(preview);
        dm.DeletePictureRecord(picture, c.deleteFile);
        EXPECT_EQ(QFile::exists(file), c.fileKept) << c.name;
        EXPECT_FALSE(QFile::exists(preview)) << c.name;
        EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where PictureID = " + QString::number(picture)), 0);
    }

    // A delete that is undone leaves both files.
    const qint64 kept = addPicture("undone", location, "undone.jpg");
    const QString preview = previews + "/" + QString::number(kept) + ".jpg";
    touch(files.filePath("undone.jpg"));
    touch(preview);
    EXPECT_THROW(dm.InOneTransaction([&] {
        dm.DeletePictureRecord(kept, true);
        throw EngineError(QStringLiteral("the cascade failed"));
    }), EngineError);
    EXPECT_TRUE(QFile::exists(files.filePath("undone.jpg")));
    EXPECT_TRUE(QFile::exists(preview));
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where PictureID = " + QString::number(kept)), 1);
}

TEST_F(RecordRulesTest, AFailedCascadeLeavesNothingHalfDone)
{
    add(dm.PlaceTable, {{"PlaceDescription", "Harbour"}});
    addPicture("p", 1, "p.jpg");
    ASSERT_TRUE(dm.PlaceTable.locate("PlaceDescription", "Harbour"));
    EXPECT_THROW(dm.InOneTransaction([&] {
        dm.PlaceTable.deleteRecord();
        dm.ClearPlaceInPictures(1);
        dm.PictureInfoQuery.clearSql();
        dm.PictureInfoQuery.addLine("Update \"PictureInfo.db\" Set NoSuchColumn = 1");
        dm.PictureInfoQuery.execSQL();
    }), EngineError);
    EXPECT_EQ(status.open, 0);  // the status text closed on the failing path too
    EXPECT_EQ(count("Select Count(PlaceID) From \"Place.db\""), 1);
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where PlaceID = 1"), 1);
    EXPECT_EQ(dm.PlaceTable.recordCount(), 1);  // the table shows the row again
}

TEST_F(RecordRulesTest, AFailedWorkRecoversOnlyTheTablesItTouched)
{
    add(dm.PlaceTable, {{"PlaceDescription", "Harbour"}});
    add(dm.CategoryTable, {{"CatagoryDescription", "Boats"}});
    add(dm.PersonTable, {{"PersonDescription", "Ann"}});
    addPicture("p", 1, "p.jpg");
    // What other windows have pending: a new picture, a person being edited.
    EXPECT_TRUE(dm.PictureInfoTable.insert());
    dm.PictureInfoTable.setFieldValue("PictureDescription", "unposted");
    ASSERT_TRUE(dm.PersonTable.edit());
    dm.PersonTable.setFieldValue("PersonDescription", "Ann B.");

    ASSERT_TRUE(dm.PlaceTable.locate("PlaceDescription", "Harbour"));
    EXPECT_THROW(dm.InOneTransaction([&] {
        dm.PlaceTable.deleteRecord();  // through the table
        dm.ClearPlaceInPictures(1);    // through a statement on the pictures
        EXPECT_TRUE(dm.CategoryTable.edit());  // an edit the work began
        dm.CategoryTable.setFieldValue("CatagoryDescription", "half done");
        throw EngineError(QStringLiteral("the cascade failed"));
    }), EngineError);

    const struct {
        Table* table;
        DataSet::State state;
        const char* field;
        const char* value;
    } expected[] = {
        {&dm.PlaceTable, DataSet::State::Browse, "PlaceDescription", "Harbour"},       // shown again
        {&dm.CategoryTable, DataSet::State::Browse, "CatagoryDescription", "Boats"},  // its edit cancelled
        {&dm.PictureInfoTable, DataSet::State::Insert, "PictureDescription", "unposted"},
        {&dm.PersonTable, DataSet::State::Edit, "PersonDescription", "Ann B."},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(e.table->state(), e.state) << e.table->objectName().toStdString();
        EXPECT_EQ(readText(*e.table, e.field), e.value) << e.table->objectName().toStdString();
    }
    EXPECT_EQ(dm.PlaceTable.recordCount(), 1);
    EXPECT_EQ(count("Select Count(PictureID) From \"PictureInfo.db\" Where PlaceID = 1"), 1);
}

TEST_F(RecordRulesTest, ClearingASettingsDefaultNamesNoRowAnyMore)
{
    const struct {
        SettingsDefault which;
        const char* field;
        qint64 TSystemInfo::*member;
    } cases[] = {
        {SettingsDefault::Place, "DefaultPlaceID", &TSystemInfo::DefaultPlaceID},
        {SettingsDefault::Category, "DefaultCatagoryID", &TSystemInfo::DefaultCatagoryID},
        {SettingsDefault::Photographer, "DefaultPhotographerID", &TSystemInfo::DefaultPhotographerID},
        {SettingsDefault::Rating, "DefaultRatingID", &TSystemInfo::DefaultRatingID},
        {SettingsDefault::MediaType, "DefaultMediaTypeID", &TSystemInfo::DefaultMediaTypeID},
        {SettingsDefault::StorageLocation, "DefaultStorageLocationID", &TSystemInfo::DefaultStorageLocationID},
        {SettingsDefault::Album, "DefaultAlbumID", &TSystemInfo::DefaultAlbumID},
    };
    Table& settings = dm.SettingsTable;
    for (const auto& c : cases) {
        const QString field = QString::fromLatin1(c.field);
        ASSERT_TRUE(settings.edit());
        settings.setFieldValue(field, 5);
        ASSERT_TRUE(settings.post());
        SystemInfo().*c.member = 5;
        auto stored = [&] { return count("Select " + field + " From \"Settings.db\""); };

        dm.ClearSettingsDefault(c.which, 6);  // another row: nothing changes
        EXPECT_EQ(stored(), 5) << c.field;
        EXPECT_EQ(SystemInfo().*c.member, 5) << c.field;

        EXPECT_THROW(dm.InOneTransaction([&] {
            dm.ClearSettingsDefault(c.which, 5);
            throw EngineError(QStringLiteral("the delete failed"));
        }), EngineError);
        EXPECT_EQ(stored(), 5) << c.field;  // undone in the row and in memory
        EXPECT_EQ(SystemInfo().*c.member, 5) << c.field;

        dm.ClearSettingsDefault(c.which, 5);
        EXPECT_EQ(stored(), -1) << c.field;  // Null
        EXPECT_EQ(SystemInfo().*c.member, -1) << c.field;
        EXPECT_TRUE(settings.isNull(field)) << c.field;  // the component shows it too

        // References moved to another row: the default follows them.
        ASSERT_TRUE(settings.edit());
        settings.setFieldValue(field, 5);
        ASSERT_TRUE(settings.post());
        SystemInfo().*c.member = 5;
        dm.ClearSettingsDefault(c.which, 5, 9);
        EXPECT_EQ(stored(), 9) << c.field;
        EXPECT_EQ(SystemInfo().*c.member, 9) << c.field;
        EXPECT_EQ(readInteger(settings, field), 9) << c.field;
    }

    // A pending edit of the settings row no longer offers the deleted row.
    ASSERT_TRUE(settings.edit());
    settings.setFieldValue("DefaultPlaceID", 8);
    dm.ClearSettingsDefault(SettingsDefault::Place, 8);
    EXPECT_EQ(settings.state(), DataSet::State::Edit);
    EXPECT_TRUE(settings.isNull("DefaultPlaceID"));
    settings.setFieldValue("DefaultRatingID", 3);
    dm.ClearSettingsDefault(SettingsDefault::Rating, 3, 4);
    EXPECT_EQ(settings.state(), DataSet::State::Edit);
    EXPECT_EQ(readInteger(settings, "DefaultRatingID"), 4);
}

TEST_F(RecordRulesTest, StatusTextClosesWhenTheEngineRefuses)
{
    TProgramDataForm readOnly;
    readOnly.setDatabase(m.catalogue.open(true));
    readOnly.openTables(true);
    EXPECT_THROW(readOnly.ClearPlaceInPictures(1), EngineError);
    EXPECT_EQ(status.shown, QStringList({"Please Wait: Deleting Place From Pictures"}));
    EXPECT_EQ(status.open, 0);
}

TEST_F(RecordRulesTest, ExclusiveReopenAsksToTryAgain)
{
    int refusals = 2;
    m.db().exclusiveUseRefusal = [&refusals] { return refusals-- > 0 ? QStringLiteral("Table is busy") : QString(); };
    messages.addAnswers({MessageAnswer::Ok});
    // First refusal: OK retries; second: still refused... then OK again is not scripted: Cancel.
    messages.setDefaultAnswer(MessageAnswer::Cancel);
    EXPECT_THROW(dm.ReopenExclusive(dm.PlaceTable), EngineError);
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_EQ(messages.messages()[0].text, "Could not open Tables exclusively - Try again?");
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(messages.messages()[0].buttons, kv::common::MessageButtons::OkCancel);

    refusals = 1;
    messages.clear();
    messages.addAnswers({MessageAnswer::Ok});
    dm.ReopenExclusive(dm.PlaceTable);
    EXPECT_TRUE(dm.PlaceTable.active());
    EXPECT_TRUE(dm.PlaceTable.exclusive());
}
