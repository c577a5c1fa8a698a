#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace kv::data {

// An ordered list of IDs as decimal texts that also answers "is this ID in
// it" at once: the search result and the permitted ratings, which the
// picture filter asks for every row it reads.
class IdList {
public:
    void clear();
    void append(const QString& id);
    void append(qint64 id) { append(QString::number(id)); }
    bool contains(const QString& id) const { return m_set.contains(id); }
    bool contains(qint64 id) const { return m_set.contains(QString::number(id)); }
    // Appends unless already there; true when appended.
    bool appendUnique(const QString& id);
    int size() const { return static_cast<int>(m_items.size()); }
    bool isEmpty() const { return m_items.isEmpty(); }
    const QString& at(int i) const { return m_items.at(i); }
    const QStringList& items() const { return m_items; }

private:
    QStringList m_items;
    QSet<QString> m_set;
};

}  // namespace kv::data
