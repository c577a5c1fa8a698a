// The reference editors, the Find window and the pick protocol.
#include "support/WindowTest.h"

#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "data/LoginData.h"
#include "data/SystemInfo.h"
#include "reference/ExportForm.h"
#include "reference/ImportForm.h"
#include "reference/editors/FindForm.h"
#include "reference/editors/PickProtocol.h"
#include "reference/editors/ReferenceEditor.h"
#include "security/SecurityData.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::reference;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using kv::data::readInteger;
using kv::data::readText;
using kv::security::SecurityData;
using kv::security::TSecurityData;

namespace {

class EditorTest : public kv::test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        TSecurityData& r = SecurityData();
        r.CanAddPlace = r.CanEditPlace = r.CanDeletePlace = true;
        r.CanAddCatatory = r.CanEditCatagory = true;
        r.CanAddSubCat = r.CanEditSubCat = true;
        r.CanAddAlbum = r.CanEditAlbum = true;
        r.CanViewModified = true;
        kv::data::LoginData().UserID = 1;
    }
    qint64 add(kv::data::Table& t, const char* field, const QString& value)
    {
        EXPECT_TRUE(t.insert());
        t.setFieldValue(field, value);
        EXPECT_TRUE(t.post());
        return readInteger(t, t.fieldNames().first());
    }
};

}  // namespace

TEST_F(EditorTest, ClosingOnAnEmptyTablePicksNothingAndTheCallerAsksNothing)
{
    kv::common::ModalHandlerScope modal([](QObject&) { return 0; });
    EXPECT_TRUE(dm.PictureInfoTable.insert());
    const auto set = PickIntoField(dm, EditorKind::Place, dm.PictureInfoTable, "PlaceID", true,
                                   "Do you want to use %s% for the Place?");
    EXPECT_FALSE(set.has_value());
    EXPECT_TRUE(messages.messages().isEmpty());
    const PickResult r = RunPickEditor(dm, EditorKind::Place);
    EXPECT_EQ(r.id, -1);
    EXPECT_TRUE(r.description.isEmpty());
}

TEST_F(EditorTest, PickingAskesWithTheDescriptionAndSetsTheField)
{
    add(dm.PlaceTable, "PlaceDescription", "Beach");
    const qint64 lake = add(dm.PlaceTable, "PlaceDescription", "Lake");
    EXPECT_TRUE(dm.PictureInfoTable.insert());
    dm.PictureInfoTable.setFieldValue("PictureDescription", "p");
    dm.PictureInfoTable.post();
    kv::common::ModalHandlerScope modal([&](QObject&) {
        dm.PlaceTable.locate("PlaceID", lake);  // the user moves to Lake and closes
        return 0;
    });
    messages.addAnswer(MessageAnswer::Yes);
    const auto set = PickIntoField(dm, EditorKind::Place, dm.PictureInfoTable, "PlaceID", true,
                                   "Do you want to use %s% for the Place?");
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(messages.texts(), QStringList({"Do you want to use Lake for the Place?"}));
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Question);
    EXPECT_EQ(dm.PictureInfoTable.state(), kv::data::DataSet::State::Edit);
    EXPECT_EQ(readInteger(dm.PictureInfoTable, "PlaceID"), lake);

    // Picking the value the field already holds asks nothing; so does a
    // caller without the right.
    messages.clear();
    EXPECT_FALSE(PickIntoField(dm, EditorKind::Place, dm.PictureInfoTable, "PlaceID", true, "%s%").has_value());
    EXPECT_FALSE(PickIntoField(dm, EditorKind::Place, dm.PictureInfoTable, "PlaceID", false, "%s%").has_value());
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(EditorTest, UnsavedNewRowAnsweredNoPicksTheRowThatBecomesCurrent)
{
    add(dm.PlaceTable, "PlaceDescription", "Harbour");
    TPlaceForm form(dm);
    form.InsertBtnClick();
    dm.PlaceTable.setFieldValue("PlaceDescription", "Not saved");
    messages.addAnswer(MessageAnswer::No);
    form.reject();
    EXPECT_EQ(messages.texts(), QStringList({"Changes Not Saved, Save Changes?"}));
    EXPECT_EQ(form.PickedDescription, "Harbour");
    EXPECT_EQ(dm.PlaceTable.recordCount(), 1);
}

