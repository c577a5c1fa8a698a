#include "common/TextHelpers.h"

#include "common/DateText.h"

#include <QDate>
#include <QFontMetrics>
#include <QTime>

#include <cmath>

namespace kv::common {

namespace {

const QString kArgumentPlaceholder = QStringLiteral("%s%");

bool isNameChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || u == u'-' || u == u'.' || u == u'_';
}

bool isDigitChar(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

// Removes every occurrence of tag and the run of accepted characters after
// it, returning the runs joined. Each search starts at the beginning again;
// the text shrinks by the tag's length each time, so the loop ends.
template <typename Accept>
QString takeTagRuns(QString& text, const QString& tag, Accept accept)
{
    QString collected;
    if (tag.isEmpty())
        return collected;
    for (qsizetype at = text.indexOf(tag, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(tag, 0, Qt::CaseInsensitive)) {
        text.remove(at, tag.size());
        qsizetype end = at;
        while (end < text.size() && accept(text.at(end)))
            ++end;
        collected += QStringView(text).mid(at, end - at);
        text.remove(at, end - at);
    }
    return collected;
}

}  // namespace

QString TakeFirstField(QString& list, QChar separator)
{
    const qsizetype at = list.indexOf(separator);
    if (at < 0) {
        QString all = list;
        list.clear();
        return all;
    }
    QString field = list.left(at);
    list.remove(0, at + 1);
    return field;
}

QString NextTabField(QString& arguments) { return TakeFirstField(arguments, QLatin1Char('\t')); }

QString FormatMessage(const QString& pattern, const QString& arguments)
{
    QString text = pattern;
    QString rest = arguments;
    // Every pass either uses up an argument or shortens the text by three
    // characters, so the loop ends.
    for (qsizetype at = text.indexOf(kArgumentPlaceholder, 0, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(kArgumentPlaceholder, 0, Qt::CaseInsensitive)) {
        text.remove(at, kArgumentPlaceholder.size());
        text.insert(at, NextTabField(rest));
    }
    return text;
}

QString FormatMessageZ(const QString& pattern, const QString& arguments)
{
    return FormatMessage(pattern, arguments);
}

bool ContainsText(const QString& text, const QString& part)
{
    if (part.isEmpty())
        return false;
    return text.toUpper().contains(part.toUpper());
}

void ReplaceAllText(QString& text, const QString& placeholder, const QString& value)
{
    if (placeholder.isEmpty())
        return;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(placeholder, from, Qt::CaseInsensitive); at >= 0;
         at = text.indexOf(placeholder, from, Qt::CaseInsensitive)) {
        text.replace(at, placeholder.size(), value);
        from = at + value.size();
    }
}

bool TakeNameTag(QString& text, const QString& tag, QString& name)
{
    const QString collected = takeTagRuns(text, tag, isNameChar);
    if (collected.isEmpty())
        return false;
    name = collected;
    return true;
}

bool TakeNumberTag(QString& text, const QString& tag, qint64& number, bool* outOfRange)
{
    const QString digits = takeTagRuns(text, tag, isDigitChar);
    if (digits.isEmpty())
        return false;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok) {
        if (outOfRange)
            *outOfRange = true;
        return false;
    }
    number = value;
    return true;
}

QString PadLeftToWidth(int width, const QString& text, const QFontMetrics& metrics)
{
    QString padded = text;
    int current = metrics.horizontalAdvance(padded);
    while (current < width - 5) {
        padded.prepend(QLatin1Char(' '));
        const int wider = metrics.horizontalAdvance(padded);
        if (wider <= current)
            break;  // a blank without width would never reach the goal
        current = wider;
    }
    return padded;
}

QString DateTimeOrNotAvailable(double value)
{
    static const QString notAvailable = QStringLiteral("Not Available");
    // 01/01/0001 and the day after 12/31/9999 as desktop dates.
    constexpr double firstDay = -693593.0;
    constexpr double pastLastDay = 2958466.0;
    if (value == 0.0 || !std::isfinite(value) || value < firstDay || value >= pastLastDay)
        return notAvailable;

    // Before 12/30/1899 the whole part counts days backwards while the
    // fraction still counts the time of day forwards (-1.25 is 12/29/1899 6 AM).
    double whole = std::trunc(value);
    constexpr qint64 msPerDay = 86400000;
    qint64 ms = std::llround(std::fabs(value - whole) * static_cast<double>(msPerDay));
    if (ms >= msPerDay) {
        whole += 1.0;
        ms -= msPerDay;
    }
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    if (!date.isValid() || !time.isValid())
        return notAvailable;
    // Date and time are formatted apart so that no time zone can shift them.
    if (ms == 0)
        return ShortDateText(date);
    return ShortDateText(date) + QLatin1Char(' ') + LongTimeText(time);
}

}  // namespace kv::common
