#include "web/ValueText.h"

#include "common/DateText.h"

#include <QDate>
#include <QRegularExpression>

#include <cmath>

namespace kv::web {

using common::DesktopDate;
using common::DesktopDays;

namespace {

// Nearest whole number, a tie going to the even neighbour (2.5 -> 2).
double roundHalfEven(double x)
{
    const double below = std::floor(x);
    const double rest = x - below;
    if (rest > 0.5)
        return below + 1.0;
    if (rest < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1.0;
}

bool isBlank(QChar c) { return c.unicode() <= u' '; }

}  // namespace

QString LastNameFirst(const QString& name)
{
    qsizetype start = 0;
    qsizetype end = name.size();
    while (start < end && isBlank(name.at(start)))
        ++start;
    while (end > start && isBlank(name.at(end - 1)))
        --end;
    const QString trimmed = name.mid(start, end - start);
    const qsizetype blank = trimmed.lastIndexOf(QLatin1Char(' '));
    if (blank < 0)
        return trimmed;
    return trimmed.mid(blank + 1) + QLatin1Char(',') + trimmed.left(blank);
}

int WholeYears(double birth, double ref)
{
    const QDate b = DesktopDate(birth);
    const QDate r = DesktopDate(ref);
    if (!b.isValid() || !r.isValid())
        return 0;
    int years = r.year() - b.year();
    if (r.month() < b.month() || (r.month() == b.month() && r.day() < b.day()))
        --years;
    return years;
}

QString AgeText(double ref, double death, double birth)
{
    if (birth == 0.0)
        return {};
    QString suffix;
    if (death != 0.0 && death <= ref) {
        ref = death;
        suffix = QStringLiteral("Deceased");
    }
    const double days = ref - birth;
    double n = 0.0;
    const char* unit = "";
    if (days >= 730.0) {
        n = WholeYears(birth, ref);
    } else if (days > 84.0) {
        n = roundHalfEven(days / 30.0);
        unit = "Months";
    } else if (days > 6.0) {
        n = roundHalfEven(days / 7.0);
        unit = "Weeks";
    } else {
        n = roundHalfEven(days);
        unit = "Days";
    }
    if (n < 0.0 || !std::isfinite(n))
        return {};
    return QString::number(static_cast<qint64>(n)) + QLatin1Char(' ') + QLatin1String(unit) + QLatin1Char(' ') +
           suffix;
}

double BirthdayInYear(double birth, int year)
{
    const QDate b = DesktopDate(birth);
    if (!b.isValid())
        return 0.0;
    int day = b.day();
    if (b.month() == 2 && day == 29 && !QDate::isLeapYear(year))
        day = 28;
    return DesktopDays(QDate(year, b.month(), day));
}

double BirthdayThisYear(double birth) { return BirthdayInYear(birth, QDate::currentDate().year()); }

QString BirthdaySortKey(double date)
{
    const QDate d = DesktopDate(date);
    if (date == 0.0 || !d.isValid())
        return {};
    return QStringLiteral("%1%2").arg(d.month(), 2, 10, QLatin1Char('0')).arg(d.day(), 2, 10, QLatin1Char('0'));
}

QStringList MemoToHtml(const QString& memo)
{
    if (memo.isEmpty())
        return {};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = memo.split(lineBreak);
    // A break at the very end closes the last line; it starts no new one.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    QString html;
    for (const QString& line : lines)
        html += line + QStringLiteral("<Br>");
    return {html};
}

QString CommentsValue(const QStringList& lines)
{
    QString value;
    for (const QString& line : lines)
        value += line + QStringLiteral("\r\n");
    return value;
}

QString EmailLink(const QString& address)
{
    if (address.isEmpty())
        return {};
    const QString shown = address.toHtmlEscaped();
    return QStringLiteral("<A HREF=\"MailTo:") + shown + QStringLiteral("\">") + shown + QStringLiteral("</A>");
}

QString WebPageLink(const QString& address)
{
    if (address.isEmpty())
        return {};
    const bool hasScheme = address.left(4).toUpper() == QStringLiteral("HTTP");
    const QString shown = address.toHtmlEscaped();
    return QStringLiteral("<A HREF=\"") + (hasScheme ? QString() : QStringLiteral("http://")) + shown +
           QStringLiteral("\">") + shown + QStringLiteral("</A>");
}

QString TrimZipCode(const QString& zip)
{
    return zip.endsWith(QLatin1Char('-')) ? zip.chopped(1) : zip;
}

}  // namespace kv::web
