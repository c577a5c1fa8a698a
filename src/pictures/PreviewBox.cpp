#include "pictures/PreviewBox.h"

#include "pictures/Previews.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPixmap>

namespace kv::pictures {

void ShowPreviewInBox(data::TProgramDataForm& dm, qint64 pictureId, bool enforceRating, QWidget* noPreviewLabel,
                      QLabel* image)
{
    if (!image)
        return;
    const std::optional<QImage> shown = PreviewBoxImage(dm, pictureId, enforceRating, image->size());
    if (!shown) {
        image->hide();
        if (noPreviewLabel)
            noPreviewLabel->show();
    } else {
        image->setPixmap(QPixmap::fromImage(*shown));
        if (noPreviewLabel)
            noPreviewLabel->hide();
        image->show();
    }
    QCoreApplication::processEvents();
}

}  // namespace kv::pictures