TEST_F(EditorTest, ARefusedPostOnCloseKeepsTheWindowOpen)
{
    TPlaceForm form(dm);
    form.show();
    form.InsertBtnClick();  // no description: the record check refuses it
    messages.addAnswer(MessageAnswer::Yes);
    form.close();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.closed());
    EXPECT_EQ(messages.texts(), QStringList({"Changes Not Saved, Save Changes?", "Please Enter A Description For This Place!\r"}));
    messages.addAnswer(MessageAnswer::No);
    form.close();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(EditorTest, RightsDecideButtonsAndEditableFields)
{
    TSecurityData& r = SecurityData();
    r.CanAddPlace = false;  // edit right alone
    r.CanDeletePlace = false;
    r.CanViewModified = false;
    r.CanExport = true;
    TPlaceForm form(dm);
    form.show();
    EXPECT_TRUE(form.saveButton()->isEnabled());
    EXPECT_FALSE(form.insertButton()->isEnabled());
    EXPECT_FALSE(form.deleteButton()->isEnabled());
    EXPECT_TRUE(form.exportButton()->isEnabled());
    EXPECT_FALSE(form.importButton()->isEnabled());
    EXPECT_FALSE(form.description()->isReadOnly());
    EXPECT_FALSE(form.modifiedBy()->isVisible());
    EXPECT_TRUE(dm.ValidateOnPost);

    r.CanEditPlace = false;
    TPlaceForm viewer(dm);
    viewer.show();
    EXPECT_FALSE(viewer.saveButton()->isEnabled());
    EXPECT_TRUE(viewer.description()->isReadOnly());
}

TEST_F(EditorTest, FindStopsOnMatchingRowsAndNeverFiltersTheTable)
{
    for (const char* p : {"Central Park", "Lake", "Parking Lot", "Beach"})
        add(dm.PlaceTable, "PlaceDescription", p);
    EXPECT_TRUE(dm.PlaceTable.insert());  // a row without a description is skipped
    dm.ValidateOnPost = false;
    dm.PlaceTable.post();
    TFindForm find(dm, dm.PlaceTable);
    find.findWhat()->setText("ark");
    find.FirstBtnClick();
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), "Central Park");
    find.NextBtnClick();
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), "Parking Lot");
    find.NextBtnClick();
    EXPECT_EQ(messages.texts(), QStringList({"Sorry, We did not find any more data that matched your search Criteria!"}));
    find.PreviousBtnClick();
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), "Central Park");
    EXPECT_FALSE(dm.PlaceTable.filtered());
    EXPECT_EQ(dm.FindText, "ARK");
    find.findWhat()->setText("zzz");
    find.FirstBtnClick();
    EXPECT_EQ(messages.texts().last(), "Sorry, We did not find any data that matched your search Criteria!");
}

TEST_F(EditorTest, DeletingAPlaceClearsItFromItsPictures)
{
    const qint64 place = add(dm.PlaceTable, "PlaceDescription", "Harbour");
    EXPECT_TRUE(dm.PictureInfoTable.insert());
    dm.PictureInfoTable.setFieldValue("PictureDescription", "boat");
    dm.PictureInfoTable.setFieldValue("PlaceID", place);
    dm.PictureInfoTable.post();
    TPlaceForm form(dm);
    messages.addAnswer(MessageAnswer::No);
    form.DeleteBtnClick();
    EXPECT_EQ(dm.PlaceTable.recordCount(), 1);
    messages.addAnswer(MessageAnswer::Yes);
    form.DeleteBtnClick();
    EXPECT_EQ(messages.texts(), QStringList({"Are you sure you want to delete this Place?",
                                             "Are you sure you want to delete this Place?"}));
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(dm.PlaceTable.recordCount(), 0);
    dm.PictureInfoTable.refresh();
    EXPECT_TRUE(dm.PictureInfoTable.isNull("PlaceID"));
}

