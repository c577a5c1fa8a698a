#include "data/FieldValue.h"

#include <cmath>
#include <limits>

namespace kv::data {

namespace {

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

bool isWholeNumber(double d)
{
    return std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 9.0e15;
}

}  // namespace

QString isoDate(const QDate& date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QString isoTimestamp(const QDateTime& dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QVariant valueForField(const QVariant& value, FieldType type, int width)
{
    if (isNull(value))
        return {};
    switch (type) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return QVariant::fromValue<qint64>(valueInteger(value, 0));
    case FieldType::Number: {
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            return {};
        return d;
    }
    case FieldType::Logical:
        return QVariant::fromValue<qint64>(valueBool(value, false) ? 1 : 0);
    case FieldType::Date: {
        const QDate d = valueDate(value);
        return d.isValid() ? QVariant(isoDate(d)) : QVariant();
    }
    case FieldType::Timestamp: {
        const QDateTime dt = valueDateTime(value);
        return dt.isValid() ? QVariant(isoTimestamp(dt)) : QVariant();
    }
    case FieldType::Alpha: {
        QString s = valueText(value);
        if (width > 0 && s.size() > width)
            s.truncate(width);
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case FieldType::Memo: {
        const QString s = valueText(value);
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    }
    return value;
}

QString valueText(const QVariant& value)
{
    if (isNull(value))
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (isWholeNumber(d))
            return QString::number(static_cast<qint64>(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return isoDate(value.toDate());
    case QMetaType::QDateTime:
        return isoTimestamp(value.toDateTime());
    default:
        return value.toString();
    }
}

qint64 valueInteger(const QVariant& value, qint64 defaultValue)
{
    if (isNull(value))
        return defaultValue;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18)
            return defaultValue;
        return static_cast<qint64>(std::llround(d));
    }
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    case QMetaType::QString: {
        bool ok = false;
        const QString s = value.toString().trimmed();
        const qint64 i = s.toLongLong(&ok);
        if (ok)
            return i;
        const double d = s.toDouble(&ok);
        if (ok && std::isfinite(d) && std::fabs(d) < 9.2e18)
            return static_cast<qint64>(std::llround(d));
        return defaultValue;
    }
    default: {
        bool ok = false;
        const qint64 i = value.toLongLong(&ok);
        return ok ? i : defaultValue;
    }
    }
}

double valueFloat(const QVariant& value, double defaultValue)
{
    if (isNull(value))
        return defaultValue;
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? d : defaultValue;
}

bool valueBool(const QVariant& value, bool defaultValue)
{
    if (isNull(value))
        return defaultValue;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QString: {
        const QString s = value.toString().trimmed().toUpper();
        if (s == u"TRUE" || s == u"T" || s == u"YES" || s == u"Y")
            return true;
        if (s == u"FALSE" || s == u"F" || s == u"NO" || s == u"N" || s.isEmpty())
            return false;
        bool ok = false;
        const double d = s.toDouble(&ok);
        return ok ? d != 0.0 : defaultValue;
    }
    default:
        return value.toDouble() != 0.0;
    }
}

QDate valueDate(const QVariant& value)
{
    if (isNull(value))
        return {};
    if (value.typeId() == QMetaType::QDate)
        return value.toDate();
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime().date();
    const QString s = value.toString().trimmed();
    QDate d = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        d = QDate::fromString(s, QStringLiteral("MM/dd/yyyy"));
    if (!d.isValid())
        d = QDate::fromString(s, QStringLiteral("M/d/yyyy"));
    return d;
}

QDateTime valueDateTime(const QVariant& value)
{
    if (isNull(value))
        return {};
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString s = value.toString().trimmed();
    QDateTime dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    if (!dt.isValid()) {
        const QDate d = valueDate(value);
        if (d.isValid())
            dt = d.startOfDay();
    }
    return dt;
}

}  // namespace kv::data
