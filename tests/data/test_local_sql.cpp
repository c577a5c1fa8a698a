#include "data/FieldType.h"
#include "data/localsql/LocalSqlAdapter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kv::data;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAreArray;

namespace {

// ---------------------------------------------------------------------------
// A compact catalogue: the tables the program's statements use, and rows.

struct Column {
    const char* name;
    FieldType type;
    int width = 0;
};

struct Table {
    const char* name;
    std::vector<Column> columns;
};

const std::vector<Table>& catalogue()
{
    using FT = FieldType;
    static const std::vector<Table> tables = {
        {"PictureInfo",
         {{"PictureID", FT::Number},
          {"DateTaken", FT::Date},
          {"PictureDescription", FT::Alpha, 80},
          {"RatingID", FT::Number},
          {"PhotograherID", FT::Number},
          {"MediaTypeID", FT::Number},
          {"StorageLocationID", FT::Number},
          {"FileName", FT::Alpha, 80},
          {"PictureModifiedDate", FT::Timestamp}}},
        {"PicturePeople", {{"PictureID", FT::Number}, {"PersonID", FT::Number}}},
        {"AlbumList", {{"AlbumID", FT::Number}, {"AlbumPictureID", FT::Number}}},
        {"Album", {{"AlbumID", FT::Number}, {"AlbumDescription", FT::Alpha, 40}}},
        {"Person",
         {{"PersonID", FT::Number},
          {"PersonDescription", FT::Alpha, 60},
          {"Birthdate", FT::Date},
          {"DeathDate", FT::Date},
          {"GroupType", FT::Number},
          {"PersonPicture", FT::Memo}}},
        {"PersonGroup", {{"PersonGroupID", FT::Number}, {"PersonGroupDescription", FT::Alpha, 40}}},
        {"Place", {{"PlaceID", FT::AutoInc}, {"PlaceDescription", FT::Alpha, 60}}},
        {"Rating", {{"RatingID", FT::Number}, {"RatingDescription", FT::Alpha, 20}}},
        {"RatingList", {{"RatingID", FT::Number}, {"RatingDescription", FT::Alpha, 20}}},
        {"MediaType",
         {{"MediaTypeID", FT::Number}, {"MediaTypeDescription", FT::Alpha, 40}, {"ShowFileName", FT::Logical}}},
        {"StorageLocation",
         {{"StorageLocationID", FT::Number},
          {"StorageLocationDescriptio", FT::Alpha, 60},
          {"DiscLabel", FT::Alpha, 20},
          {"MediaType", FT::Number}}},
        {"Security", {{"SecurityID", FT::Number}, {"SecurityDescription", FT::Alpha, 40}}},
        {"User", {{"UserID", FT::Number}, {"LoginName", FT::Alpha, 20}, {"UserPassword", FT::Alpha, 20}}},
        {"Settings", {{"ProductID", FT::Alpha, 20}}},
        {"Update", {{"ProductID", FT::Alpha, 20}, {"Sequance", FT::Integer}}},
        {"Search", {{"SearchID", FT::Number}, {"SearchText", FT::Memo}}},
    };
    return tables;
}

const char* const kRows = R"sql(
INSERT INTO PictureInfo VALUES
 (1, '2005-01-15', 'At the beach', 3, 1, 1, 4, 'IMG_0001.JPG', '2005-01-16 10:00:00'),
 (2, '2006-02-03', 'Beach party', 4, 4, 1, 4, 'IMG_0002.JPG', '2006-02-04 08:30:00'),
 (3, '2005-01-15', 'Mountains', -1, 3, 2, 4, 'img_0001.jpg', '2005-01-15 23:59:59'),
 (4, '2007-07-07', 'say "hi" at the beach', 1, NULL, 1, 6, 'IMG_0004.JPG', NULL),
 (9, NULL, 'O''Brien''s garden', NULL, 2, 1, 6, 'IMG_0009.JPG', NULL);
INSERT INTO PicturePeople VALUES (1, 1), (1, 2), (2, 1), (4, 3);
INSERT INTO AlbumList VALUES (1, 1), (1, 2), (2, 1);
INSERT INTO Album VALUES (1, 'Holidays'), (2, 'Best');
INSERT INTO Person VALUES
 (1, 'Anna', '1970-03-05', NULL, 1, 'a.jpg'),
 (2, 'Ben', '2000-01-01', NULL, 2, 'b.jpg'),
 (3, 'Carl O''Brien', '1950-06-15', '2001-02-03', 1, 'c.jpg'),
 (4, 'Dora', '1999-12-31', NULL, 3, 'd.jpg'),
 (5, 'Eve', '1985-05-05', NULL, 1, NULL);
INSERT INTO PersonGroup VALUES (1, 'Family'), (2, 'Friends');
INSERT INTO Rating VALUES (1, 'Poor'), (3, 'Good'), (4, 'Great');
INSERT INTO RatingList VALUES (3, 'Good'), (4, 'Great'), (7, 'Unused');
INSERT INTO MediaType VALUES (1, 'Disc', 1), (2, 'Print', 0);
INSERT INTO StorageLocation VALUES (4, 'CD 4', 'B', 1), (5, 'Shoebox', 'A', 2), (6, 'CD 6', 'A', 1);
INSERT INTO Security VALUES (1, 'Admin'), (2, 'Viewer');
INSERT INTO "User" VALUES (1, 'SUPERVISOR', NULL), (2, 'guest', 'pw'), (3, 'supervisor', 'secret');
INSERT INTO Settings VALUES ('047100-03-19');
INSERT INTO "Update" VALUES ('047100-03-19', 1), ('047100-03-20', 2), ('047100-03-21', 1), ('047100-03-21', 0);
)sql";