TEST_F(EditorTest, SubCategoryCategoryButtonPicksTheCategory)
{
    add(dm.CategoryTable, "CatagoryDescription", "Animals");
    const qint64 plants = add(dm.CategoryTable, "CatagoryDescription", "Plants");
    dm.SubCategoryTable.detachMaster();
    EXPECT_TRUE(dm.SubCategoryTable.insert());
    dm.SubCategoryTable.setFieldValue("CatagoryID", 1);
    dm.SubCategoryTable.setFieldValue("SubCatagoryDescription", "Trees");
    ASSERT_TRUE(dm.SubCategoryTable.post());
    TSubCategoryForm form(dm);
    kv::common::ModalHandlerScope modal([&](QObject&) {
        dm.CategoryTable.locate("CatagoryID", plants);
        return 0;
    });
    messages.addAnswer(MessageAnswer::Yes);
    form.CatagoryBtnClick();
    EXPECT_EQ(messages.texts(), QStringList({"Do you want to use Plants for the Category?"}));
    EXPECT_EQ(readInteger(dm.SubCategoryTable, "CatagoryID"), plants);
    form.SaveBtnClick();
    form.reject();
    EXPECT_EQ(form.PickedCategoryID, plants);
    EXPECT_EQ(form.PickedDescription, "Trees");
}

TEST_F(EditorTest, AlbumTemplatesDefaultAndBrowse)
{
    kv::data::SystemInfo().DefaultIndexTemplate = "/templates/index.htm";
    kv::data::SystemInfo().DefaultDetailTemplate = "/templates/detail.htm";
    TAlbumForm form(dm);
    form.InsertBtnClick();
    EXPECT_EQ(readText(dm.AlbumTable, "AlbumIndexTemplate"), "/templates/index.htm");
    EXPECT_EQ(readText(dm.AlbumTable, "AlbumDetailTemplate"), "/templates/detail.htm");
    dm.AlbumTable.setFieldValue("AlbumDescription", "Summer");
    form.SaveBtnClick();
    QString offered;
    form.chooseTemplateFile = [&offered](const QString& current) {
        offered = current;
        return QStringLiteral("/web/summer.html");
    };
    form.BrowseTemplate(false);
    EXPECT_EQ(offered, "/templates/detail.htm");
    EXPECT_EQ(dm.AlbumTable.state(), kv::data::DataSet::State::Edit);
    EXPECT_EQ(readText(dm.AlbumTable, "AlbumDetailTemplate"), "/web/summer.html");
    form.SaveBtnClick();
    EXPECT_EQ(form.modifiedBy()->text(), "Supervisor");  // the user who saved it
}

TEST_F(EditorTest, TemplateButtonsOnAnEmptyAlbumTableDoNothing)
{
    TAlbumForm form(dm);
    bool asked = false;
    form.chooseTemplateFile = [&asked](const QString&) {
        asked = true;
        return QStringLiteral("/web/summer.html");
    };
    for (const bool index : {true, false}) {
        EXPECT_NO_THROW(form.BrowseTemplate(index)) << index;
        EXPECT_FALSE(asked) << index;
        EXPECT_EQ(dm.AlbumTable.state(), kv::data::DataSet::State::Browse);
        EXPECT_TRUE(dm.AlbumTable.isEmpty());
    }
    EXPECT_TRUE(messages.messages().isEmpty());
}

// With KV_SCREENSHOT_DIR set (scripts/screenshot-editor), saves a picture of
// the place editor as a user sees it.
TEST_F(EditorTest, PlaceEditorScreenshot)
{
    for (const char* p : {"Central Park", "Lake Louise", "Grandma's garden", "Harbour"})
        add(dm.PlaceTable, "PlaceDescription", p);
    TPlaceForm form(dm);
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.grid()->model()->rowCount(), 4);
    const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        EXPECT_TRUE(form.grab().save(dir + "/place-editor.png"));
    }
}

