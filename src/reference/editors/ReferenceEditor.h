#pragma once

#include "common/CloseStepDialog.h"
#include "reference/editors/EditorFamily.h"

#include <memory>

class QBoxLayout;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv::data {
class DataSource;
class Query;
}
namespace kv::common {
class DBEdit;
class DBGrid;
class DBLookupComboBox;
class DBMemo;
class TSaveFormPosition;
}

namespace kv::reference {

// What an editor leaves for the window that opened it to pick a row.
class TPickEditor : public common::TCloseStepDialog {
    Q_OBJECT
public:
    using common::TCloseStepDialog::TCloseStepDialog;
    qint32 PickedID = -1;
    QString PickedDescription;
    qint32 PickedCategoryID = -1;
    qint32 PickedMediaTypeID = -1;
};

// The editor of one reference table: a grid of its rows, the current row's
// fields, and Save, Insert, Delete, Find, Export, Import, Help and Close.
// The six editors differ only by their family (EditorFamily).
class TReferenceEditor : public TPickEditor {
    Q_OBJECT
public:
    TReferenceEditor(const EditorFamily& family, data::TProgramDataForm& dm, QWidget* parent = nullptr);
    ~TReferenceEditor() override;

    const EditorFamily& family() const { return m_family; }

    // Editors with more fields than the family's (media types, storage
    // locations) add to these two.
    virtual void FormActivate();
    void SaveBtnClick();
    virtual void InsertBtnClick();
    void DeleteBtnClick();
    void FindBtnClick();
    void ExportBtnClick();
    void ImportBtnClick();
    void CatagoryBtnClick();  // the sub-category editor's category pick
    void BrowseTemplate(bool index);  // the album editor's template buttons

    QPushButton* saveButton() const { return m_save; }
    QPushButton* insertButton() const { return m_insert; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* exportButton() const { return m_export; }
    QPushButton* importButton() const { return m_import; }
    QPushButton* helpButton() const { return m_help; }
    common::DBEdit* description() const { return m_description; }
    common::DBMemo* comments() const { return m_comments; }
    common::DBGrid* grid() const { return m_grid; }
    QLineEdit* modifiedBy() const { return m_modifiedBy; }
    QPushButton* categoryButton() const { return m_categoryButton; }

    // The file-open dialog of the template buttons: given the current file,
    // returns the chosen one (empty: none). A file dialog by default.
    std::function<QString(const QString& current)> chooseTemplateFile;

protected:
    // For an editor that lays out its own detail group: the common fields
    // are made inside the group (detailGroup()) but not placed.
    enum class DetailLayout { Standard, Own };
    TReferenceEditor(const EditorFamily& family, data::TProgramDataForm& dm, QWidget* parent, DetailLayout layout);

    data::TProgramDataForm& dataModule() const { return m_dm; }
    data::Table& table() const;
    QWidget* detailGroup() const { return m_detailGroup; }
    QLabel* modifiedByLabel() const { return m_modifiedByLabel; }
    common::DBEdit* modifiedDateBox() const { return m_modifiedDate; }

    // The close step: unsaved changes are asked about, then the pick is left.
    bool FormClose(int result) override;

    // For editors that add fields and buttons of their own.
    data::DataSource* dataSource() const;
    QFormLayout* fieldsLayout() const { return m_fields; }
    QBoxLayout* buttonColumn() const { return m_buttons; }
    common::DBEdit* idEdit() const { return m_id; }
    // Posts a row being edited; false when its post was refused.
    bool resolvePendingEdit();

    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void showModifiedBy();
    void setPickResult();

    const EditorFamily& m_family;
    data::TProgramDataForm& m_dm;
    common::DBGrid* m_grid;
    QWidget* m_detailGroup;
    common::DBEdit* m_id;
    common::DBEdit* m_description;
    common::DBMemo* m_comments;
    common::DBEdit* m_modifiedDate;
    QLineEdit* m_modifiedBy;
    QLabel* m_modifiedByLabel;
    QFormLayout* m_fields;
    QBoxLayout* m_buttons;
    common::DBLookupComboBox* m_category = nullptr;
    QPushButton* m_categoryButton = nullptr;
    common::DBEdit* m_indexTemplate = nullptr;
    common::DBEdit* m_detailTemplate = nullptr;
    QPushButton* m_indexBrowse = nullptr;
    QPushButton* m_detailBrowse = nullptr;
    QPushButton* m_save;
    QPushButton* m_insert;
    QPushButton* m_delete;
    QPushButton* m_find;
    QPushButton* m_export;
    QPushButton* m_import;
    QPushButton* m_help;
    QPushButton* m_close;
    std::unique_ptr<data::Query> m_userQuery;
};

// The six editors by the names the program knows them by.
class TPlaceForm : public TReferenceEditor {
    Q_OBJECT
public:
    explicit TPlaceForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
};
class TCategoryForm : public TReferenceEditor {
    Q_OBJECT
public:
    explicit TCategoryForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
};
class TSubCategoryForm : public TReferenceEditor {
    Q_OBJECT
public:
    explicit TSubCategoryForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
};
class TRatingForm : public TReferenceEditor {
    Q_OBJECT
public:
    explicit TRatingForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
};
class TPersonGroupForm : public TReferenceEditor {
    Q_OBJECT
public:
    explicit TPersonGroupForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
};
class TAlbumForm : public TReferenceEditor {
    Q_OBJECT
public:
    explicit TAlbumForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
};

// The editor of a kind, for the pick protocol and the menu; nullptr for a
// kind whose window library has not registered its editor.
std::unique_ptr<TReferenceEditor> createEditor(EditorKind kind, data::TProgramDataForm& dm, QWidget* parent = nullptr);

// Editors whose windows live in other libraries (media types, storage
// locations) register how they are made; createEditor uses it.
using EditorMaker = std::function<std::unique_ptr<TReferenceEditor>(data::TProgramDataForm&, QWidget*)>;
void registerEditor(EditorKind kind, EditorMaker maker);

}  // namespace kv::reference
