// The picture window: rights, the location fields following the media
// type, picks and their refusals, a new picture with its file, deleting,
// the bulk load's buttons and the move's search result.
#include "PictureTestFiles.h"
#include "support/WindowTest.h"

#include "common/DataControls.h"
#include "common/ModalWindows.h"
#include "data/FieldValue.h"
#include "data/Query.h"
#include "pictures/PictureForm.h"
#include "pictures/Previews.h"
#include "storage/BulkLoad.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::data;
using namespace kv::pictures;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using kv::security::SecurityData;

namespace {

class PictureFormTest : public kv::test::WindowTest {
protected:
    QTemporaryDir files;
    // Media types: 1 opens every field, 2 none, 3 only the file name.
    // Locations: 1 and 2 of type 1, 3 of type 2. Categories 1 and 2, a
    // sub-category of each.
    void SetUp() override
    {
        WindowTest::SetUp();
        const char* seed[] = {
            "INSERT INTO MediaType (MediaTypeID, MediaTypeDescription, ShowFileName, ShowSlide, ShowPicture, "
            "ShowTimeIndex, ShowPage) VALUES (1, 'All', 1, 1, 1, 1, 1), (2, 'None', 0, 0, 0, 0, 0), "
            "(3, 'Files', 1, 0, 0, 0, 0)",
            "INSERT INTO StorageLocation (StorageLocationID, MediaType, StorageLocationDescriptio, Directory) VALUES "
            "(1, 1, 'Disk', '/tmp'), (2, 1, 'Other disk', '/tmp'), (3, 2, 'Album shelf', NULL)",
            "INSERT INTO Catagory (CatagoryID, CatagoryDescription) VALUES (1, 'Birds'), (2, 'Plants')",
            "INSERT INTO SubCatagory (SubCatagoryID, CatagoryID, SubCatagoryDescription) VALUES (1, 1, 'Owls'), "
            "(2, 2, 'Ferns')",
            "INSERT INTO Place (PlaceID, PlaceDescription) VALUES (1, 'Lake')",
            "INSERT INTO Rating (RatingID, RatingDescription) VALUES (1, 'All')",
            "INSERT INTO Person (PersonID, PersonDescription) VALUES (1, 'Ann')",
            "INSERT INTO PictureInfo (PictureID, PictureDescription, DateTaken, PlaceID, CatagoryID, SubCatagoryID, "
            "PhotograherID, RatingID, MediaTypeID, StorageLocationID, FileName, Slide, TimeIndex) VALUES "
            "(1, 'Owl', '2003-05-17', 1, 1, 1, 1, 1, 1, 1, 'owl.jpg', 'S1', '00:01')",
        };
        for (const char* sql : seed)
            m.db().exec(QString::fromUtf8(sql));
        for (Table* t : dm.tables())
            if (t->active())
                t->refresh();
        dm.StorageLocationTable.detachMaster();
        dm.SubCategoryTable.detachMaster();
        ASSERT_TRUE(dm.PictureInfoTable.locate("PictureID", 1));
        SystemInfo().PreviewDir = files.filePath("previews");
        SystemInfo().ShowPreview = true;
        allRights();
    }
    static void allRights()
    {
        auto& r = SecurityData();
        r.CanAddPicture = r.CanEditPicture = r.CanDeletePicture = r.CanMoveLocations = r.CanViewModified = true;
    }
    QVariant stored(const char* field)
    {
        Query q(&m.db());
        q.addLine(QStringLiteral("Select %1 From \"PictureInfo.db\" Where PictureID = 1").arg(field));
        q.open();
        return q.fieldValue(QString::fromLatin1(field));
    }
    void setStored(const char* field, const QString& value)
    {
        m.db().exec(QStringLiteral("UPDATE PictureInfo SET %1 = %2 WHERE PictureID = 1").arg(field, value));
        dm.PictureInfoTable.refresh();
    }
};

TEST_F(PictureFormTest, RightsDecideButtonsAndFields)
{
    const struct {
        const char* name;
        bool add, edit, viewModified;
        bool insert, save, readOnly;
    } cases[] = {
        {"edit only", false, true, false, false, true, false},
        {"add", true, false, false, true, true, false},
        {"view modified only", false, false, true, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto& r = SecurityData();
        r = kv::security::TSecurityData();
        r.CanAddPicture = c.add;
        r.CanEditPicture = c.edit;
        r.CanViewModified = c.viewModified;
        TPictureForm form(dm);
        form.FormActivate();
        EXPECT_EQ(form.button("Insert")->isEnabled(), c.insert);
        EXPECT_EQ(form.button("Save")->isEnabled(), c.save);
        EXPECT_EQ(static_cast<QLineEdit*>(form.control("PictureDescription"))->isReadOnly(), c.readOnly);
        EXPECT_EQ(static_cast<QLineEdit*>(form.control("FileName"))->isReadOnly(), c.readOnly);
        EXPECT_EQ(form.fileButton()->isEnabled(), !c.readOnly);
        EXPECT_EQ(form.button("Delete")->isEnabled(), false);
    }
}

TEST_F(PictureFormTest, ClosedLocationFieldsAreClearedOnlyWhenTheTypeIsKnownAndTheUserMayChange)
{
    const struct {
        const char* name;
        const char* mediaType;
        bool mayChange;
        bool cleared;
    } cases[] = {
        {"all flags false", "2", true, true},
        {"read-only user", "2", false, false},
        {"no media type", "NULL", true, false},
        {"a media type that is gone", "99", true, false},
        {"every flag true", "1", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dm.PictureInfoTable.cancel();
        setStored("MediaTypeID", c.mediaType);
        SecurityData().CanAddPicture = SecurityData().CanEditPicture = c.mayChange;
        TPictureForm form(dm);
        form.FormActivate();
        EXPECT_EQ(dm.PictureInfoTable.isNull("FileName"), c.cleared);
        EXPECT_EQ(dm.PictureInfoTable.isNull("Slide"), c.cleared);
        EXPECT_EQ(dm.PictureInfoTable.isNull("TimeIndex"), c.cleared);
        EXPECT_TRUE(messages.messages().isEmpty());
    }
}

struct PickCase {
    const char* name;
    PictureLookup lookup;
    const char* table;  // the editor's table and key, where the user stops
    const char* key;
    qint64 picked;
    const char* field;
    QVariant after;  // the picture's field afterwards
    QStringList texts;
    std::optional<MessageAnswer> answer;
};

TEST_F(PictureFormTest, PicksAskStoreOrRefuse)
{
    const PickCase cases[] = {
        {"another media type empties the location", PictureLookup::MediaType, "MediaType", "MediaTypeID", 3,
         "MediaTypeID", 3, {"Do you want to use Files for the Media Type?"}, MessageAnswer::Yes},
        {"a location of another media type", PictureLookup::StorageLocation, "StorageLocation", "StorageLocationID", 3,
         "StorageLocationID", 1, {"Error: Album shelf not in the media type you have already selected!"}, {}},
        {"a location of the media type", PictureLookup::StorageLocation, "StorageLocation", "StorageLocationID", 2,
         "StorageLocationID", 2, {"Do you want to use Other disk for the Storage Location?"}, MessageAnswer::Yes},
        {"a sub-category of another category", PictureLookup::SubCategory, "SubCatagory", "SubCatagoryID", 2,
         "SubCatagoryID", 1, {"Error: Ferns not in the category you have already selected!"}, {}},
        {"the held value asks nothing", PictureLookup::Place, "Place", "PlaceID", 1, "PlaceID", 1, {}, {}},
        {"No keeps the value", PictureLookup::MediaType, "MediaType", "MediaTypeID", 2, "MediaTypeID", 1,
         {"Do you want to use None for the Media Type?"}, MessageAnswer::No},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        dm.PictureInfoTable.cancel();
        TPictureForm form(dm);
        form.FormActivate();
        kv::common::ModalHandlerScope modal([&](QObject&) {
            for (Table* t : dm.tables())
                if (t->tableName() == QLatin1String(c.table))
                    t->locate(c.key, c.picked);
            return 0;
        });
        if (c.answer)
            messages.addAnswer(*c.answer);
        form.PickBtnClick(c.lookup);
        EXPECT_EQ(messages.texts(), c.texts);
        if (!c.texts.isEmpty() && c.texts[0].startsWith("Error")) {
            EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
        }
        EXPECT_EQ(dm.PictureInfoTable.fieldValue(c.field).toLongLong(), c.after.toLongLong());
        if (c.lookup == PictureLookup::MediaType && c.answer == MessageAnswer::Yes) {
            EXPECT_TRUE(dm.PictureInfoTable.isNull("StorageLocationID"));
            EXPECT_TRUE(dm.PictureInfoTable.isNull("Slide"));  // the new type has no slides
            EXPECT_FALSE(dm.PictureInfoTable.isNull("FileName"));
        }
        // A refused pick stores nothing at all.
        if (c.after.toLongLong() != c.picked && !c.answer) {
            EXPECT_NE(dm.PictureInfoTable.state(), DataSet::State::Edit);
        }
    }
}

TEST_F(PictureFormTest, ANewPictureGetsItsPreviewAndTheFileDate)
{
    const QString jpeg = files.filePath("nest.jpg");
    kv::test::writeQtJpeg(jpeg, kv::test::gradientPicture(640, 480));
    SystemInfo().DefaultPlaceID = 1;
    SystemInfo().DefaultRatingID = 42;  // names no row: not applied
    SystemInfo().DefaultMediaTypeID = 1;
    int result = -1;
    qint64 id = -1;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        auto& form = dynamic_cast<TPictureForm&>(window);
        Table& t = dm.PictureInfoTable;
        EXPECT_EQ(t.state(), DataSet::State::Insert);
        EXPECT_EQ(readInteger(t, "PlaceID"), 1);
        EXPECT_TRUE(t.isNull("RatingID"));
        EXPECT_TRUE(form.button("Insert")->isEnabled());
        for (const auto& [field, value] : std::initializer_list<std::pair<const char*, QVariant>>{
                 {"PictureDescription", "Nest"}, {"CatagoryID", 1}, {"PhotograherID", 1}, {"RatingID", 1},
                 {"StorageLocationID", 1}, {"FileName", "nest.jpg"}})
            t.setFieldValue(field, value);
        t.setFieldValue("DateTaken", QVariant());
        form.ChooseFile(jpeg);
        id = readInteger(t, "PictureID");
        EXPECT_TRUE(messages.messages().isEmpty()) << messages.texts().join('|').toStdString();
        EXPECT_EQ(form.rotateItem(), 0);
        messages.addAnswer(MessageAnswer::Yes);  // the date is left for the user to save
        form.close();
        return form.result();
    });
    result = OpenNewPicture(dm);
    EXPECT_EQ(messages.texts(), QStringList({"Changes Not Saved, Save Changes?"}));
    ASSERT_GT(id, 1);
    EXPECT_EQ(PreviewFileSize(PreviewPath(id), QString()), QSize(200, 150));
    Query q(&m.db());
    q.addLine(QStringLiteral("Select * From \"PictureInfo.db\" Where PictureID = %1").arg(id));
    q.open();
    EXPECT_EQ(readInteger(q, "ImageSizeX"), 200);
    EXPECT_EQ(readInteger(q, "ImageSizeY"), 150);
    EXPECT_EQ(valueDate(q.fieldValue("DateTaken")), QDate::currentDate());
    EXPECT_EQ(result, int(QDialog::Rejected));
}

TEST_F(PictureFormTest, AddPreviewStartsInTheLocationAndRotationLeavesOtherEditsPending)
{
    const QString jpeg = files.filePath("owl.jpg");
    kv::test::writeQtJpeg(jpeg, kv::test::gradientPicture(640, 480));
    setStored("DateTaken", "'" + QDate::currentDate().toString(Qt::ISODate) + "'");
    const struct {
        const char* location;
        QString directory;
    } cases[] = {{"1", "/tmp/"}, {"3", ""}};  // the shelf has no Directory
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        dm.PictureInfoTable.cancel();
        setStored("StorageLocationID", c.location);
        TPictureForm form(dm);
        form.FormActivate();
        QStringList asked;
        form.chooseImageFile = [&](const QString& directory, const QString& proposed) {
            asked << directory << proposed;
            return jpeg;
        };
        EXPECT_FALSE(form.rotateGroup()->isEnabled());
        form.AddPreviewClick();
        EXPECT_EQ(asked, QStringList({c.directory, "owl.jpg"}));
        EXPECT_TRUE(form.rotateGroup()->isEnabled());
        ASSERT_TRUE(dm.PictureInfoTable.edit());
        dm.PictureInfoTable.setFieldValue("PictureDescription", "Pending");
        form.RotateClick(1);
        EXPECT_EQ(stored("RotateImage").toInt(), 90);
        EXPECT_EQ(stored("ImageSizeX").toInt(), 150);
        EXPECT_EQ(stored("PictureDescription").toString(), "Owl");
        EXPECT_EQ(dm.PictureInfoTable.state(), DataSet::State::Edit);
        EXPECT_TRUE(messages.messages().isEmpty()) << messages.texts().join('|').toStdString();
    }
    dm.PictureInfoTable.cancel();
}

