#pragma once

#include <QString>
#include <QtGlobal>

class QFontMetrics;

namespace kv::common {

// Parameterised messages are built from a pattern holding "%s%" placeholders
// and one argument text in which the arguments are separated by tabs.

// Returns the text before the first tab and removes it and the tab from the
// list. Without a tab the whole list is returned and the list emptied.
QString NextTabField(QString& arguments);

// The text before the first separator, taken off the list with the
// separator; the whole list (then emptied) when there is none.
QString TakeFirstField(QString& list, QChar separator);

// The pattern with each "%s%" (any letter case) replaced in turn by the next
// argument. The search restarts at the beginning after each replacement, so
// a "%s%" inside an argument takes the following argument (or nothing once
// the arguments are used up). Surplus arguments are ignored.
QString FormatMessage(const QString& pattern, const QString& arguments);

// The same text, meant for a message box. The result is returned by value
// and has no length limit: a long text is never cut or written past a fixed
// buffer, and a second call never changes the result of the first.
QString FormatMessageZ(const QString& pattern, const QString& arguments);

// True when part occurs in text, ignoring letter case (both sides upper-cased).
// An empty part never occurs.
bool ContainsText(const QString& text, const QString& part);

// Replaces every occurrence of placeholder (any letter case) by value. The
// search goes on after each inserted value, so a value that itself contains
// the placeholder is inserted as it is and the loop always ends. An empty
// placeholder changes nothing.
void ReplaceAllText(QString& text, const QString& placeholder, const QString& value);

// Removes each occurrence of tag (any letter case) together with the name
// that follows it (letters A-Z and a-z, "-", "." and "_"). The names of all
// occurrences are joined in order; when that is not empty it is stored in
// name and true is returned. Otherwise name is left as it was.
bool TakeNameTag(QString& text, const QString& tag, QString& name);

// The same with the digits "0"-"9"; the joined digits are read as a decimal
// number. Tags and digits are removed from text in every case. When no digit
// followed any occurrence, or the digits make a number too large for a
// 64-bit integer, number is left as it was and false is returned; in the
// second case *outOfRange (when given) is set to true.
bool TakeNumberTag(QString& text, const QString& tag, qint64& number, bool* outOfRange = nullptr);

// The text with blanks put in front until its width on the canvas is at least
// width - 5 pixels: right-aligned in a column of that width with a 5-pixel
// margin. Stops early should a blank add no width.
QString PadLeftToWidth(int width, const QString& text, const QFontMetrics& metrics);

// A desktop date-time (days since 12/30/1899, time of day as the fraction)
// as the short date text, followed by a blank and the long time text when
// the time of day is not midnight ("03/15/2023", "03/15/2023 6:00:00 PM");
// "Not Available" for exactly 0 and for values that are not a date between
// the years 1 and 9999.
QString DateTimeOrNotAvailable(double value);

}  // namespace kv::common
