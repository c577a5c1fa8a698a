#pragma once

#include "storage/LocationMove.h"

#include <QString>
#include <QStringList>

namespace kv::data {
class IdList;
class TProgramDataForm;
}  // namespace kv::data

namespace kv::storage {

// What one of the found-picture actions came to.
struct ActionReport {
    int done = 0;          // pictures the action was carried out for
    QStringList notDone;   // "ID name (why)" of the pictures left as they were, or without their file step
    bool aborted = false;  // the user chose Abort at a disc prompt
};

// How many pictures each catalogue-only transaction takes.
inline constexpr int kActionBatch = 1000;

// Copies the files of the pictures into directory (created when missing),
// turned by their rotation and fitted into largestSide when asked. Sources
// and catalogue stay as they were. Abort at a disc prompt ends the copy.
ActionReport CopyFoundPictures(data::TProgramDataForm& dm, const data::IdList& ids, const QString& directory,
                               bool rotate, bool shrink, int largestSide, MoveProgress* progress = nullptr);

// Moves the pictures to the storage location targetLocation. Without
// moveFiles (or when the location has no directory) only the records are
// re-pointed, in batches. With moveFiles each file goes into the location's
// directory and its record is re-pointed right after; a file that could not
// be moved keeps its record at the old location. No to the overwrite
// question and Ignore at a missing file still re-point the record; a file of
// the target directory that another picture of the location names is never
// replaced. Abort ends the move; what was done stays done.
ActionReport MoveFoundPictures(data::TProgramDataForm& dm, const data::IdList& ids, qint64 targetLocation,
                               bool moveFiles, MoveProgress* progress = nullptr);

// Appends one AlbumList row (stamped) per picture, in batches; a picture
// already in the album gets a second link.
ActionReport AddFoundPicturesToAlbum(data::TProgramDataForm& dm, const data::IdList& ids, qint64 albumId,
                                     MoveProgress* progress = nullptr);

// Deletes the pictures in batches (DeletePictures). A failed batch stays as
// it was and its pictures are listed; batches already committed stay done.
ActionReport DeleteFoundPictures(data::TProgramDataForm& dm, const data::IdList& ids, bool deleteOriginals,
                                 MoveProgress* progress = nullptr);

// The closing boxes: the pictures not done, named in one box, then
// "Operation Compleated".
void ReportActionDone(const ActionReport& report);

// The count of pictures as shown: thousands separators, no decimals.
QString PictureCountText(int count);

}  // namespace kv::storage
