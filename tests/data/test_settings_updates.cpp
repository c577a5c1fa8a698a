// The settings record with its defaults, and the schema updates.
#include "support/TempCatalogue.h"

#include "data/SchemaUpdates.h"
#include "data/StatusNotice.h"
#include "data/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <gmock/gmock.h>

using namespace kv::data;

namespace {

struct StatusRecorder : StatusDisplay {
    QStringList shown;
    void showStatus(const QString& text) override { shown << text; }
    void hideStatus() override {}
};

ProgramFolders foldersIn(const QTemporaryDir& dir)
{
    return {dir.filePath("shipped") + "/", dir.filePath("data") + "/"};
}

}  // namespace

TEST(Settings, AllNullGivesExactlyTheDefaults)
{
    kv::test::OpenDataModule m;
    QTemporaryDir dir;
    TSystemInfo info;
    info.PicturePreviewSize = 7;  // page-generation values reset on every load
    info.IndexName = "x.html";
    ASSERT_TRUE(m.dm.SettingsTable.edit());
    m.dm.SettingsTable.setFieldValue("ProductID", QVariant());
    ASSERT_TRUE(m.dm.SettingsTable.post());
    LoadSettings(m.dm.SettingsTable, foldersIn(dir), info);

    const TSystemInfo d;  // the record's own initial values are the defaults
    EXPECT_EQ(info.PreviewSizeX, 200);
    EXPECT_EQ(info.PreviewSizeY, 200);
    EXPECT_EQ(info.FTPPort, 22);
    EXPECT_EQ(info.ShowInterval, 5);
    EXPECT_EQ(info.ShowMaxSize, 150);
    EXPECT_TRUE(info.ProgramSoundEnabled);
    EXPECT_TRUE(info.ShowOnTop);
    EXPECT_FALSE(info.DisableLogin);
    EXPECT_EQ(info.DefaultRatingID, -1);
    EXPECT_EQ(info.DefaultAlbumID, d.DefaultAlbumID);
    EXPECT_EQ(info.BackgroundBitmap, "beach.jpg");
    EXPECT_TRUE(info.EncryptionKey.isEmpty());
    EXPECT_EQ(info.PreviewDir, dir.filePath("data/Previews") + "/");
    EXPECT_EQ(info.GenerateLocation, dir.filePath("data/Generate") + "/");
    EXPECT_EQ(info.ImageDirectory, dir.filePath("data/Image") + "/");
    EXPECT_EQ(info.ExtraFiles, dir.filePath("data/ExtraFiles") + "/");
    EXPECT_EQ(info.AddressTemplate, dir.filePath("shipped") + "/Templates/Address.htm");
    EXPECT_EQ(info.BirthdayTemplate, dir.filePath("shipped") + "/Templates/Birthday.htm");
    EXPECT_EQ(info.PersonTemplate, dir.filePath("shipped") + "/Templates/Person.htm");
    EXPECT_EQ(info.PicturePreviewSize, 100);
    EXPECT_EQ(info.PersonPreviewSize, 100);
    EXPECT_EQ(info.IndexName, "index.html");
    // The default writable folders exist once loaded.
    for (const QString& f : {info.PreviewDir, info.GenerateLocation, info.ImageDirectory, info.ExtraFiles})
        EXPECT_TRUE(QFileInfo(f).isDir()) << f.toStdString();
}

TEST(Settings, StoredValuesWinAndDirectoriesGainTheSeparator)
{
    kv::test::OpenDataModule m;
    QTemporaryDir dir;
    Table& s = m.dm.SettingsTable;
    ASSERT_TRUE(s.edit());
    s.setFieldValue("PreviewDir", "/pictures/previews");
    s.setFieldValue("GenerateLocation", "/web/");
    s.setFieldValue("EncryptionKey", "");
    s.setFieldValue("DefaultRatingID", 4);
    s.setFieldValue("ShowOnTop", false);
    s.setFieldValue("FTPPort", 2121);
    ASSERT_TRUE(s.post());
    TSystemInfo info;
    LoadSettings(s, foldersIn(dir), info);
    EXPECT_EQ(info.PreviewDir, "/pictures/previews/");
    EXPECT_EQ(info.GenerateLocation, "/web/");
    EXPECT_TRUE(info.EncryptionKey.isEmpty());  // empty key: previews stored plain
    EXPECT_EQ(info.DefaultRatingID, 4);
    EXPECT_FALSE(info.ShowOnTop);
    EXPECT_EQ(info.FTPPort, 2121);
}

