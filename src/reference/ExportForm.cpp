#include "reference/ExportForm.h"

#include "app/StartupValues.h"
#include "common/CalendarForm.h"
#include "common/DateText.h"
#include "common/MessageService.h"
#include "common/WindowPosition.h"
#include "reference/FieldSpecs.h"
#include "reference/FileChooser.h"
#include "reference/StatusWindowProgress.h"
#include "reference/TextLayouts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace kv::reference {

namespace {

const QString kProgramDateFormat = QStringLiteral("MM-DD-YYYY");

// The available fields: a label is dragged from here.
class AvailableFieldList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    QStringList mimeTypes() const override { return {QString::fromLatin1(kFieldLabelMimeType)}; }
    QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override
    {
        if (items.isEmpty())
            return nullptr;
        auto* mime = new QMimeData;
        mime->setData(QString::fromLatin1(kFieldLabelMimeType), items.first()->text().toUtf8());
        return mime;
    }
};

// The chosen fields: a dropped label is added at the end.
class ChosenFieldList : public QListWidget {
public:
    ChosenFieldList(std::function<void(const QString&)> dropped, QWidget* parent)
        : QListWidget(parent)
        , m_dropped(std::move(dropped))
    {
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override
    {
        if (event->mimeData()->hasFormat(QString::fromLatin1(kFieldLabelMimeType)))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (event->mimeData()->hasFormat(QString::fromLatin1(kFieldLabelMimeType)))
            event->acceptProposedAction();
        else
            event->ignore();
    }
    void dropEvent(QDropEvent* event) override
    {
        const QMimeData* mime = event->mimeData();
        if (!mime->hasFormat(QString::fromLatin1(kFieldLabelMimeType))) {
            event->ignore();
            return;
        }
        m_dropped(QString::fromUtf8(mime->data(QString::fromLatin1(kFieldLabelMimeType))));
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }

private:
    std::function<void(const QString&)> m_dropped;
};

QToolButton* calendarButton(QWidget* parent)
{
    auto* b = new QToolButton(parent);
    b->setText(QStringLiteral("..."));
    b->setToolTip(QStringLiteral("Show Calendar"));
    return b;
}

QLineEdit* dateBox(const QString& text, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setInputMask(QStringLiteral("99/99/9999;_"));
    box->setText(text);
    return box;
}

// The date of a valid box as "yyyymmdd", for comparing.
QString sortableDate(const QString& text) { return common::ConvertDateText(kProgramDateFormat, u"YYYYMMDD"_qs, text); }

}  // namespace

