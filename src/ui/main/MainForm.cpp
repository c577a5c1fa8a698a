#include "ui/main/MainForm.h"

#include "admin/MaintenanceCommands.h"
#include "app/StartupValues.h"
#include "common/ShowModal.h"
#include "reference/editors/PickProtocol.h"
#include "reference/editors/ReferenceEditor.h"
#include "common/WindowPosition.h"
#include "data/ProgramDataForm.h"
#include "data/SystemInfo.h"
#include "pictures/PictureForm.h"
#include "security/SecurityData.h"
#include "security/SecurityForm.h"
#include "security/SetupUsersForm.h"
#include "security/UserForm.h"
#include "storage/BulkLoadForm.h"
#include "storage/MoveCopyForm.h"
#include "ui/main/MainMenu.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

namespace kv::ui {

namespace {

// The client area: the background picture, tiled.
class BackgroundArea : public QWidget {
public:
    explicit BackgroundArea(TMainForm* form)
        : QWidget(form)
        , m_form(form)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QImage& picture = m_form->background();
        QPainter p(this);
        for (const auto& [x, y] : backgroundTiles(picture.width(), picture.height(), width(), height()))
            p.drawImage(x, y, picture);
    }

private:
    TMainForm* m_form;
};

const QStringList kMenusEnabledOnActivation = {"&Tables", "&Search", "&Reports", "&Picture", "&Tools", "&Web Options"};
const QStringList kItemsEnabledOnActivation = {"&File/&System Settings", "&File/Us&er Setup", "&File/Se&curity",
                                               "&File/&Pack Database"};

}  // namespace

QImage builtInBackground()
{
    // A calm tile of our own: a soft sand-to-sky gradient with faint waves.
    QImage tile(160, 120, QImage::Format_RGB32);
    QPainter p(&tile);
    QLinearGradient g(0, 0, 0, tile.height());
    // Same colour at top and bottom, so that the tiles meet without a seam.
    g.setColorAt(0.0, QColor(206, 226, 240));
    g.setColorAt(0.5, QColor(234, 228, 210));
    g.setColorAt(1.0, QColor(206, 226, 240));
    p.fillRect(tile.rect(), g);
    p.setPen(QPen(QColor(255, 255, 255, 90), 2));
    for (int y = 30; y < tile.height(); y += 30)
        for (int x = 0; x < tile.width(); x += 40)
            p.drawArc(x, y, 40, 12, 0, 180 * 16);
    return tile;
}

TMainForm::TMainForm(bool databaseReadOnly, bool showClearDatabase, QWidget* parent)
    : QMainWindow(parent)
    , m_readOnly(databaseReadOnly)
    , m_showClearDatabase(showClearDatabase)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Kestrelview Version 2.1") + (databaseReadOnly ? QStringLiteral(" [Read Only]") : QString()));
    resize(600, 450);
    setCentralWidget(new BackgroundArea(this));
    buildMenus();
    m_statusNotice = new QLabel(QStringLiteral("Kestrelview - the picture catalogue of the household, the club and the office"),
                                statusBar());
    statusBar()->addPermanentWidget(m_statusNotice, 1);
    new common::TSaveFormPosition(this, QStringLiteral("Main Form"));
}

void TMainForm::buildMenus()
{
    QMap<QString, QMenu*> groups;
    for (const MenuItemDef& item : mainMenuItems()) {
        const QString menuCaption = QString::fromLatin1(item.menu);
        QMenu* top = m_menus.value(menuCaption);
        if (!top) {
            top = menuBar()->addMenu(menuCaption);
            m_menus.insert(menuCaption, top);
            m_actions.insert(menuCaption, top->menuAction());
        }
        QMenu* parentMenu = top;
        if (item.group) {
            const QString groupKey = menuCaption + QLatin1Char('/') + QString::fromLatin1(item.group);
            parentMenu = groups.value(groupKey);
            if (!parentMenu) {
                parentMenu = top->addMenu(QString::fromLatin1(item.group));
                parentMenu->menuAction()->setProperty("helpContext", groupHelpContext(QString::fromLatin1(item.group)));
                groups.insert(groupKey, parentMenu);
                m_actions.insert(groupKey, parentMenu->menuAction());
            }
        }
        QAction* action = parentMenu->addAction(QString::fromLatin1(item.caption));
        action->setProperty("helpContext", item.helpContext);
        m_actions.insert(menuItemKey(item), action);
    }
    // Until the first activation only the File and Help menus work.
    for (const QString& m : kMenusEnabledOnActivation)
        m_menus.value(m)->menuAction()->setEnabled(false);
    for (const QString& key : kItemsEnabledOnActivation)
        m_actions.value(key)->setEnabled(false);
    action(QStringLiteral("&File/Clear Database"))->setVisible(m_showClearDatabase);
    action(QStringLiteral("&Help/Product Help"))->setEnabled(app::startupValues().HelpAvailable);

    connect(action(QStringLiteral("&File/&Printer Setup")), &QAction::triggered, this, &TMainForm::PrinterSetupClick);
    connect(action(QStringLiteral("&File/&User Settings")), &QAction::triggered, this, &TMainForm::UserSettingsClick);
    connect(action(QStringLiteral("&File/Us&er Setup")), &QAction::triggered, this, &TMainForm::UserSetupClick);
    connect(action(QStringLiteral("&File/Se&curity")), &QAction::triggered, this, &TMainForm::SecurityClick);
    connect(action(QStringLiteral("&File/&Exit")), &QAction::triggered, this, &QWidget::close);
    connect(action(QStringLiteral("&Help/&About")), &QAction::triggered, this, &TMainForm::AboutClick);
    const std::pair<const char*, reference::EditorKind> editors[] = {
        {"&Tables/&Album", reference::EditorKind::Album},
        {"&Tables/&Rating", reference::EditorKind::Rating},
        {"&Tables/&Place", reference::EditorKind::Place},
        {"&Tables/&Category", reference::EditorKind::Category},
        {"&Tables/&Sub-Category", reference::EditorKind::SubCategory},
        {"&Tables/P&erson Group", reference::EditorKind::PersonGroup},
        {"&Tables/&Media Type", reference::EditorKind::MediaType},
        {"&Tables/S&torage Location", reference::EditorKind::StorageLocation},
        {"&Tables/&Person", reference::EditorKind::Person}};
    for (const auto& [key, kind] : editors)
        connect(action(QString::fromLatin1(key)), &QAction::triggered, this, [this, kind = kind] { OpenEditor(kind); });
    connect(action(QStringLiteral("&Help/Product Help")), &QAction::triggered, this, &TMainForm::ProductHelpClick);
    const std::pair<const char*, void (*)(data::TProgramDataForm&, QWidget*)> maintenance[] = {
        {"&File/&Pack Database", admin::PackDatabaseClick},
        {"&File/Clear Database", admin::ClearDatabaseClick},
        {"&File/&Information", admin::InformationClick},
        {"&Tools/Reset Image Size", admin::ResetImageSizeClick},
        {"&Picture/&Bulk Load", storage::BulkLoadClick},
        {"&Tools/Sca&n For New Pictures", storage::ScanForNewPicturesClick}};
    for (const auto& [key, command] : maintenance)
        connect(action(QString::fromLatin1(key)), &QAction::triggered, this, [this, command = command] {
            if (m_dm)
                command(*m_dm, this);
        });
}

