#pragma once

#include "reference/editors/ReferenceEditor.h"

#include <functional>

namespace kv::storage {

// Opens the bulk load in its scan mode for a storage location and its media
// type (both fixed), and returns once it has closed.
using ScanWindow = std::function<void(QWidget* owner, qint64 location, qint64 mediaType)>;
// Installed by the library that has the bulk load; without one "Scan" stays
// disabled. Returns the previous one.
ScanWindow setScanWindow(ScanWindow window);

// The storage location editor: the family's fields, the media type box with
// its pick button, the location fields (directory with its browse button,
// disc label, tray, book, shelf, where stored), "Move" and "Scan". Which
// location fields are open follows the location's own media type.
class TStorageLocationForm : public reference::TReferenceEditor {
    Q_OBJECT
public:
    explicit TStorageLocationForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);

    void FormActivate() override;
    void InsertBtnClick() override;
    void MediaTypeBtnClick();
    void DirectoryBtnClick();
    void MoveBtnClick();
    void ScanBtnClick();

    common::DBLookupComboBox* mediaTypeBox() const { return m_mediaType; }
    QPushButton* mediaTypeButton() const { return m_mediaTypeButton; }
    common::DBEdit* directory() const { return m_directory; }
    QPushButton* directoryButton() const { return m_directoryButton; }
    common::DBEdit* discLabel() const { return m_discLabel; }
    common::DBEdit* tray() const { return m_tray; }
    common::DBEdit* book() const { return m_book; }
    QPushButton* moveButton() const { return m_move; }
    QPushButton* scanButton() const { return m_scan; }

protected:
    bool FormClose(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The rights and the location's media type decide which fields are
    // open; with clear, closed fields that hold a value are emptied.
    void applyFieldRules(bool clear);
    bool hasRow() const;

    common::DBLookupComboBox* m_mediaType;
    QPushButton* m_mediaTypeButton;
    common::DBEdit* m_directory;
    QPushButton* m_directoryButton;
    common::DBEdit* m_discLabel;
    common::DBEdit* m_tray;
    common::DBEdit* m_book;
    common::DBEdit* m_shelve;
    common::DBEdit* m_whereStored;
    QPushButton* m_move;
    QPushButton* m_scan;
    bool m_applying = false;
    bool m_closing = false;
};

}  // namespace kv::storage
