#include "storage/BulkLoadForm.h"

#include "common/CalendarForm.h"
#include "common/DataControls.h"
#include "common/DateText.h"
#include "common/MessageService.h"
#include "common/SelectFileForm.h"
#include "common/ShowModal.h"
#include "common/StatusWindows.h"
#include "common/WindowPosition.h"
#include "data/ErrorDisplay.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "reference/editors/PickProtocol.h"
#include "storage/MediaTypeFlags.h"
#include "storage/StorageLocationForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kv::storage {

namespace {

using DM = data::TProgramDataForm;
using reference::EditorKind;

// One lookup box of the window: its caption, the table it picks from and
// the pick question.
struct LookupDef {
    const char* caption;
    EditorKind kind;
    data::DataSource DM::*source;
    const char* keyField;
    const char* listField;
    const char* question;
    qint64 data::TSystemInfo::*setting;  // its starting value, or nullptr
};

const std::vector<LookupDef>& lookupDefs()
{
    static const std::vector<LookupDef> defs{
        {.caption = "Place: ", .kind = EditorKind::Place, .source = &DM::PlaceSource, .keyField = "PlaceID",
         .listField = "PlaceDescription", .question = "Do you want to use %s% for the Place?",
         .setting = &data::TSystemInfo::DefaultPlaceID},
        {.caption = "Catagory: ", .kind = EditorKind::Category, .source = &DM::CategorySource,
         .keyField = "CatagoryID", .listField = "CatagoryDescription",
         .question = "Do you want to use %s% for the Category?", .setting = &data::TSystemInfo::DefaultCatagoryID},
        {.caption = "Sub-Catagory: ", .kind = EditorKind::SubCategory, .source = &DM::SubCategorySource,
         .keyField = "SubCatagoryID", .listField = "SubCatagoryDescription",
         .question = "Do you want to use %s% for the Sub-category?", .setting = nullptr},
        {.caption = "Photographer: ", .kind = EditorKind::Person, .source = &DM::PersonSource,
         .keyField = "PersonID", .listField = "PersonDescription",
         .question = "Do you want to use %s% for the Photographer?",
         .setting = &data::TSystemInfo::DefaultPhotographerID},
        {.caption = "Rating: ", .kind = EditorKind::Rating, .source = &DM::RatingSource, .keyField = "RatingID",
         .listField = "RatingDescription", .question = "Do you want to use %s% for the Rating?",
         .setting = &data::TSystemInfo::DefaultRatingID},
        {.caption = "Media Type: ", .kind = EditorKind::MediaType, .source = &DM::MeditaTypeSource,
         .keyField = "MediaTypeID", .listField = "MediaTypeDescription",
         .question = "Do you want to use %s% for the Media Type?", .setting = &data::TSystemInfo::DefaultMediaTypeID},
        {.caption = "Storage Location: ", .kind = EditorKind::StorageLocation, .source = &DM::StorageLocationSource,
         .keyField = "StorageLocationID", .listField = "StorageLocationDescriptio",
         .question = "Do you want to use %s% for the Storage Location?",
         .setting = &data::TSystemInfo::DefaultStorageLocationID},
        {.caption = "People: ", .kind = EditorKind::Person, .source = &DM::PersonSource, .keyField = "PersonID",
         .listField = "PersonDescription", .question = "Do you want to use %s% for the Person?", .setting = nullptr},
        {.caption = "Album: ", .kind = EditorKind::Album, .source = &DM::AlbumSource, .keyField = "AlbumID",
         .listField = "AlbumDescription", .question = "Do you want to use %s% for the Album?",
         .setting = &data::TSystemInfo::DefaultAlbumID},
    };
    return defs;
}

// The location texts and the media type flag that opens each.
struct LocationTextDef {
    const char* caption;
    bool OpenFields::*open;
};
const LocationTextDef kLocationTexts[] = {
    {"Slide: ", &OpenFields::slide},
    {"Page: ", &OpenFields::pageAndLocation},
    {"Picture Location: ", &OpenFields::pageAndLocation},
    {"Time Index: ", &OpenFields::timeIndex},
    {"Time Length: ", &OpenFields::timeIndex},
};

qint64 idOf(const common::DBLookupComboBox* box)
{
    return data::valueInteger(box->keyValue(), -1);
}

void setGrey(QWidget* w, bool grey)
{
    w->setStyleSheet(grey ? QStringLiteral("background-color: #c0c0c0;") : QString());
}

void makeFixed(common::DBLookupComboBox* box, QPushButton* button)
{
    box->setReadOnly(true);
    setGrey(box, true);
    button->setEnabled(false);
}

QTreeWidget* idList(QWidget* parent, const QString& heading)
{
    auto* list = new QTreeWidget(parent);
    list->setHeaderLabels({QStringLiteral("ID"), heading});
    list->setRootIsDecorated(false);
    list->addTopLevelItem(new QTreeWidgetItem(list));  // the one empty row
    return list;
}

std::vector<qint64> listedIds(const QTreeWidget* list)
{
    std::vector<qint64> ids;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        bool ok = false;
        const qint64 id = list->topLevelItem(i)->text(0).toLongLong(&ok);
        if (ok)
            ids.push_back(id);
    }
    return ids;
}

}  // namespace

