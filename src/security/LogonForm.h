#pragma once

#include "common/CloseStepDialog.h"

#include <QTimer>

class QLineEdit;
class QPushButton;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::security {

// "Logon": user name and password, one attempt. Any way out but "Login"
// (Cancel, Escape, the close box) is a cancelled logon, and so is the end
// of the 30 seconds it waits while logins are disabled.
class TLogonForm : public common::TCloseStepDialog {
    Q_OBJECT
public:
    static constexpr int kDisabledLoginTimeoutMs = 30000;

    TLogonForm(data::TProgramDataForm& dm, bool databaseReadOnly, QWidget* parent = nullptr);

    void LoginBtnClick();
    void CancelBtnClick();

    bool loggedOn() const { return m_loggedOn; }
    bool cancelled() const { return m_cancelled; }
    QLineEdit* userName() const { return m_user; }
    QLineEdit* password() const { return m_password; }
    QPushButton* loginButton() const { return m_login; }
    const QTimer& disabledLoginTimer() const { return m_timer; }
    void setDisabledLoginTimeout(int ms) { m_timeoutMs = ms; }

protected:
    void showEvent(QShowEvent* event) override;
    bool FormClose(int result) override;

private:
    data::TProgramDataForm& m_dm;
    bool m_readOnly;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QPushButton* m_login;
    QPushButton* m_cancel;
    QTimer m_timer;
    int m_timeoutMs = kDisabledLoginTimeoutMs;
    bool m_loggedOn = false;
    bool m_cancelled = false;
};

}  // namespace kv::security
