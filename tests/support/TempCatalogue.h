#pragma once

#include "data/Database.h"
#include "data/ProgramDataForm.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <utility>

namespace kv::test {

// A new catalogue in a temporary directory, removed with the fixture.
class TempCatalogue {
public:
    TempCatalogue()
    {
        EXPECT_TRUE(m_dir.isValid());
        data::Database::create(m_dir.path());
    }
    QString path() const { return m_dir.path(); }
    std::unique_ptr<data::Database> open(bool readOnly = false) const { return data::Database::open(path(), readOnly); }

private:
    QTemporaryDir m_dir;
};

// A data module on a new catalogue with every table open.
struct OpenDataModule {
    TempCatalogue catalogue;
    data::TProgramDataForm dm;
    OpenDataModule()
    {
        dm.setDatabase(catalogue.open());
        dm.openTables(false);
    }
    data::Database& db() { return *dm.KestrelviewDatabase(); }
};

// Posts a new row with the values and returns its key (the first field).
inline qint64 addRow(data::Table& t, std::initializer_list<std::pair<const char*, QVariant>> values)
{
    EXPECT_TRUE(t.insert());
    for (const auto& [field, value] : values)
        t.setFieldValue(QString::fromLatin1(field), value);
    EXPECT_TRUE(t.post());
    return data::readInteger(t, t.fieldNames().first());
}

}  // namespace kv::test
