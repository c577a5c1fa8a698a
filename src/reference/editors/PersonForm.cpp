#include "reference/editors/PersonForm.h"

#include "common/CalendarForm.h"
#include "common/ControlLocking.h"
#include "common/DataControls.h"
#include "common/DateText.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "data/ProgramDataForm.h"
#include "pictures/PreviewBox.h"
#include "reference/editors/PickProtocol.h"
#include "search/QueryBuilder.h"
#include "security/SecurityData.h"
#include "web/RecordLoads.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kv::reference {

namespace {

const QString kZipMask = QStringLiteral("00000\\-9999;1;_");
const QString kPhoneMask = QStringLiteral("!\\(999\\) 000-0000;1;_");

// The boxes of the address, phone and e-mail tabs: tab, caption, field.
struct DetailBox {
    const char* tab;
    const char* caption;
    const char* field;
};

constexpr DetailBox kDetailBoxes[] = {
    {.tab = "Address", .caption = "Line 1:", .field = "Address1"},
    {.tab = "Address", .caption = "Line 2:", .field = "Address2"},
    {.tab = "Address", .caption = "City:", .field = "City"},
    {.tab = "Address", .caption = "State:", .field = "State"},
    {.tab = "Address", .caption = "Country:", .field = "Country"},
    {.tab = "Address", .caption = "Zip:", .field = "ZipCode"},
    {.tab = "Phone", .caption = "Home:", .field = "HomePhone"},
    {.tab = "Phone", .caption = "Work:", .field = "WorkPhone"},
    {.tab = "Phone", .caption = "Cell:", .field = "CellPhone"},
    {.tab = "E-Mail", .caption = "E-Mail:", .field = "Email"},
    {.tab = "E-Mail", .caption = "Web Page:", .field = "WebPage"},
};

common::DBEdit* boundBox(QWidget* parent, data::DataSource* source, const QString& field)
{
    auto* box = new common::DBEdit(parent);
    box->setDataSource(source);
    box->setDataField(field);
    return box;
}

// A box with a small button on its right.
QHBoxLayout* withButton(QWidget* box, QPushButton* button)
{
    auto* row = new QHBoxLayout;
    row->addWidget(box, 1);
    row->addWidget(button);
    return row;
}

QPushButton* pickButton(QWidget* parent)
{
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setFixedWidth(32);
    return button;
}

}  // namespace

PreviewWindowOpener& personPreviewWindow()
{
    static PreviewWindowOpener opener;
    return opener;
}

