#include "pictures/PictureForm.h"

#include "app/StartupValues.h"
#include "common/CalendarForm.h"
#include "common/ControlLocking.h"
#include "common/DateText.h"
#include "common/DataControls.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "common/SelectFileForm.h"
#include "common/ShowModal.h"
#include "common/StatusWindows.h"
#include "common/WindowPosition.h"
#include "data/ErrorDisplay.h"
#include "data/FieldValue.h"
#include "data/ProgramDataForm.h"
#include "data/Query.h"
#include "data/SystemInfo.h"
#include "pictures/ImageFiles.h"
#include "pictures/PictureChoosers.h"
#include "pictures/PictureDelete.h"
#include "pictures/PictureDetail.h"
#include "pictures/Previews.h"
#include "reference/editors/PickProtocol.h"
#include "pictures/PreviewBox.h"
#include "search/QueryBuilder.h"
#include "security/SecurityData.h"
#include "storage/BulkLoad.h"
#include "storage/MediaTypeFlags.h"
#include "web/RecordLoads.h"

#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <optional>

namespace kv::pictures {

namespace {

using reference::EditorKind;

MoveWindow& moveWindow()
{
    static MoveWindow window;
    return window;
}

bool editing(const data::Table& t)
{
    return t.state() == data::DataSet::State::Edit || t.state() == data::DataSet::State::Insert;
}

// One lookup of the window: its field, list, editor, question word, the
// search of its find-others button and that search's "Please Wait" text.
struct LookupDef {
    PictureLookup lookup;
    const char* caption;
    const char* field;
    const char* listField;
    const char* keyField;
    EditorKind editor;
    const char* word;
    const char* searchField;  // FindPicturesWithAttribute; nullptr: a search of its own
    const char* waitText;
};

constexpr LookupDef kLookups[] = {
    {.lookup = PictureLookup::Place, .caption = "Place", .field = "PlaceID", .listField = "PlaceDescription",
     .keyField = "PlaceID", .editor = EditorKind::Place, .word = "Place", .searchField = "PlaceID",
     .waitText = "Please Wait: Searching For Other Pictures Where Place Exists"},
    {.lookup = PictureLookup::Category, .caption = "Category:", .field = "CatagoryID",
     .listField = "CatagoryDescription", .keyField = "CatagoryID", .editor = EditorKind::Category,
     .word = "Category", .searchField = "CatagoryID",
     .waitText = "Please Wait: Searching For Other Pictures Where Category Exists"},
    {.lookup = PictureLookup::SubCategory, .caption = "Sub-Category", .field = "SubCatagoryID",
     .listField = "SubCatagoryDescription", .keyField = "SubCatagoryID", .editor = EditorKind::SubCategory,
     .word = "Sub-category", .searchField = "SubCatagoryID",
     .waitText = "Please Wait: Searching For Other Pictures Where Sub-Category Exists"},
    {.lookup = PictureLookup::Photographer, .caption = "Photographer", .field = "PhotograherID",
     .listField = "PersonDescription", .keyField = "PersonID", .editor = EditorKind::Person,
     .word = "Photographer", .searchField = "PhotograherID",
     .waitText = "Please Wait: Searching For Other Pictures Where Photographer Exists"},
    {.lookup = PictureLookup::Rating, .caption = "Rating:", .field = "RatingID", .listField = "RatingDescription",
     .keyField = "RatingID", .editor = EditorKind::Rating, .word = "Rating", .searchField = "RatingID",
     .waitText = "Please Wait: Searching For Other Pictures Where Rating Exists"},
    {.lookup = PictureLookup::MediaType, .caption = "Media Type:", .field = "MediaTypeID",
     .listField = "MediaTypeDescription", .keyField = "MediaTypeID", .editor = EditorKind::MediaType,
     .word = "Media Type", .searchField = "MediaTypeID",
     .waitText = "Please Wait: Searching For Other Pictures Where Media Type Exists"},
    {.lookup = PictureLookup::StorageLocation, .caption = "Storage Location:", .field = "StorageLocationID",
     .listField = "StorageLocationDescriptio", .keyField = "StorageLocationID", .editor = EditorKind::StorageLocation,
     .word = "Storage Location", .searchField = "StorageLocationID",
     .waitText = "Please Wait: Searching For Other Pictures Where Storage Location Exists"},
};

const LookupDef& lookupDef(PictureLookup lookup)
{
    for (const LookupDef& d : kLookups)
        if (d.lookup == lookup)
            return d;
    return kLookups[0];
}

data::DataSource* listSourceOf(data::TProgramDataForm& dm, PictureLookup lookup)
{
    switch (lookup) {
    case PictureLookup::Place: return &dm.PlaceSource;
    case PictureLookup::Category: return &dm.CategorySource;
    case PictureLookup::SubCategory: return &dm.SubCategorySource;
    case PictureLookup::Photographer: return &dm.PersonSource;
    case PictureLookup::Rating: return &dm.RatingSource;
    case PictureLookup::MediaType: return &dm.MeditaTypeSource;
    case PictureLookup::StorageLocation: return &dm.StorageLocationSource;
    case PictureLookup::Person: return &dm.PersonSource;
    case PictureLookup::Album: return &dm.AlbumSource;
    }
    return nullptr;
}

// The settings defaults "Insert" applies, each only when its row exists.
struct InsertDefault {
    const char* field;
    qint64 data::TSystemInfo::*setting;
    const char* tableFile;
    const char* key;
};

constexpr InsertDefault kInsertDefaults[] = {
    {.field = "PlaceID", .setting = &data::TSystemInfo::DefaultPlaceID, .tableFile = "Place.db", .key = "PlaceID"},
    {.field = "CatagoryID", .setting = &data::TSystemInfo::DefaultCatagoryID, .tableFile = "Catagory.db",
     .key = "CatagoryID"},
    {.field = "PhotograherID", .setting = &data::TSystemInfo::DefaultPhotographerID, .tableFile = "Person.db",
     .key = "PersonID"},
    {.field = "RatingID", .setting = &data::TSystemInfo::DefaultRatingID, .tableFile = "Rating.db",
     .key = "RatingID"},
    {.field = "MediaTypeID", .setting = &data::TSystemInfo::DefaultMediaTypeID, .tableFile = "MediaType.db",
     .key = "MediaTypeID"},
    {.field = "StorageLocationID", .setting = &data::TSystemInfo::DefaultStorageLocationID,
     .tableFile = "StorageLocation.db", .key = "StorageLocationID"},
};

bool rowExists(data::TProgramDataForm& dm, const char* tableFile, const char* key, qint64 id)
{
    data::Query q(dm.KestrelviewDatabase());
    q.addLine(QStringLiteral("Select %1 From \"%2\" Where %1 = %3")
                  .arg(QString::fromLatin1(key), QString::fromLatin1(tableFile))
                  .arg(id));
    q.open();
    return !q.isEmpty();
}

common::DBEdit* boundEdit(QWidget* parent, data::DataSource* source, const char* field)
{
    auto* e = new common::DBEdit(parent);
    e->setDataSource(source);
    e->setDataField(QString::fromLatin1(field));
    return e;
}

QPushButton* smallButton(const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setFixedWidth(32);
    return b;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets)
{
    auto* r = new QHBoxLayout;
    bool first = true;
    for (QWidget* w : widgets) {
        r->addWidget(w, first ? 1 : 0);
        first = false;
    }
    return r;
}

QString userName(data::TProgramDataForm& dm, qint64 user)
{
    if (user < 0)
        return QString();
    data::Query q(dm.KestrelviewDatabase());
    q.addLine(QStringLiteral("Select UserName From \"User.db\" Where UserID = ") + QString::number(user));
    q.open();
    return data::readText(q, QStringLiteral("UserName"));
}

// The two link tabs: table, grid columns, lookup, editor and question,
// search, texts.
struct LinkTabDef {
    TPictureForm::LinkTab tab;
    const char* caption;
    const char* idField;
    const char* idCaption;
    const char* pictureField;
    const char* lookupCaption;
    const char* lookupField;
    const char* listField;
    const char* keyField;
    const char* gridField;
    const char* gridTitle;
    const char* modifiedByField;
    const char* modifiedDateField;
    const char* modifiedByCaption;
    EditorKind editor;
    const char* question;
    const char* deleteQuestion;
    const char* waitText;
};

constexpr LinkTabDef kLinkTabs[] = {
    {.tab = TPictureForm::LinkTab::People, .caption = "P&eople", .idField = "PicturePeopleID",
     .idCaption = "Picture People ID:", .pictureField = "PictureID", .lookupCaption = "Person:",
     .lookupField = "PersonID", .listField = "PersonDescription", .keyField = "PersonID", .gridField = "PersonName",
     .gridTitle = "Person", .modifiedByField = "PicturePeopleModifedBy",
     .modifiedDateField = "PicturePeopleModifedDate", .modifiedByCaption = "Modified By:",
     .editor = EditorKind::Person, .question = "Do you want to use %s% for the Person?",
     .deleteQuestion = "Are you sure you want to delete this Person for this Picture?",
     .waitText = "Please Wait: Searching For Other Pictures Where Person Exists!"},
    {.tab = TPictureForm::LinkTab::Album, .caption = "&Album", .idField = "AlbumListID",
     .idCaption = "Album List ID:", .pictureField = "AlbumPictureID", .lookupCaption = "Album:",
     .lookupField = "AlbumID", .listField = "AlbumDescription", .keyField = "AlbumID",
     .gridField = "AlbumDescription", .gridTitle = "Album Description", .modifiedByField = "AlbumListModifiedBy",
     .modifiedDateField = "AlbumListModifiedDate", .modifiedByCaption = "ModifiedBy:", .editor = EditorKind::Album,
     .question = "Do you want to use %s% for the Album?",
     .deleteQuestion = "Are you sure you want to delete this album for this Picture?",
     .waitText = "Please Wait: Searching For Other Pictures Where Album Exists"},
};

const LinkTabDef& linkTabDef(TPictureForm::LinkTab tab)
{
    return tab == TPictureForm::LinkTab::People ? kLinkTabs[0] : kLinkTabs[1];
}

// SearchResult set aside for the move window and given back exactly,
// whatever happens meanwhile.
class SearchResultAside {
public:
    explicit SearchResultAside(data::TProgramDataForm& dm)
        : m_dm(dm)
        , m_saved(dm.SearchResult)
    {
    }
    ~SearchResultAside() { m_dm.SearchResult = m_saved; }
    SearchResultAside(const SearchResultAside&) = delete;
    SearchResultAside& operator=(const SearchResultAside&) = delete;

private:
    data::TProgramDataForm& m_dm;
    data::IdList m_saved;
};

}  // namespace

struct TPictureForm::Lookup {
    PictureLookup lookup;
    common::DBLookupComboBox* box;
    QPushButton* pick;
    QPushButton* find;  // nullptr for none
};

MoveWindow setPictureMoveWindow(MoveWindow window)
{
    MoveWindow previous = std::move(moveWindow());
    moveWindow() = std::move(window);
    return previous;
}

TPictureForm::TPictureForm(data::TProgramDataForm& dm, QWidget* parent)
    : TCloseStepDialog(parent)
    , m_dm(dm)
{
    setObjectName(QStringLiteral("PictureForm"));
    setWindowTitle(QStringLiteral("Picture Detail"));
    setProperty("helpContext", 7700);
    data::DataSource* source = &dm.PictureInfoSource;
    m_tabs = new QTabWidget(this);

    // Picture tab.
    auto* picture = new QWidget(m_tabs);
    auto* pictureRows = new QFormLayout(picture);
    auto* id = boundEdit(picture, source, "PictureID");
    common::SetEditReadOnly(id, true);
    pictureRows->addRow(QStringLiteral("Picture ID:"), id);
    m_description = boundEdit(picture, source, "PictureDescription");
    m_copy = new QPushButton(QStringLiteral("Copy"), picture);
    pictureRows->addRow(QStringLiteral("Description:"), row({m_description, m_copy}));
    m_dateTaken = boundEdit(picture, source, "DateTaken");
    m_dateButton = smallButton(QStringLiteral("..."), picture);
    pictureRows->addRow(QStringLiteral("Date Taken:"), row({m_dateTaken, m_dateButton}));
    for (const LookupDef& d : kLookups) {
        auto* box = new common::DBLookupComboBox(picture);
        box->setListSource(listSourceOf(dm, d.lookup));
        box->setKeyField(QString::fromLatin1(d.keyField));
        box->setListField(QString::fromLatin1(d.listField));
        box->setDataSource(source);
        box->setDataField(QString::fromLatin1(d.field));
        box->installEventFilter(this);
        auto* pick = smallButton(QStringLiteral("..."), picture);
        auto* find = smallButton(QStringLiteral("?"), picture);
        find->setToolTip(QStringLiteral("In Other Pictures"));
        pictureRows->addRow(QString::fromLatin1(d.caption), row({box, pick, find}));
        m_lookups.push_back({d.lookup, box, pick, find});
        m_fieldControls.emplace_back(QString::fromLatin1(d.field), box);
        connect(pick, &QPushButton::clicked, this, [this, l = d.lookup] { PickBtnClick(l); });
        connect(find, &QPushButton::clicked, this, [this, l = d.lookup] { FindOthersClick(l); });
    }
    connect(lookupBox(PictureLookup::MediaType), &QComboBox::activated, this, &TPictureForm::MediaTypeLeft);
    connect(lookupBox(PictureLookup::Category), &QComboBox::activated, this, &TPictureForm::CategoryLeft);
    m_tabs->addTab(picture, QStringLiteral("Pic&ture"));

    // Location tab.
    auto* location = new QWidget(m_tabs);
    auto* locationRows = new QFormLayout(location);
    m_fileName = boundEdit(location, source, "FileName");
    m_fileButton = smallButton(QStringLiteral("..."), location);
    locationRows->addRow(QStringLiteral("File Name:"), row({m_fileName, m_fileButton}));
    m_slide = boundEdit(location, source, "Slide");
    locationRows->addRow(QStringLiteral("Slide:"), m_slide);
    m_page = boundEdit(location, source, "PageName");
    locationRows->addRow(QStringLiteral("Page:"), m_page);
    m_location = boundEdit(location, source, "PictureLocation");
    locationRows->addRow(QStringLiteral("Picture Location:"), m_location);
    m_timeIndex = boundEdit(location, source, "TimeIndex");
    locationRows->addRow(QStringLiteral("Time Index:"), m_timeIndex);
    m_timeLength = boundEdit(location, source, "TimeLength");
    locationRows->addRow(QStringLiteral("Length:"), m_timeLength);
    m_tabs->addTab(location, QStringLiteral("&Location"));

    // Comments tab.
    auto* comments = new QWidget(m_tabs);
    auto* commentRows = new QFormLayout(comments);
    m_comments = new common::DBMemo(comments);
    m_comments->setDataSource(source);
    m_comments->setDataField(QStringLiteral("PictureComments"));
    commentRows->addRow(QStringLiteral("Comments:"), m_comments);
    m_tabs->addTab(comments, QStringLiteral("C&omments"));

    // Preview tab.
    auto* previewTab = new QWidget(m_tabs);
    auto* previewRows = new QHBoxLayout(previewTab);
    auto* previewGroup = new QGroupBox(QStringLiteral("Preview"), previewTab);
    auto* previewInner = new QVBoxLayout(previewGroup);
    m_preview = new QLabel(previewGroup);
    m_preview->setFixedSize(kDetailViewBox, 264);
    m_preview->setAlignment(Qt::AlignCenter);
    m_noPreview = new QLabel(QStringLiteral("No Preview Available"), previewGroup);
    m_noPreview->setAlignment(Qt::AlignCenter);
    previewInner->addWidget(m_preview);
    previewInner->addWidget(m_noPreview);
    auto* previewSide = new QVBoxLayout;
    m_addPreview = new QPushButton(QStringLiteral("Add Preview"), previewTab);
    m_rotateGroup = new QGroupBox(QStringLiteral("Rotate Image"), previewTab);
    m_rotate = new QButtonGroup(this);
    auto* rotateRows = new QVBoxLayout(m_rotateGroup);
    const char* rotateCaptions[] = {"Rotate 0 Degrees", "Rotate 90 Degrees", "Rotate 180 Degrees",
                                    "Rotate 270 Degrees"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QRadioButton(QString::fromLatin1(rotateCaptions[i]), m_rotateGroup);
        m_rotate->addButton(b, i);
        rotateRows->addWidget(b);
    }
    m_rotateGroup->setEnabled(false);
    connect(m_rotate, &QButtonGroup::idClicked, this, &TPictureForm::RotateClick);
    previewSide->addWidget(m_addPreview);
    previewSide->addWidget(m_rotateGroup);
    previewSide->addStretch();
    previewRows->addWidget(previewGroup);
    previewRows->addLayout(previewSide);
    m_tabs->addTab(previewTab, QStringLiteral("&Preview"));
    for (const LinkTabDef& d : kLinkTabs)
        m_tabs->addTab(buildLinkTab(d.tab), QString::fromLatin1(d.caption));

    // Below the tabs.
    auto* modifiedRow = new QHBoxLayout;
    m_modifiedByLabel = new QLabel(QStringLiteral("Modified By:"), this);
    m_modifiedBy = new common::DBEdit(this);
    common::SetEditReadOnly(m_modifiedBy, true);
    m_modifiedDate = boundEdit(this, source, "PictureModifiedDate");
    common::SetEditReadOnly(m_modifiedDate, true);
    m_prior = new QPushButton(QStringLiteral("<"), this);
    m_next = new QPushButton(QStringLiteral(">"), this);
    for (QWidget* w : std::initializer_list<QWidget*>{m_modifiedByLabel, m_modifiedBy, m_modifiedDate})
        modifiedRow->addWidget(w);
    modifiedRow->addStretch();
    modifiedRow->addWidget(m_prior);
    modifiedRow->addWidget(m_next);
    auto* buttons = new QHBoxLayout;
    for (const char* caption : {"Help", "Continue", "Abort", "Delete", "Insert", "Save", "Close", "Move"}) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        m_buttons.push_back(b);
        buttons->addWidget(b);
    }
    button(QStringLiteral("Continue"))->hide();
    button(QStringLiteral("Abort"))->hide();
    button(QStringLiteral("Save"))->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addLayout(modifiedRow);
    layout->addLayout(buttons);