TEST(Settings, NoRowGivesTheDefaults)
{
    kv::test::OpenDataModule m;
    QTemporaryDir dir;
    ASSERT_TRUE(m.dm.SettingsTable.deleteRecord());
    TSystemInfo info;
    info.ShowInterval = 99;
    LoadSettings(m.dm.SettingsTable, foldersIn(dir), info);
    EXPECT_EQ(info.ShowInterval, 5);
    EXPECT_EQ(info.PreviewSizeX, 200);
}

class SchemaUpdatesTest : public ::testing::Test {
protected:
    kv::test::TempCatalogue cat;
    StatusRecorder status;
    void SetUp() override { setStatusDisplay(&status); }
    void TearDown() override { setStatusDisplay(nullptr); }

    void setLevel(const QVariant& level)
    {
        auto db = cat.open();
        Statement st(*db, "UPDATE \"Settings\" SET \"ProductID\" = ?");
        st.bind(1, level);
        st.step();
    }
    void addUpdate(const char* level, double sequence, const QVariant& statement)
    {
        auto db = cat.open();
        Statement st(*db, "INSERT INTO \"Update\" (\"ProductID\", \"Sequance\", \"QueryStatement\") VALUES (?, ?, ?)");
        st.bind(1, QString::fromLatin1(level));
        st.bind(2, sequence);
        st.bind(3, statement);
        st.step();
    }
    QStringList places()
    {
        auto db = cat.open(true);
        Statement st(*db, "SELECT \"PlaceDescription\" FROM \"Place\" ORDER BY \"PlaceID\"");
        QStringList out;
        while (st.step())
            out << st.column(0).toString();
        return out;
    }
    void open(TProgramDataForm& dm)
    {
        dm.runSchemaUpdates = RunSchemaUpdates;
        dm.OpenCatalogue(cat.path(), false);
    }
};



TEST_F(SchemaUpdatesTest, LaterLevelsRunInLevelThenSequanceOrder)
{
    setLevel("047100-03-18");
    addUpdate("047100-03-19", 2, "Insert Into \"Place.db\" (PlaceDescription) Values (\"19-2\")");
    addUpdate("047100-03-20", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"20-1\")");
    addUpdate("047100-03-19", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"19-1\")");
    addUpdate("047100-03-19", 3, QVariant());  // a Null statement is skipped
    addUpdate("047100-03-18", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"old level\")");
    addUpdate("047100-03-20", 2, "ALTER TABLE \"Place.db\" ADD PlaceCountry CHAR(40)");
    addUpdate("047100-03-20", 3, "Update \"Settings.db\" Set ProductID = \"047100-03-20\"");
    TProgramDataForm dm;
    open(dm);
    EXPECT_EQ(places(), QStringList({"19-1", "19-2", "20-1"}));
    EXPECT_EQ(status.shown, QStringList({"Please Wait Updating database!"}));
    EXPECT_EQ(readText(dm.SettingsTable, "ProductID"), "047100-03-20");  // Settings open again
    EXPECT_TRUE(dm.PlaceTable.hasField("PlaceCountry"));
    EXPECT_EQ(dm.PlaceTable.fieldWidth("PlaceCountry"), 40);
}

TEST_F(SchemaUpdatesTest, NothingRunsAtTheProgramsLevelOrWithoutALevel)
{
    addUpdate("047100-03-21", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"x\")");
    // A level of another width compares as text: "47100-3-1" sorts after.
    for (const QVariant& level : {QVariant("047100-03-20"), QVariant("047100-03-21"), QVariant(), QVariant("47100-3-1")}) {
        setLevel(level);
        status.shown.clear();
        TProgramDataForm dm;
        open(dm);
        EXPECT_TRUE(places().isEmpty()) << level.toString().toStdString();
        EXPECT_TRUE(status.shown.isEmpty());
    }
    // An older level with no later rows: no window, Settings open again.
    setLevel("047100-03-19");
    {
        auto db = cat.open();
        db->exec("DELETE FROM \"Update\"");
    }
    TProgramDataForm dm;
    open(dm);
    EXPECT_TRUE(status.shown.isEmpty());
    EXPECT_TRUE(dm.SettingsTable.active());
}