struct TBulkLoadForm::Lookup {
    const LookupDef* def;
    common::DBLookupComboBox* box;
    QPushButton* button;
};

TLoadErrorsForm::TLoadErrorsForm(QWidget* owner) : QDialog(owner)
{
    setWindowTitle(QStringLiteral("Load Errors"));
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(close);
    resize(640, 400);
}

void TLoadErrorsForm::setLines(const QStringList& lines) { m_text->setPlainText(lines.join(QLatin1Char('\n'))); }

TBulkLoadForm::TBulkLoadForm(data::TProgramDataForm& dm, Mode mode, QWidget* owner)
    : QDialog(owner), m_dm(dm), m_mode(mode)
{
    setWindowTitle(mode == Mode::Load ? QStringLiteral("Bulk Load") : QStringLiteral("Scan For Pictures"));
    m_position = new common::TSaveFormPosition(this, QStringLiteral("Bulk Load"));
    dm.ValidateOnPost = true;
    auto* tabs = new QTabWidget(this);

    // Picture defaults.
    auto* pictureTab = new QWidget(tabs);
    auto* form = new QFormLayout(pictureTab);
    m_description = new QLineEdit(pictureTab);
    form->addRow(QStringLiteral("Description:"), m_description);
    m_date = new QLineEdit(pictureTab);
    m_calendar = new QPushButton(QStringLiteral("..."), pictureTab);
    m_useFileDate = new QCheckBox(QStringLiteral("Use File Date"), pictureTab);
    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(m_date, 1);
    dateRow->addWidget(m_calendar);
    dateRow->addWidget(m_useFileDate);
    form->addRow(QStringLiteral("Date Taken: "), dateRow);
    const data::TSystemInfo& info = data::SystemInfo();
    for (const LookupDef& def : lookupDefs()) {
        auto lookup = std::make_unique<Lookup>(Lookup{&def, new common::DBLookupComboBox(this),
                                                      new QPushButton(QStringLiteral("..."), this)});
        lookup->box->setListSource(&(dm.*def.source));
        lookup->box->setKeyField(QString::fromLatin1(def.keyField));
        lookup->box->setListField(QString::fromLatin1(def.listField));
        if (def.setting && info.*def.setting != -1)
            lookup->box->setKeyValue(info.*def.setting);
        Lookup* raw = lookup.get();
        connect(raw->button, &QPushButton::clicked, this, [this, raw] {
            if (reference::PickIntoLookup(m_dm, raw->def->kind, *raw->box, true,
                                          QString::fromLatin1(raw->def->question), this)) {
                if (raw->def->kind == EditorKind::MediaType)
                    mediaTypeChanged();
                else if (raw->def->kind == EditorKind::Category)
                    categoryChanged();
            }
        });
        m_lookups.push_back(std::move(lookup));
    }
    for (const auto& lookup : m_lookups) {
        if (QLatin1String(lookup->def->caption) == QLatin1String("People: ") ||
            QLatin1String(lookup->def->caption) == QLatin1String("Album: "))
            continue;
        auto* row = new QHBoxLayout;
        row->addWidget(lookup->box, 1);
        row->addWidget(lookup->button);
        form->addRow(QString::fromLatin1(lookup->def->caption), row);
    }
    connect(lookup(QStringLiteral("Media Type: ")), &QComboBox::activated, this, [this] { mediaTypeChanged(); });
    connect(lookup(QStringLiteral("Catagory: ")), &QComboBox::activated, this, [this] { categoryChanged(); });
    connect(lookup(QStringLiteral("Storage Location: ")), &QComboBox::activated, this, [this] {
        const auto found = BulkLoader(m_dm).locations({idOf(lookup(QStringLiteral("Storage Location: ")))});
        m_directory->setText(found.empty() ? QString() : found.front().directory);
    });
    m_directory = new QLineEdit(pictureTab);
    m_directory->setReadOnly(true);
    m_view = new QPushButton(QStringLiteral("..."), pictureTab);
    auto* directoryRow = new QHBoxLayout;
    directoryRow->addWidget(m_directory, 1);
    directoryRow->addWidget(m_view);
    form->addRow(QStringLiteral("Location To Search:"), directoryRow);
    m_pause = new QCheckBox(QStringLiteral("Pause After Each Picture"), pictureTab);
    m_showPreview = new QCheckBox(QStringLiteral("Show Preview"), pictureTab);
    m_showPreview->setEnabled(false);
    m_useTitle = new QCheckBox(QStringLiteral("Use Title Metadata"), pictureTab);
    form->addRow(m_pause);
    form->addRow(m_showPreview);
    form->addRow(m_useTitle);
    tabs->addTab(pictureTab, QStringLiteral("Picture Defaults"));

    // Location texts.
    auto* locationTab = new QWidget(tabs);
    auto* locationForm = new QFormLayout(locationTab);
    for (const LocationTextDef& def : kLocationTexts) {
        auto* edit = new QLineEdit(locationTab);
        locationForm->addRow(QString::fromLatin1(def.caption), edit);
        m_locationTexts.emplace_back(QString::fromLatin1(def.caption), edit);
    }
    tabs->addTab(locationTab, QStringLiteral("Default Location"));

    // Comments.
    auto* commentsTab = new QWidget(tabs);
    auto* commentsLayout = new QVBoxLayout(commentsTab);
    commentsLayout->addWidget(new QLabel(QStringLiteral("Comments: "), commentsTab));
    m_comments = new QPlainTextEdit(commentsTab);
    commentsLayout->addWidget(m_comments);
    m_useComment = new QCheckBox(QStringLiteral("Use Comment Metadata"), commentsTab);
    commentsLayout->addWidget(m_useComment);
    tabs->addTab(commentsTab, QStringLiteral("Default Comments"));

    // People and albums.
    auto listTab = [&](const QString& title, const QString& heading, const QString& caption, QTreeWidget*& list,
                       void (TBulkLoadForm::*insert)(), void (TBulkLoadForm::*remove)()) {
        auto* tab = new QWidget(tabs);
        auto* layout = new QVBoxLayout(tab);
        list = idList(tab, heading);
        layout->addWidget(list);
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(caption, tab));
        common::DBLookupComboBox* box = lookup(caption);
        row->addWidget(box, 1);
        for (const auto& l : m_lookups)
            if (l->box == box)
                row->addWidget(l->button);
        auto* insertButton = new QPushButton(QStringLiteral("Insert"), tab);
        auto* deleteButton = new QPushButton(QStringLiteral("Delete"), tab);
        row->addWidget(insertButton);
        row->addWidget(deleteButton);
        layout->addLayout(row);
        connect(insertButton, &QPushButton::clicked, this, insert);
        connect(deleteButton, &QPushButton::clicked, this, remove);
        tabs->addTab(tab, title);
    };
    listTab(QStringLiteral("Default People"), QStringLiteral("Person"), QStringLiteral("People: "), m_people,
            &TBulkLoadForm::InsertPersonClick, &TBulkLoadForm::DeletePersonClick);
    listTab(QStringLiteral("Default Albums"), QStringLiteral("Album"), QStringLiteral("Album: "), m_albums,
            &TBulkLoadForm::InsertAlbumClick, &TBulkLoadForm::DeleteAlbumClick);
    if (info.DefaultAlbumID != -1)
        InsertAlbumClick();

    m_load = new QPushButton(QStringLiteral("Load"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_load);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);

    connect(m_load, &QPushButton::clicked, this, &TBulkLoadForm::LoadBtnClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_view, &QPushButton::clicked, this, &TBulkLoadForm::ViewBtnClick);
    connect(m_useFileDate, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_date->clear();
        m_date->setEnabled(!on);
        m_calendar->setEnabled(!on);
        setGrey(m_date, on);
    });
    connect(m_pause, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            m_showPreview->setChecked(false);
        m_showPreview->setEnabled(on);
    });
    connect(m_calendar, &QPushButton::clicked, this, [this] {
        common::TCalendarForm calendar(this);
        calendar.setDate(common::ShortDateTextOr(m_date->text(), QDate::currentDate()));
        if (common::showModal(calendar) == QDialog::Accepted)
            m_date->setText(common::ShortDateText(calendar.date()));
    });
    if (mode == Mode::Scan) {
        for (const char* caption : {"Media Type: ", "Storage Location: "})
            for (const auto& l : m_lookups)
                if (QLatin1String(l->def->caption) == QLatin1String(caption))
                    makeFixed(l->box, l->button);
        m_view->setEnabled(false);
    }
    m_rememberedMediaType = lookup(QStringLiteral("Media Type: "))->keyValue();
    m_rememberedCategory = lookup(QStringLiteral("Catagory: "))->keyValue();
    const auto found = BulkLoader(m_dm).locations({idOf(lookup(QStringLiteral("Storage Location: ")))});
    m_directory->setText(found.empty() ? QString() : found.front().directory);
    applyLocationRules();
}

