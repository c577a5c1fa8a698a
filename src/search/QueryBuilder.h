#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::search {

// Every search runs on the data module's PictureInfoQuery and leaves the IDs
// it found in dm.SearchResult (decimal texts, in row order). The list is
// cleared first, so after an engine error (an EngineError passed on to the
// caller) it is empty. Searches that show the "Please Wait" text close it on
// every path.

// "PI.RatingID In (-1, r1, r2, ...)" over the permitted ratings, in their
// order; -1 alone when there are none. Applied whatever EnforceRating says.
QString RatingRestriction(const data::TProgramDataForm& dm);

// Pictures whose field (alias and picture-side field, e.g. "PP.PersonID")
// equals value (a decimal ID), ordered by orderBy, which may name only
// PI.PictureDescription and PI.DateTaken. True when any was found.
bool FindPicturesByValue(data::TProgramDataForm& dm, const QString& field, const QString& value,
                         const QString& orderBy);

// Pictures matching the condition lines (put after "Where" as they are,
// enclosed in one pair of parentheses before the rating restriction),
// ordered by orderBy. Condition lines whose parentheses do not nest within
// themselves are refused with an EngineError. A picture joined to several
// people or albums is listed once, at its first row. True when the query
// returned any row.
bool FindPicturesByConditions(data::TProgramDataForm& dm, const QStringList& conditions,
                              const QString& orderBy);

// Pictures whose PictureInfo field pictureField (e.g. "PlaceID") holds id;
// no order, no status text.
void FindPicturesWithAttribute(data::TProgramDataForm& dm, const QString& pictureField, qint64 id);
void FindPicturesInAlbum(data::TProgramDataForm& dm, qint64 albumId);
void FindPicturesWithPerson(data::TProgramDataForm& dm, qint64 personId);

// The preview picture IDs of the persons that have one, in name order, for
// the person slide show. groupList: "(g1,g2,...)" or empty for every group.
// Not restricted by rating. True when any was found.
bool FindPersonPictures(data::TProgramDataForm& dm, const QString& groupList, bool includeDeceased);

// Whether the picture may be shown to the logged-on user: always when
// enforceRating (the user's profile flag) is off; otherwise only when the
// picture exists and its rating is permitted (a Null rating never is).
bool IsPictureRatingAllowed(data::TProgramDataForm& dm, qint64 pictureId, bool enforceRating);

}  // namespace kv::search
