// Making, opening and refusing catalogues; the schema as the catalogue holds it.
#include "support/TempCatalogue.h"
#include "tools/catalogue/CatalogueCommand.h"

#include "data/Query.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

using namespace kv::data;
using kv::test::TempCatalogue;
using ::testing::HasSubstr;

namespace {

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EngineError& e) {
        return e.message();
    }
    return {};
}

struct CommandResult {
    int code;
    QString out;
    QString err;
};

CommandResult runTool(const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = kv::tools::runCatalogueCommand(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
}

}  // namespace

TEST(CatalogueSchema, EveryTableHasItsFieldsWithTheirTypesInTheFile)
{
    TempCatalogue cat;
    auto db = cat.open();
    for (const TableDef& t : catalogueSchema()) {
        const auto& fields = db->tableFields(t.name);
        ASSERT_EQ(fields.size(), t.fields.size()) << t.name.toStdString();
        for (size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i].name, t.fields[i].name);
            EXPECT_EQ(fields[i].type, t.fields[i].type) << t.name.toStdString() << "." << fields[i].name.toStdString();
            EXPECT_EQ(fields[i].width, t.fields[i].width) << fields[i].name.toStdString();
        }
    }
}

TEST(CatalogueSchema, OddSpellingsAndNamedIndexesAreKept)
{
    const struct {
        const char* table;
        const char* field;
    } oddFields[] = {{"PictureInfo", "PhotograherID"},          {"StorageLocation", "StorageLocationDescriptio"},
                     {"StorageLocation", "LocaitonWhereStored"}, {"StorageLocation", "StorageLocaitonModifiedDa"},
                     {"StorageLocation", "StorageLocationCommentsCh"}, {"Rating", "RatingModifedBy"},
                     {"Rating", "RatingModifedDate"},          {"MediaType", "MediaTypeModifedBy"},
                     {"PicturePeople", "PicturePeopleModifedBy"}, {"PicturePeople", "PicturePeopleModifedDate"},
                     {"Update", "Sequance"},                     {"Security", "CanAddCatatory"}};
    for (const auto& f : oddFields)
        EXPECT_NE(findTableDef(QString::fromLatin1(f.table))->field(QString::fromLatin1(f.field)), nullptr) << f.field;
    EXPECT_NE(findTableDef(QStringLiteral("Catagory"))->index(QStringLiteral("CatatoryDescriptionIndex")), nullptr);
    EXPECT_NE(findTableDef(QStringLiteral("AlbumList"))->index(QStringLiteral("AlbumPictuerIDIndex")), nullptr);
    EXPECT_NE(findTableDef(QStringLiteral("PersonGroup"))->index(QStringLiteral("PersonGroupDescriptionI")), nullptr);
    // File names in any letter case
    EXPECT_EQ(findTableDef(QStringLiteral("persongroup.db"))->name, QStringLiteral("PersonGroup"));
    EXPECT_EQ(findTableDef(QStringLiteral("SEARCH.DB"))->name, QStringLiteral("Search"));
}

TEST(CatalogueSchema, SearchIndexesExistForReferenceColumns)
{
    TempCatalogue cat;
    auto db = cat.open();
    Statement st(*db, QStringLiteral("SELECT tbl_name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"));
    QStringList indexed;
    while (st.step())
        indexed << st.column(0).toString() + QLatin1Char(':') + st.column(1).toString();
    const QString all = indexed.join(QLatin1Char('\n'));
    for (const char* col : {"PlaceID", "CatagoryID", "SubCatagoryID", "PhotograherID", "RatingID", "MediaTypeID"})
        EXPECT_THAT(all.toStdString(), HasSubstr(QStringLiteral("PictureInfo:CREATE INDEX \"PictureInfo_%1\"").arg(QString::fromLatin1(col)).toStdString()));
    EXPECT_THAT(all.toStdString(), HasSubstr("(\"StorageLocationID\", \"FileName\" COLLATE NOCASE)"));
    EXPECT_THAT(all.toStdString(), HasSubstr("\"PicturePeople_PersonID\""));
    EXPECT_THAT(all.toStdString(), HasSubstr("\"AlbumList_AlbumID\""));
}