TEST_F(PictureFormTest, DeletingTakesLinksDefaultAndPreview)
{
    m.db().exec("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1)");
    m.db().exec("INSERT INTO AlbumList (AlbumID, AlbumPictureID) VALUES (1, 1)");
    m.db().exec("UPDATE Person SET PersonPicture = 1");
    QDir().mkpath(SystemInfo().PreviewDir);
    kv::test::writeBytes(PreviewPath(1), "preview");
    int result = -1;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        auto& form = dynamic_cast<TPictureForm&>(window);
        messages.addAnswer(MessageAnswer::Yes);
        form.button("Delete")->click();
        return form.result();
    });
    result = OpenPictureDetails(dm);
    EXPECT_EQ(messages.texts(), QStringList({"Are you sure you want to delete this Picture?"}));
    EXPECT_EQ(result, int(QDialog::Accepted));
    Query q(&m.db());
    q.addLine("Select (Select Count(*) From \"PictureInfo.db\") + (Select Count(*) From \"PicturePeople.db\") + "
              "(Select Count(*) From \"AlbumList.db\") As N");
    q.open();
    EXPECT_EQ(readInteger(q, "N"), 0);
    EXPECT_EQ(dm.PersonPictureOf(1), -1);
    EXPECT_FALSE(QFile::exists(PreviewPath(1)));
}

