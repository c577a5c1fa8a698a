#include "app/Startup.h"

#include "app/EngineCheck.h"
#include "app/SplashForm.h"
#include "app/StatusWindowDisplay.h"
#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "common/TextHelpers.h"
#include "common/WindowPosition.h"
#include "data/ErrorDisplay.h"
#include "data/ProgramDataForm.h"
#include "data/SchemaUpdates.h"
#include "data/SessionRegistry.h"
#include "data/SystemInfo.h"
#include "common/ShowModal.h"
#include "security/LogonForm.h"
#include "security/Logon.h"
#include "security/LogonSound.h"
#include "ui/main/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace kv::app {

QString privateDirectory() { return common::PrivateDirectory(); }

Startup::Startup(QStringList parameters, LocationFolders folders, Hooks hooks)
    : m_parameters(std::move(parameters))
    , m_folders(std::move(folders))
    , m_hooks(std::move(hooks))
{
}

Startup::~Startup()
{
    m_logonForm.reset();
    if (data::statusDisplay() == m_statusDisplay.get())
        data::setStatusDisplay(nullptr);
    m_dataModule.reset();
    m_mainWindow.reset();
}

void Startup::step(int n)
{
    if (m_hooks.afterStep)
        m_hooks.afterStep(n);
}

int Startup::run()
{
    int code = 1;
    if (!data::RunWithErrorDisplay([this, &code] { code = runSteps(); }))
        return 1;
    return code;
}

int Startup::runSteps()
{
    m_values.switches = parseCommandLine(m_parameters);

    // 1. Help file
    m_values.HelpAvailable = !helpFile(m_folders).isEmpty();
    step(1);
    // 2. Catalogue directory
    const DatabaseLocation location = resolveDatabaseLocation(m_folders);
    m_values.DatabaseDirectory = location.directory;
    m_values.DatabaseReadOnly = location.readOnly;
    step(2);
    // 3. Short date format: "mm/dd/yyyy" (kShortDateFormat) is fixed.
    step(3);
    // 4. "-R": forget saved window positions
    if (m_values.switches.resetPositions) {
        if (m_hooks.resetWindowPositions)
            m_hooks.resetWindowPositions();
        else
            common::ResetAllPositions();
    }
    step(4);
    // 5. Engine check
    const QString engineMessage = engineCheckMessage(engineVersion ? engineVersion : sqliteVersionNumber());
    if (!engineMessage.isEmpty()) {
        common::showError(engineMessage);
        return 1;
    }
    step(5);
    // 6. Splash
    if (!m_values.switches.noSplash) {
        m_splash = std::make_unique<TSplashForm>();
        m_splash->show();
        m_splash->repaint();
        QCoreApplication::processEvents();
    }
    step(6);
    // Long statements of the data module show the "Please Wait" window.
    m_statusDisplay = std::make_unique<StatusWindowDisplay>();
    data::setStatusDisplay(m_statusDisplay.get());
    data::setSchemaUpdateEventPump([] { QCoreApplication::processEvents(); });
    // 7. Application
    QCoreApplication::setApplicationName(QStringLiteral("Kestrelview"));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Kestrelview"));
    step(7);
    // 8. Main window, with the engine session set up
    startupValues() = m_values;
    privateDirectory();
    m_mainWindow = std::make_unique<ui::TMainForm>(m_values.DatabaseReadOnly, m_values.switches.showClearDatabase);
    step(8);
    // 9. Directory length
    if (databaseDirectoryTooLong(m_values.DatabaseDirectory)) {
        common::showError(maximumLengthMessage());
        return 1;
    }
    step(9);
    // 10. Directory exists
    if (!QFileInfo(m_values.DatabaseDirectory).isDir()) {
        common::showError(common::FormatMessage(QStringLiteral("Database Directory: %s% Not Found!\rAborting Application!"),
                                                m_values.DatabaseDirectory));
        return 1;
    }
    step(10);
    // 11. Data module: open the catalogue
    if (!openCatalogue())
        return 1;
    m_mainWindow->setDataModule(m_dataModule.get());
    if (m_splash)
        m_splash->advance();
    step(11);
    // 12. Logon window
    if (m_hooks.createLogonWindow)
        m_hooks.createLogonWindow(*m_dataModule);
    else
        m_logonForm = std::make_unique<security::TLogonForm>(*m_dataModule, m_values.DatabaseReadOnly);
    if (m_splash)
        m_splash->advance();
    step(12);
    // 13. Settings
    if (m_hooks.loadSettings)
        m_hooks.loadSettings(*m_dataModule);
    else
        data::LoadSettings(m_dataModule->SettingsTable);
    step(13);
    // 14. Splash away
    m_splash.reset();
    step(14);
    // 15. Logon
    const LogonOutcome outcome = m_hooks.runLogon ? m_hooks.runLogon(*m_dataModule) : runLogon();
    step(15);
    int code = 0;
    switch (outcome) {
    case LogonOutcome::Denied:
        playSound(QStringLiteral("AccessDenied"));
        common::showError(QStringLiteral("Access Denied To Kestrelview, Invalid Login"));
        code = 1;
        break;
    case LogonOutcome::Cancelled:
        code = 0;
        break;
    case LogonOutcome::LoggedOnWhileLoginsDisabled:
        if (m_hooks.showLoginsDisabled) {
            m_hooks.showLoginsDisabled();
        } else {
            TLoginsDisabledForm form;
            form.showFor(5000);
        }
        code = 0;
        break;
    case LogonOutcome::LoggedOn:
        playSound(QStringLiteral("AccessGranted"));
        if (m_hooks.runMainLoop) {
            code = m_hooks.runMainLoop(*m_mainWindow);
        } else {
            m_mainWindow->show();
            // KV_SCREENSHOT=file: save a picture of the main window as the
            // user sees it, then end (scripts/screenshot uses it).
            const QString screenshot = qEnvironmentVariable("KV_SCREENSHOT");
            if (!screenshot.isEmpty()) {
                QTimer::singleShot(1500, m_mainWindow.get(), [this, screenshot] {
                    m_mainWindow->grab().save(screenshot);
                    m_mainWindow->close();
                });
            }
            code = QApplication::exec();
        }
        break;
    }
    // 16. End
    step(16);
    return code;
}

