#include "reference/ImportForm.h"

#include "app/StartupValues.h"
#include "common/DateText.h"
#include "common/WindowPosition.h"
#include "reference/FileChooser.h"
#include "reference/StatusWindowProgress.h"
#include "reference/TextLayouts.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace kv::reference {

namespace {

QString columnCaption(int column) { return QStringLiteral("Field ") + QString::number(column); }

QMimeData* columnMime(int column)
{
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kImportColumnMimeType), QByteArray::number(column));
    return mime;
}

int droppedColumn(const QMimeData* mime)
{
    if (!mime || !mime->hasFormat(QString::fromLatin1(kImportColumnMimeType)))
        return 0;
    return mime->data(QString::fromLatin1(kImportColumnMimeType)).toInt();
}

// The preview: a data cell is dragged from here, carrying its column.
class PreviewTable : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

protected:
    QStringList mimeTypes() const override { return {QString::fromLatin1(kImportColumnMimeType)}; }
    QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override
    {
        return items.isEmpty() ? nullptr : columnMime(items.first()->column() + 1);
    }
};

// The field rows: a column dropped on a row is placed on that field.
class FieldTable : public QTableWidget {
public:
    FieldTable(std::function<void(int row, int column)> dropped, QWidget* parent)
        : QTableWidget(parent)
        , m_dropped(std::move(dropped))
    {
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (droppedColumn(event->mimeData()) > 0)
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (droppedColumn(event->mimeData()) > 0)
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override
    {
        const int column = droppedColumn(event->mimeData());
        if (column <= 0 || rowCount() == 0) {
            event->ignore();
            return;
        }
        m_dropped(rowAt(event->position().toPoint().y()), column);
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }

private:
    std::function<void(int, int)> m_dropped;
};

QTableWidgetItem* readOnlyItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

TImportForm::TImportForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ImportForm"));
    setWindowTitle(QStringLiteral("Import"));
    setProperty("helpContext", kHelpContext);
    UseStatusWindowProgress();

    // Import Options
    auto* optionsBox = new QGroupBox(QStringLiteral("Import Options"), this);
    FileNameEdit = new QLineEdit(optionsBox);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    BrowseButton = new QToolButton(optionsBox);
    BrowseButton->setText(QStringLiteral("..."));
    BrowseButton->setToolTip(QStringLiteral("Select Inport File"));
    DateFormatCombo = new QComboBox(optionsBox);
    DateFormatCombo->addItems(common::DateFormatNames());
    DateFormatCombo->setCurrentIndex(-1);
    ImportFormatCombo = new QComboBox(optionsBox);
    ImportFormatCombo->addItems(TextLayoutNames());
    ImportFormatCombo->setCurrentIndex(-1);
    LinesToSkipSpin = new QSpinBox(optionsBox);
    LinesToSkipSpin->setRange(0, 100);
    LinesToSkipSpin->setValue(0);
    DescriptionLabel = new QLabel(QStringLiteral("Description:"), optionsBox);
    DescriptionEdit = new QLineEdit(optionsBox);

    auto* options = new QGridLayout(optionsBox);
    options->addWidget(new QLabel(QStringLiteral("File Name"), optionsBox), 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FileNameEdit, 1);
    fileRow->addWidget(BrowseButton);
    options->addLayout(fileRow, 0, 1, 1, 5);
    options->addWidget(new QLabel(QStringLiteral("Date Format:"), optionsBox), 1, 0);
    options->addWidget(DateFormatCombo, 1, 1);
    options->addWidget(new QLabel(QStringLiteral("Import Format:"), optionsBox), 1, 2);
    options->addWidget(ImportFormatCombo, 1, 3);
    options->addWidget(new QLabel(QStringLiteral("Lines To Skip:"), optionsBox), 1, 4);
    options->addWidget(LinesToSkipSpin, 1, 5);
    options->addWidget(DescriptionLabel, 2, 0);
    options->addWidget(DescriptionEdit, 2, 1, 1, 5);

