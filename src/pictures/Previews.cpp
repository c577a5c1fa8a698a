#include "pictures/Previews.h"

#include "common/FileOperations.h"
#include "data/DataSet.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/BmpCodec.h"
#include "pictures/ImageFiles.h"
#include "pictures/JpegCodec.h"
#include "pictures/Resample.h"
#include "pictures/Scrambling.h"
#include "search/QueryBuilder.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstring>
#include <functional>

namespace kv::pictures {

namespace {

// A statement run on the data module's picture query in the usual way.
void runStatement(data::Query& query, const QStringList& lines)
{
    query.close();
    query.clearSql();
    for (const QString& line : lines)
        query.addLine(line);
    query.prepare();
    query.execSQL();
    query.unprepare();
}

// The preview's bytes, unscrambled when there is a key (not written back).
bool previewBytes(const QString& fileName, const QString& key, QByteArray& bytes)
{
    if (key.isEmpty())
        return common::ReadWholeFile(fileName, bytes);
    bytes = LoadUnscrambled(fileName, KeyBytes(key), false);
    return !bytes.isEmpty();
}

QImage loadBmpPreview(const QString& fileName, const QString& key, bool writeBack, bool* ok)
{
    QByteArray bytes;
    QImage bitmap;
    if (!common::ReadWholeFile(fileName, bytes) || !bmp::Decode(bytes, bitmap))
        return ErrorImage();
    if (!key.isEmpty()) {
        UnscrambleBitmapRows(bitmap, KeyBytes(key));
        if (writeBack)
            SaveBitmapAsBmp(fileName, bitmap);
    }
    if (ok)
        *ok = true;
    return bitmap;
}

// Every regular file of the directory (or link to one) matching the
// preview mask, in the order the file system lists them, with its size. A
// directory of 100,000 previews is read in one pass, without sorting.
void forEachPreviewFile(const QString& directory, const std::function<void(const QString&, qint64)>& visit)
{
    if (directory.isEmpty())
        return;
    DIR* dir = ::opendir(QFile::encodeName(directory).constData());
    if (!dir)
        return;
    const QByteArray suffix = QByteArray(kPreviewFileMask).mid(1);  // ".jpg"
    const QDir base(directory);
    while (const dirent* entry = ::readdir(dir)) {
        const size_t length = std::strlen(entry->d_name);
        if (length < static_cast<size_t>(suffix.size())
            || ::strcasecmp(entry->d_name + length - static_cast<size_t>(suffix.size()), suffix.constData()) != 0)
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode))
            continue;
        visit(base.filePath(QFile::decodeName(entry->d_name)), static_cast<qint64>(info.st_size));
    }
    ::closedir(dir);
}

}  // namespace

QString PreviewPath(qint64 pictureId)
{
    return common::AddTrailingBackslash(data::SystemInfo().PreviewDir) + QString::number(pictureId) +
           QStringLiteral(".jpg");
}

common::FileCount CountPreviewFiles(const QString& previewDirectory)
{
    common::FileCount count;
    forEachPreviewFile(previewDirectory, [&count](const QString&, qint64 bytes) {
        ++count.files;
        count.bytes += bytes;
    });
    return count;
}

QStringList ListPreviewFiles(const QString& previewDirectory)
{
    QStringList files;
    forEachPreviewFile(previewDirectory, [&files](const QString& path, qint64) { files << path; });
    return files;
}

QImage MakePreviewBitmap(const QString& pictureFile)
{
    const data::TSystemInfo& info = data::SystemInfo();
    return LoadAndFit(pictureFile, static_cast<int>(info.PreviewSizeX), static_cast<int>(info.PreviewSizeY), true,
                      kPreviewEnlargement);
}

void WritePreview(qint64 pictureId, const QImage& bitmap)
{
    // Encoded and scrambled in memory, then written once: the same bytes as
    // saving and scrambling the file in place, without a window in which
    // the preview is plain or half written.
    common::WriteFileReplacing(PreviewPath(pictureId), PreviewBytes(bitmap, data::SystemInfo().EncryptionKey));
}

QByteArray PreviewBytes(const QImage& bitmap, const QString& key)
{
    QByteArray bytes = JpegBytes(bitmap);
    if (!key.isEmpty())
        ScrambleBytes(bytes, KeyBytes(key));
    return bytes;
}

QImage LoadPreview(const QString& fileName, const QString& key, bool writeBack)
{
    return LoadPreview(fileName, key, writeBack, nullptr);
}

QImage LoadPreview(const QString& fileName, const QString& key, bool writeBack, bool* ok)
{
    if (ok)
        *ok = false;
    switch (ImageKindOf(fileName)) {
    case ImageKind::Other:
        return QImage();
    case ImageKind::Bmp:
        return loadBmpPreview(fileName, key, writeBack, ok);
    case ImageKind::Jpeg:
        break;
    }
    QByteArray bytes;
    if (!previewBytes(fileName, key, bytes))
        return ErrorImage();
    jpeg::DecodeResult decoded = jpeg::Decode(bytes);
    if (decoded.image.isNull())
        return ErrorImage();
    if (writeBack && !key.isEmpty())
        common::WriteFileReplacing(fileName, bytes);
    if (ok)
        *ok = true;
    return decoded.image;
}

