#include "reference/ExportData.h"

#include "common/DateText.h"
#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "data/EngineError.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "reference/FieldSpecs.h"
#include "reference/TextFiles.h"
#include "reference/TextLayouts.h"
#include "reference/TransferProgress.h"

#include <functional>
#include <vector>

namespace kv::reference {

using data::FieldType;
using data::Query;

namespace {

const QString kProgramDateFormat = QStringLiteral("MM-DD-YYYY");

// The column of a result field, looked up once for all rows. A field the
// query lacks raises the engine's own error.
int columnOf(const Query& query, const QString& field)
{
    const QStringList names = query.fieldNames();
    for (int c = 0; c < names.size(); ++c)
        if (names[c].compare(field, Qt::CaseInsensitive) == 0)
            return c;
    query.fieldValue(field);
    throw data::EngineError(QStringLiteral("Field '%1' not found.").arg(field));
}

struct ExportColumn {
    ExportFieldSpec spec;
    int column = -1;
    FieldType type = FieldType::Memo;
};

QString exportText(const QVariant& value, const ExportColumn& c, const QString& dateFormat)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (c.spec.isDate()) {
        const QDate date = data::valueDate(value);
        if (!date.isValid())
            return data::valueText(value);
        return common::ConvertDateText(kProgramDateFormat, dateFormat, common::ShortDateText(date));
    }
    if (c.type == FieldType::Logical)
        return data::valueBool(value, false) ? QStringLiteral("True") : QStringLiteral("False");
    return data::valueText(value);
}

using RowFilter = std::function<bool(const Query&)>;

bool exportRows(Query& query, const QString& layoutName, const QString& dateFormatName, bool header,
                const QStringList& chosenSpecs, const QString& fileName, TransferProgress* progress,
                const RowFilter& accept)
{
    const std::optional<TextLayout> layout = TextLayoutFromName(layoutName);
    if (!layout) {
        common::showError(common::FormatMessage(QStringLiteral("Error: Unknown Export Format %s%!"), layoutName));
        return false;
    }
    // Without a known date format, dates are written as the program writes them.
    const QString dateFormat =
        common::DateFormatNames().contains(dateFormatName) ? dateFormatName : kProgramDateFormat;

    TextFileWriter writer(fileName);
    if (!writer.open()) {
        common::showError(common::FormatMessage(QStringLiteral("Error: Could Not Create Export File %s%!"), fileName));
        return false;
    }
    try {
        std::vector<ExportColumn> columns;
        for (const QString& text : chosenSpecs) {
            ExportColumn c;
            c.spec = ExportFieldSpec::parse(text);
            c.column = columnOf(query, c.spec.resultField);
            c.type = query.fieldType(query.fieldNames().at(c.column));
            columns.push_back(c);
        }
        ProgressRun run(progress, QStringLiteral("Please Wait: Exporting Data"), query.recordCount());
        QString line;
        if (header) {
            for (size_t i = 0; i < columns.size(); ++i)
                AppendValue(line, *layout, columns[i].spec.label, columns[i].spec.width, true, i == 0);
            writer.writeLine(line);
        }
        for (; !query.eof(); query.next()) {
            run.step();
            if (accept && !accept(query))
                continue;
            line.clear();
            for (size_t i = 0; i < columns.size(); ++i) {
                const ExportColumn& c = columns[i];
                AppendValue(line, *layout, exportText(query.value(c.column), c, dateFormat), c.spec.width,
                            !c.spec.isInteger(), i == 0);
            }
            writer.writeLine(line);
        }
    } catch (const data::EngineError& e) {
        common::showError(e.message());
        return false;
    }
    if (!writer.commit()) {
        common::showError(common::FormatMessage(QStringLiteral("Error: Could Not Write Export File %s%!"), fileName));
        return false;
    }
    common::showInformation(common::FormatMessage(QStringLiteral("Export Compleated; Data Exported To: %s%"), fileName));
    return true;
}

}  // namespace

bool ExportDataSetToFile(Query& query, const QString& layout, const QString& dateFormat, bool header,
                         const QStringList& chosenSpecs, const QString& fileName, TransferProgress* progress)
{
    return exportRows(query, layout, dateFormat, header, chosenSpecs, fileName, progress, {});
}

