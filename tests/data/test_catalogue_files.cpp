// Catalogues on read-only directories and on network file systems.
#include "support/TempCatalogue.h"

#include "data/CatalogueFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <gmock/gmock.h>

#include <sqlite3.h>
#include <pwd.h>
#include <unistd.h>

using namespace kv::data;
using ::testing::HasSubstr;

namespace {

QByteArray header(const QString& directory) { QFile f(Database::catalogueFile(directory)); f.open(QIODevice::ReadOnly); return f.read(100); }
JournalKind journalOf(const QString& directory) { return inspectCatalogueFiles(directory, Database::catalogueFile(directory)).journal; }

void addPlaces(Database& db, int count)
{
    for (int i = 0; i < count; ++i)
        db.exec(QStringLiteral("INSERT INTO \"Place\" (\"PlaceDescription\") VALUES ('place %1')").arg(i));
}

int placeCount(Database& db)
{
    Statement st(db, QStringLiteral("SELECT count(*) FROM \"Place\""));
    st.step();
    return st.column(0).toInt();
}

constexpr QFile::Permissions kReadOnlyForAll = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                             | QFile::ReadOther | QFile::ExeOther;

// Claims every directory lies on a network file system while it lives.
struct ClaimNetwork {
    ClaimNetwork() { setNetworkFileSystemCheck([](const QString&) { return true; }); }
    ~ClaimNetwork() { setNetworkFileSystemCheck({}); }
};

// Runs the second program as a user who cannot write the catalogue
// directory: the suite may run as root, who writes everywhere.
bool reachableByOthers(const QString& path)
{
    for (QDir d(path);; ) {
        if (!(QFileInfo(d.absolutePath()).permissions() & QFile::ExeOther))
            return false;
        if (!d.cdUp())
            return true;
    }
}

struct OtherUser {
    QTemporaryDir bin;
    QString program = QStringLiteral(KV_CATALOGUE_USER);
    QStringList prefix;
    QString why;  // not empty: not possible here

    OtherUser()
    {
        if (!reachableByOthers(QDir::tempPath())) {
            why = "the temporary directory cannot be reached by other users";
            return;
        }
        if (::geteuid() != 0)
            return;  // a plain user: the directory's mode is enough
        // A copy the other user can run, wherever the build lies.
        program = bin.filePath("kv_catalogue_user");
        QFile::copy(QStringLiteral(KV_CATALOGUE_USER), program);
        QFile::setPermissions(bin.path(), kReadOnlyForAll);
        if (!::getpwnam("nobody")) {
            why = "no user nobody";
        } else if (const QString setpriv = QStandardPaths::findExecutable("setpriv"); !setpriv.isEmpty()) {
            prefix = {setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"};
        } else if (const QString runuser = QStandardPaths::findExecutable("runuser"); !runuser.isEmpty()) {
            prefix = {runuser, "-u", "nobody", "--"};
        } else {
            why = "running as root without setpriv or runuser";
        }
    }
    // Exit code and output of "open DIR ro|rw" as that user.
    std::pair<int, QString> open(const QString& directory, bool readOnly)
    {
        QStringList args = prefix;
        args << program << "open" << directory << (readOnly ? "ro" : "rw");
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(args.takeFirst(), args);
        p.waitForFinished(30000);
        return {p.exitCode(), QString::fromUtf8(p.readAll()).trimmed()};
    }
};

// The catalogue directory's mode for the test's duration.
struct DirectoryMode {
    QString path;
    DirectoryMode(const QString& p, QFile::Permissions mode)
        : path(p)
    {
        QFile::setPermissions(path, mode);
    }
    ~DirectoryMode() { QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner); }
};

}  // namespace

