#pragma once

#include "common/CloseStepDialog.h"

#include <QString>

#include <functional>
#include <vector>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace kv::common {
class DBEdit;
class DBGrid;
class DBLookupComboBox;
class DBMemo;
}

namespace kv::data {
class TProgramDataForm;
class Table;
}

namespace kv::pictures {

// How the picture window was opened.
enum class PictureFormMode {
    Browse,     // "Details" and "Insert" of the summary window
    Single,     // the slide show: no stepping, no find-others
    BulkPause,  // the bulk load pausing after each picture
};

// The lookups of the picture tab and the two link tabs, each with its pick
// button; the first seven also have a find-others button.
enum class PictureLookup { Place, Category, SubCategory, Photographer, Rating, MediaType, StorageLocation, Person, Album };

// The modal results the bulk load reads.
inline constexpr int kBulkAbort = 3;
inline constexpr int kBulkContinue = 5;

// The move window, opened for the pictures of SearchResult; returns its
// modal result (QDialog::Rejected for Cancel). Installed by the library that
// has it; without one "Move" stays disabled. Returns the previous one.
using MoveWindow = std::function<int(QWidget* owner)>;
MoveWindow setPictureMoveWindow(MoveWindow window);

// "Picture Detail": one picture row of PictureInfoTable with its people and
// album links.
class TPictureForm : public common::TCloseStepDialog {
    Q_OBJECT
public:
    explicit TPictureForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
    ~TPictureForm() override;

    // Set by the openers before the window is shown.
    void SetMode(PictureFormMode mode);
    PictureFormMode mode() const { return m_mode; }
    void SetBulkPictureFile(const QString& pictureFile, bool showPreviewWindow);

    void FormActivate();
    void SaveBtnClick();
    void InsertBtnClick();
    void DeleteBtnClick();
    void CopyBtnClick();
    void DateBtnClick();
    void PickBtnClick(PictureLookup lookup);
    void FindOthersClick(PictureLookup lookup);
    void AddPreviewClick();
    void FileBtnClick();
    // Step two on: the chosen file becomes the picture's preview and date.
    void ChooseFile(const QString& pictureFile);
    void RotateClick(int item);
    void NextClick();
    void PriorClick();
    void MoveClick();
    void AbortClick();
    void ContinueClick();
    // The media type and category boxes losing the focus or closing their
    // lists: the dependent box follows.
    void MediaTypeLeft();
    void CategoryLeft();

    // The people and album tabs.
    enum class LinkTab { People, Album };
    void LinkSaveClick(LinkTab tab);
    void LinkInsertClick(LinkTab tab);
    void LinkDeleteClick(LinkTab tab);
    void LinkOthersClick(LinkTab tab);
    void SetDefaultPictureClick();
    QPushButton* linkButton(LinkTab tab, const QString& caption) const;
    QLabel* personPreview() const { return m_personPreview; }
    QLabel* personNoPreview() const { return m_personNoPreview; }
    QLabel* pictureAge() const { return m_pictureAge; }
    QLabel* currentAge() const { return m_currentAge; }

    // Chooses the file of "Add Preview": a file dialog unless replaced.
    std::function<QString(const QString& directory, const QString& proposed)> chooseImageFile;

