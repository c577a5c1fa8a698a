// The programs that have a catalogue open, and the opening sequence.
#include "support/TempCatalogue.h"

#include "data/SessionRegistry.h"

#include <QCoreApplication>
#include <QDir>
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

TEST(SessionRegistry, AnEntryBeingMadeIsNeverSwept)
{
    // Another program lists the programs (and sweeps ended ones) just while
    // this one makes its entry, before the entry is locked.
    kv::test::TempCatalogue cat;
    int sweeps = 0;
    SessionRegistry::setEntryCreatedHook([&] {
        SessionRegistry::liveSessions(cat.path());
        ++sweeps;
    });
    SessionRegistry own(cat.path(), QStringLiteral("me"));
    SessionRegistry::setEntryCreatedHook({});
    EXPECT_EQ(sweeps, 1);
    ASSERT_TRUE(own.registered());
    EXPECT_EQ(users(SessionRegistry::liveSessions(cat.path())), QStringList({"me"}));
}

TEST(SessionRegistry, AStartWhileAnotherProgramHoldsTheCatalogueExclusivelyIsRefused)
{
    kv::test::TempCatalogue cat;
    QProcess holder;
    holder.start(QStringLiteral(KV_CATALOGUE_USER), {"exclusive", cat.path(), "ann"});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "ready");

    {
        SessionRegistry late(cat.path(), QStringLiteral("bob"));
        EXPECT_TRUE(late.refusedForExclusiveUse());
        EXPECT_FALSE(late.registered());
        EXPECT_THAT(late.exclusiveUseMessage().toStdString(), ::testing::HasSubstr("exclusive use"));
        EXPECT_THAT(late.exclusiveUseMessage().toStdString(), ::testing::HasSubstr("ann on"));
    }
    holder.kill();
    holder.waitForFinished(10000);
    SessionRegistry after(cat.path(), QStringLiteral("bob"));
    EXPECT_FALSE(after.refusedForExclusiveUse());
    EXPECT_TRUE(after.registered());
}

TEST(SessionRegistry, ExclusiveUseNeedsTheCatalogueAloneAndEndsWithItsLastTable)
{
    kv::test::TempCatalogue cat;
    SessionRegistry own(cat.path(), QStringLiteral("me"));
    TProgramDataForm dm;
    dm.setDatabase(cat.open());
    own.attach(*dm.KestrelviewDatabase());
    for (Table* t : {&dm.PlaceTable, &dm.RatingTable})
        t->setExclusive(true);

    // Refused while another program has the catalogue open.
    QProcess other;
    other.start(QStringLiteral(KV_HOLD_SESSION), {cat.path(), QStringLiteral("ann")});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    EXPECT_THROW(dm.PlaceTable.open(), EngineError);
    other.kill();
    other.waitForFinished(10000);

    dm.PlaceTable.open();
    dm.RatingTable.open();
    EXPECT_TRUE(SessionRegistry(cat.path(), "late").refusedForExclusiveUse());
    dm.PlaceTable.close();
    EXPECT_TRUE(SessionRegistry(cat.path(), "late").refusedForExclusiveUse()) << "one exclusive table is still open";
    dm.RatingTable.close();
    EXPECT_FALSE(SessionRegistry(cat.path(), "late").refusedForExclusiveUse());
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
