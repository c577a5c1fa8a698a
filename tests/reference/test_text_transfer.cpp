// The export and import runs on a catalogue: the layouts as written and
// read, the update statement, key matching, the picture export's rating and
// search-result filter, encodings, round trips, and bad input.
#include "support/TempCatalogue.h"

#include "common/MessageService.h"
#include "data/FieldValue.h"
#include "data/Query.h"
#include "reference/ExportData.h"
#include "reference/FieldSpecs.h"
#include "reference/ImportData.h"
#include "reference/ImportPreview.h"
#include "reference/TransferProgress.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <sys/stat.h>

#include <chrono>
#include <future>

using namespace kv::data;
using namespace kv::reference;
using kv::common::MessageKind;
using ::testing::HasSubstr;

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << QString(s).replace("\r", "\\r").replace("\n", "\\n").toStdString() << '"';
}

namespace {

struct ProgressRecorder : TransferProgress {
    QStringList started;
    int maximum = -1;
    int position = -1;
    int open = 0;
    void start(const QString& text, int max) override
    {
        started << text;
        maximum = max;
        ++open;
    }
    void setPosition(int p) override { position = p; }
    void finish() override { --open; }
};

const QString kComma = QStringLiteral("ASCII Coma Delimited");
const QString kTab = QStringLiteral("ASCII Tab Delimited");
const QString kFixed = QStringLiteral("ASCII Fixed Length");

// Import specs of the person table as the person editor offers them, with
// the columns the tests place them on.
QString personField(const char* spec, int column)
{
    return QString::fromLatin1(spec) + QStringLiteral("\t%1\t0").arg(column);
}
const char* const kName = "Name (*)\tPersonDescription\tRequired\tText";
const char* const kBirthday = "Birthday\tBirthdate\tNot Required\tDate";
const char* const kCity = "City\tCity\tNot Required\tText";
const char* const kGroup = "Group\tGroupType\tNot Required\tInteger";

class TransferTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope{messages};
    QTemporaryDir dir;
    ProgressRecorder progress;

    static void SetUpTestSuite() { kv::common::setLoggingEnabled(false); }

    QString path(const QString& name) const { return dir.filePath(name); }

    void exec(const char* sql)
    {
        m.db().exec(QString::fromUtf8(sql));
        for (Table* t : dm.tables())
            if (t->active())
                t->refresh();
    }

    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray fileBytes(const QString& name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The rows of a Local SQL select, each as "a|b|c".
    QStringList rows(const QStringList& lines)
    {
        Query& q = dm.PlaceQuery;
        q.close();
        q.clearSql();
        for (const QString& l : lines)
            q.addLine(l);
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next()) {
            QStringList cells;
            for (int c = 0; c < q.fieldNames().size(); ++c)
                cells << valueText(q.value(c));
            out << cells.join(u'|');
        }
        q.close();
        return out;
    }

    QStringList people()
    {
        return rows({"Select PersonDescription, Birthdate, City, GroupType", "From \"Person.db\"",
                     "Order By PersonID"});
    }

    Query& openOn(const QStringList& lines)
    {
        Query& q = dm.PersonQuery;
        q.close();
        q.clearSql();
        for (const QString& l : lines)
            q.addLine(l);
        q.open();
        q.first();
        return q;
    }

    ImportResult importPeople(const QString& file, const QString& layout, const QStringList& fields, int skip = 0,
                              const QString& dateFormat = QStringLiteral("YYYY-MM-DD"))
    {
        return ImportFileIntoTable(dm, path(file), dateFormat, layout, dm.PersonTable, fields, skip,
                                   QStringLiteral("PersonDescription"), QStringLiteral("Person.db"), nullptr,
                                   &progress);
    }
};

// --- export ---

