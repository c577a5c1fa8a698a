#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;

namespace kv::reference {

// "Export": the user chooses the fields to export, the file, the layout,
// the date format, the header line and (for the picture summary) a range of
// dates. The caller adds the field specs it offers before showing the window
// and reads the choices after it closed with OK.
class TExportForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 904;

    explicit TExportForm(QWidget* parent = nullptr);
    ~TExportForm() override;

    // Before showing.
    void AddExportField(const QString& spec);
    // Callers that do not restrict the rows by date.
    void DisableDateRange();
    // Callers whose specs hold no dates.
    void DisableDateFormat();

    // After OK.
    // The select expressions of the chosen fields, in the chosen order, joined by ",".
    QString SelectList() const;
    QStringList ChosenSpecs() const;
    QStringList ChosenLabels() const;
    QString FileName() const;
    QString ExportFormat() const;
    QString DateFormat() const;
    bool IncludeHeader() const;
    // The date range as the boxes hold it ("mm/dd/yyyy").
    QString StartDate() const;
    QString StopDate() const;

    // Events.
    void AddFieldClick();      // the selected available label to the chosen list
    void RemoveFieldClick();   // the selected chosen label
    void AddAllClick();        // the chosen list becomes every available label
    void RemoveAllClick();
    void ChooseLabel(const QString& label);  // a label dropped on the chosen list
    void BrowseClick();
    void FromCalendarClick();
    void ToCalendarClick();
    // Checks the date range; closes with OK when it is sound, otherwise
    // shows what is wrong and stays open.
    void ExportClick();
    void UpdateControls();

    QListWidget* AvailableList;
    QListWidget* ChosenList;
    QPushButton* AddFieldButton;
    QPushButton* RemoveFieldButton;
    QPushButton* AddAllButton;
    QPushButton* RemoveAllButton;
    QLineEdit* FileNameEdit;
    QToolButton* BrowseButton;
    QComboBox* DateFormatCombo;
    QComboBox* ExportFormatCombo;
    QCheckBox* HeaderCheck;
    QLineEdit* FromDateEdit;
    QLineEdit* ToDateEdit;
    QToolButton* FromCalendarButton;
    QToolButton* ToCalendarButton;
    QPushButton* ExportButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;

private:
    void pickDate(QLineEdit* box);

    QStringList m_specs;
};

// The MIME type a field label travels in from the available list to the
// chosen list.
inline constexpr const char* kFieldLabelMimeType = "application/x-kestrelview-field-label";

}  // namespace kv::reference
