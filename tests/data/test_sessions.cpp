// The programs that have a catalogue open, and the opening sequence.
#include "support/TempCatalogue.h"

#include "data/SessionRegistry.h"

#include <QCoreApplication>
#include <QProcess>

#include <gmock/gmock.h>

using namespace kv::data;

namespace {

QStringList users(const std::vector<SessionEntry>& sessions)
{
    QStringList out;
    for (const auto& s : sessions)
        out << s.userName;
    out.sort();
    return out;
}

}  // namespace

TEST(SessionRegistry, LiveProgramsAreListedAndCrashedOnesAreNot)
{
    kv::test::TempCatalogue cat;
    SessionRegistry own(cat.path(), QStringLiteral("me"));
    ASSERT_TRUE(own.registered());

    QProcess other;
    other.start(QStringLiteral(KV_HOLD_SESSION), {cat.path(), QStringLiteral("ann")});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    EXPECT_EQ(other.readAllStandardOutput().trimmed(), "ready");

    EXPECT_EQ(users(own.liveSessions()), QStringList({"ann", "me"}));
    EXPECT_EQ(own.otherSessionCount(), 1);
    own.setUserName(QStringLiteral("SUPERVISOR"));
    EXPECT_EQ(users(SessionRegistry::liveSessions(cat.path())), QStringList({"SUPERVISOR", "ann"}));

    other.kill();  // a crash: no tidying up
    other.waitForFinished(10000);
    EXPECT_EQ(users(own.liveSessions()), QStringList({"SUPERVISOR"}));
    EXPECT_EQ(own.otherSessionCount(), 0);
}

TEST(SessionRegistry, EndingRemovesTheEntry)
{
    kv::test::TempCatalogue cat;
    {
        SessionRegistry a(cat.path(), QStringLiteral("a"));
        EXPECT_EQ(SessionRegistry::liveSessions(cat.path()).size(), 1u);
    }
    EXPECT_TRUE(SessionRegistry::liveSessions(cat.path()).empty());
}

TEST(OpenCatalogue, TablesOpenInOrderAndAFailureStopsThere)
{
    kv::test::TempCatalogue cat;
    {
        TProgramDataForm dm;
        QStringList seen;
        dm.runSchemaUpdates = [&seen](TProgramDataForm& m) {
            seen << (m.SettingsTable.active() ? "settings open" : "settings closed");
            seen << (m.UpdateTable.active() ? "update open" : "update closed");
            seen << (m.SecurityTable.active() ? "security open" : "security closed");
        };
        dm.OpenCatalogue(cat.path(), false);
        EXPECT_EQ(seen, QStringList({"settings open", "update open", "security closed"}));
        EXPECT_FALSE(dm.UpdateTable.active());
        for (const auto& t : dm.CatalogueTables())
            EXPECT_TRUE(t.component->active()) << t.caption.toStdString();
    }
    {
        // Read-only: no schema updates, every table read-only.
        TProgramDataForm dm;
        bool updated = false;
        dm.runSchemaUpdates = [&updated](TProgramDataForm&) { updated = true; };
        dm.OpenCatalogue(cat.path(), true);
        EXPECT_FALSE(updated);
        EXPECT_TRUE(dm.PictureInfoTable.readOnly());
    }
    cat.open()->exec(QStringLiteral("DROP TABLE \"SubCatagory\""));
    TProgramDataForm dm;
    try {
        dm.OpenCatalogue(cat.path(), false);
        FAIL() << "a missing table must stop the opening";
    } catch (const EngineError& e) {
        EXPECT_THAT(e.message().toStdString(), ::testing::HasSubstr("SubCatagory"));
    }
    // Opened up to the failing table, nothing after it.
    EXPECT_TRUE(dm.PicturePeopleTable.active());
    EXPECT_FALSE(dm.SubCategoryTable.active());
    EXPECT_FALSE(dm.AlbumTable.active());
}
