#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kv::data {
class Table;
class TProgramDataForm;
}

namespace kv::reference {

// "Find": moves a table to the rows whose description contains a text,
// through the table's own record filter; the table is never left filtered.
class TFindForm : public QDialog {
    Q_OBJECT
public:
    TFindForm(data::TProgramDataForm& dm, data::Table& table, QWidget* parent = nullptr);

    void FirstBtnClick();
    void NextBtnClick();
    void PreviousBtnClick();

    QLineEdit* findWhat() const { return m_text; }

private:
    void storeFindText();

    data::TProgramDataForm& m_dm;
    data::Table& m_table;
    QLineEdit* m_text;
    QPushButton* m_help;
};

}  // namespace kv::reference