TEST_F(SchemaUpdatesTest, AFailingStatementRollsItsLevelBack)
{
    setLevel("047100-03-18");
    addUpdate("047100-03-19", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"kept\")");
    addUpdate("047100-03-20", 1, "ALTER TABLE \"Place.db\" ADD PlaceCountry CHAR(40)");
    addUpdate("047100-03-20", 2, "Insert Into \"Place.db\" (PlaceDescription) Values (\"undone\")");
    addUpdate("047100-03-20", 3, "Update \"Place.db\" Set NoSuchColumn = 1");
    {
        TProgramDataForm dm;
        try {
            open(dm);
            FAIL() << "the failing level must stop the opening";
        } catch (const EngineError& e) {
            EXPECT_THAT(e.message().toStdString(), ::testing::HasSubstr("NoSuchColumn"));
            EXPECT_THAT(e.message().toStdString(), ::testing::HasSubstr("047100-03-20"));
        }
        EXPECT_TRUE(dm.SettingsTable.active());
    }
    EXPECT_EQ(places(), QStringList({"kept"}));
    auto db = cat.open(true);
    for (const FieldDef& f : db->tableFields("Place"))
        EXPECT_NE(f.name, "PlaceCountry");

    // The next start-up runs the level again from its start.
    {
        auto w = cat.open();
        w->exec("DELETE FROM \"Update\" WHERE \"Sequance\" = 3");
    }
    TProgramDataForm dm;
    open(dm);
    EXPECT_EQ(places(), QStringList({"kept", "kept", "undone"}));
}

TEST_F(SchemaUpdatesTest, AStatementTheAdapterCannotReadStopsWithItsText)
{
    setLevel("047100-03-18");
    addUpdate("047100-03-19", 1, "Frobnicate the catalogue");
    TProgramDataForm dm;
    try {
        open(dm);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_THAT(e.message().toStdString(), ::testing::HasSubstr("Frobnicate the catalogue"));
    }
}

TEST_F(SchemaUpdatesTest, TwoProgramsStartingTogetherApplyEachLevelOnce)
{
    setLevel("047100-03-18");
    addUpdate("047100-03-19", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"19\")");
    addUpdate("047100-03-19", 2, "ALTER TABLE \"Place.db\" ADD PlaceCountry CHAR(40)");
    addUpdate("047100-03-19", 3, "Update \"Settings.db\" Set ProductID = \"047100-03-19\"");
    addUpdate("047100-03-20", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"20\")");
    addUpdate("047100-03-20", 2, "Update \"Settings.db\" Set ProductID = \"047100-03-20\"");

    // Both wait for the go file, then open: each pauses between statements,
    // so the second reads the old level while the first is still updating.
    QTemporaryDir gate;
    const QString go = gate.filePath("go");
    QProcess a, b;
    for (QProcess* p : {&a, &b}) {
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(QStringLiteral(KV_CATALOGUE_USER), {"update", cat.path(), go});
        ASSERT_TRUE(p->waitForStarted(10000));
    }
    QFile(go).open(QIODevice::WriteOnly);
    for (QProcess* p : {&a, &b}) {
        ASSERT_TRUE(p->waitForFinished(30000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardOutput().toStdString();
    }
    EXPECT_EQ(places(), QStringList({"19", "20"}));
    auto db = cat.open(true);
    Statement level(*db, "SELECT \"ProductID\" FROM \"Settings\"");
    ASSERT_TRUE(level.step());
    EXPECT_EQ(level.column(0).toString(), "047100-03-20");
    int countries = 0;
    for (const FieldDef& f : db->tableFields("Place"))
        countries += f.name == "PlaceCountry";
    EXPECT_EQ(countries, 1);
}

TEST_F(SchemaUpdatesTest, ReadOnlyCatalogueIsNeverUpdated)
{
    setLevel("047100-03-18");
    addUpdate("047100-03-19", 1, "Insert Into \"Place.db\" (PlaceDescription) Values (\"x\")");
    TProgramDataForm dm;
    dm.runSchemaUpdates = RunSchemaUpdates;
    dm.OpenCatalogue(cat.path(), true);
    EXPECT_TRUE(places().isEmpty());
}
