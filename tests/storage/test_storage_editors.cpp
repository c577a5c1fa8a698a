// The media type and storage location editors: the flag check, the location
// fields that follow the location's own media type, the picks, the deletes,
// "Move" through its windows, and the Tables menu items.
#include "support/WindowTest.h"

#include "common/BrowseForFolder.h"
#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "reference/editors/PickProtocol.h"
#include "storage/MediaTypeForm.h"
#include "storage/StorageLocationForm.h"
#include "ui/main/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::storage;
using kv::common::MessageAnswer;
using kv::data::DataSet;
using kv::data::readInteger;
using kv::data::readText;
using kv::reference::EditorKind;
using kv::security::SecurityData;
using kv::security::TSecurityData;

namespace {

class StorageEditorTest : public kv::test::WindowTest {
protected:
    qint64 folder = -1;  // files in a directory
    qint64 slides = -1;  // slides in a tray
    qint64 disc = -1;    // files on a labelled disc

    void SetUp() override
    {
        WindowTest::SetUp();
        TSecurityData& r = SecurityData();
        r.CanAddMedia = r.CanEditMedia = r.CanDeleteMedia = true;
        r.CanAddStorageLoc = r.CanEditStorageLoc = r.CanDeleteStorageLoc = true;
        r.CanMoveLocations = r.CanAddPicture = true;
        kv::data::LoginData().UserID = 1;
        folder = addMediaType("Folder", {"ShowFileName"});
        slides = addMediaType("Slides", {"ShowSlide"});
        disc = addMediaType("Disc", {"ShowFileName", "ShowDiscLabel"});
        dm.StorageLocationTable.detachMaster();
    }
    void TearDown() override
    {
        setScanWindow({});
        WindowTest::TearDown();
    }
    qint64 addMediaType(const char* description, std::initializer_list<const char*> flags)
    {
        EXPECT_TRUE(dm.MediaTypeTable.insert());
        dm.MediaTypeTable.setFieldValue("MediaTypeDescription", description);
        for (const char* flag : flags)
            dm.MediaTypeTable.setFieldValue(flag, true);
        EXPECT_TRUE(dm.MediaTypeTable.post());
        return readInteger(dm.MediaTypeTable, "MediaTypeID");
    }
    // A location holding a value in every field its media type may close.
    qint64 addLocation(const QVariant& mediaType, const QString& directory = "/pictures/")
    {
        kv::data::Table& t = dm.StorageLocationTable;
        dm.ValidateOnPost = false;  // an editor switched the checks on
        EXPECT_TRUE(t.insert());
        t.setFieldValue("MediaType", mediaType);
        t.setFieldValue("StorageLocationDescriptio", "Location");
        t.setFieldValue("Directory", directory);
        t.setFieldValue("DiscLabel", "Holiday");
        t.setFieldValue("Tray", "Tray 3");
        t.setFieldValue("Book", "Album 1");
        t.setFieldValue("Shelve", "Top");
        EXPECT_TRUE(t.post());
        return readInteger(t, "StorageLocationID");
    }
    QStringList locationFields()
    {
        QStringList values;
        for (const char* f : {"Directory", "DiscLabel", "Tray", "Book", "Shelve"})
            values << readText(dm.StorageLocationTable, f);
        return values;
    }
};

}  // namespace