// Knows the catalogue's tables by file name ("X.db", any case) and its columns.
class FakeSchema : public SqlSchemaInfo {
public:
    std::optional<QString> tableForFileName(const QString& fileName) const override
    {
        QString name = fileName;
        if (name.endsWith(u".db", Qt::CaseInsensitive))
            name.chop(3);
        for (const Table& t : catalogue()) {
            if (name.compare(QLatin1String(t.name), Qt::CaseInsensitive) == 0)
                return QString::fromLatin1(t.name);
        }
        return std::nullopt;
    }

    std::optional<FieldType> columnType(const QString& column) const override
    {
        for (const Table& t : catalogue()) {
            for (const Column& c : t.columns) {
                if (column.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
                    return c.type;
            }
        }
        return std::nullopt;
    }
};

TranslatedSql translate(const QString& localSql)
{
    return translateLocalSql(localSql, FakeSchema());
}

// Translates, expecting a refusal; returns its message.
std::string refusal(const QString& localSql)
{
    try {
        const TranslatedSql sql = translate(localSql);
        ADD_FAILURE() << "accepted, as: " << sql.statements.join(u"; ").toStdString();
    } catch (const LocalSqlError& e) {
        return e.what();
    }
    return {};
}

// An in-memory catalogue. Double-quoted strings are switched off, so that a
// string the adapter left in double quotes fails instead of passing unseen.
class Catalogue {
public:
    Catalogue()
    {
        if (sqlite3_open(":memory:", &db_) != SQLITE_OK)
            throw std::runtime_error("cannot open SQLite");
        sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(db_, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        exec("PRAGMA case_sensitive_like = ON");
        for (const Table& t : catalogue()) {
            QStringList columns;
            for (const Column& c : t.columns) {
                columns << QStringLiteral("%1 %2%3")
                               .arg(QLatin1String(c.name), declaredSqliteType(c.type, c.width),
                                    c.type == FieldType::AutoInc ? u" PRIMARY KEY AUTOINCREMENT"_qs : QString());
            }
            exec(QStringLiteral("CREATE TABLE \"%1\" (%2)").arg(QLatin1String(t.name), columns.join(u", ")));
        }
        exec(QString::fromUtf8(kRows));
    }
    ~Catalogue() { sqlite3_close(db_); }
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    void exec(const QString& sql)
    {
        char* error = nullptr;
        if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string message = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error(message + " in: " + sql.toStdString());
        }
    }

    // Runs SQLite statements; returns the rows, cells joined by "|". Adds up
    // the rows changed into *changes.
    std::vector<std::string> run(const QStringList& statements, int* changes = nullptr)
    {
        std::vector<std::string> rows;
        for (const QString& sql : statements) {
            sqlite3_stmt* st = nullptr;
            const QByteArray utf8 = sql.toUtf8();
            if (sqlite3_prepare_v2(db_, utf8.constData(), -1, &st, nullptr) != SQLITE_OK)
                throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + utf8.toStdString());
            int rc;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
                std::string row;
                for (int c = 0; c < sqlite3_column_count(st); ++c)
                    row += (c ? "|" : "") + cell(st, c);
                rows.push_back(row);
            }
            const bool changesRows = sqlite3_stmt_readonly(st) == 0;
            sqlite3_finalize(st);
            if (rc != SQLITE_DONE)
                throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + utf8.toStdString());
            if (changes && changesRows)
                *changes += sqlite3_changes(db_);
        }
        return rows;
    }

    std::vector<std::string> query(const char* sqliteSql) { return run({QString::fromUtf8(sqliteSql)}); }