void Startup::playSound(const QString& name)
{
    if (m_hooks.playSound)
        m_hooks.playSound(name);
    else
        security::PlayLogonSound(name);
}

LogonOutcome Startup::runLogon()
{
    const security::LogonResult result = security::RunLogon(*m_dataModule, m_values.DatabaseReadOnly, [this] {
        security::LogonResult r;
        if (!m_logonForm)
            return security::LogonResult{false, true};
        common::showModal(*m_logonForm);
        r.loggedOn = m_logonForm->loggedOn();
        r.cancelled = m_logonForm->cancelled();
        return r;
    });
    if (result.loggedOn)
        return data::SystemInfo().DisableLogin ? LogonOutcome::LoggedOnWhileLoginsDisabled : LogonOutcome::LoggedOn;
    return result.cancelled ? LogonOutcome::Cancelled : LogonOutcome::Denied;
}

bool Startup::openCatalogue()
{
    // Registered first: a program that has the catalogue in exclusive use
    // (maintenance) turns this one away before anything is read or updated.
    m_session = std::make_unique<data::SessionRegistry>(m_values.DatabaseDirectory, common::NetworkUserName());
    if (m_session->refusedForExclusiveUse()) {
        common::showError(m_session->exclusiveUseMessage());
        return false;
    }
    m_dataModule = std::make_unique<data::TProgramDataForm>();
    m_dataModule->runSchemaUpdates = data::RunSchemaUpdates;
    try {
        m_dataModule->OpenCatalogue(m_values.DatabaseDirectory, m_values.DatabaseReadOnly);
    } catch (const data::EngineError& e) {
        // The engine's error stack, one entry per line.
        common::showPlain(data::EngineErrorText(e) + QLatin1Char('\r'));
        return false;
    }
    m_session->attach(*m_dataModule->KestrelviewDatabase());
    return true;
}

}  // namespace kv::app