TExportForm::TExportForm(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportForm"));
    setWindowTitle(QStringLiteral("Export"));
    setProperty("helpContext", kHelpContext);
    UseStatusWindowProgress();

    // Export Fields
    auto* fieldsBox = new QGroupBox(QStringLiteral("Export Fields"), this);
    AvailableList = new AvailableFieldList(fieldsBox);
    AvailableList->setObjectName(QStringLiteral("AvailableList"));
    AvailableList->setDragEnabled(true);
    AvailableList->setDragDropMode(QAbstractItemView::DragOnly);
    AvailableList->setDefaultDropAction(Qt::CopyAction);
    ChosenList = new ChosenFieldList([this](const QString& label) { ChooseLabel(label); }, fieldsBox);
    ChosenList->setObjectName(QStringLiteral("ChosenList"));
    ChosenList->setAcceptDrops(true);
    ChosenList->viewport()->setAcceptDrops(true);
    ChosenList->setDragDropMode(QAbstractItemView::DropOnly);

    auto toolButton = [fieldsBox](const char* text, const char* hint) {
        auto* b = new QPushButton(QString::fromLatin1(text), fieldsBox);
        b->setToolTip(QString::fromLatin1(hint));
        return b;
    };
    AddFieldButton = toolButton(">", "Add Field To Export");
    RemoveFieldButton = toolButton("<", "Remove Selected Field");
    AddAllButton = toolButton(">>", "Add All Fields");
    RemoveAllButton = toolButton("<<", "Remove All Fields");
    auto* moveButtons = new QVBoxLayout;
    moveButtons->addStretch();
    for (QPushButton* b : {AddFieldButton, RemoveFieldButton, AddAllButton, RemoveAllButton})
        moveButtons->addWidget(b);
    moveButtons->addStretch();
    auto* fieldsGrid = new QGridLayout(fieldsBox);
    fieldsGrid->addWidget(new QLabel(QStringLiteral("Available Fields To Export"), fieldsBox), 0, 0);
    fieldsGrid->addWidget(new QLabel(QStringLiteral("Fields To Export"), fieldsBox), 0, 2);
    fieldsGrid->addWidget(AvailableList, 1, 0);
    fieldsGrid->addLayout(moveButtons, 1, 1);
    fieldsGrid->addWidget(ChosenList, 1, 2);

    // Export Options
    auto* optionsBox = new QGroupBox(QStringLiteral("Export Options"), this);
    FileNameEdit = new QLineEdit(optionsBox);
    FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    BrowseButton = new QToolButton(optionsBox);
    BrowseButton->setText(QStringLiteral("..."));
    BrowseButton->setToolTip(QStringLiteral("Select File To Export"));
    DateFormatCombo = new QComboBox(optionsBox);
    DateFormatCombo->addItems(common::DateFormatNames());
    DateFormatCombo->setCurrentIndex(-1);
    ExportFormatCombo = new QComboBox(optionsBox);
    ExportFormatCombo->addItems(TextLayoutNames());
    ExportFormatCombo->setCurrentIndex(-1);
    HeaderCheck = new QCheckBox(QStringLiteral("Include Header Line"), optionsBox);
    FromDateEdit = dateBox(QStringLiteral("01/01/1960"), optionsBox);
    ToDateEdit = dateBox(common::ShortDateText(QDate::currentDate()), optionsBox);
    FromCalendarButton = calendarButton(optionsBox);
    ToCalendarButton = calendarButton(optionsBox);

    auto* options = new QGridLayout(optionsBox);
    options->addWidget(new QLabel(QStringLiteral("File Name:"), optionsBox), 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FileNameEdit, 1);
    fileRow->addWidget(BrowseButton);
    options->addLayout(fileRow, 0, 1, 1, 4);
    options->addWidget(new QLabel(QStringLiteral("Date Format:"), optionsBox), 1, 0);
    options->addWidget(DateFormatCombo, 1, 1);
    options->addWidget(new QLabel(QStringLiteral("Export Format:"), optionsBox), 1, 2);
    options->addWidget(ExportFormatCombo, 1, 3, 1, 2);
    options->addWidget(HeaderCheck, 2, 1);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("From:"), optionsBox));
    range->addWidget(FromDateEdit);
    range->addWidget(FromCalendarButton);
    range->addSpacing(12);
    range->addWidget(new QLabel(QStringLiteral("To:"), optionsBox));
    range->addWidget(ToDateEdit);
    range->addWidget(ToCalendarButton);
    range->addStretch();
    options->addLayout(range, 3, 0, 1, 5);

    ExportButton = new QPushButton(QStringLiteral("&Export"), this);
    ExportButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setEnabled(app::startupValues().HelpAvailable);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {ExportButton, CancelButton, HelpButton})
        buttons->addWidget(b);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fieldsBox, 1);
    layout->addWidget(optionsBox);
    layout->addLayout(buttons);

    connect(AddFieldButton, &QPushButton::clicked, this, &TExportForm::AddFieldClick);
    connect(RemoveFieldButton, &QPushButton::clicked, this, &TExportForm::RemoveFieldClick);
    connect(AddAllButton, &QPushButton::clicked, this, &TExportForm::AddAllClick);
    connect(RemoveAllButton, &QPushButton::clicked, this, &TExportForm::RemoveAllClick);
    connect(AvailableList, &QListWidget::itemDoubleClicked, this, &TExportForm::AddFieldClick);
    connect(BrowseButton, &QToolButton::clicked, this, &TExportForm::BrowseClick);
    connect(FromCalendarButton, &QToolButton::clicked, this, &TExportForm::FromCalendarClick);
    connect(ToCalendarButton, &QToolButton::clicked, this, &TExportForm::ToCalendarClick);
    connect(ExportButton, &QPushButton::clicked, this, &TExportForm::ExportClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(FileNameEdit, &QLineEdit::textChanged, this, &TExportForm::UpdateControls);
    connect(DateFormatCombo, &QComboBox::currentIndexChanged, this, &TExportForm::UpdateControls);
    connect(ExportFormatCombo, &QComboBox::currentIndexChanged, this, &TExportForm::UpdateControls);

    new common::TSaveFormPosition(this, QStringLiteral("Export"));
    UpdateControls();
}

TExportForm::~TExportForm() = default;

void TExportForm::AddExportField(const QString& spec)
{
    m_specs << spec;
    QStringList labels;
    for (const QString& s : m_specs)
        labels << ExportFieldSpec::parse(s).label;
    labels.sort(Qt::CaseInsensitive);
    AvailableList->clear();
    AvailableList->addItems(labels);
}

