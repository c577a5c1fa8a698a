#pragma once

#include "common/CloseStepDialog.h"

#include <map>

class QPushButton;
class QCheckBox;

namespace kv::data {
class TProgramDataForm;
}
namespace kv::common {
class DBEdit;
class DBCheckBox;
class DBGrid;
class TSaveFormPosition;
}

namespace kv::security {

// "Security": the profiles and their rights. Only users of the built-in
// administrator profile change anything, and never that profile itself.
class TSecurityForm : public common::TCloseStepDialog {
    Q_OBJECT
public:
    explicit TSecurityForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);
    ~TSecurityForm() override;

    void FormActivate();
    void InsertBtnClick();
    void SaveBtnClick();
    void DeleteBtnClick();
    void CloseBtnClick();

    QPushButton* saveButton() const { return m_save; }
    QPushButton* insertButton() const { return m_insert; }
    QPushButton* deleteButton() const { return m_delete; }
    QPushButton* helpButton() const { return m_help; }
    common::DBEdit* profileName() const { return m_description; }
    common::DBEdit* securityId() const { return m_id; }
    common::DBCheckBox* checkBox(const QString& field) const;
    common::DBGrid* profileList() const { return m_list; }

protected:
    // Unsaved changes of the shown profile are asked about.
    bool FormClose(int result) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyControls();

    data::TProgramDataForm& m_dm;
    common::DBGrid* m_list;
    common::DBEdit* m_description;
    common::DBEdit* m_id;
    std::map<QString, common::DBCheckBox*> m_boxes;
    QPushButton* m_save;
    QPushButton* m_insert;
    QPushButton* m_delete;
    QPushButton* m_close;
    QPushButton* m_help;
    bool m_wasFiltered = false;
    common::TSaveFormPosition* m_position;
};

}  // namespace kv::security