    m_fieldControls.insert(m_fieldControls.end(),
                           {{QStringLiteral("PictureDescription"), m_description},
                            {QStringLiteral("DateTaken"), m_dateTaken},
                            {QStringLiteral("FileName"), m_fileName},
                            {QStringLiteral("Slide"), m_slide},
                            {QStringLiteral("PageName"), m_page},
                            {QStringLiteral("PictureLocation"), m_location},
                            {QStringLiteral("TimeIndex"), m_timeIndex},
                            {QStringLiteral("TimeLength"), m_timeLength},
                            {QStringLiteral("PictureComments"), m_comments}});

    connect(m_copy, &QPushButton::clicked, this, &TPictureForm::CopyBtnClick);
    connect(m_dateButton, &QPushButton::clicked, this, &TPictureForm::DateBtnClick);
    connect(m_fileButton, &QPushButton::clicked, this, &TPictureForm::FileBtnClick);
    connect(m_addPreview, &QPushButton::clicked, this, &TPictureForm::AddPreviewClick);
    connect(m_prior, &QPushButton::clicked, this, &TPictureForm::PriorClick);
    connect(m_next, &QPushButton::clicked, this, &TPictureForm::NextClick);
    connect(button(QStringLiteral("Continue")), &QPushButton::clicked, this, &TPictureForm::ContinueClick);
    connect(button(QStringLiteral("Abort")), &QPushButton::clicked, this, &TPictureForm::AbortClick);
    connect(button(QStringLiteral("Delete")), &QPushButton::clicked, this, &TPictureForm::DeleteBtnClick);
    connect(button(QStringLiteral("Insert")), &QPushButton::clicked, this, &TPictureForm::InsertBtnClick);
    connect(button(QStringLiteral("Save")), &QPushButton::clicked, this, &TPictureForm::SaveBtnClick);
    connect(button(QStringLiteral("Close")), &QPushButton::clicked, this, &QWidget::close);
    connect(button(QStringLiteral("Move")), &QPushButton::clicked, this, &TPictureForm::MoveClick);
    connect(source, &data::DataSource::recordChanged, this, [this] {
        if (!m_applying && !m_closing)
            m_modifiedBy->setText(userName(m_dm, currentId(QStringLiteral("PictureModifiedBy"))));
    });
    connect(&dm.PicturePeopleSource, &data::DataSource::recordChanged, this, [this] {
        if (!m_closing)
            refreshPeopleDetail();
    });

