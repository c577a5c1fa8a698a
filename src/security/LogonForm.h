#pragma once

#include <QDialog>
#include <QTimer>

class QLineEdit;
class QPushButton;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::security {

// "Logon": user name and password, one attempt. While logins are disabled
// it gives up by itself after 30 seconds, as if cancelled.
class TLogonForm : public QDialog {
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