TPersonForm::TPersonForm(data::TProgramDataForm& dm, QWidget* parent)
    : TReferenceEditor(editorFamily(EditorKind::Person), dm, parent, DetailLayout::Own)
    , m_pictureQuery(std::make_unique<data::Query>(dm.KestrelviewDatabase()))
{
    data::DataSource* source = &dm.PersonSource;
    QWidget* group = detailGroup();
    m_tabs = new QTabWidget(group);

    auto* personal = new QWidget(m_tabs);
    auto* personalRows = new QFormLayout(personal);
    personalRows->addRow(QStringLiteral("Person ID:"), idEdit());
    personalRows->addRow(QStringLiteral("Name:"), description());
    m_birthday = boundBox(personal, source, QStringLiteral("Birthdate"));
    m_birthdayButton = pickButton(personal);
    personalRows->addRow(QStringLiteral("Birthday: "), withButton(m_birthday, m_birthdayButton));
    m_death = boundBox(personal, source, QStringLiteral("DeathDate"));
    m_deathButton = pickButton(personal);
    personalRows->addRow(QStringLiteral("Deceased: "), withButton(m_death, m_deathButton));
    m_ageLabel = new QLabel(QStringLiteral("Age:"), personal);
    m_ageText = new QLabel(personal);
    personalRows->addRow(m_ageLabel, m_ageText);
    m_group = new common::DBLookupComboBox(personal);
    m_group->setListSource(&dm.PersonGroupSource);
    m_group->setKeyField(QStringLiteral("PersonGroupID"));
    m_group->setListField(QStringLiteral("PersonGroupDescription"));
    m_group->setDataSource(source);
    m_group->setDataField(QStringLiteral("GroupType"));
    m_groupButton = pickButton(personal);
    personalRows->addRow(QStringLiteral("Group:"), withButton(m_group, m_groupButton));
    m_tabs->addTab(personal, QStringLiteral("Personal"));

    QMap<QString, QFormLayout*> pages;
    for (const DetailBox& d : kDetailBoxes) {
        const QString tab = QString::fromLatin1(d.tab);
        if (!pages.contains(tab)) {
            auto* page = new QWidget(m_tabs);
            pages.insert(tab, new QFormLayout(page));
            m_tabs->addTab(page, tab);
        }
        QFormLayout* rows = pages.value(tab);
        common::DBEdit* box = boundBox(rows->parentWidget(), source, QString::fromLatin1(d.field));
        m_boxes.push_back(box);
        if (box->dataField() == u"Email") {
            m_emailButton = new QPushButton(QStringLiteral("Send"), rows->parentWidget());
            rows->addRow(QString::fromLatin1(d.caption), withButton(box, m_emailButton));
        } else if (box->dataField() == u"WebPage") {
            m_webPageButton = new QPushButton(QStringLiteral("Open"), rows->parentWidget());
            rows->addRow(QString::fromLatin1(d.caption), withButton(box, m_webPageButton));
        } else {
            rows->addRow(QString::fromLatin1(d.caption), box);
        }
    }
    box(QStringLiteral("ZipCode"))->setEditMask(kZipMask);
    for (const char* phone : {"HomePhone", "WorkPhone", "CellPhone"})
        box(QString::fromLatin1(phone))->setEditMask(kPhoneMask);

    auto* commentsPage = new QWidget(m_tabs);
    auto* commentsRows = new QVBoxLayout(commentsPage);
    commentsRows->addWidget(comments());
    m_tabs->addTab(commentsPage, QStringLiteral("Comments"));

    auto* previewPage = new QWidget(m_tabs);
    m_image = new QLabel(previewPage);
    m_image->setFixedSize(200, 150);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->installEventFilter(this);
    m_noPreview = new QLabel(QStringLiteral("No Preview Available"), previewPage);
    m_noPreview->setFixedSize(200, 150);
    m_noPreview->setAlignment(Qt::AlignCenter);
    m_clearPreview = new QPushButton(QStringLiteral("Clear Preview"), previewPage);
    m_showPreview = new QPushButton(QStringLiteral("Show Preview"), previewPage);
    auto* previewButtons = new QVBoxLayout;
    previewButtons->addWidget(m_clearPreview);
    previewButtons->addWidget(m_showPreview);
    previewButtons->addStretch();
    auto* previewRow = new QHBoxLayout;
    previewRow->addWidget(m_image);
    previewRow->addWidget(m_noPreview);
    previewRow->addLayout(previewButtons);
    previewRow->addStretch();
    auto* previewRows = new QVBoxLayout(previewPage);
    previewRows->addLayout(previewRow);
    previewRows->addStretch();
    m_tabs->addTab(previewPage, QStringLiteral("Preview"));

    auto* modified = new QHBoxLayout;
    modified->addWidget(modifiedByLabel());
    modified->addWidget(modifiedBy(), 1);
    modified->addWidget(modifiedDateBox());
    auto* groupRows = new QVBoxLayout(group);
    groupRows->addWidget(m_tabs, 1);
    groupRows->addLayout(modified);
    resize(1060, 440);

    connect(m_birthdayButton, &QPushButton::clicked, this, &TPersonForm::BirthdayCalendarClick);
    connect(m_deathButton, &QPushButton::clicked, this, &TPersonForm::DeathCalendarClick);
    connect(m_groupButton, &QPushButton::clicked, this, &TPersonForm::GroupBtnClick);
    connect(m_webPageButton, &QPushButton::clicked, this, &TPersonForm::WebPageBtnClick);
    connect(m_emailButton, &QPushButton::clicked, this, &TPersonForm::EmailBtnClick);
    connect(m_clearPreview, &QPushButton::clicked, this, &TPersonForm::ClearPreviewBtnClick);
    connect(m_showPreview, &QPushButton::clicked, this, &TPersonForm::ShowPreviewBtnClick);
    // The two buttons follow every keystroke in their boxes.
    for (auto [field, button] : {std::pair{"WebPage", m_webPageButton}, std::pair{"Email", m_emailButton}}) {
        QLineEdit* b = box(QString::fromLatin1(field));
        const auto follow = [button](const QString& text) { button->setEnabled(!text.trimmed().isEmpty()); };
        connect(b, &QLineEdit::textChanged, this, follow);
        follow(b->text());
    }
    connect(source, &data::DataSource::recordChanged, this, [this] {
        RefreshAge();
        RefreshPreview();
    });
    connect(source, &data::DataSource::fieldChanged, this, &TPersonForm::fieldChanged);

    RefreshAge();
    FormActivate();
}

TPersonForm::~TPersonForm() = default;

common::DBEdit* TPersonForm::box(const QString& field) const
{
    for (common::DBEdit* b : m_boxes)
        if (b->dataField() == field)
            return b;
    return nullptr;
}

bool TPersonForm::mayChange() const
{
    const security::TSecurityData& r = security::SecurityData();
    return r.CanAddPerson || r.CanEditPerson;
}

bool TPersonForm::hasRow() const
{
    const data::Table& t = table();
    return t.active() && !(t.isEmpty() && t.state() == data::DataSet::State::Browse);
}

qint64 TPersonForm::defaultPicture() const
{
    return hasRow() ? data::readInteger(table(), QStringLiteral("PersonPicture")) : -1;
}

