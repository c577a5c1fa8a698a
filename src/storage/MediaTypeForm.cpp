#include "storage/MediaTypeForm.h"

#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "data/ProgramDataForm.h"
#include "security/SecurityData.h"
#include "storage/MediaTypeFlags.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace kv::storage {

TMediaTypeForm::TMediaTypeForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(reference::editorFamily(reference::EditorKind::MediaType), dm, parent)
{
    if (auto* label = qobject_cast<QLabel*>(fieldsLayout()->labelForField(idEdit())))
        label->setText(QStringLiteral("Media Type ID:"));
    auto* options = new QGroupBox(QStringLiteral("Options:"), this);
    auto* grid = new QGridLayout(options);
    int i = 0;
    for (const MediaTypeFlagDef& flag : mediaTypeFlagDefs()) {
        auto* box = new common::DBCheckBox(QString::fromLatin1(flag.caption), options);
        box->setDataSource(dataSource());
        box->setDataField(QString::fromLatin1(flag.field));
        grid->addWidget(box, i / 2, i % 2);
        m_options.push_back(box);
        ++i;
    }
    fieldsLayout()->addRow(options);
    resize(760, 420);
    FormActivate();
}

void TMediaTypeForm::FormActivate()
{
    TReferenceEditor::FormActivate();
    const security::TSecurityData& r = security::SecurityData();
    const bool change = r.CanAddMedia || r.CanEditMedia;
    for (common::DBCheckBox* box : m_options)
        common::SetControlEnabled(box, !change);
}

void TMediaTypeForm::InsertBtnClick()
{
    TReferenceEditor::InsertBtnClick();
    if (table().state() != data::DataSet::State::Insert)
        return;
    for (const MediaTypeFlagDef& flag : mediaTypeFlagDefs())
        table().setFieldValue(QString::fromLatin1(flag.field), false);
}

}  // namespace kv::storage
