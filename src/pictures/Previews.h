#pragma once

#include "common/FileOperations.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::pictures {

// The preview box of the preview writers: PreviewSizeX x PreviewSizeY,
// keeping the proportions, enlarged at most 1.5 times.
inline constexpr double kPreviewEnlargement = 1.5;

// The preview file of a picture: the preview directory, the ID in decimal
// and ".jpg".
QString PreviewPath(qint64 pictureId);

// The preview files of a preview directory: its files matching "*.jpg"
// (any letter case), counted by the table information and brought to a new
// key when the preview key changes. A missing directory has none.
inline constexpr const char* kPreviewFileMask = "*.jpg";
common::FileCount CountPreviewFiles(const QString& previewDirectory);
QStringList ListPreviewFiles(const QString& previewDirectory);

// The preview of a picture file as the preview writers make it: the file
// fitted into the preview box of the settings.
QImage MakePreviewBitmap(const QString& pictureFile);

// The bytes of a preview file for the bitmap: a baseline JPEG of quality
// 90, scrambled with the key when it is not empty. Safe on any thread.
QByteArray PreviewBytes(const QImage& bitmap, const QString& key);

// Writes the bitmap as the picture's preview: a baseline JPEG of quality
// 90, scrambled with the EncryptionKey setting when that is not empty. The
// finished file replaces the old preview in one step, so a failed write
// (full disk) leaves the old preview whole. Throws FileWriteError.
void WritePreview(qint64 pictureId, const QImage& bitmap);

// The preview as a bitmap, unscrambled with the key (an empty key: the file
// is plain); the error image when it cannot be read or the key is wrong.
// With writeBack the file is left unscrambled on disk, but only once it has
// decoded: a wrong key never overwrites the file.
QImage LoadPreview(const QString& fileName, const QString& key, bool writeBack);
QImage LoadPreview(const QString& fileName, const QString& key, bool writeBack, bool* ok);

// LoadPreview (no write back) then FitBitmap, a large preview decoded
// straight at a reduced scale.
QImage LoadPreviewAndFit(const QString& fileName, const QString& key, int boxWidth, int boxHeight, bool keepAspect,
                         double enlargement);

// The width and height of LoadPreview's bitmap (200 x 50 when unreadable).
QSize PreviewFileSize(const QString& fileName, const QString& key);
QSize PreviewFileSize(const QString& fileName, const QString& key, bool* ok);

// The preview's size for a picture: 0 x 0 when the preview file does not
// exist; else the stored ImageSizeX and ImageSizeY; when either is not
// positive, the preview measured, and stored when it could be read.
QSize GetPreviewSize(data::TProgramDataForm& dm, qint64 pictureId);

// Forgets every stored preview size (sets them to NULL).
void ClearPreviewSizes(data::TProgramDataForm& dm);

// What a window's preview box shows for a picture fitted into box: nothing
// (the window's no-preview text instead) when previews are switched off or
// the user may not see the picture's rating; the preview when its file
// exists; otherwise the placeholder.
std::optional<QImage> PreviewBoxImage(data::TProgramDataForm& dm, qint64 pictureId, bool enforceRating,
                                      const QSize& box);

}  // namespace kv::pictures
