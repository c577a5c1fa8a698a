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

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::security {

namespace {

bool editing(const data::Table& t)
{
    return t.state() == data::DataSet::State::Edit || t.state() == data::DataSet::State::Insert;
}

}  // namespace

TSetupUsersForm::TSetupUsersForm(data::TProgramDataForm& dm, const QString& catalogueDirectory, QWidget* parent)
    : QDialog(parent)
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

    auto bound = [this, users](const char* field) {
        auto* e = new common::DBEdit(this);
        e->setDataSource(users);
        e->setDataField(QString::fromLatin1(field));
        return e;
    };
    common::DBEdit* id = bound("UserID");
    common::SetEditReadOnly(id, true);
    m_login = bound("LoginName");
    common::DBEdit* password = bound("UserPassword");
    common::DBEdit* fullName = bound("UserName");
    m_security = new common::DBLookupComboBox(this);
    m_security->setListSource(&dm.SecuritySource);
    m_security->setKeyField(QStringLiteral("SecurityID"));
    m_security->setListField(QStringLiteral("SecurityDescription"));
    m_security->setDataSource(users);
    m_security->setDataField(QStringLiteral("SecurityID"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("User ID:"), id);
    fields->addRow(QStringLiteral("Login Name:"), m_login);
    fields->addRow(QStringLiteral("Password:"), password);
    fields->addRow(QStringLiteral("Full Name:"), fullName);
    fields->addRow(QStringLiteral("Security"), m_security);

    auto* ratingsBox = new QGroupBox(QStringLiteral("Allowed Ratings"), this);
    auto* ratingsList = new common::DBGrid(ratingsBox);
    ratingsList->setColumns({{QStringLiteral("RatingDescription"), QStringLiteral("Description")}});
    ratingsList->setReadOnly(true);
    ratingsList->setDataSource(&dm.RatingListSource);
    m_rating = new common::DBLookupComboBox(ratingsBox);
    m_rating->setListSource(&dm.RatingSource);
    m_rating->setKeyField(QStringLiteral("RatingID"));
    m_rating->setListField(QStringLiteral("RatingDescription"));
    m_rating->setDataSource(&dm.RatingListSource);
    m_rating->setDataField(QStringLiteral("RatingID"));
    m_pickRating = new QPushButton(QStringLiteral("..."), ratingsBox);
    auto* insertRating = new QPushButton(QStringLiteral("Insert"), ratingsBox);
    auto* saveRating = new QPushButton(QStringLiteral("Save"), ratingsBox);
    auto* deleteRating = new QPushButton(QStringLiteral("Delete"), ratingsBox);
    auto* ratingRow = new QHBoxLayout;
    ratingRow->addWidget(m_rating, 1);
    ratingRow->addWidget(m_pickRating);
    auto* ratingButtons = new QHBoxLayout;
    for (QPushButton* b : {insertRating, saveRating, deleteRating})
        ratingButtons->addWidget(b);
    auto* ratingsLayout = new QVBoxLayout(ratingsBox);
    ratingsLayout->addWidget(ratingsList);
    auto* ratingForm = new QFormLayout;
    ratingForm->addRow(QStringLiteral("Rating:"), ratingRow);
    ratingsLayout->addLayout(ratingForm);
    ratingsLayout->addLayout(ratingButtons);

    auto* loggedIn = new QPushButton(QStringLiteral("Logged In"), this);
    m_deleteUser = new QPushButton(QStringLiteral("Delete"), this);
    auto* insertUser = new QPushButton(QStringLiteral("Insert"), this);
    auto* saveUser = new QPushButton(QStringLiteral("Save"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {loggedIn, m_deleteUser, insertUser, saveUser, close})
        buttons->addWidget(b);

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(ratingsBox);
    auto* top = new QHBoxLayout;
    top->addWidget(m_users, 1);
    top->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(insertUser, &QPushButton::clicked, this, &TSetupUsersForm::InsertUserBtnClick);
    connect(saveUser, &QPushButton::clicked, this, &TSetupUsersForm::SaveUserBtnClick);
    connect(m_deleteUser, &QPushButton::clicked, this, &TSetupUsersForm::DeleteUserBtnClick);
    connect(insertRating, &QPushButton::clicked, this, &TSetupUsersForm::InsertRatingBtnClick);
    connect(saveRating, &QPushButton::clicked, this, &TSetupUsersForm::SaveRatingBtnClick);
    connect(deleteRating, &QPushButton::clicked, this, &TSetupUsersForm::DeleteRatingBtnClick);
    connect(m_pickRating, &QPushButton::clicked, this, &TSetupUsersForm::PickRatingBtnClick);
    connect(loggedIn, &QPushButton::clicked, this, &TSetupUsersForm::LoggedInBtnClick);
    connect(close, &QPushButton::clicked, this, &TSetupUsersForm::CloseBtnClick);

    new common::TSaveFormPosition(this, QStringLiteral("User Setup"));
    FormActivate();
    m_users->setDataSource(users);
    connect(users, &data::DataSource::recordChanged, this, &TSetupUsersForm::currentUserChanged);
    connect(users, &data::DataSource::stateChanged, this, &TSetupUsersForm::currentUserChanged);
    currentUserChanged();
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

void TSetupUsersForm::currentUserChanged()
{
    const bool builtIn = data::readInteger(m_dm.UserSettingsTable, QStringLiteral("UserID")) == 1;
    m_deleteUser->setEnabled(!builtIn);
    common::SetEditReadOnly(m_security, builtIn);
    m_security->setEnabled(!builtIn);
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

void TSetupUsersForm::InsertRatingBtnClick()
{
    data::Table& user = m_dm.UserSettingsTable;
    // A user being inserted is posted first, so that he has his UserID.
    if (user.state() == data::DataSet::State::Insert && !user.post())
        return;
    if (!m_dm.RatingListTable.insert())
        return;
    m_dm.RatingListTable.setFieldValue(QStringLiteral("UserID"), data::readInteger(user, QStringLiteral("UserID")));
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
    if (t.edit())
        t.setFieldValue(QStringLiteral("RatingID"), picked->id);
}

void TSetupUsersForm::LoggedInBtnClick()
{
    TLoggedInUsersForm form(m_dm, m_catalogueDirectory, this);
    common::showModal(form);
}

void TSetupUsersForm::CloseBtnClick()
{
    m_dm.RatingListTable.setFiltered(false);
    close();
}

void TSetupUsersForm::closeEvent(QCloseEvent* event)
{
    data::Table& t = m_dm.UserSettingsTable;
    if (editing(t)) {
        if (common::askQuestion(QStringLiteral("Changes Not Saved, Save Changes?"))) {
            if (!t.post()) {
                event->ignore();
                return;
            }
        } else {
            t.cancel();
        }
    }
    unfilter();
    QDialog::closeEvent(event);
}

void TSetupUsersForm::unfilter()
{
    m_dm.SecurityTable.setFiltered(false);
    m_dm.UserSettingsTable.setFiltered(false);
}

}  // namespace kv::security
