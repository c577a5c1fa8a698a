#include "common/CloseStepDialog.h"

#include "common/MessageService.h"
#include "data/Table.h"

#include <QCloseEvent>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace kv::common {

namespace {

bool editing(const data::Table& t)
{
    return t.state() == data::DataSet::State::Edit || t.state() == data::DataSet::State::Insert;
}

}  // namespace

bool SaveOrCancelChanges(std::initializer_list<data::Table*> tables)
{
    if (std::none_of(tables.begin(), tables.end(), [](const data::Table* t) { return t && editing(*t); }))
        return true;
    const bool save = askQuestion(QStringLiteral("Changes Not Saved, Save Changes?"));
    std::vector<data::Table*> order(tables);
    if (!save)
        std::reverse(order.begin(), order.end());  // a detail row goes before its master's
    for (data::Table* t : order) {
        if (!t || !editing(*t))
            continue;
        if (!save)
            t->cancel();
        else if (!t->post())
            return false;
    }
    return true;
}

void TCloseStepDialog::done(int result)
{
    // A second close while the step is asking (Escape pressed behind a
    // question) waits for the first.
    if (m_inCloseStep) {
        m_refused = true;
        return;
    }
    m_inCloseStep = true;
    QPointer<TCloseStepDialog> self(this);
    const bool mayClose = FormClose(result);
    if (!self)
        return;
    m_inCloseStep = false;
    m_refused = !mayClose;
    if (!mayClose)
        return;
    m_closed = true;
    QDialog::done(result);
}

void TCloseStepDialog::closeEvent(QCloseEvent* event)
{
    QPointer<TCloseStepDialog> self(this);
    done(QDialog::Rejected);
    if (self)
        event->setAccepted(!m_refused);
}

}  // namespace kv::common