    chooseImageFile = [this](const QString& directory, const QString& proposed) {
        // Qt's filter form; upper-case extensions are listed too, as on a
        // file system that ignores case.
        return QFileDialog::getOpenFileName(
            this, QString(), QDir(directory).filePath(proposed),
            QStringLiteral("All (*.jpg *.jpeg *.bmp *.JPG *.JPEG *.BMP);;JPEG Image File (*.jpg *.JPG);;"
                           "JPEG Image File (*.jpeg *.JPEG);;Bitmaps (*.bmp *.BMP)"));
    };

    new common::TSaveFormPosition(this, QStringLiteral("Picture Detail"));
    m_rememberedMediaType = currentId(QStringLiteral("MediaTypeID"));
    m_rememberedCategory = currentId(QStringLiteral("CatagoryID"));
    resize(640, 560);
}

TPictureForm::~TPictureForm() = default;

data::Table& TPictureForm::table() const { return m_dm.PictureInfoTable; }

bool TPictureForm::mayChange() const
{
    const security::TSecurityData& r = security::SecurityData();
    return r.CanAddPicture || r.CanEditPicture;
}

qint64 TPictureForm::currentId(const QString& field) const
{
    const data::Table& t = table();
    if (!t.active() || (t.isEmpty() && t.state() != data::DataSet::State::Insert))
        return -1;
    return data::readInteger(t, field);
}