TEST_F(StorageEditorTest, AMediaTypeNeedsAtLeastOneOption)
{
    TMediaTypeForm form(dm);
    form.show();
    ASSERT_EQ(form.optionBoxes().size(), 7u);
    EXPECT_EQ(form.optionBoxes()[6]->text(), "Removable Media");
    form.InsertBtnClick();
    for (const char* flag : {"ShowFileName", "ShowSlide", "ShowPicture", "ShowPage", "ShowTimeIndex", "ShowDiscLabel",
                             "RemovableMedia"})
        EXPECT_EQ(dm.MediaTypeTable.fieldValue(flag), QVariant(qint64(0))) << flag;  // false, not Null
    dm.MediaTypeTable.setFieldValue("MediaTypeDescription", "Shoebox");
    form.SaveBtnClick();
    EXPECT_EQ(messages.texts(), QStringList({"Please Check At Least One Option!\r"}));
    EXPECT_EQ(dm.MediaTypeTable.state(), DataSet::State::Insert);

    messages.clear();
    form.optionBoxes()[6]->click();  // "Removable Media" alone
    form.SaveBtnClick();
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join('|').toStdString();
    EXPECT_EQ(dm.MediaTypeTable.state(), DataSet::State::Browse);
    EXPECT_TRUE(kv::data::readBool(dm.MediaTypeTable, "RemovableMedia"));

    // Without the add and edit rights the boxes only show the flags.
    SecurityData().CanAddMedia = SecurityData().CanEditMedia = false;
    TMediaTypeForm viewer(dm);
    viewer.show();
    for (auto* box : viewer.optionBoxes())
        EXPECT_FALSE(box->isEnabled());
}

TEST_F(StorageEditorTest, ActivationClosesAndClearsWhatTheLocationsMediaTypeDoesNotUse)
{
    setScanWindow([](QWidget*, qint64, qint64) {});
    const struct {
        const char* name;
        QVariant type;
        QStringList after;  // Directory, DiscLabel, Tray, Book, Shelve
        bool directoryOpen;
    } cases[] = {
        {"slides", slides, {"", "", "Tray 3", "", "Top"}, false},
        {"disc", disc, {"/pictures/", "Holiday", "", "", "Top"}, true},
        {"no media type: nothing cleared", QVariant(), {"/pictures/", "Holiday", "Tray 3", "Album 1", "Top"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 id = addLocation(c.type);
        // The media type table stands on another row: the location's own type counts.
        ASSERT_TRUE(dm.MediaTypeTable.locate("MediaTypeID", folder));
        TStorageLocationForm form(dm);
        ASSERT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", id));
        form.show();
        EXPECT_EQ(locationFields(), c.after);
        EXPECT_EQ(dm.StorageLocationTable.state(),
                  c.type.isValid() ? DataSet::State::Edit : DataSet::State::Browse);
        EXPECT_EQ(form.directory()->isReadOnly(), !c.directoryOpen);
        EXPECT_EQ(form.directoryButton()->isEnabled(), c.directoryOpen);
        EXPECT_EQ(form.moveButton()->isEnabled(), c.directoryOpen);
        EXPECT_EQ(form.scanButton()->isEnabled(), c.directoryOpen);
        form.SaveBtnClick();
        form.reject();
    }
    // Without the add and edit rights nothing is cleared and all is read-only.
    SecurityData().CanAddStorageLoc = SecurityData().CanEditStorageLoc = false;
    const qint64 id = addLocation(slides);
    TStorageLocationForm viewer(dm);
    ASSERT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", id));
    viewer.show();
    EXPECT_EQ(locationFields(), QStringList({"/pictures/", "Holiday", "Tray 3", "Album 1", "Top"}));
    EXPECT_TRUE(viewer.tray()->isReadOnly());
    EXPECT_FALSE(viewer.moveButton()->isEnabled());
}

TEST_F(StorageEditorTest, ChangingTheMediaTypeClearsAsSoonAsTheBoxIsLeftOrItsListCloses)
{
    for (const bool byList : {false, true}) {
        SCOPED_TRACE(byList ? "list closes" : "box left");
        const qint64 id = addLocation(disc);
        TStorageLocationForm form(dm);
        ASSERT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", id));
        form.show();
        form.SaveBtnClick();  // the activation cleared the tray and book
        kv::common::DBLookupComboBox* box = form.mediaTypeBox();
        if (byList) {
            const int folderItem = box->findText("Folder");
            ASSERT_GE(folderItem, 0);
            box->setCurrentIndex(folderItem);
            emit box->activated(folderItem);
        } else {
            ASSERT_TRUE(dm.StorageLocationTable.edit());
            dm.StorageLocationTable.setFieldValue("MediaType", folder);
            EXPECT_EQ(readText(dm.StorageLocationTable, "DiscLabel"), "Holiday");  // not yet
            QFocusEvent left(QEvent::FocusOut);
            QApplication::sendEvent(box, &left);
        }
        EXPECT_EQ(readInteger(dm.StorageLocationTable, "MediaType"), folder);
        EXPECT_TRUE(dm.StorageLocationTable.isNull("DiscLabel"));
        EXPECT_EQ(readText(dm.StorageLocationTable, "Directory"), "/pictures/");
        EXPECT_TRUE(form.discLabel()->isReadOnly());
        form.SaveBtnClick();
        form.reject();
    }
}

TEST_F(StorageEditorTest, TheMediaTypeButtonPicksForTheLocation)
{
    const qint64 id = addLocation(folder);
    TStorageLocationForm form(dm);
    ASSERT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", id));
    form.show();
    qint64 pick = slides;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        EXPECT_NE(dynamic_cast<TMediaTypeForm*>(&window), nullptr);
        dm.MediaTypeTable.locate("MediaTypeID", pick);
        return 0;
    });
    messages.addAnswer(MessageAnswer::Yes);
    form.MediaTypeBtnClick();
    EXPECT_EQ(messages.texts(), QStringList({"Do you want to use Slides for the Storage Location?"}));
    EXPECT_EQ(readInteger(dm.StorageLocationTable, "MediaType"), slides);
    EXPECT_TRUE(dm.StorageLocationTable.isNull("Directory"));  // slides have no directory
    form.SaveBtnClick();

    // The media type the location already has: nothing asked.
    messages.clear();
    form.MediaTypeBtnClick();
    EXPECT_TRUE(messages.texts().isEmpty());
    form.reject();
}

