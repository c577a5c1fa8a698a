#pragma once

#include "reference/editors/ReferenceEditor.h"

#include <functional>
#include <memory>

class QLabel;
class QTabWidget;

namespace kv::reference {

// Opens the preview window on a picture. Installed by the program where
// that window exists; while none is installed nothing opens.
using PreviewWindowOpener = std::function<void(data::TProgramDataForm& dm, qint64 pictureId, QWidget* owner)>;
PreviewWindowOpener& personPreviewWindow();

// The person editor: a member of the reference editor family (Save,
// Insert, Delete, Find, Export, Import, Close and the pick come from
// TReferenceEditor) with the person's detail on tabs: personal data with
// the age, address, phones, e-mail and web page, comments and the default
// picture's preview.
class TPersonForm : public TReferenceEditor {
    Q_OBJECT
public:
    explicit TPersonForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
    ~TPersonForm() override;

    void FormActivate() override;

    void BirthdayCalendarClick();
    void DeathCalendarClick();
    void GroupBtnClick();
    void WebPageBtnClick();
    void EmailBtnClick();
    void ClearPreviewBtnClick();
    void ShowPreviewBtnClick();  // also the double click on the preview

    // "Age:" and the age text at today, both hidden without a birthday.
    void RefreshAge();
    // The default picture's preview and the two preview buttons.
    void RefreshPreview();

    QTabWidget* tabs() const { return m_tabs; }
    common::DBEdit* birthdayBox() const { return m_birthday; }
    common::DBEdit* deathBox() const { return m_death; }
    QPushButton* birthdayButton() const { return m_birthdayButton; }
    QPushButton* deathButton() const { return m_deathButton; }
    QLabel* ageLabel() const { return m_ageLabel; }
    QLabel* ageText() const { return m_ageText; }
    common::DBLookupComboBox* groupBox() const { return m_group; }
    QPushButton* groupButton() const { return m_groupButton; }
    common::DBEdit* box(const QString& field) const;  // Address1 ... WebPage
    QPushButton* webPageButton() const { return m_webPageButton; }
    QPushButton* emailButton() const { return m_emailButton; }
    QLabel* previewImage() const { return m_image; }
    QLabel* noPreviewLabel() const { return m_noPreview; }
    QPushButton* clearPreviewButton() const { return m_clearPreview; }
    QPushButton* showPreviewButton() const { return m_showPreview; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mayChange() const;
    bool hasRow() const;
    qint64 defaultPicture() const;
    bool pictureExists(qint64 pictureId);
    void pickDate(const QString& field);
    void fieldChanged(const QString& field);

    QTabWidget* m_tabs = nullptr;
    common::DBEdit* m_birthday = nullptr;
    common::DBEdit* m_death = nullptr;
    QPushButton* m_birthdayButton = nullptr;
    QPushButton* m_deathButton = nullptr;
    QLabel* m_ageLabel = nullptr;
    QLabel* m_ageText = nullptr;
    common::DBLookupComboBox* m_group = nullptr;
    QPushButton* m_groupButton = nullptr;
    std::vector<common::DBEdit*> m_boxes;  // address, phones, e-mail, web page
    QPushButton* m_webPageButton = nullptr;
    QPushButton* m_emailButton = nullptr;
    QLabel* m_image = nullptr;
    QLabel* m_noPreview = nullptr;
    QPushButton* m_clearPreview = nullptr;
    QPushButton* m_showPreview = nullptr;
    std::unique_ptr<data::Query> m_pictureQuery;
};

}  // namespace kv::reference
