#pragma once

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace kv::data {
class TProgramDataForm;
class Table;
}

namespace kv::pictures {

// The picture window's own view of a chosen file: fitted into 261 x 261,
// enlarged at most 1.5 times.
inline constexpr int kDetailViewBox = 261;

// The four turns of "Rotate Image" as stored in RotateImage.
inline constexpr int kRotateAngles[] = {0, 90, 180, 270};

// Writes the preview fields of a picture by its ID in one update, without
// posting the row: RotateImage, PreviewAvailable (true), ImageSizeX and
// ImageSizeY. PictureInfoTable shows them too: a row being edited gets them
// in its edit (its other pending edits stay pending, for Save and its
// checks); a row in browse state is read again.
void StorePreviewFields(data::TProgramDataForm& dm, qint64 pictureId, int rotateImage, const QSize& previewSize);

// Writes the bitmap as the picture's preview, making the preview directory
// when it is missing. On failure (a read-only directory, a full disk) shows
// one clear message and returns false; the old preview stays.
bool WritePictureDetailPreview(qint64 pictureId, const QImage& preview);

// What choosing a picture file made: the window's view and the preview.
struct ChosenFilePreview {
    QImage view;
    QImage preview;
};

// Makes the current picture's preview from a chosen picture file. A new row
// is posted first so that it has an ID; when that post is refused (its check
// showed the message) nothing more happens. The file is decoded once and
// fitted twice (the view, the preview box of the settings). Only once the
// preview is written are PreviewAvailable, RotateImage 0 and the size stored
// (StorePreviewFields); an undecodable file's error image is a preview too.
std::optional<ChosenFilePreview> PreviewChosenFile(data::TProgramDataForm& dm, const QString& pictureFile);

// The preview of the chosen file turned by angle, written and stored with
// RotateImage = angle (StorePreviewFields). Nothing without a current
// picture ID or when the write fails.
std::optional<ChosenFilePreview> RotateChosenFile(data::TProgramDataForm& dm, const QString& pictureFile, int angle);

// Date taken from the chosen file's date: an empty DateTaken gets the file
// date; a different day asks whether to use the file date (Yes/No stop).
// The date is a date: the file's time of day is not stored. The row is left
// in edit state for the user to save.
void TakeFileDate(data::Table& pictures, const QDateTime& fileDate);

}  // namespace kv::pictures
