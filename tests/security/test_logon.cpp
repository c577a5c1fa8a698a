// Logon, the logon sounds and the user windows.
#include "support/WindowTest.h"

#include "common/DataControls.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "data/LoginData.h"
#include "data/SessionRegistry.h"
#include "data/SystemInfo.h"
#include "security/LoggedInUsers.h"
#include "security/Logon.h"
#include "security/LogonForm.h"
#include "security/LogonSound.h"
#include "security/SecurityData.h"
#include "security/SetupUsersForm.h"
#include "security/UserForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

using namespace kv::security;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using kv::data::LoginData;
using kv::data::readInteger;
using kv::data::readText;

namespace {

class LogonTest : public kv::test::WindowTest {
protected:
    qint64 addUser(const QString& login, const QVariant& password, qint64 profile, const QString& name = {})
    {
        kv::data::Table& t = dm.UserSettingsTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("LoginName", login);
        t.setFieldValue("UserPassword", password);
        t.setFieldValue("SecurityID", profile);
        t.setFieldValue("UserName", name);
        EXPECT_TRUE(t.post());
        return readInteger(t, "UserID");
    }
    void setSetting(const char* field, const QVariant& value)
    {
        ASSERT_TRUE(dm.SettingsTable.edit());
        dm.SettingsTable.setFieldValue(field, value);
        ASSERT_TRUE(dm.SettingsTable.post());
    }
};

}  // namespace

TEST_F(LogonTest, NamesMatchInAnyCasePasswordsOnlyExactly)
{
    const qint64 ann = addUser("AnnSmith", "Secret", 2, "Ann Smith");
    const struct {
        const char* name;
        const char* password;
        bool loggedOn;
    } cases[] = {
        {"annsmith", "Secret", true},
        {"ANNSMITH", "Secret", true},
        {"annsmith", "secret", false},
        {"annsmith", "Secret ", false},
        {"annsmit", "Secret", false},
        {"", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LogonUser(dm, c.name, c.password, true, false), c.loggedOn) << c.name << "/" << c.password;
    }
    ASSERT_TRUE(LogonUser(dm, "annSMITH", "Secret", true, false));
    EXPECT_EQ(LoginData().UserID, ann);
    EXPECT_EQ(LoginData().LoginName, "ANNSMITH");
    EXPECT_EQ(LoginData().UserName, "Ann Smith");
    EXPECT_EQ(LoginData().SecurityID, 2);
    EXPECT_EQ(SecurityData().SecurityDescription, "Undefined");  // profile 2 has no row
}