void TExportForm::DisableDateRange()
{
    for (QWidget* w : std::initializer_list<QWidget*>{FromDateEdit, ToDateEdit, FromCalendarButton, ToCalendarButton})
        w->setEnabled(false);
}

void TExportForm::DisableDateFormat()
{
    DateFormatCombo->setEnabled(false);
    UpdateControls();
}

QStringList TExportForm::ChosenLabels() const
{
    QStringList labels;
    for (int i = 0; i < ChosenList->count(); ++i)
        labels << ChosenList->item(i)->text();
    return labels;
}

QString TExportForm::SelectList() const { return SelectListFor(ChosenLabels(), m_specs); }

QStringList TExportForm::ChosenSpecs() const { return SpecsFor(ChosenLabels(), m_specs); }

QString TExportForm::FileName() const { return FileNameEdit->text(); }

QString TExportForm::ExportFormat() const { return ExportFormatCombo->currentText(); }

QString TExportForm::DateFormat() const { return DateFormatCombo->currentText(); }

bool TExportForm::IncludeHeader() const { return HeaderCheck->isChecked(); }

QString TExportForm::StartDate() const { return FromDateEdit->text(); }

QString TExportForm::StopDate() const { return ToDateEdit->text(); }

void TExportForm::AddFieldClick()
{
    if (QListWidgetItem* item = AvailableList->currentItem())
        ChooseLabel(item->text());
}

void TExportForm::ChooseLabel(const QString& label)
{
    ChosenList->addItem(label);
    UpdateControls();
}

void TExportForm::RemoveFieldClick()
{
    const int row = ChosenList->currentRow();
    if (row >= 0)
        delete ChosenList->takeItem(row);
    UpdateControls();
}

void TExportForm::AddAllClick()
{
    ChosenList->clear();
    for (int i = 0; i < AvailableList->count(); ++i)
        ChosenList->addItem(AvailableList->item(i)->text());
    UpdateControls();
}

void TExportForm::RemoveAllClick()
{
    ChosenList->clear();
    UpdateControls();
}

void TExportForm::BrowseClick()
{
    FileRequest request;
    request.save = true;
    request.caption = QStringLiteral("Select File To Export");
    request.filter = QStringLiteral("Text File (*.txt);;All Files (*.*)");
    request.defaultSuffix = QStringLiteral("Txt");
    request.startFile = FileNameEdit->text();
    const QString chosen = ChooseFile(this, request);
    if (!chosen.isEmpty())
        FileNameEdit->setText(chosen);
}

void TExportForm::pickDate(QLineEdit* box)
{
    const QDate start = common::DateTextOr(kProgramDateFormat, box->text(), QDate::currentDate());
    if (const std::optional<QDate> picked = common::PickCalendarDate(this, start))
        box->setText(common::ShortDateText(*picked));
}

void TExportForm::FromCalendarClick() { pickDate(FromDateEdit); }

void TExportForm::ToCalendarClick() { pickDate(ToDateEdit); }

void TExportForm::ExportClick()
{
    QString problems;
    bool fromValid = false;
    bool toValid = false;
    if (FromDateEdit->isEnabled()) {
        fromValid = common::IsValidDateText(kProgramDateFormat, FromDateEdit->text());
        if (!fromValid)
            problems += QStringLiteral("Invalid From Date Entered.\n");
    }
    if (ToDateEdit->isEnabled()) {
        toValid = common::IsValidDateText(kProgramDateFormat, ToDateEdit->text());
        if (!toValid)
            problems += QStringLiteral("Invalid To Date Entered.\n");
    }
    if (fromValid && toValid && sortableDate(FromDateEdit->text()) > sortableDate(ToDateEdit->text()))
        problems += QStringLiteral("From Date Must Be Less than To Date.\n");
    if (!problems.isEmpty()) {
        common::showError(QStringLiteral("Invalid Data Has Been Entered For The Following Fields:\n\n") + problems);
        return;
    }
    accept();
}

void TExportForm::UpdateControls()
{
    const bool anyChosen = ChosenList->count() > 0;
    RemoveFieldButton->setEnabled(anyChosen);
    RemoveAllButton->setEnabled(anyChosen);
    ExportButton->setEnabled(!FileNameEdit->text().isEmpty() && anyChosen && ExportFormatCombo->currentIndex() >= 0
                             && (!DateFormatCombo->isEnabled() || DateFormatCombo->currentIndex() >= 0));
}

}  // namespace kv::reference
