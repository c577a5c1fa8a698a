#include "web/PageLinks.h"

#include "common/FileOperations.h"
#include "data/SystemInfo.h"
#include "pictures/ImageFiles.h"
#include "pictures/Previews.h"
#include "web/CurrentRecords.h"

namespace kv::web {

namespace {

QString anchor(const QString& target)
{
    return QStringLiteral("<A HREF=\"") + target + QStringLiteral("\">");
}

QString previewFile(bool forIndex, qint64 pictureId)
{
    return (forIndex ? QString() : QStringLiteral("../")) + QStringLiteral("preview/") +
           QString::number(pictureId) + QStringLiteral(".jpg");
}

}  // namespace

QString PreviewLink(bool forIndex, qint64 pictureId) { return anchor(previewFile(forIndex, pictureId)); }

QString PictureDetailLink(qint64 pictureId)
{
    return anchor(QStringLiteral("detail/") + QString::number(pictureId) + QStringLiteral(".html"));
}

QString NeighbourLink(qint64 pictureId) { return anchor(QString::number(pictureId) + QStringLiteral(".html")); }

QString IndexLink() { return anchor(QStringLiteral("../") + data::SystemInfo().IndexName); }

bool PersonTemplateExists()
{
    std::optional<bool>& known = Generation().PersonTemplateExists;
    if (!known)
        known = common::FileExistsOnReadyDrive(data::SystemInfo().PersonTemplate);
    return *known;
}

QString PersonPageLink(bool forIndex, qint64 personId)
{
    if (personId == -1 || !PersonTemplateExists())
        return {};
    if (Generation().CollectPersonPages && personId > 0)
        AddPersonPage(personId);
    const QString page = QStringLiteral("p") + QString::number(personId) + QStringLiteral(".html");
    return anchor(forIndex ? QStringLiteral("detail\\") + page : page);
}

QString PersonPageLinkEnd() { return PersonTemplateExists() ? QStringLiteral("</A>") : QString(); }

QSize ImageTagSize(data::TProgramDataForm& dm, qint64 pictureId, int box)
{
    // GetPreviewSize answers 0 x 0 when the preview file does not exist.
    const QSize source = pictureId == -1 ? pictures::NoPhotoSize() : pictures::GetPreviewSize(dm, pictureId);
    const QSize size = pictures::FittedSize(source, box, box, true, pictures::kPreviewEnlargement);
    // No preview, or an empty box, gives no size at all.
    return size.isValid() ? size : QSize(0, 0);
}

QString ImageTag(bool forIndex, qint64 pictureId, const QSize& size)
{
    return QStringLiteral("<Img Src=\"") + previewFile(forIndex, pictureId) + QStringLiteral("\" BORDER=\"0\" WIDTH=\"") +
           QString::number(size.width()) + QStringLiteral("\" HEIGHT=\"") + QString::number(size.height()) +
           QStringLiteral("\">");
}

QString ImageTag(data::TProgramDataForm& dm, bool forIndex, qint64 pictureId, int box)
{
    return ImageTag(forIndex, pictureId, ImageTagSize(dm, pictureId, box));
}

}  // namespace kv::web