TEST_F(EditorTest, ExportAndImportRoundTripThroughTheAlbumEditor)
{
    SecurityData().CanExport = true;
    SecurityData().CanImport = true;
    for (const char* a : {"Summer, 2004", "Grandma's \"80th\""}) {
        EXPECT_TRUE(dm.AlbumTable.insert());
        dm.AlbumTable.setFieldValue("AlbumDescription", a);
        dm.AlbumTable.setFieldValue("AlbumIndexTemplate", "/t/index.htm");
        ASSERT_TRUE(dm.AlbumTable.post());
    }
    QTemporaryDir dir;
    const QString file = dir.filePath("albums.csv");
    TAlbumForm form(dm);
    {
        kv::common::ModalHandlerScope exporting([&](QObject& window) {
            auto& f = dynamic_cast<TExportForm&>(window);
            f.AddAllButton->click();
            f.ExportFormatCombo->setCurrentText("ASCII Coma Delimited");
            f.FileNameEdit->setText(file);
            f.ExportButton->click();
            return f.result();
        });
        form.ExportBtnClick();
    }
    ASSERT_TRUE(QFile::exists(file)) << messages.texts().join("|").toStdString();

    // Change a template in the file, add a new album, and read it back.
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll()).replace("/t/index.htm", "/u/index.htm");
    f.close();
    // The window lists the fields by name: ID, Description, Detail, Index.
    text += "9,\"Winter\",\"\",\"/w/index.htm\"\r\n";
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
    f.close();
    {
        kv::common::ModalHandlerScope importing([&](QObject& window) {
            auto& i = dynamic_cast<TImportForm&>(window);
            i.FileNameEdit->setText(file);
            i.ImportFormatCombo->setCurrentText("ASCII Coma Delimited");
            i.PlaceColumn(0, 2);  // description (columns count from 1)
            i.PlaceColumn(1, 4);  // index template
            i.ImportButton->click();
            return i.result();
        });
        form.ImportBtnClick();
    }
    EXPECT_EQ(dm.AlbumTable.recordCount(), 3) << messages.texts().join("|").toStdString();
    ASSERT_TRUE(dm.AlbumTable.locate("AlbumDescription", "Grandma's \"80th\""));
    EXPECT_EQ(readText(dm.AlbumTable, "AlbumIndexTemplate"), "/u/index.htm");
    ASSERT_TRUE(dm.AlbumTable.locate("AlbumDescription", "Winter"));
    EXPECT_EQ(readText(dm.AlbumTable, "AlbumIndexTemplate"), "/w/index.htm");
    EXPECT_TRUE(form.grid()->isEnabled());
}

// A row being edited whose post is refused stops Insert, Import, Export and
// Find before they open anything: nothing lands on that row and nothing else
// happens to the table.
TEST_F(EditorTest, ARefusedPendingEditStopsInsertImportExportAndFind)
{
    SecurityData().CanExport = true;
    SecurityData().CanImport = true;
    QTemporaryDir dir;
    const QString importFile = dir.filePath("import.csv");
    {
        QFile f(importFile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\"Imported text\"\r\n");
    }
    const QString exportFile = dir.filePath("export.csv");
    int windowsOpened = 0;
    // A user who goes through with whatever window opens.
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        ++windowsOpened;
        if (auto* i = dynamic_cast<TImportForm*>(&window)) {
            i->FileNameEdit->setText(importFile);
            i->ImportFormatCombo->setCurrentText("ASCII Coma Delimited");
            i->PlaceColumn(0, 1);
            i->ImportButton->click();
            return i->result();
        }
        if (auto* e = dynamic_cast<TExportForm*>(&window)) {
            e->AddAllButton->click();
            e->ExportFormatCombo->setCurrentText("ASCII Coma Delimited");
            e->FileNameEdit->setText(exportFile);
            e->ExportButton->click();
            return e->result();
        }
        return 0;
    });

    const struct {
        EditorKind kind;
        const char* action;
        std::function<void(TReferenceEditor&)> click;
        const char* refusal;
    } cases[] = {
        {EditorKind::Album, "Insert", &TReferenceEditor::InsertBtnClick, "Please Enter A Name For This Album!\r"},
        {EditorKind::Place, "Insert", &TReferenceEditor::InsertBtnClick, "Please Enter A Description For This Place!\r"},
        {EditorKind::Place, "Import", &TReferenceEditor::ImportBtnClick, "Please Enter A Description For This Place!\r"},
        {EditorKind::Album, "Import", &TReferenceEditor::ImportBtnClick, "Please Enter A Name For This Album!\r"},
        {EditorKind::Place, "Export", &TReferenceEditor::ExportBtnClick, "Please Enter A Description For This Place!\r"},
        {EditorKind::Place, "Find", &TReferenceEditor::FindBtnClick, "Please Enter A Description For This Place!\r"},
    };
    kv::data::SystemInfo().DefaultIndexTemplate = "/templates/default-index.htm";
    kv::data::SystemInfo().DefaultDetailTemplate = "/templates/default-detail.htm";
    for (const auto& c : cases) {
        const std::string name = std::string(c.action) + " on " + (c.kind == EditorKind::Album ? "albums" : "places");
        auto form = createEditor(c.kind, dm);
        kv::data::Table& t = c.kind == EditorKind::Album ? dm.AlbumTable : dm.PlaceTable;
        const QString idField = form->family().idField;
        const QString descriptionField = form->family().descriptionField;
        const qint64 id = add(t, descriptionField.toLatin1().constData(), "Existing");
        if (c.kind == EditorKind::Album) {
            ASSERT_TRUE(t.edit());
            t.setFieldValue("AlbumIndexTemplate", "/mine/index.htm");
            ASSERT_TRUE(t.post());
        }
        ASSERT_TRUE(t.locate(idField, id));
        ASSERT_TRUE(t.edit());
        t.setFieldValue(descriptionField, QVariant());  // blanked: its post is refused
        QStringList before;
        for (const QString& f : t.fieldNames())
            before << readText(t, f);
        const int rows = t.recordCount();
        messages.clear();
        windowsOpened = 0;

        c.click(*form);

        EXPECT_EQ(windowsOpened, 0) << name;
        EXPECT_EQ(messages.texts(), QStringList({c.refusal})) << name;
        EXPECT_EQ(t.state(), kv::data::DataSet::State::Edit) << name;
        QStringList after;
        for (const QString& f : t.fieldNames())
            after << readText(t, f);
        EXPECT_EQ(after, before) << name;  // the edited row as it was, templates and all
        EXPECT_EQ(t.recordCount(), rows) << name;
        t.cancel();
        EXPECT_EQ(readText(t, descriptionField), "Existing") << name;  // stored as it was
        EXPECT_FALSE(QFile::exists(exportFile)) << name;
    }
}

