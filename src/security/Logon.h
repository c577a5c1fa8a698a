#pragma once

#include "data/LoginData.h"

#include <QString>

#include <functional>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::security {

// Finds the user with that login name (any letter case) and, when asked,
// that exact password. On success fills the logged-on user, his rights and
// his permitted ratings. Typed text is taken as data: no quote, percent sign
// or backslash in it can change the statement.
bool LogonUser(data::TProgramDataForm& dm, const QString& loginName, const QString& password, bool checkPassword,
               bool databaseReadOnly);

// Fills the record from the User row with that login name.
void ReadLoginData(data::TProgramDataForm& dm, const QString& loginName, data::TLoginData& record);

// True when the only user is a "Supervisor" without a password.
bool IsLoneSupervisor(data::TProgramDataForm& dm);

struct LogonResult {
    bool loggedOn = false;
    bool cancelled = false;
};

// What the logon dialog gives back.
using LogonDialog = std::function<LogonResult()>;

// Decides between automatic logon and the dialog, as the start-up asks.
// The settings are loaded before the network-name logon; a user of the
// built-in administrator profile clears DisableLogin in them.
LogonResult RunLogon(data::TProgramDataForm& dm, bool databaseReadOnly, const LogonDialog& dialog);

// The dialog's "Login": settings, then one attempt with the password.
bool LoginWithPassword(data::TProgramDataForm& dm, const QString& loginName, const QString& password,
                       bool databaseReadOnly);

}  // namespace kv::security
