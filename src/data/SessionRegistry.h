#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace kv::data {

class Database;

// One running program that has the catalogue open.
struct SessionEntry {
    QString userName;
    QString hostName;
    qint64 processId = 0;
    QString started;  // ISO date and time
};

// "USER on HOST" for each program, joined by ", ".
QString describeSessions(const std::vector<SessionEntry>& sessions);

// The programs that have one catalogue open, kept as one small file per
// program in the catalogue directory's "Sessions" folder. Each program holds
// a lock on its own file while it runs; the lock goes with the process, so
// an entry whose file is no longer locked belongs to a program that ended or
// crashed and is not listed (and is swept away).
//
// Every program also holds a shared lock on "Sessions/catalogue.lock" while
// it runs. Exclusive use of the catalogue (maintenance) turns this program's
// lock into an exclusive one, which succeeds only while no other program
// holds it; a program that starts meanwhile cannot take its shared lock and
// is refused.
class SessionRegistry {
public:
    // Registers this program in the catalogue directory. A registry that
    // cannot be written (a read-only catalogue directory) registers nothing;
    // neither does one refused because another program has exclusive use.
    SessionRegistry(const QString& catalogueDirectory, const QString& userName);
    ~SessionRegistry();
    SessionRegistry(const SessionRegistry&) = delete;
    SessionRegistry& operator=(const SessionRegistry&) = delete;

    bool registered() const { return m_fd >= 0; }
    // Another program had the catalogue in exclusive use when this one
    // started: it must not open the catalogue.
    bool refusedForExclusiveUse() const { return m_refusedForExclusiveUse; }
    // The message for that case, naming who holds it when known.
    QString exclusiveUseMessage() const;
    void setUserName(const QString& userName);  // after logon

    // Every live program with the catalogue open, this one included.
    std::vector<SessionEntry> liveSessions() const;
    // Live programs other than this one.
    std::vector<SessionEntry> otherSessions() const;
    int otherSessionCount() const;

    // Takes the catalogue for this program alone: empty text when done,
    // else why it cannot be (other programs have it open).
    QString takeExclusiveUse();
    void endExclusiveUse();
    // Lets the tables of the database take and end exclusive use through this registry.
    void attach(Database& db);

    static std::vector<SessionEntry> liveSessions(const QString& catalogueDirectory, const QString& ownFile = {});

    // Called between making a new entry's file and locking it (tests sweep
    // there, as another program may at that moment).
    static void setEntryCreatedHook(std::function<void()> hook);

private:
    bool createEntry();
    void write();

    QString m_folder;
    QString m_file;
    QString m_userName;
    QString m_started;
    int m_fd = -1;
    int m_useLockFd = -1;
    bool m_refusedForExclusiveUse = false;
};

}  // namespace kv::data
