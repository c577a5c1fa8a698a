#include "pictures/PictureChoosers.h"

#include "common/SelectFileForm.h"
#include "pictures/FileExtensionMasks.h"
#include "pictures/ImageFiles.h"

#include <QLabel>

namespace kv::pictures {

std::unique_ptr<common::TSelectFileForm> NewSelectFileForm(data::TProgramDataForm& dm, QWidget* owner)
{
    auto form = std::make_unique<common::TSelectFileForm>(
        AllExtensionsMask(dm), [&dm](const QString& file) { return IsVideoFile(dm, file); }, nullptr, owner);
    const QSize area = form->Image->size();
    form->setImageLoader([area](const QString& file) {
        // Shown whole in the preview area; a large JPEG is decoded scaled.
        return LoadAndFit(file, area.width(), area.height(), true, 1.0);
    });
    return form;
}

}  // namespace kv::pictures
