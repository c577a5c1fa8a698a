#include "security/LoggedInUsers.h"

#include "common/WindowPosition.h"
#include "data/SessionRegistry.h"
#include "security/Logon.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::security {

QStringList loggedInUserLines(data::TProgramDataForm& dm, const QString& catalogueDirectory)
{
    QStringList lines;
    for (const data::SessionEntry& session : data::SessionRegistry::liveSessions(catalogueDirectory)) {
        const QString name = session.userName.left(15);
        lines << QStringLiteral("User name: ") + (name.isEmpty() ? QStringLiteral("Unknown") : name);
    }
    for (QString& line : lines) {
        const QString loginName = line.mid(11);
        data::TLoginData record;
        ReadLoginData(dm, loginName, record);
        // A row was found when the record got its login name.
        if (!record.LoginName.isEmpty() && !record.UserName.isEmpty())
            line = loginName.toUpper() + QStringLiteral(" (") + record.UserName + QStringLiteral(")");
    }
    return lines;
}

TLoggedInUsersForm::TLoggedInUsersForm(data::TProgramDataForm& dm, const QString& catalogueDirectory, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("LoggedInUsersForm"));
    setWindowTitle(QStringLiteral("Logged In Users"));
    m_list = new QListWidget(this);
    m_list->addItems(loggedInUserLines(dm, catalogueDirectory));
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(ok);
    resize(320, 240);
    new common::TSaveFormPosition(this, QStringLiteral("Logged In"));
}

}  // namespace kv::security