TEST(CatalogueOpenPlan, EachStateGetsASafeWayIn)
{
    using J = JournalKind;
    using P = JournalPlan;
    struct Case {
        const char* name;
        CatalogueFileState state;
        bool readOnly;
        const char* uriQuery;
        P journal;
        const char* refusal;  // part of the first line, or empty
    };
    const Case cases[] = {
        {.name = "local writable", .state = {.journal = J::WriteAheadLog}, .readOnly = false, .uriQuery = "", .journal = P::WriteAheadLog, .refusal = ""},
        {.name = "local, marked shared over a network", .state = {.journal = J::Rollback, .sharedOverNetwork = true}, .readOnly = false, .uriQuery = "", .journal = P::Rollback, .refusal = ""},
        {.name = "network rollback", .state = {.networkFileSystem = true, .journal = J::Rollback}, .readOnly = false, .uriQuery = "", .journal = P::Rollback, .refusal = ""},
        {.name = "network log", .state = {.networkFileSystem = true, .journal = J::WriteAheadLog}, .readOnly = false, .uriQuery = "", .journal = P::RollbackFromLog, .refusal = ""},
        {.name = "writable open, directory read-only", .state = {.directoryWritable = false}, .readOnly = false, .uriQuery = "", .journal = P::Keep, .refusal = "cannot be written"},
        {.name = "read-only, local", .state = {.journal = J::WriteAheadLog}, .readOnly = true, .uriQuery = "", .journal = P::Keep, .refusal = ""},
        {.name = "read-only, network log", .state = {.networkFileSystem = true, .journal = J::WriteAheadLog}, .readOnly = true, .uriQuery = "", .journal = P::Keep, .refusal = "network drive"},
        {.name = "read-only directory, rollback", .state = {.directoryWritable = false, .journal = J::Rollback}, .readOnly = true, .uriQuery = "mode=ro", .journal = P::Keep, .refusal = ""},
        {.name = "read-only directory, log all in the file", .state = {.directoryWritable = false, .journal = J::WriteAheadLog}, .readOnly = true, .uriQuery = "immutable=1", .journal = P::Keep, .refusal = ""},
        {.name = "read-only directory, log with changes and -shm", .state = {.directoryWritable = false, .journal = J::WriteAheadLog, .logHasChanges = true, .sharedMemoryFile = true}, .readOnly = true, .uriQuery = "mode=ro", .journal = P::Keep, .refusal = ""},
        {.name = "read-only directory, log with changes, no -shm", .state = {.directoryWritable = false, .journal = J::WriteAheadLog, .logHasChanges = true}, .readOnly = true, .uriQuery = "", .journal = P::Keep, .refusal = "not yet in the catalogue file"},
    };
    for (const Case& c : cases) {
        const OpenPlan plan = planCatalogueOpen(c.state, c.readOnly, "/x/catalogue.sqlite");
        EXPECT_EQ(plan.uriQuery, c.uriQuery) << c.name;
        EXPECT_EQ(plan.journal, c.journal) << c.name;
        if (*c.refusal)
            EXPECT_THAT(plan.refusal.value(0).toStdString(), HasSubstr(c.refusal)) << c.name;
        else
            EXPECT_TRUE(plan.refusal.isEmpty()) << c.name << ": " << plan.refusal.join(' ').toStdString();
    }
}

