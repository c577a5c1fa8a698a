// Escape and the close box run each window's close step, as its own Close
// or Cancel does: unsaved rows are asked about, never left behind for a
// later navigation to post.
#include "support/WindowTest.h"

#include "common/CloseStepDialog.h"
#include "common/DataControls.h"
#include "common/MessageService.h"
#include "data/LoginData.h"
#include "reference/editors/ReferenceEditor.h"
#include "security/Logon.h"
#include "security/LogonForm.h"
#include "security/SecurityData.h"
#include "security/SecurityForm.h"
#include "security/SetupUsersForm.h"
#include "security/UserForm.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using kv::common::MessageAnswer;
using kv::common::TCloseStepDialog;
using kv::data::DataSet;
using kv::data::TProgramDataForm;
using kv::data::readInteger;
using kv::data::readText;

namespace {

enum class Way { Escape, CloseBox };

struct Opened {
    std::unique_ptr<TCloseStepDialog> window;
    QWidget* typedInto;  // where the user typed, and so where Escape is pressed
};

struct CloseCase {
    const char* name;
    // Opens the window and leaves an unsaved change in it.
    std::function<Opened(TProgramDataForm&, const QString& catalogue)> open;
    MessageAnswer answer;  // to "Changes Not Saved, Save Changes?" when asked
    QStringList asked;
    bool staysOpen;
    // What must hold once the window has gone (or stayed).
    std::function<void(TProgramDataForm&, TCloseStepDialog&)> check;
};

void addUser(TProgramDataForm& dm, const char* login, const char* password)
{
    EXPECT_TRUE(dm.UserSettingsTable.insert());
    dm.UserSettingsTable.setFieldValue("LoginName", login);
    dm.UserSettingsTable.setFieldValue("UserPassword", password);
    dm.UserSettingsTable.setFieldValue("SecurityID", 2);
    ASSERT_TRUE(dm.UserSettingsTable.post());
}

// User Setup as an administrator opens it.
std::unique_ptr<kv::security::TSetupUsersForm> shownUserSetup(TProgramDataForm& dm, const QString& catalogue)
{
    kv::data::LoginData().SecurityID = 1;
    kv::security::SecurityData().CanAddUsers = true;
    auto form = std::make_unique<kv::security::TSetupUsersForm>(dm, catalogue);
    form->show();
    return form;
}

const QString kAskToSave = QStringLiteral("Changes Not Saved, Save Changes?");

const CloseCase kCases[] = {
    {.name = "Security",
     .open =
         [](TProgramDataForm& dm, const QString&) {
             kv::data::LoginData().SecurityID = 1;
             EXPECT_TRUE(dm.SecurityTable.insert());
             dm.SecurityTable.setFieldValue("SecurityDescription", "Family");
             EXPECT_TRUE(dm.SecurityTable.post());
             auto form = std::make_unique<kv::security::TSecurityForm>(dm);
             form->show();
             QTest::keyClicks(form->profileName(), " renamed");
             QWidget* box = form->profileName();
             return Opened{std::move(form), box};
         },
     .answer = MessageAnswer::No,
     .asked = {kAskToSave},
     .staysOpen = false,
     .check =
         [](TProgramDataForm& dm, TCloseStepDialog&) {
             EXPECT_EQ(dm.SecurityTable.state(), DataSet::State::Browse);
             EXPECT_EQ(readText(dm.SecurityTable, "SecurityDescription"), "Family");
         }},
    {.name = "UserSetup",
     .open =
         [](TProgramDataForm& dm, const QString& catalogue) {
             auto form = shownUserSetup(dm, catalogue);
             form->InsertUserBtnClick();
             QTest::keyClicks(form->loginName(), "bob");
             QWidget* box = form->loginName();
             return Opened{std::move(form), box};
         },
     .answer = MessageAnswer::No,
     .asked = {kAskToSave},
     .staysOpen = false,
     .check =
         [](TProgramDataForm& dm, TCloseStepDialog&) {
             EXPECT_EQ(dm.UserSettingsTable.state(), DataSet::State::Browse);
             EXPECT_EQ(dm.UserSettingsTable.recordCount(), 1);  // no blank new user
             EXPECT_FALSE(dm.UserSettingsTable.filtered());
         }},
    {.name = "UserSetupRating",
     .open =
         [](TProgramDataForm& dm, const QString& catalogue) {
             addUser(dm, "ann", "pw");
             auto form = shownUserSetup(dm, catalogue);
             form->InsertRatingBtnClick();  // a rating row for ann, not yet saved
             QWidget* box = form->ratingBox();
             return Opened{std::move(form), box};
         },
     .answer = MessageAnswer::No,
     .asked = {kAskToSave},
     .staysOpen = false,
     .check =
         [](TProgramDataForm& dm, TCloseStepDialog&) {
             EXPECT_EQ(dm.RatingListTable.state(), DataSet::State::Browse);
             EXPECT_TRUE(dm.RatingListTable.isEmpty());
         }},
    {.name = "UserSettings",
     .open =
         [](TProgramDataForm& dm, const QString&) {
             addUser(dm, "ann", "old");
             EXPECT_TRUE(kv::security::LogonUser(dm, "ann", "old", true, false));
             auto form = std::make_unique<kv::security::TUserForm>(dm, false);
             form->show();
             QTest::keyClicks(form->newPassword(), "new");
             QTest::keyClicks(form->verifyPassword(), "new");
             QWidget* box = form->verifyPassword();
             return Opened{std::move(form), box};
         },
     .answer = MessageAnswer::No,
     .asked = {},
     .staysOpen = false,
     .check =
         [](TProgramDataForm& dm, TCloseStepDialog&) {
             EXPECT_FALSE(dm.UserSettingsTable.filtered());
             EXPECT_EQ(dm.UserSettingsTable.state(), DataSet::State::Browse);
             EXPECT_TRUE(kv::security::LogonUser(dm, "ann", "old", true, false));  // like Cancel
         }},
    {.name = "Logon",
     .open =
         [](TProgramDataForm& dm, const QString&) {
             addUser(dm, "ann", "pw");
             auto form = std::make_unique<kv::security::TLogonForm>(dm, false);
             form->show();
             QTest::keyClicks(form->userName(), "ann");
             QWidget* box = form->userName();
             return Opened{std::move(form), box};
         },
     .answer = MessageAnswer::No,
     .asked = {},
     .staysOpen = false,
     .check =
         [](TProgramDataForm&, TCloseStepDialog& window) {
             auto& logon = static_cast<kv::security::TLogonForm&>(window);
             EXPECT_TRUE(logon.cancelled());  // ends silently, not as an invalid login
             EXPECT_FALSE(logon.loggedOn());
         }},
    {.name = "PlaceEditor",
     .open =
         [](TProgramDataForm& dm, const QString&) {
             kv::security::SecurityData().CanAddPlace = true;
             auto form = std::make_unique<kv::reference::TPlaceForm>(dm);
             form->show();
             form->InsertBtnClick();
             QTest::keyClicks(form->description(), "Harbour");
             QWidget* box = form->description();
             return Opened{std::move(form), box};
         },
     .answer = MessageAnswer::No,
     .asked = {kAskToSave},
     .staysOpen = false,
     .check =
         [](TProgramDataForm& dm, TCloseStepDialog& window) {
             EXPECT_EQ(dm.PlaceTable.state(), DataSet::State::Browse);
             EXPECT_EQ(dm.PlaceTable.recordCount(), 0);
             EXPECT_EQ(static_cast<kv::reference::TPlaceForm&>(window).PickedID, -1);
         }},
    {.name = "PlaceEditorRefusedPost",
     .open =
         [](TProgramDataForm& dm, const QString&) {
             kv::security::SecurityData().CanAddPlace = true;
             auto form = std::make_unique<kv::reference::TPlaceForm>(dm);
             form->show();
             form->InsertBtnClick();  // no description: the record check refuses the post
             QWidget* box = form->description();
             return Opened{std::move(form), box};
         },
     .answer = MessageAnswer::Yes,
     .asked = {kAskToSave, QStringLiteral("Please Enter A Description For This Place!\r")},
     .staysOpen = true,
     .check =
         [](TProgramDataForm& dm, TCloseStepDialog&) {
             EXPECT_EQ(dm.PlaceTable.state(), DataSet::State::Insert);  // left for the user to correct
             dm.PlaceTable.cancel();
         }},
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }
void PrintTo(Way way, std::ostream* os) { *os << (way == Way::Escape ? "Escape" : "close box"); }

class CloseStepTest : public kv::test::WindowTest,
                      public ::testing::WithParamInterface<std::tuple<CloseCase, Way>> {};

}  // namespace

