#include "pictures/ImageFiles.h"

#include "common/FileOperations.h"
#include "pictures/BmpCodec.h"
#include "pictures/JpegCodec.h"
#include "pictures/Resample.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <limits>
#include <optional>

namespace kv::pictures {

using common::FileWriteError;

namespace {

constexpr int kJpegQuality = 90;

// The integer nearest to x, ties to the even one.
qint64 nearest(long double x)
{
    const long double r = std::nearbyint(x);
    if (r >= static_cast<long double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (r <= static_cast<long double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<qint64>(r);
}

int nearestInt(long double x) { return static_cast<int>(nearest(x)); }

bool canDrawText()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

QImage drawErrorImage()
{
    QImage image(kErrorImageWidth, kErrorImageHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (canDrawText()) {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        painter.setFont(QFont());
        painter.drawText(QRect(10, 10, kErrorImageWidth - 10, kErrorImageHeight - 10),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QStringLiteral("Error: Could Not Read Image File!"));
    }
    return image.convertToFormat(QImage::Format_BGR888);
}

QImage drawNoPhoto()
{
    constexpr int width = 325;
    constexpr int height = 384;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(212, 212, 212));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 3));
    painter.setBrush(Qt::white);

    // Shoulders and chest, then the head over the neck.
    QPainterPath body;
    body.moveTo(22, height + 2);
    body.cubicTo(22, 262, 84, 232, 162.5, 232);
    body.cubicTo(241, 232, 303, 262, 303, height + 2);
    body.closeSubpath();
    painter.drawPath(body);
    painter.drawRect(QRectF(137, 196, 51, 44));
    painter.setPen(Qt::NoPen);
    painter.drawRect(QRectF(139, 226, 47, 12));
    painter.setPen(QPen(Qt::black, 3));
    painter.drawEllipse(QPointF(162.5, 128), 60, 76);

    if (canDrawText()) {
        QFont font;
        font.setBold(true);
        font.setPixelSize(26);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QStringList lines = {QStringLiteral("PHOTO"), QStringLiteral("NOT"), QStringLiteral("AVAILABLE")};
        for (int i = 0; i < lines.size(); ++i)
            painter.drawText(QRect(30, 262 + i * 34, width - 60, 34), Qt::AlignCenter, lines[i]);
    }
    painter.end();
    return image.convertToFormat(QImage::Format_BGR888);
}

// Drawn pictures are kept once they could be drawn with their text.
QImage cachedDrawing(std::optional<QImage>& cache, QImage (*draw)())
{
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    if (cache)
        return *cache;
    QImage image = draw();
    if (canDrawText())
        cache = image;
    return image;
}

bool readPictureFile(const QString& fileName, QByteArray& bytes)
{
    return common::ReadWholeFile(fileName, bytes);
}

void setModified(const QString& fileName, const QDateTime& when)
{
    if (!when.isValid())
        return;
    QFile file(fileName);
    if (file.open(QIODevice::Append))
        file.setFileTime(when, QFileDevice::FileModificationTime);
}

// Writes the rewritten picture in the format its name says and puts the
// old last-modified time back.
void rewritePicture(const QString& fileName, const QImage& bitmap, const QDateTime& modified)
{
    if (ImageKindOf(fileName) == ImageKind::Bmp)
        SaveBitmapAsBmp(fileName, bitmap);
    else
        SaveBitmapAsJpeg(fileName, bitmap);
    setModified(fileName, modified);
}

}  // namespace

ImageKind ImageKindOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (fileName.endsWith(QLatin1Char('.')))
        return ImageKind::Other;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return ImageKind::Jpeg;
    if (suffix == QLatin1String("bmp"))
        return ImageKind::Bmp;
    return ImageKind::Other;
}

QImage ErrorImage()
{
    static std::optional<QImage> cache;
    return cachedDrawing(cache, drawErrorImage);
}

QImage NoPhotoImage()
{
    static std::optional<QImage> cache;
    return cachedDrawing(cache, drawNoPhoto);
}

QSize NoPhotoSize() { return QSize(325, 384); }

QImage LoadImageFile(const QString& fileName) { return LoadImageFile(fileName, nullptr); }

QImage LoadImageFile(const QString& fileName, bool* ok)
{
    if (ok)
        *ok = false;
    const ImageKind kind = ImageKindOf(fileName);
    if (fileName.isEmpty() || kind == ImageKind::Other)
        return QImage();
    QByteArray bytes;
    QImage image;
    if (readPictureFile(fileName, bytes)) {
        if (kind == ImageKind::Jpeg)
            image = jpeg::Decode(bytes).image;
        else
            bmp::Decode(bytes, image);
    }
    if (image.isNull())
        return ErrorImage();
    if (ok)
        *ok = true;
    return image;
}

