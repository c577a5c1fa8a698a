#include "common/DateText.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kv::common {

namespace {

// Where a format reads its parts (character positions from 1, as in the
// format table of the header) and which positions get zero-padding.
struct DateFormat {
    const char* name;
    int yearPos;  // 0: the current year
    int yearLen;  // 2: widened with FullYear
    int monthPos;
    int monthLen;  // 3: a month abbreviation
    int dayPos;
    std::array<int, 2> padding;  // 0: none
};

const std::array<DateFormat, 9> kFormats{{
    {"YYYY-MM-DD", 1, 4, 6, 2, 9, {6, 9}},
    {"YY-MM-DD", 1, 2, 4, 2, 7, {4, 7}},
    {"MM-DD-YYYY", 7, 4, 1, 2, 4, {1, 4}},
    {"MM-DD-YY", 7, 2, 1, 2, 4, {1, 4}},
    {"YYYYMMDD", 1, 4, 5, 2, 7, {}},
    {"YYMMDD", 1, 2, 3, 2, 5, {}},
    {"MM-DD", 0, 0, 1, 2, 4, {1, 4}},
    {"DD-MMM-YY", 8, 2, 4, 3, 1, {1}},
    {"DD-MMM-YYYY", 8, 4, 4, 3, 1, {1}},
}};

const std::array<const char*, 12> kMonthNames{"January", "Feburary", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};
const std::array<const char*, 12> kShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const DateFormat* findFormat(const QString& name)
{
    for (const DateFormat& f : kFormats)
        if (name == QLatin1String(f.name))
            return &f;
    return nullptr;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The characters from position pos (from 1) on, as many of count as the
// text has.
QString copyText(const QString& text, int pos, int count)
{
    if (pos < 1 || pos > text.size())
        return {};
    return text.mid(pos - 1, count);
}

QString monthNumberOfAbbreviation(const QString& upperText)
{
    for (int i = 0; i < 12; ++i)
        if (upperText == QString::fromLatin1(kShortMonthNames[static_cast<std::size_t>(i)]).toUpper())
            return QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
    return upperText;
}

QString abbreviationOfMonthNumber(const QString& month)
{
    if (month.size() != 2 || !isDigit(month[0]) || !isDigit(month[1]))
        return month;
    const int m = month.toInt();
    if (m < 1 || m > 12)
        return month;
    return QLatin1String(kShortMonthNames[static_cast<std::size_t>(m - 1)]);
}

// A decimal number read from the start of text: leading blanks skipped,
// reading stops at the first non-digit, no digits give 0.
quint16 leadingNumber(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    unsigned value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = value * 10 + static_cast<unsigned>(text[i].unicode() - '0');
    // The parts read here have at most four digits.
    return static_cast<quint16>(value);
}

}  // namespace

QStringList DateFormatNames()
{
    QStringList names;
    for (const DateFormat& f : kFormats)
        names << QLatin1String(f.name);
    return names;
}

DateParts SplitDateText(const QString& format, const QString& text)
{
    DateParts parts;
    const DateFormat* f = findFormat(format);
    if (!f)
        return parts;

    QString t = text;
    for (const int p : f->padding) {
        if (p == 0)
            continue;
        const QString two = copyText(t, p, 2);
        const bool digits = std::all_of(two.begin(), two.end(), isDigit);
        if (!digits)
            t.insert(p - 1, QLatin1Char('0'));
    }

    parts.month = copyText(t, f->monthPos, f->monthLen);
    parts.day = copyText(t, f->dayPos, 2);
    if (f->yearPos == 0)
        parts.year = QStringLiteral("%1").arg(QDate::currentDate().year(), 4, 10, QLatin1Char('0'));
    else if (f->yearLen == 2)
        parts.year = FullYear(copyText(t, f->yearPos, 2));
    else
        parts.year = copyText(t, f->yearPos, f->yearLen);
    if (f->monthLen == 3)
        parts.month = monthNumberOfAbbreviation(parts.month.toUpper());
    return parts;
}

QString ComposeDateText(const QString& month, const QString& day, const QString& year, const QString& format)
{
    const DateFormat* f = findFormat(format);
    if (!f)
        return {};
    const QString yy = year.mid(2);
    const QString slash = QStringLiteral("/");
    const QString blank = QStringLiteral(" ");
    const QString name = QLatin1String(f->name);
    if (name == u"YYYY-MM-DD")
        return year + slash + month + slash + day;
    if (name == u"YY-MM-DD")
        return yy + slash + month + slash + day;
    if (name == u"MM-DD-YYYY")
        return month + slash + day + slash + year;
    if (name == u"MM-DD-YY")
        return month + slash + day + slash + yy;
    if (name == u"YYYYMMDD")
        return year + month + day;
    if (name == u"YYMMDD")
        return yy + month + day;
    if (name == u"MM-DD")
        return month + slash + day;
    if (name == u"DD-MMM-YY")
        return day + blank + abbreviationOfMonthNumber(month) + blank + yy;
    return day + blank + abbreviationOfMonthNumber(month) + blank + year;  // "DD-MMM-YYYY"
}

QString ConvertDateText(const QString& fromFormat, const QString& toFormat, const QString& text)
{
    const DateParts p = SplitDateText(fromFormat, text);
    return ComposeDateText(p.month, p.day, p.year, toFormat);
}

bool IsValidDateText(const QString& format, const QString& text)
{
    const QString t = ConvertDateText(format, QStringLiteral("YYYYMMDD"), text);
    return IsValidDate(leadingNumber(t.mid(0, 4)), leadingNumber(t.mid(4, 2)), leadingNumber(t.mid(6, 2)));
}

bool IsValidDate(quint16 year, quint16 month, quint16 day)
{
    if (year < 1900 || month < 1 || month > 12)
        return false;
    static const std::array<quint16, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    quint16 days = kDays[month - 1u];
    if (month == 2 && year % 4 == 0)
        days = 29;
    return day >= 1 && day <= days;
}

QString FullYear(const QString& twoDigitYear)
{
    const bool before50 = QStringView(twoDigitYear).left(2).compare(u"50", Qt::CaseSensitive) < 0;
    return (before50 ? QStringLiteral("20") : QStringLiteral("19")) + twoDigitYear;
}

QString ShortDateText(const QDate& date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString LongTimeText(const QTime& time)
{
    return time.toString(QStringLiteral("h:mm:ss AP"));
}

namespace {
const QDate kDesktopEpoch(1899, 12, 30);
}

QDate DesktopDate(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > 3.0e6)
        return {};
    return kDesktopEpoch.addDays(static_cast<qint64>(std::trunc(days)));
}

double DesktopDays(const QDate& date)
{
    return date.isValid() ? static_cast<double>(kDesktopEpoch.daysTo(date)) : 0.0;
}

QDate ReadShortDateText(const QString& text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 3)
        return {};
    QString fields[3];
    for (int i = 0; i < 3; ++i) {
        fields[i] = parts[i].trimmed();
        if (fields[i].isEmpty() || !std::all_of(fields[i].begin(), fields[i].end(), isDigit))
            return {};
    }
    const QString& month = fields[0];
    const QString& day = fields[1];
    QString year = fields[2];
    if (month.size() > 2 || day.size() > 2 || (year.size() != 2 && year.size() != 4))
        return {};
    if (year.size() == 2)
        year = FullYear(year);
    return QDate(year.toInt(), month.toInt(), day.toInt());
}

bool IsShortDateText(const QString& text)
{
    return ReadShortDateText(text).isValid();
}

QDate DateTextOr(const QString& format, const QString& text, const QDate& fallback)
{
    if (!IsValidDateText(format, text))
        return fallback;
    const QString t = ConvertDateText(format, QStringLiteral("YYYYMMDD"), text);
    const QDate d(leadingNumber(t.mid(0, 4)), leadingNumber(t.mid(4, 2)), leadingNumber(t.mid(6, 2)));
    return d.isValid() ? d : fallback;
}

QDate ShortDateTextOr(const QString& text, const QDate& fallback)
{
    if (text.isEmpty())
        return fallback;
    const QDate d = ReadShortDateText(text);
    return d.isValid() ? d : fallback;
}

QString MonthName(const QDate& date)
{
    if (!date.isValid())
        return {};
    return QLatin1String(kMonthNames[static_cast<std::size_t>(date.month() - 1)]);
}

QString ShortMonthName(const QDate& date)
{
    if (!date.isValid())
        return {};
    return QLatin1String(kShortMonthNames[static_cast<std::size_t>(date.month() - 1)]);
}

}  // namespace kv::common