    // File Preview
    auto* previewBox = new QGroupBox(QStringLiteral("File Preview"), this);
    PreviewStack = new QStackedWidget(previewBox);
    NoFileLabel = new QLabel(QStringLiteral("No File Loaded"), PreviewStack);
    NoFileLabel->setAlignment(Qt::AlignCenter);
    PreviewGrid = new PreviewTable(PreviewStack);
    PreviewGrid->setObjectName(QStringLiteral("PreviewGrid"));
    PreviewGrid->setFont(QFont(QStringLiteral("Courier New"), 10));
    PreviewGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PreviewGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    PreviewGrid->setDragEnabled(true);
    PreviewGrid->setDragDropMode(QAbstractItemView::DragOnly);
    PreviewGrid->setDefaultDropAction(Qt::CopyAction);
    PreviewGrid->setToolTip(QStringLiteral("Drage The Field You Want To Import"));
    PreviewGrid->verticalHeader()->hide();
    PreviewStack->addWidget(NoFileLabel);
    PreviewStack->addWidget(PreviewGrid);
    PreviewNote = new QLabel(previewBox);
    PreviewNote->setObjectName(QStringLiteral("PreviewNote"));
    PreviewNote->setWordWrap(true);
    PreviewNote->hide();
    auto* previewLayout = new QVBoxLayout(previewBox);
    previewLayout->addWidget(PreviewStack, 1);
    previewLayout->addWidget(PreviewNote);

    // Import Fields
    auto* fieldsBox = new QGroupBox(QStringLiteral("Import Fields"), this);
    FieldsGrid = new FieldTable([this](int row, int column) { PlaceColumn(row, column); }, fieldsBox);
    FieldsGrid->setObjectName(QStringLiteral("FieldsGrid"));
    FieldsGrid->setColumnCount(2);
    FieldsGrid->setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("File Column")});
    FieldsGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    FieldsGrid->verticalHeader()->hide();
    FieldsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FieldsGrid->setAcceptDrops(true);
    FieldsGrid->viewport()->setAcceptDrops(true);
    FieldsGrid->setDragDropMode(QAbstractItemView::DropOnly);
    auto* fieldsLayout = new QVBoxLayout(fieldsBox);
    fieldsLayout->addWidget(FieldsGrid);

    ImportButton = new QPushButton(QStringLiteral("&Import"), this);
    ImportButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setEnabled(app::startupValues().HelpAvailable);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {ImportButton, CancelButton, HelpButton})
        buttons->addWidget(b);

    auto* middle = new QHBoxLayout;
    middle->addWidget(previewBox, 3);
    middle->addWidget(fieldsBox, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(optionsBox);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);

    connect(BrowseButton, &QToolButton::clicked, this, &TImportForm::BrowseClick);
    connect(ImportButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(FileNameEdit, &QLineEdit::textChanged, this, &TImportForm::RebuildPreview);
    connect(ImportFormatCombo, &QComboBox::currentIndexChanged, this, &TImportForm::RebuildPreview);
    connect(LinesToSkipSpin, &QSpinBox::valueChanged, this, [this] {
        if (m_preview.fileUsable)
            RebuildPreview();
    });

    new common::TSaveFormPosition(this, QStringLiteral("Import"));
    UpdateControls();
}

TImportForm::~TImportForm() = default;

void TImportForm::AddImportField(const QString& spec)
{
    ImportFieldSpec field = ImportFieldSpec::parse(spec);
    field.column = 0;
    m_fields << field;
    const int row = FieldsGrid->rowCount();
    FieldsGrid->setRowCount(row + 1);
    showFieldRow(row);
    UpdateControls();
}

void TImportForm::DisableDateFormat() { DateFormatCombo->setEnabled(false); }

void TImportForm::HideDescription()
{
    DescriptionLabel->hide();
    DescriptionEdit->hide();
}

QStringList TImportForm::ChosenFields() const
{
    QStringList out;
    for (const ImportFieldSpec& f : m_fields)
        if (f.column > 0)
            out << f.chosenText();
    return out;
}

