#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace kv::reference {

// What a browse button asks for.
struct FileRequest {
    bool save = false;      // a save dialog (asks before overwriting) or an open dialog
    QString caption;
    QString filter;         // "Text File (*.txt);;All Files (*.*)"
    QString defaultSuffix;  // added to a name typed without one
    QString startFile;      // the name already in the box
};

// Returns the chosen file name, or an empty text when the user cancelled.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;

// The browse buttons of the Export and Import windows ask here; the
// program's file dialog answers unless a chooser is installed (tests).
QString ChooseFile(QWidget* parent, const FileRequest& request);

// Installs a chooser for the life of the scope.
class FileChooserScope {
public:
    explicit FileChooserScope(FileChooser chooser);
    ~FileChooserScope();
    FileChooserScope(const FileChooserScope&) = delete;
    FileChooserScope& operator=(const FileChooserScope&) = delete;

private:
    FileChooser m_previous;
};

}  // namespace kv::reference