TEST_F(TransferTest, ExportWritesEachLayoutAsSpecified)
{
    exec("INSERT INTO Rating (RatingID, RatingDescription) VALUES (1, 'Fun'), (2, 'Photographic'), "
         "(3, 'Smith, \"J\"')");
    const QString id = QStringLiteral("Rating ID\t10\tRatingID\tRatingID\tInteger");
    const QString description = QStringLiteral("Description\t10\tRatingDescription\tRatingDescription\tText");
    const struct {
        QString layout;
        bool header;
        QByteArray expected;
    } cases[] = {
        // A 3-character value in a 10-wide column is followed by 7 blanks; a
        // 12-character one is written whole and the next value follows it.
        {kFixed, true,
         "Rating ID DescriptionRating ID \r\n"
         "1         Fun       1         \r\n"
         "2         Photographic2         \r\n"
         "3         Smith, \"J\"3         \r\n"},
        // Labels are quoted, IDs are not, texts are, quotes inside are doubled.
        {kComma, true,
         "\"Rating ID\",\"Description\",\"Rating ID\"\r\n"
         "1,\"Fun\",1\r\n"
         "2,\"Photographic\",2\r\n"
         "3,\"Smith, \"\"J\"\"\",3\r\n"},
        {kTab, false,
         "1\tFun\t1\r\n"
         "2\tPhotographic\t2\r\n"
         "3\tSmith, \"J\"\t3\r\n"},
    };
    for (const auto& c : cases) {
        messages.clear();
        Query& q = openOn({"Select RatingID, RatingDescription", "From \"Rating.db\"", "Order By RatingID"});
        EXPECT_TRUE(ExportDataSetToFile(q, c.layout, QString(), c.header, {id, description, id}, path("out.txt"),
                                        &progress));
        EXPECT_EQ(fileBytes("out.txt"), c.expected) << c.layout.toStdString();
        ASSERT_EQ(messages.messages().size(), 1);
        EXPECT_EQ(messages.messages()[0].kind, MessageKind::Information);
        EXPECT_EQ(messages.texts()[0], "Export Compleated; Data Exported To: " + path("out.txt"));
    }
    EXPECT_EQ(progress.started.last(), "Please Wait: Exporting Data");
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.position, 3);
    EXPECT_EQ(progress.open, 0);
}

TEST_F(TransferTest, ExportWritesDatesInTheChosenFormatAndLogicalsAsWords)
{
    exec("INSERT INTO Person (PersonDescription, Birthdate, DeathDate) VALUES ('Ann', '1998-08-15', NULL)");
    exec("INSERT INTO MediaType (MediaTypeDescription, ShowFileName, ShowSlide) VALUES ('Slides', 1, 0)");
    const QStringList dates = {"Birthday\t15\tBirthdate\tBirthdate\tDate",
                               "Date Of Death\t15\tDeathDate\tDeathDate\tDate"};
    const struct {
        QString format;
        QByteArray line;
    } cases[] = {
        {"DD-MMM-YYYY", "15 Aug 1998\t\r\n"},
        {"YYYYMMDD", "19980815\t\r\n"},
        {"MM-DD-YY", "08/15/98\t\r\n"},
        {QString(), "08/15/1998\t\r\n"},  // no format chosen: the program's own date text
    };
    for (const auto& c : cases) {
        Query& q = openOn({"Select Birthdate, DeathDate", "From \"Person.db\""});
        ASSERT_TRUE(ExportDataSetToFile(q, kTab, c.format, false, dates, path("d.txt"), &progress));
        EXPECT_EQ(fileBytes("d.txt"), c.line) << c.format.toStdString();
    }
    Query& q = openOn({"Select ShowFileName, ShowSlide", "From \"MediaType.db\""});
    ASSERT_TRUE(ExportDataSetToFile(q, kComma, QString(), false,
                                    {"Show File Name\t10\tShowFileName\tShowFileName\tBoolean",
                                     "Show Slide\t10\tShowSlide\tShowSlide\tBoolean"},
                                    path("m.txt"), &progress));
    EXPECT_EQ(fileBytes("m.txt"), "\"True\",\"False\"\r\n");
}

