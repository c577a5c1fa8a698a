#pragma once

#include <QList>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::pictures {

// Deletes pictures: one ID or a list. The rows, their people and album
// links go, and every person whose default picture was one of them loses it,
// all in one transaction of set-based statements. Only once that transaction
// commits are the preview files deleted and, with deleteOriginals, the
// pictures' own files (found while the rows were still there). A failure
// throws and leaves rows, links and files as they were. Missing files are no
// error. Inside an enclosing transaction the files wait for its commit.
void DeletePictures(data::TProgramDataForm& dm, const QList<qint64>& pictureIds, bool deleteOriginals);
inline void DeletePicture(data::TProgramDataForm& dm, qint64 pictureId, bool deleteOriginals)
{
    DeletePictures(dm, {pictureId}, deleteOriginals);
}

}  // namespace kv::pictures