TEST(CatalogueCreate, InitialContents)
{
    kv::test::OpenDataModule m;
    auto& dm = m.dm;
    EXPECT_EQ(readText(dm.SettingsTable, QStringLiteral("ProductID")), QStringLiteral("047100-03-20"));
    EXPECT_EQ(dm.SettingsTable.recordCount(), 1);
    EXPECT_EQ(dm.UpdateTable.active(), false);

    ASSERT_EQ(dm.SecurityTable.recordCount(), 1);
    EXPECT_EQ(readInteger(dm.SecurityTable, QStringLiteral("SecurityID")), 1);
    EXPECT_EQ(readText(dm.SecurityTable, QStringLiteral("SecurityDescription")), QStringLiteral("Administrator"));
    for (const QString& f : dm.SecurityTable.fieldNames()) {
        if (dm.SecurityTable.fieldType(f) == FieldType::Logical) {
            EXPECT_TRUE(readBool(dm.SecurityTable, f)) << f.toStdString();
        }
    }

    ASSERT_EQ(dm.UserSettingsTable.recordCount(), 1);
    EXPECT_EQ(readText(dm.UserSettingsTable, QStringLiteral("LoginName")), QStringLiteral("Supervisor"));
    EXPECT_TRUE(dm.UserSettingsTable.isNull(QStringLiteral("UserPassword")));
    EXPECT_EQ(readInteger(dm.UserSettingsTable, QStringLiteral("SecurityID")), 1);
    EXPECT_EQ(readInteger(dm.UserSettingsTable, QStringLiteral("UserID")), 1);
}

TEST(CatalogueCreate, RefusesToReplaceAnExistingCatalogue)
{
    TempCatalogue cat;
    {
        auto db = cat.open();
        db->runLocalSql(QStringLiteral("Insert Into \"Place.db\" (PlaceDescription) Values (\"Kept\")"));
    }
    EXPECT_THAT(errorOf([&] { Database::create(cat.path()); }).toStdString(), HasSubstr("already exists"));
    auto db = cat.open();
    auto r = db->runLocalSql(QStringLiteral("Select PlaceDescription From \"Place.db\""));
    ASSERT_TRUE(r.rows->step());
    EXPECT_EQ(r.rows->column(0).toString(), QStringLiteral("Kept"));
}

TEST(CatalogueOpen, BadPlacesGiveClearMessages)
{
    QTemporaryDir dir;
    const QString notADir = dir.filePath(QStringLiteral("plain.txt"));
    QFile f(notADir);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("hello");
    f.close();

    QTemporaryDir textCatalogue;
    QFile fake(Database::catalogueFile(textCatalogue.path()));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write(QByteArray(4096, 'x'));
    fake.close();

    const struct {
        QString dir;
        const char* expected;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing")), "Catalogue directory not found"},
        {notADir, "Not a directory"},
        {dir.path(), "No catalogue found in directory"},
        {textCatalogue.path(), "is not a Kestrelview catalogue"},
    };
    for (const auto& c : cases) {
        EXPECT_THAT(errorOf([&] { Database::open(c.dir, false); }).toStdString(), HasSubstr(c.expected))
            << c.dir.toStdString();
    }
    // nothing was created in the empty directory
    EXPECT_FALSE(QFileInfo::exists(Database::catalogueFile(dir.path())));
}

