#include "security/Logon.h"

#include "common/FileOperations.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "security/SecurityData.h"

namespace kv::security {

namespace {

bool findUser(data::TProgramDataForm& dm, const QStringList& lines)
{
    data::Query& q = dm.UserSettingsQuery;
    q.close();
    q.clearSql();
    for (const QString& line : lines)
        q.addLine(line);
    q.prepare();
    q.open();
    const bool found = !q.isEmpty();
    q.close();
    q.unprepare();
    return found;
}

// The built-in administrator profile may always log on.
void allowAdministrator()
{
    if (data::LoginData().SecurityID == kAdministratorProfile)
        data::SystemInfo().DisableLogin = false;
}

}  // namespace

void ReadLoginData(data::TProgramDataForm& dm, const QString& loginName, data::TLoginData& record)
{
    const QString name = loginName.toUpper();
    record.SecurityID = -1;
    data::Query& q = dm.UserSettingsQuery;
    q.close();
    q.clearSql();
    q.addLine(QStringLiteral("Select * From \"User.db\" Where Upper(LoginName) = Upper(") + data::localSqlText(name)
              + QStringLiteral(")"));
    q.prepare();
    q.open();
    if (!q.isEmpty()) {
        record.LoginName = name;
        record.UserID = data::readInteger(q, QStringLiteral("UserID"));
        record.SecurityID = data::readInteger(q, QStringLiteral("SecurityID"), -1);
        record.UserName = data::readText(q, QStringLiteral("UserName"));
    }
    q.close();
    q.unprepare();
}

bool LogonUser(data::TProgramDataForm& dm, const QString& loginName, const QString& password, bool checkPassword,
               bool databaseReadOnly)
{
    const QString name = loginName.toUpper();
    data::TLoginData& login = data::LoginData();
    login.SecurityID = -1;
    login.UserName.clear();
    if (name.isEmpty())
        return false;  // an empty name finds nobody
    QString line = QStringLiteral("Select * From \"User.db\" Where Upper(LoginName) = Upper(") + data::localSqlText(name)
                   + QStringLiteral(")");
    if (checkPassword)
        line += QStringLiteral(" and ") + QStringLiteral("UserPassword") + QStringLiteral(" = ") + data::localSqlText(password);
    if (!findUser(dm, {line}))
        return false;
    ReadLoginData(dm, name, login);
    LoadRights(dm, login.SecurityID, databaseReadOnly);
    dm.LoadPermittedRatings();
    return true;
}

bool IsLoneSupervisor(data::TProgramDataForm& dm)
{
    data::Query& q = dm.UserSettingsQuery;
    q.close();
    q.clearSql();
    q.addLine(QStringLiteral("Select * From \"User.db\""));
    q.prepare();
    q.open();
    const int users = q.recordCount();
    q.close();
    q.unprepare();
    if (users != 1)
        return false;
    return findUser(dm, {QStringLiteral("Select * From \"User.db\" Where Upper(LoginName) = Upper(\"Supervisor\") and "
                                        "UserPassword = \"\"")});
}

LogonResult RunLogon(data::TProgramDataForm& dm, bool databaseReadOnly, const LogonDialog& dialog)
{
    if (IsLoneSupervisor(dm)) {
        LogonResult r;
        r.loggedOn = LogonUser(dm, QStringLiteral("Supervisor"), QString(), false, databaseReadOnly);
        allowAdministrator();
        return r;
    }
    // This workstation always counts as attached to a network: its session
    // login name is the network user name.
    data::LoadSettings(dm.SettingsTable);
    const QString name = data::SystemInfo().AutoLogin ? common::NetworkUserName().left(250) : QString();
    if (LogonUser(dm, name, QString(), false, databaseReadOnly)) {
        allowAdministrator();
        return {true, false};
    }
    return dialog ? dialog() : LogonResult{false, true};
}

bool LoginWithPassword(data::TProgramDataForm& dm, const QString& loginName, const QString& password,
                       bool databaseReadOnly)
{
    data::LoadSettings(dm.SettingsTable);
    const bool loggedOn = LogonUser(dm, loginName, password, true, databaseReadOnly);
    if (loggedOn)
        allowAdministrator();
    return loggedOn;
}

}  // namespace kv::security
