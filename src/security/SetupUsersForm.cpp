#include "security/SetupUsersForm.h"

#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/ShowModal.h"
#include "common/TextHelpers.h"
#include "common/WindowPosition.h"
#include "data/LoginData.h"
#include "data/ProgramDataForm.h"
#include "security/LoggedInUsers.h"
#include "security/SecurityData.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::security {

namespace {

// No current row: an empty table not being inserted into.
bool noRow(const data::Table& t) { return t.isEmpty() && t.state() == data::DataSet::State::Browse; }

}  // namespace

TSetupUsersForm::TSetupUsersForm(data::TProgramDataForm& dm, const QString& catalogueDirectory, QWidget* parent)
    : common::TCloseStepDialog(parent)
    , m_dm(dm)
    , m_catalogueDirectory(catalogueDirectory)
{
    setObjectName(QStringLiteral("SetupUsersForm"));
    setWindowTitle(QStringLiteral("User Setup"));
    data::DataSource* users = &dm.UserSettingsSource;

    m_users = new common::DBGrid(this);
    m_users->setColumns({{QStringLiteral("UserID"), QStringLiteral("User ID")},
                         {QStringLiteral("UserName"), QStringLiteral("User Name")}});
    m_users->setReadOnly(true);

    auto bound = [this, users](const char* field, const char* name) {
        auto* e = new common::DBEdit(this);
        e->setObjectName(QString::fromLatin1(name));
        e->setDataSource(users);
        e->setDataField(QString::fromLatin1(field));
        return e;
    };
    common::DBEdit* id = bound("UserID", "UserIDEdit");
    common::SetEditReadOnly(id, true);
    m_login = bound("LoginName", "LoginNameEdit");
    m_password = bound("UserPassword", "PasswordEdit");
    m_fullName = bound("UserName", "FullNameEdit");
    m_security = new common::DBLookupComboBox(this);
    m_security->setObjectName(QStringLiteral("SecurityBox"));
    m_security->setListSource(&dm.SecuritySource);
    m_security->setKeyField(QStringLiteral("SecurityID"));
    m_security->setListField(QStringLiteral("SecurityDescription"));
    m_security->setDataSource(users);
    m_security->setDataField(QStringLiteral("SecurityID"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("User ID:"), id);
    fields->addRow(QStringLiteral("Login Name:"), m_login);
    fields->addRow(QStringLiteral("Password:"), m_password);
    fields->addRow(QStringLiteral("Full Name:"), m_fullName);
    fields->addRow(QStringLiteral("Security"), m_security);

    auto* ratingsBox = new QGroupBox(QStringLiteral("Allowed Ratings"), this);
    auto* ratingsList = new common::DBGrid(ratingsBox);
    ratingsList->setColumns({{QStringLiteral("RatingDescription"), QStringLiteral("Description")}});
    ratingsList->setReadOnly(true);
    ratingsList->setDataSource(&dm.RatingListSource);
    m_rating = new common::DBLookupComboBox(ratingsBox);
    m_rating->setObjectName(QStringLiteral("RatingBox"));
    m_rating->setListSource(&dm.RatingSource);
    m_rating->setKeyField(QStringLiteral("RatingID"));
    m_rating->setListField(QStringLiteral("RatingDescription"));
    m_rating->setDataSource(&dm.RatingListSource);
    m_rating->setDataField(QStringLiteral("RatingID"));
    m_pickRating = new QPushButton(QStringLiteral("..."), ratingsBox);
    m_insertRating = new QPushButton(QStringLiteral("Insert"), ratingsBox);
    m_saveRating = new QPushButton(QStringLiteral("Save"), ratingsBox);
    m_deleteRating = new QPushButton(QStringLiteral("Delete"), ratingsBox);
    auto* ratingRow = new QHBoxLayout;
    ratingRow->addWidget(m_rating, 1);
    ratingRow->addWidget(m_pickRating);
    auto* ratingButtons = new QHBoxLayout;
    for (QPushButton* b : {m_insertRating, m_saveRating, m_deleteRating})
        ratingButtons->addWidget(b);
    auto* ratingsLayout = new QVBoxLayout(ratingsBox);
    ratingsLayout->addWidget(ratingsList);
    auto* ratingForm = new QFormLayout;
    ratingForm->addRow(QStringLiteral("Rating:"), ratingRow);
    ratingsLayout->addLayout(ratingForm);
    ratingsLayout->addLayout(ratingButtons);

    auto* loggedIn = new QPushButton(QStringLiteral("Logged In"), this);
    m_deleteUser = new QPushButton(QStringLiteral("Delete"), this);
    m_insertUser = new QPushButton(QStringLiteral("Insert"), this);
    m_saveUser = new QPushButton(QStringLiteral("Save"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {loggedIn, m_deleteUser, m_insertUser, m_saveUser, close})
        buttons->addWidget(b);
    for (auto [button, name] : {std::pair{m_insertUser, "InsertUserBtn"}, {m_saveUser, "SaveUserBtn"},
                                {m_deleteUser, "DeleteUserBtn"}, {m_insertRating, "InsertRatingBtn"},
                                {m_saveRating, "SaveRatingBtn"}, {m_deleteRating, "DeleteRatingBtn"},
                                {m_pickRating, "PickRatingBtn"}})
        button->setObjectName(QString::fromLatin1(name));

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(ratingsBox);
    auto* top = new QHBoxLayout;
    top->addWidget(m_users, 1);
    top->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(m_insertUser, &QPushButton::clicked, this, &TSetupUsersForm::InsertUserBtnClick);
    connect(m_saveUser, &QPushButton::clicked, this, &TSetupUsersForm::SaveUserBtnClick);
    connect(m_deleteUser, &QPushButton::clicked, this, &TSetupUsersForm::DeleteUserBtnClick);
    connect(m_insertRating, &QPushButton::clicked, this, &TSetupUsersForm::InsertRatingBtnClick);
    connect(m_saveRating, &QPushButton::clicked, this, &TSetupUsersForm::SaveRatingBtnClick);
    connect(m_deleteRating, &QPushButton::clicked, this, &TSetupUsersForm::DeleteRatingBtnClick);
    connect(m_pickRating, &QPushButton::clicked, this, &TSetupUsersForm::PickRatingBtnClick);
    connect(loggedIn, &QPushButton::clicked, this, &TSetupUsersForm::LoggedInBtnClick);
    connect(close, &QPushButton::clicked, this, &TSetupUsersForm::CloseBtnClick);

    new common::TSaveFormPosition(this, QStringLiteral("User Setup"));
    FormActivate();
    m_users->setDataSource(users);
    connect(users, &data::DataSource::recordChanged, this, &TSetupUsersForm::applyControls);
    connect(users, &data::DataSource::stateChanged, this, &TSetupUsersForm::applyControls);
    applyControls();
}

TSetupUsersForm::~TSetupUsersForm() { unfilter(); }

void TSetupUsersForm::FormActivate()
{
    // Users of other profiles see neither the built-in profile nor its users.
    if (data::LoginData().SecurityID != kAdministratorProfile) {
        m_dm.LoginNameFilter.clear();
        m_dm.UserSettingsTable.setFiltered(true);
        m_dm.SecurityTable.setFiltered(true);
    }
}

void TSetupUsersForm::applyControls()
{
    const bool builtIn = data::readInteger(m_dm.UserSettingsTable, QStringLiteral("UserID")) == 1;
    const SetupUsersControls c = setupUsersControls(SecurityData(), builtIn);
    m_insertUser->setEnabled(c.userInsert);
    m_saveUser->setEnabled(c.userSave);
    m_deleteUser->setEnabled(c.userDelete);
    for (common::DBEdit* e : {m_login, m_password, m_fullName})
        common::SetEditReadOnly(e, !c.userFields);
    common::SetEditReadOnly(m_security, !c.security);
    m_security->setEnabled(c.security);
    common::SetEditReadOnly(m_rating, !c.ratings);
    for (QPushButton* b : {m_pickRating, m_insertRating, m_saveRating, m_deleteRating})
        b->setEnabled(c.ratings);
}

void TSetupUsersForm::InsertUserBtnClick()
{
    if (m_dm.UserSettingsTable.insert())
        m_login->setFocus();
}

void TSetupUsersForm::SaveUserBtnClick()
{
    data::Table& t = m_dm.UserSettingsTable;
    if ((t.state() != data::DataSet::State::Browse || !t.isEmpty()) && t.edit())
        t.post();
}

void TSetupUsersForm::DeleteUserBtnClick()
{
    data::Table& t = m_dm.UserSettingsTable;
    if (t.isEmpty() || data::readInteger(t, QStringLiteral("UserID")) == 1)
        return;
    if (common::askDestructive(QStringLiteral("Are you sure you want to delete this user?")))
        t.deleteRecord();
}

bool TSetupUsersForm::startRatingRow()
{
    data::Table& user = m_dm.UserSettingsTable;
    if (noRow(user))
        return false;
    if (user.state() == data::DataSet::State::Insert && !user.post())
        return false;
    if (!m_dm.RatingListTable.insert())
        return false;
    m_dm.RatingListTable.setFieldValue(QStringLiteral("UserID"), data::readInteger(user, QStringLiteral("UserID")));
    return true;
}

void TSetupUsersForm::InsertRatingBtnClick()
{
    if (startRatingRow())
        m_rating->setFocus();
}

void TSetupUsersForm::SaveRatingBtnClick()
{
    data::Table& t = m_dm.RatingListTable;
    if ((t.state() != data::DataSet::State::Browse || !t.isEmpty()) && t.edit())
        t.post();
}

void TSetupUsersForm::DeleteRatingBtnClick()
{
    data::Table& t = m_dm.RatingListTable;
    if (t.isEmpty() && t.state() == data::DataSet::State::Browse)
        return;
    if (common::askDestructive(QStringLiteral("Are you sure you want to delete this Rating?")))
        t.deleteRecord();
}

void TSetupUsersForm::PickRatingBtnClick()
{
    if (!pickRating)
        return;
    const std::optional<PickedRating> picked = pickRating();
    if (!picked)
        return;
    if (!common::askQuestion(common::FormatMessage(QStringLiteral("Do you want to use %s% for the Rating?"),
                                                   picked->description)))
        return;
    data::Table& t = m_dm.RatingListTable;
    // A user without ratings gets the picked one as his first.
    const bool ready = noRow(t) ? startRatingRow() : t.edit();
    if (ready)
        t.setFieldValue(QStringLiteral("RatingID"), picked->id);
}

void TSetupUsersForm::LoggedInBtnClick()
{
    TLoggedInUsersForm form(m_dm, m_catalogueDirectory, this);
    common::showModal(form);
}

void TSetupUsersForm::CloseBtnClick() { close(); }

bool TSetupUsersForm::FormClose(int)
{
    // The user goes before his rating row; No cancels the rating first.
    if (!common::SaveOrCancelChanges({&m_dm.UserSettingsTable, &m_dm.RatingListTable}))
        return false;
    m_dm.RatingListTable.setFiltered(false);
    unfilter();
    return true;
}

void TSetupUsersForm::unfilter()
{
    m_dm.SecurityTable.setFiltered(false);
    m_dm.UserSettingsTable.setFiltered(false);
}

}  // namespace kv::security
