#include "reference/PictureExportCommand.h"

#include "common/ShowModal.h"
#include "reference/ExportData.h"
#include "reference/ExportForm.h"
#include "reference/FieldSpecs.h"

namespace kv::reference {

bool ExportFoundPictures(data::TProgramDataForm& dm, QWidget* owner)
{
    TExportForm form(owner);
    for (const QString& spec : PictureExportSpecs())
        form.AddExportField(spec);
    form.DisableDateRange();
    if (common::showModal(form) != QDialog::Accepted)
        return false;
    return RunPictureExport(dm, form.SelectList(), form.ExportFormat(), form.DateFormat(), form.IncludeHeader(),
                            form.ChosenSpecs(), form.FileName());
}

}  // namespace kv::reference
