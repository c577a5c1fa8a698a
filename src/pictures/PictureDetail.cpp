#include "pictures/PictureDetail.h"

#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "data/Database.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "data/SystemInfo.h"
#include "pictures/ImageFiles.h"
#include "pictures/Previews.h"

#include <QDir>

namespace kv::pictures {

namespace {

bool editing(const data::Table& t)
{
    return t.state() == data::DataSet::State::Edit || t.state() == data::DataSet::State::Insert;
}

qint64 currentPictureId(data::TProgramDataForm& dm)
{
    data::Table& t = dm.PictureInfoTable;
    if (!t.active() || (t.isEmpty() && t.state() != data::DataSet::State::Insert))
        return -1;
    return data::readInteger(t, QStringLiteral("PictureID"));
}

QImage previewOf(const QImage& decoded)
{
    const data::TSystemInfo& info = data::SystemInfo();
    return FitBitmap(static_cast<int>(info.PreviewSizeX), static_cast<int>(info.PreviewSizeY), true,
                     kPreviewEnlargement, decoded);
}

QImage viewOf(const QImage& decoded)
{
    return FitBitmap(kDetailViewBox, kDetailViewBox, true, kPreviewEnlargement, decoded);
}

}  // namespace

void StorePreviewFields(data::TProgramDataForm& dm, qint64 pictureId, int rotateImage, const QSize& previewSize)
{
    data::Query q(dm.KestrelviewDatabase());
    q.addLine(QStringLiteral("Update \"PictureInfo.db\""));
    q.addLine(QStringLiteral("Set RotateImage = %1, PreviewAvailable = True, ImageSizeX = %2, ImageSizeY = %3")
                  .arg(rotateImage)
                  .arg(previewSize.width())
                  .arg(previewSize.height()));
    q.addLine(QStringLiteral("Where PictureID = ") + QString::number(pictureId));
    q.execSQL();
    data::Table& t = dm.PictureInfoTable;
    if (!t.active() || currentPictureId(dm) != pictureId)
        return;
    if (editing(t)) {
        t.setFieldValue(QStringLiteral("RotateImage"), rotateImage);
        t.setFieldValue(QStringLiteral("PreviewAvailable"), true);
        t.setFieldValue(QStringLiteral("ImageSizeX"), previewSize.width());
        t.setFieldValue(QStringLiteral("ImageSizeY"), previewSize.height());
    } else {
        t.refresh();
    }
}

bool WritePictureDetailPreview(qint64 pictureId, const QImage& preview)
{
    const QString directory = data::SystemInfo().PreviewDir;
    if (directory.isEmpty()) {
        common::showError(QStringLiteral("The preview could not be written: no preview directory is set."));
        return false;
    }
    QDir().mkpath(directory);
    try {
        WritePreview(pictureId, preview);
    } catch (const common::FileWriteError& e) {
        common::showError(QStringLiteral("The preview %1 could not be written: %2")
                              .arg(QDir::toNativeSeparators(PreviewPath(pictureId)), QString::fromUtf8(e.what())));
        return false;
    }
    return true;
}

std::optional<ChosenFilePreview> PreviewChosenFile(data::TProgramDataForm& dm, const QString& pictureFile)
{
    data::Table& t = dm.PictureInfoTable;
    if (t.state() == data::DataSet::State::Insert && !t.post())
        return std::nullopt;
    const qint64 id = currentPictureId(dm);
    if (id < 0)
        return std::nullopt;
    const QImage decoded = LoadImageFile(pictureFile);
    ChosenFilePreview made{viewOf(decoded), previewOf(decoded)};
    if (!WritePictureDetailPreview(id, made.preview))
        return std::nullopt;
    StorePreviewFields(dm, id, 0, made.preview.size());
    return made;
}

std::optional<ChosenFilePreview> RotateChosenFile(data::TProgramDataForm& dm, const QString& pictureFile, int angle)
{
    const qint64 id = currentPictureId(dm);
    if (id < 0 || dm.PictureInfoTable.state() == data::DataSet::State::Insert)
        return std::nullopt;
    const QImage decoded = LoadImageFile(pictureFile);
    ChosenFilePreview made{RotateBitmap(viewOf(decoded), angle), RotateBitmap(previewOf(decoded), angle)};
    if (!WritePictureDetailPreview(id, made.preview))
        return std::nullopt;
    StorePreviewFields(dm, id, angle, made.preview.size());
    return made;
}

void TakeFileDate(data::Table& pictures, const QDateTime& fileDate)
{
    const QDate day = fileDate.date();
    if (!day.isValid())
        return;
    const QDate taken = data::valueDate(pictures.fieldValue(QStringLiteral("DateTaken")));
    if (taken == day)
        return;
    if (taken.isValid()
        && !common::askDestructive(
            QStringLiteral("The File Date and the date you entered are different, Use File Date?")))
        return;
    if (editing(pictures) || pictures.edit())
        pictures.setFieldValue(QStringLiteral("DateTaken"), day);
}

}  // namespace kv::pictures