TEST_F(TransferTest, ExportFailuresAreReportedAndWriteNothing)
{
    exec("INSERT INTO Rating (RatingDescription) VALUES ('Fun')");
    const QStringList spec = {"Description\t10\tRatingDescription\tRatingDescription\tText"};

    Query& q = openOn({"Select RatingDescription", "From \"Rating.db\""});
    EXPECT_FALSE(ExportDataSetToFile(q, kComma, QString(), false, spec, dir.path(), &progress));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(messages.texts()[0], "Error: Could Not Create Export File " + dir.path() + "!");

    // A result field the query lacks: the engine's message, and no file.
    messages.clear();
    Query& q2 = openOn({"Select RatingID", "From \"Rating.db\""});
    EXPECT_FALSE(ExportDataSetToFile(q2, kComma, QString(), false, spec, path("none.txt"), &progress));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_THAT(messages.texts()[0].toStdString(), HasSubstr("RatingDescription"));
    EXPECT_FALSE(QFile::exists(path("none.txt")));
    EXPECT_EQ(progress.open, 0);
}

// Pictures: 1 rating 1 (permitted, found) with Ann and Bob; 2 rating 3 (not
// permitted, found); 3 no rating (found); 4 rating 1 (permitted, not found).
class PictureExportTest : public TransferTest {
protected:
    void SetUp() override
    {
        exec("INSERT INTO Rating (RatingID, RatingDescription) VALUES (1, 'Everyone'), (3, 'Private')");
        exec("INSERT INTO Person (PersonID, PersonDescription) VALUES (1, 'Ann'), (2, 'Bob')");
        exec("INSERT INTO PictureInfo (PictureID, PictureDescription, RatingID, DateTaken) VALUES "
             "(1, 'Beach', 1, '2004-03-05'), (2, 'Secret', 3, NULL), (3, 'Unrated', NULL, NULL), "
             "(4, 'Not found', 1, NULL)");
        exec("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1), (1, 2), (2, 1)");
        dm.PermittedRatings.append(1);
        dm.PermittedRatings.append(2);
        for (const char* id : {"1", "2", "3"})
            dm.SearchResult.append(QString::fromLatin1(id));
    }
    QStringList specs(const QStringList& labels) { return SpecsFor(labels, PictureExportSpecs()); }
    QString selectList(const QStringList& labels) { return SelectListFor(labels, PictureExportSpecs()); }
};

TEST_F(PictureExportTest, SelectListGetsTheIdsTheFilterNeeds)
{
    const struct {
        QString windowList;
        QString expected;
    } cases[] = {
        {"PI.PictureDescription", "PI.PictureDescription, PI.PictureID, PI.RatingID"},
        {"PI.PictureID,R.RatingDescription", "PI.PictureID,R.RatingDescription, PI.RatingID"},
        {"PI.RatingID,PI.PictureID", "PI.RatingID,PI.PictureID"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PictureExportSelectList(c.windowList), c.expected);
    const QStringList statement = PictureExportStatement("X");
    EXPECT_EQ(statement.first(), "Select DISTINCT X");
    EXPECT_EQ(statement.size(), 26);
    EXPECT_EQ(statement.last(), "ON (P.GroupType = PG.PersonGroupID)");
}

TEST_F(PictureExportTest, LeavesOutPicturesOfRatingsTheUserMayNotSeeAndPicturesNotFound)
{
    const QStringList labels = {"Picture ID", "Picture Description", "Picture Date Taken", "Person Name"};
    ASSERT_TRUE(RunPictureExport(dm, selectList(labels), kComma, "YYYY-MM-DD", false, specs(labels),
                                 path("pictures.txt"), &progress));
    // Picture 1 has two people: one line each. 2 (rating 3) and 3 (no
    // rating) are not permitted; 4 was not found.
    QStringList lines = QString::fromUtf8(fileBytes("pictures.txt")).split("\r\n", Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"1,\"Beach\",\"2004/03/05\",\"Ann\"", "1,\"Beach\",\"2004/03/05\",\"Bob\""}));
    EXPECT_FALSE(dm.ShowSearchResult);
    EXPECT_FALSE(dm.PersonQuery.active());
    EXPECT_EQ(dm.PersonQuery.sql().first(),
              "Select DISTINCT PI.PictureID,PI.PictureDescription,PI.DateTaken,P.PersonDescription, PI.RatingID");
}

