#include "reference/MoveReferenceForm.h"

#include "app/StartupValues.h"
#include "common/MessageService.h"
#include "common/ShowModal.h"
#include "common/WindowPosition.h"
#include "data/ErrorDisplay.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace kv::reference {

TMoveReferenceForm::TMoveReferenceForm(const ReassignFamily& family, data::TProgramDataForm& dm, qint64 goingId,
                                       QWidget* parent)
    : common::TCloseStepDialog(parent)
    , m_family(family)
    , m_dm(dm)
    , m_goingId(goingId)
{
    setObjectName(family.className.mid(1));
    setWindowTitle(family.caption);

    auto* group = new QGroupBox(QStringLiteral("Move To:"), this);
    m_list = new QListWidget(group);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_list);

    m_help = new QPushButton(QStringLiteral("Help"), this);
    m_deleteButton = new QPushButton(QStringLiteral("Delete"), this);
    m_move = new QPushButton(QStringLiteral("Move"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_help, m_deleteButton, m_move}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(300, 320);

    connect(m_deleteButton, &QPushButton::clicked, this, &TMoveReferenceForm::DeleteBtnClick);
    connect(m_move, &QPushButton::clicked, this, &TMoveReferenceForm::MoveBtnClick);
    new common::TSaveFormPosition(this, family.positionKey);
    fillList();
    FormActivate();
}

TMoveReferenceForm::~TMoveReferenceForm() = default;

void TMoveReferenceForm::fillList()
{
    m_list->clear();
    for (const auto& [id, description] : ReassignTargets(m_dm, m_family, m_goingId)) {
        auto* item = new QListWidgetItem(description, m_list);
        item->setData(Qt::UserRole, id);
    }
}

void TMoveReferenceForm::showEvent(QShowEvent* event)
{
    TCloseStepDialog::showEvent(event);
    FormActivate();
}

void TMoveReferenceForm::changeEvent(QEvent* event)
{
    TCloseStepDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TMoveReferenceForm::FormActivate()
{
    m_done = false;
    setProperty("helpContext", m_family.helpContext);
    m_help->setEnabled(app::startupValues().HelpAvailable);
}

void TMoveReferenceForm::MoveBtnClick()
{
    const QList<QListWidgetItem*> chosen = m_list->selectedItems();
    if (chosen.isEmpty()) {
        common::showError(m_family.noSelectionText);
        return;
    }
    act(chosen.first()->data(Qt::UserRole).toLongLong(), m_family.moveQuestion, m_family.moveConfirmation);
}

void TMoveReferenceForm::DeleteBtnClick()
{
    act(-1, m_family.deleteQuestion, m_family.deleteConfirmation);
}

void TMoveReferenceForm::act(qint64 newId, const QString& question, const QString& confirmation)
{
    if (!common::askDestructive(question))
        return;
    try {
        ReassignReferences(m_dm, m_family, m_goingId, newId);
    } catch (...) {
        // Nothing has changed, and nothing is locked any more: the user is
        // told why and may try again, or leave the row as it is.
        common::showError(data::ErrorDisplayText(std::current_exception()));
        m_failed = true;
        fillList();
        return;
    }
    common::showInformation(confirmation);
    // After the box: its closing activates the window again, which resets the flag.
    m_done = true;
    done(QDialog::Accepted);
}

bool TMoveReferenceForm::FormClose(int)
{
    if (m_done || m_failed)
        return true;
    common::showError(m_family.closingText);
    return false;
}

TMoveRatingForm::TMoveRatingForm(data::TProgramDataForm& dm, qint64 ratingId, QWidget* parent)
    : TMoveReferenceForm(reassignFamily(ReassignKind::Rating), dm, ratingId, parent)
{
}

TMoveGroupForm::TMoveGroupForm(data::TProgramDataForm& dm, qint64 groupId, QWidget* parent)
    : TMoveReferenceForm(reassignFamily(ReassignKind::PersonGroup), dm, groupId, parent)
{
}

int RunReassignForm(ReassignKind kind, data::TProgramDataForm& dm, qint64 goingId, QWidget* parent)
{
    std::unique_ptr<TMoveReferenceForm> form;
    if (kind == ReassignKind::Rating)
        form = std::make_unique<TMoveRatingForm>(dm, goingId, parent);
    else
        form = std::make_unique<TMoveGroupForm>(dm, goingId, parent);
    return common::showModal(*form);
}

}  // namespace kv::reference