QImage LoadPreviewAndFit(const QString& fileName, const QString& key, int boxWidth, int boxHeight, bool keepAspect,
                         double enlargement)
{
    if (ImageKindOf(fileName) != ImageKind::Jpeg)
        return FitBitmap(boxWidth, boxHeight, keepAspect, enlargement, LoadPreview(fileName, key, false));
    QByteArray bytes;
    jpeg::DecodeResult decoded;
    if (previewBytes(fileName, key, bytes)) {
        decoded = jpeg::Decode(bytes, [&](const QSize& full) {
            return FittedSize(full, boxWidth, boxHeight, keepAspect, enlargement);
        });
    }
    if (decoded.image.isNull())
        return FitBitmap(boxWidth, boxHeight, keepAspect, enlargement, ErrorImage());
    const QSize size = FittedSize(decoded.fullSize, boxWidth, boxHeight, keepAspect, enlargement);
    return size.isEmpty() ? QImage() : AreaAverage(decoded.image, size.width(), size.height());
}

QSize PreviewFileSize(const QString& fileName, const QString& key) { return PreviewFileSize(fileName, key, nullptr); }

QSize PreviewFileSize(const QString& fileName, const QString& key, bool* ok)
{
    if (ok)
        *ok = false;
    if (ImageKindOf(fileName) != ImageKind::Jpeg)
        return LoadPreview(fileName, key, false, ok).size();
    QByteArray bytes;
    QSize size;
    if (previewBytes(fileName, key, bytes) && jpeg::Decodes(bytes, &size)) {
        if (ok)
            *ok = true;
        return size;
    }
    return QSize(kErrorImageWidth, kErrorImageHeight);
}

QSize GetPreviewSize(data::TProgramDataForm& dm, qint64 pictureId)
{
    const QString file = PreviewPath(pictureId);
    if (!common::FileExistsOnReadyDrive(file))
        return QSize(0, 0);

    const QString id = QString::number(pictureId);
    data::Query& query = dm.PictureInfoQuery;
    query.close();
    query.clearSql();
    query.addLine(QStringLiteral("Select ImageSizeX, ImageSizeY"));
    query.addLine(QStringLiteral("From \"PictureInfo.db\""));
    query.addLine(QStringLiteral("Where PictureID = ") + id);
    query.prepare();
    query.open();
    qint64 width = -1;
    qint64 height = -1;
    if (!query.isEmpty()) {
        width = data::readInteger(query, QStringLiteral("ImageSizeX"), -1);
        height = data::readInteger(query, QStringLiteral("ImageSizeY"), -1);
    }
    query.unprepare();
    query.close();
    if (width > 0 && height > 0)
        return QSize(static_cast<int>(width), static_cast<int>(height));

    const QString key = data::SystemInfo().EncryptionKey;
    bool read = false;
    const QSize measured = key.isEmpty() ? ImageFileSize(file, &read) : PreviewFileSize(file, key, &read);
    // The error image's size is what an unreadable preview shows, but it is
    // not the preview's: it is answered, never stored. A read-only
    // catalogue keeps what it has; the size is measured again next time.
    const bool writable = dm.KestrelviewDatabase() && !dm.KestrelviewDatabase()->readOnly();
    if (writable && read && measured.width() > 0 && measured.height() > 0) {
        runStatement(query, {QStringLiteral("Update \"PictureInfo.db\""),
                             QStringLiteral("Set ImageSizeX = ") + QString::number(measured.width()) +
                                 QStringLiteral(", ") + QStringLiteral("ImageSizeY") + QStringLiteral(" = ") +
                                 QString::number(measured.height()),
                             QStringLiteral("Where PictureID = ") + id});
    }
    return measured;
}

void ClearPreviewSizes(data::TProgramDataForm& dm)
{
    runStatement(dm.PictureInfoQuery,
                 {QStringLiteral("Update \"PictureInfo.db\""), QStringLiteral("Set ImageSizeX =  Null, ImageSizeY = Null")});
}

std::optional<QImage> PreviewBoxImage(data::TProgramDataForm& dm, qint64 pictureId, bool enforceRating,
                                      const QSize& box)
{
    const data::TSystemInfo& info = data::SystemInfo();
    if (!info.ShowPreview || !search::IsPictureRatingAllowed(dm, pictureId, enforceRating))
        return std::nullopt;
    const QString file = PreviewPath(pictureId);
    if (common::FileExistsOnReadyDrive(file)) {
        if (!info.EncryptionKey.isEmpty())
            return LoadPreviewAndFit(file, info.EncryptionKey, box.width(), box.height(), true, kPreviewEnlargement);
        return LoadAndFit(file, box.width(), box.height(), true, kPreviewEnlargement);
    }
    return FitBitmap(box.width(), box.height(), true, 100, NoPhotoImage());
}

}  // namespace kv::pictures