TEST_F(EditorTest, DeletingARowClearsTheSettingsDefaultThatNamedIt)
{
    const struct {
        EditorKind kind;
        const char* field;
        qint64 kv::data::TSystemInfo::*member;
    } cases[] = {
        {EditorKind::Place, "DefaultPlaceID", &kv::data::TSystemInfo::DefaultPlaceID},
        {EditorKind::Category, "DefaultCatagoryID", &kv::data::TSystemInfo::DefaultCatagoryID},
        {EditorKind::Album, "DefaultAlbumID", &kv::data::TSystemInfo::DefaultAlbumID},
    };
    for (const auto& c : cases) {
        auto form = createEditor(c.kind, dm);
        kv::data::Table& t = form->family().table(dm);
        const qint64 kept = add(t, form->family().descriptionField.toLatin1().constData(), "Kept");
        const qint64 gone = add(t, form->family().descriptionField.toLatin1().constData(), "Gone");
        // Delete "Gone" while the default names it.
        ASSERT_TRUE(dm.SettingsTable.edit());
        dm.SettingsTable.setFieldValue(c.field, gone);
        ASSERT_TRUE(dm.SettingsTable.post());
        kv::data::SystemInfo().*c.member = gone;
        ASSERT_TRUE(t.locate(form->family().idField, gone));
        messages.addAnswer(MessageAnswer::Yes);
        form->DeleteBtnClick();
        EXPECT_TRUE(dm.SettingsTable.isNull(c.field)) << c.field;
        EXPECT_EQ(kv::data::SystemInfo().*c.member, -1) << c.field;

        // Deleting a row the default does not name leaves it.
        ASSERT_TRUE(dm.SettingsTable.edit());
        dm.SettingsTable.setFieldValue(c.field, kept);
        ASSERT_TRUE(dm.SettingsTable.post());
        kv::data::SystemInfo().*c.member = kept;
        const qint64 other = add(t, form->family().descriptionField.toLatin1().constData(), "Other");
        ASSERT_TRUE(t.locate(form->family().idField, other));
        messages.addAnswer(MessageAnswer::Yes);
        form->DeleteBtnClick();
        EXPECT_EQ(readInteger(dm.SettingsTable, c.field), kept) << c.field;
        EXPECT_EQ(kv::data::SystemInfo().*c.member, kept) << c.field;
    }
}