private:
    // IDs are REAL: show whole numbers without ".0".
    static std::string cell(sqlite3_stmt* st, int c)
    {
        switch (sqlite3_column_type(st, c)) {
        case SQLITE_NULL: return "NULL";
        case SQLITE_FLOAT: {
            const double v = sqlite3_column_double(st, c);
            if (v == std::floor(v))
                return std::to_string(static_cast<long long>(v));
            break;
        }
        default: break;
        }
        return reinterpret_cast<const char*>(sqlite3_column_text(st, c));
    }

    sqlite3* db_ = nullptr;
};

// ---------------------------------------------------------------------------
// The program's statements, run against the catalogue.

struct RunCase {
    const char* localSql;
    std::vector<std::string> rows; // of the SELECT, or of `check` after a change
    const char* check = nullptr;   // SQLite query that shows what a change did
    int changes = 0;               // rows a change must touch
};

const std::vector<RunCase>& runCases()
{
    static const std::vector<RunCase> cases = {
        // The program's main picture search (with the photographer's alias).
        {R"sql(Select DISTINCT PI.PictureID, PI.DateTaken
From "PictureInfo.db" PI
LEFT OUTER JOIN "PicturePeople.db" PP
ON (PI.PictureID = PP.PictureID)
LEFT OUTER JOIN "AlbumList.db" AL
ON (PI.PictureID = AL.AlbumPictureID)
LEFT OUTER JOIN "Person.db" PH
ON (PI.PhotograherID = PH.PersonID)
Where
(
(Upper(PI.PictureDescription) Like Upper("%beach%"))
And (PI.DateTaken In ("01/15/2005","02/03/2006"))
Or (Not (PH.Birthdate >= "12/31/1999"))
)
And (PI.RatingID In (-1, 3, 4))
Order By PI.DateTaken DESC, PI.PictureDescription)sql",
         {"2|2006-02-03", "1|2005-01-15", "3|2005-01-15"}},

        {"Delete From \"RatingList.db\"\nWhere RatingID = 7", {"3", "4"},
         "SELECT RatingID FROM RatingList ORDER BY 1", 1},
        {"Update \"PictureInfo.db\"\nSet RatingID = Null\nWhere RatingID = 3", {"1", "9"},
         "SELECT PictureID FROM PictureInfo WHERE RatingID IS NULL ORDER BY 1", 1},
        {"Update \"PictureInfo.db\"\nSet MediaTypeID = 2, \nStorageLocationID = 5\nWhere PictureID = 9", {"2|5"},
         "SELECT MediaTypeID, StorageLocationID FROM PictureInfo WHERE PictureID = 9", 1},
        {"Update \"Settings.db\" Set ProductID = \"047100-03-21\"", {"047100-03-21"},
         "SELECT ProductID FROM Settings", 1},
        {"Insert Into \"Place.db\" (PlaceDescription) Values (\"Beach\")", {"1|Beach"},
         "SELECT PlaceID, PlaceDescription FROM Place", 1},

        {"Select PictureID From \"PictureInfo.db\"\nWhere StorageLocationID = 4 And \n"
         "Upper(FileName) = \"IMG_0001.JPG\" And\nPictureID <> -1",
         {"1", "3"}},
        {R"sql(Select * From "Update.db" Where ProductID > "047100-03-19" Order By ProductID, Sequance)sql",
         {"047100-03-20|2", "047100-03-21|0", "047100-03-21|1"}},
        // An ID in double quotes against a numeric column.
        {R"sql(Select * From "Security.db" Where SecurityID = "1")sql", {"1|Admin"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where RatingID In ("3", "4") Order By PictureID)sql",
         {"1", "2"}},
        {R"sql(Select * From "User.db" Where Upper(LoginName) = Upper("Supervisor") and UserPassword = "")sql",
         {"1|SUPERVISOR|NULL"}},
        // A blank field is Null: "" matches it, and <> "" leaves it out.
        {R"sql(Select UserID From "User.db" Where UserPassword <> "" Order By UserID)sql", {"2", "3"}},
        {R"sql(Select UserID From "User.db" U Where "" = U.UserPassword)sql", {"1"}},
        {"Select Count (PP.PersonID) AS PeopleCount, PP.PersonID, P.PersonDescription\n"
         "From \"PicturePeople.db\" PP\nLEFT OUTER JOIN \"Person.db\" P\nON (PP.PersonID = P.PersonID)\n"
         "Group By P.PersonDescription, PP.PersonID",
         {"2|1|Anna", "1|2|Ben", "1|3|Carl O'Brien"}},
        {"Select SL.StorageLocationDescriptio, SL.StorageLocationID\n"
         "From \"StorageLocation.db\" SL, \"MediaType.db\" M\nWhere (M.ShowFileName = True ) And \n"
         "(M.MediaTypeID = SL.MediaType)\nOrder By SL.DiscLabel, SL.StorageLocationDescriptio",
         {"CD 6|6", "CD 4|4"}},
        {R"sql(Select MediaTypeDescription From "MediaType.db" Where ShowFileName = false)sql", {"Print"}},
        {"Select PersonPicture, PersonDescription\nFrom \"Person.db\"\nWhere PersonPicture Is not Null\n"
         "And GroupType in (1,2)\nAnd DeathDate is Null\nOrder By PersonDescription",
         {"a.jpg|Anna", "b.jpg|Ben"}},
        // Outer join: Dora's group is missing.
        {"Select P.*, PG.*\nFrom \"Person.db\" P\nLEFT OUTER JOIN \"PersonGroup.db\" PG\n"
         "ON (P.GroupType = PG.PersonGroupID)",
         {"1|Anna|1970-03-05|NULL|1|a.jpg|1|Family", "2|Ben|2000-01-01|NULL|2|b.jpg|2|Friends",
          "3|Carl O'Brien|1950-06-15|2001-02-03|1|c.jpg|1|Family", "4|Dora|1999-12-31|NULL|3|d.jpg|NULL|NULL",
          "5|Eve|1985-05-05|NULL|1|NULL|1|Family"}},
        {"Select PI.PictureID, PP.PersonID From \"PictureInfo.db\" PI\nLEFT OUTER JOIN \"PicturePeople.db\" PP\n"
         "ON (PI.PictureID = PP.PictureID)\nOrder By PI.PictureID, PP.PersonID",
         {"1|1", "1|2", "2|1", "3|NULL", "4|3", "9|NULL"}},
        {"Select DISTINCT PI.PictureID From \"PictureInfo.db\" PI\nLEFT OUTER JOIN \"PicturePeople.db\" PP\n"
         "ON (PI.PictureID = PP.PictureID)\nOrder By PI.PictureID",
         {"1", "2", "3", "4", "9"}},
        {"Select PersonDescription From \"Person.db\" Where PersonID In\n"
         "(Select PersonID From \"PicturePeople.db\" Where PictureID = 1)\nOrder By PersonDescription",
         {"Anna", "Ben"}},

        // Contains / Not Contains, and LIKE's letter case.
        {R"sql(Select PictureID From "PictureInfo.db" Where Upper(PictureDescription) Like Upper("%beach%") Order By PictureID)sql",
         {"1", "2", "4"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where Not (Upper(PictureDescription) Like Upper("%beach%")) Order By PictureID)sql",
         {"3", "9"}},
        {R"sql(Select PI.PictureID From "PictureInfo.db" PI Where PI.PictureDescription Like "%Beach%")sql", {"2"}},
        {R"sql(Select PI.PictureID From "PictureInfo.db" PI Where PI.RatingID Not In (3, 4) Order By PI.PictureID)sql",
         {"3", "4"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where RatingID = -1)sql", {"3"}},

        // Dates: lists, NOT IN, BETWEEN, literal first, timestamps, SET, INSERT.
        {R"sql(Select PictureID From "PictureInfo.db" Where DateTaken In ("1/15/2005", "02/03/2006") Order By PictureID)sql",
         {"1", "2", "3"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where DateTaken Not In ("01/15/2005") Order By PictureID)sql",
         {"2", "4"}},
        {R"sql(Select PersonDescription From "Person.db" Where Birthdate Between "1/1/1960" And "12/31/1999" Order By PersonDescription)sql",
         {"Anna", "Dora", "Eve"}},
        {R"sql(Select PersonDescription From "Person.db" Where "01/01/2000" <= Birthdate)sql", {"Ben"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where PictureModifiedDate >= "01/16/2005 10:00" Order By PictureID)sql",
         {"1", "2"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where PictureModifiedDate < "1/16/2005")sql", {"3"}},
        {R"sql(Update "Person.db" Set DeathDate = "2/29/2024" Where PersonID = 2)sql", {"2024-02-29"},
         "SELECT DeathDate FROM Person WHERE PersonID = 2", 1},
        {R"sql(Insert Into "Person.db" (PersonID, PersonDescription, Birthdate) Values (6, "Fay", "7/4/1980"))sql",
         {"Fay|1980-07-04"}, "SELECT PersonDescription, Birthdate FROM Person WHERE PersonID = 6", 1},

        // Quotes inside values are data.
        {R"sql(Select PictureID From "PictureInfo.db" PI Where (Not (Upper(PI.PictureDescription) Like Upper("%say ""hi""%"))) Order By PictureID)sql",
         {"1", "2", "3", "9"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where PictureDescription = "say ""hi"" at the beach")sql",
         {"4"}},
        {R"sql(Select PersonID From "Person.db" Where PersonDescription = "Carl O'Brien")sql", {"3"}},
        {R"sql(Select PictureID From "PictureInfo.db" Where PictureDescription = 'O''Brien''s garden')sql", {"9"}},
        {R"sql(Select PersonID From "Person.db" Where PersonDescription = "x' Or '1'='1")sql", {}},
        {R"sql(Select PersonID From "Person.db" Where PersonDescription = "' Or 1=1 Or '")sql", {}},
        {R"sql(Update "Person.db" Set PersonDescription = "Carl O'Brien's ""son""" Where PersonID = 3)sql",
         {R"(Carl O'Brien's "son")"}, "SELECT PersonDescription FROM Person WHERE PersonID = 3", 1},

        // Ways of naming tables and columns.
        {"Select Count(*) From PictureInfo", {"5"}},
        {R"sql(Select Count(*) From "picturepeople.DB")sql", {"4"}},
        {R"sql(Select PI."PictureDescription" From "PictureInfo.db" PI Where PI.PictureID = 2)sql", {"Beach party"}},
        {R"sql(Select "Person.db".PersonDescription From "Person.db" Where "Person.db".PersonID = 1)sql", {"Anna"}},
        {R"sql(Select Count(*) From "Person.db";)sql", {"5"}},
    };
    return cases;
}

TEST(LocalSqlRun, StatementsKeepTheirMeaning)
{
    for (const RunCase& c : runCases()) {
        SCOPED_TRACE(c.localSql);
        Catalogue db;
        try {
            const TranslatedSql sql = translate(QString::fromUtf8(c.localSql));
            int changes = 0;
            const auto rows = db.run(sql.statements, &changes);
            if (c.check) {
                EXPECT_EQ(changes, c.changes);
                EXPECT_THAT(db.query(c.check), ElementsAreArray(c.rows));
            } else if (QString::fromUtf8(c.localSql).contains(u"Order By", Qt::CaseInsensitive)) {
                EXPECT_THAT(rows, ElementsAreArray(c.rows));
            } else {
                EXPECT_THAT(rows, UnorderedElementsAreArray(c.rows));
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    }
}

// The search as the program writes it names an alias (P) its FROM list lacks,
// so SQLite cannot run it; it must still translate whole.
TEST(LocalSqlText, MainSearchTranslatesLineByLine)
{
    const QString localSql = QStringLiteral(R"sql(Select DISTINCT PI.PictureID, PI.DateTaken
From "PictureInfo.db" PI
LEFT OUTER JOIN "PicturePeople.db" PP
ON (PI.PictureID = PP.PictureID)
Where
(
(Upper(PI.PictureDescription) Like Upper("%beach%"))
And (PI.DateTaken In ("01/15/2005","02/03/2006"))
Or (Not (P.Birthdate >= "12/31/1999"))
)
And (PI.RatingID In (-1, 3, 4))
Order By PI.DateTaken DESC, PI.PictureDescription)sql");
    const TranslatedSql sql = translate(localSql);
    EXPECT_TRUE(sql.returnsRows);
    EXPECT_FALSE(sql.changesSchema);
    ASSERT_EQ(sql.statements.size(), 1);
    EXPECT_EQ(sql.statements[0].toStdString(), R"sql(SELECT DISTINCT PI.PictureID, PI.DateTaken
FROM "PictureInfo" PI
LEFT OUTER JOIN "PicturePeople" PP
ON (PI.PictureID = PP.PictureID)
WHERE
(
(UPPER(PI.PictureDescription) LIKE UPPER('%beach%'))
AND (PI.DateTaken IN ('2005-01-15', '2006-02-03'))
OR (NOT (P.Birthdate >= '1999-12-31'))
)
AND (PI.RatingID IN (-1, 3, 4))
ORDER BY PI.DateTaken DESC, PI.PictureDescription)sql");
}

TEST(LocalSqlText, StatementKinds)
{
    struct Case {
        const char* localSql;
        bool returnsRows;
        bool changesSchema;
        qsizetype statements;
    };
    const Case cases[] = {
        {R"(Select * From "Person.db")", true, false, 1},
        {R"(Update "Person.db" Set GroupType = 1)", false, false, 1},
        {R"(Delete From "Person.db")", false, false, 1},
        {R"(Insert Into "Place.db" (PlaceDescription) Values ("x"))", false, false, 1},
        {R"(ALTER TABLE "Person.db" ADD Email CHAR(40))", false, true, 1},
        {R"(ALTER TABLE "PictureInfo.db" ADD ImageSizeX SMALLINT, ADD ImageSizeY SMALLINT, DROP FileName)", false,
         true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.localSql);
        const TranslatedSql sql = translate(QString::fromUtf8(c.localSql));
        EXPECT_EQ(sql.returnsRows, c.returnsRows);
        EXPECT_EQ(sql.changesSchema, c.changesSchema);
        EXPECT_EQ(sql.statements.size(), c.statements);
    }
}

// A string compared with a date or timestamp column becomes ISO text, or is
// refused when it is not a date; other columns keep it as written.
TEST(LocalSqlText, DateLiterals)
{
    struct Case {
        const char* column;
        const char* literal;
        const char* stored; // nullptr: refused
    };
    const Case cases[] = {
        {"DateTaken", "01/15/2005", "2005-01-15"},
        {"DateTaken", "1/5/2005", "2005-01-05"},
        {"DateTaken", "02/29/2000", "2000-02-29"},
        {"DateTaken", "02/29/2024", "2024-02-29"},
        {"DateTaken", "12/31/1999", "1999-12-31"},
        {"DateTaken", "02/29/2005", nullptr},
        {"DateTaken", "02/29/1900", nullptr},
        {"DateTaken", "04/31/2005", nullptr},
        {"DateTaken", "13/01/2005", nullptr},
        {"DateTaken", "00/10/2005", nullptr},
        {"DateTaken", "01/00/2005", nullptr},
        {"DateTaken", "1/5/05", nullptr},
        {"DateTaken", "2005-01-15", nullptr},
        {"DateTaken", "", nullptr},
        {"DateTaken", "beach", nullptr},
        {"DateTaken", "01/15/2005 10:00:00", nullptr},
        {"PictureModifiedDate", "01/15/2005 9:05:07", "2005-01-15 09:05:07"},
        {"PictureModifiedDate", "01/15/2005 23:59", "2005-01-15 23:59:00"},
        {"PictureModifiedDate", "01/15/2005", "2005-01-15 00:00:00"},
        {"PictureModifiedDate", "01/15/2005 24:00:00", nullptr},
        {"PictureModifiedDate", "01/15/2005 10:60", nullptr},
        {"FileName", "01/15/2005", "01/15/2005"},
        {"FileName", "13/45/2005", "13/45/2005"},
    };
    for (const Case& c : cases) {
        const QString localSql = QStringLiteral(R"(Select PictureID From "PictureInfo.db" PI Where PI.%1 = "%2")")
                                     .arg(QLatin1String(c.column), QLatin1String(c.literal));
        SCOPED_TRACE(localSql.toStdString());
        if (c.stored) {
            const TranslatedSql sql = translate(localSql);
            EXPECT_THAT(sql.statements.join(u"").toStdString(),
                        HasSubstr(QStringLiteral("= '%1'").arg(QLatin1String(c.stored)).toStdString()));
        } else {
            const std::string message = refusal(localSql);
            EXPECT_THAT(message, HasSubstr("Type mismatch in expression"));
            EXPECT_THAT(message, HasSubstr(localSql.toStdString()));
        }
    }
}

TEST(LocalSqlText, RefusedStatementsNameTheProblemAndQuoteTheStatement)
{
    struct Case {
        const char* localSql;
        const char* problem;
    };
    const Case cases[] = {
        {R"(Select * From "Nowhere.db")", R"(unknown table "Nowhere.db")"},
        {R"(Select * From Nowhere)", R"(unknown table "Nowhere")"},
        {R"(Select * From sqlite_master)", "unknown table"},
        {R"(Select * From pragma_table_info("Person"))", "unknown table"},
        {R"(Select * From "Person.db" P, "Nowhere.db" N)", R"(unknown table "Nowhere.db")"},
        {R"(Select * From "Person.db" P LEFT OUTER JOIN "Nowhere.db" N ON (P.PersonID = N.PersonID))",
         R"(unknown table "Nowhere.db")"},
        {R"(Select "Nowhere.db".X From "Person.db")", R"(unknown table "Nowhere.db")"},
        {R"(Update "Nowhere.db" Set X = 1)", "unknown table"},
        {R"(Insert Into "Nowhere.db" (X) Values (1))", "unknown table"},
        {R"(Delete From "Nowhere.db")", "unknown table"},
        {R"(ALTER TABLE "Nowhere.db" ADD X CHAR(4))", "unknown table"},
        {"Select * From", "a table name is missing after FROM"},
        {"Select * From (Select * From \"Person.db\")", "a table name is missing after FROM"},

        {R"(Create Table "X.db" (A CHAR(10)))", "only SELECT, INSERT, UPDATE, DELETE and ALTER TABLE"},
        {R"(Drop Table "Person.db")", "only SELECT"},
        {"PRAGMA writable_schema = 1", "only SELECT"},
        {"ATTACH 'other.sqlite' AS other", "only SELECT"},
        {"VACUUM", "only SELECT"},
        {R"(Explain Select * From "Person.db")", "only SELECT"},
        {R"(With x As (Select 1) Select * From "Person.db")", "only SELECT"},
        {R"(Insert Or Replace Into "Place.db" (PlaceDescription) Values ("x"))", "INSERT must be followed by INTO"},
        {R"(ALTER INDEX "Person.db" ADD X CHAR(4))", "ALTER must be followed by TABLE"},

        {R"(Select * From "Person.db"; Delete From "Person.db")", "only one statement"},
        {R"(Select * From "Person.db";;)", "only one statement"},
        {"", "empty"},
        {"  \n ", "empty"},
        {";", "empty"},
        {R"(Select * From "Person.db" Where PersonDescription = "Anna)", "unterminated"},
        {R"(Select * From "Person.db" Where PersonDescription = 'Anna)", "unterminated"},
        {R"(Select * From "Person.db)", "unterminated"},
        {R"(Select * From "Person.db" Where (PersonID = 1)", "unbalanced parentheses"},
        {R"(Select * From "Person.db" Where PersonID = 1))", "unbalanced parentheses"},
        {R"(Select * From "Person.db" Where PersonID = 1) Or (1 = 1)", "unbalanced parentheses"},
        {R"(Select * From "Person.db" -- all of them)", "comments"},
        {R"(Select * /* all */ From "Person.db")", "comments"},
        {R"(Select `PersonID` From "Person.db")", R"(unexpected character "`")"},
        {R"(Select [PersonID] From "Person.db")", R"(unexpected character "[")"},
        {R"(Select {PersonID} From "Person.db")", R"(unexpected character "{")"},
        {R"(Select $PersonID From "Person.db")", R"(unexpected character "$")"},
        {R"(Select \PersonID From "Person.db")", R"(unexpected character "\")"},
        {R"(Select * From "Person.db" Where PersonID = :id)", R"(unexpected character ":")"},
        {R"(Select * From "Person.db" Where PersonID = 12abc)", "malformed number"},

        {R"(Select load_extension("evil.so") From "Person.db")", R"(unknown function "load_extension")"},
        {R"(Select * From "Person.db" Where PersonID = abs(-1))", R"(unknown function "abs")"},

        {R"(ALTER TABLE "Person.db" ADD Location GEOMETRY)", R"(unknown column type "GEOMETRY")"},
        {R"(ALTER TABLE "Person.db" ADD Email CHAR(300))", "unknown column type \"CHAR(300)\""},
        {R"(ALTER TABLE "Person.db" ADD Email)", "a column type is missing"},
        {R"(ALTER TABLE "Person.db" ADD Email CHAR(40) DEFAULT 'x')", R"(unexpected "DEFAULT")"},
        {R"(ALTER TABLE "Person.db" RENAME TO Human)", "only ADD and DROP"},
        {R"(ALTER TABLE "Person.db" ADD Email CHAR(40), Phone CHAR(20))", "only ADD and DROP"},

        // A date column met by a string that is no date, in each place it can be met.
        {R"(Select * From "PictureInfo.db" Where DateTaken In ("01/15/2005", "02/30/2005"))",
         "Type mismatch in expression"},
        {R"(Select * From "PictureInfo.db" Where DateTaken Not In ("02/30/2005"))", "Type mismatch in expression"},
        {R"(Select * From "PictureInfo.db" Where DateTaken Between "1/1/2005" And "2/30/2005")",
         "Type mismatch in expression"},
        {R"(Select * From "PictureInfo.db" Where "2/30/2005" < DateTaken)", "Type mismatch in expression"},
        {R"(Select * From "PictureInfo.db" PI Where PI.DateTaken <> "2/30/2005")", "Type mismatch in expression"},
        {R"(Update "PictureInfo.db" Set DateTaken = "2/30/2005")", "Type mismatch in expression"},
        {R"(Insert Into "Person.db" (PersonID, DeathDate) Values (7, "2/30/2005"))", "Type mismatch in expression"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.localSql);
        const std::string message = refusal(QString::fromUtf8(c.localSql));
        EXPECT_THAT(message, HasSubstr(c.problem));
        EXPECT_THAT(message, HasSubstr(std::string(" in: ") + c.localSql));
    }
}

// Schema updates: each ADD or DROP runs on its own, with the catalogue's
// declared types, and the new columns are usable at once.
TEST(LocalSqlRun, AlterTableAddsAndDropsColumns)
{
    Catalogue db;
    auto declaredType = [&db](const char* table, const char* column) {
        const auto rows = db.query(QStringLiteral("SELECT type FROM pragma_table_info('%1') WHERE name = '%2'")
                                       .arg(QLatin1String(table), QLatin1String(column))
                                       .toUtf8()
                                       .constData());
        return rows.empty() ? std::string("(none)") : rows.front();
    };

    db.run(translate(u"ALTER TABLE \"PictureInfo.db\" ADD ImageSizeX SMALLINT, ADD ImageSizeY SMALLINT"_qs).statements);
    db.run(translate(u"ALTER TABLE \"Person.db\" ADD Email CHAR(40)"_qs).statements);
    db.run(translate(u"ALTER TABLE \"persongroup.DB\" ADD Shown BOOLEAN, ADD Since DATE"_qs).statements);
    db.run(translate(u"ALTER TABLE \"Person.db\" DROP PersonPicture"_qs).statements);

    const struct {
        const char* table;
        const char* column;
        FieldTypeInfo expected;
    } added[] = {
        {"PictureInfo", "ImageSizeX", {FieldType::Integer, 0}},
        {"PictureInfo", "ImageSizeY", {FieldType::Integer, 0}},
        {"Person", "Email", {FieldType::Alpha, 40}},
        {"PersonGroup", "Shown", {FieldType::Logical, 0}},
        {"PersonGroup", "Since", {FieldType::Date, 0}},
    };
    for (const auto& a : added) {
        SCOPED_TRACE(std::string(a.table) + "." + a.column);
        const FieldTypeInfo read = fieldTypeFromDeclared(QString::fromStdString(declaredType(a.table, a.column)), false);
        EXPECT_EQ(read.type, a.expected.type);
        EXPECT_EQ(read.width, a.expected.width);
    }
    EXPECT_EQ(declaredType("Person", "PersonPicture"), "(none)");

    db.exec(u"UPDATE PictureInfo SET ImageSizeX = 640, ImageSizeY = 480"_qs);
    int changes = 0;
    db.run(translate(u"Update \"PictureInfo.db\"\nSet ImageSizeX =  Null, ImageSizeY = Null"_qs).statements, &changes);
    EXPECT_EQ(changes, 5);
    EXPECT_THAT(db.query("SELECT COUNT(*) FROM PictureInfo WHERE ImageSizeX IS NULL AND ImageSizeY IS NULL"),
                ElementsAreArray({"5"}));
    db.run(translate(u"Update \"PersonGroup.db\" Set Shown = True Where PersonGroupID = 2"_qs).statements);
    EXPECT_THAT(db.query("SELECT Shown FROM PersonGroup WHERE PersonGroupID = 2"), ElementsAreArray({"1"}));
}

}  // namespace
