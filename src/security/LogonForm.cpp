#include "security/LogonForm.h"

#include "data/SystemInfo.h"
#include "security/Logon.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kv::security {

TLogonForm::TLogonForm(data::TProgramDataForm& dm, bool databaseReadOnly, QWidget* parent)
    : common::TCloseStepDialog(parent)
    , m_dm(dm)
    , m_readOnly(databaseReadOnly)
{
    setObjectName(QStringLiteral("LogonForm"));
    setWindowTitle(QStringLiteral("Logon"));
    auto* title = new QLabel(QStringLiteral("Kestrelview"), this);
    QFont big = title->font();
    big.setPointSize(20);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* restricted = new QLabel(QStringLiteral("Restricted Access"), this);
    QFont boldItalic = restricted->font();
    boldItalic.setBold(true);
    boldItalic.setItalic(true);
    restricted->setFont(boldItalic);
    restricted->setAlignment(Qt::AlignCenter);
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(48, 48));
    picture->setAlignment(Qt::AlignCenter);

    m_user = new QLineEdit(this);
    m_password = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("User Name:"), m_user);
    fields->addRow(QStringLiteral("Password:"), m_password);

    m_login = new QPushButton(QStringLiteral("Login"), this);
    m_login->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_login);
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(restricted);
    layout->addWidget(picture);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_login, &QPushButton::clicked, this, &TLogonForm::LoginBtnClick);
    connect(m_cancel, &QPushButton::clicked, this, &TLogonForm::CancelBtnClick);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &TLogonForm::CancelBtnClick);
}

void TLogonForm::showEvent(QShowEvent* event)
{
    common::TCloseStepDialog::showEvent(event);
    if (data::SystemInfo().DisableLogin && !m_timer.isActive())
        m_timer.start(m_timeoutMs);
}

void TLogonForm::LoginBtnClick()
{
    m_timer.stop();
    m_loggedOn = LoginWithPassword(m_dm, m_user->text(), m_password->text(), m_readOnly);
    accept();
}

void TLogonForm::CancelBtnClick() { reject(); }

bool TLogonForm::FormClose(int result)
{
    m_timer.stop();
    m_cancelled = result != QDialog::Accepted;
    return true;
}

}  // namespace kv::security