void TMainForm::setDataModule(data::TProgramDataForm* dm)
{
    m_dm = dm;
    if (dm) {
        storage::InstallBulkLoadWindows(*dm);
        pictures::InstallBulkPauseEditor(*dm);
        // The picture editor's "Move" opens the actions window in move mode.
        pictures::setPictureMoveWindow(
            [dm](QWidget* owner) { return storage::RunMoveCopyForm(*dm, storage::TMoveCopyForm::Move, owner); });
    }
}

QAction* TMainForm::action(const QString& key) const { return m_actions.value(key); }

QMenu* TMainForm::menu(const QString& caption) const { return m_menus.value(caption); }

void TMainForm::setCommand(const QString& key, std::function<void()> command)
{
    if (QAction* a = action(key))
        connect(a, &QAction::triggered, this, [command = std::move(command)] { command(); });
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormActivate();
}

void TMainForm::FormActivate()
{
    if (m_activated)
        return;
    m_activated = true;
    for (const QString& m : kMenusEnabledOnActivation)
        m_menus.value(m)->menuAction()->setEnabled(true);
    for (const QString& key : kItemsEnabledOnActivation)
        m_actions.value(key)->setEnabled(true);
    // The screen-saver program is not part of this installation yet.
    for (const auto& [key, enabled] : menuRights(security::SecurityData(), m_readOnly, false))
        if (QAction* a = action(key))
            a->setEnabled(enabled);
}

const QImage& TMainForm::background()
{
    if (m_background.isNull()) {
        const QString file = data::SystemInfo().BackgroundBitmap;
        if (!file.isEmpty() && QFileInfo(file).isFile()) {
            QImageReader reader(file);
            reader.setAutoTransform(true);
            m_background = reader.read();
        }
        if (m_background.isNull())
            m_background = builtInBackground();
    }
    return m_background;
}

void TMainForm::DropBackground()
{
    m_background = QImage();
    centralWidget()->update();
}

void TMainForm::PrinterSetupClick()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    common::showModal(dialog);
}

void TMainForm::AboutClick()
{
    QDialog about(this);
    about.setWindowTitle(QStringLiteral("About"));
    auto* layout = new QVBoxLayout(&about);
    auto* name = new QLabel(QStringLiteral("Kestrelview"), &about);
    QFont big = name->font();
    big.setPointSize(18);
    big.setBold(true);
    name->setFont(big);
    layout->addWidget(name, 0, Qt::AlignCenter);
    layout->addWidget(new QLabel(QStringLiteral("Version 2.1"), &about), 0, Qt::AlignCenter);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    connect(ok, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(ok);
    common::showModal(about);
}

void TMainForm::ProductHelpClick()
{
    const QString file = app::helpFile(app::systemLocationFolders());
    if (!file.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

void TMainForm::UserSettingsClick()
{
    if (!m_dm)
        return;
    security::TUserForm form(*m_dm, m_readOnly, this);
    common::showModal(form);
}

void TMainForm::UserSetupClick()
{
    if (!m_dm)
        return;
    security::TSetupUsersForm form(*m_dm, app::startupValues().DatabaseDirectory, this);
    form.pickRating = [this, &form]() -> std::optional<security::PickedRating> {
        const reference::PickResult picked = reference::RunPickEditor(*m_dm, reference::EditorKind::Rating, &form);
        if (picked.id == -1)
            return std::nullopt;
        return security::PickedRating{picked.id, picked.description};
    };
    common::showModal(form);
}

void TMainForm::OpenEditor(reference::EditorKind kind)
{
    if (!m_dm)
        return;
    // The sub-category and storage location editors list all their rows.
    const reference::ListAllRowsScope allRows(*m_dm, kind);
    if (std::unique_ptr<reference::TReferenceEditor> editor = reference::createEditor(kind, *m_dm, this))
        common::showModal(*editor);
}

void TMainForm::SecurityClick()
{
    if (!m_dm)
        return;
    security::TSecurityForm form(*m_dm, this);
    common::showModal(form);
}

}  // namespace kv::ui
