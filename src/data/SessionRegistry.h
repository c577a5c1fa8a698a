#pragma once

#include <QString>

#include <vector>

namespace kv::data {

// One running program that has the catalogue open.
struct SessionEntry {
    QString userName;
    QString hostName;
    qint64 processId = 0;
    QString started;  // ISO date and time
};

// The programs that have one catalogue open, kept as one small file per
// program in the catalogue directory's "Sessions" folder. Each program holds
// a lock on its own file while it runs; the lock goes with the process, so
// an entry whose file is no longer locked belongs to a program that ended or
// crashed and is not listed (and is swept away).
class SessionRegistry {
public:
    // Registers this program in the catalogue directory. A registry that
    // cannot be written (a read-only catalogue directory) registers nothing.
    SessionRegistry(const QString& catalogueDirectory, const QString& userName);
    ~SessionRegistry();
    SessionRegistry(const SessionRegistry&) = delete;
    SessionRegistry& operator=(const SessionRegistry&) = delete;

    bool registered() const { return m_fd >= 0; }
    void setUserName(const QString& userName);  // after logon

    // Every live program with the catalogue open, this one included.
    std::vector<SessionEntry> liveSessions() const;
    // Live programs other than this one.
    int otherSessionCount() const;

    static std::vector<SessionEntry> liveSessions(const QString& catalogueDirectory, const QString& ownFile = {});

private:
    void write();

    QString m_folder;
    QString m_file;
    QString m_userName;
    QString m_started;
    int m_fd = -1;
};

}  // namespace kv::data
