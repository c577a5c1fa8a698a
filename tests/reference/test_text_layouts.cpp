// Writing and reading values in the three layouts, the fixed-length column
// analysis, and the file encoding of export and import files.
#include "reference/FixedColumns.h"
#include "reference/TextFiles.h"
#include "reference/TextLayouts.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <future>

using namespace kv::reference;

// Readable QString values in failure messages.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << QString(s).replace("\r", "\\r").replace("\n", "\\n").toStdString() << '"';
}

namespace {

struct Value {
    QString text;
    int width;
    bool quoted;
};

QString lineOf(TextLayout layout, std::initializer_list<Value> values)
{
    QString line;
    bool first = true;
    for (const Value& v : values) {
        AppendValue(line, layout, v.text, v.width, v.quoted, first);
        first = false;
    }
    return line;
}

TEST(TextLayouts, NamesInListOrder)
{
    EXPECT_EQ(TextLayoutNames(),
              (QStringList{"ASCII Fixed Length", "ASCII Coma Delimited", "ASCII Tab Delimited"}));
    EXPECT_EQ(TextLayoutFromName("ASCII Coma Delimited"), TextLayout::CommaDelimited);
    EXPECT_FALSE(TextLayoutFromName("ASCII Comma Delimited").has_value());
}

TEST(TextLayouts, WritingValues)
{
    const struct {
        const char* what;
        TextLayout layout;
        std::initializer_list<Value> values;
        QString expected;
    } cases[] = {
        {"fixed: a short value is padded to its width", TextLayout::FixedLength,
         {{"abc", 10, true}, {"12", 4, false}}, "abc       12  "},
        {"fixed: a long value is written whole, the next follows directly", TextLayout::FixedLength,
         {{"abcdefghijkl", 10, true}, {"x", 2, true}}, "abcdefghijklx "},
        {"fixed: blanks around a value are kept", TextLayout::FixedLength, {{" a ", 5, true}}, " a   "},
        {"comma: integers bare, texts quoted, blanks trimmed", TextLayout::CommaDelimited,
         {{" 7 ", 10, false}, {" Paris ", 50, true}}, "7,\"Paris\""},
        {"comma: a quote inside is doubled", TextLayout::CommaDelimited,
         {{"5\" tape", 50, true}}, "\"5\"\" tape\""},
        {"comma: an unquoted value holding a comma is quoted", TextLayout::CommaDelimited,
         {{"Family, close", 10, false}, {"1", 10, false}}, "\"Family, close\",1"},
        {"comma: an empty text is an empty pair of quotes", TextLayout::CommaDelimited,
         {{"", 10, true}, {"", 10, false}}, "\"\","},
        {"tab: trimmed, never quoted", TextLayout::TabDelimited,
         {{" a \"b\" ", 10, true}, {"c,d", 10, true}}, "a \"b\"\tc,d"},
        {"tab: a tab inside a value becomes a blank", TextLayout::TabDelimited,
         {{"a\tb", 10, true}, {"c", 10, true}}, "a b\tc"},
        {"every layout: line breaks inside a value become blanks", TextLayout::CommaDelimited,
         {{"two\r\nlines", 10, true}}, "\"two  lines\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lineOf(c.layout, c.values), c.expected) << c.what;
}

TEST(TextLayouts, ReadingFields)
{
    const FixedColumnTable noColumns;
    const struct {
        const char* what;
        TextLayout layout;
        QString line;
        QStringList fields;
    } cases[] = {
        {"comma: a quoted comma stays in its field, without the quotes", TextLayout::CommaDelimited,
         "1,\"Smith, John\",x", {"1", "Smith, John", "x"}},
        {"comma: doubled quotes read as one", TextLayout::CommaDelimited, "\"5\"\" tape\",\"\"\"\"",
         {"5\" tape", "\""}},
        {"comma: blanks around a quoted field are dropped", TextLayout::CommaDelimited, "1, \"Paris\" ,2",
         {"1", "Paris", "2"}},
        {"comma: a stray leading quote is dropped", TextLayout::CommaDelimited, "\"abc,def", {"abc,def"}},
        {"comma: empty fields", TextLayout::CommaDelimited, ",,", {"", "", ""}},
        {"tab: quotes are text, blanks are kept", TextLayout::TabDelimited, "\"a\"\t b \t", {"\"a\"", " b ", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitDelimitedLine(c.line, c.layout), c.fields) << c.what;
        for (int n = 1; n <= c.fields.size(); ++n)
            EXPECT_EQ(ReadLineField(c.line, c.layout, n, noColumns), c.fields[n - 1]) << c.what << " field " << n;
        EXPECT_EQ(ReadLineField(c.line, c.layout, static_cast<int>(c.fields.size()) + 1, noColumns), QString())
            << c.what << ": a field the line lacks is empty";
    }
}

TEST(TextLayouts, PreviewColumnCountOfTheFirstLine)
{
    const FixedColumnTable noColumns;
    const struct {
        TextLayout layout;
        QString line;
        int count;
    } cases[] = {
        {TextLayout::CommaDelimited, "a,b,c", 3},
        {TextLayout::CommaDelimited, "a,b,", 2},  // a final separator adds no column
        {TextLayout::CommaDelimited, "\"a,b\",c", 2},
        {TextLayout::CommaDelimited, "", 1},
        {TextLayout::TabDelimited, "a\tb\t", 2},
        {TextLayout::TabDelimited, "\t", 1},
        {TextLayout::TabDelimited, "a,b", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineColumnCount(c.line, c.layout, noColumns), c.count) << c.line.toStdString();
}

// A file as the fixed-length export writes it: ID (10), description (10),
// city (8), with a header line to skip.
const QStringList kFixedFile = {
    "ID        Name      City    ",
    "1         Ann       Paris   ",
    "22        Bob       Rome    ",
    "333       Christina Oslo    ",
};

TEST(FixedColumns, AnalysisFindsTheColumnsOfASmallFile)
{
    const FixedColumnTable t = AnalyseFixedColumns(kFixedFile, 1);
    ASSERT_EQ(t.count, 3);
    EXPECT_FALSE(t.moreColumns);
    // Each column ends at the first blank after its longest word.
    const std::pair<int, int> expected[] = {{1, 4}, {11, 20}, {21, 26}};
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(t.column(n).start, expected[n - 1].first) << "column " << n;
        EXPECT_EQ(t.column(n).end, expected[n - 1].second) << "column " << n;
    }
    // The column after the last one analysed is cleared; the analysed one stays.
    EXPECT_EQ(t.column(5).start, 0);
    EXPECT_EQ(t.column(5).end, 0);
    EXPECT_EQ(t.field(kFixedFile[3], 2), "Christina ");
    EXPECT_EQ(t.field(kFixedFile[1], 3), "Paris ");
    EXPECT_EQ(t.field(QStringLiteral("1         Ann       Pa"), 3), "Pa");  // a line shorter than the column
    EXPECT_EQ(t.field(kFixedFile[1], 4), QString());
}

TEST(FixedColumns, ColumnsFollowTheLinesAfterTheLinesToSkip)
{
    // Not skipping the header: "ID" and "Name" start the same columns, but
    // the longest word of the first column is now "333".
    const FixedColumnTable all = AnalyseFixedColumns(kFixedFile, 0);
    ASSERT_EQ(all.count, 3);
    EXPECT_EQ(all.column(1).end, 4);
    // Ragged lines: a short last line ends the analysis where it ends.
    const FixedColumnTable ragged = AnalyseFixedColumns({"aa bb cc dd", "aa bb"}, 0);
    EXPECT_EQ(ragged.count, 2);
    // An empty file has no columns.
    EXPECT_EQ(AnalyseFixedColumns({}, 0).count, 0);
}

TEST(FixedColumns, AFileWithMoreColumnsThanTheTableHoldsIsFlagged)
{
    QStringList words;
    for (int i = 0; i < 120; ++i)
        words << QStringLiteral("w%1").arg(i, 3, 10, QLatin1Char('0'));
    const FixedColumnTable t = AnalyseFixedColumns({words.join(u' ')}, 0);
    EXPECT_EQ(t.count, FixedColumnTable::kMaxColumns - 1);
    EXPECT_TRUE(t.moreColumns);
    EXPECT_EQ(t.field(words.join(u' '), 99).trimmed(), "w098");

    const FixedColumnTable few = AnalyseFixedColumns({words.mid(0, 5).join(u' ')}, 0);
    EXPECT_EQ(few.count, 5);
    EXPECT_FALSE(few.moreColumns);
}

TEST(TextLayouts, AQuotedFieldMayHoldLineBreaks)
{
    const struct {
        const char* what;
        QStringList lines;
        int skip;
        TextLayout layout;
        QStringList records;
        QList<int> lineNumbers;
    } cases[] = {
        {"a break inside quotes joins the lines", {"1,\"Rue de", "la Paix\",x", "2,Oslo"}, 0, TextLayout::CommaDelimited,
         {"1,\"Rue de\nla Paix\",x", "2,Oslo"}, {1, 3}},
        {"several breaks, blanks before the opening quote", {" \"a", "", "b\"", "c"}, 0, TextLayout::CommaDelimited,
         {" \"a\n\nb\"", "c"}, {1, 4}},
        {"a doubled quote does not close the field", {"\"say \"\"hi", "there\"\"\"", "next"}, 0,
         TextLayout::CommaDelimited, {"\"say \"\"hi\nthere\"\"\"", "next"}, {1, 3}},
        {"a quote inside a field opens nothing", {"5\" tape,x", "next"}, 0, TextLayout::CommaDelimited,
         {"5\" tape,x", "next"}, {1, 2}},
        {"a field closed then followed by text", {"\"12\" Ruler\",x", "next"}, 0, TextLayout::CommaDelimited,
         {"\"12\" Ruler\",x", "next"}, {1, 2}},
        {"a quote never closed is a stray quote", {"\"abc", "d", "e"}, 0, TextLayout::CommaDelimited,
         {"\"abc", "d", "e"}, {1, 2, 3}},
        {"the lines to skip are lines", {"\"Name\",\"City\"", "\"Ann\",\"a", "b\""}, 1, TextLayout::CommaDelimited,
         {"\"Ann\",\"a\nb\""}, {2}},
        {"the tab layout has no quotes", {"\"a\tb", "c\""}, 0, TextLayout::TabDelimited, {"\"a\tb", "c\""}, {1, 2}},
        {"nor has the fixed layout", {"\"a  b", "c\"  d"}, 0, TextLayout::FixedLength, {"\"a  b", "c\"  d"}, {1, 2}},
    };
    for (const auto& c : cases) {
        QList<int> numbers;
        EXPECT_EQ(DataRecords(c.lines, c.skip, c.layout, &numbers), c.records) << c.what;
        EXPECT_EQ(numbers, c.lineNumbers) << c.what;
    }
    // The joined record splits into its fields with the break kept.
    EXPECT_EQ(SplitDelimitedLine("1,\"Rue de\nla Paix\",x", TextLayout::CommaDelimited),
              (QStringList{"1", "Rue de\nla Paix", "x"}));
}

// --- files ---

class TextFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    void writeBytes(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes(const QString& file)
    {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

TEST_F(TextFileTest, WrittenAsUtf8WithoutByteOrderMarkAndCrLf)
{
    TextFileWriter w(path("out.txt"));
    ASSERT_TRUE(w.open());
    w.writeLine(QStringLiteral("Café"));
    w.writeLine(QStringLiteral("Straße"));
    ASSERT_TRUE(w.commit());
    EXPECT_EQ(bytes(path("out.txt")), QByteArray("Caf\xC3\xA9\r\nStra\xC3\x9F" "e\r\n"));
}

TEST_F(TextFileTest, AFailedWriteLeavesTheOldFileAlone)
{
    writeBytes(path("old.txt"), "old contents");
    {
        TextFileWriter w(path("old.txt"));
        ASSERT_TRUE(w.open());
        w.writeLine(QStringLiteral("new"));
        // Not committed: an export that failed half way.
    }
    EXPECT_EQ(bytes(path("old.txt")), QByteArray("old contents"));
    TextFileWriter intoDirectory(dir.path());
    EXPECT_FALSE(intoDirectory.open());
}

TEST_F(TextFileTest, ReadingDecodesEachKindOfFile)
{
    const struct {
        const char* what;
        QByteArray bytes;
        QStringList lines;
        TextEncoding encoding;
    } cases[] = {
        {"UTF-8", "Caf\xC3\xA9\r\n\xC3\xBC\r\n", {"Café", "ü"}, TextEncoding::Utf8},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" "abc\r\n", {"abc"}, TextEncoding::Utf8},
        {"Windows-1252 of an older export", "Caf\xE9\r\nStra\xDF" "e\r\n\x80 \x93q\x94", {"Café", "Straße", "€ “q”"},
         TextEncoding::Windows1252},
        {"UTF-16 with its byte order mark", QByteArray("\xFF\xFE", 2) + QByteArray("a\0\xE9\0\n\0", 6), {"aé"},
         TextEncoding::Utf16},
        {"line ends LF, CR and none at the end", "a\nb\rc\r\n\r\nd", {"a", "b", "c", "", "d"}, TextEncoding::Utf8},
    };
    for (const auto& c : cases) {
        writeBytes(path("in.txt"), c.bytes);
        const TextFileLines read = ReadTextFileLines(path("in.txt"));
        EXPECT_EQ(read.status, TextFileLines::Status::Ok) << c.what;
        EXPECT_EQ(read.lines, c.lines) << c.what;
        EXPECT_EQ(read.encoding, c.encoding) << c.what;
    }
}

TEST_F(TextFileTest, FilesThatCannotBeReadAsText)
{
    EXPECT_EQ(ReadTextFileLines(path("none.txt")).status, TextFileLines::Status::Missing);
    EXPECT_EQ(ReadTextFileLines(dir.path()).status, TextFileLines::Status::Missing);
    writeBytes(path("picture.jpg"), QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11));
    EXPECT_EQ(ReadTextFileLines(path("picture.jpg")).status, TextFileLines::Status::Binary);
    writeBytes(path("empty.txt"), QByteArray());
    const TextFileLines empty = ReadTextFileLines(path("empty.txt"));
    EXPECT_EQ(empty.status, TextFileLines::Status::Ok);
    EXPECT_TRUE(empty.lines.isEmpty());
}

TEST_F(TextFileTest, PipesAndDevicesAreRefusedWithoutWaiting)
{
    const QString fifo = path("pipe.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        const char* what;
        QString file;
    } cases[] = {
        {"a named pipe nobody writes to", fifo},
        {"a device", QStringLiteral("/dev/null")},
    };
    for (const auto& c : cases) {
        auto read = std::async(std::launch::async, [&c] { return ReadTextFileLines(c.file).status; });
        if (read.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            // Free the reader that waits for a writer before failing.
            QFile writer(c.file);
            writer.open(QIODevice::WriteOnly);
            writer.close();
            ADD_FAILURE() << c.what << ": the read waited";
        }
        EXPECT_EQ(read.get(), TextFileLines::Status::Unreadable) << c.what;
    }
}

TEST_F(TextFileTest, AwkwardValuesSurviveARoundTripInTheDelimitedLayouts)
{
    const QStringList values = {"He said \"hi\"", "Smith, John", "\"", "\"\"", ",", "5\" tape, 3\"",
                                "Café über Straße", "a \"b\", c", "plain"};
    for (const TextLayout layout : {TextLayout::CommaDelimited, TextLayout::TabDelimited}) {
        TextFileWriter w(path("trip.txt"));
        ASSERT_TRUE(w.open());
        for (const bool quoted : {true, false}) {
            QString line;
            for (int i = 0; i < values.size(); ++i)
                AppendValue(line, layout, values[i], 10, quoted, i == 0);
            w.writeLine(line);
        }
        ASSERT_TRUE(w.commit());
        const TextFileLines read = ReadTextFileLines(path("trip.txt"));
        ASSERT_EQ(read.lines.size(), 2);
        for (const QString& line : read.lines)
            EXPECT_EQ(SplitDelimitedLine(line, layout), values) << TextLayoutName(layout).toStdString();
    }
}

}  // namespace
