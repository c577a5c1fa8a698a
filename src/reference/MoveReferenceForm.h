#pragma once

#include "common/CloseStepDialog.h"
#include "reference/ReassignReferences.h"

class QListWidget;
class QPushButton;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::reference {

// "Move Rating" and "Move Group": after the user chose to delete a rating or
// a person group, what becomes of the rows that refer to it. "Move" gives
// them the row chosen under "Move To:", "Delete" clears them; either deletes
// the row itself in the same transaction. The window stays open until one
// of the two is done, or one failed (the row and its references are then as
// they were, and the user may leave them so).
class TMoveReferenceForm : public common::TCloseStepDialog {
    Q_OBJECT
public:
    TMoveReferenceForm(const ReassignFamily& family, data::TProgramDataForm& dm, qint64 goingId,
                       QWidget* parent = nullptr);
    ~TMoveReferenceForm() override;

    const ReassignFamily& family() const { return m_family; }
    qint64 goingId() const { return m_goingId; }

    void FormActivate();
    void MoveBtnClick();
    void DeleteBtnClick();

    // The "Move To:" list: one item per remaining row, its ID as Qt::UserRole.
    QListWidget* moveTo() const { return m_list; }
    QPushButton* moveButton() const { return m_move; }
    QPushButton* deleteButton() const { return m_deleteButton; }
    QPushButton* helpButton() const { return m_help; }

protected:
    // Closing before either action shows why not and keeps the window open.
    bool FormClose(int result) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void fillList();
    void act(qint64 newId, const QString& question, const QString& confirmation);

    const ReassignFamily& m_family;
    data::TProgramDataForm& m_dm;
    qint64 m_goingId;
    bool m_done = false;
    bool m_failed = false;
    QListWidget* m_list;
    QPushButton* m_help;
    QPushButton* m_deleteButton;
    QPushButton* m_move;
};

class TMoveRatingForm : public TMoveReferenceForm {
    Q_OBJECT
public:
    TMoveRatingForm(data::TProgramDataForm& dm, qint64 ratingId, QWidget* parent = nullptr);
};

class TMoveGroupForm : public TMoveReferenceForm {
    Q_OBJECT
public:
    TMoveGroupForm(data::TProgramDataForm& dm, qint64 groupId, QWidget* parent = nullptr);
};

// Shows the window of the kind for the row going, modally, and returns its
// result: QDialog::Accepted once the row and its references have changed.
int RunReassignForm(ReassignKind kind, data::TProgramDataForm& dm, qint64 goingId, QWidget* parent = nullptr);

}  // namespace kv::reference
