// Rights loaded from profiles, and the Security window.
#include "support/WindowTest.h"

#include "common/DataControls.h"
#include "common/MessageService.h"
#include "data/LoginData.h"
#include "security/SecurityData.h"
#include "security/SecurityForm.h"
#include "security/SetupUsersForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::security;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using kv::data::readInteger;
using kv::data::readText;

namespace {

class SecurityTest : public kv::test::WindowTest {
protected:

    qint64 addProfile(const QString& description, std::initializer_list<const char*> rights)
    {
        kv::data::Table& t = dm.SecurityTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("SecurityDescription", description);
        for (const char* r : rights)
            t.setFieldValue(QString::fromLatin1(r), true);
        EXPECT_TRUE(t.post());
        return readInteger(t, "SecurityID");
    }
};

}  // namespace

TEST_F(SecurityTest, MissingProfileGivesUndefinedAndNoRights)
{
    TSecurityData r;
    r.CanExport = true;
    LoadRights(dm, 42, false, r);
    EXPECT_EQ(r.SecurityID, 42);
    EXPECT_EQ(r.SecurityDescription, "Undefined");
    EXPECT_TRUE(r.EnforceRating);
    EXPECT_FALSE(r.Supervisor);
    for (const RightInfo& info : rightsList())
        EXPECT_FALSE(*r.right(info.field)) << info.field;
    EXPECT_EQ(dm.SecurityQuery.sql(), QStringList({"Select * From \"Security.db\" Where SecurityID = \"42\""}));
}

TEST_F(SecurityTest, ProfileRightsAreRead)
{
    const qint64 id = addProfile("Family", {"CanAddPlace", "CanExport"});
    dm.SecurityTable.edit();
    dm.SecurityTable.setFieldValue("EnforceRating", false);
    dm.SecurityTable.post();
    TSecurityData r;
    LoadRights(dm, id, false, r);
    EXPECT_EQ(r.SecurityDescription, "Family");
    EXPECT_TRUE(r.CanAddPlace);
    EXPECT_TRUE(r.CanExport);
    EXPECT_FALSE(r.CanEditPlace);
    EXPECT_FALSE(r.EnforceRating);
}

TEST_F(SecurityTest, ReadOnlyCatalogueKeepsExactlyTheViewingRights)
{
    TSecurityData r;
    LoadRights(dm, 1, true, r);  // profile 1 holds every right
    const QStringList viewing = {"CanViewSettings", "CanViewSecurity", "CanCopyPictures", "CanViewModified",
                                 "CanExport", "CanUploadHTML"};
    for (const RightInfo& info : rightsList())
        EXPECT_EQ(*r.right(info.field), viewing.contains(info.field)) << info.field;
    EXPECT_TRUE(r.Supervisor);
    EXPECT_TRUE(r.EnforceRating);
}

TEST_F(SecurityTest, FormRulesForEachUserAndProfile)
{
    const struct {
        qint64 user, shown;
        bool viewingOnly;
        bool insert, save, description;
    } cases[] = {
        {1, 1, false, true, false, false},   // profile 1 is never editable
        {1, 2, false, true, true, true},
        {2, 2, false, false, false, false},  // other users may only look
        {2, 3, false, false, false, false},
        {-1, 2, false, false, false, false},
        {1, 2, true, false, false, false},   // a read-only catalogue: everyone only looks
        {1, 1, true, false, false, false},
    };
    for (const auto& c : cases) {
        TSecurityData rights;
        if (c.viewingOnly)
            ReduceToViewingRights(rights);
        const SecurityFormControls f = securityFormControls(c.user, c.shown, rights);
        const std::string label = std::to_string(c.user) + "/" + std::to_string(c.shown) + (c.viewingOnly ? " ro" : "");
        EXPECT_EQ(f.insert, c.insert) << label;
        EXPECT_EQ(f.save, c.save) << label;
        EXPECT_EQ(f.remove, c.save) << label;
        EXPECT_EQ(f.description, c.description) << label;
        EXPECT_EQ(f.rights, c.description) << label;
    }
}

TEST_F(SecurityTest, ProfileTwoUserSeesNoProfileOneAndCanChangeNothing)
{
    addProfile("Family", {"CanAddPlace"});
    kv::data::LoginData().SecurityID = 2;
    TSecurityForm form(dm);
    form.show();
    EXPECT_EQ(readInteger(dm.SecurityTable, "SecurityID"), 2);  // profile 1 hidden
    EXPECT_EQ(form.profileList()->model()->rowCount(), 1);
    for (QPushButton* b : {form.saveButton(), form.insertButton(), form.deleteButton()})
        EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    EXPECT_TRUE(form.profileName()->isReadOnly());
    EXPECT_FALSE(form.checkBox("CanAddPlace")->isEnabled());
    EXPECT_FALSE(form.securityId()->isEnabled());
}

TEST_F(SecurityTest, AdministratorSeesOnlyInsertOnProfileOneAndEditsOthers)
{
    kv::data::LoginData().SecurityID = 1;
    addProfile("Family", {});
    dm.SecurityTable.locate("SecurityID", 1);
    TSecurityForm form(dm);
    form.show();
    EXPECT_EQ(readInteger(dm.SecurityTable, "SecurityID"), 1);
    EXPECT_TRUE(form.insertButton()->isEnabled());
    EXPECT_FALSE(form.saveButton()->isEnabled());
    EXPECT_FALSE(form.deleteButton()->isEnabled());
    EXPECT_FALSE(form.checkBox("CanEditCatagory")->isEnabled());
    EXPECT_EQ(form.checkBox("CanEditCatagory")->text(), "Edit Catetory");

    dm.SecurityTable.locate("SecurityID", 2);
    EXPECT_TRUE(form.saveButton()->isEnabled());
    EXPECT_TRUE(form.deleteButton()->isEnabled());
    EXPECT_FALSE(form.profileName()->isReadOnly());
    EXPECT_TRUE(form.checkBox("CanEditCatagory")->isEnabled());
    EXPECT_FALSE(form.checkBox("Supervisor")->isEnabled());  // never

    // Tick a right and save.
    form.checkBox("CanAddRating")->click();
    form.saveButton()->click();
    TSecurityData r;
    LoadRights(dm, 2, false, r);
    EXPECT_TRUE(r.CanAddRating);
}

