#pragma once

#include <QString>

namespace kv::data {
class TProgramDataForm;
}

namespace kv::pictures {

// "*." + FileExtensionDescription of every row of the FileExtensions table
// with a description, joined by ";" in the order the query returns them;
// read fresh on every call.
QString AllExtensionsMask(data::TProgramDataForm& dm);
// The same for the rows marked as video extensions.
QString VideoExtensionsMask(data::TProgramDataForm& dm);

// Whether the file's extension, lower-cased, is one of the video
// extensions (compared lower-cased). False when there are none.
bool IsVideoFile(data::TProgramDataForm& dm, const QString& fileName);

}  // namespace kv::pictures