TBulkLoadForm::~TBulkLoadForm() = default;

common::DBLookupComboBox* TBulkLoadForm::lookup(const QString& caption) const
{
    for (const auto& l : m_lookups)
        if (QString::fromLatin1(l->def->caption) == caption)
            return l->box;
    return nullptr;
}

QLineEdit* TBulkLoadForm::locationText(const QString& caption) const
{
    for (const auto& [name, edit] : m_locationTexts)
        if (name == caption)
            return edit;
    return nullptr;
}

void TBulkLoadForm::fixLocation(qint64 location, qint64 mediaType)
{
    for (const auto& l : m_lookups) {
        if (l->def->kind == EditorKind::StorageLocation)
            l->box->setKeyValue(location);
        else if (l->def->kind == EditorKind::MediaType)
            l->box->setKeyValue(mediaType);
        else
            continue;
        makeFixed(l->box, l->button);
    }
    m_rememberedMediaType = mediaType;
    const auto found = BulkLoader(m_dm).locations({location});
    m_directory->setText(found.empty() ? QString() : found.front().directory);
    applyLocationRules();
}

void TBulkLoadForm::mediaTypeChanged()
{
    common::DBLookupComboBox* mediaType = lookup(QStringLiteral("Media Type: "));
    if (mediaType->keyValue() != m_rememberedMediaType) {
        lookup(QStringLiteral("Storage Location: "))->setKeyValue(QVariant());
        m_directory->clear();
    }
    m_rememberedMediaType = mediaType->keyValue();
    applyLocationRules();
}