TEST(CatalogueOpen, DamagedCatalogueIsReportedNotCrashed)
{
    TempCatalogue cat;
    const QString file = Database::catalogueFile(cat.path());
    {
        auto db = cat.open();
        for (int i = 0; i < 200; ++i)
            db->runLocalSql(QStringLiteral("Insert Into \"Place.db\" (PlaceDescription) Values (\"Place %1\")").arg(i));
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(4096);  // past the header page: damage the table pages
    f.write(QByteArray(f.size() - 4096, '\xA5'));
    f.close();
    const QString message = errorOf([&] {
        auto db = Database::open(cat.path(), false);
        Query q(db.get());
        q.addLine(QStringLiteral("Select * From \"Place.db\""));
        q.open();
    });
    EXPECT_FALSE(message.isEmpty());
    EXPECT_THAT(message.toStdString(), ::testing::AnyOf(HasSubstr("damaged"), HasSubstr("not a Kestrelview catalogue")));
}

TEST(CatalogueOpen, ReadOnlyFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    TempCatalogue cat;
    const QString file = Database::catalogueFile(cat.path());
    QFile::setPermissions(file, QFileDevice::ReadOwner);
    EXPECT_THAT(errorOf([&] { Database::open(cat.path(), false); }).toStdString(), HasSubstr("read-only"));
    auto db = Database::open(cat.path(), true);
    EXPECT_THAT(errorOf([&] { db->runLocalSql(QStringLiteral("Delete From \"Place.db\"")); }).toStdString(),
                HasSubstr("read-only"));
}

TEST(CatalogueOpen, ReadOnlyConnectionRefusesEveryWrite)
{
    TempCatalogue cat;
    TProgramDataForm dm;
    dm.setDatabase(cat.open(true));
    dm.openTables(true);
    EXPECT_THAT(errorOf([&] { (void)dm.PlaceTable.insert(); }).toStdString(), HasSubstr("read-only"));
    EXPECT_THAT(errorOf([&] { dm.SettingsTable.edit(); }).toStdString(), HasSubstr("read-only"));
    EXPECT_THAT(errorOf([&] { dm.KestrelviewDatabase()->runLocalSql(QStringLiteral("Delete From \"User.db\"")); }).toStdString(),
                HasSubstr("read-only"));
}

TEST(CatalogueTool, CreateSqlAndTables)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("new/catalogue"));
    auto created = runTool({QStringLiteral("create"), path});
    EXPECT_EQ(created.code, 0) << created.err.toStdString();
    EXPECT_EQ(runTool({QStringLiteral("create"), path}).code, 1);

    auto insert = runTool({QStringLiteral("sql"), path,
                           QStringLiteral("Insert Into \"Place.db\" (PlaceDescription) Values (\"Lake \"\"Blue\"\"\")")});
    EXPECT_EQ(insert.code, 0) << insert.err.toStdString();
    EXPECT_EQ(insert.out, QStringLiteral("1\n"));
    runTool({QStringLiteral("sql"), path, QStringLiteral("Insert Into \"PictureInfo.db\" (PictureDescription, PlaceID, DateTaken) Values (\"p\", 1, \"07/04/2001\")")});

    auto select = runTool({QStringLiteral("sql"), path,
                           QStringLiteral("Select PI.PictureID, PI.PlaceID, PL.PlaceDescription, PI.DateTaken From \"PictureInfo.db\" PI "
                                          "LEFT OUTER JOIN \"Place.db\" PL ON (PI.PlaceID = PL.PlaceID)")});
    EXPECT_EQ(select.code, 0) << select.err.toStdString();
    // IDs in Number fields print as whole numbers
    EXPECT_EQ(select.out, QStringLiteral("PictureID\tPlaceID\tPlaceDescription\tDateTaken\n1\t1\tLake \"Blue\"\t2001-07-04\n"));

    auto bad = runTool({QStringLiteral("sql"), path, QStringLiteral("Select NoSuchColumn From \"Place.db\"")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_THAT(bad.err.toStdString(), HasSubstr("no such column: NoSuchColumn"));

    auto tables = runTool({QStringLiteral("tables"), path});
    EXPECT_EQ(tables.code, 0) << tables.err.toStdString();
    const QStringList lines = tables.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines[0], QStringLiteral("Users\tUser\t1"));
    EXPECT_EQ(lines[2], QStringLiteral("Place\tPlace\t1"));
    EXPECT_EQ(lines[8], QStringLiteral("Rating\tRatingList\t0"));
    EXPECT_EQ(lines[15], QStringLiteral("Person Group\tPeopleGroups\t0"));
    EXPECT_EQ(lines[17], QStringLiteral("Settings\tSettings\t1"));
    EXPECT_EQ(lines[18], QStringLiteral("Update\tUpdate\t0"));

    EXPECT_EQ(runTool({QStringLiteral("tables"), dir.filePath(QStringLiteral("none"))}).code, 1);
    EXPECT_EQ(runTool({QStringLiteral("bogus")}).code, 2);
}

