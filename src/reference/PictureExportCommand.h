#pragma once

class QWidget;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::reference {

// The Export mode of the basic and advanced searches, once the search has
// filled dm.SearchResult: the Export window with the picture fields (no date
// range), then the export of the found pictures the user may see
// (RunPictureExport). True when a file was written.
bool ExportFoundPictures(data::TProgramDataForm& dm, QWidget* owner = nullptr);

}  // namespace kv::reference
