#pragma once

#include "web/CurrentRecords.h"

namespace kv::data {
class TProgramDataForm;
}

namespace kv::web {

// Loading the current records from the catalogue. Each load resets its
// record first, so a record that does not exist (ID -1, a deleted row)
// leaves it reset: ID -1, empty texts, no comments. Each runs its SELECT on
// the data module's query named for it, on a statement prepared once with
// the ID bound, then closes the query, except where stated. Engine errors
// (EngineError) reach the caller.
//
// Where the logged-on user's rating restriction applies (a person's default
// picture), it is asked with search::IsPictureRatingAllowed.

// The current picture and every related record: place, category,
// sub-category, photographer (ages on the picture's date), rating, media
// type, storage location, the first album and the first person; then the
// picture's image tags in the PicturePreviewSize box. NextLink and
// PreviousLink keep their values. A picture that does not exist leaves
// every related record reset as well, the album and people queries empty,
// and image tags of the placeholder picture.
void LoadPictureDetails(data::TProgramDataForm& dm, qint64 pictureId);

// Fills the person record for the person; its ages are for today, for ref
// and for this year's birthday; its image tags (in the PersonPreviewSize
// box) are made whether or not the person exists.
void LoadPersonData(data::TProgramDataForm& dm, TPersonData& person, qint64 personId, double ref);

void LoadPlaceData(data::TProgramDataForm& dm, qint64 placeId);
void LoadCategoryData(data::TProgramDataForm& dm, qint64 categoryId);
void LoadSubCategoryData(data::TProgramDataForm& dm, qint64 subCategoryId);
void LoadRatingData(data::TProgramDataForm& dm, qint64 ratingId);
void LoadMediaTypeData(data::TProgramDataForm& dm, qint64 mediaTypeId);
void LoadStorageLocationData(data::TProgramDataForm& dm, qint64 storageLocationId);
void LoadAlbumData(data::TProgramDataForm& dm, qint64 albumId);

// The picture's albums on AlbumListQuery (ordered by name), left open on
// its first row, whose album is loaded; without albums the album record is
// reset.
void LoadPictureAlbums(data::TProgramDataForm& dm, qint64 pictureId);

// The picture's people on PicturePeopleQuery (ordered by name), left open
// on its first row, whose person is loaded; without people the person
// record and the person-picture comments are reset.
void LoadPicturePeople(data::TProgramDataForm& dm, qint64 pictureId);

// Loads the person of PicturePeopleQuery's current row, with the link's
// comments, ages on the current picture's date.
void LoadPictureRowPerson(data::TProgramDataForm& dm);

// The age of a person (AgeText on the person's Birthdate and DeathDate) at
// ref; empty when there is no such person or no birth date.
QString PersonAgeText(data::TProgramDataForm& dm, qint64 personId, double ref);

// The same for the person on the current row of PersonTable.
QString CurrentPersonAgeText(data::TProgramDataForm& dm, double ref);

}  // namespace kv::web
