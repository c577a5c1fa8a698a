#include "reference/editors/FindForm.h"

#include "app/StartupValues.h"
#include "common/MessageService.h"
#include "common/WindowPosition.h"
#include "data/ProgramDataForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::reference {

TFindForm::TFindForm(data::TProgramDataForm& dm, data::Table& table, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
    , m_table(table)
{
    setObjectName(QStringLiteral("FindForm"));
    setWindowTitle(QStringLiteral("Find"));
    setProperty("helpContext", 7400);
    m_text = new QLineEdit(this);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Find What:"), m_text);
    auto* first = new QPushButton(QStringLiteral("First"), this);
    first->setDefault(true);
    auto* next = new QPushButton(QStringLiteral("Next"), this);
    auto* previous = new QPushButton(QStringLiteral("Previous"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_help = new QPushButton(QStringLiteral("Help"), this);
    m_help->setEnabled(app::startupValues().HelpAvailable);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {first, next, previous, cancel, m_help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    connect(first, &QPushButton::clicked, this, &TFindForm::FirstBtnClick);
    connect(next, &QPushButton::clicked, this, &TFindForm::NextBtnClick);
    connect(previous, &QPushButton::clicked, this, &TFindForm::PreviousBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    new common::TSaveFormPosition(this, QStringLiteral("Find"));
}

void TFindForm::storeFindText() { m_dm.FindText = m_text->text().toUpper(); }

void TFindForm::FirstBtnClick()
{
    storeFindText();
    if (!m_table.findFirst())
        common::showError(QStringLiteral("Sorry, We did not find any data that matched your search Criteria!"));
}

void TFindForm::NextBtnClick()
{
    storeFindText();
    if (!m_table.findNext())
        common::showError(QStringLiteral("Sorry, We did not find any more data that matched your search Criteria!"));
}

void TFindForm::PreviousBtnClick()
{
    storeFindText();
    if (!m_table.findPrior())
        common::showError(QStringLiteral("Sorry, We did not find any more data that matched your search Criteria!"));
}

}  // namespace kv::reference