void TBulkLoadForm::categoryChanged()
{
    common::DBLookupComboBox* category = lookup(QStringLiteral("Catagory: "));
    if (category->keyValue() != m_rememberedCategory)
        lookup(QStringLiteral("Sub-Catagory: "))->setKeyValue(QVariant());
    m_rememberedCategory = category->keyValue();
}

void TBulkLoadForm::applyLocationRules()
{
    const std::optional<OpenFields> open =
        LocationFieldRules(*m_dm.KestrelviewDatabase(), lookup(QStringLiteral("Media Type: "))->keyValue());
    for (const LocationTextDef& def : kLocationTexts) {
        QLineEdit* edit = locationText(QString::fromLatin1(def.caption));
        const bool readOnly = open && !((*open).*def.open);
        if (readOnly)
            edit->clear();
        edit->setReadOnly(readOnly);
        setGrey(edit, readOnly);
    }
}

BulkLoadDefaults TBulkLoadForm::defaults() const
{
    BulkLoadDefaults d;
    d.description = m_description->text();
    d.dateText = m_date->text();
    d.useFileDate = m_useFileDate->isChecked();
    const std::pair<const char*, qint64 BulkLoadDefaults::*> ids[] = {
        {"Place: ", &BulkLoadDefaults::place},
        {"Catagory: ", &BulkLoadDefaults::category},
        {"Sub-Catagory: ", &BulkLoadDefaults::subCategory},
        {"Photographer: ", &BulkLoadDefaults::photographer},
        {"Rating: ", &BulkLoadDefaults::rating},
        {"Media Type: ", &BulkLoadDefaults::mediaType},
        {"Storage Location: ", &BulkLoadDefaults::storageLocation},
    };
    for (const auto& [caption, field] : ids)
        d.*field = idOf(lookup(QString::fromLatin1(caption)));
    const std::pair<const char*, QString BulkLoadDefaults::*> texts[] = {
        {"Slide: ", &BulkLoadDefaults::slide},
        {"Page: ", &BulkLoadDefaults::page},
        {"Picture Location: ", &BulkLoadDefaults::pictureLocation},
        {"Time Index: ", &BulkLoadDefaults::timeIndex},
        {"Time Length: ", &BulkLoadDefaults::timeLength},
    };
    for (const auto& [caption, field] : texts)
        d.*field = locationText(QString::fromLatin1(caption))->text();
    d.comments = m_comments->toPlainText();
    d.useTitleMetadata = m_useTitle->isChecked();
    d.useCommentMetadata = m_useComment->isChecked();
    d.pauseAfterEach = m_pause->isChecked();
    d.showPreview = m_showPreview->isChecked();
    d.people = listedIds(m_people);
    d.albums = listedIds(m_albums);
    return d;
}