bool TPersonForm::pictureExists(qint64 pictureId)
{
    data::Query& q = *m_pictureQuery;
    q.close();
    q.clearSql();
    q.addLine(QStringLiteral("Select PictureID From \"PictureInfo.db\" Where PictureID = ") + QString::number(pictureId));
    q.open();
    const bool found = !q.isEmpty();
    q.close();
    return found;
}

void TPersonForm::FormActivate()
{
    TReferenceEditor::FormActivate();
    const bool change = mayChange();
    for (QWidget* w : {static_cast<QWidget*>(m_birthday), static_cast<QWidget*>(m_death),
                       static_cast<QWidget*>(m_group)})
        common::SetEditReadOnly(w, !change);
    for (common::DBEdit* b : m_boxes)
        common::SetEditReadOnly(b, !change);
    m_birthdayButton->setEnabled(change);
    m_deathButton->setEnabled(change);
    RefreshPreview();
}

void TPersonForm::fieldChanged(const QString& field)
{
    if (field.compare(u"Birthdate", Qt::CaseInsensitive) == 0 || field.compare(u"DeathDate", Qt::CaseInsensitive) == 0)
        RefreshAge();
    else if (field.compare(u"PersonPicture", Qt::CaseInsensitive) == 0)
        RefreshPreview();
}

void TPersonForm::RefreshAge()
{
    // Recomputed on every change of either date, also when one is cleared.
    const bool born = hasRow() && !table().isNull(QStringLiteral("Birthdate"));
    m_ageText->setText(born ? web::CurrentPersonAgeText(dataModule(), common::DesktopDays(QDate::currentDate()))
                            : QString());
    m_ageLabel->setVisible(born);
    m_ageText->setVisible(born);
}

void TPersonForm::RefreshPreview()
{
    const qint64 picture = defaultPicture();
    const bool exists = picture != -1 && pictureExists(picture);
    const bool enforce = security::SecurityData().EnforceRating;
    // A default picture that no longer exists shows nothing, like none.
    if (exists) {
        pictures::ShowPreviewInBox(dataModule(), picture, enforce, m_noPreview, m_image);
    } else {
        m_image->hide();
        m_noPreview->show();
    }
    const bool shown = !m_image->isHidden();
    // The picture itself is offered only to a user who may see its rating.
    m_showPreview->setEnabled(exists && search::IsPictureRatingAllowed(dataModule(), picture, enforce));
    const security::TSecurityData& r = security::SecurityData();
    m_clearPreview->setEnabled(picture != -1 && (shown || !exists)
                               && (r.CanAddPerson || r.CanEditPerson || r.CanDeletePerson));
}

void TPersonForm::pickDate(const QString& field)
{
    const std::optional<QDate> picked =
        common::PickCalendarDate(this, common::FieldDateOr(table(), field, QDate::currentDate()));
    if (!picked || !mayChange() || !hasRow())
        return;
    if (table().edit())
        table().setFieldValue(field, *picked);
}

void TPersonForm::BirthdayCalendarClick() { pickDate(QStringLiteral("Birthdate")); }

void TPersonForm::DeathCalendarClick() { pickDate(QStringLiteral("DeathDate")); }

void TPersonForm::GroupBtnClick()
{
    PickIntoField(dataModule(), EditorKind::PersonGroup, table(), QStringLiteral("GroupType"), mayChange() && hasRow(),
                  QStringLiteral("Do you want to use %s% for the Group?"), this);
}

void TPersonForm::WebPageBtnClick()
{
    const QString page = hasRow() ? data::readText(table(), QStringLiteral("WebPage")).trimmed() : QString();
    if (!page.isEmpty())
        common::OpenUrl(page);
}

void TPersonForm::EmailBtnClick()
{
    const QString address = hasRow() ? data::readText(table(), QStringLiteral("Email")) : QString();
    if (!address.trimmed().isEmpty())
        common::SendMail(address);
}

void TPersonForm::ClearPreviewBtnClick()
{
    RefreshPreview();
    if (!m_clearPreview->isEnabled())
        return;
    if (!common::askDestructive(QStringLiteral("Are you sure you want to clear this picture?")))
        return;
    // Posted by Save or on closing.
    if (table().edit())
        table().setFieldValue(QStringLiteral("PersonPicture"), QVariant());
    RefreshPreview();
}

void TPersonForm::ShowPreviewBtnClick()
{
    RefreshPreview();
    if (!m_showPreview->isEnabled())
        return;
    if (const PreviewWindowOpener& open = personPreviewWindow())
        open(dataModule(), defaultPicture(), this);
}

bool TPersonForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_image && event->type() == QEvent::MouseButtonDblClick) {
        ShowPreviewBtnClick();
        return true;
    }
    return TReferenceEditor::eventFilter(watched, event);
}

}  // namespace kv::reference