TEST(ReadOnlyDirectory, TheCatalogueOpensReadOnlyWithoutTouchingItsFiles)
{
    OtherUser user;
    if (!user.why.isEmpty())
        GTEST_SKIP() << "cannot test a read-only directory: " << user.why.toStdString();

    struct Case {
        const char* name;
        std::function<void(const QString& dir)> prepare;
        bool readOnly;
        const char* expected;  // the helper's output, or part of its message
        int exitCode;
    };
    const Case cases[] = {
        {"log all in the catalogue file", [](const QString&) {}, true, "places 3", 0},
        {"rollback journal",
         [](const QString& dir) { Database::open(dir, false)->exec("PRAGMA journal_mode = DELETE"); }, true, "places 3", 0},
        {"log with changes beside the file",
         [](const QString& dir) {
             // A program on another machine ended without folding its log into the file.
             auto db = Database::open(dir, false);
             sqlite3_db_config(db->handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
             addPlaces(*db, 2);
         },
         true, "places 5", 0},
        {"log with changes, its -shm lost",
         [](const QString& dir) {
             {
                 auto db = Database::open(dir, false);
                 sqlite3_db_config(db->handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
                 addPlaces(*db, 2);
             }
             QFile::remove(Database::catalogueFile(dir) + "-shm");
         },
         true, "not yet in the catalogue file", 1},
        {"opened for writing", [](const QString&) {}, false, "cannot be written", 1},
    };
    for (const Case& c : cases) {
        kv::test::TempCatalogue cat;
        addPlaces(*cat.open(), 3);
        c.prepare(cat.path());
        const QStringList before = QDir(cat.path()).entryList(QDir::Files);
        const QByteArray headerBefore = header(cat.path());
        DirectoryMode mode(cat.path(), kReadOnlyForAll);
        const auto [code, output] = user.open(cat.path(), c.readOnly);
        EXPECT_EQ(code, c.exitCode) << c.name << ": " << output.toStdString();
        EXPECT_THAT(output.toStdString(), HasSubstr(c.expected)) << c.name;
        EXPECT_EQ(QDir(cat.path()).entryList(QDir::Files), before) << c.name;
        EXPECT_EQ(header(cat.path()), headerBefore) << c.name;
    }
}

TEST(NetworkDrive, AWriteAheadLogCatalogueChangesToTheRollbackJournal)
{
    kv::test::TempCatalogue cat;
    addPlaces(*cat.open(), 3);
    ASSERT_EQ(journalOf(cat.path()), JournalKind::WriteAheadLog);
    {
        ClaimNetwork network;
        auto db = Database::open(cat.path(), false);
        addPlaces(*db, 1);
        EXPECT_EQ(placeCount(*db), 4);
    }
    EXPECT_EQ(journalOf(cat.path()), JournalKind::Rollback);
    EXPECT_FALSE(QFile::exists(Database::catalogueFile(cat.path()) + "-wal"));
    EXPECT_TRUE(inspectCatalogueFiles(cat.path(), Database::catalogueFile(cat.path())).sharedOverNetwork);

    // Marked as shared: a program on the machine holding the files keeps the
    // rollback journal too, so programs over the network never meet a log.
    auto local = Database::open(cat.path(), false);
    addPlaces(*local, 1);
    EXPECT_EQ(journalOf(cat.path()), JournalKind::Rollback);
    EXPECT_EQ(placeCount(*local), 5);
}

TEST(NetworkDrive, AWriteAheadLogCatalogueOpenElsewhereIsRefused)
{
    kv::test::TempCatalogue cat;
    addPlaces(*cat.open(), 3);
    QProcess other;
    other.start(QStringLiteral(KV_CATALOGUE_USER), {"hold", cat.path()});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    ASSERT_EQ(other.readAllStandardOutput().trimmed(), "ready");

    ClaimNetwork network;
    for (bool readOnly : {false, true}) {
        try {
            Database::open(cat.path(), readOnly, 500);
            ADD_FAILURE() << "opened over the network while in a write-ahead log, read-only " << readOnly;
        } catch (const EngineError& e) {
            EXPECT_THAT(e.message().toStdString(), HasSubstr("works only while every program runs on one machine"));
        }
    }
    EXPECT_EQ(journalOf(cat.path()), JournalKind::WriteAheadLog);
    other.kill();
    other.waitForFinished(10000);
    // Once the other program has gone, the change goes through, and the
    // committed rows survive it.
    EXPECT_EQ(placeCount(*Database::open(cat.path(), false)), 3);
    EXPECT_EQ(journalOf(cat.path()), JournalKind::Rollback);
}

TEST(NetworkDrive, TwoProgramsPostWithTheRollbackJournal)
{
    kv::test::TempCatalogue cat;
    QProcess a, b;
    for (QProcess* p : {&a, &b}) {
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(KV_POST_ROWS), {cat.path(), "50", p == &a ? "A" : "B", "network"});
    }
    for (QProcess* p : {&a, &b}) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0);
    }
    EXPECT_EQ(journalOf(cat.path()), JournalKind::Rollback);
    auto db = cat.open(true);
    Statement st(*db, "SELECT count(*), count(DISTINCT \"PictureDescription\") FROM \"PictureInfo\"");
    st.step();
    EXPECT_EQ(st.column(0).toInt(), 100);
    EXPECT_EQ(st.column(1).toInt(), 100);
}
