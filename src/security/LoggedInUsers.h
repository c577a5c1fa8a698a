#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::security {

// One line per program that has the catalogue open: "User name: " and the
// session's user name (at most 15 characters, "Unknown" when empty); a
// known login name becomes "NAME (Display Name)".
QStringList loggedInUserLines(data::TProgramDataForm& dm, const QString& catalogueDirectory);

// "Logged In Users": the lines above and an OK button.
class TLoggedInUsersForm : public QDialog {
    Q_OBJECT
public:
    TLoggedInUsersForm(data::TProgramDataForm& dm, const QString& catalogueDirectory, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }

private:
    QListWidget* m_list;
};

}  // namespace kv::security
