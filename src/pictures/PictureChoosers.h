#pragma once

#include <memory>

class QWidget;

namespace kv::common {
class TSelectFileForm;
}

namespace kv::data {
class TProgramDataForm;
}

namespace kv::pictures {

// The "Select File" window as the program uses it: the files of the
// catalogue's extensions (AllExtensionsMask, read now), videos told by the
// FileExtensions table, pictures read with the image toolkit at the size of
// the preview area. The data module must outlive the window.
std::unique_ptr<common::TSelectFileForm> NewSelectFileForm(data::TProgramDataForm& dm, QWidget* owner = nullptr);

}  // namespace kv::pictures
