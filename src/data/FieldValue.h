#pragma once

#include "data/FieldType.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace kv::data {

// Field values travel as QVariant: invalid (null) for Null, qint64 for
// integers and logicals, double for Number, QString for text, dates and
// timestamps (ISO text, as stored).

// The value converted for storage in a field of the given type. Text is cut
// to the field's width; an empty text becomes Null, as a blank field is.
QVariant valueForField(const QVariant& value, FieldType type, int width);

// Text of a value as the program prints it. A Number that holds a whole
// number prints without decimals ("12", never "12.0").
QString valueText(const QVariant& value);

// Whole-number reading of a value; Null gives the default.
qint64 valueInteger(const QVariant& value, qint64 defaultValue);
double valueFloat(const QVariant& value, double defaultValue);
bool valueBool(const QVariant& value, bool defaultValue);
QDate valueDate(const QVariant& value);
QDateTime valueDateTime(const QVariant& value);

QString isoDate(const QDate& date);
QString isoTimestamp(const QDateTime& dateTime);

}  // namespace kv::data
