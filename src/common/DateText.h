#pragma once

#include <QDate>
#include <QTime>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kv::common {

// Date texts in the nine formats of the text export and import, the date
// validity test, the two-digit-year rule, month names and the program's
// short date text ("mm/dd/yyyy").
//
// A format is named by one of the texts below. The name gives the order of
// the parts; each part is read from fixed character positions of the input
// (the separators between them are never checked), and the output uses
// other separators than the name shows:
//
//   name           reads (year / month / day)   writes
//   "YYYY-MM-DD"   1-4   / 6-7 / 9-10           2004/03/05
//   "YY-MM-DD"     1-2*  / 4-5 / 7-8            04/03/05
//   "MM-DD-YYYY"   7-10  / 1-2 / 4-5            03/05/2004
//   "MM-DD-YY"     7-8*  / 1-2 / 4-5            03/05/04
//   "YYYYMMDD"     1-4   / 5-6 / 7-8            20040305
//   "YYMMDD"       1-2*  / 3-4 / 5-6            040305
//   "MM-DD"        today / 1-2 / 4-5            03/05
//   "DD-MMM-YY"    8-9*  / 4-6 / 1-2            05 Mar 04
//   "DD-MMM-YYYY"  8-11  / 4-6 / 1-2            05 Mar 2004
//
// (* a two-digit year, widened with FullYear.) Before reading, a one-digit
// leading part is padded with "0" (see SplitDateText). None of these
// functions fails on malformed input: missing parts read as empty texts and
// an unknown format name gives empty parts and an empty output.

// The nine format names, in the order above.
QStringList DateFormatNames();

struct DateParts {
    QString year;   // four digits when the text held them
    QString month;  // "01"-"12" for the month-abbreviation formats when known
    QString day;
};

// The year, month and day texts of text read in format.
// Zero-padding: at each padding position p of the format (for the dashed
// formats the start of each two-digit part, for "DD-MMM-*" the day only),
// when the characters at p and p+1 that the text has are not all digits, "0"
// is inserted before p; the second test sees the text the first produced
// (3-5-2004 as "MM-DD-YYYY" becomes 03-05-2004). A two-digit year is widened
// with FullYear; "MM-DD" takes the current year. A month abbreviation
// (any letter case) becomes "01"-"12"; any other month text of those formats
// stays, upper-cased.
DateParts SplitDateText(const QString& format, const QString& text);

// The output text of format for the parts, written as they are: no padding
// and no check. A two-digit year is the year without its first two
// characters; for "DD-MMM-*" a month "01"-"12" is written as its
// abbreviation.
QString ComposeDateText(const QString& month, const QString& day, const QString& year, const QString& format);

// text read in fromFormat and written in toFormat. The program's own date
// texts (03/05/2004) are read as "MM-DD-YYYY".
QString ConvertDateText(const QString& fromFormat, const QString& toFormat, const QString& text);

// Whether text read in format is a valid date by IsValidDate. Each part is
// read as a decimal number: leading blanks skipped, reading stops at the
// first non-digit, no digits read as 0.
bool IsValidDateText(const QString& format, const QString& text);

// True for years from 1900 and a day within the month. February has 29 days
// in every year divisible by 4 (1900 and 2100 included).
bool IsValidDate(quint16 year, quint16 month, quint16 day);

// The two-digit-year rule: "00"-"49" give 2000-2049, "50"-"99" 1950-1999.
// The first two characters are compared with "50" as text; what comes before
// it gets "20" in front, anything else "19". An empty text comes before
// "50", so a missing year reads as "20".
QString FullYear(const QString& twoDigitYear);

// The program's short date text, "mm/dd/yyyy".
QString ShortDateText(const QDate& date);

// The program's long time text, "h:mm:ss AM" (12-hour clock).
QString LongTimeText(const QTime& time);

// Desktop dates count days since 12/30/1899, the time of day as the
// fraction. The day of a desktop date (its whole part) and back.
QDate DesktopDate(double days);
double DesktopDays(const QDate& date);

// Reads a short date text: month and day of one or two digits, a year of two
// digits (widened with FullYear) or four, separated by "/", blanks around
// the text and its parts ignored. Anything else, or a day that does not
// exist, gives an invalid date. Every text ShortDateText writes for the
// years 1-9999 reads back to the same date.
QDate ReadShortDateText(const QString& text);

// Whether text reads as a date under the short date format.
bool IsShortDateText(const QString& text);

// The date a date box holds, for the calendar to start at:
// the text's date when IsValidDateText(format, text) holds and the text
// names a real day (02/29/1900 passes the test but is none), else fallback.
QDate DateTextOr(const QString& format, const QString& text, const QDate& fallback);
// The text's date when it is not empty and a short date text, else fallback.
QDate ShortDateTextOr(const QString& text, const QDate& fallback);

// "January", "Feburary", ... "December" (an empty text for an invalid date).
QString MonthName(const QDate& date);
// "Jan" ... "Dec" (an empty text for an invalid date).
QString ShortMonthName(const QDate& date);

}  // namespace kv::common