QWidget* TPictureForm::control(const QString& field) const
{
    for (const auto& [name, w] : m_fieldControls)
        if (name == field)
            return w;
    return nullptr;
}

common::DBLookupComboBox* TPictureForm::lookupBox(PictureLookup lookup) const
{
    for (const Lookup& l : m_lookups)
        if (l.lookup == lookup)
            return l.box;
    return nullptr;
}

QPushButton* TPictureForm::pickButton(PictureLookup lookup) const
{
    for (const Lookup& l : m_lookups)
        if (l.lookup == lookup)
            return l.pick;
    return nullptr;
}

QPushButton* TPictureForm::findButton(PictureLookup lookup) const
{
    for (const Lookup& l : m_lookups)
        if (l.lookup == lookup)
            return l.find;
    return nullptr;
}

QPushButton* TPictureForm::button(const QString& caption) const
{
    for (QPushButton* b : m_buttons)
        if (b->text() == caption)
            return b;
    return nullptr;
}

int TPictureForm::rotateItem() const { return m_rotate->checkedId(); }

void TPictureForm::setRotateItem(int item)
{
    if (QAbstractButton* b = m_rotate->button(item))
        b->setChecked(true);
}

void TPictureForm::SetMode(PictureFormMode mode)
{
    m_mode = mode;
    m_bulk = mode == PictureFormMode::BulkPause;
    const bool stepping = mode == PictureFormMode::Browse;
    m_prior->setVisible(stepping);
    m_next->setVisible(stepping);
    button(QStringLiteral("Continue"))->setVisible(m_bulk);
    button(QStringLiteral("Abort"))->setVisible(m_bulk);
    if (mode == PictureFormMode::Single)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void TPictureForm::SetBulkPictureFile(const QString& pictureFile, bool showPreviewWindow)
{
    m_pictureFile = pictureFile;
    m_showPreviewWindow = showPreviewWindow;
    m_rotateGroup->setEnabled(true);
    setRotateItem(0);
}

void TPictureForm::showEvent(QShowEvent* event)
{
    TCloseStepDialog::showEvent(event);
    FormActivate();
}

void TPictureForm::changeEvent(QEvent* event)
{
    TCloseStepDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_closing)
        FormActivate();
}

void TPictureForm::FormActivate()
{
    const security::TSecurityData& r = security::SecurityData();
    const bool change = mayChange();
    m_dm.ValidateOnPost = true;
    button(QStringLiteral("Help"))->setEnabled(app::startupValues().HelpAvailable);
    button(QStringLiteral("Save"))->setEnabled(change);
    m_addPreview->setEnabled(change && data::SystemInfo().ShowPreview);
    button(QStringLiteral("Insert"))->setEnabled(r.CanAddPicture);
    button(QStringLiteral("Delete"))->setEnabled(r.CanDeletePicture);
    button(QStringLiteral("Move"))->setEnabled(r.CanMoveLocations && static_cast<bool>(moveWindow()));
    for (QWidget* w : std::initializer_list<QWidget*>{m_modifiedByLabel, m_modifiedBy, m_modifiedDate})
        w->setVisible(r.CanViewModified);
    // "Move" and "Insert" only while the record can be stepped.
    if (m_mode != PictureFormMode::Browse) {
        button(QStringLiteral("Move"))->setEnabled(false);
        button(QStringLiteral("Insert"))->setEnabled(false);
    }
    for (LinkTab tab : {LinkTab::People, LinkTab::Album}) {
        linkButton(tab, QStringLiteral("Save"))->setEnabled(change);
        linkButton(tab, QStringLiteral("&Insert"))->setEnabled(r.CanAddPicture);
        linkButton(tab, QStringLiteral("Delete"))->setEnabled(r.CanDeletePicture);
        linkButton(tab, QStringLiteral("In Other Pictures"))->setEnabled(m_mode == PictureFormMode::Browse);
    }
    linkButton(LinkTab::People, QStringLiteral("Set Default Picture"))->setEnabled(r.CanAddPerson || r.CanEditPerson);
    for (QWidget* w : m_linkModified)
        w->setVisible(r.CanViewModified);
    applyEditPermission();
    loadPreview();
    refreshPeopleDetail();
}

void TPictureForm::applyEditPermission()
{
    const bool locked = !mayChange();
    for (QWidget* w : std::initializer_list<QWidget*>{m_description, m_dateTaken, m_comments})
        common::SetEditReadOnly(w, locked);
    for (const Lookup& l : m_lookups)
        common::SetEditReadOnly(l.box, locked);
    for (QWidget* w : std::initializer_list<QWidget*>{m_personBox, m_albumBox, m_peopleComments})
        common::SetEditReadOnly(w, locked);
    for (QPushButton* b : {m_copy, m_dateButton})
        b->setEnabled(!locked);
    applyLocationFields(true);
}

void TPictureForm::applyLocationFields(bool clear)
{
    if (m_applying || m_closing || !table().active())
        return;
    m_applying = true;
    const bool change = mayChange();
    // Without a media type, or one that names no row, nothing is closed and
    // nothing cleared.
    std::optional<storage::OpenFields> rules;
    if (change && (editing(table()) || !table().isEmpty()))
        rules = storage::LocationFieldRules(*m_dm.KestrelviewDatabase(), table().fieldValue(QStringLiteral("MediaTypeID")));
    const storage::OpenFields open = rules.value_or(storage::OpenFields{});
    const struct {
        QWidget* control;
        bool open;
        const char* field;
    } fields[] = {
        {m_fileName, open.fileName, "FileName"},
        {m_slide, open.slide, "Slide"},
        {m_page, open.pageAndLocation, "PageName"},
        {m_location, open.pageAndLocation, "PictureLocation"},
        {m_timeIndex, open.timeIndex, "TimeIndex"},
        {m_timeLength, open.timeIndex, "TimeLength"},
    };
    for (const auto& f : fields)
        common::SetEditReadOnly(f.control, !(change && f.open));
    m_fileButton->setEnabled(change && open.fileName);
    if (clear && rules) {
        data::Table& t = table();
        for (const auto& f : fields)
            if (!f.open && !t.isNull(QString::fromLatin1(f.field)) && (editing(t) || t.edit()))
                t.setFieldValue(QString::fromLatin1(f.field), QVariant());
    }
    if (m_bulk) {
        for (QWidget* w : std::initializer_list<QWidget*>{m_fileName, lookupBox(PictureLookup::MediaType),
                                                         lookupBox(PictureLookup::StorageLocation)}) {
            common::SetEditReadOnly(w, true);
            w->setEnabled(false);
        }
        m_fileButton->setEnabled(false);
    }
    // A slide show running behind the window indexes SearchResult: no
    // search may change it then, nor during a bulk load.
    const bool finds = m_mode == PictureFormMode::Browse;
    for (const Lookup& l : m_lookups)
        if (l.find)
            l.find->setEnabled(finds);
    m_applying = false;
}

