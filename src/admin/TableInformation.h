#pragma once

#include <QHash>
#include <QLocale>
#include <QString>

#include <vector>

namespace kv::data {
class Database;
class Table;
class TProgramDataForm;
}  // namespace kv::data

namespace kv::admin {

// One row of the "Database Information" window.
struct InformationRow {
    QString caption;
    qint64 records = 0;  // rows; files for the previews
    qint64 bytes = 0;
};

// The bytes of each table's pages together with those of its indexes, by
// upper-cased table name, from SQLite's page statistics (dbstat); empty
// when this SQLite has none.
QHash<QString, qint64> TablePageBytes(data::Database& db);

// One row per catalogue table in the list's order (its data module table's
// row count and its pages), then "Previews": the preview files and their
// bytes. The counts are of every row only while the master links are
// released (DetachedMasterLinks).
std::vector<InformationRow> CollectInformation(data::TProgramDataForm& dm);

// "1,234" with the locale's thousands separator, no decimals.
QString RecordsText(qint64 records, const QLocale& locale = QLocale());
// The bytes in thousands, rounded, with thousands separators, and
// " K Bytes": 1,234,567 bytes give "1,235 K Bytes"; 499 give "0 K Bytes".
QString KBytesText(qint64 bytes, const QLocale& locale = QLocale());

// The master-detail links of the data module released for the life of the
// scope, so that every detail table holds all its rows; restored on every
// way out.
class DetachedMasterLinks {
public:
    explicit DetachedMasterLinks(data::TProgramDataForm& dm);
    ~DetachedMasterLinks();
    DetachedMasterLinks(const DetachedMasterLinks&) = delete;
    DetachedMasterLinks& operator=(const DetachedMasterLinks&) = delete;

private:
    void reattach();
    std::vector<data::Table*> m_detached;
};

}  // namespace kv::admin
