#include "storage/StorageLocationForm.h"

#include "common/BrowseForFolder.h"
#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/StatusWindows.h"
#include "data/ProgramDataForm.h"
#include "reference/editors/PickProtocol.h"
#include "security/SecurityData.h"
#include "storage/LocationMove.h"
#include "storage/MediaTypeFlags.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include <memory>
#include <optional>

namespace kv::storage {

namespace {

ScanWindow& scanWindow()
{
    static ScanWindow window;
    return window;
}

bool editing(const data::Table& t)
{
    return t.state() == data::DataSet::State::Edit || t.state() == data::DataSet::State::Insert;
}

// The "Please Wait" window of a move, with its animation and gauge; it is
// repainted and the program's events run at most every 50 ms, so that the
// window stays responsive without slowing the move down.
class MovePleaseWait : public MoveProgress {
public:
    explicit MovePleaseWait(QWidget* owner)
        : m_owner(owner)
    {
    }
    void begin(int rows) override
    {
        m_window = std::make_unique<common::StatusWindowScope>(
            QStringLiteral("Please Wait Moving Pictures To Selected Location"), m_owner);
        (*m_window)->showAnimation(true);
        (*m_window)->showGauge(0, rows);
        m_sinceRefresh.start();
    }
    void step() override
    {
        if (!m_window || !m_window->get())
            return;
        (*m_window)->stepProgress();
        pulse();
    }
    void pulse() override
    {
        if (m_window && m_window->get() && m_sinceRefresh.elapsed() >= 50) {
            (*m_window)->refresh();
            m_sinceRefresh.restart();
        }
    }
    void end() override { m_window.reset(); }

private:
    QWidget* m_owner;
    std::unique_ptr<common::StatusWindowScope> m_window;
    QElapsedTimer m_sinceRefresh;
};

common::DBEdit* boundEdit(QWidget* parent, data::DataSource* source, const char* field)
{
    auto* e = new common::DBEdit(parent);
    e->setDataSource(source);
    e->setDataField(QString::fromLatin1(field));
    return e;
}

QPushButton* browseButton(QWidget* parent)
{
    auto* b = new QPushButton(QStringLiteral("..."), parent);
    b->setFixedWidth(32);
    return b;
}

QHBoxLayout* withButton(QWidget* field, QPushButton* button)
{
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(button);
    return row;
}

}  // namespace

ScanWindow setScanWindow(ScanWindow window)
{
    ScanWindow previous = std::move(scanWindow());
    scanWindow() = std::move(window);
    return previous;
}

TStorageLocationForm::TStorageLocationForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(reference::editorFamily(reference::EditorKind::StorageLocation), dm, parent)
{
    data::DataSource* source = dataSource();
    QWidget* group = fieldsLayout()->parentWidget();
    m_mediaType = new common::DBLookupComboBox(group);
    m_mediaType->setListSource(&dm.MeditaTypeSource);
    m_mediaType->setKeyField(QStringLiteral("MediaTypeID"));
    m_mediaType->setListField(QStringLiteral("MediaTypeDescription"));
    m_mediaType->setDataSource(source);
    m_mediaType->setDataField(QStringLiteral("MediaType"));
    m_mediaType->installEventFilter(this);
    m_mediaTypeButton = browseButton(group);
    m_directory = boundEdit(group, source, "Directory");
    m_directoryButton = browseButton(group);
    m_discLabel = boundEdit(group, source, "DiscLabel");
    m_tray = boundEdit(group, source, "Tray");
    m_book = boundEdit(group, source, "Book");
    m_shelve = boundEdit(group, source, "Shelve");
    m_whereStored = boundEdit(group, source, "LocaitonWhereStored");
    // After the description: the media type and the location fields.
    int row = 2;
    fieldsLayout()->insertRow(row++, QStringLiteral("Media Type:"), withButton(m_mediaType, m_mediaTypeButton));
    fieldsLayout()->insertRow(row++, QStringLiteral("Directory:"), withButton(m_directory, m_directoryButton));
    fieldsLayout()->insertRow(row++, QStringLiteral("Disc Label:"), m_discLabel);
    fieldsLayout()->insertRow(row++, QStringLiteral("Tray:"), m_tray);
    fieldsLayout()->insertRow(row++, QStringLiteral("Book:"), m_book);
    fieldsLayout()->insertRow(row++, QStringLiteral("Shelve"), m_shelve);
    fieldsLayout()->insertRow(row++, QStringLiteral("Location Where Stored:"), m_whereStored);

    // Save, Insert, Delete, Find, Move, Export, Scan, Help, Close.
    m_move = new QPushButton(QStringLiteral("Move"), this);
    m_scan = new QPushButton(QStringLiteral("Scan"), this);
    buttonColumn()->insertWidget(4, m_move);
    buttonColumn()->insertWidget(6, m_scan);

    connect(m_mediaTypeButton, &QPushButton::clicked, this, &TStorageLocationForm::MediaTypeBtnClick);
    connect(m_directoryButton, &QPushButton::clicked, this, &TStorageLocationForm::DirectoryBtnClick);
    connect(m_move, &QPushButton::clicked, this, &TStorageLocationForm::MoveBtnClick);
    connect(m_scan, &QPushButton::clicked, this, &TStorageLocationForm::ScanBtnClick);
    // The list closing on a choice, or the box being left, applies the
    // chosen media type's rules at once.
    connect(m_mediaType, &QComboBox::activated, this, [this] { applyFieldRules(true); });
    if (source)
        connect(source, &data::DataSource::recordChanged, this, [this] {
            if (isVisible())
                applyFieldRules(true);
        });
    resize(780, 520);
    applyFieldRules(false);
}

bool TStorageLocationForm::hasRow() const { return editing(table()) || !table().isEmpty(); }

bool TStorageLocationForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_mediaType && event->type() == QEvent::FocusOut)
        applyFieldRules(true);
    return TReferenceEditor::eventFilter(watched, event);
}