TEST_F(SecurityTest, InsertedProfileHasOnlyEnforceRatingTicked)
{
    kv::data::LoginData().SecurityID = 1;
    TSecurityForm form(dm);
    form.show();
    form.insertButton()->click();
    EXPECT_EQ(dm.SecurityTable.state(), kv::data::DataSet::State::Browse);  // posted at once
    const qint64 id = readInteger(dm.SecurityTable, "SecurityID");
    EXPECT_GT(id, 1);
    EXPECT_TRUE(form.checkBox("EnforceRating")->isChecked());
    for (const RightInfo& info : rightsList())
        EXPECT_FALSE(form.checkBox(info.field)->isChecked()) << info.field;
    EXPECT_FALSE(form.checkBox("Supervisor")->isChecked());
}

TEST_F(SecurityTest, DeleteAsksWithTheStopIconAndCloseAsksToSave)
{
    kv::data::LoginData().SecurityID = 1;
    const qint64 id = addProfile("Temporary", {});
    dm.SecurityTable.locate("SecurityID", id);
    TSecurityForm form(dm);
    form.show();
    messages.addAnswer(MessageAnswer::No);
    form.deleteButton()->click();
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].text, "Are you sure you want to delete This Security Profile?");
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(dm.SecurityTable.recordCount(), 2);
    messages.addAnswer(MessageAnswer::Yes);
    form.deleteButton()->click();
    EXPECT_EQ(dm.SecurityTable.recordCount(), 1);

    // Unsaved changes on close: Yes posts them.
    const qint64 other = addProfile("Other", {});
    dm.SecurityTable.locate("SecurityID", other);
    form.profileName()->setText("Renamed");
    form.profileName()->textEdited("Renamed");
    EXPECT_EQ(dm.SecurityTable.state(), kv::data::DataSet::State::Edit);
    messages.clear();
    messages.addAnswer(MessageAnswer::Yes);
    form.close();
    EXPECT_EQ(messages.texts(), QStringList({"Changes Not Saved, Save Changes?"}));
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Question);
    EXPECT_EQ(readText(dm.SecurityTable, "SecurityDescription"), "Renamed");
}

// Every control that changes something, in the windows an administrator
// opens: enabled on a writable catalogue, not one of them on a read-only one
// (pressing them used to abort the program).
TEST_F(SecurityTest, ReadOnlyCatalogueLeavesNothingToChange)
{
    addProfile("Family", {"CanAddPlace"});
    EXPECT_TRUE(dm.UserSettingsTable.insert());
    dm.UserSettingsTable.setFieldValue("LoginName", "ann");
    dm.UserSettingsTable.setFieldValue("SecurityID", 2);
    ASSERT_TRUE(dm.UserSettingsTable.post());
    kv::data::TProgramDataForm readOnlyDm;
    readOnlyDm.setDatabase(m.catalogue.open(true));
    readOnlyDm.openTables(true);

    const struct {
        const char* window;
        const char* control;
    } controls[] = {
        {"Security", "InsertBtn"}, {"Security", "SaveBtn"}, {"Security", "DeleteBtn"},
        {"Security", "ProfileNameEdit"}, {"Security", "CanAddPlace"}, {"Security", "EnforceRating"},
        {"User Setup", "InsertUserBtn"}, {"User Setup", "SaveUserBtn"}, {"User Setup", "DeleteUserBtn"},
        {"User Setup", "LoginNameEdit"}, {"User Setup", "PasswordEdit"}, {"User Setup", "FullNameEdit"},
        {"User Setup", "SecurityBox"}, {"User Setup", "RatingBox"}, {"User Setup", "PickRatingBtn"},
        {"User Setup", "InsertRatingBtn"}, {"User Setup", "SaveRatingBtn"}, {"User Setup", "DeleteRatingBtn"},
    };
    auto changeable = [](const QWidget* w) {
        if (!w->isEnabled())
            return false;
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            return !edit->isReadOnly();
        if (const auto* box = qobject_cast<const kv::common::DBLookupComboBox*>(w))
            return !box->isReadOnly();
        return true;
    };
    for (const bool readOnly : {false, true}) {
        kv::data::TProgramDataForm& d = readOnly ? readOnlyDm : dm;
        kv::data::LoginData().SecurityID = 1;
        LoadRights(d, 1, readOnly);
        ASSERT_TRUE(d.SecurityTable.locate("SecurityID", 2));
        ASSERT_TRUE(d.UserSettingsTable.locate("LoginName", "ann"));
        TSecurityForm security(d);
        TSetupUsersForm setup(d, m.catalogue.path());
        const std::map<QString, QWidget*> windows = {{"Security", &security}, {"User Setup", &setup}};
        for (const auto& [name, window] : windows)
            window->show();
        for (const auto& c : controls) {
            const auto* w = windows.at(c.window)->findChild<QWidget*>(c.control);
            ASSERT_NE(w, nullptr) << c.window << " / " << c.control;
            EXPECT_EQ(changeable(w), !readOnly) << c.window << " / " << c.control << (readOnly ? " read-only" : "");
        }
    }
}