void TPictureForm::linkLocations(bool link)
{
    data::Table& locations = m_dm.StorageLocationTable;
    if (!link) {
        locations.detachMaster();
        return;
    }
    const qint64 type = currentId(QStringLiteral("MediaTypeID"));
    if (type >= 0)
        m_dm.MediaTypeTable.locate(QStringLiteral("MediaTypeID"), type);
    locations.attachMaster();
}

void TPictureForm::linkSubCategories(bool link)
{
    data::Table& subs = m_dm.SubCategoryTable;
    if (!link) {
        subs.detachMaster();
        return;
    }
    const qint64 category = currentId(QStringLiteral("CatagoryID"));
    if (category >= 0)
        m_dm.CategoryTable.locate(QStringLiteral("CatagoryID"), category);
    subs.attachMaster();
}

// The media type or category changed: the storage location or sub-category
// chosen for the old one goes.
void TPictureForm::follow(PictureLookup lookup)
{
    if (m_closing || !table().active())
        return;
    const bool media = lookup == PictureLookup::MediaType;
    const QString field = QString::fromLatin1(media ? "MediaTypeID" : "CatagoryID");
    qint64& remembered = media ? m_rememberedMediaType : m_rememberedCategory;
    media ? linkLocations(false) : linkSubCategories(false);
    const qint64 now = currentId(field);
    if (now != remembered) {
        media ? linkLocations(true) : linkSubCategories(true);
        const QString dependent = QString::fromLatin1(media ? "StorageLocationID" : "SubCatagoryID");
        if (!table().isNull(dependent) && (editing(table()) || table().edit()))
            table().setFieldValue(dependent, QVariant());
        remembered = now;
    }
    if (media)
        applyLocationFields(true);
}

void TPictureForm::MediaTypeLeft() { follow(PictureLookup::MediaType); }
void TPictureForm::CategoryLeft() { follow(PictureLookup::Category); }

bool TPictureForm::eventFilter(QObject* watched, QEvent* event)
{
    const bool in = event->type() == QEvent::FocusIn;
    const bool out = event->type() == QEvent::FocusOut;
    if (in || out) {
        if (watched == lookupBox(PictureLookup::MediaType)) {
            if (in)
                m_rememberedMediaType = currentId(QStringLiteral("MediaTypeID"));
            else
                MediaTypeLeft();
        } else if (watched == lookupBox(PictureLookup::Category)) {
            if (in)
                m_rememberedCategory = currentId(QStringLiteral("CatagoryID"));
            else
                CategoryLeft();
        } else if (watched == lookupBox(PictureLookup::StorageLocation)) {
            linkLocations(in);
        } else if (watched == lookupBox(PictureLookup::SubCategory)) {
            linkSubCategories(in);
        }
    }
    return TCloseStepDialog::eventFilter(watched, event);
}

void TPictureForm::loadPreview()
{
    const data::TSystemInfo& info = data::SystemInfo();
    const qint64 id = currentId(QStringLiteral("PictureID"));
    const QString file = id >= 0 ? PreviewPath(id) : QString();
    const bool shown = info.ShowPreview && id >= 0 && QFileInfo::exists(file);
    if (shown)
        m_preview->setPixmap(QPixmap::fromImage(
            LoadPreviewAndFit(file, info.EncryptionKey, kDetailViewBox, 264, true, kPreviewEnlargement)));
    m_preview->setVisible(shown);
    m_noPreview->setVisible(!shown);
}

bool TPictureForm::postIfEditing() { return !editing(table()) || table().post(); }

void TPictureForm::SaveBtnClick() { postIfEditing(); }

void TPictureForm::InsertBtnClick()
{
    if (!table().insert())
        return;
    m_tabs->setCurrentIndex(0);
    m_description->setFocus();
    m_pictureFile.clear();
    m_rotateGroup->setEnabled(false);
    loadPreview();
    const data::TSystemInfo& info = data::SystemInfo();
    for (const InsertDefault& d : kInsertDefaults) {
        const qint64 id = info.*d.setting;
        if (id != -1 && rowExists(m_dm, d.tableFile, d.key, id))
            table().setFieldValue(QString::fromLatin1(d.field), id);
    }
    m_rememberedMediaType = currentId(QStringLiteral("MediaTypeID"));
    m_rememberedCategory = currentId(QStringLiteral("CatagoryID"));
    applyLocationFields(false);
}

void TPictureForm::DeleteBtnClick()
{
    if (!common::askDestructive(QStringLiteral("Are you sure you want to delete this Picture?")))
        return;
    if (table().state() == data::DataSet::State::Insert) {
        table().cancel();
        done(QDialog::Accepted);
        return;
    }
    const qint64 id = currentId(QStringLiteral("PictureID"));
    if (id < 0)
        return;
    if (table().state() == data::DataSet::State::Edit)
        table().cancel();
    if (data::RunWithErrorDisplay([&] { DeletePicture(m_dm, id, false); }))
        done(QDialog::Accepted);
}

void TPictureForm::CopyBtnClick()
{
    if (!editing(table()) && !table().edit())
        return;
    table().setFieldValue(QStringLiteral("PictureComments"), table().fieldValue(QStringLiteral("PictureDescription")));
}

void TPictureForm::DateBtnClick()
{
    const std::optional<QDate> picked = common::PickCalendarDate(
        this, common::FieldDateOr(table(), QStringLiteral("DateTaken"), QDate::currentDate()),
        data::SystemInfo().CalDirectory);
    if (!picked || !mayChange())
        return;
    if (editing(table()) || table().edit())
        table().setFieldValue(QStringLiteral("DateTaken"), *picked);
}