void TStorageLocationForm::FormActivate()
{
    TReferenceEditor::FormActivate();
    applyFieldRules(true);
}

void TStorageLocationForm::applyFieldRules(bool clear)
{
    if (m_applying || m_closing || !table().active())
        return;
    m_applying = true;
    const security::TSecurityData& r = security::SecurityData();
    const bool change = r.CanAddStorageLoc || r.CanEditStorageLoc;
    // Without a media type (or one that no longer exists) nothing is closed.
    std::optional<OpenFields> rules;
    if (change && hasRow())
        rules = LocationFieldRules(*dataModule().KestrelviewDatabase(), table().fieldValue(QStringLiteral("MediaType")));
    const OpenFields open = rules.value_or(OpenFields{});
    const struct {
        QWidget* control;
        bool open;
        const char* field;  // cleared when closed; nullptr: never closed by the type
    } fields[] = {
        {m_mediaType, true, nullptr},
        {m_directory, open.directory, "Directory"},
        {m_discLabel, open.discLabel, "DiscLabel"},
        {m_tray, open.tray, "Tray"},
        {m_book, open.book, "Book"},
        {m_shelve, true, nullptr},
        {m_whereStored, true, nullptr},
    };
    for (const auto& f : fields)
        common::SetEditReadOnly(f.control, !(change && f.open));
    const bool directoryOpen = change && open.directory;
    m_directoryButton->setEnabled(directoryOpen);
    m_move->setEnabled(directoryOpen && r.CanMoveLocations);
    m_scan->setEnabled(directoryOpen && r.CanAddPicture && static_cast<bool>(scanWindow()));
    if (clear && rules) {
        data::Table& t = table();
        for (const auto& f : fields)
            if (f.field && !f.open && !t.isNull(QString::fromLatin1(f.field)) && (editing(t) || t.edit()))
                t.setFieldValue(QString::fromLatin1(f.field), QVariant());
    }
    m_applying = false;
}

void TStorageLocationForm::InsertBtnClick()
{
    TReferenceEditor::InsertBtnClick();
    if (table().state() != data::DataSet::State::Insert)
        return;
    applyFieldRules(false);
    m_mediaType->setFocus();
}

void TStorageLocationForm::MediaTypeBtnClick()
{
    const security::TSecurityData& r = security::SecurityData();
    reference::PickIntoField(dataModule(), reference::EditorKind::MediaType, table(), QStringLiteral("MediaType"),
                             (r.CanAddStorageLoc || r.CanEditStorageLoc) && hasRow(),
                             QStringLiteral("Do you want to use %s% for the Storage Location?"), this);
    applyFieldRules(true);
}

void TStorageLocationForm::DirectoryBtnClick()
{
    if (!hasRow())
        return;
    const std::optional<QString> chosen = common::BrowseForFolder(
        this, QStringLiteral("Storage Location"), data::readText(table(), QStringLiteral("Directory")));
    if (chosen && table().edit())
        table().setFieldValue(QStringLiteral("Directory"), *chosen);
}

void TStorageLocationForm::MoveBtnClick()
{
    if (!resolvePendingEdit() || !hasRow())
        return;
    const std::optional<QString> chosen = common::BrowseForFolder(
        this, QStringLiteral("New File Location Storage."), data::readText(table(), QStringLiteral("Directory")));
    if (!chosen)
        return;
    // The window rests while the files move; the "Please Wait" window keeps
    // being painted.
    setEnabled(false);
    struct Enable {
        QWidget* w;
        ~Enable() { w->setEnabled(true); }
    } enableAgain{this};
    MovePleaseWait progress(this);
    MoveLocationFiles(dataModule(), *chosen, &progress);
}

void TStorageLocationForm::ScanBtnClick()
{
    if (!scanWindow() || !resolvePendingEdit() || !hasRow())
        return;
    if (!common::askQuestion(QStringLiteral("Are you Sure You Want To Scan For New Pictures?")))
        return;
    scanWindow()(this, data::readInteger(table(), QStringLiteral("StorageLocationID")),
                 data::readInteger(table(), QStringLiteral("MediaType")));
    common::showInformation(QStringLiteral("Scan for pictures compleated"));
}

bool TStorageLocationForm::FormClose(int result)
{
    // The row that becomes current when an edit is cancelled is not changed
    // on the way out.
    m_closing = true;
    const bool closes = TReferenceEditor::FormClose(result);
    m_closing = closes;
    return closes;
}

}  // namespace kv::storage
