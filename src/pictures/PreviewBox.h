#pragma once

#include <QtGlobal>

class QLabel;
class QWidget;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::pictures {

// Shows a picture's preview in a window's image control, fitted to the
// control's size: the preview when its file exists, the placeholder when it
// does not, and the window's no-preview label instead of the image when
// previews are off or the user may not see the picture's rating. Lets
// pending window events run so that the control repaints at once.
void ShowPreviewInBox(data::TProgramDataForm& dm, qint64 pictureId, bool enforceRating, QWidget* noPreviewLabel,
                      QLabel* image);

}  // namespace kv::pictures
