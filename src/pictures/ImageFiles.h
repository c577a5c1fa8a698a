#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace kv::pictures {

// A bitmap is a QImage. Pictures decoded from JPEG files and every fitted
// or rotated bitmap are 24-bit (QImage::Format_BGR888: blue, green, red
// bytes, rows padded to 4 bytes); a bitmap read from a BMP file keeps the
// file's pixel format and stored rows.

enum class ImageKind { Other = 0, Jpeg = 1, Bmp = 2 };

// From the extension, any letter case: .jpg/.jpeg JPEG, .bmp BMP.
ImageKind ImageKindOf(const QString& fileName);

// The stand-in for a picture that cannot be read: 200 x 50 pixels with
// "Error: Could Not Read Image File!" at (10, 10) in the default font.
QImage ErrorImage();
inline constexpr int kErrorImageWidth = 200;
inline constexpr int kErrorImageHeight = 50;

// The placeholder for a picture without a preview: 325 x 384, 24-bit, a
// light grey field with a black-outlined white head and shoulders and
// PHOTO NOT AVAILABLE across the chest.
QImage NoPhotoImage();
QSize NoPhotoSize();

// The picture file as a bitmap: an empty name or a name of the other kind
// gives an empty 0 x 0 bitmap; a file that cannot be read or decoded
// (missing, damaged, truncated, a directory, too large) gives the error
// image. JPEG files are decoded at full size.
QImage LoadImageFile(const QString& fileName);
// The same, telling whether the file was read (false for the error image
// and for names of the other kind).
QImage LoadImageFile(const QString& fileName, bool* ok);

// The size a bitmap of sourceSize is fitted to in a box of boxWidth x
// boxHeight: shrunk to fit, or enlarged by at most enlargement, keeping the
// proportions when asked. An empty source or box gives an empty size; a
// picture so narrow that the rules leave no whole pixel on one side keeps
// one pixel there.
QSize FittedSize(const QSize& sourceSize, int boxWidth, int boxHeight, bool keepAspect, double enlargement);

// A 24-bit bitmap of the fitted size with the whole source stretched onto
// it by area averaging.
QImage FitBitmap(int boxWidth, int boxHeight, bool keepAspect, double enlargement, const QImage& source);

// LoadImageFile then FitBitmap. A large JPEG is decoded straight at a
// reduced scale no smaller than the fitted size, then averaged down to it;
// the size is the same as through LoadImageFile.
QImage LoadAndFit(const QString& fileName, int boxWidth, int boxHeight, bool keepAspect, double enlargement);
QImage LoadAndFit(const QString& fileName, int boxWidth, int boxHeight, bool keepAspect, double enlargement,
                  bool* ok);

// The bitmap turned by angle degrees (90 turns it a quarter clockwise)
// about the fixed centre of each quarter, 24-bit; pixels that fall outside
// the source are red. An empty source gives an empty bitmap.
QImage RotateBitmap(const QImage& source, int angle);

// Writes the bitmap as a baseline JPEG of quality 90 (24-bit colour)
// whatever the name's extension, replacing any file of that name only once
// the new one is complete. Throws common::FileWriteError.
void SaveBitmapAsJpeg(const QString& fileName, const QImage& bitmap);
// The encoded file, as SaveBitmapAsJpeg writes it.
QByteArray JpegBytes(const QImage& bitmap);

// Writes the bitmap as a BMP file keeping its pixel format and rows.
// Throws common::FileWriteError.
void SaveBitmapAsBmp(const QString& fileName, const QImage& bitmap);

// The width and height of LoadImageFile's bitmap (200 x 50 when the file
// cannot be read), found without keeping the whole picture in memory.
QSize ImageFileSize(const QString& fileName);
QSize ImageFileSize(const QString& fileName, bool* ok);

// Rewrites the picture file fitted into the box (and turned when angle is
// not 0), keeping the file's last-modified time. A file that cannot be
// read as a picture is left as it is (false). A name of kind BMP is
// rewritten as BMP, any other as JPEG. Write errors throw FileWriteError.
bool ShrinkImageFile(const QString& fileName, int boxWidth, int boxHeight, bool keepAspect, double enlargement,
                     int angle);
// Rewrites the picture file turned by angle, keeping its last-modified
// time; nothing for angle 0 or a file that cannot be read as a picture.
bool RotateImageFile(const QString& fileName, int angle);

// Writes the placeholder as a JPEG file.
void SaveNoPhoto(const QString& fileName);

}  // namespace kv::pictures