TEST_F(PictureFormTest, BulkPauseButtonsGiveTheirResults)
{
    const struct {
        const char* button;
        MessageAnswer answer;
        int result;
    } cases[] = {
        {"Abort", MessageAnswer::Yes, kBulkAbort},
        {"Continue", MessageAnswer::Yes, kBulkContinue},
        {"Abort", MessageAnswer::No, -1},  // the window stays open
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        messages.clear();
        kv::common::ModalHandlerScope modal([&](QObject& window) {
            auto& form = dynamic_cast<TPictureForm&>(window);
            form.FormActivate();
            EXPECT_TRUE(form.button(c.button)->isVisible() || !form.isVisible());
            EXPECT_FALSE(form.button("Insert")->isEnabled());
            EXPECT_FALSE(form.findButton(PictureLookup::Place)->isEnabled());
            EXPECT_FALSE(form.fileButton()->isEnabled());
            EXPECT_TRUE(form.rotateGroup()->isEnabled());
            messages.addAnswer(c.answer);
            form.button(c.button)->click();
            return form.closed() ? form.result() : -1;
        });
        EXPECT_EQ(OpenBulkPausePicture(dm, files.filePath("x.jpg"), false), c.result);
        EXPECT_EQ(messages.messages().size(), 1);
        EXPECT_EQ(messages.messages()[0].kind, MessageKind::DestructiveQuestion);
    }
}

