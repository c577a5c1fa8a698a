// The person editor: rights, delete, ages, masks, preview, mail and web
// buttons, calendar and group picks, export and import.
#include "support/WindowTest.h"

#include "common/CalendarForm.h"
#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "data/FieldValue.h"
#include "data/SystemInfo.h"
#include "reference/ExportForm.h"
#include "reference/ImportForm.h"
#include "reference/editors/PersonForm.h"
#include "reference/editors/PickProtocol.h"
#include "security/SecurityData.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace kv::reference;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using kv::common::ModalHandlerScope;
using kv::data::DataSet;
using kv::data::readInteger;
using kv::data::readText;
using kv::security::SecurityData;
using kv::security::TSecurityData;

namespace {

class PersonEditorTest : public kv::test::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        TSecurityData& r = SecurityData();
        r.CanAddPerson = r.CanEditPerson = r.CanDeletePerson = true;
        r.CanAddGroup = r.CanEditGroup = true;
        r.CanViewModified = true;
        r.CanExport = r.CanImport = true;
        kv::data::LoginData().UserID = 1;
    }

    qint64 addPerson(const QString& name, const QList<std::pair<QString, QVariant>>& fields = {})
    {
        kv::data::Table& t = dm.PersonTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("PersonDescription", name);
        for (const auto& [field, value] : fields)
            t.setFieldValue(field, value);
        EXPECT_TRUE(t.post()) << messages.texts().join("|").toStdString();
        return readInteger(t, "PersonID");
    }
    qint64 addGroup(const QString& name)
    {
        EXPECT_TRUE(dm.PersonGroupTable.insert());
        dm.PersonGroupTable.setFieldValue("PersonGroupDescription", name);
        EXPECT_TRUE(dm.PersonGroupTable.post());
        return readInteger(dm.PersonGroupTable, "PersonGroupID");
    }
    void sql(const QString& statement) { m.db().exec(statement); }
    // A value straight from the catalogue, past the table components.
    QVariant stored(const QString& select)
    {
        kv::data::Query q(m.dm.KestrelviewDatabase());
        q.addLine(select);
        q.open();
        return q.isEmpty() ? QVariant() : q.value(0);
    }
};

// A launcher that records what it is asked to open.
class RecordingLauncher : public kv::common::ShellLauncher {
public:
    RecordingLauncher() { m_previous = kv::common::installShellLauncher(this); }
    ~RecordingLauncher() override { kv::common::installShellLauncher(m_previous); }
    bool openUrl(const QUrl& url) override
    {
        urls << url;
        return true;
    }
    int openDocument(const QString&, bool) override { return 0; }
    QList<QUrl> urls;

private:
    kv::common::ShellLauncher* m_previous = nullptr;
};

bool locked(const QWidget* w)
{
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->isReadOnly() && e->palette().color(QPalette::Base) == kv::common::lockedControlColour();
    if (auto* m = qobject_cast<const QPlainTextEdit*>(w))
        return m->isReadOnly() && m->palette().color(QPalette::Base) == kv::common::lockedControlColour();
    if (auto* c = qobject_cast<const kv::common::DBLookupComboBox*>(w))
        return c->isReadOnly() && c->palette().color(QPalette::Base) == kv::common::lockedControlColour();
    return false;
}

}  // namespace

