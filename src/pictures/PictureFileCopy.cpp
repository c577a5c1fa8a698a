#include "pictures/PictureFileCopy.h"

#include "common/FileOperations.h"
#include "common/FileTransfer.h"
#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "data/DataSet.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "pictures/ImageFiles.h"

#include <QDir>
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

}  // namespace

int CopyPictureFile(data::TProgramDataForm& dm, const QString& pictureId, const QString& destinationDirectory,
                    bool applyRotation, bool shrink, int largestSide, common::TransferResult* transfer)
{
    bool isNumber = false;
    const qint64 id = pictureId.trimmed().toLongLong(&isNumber);
    if (!isNumber)
        return kCopyNoFile;
    const PictureLocation location = readLocation(dm, id);
    if (location.fileName.isEmpty())
        return kCopyNoFile;

    const QString source = location.directory + location.fileName;
    while (!common::AbsoluteFileExists(source)) {
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
    if (!QDir::isRelativePath(directory))
        QDir().mkpath(directory);
    // The picture's own file is never its own copy (SameFile), and an other
    // file of the name is replaced only when the user says so, and only by a
    // complete copy.
    common::TransferResult copied = common::TransferFile(source, directory, location.fileName,
                                                         common::TransferMode::Copy, common::OverwritePolicy::Never);
    if (copied.outcome == common::TransferOutcome::Exists &&
        common::askDestructive(common::FormatMessage(
            QStringLiteral("Error: The file: %s% already exists in the directory: %s% do you wish to overwrite it?"),
            location.fileName + QLatin1Char('\t') + directory)))
        copied = common::TransferFile(source, directory, location.fileName, common::TransferMode::Copy,
                                      common::OverwritePolicy::Replace);
    if (transfer)
        *transfer = copied;
    if (!copied.done())
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