void TPictureForm::PickBtnClick(PictureLookup lookup)
{
    const LookupDef& d = lookupDef(lookup);
    const bool media = lookup == PictureLookup::MediaType || lookup == PictureLookup::StorageLocation;
    const bool mayPick = mayChange() && !(m_bulk && media) && (editing(table()) || !table().isEmpty());
    const reference::PickResult picked = reference::RunPickEditor(m_dm, d.editor, this);
    const QString field = QString::fromLatin1(d.field);
    const qint64 current = currentId(field);
    if (!mayPick || picked.id == -1 || picked.id == current)
        return;
    // A sub-category of another category, a location of another media
    // type: refused, nothing stored.
    if (lookup == PictureLookup::SubCategory && picked.categoryId != currentId(QStringLiteral("CatagoryID"))) {
        common::showError(QStringLiteral("Error: %1 not in the category you have already selected!").arg(picked.description));
        return;
    }
    if (lookup == PictureLookup::StorageLocation
        && picked.mediaTypeId != currentId(QStringLiteral("MediaTypeID"))) {
        common::showError(
            QStringLiteral("Error: %1 not in the media type you have already selected!").arg(picked.description));
        return;
    }
    const QString question = QStringLiteral("Do you want to use %s% for the ") + QString::fromLatin1(d.word) +
                             QLatin1Char('?');
    if (!reference::ConfirmPick(picked, current, true, question))
        return;
    if (!editing(table()) && !table().edit())
        return;
    table().setFieldValue(field, picked.id);
    if (lookup == PictureLookup::MediaType || lookup == PictureLookup::Category)
        follow(lookup);
}

void TPictureForm::FindOthersClick(PictureLookup lookup)
{
    const LookupDef& d = lookupDef(lookup);
    const qint64 value = currentId(QString::fromLatin1(d.field));
    if (value < 0)
        return;
    {
        common::StatusWindowScope wait(QString::fromLatin1(d.waitText), this);
        wait->showAnimation(true);
        search::FindPicturesWithAttribute(m_dm, QString::fromLatin1(d.searchField), value);
        table().setFiltered(false);
        m_dm.ShowSearchResult = true;
        table().setFiltered(true);
    }
    done(QDialog::Accepted);
}

QString TPictureForm::locationDirectory() const
{
    const qint64 locationId = currentId(QStringLiteral("StorageLocationID"));
    if (locationId < 0)
        return QString();
    data::Query q(m_dm.KestrelviewDatabase());
    q.addLine(QStringLiteral("Select Directory From \"StorageLocation.db\" Where StorageLocationID = ") +
              QString::number(locationId));
    q.open();
    return data::readText(q, QStringLiteral("Directory"));
}

void TPictureForm::AddPreviewClick()
{
    const QString directory = locationDirectory();
    const QString proposed = data::readText(table(), QStringLiteral("FileName"));
    const QString chosen = chooseImageFile(common::AddTrailingBackslash(directory), proposed);
    if (!chosen.isEmpty())
        ChooseFile(chosen);
}

void TPictureForm::FileBtnClick()
{
    const QString directory = locationDirectory();
    std::unique_ptr<common::TSelectFileForm> select = NewSelectFileForm(m_dm, this);
    if (!directory.isEmpty())
        select->setDirectory(directory);
    select->setFileName(data::readText(table(), QStringLiteral("FileName")));
    if (common::showModal(*select) != QDialog::Accepted)
        return;
    const QString chosen = select->FileName();
    if (chosen.isEmpty() || (!editing(table()) && !table().edit()))
        return;
    table().setFieldValue(QStringLiteral("FileName"), QFileInfo(chosen).fileName());
    ChooseFile(chosen);
}

void TPictureForm::ChooseFile(const QString& pictureFile)
{
    const QDateTime fileDate = QFileInfo(pictureFile).lastModified();
    if (ImageKindOf(pictureFile) != ImageKind::Other) {
        std::optional<ChosenFilePreview> made;
        {
            common::StatusWindowScope wait(QStringLiteral("Please Wait Creating Preview!"), this);
            wait->showAnimation(true);
            made = PreviewChosenFile(m_dm, pictureFile);
        }
        if (!made)
            return;  // the refused post or the failed write said why
        m_rotateGroup->setEnabled(true);
        setRotateItem(0);
        m_pictureFile = pictureFile;
        m_preview->setPixmap(QPixmap::fromImage(made->view));
        m_preview->show();
        m_noPreview->hide();
    }
    TakeFileDate(table(), fileDate);
}

void TPictureForm::RotateClick(int item)
{
    if (m_pictureFile.isEmpty() || item < 0 || item > 3)
        return;
    std::optional<ChosenFilePreview> made;
    {
        common::StatusWindowScope wait(QStringLiteral("Please Wait Rotating Image!"), this);
        wait->showAnimation(true);
        made = RotateChosenFile(m_dm, m_pictureFile, kRotateAngles[item]);
    }
    if (made) {
        m_preview->setPixmap(QPixmap::fromImage(made->view));
        m_preview->show();
        m_noPreview->hide();
    }
}

void TPictureForm::recordMoved()
{
    m_rememberedMediaType = currentId(QStringLiteral("MediaTypeID"));
    m_rememberedCategory = currentId(QStringLiteral("CatagoryID"));
    setWindowTitle(QStringLiteral("Picture Detail - ") + data::readText(table(), QStringLiteral("PictureDescription")));
    m_pictureFile.clear();
    m_rotateGroup->setEnabled(false);
    loadPreview();
    applyLocationFields(true);
}

void TPictureForm::NextClick()
{
    if (!postIfEditing())
        return;
    table().next();
    recordMoved();
}

void TPictureForm::PriorClick()
{
    if (!postIfEditing())
        return;
    table().prior();
    recordMoved();
}

void TPictureForm::MoveClick()
{
    const qint64 id = currentId(QStringLiteral("PictureID"));
    if (!moveWindow() || id < 0 || !postIfEditing())
        return;
    {
        SearchResultAside aside(m_dm);
        m_dm.SearchResult.clear();
        m_dm.SearchResult.append(id);
        const int result = moveWindow()(this);
        if (result == QDialog::Rejected)
            common::showInformation(QStringLiteral("Operation Canceled"));
        m_dm.StorageLocationTable.attachMaster();
    }
    table().refresh();
}

void TPictureForm::AbortClick()
{
    if (common::askDestructive(QStringLiteral("Are you sure you want to abort the bulk load operation?  This will "
                                              "stop loading data and return you to the main screen")))
        done(kBulkAbort);
}

void TPictureForm::ContinueClick()
{
    if (common::askDestructive(QStringLiteral(
            "Are you sure you want to continue without pausing for each picture?  This will contikue to load the "
            "remainder of the pictures, but will no longer pause for each picture.")))
        done(kBulkContinue);
}

