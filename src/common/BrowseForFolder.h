#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;

namespace kv::common {

// The "Browse For Folder" window: "Select A Folder For:" over a caption
// line set by the caller, a volume selector and a tree of directories, and
// "&OK" and "&Cancel". The process's current directory is the same after
// the window as before it.
class TDirectoryForm : public QDialog {
    Q_OBJECT
public:
    explicit TDirectoryForm(QWidget* owner = nullptr);
    ~TDirectoryForm() override;

    // The line under "Select A Folder For:" ("Storage Location").
    void setCaption(const QString& caption);
    QString caption() const;

    // The directory selected at the start: the one given when it can be
    // entered, otherwise the current directory.
    void setStartDirectory(const QString& directory);

    // The directory selected in the tree (empty when none).
    QString Directory() const;
    // Selects a directory in the tree (and its volume in the selector).
    void selectDirectory(const QString& directory);

    QLabel* Label1;
    QLabel* CaptionLabel;
    QComboBox* DriveComboBox;
    QTreeView* DirectoryTree;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void DriveComboBoxChange();
    void showVolume(const QString& root);
    static QString volumeOf(const QString& directory);

    QFileSystemModel* m_model;
    QString m_previousCurrentDirectory;
};

// Whether a directory can be entered (exists and may be listed).
bool CanEnterDirectory(const QString& directory);

// Opens "Browse For Folder" modally for caption, starting at start. The
// chosen directory, or nothing when the window was cancelled.
std::optional<QString> BrowseForFolder(QWidget* owner, const QString& caption, const QString& start);

}  // namespace kv::common