QSize FittedSize(const QSize& sourceSize, int maxW, int maxH, bool keepAspect, double enlargement)
{
    const qint64 sourceW = sourceSize.width();
    const qint64 sourceH = sourceSize.height();
    if (sourceW <= 0 || sourceH <= 0 || maxW <= 0 || maxH <= 0)
        return QSize();
    qint64 w = sourceW;
    qint64 h = sourceH;
    const qint64 capW = std::min<qint64>(maxW, nearest(static_cast<long double>(sourceW) * enlargement));
    const qint64 capH = std::min<qint64>(maxH, nearest(static_cast<long double>(sourceH) * enlargement));
    // The ratio is held as a double; the products and quotients with it are
    // worked out in extended precision.
    const double r = double(sourceH) / double(sourceW);

    if (w > maxW || h > maxH) {
        if (!keepAspect)
            return QSize(maxW, maxH);
        if ((maxH - h) > (maxW - w)) {
            h = maxH;
            w = nearestInt(static_cast<long double>(h) / r);
            while (w > maxW) {
                --h;
                w = nearestInt(static_cast<long double>(h) / r);
            }
        } else {
            w = maxW;
            h = nearestInt(static_cast<long double>(w) * r);
            while (h > maxH) {
                --w;
                h = nearestInt(static_cast<long double>(w) * r);
            }
        }
    } else if (capH > h || capW > w) {
        if (!keepAspect)
            return QSize(static_cast<int>(std::max<qint64>(1, capW)), static_cast<int>(std::max<qint64>(1, capH)));
        if (capH > h) {
            h = capH;
            w = nearestInt(static_cast<long double>(h) / r);
            while (w > maxW) {
                --h;
                w = nearestInt(static_cast<long double>(h) / r);
            }
        } else {
            w = capW;
            h = nearestInt(static_cast<long double>(w) * r);
            while (h > maxH) {
                --w;
                h = nearestInt(static_cast<long double>(w) * r);
            }
        }
    }
    // A picture far wider than high (or the reverse) can step down to no
    // whole pixel on its short side: keep one there instead of nothing.
    if (w < 1 || h < 1) {
        if (sourceW >= sourceH) {
            h = 1;
            w = std::clamp<qint64>(nearestInt(1.0L / r), 1, maxW);
        } else {
            w = 1;
            h = std::clamp<qint64>(nearestInt(static_cast<long double>(r)), 1, maxH);
        }
    }
    return QSize(static_cast<int>(w), static_cast<int>(h));
}

QImage FitBitmap(int boxWidth, int boxHeight, bool keepAspect, double enlargement, const QImage& source)
{
    const QSize size = FittedSize(source.size(), boxWidth, boxHeight, keepAspect, enlargement);
    if (size.isEmpty())
        return QImage();
    return AreaAverage(source, size.width(), size.height());
}

QImage LoadAndFit(const QString& fileName, int boxWidth, int boxHeight, bool keepAspect, double enlargement)
{
    return LoadAndFit(fileName, boxWidth, boxHeight, keepAspect, enlargement, nullptr);
}

QImage LoadAndFit(const QString& fileName, int boxWidth, int boxHeight, bool keepAspect, double enlargement,
                  bool* ok)
{
    if (ok)
        *ok = false;
    if (ImageKindOf(fileName) != ImageKind::Jpeg) {
        bool read = false;
        const QImage picture = LoadImageFile(fileName, &read);
        if (ok)
            *ok = read;
        return FitBitmap(boxWidth, boxHeight, keepAspect, enlargement, picture);
    }
    QByteArray bytes;
    jpeg::DecodeResult decoded;
    if (readPictureFile(fileName, bytes)) {
        decoded = jpeg::Decode(bytes, [&](const QSize& full) {
            return FittedSize(full, boxWidth, boxHeight, keepAspect, enlargement);
        });
    }
    if (decoded.image.isNull())
        return FitBitmap(boxWidth, boxHeight, keepAspect, enlargement, ErrorImage());
    if (ok)
        *ok = true;
    // The size follows from the picture's own size, not the decoded one.
    const QSize size = FittedSize(decoded.fullSize, boxWidth, boxHeight, keepAspect, enlargement);
    if (size.isEmpty())
        return QImage();
    return AreaAverage(decoded.image, size.width(), size.height());
}