TEST(CatalogueOpen, ACatalogueHeldLockedByAnotherProgramGivesAClearMessage)
{
    TempCatalogue cat;
    auto holder = cat.open();
    holder->exec(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE"));
    holder->exec(QStringLiteral("BEGIN EXCLUSIVE"));
    holder->exec(QStringLiteral("UPDATE \"Settings\" SET \"FTPPort\" = 1"));
    const QString message = errorOf([&] {
        auto db = Database::open(cat.path(), false, 300);
        db->runLocalSql(QStringLiteral("Select * From \"Place.db\""));
    });
    EXPECT_THAT(message.toStdString(), HasSubstr("locked by another program"));
    holder->exec(QStringLiteral("COMMIT"));
}

// A query with "?" marks runs on a statement the connection prepares once:
// each run binds its own values, sees rows written since, and a statement
// the catalogue cannot run is reported with its text.
TEST(CatalogueQuery, PreparedQueryBindsItsValuesOnEveryRun)
{
    TempCatalogue cat;
    auto db = cat.open();
    db->exec(QStringLiteral("INSERT INTO Place (PlaceID, PlaceDescription) VALUES (1, 'Home'), (2, 'Say \"hi\"')"));
    Query q(db.get());
    q.addLine(QStringLiteral("Select *"));
    q.addLine(QStringLiteral("From \"Place.db\""));
    q.addLine(QStringLiteral("Where PlaceID = ? Or PlaceDescription = ?"));
    const struct {
        QVariantList values;
        QStringList expected;
    } cases[] = {
        {{1, QString()}, {QStringLiteral("Home")}},
        {{-1, QStringLiteral("Say \"hi\"")}, {QStringLiteral("Say \"hi\"")}},
        {{7, QStringLiteral("' Or 1=1 Or '")}, {}},
    };
    for (const auto& c : cases) {
        q.openWith(c.values);
        QStringList found;
        for (; !q.eof(); q.next())
            found << readText(q, QStringLiteral("PlaceDescription"));
        EXPECT_EQ(found, c.expected) << c.values.first().toInt();
        q.close();
    }
    Statement& kept = db->preparedLocalSql(q.text());
    db->exec(QStringLiteral("INSERT INTO Place (PlaceID, PlaceDescription) VALUES (3, 'Later')"));
    EXPECT_EQ(&db->preparedLocalSql(q.text()), &kept);
    q.openWith({3, QString()});
    EXPECT_EQ(readText(q, QStringLiteral("PlaceDescription")), QStringLiteral("Later"));

    // Run without values, a "?" is refused rather than read as Null.
    for (const char* text : {"Select * From \"Place.db\" Where PlaceID = ?",
                             "Delete From \"Place.db\" Where PlaceDescription = ?"}) {
        const QString statement = QString::fromUtf8(text);
        EXPECT_THAT(errorOf([&] { db->runLocalSql(statement); }).toStdString(),
                    HasSubstr("a value marked \"?\" is not given in: " + statement.toStdString()));
    }
    EXPECT_EQ(db->runLocalSql(QStringLiteral("Select Count(*) From \"Place.db\" Where PlaceDescription = \"?\"")).rows->parameterCount(), 0);

    q.clearSql();
    q.addLine(QStringLiteral("Select Nowhere From \"Place.db\" Where PlaceID = ?"));
    EXPECT_THAT(errorOf([&] { q.openWith({1}); }).toStdString(), HasSubstr("Select Nowhere"));
    EXPECT_FALSE(q.active());
}
