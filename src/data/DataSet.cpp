#include "data/DataSet.h"

#include "data/EngineError.h"
#include "data/FieldValue.h"

namespace kv::data {

bool DataSet::isNull(const QString& name) const
{
    const QVariant v = fieldValue(name);
    return !v.isValid() || v.isNull();
}

void DataSet::setFieldValue(const QString& name, const QVariant&)
{
    throw EngineError(QStringList{QStringLiteral("Cannot modify a read-only data set."),
                                  QStringLiteral("Field: %1").arg(name)});
}

void DataSet::setState(State s)
{
    if (m_state == s)
        return;
    m_state = s;
    emit stateChanged();
}

void DataSource::setDataSet(DataSet* dataSet)
{
    for (const auto& c : m_connections)
        disconnect(c);
    m_connections.clear();
    m_dataSet = dataSet;
    if (!dataSet)
        return;
    auto forward = [this](auto signal) {
        return [this, signal] {
            if (m_enabled)
                emit(this->*signal)();
        };
    };
    m_connections << connect(dataSet, &DataSet::dataSetChanged, this, forward(&DataSource::dataChanged));
    m_connections << connect(dataSet, &DataSet::dataSetChanged, this, forward(&DataSource::recordChanged));
    m_connections << connect(dataSet, &DataSet::scrolled, this, forward(&DataSource::recordChanged));
    m_connections << connect(dataSet, &DataSet::stateChanged, this, forward(&DataSource::stateChanged));
    m_connections << connect(dataSet, &DataSet::fieldChanged, this, [this](const QString& name) {
        if (m_enabled)
            emit fieldChanged(name);
    });
    m_connections << connect(dataSet, &QObject::destroyed, this, [this] { m_dataSet = nullptr; });
}

void DataSource::setEnabled(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    if (enabled) {
        emit dataChanged();
        emit recordChanged();
    }
}

qint64 readInteger(const DataSet& ds, const QString& field, qint64 defaultValue)
{
    return valueInteger(ds.fieldValue(field), defaultValue);
}

QString readText(const DataSet& ds, const QString& field, const QString& defaultValue)
{
    const QVariant v = ds.fieldValue(field);
    if (!v.isValid() || v.isNull())
        return defaultValue;
    return valueText(v);
}

bool readBool(const DataSet& ds, const QString& field, bool defaultValue)
{
    return valueBool(ds.fieldValue(field), defaultValue);
}

double readFloat(const DataSet& ds, const QString& field, double defaultValue)
{
    const QVariant v = ds.fieldValue(field);
    if (!v.isValid() || v.isNull())
        return defaultValue;
    if (isDateLike(ds.fieldType(field))) {
        static const QDate epoch(1899, 12, 30);
        const QDateTime dt = valueDateTime(v);
        if (!dt.isValid())
            return defaultValue;
        const double days = static_cast<double>(epoch.daysTo(dt.date()));
        return days + static_cast<double>(dt.time().msecsSinceStartOfDay()) / 86400000.0;
    }
    return valueFloat(v, defaultValue);
}

}  // namespace kv::data