QString TImportForm::FileName() const { return FileNameEdit->text(); }

QString TImportForm::DateFormat() const { return DateFormatCombo->currentText(); }

QString TImportForm::ImportFormat() const { return ImportFormatCombo->currentText(); }

int TImportForm::LinesToSkip() const { return LinesToSkipSpin->value(); }

int TImportForm::PlacedColumn(int fieldRow) const
{
    return fieldRow >= 0 && fieldRow < m_fields.size() ? m_fields[fieldRow].column : 0;
}

void TImportForm::BrowseClick()
{
    FileRequest request;
    request.caption = QStringLiteral("Select Inport File");
    request.filter = QStringLiteral("Text Files (*.txt);;All Files (*.*)");
    request.startFile = FileNameEdit->text();
    const QString chosen = ChooseFile(this, request);
    if (!chosen.isEmpty())
        FileNameEdit->setText(chosen);
}

void TImportForm::RebuildPreview()
{
    m_preview = BuildImportPreview(FileName(), ImportFormat(), LinesToSkip());
    if (!m_preview.fileUsable)
        clearPlacedColumns();

    PreviewGrid->clear();
    PreviewGrid->setColumnCount(m_preview.columnCount);
    PreviewGrid->setRowCount(static_cast<int>(m_preview.rows.size()));
    QStringList captions;
    for (int c = 1; c <= m_preview.columnCount; ++c)
        captions << columnCaption(c);
    PreviewGrid->setHorizontalHeaderLabels(captions);
    for (int r = 0; r < m_preview.rows.size(); ++r) {
        const QStringList& cells = m_preview.rows[r];
        for (int c = 0; c < cells.size(); ++c) {
            QTableWidgetItem* item = readOnlyItem(cells[c]);
            item->setFlags(item->flags() | Qt::ItemIsDragEnabled);
            PreviewGrid->setItem(r, c, item);
        }
    }
    PreviewGrid->resizeColumnsToContents();
    // Only the fixed-length columns may be widened by the user, to see text
    // the analysis cut.
    PreviewGrid->horizontalHeader()->setSectionResizeMode(
        ImportFormat() == TextLayoutName(TextLayout::FixedLength) ? QHeaderView::Interactive : QHeaderView::Fixed);
    PreviewStack->setCurrentWidget(m_preview.loaded ? static_cast<QWidget*>(PreviewGrid) : NoFileLabel);
    PreviewNote->setText(m_preview.note);
    PreviewNote->setVisible(!m_preview.note.isEmpty());
    UpdateControls();
}

QMimeData* TImportForm::PreviewCellMime(int row, int column) const
{
    if (row < 0 || row >= PreviewGrid->rowCount() || column < 0 || column >= PreviewGrid->columnCount())
        return nullptr;
    return columnMime(column + 1);
}

void TImportForm::PlaceColumn(int fieldRow, int column)
{
    if (m_fields.isEmpty() || column < 1)
        return;
    if (fieldRow < 0 || fieldRow >= m_fields.size())
        fieldRow = static_cast<int>(m_fields.size()) - 1;
    m_fields[fieldRow].column = column;
    showFieldRow(fieldRow);
    UpdateControls();
}

void TImportForm::clearPlacedColumns()
{
    for (int row = 0; row < m_fields.size(); ++row) {
        m_fields[row].column = 0;
        showFieldRow(row);
    }
}

void TImportForm::showFieldRow(int row)
{
    const ImportFieldSpec& f = m_fields[row];
    FieldsGrid->setItem(row, 0, readOnlyItem(f.label));
    FieldsGrid->setItem(row, 1, readOnlyItem(f.column > 0 ? columnCaption(f.column) : QString()));
}

void TImportForm::UpdateControls()
{
    bool ready = true;
    for (const ImportFieldSpec& f : m_fields)
        if (f.required && f.column == 0)
            ready = false;
    ImportButton->setEnabled(ready);
}

}  // namespace kv::reference