TEST_F(LogonTest, TypedQuotesPercentsAndBackslashesAreDataOnly)
{
    addUser("o\"brien", "p\"w%\\", 2);
    addUser("plain", "pw", 2);
    EXPECT_TRUE(LogonUser(dm, "O\"BRIEN", "p\"w%\\", true, false));
    const struct {
        const char* name;
        const char* password;
    } attacks[] = {
        {"plain", "x\") or (\"1\"=\"1"},
        {"plain\") or (\"1\"=\"1", ""},
        {"pl%", "pw"},
        {"plain", "p%"},
        {"plain", "\\"},
        {"o\"brien", "p\"w%"},
        {"plain\"", "pw"},
    };
    for (const auto& a : attacks) {
        EXPECT_FALSE(LogonUser(dm, a.name, a.password, true, false)) << a.name << " / " << a.password;
    }
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(LogonTest, LoneSupervisorAndAutomaticLogon)
{
    EXPECT_TRUE(IsLoneSupervisor(dm));
    int dialogs = 0;
    auto dialog = [&dialogs] {
        ++dialogs;
        return LogonResult{false, true};
    };
    LogonResult r = RunLogon(dm, false, dialog);
    EXPECT_TRUE(r.loggedOn);
    EXPECT_EQ(dialogs, 0);
    EXPECT_EQ(LoginData().UserID, 1);
    EXPECT_TRUE(SecurityData().CanAddUsers);

    // A second user: the dialog is shown.
    addUser("ann", "pw", 2);
    EXPECT_FALSE(IsLoneSupervisor(dm));
    r = RunLogon(dm, false, dialog);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(r.cancelled);

    // AutoLogin with the session's name: no dialog, no password. The name
    // is the account's own; USER and LOGNAME say whatever the one who
    // started the program set.
    const passwd* account = ::getpwuid(::getuid());
    if (!account)
        GTEST_SKIP() << "the account has no name";
    const QString accountName = QString::fromLocal8Bit(account->pw_name);
    const QByteArray savedUser = qgetenv("USER");
    const QByteArray savedLogName = qgetenv("LOGNAME");
    qputenv("USER", "Supervisor");
    qputenv("LOGNAME", "Supervisor");
    setSetting("AutoLogin", true);
    r = RunLogon(dm, false, dialog);
    EXPECT_FALSE(r.loggedOn);
    EXPECT_EQ(dialogs, 2);
    addUser(accountName, "pw", 2);
    r = RunLogon(dm, false, dialog);
    EXPECT_TRUE(r.loggedOn);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(LoginData().LoginName, accountName.toUpper());
    qputenv("USER", savedUser);
    qputenv("LOGNAME", savedLogName);
}

TEST_F(LogonTest, OnlyTheAdministratorProfileGetsInWhileLoginsAreDisabled)
{
    addUser("ann", "pw", 2);
    setSetting("DisableLogin", true);
    EXPECT_TRUE(LoginWithPassword(dm, "ann", "pw", false));
    EXPECT_TRUE(kv::data::SystemInfo().DisableLogin);
    EXPECT_TRUE(LoginWithPassword(dm, "supervisor", "", false));
    EXPECT_FALSE(kv::data::SystemInfo().DisableLogin);  // in the loaded settings only
    EXPECT_TRUE(readText(dm.SettingsTable, "DisableLogin") == "1" || kv::data::readBool(dm.SettingsTable, "DisableLogin"));
}

TEST_F(LogonTest, LogonFormOneAttemptAndTheDisabledLoginTimer)
{
    addUser("ann", "pw", 2);
    {
        TLogonForm form(dm, false);
        form.userName()->setText("ANN");
        form.password()->setText("pw");
        form.loginButton()->click();
        EXPECT_TRUE(form.loggedOn());
        EXPECT_FALSE(form.cancelled());
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    {
        TLogonForm form(dm, false);
        form.userName()->setText("ann");
        form.password()->setText("PW");
        form.loginButton()->click();
        EXPECT_FALSE(form.loggedOn());
        EXPECT_FALSE(form.cancelled());  // a failed attempt closes too
    }
    setSetting("DisableLogin", true);
    kv::data::LoadSettings(dm.SettingsTable);
    TLogonForm form(dm, false);
    form.setDisabledLoginTimeout(50);
    form.show();
    EXPECT_TRUE(form.disabledLoginTimer().isActive());
    EXPECT_EQ(form.password()->echoMode(), QLineEdit::Password);
    QTest::qWait(200);
    EXPECT_TRUE(form.cancelled());
    EXPECT_FALSE(form.isVisible());
}

TEST(LogonSound, FileBesideTheProgramWinsThenBuiltInWhenSoundsAreOn)
{
    QTemporaryDir dir;
    EXPECT_EQ(chooseLogonSound("AccessGranted", dir.path(), true).source, LogonSoundChoice::Source::BuiltIn);
    EXPECT_EQ(chooseLogonSound("AccessGranted", dir.path(), false).source, LogonSoundChoice::Source::None);
    QFile own(dir.filePath("AccessDenied.wav"));
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.close();
    const LogonSoundChoice choice = chooseLogonSound("AccessDenied", dir.path(), false);
    EXPECT_EQ(choice.source, LogonSoundChoice::Source::File);
    EXPECT_EQ(choice.file, dir.filePath("AccessDenied.wav"));

    for (const char* name : {"AccessGranted", "AccessDenied"}) {
        const QByteArray wav = builtInLogonSound(name);
        ASSERT_GT(wav.size(), 30000) << name;
        EXPECT_TRUE(wav.startsWith("RIFF"));
        EXPECT_EQ(wav.mid(8, 8), "WAVEfmt ");
        const quint32 riffSize = quint8(wav[4]) | quint8(wav[5]) << 8 | quint8(wav[6]) << 16 | quint32(quint8(wav[7])) << 24;
        EXPECT_EQ(riffSize, quint32(wav.size() - 8));
    }
    EXPECT_TRUE(builtInLogonSound("Other").isEmpty());
    PlayLogonSound("AccessGranted");  // no audio device here: silence, no error
}

TEST(LogonSound, BuiltInSoundsAreWrittenOnlyToThePrivateDirectory)
{
    QTemporaryDir temp;
    const QByteArray savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString file = BuiltInLogonSoundFile("AccessGranted");
    EXPECT_EQ(file, kv::common::PrivateDirectory() + "AccessGranted.wav");
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), builtInLogonSound("AccessGranted"));
    EXPECT_TRUE(BuiltInLogonSoundFile("Other").isEmpty());

    // Another account took the private directory's name first: nothing is
    // written through its link.
    QDir(kv::common::PrivateDirectory()).removeRecursively();
    QTemporaryDir taken;
    ASSERT_TRUE(QFile::link(taken.path(), temp.filePath("047100-03-20-" + kv::common::NetworkUserName())));
    EXPECT_TRUE(BuiltInLogonSoundFile("AccessDenied").isEmpty());
    EXPECT_TRUE(QDir(taken.path()).isEmpty());
    qputenv("TMPDIR", savedTemp);
}

