#pragma once

class QWidget;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::admin {

// The main window's maintenance commands: each asks its question, shows
// the status window while it works (closed on every way out) and ends with
// its notice. Engine errors go on to the caller's error display.

// "Pack Database": "Are you sure you want to pack the Database?"; No gives
// "Pack Operation Aborted!", Yes packs and ends with "Pack Operation
// Compleated!" and the catalogue's size before and after.
void PackDatabaseClick(data::TProgramDataForm& dm, QWidget* owner);

// "Clear Database": refused on a read-only catalogue; "Are you sure you
// want to clear the database?"; Yes clears and ends with "Database Cleared.".
void ClearDatabaseClick(data::TProgramDataForm& dm, QWidget* owner);

// "Information": the "Database Information" window, with the master links
// released while it is open.
void InformationClick(data::TProgramDataForm& dm, QWidget* owner);

// "Reset Image Size": "Are you sure you want to reset the preview image
// sizes?"; Yes forgets every stored preview size.
void ResetImageSizeClick(data::TProgramDataForm& dm, QWidget* owner);

}  // namespace kv::admin
