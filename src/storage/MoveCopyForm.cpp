#include "storage/MoveCopyForm.h"

#include "common/BrowseForFolder.h"
#include "common/DataControls.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "common/ShowModal.h"
#include "common/StatusWindows.h"
#include "common/WindowPosition.h"
#include "data/ProgramDataForm.h"
#include "reference/editors/PickProtocol.h"
#include "storage/PictureActions.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace kv::storage {

namespace {

using reference::EditorKind;

// What each mode shows and says.
struct ModeDef {
    const char* title;
    int helpContext;
    const char* caption;  // nullptr: no caption line and no target
    const char* action;
    const char* emptyTarget;  // the error when the target is not filled in
};

const ModeDef kModes[] = {
    {.title = "Move", .helpContext = 906, .caption = "Move To Location:", .action = "Move",
     .emptyTarget = "Error: Please Make Sure at least The Move To Location or the Move To Logical Is Filled Out!"},
    {.title = "Copy", .helpContext = 907, .caption = "Copy To Location:", .action = "Copy",
     .emptyTarget = "Error: Please Make Sure the Copy To Location Is Filled Out"},
    {.title = "Add Album", .helpContext = 908, .caption = "Select Album To Add:", .action = "Add",
     .emptyTarget = "Error: Please Select An Album To Add To The Selected Pictures!"},
    {.title = "Delete Pictures", .helpContext = 909, .caption = nullptr, .action = "Delete", .emptyTarget = nullptr},
};

// The "Please Wait" window with its gauge for an action.
class WaitGauge : public MoveProgress {
public:
    WaitGauge(QString text, QWidget* owner)
        : m_text(std::move(text)), m_owner(owner)
    {
    }
    void begin(int rows) override
    {
        m_window.emplace(m_text, m_owner);
        (*m_window)->showGauge(0, rows);
    }
    void step() override
    {
        if (m_window && m_window->get())
            (*m_window)->stepProgress();
    }
    void end() override { m_window.reset(); }

private:
    QString m_text;
    QWidget* m_owner;
    std::optional<common::StatusWindowScope> m_window;
};

}  // namespace

QString& TMoveCopyForm::rememberedCopyDirectory()
{
    static QString directory;
    return directory;
}

TMoveCopyForm::TMoveCopyForm(data::TProgramDataForm& dm, QWidget* owner)
    : QDialog(owner), m_dm(dm)
{
    setObjectName(QStringLiteral("MoveCopyForm"));
    m_position = new common::TSaveFormPosition(this, QStringLiteral("MoveCopy"));
    m_caption = new QLabel(this);
    m_directory = new QLineEdit(rememberedCopyDirectory(), this);
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_lookup = new common::DBLookupComboBox(this);
    m_pick = new QPushButton(QStringLiteral("..."), this);
    m_rotate = new QCheckBox(QStringLiteral("Rotate Images"), this);
    m_resize = new QCheckBox(QStringLiteral("Resize Image"), this);
    m_largestSideLabel = new QLabel(QStringLiteral("Maximum Image Size (Pixels):"), this);
    m_largestSide = new QSpinBox(this);
    m_largestSide->setRange(1, 100000);
    m_largestSide->setValue(640);
    m_largestSide->setEnabled(false);
    m_moveFiles = new QCheckBox(QStringLiteral("Move Files To: "), this);
    m_deleteOriginals = new QCheckBox(QStringLiteral("Delete Original Pictures"), this);
    m_count = new QLabel(this);
    m_action = new QPushButton(this);
    m_action->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_help = new QPushButton(QStringLiteral("Help"), this);

    auto* target = new QHBoxLayout;
    target->addWidget(m_directory, 1);
    target->addWidget(m_browse);
    target->addWidget(m_lookup, 1);
    target->addWidget(m_pick);
    auto* size = new QHBoxLayout;
    size->addWidget(m_resize);
    size->addWidget(m_largestSideLabel);
    size->addWidget(m_largestSide);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    for (QPushButton* b : {m_action, m_help, m_cancel})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addLayout(target);
    layout->addWidget(m_rotate);
    layout->addLayout(size);
    layout->addWidget(m_moveFiles);
    layout->addWidget(m_deleteOriginals);
    layout->addLayout(buttons);

    connect(m_resize, &QCheckBox::toggled, m_largestSide, &QWidget::setEnabled);
    connect(m_action, &QPushButton::clicked, this, &TMoveCopyForm::ActionClick);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_browse, &QPushButton::clicked, this, &TMoveCopyForm::BrowseClick);
    connect(m_pick, &QPushButton::clicked, this, &TMoveCopyForm::PickClick);
    connect(m_lookup, &QComboBox::activated, this, [this] { readMoveTarget(); });
    setMode(Copy);
}

TMoveCopyForm::~TMoveCopyForm()
{
    if (m_mode == Copy)
        rememberedCopyDirectory() = m_directory->text();
    if (m_mode == Move)
        m_dm.StorageLocationTable.attachMaster();
}

