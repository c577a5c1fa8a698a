#pragma once

#include "reference/FieldSpecs.h"
#include "reference/ImportPreview.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QMimeData;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class QToolButton;

namespace kv::reference {

// "Import": the user chooses the file, its layout, the date format and the
// lines to skip, sees the first lines of the file split into columns, and
// places a file column on each field by dragging a preview cell onto the
// field's row. "&Import" is enabled once every required field has a column.
class TImportForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 905;

    explicit TImportForm(QWidget* parent = nullptr);
    ~TImportForm() override;

    // Before showing: a field offered for import, with no column yet.
    void AddImportField(const QString& spec);
    void DisableDateFormat();
    void HideDescription();

    // After OK.
    // The field spec of every field with a column, followed by the column and
    // "0", in the order of the rows.
    QStringList ChosenFields() const;
    QString FileName() const;
    QString DateFormat() const;
    QString ImportFormat() const;
    int LinesToSkip() const;
    // The fixed-length layout's columns as the preview found them.
    const FixedColumnTable& FixedColumns() const { return m_preview.fixedColumns; }
    const ImportPreview& Preview() const { return m_preview; }

    // Events.
    void BrowseClick();
    // Reads the file again and shows it; when it cannot be shown (no such
    // file, not text, empty) every placed column is cleared.
    void RebuildPreview();
    // A preview column (1-based) dropped on a field row; a row below the
    // last means the last.
    void PlaceColumn(int fieldRow, int column);
    void UpdateControls();
    // What dragging the preview cell carries (nullptr outside the data).
    QMimeData* PreviewCellMime(int row, int column) const;
    // The file column placed on a field row (0: none).
    int PlacedColumn(int fieldRow) const;

    QLineEdit* FileNameEdit;
    QToolButton* BrowseButton;
    QComboBox* DateFormatCombo;
    QComboBox* ImportFormatCombo;
    QSpinBox* LinesToSkipSpin;
    QLabel* DescriptionLabel;
    QLineEdit* DescriptionEdit;
    QStackedWidget* PreviewStack;
    QLabel* NoFileLabel;
    QTableWidget* PreviewGrid;
    QLabel* PreviewNote;
    QTableWidget* FieldsGrid;
    QPushButton* ImportButton;
    QPushButton* CancelButton;
    QPushButton* HelpButton;

private:
    void clearPlacedColumns();
    void showFieldRow(int row);

    QList<ImportFieldSpec> m_fields;
    ImportPreview m_preview;
};

// The MIME type a preview column travels in to the field rows.
inline constexpr const char* kImportColumnMimeType = "application/x-kestrelview-import-column";

}  // namespace kv::reference
