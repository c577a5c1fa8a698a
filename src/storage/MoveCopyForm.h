#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kv::common {
class DBLookupComboBox;
class TSaveFormPosition;
}  // namespace kv::common

namespace kv::data {
class TProgramDataForm;
}

namespace kv::storage {

// The found-picture actions over dm.SearchResult: move to a storage
// location, copy the files to a directory, add to an album, delete. The
// opener sets the mode before showing it; OK after an action ran.
class TMoveCopyForm : public QDialog {
    Q_OBJECT
public:
    enum Mode { Move = 0, Copy = 1, AddAlbum = 2, Delete = 3 };

    explicit TMoveCopyForm(data::TProgramDataForm& dm, QWidget* owner = nullptr);
    ~TMoveCopyForm() override;

    void setMode(int mode);
    int mode() const { return m_mode; }
    // The last "Copy To Location:" of this run of the program.
    static QString& rememberedCopyDirectory();

    // Reads the chosen location and sets "Move Files To:" from it.
    void readMoveTarget();
    void ActionClick();
    void BrowseClick();
    void PickClick();

    QLineEdit* directoryBox() const { return m_directory; }
    common::DBLookupComboBox* lookupBox() const { return m_lookup; }
    QCheckBox* moveFilesBox() const { return m_moveFiles; }
    QCheckBox* rotateBox() const { return m_rotate; }
    QCheckBox* resizeBox() const { return m_resize; }
    QSpinBox* largestSideBox() const { return m_largestSide; }
    QCheckBox* deleteOriginalsBox() const { return m_deleteOriginals; }
    QLabel* countLabel() const { return m_count; }
    QLabel* captionLine() const { return m_caption; }
    QPushButton* actionButton() const { return m_action; }

private:
    data::TProgramDataForm& m_dm;
    int m_mode = Copy;
    common::TSaveFormPosition* m_position;
    QLabel* m_caption;
    QLineEdit* m_directory;
    QPushButton* m_browse;
    common::DBLookupComboBox* m_lookup;
    QPushButton* m_pick;
    QCheckBox* m_rotate;
    QCheckBox* m_resize;
    QLabel* m_largestSideLabel;
    QSpinBox* m_largestSide;
    QCheckBox* m_moveFiles;
    QCheckBox* m_deleteOriginals;
    QLabel* m_count;
    QPushButton* m_action;
    QPushButton* m_cancel;
    QPushButton* m_help;
};

// Shows the window modally in the mode; returns its result.
int RunMoveCopyForm(data::TProgramDataForm& dm, int mode, QWidget* owner = nullptr);

}  // namespace kv::storage