void TMoveCopyForm::setMode(int mode)
{
    if (m_mode == Move && mode != Move)
        m_dm.StorageLocationTable.attachMaster();
    m_mode = std::clamp(mode, 0, 3);
    const ModeDef& def = kModes[m_mode];
    setWindowTitle(QString::fromLatin1(def.title));
    setProperty("helpContext", def.helpContext);
    m_caption->setVisible(def.caption != nullptr);
    m_caption->setText(def.caption ? QString::fromLatin1(def.caption) : QString());
    m_action->setText(QString::fromLatin1(def.action));
    const bool copy = m_mode == Copy, lookup = m_mode == Move || m_mode == AddAlbum;
    for (QWidget* w : {static_cast<QWidget*>(m_directory), static_cast<QWidget*>(m_browse),
                       static_cast<QWidget*>(m_rotate), static_cast<QWidget*>(m_resize),
                       static_cast<QWidget*>(m_largestSideLabel), static_cast<QWidget*>(m_largestSide)})
        w->setVisible(copy);
    m_lookup->setVisible(lookup);
    m_pick->setVisible(lookup);
    m_moveFiles->setVisible(m_mode == Move);
    m_deleteOriginals->setVisible(m_mode == Delete);
    if (m_mode == Move) {
        // Every location is offered, whatever media type is current.
        m_dm.StorageLocationTable.detachMaster();
        m_lookup->setListSource(&m_dm.StorageLocationSource);
        m_lookup->setKeyField(QStringLiteral("StorageLocationID"));
        m_lookup->setListField(QStringLiteral("StorageLocationDescriptio"));
    } else if (m_mode == AddAlbum) {
        m_lookup->setListSource(&m_dm.AlbumSource);
        m_lookup->setKeyField(QStringLiteral("AlbumID"));
        m_lookup->setListField(QStringLiteral("AlbumDescription"));
    }
    m_count->setText(PictureCountText(m_dm.SearchResult.size()));
    readMoveTarget();
}

void TMoveCopyForm::readMoveTarget()
{
    if (m_mode != Move)
        return;
    QString directory;
    const QVariant key = m_lookup->keyValue();
    if (key.isValid() && m_dm.StorageLocationTable.locate(QStringLiteral("StorageLocationID"), key))
        directory = data::readText(m_dm.StorageLocationTable, QStringLiteral("Directory"));
    const bool exists = !directory.isEmpty() && !QDir::isRelativePath(directory) && QFileInfo(directory).isDir();
    m_moveFiles->setText(QStringLiteral("Move Files To: ") + directory);
    m_moveFiles->setChecked(exists);
    m_moveFiles->setEnabled(exists);
}

void TMoveCopyForm::BrowseClick()
{
    if (const auto chosen = common::BrowseForFolder(this, QStringLiteral("Browse For Folder"), m_directory->text()))
        m_directory->setText(*chosen);
}

void TMoveCopyForm::PickClick()
{
    if (m_mode == Move)
        reference::PickIntoLookup(m_dm, EditorKind::StorageLocation, *m_lookup, true,
                                  QStringLiteral("Do you want to use %s% for the Storage Location?"), this);
    else if (m_mode == AddAlbum)
        reference::PickIntoLookup(m_dm, EditorKind::Album, *m_lookup, true,
                                  QStringLiteral("Do you want to use %s% for the Album?"), this);
    readMoveTarget();
}

void TMoveCopyForm::ActionClick()
{
    const ModeDef& def = kModes[m_mode];
    const QVariant key = m_lookup->keyValue();
    const bool targetMissing = (m_mode == Copy && m_directory->text().trimmed().isEmpty()) ||
                               ((m_mode == Move || m_mode == AddAlbum) && !key.isValid());
    if (targetMissing) {
        common::showError(QString::fromLatin1(def.emptyTarget));
        return;
    }
    const data::IdList& ids = m_dm.SearchResult;
    ActionReport report;
    switch (m_mode) {
    case Copy: {
        m_directory->setText(common::AddTrailingBackslash(m_directory->text().trimmed()));
        WaitGauge gauge(QStringLiteral("Please Wait Copying Pictures To Selected Location"), this);
        report = CopyFoundPictures(m_dm, ids, m_directory->text(), m_rotate->isChecked(), m_resize->isChecked(),
                                   m_largestSide->value(), &gauge);
        break;
    }
    case Move: {
        readMoveTarget();
        WaitGauge gauge(QStringLiteral("Please Wait Moving Pictures To Selected Location"), this);
        report = MoveFoundPictures(m_dm, ids, key.toLongLong(), m_moveFiles->isChecked(), &gauge);
        break;
    }
    case AddAlbum: {
        WaitGauge gauge(QStringLiteral("Please Wait"), this);
        report = AddFoundPicturesToAlbum(m_dm, ids, key.toLongLong(), &gauge);
        break;
    }
    default: {
        WaitGauge gauge(QStringLiteral("Please Wait"), this);
        report = DeleteFoundPictures(m_dm, ids, m_deleteOriginals->isChecked(), &gauge);
        break;
    }
    }
    ReportActionDone(report);
    accept();
}

int RunMoveCopyForm(data::TProgramDataForm& dm, int mode, QWidget* owner)
{
    TMoveCopyForm form(dm, owner);
    form.setMode(mode);
    return common::showModal(form);
}

}  // namespace kv::storage