QWidget* TPictureForm::buildLinkTab(LinkTab tab)
{
    const LinkTabDef& d = linkTabDef(tab);
    data::Table& links = tab == LinkTab::People ? m_dm.PicturePeopleTable : m_dm.AlbumListTable;
    data::DataSource* source = tab == LinkTab::People ? &m_dm.PicturePeopleSource : &m_dm.AlbumListSource;
    auto* page = new QWidget(m_tabs);
    auto* layout = new QHBoxLayout(page);
    auto* grid = new common::DBGrid(page);
    grid->setColumns({{QString::fromLatin1(d.idField), QStringLiteral("ID")},
                      {QString::fromLatin1(d.gridField), QString::fromLatin1(d.gridTitle)}});
    grid->setReadOnly(true);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setDataSource(source);
    grid->setColumnWidth(0, 40);
    grid->setMinimumWidth(200);
    layout->addWidget(grid, 1);

    auto* side = new QVBoxLayout;
    auto* detail = new QGroupBox(QStringLiteral("Detail"), page);
    auto* rows = new QFormLayout(detail);
    auto* id = boundEdit(detail, source, d.idField);
    auto* pictureId = boundEdit(detail, source, d.pictureField);
    for (common::DBEdit* e : {id, pictureId})
        common::SetEditReadOnly(e, true);
    rows->addRow(QString::fromLatin1(d.idCaption), id);
    rows->addRow(QStringLiteral("Picture ID:"), pictureId);
    auto* box = new common::DBLookupComboBox(detail);
    box->setListSource(listSourceOf(m_dm, tab == LinkTab::People ? PictureLookup::Person : PictureLookup::Album));
    box->setKeyField(QString::fromLatin1(d.keyField));
    box->setListField(QString::fromLatin1(d.listField));
    box->setDataSource(source);
    box->setDataField(QString::fromLatin1(d.lookupField));
    auto* pick = smallButton(QStringLiteral("..."), detail);
    rows->addRow(QString::fromLatin1(d.lookupCaption), row({box, pick}));
    (tab == LinkTab::People ? m_personBox : m_albumBox) = box;
    if (tab == LinkTab::People) {
        m_peopleComments = new common::DBMemo(detail);
        m_peopleComments->setDataSource(source);
        m_peopleComments->setDataField(QStringLiteral("PicturePeopleComments"));
        m_peopleComments->setMaximumHeight(60);
        rows->addRow(QStringLiteral("Comments:"), m_peopleComments);
    }
    auto* modifiedLabel = new QLabel(QString::fromLatin1(d.modifiedByCaption), detail);
    auto* modifiedBy = new common::DBEdit(detail);
    auto* modifiedDate = boundEdit(detail, source, d.modifiedDateField);
    for (common::DBEdit* e : {modifiedBy, modifiedDate})
        common::SetEditReadOnly(e, true);
    rows->addRow(modifiedLabel, row({modifiedBy, modifiedDate}));
    m_linkModified.insert(m_linkModified.end(), {modifiedLabel, modifiedBy, modifiedDate});
    connect(source, &data::DataSource::recordChanged, this,
            [this, modifiedBy, &links, field = QString::fromLatin1(d.modifiedByField)] {
                if (!m_closing && links.active())
                    modifiedBy->setText(userName(m_dm, links.isEmpty() && links.state() != data::DataSet::State::Insert
                                                           ? -1
                                                           : data::readInteger(links, field)));
            });
    side->addWidget(detail);

    if (tab == LinkTab::People) {
        auto* ages = new QHBoxLayout;
        m_pictureAgeLabel = new QLabel(QStringLiteral("Picture:"), page);
        m_pictureAge = new QLabel(page);
        m_currentAgeLabel = new QLabel(QStringLiteral("Current:"), page);
        m_currentAge = new QLabel(page);
        for (QLabel* l : {m_pictureAgeLabel, m_pictureAge, m_currentAgeLabel, m_currentAge})
            ages->addWidget(l);
        side->addLayout(ages);
        auto* previewGroup = new QGroupBox(QStringLiteral("Preview"), page);
        auto* previewRows = new QVBoxLayout(previewGroup);
        m_personPreview = new QLabel(previewGroup);
        m_personPreview->setFixedSize(120, 120);
        m_personPreview->setAlignment(Qt::AlignCenter);
        m_personNoPreview = new QLabel(QStringLiteral("No Preview Available"), previewGroup);
        previewRows->addWidget(m_personPreview);
        previewRows->addWidget(m_personNoPreview);
        side->addWidget(previewGroup);
    }
    auto* buttons = new QHBoxLayout;
    QStringList captions{QStringLiteral("Save"), QStringLiteral("&Insert"), QStringLiteral("Delete"),
                         QStringLiteral("In Other Pictures")};
    if (tab == LinkTab::People)
        captions << QStringLiteral("Set Default Picture");
    for (const QString& caption : captions) {
        auto* b = new QPushButton(caption, page);
        buttons->addWidget(b);
        m_linkButtons.emplace_back(tab, b);
    }
    side->addLayout(buttons);
    side->addStretch();
    layout->addLayout(side, 2);

    connect(linkButton(tab, QStringLiteral("Save")), &QPushButton::clicked, this, [this, tab] { LinkSaveClick(tab); });
    connect(linkButton(tab, QStringLiteral("&Insert")), &QPushButton::clicked, this,
            [this, tab] { LinkInsertClick(tab); });
    connect(linkButton(tab, QStringLiteral("Delete")), &QPushButton::clicked, this,
            [this, tab] { LinkDeleteClick(tab); });
    connect(linkButton(tab, QStringLiteral("In Other Pictures")), &QPushButton::clicked, this,
            [this, tab] { LinkOthersClick(tab); });
    if (tab == LinkTab::People)
        connect(linkButton(tab, QStringLiteral("Set Default Picture")), &QPushButton::clicked, this,
                &TPictureForm::SetDefaultPictureClick);
    connect(pick, &QPushButton::clicked, this, [this, tab, &links] {
        const LinkTabDef& def = linkTabDef(tab);
        const bool hasRow = editing(links) || (links.active() && !links.isEmpty());
        reference::PickIntoField(m_dm, def.editor, links, QString::fromLatin1(def.lookupField), mayChange() && hasRow,
                                 QString::fromLatin1(def.question), this);
        if (tab == LinkTab::People)
            refreshPeopleDetail();
    });
    return page;
}

QPushButton* TPictureForm::linkButton(LinkTab tab, const QString& caption) const
{
    for (const auto& [t, b] : m_linkButtons)
        if (t == tab && b->text() == caption)
            return b;
    return nullptr;
}

bool TPictureForm::postNewPictureForLinks()
{
    data::Table& t = table();
    if (t.state() != data::DataSet::State::Insert)
        return true;
    if (m_dm.PictureFileExists(data::readText(t, QStringLiteral("FileName")),
                               data::readInteger(t, QStringLiteral("StorageLocationID")), -1)) {
        common::showError(QStringLiteral("This picture already exists in the database!"));
        return false;
    }
    m_dm.ValidateOnPost = false;
    bool posted = false;
    try {
        posted = t.post();
    } catch (...) {
        m_dm.ValidateOnPost = true;
        throw;
    }
    m_dm.ValidateOnPost = true;
    return posted;
}

void TPictureForm::LinkSaveClick(LinkTab tab)
{
    data::Table& links = tab == LinkTab::People ? m_dm.PicturePeopleTable : m_dm.AlbumListTable;
    if (!postNewPictureForLinks())
        return;
    if (editing(links))
        links.post();
    if (tab == LinkTab::People)
        refreshPeopleDetail();
}

