#pragma once

#include "storage/BulkLoad.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace kv::common {
class DBLookupComboBox;
class TSaveFormPosition;
}

namespace kv::data {
class TProgramDataForm;
}

namespace kv::storage {

// "Load Errors": the lines a load collected, one multi-line text and Close.
class TLoadErrorsForm : public QDialog {
    Q_OBJECT
public:
    explicit TLoadErrorsForm(QWidget* owner = nullptr);
    void setLines(const QStringList& lines);
    QPlainTextEdit* text() const { return m_text; }

private:
    QPlainTextEdit* m_text;
};

// The bulk load window: the defaults on five tabs and "Load". In load mode
// it loads one storage location's directory; in scan mode the locations
// chosen in the scan chooser (their location and media type boxes fixed).
class TBulkLoadForm : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Load, Scan };
    TBulkLoadForm(data::TProgramDataForm& dm, Mode mode, QWidget* owner = nullptr);
    ~TBulkLoadForm() override;

    // From the storage location editor: the location and its media type,
    // fixed.
    void fixLocation(qint64 location, qint64 mediaType);
    // Scan mode: the locations to scan.
    void setScanLocations(std::vector<qint64> locations) { m_scanLocations = std::move(locations); }

    // The defaults as the controls hold them.
    BulkLoadDefaults defaults() const;
    void LoadBtnClick();
    void ViewBtnClick();
    void InsertPersonClick();
    void DeletePersonClick();
    void InsertAlbumClick();
    void DeleteAlbumClick();

    // The controls, for the window's tests.
    QLineEdit* description() const { return m_description; }
    QLineEdit* dateTaken() const { return m_date; }
    QCheckBox* useFileDate() const { return m_useFileDate; }
    QCheckBox* pauseAfterEach() const { return m_pause; }
    QCheckBox* showPreview() const { return m_showPreview; }
    common::DBLookupComboBox* lookup(const QString& caption) const;
    QLineEdit* locationText(const QString& caption) const;
    QTreeWidget* peopleList() const { return m_people; }
    QTreeWidget* albumList() const { return m_albums; }
    QPushButton* loadButton() const { return m_load; }
    // The lines of the last load (also shown in "Load Errors").
    const QStringList& errors() const { return m_errors; }

private:
    struct Lookup;
    void mediaTypeChanged();
    void categoryChanged();
    void applyLocationRules();
    void insertInto(QTreeWidget* list, common::DBLookupComboBox* box);
    void deleteFrom(QTreeWidget* list);

    data::TProgramDataForm& m_dm;
    Mode m_mode;
    std::vector<qint64> m_scanLocations;
    QLineEdit* m_description;
    QLineEdit* m_date;
    QPushButton* m_calendar;
    QCheckBox* m_useFileDate;
    QCheckBox* m_pause;
    QCheckBox* m_showPreview;
    QCheckBox* m_useTitle;
    QCheckBox* m_useComment;
    QPlainTextEdit* m_comments;
    QLineEdit* m_directory;
    QPushButton* m_view;
    std::vector<std::pair<QString, QLineEdit*>> m_locationTexts;
    std::vector<std::unique_ptr<Lookup>> m_lookups;
    QTreeWidget* m_people;
    QTreeWidget* m_albums;
    QPushButton* m_load;
    QVariant m_rememberedMediaType;
    QVariant m_rememberedCategory;
    QStringList m_errors;
    common::TSaveFormPosition* m_position;
};

// "Scan For New Pictures": the storage locations that keep picture files,
// to be ticked, and "Scan All Storage Locations".
class TScanForNewPicturesForm : public QDialog {
    Q_OBJECT
public:
    explicit TScanForNewPicturesForm(data::TProgramDataForm& dm, QWidget* owner = nullptr);
    void OkBtnClick();
    QListWidget* list() const { return m_list; }
    QCheckBox* scanAll() const { return m_all; }

private:
    data::TProgramDataForm& m_dm;
    QListWidget* m_list;
    QCheckBox* m_all;
};

// The main window's commands and the storage location editor's "Scan".
void BulkLoadClick(data::TProgramDataForm& dm, QWidget* owner);
void ScanForNewPicturesClick(data::TProgramDataForm& dm, QWidget* owner);
// Installs the bulk load as the storage location editor's scan window.
void InstallBulkLoadWindows(data::TProgramDataForm& dm);

}  // namespace kv::storage
