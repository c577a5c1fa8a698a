#pragma once

#include "data/FieldType.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace kv::data {

// What tables and queries have in common: a current row, navigation and
// field access by name. Bound controls and readers work on this.
class DataSet : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    using QObject::QObject;

    virtual void open() = 0;
    virtual void close() = 0;
    bool active() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    virtual void first() = 0;
    virtual void next() = 0;
    virtual void prior() = 0;
    virtual void last() = 0;
    bool bof() const { return m_bof; }
    bool eof() const { return m_eof; }
    virtual bool isEmpty() const = 0;

    virtual QStringList fieldNames() const = 0;
    virtual bool hasField(const QString& name) const = 0;
    virtual FieldType fieldType(const QString& name) const = 0;
    // The current row's value (or the edited value while editing). Throws
    // EngineError for a field the data set does not have.
    virtual QVariant fieldValue(const QString& name) const = 0;
    bool isNull(const QString& name) const;

    // Edit support; queries are read-only and refuse these.
    virtual void setFieldValue(const QString& name, const QVariant& value);

signals:
    void dataSetChanged();  // opened, closed, refreshed, rows added or removed
    void scrolled();        // the current row moved
    void stateChanged();    // browse, edit, insert
    void fieldChanged(const QString& name);  // a field of the edited row was set

protected:
    void setState(State s);
    void setBofEof(bool bof, bool eof) { m_bof = bof; m_eof = eof; }

private:
    State m_state = State::Inactive;
    bool m_bof = true;
    bool m_eof = true;
};

// Connects bound controls and detail tables to a data set.
class DataSource : public QObject {
    Q_OBJECT
public:
    explicit DataSource(QObject* parent = nullptr)
        : QObject(parent)
    {
    }
    void setDataSet(DataSet* dataSet);
    DataSet* dataSet() const { return m_dataSet; }
    // A disabled source tells its controls nothing (used during bulk work).
    void setEnabled(bool enabled);
    bool enabled() const { return m_enabled; }

signals:
    void dataChanged();   // anything about the data set changed
    void recordChanged(); // the current row moved or was reloaded
    void stateChanged();
    void fieldChanged(const QString& name);

private:
    DataSet* m_dataSet = nullptr;
    bool m_enabled = true;
    QList<QMetaObject::Connection> m_connections;
};

// Field readers with Null defaults: integer, text, boolean and float (dates
// read as days since 12/30/1899, as the desktop date type counts them).
qint64 readInteger(const DataSet& ds, const QString& field, qint64 defaultValue = -1);
QString readText(const DataSet& ds, const QString& field, const QString& defaultValue = QString());
bool readBool(const DataSet& ds, const QString& field, bool defaultValue = false);
double readFloat(const DataSet& ds, const QString& field, double defaultValue = 0.0);

}  // namespace kv::data
