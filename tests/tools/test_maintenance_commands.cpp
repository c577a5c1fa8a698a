// kestrelview-catalogue check, backup and pack, run as the real program.
#include "../admin/CatalogueDump.h"
#include "support/TempCatalogue.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>

using ::testing::HasSubstr;
using kv::test::countRows;
using kv::test::dumpCatalogue;

namespace {

struct ToolRun {
    int code = -1;
    QString out;
    QString err;
};

class MaintenanceCommandTest : public ::testing::Test {
protected:
    kv::test::TempCatalogue catalogue;
    QTemporaryDir files;

    ToolRun tool(const QStringList& arguments, const std::function<void()>& inChild = {})
    {
        QProcess p;
        if (inChild)
            p.setChildProcessModifier(inChild);
        p.start(QStringLiteral(KV_CATALOGUE_TOOL), arguments);
        EXPECT_TRUE(p.waitForFinished(60000)) << arguments.join(' ').toStdString();
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    // Pictures with long comments, most of them deleted again: room to give back.
    void addDeletedRows()
    {
        auto db = catalogue.open();
        {
            kv::data::WriteTransaction tx(*db);
            kv::data::Statement add(*db, "INSERT INTO PictureInfo (PictureDescription, PictureComments) VALUES (?, ?)");
            for (int i = 0; i < 4000; ++i) {
                add.reset();
                add.bind(1, QStringLiteral("Picture %1").arg(i));
                add.bind(2, QString(500, QLatin1Char('c')));
                add.step();
            }
            tx.commit();
        }
        db->exec("DELETE FROM PictureInfo WHERE PictureID % 8 <> 0");
    }
};

}  // namespace

TEST_F(MaintenanceCommandTest, CheckPassesASoundCatalogueAndFailsADamagedOne)
{
    ToolRun sound = tool({"check", catalogue.path()});
    EXPECT_EQ(sound.code, 0) << sound.err.toStdString();
    EXPECT_EQ(sound.out, "ok\n");

    addDeletedRows();
    // The picture description index pointed at the pages of an empty index:
    // its rows are missing there.
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(kv::data::Database::catalogueFile(catalogue.path())).constData(), &raw),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "PRAGMA writable_schema = ON; UPDATE sqlite_schema SET rootpage = (SELECT rootpage FROM "
                           "sqlite_schema WHERE name = 'Album_AlbumDescription') WHERE name = "
                           "'PictureInfo_PictureDescriptionIndex'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    ToolRun damaged = tool({"check", catalogue.path()});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_NE(damaged.out, "ok\n");
    EXPECT_FALSE(damaged.out.isEmpty());

    ToolRun missing = tool({"check", files.filePath("nowhere")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_THAT(missing.err.toStdString(), HasSubstr("not found"));
}

TEST_F(MaintenanceCommandTest, BackupWhileAnotherProgramPostsPairsHoldsWholePairsOnly)
{
    constexpr int kPairs = 4000;
    QProcess poster;
    poster.start(QStringLiteral(KV_POST_PAIRS), {catalogue.path(), QString::number(kPairs)});
    ASSERT_TRUE(poster.waitForReadyRead(20000)) << poster.readAllStandardError().toStdString();

    int partial = 0;
    for (int i = 0; i < 4; ++i) {
        const QString target = files.filePath(QStringLiteral("copy%1").arg(i));
        const ToolRun backup = tool({"backup", catalogue.path(), target});
        ASSERT_EQ(backup.code, 0) << backup.err.toStdString();
        const ToolRun check = tool({"check", target});
        EXPECT_EQ(check.out, "ok\n") << check.err.toStdString();

        auto copy = kv::data::Database::open(target, true);
        const qint64 places = countRows(*copy, "SELECT count(*) FROM Place");
        EXPECT_EQ(places % 2, 0) << "copy " << i;
        EXPECT_EQ(countRows(*copy, "SELECT count(*) FROM Place AS a WHERE a.PlaceDescription LIKE '% a' AND NOT "
                                   "EXISTS (SELECT 1 FROM Place AS b WHERE b.PlaceDescription = "
                                   "substr(a.PlaceDescription, 1, length(a.PlaceDescription) - 1) || 'b')"),
                  0)
            << "copy " << i;
        if (places > 0 && places < 2 * kPairs)
            ++partial;
    }
    EXPECT_TRUE(poster.waitForFinished(60000));
    EXPECT_EQ(poster.exitCode(), 0) << poster.readAllStandardError().toStdString();
    EXPECT_GT(partial, 0) << "no copy was made while the other program wrote";
}

TEST_F(MaintenanceCommandTest, BackupNeverReplacesACatalogue)
{
    kv::test::TempCatalogue other;
    {
        auto db = other.open();
        db->exec("INSERT INTO Place (PlaceDescription) VALUES ('Kept')");
    }
    const QStringList before = dumpCatalogue(*other.open());
    for (const QString& target : {other.path(), catalogue.path()}) {
        const ToolRun run = tool({"backup", catalogue.path(), target});
        EXPECT_EQ(run.code, 1);
        EXPECT_THAT(run.err.toStdString(), HasSubstr("already exists"));
    }
    EXPECT_EQ(dumpCatalogue(*other.open()), before);
    EXPECT_EQ(QDir(other.path()).entryList({"*.backup-*"}, QDir::Files), QStringList());
}

TEST_F(MaintenanceCommandTest, PackPrintsBothSizesAndIsRefusedWhileAnotherProgramRuns)
{
    addDeletedRows();
    const QStringList before = dumpCatalogue(*catalogue.open());

    QProcess other;
    other.start(QStringLiteral(KV_HOLD_SESSION), {catalogue.path(), QStringLiteral("ann")});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    const ToolRun refused = tool({"pack", catalogue.path()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_THAT(refused.err.toStdString(), HasSubstr("ann on "));
    other.kill();
    other.waitForFinished(10000);

    const ToolRun packed = tool({"pack", catalogue.path()});
    ASSERT_EQ(packed.code, 0) << packed.err.toStdString();
    qint64 sizes[2] = {0, 0};
    ASSERT_EQ(std::sscanf(packed.out.toUtf8().constData(), "Packed the catalogue: %lld bytes before, %lld bytes after",
                          &sizes[0], &sizes[1]),
              2)
        << packed.out.toStdString();
    EXPECT_LT(sizes[1], sizes[0] / 2);
    EXPECT_EQ(dumpCatalogue(*catalogue.open()), before);
}

TEST_F(MaintenanceCommandTest, ADiskFillingDuringPackLeavesTheCatalogueAsItWas)
{
    addDeletedRows();
    const QStringList before = dumpCatalogue(*catalogue.open());
    // Files of the packing program cannot grow past 256 KB: the rebuilt
    // catalogue does not fit.
    const ToolRun full = tool({"pack", catalogue.path()}, [] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{256 * 1024, 256 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(full.code, 1);
    EXPECT_THAT(full.err.toStdString(), HasSubstr("VACUUM"));
    EXPECT_EQ(dumpCatalogue(*catalogue.open()), before);
    EXPECT_EQ(tool({"check", catalogue.path()}).out, "ok\n");
}
