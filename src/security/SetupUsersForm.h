#pragma once

#include "common/CloseStepDialog.h"

#include <functional>
#include <optional>

class QPushButton;

namespace kv::data {
class TProgramDataForm;
}
namespace kv::common {
class DBEdit;
class DBGrid;
class DBLookupComboBox;
}

namespace kv::security {

// A rating chosen in the Ratings window: its ID and description.
struct PickedRating {
    qint64 id = -1;
    QString description;
};

// "User Setup": users, their profiles and the ratings each may view. The
// built-in first user can be neither deleted nor moved to another profile.
class TSetupUsersForm : public common::TCloseStepDialog {
    Q_OBJECT
public:
    TSetupUsersForm(data::TProgramDataForm& dm, const QString& catalogueDirectory, QWidget* parent = nullptr);
    ~TSetupUsersForm() override;

    // Opens the Ratings window for picking; nothing when none was picked.
    std::function<std::optional<PickedRating>()> pickRating;

    void FormActivate();
    void InsertUserBtnClick();
    void SaveUserBtnClick();
    void DeleteUserBtnClick();
    void InsertRatingBtnClick();
    void SaveRatingBtnClick();
    void DeleteRatingBtnClick();
    void PickRatingBtnClick();
    void LoggedInBtnClick();
    void CloseBtnClick();

    QPushButton* deleteUserButton() const { return m_deleteUser; }
    QPushButton* pickRatingButton() const { return m_pickRating; }
    common::DBLookupComboBox* securityBox() const { return m_security; }
    common::DBLookupComboBox* ratingBox() const { return m_rating; }
    common::DBEdit* loginName() const { return m_login; }
    common::DBGrid* userList() const { return m_users; }

protected:
    // Unsaved changes of the user and his rating are asked about, then the
    // tables are unfiltered.
    bool FormClose(int result) override;

private:
    void applyControls();
    // Starts a rating row for the current user, posting a user being
    // inserted first so that he has his UserID.
    bool startRatingRow();
    void unfilter();

    data::TProgramDataForm& m_dm;
    QString m_catalogueDirectory;
    common::DBGrid* m_users;
    common::DBEdit* m_login;
    common::DBEdit* m_password;
    common::DBEdit* m_fullName;
    common::DBLookupComboBox* m_security;
    common::DBLookupComboBox* m_rating;
    QPushButton* m_insertUser;
    QPushButton* m_saveUser;
    QPushButton* m_deleteUser;
    QPushButton* m_pickRating;
    QPushButton* m_insertRating;
    QPushButton* m_saveRating;
    QPushButton* m_deleteRating;
};

}  // namespace kv::security