    // For tests and the openers.
    QString pictureFileName() const { return m_pictureFile; }
    QTabWidget* tabs() const { return m_tabs; }
    QWidget* control(const QString& field) const;  // the control bound to a PictureInfo field
    common::DBLookupComboBox* lookupBox(PictureLookup lookup) const;
    QPushButton* pickButton(PictureLookup lookup) const;
    QPushButton* findButton(PictureLookup lookup) const;
    QPushButton* button(const QString& caption) const;  // of the bottom row
    QPushButton* fileButton() const { return m_fileButton; }
    QPushButton* addPreviewButton() const { return m_addPreview; }
    QGroupBox* rotateGroup() const { return m_rotateGroup; }
    int rotateItem() const;
    QLabel* previewImage() const { return m_preview; }
    QLabel* noPreviewLabel() const { return m_noPreview; }

protected:
    bool FormClose(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;  // activation, as when a pick editor closes

private:
    struct Lookup;
    bool mayChange() const;
    data::Table& table() const;
    qint64 currentId(const QString& field) const;
    void applyEditPermission();
    void applyLocationFields(bool clear);
    void linkLocations(bool link);
    void linkSubCategories(bool link);
    void follow(PictureLookup lookup);
    void loadPreview();
    void recordMoved();
    void setRotateItem(int item);
    bool postIfEditing();
    // The Directory of the picture's storage location (empty without one).
    QString locationDirectory() const;
    // A new picture row is posted before links are added to it: without
    // the required-field checks, but never as a second copy of a
    // catalogued file. False when refused.
    bool postNewPictureForLinks();
    void refreshPeopleDetail();
    void runSearch(const char* waitText, const std::function<void()>& search);
    QWidget* buildLinkTab(LinkTab tab);

    data::TProgramDataForm& m_dm;
    PictureFormMode m_mode = PictureFormMode::Browse;
    qint64 m_rememberedMediaType = -1;
    qint64 m_rememberedCategory = -1;
    QString m_pictureFile;
    bool m_bulk = false;
    bool m_showPreviewWindow = false;
    bool m_applying = false;
    bool m_closing = false;

    QTabWidget* m_tabs;
    std::vector<Lookup> m_lookups;
    std::vector<std::pair<QString, QWidget*>> m_fieldControls;
    common::DBEdit* m_description;
    common::DBEdit* m_dateTaken;
    QPushButton* m_copy;
    QPushButton* m_dateButton;
    common::DBEdit* m_fileName;
    QPushButton* m_fileButton;
    common::DBEdit* m_slide;
    common::DBEdit* m_page;
    common::DBEdit* m_location;
    common::DBEdit* m_timeIndex;
    common::DBEdit* m_timeLength;
    common::DBMemo* m_comments;
    QLabel* m_preview;
    QLabel* m_noPreview;
    QPushButton* m_addPreview;
    QGroupBox* m_rotateGroup;
    QButtonGroup* m_rotate;
    QLabel* m_modifiedByLabel;
    common::DBEdit* m_modifiedBy;
    common::DBEdit* m_modifiedDate;
    QPushButton* m_prior;
    QPushButton* m_next;
    std::vector<QPushButton*> m_buttons;
    std::vector<std::pair<LinkTab, QPushButton*>> m_linkButtons;
    common::DBLookupComboBox* m_personBox = nullptr;
    common::DBLookupComboBox* m_albumBox = nullptr;
    common::DBMemo* m_peopleComments = nullptr;
    QLabel* m_personPreview = nullptr;
    QLabel* m_personNoPreview = nullptr;
    QLabel* m_pictureAgeLabel = nullptr;
    QLabel* m_pictureAge = nullptr;
    QLabel* m_currentAgeLabel = nullptr;
    QLabel* m_currentAge = nullptr;
    std::vector<QWidget*> m_linkModified;
};

// The openers. Each shows the window modally on the current picture row
// and returns its modal result.
int OpenPictureDetails(data::TProgramDataForm& dm, QWidget* owner = nullptr);
int OpenNewPicture(data::TProgramDataForm& dm, QWidget* owner = nullptr);
int OpenSlidePicture(data::TProgramDataForm& dm, QWidget* owner = nullptr);
// The bulk load has inserted and posted the row: the window shows "Abort"
// and "Continue" and returns kBulkAbort or kBulkContinue when they are used.
int OpenBulkPausePicture(data::TProgramDataForm& dm, const QString& pictureFile, bool showPreview,
                         QWidget* owner = nullptr);

// Makes this window the one a bulk load pauses in after each picture.
void InstallBulkPauseEditor(data::TProgramDataForm& dm);

}  // namespace kv::pictures