void TBulkLoadForm::LoadBtnClick()
{
    BulkLoadDefaults d = defaults();
    BulkLoader loader(m_dm);
    const BulkLoader::Mode mode = m_mode == Mode::Load ? BulkLoader::Mode::Load : BulkLoader::Mode::Scan;
    QStringList refusal = loader.check(d, mode);
    if (!refusal.isEmpty()) {
        common::showError(refusal.join(QLatin1Char('\r')) + QLatin1Char('\r'));
        return;
    }
    const bool ran = data::RunWithErrorDisplay([&] {
        common::ProcessWindowScope process(QStringLiteral("Loading Database Please Wait"), 0, this);
        loader.progress.line1 = [&](const QString& text) { process->setLine1(text); };
        loader.progress.line2 = [&](const QString& text) {
            process->setLine2(text);
            process->processEvents();
        };
        loader.progress.start = [&](int maximum) { process->setMaximum(maximum); };
        loader.progress.step = [&] { process->step(); };
        if (m_mode == Mode::Load)
            loader.load(d, refusal);
        else
            loader.scan(d, m_scanLocations, refusal);
    });
    m_pause->setChecked(d.pauseAfterEach);
    m_errors = loader.errors();
    if (!refusal.isEmpty()) {
        common::showError(refusal.join(QLatin1Char('\r')) + QLatin1Char('\r'));
        return;
    }
    if (!m_errors.isEmpty()) {
        TLoadErrorsForm errors(this);
        errors.setLines(m_errors);
        common::showModal(errors);
    }
    if (ran)
        accept();
}

