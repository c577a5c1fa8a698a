#include "search/QueryBuilder.h"

#include "common/TextHelpers.h"
#include "data/EngineError.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/StatusNotice.h"
#include "data/localsql/LocalSqlAdapter.h"
#include "data/localsql/LocalSqlTokenizer.h"

namespace kv::search {

using data::IdList;
using data::Query;
using data::QueryScope;
using data::TProgramDataForm;

namespace {

const QString kSearching = QStringLiteral("Please Wait: Searching Database!");

enum class Duplicates { Keep, Skip };

// Appends the field of every row to the list in row order, Nulls left out.
// The column is looked up once, not per row: a search may return a row for
// every picture. Returns the number of rows read.
int appendRows(Query& query, const QString& field, IdList& list, Duplicates duplicates)
{
    const QStringList names = query.fieldNames();
    int column = -1;
    for (int c = 0; c < names.size() && column < 0; ++c)
        if (names[c].compare(field, Qt::CaseInsensitive) == 0)
            column = c;
    if (column < 0)
        query.fieldValue(field);  // raises the engine's "field not found"
    int rows = 0;
    for (query.first(); !query.eof(); query.next()) {
        ++rows;
        const QVariant v = query.value(column);
        if (!v.isValid() || v.isNull())
            continue;
        if (duplicates == Duplicates::Skip)
            list.appendUnique(data::valueText(v));
        else
            list.append(data::valueText(v));
    }
    return rows;
}

// Runs a statement that fills the search result. The result is cleared
// first and stays empty when the engine refuses the statement.
int fillSearchResult(TProgramDataForm& dm, const QStringList& lines, const QString& field, Duplicates duplicates)
{
    Query& query = dm.PictureInfoQuery;
    QueryScope scope(query);
    dm.SearchResult.clear();
    try {
        query.openLines(lines);
        return appendRows(query, field, dm.SearchResult, duplicates);
    } catch (...) {
        dm.SearchResult.clear();
        throw;
    }
}

QString restrictionLine(const TProgramDataForm& dm)
{
    return QStringLiteral("And (") + RatingRestriction(dm) + QStringLiteral(")");
}

const QString kPictureId = QStringLiteral("PictureID");

// The condition lines must nest within themselves: a ")" closing more than
// they opened would end the pair that encloses them, and an "Or" after it
// would reach past the rating restriction. Refused like any statement the
// engine cannot read.
void requireNestedConditions(const QStringList& conditions)
{
    try {
        data::localsql::tokenizeLocalSql(conditions.join(QLatin1Char('\n')));
    } catch (const data::LocalSqlError& e) {
        throw data::EngineError(QStringList{QString::fromUtf8(e.what())});
    }
}

}  // namespace

QString RatingRestriction(const TProgramDataForm& dm)
{
    QString text = QStringLiteral("PI.RatingID In (-1");
    for (const QString& rating : dm.PermittedRatings.items())
        text += QStringLiteral(", ") + rating;
    return text + QLatin1Char(')');
}

bool FindPicturesByValue(TProgramDataForm& dm, const QString& field, const QString& value, const QString& orderBy)
{
    data::StatusNotice notice(kSearching);
    const QStringList lines = {
        QStringLiteral("Select DISTINCT PI.PictureID ,PI.PictureDescription ,"),
        QStringLiteral("PI.DateTaken"),
        QStringLiteral("From \"PictureInfo.db\" PI"),
        QStringLiteral("LEFT OUTER JOIN \"PicturePeople.db\" PP"),
        QStringLiteral("ON (PI.PictureID = PP.PictureID)"),
        QStringLiteral("LEFT OUTER JOIN \"AlbumList.db\" AL"),
        QStringLiteral("ON (PI.PictureID = AL.AlbumPictureID)"),
        QStringLiteral("Where"),
        QStringLiteral("(") + field + QStringLiteral(" = ") + value + QStringLiteral(")"),
        restrictionLine(dm),
        QStringLiteral("Order By ") + orderBy,
    };
    return fillSearchResult(dm, lines, kPictureId, Duplicates::Keep) > 0;
}

bool FindPicturesByConditions(TProgramDataForm& dm, const QStringList& conditions, const QString& orderBy)
{
    data::StatusNotice notice(kSearching);
    dm.SearchResult.clear();
    requireNestedConditions(conditions);
    // A DISTINCT query must select its sort columns: the order without its
    // directions.
    QString sortColumns = orderBy;
    common::ReplaceAllText(sortColumns, QStringLiteral(" ASC"), QString());
    common::ReplaceAllText(sortColumns, QStringLiteral(" DESC"), QString());

    QStringList lines = {
        QStringLiteral("Select DISTINCT PI.PictureID, ") + sortColumns,
        QStringLiteral("From \"PictureInfo.db\" PI"),
        QStringLiteral("LEFT OUTER JOIN \"PicturePeople.db\" PP"),
        QStringLiteral("ON (PI.PictureID = PP.PictureID)"),
        QStringLiteral("LEFT OUTER JOIN \"AlbumList.db\" AL"),
        QStringLiteral("ON (PI.PictureID = AL.AlbumPictureID)"),
        QStringLiteral("LEFT OUTER JOIN \"Person.db\" PH"),
        QStringLiteral("ON (PI.PhotograherID = PH.PersonID)"),
        QStringLiteral("LEFT OUTER JOIN \"StorageLocation.db\" SL"),
        QStringLiteral("ON (PI.StorageLocationID = SL.StorageLocationID)"),
        QStringLiteral("LEFT OUTER JOIN \"Person.db\" P"),
        QStringLiteral("ON (PP.PersonID = P.PersonID)"),
        QStringLiteral("LEFT OUTER JOIN \"Album.db\" A"),
        QStringLiteral("ON (AL.AlbumID = A.AlbumID)"),
        QStringLiteral("Where"),
        QStringLiteral("("),
    };
    // Enclosed as a whole, so that an "Or" among the conditions cannot leave
    // a picture outside the rating restriction.
    lines += conditions;
    lines << QStringLiteral(")") << restrictionLine(dm) << QStringLiteral("Order By ") + orderBy;
    // A picture with several people or albums can come back on several rows
    // when a sort column comes from those joins; it keeps its first place.
    return fillSearchResult(dm, lines, kPictureId, Duplicates::Skip) > 0;
}

void FindPicturesWithAttribute(TProgramDataForm& dm, const QString& pictureField, qint64 id)
{
    fillSearchResult(dm,
                     {QStringLiteral("Select Distinct PI.PictureID"), QStringLiteral("From \"PictureInfo.db\" PI"),
                      QStringLiteral("Where PI.") + pictureField + QStringLiteral(" = ") + QString::number(id),
                      restrictionLine(dm)},
                     kPictureId, Duplicates::Keep);
}

void FindPicturesInAlbum(TProgramDataForm& dm, qint64 albumId)
{
    fillSearchResult(dm,
                     {QStringLiteral("Select Distinct PI.PictureID"), QStringLiteral("From \"PictureInfo.db\" PI"),
                      QStringLiteral("LEFT OUTER JOIN \"AlbumList.db\" AL"),
                      QStringLiteral("ON (PI.PictureID = AL.AlbumPictureID)"),
                      QStringLiteral("Where AL.AlbumID = ") + QString::number(albumId), restrictionLine(dm)},
                     kPictureId, Duplicates::Keep);
}

void FindPicturesWithPerson(TProgramDataForm& dm, qint64 personId)
{
    fillSearchResult(dm,
                     {QStringLiteral("Select Distinct PI.PictureID"), QStringLiteral("From \"PictureInfo.db\" PI"),
                      QStringLiteral("LEFT OUTER JOIN \"PicturePeople.db\" PP"),
                      QStringLiteral("ON (PI.PictureID = PP.PictureID)"),
                      QStringLiteral("Where PP.PersonID = ") + QString::number(personId), restrictionLine(dm)},
                     kPictureId, Duplicates::Keep);
}

bool FindPersonPictures(TProgramDataForm& dm, const QString& groupList, bool includeDeceased)
{
    data::StatusNotice notice(kSearching);
    QStringList lines = {
        QStringLiteral("Select PersonPicture, PersonDescription"),
        QStringLiteral("From \"Person.db\""),
        QStringLiteral("Where PersonPicture Is not Null"),
    };
    if (!groupList.isEmpty())
        lines << QStringLiteral("And GroupType in ") + groupList;
    if (!includeDeceased)
        lines << QStringLiteral("And DeathDate is Null");
    lines << QStringLiteral("Order By PersonDescription");
    return fillSearchResult(dm, lines, QStringLiteral("PersonPicture"), Duplicates::Keep) > 0;
}

bool IsPictureRatingAllowed(TProgramDataForm& dm, qint64 pictureId, bool enforceRating)
{
    if (!enforceRating)
        return true;
    Query& query = dm.PictureInfoQuery;
    QueryScope scope(query);
    query.openLines({QStringLiteral("Select RatingID"), QStringLiteral("From \"PictureInfo.db\""),
                      QStringLiteral("Where PictureID = ") + QString::number(pictureId)});
    if (query.isEmpty())
        return false;
    return dm.PermittedRatings.contains(data::readInteger(query, QStringLiteral("RatingID"), -1));
}

}  // namespace kv::search
