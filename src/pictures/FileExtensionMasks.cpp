#include "pictures/FileExtensionMasks.h"

#include "common/FileOperations.h"
#include "data/DataSet.h"
#include "data/ProgramDataForm.h"

#include <QStringList>

namespace kv::pictures {

namespace {

QString extensionsMask(data::TProgramDataForm& dm, bool videoOnly)
{
    data::Query& query = dm.FileExtensionsQuery;
    query.close();
    query.clearSql();
    query.addLine(QStringLiteral("Select FileExtensionDescription, IsVideoExtension"));
    query.addLine(QStringLiteral("From \"FileExtensions.db\""));
    query.prepare();
    query.open();
    QStringList masks;
    for (query.first(); !query.eof(); query.next()) {
        const QString description = data::readText(query, QStringLiteral("FileExtensionDescription"));
        if (description.isEmpty())
            continue;
        if (videoOnly && !data::readBool(query, QStringLiteral("IsVideoExtension"), false))
            continue;
        masks << QStringLiteral("*.") + description;
    }
    query.unprepare();
    query.close();
    return masks.join(QLatin1Char(';'));
}

}  // namespace

QString AllExtensionsMask(data::TProgramDataForm& dm) { return extensionsMask(dm, false); }

QString VideoExtensionsMask(data::TProgramDataForm& dm) { return extensionsMask(dm, true); }

bool IsVideoFile(data::TProgramDataForm& dm, const QString& fileName)
{
    return common::ExtensionInMasks(fileName, VideoExtensionsMask(dm));
}

}  // namespace kv::pictures