void TBulkLoadForm::ViewBtnClick()
{
    const qint64 location = idOf(lookup(QStringLiteral("Storage Location: ")));
    if (location < 0) {
        common::showError(QStringLiteral("Error: Please Select A Storage Location First"));
        return;
    }
    const auto found = BulkLoader(m_dm).locations({location});
    if (found.empty() || found.front().directory.trimmed().isEmpty()) {
        common::showError(QStringLiteral("Error: A Directory is Not Specified For This Storage Location"));
        return;
    }
    common::TSelectFileForm select(QStringLiteral("*.jpg;*.jpeg;*.bmp"), {}, {}, this);
    select.setDirectory(found.front().directory);
    common::showModal(select);
}

void TBulkLoadForm::insertInto(QTreeWidget* list, common::DBLookupComboBox* box)
{
    if (!box->keyValue().isValid() || box->keyValue().isNull())
        return;
    QTreeWidgetItem* item = list->topLevelItem(0);
    if (!(list->topLevelItemCount() == 1 && item->text(0).isEmpty()))
        item = new QTreeWidgetItem(list);
    item->setText(0, QString::number(idOf(box)));
    item->setText(1, box->currentText());
}

void TBulkLoadForm::deleteFrom(QTreeWidget* list)
{
    QTreeWidgetItem* item = list->currentItem();
    if (!item)
        return;
    if (list->topLevelItemCount() == 1) {
        item->setText(0, QString());
        item->setText(1, QString());
        return;
    }
    delete item;
}

void TBulkLoadForm::InsertPersonClick() { insertInto(m_people, lookup(QStringLiteral("People: "))); }
void TBulkLoadForm::DeletePersonClick() { deleteFrom(m_people); }
void TBulkLoadForm::InsertAlbumClick() { insertInto(m_albums, lookup(QStringLiteral("Album: "))); }
void TBulkLoadForm::DeleteAlbumClick() { deleteFrom(m_albums); }

TScanForNewPicturesForm::TScanForNewPicturesForm(data::TProgramDataForm& dm, QWidget* owner)
    : QDialog(owner), m_dm(dm)
{
    setWindowTitle(QStringLiteral("Scan For New Pictures"));
    new common::TSaveFormPosition(this, QStringLiteral("Scan For Pictures"));
    m_list = new QListWidget(this);
    for (const ScanChoice& choice : ScanChoices(dm)) {
        auto* item = new QListWidgetItem(choice.text, m_list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        item->setData(Qt::UserRole, choice.id);
    }
    m_all = new QCheckBox(QStringLiteral("Scan All Storage Locations"), this);
    connect(m_all, &QCheckBox::clicked, this, [this](bool on) {
        for (int i = 0; i < m_list->count(); ++i)
            m_list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TScanForNewPicturesForm::OkBtnClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Storage Locations To Scan"), this));
    layout->addWidget(m_list);
    layout->addWidget(m_all);
    layout->addWidget(buttons);
}

void TScanForNewPicturesForm::OkBtnClick()
{
    std::vector<qint64> ids;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            ids.push_back(m_list->item(i)->data(Qt::UserRole).toLongLong());
    if (ids.empty()) {
        common::showError(QStringLiteral("Error: Please Check At Lease One Storage Location!"));
        return;
    }
    TBulkLoadForm load(m_dm, TBulkLoadForm::Mode::Scan, this);
    load.setScanLocations(std::move(ids));
    common::showModal(load);
    common::showInformation(QStringLiteral("Scan for pictures compleated"));
    accept();
}

void BulkLoadClick(data::TProgramDataForm& dm, QWidget* owner)
{
    TBulkLoadForm form(dm, TBulkLoadForm::Mode::Load, owner);
    if (common::showModal(form) == QDialog::Accepted)
        common::showInformation(QStringLiteral("Bulk Load Compleated!"));
}

void ScanForNewPicturesClick(data::TProgramDataForm& dm, QWidget* owner)
{
    TScanForNewPicturesForm form(dm, owner);
    common::showModal(form);
}

void InstallBulkLoadWindows(data::TProgramDataForm& dm)
{
    setScanWindow([&dm](QWidget* owner, qint64 location, qint64 mediaType) {
        TBulkLoadForm form(dm, TBulkLoadForm::Mode::Load, owner);
        form.fixLocation(location, mediaType);
        common::showModal(form);
    });
}

}  // namespace kv::storage
