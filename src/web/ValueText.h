#pragma once

#include <QString>
#include <QStringList>

namespace kv::web {

// The text rules that shape template values. Dates are desktop dates: days
// since 12/30/1899 with the time of day as the fraction; 0 is no date.

// The name with its last word first: blanks trimmed at both ends, then the
// part after the last blank, a comma and the part before it ("John Henry
// Smith" gives "Smith,John Henry"). A name without a blank stays as it is.
QString LastNameFirst(const QString& name);

// Year of ref minus year of birth, one less while the birthday of ref's year
// is still to come (a birthday counts from its own day).
int WholeYears(double birth, double ref);

// An age as pages show it: "34  " (whole years), "5 Months ", "3 Weeks ",
// "0 Days ", each followed by "Deceased" when death is a date on or before
// ref (the age is then the age at death). Empty without a birth date or for
// a ref before the birth. Days, weeks and months are rounded to the nearest
// whole number, ties to even.
QString AgeText(double ref, double death, double birth);

// Month and day of the birth date in the given year (29 February becomes
// 28 February when that year has none), and in the current year.
double BirthdayInYear(double birth, int year);
double BirthdayThisYear(double birth);

// "MMDD" of the date ("0605" for 5 June); empty for no date.
QString BirthdaySortKey(double date);

// A memo as page text: no lines for a null or empty memo, otherwise one line
// made of every line of the memo (split at CR LF, CR or LF) followed by
// "<Br>". The memo is taken as HTML and not escaped.
QStringList MemoToHtml(const QString& memo);

// The value a placeholder gives for memo lines: the line and CR LF, or empty.
QString CommentsValue(const QStringList& lines);

// A mail link for an address, <A HREF="MailTo:x">x</A>, the address
// HTML-escaped in both places; empty for an empty address.
QString EmailLink(const QString& address);

// A web link for an address: "http://" is put in front of the link unless
// the address begins with "HTTP" in any letter case; the visible text is the
// address as stored. The address is HTML-escaped in both places; empty for
// an empty address.
QString WebPageLink(const QString& address);

// A zip code without one trailing "-".
QString TrimZipCode(const QString& zip);

}  // namespace kv::web
