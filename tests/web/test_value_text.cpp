// The text rules of template values: ages, names, birthdays, memos, links.
#include "support/QtPrinters.h"

#include "common/DateText.h"
#include "web/ValueText.h"

#include <QDate>

#include <gtest/gtest.h>

using namespace kv::web;

namespace {

double day(int y, int m, int d) { return kv::common::DesktopDays(QDate(y, m, d)); }

TEST(AgeText, UnitsRoundingDeathAndMissingDates)
{
    const double birth = day(2001, 1, 1);
    const struct {
        double ref;
        double death;
        double birth;
        const char* expected;
    } cases[] = {
        {day(2020, 1, 1), 0, 0, ""},
        {birth, 0, birth, "0 Days "},
        {birth - 1, 0, birth, ""},
        {birth + 6, 0, birth, "6 Days "},
        // Half a day is a tie: to the even neighbour, 2 and 4.
        {birth + 2.5, 0, birth, "2 Days "},
        {birth + 3.5, 0, birth, "4 Days "},
        {birth + 7, 0, birth, "1 Weeks "},
        {birth + 10, 0, birth, "1 Weeks "},
        {birth + 84, 0, birth, "12 Weeks "},
        {birth + 85, 0, birth, "3 Months "},
        {birth + 105, 0, birth, "4 Months "},
        {birth + 135, 0, birth, "4 Months "},
        {birth + 729, 0, birth, "24 Months "},
        {day(2003, 1, 1), 0, birth, "2  "},
        // A birthday counts from its own day.
        {day(2020, 12, 31), 0, birth, "19  "},
        {day(2021, 1, 1), 0, birth, "20  "},
        {day(2003, 2, 28), 0, day(2000, 2, 29), "2  "},
        {day(2003, 3, 1), 0, day(2000, 2, 29), "3  "},
        // Died before the reference date: the age at death.
        {day(2020, 1, 1), day(2000, 7, 1), day(1929, 3, 2), "71  Deceased"},
        {day(2000, 7, 1), day(2000, 7, 1), day(1929, 3, 2), "71  Deceased"},
        {day(2000, 1, 20), day(2000, 1, 1), day(1999, 12, 30), "2 Days Deceased"},
        // A death after the reference date is not yet known.
        {day(2000, 1, 1), day(2010, 1, 1), day(1929, 3, 2), "70  "},
        // Death before birth gives no age.
        {day(2020, 1, 1), day(1990, 1, 1), day(1991, 1, 1), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AgeText(c.ref, c.death, c.birth), QString::fromLatin1(c.expected))
            << QDate(1899, 12, 30).addDays(qint64(c.ref)).toString().toStdString();
}

TEST(BirthdayInYear, KeepsMonthAndDayAndMovesLeapDay)
{
    const struct {
        double birth;
        int year;
        double expected;
    } cases[] = {
        {day(1990, 6, 5), 2023, day(2023, 6, 5)},
        {day(2000, 2, 29), 2023, day(2023, 2, 28)},
        {day(2000, 2, 29), 2024, day(2024, 2, 29)},
        {day(2000, 2, 29), 2100, day(2100, 2, 28)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BirthdayInYear(c.birth, c.year), c.expected) << c.year;
    EXPECT_EQ(BirthdaySortKey(day(2004, 6, 5)), QStringLiteral("0605"));
    EXPECT_EQ(BirthdaySortKey(day(1950, 12, 31)), QStringLiteral("1231"));
    EXPECT_EQ(BirthdaySortKey(0), QString());
}

TEST(LastNameFirst, LastWordFirst)
{
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"John Henry Smith", "Smith,John Henry"},
        {"Mary Ann  Smith", "Smith,Mary Ann "},
        {"  Ann Lee \t", "Lee,Ann"},
        {"Tovan", "Tovan"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LastNameFirst(QString::fromLatin1(c.name)), QString::fromLatin1(c.expected)) << c.name;
}

TEST(MemoToHtml, OneLineWithABreakAfterEachMemoLine)
{
    const struct {
        const char* memo;
        QStringList expected;
    } cases[] = {
        {"", {}},
        {"Sand", {"Sand<Br>"}},
        {"a\r\nb\rc\nd", {"a<Br>b<Br>c<Br>d<Br>"}},
        {"a\n\nb\n", {"a<Br><Br>b<Br>"}},
        // Comments are HTML: nothing is escaped.
        {"<i>tea</i> & \"milk\"", {"<i>tea</i> & \"milk\"<Br>"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MemoToHtml(QString::fromLatin1(c.memo)), c.expected) << c.memo;
    EXPECT_EQ(CommentsValue({}), QString());
    EXPECT_EQ(CommentsValue({QStringLiteral("a<Br>")}), QStringLiteral("a<Br>\r\n"));
}

TEST(PersonLinks, AddressesAreEscapedAndWebAddressesGetAScheme)
{
    const struct {
        QString (*make)(const QString&);
        const char* address;
        const char* expected;
    } cases[] = {
        {EmailLink, "ann@x.org", R"(<A HREF="MailTo:ann@x.org">ann@x.org</A>)"},
        {EmailLink, R"(a"b@x)", R"(<A HREF="MailTo:a&quot;b@x">a&quot;b@x</A>)"},
        {EmailLink, "<b>@x", R"(<A HREF="MailTo:&lt;b&gt;@x">&lt;b&gt;@x</A>)"},
        {EmailLink, "", ""},
        {WebPageLink, "www.x", R"(<A HREF="http://www.x">www.x</A>)"},
        {WebPageLink, "HTTPS://X", R"(<A HREF="HTTPS://X">HTTPS://X</A>)"},
        {WebPageLink, "http://x.org/?a=1&b=2", R"(<A HREF="http://x.org/?a=1&amp;b=2">http://x.org/?a=1&amp;b=2</A>)"},
        // No script can be reached through the link: it stays an http address.
        {WebPageLink, "javascript:alert(1)", R"x(<A HREF="http://javascript:alert(1)">javascript:alert(1)</A>)x"},
        {WebPageLink, R"(x" onclick="y)", R"(<A HREF="http://x&quot; onclick=&quot;y">x&quot; onclick=&quot;y</A>)"},
        {WebPageLink, "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.make(QString::fromLatin1(c.address)), QString::fromLatin1(c.expected)) << c.address;
}

TEST(TrimZipCode, RemovesOneTrailingDash)
{
    EXPECT_EQ(TrimZipCode(QStringLiteral("12345-")), QStringLiteral("12345"));
    EXPECT_EQ(TrimZipCode(QStringLiteral("12345--")), QStringLiteral("12345-"));
    EXPECT_EQ(TrimZipCode(QStringLiteral("12345-6789")), QStringLiteral("12345-6789"));
    EXPECT_EQ(TrimZipCode(QString()), QString());
}

}  // namespace