void TPictureForm::LinkInsertClick(LinkTab tab)
{
    data::Table& links = tab == LinkTab::People ? m_dm.PicturePeopleTable : m_dm.AlbumListTable;
    if (!postNewPictureForLinks())
        return;
    if (links.state() == data::DataSet::State::Insert && !links.post())
        return;
    if (!links.insert())
        return;
    (tab == LinkTab::People ? m_personBox : m_albumBox)->setFocus();
}

void TPictureForm::LinkDeleteClick(LinkTab tab)
{
    data::Table& links = tab == LinkTab::People ? m_dm.PicturePeopleTable : m_dm.AlbumListTable;
    if (!links.active() || (links.isEmpty() && !editing(links)))
        return;
    if (!common::askDestructive(QString::fromLatin1(linkTabDef(tab).deleteQuestion)))
        return;
    if (links.state() == data::DataSet::State::Insert)
        links.cancel();
    else
        links.deleteRecord();
}

void TPictureForm::runSearch(const char* waitText, const std::function<void()>& search)
{
    {
        common::StatusWindowScope wait(QString::fromLatin1(waitText), this);
        wait->showAnimation(true);
        search();
        table().setFiltered(false);
        m_dm.ShowSearchResult = true;
        table().setFiltered(true);
    }
    done(QDialog::Accepted);
}

void TPictureForm::LinkOthersClick(LinkTab tab)
{
    data::Table& links = tab == LinkTab::People ? m_dm.PicturePeopleTable : m_dm.AlbumListTable;
    const LinkTabDef& d = linkTabDef(tab);
    if (m_mode != PictureFormMode::Browse || !links.active() || (links.isEmpty() && !editing(links)))
        return;
    const qint64 value = data::readInteger(links, QString::fromLatin1(d.lookupField));
    if (value < 0)
        return;
    runSearch(d.waitText, [&] {
        if (tab == LinkTab::People)
            search::FindPicturesWithPerson(m_dm, value);
        else
            search::FindPicturesInAlbum(m_dm, value);
    });
}

void TPictureForm::refreshPeopleDetail()
{
    if (!m_personPreview)
        return;
    data::Table& people = m_dm.PicturePeopleTable;
    const bool hasRow = people.active() && (editing(people) || !people.isEmpty());
    const qint64 person = hasRow ? data::readInteger(people, QStringLiteral("PersonID")) : -1;
    linkButton(LinkTab::People, QStringLiteral("In Other Pictures"))
        ->setEnabled(person >= 0 && m_mode == PictureFormMode::Browse);
    QString current;
    QString atPicture;
    if (person >= 0) {
        current = web::PersonAgeText(m_dm, person, common::DesktopDays(QDate::currentDate()));
        const QDate taken = common::FieldDateOr(table(), QStringLiteral("DateTaken"), QDate::currentDate());
        atPicture = web::PersonAgeText(m_dm, person, common::DesktopDays(taken));
    }
    const bool ages = !current.isEmpty();
    m_currentAge->setText(current);
    m_pictureAge->setText(atPicture);
    for (QLabel* l : {m_pictureAgeLabel, m_pictureAge, m_currentAgeLabel, m_currentAge})
        l->setVisible(ages);
    const qint64 picture = person >= 0 ? m_dm.PersonPictureOf(person) : -1;
    if (picture >= 0) {
        ShowPreviewInBox(m_dm, picture, true, m_personNoPreview, m_personPreview);
    } else {
        m_personPreview->hide();
        m_personNoPreview->show();
    }
}

void TPictureForm::SetDefaultPictureClick()
{
    data::Table& people = m_dm.PicturePeopleTable;
    const bool hasRow = people.active() && (editing(people) || !people.isEmpty());
    const qint64 person = hasRow ? data::readInteger(people, QStringLiteral("PersonID")) : -1;
    if (person < 0)
        return;
    const QString name = data::readText(people, QStringLiteral("PersonName"));
    if (!common::askDestructive(QStringLiteral("Are you sure you set to set this as the default picture for %1?").arg(name)))
        return;
    const qint64 picture = data::readInteger(people, QStringLiteral("PictureID"));
    // A link not yet saved has no picture to point at for good.
    if (picture < 0 || people.state() == data::DataSet::State::Insert) {
        common::showError(QStringLiteral("Error: Could Not Set This Picture As The Default For :%1, Please save the "
                                         "Record First!")
                              .arg(name));
        return;
    }
    m_dm.SetPersonPicture(person, picture);
    refreshPeopleDetail();
    common::showInformation(QStringLiteral("This picture is now the default picture for: %1.").arg(name));
}

bool TPictureForm::FormClose(int /*result*/)
{
    if (!common::SaveOrCancelChanges({&m_dm.PictureInfoTable, &m_dm.PicturePeopleTable, &m_dm.AlbumListTable}))
        return false;
    m_closing = true;
    m_dm.StorageLocationTable.detachMaster();
    m_dm.SubCategoryTable.detachMaster();
    return true;
}

namespace {

int openOn(data::TProgramDataForm& dm, QWidget* owner, PictureFormMode mode,
           const std::function<void(TPictureForm&)>& prepare = {})
{
    TPictureForm form(dm, owner);
    form.SetMode(mode);
    if (prepare)
        prepare(form);
    return common::showModal(form);
}

void captionOnDescription(data::TProgramDataForm& dm, TPictureForm& form)
{
    form.setWindowTitle(QStringLiteral("Picture Detail - ") +
                        data::readText(dm.PictureInfoTable, QStringLiteral("PictureDescription")));
}

}  // namespace

int OpenPictureDetails(data::TProgramDataForm& dm, QWidget* owner)
{
    return openOn(dm, owner, PictureFormMode::Browse, [&](TPictureForm& f) { captionOnDescription(dm, f); });
}

int OpenNewPicture(data::TProgramDataForm& dm, QWidget* owner)
{
    return openOn(dm, owner, PictureFormMode::Browse, [&](TPictureForm& f) {
        f.InsertBtnClick();
        if (dm.PictureInfoTable.state() == data::DataSet::State::Insert)
            dm.PictureInfoTable.setFieldValue(QStringLiteral("RotateImage"), 0);
    });
}

int OpenSlidePicture(data::TProgramDataForm& dm, QWidget* owner)
{
    return openOn(dm, owner, PictureFormMode::Single, [&](TPictureForm& f) { captionOnDescription(dm, f); });
}

int OpenBulkPausePicture(data::TProgramDataForm& dm, const QString& pictureFile, bool showPreview, QWidget* owner)
{
    return openOn(dm, owner, PictureFormMode::BulkPause,
                  [&](TPictureForm& f) { f.SetBulkPictureFile(pictureFile, showPreview); });
}

void InstallBulkPauseEditor(data::TProgramDataForm& dm)
{
    storage::setPauseEditor([&dm](qint64 pictureId, const QString& file, bool showPreview) {
        if (!dm.PictureInfoTable.locate(QStringLiteral("PictureID"), pictureId))
            return storage::PauseResult::Next;
        switch (OpenBulkPausePicture(dm, file, showPreview)) {
        case kBulkAbort: return storage::PauseResult::Abort;
        case kBulkContinue: return storage::PauseResult::StopPausing;
        default: return storage::PauseResult::Next;
        }
    });
}

}  // namespace kv::pictures