TEST_F(StorageEditorTest, ALocationPickListsEveryLocationAndReturnsItsMediaType)
{
    addLocation(folder);
    const qint64 tray = addLocation(slides);
    dm.StorageLocationTable.attachMaster();
    ASSERT_TRUE(dm.MediaTypeTable.locate("MediaTypeID", folder));  // the link shows the folder's only
    bool listedAll = false;
    kv::common::ModalHandlerScope modal([&](QObject&) {
        listedAll = !dm.StorageLocationTable.masterAttached() && dm.StorageLocationTable.recordCount() == 2;
        dm.StorageLocationTable.locate("StorageLocationID", tray);
        return 0;
    });
    const kv::reference::PickResult picked = kv::reference::RunPickEditor(dm, EditorKind::StorageLocation);
    EXPECT_TRUE(listedAll);
    EXPECT_EQ(picked.id, tray);
    EXPECT_EQ(picked.mediaTypeId, slides);
    EXPECT_EQ(picked.description, "Location");
    EXPECT_TRUE(dm.StorageLocationTable.masterAttached());
}

TEST_F(StorageEditorTest, DeletingResetsTheDefaultAndClearsTheReferences)
{
    const struct {
        EditorKind kind;
        const char* setting;
        qint64 kv::data::TSystemInfo::*member;
    } cases[] = {
        {EditorKind::MediaType, "DefaultMediaTypeID", &kv::data::TSystemInfo::DefaultMediaTypeID},
        {EditorKind::StorageLocation, "DefaultStorageLocationID", &kv::data::TSystemInfo::DefaultStorageLocationID},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        const qint64 type = c.kind == EditorKind::MediaType ? disc : folder;
        const qint64 location = addLocation(type);
        ASSERT_TRUE(dm.PictureInfoTable.insert());
        dm.PictureInfoTable.setFieldValue("PictureDescription", "p");
        dm.PictureInfoTable.setFieldValue("MediaTypeID", type);
        dm.PictureInfoTable.setFieldValue("StorageLocationID", location);
        ASSERT_TRUE(dm.PictureInfoTable.post());
        const qint64 gone = c.kind == EditorKind::MediaType ? disc : location;
        ASSERT_TRUE(dm.SettingsTable.edit());
        dm.SettingsTable.setFieldValue(c.setting, gone);
        ASSERT_TRUE(dm.SettingsTable.post());
        kv::data::SystemInfo().*c.member = gone;

        auto form = kv::reference::createEditor(c.kind, dm);
        ASSERT_TRUE(form);
        kv::data::Table& t = form->family().table(dm);
        ASSERT_TRUE(t.locate(form->family().idField, gone));
        messages.addAnswer(MessageAnswer::Yes);
        form->DeleteBtnClick();
        EXPECT_FALSE(t.locate(form->family().idField, gone));
        EXPECT_TRUE(dm.SettingsTable.isNull(c.setting));
        EXPECT_EQ(kv::data::SystemInfo().*c.member, -1);
        dm.PictureInfoTable.refresh();
        EXPECT_TRUE(dm.PictureInfoTable.isNull(c.kind == EditorKind::MediaType ? "MediaTypeID" : "StorageLocationID"));
        if (c.kind == EditorKind::MediaType) {
            dm.StorageLocationTable.refresh();
            ASSERT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", location));
            EXPECT_TRUE(dm.StorageLocationTable.isNull("MediaType"));
        }
    }
    EXPECT_EQ(messages.texts(), QStringList({"Are you sure you want to delete this Media Type?",
                                             "Are you sure you want to delete this Storage Location?"}));
}

