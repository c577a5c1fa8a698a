#include "reference/ReassignReferences.h"

#include "data/ErrorDisplay.h"
#include "data/ProgramDataForm.h"

namespace kv::reference {

namespace {

using DM = data::TProgramDataForm;

// A table another window may be editing is left as it is.
void refreshIfBrowsing(data::Table& table)
{
    if (table.active() && table.state() == data::DataSet::State::Browse)
        table.refresh();
}

const ReassignFamily kFamilies[] = {
    {.kind = ReassignKind::Rating,
     .className = QStringLiteral("TMoveRatingForm"),
     .caption = QStringLiteral("Move Rating"),
     .tableFile = QStringLiteral("Rating.db"),
     .idField = QStringLiteral("RatingID"),
     .descriptionField = QStringLiteral("RatingDescription"),
     .table = [](DM& dm) -> data::Table& { return dm.RatingTable; },
     .query = [](DM& dm) -> data::Query& { return dm.RatingQuery; },
     .helpContext = 2015,
     .positionKey = QStringLiteral("Move Rating"),
     .noSelectionText = QStringLiteral("You have not selected a new rating code!"),
     .moveQuestion = QStringLiteral("Are you sure you want to move this Rating?"),
     .moveConfirmation = QStringLiteral("Rating Moved."),
     .deleteQuestion = QStringLiteral("Are you sure you want to delete this Rating?"),
     .deleteConfirmation = QStringLiteral("Rating Deleted."),
     .closingText = QStringLiteral("Please Either Move The Rating Or Delete The Rating By Clicking On The \"Move\" or "
                                   "\"Delete\" Button!"),
     .replace =
         [](DM& dm, qint64 oldId, qint64 newId) {
             dm.ReplaceRatingInRatingLists(oldId, newId);
             dm.ReplaceRatingInPictures(oldId, newId);
             dm.ClearSettingsDefault(data::SettingsDefault::Rating, oldId, newId);
         },
     // The logged-on user's permitted ratings are read at logon only: read
     // again, so that he goes on seeing the pictures that moved.
     .refresh =
         [](DM& dm) {
             dm.LoadPermittedRatings();
             refreshIfBrowsing(dm.RatingListTable);
             refreshIfBrowsing(dm.PictureInfoTable);
         }},
    {.kind = ReassignKind::PersonGroup,
     .className = QStringLiteral("TMoveGroupForm"),
     .caption = QStringLiteral("Move Group"),
     .tableFile = QStringLiteral("PersonGroup.db"),
     .idField = QStringLiteral("PersonGroupID"),
     .descriptionField = QStringLiteral("PersonGroupDescription"),
     .table = [](DM& dm) -> data::Table& { return dm.PersonGroupTable; },
     .query = [](DM& dm) -> data::Query& { return dm.PersonGroupQuery; },
     .helpContext = 2920,
     .positionKey = QStringLiteral("Move Group"),
     .noSelectionText = QStringLiteral("You have not selected a new group code!"),
     .moveQuestion = QStringLiteral("Are you sure you want to move this group?"),
     .moveConfirmation = QStringLiteral("Group Moved."),
     .deleteQuestion = QStringLiteral("Are you sure you want to delete this group?"),
     .deleteConfirmation = QStringLiteral("Group Deleted."),
     .closingText = QStringLiteral("Please Either Move The Group Or Delete The Group By Clicking on the \"Move\" or "
                                   "\"Delete\" Button!"),
     .replace = [](DM& dm, qint64 oldId, qint64 newId) { dm.ReplaceGroupInPersons(oldId, newId); },
     .refresh = [](DM& dm) { refreshIfBrowsing(dm.PersonTable); }},
};

// Runs a select on the family's query and returns its rows' two columns.
std::vector<std::pair<qint64, QString>> selectRows(data::Query& query, const QStringList& lines,
                                                   const QString& idField, const QString& descriptionField)
{
    query.openLines(lines);
    std::vector<std::pair<qint64, QString>> rows;
    for (query.first(); !query.eof(); query.next())
        rows.emplace_back(data::readInteger(query, idField), data::readText(query, descriptionField));
    query.close();
    query.unprepare();
    return rows;
}

}  // namespace

const ReassignFamily& reassignFamily(ReassignKind kind)
{
    for (const ReassignFamily& f : kFamilies)
        if (f.kind == kind)
            return f;
    return kFamilies[0];
}

std::vector<std::pair<qint64, QString>> ReassignTargets(DM& dm, const ReassignFamily& family, qint64 goingId)
{
    const QString id = family.idField;
    const QString description = family.descriptionField;
    return selectRows(family.query(dm),
                      {QStringLiteral("Select %1, %2 From \"%3\"").arg(id, description, family.tableFile),
                       QStringLiteral("Where %1 <> %2").arg(id).arg(goingId),
                       QStringLiteral("Order By %1, %2").arg(description, id)},
                      id, description);
}

void ReassignReferences(DM& dm, const ReassignFamily& family, qint64 oldId, qint64 newId)
{
    dm.InOneTransaction([&] {
        // Looked at under the write lock: no other workstation can delete the
        // row the references go to between this look and the move.
        if (newId >= 0 && selectRows(family.query(dm),
                                     {QStringLiteral("Select %1 From \"%2\"").arg(family.idField, family.tableFile),
                                      QStringLiteral("Where %1 = %2").arg(family.idField).arg(newId)},
                                     family.idField, family.idField)
                              .empty())
            throw data::EngineError(QStringList{QStringLiteral("Record was deleted by another user."),
                                                QStringLiteral("Table: %1").arg(family.tableFile)});
        // A row another workstation deleted meanwhile is not found; its
        // references are dealt with all the same.
        data::Table& table = family.table(dm);
        if (table.locate(family.idField, oldId))
            table.deleteRecord();
        family.replace(dm, oldId, newId);
    });
    data::RunWithErrorDisplay([&] { family.refresh(dm); });
}

}  // namespace kv::reference