TEST_F(PictureExportTest, WithoutShowSearchResultOnlyTheRatingFilters)
{
    Query& q = openOn(PictureExportStatement(PictureExportSelectList("PI.PictureDescription")));
    dm.ShowSearchResult = false;
    ASSERT_TRUE(ExportPicturesToFile(dm, q, kTab, QString(), false, specs({"Picture Description"}),
                                     path("all.txt"), &progress));
    QStringList lines = QString::fromUtf8(fileBytes("all.txt")).split("\r\n", Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"Beach", "Not found"}));
}

TEST_F(PictureExportTest, NoPicturesAtAllIsReported)
{
    exec("DELETE FROM PicturePeople");
    exec("DELETE FROM PictureInfo");
    EXPECT_FALSE(RunPictureExport(dm, selectList({"Picture ID"}), kComma, QString(), false, specs({"Picture ID"}),
                                  path("none.txt"), &progress));
    EXPECT_EQ(messages.texts(), QStringList{"Error: No Records Found To Export!"});
    EXPECT_FALSE(QFile::exists(path("none.txt")));
    EXPECT_FALSE(dm.ShowSearchResult);
}

// --- the update statement ---

TEST_F(TransferTest, UpdateStatementOfALine)
{
    const QStringList fields = {personField(kName, 1), personField(kBirthday, 2), personField(kCity, 3)};
    const QString longName(60, u'x');
    const struct {
        const char* what;
        QString line;
        QString statement;
    } cases[] = {
        {"every field, the date in the program's form", "\"Ann\",\"2004-03-05\",\"Paris\"",
         "Update \"Person.db\" Set PersonDescription = \"Ann\", Birthdate = \"03/05/2004\", City = \"Paris\" "
         "Where Upper(PersonDescription) = Upper(\"Ann\")"},
        {"blanks trimmed, empty values left out", "\" Bob \",,\"   \"",
         "Update \"Person.db\" Set PersonDescription = \"Bob\" Where Upper(PersonDescription) = Upper(\"Bob\")"},
        {"quotes inside a value are doubled", "\"Dee \"\"Dot\"\" Lee\",,\"O\"\"Hara\"",
         "Update \"Person.db\" Set PersonDescription = \"Dee \"\"Dot\"\" Lee\", City = \"O\"\"Hara\" "
         "Where Upper(PersonDescription) = Upper(\"Dee \"\"Dot\"\" Lee\")"},
        {"a key longer than the field is cut as the table keeps it", longName,
         "Update \"Person.db\" Set PersonDescription = \"" + longName.left(50) +
             "\" Where Upper(PersonDescription) = Upper(\"" + longName.left(50) + "\")"},
        {"no key: skipped", ",\"2004-03-05\",\"Paris\"", ""},
        {"nothing at all: skipped", ",,", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildUpdateByKey(fields, c.line, "Person.db", "YYYY-MM-DD", kComma, "PersonDescription"),
                  c.statement)
            << c.what;
}

TEST_F(TransferTest, ValuesThatDoNotFitTheirFieldAreRefusedWithTheirLine)
{
    const QStringList fields = {personField(kName, 1), personField(kBirthday, 2), personField(kGroup, 3)};
    const struct {
        QString line;
        QString message;
    } cases[] = {
        {"Ann\t12/31/1999\t", "Error: Line 7: \"12/31/1999\" Is Not A Date In The Format YYYY-MM-DD!"},
        {"Ann\t1999-02-30\t", "Error: Line 7: \"1999-02-30\" Is Not A Date In The Format YYYY-MM-DD!"},
        {"Ann\t\tFamily", "Error: Line 7: \"Family\" Is Not A Whole Number For Group!"},
    };
    for (const auto& c : cases) {
        try {
            BuildUpdateByKey(fields, c.line, "Person.db", "YYYY-MM-DD", kTab, "PersonDescription");
            ADD_FAILURE() << "accepted " << c.line.toStdString();
        } catch (const ImportValueError& e) {
            EXPECT_EQ(e.message(7), c.message);
        }
    }
}

// --- import ---

class ImportTest : public TransferTest {
protected:
    void SetUp() override
    {
        exec("INSERT INTO Person (PersonDescription, Birthdate, City) VALUES ('Ann', '2000-01-01', 'Paris'), "
             "('Bob', NULL, NULL)");
    }
};

TEST_F(ImportTest, EachLayoutUpdatesByKeyIgnoringCaseAndAppendsTheRest)
{
    const QStringList threeFields = {personField(kName, 1), personField(kBirthday, 2), personField(kCity, 3)};
    const struct {
        const char* what;
        QString layout;
        QByteArray file;
        int skip;
        QStringList people;
        int updated, appended, skipped;
    } cases[] = {
        {"comma: header skipped, quoted comma, empty key skipped, empty values kept", kComma,
         "\"Name\",\"Birthday\",\"City\"\r\n"
         "\"ANN\",\"1999-12-31\",\r\n"
         "\"Cy\",\"\",\"Oslo\"\r\n"
         ",\"2001-01-01\",\"Rome\"\r\n"
         "\"Smith, John\",,\"Bergen\"\r\n"
         "\"Ragged\"\r\n",
         1,
         {"ANN|1999-12-31|Paris|", "Bob|||", "Cy||Oslo|", "Smith, John||Bergen|", "Ragged|||"},
         1, 3, 1},
        {"tab: no header", kTab, "ann\t\tLyon\nbob\t2002-02-02\t\n", 0,
         {"ann|2000-01-01|Lyon|", "bob|2002-02-02||"}, 2, 0, 0},
        {"fixed: columns found by the analysis, blanks trimmed, a longer line cut", kFixed,
         "Name      Born        City    \r\n"
         "ann       1999-12-31  Lyon    \r\n"
         "Eve       2003-03-03  Rome    extra words\r\n"
         "Dee       2002-02-02  Oslo    \r\n",
         1,
         {"ann|1999-12-31|Lyon|", "Bob|||", "Eve|2003-03-03|Rome|", "Dee|2002-02-02|Oslo|"}, 1, 2, 0},
    };
    for (const auto& c : cases) {
        exec("DELETE FROM Person");
        exec("INSERT INTO Person (PersonDescription, Birthdate, City) VALUES ('Ann', '2000-01-01', 'Paris'), "
             "('Bob', NULL, NULL)");
        messages.clear();
        writeFile("in.txt", c.file);
        const ImportResult r = importPeople("in.txt", c.layout, threeFields, c.skip);
        EXPECT_TRUE(r.completed) << c.what << ": " << messages.texts().join("|").toStdString();
        EXPECT_EQ(people(), c.people) << c.what;
        EXPECT_EQ(r.updatedLines, c.updated) << c.what;
        EXPECT_EQ(r.appendedRows, c.appended) << c.what;
        EXPECT_EQ(r.skippedLines, c.skipped) << c.what;
        EXPECT_TRUE(messages.texts().isEmpty()) << c.what;  // no completion message
    }
}

TEST_F(ImportTest, ALineUpdatesEveryRowWithItsKeyAndALaterLineTheRowAnEarlierOneAppended)
{
    exec("INSERT INTO Person (PersonDescription) VALUES ('ANN')");
    writeFile("in.txt", "ann\tRome\nZed\tOslo\nZED\tBergen\n");
    const ImportResult r = importPeople("in.txt", kTab, {personField(kName, 1), personField(kCity, 2)});
    EXPECT_EQ(people(), (QStringList{"ann|2000-01-01|Rome|", "Bob|||", "ann||Rome|", "ZED||Bergen|"}));
    EXPECT_EQ(r.updatedLines, 2);
    EXPECT_EQ(r.appendedRows, 1);
    EXPECT_EQ(dm.PersonTable.recordCount(), 4);  // the table shows what the catalogue holds
}

TEST_F(ImportTest, AQuoteInAValueNeitherBreaksTheStatementNorChangesItsMeaning)
{
    // Unescaped, this key would make the statement "... = Upper("Bob") Or
    // ("1"="1")" and change every row.
    writeFile("in.txt", "Bob\") Or (\"1\"=\"1\tNowhere\nAnn\t5\" Street\n");
    const ImportResult r = importPeople("in.txt", kTab, {personField(kName, 1), personField(kCity, 2)});
    ASSERT_TRUE(r.completed) << messages.texts().join("|").toStdString();
    EXPECT_EQ(people(), (QStringList{"Ann|2000-01-01|5\" Street|", "Bob|||", "Bob\") Or (\"1\"=\"1||Nowhere|"}));
}

TEST_F(ImportTest, AKeyLongerThanItsFieldMatchesTheRowItWasCutTo)
{
    const QByteArray name = QByteArray(60, 'n');
    writeFile("in.txt", name + "\tRome\n" + name + "\tOslo\n");
    const ImportResult r = importPeople("in.txt", kTab, {personField(kName, 1), personField(kCity, 2)});
    EXPECT_EQ(r.appendedRows, 1);
    EXPECT_EQ(r.updatedLines, 1);
    EXPECT_EQ(people().last(), QString(50, u'n') + "||Oslo|");
}

TEST_F(ImportTest, GroupAndDatesInEveryFormat)
{
    const struct {
        QString format;
        QByteArray date;
    } cases[] = {{"YYYY-MM-DD", "2004-03-05"}, {"YY-MM-DD", "04-03-05"}, {"MM-DD-YYYY", "3-5-2004"},
                 {"MM-DD-YY", "03/05/04"},     {"YYYYMMDD", "20040305"}, {"YYMMDD", "040305"},
                 {"DD-MMM-YY", "5-mar-04"},    {"DD-MMM-YYYY", "05 Mar 2004"}};
    for (const auto& c : cases) {
        writeFile("in.txt", "Ann\t" + c.date + "\t3\n");
        const ImportResult r = importPeople("in.txt", kTab,
                                            {personField(kName, 1), personField(kBirthday, 2), personField(kGroup, 3)},
                                            0, c.format);
        EXPECT_TRUE(r.completed) << c.format.toStdString() << messages.texts().join("|").toStdString();
        EXPECT_EQ(people().first(), "Ann|2004-03-05|Paris|3") << c.format.toStdString();
    }
}

TEST_F(ImportTest, BadInputIsReportedAndLeavesTheTableAsItWas)
{
    const QStringList fields = {personField(kName, 1), personField(kBirthday, 2), personField(kGroup, 3)};
    const QStringList before = people();
    QFile::remove(path("gone.txt"));
    const struct {
        const char* what;
        QByteArray file;  // empty name: no file at all
        const char* name;
        int skip;
        QString message;
    } cases[] = {
        {"no such file (deleted after the preview)", {}, "gone.txt", 0,
         "Error: Could Not Open Import File " + path("gone.txt") + "!"},
        {"an empty file", "", "empty.txt", 0, "Error: There Is No Data To Import In " + path("empty.txt") + "!"},
        {"every line skipped", "Name\r\n", "header.txt", 1,
         "Error: There Is No Data To Import In " + path("header.txt") + "!"},
        {"a binary file", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "picture.png", 0,
         "Error: " + path("picture.png") + " Is Not A Text File!"},
        {"a date in another format on line 3: line 2 is not kept either", "Name\nAnn\t1999-12-31\t\nCy\t31.12.1999\t\n",
         "date.txt", 1,
         "Error: Line 3: \"31.12.1999\" Is Not A Date In The Format YYYY-MM-DD!\n\nNothing Has Been Imported."},
        {"a group that is no number", "Cy\t\t1\nDee\t\tFamily\n", "group.txt", 0,
         "Error: Line 2: \"Family\" Is Not A Whole Number For Group!\n\nNothing Has Been Imported."},
    };
    for (const auto& c : cases) {
        messages.clear();
        if (!c.file.isNull())
            writeFile(QString::fromLatin1(c.name), c.file);
        const ImportResult r = importPeople(QString::fromLatin1(c.name), kTab, fields, c.skip);
        EXPECT_FALSE(r.completed) << c.what;
        EXPECT_EQ(messages.texts(), QStringList{c.message}) << c.what;
        EXPECT_EQ(messages.messages().value(0).kind, MessageKind::Error) << c.what;
        EXPECT_EQ(people(), before) << c.what;
        EXPECT_EQ(progress.open, 0) << c.what;
    }
}

TEST_F(TransferTest, ARowTheRecordRulesRefuseStopsTheImportAndNothingIsKept)
{
    // Whether another workstation could write while each box was open: no
    // box may wait for the user while the import holds the write lock.
    struct LockProbe : kv::common::MessageResponder {
        std::unique_ptr<Database> other;
        kv::common::MessageResponder* next = nullptr;
        QList<bool> writable;
        kv::common::MessageAnswer respond(const kv::common::Message& message) override
        {
            bool ok = true;
            try {
                other->exec("BEGIN IMMEDIATE");
                other->exec("ROLLBACK");
            } catch (const EngineError&) {
                ok = false;
            }
            writable << ok;
            return next->respond(message);
        }
    } probe;
    probe.other = Database::open(m.catalogue.path(), false, 0);
    probe.next = &messages;
    kv::common::ResponderScope probing(probe);
    dm.ValidateOnPost = true;
    writeFile("media.txt", "Slides\tTrue\nPrints\t\n");
    const QStringList fields = {"Media Type Description (*)\tMediaTypeDescription\tRequired\tText\t1\t0",
                                "Show File Name\tShowFileName\tNot Required\tBoolean\t2\t0"};
    const ImportResult r = ImportFileIntoTable(dm, path("media.txt"), QString(), kTab, dm.MediaTypeTable, fields, 0,
                                               "MediaTypeDescription", "MediaType.db", nullptr, &progress);
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(messages.texts(), (QStringList{"Please Check At Least One Option!\r",
                                             "The Import Stopped At Line 2; Nothing Has Been Imported."}));
    EXPECT_EQ(probe.writable, (QList<bool>{true, true}));
    EXPECT_TRUE(rows({"Select MediaTypeDescription", "From \"MediaType.db\""}).isEmpty());
    EXPECT_EQ(dm.MediaTypeTable.state(), DataSet::State::Browse);
    EXPECT_EQ(dm.MediaTypeTable.recordCount(), 0);

    // With the option set the row is kept, the logical stored as such.
    writeFile("media.txt", "Slides\tyes\n");
    ASSERT_TRUE(ImportFileIntoTable(dm, path("media.txt"), QString(), kTab, dm.MediaTypeTable, fields, 0,
                                    "MediaTypeDescription", "MediaType.db", nullptr, &progress)
                    .completed);
    EXPECT_EQ(rows({"Select MediaTypeDescription, ShowFileName", "From \"MediaType.db\""}),
              QStringList{"Slides|1"});
}

TEST_F(ImportTest, ProgressCountsTheDataLines)
{
    writeFile("in.txt", "Name\nAnn\n\nCy\n");
    const ImportResult r = importPeople("in.txt", kTab, {personField(kName, 1)}, 1);
    EXPECT_EQ(progress.started, QStringList{"Please Wait: Importing Data"});
    EXPECT_EQ(progress.maximum, 3);
    EXPECT_EQ(progress.position, 3);
    EXPECT_EQ(progress.open, 0);
    EXPECT_EQ(r.skippedLines, 1);
}

TEST_F(ImportTest, AQuotedFieldHoldingALineBreakIsOneFieldNotAnExtraRow)
{
    const QStringList fields = {personField(kName, 1), personField(kBirthday, 2), personField(kCity, 3)};
    writeFile("in.txt",
              "\"Name\",\"Born\",\"City\"\r\n"
              "\"ANN\",,\"Rue de\r\nla Paix\"\r\n"
              "\"Cy\",\"2001-01-01\",\"Oslo\"\r\n");
    const ImportResult r = importPeople("in.txt", kComma, fields, 1);
    ASSERT_TRUE(r.completed) << messages.texts().join("|").toStdString();
    EXPECT_EQ(people(), (QStringList{"ANN|2000-01-01|Rue de\nla Paix|", "Bob|||", "Cy|2001-01-01|Oslo|"}));
    EXPECT_EQ(r.updatedLines, 1);
    EXPECT_EQ(r.appendedRows, 1);
    EXPECT_EQ(progress.maximum, 2);
    // The Import window's preview shows the same two records.
    const ImportPreview preview = BuildImportPreview(path("in.txt"), kComma, 1);
    EXPECT_EQ(preview.rows, (QList<QStringList>{{"ANN", "", "Rue de\nla Paix"}, {"Cy", "2001-01-01", "Oslo"}}));

    // A message names the line in the file where the failing record starts.
    writeFile("in.txt", "\"Dee\",,\"a\nb\nc\"\n\"Eve\",\"31.12.1999\",\n");
    EXPECT_FALSE(importPeople("in.txt", kComma, fields).completed);
    EXPECT_THAT(messages.texts().join("|").toStdString(), HasSubstr("Error: Line 4: "));
}

TEST_F(ImportTest, APipeIsRefusedByTheImportAndItsPreviewWithoutWaiting)
{
    const QString fifo = path("pipe.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QStringList before = people();
    auto previewing = std::async(std::launch::async, [&] { return BuildImportPreview(fifo, kComma, 0); });
    if (previewing.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        QFile writer(fifo);  // frees the waiting reader
        writer.open(QIODevice::WriteOnly);
        writer.close();
        FAIL() << "the preview waited for a writer";
    }
    const ImportPreview preview = previewing.get();
    EXPECT_FALSE(preview.loaded);
    EXPECT_EQ(preview.note, "The file cannot be opened.");
    // The import reads the file the same way (here on the test's thread).
    const ImportResult r = importPeople("pipe.txt", kComma, {personField(kName, 1)});
    EXPECT_FALSE(r.completed);
    EXPECT_EQ(messages.texts(), QStringList{"Error: Could Not Open Import File " + fifo + "!"});
    EXPECT_EQ(people(), before);
}

// --- encodings and round trips ---

TEST_F(ImportTest, AnOlderExportInWindows1252IsRead)
{
    writeFile("old.txt", "\"Caf\xE9\",\"M\xFCnchen\"\r\n\"Stra\xDF" "e\",\"\"\r\n");
    ASSERT_TRUE(importPeople("old.txt", kComma, {personField(kName, 1), personField(kCity, 2)}).completed);
    EXPECT_EQ(people().mid(2), (QStringList{"Café||München|", "Straße|||"}));
}

TEST_F(TransferTest, AwkwardValuesSurviveExportAndImport)
{
    exec("INSERT INTO Person (PersonDescription, City, Birthdate) VALUES "
         "('He said \"hi\"', 'Smith, John', '1960-01-31'), ('5\" tape, 3\"', '\"', NULL), "
         "('Café über Straße', 'Zürich', '2004-02-29'), ('Plain', ',', '1999-12-31')");
    const QStringList exportSpecs = {"Name\t50\tPersonDescription\tPersonDescription\tText",
                                     "City\t40\tCity\tCity\tText", "Birthday\t15\tBirthdate\tBirthdate\tDate"};
    const QStringList importSpecs = {personField(kName, 1), personField(kCity, 2), personField(kBirthday, 3)};
    const QStringList original = people();
    for (const QString& layout : {kComma, kTab}) {
        messages.clear();
        Query& q = openOn({"Select PersonDescription, City, Birthdate", "From \"Person.db\"", "Order By PersonID"});
        ASSERT_TRUE(ExportDataSetToFile(q, layout, "DD-MMM-YYYY", true, exportSpecs, path("trip.txt"), &progress));
        EXPECT_TRUE(fileBytes("trip.txt").contains("Caf\xC3\xA9 \xC3\xBC" "ber Stra\xC3\x9F" "e"));

        kv::test::OpenDataModule other;
        const ImportResult r = ImportFileIntoTable(other.dm, path("trip.txt"), "DD-MMM-YYYY", layout,
                                                   other.dm.PersonTable, importSpecs, 1, "PersonDescription",
                                                   "Person.db", nullptr, &progress);
        ASSERT_TRUE(r.completed) << layout.toStdString() << messages.texts().join("|").toStdString();
        EXPECT_EQ(r.appendedRows, 4);
        Query& back = other.dm.PlaceQuery;
        back.clearSql();
        back.addLine("Select PersonDescription, Birthdate, City, GroupType");
        back.addLine("From \"Person.db\"");
        back.addLine("Order By PersonID");
        back.open();
        QStringList imported;
        for (back.first(); !back.eof(); back.next())
            imported << QStringList{valueText(back.value(0)), valueText(back.value(1)), valueText(back.value(2)),
                                    valueText(back.value(3))}
                            .join(u'|');
        EXPECT_EQ(imported, original) << layout.toStdString();
    }
}

}  // namespace
