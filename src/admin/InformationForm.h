#pragma once

#include <QDialog>

class QGroupBox;
class QPushButton;
class QTableWidget;

namespace kv::data {
class TProgramDataForm;
}

namespace kv::admin {

// "Database Information": every catalogue table with its record count and
// the size of its pages, and the preview files with their count and size.
// Both number columns show "Searching" until the window is activated; each
// activation fills them again, row by row.
class TInformationForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 1610;
    static constexpr int kColumnWidths[3] = {123, 101, 101};

    explicit TInformationForm(data::TProgramDataForm& dm, QWidget* parent = nullptr);

    // Fills the number columns, redrawing the grid after each cell.
    void FormActivate();

    // The text of a cell without the blanks that right-align it.
    QString cellText(int row, int column) const;

    QGroupBox* InformationGroup;
    QTableWidget* InformationGrid;
    QPushButton* HelpButton;
    QPushButton* OKButton;

protected:
    bool event(QEvent* event) override;

private:
    void setNumberCell(int row, int column, const QString& text);

    data::TProgramDataForm& m_dm;
};

}  // namespace kv::admin
