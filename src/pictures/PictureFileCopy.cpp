#include "pictures/PictureFileCopy.h"

#include "common/FileCopy.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "data/DataSet.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "pictures/ImageFiles.h"

#include <QFile>
#include <QFileInfo>

namespace kv::pictures {

namespace {

struct PictureLocation {
    QString fileName;
    QString directory;
    QString discLabel;
    int rotation = 0;
};

PictureLocation readLocation(data::TProgramDataForm& dm, qint64 pictureId)
{
    data::Query query(dm.KestrelviewDatabase());
    query.addLine(QStringLiteral("Select PI.FileName, PI.RotateImage, SL.Directory, SL.DiscLabel"));
    query.addLine(QStringLiteral("From \"PictureInfo.db\" PI"));
    query.addLine(QStringLiteral("LEFT OUTER JOIN \"StorageLocation.db\" SL"));
    query.addLine(QStringLiteral("ON (PI.StorageLocationID = SL.StorageLocationID)"));
    query.addLine(QStringLiteral("Where PI.PictureID = ") + QString::number(pictureId));
    query.open();
    PictureLocation location;
    if (query.isEmpty())
        return location;
    location.fileName = data::readText(query, QStringLiteral("FileName"));
    location.directory = common::AddTrailingBackslash(data::readText(query, QStringLiteral("Directory")));
    location.discLabel = data::readText(query, QStringLiteral("DiscLabel"));
    location.rotation = static_cast<int>(data::readInteger(query, QStringLiteral("RotateImage"), 0));
    return location;
}

bool sameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

}  // namespace

int CopyPictureFile(data::TProgramDataForm& dm, const QString& pictureId, const QString& destinationDirectory,
                    bool applyRotation, bool shrink, int largestSide)
{
    bool isNumber = false;
    const qint64 id = pictureId.trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return kCopyNoFile;
    const PictureLocation location = readLocation(dm, id);
    if (location.fileName.isEmpty())
        return kCopyNoFile;

    const QString source = location.directory + location.fileName;
    while (!common::FileExistsOnReadyDrive(source)) {
        const common::MessageAnswer answer = common::askAbortRetryIgnore(common::FormatMessage(
            QStringLiteral("Error: Cannot Find File: %s% Please Insert Disc labeled: %s%"),
            source + QLatin1Char('\t') + location.discLabel));
        if (answer == common::MessageAnswer::Abort)
            return kCopyAborted;
        if (answer == common::MessageAnswer::Ignore)
            return kCopyIgnored;
    }

    const QString directory = common::AddTrailingBackslash(destinationDirectory);
    if (directory.isEmpty())
        return kCopyDone;
    const QString copy = directory + location.fileName;
    if (QFileInfo::exists(copy)) {
        // Copying a file onto itself would first remove the only copy.
        if (sameFile(source, copy))
            return kCopyDone;
        if (!common::askDestructive(common::FormatMessage(
                QStringLiteral("Error: The file: %s% already exists in the directory: %s% do you wish to overwrite it?"),
                location.fileName + QLatin1Char('\t') + directory)))
            return kCopyDone;
        // The old file is replaced only by a complete copy (CopyOneFile),
        // never removed before it.
    }
    if (common::CopyOneFile(source, directory, location.fileName) != common::CopyOutcome::Copied)
        return kCopyDone;

    const int angle = applyRotation ? location.rotation : 0;
    const bool fit = shrink && [&] {
        const QSize size = ImageFileSize(copy);
        return size.width() > largestSide || size.height() > largestSide;
    }();
    if (!fit && angle == 0)
        return kCopyDone;
    // Files from read-only media copy read-only; the rewrite needs to write.
    const QFileDevice::Permissions permissions = common::StoredPermissions(copy);
    QFile::setPermissions(copy, permissions | QFileDevice::WriteOwner);
    try {
        if (fit)
            ShrinkImageFile(copy, largestSide, largestSide, true, 100, angle);
        else
            RotateImageFile(copy, angle);
    } catch (...) {
        QFile::setPermissions(copy, permissions);
        throw;
    }
    QFile::setPermissions(copy, permissions);
    return kCopyDone;
}

}  // namespace kv::pictures
