#include "admin/InformationForm.h"

#include "admin/TableInformation.h"
#include "app/StartupValues.h"
#include "common/TextHelpers.h"
#include "common/WindowPosition.h"
#include "data/ProgramDataForm.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kv::admin {

TInformationForm::TInformationForm(data::TProgramDataForm& dm, QWidget* parent)
    : QDialog(parent)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("InformationForm"));
    setWindowTitle(QStringLiteral("Database Information"));
    setProperty("helpContext", kHelpContext);

    InformationGroup = new QGroupBox(QStringLiteral("Database Information"), this);
    InformationGrid = new QTableWidget(InformationGroup);
    InformationGrid->setObjectName(QStringLiteral("InformationGrid"));
    InformationGrid->setColumnCount(3);
    InformationGrid->setHorizontalHeaderLabels({QStringLiteral("Table Name"), QStringLiteral("Records"),
                                                QStringLiteral("File Size")});
    for (int c = 0; c < 3; ++c)
        InformationGrid->setColumnWidth(c, kColumnWidths[c]);
    InformationGrid->verticalHeader()->hide();
    InformationGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    InformationGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    InformationGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    QStringList captions;
    for (const data::CatalogueTable& t : dm.CatalogueTables())
        captions << t.caption;
    captions << QStringLiteral("Previews");
    InformationGrid->setRowCount(static_cast<int>(captions.size()));
    for (int r = 0; r < captions.size(); ++r) {
        InformationGrid->setItem(r, 0, new QTableWidgetItem(captions[r]));
        for (int c = 1; c < 3; ++c)
            setNumberCell(r, c, QStringLiteral("Searching"));
    }
    const int gridWidth = kColumnWidths[0] + kColumnWidths[1] + kColumnWidths[2] + 2 * InformationGrid->frameWidth()
                          + InformationGrid->verticalScrollBar()->sizeHint().width();
    InformationGrid->setMinimumSize(gridWidth, 280);
    auto* groupLayout = new QVBoxLayout(InformationGroup);
    groupLayout->addWidget(InformationGrid);

    HelpButton = new QPushButton(QStringLiteral("Help"), this);
    HelpButton->setEnabled(app::startupValues().HelpAvailable);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(HelpButton);
    buttons->addWidget(OKButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(InformationGroup);
    layout->addLayout(buttons);
    new common::TSaveFormPosition(this, QStringLiteral("Database Information"));
}

bool TInformationForm::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return handled;
}

void TInformationForm::setNumberCell(int row, int column, const QString& text)
{
    // Right-aligned by leading blanks, as the column's font draws them.
    const QString padded = common::PadLeftToWidth(InformationGrid->columnWidth(column), text,
                                                  InformationGrid->fontMetrics());
    if (QTableWidgetItem* item = InformationGrid->item(row, column))
        item->setText(padded);
    else
        InformationGrid->setItem(row, column, new QTableWidgetItem(padded));
}

QString TInformationForm::cellText(int row, int column) const
{
    const QTableWidgetItem* item = InformationGrid->item(row, column);
    return item ? item->text().trimmed() : QString();
}

void TInformationForm::FormActivate()
{
    const std::vector<InformationRow> rows = CollectInformation(m_dm);
    for (int r = 0; r < static_cast<int>(rows.size()) && r < InformationGrid->rowCount(); ++r) {
        setNumberCell(r, 1, RecordsText(rows[static_cast<size_t>(r)].records));
        InformationGrid->viewport()->repaint();
        setNumberCell(r, 2, KBytesText(rows[static_cast<size_t>(r)].bytes));
        InformationGrid->viewport()->repaint();
    }
}

}  // namespace kv::admin
