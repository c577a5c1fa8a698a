// Placeholder substitution and the text helpers of reports and web pages.
#include "TestApplication.h"

#include "common/TextHelpers.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <limits>

using namespace kv::common;

namespace {

struct TabCase {
    const char* list;
    const char* field;
    const char* rest;
};

TEST(NextTabField, TakesTheFieldBeforeTheFirstTab)
{
    const TabCase cases[] = {
        {"a\tb\tc", "a", "b\tc"},
        {"abc", "abc", ""},
        {"", "", ""},
        {"\tb", "", "b"},
        {"a\t", "a", ""},
    };
    for (const TabCase& c : cases) {
        QString list = QString::fromUtf8(c.list);
        EXPECT_EQ(NextTabField(list), QString::fromUtf8(c.field)) << c.list;
        EXPECT_EQ(list, QString::fromUtf8(c.rest)) << c.list;
    }
}

struct FormatCase {
    const char* pattern;
    const char* arguments;
    const char* expected;
};

TEST(FormatMessage, ReplacesEachPlaceholderInTurn)
{
    const FormatCase cases[] = {
        {"Error: The file: %s% already exists in the directory: %s% do you wish to overwrite it?",
         "beach.jpg\t/home/ann/Pictures",
         "Error: The file: beach.jpg already exists in the directory: /home/ann/Pictures do you wish to overwrite it?"},
        {"Clearing %s% Table.", "Users", "Clearing Users Table."},
        {"Clearing %s% Table.", "", "Clearing  Table."},
        {"Do you want to use %s% for the Rating?", "Good\tIgnored", "Do you want to use Good for the Rating?"},
        {"Nothing to replace here.", "a\tb", "Nothing to replace here."},
        {"Delete %S%?", "Bob", "Delete Bob?"},
        {"%s%-%s%-%s%", "a\t\tc", "a--c"},
        {"%s% and %s%", "only", "only and "},
        // The search restarts at the beginning: a placeholder inside an
        // argument takes the next argument, or nothing once they run out.
        {"A %s% B %s%", "x%s%y\tZ\tW", "A xZy B W"},
        {"[%s%]", "a%s%b", "[ab]"},
    };
    for (const FormatCase& c : cases) {
        const QString pattern = QString::fromUtf8(c.pattern);
        const QString arguments = QString::fromUtf8(c.arguments);
        EXPECT_EQ(FormatMessage(pattern, arguments), QString::fromUtf8(c.expected)) << c.pattern;
        EXPECT_EQ(FormatMessageZ(pattern, arguments), QString::fromUtf8(c.expected)) << c.pattern;
    }
}

TEST(FormatMessageZ, LongTextsComeBackWholeAndResultsStayApart)
{
    // Far more than the 990 characters a fixed message buffer would hold.
    const QString longName(5000, QLatin1Char('n'));
    const QString first = FormatMessageZ(QStringLiteral("File %s% is missing."), longName);
    const QString second = FormatMessageZ(QStringLiteral("Second %s%"), QStringLiteral("call"));
    EXPECT_EQ(first, QStringLiteral("File ") + longName + QStringLiteral(" is missing."));
    EXPECT_EQ(second, QStringLiteral("Second call"));
}

TEST(ContainsText, IgnoresCaseAndNeverFindsAnEmptyPart)
{
    const struct {
        const char* text;
        const char* part;
        bool expected;
    } cases[] = {
        {"Hello World", "world", true},
        {"MiXeD case", "xEd C", true},
        {"Hello", "", false},
        {"", "", false},
        {"abc", "abcd", false},
        {"Zürich", "ZÜR", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ContainsText(QString::fromUtf8(c.text), QString::fromUtf8(c.part)), c.expected)
            << c.text << " / " << c.part;
}

TEST(ReplaceAllText, ReplacesEveryOccurrenceInAnyCaseAndAlwaysEnds)
{
    const struct {
        const char* text;
        const char* placeholder;
        const char* value;
        const char* expected;
    } cases[] = {
        {"<img src=\"%PictureID%.jpg\">", "%PictureID%", "12", "<img src=\"12.jpg\">"},
        {"a %pictureid% b %PICTUREID%", "%PictureID%", "7", "a 7 b 7"},
        {"no placeholder", "%PictureID%", "7", "no placeholder"},
        {"a%X%b", "%X%", "", "ab"},
        {"abc", "", "z", "abc"},
        // Values holding the placeholder are inserted as they are.
        {"x %Name% y", "%Name%", "[%name%]", "x [%name%] y"},
        {"%N%%N%", "%N%", "%N%%N%", "%N%%N%%N%%N%"},
        {"%N%", "%N%", "%N", "%N"},
    };
    for (const auto& c : cases) {
        QString text = QString::fromUtf8(c.text);
        ReplaceAllText(text, QString::fromUtf8(c.placeholder), QString::fromUtf8(c.value));
        EXPECT_EQ(text, QString::fromUtf8(c.expected)) << c.text;
    }
}

struct TagCase {
    const char* text;
    const char* tag;
    bool found;
    const char* name;  // the output; "keep" when it must stay unchanged
    const char* rest;
};

TEST(TakeNameTag, RemovesTagsAndCollectsTheNamesAfterThem)
{
    const TagCase cases[] = {
        {"<a href=\"%IndexName%=album-index.html \">", "%IndexName%=", true, "album-index.html", "<a href=\" \">"},
        {"%indexname%=My_Page.htm", "%IndexName%=", true, "My_Page.htm", ""},
        {"%IndexName%=page2.html", "%IndexName%=", true, "page", "2.html"},
        {"%T%ab x %t%cd", "%T%", true, "abcd", " x "},
        {"x %T% y", "%T%", false, "keep", "x  y"},
        {"no tag here", "%T%", false, "keep", "no tag here"},
        {"empty tag", "", false, "keep", "empty tag"},
    };
    for (const TagCase& c : cases) {
        QString text = QString::fromUtf8(c.text);
        QString name = QStringLiteral("keep");
        EXPECT_EQ(TakeNameTag(text, QString::fromUtf8(c.tag), name), c.found) << c.text;
        EXPECT_EQ(name, QString::fromUtf8(c.name)) << c.text;
        EXPECT_EQ(text, QString::fromUtf8(c.rest)) << c.text;
    }
}

TEST(TakeNumberTag, RemovesTagsAndReadsTheDigitsAfterThem)
{
    constexpr qint64 keep = -5;
    const struct {
        QString text;
        bool found;
        qint64 number;
        bool outOfRange;
        QString rest;
    } cases[] = {
        {QStringLiteral("%PicturePreviewSize%=640 px"), true, 640, false, QStringLiteral(" px")},
        {QStringLiteral("%picturepreviewsize%=1%PicturePreviewSize%=23"), true, 123, false, QString()},
        {QStringLiteral("%PicturePreviewSize%=abc"), false, keep, false, QStringLiteral("abc")},
        {QStringLiteral("size unknown"), false, keep, false, QStringLiteral("size unknown")},
        {QStringLiteral("%PicturePreviewSize%=") + QString(30, QLatin1Char('0')) + QStringLiteral("42"), true, 42,
         false, QString()},
        {QStringLiteral("%PicturePreviewSize%=9223372036854775807"), true, std::numeric_limits<qint64>::max(), false,
         QString()},
        // One more than the largest 64-bit integer: refused, not wrapped.
        {QStringLiteral("%PicturePreviewSize%=9223372036854775808;"), false, keep, true, QStringLiteral(";")},
        {QStringLiteral("%PicturePreviewSize%=99999999999999999999999999"), false, keep, true, QString()},
    };
    for (const auto& c : cases) {
        QString text = c.text;
        qint64 number = keep;
        bool outOfRange = false;
        EXPECT_EQ(TakeNumberTag(text, QStringLiteral("%PicturePreviewSize%="), number, &outOfRange), c.found)
            << qPrintable(c.text);
        EXPECT_EQ(number, c.number) << qPrintable(c.text);
        EXPECT_EQ(outOfRange, c.outOfRange) << qPrintable(c.text);
        EXPECT_EQ(text, c.rest) << qPrintable(c.text);
    }

    // The report of an over-long number is optional.
    QString text = QStringLiteral("%N%123456789012345678901234567890");
    qint64 number = keep;
    EXPECT_FALSE(TakeNumberTag(text, QStringLiteral("%N%"), number));
    EXPECT_EQ(number, keep);
}

TEST(PadLeftToWidth, RightAlignsWithTheFewestBlanks)
{
    kv::test::testApplication<QGuiApplication>();
    const QFontMetrics metrics{QFont()};
    const QString text = QStringLiteral("1,234 pictures");
    const int textWidth = metrics.horizontalAdvance(text);

    for (int width : {textWidth + 60, textWidth + 6, textWidth + 200}) {
        const QString padded = PadLeftToWidth(width, text, metrics);
        ASSERT_TRUE(padded.endsWith(text));
        EXPECT_EQ(padded.left(padded.size() - text.size()).count(QLatin1Char(' ')), padded.size() - text.size());
        EXPECT_GE(metrics.horizontalAdvance(padded), width - 5) << width;
        // One blank less would fall short.
        EXPECT_LT(metrics.horizontalAdvance(padded.mid(1)), width - 5) << width;
    }
    for (int width : {0, 5, textWidth + 5, textWidth - 20})
        EXPECT_EQ(PadLeftToWidth(width, text, metrics), text) << width;
}

TEST(DateTimeOrNotAvailable, ShowsDesktopDatesOrNotAvailable)
{
    const struct {
        double value;
        const char* expected;
    } cases[] = {
        {0.0, "Not Available"},
        // At midnight the date stands alone.
        {2.0, "01/01/1900"},
        {-1.0, "12/29/1899"},
        {36526.0 + 1.0 / 86400.0, "01/01/2000 12:00:01 AM"},
        {36526.5, "01/01/2000 12:00:00 PM"},
        {45000.75, "03/15/2023 6:00:00 PM"},
        {36526.0 + (13 * 3600 + 14 * 60 + 15) / 86400.0, "01/01/2000 1:14:15 PM"},
        // A hair before midnight rounds into the next day, not to 24:00.
        {36526.0 + (86400000.0 - 0.4) / 86400000.0, "01/02/2000"},
        // Before 12/30/1899 the days count back but the time still forward.
        {-1.25, "12/29/1899 6:00:00 AM"},
        {-0.5, "12/30/1899 12:00:00 PM"},
        {std::numeric_limits<double>::quiet_NaN(), "Not Available"},
        {1e300, "Not Available"},
        {-1e9, "Not Available"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DateTimeOrNotAvailable(c.value), QString::fromUtf8(c.expected)) << c.value;
}

}  // namespace
