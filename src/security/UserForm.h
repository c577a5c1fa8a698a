#pragma once

#include "common/CloseStepDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv::data {
class TProgramDataForm;
}
namespace kv::common {
class DBGrid;
class TSaveFormPosition;
}

namespace kv::security {

// "User Settings": the logged-on user changes his password, sees the
// ratings he may view, and can reset every window position.
class TUserForm : public common::TCloseStepDialog {
    Q_OBJECT
public:
    TUserForm(data::TProgramDataForm& dm, bool databaseReadOnly, QWidget* parent = nullptr);
    ~TUserForm() override;

    void FormActivate();
    void OKBtnClick();
    void CancelBtnClick();

    QLineEdit* newPassword() const { return m_new; }
    QLineEdit* verifyPassword() const { return m_verify; }
    QCheckBox* resetForms() const { return m_reset; }
    common::DBGrid* allowedRatings() const { return m_ratings; }
    QLabel* userId() const { return m_userId; }

protected:
    // Any close but OK drops the user row's changes; then the tables are
    // unfiltered.
    bool FormClose(int result) override;

private:
    void unfilter();

    data::TProgramDataForm& m_dm;
    bool m_readOnly;
    QLabel* m_userId;
    QLabel* m_userName;
    QLabel* m_security;
    QLineEdit* m_new;
    QLineEdit* m_verify;
    common::DBGrid* m_ratings;
    QCheckBox* m_reset;
    QPushButton* m_help;
    common::TSaveFormPosition* m_position;
};

}  // namespace kv::security