TEST_F(PersonEditorTest, RightsDecideButtonsAndEditableFields)
{
    addPerson("Ann");
    const struct {
        const char* name;
        bool add, edit, del;
        bool save, insert, editable;
    } cases[] = {
        {"edit only", false, true, false, true, false, true},
        {"add only", true, false, false, true, true, true},
        {"delete only", false, false, true, false, false, false},
        {"none", false, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        TSecurityData& r = SecurityData();
        r.CanAddPerson = c.add;
        r.CanEditPerson = c.edit;
        r.CanDeletePerson = c.del;
        TPersonForm form(dm);
        form.show();
        EXPECT_EQ(form.saveButton()->isEnabled(), c.save) << c.name;
        EXPECT_EQ(form.insertButton()->isEnabled(), c.insert) << c.name;
        EXPECT_EQ(form.deleteButton()->isEnabled(), c.del) << c.name;
        QList<QWidget*> fields = {form.description(), form.comments(), form.birthdayBox(), form.deathBox(),
                                  form.groupBox()};
        for (const char* f : {"Address1", "Address2", "City", "State", "Country", "ZipCode", "HomePhone", "WorkPhone",
                              "CellPhone", "Email", "WebPage"})
            fields << form.box(f);
        for (QWidget* w : fields)
            EXPECT_EQ(locked(w), !c.editable) << c.name << " " << w->metaObject()->className();
        EXPECT_EQ(form.birthdayButton()->isEnabled(), c.editable) << c.name;
        EXPECT_EQ(form.deathButton()->isEnabled(), c.editable) << c.name;
        EXPECT_EQ(form.windowTitle(), "Person");
        EXPECT_EQ(form.property("helpContext").toInt(), 2310);
    }
}

// P took picture A, is one of the people of picture Q and is the default
// photographer. Deleting P takes all three with it, or, when any step
// fails, changes nothing.
TEST_F(PersonEditorTest, DeletingAPersonTakesPhotographerLinksAndDefaultTogether)
{
    const struct {
        const char* failure;  // a trigger that refuses one step, or none
        bool deleted;
    } cases[] = {
        {"", true},
        {"CREATE TRIGGER refuse BEFORE DELETE ON PicturePeople BEGIN SELECT RAISE(ABORT, 'refused'); END", false},
        {"CREATE TRIGGER refuse BEFORE UPDATE ON Settings BEGIN SELECT RAISE(ABORT, 'refused'); END", false},
    };
    for (const auto& c : cases) {
        sql("DELETE FROM Person");
        sql("DELETE FROM PictureInfo");
        sql("DELETE FROM PicturePeople");
        dm.PersonTable.refresh();
        const qint64 kept = addPerson("Kept");
        const qint64 p = addPerson("P");
        const QString id = QString::number(p);
        sql("INSERT INTO PictureInfo (PictureID, PhotograherID) VALUES (1, " + id + "), (2, " + QString::number(kept) +
            ")");
        sql("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (2, " + id + "), (2, " + QString::number(kept) +
            ")");
        sql("UPDATE Settings SET DefaultPhotographerID = " + id);
        kv::data::SystemInfo().DefaultPhotographerID = p;
        if (*c.failure)
            sql(c.failure);

        TPersonForm form(dm);
        ASSERT_TRUE(dm.PersonTable.locate("PersonID", p));
        messages.addAnswer(MessageAnswer::Yes);
        if (c.deleted)
            form.DeleteBtnClick();
        else
            EXPECT_ANY_THROW(form.DeleteBtnClick()) << c.failure;
        sql("DROP TRIGGER IF EXISTS refuse");

        EXPECT_EQ(messages.texts().first(), "Are you sure you want to delete this Person?");
        EXPECT_EQ(messages.messages().first().kind, MessageKind::DestructiveQuestion);
        messages.clear();
        const qint64 left = c.deleted ? -1 : p;
        EXPECT_EQ(stored("SELECT COUNT(*) FROM Person WHERE PersonID = " + id).toInt(), c.deleted ? 0 : 1) << c.failure;
        EXPECT_EQ(kv::data::valueInteger(stored("SELECT PhotograherID FROM PictureInfo WHERE PictureID = 1"), -1), left)
            << c.failure;
        EXPECT_EQ(stored("SELECT COUNT(*) FROM PicturePeople WHERE PersonID = " + id).toInt(), c.deleted ? 0 : 1)
            << c.failure;
        EXPECT_EQ(kv::data::valueInteger(stored("SELECT DefaultPhotographerID FROM Settings"), -1), left) << c.failure;
        EXPECT_EQ(kv::data::SystemInfo().DefaultPhotographerID, left) << c.failure;
        // The other person's picture and link stay.
        EXPECT_EQ(stored("SELECT PhotograherID FROM PictureInfo WHERE PictureID = 2").toLongLong(), kept);
        EXPECT_EQ(stored("SELECT COUNT(*) FROM PicturePeople WHERE PersonID = " + QString::number(kept)).toInt(), 1);
        EXPECT_EQ(dm.PersonTable.recordCount(), c.deleted ? 1 : 2) << c.failure;
    }
}

TEST_F(PersonEditorTest, AgeFollowsEitherDateAndTheRow)
{
    const QDate today = QDate::currentDate();
    const QDate birth = today.addYears(-10).addDays(-40);
    const qint64 born = addPerson("Born", {{"Birthdate", birth}});
    const qint64 unborn = addPerson("No birthday");
    TPersonForm form(dm);
    form.show();
    kv::data::Table& t = dm.PersonTable;
    const struct {
        const char* step;
        std::function<void()> act;
        bool shown;
        QString text;
    } steps[] = {
        {"a person without a birthday", [&] { t.locate("PersonID", unborn); }, false, ""},
        {"moving to a person ten years old", [&] { t.locate("PersonID", born); }, true, "10  "},
        {"death yesterday",
         [&] {
             t.edit();
             t.setFieldValue("DeathDate", today.addDays(-1));
         },
         true, "10  Deceased"},
        {"death tomorrow: not yet deceased", [&] { t.setFieldValue("DeathDate", today.addDays(1)); }, true, "10  "},
        {"death yesterday again", [&] { t.setFieldValue("DeathDate", today.addDays(-1)); }, true, "10  Deceased"},
        {"the date of death cleared in its box",
         [&] {
             form.deathBox()->setFocus();
             form.deathBox()->selectAll();
             QTest::keyClick(form.deathBox(), Qt::Key_Backspace);
         },
         true, "10  "},
        {"the birthday cleared", [&] { t.setFieldValue("Birthdate", QVariant()); }, false, ""},
        {"cancelled: the stored birthday again", [&] { t.cancel(); }, true, "10  "},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(!form.ageLabel()->isHidden(), s.shown) << s.step;
        EXPECT_EQ(!form.ageText()->isHidden(), s.shown) << s.step;
        EXPECT_EQ(form.ageText()->text(), s.text) << s.step;
    }
    EXPECT_TRUE(t.isNull("DeathDate"));
}

TEST_F(PersonEditorTest, MasksStoreTheirLiteralsAndAnUntouchedBoxStaysNull)
{
    const struct {
        const char* field;
        const char* typed;
        const char* stored;
    } cases[] = {
        {"ZipCode", "123456789", "12345-6789"},
        {"ZipCode", "12345", "12345-"},
        {"HomePhone", "5551234567", "(555) 123-4567"},
        {"CellPhone", "55a5x1234567", "(555) 123-4567"},  // letters are refused by the mask
    };
    TPersonForm form(dm);
    form.show();
    for (const auto& c : cases) {
        const qint64 id = addPerson(c.field + QString(" ") + c.typed);
        QLineEdit* box = form.box(c.field);
        box->setFocus();
        box->home(false);
        QTest::keyClicks(box, c.typed);
        form.SaveBtnClick();
        const QString where = " FROM Person WHERE PersonID = " + QString::number(id);
        EXPECT_EQ(stored("SELECT " + QString(c.field) + where).toString(), c.stored) << c.typed;
        for (const char* other : {"ZipCode", "HomePhone", "WorkPhone", "CellPhone"}) {
            if (QString(other) != c.field) {
                EXPECT_TRUE(stored("SELECT " + QString(other) + where).isNull()) << other << " after " << c.typed;
            }
        }
    }
    // A box typed in and emptied again stores Null, not its literals.
    addPerson("Emptied");
    QLineEdit* zip = form.box("ZipCode");
    zip->setFocus();
    zip->home(false);
    QTest::keyClicks(zip, "12");
    EXPECT_EQ(readText(dm.PersonTable, "ZipCode"), "12-");
    zip->selectAll();
    QTest::keyClick(zip, Qt::Key_Backspace);
    EXPECT_TRUE(dm.PersonTable.isNull("ZipCode"));
}

// Values that came in by import do not fit the masks: they are shown as
// stored and kept when the person is saved again.
TEST_F(PersonEditorTest, ValuesThatDoNotFitTheMaskAreShownAndKeptAsStored)
{
    const qint64 id = addPerson("Foreign", {{"ZipCode", "SW1A 1AA"}, {"HomePhone", "+33 1 23456789"}});
    addPerson("Local", {{"ZipCode", "12345-6789"}});
    TPersonForm form(dm);
    form.show();
    ASSERT_TRUE(dm.PersonTable.locate("PersonID", id));
    EXPECT_EQ(form.box("ZipCode")->text(), "SW1A 1AA");
    EXPECT_FALSE(form.box("ZipCode")->inputMask().size());
    EXPECT_EQ(form.box("HomePhone")->text(), "+33 1 23456789");
    QTest::keyClicks(form.box("City"), "Paris");
    form.SaveBtnClick();
    EXPECT_EQ(stored("SELECT ZipCode FROM Person WHERE PersonID = " + QString::number(id)).toString(), "SW1A 1AA");
    EXPECT_EQ(stored("SELECT HomePhone FROM Person WHERE PersonID = " + QString::number(id)).toString(), "+33 1 23456789");
    // The next person's zip fits: the mask is back.
    ASSERT_TRUE(dm.PersonTable.locate("PersonDescription", "Local"));
    EXPECT_TRUE(form.box("ZipCode")->masked());
    EXPECT_EQ(form.box("ZipCode")->text(), "12345-6789");
}

TEST_F(PersonEditorTest, ClearPreviewThenCloseWithoutSavingKeepsTheDefaultPicture)
{
    QTemporaryDir previews;
    kv::data::SystemInfo().PreviewDir = previews.path() + "/";
    kv::data::SystemInfo().ShowPreview = true;
    SecurityData().EnforceRating = true;
    dm.PermittedRatings.append(1);
    sql("INSERT INTO PictureInfo (PictureID, RatingID) VALUES (7, 1)");
    const qint64 id = addPerson("Ann", {{"PersonPicture", 7}});
    TPersonForm form(dm);
    form.show();
    EXPECT_FALSE(form.previewImage()->isHidden());
    EXPECT_TRUE(form.noPreviewLabel()->isHidden());
    ASSERT_TRUE(form.clearPreviewButton()->isEnabled());

    messages.addAnswer(MessageAnswer::Yes);
    form.ClearPreviewBtnClick();
    EXPECT_EQ(dm.PersonTable.state(), DataSet::State::Edit);
    EXPECT_TRUE(dm.PersonTable.isNull("PersonPicture"));
    EXPECT_TRUE(form.previewImage()->isHidden());
    EXPECT_FALSE(form.noPreviewLabel()->isHidden());
    EXPECT_FALSE(form.clearPreviewButton()->isEnabled());

    messages.addAnswer(MessageAnswer::No);
    form.reject();
    EXPECT_EQ(messages.texts(),
              QStringList({"Are you sure you want to clear this picture?", "Changes Not Saved, Save Changes?"}));
    EXPECT_EQ(messages.messages().first().kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(dm.PersonPictureOf(id), 7);
    EXPECT_EQ(readInteger(dm.PersonTable, "PersonPicture"), 7);
    EXPECT_EQ(form.PickedID, id);
    EXPECT_EQ(form.PickedDescription, "Ann");
}

TEST_F(PersonEditorTest, ThePreviewShowsOnlyPicturesTheUserMaySee)
{
    QTemporaryDir previews;
    kv::data::SystemInfo().PreviewDir = previews.path() + "/";
    kv::data::SystemInfo().ShowPreview = true;
    SecurityData().EnforceRating = true;
    dm.PermittedRatings.append(1);
    sql("INSERT INTO PictureInfo (PictureID, RatingID) VALUES (1, 1), (2, 2)");
    QList<qint64> opened;
    personPreviewWindow() = [&opened](kv::data::TProgramDataForm&, qint64 picture, QWidget*) { opened << picture; };
    const struct {
        const char* name;
        QVariant picture;
        bool shown;
        bool showPreview;
        bool clearPreview;
    } cases[] = {
        {"a picture of a permitted rating", 1, true, true, true},
        {"a picture of a forbidden rating", 2, false, false, false},
        {"a picture that was deleted", 99, false, false, true},
        {"no default picture", QVariant(), false, false, false},
    };
    for (const auto& c : cases) {
        addPerson(c.name, {{"PersonPicture", c.picture}});
        TPersonForm form(dm);
        form.show();
        opened.clear();
        EXPECT_EQ(!form.previewImage()->isHidden(), c.shown) << c.name;
        EXPECT_EQ(!form.noPreviewLabel()->isHidden(), !c.shown) << c.name;
        EXPECT_EQ(form.noPreviewLabel()->text(), "No Preview Available");
        EXPECT_EQ(form.showPreviewButton()->isEnabled(), c.showPreview) << c.name;
        EXPECT_EQ(form.clearPreviewButton()->isEnabled(), c.clearPreview) << c.name;
        form.ShowPreviewBtnClick();
        QTest::mouseDClick(form.previewImage(), Qt::LeftButton);
        // Compared as std::vector: Qt 6.4 compares two empty lists with a null memcmp.
        const std::vector<qint64> expected =
            c.showPreview ? std::vector<qint64>{c.picture.toLongLong(), c.picture.toLongLong()} : std::vector<qint64>{};
        EXPECT_EQ(std::vector<qint64>(opened.begin(), opened.end()), expected) << c.name;
        EXPECT_TRUE(messages.messages().isEmpty()) << c.name;
    }
    personPreviewWindow() = nullptr;
}

TEST_F(PersonEditorTest, WebAndMailButtonsFollowTheirBoxesAndOpenOnlyWhatTheySay)
{
    RecordingLauncher launcher;
    addPerson("Ann");
    TPersonForm form(dm);
    form.show();
    EXPECT_FALSE(form.webPageButton()->isEnabled());
    EXPECT_FALSE(form.emailButton()->isEnabled());
    QTest::keyClicks(form.box("WebPage"), "j");
    EXPECT_TRUE(form.webPageButton()->isEnabled());
    QTest::keyClick(form.box("WebPage"), Qt::Key_Backspace);
    EXPECT_FALSE(form.webPageButton()->isEnabled());

    const struct {
        const char* typed;
        const char* scheme;
    } pages[] = {{"javascript:x", "http"}, {"file:///etc/passwd", "http"}, {"https://example.com/a?b=c", "https"}};
    for (const auto& p : pages) {
        form.box("WebPage")->clear();
        QTest::keyClicks(form.box("WebPage"), p.typed);
        launcher.urls.clear();
        form.WebPageBtnClick();
        // Opened as a web address, or not at all.
        for (const QUrl& url : launcher.urls)
            EXPECT_EQ(url.scheme(), p.scheme) << p.typed;
    }

    const QString address = "ann b?cc=eve@x.org&body=hi";
    QTest::keyClicks(form.box("Email"), address);
    EXPECT_TRUE(form.emailButton()->isEnabled());
    launcher.urls.clear();
    form.EmailBtnClick();
    ASSERT_EQ(launcher.urls.size(), 1);
    const QUrl mail = launcher.urls.first();
    EXPECT_EQ(mail.scheme(), "mailto");
    EXPECT_EQ(mail.path(QUrl::FullyDecoded), address);
    EXPECT_FALSE(mail.hasQuery());
}

TEST_F(PersonEditorTest, CalendarButtonsSetTheDateWithTheRightOnly)
{
    kv::data::SystemInfo().CalDirectory = "/no/pictures";
    addPerson("Ann", {{"Birthdate", QDate(1970, 5, 6)}});
    QDate started;
    QString directory;
    ModalHandlerScope calendar([&](QObject& window) {
        auto& c = dynamic_cast<kv::common::TCalendarForm&>(window);
        started = c.date();
        directory = c.PictureDirectory();
        c.setDate(QDate(1999, 12, 31));
        return int(QDialog::Accepted);
    });
    TPersonForm form(dm);
    form.BirthdayCalendarClick();
    EXPECT_EQ(started, QDate(1970, 5, 6));
    EXPECT_TRUE(directory.startsWith("/no/pictures"));
    EXPECT_EQ(dm.PersonTable.state(), DataSet::State::Edit);
    EXPECT_EQ(kv::data::valueDate(dm.PersonTable.fieldValue("Birthdate")), QDate(1999, 12, 31));
    form.DeathCalendarClick();  // no date yet: the calendar starts today
    EXPECT_EQ(started, QDate::currentDate());
    EXPECT_EQ(kv::data::valueDate(dm.PersonTable.fieldValue("DeathDate")), QDate(1999, 12, 31));
    dm.PersonTable.cancel();

    SecurityData().CanAddPerson = SecurityData().CanEditPerson = false;
    form.BirthdayCalendarClick();
    EXPECT_EQ(dm.PersonTable.state(), DataSet::State::Browse);
    EXPECT_EQ(kv::data::valueDate(dm.PersonTable.fieldValue("Birthdate")), QDate(1970, 5, 6));
}

TEST_F(PersonEditorTest, GroupButtonAndPickingAPerson)
{
    const qint64 family = addGroup("Family");
    const qint64 friends = addGroup("Friends");
    const qint64 ann = addPerson("Ann");
    TPersonForm form(dm);
    qint64 chosen = friends;  // the group the user closes the group editor on
    ModalHandlerScope pick([&](QObject&) {
        dm.PersonGroupTable.locate("PersonGroupID", chosen);
        return 0;
    });
    messages.addAnswer(MessageAnswer::Yes);
    form.GroupBtnClick();
    EXPECT_EQ(messages.texts(), QStringList({"Do you want to use Friends for the Group?"}));
    EXPECT_EQ(readInteger(dm.PersonTable, "GroupType"), friends);
    form.SaveBtnClick();
    EXPECT_EQ(form.groupBox()->currentText(), "Friends");

    // Without the right nothing is asked or set.
    messages.clear();
    SecurityData().CanAddPerson = SecurityData().CanEditPerson = false;
    chosen = family;
    form.GroupBtnClick();
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_EQ(readInteger(dm.PersonTable, "GroupType"), friends);

    // Other windows pick a photographer through the person editor.
    EXPECT_TRUE(dm.PictureInfoTable.insert());
    ModalHandlerScope person([&](QObject& window) {
        EXPECT_NE(dynamic_cast<TPersonForm*>(&window), nullptr);
        dm.PersonTable.locate("PersonID", ann);
        return 0;
    });
    messages.addAnswer(MessageAnswer::Yes);
    ASSERT_TRUE(PickIntoField(dm, EditorKind::Person, dm.PictureInfoTable, "PhotograherID", true,
                              "Do you want to use %s% for the Photographer?")
                    .has_value());
    EXPECT_EQ(messages.texts().last(), "Do you want to use Ann for the Photographer?");
    EXPECT_EQ(readInteger(dm.PictureInfoTable, "PhotograherID"), ann);
    dm.PictureInfoTable.cancel();
}

TEST_F(PersonEditorTest, ExportWithoutRowsSaysSoAndBothWindowsOfferDateFormats)
{
    QTemporaryDir dir;
    bool exportDates = false;
    bool importDates = false;
    ModalHandlerScope windows([&](QObject& window) {
        if (auto* e = dynamic_cast<TExportForm*>(&window)) {
            exportDates = e->DateFormatCombo->isEnabled();
            e->AddAllButton->click();
            e->DateFormatCombo->setCurrentText("MM-DD-YYYY");
            e->ExportFormatCombo->setCurrentText("ASCII Coma Delimited");
            e->FileNameEdit->setText(dir.filePath("people.csv"));
            e->ExportButton->click();
            return e->result();
        }
        auto& i = dynamic_cast<TImportForm&>(window);
        importDates = i.DateFormatCombo->isEnabled();
        return int(QDialog::Rejected);
    });
    TPersonForm form(dm);
    form.ExportBtnClick();
    EXPECT_EQ(messages.texts(), QStringList({"Error: No Records Found To Export!"}));
    EXPECT_EQ(messages.messages().first().kind, MessageKind::Error);
    EXPECT_FALSE(QFile::exists(dir.filePath("people.csv")));
    form.ImportBtnClick();
    EXPECT_TRUE(exportDates);
    EXPECT_TRUE(importDates);
}

// Names with quotes, commas and letters outside ASCII go out and come back
// as they were; the group goes out as its description, which the import
// (reading "Group" as an ID) refuses without storing anything.
TEST_F(PersonEditorTest, ExportAndImportRoundTrip)
{
    const qint64 family = addGroup("Family");
    const QStringList names = {"Zoë \"Zed\" O'Brien, Jr.", "Łukasz Żółw", "Ann"};
    for (const QString& n : names)
        addPerson(n, {{"Birthdate", QDate(1970, 2, 3)}, {"GroupType", family}, {"ZipCode", "12345-6789"}});
    QTemporaryDir dir;
    const QString file = dir.filePath("people.csv");
    const QStringList exported = {"Name", "Birthday", "Zip Code", "Group"};
    ModalHandlerScope exporting([&](QObject& window) {
        auto& e = dynamic_cast<TExportForm&>(window);
        for (const QString& label : exported)
            e.ChooseLabel(label);
        e.ExportFormatCombo->setCurrentText("ASCII Coma Delimited");
        e.DateFormatCombo->setCurrentText("YYYY-MM-DD");
        e.FileNameEdit->setText(file);
        e.ExportButton->click();
        return e.result();
    });
    TPersonForm form(dm);
    form.ExportBtnClick();
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << messages.texts().join("|").toStdString();
    const QString text = QString::fromUtf8(f.readAll());
    f.close();
    EXPECT_TRUE(text.contains("\"Łukasz Żółw\",\"1970/02/03\",\"12345-6789\",Family")) << text.toStdString();

    const auto importColumns = [&](const QList<std::pair<int, int>>& placed) {
        ModalHandlerScope importing([&](QObject& window) {
            auto& i = dynamic_cast<TImportForm&>(window);
            i.FileNameEdit->setText(file);
            i.ImportFormatCombo->setCurrentText("ASCII Coma Delimited");
            i.DateFormatCombo->setCurrentText("YYYY-MM-DD");
            for (const auto& [row, column] : placed)
                i.PlaceColumn(row, column);
            i.ImportButton->click();
            return i.result();
        });
        form.ImportBtnClick();
    };
    // Rows gone, then read back: name, birthday and zip (field rows 0, 1, 9).
    sql("DELETE FROM Person");
    dm.PersonTable.refresh();
    messages.clear();
    importColumns({{0, 1}, {1, 2}, {9, 3}});
    EXPECT_EQ(dm.PersonTable.recordCount(), 3) << messages.texts().join("|").toStdString();
    for (const QString& n : names) {
        ASSERT_TRUE(dm.PersonTable.locate("PersonDescription", n)) << n.toStdString();
        EXPECT_EQ(kv::data::valueDate(dm.PersonTable.fieldValue("Birthdate")), QDate(1970, 2, 3));
        EXPECT_EQ(readText(dm.PersonTable, "ZipCode"), "12345-6789");
        EXPECT_TRUE(dm.PersonTable.isNull("GroupType"));
    }

    // The group column placed: the import stops and stores nothing.
    messages.clear();
    importColumns({{0, 1}, {2, 4}});
    ASSERT_FALSE(messages.texts().isEmpty());
    EXPECT_TRUE(messages.texts().last().contains("Nothing Has Been Imported.")) << messages.texts().last().toStdString();
    EXPECT_EQ(stored("SELECT COUNT(*) FROM Person WHERE GroupType IS NOT NULL").toInt(), 0);
    EXPECT_EQ(dm.PersonTable.recordCount(), 3);
}

// With KV_SCREENSHOT_DIR set, saves a picture of the person editor as a
// user sees it.
TEST_F(PersonEditorTest, PersonEditorScreenshot)
{
    const qint64 family = addGroup("Family");
    addPerson("Ann Smith", {{"Birthdate", QDate(1961, 4, 12)}, {"GroupType", family}, {"HomePhone", "(555) 123-4567"}});
    addPerson("Bob Jones", {{"GroupType", family}});
    TPersonForm form(dm);
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.grid()->model()->rowCount(), 2);
    EXPECT_EQ(form.grid()->model()->headerData(2, Qt::Horizontal).toString(), "Group");
    const QString dir = qEnvironmentVariable("KV_SCREENSHOT_DIR");
    if (!dir.isEmpty()) {
        for (int tab = 0; tab < form.tabs()->count(); ++tab) {
            form.tabs()->setCurrentIndex(tab);
            QApplication::processEvents();
            EXPECT_TRUE(form.grab().save(QString("%1/person-editor-%2.png").arg(dir).arg(tab)));
        }
    }
}
