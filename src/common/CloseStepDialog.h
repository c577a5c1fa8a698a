#pragma once

#include <QDialog>

#include <initializer_list>

namespace kv::data {
class Table;
}

namespace kv::common {

// The usual start of a close step. When one of the tables holds an unsaved
// row (edit or insert), asks "Changes Not Saved, Save Changes?" once: Yes
// posts the rows in the order given, No cancels them. Returns false when a
// post was refused; that row stays for the user to correct or cancel.
bool SaveOrCancelChanges(std::initializer_list<data::Table*> tables);

// A window with one close step, run however the window closes: its own
// Close, Cancel or OK button (close(), reject(), accept()), the close box
// and Escape all end in done(), and done() runs the step first. The step
// may refuse (a post that fails, say); the window then stays open.
class TCloseStepDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

    void done(int result) final;
    // True once the window went through its close step and closed.
    bool closed() const { return m_closed; }

protected:
    // The window's close step, with the result it closes with
    // (QDialog::Accepted, QDialog::Rejected or another done() code).
    // Returns false to keep the window open.
    virtual bool FormClose(int result) = 0;

    // The close box, and close() on a window not shown: Qt would skip
    // reject() for the hidden one.
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_closed = false;
    bool m_inCloseStep = false;
    bool m_refused = false;
};

}  // namespace kv::common
