#include "reference/editors/ReferenceEditor.h"

#include "app/StartupValues.h"
#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/MessageService.h"
#include "common/ShowModal.h"
#include "common/WindowPosition.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "reference/editors/FindForm.h"
#include "reference/editors/PersonForm.h"
#include "reference/editors/PickProtocol.h"
#include "reference/ExportData.h"
#include "reference/ExportForm.h"
#include "reference/ImportData.h"
#include "reference/ImportForm.h"
#include "reference/MoveReferenceForm.h"
#include "security/SecurityData.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <map>

namespace kv::reference {

namespace {

bool editing(const data::Table& t)
{
    return t.state() == data::DataSet::State::Edit || t.state() == data::DataSet::State::Insert;
}

common::DBEdit* boundEdit(QWidget* parent, data::DataSource* source, const QString& field)
{
    auto* e = new common::DBEdit(parent);
    e->setDataSource(source);
    e->setDataField(field);
    return e;
}

// The rows others refer to in a way the user decides on when they go.
std::optional<ReassignKind> reassignKind(EditorKind kind)
{
    switch (kind) {
    case EditorKind::Rating: return ReassignKind::Rating;
    case EditorKind::PersonGroup: return ReassignKind::PersonGroup;
    default: return std::nullopt;
    }
}

// The data source the data module keeps for a table.
data::DataSource* sourceOf(data::TProgramDataForm& dm, data::Table& table)
{
    for (QObject* child : {static_cast<QObject*>(&dm.PlaceSource), static_cast<QObject*>(&dm.CategorySource),
                           static_cast<QObject*>(&dm.SubCategorySource), static_cast<QObject*>(&dm.RatingSource),
                           static_cast<QObject*>(&dm.PersonGroupSource), static_cast<QObject*>(&dm.AlbumSource),
                           static_cast<QObject*>(&dm.MeditaTypeSource), static_cast<QObject*>(&dm.StorageLocationSource),
                           static_cast<QObject*>(&dm.PersonSource)}) {
        auto* source = static_cast<data::DataSource*>(child);
        if (source->dataSet() == &table)
            return source;
    }
    return nullptr;
}

}  // namespace

TReferenceEditor::TReferenceEditor(const EditorFamily& family, data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(family, dm, parent, DetailLayout::Standard)
{
}

TReferenceEditor::TReferenceEditor(const EditorFamily& family, data::TProgramDataForm& dm, QWidget* parent,
                                   DetailLayout detailLayout)
    : TPickEditor(parent)
    , m_family(family)
    , m_dm(dm)
    , m_userQuery(std::make_unique<data::Query>(dm.KestrelviewDatabase()))
{
    setObjectName(family.className.mid(1));
    setWindowTitle(family.caption);
    data::DataSource* source = sourceOf(dm, table());

    m_grid = new common::DBGrid(this);
    QList<common::GridColumn> columns;
    for (const auto& c : family.gridColumns)
        columns << common::GridColumn{c.field, c.title};
    m_grid->setColumns(columns);
    m_grid->setReadOnly(true);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    m_grid->verticalHeader()->hide();
    m_grid->setDataSource(source);
    for (int c = 0; c + 1 < m_grid->model()->columnCount(); ++c)
        m_grid->setColumnWidth(c, family.gridColumns[static_cast<size_t>(c)].title == u"ID" ? 50 : 120);

    auto* group = new QGroupBox(family.groupCaption, this);
    m_detailGroup = group;
    const bool standard = detailLayout == DetailLayout::Standard;
    // An editor with its own layout places these rows itself.
    QFormLayout* fields = m_fields = standard ? new QFormLayout(group) : nullptr;
    const auto addRow = [fields](const auto& label, auto* field) {
        if (fields)
            fields->addRow(label, field);
    };
    if (fields)
        fields->setLabelAlignment(Qt::AlignRight);
    m_id = boundEdit(group, source, family.idField);
    common::SetEditReadOnly(m_id, true);
    m_id->setEnabled(false);
    addRow(QStringLiteral("ID:"), m_id);
    if (family.kind == EditorKind::SubCategory) {
        m_category = new common::DBLookupComboBox(group);
        m_category->setListSource(&dm.CategorySource);
        m_category->setKeyField(QStringLiteral("CatagoryID"));
        m_category->setListField(QStringLiteral("CatagoryDescription"));
        m_category->setDataSource(source);
        m_category->setDataField(QStringLiteral("CatagoryID"));
        m_categoryButton = new QPushButton(QStringLiteral("..."), group);
        m_categoryButton->setFixedWidth(32);
        auto* row = new QHBoxLayout;
        row->addWidget(m_category, 1);
        row->addWidget(m_categoryButton);
        addRow(QStringLiteral("Category:"), row);
        connect(m_categoryButton, &QPushButton::clicked, this, &TReferenceEditor::CatagoryBtnClick);
    }
    m_description = boundEdit(group, source, family.descriptionField);
    addRow(QStringLiteral("Description:"), m_description);
    if (family.kind == EditorKind::Album) {
        m_indexTemplate = boundEdit(group, source, QStringLiteral("AlbumIndexTemplate"));
        m_detailTemplate = boundEdit(group, source, QStringLiteral("AlbumDetailTemplate"));
        m_indexBrowse = new QPushButton(QStringLiteral("..."), group);
        m_detailBrowse = new QPushButton(QStringLiteral("..."), group);
        for (auto [edit, button, label] : {std::tuple{m_indexTemplate, m_indexBrowse, "Index Template:"},
                                           std::tuple{m_detailTemplate, m_detailBrowse, "Detail Template:"}}) {
            button->setFixedWidth(32);
            auto* row = new QHBoxLayout;
            row->addWidget(edit, 1);
            row->addWidget(button);
            addRow(QString::fromLatin1(label), row);
        }
        connect(m_indexBrowse, &QPushButton::clicked, this, [this] { BrowseTemplate(true); });
        connect(m_detailBrowse, &QPushButton::clicked, this, [this] { BrowseTemplate(false); });
    }
    m_comments = new common::DBMemo(group);
    m_comments->setDataSource(source);
    m_comments->setDataField(family.commentsField);
    m_comments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    addRow(QStringLiteral("Comments:"), m_comments);
    m_modifiedBy = new QLineEdit(group);
    common::SetEditReadOnly(m_modifiedBy, true);
    m_modifiedBy->setEnabled(false);
    m_modifiedDate = boundEdit(group, source, family.modifiedDateField);
    common::SetEditReadOnly(m_modifiedDate, true);
    m_modifiedDate->setMinimumWidth(m_modifiedDate->fontMetrics().horizontalAdvance(QStringLiteral("12/31/2026 12:59:59 PM")) + 16);
    m_modifiedByLabel = new QLabel(QStringLiteral("Modified By:"), group);
    if (fields) {
        auto* modified = new QHBoxLayout;
        modified->addWidget(m_modifiedBy, 1);
        modified->addWidget(m_modifiedDate, 0);
        fields->addRow(m_modifiedByLabel, modified);
    }

    m_save = new QPushButton(QStringLiteral("Save"), this);
    m_save->setDefault(true);
    m_insert = new QPushButton(QStringLiteral("Insert"), this);
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_find = new QPushButton(QStringLiteral("Find"), this);
    m_export = new QPushButton(QStringLiteral("Export"), this);
    m_import = new QPushButton(QStringLiteral("Import"), this);
    m_help = new QPushButton(QStringLiteral("Help"), this);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QVBoxLayout;
    m_buttons = buttons;
    for (QPushButton* b : {m_save, m_insert, m_delete, m_find, m_export, m_import, m_help, m_close})
        buttons->addWidget(b);
    buttons->addStretch();
    m_import->setVisible(!family.importSpecs.isEmpty());

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_grid, 2);
    layout->addWidget(group, 3);
    layout->addLayout(buttons);
    resize(720, 360);

    connect(m_save, &QPushButton::clicked, this, &TReferenceEditor::SaveBtnClick);
    connect(m_insert, &QPushButton::clicked, this, &TReferenceEditor::InsertBtnClick);
    connect(m_delete, &QPushButton::clicked, this, &TReferenceEditor::DeleteBtnClick);
    connect(m_find, &QPushButton::clicked, this, &TReferenceEditor::FindBtnClick);
    connect(m_export, &QPushButton::clicked, this, &TReferenceEditor::ExportBtnClick);
    connect(m_import, &QPushButton::clicked, this, &TReferenceEditor::ImportBtnClick);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    if (source)
        connect(source, &data::DataSource::recordChanged, this, &TReferenceEditor::showModifiedBy);

    chooseTemplateFile = [this](const QString& current) {
        return QFileDialog::getOpenFileName(this, QString(), current,
                                            QStringLiteral("html (*.html *.htm);;All Files (*.*)"));
    };
    new common::TSaveFormPosition(this, family.positionKey);
    showModifiedBy();
    FormActivate();
}

TReferenceEditor::~TReferenceEditor() = default;

data::Table& TReferenceEditor::table() const { return m_family.table(m_dm); }

data::DataSource* TReferenceEditor::dataSource() const { return sourceOf(m_dm, table()); }

void TReferenceEditor::showEvent(QShowEvent* event)
{
    TPickEditor::showEvent(event);
    FormActivate();
}

void TReferenceEditor::changeEvent(QEvent* event)
{
    TPickEditor::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TReferenceEditor::FormActivate()
{
    const security::TSecurityData& r = security::SecurityData();
    const bool add = r.*m_family.addRight;
    const bool change = add || r.*m_family.editRight;
    m_dm.ValidateOnPost = true;
    setProperty("helpContext", m_family.helpContext);
    m_help->setEnabled(app::startupValues().HelpAvailable);
    m_save->setEnabled(change);
    m_insert->setEnabled(add);
    m_delete->setEnabled(r.*m_family.deleteRight);
    m_export->setEnabled(r.CanExport);
    m_import->setEnabled(r.CanImport);
    for (QWidget* w : {static_cast<QWidget*>(m_modifiedByLabel), static_cast<QWidget*>(m_modifiedBy),
                       static_cast<QWidget*>(m_modifiedDate)})
        w->setVisible(r.CanViewModified);
    common::SetEditReadOnly(m_description, !change);
    common::SetEditReadOnly(m_comments, !change);
    for (common::DBEdit* e : {m_indexTemplate, m_detailTemplate})
        if (e)
            common::SetEditReadOnly(e, !change);
    for (QPushButton* b : {m_indexBrowse, m_detailBrowse})
        if (b)
            b->setEnabled(change);
    if (m_category)
        common::SetEditReadOnly(m_category, !change);
}

void TReferenceEditor::showModifiedBy()
{
    const qint64 user = table().active() ? data::readInteger(table(), m_family.modifiedByField) : -1;
    QString name;
    if (user >= 0) {
        m_userQuery->close();
        m_userQuery->clearSql();
        m_userQuery->addLine(QStringLiteral("Select UserName From \"User.db\" Where UserID = ") + QString::number(user));
        m_userQuery->open();
        name = data::readText(*m_userQuery, QStringLiteral("UserName"));
        m_userQuery->close();
    }
    m_modifiedBy->setText(name);
}

void TReferenceEditor::SaveBtnClick()
{
    if (editing(table()))
        table().post();
}

// A row being edited is posted before anything else happens to the table;
// when its post is refused (the record check told why) the action stops, so
// that nothing lands on the row still being edited.
bool TReferenceEditor::resolvePendingEdit()
{
    return !editing(table()) || table().post();
}

void TReferenceEditor::InsertBtnClick()
{
    if (!resolvePendingEdit() || !table().append())
        return;
    if (m_family.kind == EditorKind::Album) {
        const data::TSystemInfo& s = data::SystemInfo();
        table().setFieldValue(QStringLiteral("AlbumIndexTemplate"), s.DefaultIndexTemplate);
        table().setFieldValue(QStringLiteral("AlbumDetailTemplate"), s.DefaultDetailTemplate);
    }
    if (m_category)
        m_category->setFocus();
    else
        m_description->setFocus();
}

void TReferenceEditor::DeleteBtnClick()
{
    data::Table& t = table();
    if (t.isEmpty() && t.state() == data::DataSet::State::Browse)
        return;
    if (!common::askDestructive(m_family.deleteQuestion))
        return;
    const qint64 id = data::readInteger(t, m_family.idField);
    // A stored rating or person group goes in the Move window's own
    // transaction, together with the references the user moves or clears.
    if (const auto reassign = reassignKind(m_family.kind); reassign && t.state() != data::DataSet::State::Insert) {
        t.cancel();
        RunReassignForm(*reassign, m_dm, id, this);
        return;
    }
    // The row and what follows its delete stand or fall together.
    m_dm.InOneTransaction([&] {
        t.deleteRecord();
        if (m_family.afterDelete && id != -1)
            m_family.afterDelete(m_dm, id);
    });
}

void TReferenceEditor::FindBtnClick()
{
    if (!resolvePendingEdit())
        return;
    TFindForm find(m_dm, table(), this);
    common::showModal(find);
}

void TReferenceEditor::ExportBtnClick()
{
    if (!resolvePendingEdit())
        return;
    TExportForm form(this);
    for (const QString& spec : m_family.exportSpecs)
        form.AddExportField(spec);
    form.DisableDateRange();
    if (!m_family.transfersDates)
        form.DisableDateFormat();
    if (common::showModal(form) != QDialog::Accepted)
        return;
    data::Query& query = m_family.exportQuery == u"PersonGroupQuery" ? m_dm.PersonGroupQuery : m_dm.PersonQuery;
    query.close();
    query.clearSql();
    query.addLine(QStringLiteral("Select ") + form.SelectList());
    for (const QString& line : m_family.exportFromLines)
        query.addLine(line);
    query.prepare();
    query.open();
    if (query.isEmpty()) {
        common::showError(QStringLiteral("Error: No Records Found To Export!"));
        query.close();
        return;
    }
    ExportDataSetToFile(query, form.ExportFormat(), form.DateFormat(), form.IncludeHeader(), form.ChosenSpecs(),
                        form.FileName());
    query.close();
}

void TReferenceEditor::ImportBtnClick()
{
    if (!resolvePendingEdit())
        return;
    data::Table& t = table();
    data::DataSource* source = sourceOf(m_dm, t);
    // The grid and the bound controls rest while the rows change.
    m_grid->setEnabled(false);
    if (source)
        source->setEnabled(false);
    {
        TImportForm form(this);
        for (const QString& spec : m_family.importSpecs)
            form.AddImportField(spec);
        if (!m_family.transfersDates)
            form.DisableDateFormat();
        form.HideDescription();
        if (common::showModal(form) == QDialog::Accepted)
            ImportFileIntoTable(m_dm, form.FileName(), form.DateFormat(), form.ImportFormat(), t, form.ChosenFields(),
                                form.LinesToSkip(), m_family.importKeyField, m_family.importTableFile,
                                &form.FixedColumns());
    }
    m_grid->setEnabled(true);
    if (source)
        source->setEnabled(true);
    if (t.active())
        t.refresh();
}

void TReferenceEditor::CatagoryBtnClick()
{
    const security::TSecurityData& r = security::SecurityData();
    PickIntoField(m_dm, EditorKind::Category, table(), QStringLiteral("CatagoryID"), r.CanAddSubCat || r.CanEditSubCat,
                  QStringLiteral("Do you want to use %s% for the Category?"), this);
}

void TReferenceEditor::BrowseTemplate(bool index)
{
    // Without an album there is nothing to put a template on.
    if (!editing(table()) && table().isEmpty())
        return;
    const QString field = index ? QStringLiteral("AlbumIndexTemplate") : QStringLiteral("AlbumDetailTemplate");
    const QString chosen = chooseTemplateFile ? chooseTemplateFile(data::readText(table(), field)) : QString();
    if (chosen.isEmpty())
        return;
    if (table().edit())
        table().setFieldValue(field, QFileInfo(chosen).absoluteFilePath());
}

void TReferenceEditor::setPickResult()
{
    data::Table& t = table();
    const bool hasRow = !(t.isEmpty() && t.state() == data::DataSet::State::Browse);
    PickedID = hasRow ? static_cast<qint32>(data::readInteger(t, m_family.idField)) : -1;
    PickedDescription = hasRow ? data::readText(t, m_family.descriptionField) : QString();
    PickedCategoryID = -1;
    if (hasRow && m_family.kind == EditorKind::SubCategory)
        PickedCategoryID = static_cast<qint32>(data::readInteger(t, QStringLiteral("CatagoryID")));
    PickedMediaTypeID = -1;
    if (hasRow && m_family.kind == EditorKind::StorageLocation)
        PickedMediaTypeID = static_cast<qint32>(data::readInteger(t, QStringLiteral("MediaType")));
}

bool TReferenceEditor::FormClose(int)
{
    // A refused post keeps the window open: the user corrects or cancels the row.
    if (!common::SaveOrCancelChanges({&table()}))
        return false;
    setPickResult();
    return true;
}

TPlaceForm::TPlaceForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(editorFamily(EditorKind::Place), dm, parent)
{
}
TCategoryForm::TCategoryForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(editorFamily(EditorKind::Category), dm, parent)
{
}
TSubCategoryForm::TSubCategoryForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(editorFamily(EditorKind::SubCategory), dm, parent)
{
}
TRatingForm::TRatingForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(editorFamily(EditorKind::Rating), dm, parent)
{
}
TPersonGroupForm::TPersonGroupForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(editorFamily(EditorKind::PersonGroup), dm, parent)
{
}
TAlbumForm::TAlbumForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(editorFamily(EditorKind::Album), dm, parent)
{
}

namespace {

std::map<EditorKind, EditorMaker>& registeredEditors()
{
    static std::map<EditorKind, EditorMaker> makers;
    return makers;
}

}  // namespace

void registerEditor(EditorKind kind, EditorMaker maker) { registeredEditors()[kind] = std::move(maker); }

std::unique_ptr<TReferenceEditor> createEditor(EditorKind kind, data::TProgramDataForm& dm, QWidget* parent)
{
    switch (kind) {
    case EditorKind::Place: return std::make_unique<TPlaceForm>(dm, parent);
    case EditorKind::Category: return std::make_unique<TCategoryForm>(dm, parent);
    case EditorKind::SubCategory: return std::make_unique<TSubCategoryForm>(dm, parent);
    case EditorKind::Rating: return std::make_unique<TRatingForm>(dm, parent);
    case EditorKind::PersonGroup: return std::make_unique<TPersonGroupForm>(dm, parent);
    case EditorKind::Album: return std::make_unique<TAlbumForm>(dm, parent);
    case EditorKind::Person: return std::make_unique<TPersonForm>(dm, parent);
    default: break;
    }
    const auto maker = registeredEditors().find(kind);
    return maker != registeredEditors().end() ? maker->second(dm, parent) : nullptr;
}

}  // namespace kv::reference
