// Date texts: the nine export/import formats, validity, the two-digit-year
// rule, month names and the program's short date text.
#include "common/DateText.h"

#include <gtest/gtest.h>

using namespace kv::common;

namespace {

std::string show(const QString& s)
{
    return '"' + s.toStdString() + '"';
}

QString currentYear()
{
    return QString::number(QDate::currentDate().year());
}

TEST(DateText, ConvertsBetweenFormats)
{
    const struct {
        const char* from;
        const char* to;
        const char* text;
        const char* expected;
    } cases[] = {
        // The program's own date text into every format.
        {"MM-DD-YYYY", "YYYYMMDD", "03/05/2004", "20040305"},
        {"MM-DD-YYYY", "YYYY-MM-DD", "03/05/2004", "2004/03/05"},
        {"MM-DD-YYYY", "YY-MM-DD", "03/05/2004", "04/03/05"},
        {"MM-DD-YYYY", "MM-DD-YYYY", "03/05/2004", "03/05/2004"},
        {"MM-DD-YYYY", "MM-DD-YY", "03/05/2004", "03/05/04"},
        {"MM-DD-YYYY", "YYMMDD", "03/05/2004", "040305"},
        {"MM-DD-YYYY", "MM-DD", "03/05/2004", "03/05"},
        {"MM-DD-YYYY", "DD-MMM-YY", "03/05/2004", "05 Mar 04"},
        {"MM-DD-YYYY", "DD-MMM-YYYY", "03/05/2004", "05 Mar 2004"},
        // Separators are never checked; one-digit parts are padded, the
        // second test seeing the text the first one produced.
        {"MM-DD-YYYY", "YYYYMMDD", "3-5-2004", "20040305"},
        {"MM-DD-YYYY", "YYYYMMDD", "12.31.1999", "19991231"},
        {"YYYY-MM-DD", "MM-DD-YYYY", "2004-3-15", "03/15/2004"},
        // A last part of one digit passes the padding test.
        {"YY-MM-DD", "YYYYMMDD", "04-3-5", "2004035"},
        // Two-digit years are widened.
        {"MM-DD-YY", "YYYYMMDD", "12-31-49", "20491231"},
        {"MM-DD-YY", "YYYYMMDD", "12-31-50", "19501231"},
        {"YYMMDD", "YYYY-MM-DD", "991231", "1999/12/31"},
        {"YY-MM-DD", "YYYYMMDD", "00-01-02", "20000102"},
        // Month abbreviations in any letter case; day padded.
        {"DD-MMM-YY", "MM-DD-YYYY", "5-mar-49", "03/05/2049"},
        {"DD-MMM-YY", "MM-DD-YYYY", "5-mar-50", "03/05/1950"},
        {"DD-MMM-YYYY", "YYYYMMDD", "15-Aug-1998", "19980815"},
        {"DD-MMM-YYYY", "YYYYMMDD", "01-DEC-2000", "20001201"},
        {"YYYYMMDD", "DD-MMM-YYYY", "20040305", "05 Mar 2004"},
        // An unknown abbreviation stays, upper-cased; a month that is not
        // 01-12 is written as it is.
        {"DD-MMM-YYYY", "YYYYMMDD", "15-Xyz-1998", "1998XYZ15"},
        {"MM-DD-YYYY", "DD-MMM-YYYY", "13/05/2004", "05 13 2004"},
        // Short and empty texts give short and empty parts.
        {"MM-DD-YYYY", "YYYYMMDD", "03/05/20", "200305"},
        {"MM-DD-YYYY", "YYYYMMDD", "", ""},
        {"YYYYMMDD", "MM-DD-YYYY", "2004", "//2004"},
        // Unknown format names: empty parts, empty output.
        {"DD.MM.YYYY", "MM-DD-YYYY", "05.03.2004", "//"},
        {"MM-DD-YYYY", "mm-dd-yyyy", "03/05/2004", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertDateText(QString::fromLatin1(c.from), QString::fromLatin1(c.to), QString::fromLatin1(c.text)),
                  QString::fromLatin1(c.expected))
            << c.from << " -> " << c.to << " of \"" << c.text << '"';
}

TEST(DateText, MonthAndDayTextsTakeTheCurrentYear)
{
    EXPECT_EQ(ConvertDateText(QStringLiteral("MM-DD"), QStringLiteral("MM-DD-YYYY"), QStringLiteral("3-05")),
              QStringLiteral("03/05/") + currentYear());
    EXPECT_EQ(ConvertDateText(QStringLiteral("MM-DD"), QStringLiteral("MM-DD-YYYY"), QStringLiteral("3-5")),
              QStringLiteral("03/5/") + currentYear());
    EXPECT_EQ(ConvertDateText(QStringLiteral("MM-DD"), QStringLiteral("YYMMDD"), QStringLiteral("12/31")),
              currentYear().mid(2) + QStringLiteral("1231"));
}

TEST(DateText, SplitsAndComposesParts)
{
    const struct {
        const char* format;
        const char* text;
        DateParts expected;
    } splits[] = {
        {"DD-MMM-YY", "5-mar-49", {"2049", "03", "05"}},
        {"DD-MMM-YYYY", "5-sept-2004", {"-200", "09", "05"}},
        {"DD-MMM-YYYY", "05-Sepx2004", {"2004", "09", "05"}},
        {"DD-MMM-YY", "05-Mai-04", {"2004", "MAI", "05"}},
        {"MM-DD-YYYY", "1/2", {"", "01", "2"}},
        {"YYYYMMDD", "2004030599", {"2004", "03", "05"}},
        {"Unknown", "03/05/2004", {"", "", ""}},
    };
    for (const auto& c : splits) {
        const DateParts p = SplitDateText(QString::fromLatin1(c.format), QString::fromLatin1(c.text));
        EXPECT_EQ(p.year, c.expected.year) << c.format << ' ' << c.text;
        EXPECT_EQ(p.month, c.expected.month) << c.format << ' ' << c.text;
        EXPECT_EQ(p.day, c.expected.day) << c.format << ' ' << c.text;
    }

    // Parts are written as they are: no padding, no check.
    EXPECT_EQ(ComposeDateText(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("2004"),
                              QStringLiteral("DD-MMM-YY")),
              QStringLiteral("2 1 04"));
    EXPECT_EQ(ComposeDateText(QStringLiteral("12"), QStringLiteral("31"), QStringLiteral("99"),
                              QStringLiteral("YYMMDD")),
              QStringLiteral("1231"));
    EXPECT_EQ(ComposeDateText(QStringLiteral("02"), QStringLiteral("30"), QStringLiteral("2004"),
                              QStringLiteral("DD-MMM-YYYY")),
              QStringLiteral("30 Feb 2004"));
    EXPECT_EQ(ComposeDateText(QStringLiteral("03"), QStringLiteral("05"), QStringLiteral("2004"), QString()),
              QString());
}

TEST(DateText, ValidityOfDateTexts)
{
    const struct {
        const char* format;
        const char* text;
        bool valid;
    } cases[] = {
        {"MM-DD-YYYY", "03/05/2004", true},
        {"MM-DD-YYYY", "3/5/2004", true},
        // Every year divisible by 4 has a 29 February.
        {"MM-DD-YYYY", "02/29/1900", true},
        {"MM-DD-YYYY", "02/29/2100", true},
        {"MM-DD-YYYY", "02/29/2004", true},
        {"MM-DD-YYYY", "02/29/2001", false},
        {"MM-DD-YYYY", "02/30/2004", false},
        {"MM-DD-YYYY", "01/01/1900", true},
        {"MM-DD-YYYY", "12/31/1899", false},
        {"MM-DD-YYYY", "13/01/2004", false},
        {"MM-DD-YYYY", "00/10/2004", false},
        {"MM-DD-YYYY", "04/31/2004", false},
        {"MM-DD-YYYY", "04/30/2004", true},
        {"MM-DD-YYYY", "10/00/2004", false},
        {"MM-DD-YYYY", "12/31/9999", true},
        // The empty date box mask, and other texts without a date.
        {"MM-DD-YYYY", "  /  /    ", false},
        {"MM-DD-YYYY", "", false},
        {"MM-DD-YYYY", "ab/cd/efgh", false},
        // Digits stop at the first non-digit; leading blanks are skipped.
        {"YYYYMMDD", "2004 3 5", true},
        {"YYYYMMDD", "20043x5x", true},
        {"YYYYMMDD", "20040229", true},
        {"DD-MMM-YYYY", "31-Dec-1999", true},
        {"DD-MMM-YYYY", "31-Foo-1999", false},
        {"DD-MMM-YY", "29-feb-00", true},
        {"Unknown", "03/05/2004", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidDateText(QString::fromLatin1(c.format), QString::fromLatin1(c.text)), c.valid)
            << c.format << " \"" << c.text << '"';

    EXPECT_TRUE(IsValidDate(65535, 12, 31));
    EXPECT_FALSE(IsValidDate(2004, 0, 1));
    EXPECT_FALSE(IsValidDate(2004, 13, 1));
    EXPECT_FALSE(IsValidDate(2004, 65535, 1));
    EXPECT_FALSE(IsValidDate(2004, 1, 0));
    EXPECT_FALSE(IsValidDate(2004, 1, 32));
}

TEST(DateText, TwoDigitYears)
{
    const struct {
        const char* yy;
        const char* full;
    } cases[] = {
        {"00", "2000"}, {"49", "2049"}, {"50", "1950"}, {"99", "1999"},
        // Compared as text with "50".
        {"4", "204"}, {"5", "205"}, {"5a", "195a"}, {"--", "20--"},
        // A missing year comes before "50" as well.
        {"", "20"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FullYear(QString::fromLatin1(c.yy)), QString::fromLatin1(c.full)) << '"' << c.yy << '"';
}

TEST(DateText, EveryShortDateTextReadsBackToItsDate)
{
    QList<QDate> dates{QDate(1, 1, 1),     QDate(999, 12, 31),  QDate(1752, 9, 14), QDate(1899, 12, 30),
                       QDate(1900, 3, 1),  QDate(2000, 2, 29),  QDate(2049, 12, 31), QDate(2050, 1, 1),
                       QDate(9999, 12, 31), QDate::currentDate()};
    for (QDate d(2003, 1, 1); d.year() < 2005; d = d.addDays(1))
        dates << d;
    for (const QDate& d : dates) {
        const QString text = ShortDateText(d);
        ASSERT_EQ(text.size(), 10) << show(text);
        EXPECT_TRUE(IsShortDateText(text)) << show(text);
        EXPECT_EQ(ReadShortDateText(text), d) << show(text);
    }
}

TEST(DateText, ShortDateTexts)
{
    const struct {
        const char* text;
        QDate date;  // invalid: not a short date text
    } cases[] = {
        {"03/05/2004", QDate(2004, 3, 5)},
        {"3/5/2004", QDate(2004, 3, 5)},
        {" 03/05/2004 ", QDate(2004, 3, 5)},
        {"03/05/49", QDate(2049, 3, 5)},
        {"03/05/50", QDate(1950, 3, 5)},
        {"02/29/2001", {}},
        {"02/29/1900", {}},
        {"13/01/2004", {}},
        {"00/01/2004", {}},
        {"  /  /    ", {}},
        {"", {}},
        {"03-05-2004", {}},
        {"03/05", {}},
        {"03/05/2004/1", {}},
        {"a3/05/2004", {}},
        {"03/05/200", {}},
        {"003/05/2004", {}},
        {"-3/05/2004", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadShortDateText(QString::fromLatin1(c.text)), c.date) << '"' << c.text << '"';
        EXPECT_EQ(IsShortDateText(QString::fromLatin1(c.text)), c.date.isValid()) << '"' << c.text << '"';
    }
}

TEST(DateText, DateBoxTextsGiveTheCalendarsStartingDay)
{
    const QDate fallback(2010, 6, 15);
    const QString mmddyyyy = QStringLiteral("MM-DD-YYYY");
    EXPECT_EQ(DateTextOr(mmddyyyy, QStringLiteral("03/05/2004"), fallback), QDate(2004, 3, 5));
    EXPECT_EQ(DateTextOr(mmddyyyy, QStringLiteral("  /  /    "), fallback), fallback);
    // Passes the validity test but is no day: the fallback, not an invalid date.
    EXPECT_EQ(DateTextOr(mmddyyyy, QStringLiteral("02/29/1900"), fallback), fallback);
    EXPECT_EQ(DateTextOr(QStringLiteral("DD-MMM-YYYY"), QStringLiteral("15-Aug-1998"), fallback), QDate(1998, 8, 15));

    EXPECT_EQ(ShortDateTextOr(QStringLiteral("03/05/2004"), fallback), QDate(2004, 3, 5));
    EXPECT_EQ(ShortDateTextOr(QString(), fallback), fallback);
    EXPECT_EQ(ShortDateTextOr(QStringLiteral("02/30/2004"), fallback), fallback);
}

TEST(DateText, MonthNames)
{
    const char* full[] = {"January", "Feburary", "March",     "April",   "May",      "June",
                          "July",    "August",   "September", "October", "November", "December"};
    const char* abbreviated[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m) {
        const QDate d(1999, m, 28);
        EXPECT_EQ(MonthName(d), QString::fromLatin1(full[m - 1])) << m;
        EXPECT_EQ(ShortMonthName(d), QString::fromLatin1(abbreviated[m - 1])) << m;
    }
    EXPECT_EQ(MonthName(QDate()), QString());
    EXPECT_EQ(ShortMonthName(QDate()), QString());
}

}  // namespace