TEST_F(PictureFormTest, ABulkLoadPausesInThisWindowOnTheLoadedPicture)
{
    m.db().exec("INSERT INTO PictureInfo (PictureID, PictureDescription, RatingID) VALUES (2, 'Heron', 1)");
    dm.PictureInfoTable.refresh();
    dm.PictureInfoTable.first();
    InstallBulkPauseEditor(dm);
    const struct {
        qint64 picture;
        const char* button;
        kv::storage::PauseResult result;
        bool shown;
    } cases[] = {
        {2, "Abort", kv::storage::PauseResult::Abort, true},
        {2, "Continue", kv::storage::PauseResult::StopPausing, true},
        {99, "Abort", kv::storage::PauseResult::Next, false},  // a row that is gone: no window
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        bool shown = false;
        kv::common::ModalHandlerScope modal([&](QObject& window) {
            auto& form = dynamic_cast<TPictureForm&>(window);
            shown = true;
            form.FormActivate();
            EXPECT_EQ(readInteger(dm.PictureInfoTable, "PictureID"), c.picture);
            messages.addAnswer(MessageAnswer::Yes);
            form.button(c.button)->click();
            return form.result();
        });
        EXPECT_EQ(kv::storage::pauseEditor()(c.picture, files.filePath("x.jpg"), false), c.result);
        EXPECT_EQ(shown, c.shown);
    }
    kv::storage::setPauseEditor({});
}

