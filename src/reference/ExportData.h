#pragma once

#include <QString>
#include <QStringList>

namespace kv::data {
class Query;
class TProgramDataForm;
}  // namespace kv::data

namespace kv::reference {

class TransferProgress;

// The export runs. Both write the rows of an open query, from its current
// row on, to fileName in the layout named (TextLayoutNames), one line per
// row with the chosen specs' values in order, after a header line of their
// labels when header is set. Date values are written in dateFormat (one of
// DateFormatNames; without one, as the program writes dates, "mm/dd/yyyy").
// They show "Please Wait: Exporting Data" with a gauge over the query's
// rows, then "Export Compleated; Data Exported To: ..." when the file is
// written; an error (the file cannot be created or written, a result field
// the query lacks) is shown instead and nothing is put in place of the file.
// True when the file was written. progress: nullptr for the installed one.
bool ExportDataSetToFile(data::Query& query, const QString& layout, const QString& dateFormat, bool header,
                         const QStringList& chosenSpecs, const QString& fileName,
                         TransferProgress* progress = nullptr);

// The same for the picture export: a row is written only when its
// PictureID is in dm.SearchResult (tested only while dm.ShowSearchResult is
// set) and its RatingID is one the logged-on user may see (a Null ID of
// either kind never is).
bool ExportPicturesToFile(const data::TProgramDataForm& dm, data::Query& query, const QString& layout,
                          const QString& dateFormat, bool header, const QStringList& chosenSpecs,
                          const QString& fileName, TransferProgress* progress = nullptr);

// The picture export of the searches, once the Export window has closed
// with OK: the window's select list with PI.PictureID and PI.RatingID
// added when it does not name them ...
QString PictureExportSelectList(const QString& windowSelectList);
// ... the statement over the pictures and everything joined to them ...
QStringList PictureExportStatement(const QString& selectList);
// ... run on dm.PersonQuery with dm.ShowSearchResult set (cleared again on
// every way out), and ExportPicturesToFile over its rows, or "Error: No
// Records Found To Export!" when it has none. Engine errors are shown.
// True when the file was written.
bool RunPictureExport(data::TProgramDataForm& dm, const QString& windowSelectList, const QString& layout,
                      const QString& dateFormat, bool header, const QStringList& chosenSpecs,
                      const QString& fileName, TransferProgress* progress = nullptr);

}  // namespace kv::reference