TEST_F(StorageEditorTest, MoveThroughItsWindows)
{
    QTemporaryDir dir;
    const QString from = dir.filePath("old");
    const QString to = dir.filePath("new");
    QDir().mkpath(from);
    QDir().mkpath(to);
    const qint64 id = addLocation(folder, from + "/");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        QFile f(from + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(dm.PictureInfoTable.insert());
        dm.PictureInfoTable.setFieldValue("PictureDescription", "p");
        dm.PictureInfoTable.setFieldValue("StorageLocationID", id);
        dm.PictureInfoTable.setFieldValue("FileName", name);
        ASSERT_TRUE(dm.PictureInfoTable.post());
    }
    TStorageLocationForm form(dm);
    ASSERT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", id));
    form.show();
    QString caption;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        auto& browse = dynamic_cast<kv::common::TDirectoryForm&>(window);
        caption = browse.caption();
        browse.selectDirectory(to);
        return int(QDialog::Accepted);
    });
    form.moveButton()->click();
    EXPECT_EQ(caption, "New File Location Storage.");
    EXPECT_EQ(QDir(to).entryList(QDir::Files), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(readText(dm.StorageLocationTable, "Directory"), to + "/");
    EXPECT_EQ(messages.texts(), QStringList({"Operation Compleated"}));
    EXPECT_TRUE(form.isEnabled());

    // The directory button sets the directory without moving anything.
    form.directoryButton()->click();
    EXPECT_EQ(caption, "Storage Location");
    EXPECT_EQ(dm.StorageLocationTable.state(), DataSet::State::Edit);
    EXPECT_EQ(readText(dm.StorageLocationTable, "Directory"), to);
    messages.addAnswer(MessageAnswer::No);
    form.reject();
}

TEST_F(StorageEditorTest, TheTablesMenuOpensBothEditors)
{
    kv::ui::TMainForm main(false);
    main.setDataModule(&dm);
    dm.StorageLocationTable.attachMaster();
    QStringList opened;
    bool detached = false;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        opened << window.metaObject()->className();
        detached = !dm.StorageLocationTable.masterAttached();
        return 0;
    });
    main.action("&Tables/&Media Type")->trigger();
    EXPECT_FALSE(detached);
    main.action("&Tables/S&torage Location")->trigger();
    EXPECT_TRUE(detached);
    EXPECT_EQ(opened, QStringList({"kv::storage::TMediaTypeForm", "kv::storage::TStorageLocationForm"}));
    EXPECT_TRUE(dm.StorageLocationTable.masterAttached());
}