TEST_F(PictureFormTest, FindOthersShowTheFoundPicturesAndClose)
{
    m.db().exec("INSERT INTO PictureInfo (PictureID, PictureDescription, PlaceID, RatingID) VALUES (2, 'Heron', 1, 1), "
                "(3, 'Fern', NULL, 1)");
    dm.PictureInfoTable.refresh();
    dm.PermittedRatings.append(1);
    ASSERT_TRUE(dm.PictureInfoTable.locate("PictureID", 3));
    {
        TPictureForm form(dm);
        form.FormActivate();
        form.FindOthersClick(PictureLookup::Place);  // no place: nothing happens
        EXPECT_FALSE(form.closed());
        EXPECT_FALSE(dm.ShowSearchResult);
    }
    ASSERT_TRUE(dm.PictureInfoTable.locate("PictureID", 1));
    TPictureForm form(dm);
    form.FormActivate();
    form.FindOthersClick(PictureLookup::Place);
    EXPECT_TRUE(form.closed());
    EXPECT_TRUE(dm.ShowSearchResult);
    QStringList found = dm.SearchResult.items();
    found.sort();
    EXPECT_EQ(found, QStringList({"1", "2"}));
    dm.ShowSearchResult = false;
}

TEST_F(PictureFormTest, FindOthersAreOffInSingleMode)
{
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        auto& form = dynamic_cast<TPictureForm&>(window);
        form.FormActivate();
        EXPECT_FALSE(form.findButton(PictureLookup::Rating)->isEnabled());
        EXPECT_FALSE(form.button("Insert")->isEnabled());
        EXPECT_FALSE(form.button("Move")->isEnabled());
        return 0;
    });
    OpenSlidePicture(dm);
}