TEST_P(CloseStepTest, EscapeAndTheCloseBoxRunTheCloseStep)
{
    const auto& [c, way] = GetParam();
    Opened opened = c.open(dm, m.catalogue.path());
    ASSERT_TRUE(opened.window->isVisible());
    messages.clear();
    if (!c.asked.isEmpty())
        messages.addAnswer(c.answer);
    if (way == Way::Escape)
        QTest::keyClick(opened.typedInto, Qt::Key_Escape);
    else
        opened.window->close();
    EXPECT_EQ(messages.texts(), c.asked);
    EXPECT_EQ(opened.window->isVisible(), c.staysOpen);
    EXPECT_EQ(opened.window->closed(), !c.staysOpen);
    if (!c.staysOpen) {
        EXPECT_EQ(opened.window->result(), QDialog::Rejected);
    }
    c.check(dm, *opened.window);
}

INSTANTIATE_TEST_SUITE_P(Windows, CloseStepTest,
                         ::testing::Combine(::testing::ValuesIn(kCases), ::testing::Values(Way::Escape, Way::CloseBox)),
                         [](const ::testing::TestParamInfo<CloseStepTest::ParamType>& info) {
                             return std::string(std::get<0>(info.param).name)
                                    + (std::get<1>(info.param) == Way::Escape ? "_Escape" : "_CloseBox");
                         });