TEST_F(LogonTest, UserSettingsPasswordsAndResetForms)
{
    addUser("ann", "old", 2, "Ann");
    ASSERT_TRUE(LogonUser(dm, "ann", "old", true, false));
    {
        TUserForm form(dm, false);
        EXPECT_EQ(form.userId()->text(), "ANN");
        EXPECT_EQ(readText(dm.UserSettingsTable, "LoginName"), "ann");  // his own row is current
        form.newPassword()->setText("New");
        form.verifyPassword()->setText("new");
        form.OKBtnClick();
        EXPECT_EQ(messages.texts(), QStringList({"Error: Passwords Do Not Match"}));
        EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
        EXPECT_NE(form.result(), QDialog::Accepted);
        form.verifyPassword()->setText("New");
        form.OKBtnClick();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_FALSE(dm.UserSettingsTable.filtered());
    EXPECT_TRUE(LogonUser(dm, "ann", "New", true, false));

    // Both boxes empty: the password stays; Reset Forms forgets positions.
    QSettings("Marrowind", "Kestrelview").setValue("Forms/Place/Width", 10);
    {
        TUserForm form(dm, false);
        form.resetForms()->setChecked(true);
        form.OKBtnClick();
    }
    EXPECT_TRUE(LogonUser(dm, "ann", "New", true, false));
    EXPECT_FALSE(QSettings("Marrowind", "Kestrelview").contains("Forms/Place/Width"));

    TUserForm readOnly(dm, true);
    EXPECT_TRUE(readOnly.newPassword()->isReadOnly());
    EXPECT_TRUE(readOnly.verifyPassword()->isReadOnly());
}

TEST_F(LogonTest, UserSetupProtectsTheFirstUserAndLinksRatings)
{
    LoginData().SecurityID = 1;
    SecurityData().CanAddUsers = true;
    TSetupUsersForm form(dm, m.catalogue.path());
    form.show();
    dm.UserSettingsTable.locate("UserID", 1);
    EXPECT_FALSE(form.deleteUserButton()->isEnabled());
    EXPECT_FALSE(form.securityBox()->isEnabled());

    // A new user gets a rating: the user is posted first for his UserID.
    form.InsertUserBtnClick();
    dm.UserSettingsTable.setFieldValue("LoginName", "bob");
    form.InsertRatingBtnClick();
    const qint64 bob = readInteger(dm.UserSettingsTable, "UserID");
    EXPECT_GT(bob, 1);
    EXPECT_EQ(readInteger(dm.RatingListTable, "UserID"), bob);
    dm.RatingListTable.setFieldValue("RatingID", 3);
    form.SaveRatingBtnClick();
    EXPECT_EQ(dm.RatingListTable.recordCount(), 1);
    EXPECT_TRUE(form.deleteUserButton()->isEnabled());
    EXPECT_TRUE(form.securityBox()->isEnabled());

    // Picking a rating asks first.
    form.pickRating = [] { return std::optional<PickedRating>(PickedRating{5, "Family only"}); };
    messages.addAnswer(MessageAnswer::Yes);
    form.PickRatingBtnClick();
    EXPECT_EQ(messages.texts().last(), "Do you want to use Family only for the Rating?");
    EXPECT_EQ(readInteger(dm.RatingListTable, "RatingID"), 5);
    form.SaveRatingBtnClick();

    messages.addAnswer(MessageAnswer::Yes);
    form.DeleteRatingBtnClick();
    EXPECT_EQ(messages.texts().last(), "Are you sure you want to delete this Rating?");
    EXPECT_EQ(dm.RatingListTable.recordCount(), 0);

    messages.addAnswer(MessageAnswer::No);
    form.DeleteUserBtnClick();
    EXPECT_EQ(messages.texts().last(), "Are you sure you want to delete this user?");
    EXPECT_EQ(messages.messages().last().kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(dm.UserSettingsTable.recordCount(), 2);

    // Unsaved changes on close: No cancels them.
    dm.UserSettingsTable.edit();
    dm.UserSettingsTable.setFieldValue("UserName", "Bobby");
    messages.addAnswer(MessageAnswer::No);
    form.close();
    EXPECT_EQ(messages.texts().last(), "Changes Not Saved, Save Changes?");
    EXPECT_TRUE(dm.UserSettingsTable.isNull("UserName"));
}

TEST_F(LogonTest, UserSetupHidesTheAdministratorsFromOtherProfiles)
{
    addUser("ann", "pw", 2);
    LoginData().SecurityID = 2;
    TSetupUsersForm form(dm, m.catalogue.path());
    EXPECT_EQ(readText(dm.UserSettingsTable, "LoginName"), "ann");
    EXPECT_EQ(form.userList()->model()->rowCount(), 1);
    form.close();
    EXPECT_FALSE(dm.UserSettingsTable.filtered());
    EXPECT_FALSE(dm.SecurityTable.filtered());
}

TEST_F(LogonTest, LoggedInUsersListsEveryLiveProgram)
{
    addUser("ann", "pw", 2, "Ann Smith");
    addUser("carl", "pw", 2);
    kv::data::SessionRegistry a(m.catalogue.path(), "ann");
    kv::data::SessionRegistry b(m.catalogue.path(), "carl");
    kv::data::SessionRegistry c(m.catalogue.path(), "stranger-with-a-long-name");
    kv::data::SessionRegistry d(m.catalogue.path(), "");
    QStringList lines = loggedInUserLines(dm, m.catalogue.path());
    lines.sort();
    EXPECT_EQ(lines, QStringList({"ANN (Ann Smith)", "User name: Unknown", "User name: carl",
                                  "User name: stranger-with-a"}));
}

TEST_F(LogonTest, PickingARatingForAUserWithoutRatingsGivesHimHisFirst)
{
    const qint64 ann = addUser("ann", "pw", 2);
    LoginData().SecurityID = 1;
    SecurityData().CanAddUsers = true;
    TSetupUsersForm form(dm, m.catalogue.path());
    ASSERT_TRUE(dm.UserSettingsTable.locate("UserID", ann));
    ASSERT_TRUE(dm.RatingListTable.isEmpty());
    form.pickRating = [] { return std::optional<PickedRating>(PickedRating{3, "Holiday"}); };
    messages.addAnswer(MessageAnswer::Yes);
    EXPECT_NO_THROW(form.PickRatingBtnClick());
    EXPECT_EQ(messages.texts(), QStringList({"Do you want to use Holiday for the Rating?"}));
    form.SaveRatingBtnClick();
    ASSERT_EQ(dm.RatingListTable.recordCount(), 1);
    EXPECT_EQ(readInteger(dm.RatingListTable, "UserID"), ann);
    EXPECT_EQ(readInteger(dm.RatingListTable, "RatingID"), 3);
}

// A 60-character password in a field of 50 locked its user out: every box
// whose text is stored takes no more than its field holds.
TEST_F(LogonTest, TypedTextFitsItsField)
{
    addUser("ann", "old", 2, "Ann");
    ASSERT_TRUE(LogonUser(dm, "ann", "old", true, false));
    LoginData().SecurityID = 1;
    TUserForm settings(dm, false);
    TSetupUsersForm setup(dm, m.catalogue.path());
    const struct {
        QLineEdit* box;
        const char* what;
    } boxes[] = {
        {settings.newPassword(), "New Password"},
        {settings.verifyPassword(), "Verify Password"},
        {setup.findChild<QLineEdit*>("LoginNameEdit"), "Login Name"},
        {setup.findChild<QLineEdit*>("PasswordEdit"), "Password"},
        {setup.findChild<QLineEdit*>("FullNameEdit"), "Full Name"},
    };
    for (const auto& b : boxes) {
        ASSERT_NE(b.box, nullptr) << b.what;
        EXPECT_EQ(b.box->maxLength(), 50) << b.what;
    }

    const QString typed = QString(60, QLatin1Char('p'));
    QTest::keyClicks(settings.newPassword(), typed);
    QTest::keyClicks(settings.verifyPassword(), typed);
    settings.OKBtnClick();
    EXPECT_EQ(settings.result(), QDialog::Accepted);
    EXPECT_TRUE(LogonUser(dm, "ann", settings.newPassword()->text(), true, false));
}

TEST_F(LogonTest, ResetFormsPutsUserSettingsWhereAFreshOneOpens)
{
    addUser("ann", "old", 2, "Ann");
    ASSERT_TRUE(LogonUser(dm, "ann", "old", true, false));
    QRect fresh;
    {
        TUserForm form(dm, false);
        form.show();
        fresh = form.geometry();
    }
    {
        QSettings s("Marrowind", "Kestrelview");
        for (const auto& [key, value] : {std::pair{"Left", 3}, {"Top", 4}, {"Width", 700}, {"Height", 650}})
            s.setValue(QString("Forms/User Settings/") + key, value);
    }
    TUserForm form(dm, false);
    form.show();
    ASSERT_NE(form.geometry(), fresh);
    form.resetForms()->setChecked(true);
    form.OKBtnClick();
    EXPECT_EQ(form.geometry(), fresh);
}