QImage RotateBitmap(const QImage& input, int angle)
{
    if (input.isNull() || input.width() <= 0 || input.height() <= 0)
        return QImage();
    const QImage source =
        input.format() == QImage::Format_BGR888 ? input : input.convertToFormat(QImage::Format_BGR888);
    const qint64 W = source.width();
    const qint64 H = source.height();
    const long double theta = -static_cast<long double>(angle) * 3.14159265358979323846264338327950288L / 180.0L;
    const long double s = std::sin(theta);
    const long double c = std::cos(theta);

    qint64 cx = 0;
    qint64 cy = 0;
    if (angle <= 135) {
        cx = H / 2;
        cy = H / 2;
    } else if (angle <= 225) {
        cx = W / 2;
        cy = H / 2;
    } else {
        cx = W / 2;
        cy = W / 2;
    }
    const bool turned = (angle > 45 && angle < 135) || (angle > 225 && angle < 315);
    const int outW = static_cast<int>(turned ? H : W);
    const int outH = static_cast<int>(turned ? W : H);
    QImage result(outW, outH, QImage::Format_BGR888);
    if (result.isNull())
        return QImage();

    // At whole quarter turns sine and cosine are 0 or +-1 up to a rounding
    // far too small to move any pixel: integer arithmetic gives the same map.
    const long double si = std::nearbyint(s);
    const long double ci = std::nearbyint(c);
    const bool quarter = std::fabs(s - si) < 1e-12L && std::fabs(c - ci) < 1e-12L;
    const qint64 sInt = static_cast<qint64>(si);
    const qint64 cInt = static_cast<qint64>(ci);

    for (int yOut = 0; yOut < outH; ++yOut) {
        uchar* out = result.scanLine(yOut);
        const qint64 dy = yOut - cy;
        for (int xOut = 0; xOut < outW; ++xOut, out += 3) {
            const qint64 dx = xOut - cx;
            qint64 x = 0;
            qint64 y = 0;
            if (quarter) {
                x = cx + dx * cInt - dy * sInt;
                y = cy + dx * sInt + dy * cInt;
            } else {
                x = cx + nearest(dx * c - dy * s);
                y = cy + nearest(dx * s + dy * c);
            }
            if (x >= 0 && x <= W - 1 && y >= 0 && y <= H - 1) {
                const uchar* in = source.constScanLine(static_cast<int>(y)) + x * 3;
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            } else {
                out[0] = 0;  // blue
                out[1] = 0;  // green
                out[2] = 255;  // red
            }
        }
    }
    return result;
}

QByteArray JpegBytes(const QImage& bitmap)
{
    QByteArray bytes;
    QString why;
    if (!jpeg::Encode(bitmap, kJpegQuality, bytes, &why))
        throw FileWriteError(why.toStdString());
    return bytes;
}

void SaveBitmapAsJpeg(const QString& fileName, const QImage& bitmap)
{
    common::WriteFileReplacing(fileName, JpegBytes(bitmap));
}

void SaveBitmapAsBmp(const QString& fileName, const QImage& bitmap)
{
    QByteArray bytes;
    if (!bmp::Encode(bitmap, bytes))
        throw FileWriteError("The picture cannot be written as BMP: " + fileName.toStdString());
    common::WriteFileReplacing(fileName, bytes);
}

QSize ImageFileSize(const QString& fileName) { return ImageFileSize(fileName, nullptr); }

QSize ImageFileSize(const QString& fileName, bool* ok)
{
    if (ok)
        *ok = false;
    const ImageKind kind = ImageKindOf(fileName);
    if (kind == ImageKind::Other)
        return QSize(0, 0);
    if (kind == ImageKind::Bmp) {
        bool read = false;
        const QImage image = LoadImageFile(fileName, &read);
        if (ok)
            *ok = read;
        return image.size();
    }
    QByteArray bytes;
    QSize size;
    if (readPictureFile(fileName, bytes) && jpeg::Decodes(bytes, &size)) {
        if (ok)
            *ok = true;
        return size;
    }
    return QSize(kErrorImageWidth, kErrorImageHeight);
}

bool ShrinkImageFile(const QString& fileName, int boxWidth, int boxHeight, bool keepAspect, double enlargement,
                     int angle)
{
    if (ImageKindOf(fileName) == ImageKind::Other)
        return false;
    const QDateTime modified = QFileInfo(fileName).lastModified();
    bool read = false;
    QImage bitmap = LoadAndFit(fileName, boxWidth, boxHeight, keepAspect, enlargement, &read);
    if (!read || bitmap.isNull())
        return false;  // never replace a picture with the error image
    if (angle != 0)
        bitmap = RotateBitmap(bitmap, angle);
    rewritePicture(fileName, bitmap, modified);
    return true;
}

bool RotateImageFile(const QString& fileName, int angle)
{
    if (angle == 0 || ImageKindOf(fileName) == ImageKind::Other)
        return false;
    const QDateTime modified = QFileInfo(fileName).lastModified();
    bool read = false;
    const QImage bitmap = LoadImageFile(fileName, &read);
    if (!read || bitmap.isNull())
        return false;
    rewritePicture(fileName, RotateBitmap(bitmap, angle), modified);
    return true;
}

void SaveNoPhoto(const QString& fileName) { SaveBitmapAsJpeg(fileName, NoPhotoImage()); }

}  // namespace kv::pictures
