#include "admin/MaintenanceCommands.h"

#include "admin/DatabaseMaintenance.h"
#include "admin/InformationForm.h"
#include "admin/TableInformation.h"
#include "common/MessageService.h"
#include "common/ShowModal.h"
#include "common/StatusWindows.h"
#include "common/TextHelpers.h"
#include "data/ProgramDataForm.h"
#include "pictures/Previews.h"

namespace kv::admin {

namespace {

// The status window of a maintenance command: the product's caption, its
// animation running, each text shown at once.
class MaintenanceStatus {
public:
    MaintenanceStatus(const QString& text, QWidget* owner)
        : m_window(text, owner)
    {
        m_window->showAnimation(true);
        m_window->refresh();
    }
    StatusText texts()
    {
        return [this](const QString& text) {
            if (common::TMessageForm* form = m_window.get()) {
                form->setText(text);
                form->refresh();
            }
        };
    }

private:
    common::StatusWindowScope m_window;
};

}  // namespace

void PackDatabaseClick(data::TProgramDataForm& dm, QWidget* owner)
{
    RequireWritable(dm, QStringLiteral("packed"));
    if (!common::askDestructive(QStringLiteral("Are you sure you want to pack the Database?"))) {
        common::showError(QStringLiteral("Pack Operation Aborted!"));
        return;
    }
    PackSizes sizes;
    {
        MaintenanceStatus status(QStringLiteral("Packing Settings Table."), owner);
        sizes = PackDatabase(dm, status.texts());
    }
    common::showInformation(common::FormatMessage(
        QStringLiteral("Pack Operation Compleated!\rThe catalogue took %s% before packing and %s% after."),
        KBytesText(sizes.before) + QLatin1Char('\t') + KBytesText(sizes.after)));
}

void ClearDatabaseClick(data::TProgramDataForm& dm, QWidget* owner)
{
    RequireWritable(dm, QStringLiteral("cleared"));
    if (!common::askDestructive(QStringLiteral("Are you sure you want to clear the database?")))
        return;
    {
        MaintenanceStatus status(QStringLiteral("Clear Database"), owner);
        ClearDatabase(dm, status.texts());
    }
    common::showInformation(QStringLiteral("Database Cleared."));
}

void InformationClick(data::TProgramDataForm& dm, QWidget* owner)
{
    DetachedMasterLinks detached(dm);
    TInformationForm form(dm, owner);
    common::showModal(form);
}

void ResetImageSizeClick(data::TProgramDataForm& dm, QWidget*)
{
    if (!common::askDestructive(QStringLiteral("Are you sure you want to reset the preview image sizes?")))
        return;
    pictures::ClearPreviewSizes(dm);
    // What the picture table holds of its rows shows the sizes gone.
    if (dm.PictureInfoTable.active() && dm.PictureInfoTable.state() == data::DataSet::State::Browse)
        dm.PictureInfoTable.refresh();
}

}  // namespace kv::admin
