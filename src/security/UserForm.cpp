#include "security/UserForm.h"

#include "app/StartupValues.h"
#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/WindowPosition.h"
#include "data/LoginData.h"
#include "data/ProgramDataForm.h"
#include "security/SecurityData.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::security {

TUserForm::TUserForm(data::TProgramDataForm& dm, bool databaseReadOnly, QWidget* parent)
    : common::TCloseStepDialog(parent)
    , m_dm(dm)
    , m_readOnly(databaseReadOnly)
{
    setObjectName(QStringLiteral("UserForm"));
    setWindowTitle(QStringLiteral("User Settings"));
    m_userId = new QLabel(this);
    m_userName = new QLabel(this);
    m_security = new QLabel(this);
    m_new = new QLineEdit(this);
    m_verify = new QLineEdit(this);
    for (QLineEdit* e : {m_new, m_verify}) {
        e->setEchoMode(QLineEdit::Password);
        // What is typed is what is stored.
        common::LimitToField(e, dm.UserSettingsTable, QStringLiteral("UserPassword"));
    }
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("User ID:"), m_userId);
    fields->addRow(QStringLiteral("User Name:"), m_userName);
    fields->addRow(QStringLiteral("Security:"), m_security);
    fields->addRow(QStringLiteral("New Password:"), m_new);
    fields->addRow(QStringLiteral("Verify Password:"), m_verify);
    fields->addRow(QString(), new QLabel(QStringLiteral("(Case Sensitive)"), this));

    m_ratings = new common::DBGrid(this);
    m_ratings->setColumns({{QStringLiteral("RatingDescription"), QStringLiteral("Allowed Ratings To View")}});
    m_ratings->setReadOnly(true);
    m_ratings->setDataSource(&dm.RatingListSource);
    m_reset = new QCheckBox(QStringLiteral("Reset Forms"), this);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_help = new QPushButton(QStringLiteral("Help"), this);
    connect(ok, &QPushButton::clicked, this, &TUserForm::OKBtnClick);
    connect(cancel, &QPushButton::clicked, this, &TUserForm::CancelBtnClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {ok, cancel, m_help})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_ratings);
    layout->addWidget(m_reset);
    layout->addLayout(buttons);

    m_position = new common::TSaveFormPosition(this, QStringLiteral("User Settings"));
    common::SetEditReadOnly(m_new, databaseReadOnly);
    common::SetEditReadOnly(m_verify, databaseReadOnly);
    FormActivate();
}

TUserForm::~TUserForm() { unfilter(); }

void TUserForm::FormActivate()
{
    const data::TLoginData& login = data::LoginData();
    m_userId->setText(login.LoginName);
    m_userName->setText(login.UserName);
    m_security->setText(SecurityData().SecurityDescription);
    m_help->setEnabled(app::startupValues().HelpAvailable);
    // The user table shows the logged-on user alone, and the allowed
    // ratings follow him.
    m_dm.LoginNameFilter = login.LoginName;
    m_dm.UserSettingsTable.setFiltered(false);
    m_dm.UserSettingsTable.setFiltered(true);
}

void TUserForm::OKBtnClick()
{
    data::Table& user = m_dm.UserSettingsTable;
    if (!m_new->text().isEmpty()) {
        if (m_new->text() != m_verify->text()) {
            common::showError(QStringLiteral("Error: Passwords Do Not Match"));
            return;
        }
        if (!m_readOnly && !user.isEmpty() && user.edit())
            user.setFieldValue(QStringLiteral("UserPassword"), m_new->text());
    }
    if (m_reset->isChecked()) {
        common::ResetAllPositions();
        m_position->RestoreDesignPosition();
    }
    if (!m_readOnly && !user.isEmpty() && user.edit() && !user.post())
        return;
    accept();
}

void TUserForm::CancelBtnClick() { reject(); }

bool TUserForm::FormClose(int result)
{
    if (result != QDialog::Accepted)
        m_dm.UserSettingsTable.cancel();
    unfilter();
    return true;
}

void TUserForm::unfilter()
{
    m_dm.LoginNameFilter.clear();
    m_dm.UserSettingsTable.setFiltered(false);
    m_dm.RatingListTable.setFiltered(false);
}

}  // namespace kv::security