bool ExportPicturesToFile(const data::TProgramDataForm& dm, Query& query, const QString& layout,
                          const QString& dateFormat, bool header, const QStringList& chosenSpecs,
                          const QString& fileName, TransferProgress* progress)
{
    int pictureColumn = -1;
    int ratingColumn = -1;
    try {
        pictureColumn = columnOf(query, QStringLiteral("PictureID"));
        ratingColumn = columnOf(query, QStringLiteral("RatingID"));
    } catch (const data::EngineError& e) {
        common::showError(e.message());
        return false;
    }
    const RowFilter accept = [&dm, pictureColumn, ratingColumn](const Query& q) {
        if (dm.ShowSearchResult) {
            const QVariant picture = q.value(pictureColumn);
            const bool hasPicture = picture.isValid() && !picture.isNull();
            if (!dm.SearchResult.contains(hasPicture ? data::valueText(picture) : QStringLiteral("-1")))
                return false;
        }
        return dm.PermittedRatings.contains(data::valueInteger(q.value(ratingColumn), -1));
    };
    return exportRows(query, layout, dateFormat, header, chosenSpecs, fileName, progress, accept);
}

QString PictureExportSelectList(const QString& windowSelectList)
{
    QString list = windowSelectList;
    if (!list.contains(QLatin1String("PictureID")))
        list += QStringLiteral(", PI.PictureID");
    if (!list.contains(QLatin1String("RatingID")))
        list += QStringLiteral(", PI.RatingID");
    return list;
}

QStringList PictureExportStatement(const QString& selectList)
{
    return {
        QStringLiteral("Select DISTINCT ") + selectList,
        QStringLiteral("From \"PictureInfo.db\" PI"),
        QStringLiteral("LEFT OUTER JOIN \"Place.db\" PL"),
        QStringLiteral("ON (PI.PlaceID = PL.PlaceID)"),
        QStringLiteral("LEFT OUTER JOIN \"Catagory.db\" C"),
        QStringLiteral("ON (PI.CatagoryID = C.CatagoryID)"),
        QStringLiteral("LEFT OUTER JOIN \"SubCatagory.db\" SC"),
        QStringLiteral("ON (PI.SubCatagoryID = SC.SubCatagoryID)"),
        QStringLiteral("LEFT OUTER JOIN \"Person.db\" PH"),
        QStringLiteral("ON (PI.PhotograherID = PH.PersonID)"),
        QStringLiteral("LEFT OUTER JOIN \"Rating.db\" R"),
        QStringLiteral("ON (PI.RatingID = R.RatingID)"),
        QStringLiteral("LEFT OUTER JOIN \"MediaType.db\" M"),
        QStringLiteral("ON (PI.MediaTypeID = M.MediaTypeID)"),
        QStringLiteral("LEFT OUTER JOIN \"StorageLocation.db\" SL"),
        QStringLiteral("ON (PI.StorageLocationID = SL.StorageLocationID)"),
        QStringLiteral("LEFT OUTER JOIN \"AlbumList.db\" AL"),
        QStringLiteral("ON (PI.PictureID = AL.AlbumPictureID)"),
        QStringLiteral("LEFT OUTER JOIN \"Album.db\" A"),
        QStringLiteral("ON (AL.AlbumID = A.AlbumID)"),
        QStringLiteral("LEFT OUTER JOIN \"PicturePeople.db\" PP"),
        QStringLiteral("ON (PI.PictureID = PP.PictureID)"),
        QStringLiteral("LEFT OUTER JOIN \"Person.db\" P"),
        QStringLiteral("ON (PP.PersonID = P.PersonID)"),
        QStringLiteral("LEFT OUTER JOIN \"PersonGroup.db\" PG"),
        QStringLiteral("ON (P.GroupType = PG.PersonGroupID)"),
    };
}

bool RunPictureExport(data::TProgramDataForm& dm, const QString& windowSelectList, const QString& layout,
                      const QString& dateFormat, bool header, const QStringList& chosenSpecs,
                      const QString& fileName, TransferProgress* progress)
{
    Query& query = dm.PersonQuery;
    // The found pictures are shown only while the export runs; the rows
    // are let go afterwards.
    struct Restore {
        data::TProgramDataForm& dm;
        ~Restore()
        {
            dm.ShowSearchResult = false;
            dm.PersonQuery.close();
        }
    } restore{dm};
    try {
        query.close();
        query.clearSql();
        for (const QString& line : PictureExportStatement(PictureExportSelectList(windowSelectList)))
            query.addLine(line);
        dm.ShowSearchResult = true;
        query.open();
        query.first();
        if (query.isEmpty()) {
            common::showError(QStringLiteral("Error: No Records Found To Export!"));
            return false;
        }
    } catch (const data::EngineError& e) {
        common::showError(e.message());
        return false;
    }
    return ExportPicturesToFile(dm, query, layout, dateFormat, header, chosenSpecs, fileName, progress);
}

}  // namespace kv::reference
