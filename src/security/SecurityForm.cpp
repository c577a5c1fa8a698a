#include "security/SecurityForm.h"

#include "app/StartupValues.h"
#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/WindowPosition.h"
#include "data/LoginData.h"
#include "data/ProgramDataForm.h"
#include "security/SecurityData.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::security {

TSecurityForm::TSecurityForm(data::TProgramDataForm& dm, QWidget* parent)
    : common::TCloseStepDialog(parent)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("SecurityForm"));
    setWindowTitle(QStringLiteral("Security"));
    data::DataSource* source = &dm.SecuritySource;

    m_list = new common::DBGrid(this);
    m_list->setColumns({{QStringLiteral("SecurityID"), QStringLiteral("ID")},
                        {QStringLiteral("SecurityDescription"), QStringLiteral("Description")}});
    m_list->setReadOnly(true);

    m_description = new common::DBEdit(this);
    m_description->setObjectName(QStringLiteral("ProfileNameEdit"));
    m_description->setDataSource(source);
    m_description->setDataField(QStringLiteral("SecurityDescription"));
    m_id = new common::DBEdit(this);
    m_id->setDataSource(source);
    m_id->setDataField(QStringLiteral("SecurityID"));
    common::SetEditReadOnly(m_id, true);
    m_id->setEnabled(false);

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("Profile Name:"), this), 0, 0);
    fields->addWidget(m_description, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("Security ID:"), this), 1, 0);
    fields->addWidget(m_id, 1, 1);

    auto* rightsBox = new QGroupBox(this);
    auto* rightsGrid = new QGridLayout(rightsBox);
    std::vector<std::pair<QString, QString>> boxes = {{QStringLiteral("Supervisor"), QStringLiteral("Supervisor")}};
    for (const RightInfo& r : rightsList())
        boxes.emplace_back(QString::fromLatin1(r.field), QString::fromLatin1(r.caption));
    boxes.emplace_back(QStringLiteral("EnforceRating"), QStringLiteral("Enforce Rating Restrictions"));
    int i = 0;
    const int rowsPerColumn = (static_cast<int>(boxes.size()) + 2) / 3;
    for (const auto& [field, caption] : boxes) {
        auto* box = new common::DBCheckBox(rightsBox);
        box->setObjectName(field);
        box->setText(caption);
        box->setDataSource(source);
        box->setDataField(field);
        rightsGrid->addWidget(box, i % rowsPerColumn, i / rowsPerColumn);
        m_boxes[field] = box;
        ++i;
    }

    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_insert = new QPushButton(QStringLiteral("Insert"), this);
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_help = new QPushButton(QStringLiteral("Help"), this);
    for (auto [button, name] : {std::pair{m_save, "SaveBtn"}, {m_insert, "InsertBtn"}, {m_delete, "DeleteBtn"}}) {
        button->setObjectName(QString::fromLatin1(name));
        button->setEnabled(false);
    }
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_save, m_insert, m_delete, m_close, m_help})
        buttons->addWidget(b);
    connect(m_save, &QPushButton::clicked, this, &TSecurityForm::SaveBtnClick);
    connect(m_insert, &QPushButton::clicked, this, &TSecurityForm::InsertBtnClick);
    connect(m_delete, &QPushButton::clicked, this, &TSecurityForm::DeleteBtnClick);
    connect(m_close, &QPushButton::clicked, this, &TSecurityForm::CloseBtnClick);

    auto* left = new QVBoxLayout;
    left->addWidget(m_list);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(rightsBox);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);

    // Profile 1 is shown only to those who hold it.
    m_wasFiltered = dm.SecurityTable.filtered();
    dm.SecurityTable.setFiltered(data::LoginData().SecurityID != kAdministratorProfile);
    m_list->setDataSource(source);
    connect(source, &data::DataSource::recordChanged, this, &TSecurityForm::applyControls);

    m_position = new common::TSaveFormPosition(this, QStringLiteral("Security"));
    FormActivate();
}

TSecurityForm::~TSecurityForm()
{
    m_dm.SecurityTable.setFiltered(m_wasFiltered);
}

common::DBCheckBox* TSecurityForm::checkBox(const QString& field) const
{
    const auto it = m_boxes.find(field);
    return it == m_boxes.end() ? nullptr : it->second;
}

void TSecurityForm::showEvent(QShowEvent* event)
{
    common::TCloseStepDialog::showEvent(event);
    FormActivate();
}

void TSecurityForm::FormActivate()
{
    m_help->setEnabled(app::startupValues().HelpAvailable);
    applyControls();
}

void TSecurityForm::applyControls()
{
    const qint64 shown = m_dm.SecurityTable.isEmpty() && m_dm.SecurityTable.state() == data::DataSet::State::Browse
                             ? -1
                             : data::readInteger(m_dm.SecurityTable, QStringLiteral("SecurityID"));
    const SecurityFormControls c = securityFormControls(data::LoginData().SecurityID, shown, SecurityData());
    m_insert->setEnabled(c.insert);
    m_save->setEnabled(c.save);
    m_delete->setEnabled(c.remove);
    common::SetEditReadOnly(m_description, !c.description);
    m_description->setEnabled(c.description);
    for (const auto& [field, box] : m_boxes) {
        const bool enabled = c.rights && field != QStringLiteral("Supervisor");
        common::SetControlEnabled(box, !enabled);
    }
}

void TSecurityForm::InsertBtnClick()
{
    data::Table& t = m_dm.SecurityTable;
    if (!t.insert())
        return;
    t.setFieldValue(QStringLiteral("Supervisor"), false);
    for (const RightInfo& r : rightsList())
        t.setFieldValue(QString::fromLatin1(r.field), false);
    t.setFieldValue(QStringLiteral("EnforceRating"), true);
    t.post();
    applyControls();
}

void TSecurityForm::SaveBtnClick()
{
    data::Table& t = m_dm.SecurityTable;
    if (t.isEmpty() && t.state() == data::DataSet::State::Browse)
        return;
    if (t.edit())
        t.post();
    applyControls();
}

void TSecurityForm::DeleteBtnClick()
{
    data::Table& t = m_dm.SecurityTable;
    if (t.isEmpty())
        return;
    if (common::askDestructive(QStringLiteral("Are you sure you want to delete This Security Profile?")))
        t.deleteRecord();
    applyControls();
}

void TSecurityForm::CloseBtnClick() { close(); }

bool TSecurityForm::FormClose(int) { return common::SaveOrCancelChanges({&m_dm.SecurityTable}); }

}  // namespace kv::security