TEST_F(PictureFormTest, LinkTabsPostANewPictureWithoutTheRequiredChecksButNeverTwice)
{
    const struct {
        const char* name;
        TPictureForm::LinkTab tab;
        const char* fileName;
        bool posted;
    } cases[] = {
        {"people, no description yet", TPictureForm::LinkTab::People, "new.jpg", true},
        {"album, no description yet", TPictureForm::LinkTab::Album, "other.jpg", true},
        {"people, a file already catalogued", TPictureForm::LinkTab::People, "OWL.jpg", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        TPictureForm form(dm);
        form.FormActivate();
        form.InsertBtnClick();
        Table& t = dm.PictureInfoTable;
        t.setFieldValue("StorageLocationID", 1);
        t.setFieldValue("FileName", c.fileName);
        Table& links = c.tab == TPictureForm::LinkTab::People ? dm.PicturePeopleTable : dm.AlbumListTable;
        form.LinkInsertClick(c.tab);
        EXPECT_EQ(t.state() == DataSet::State::Browse, c.posted);
        EXPECT_EQ(links.state() == DataSet::State::Insert, c.posted);
        if (c.posted) {
            EXPECT_TRUE(messages.messages().isEmpty()) << messages.texts().join('|').toStdString();
            EXPECT_EQ(readInteger(links, c.tab == TPictureForm::LinkTab::People ? "PictureID" : "AlbumPictureID"),
                      readInteger(t, "PictureID"));
            links.cancel();
        } else {
            EXPECT_EQ(messages.texts(), QStringList({"This picture already exists in the database!"}));
            t.cancel();
        }
        EXPECT_TRUE(dm.ValidateOnPost);
    }
}

TEST_F(PictureFormTest, SetDefaultPictureNeedsASavedLink)
{
    m.db().exec("UPDATE Person SET Birthdate = '1990-01-01'");
    m.db().exec("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1)");
    dm.PersonTable.refresh();
    dm.PicturePeopleTable.refresh();
    TPictureForm form(dm);
    form.FormActivate();
    EXPECT_FALSE(form.currentAge()->text().isEmpty());
    EXPECT_EQ(form.pictureAge()->text().trimmed(), "13");  // on the picture's date in 2003
    messages.addAnswer(MessageAnswer::Yes);
    form.SetDefaultPictureClick();
    EXPECT_EQ(messages.texts(), QStringList({"Are you sure you set to set this as the default picture for Ann?",
                                             "This picture is now the default picture for: Ann."}));
    EXPECT_EQ(messages.messages()[1].kind, MessageKind::Information);
    EXPECT_EQ(dm.PersonPictureOf(1), 1);

    // A link not yet saved.
    m.db().exec("UPDATE Person SET PersonPicture = NULL");
    messages.clear();
    ASSERT_TRUE(dm.PicturePeopleTable.insert());
    dm.PicturePeopleTable.setFieldValue("PersonID", 1);
    messages.addAnswer(MessageAnswer::Yes);
    form.SetDefaultPictureClick();
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_EQ(messages.messages()[1].kind, MessageKind::Error);
    EXPECT_EQ(dm.PersonPictureOf(1), -1);
    dm.PicturePeopleTable.cancel();
}

TEST_F(PictureFormTest, CloseWithARefusedSaveStaysOpen)
{
    TPictureForm form(dm);
    form.FormActivate();
    ASSERT_TRUE(dm.PictureInfoTable.edit());
    dm.PictureInfoTable.setFieldValue("PictureDescription", QVariant());
    messages.addAnswer(MessageAnswer::Yes);
    form.close();
    EXPECT_FALSE(form.closed());
    EXPECT_EQ(dm.PictureInfoTable.state(), DataSet::State::Edit);
    EXPECT_EQ(messages.texts().first(), "Changes Not Saved, Save Changes?");
    dm.PictureInfoTable.cancel();
}

TEST_F(PictureFormTest, MoveGivesTheSearchResultBackExactly)
{
    dm.SearchResult.append(7);
    dm.SearchResult.append(3);
    dm.SearchResult.append(1);
    const struct {
        const char* name;
        bool fails;
        int result;
        QStringList texts;
    } cases[] = {
        {"moved", false, QDialog::Accepted, {}},
        {"cancelled", false, QDialog::Rejected, {"Operation Canceled"}},
        {"the move fails", true, QDialog::Accepted, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        QStringList seen;
        const MoveWindow previous = setPictureMoveWindow([&](QWidget*) {
            seen = dm.SearchResult.items();
            if (c.fails)
                throw EngineError(QStringLiteral("injected"));
            return c.result;
        });
        TPictureForm form(dm);
        form.FormActivate();
        if (c.fails)
            EXPECT_THROW(form.MoveClick(), EngineError);
        else
            form.MoveClick();
        setPictureMoveWindow(previous);
        EXPECT_EQ(seen, QStringList({"1"}));
        EXPECT_EQ(dm.SearchResult.items(), QStringList({"7", "3", "1"}));
        EXPECT_EQ(messages.texts(), c.texts);
    }
}

// With KV_SCREENSHOT_DIR set, saves a picture of each tab of the window as a
// user sees it, with a preview made from a chosen file.
TEST_F(PictureFormTest, PictureFormScreenshot)
{
    const QString jpeg = files.filePath("owl.jpg");
    kv::test::writeQtJpeg(jpeg, kv::test::gradientPicture(640, 480));
    m.db().exec("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1)");
    dm.PicturePeopleTable.refresh();
    TPictureForm form(dm);
    form.show();
    QApplication::processEvents();
    messages.addAnswer(MessageAnswer::No);  // the picture was taken in 2003
    form.ChooseFile(jpeg);
    EXPECT_EQ(messages.texts(), QStringList({"The File Date and the date you entered are different, Use File Date?"}));
    EXPECT_TRUE(QFile::exists(PreviewPath(1)));
    EXPECT_FALSE(form.previewImage()->isHidden());
    EXPECT_TRUE(form.noPreviewLabel()->isHidden());
    const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        for (int tab = 0; tab < form.tabs()->count(); ++tab) {
            form.tabs()->setCurrentIndex(tab);
            QApplication::processEvents();
            EXPECT_TRUE(form.grab().save(QString("%1/picture-form-%2.png").arg(dir).arg(tab)));
        }
    }
    dm.PictureInfoTable.cancel();
}

}  // namespace
