// Text fields hold at most their width, whatever writes them: tables cut on
// assignment, statements longer than the width are refused with a message
// naming the field, in new catalogues and in catalogues made before.
#include "support/TempCatalogue.h"

#include "data/Query.h"
#include "data/TextWidthChecks.h"

#include <gmock/gmock.h>

using namespace kv::data;
using ::testing::HasSubstr;

namespace {

QString errorOf(Database& db, const QString& sql)
{
    try {
        db.runLocalSql(sql);
    } catch (const EngineError& e) {
        return e.message();
    }
    return {};
}

QString placeDescription(Database& db)
{
    auto r = db.runLocalSql("Select PlaceDescription From \"Place.db\" Where PlaceID = 1");
    return r.rows->step() ? r.rows->column(0).toString() : QStringLiteral("<no row>");
}

qint64 schemaVersion(Database& db)
{
    Statement st(db, "PRAGMA schema_version");
    st.step();
    return st.column(0).toLongLong();
}

}  // namespace

TEST(TextWidths, StatementsCannotStoreMoreThanAFieldHolds)
{
    kv::test::TempCatalogue cat;
    auto db = cat.open();
    db->runLocalSql("Insert Into \"Place.db\" (PlaceDescription) Values (\"Harbour\")");
    const QString x300(300, 'x');
    const struct {
        QString sql;
        const char* refusedField;  // nullptr: accepted
    } cases[] = {
        {"Update \"Place.db\" Set PlaceDescription = \"" + x300 + "\" Where PlaceID = 1", "PlaceDescription"},
        {"Insert Into \"Place.db\" (PlaceDescription) Values (\"" + QString(51, 'y') + "\")", "PlaceDescription"},
        {"Update \"PictureInfo.db\" Set FileName = \"" + QString(256, 'f') + "\"", nullptr},  // no rows: nothing stored
        {"Insert Into \"PictureInfo.db\" (FileName) Values (\"" + QString(256, 'f') + "\")", "FileName"},
        {"Update \"Settings.db\" Set PreviewDir = \"" + x300 + "\"", "PreviewDir"},
        {"Update \"Person.db\" Set ZipCode = \"12345678901\"", nullptr},  // no person rows
        {"Insert Into \"Person.db\" (PersonDescription, ZipCode) Values (\"Ann\", \"12345678901\")", "ZipCode"},
        {"Insert Into \"Person.db\" (PersonDescription, ZipCode) Values (\"Ann\", \"1234567890\")", nullptr},
        {"Update \"Place.db\" Set PlaceDescription = \"" + QString(50, 'z') + "\" Where PlaceID = 1", nullptr},
        // characters are counted, not bytes
        {"Update \"Place.db\" Set PlaceDescription = \"" + QString(50, QChar(0x00E9)) + "\" Where PlaceID = 1", nullptr},
    };
    for (const auto& c : cases) {
        const QString before = placeDescription(*db);
        const QString error = errorOf(*db, c.sql);
        if (c.refusedField) {
            EXPECT_THAT(error.toStdString(), HasSubstr(std::string("Text too long for field ") + c.refusedField))
                << c.sql.left(80).toStdString();
            EXPECT_EQ(placeDescription(*db), before);  // nothing of it stored
        } else {
            EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        }
    }
    EXPECT_EQ(placeDescription(*db), QString(50, QChar(0x00E9)));

    // A table still cuts on assignment, so its posts are never refused.
    TProgramDataForm dm;
    dm.setDatabase(cat.open());
    dm.openTables(false);
    ASSERT_TRUE(dm.PlaceTable.insert());
    dm.PlaceTable.setFieldValue("PlaceDescription", x300);
    ASSERT_TRUE(dm.PlaceTable.post());
    EXPECT_EQ(readText(dm.PlaceTable, "PlaceDescription"), QString(50, 'x'));
}

TEST(TextWidths, CataloguesMadeBeforeGetTheChecksAndLayoutChangesKeepThem)
{
    kv::test::TempCatalogue cat;
    {
        // A catalogue from before the checks: it takes a long text.
        auto db = cat.open();
        dropTextWidthChecks(*db);
        db->runLocalSql("Insert Into \"Place.db\" (PlaceDescription) Values (\"" + QString(60, 'o') + "\")");
        EXPECT_EQ(placeDescription(*db).size(), 60);
    }
    auto db = cat.open();  // opening it adds them
    EXPECT_THAT(errorOf(*db, "Update \"Place.db\" Set PlaceDescription = \"" + QString(51, 'n') + "\"").toStdString(),
                HasSubstr("Text too long for field PlaceDescription of Place: it holds at most 50 characters."));
    {
        const qint64 version = schemaVersion(*db);
        auto again = cat.open();  // in place already: nothing is rewritten
        EXPECT_EQ(schemaVersion(*again), version);
    }

    // The row stored with the longer text can still be changed in its other
    // fields, and keeps its text until someone changes that.
    EXPECT_TRUE(errorOf(*db, "Update \"Place.db\" Set PlaceCommentsChar = \"still editable\"").isEmpty());
    EXPECT_EQ(placeDescription(*db).size(), 60);

    // A column added by a schema update is held to its width; a column the
    // checks name can still be dropped.
    db->runLocalSql("ALTER TABLE \"Place.db\" ADD Code CHAR(4)");
    EXPECT_THAT(errorOf(*db, "Update \"Place.db\" Set Code = \"ABCDE\"").toStdString(),
                HasSubstr("Text too long for field Code of Place"));
    EXPECT_TRUE(errorOf(*db, "Update \"Place.db\" Set Code = \"ABCD\"").isEmpty());
    EXPECT_TRUE(errorOf(*db, "ALTER TABLE \"Place.db\" DROP Code").isEmpty());
    EXPECT_THAT(errorOf(*db, "Update \"Place.db\" Set PlaceDescription = \"" + QString(51, 'n') + "\"").toStdString(),
                HasSubstr("PlaceDescription"));
    // A layout change that fails leaves the checks as they were.
    EXPECT_FALSE(errorOf(*db, "ALTER TABLE \"Place.db\" ADD Extra CHAR(4), DROP NoSuchColumn").isEmpty());
    EXPECT_THAT(errorOf(*db, "Update \"Place.db\" Set PlaceDescription = \"" + QString(51, 'n') + "\"").toStdString(),
                HasSubstr("PlaceDescription"));
}
