#pragma once

#include "app/StartupValues.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace kv::data {
class TProgramDataForm;
class SessionRegistry;
}
namespace kv::ui {
class TMainForm;
}
namespace kv::security {
class TLogonForm;
}

namespace kv::app {

class TSplashForm;
class StatusWindowDisplay;

enum class LogonOutcome { Denied, Cancelled, LoggedOnWhileLoginsDisabled, LoggedOn };

// The program's start-up, step by step: resolve the catalogue, check the
// engine, create the main window, open the catalogue in the data module,
// load the settings, log on, then run until the main window closes.
class Startup {
public:
    // What later parts of the program plug into the sequence.
    struct Hooks {
        std::function<void()> resetWindowPositions;                 // "-R"
        std::function<void(data::TProgramDataForm&)> createLogonWindow;
        std::function<void(data::TProgramDataForm&)> loadSettings;
        std::function<LogonOutcome(data::TProgramDataForm&)> runLogon;
        std::function<void(const QString&)> playSound;              // "AccessGranted", "AccessDenied"
        std::function<void()> showLoginsDisabled;
        // Called after each step that ran (1 to 16), for tests and tracing.
        std::function<void(int step)> afterStep;
        // Runs the main message loop; the default shows the main window and
        // runs the application's loop.
        std::function<int(ui::TMainForm&)> runMainLoop;
    };

    Startup(QStringList parameters, LocationFolders folders, Hooks hooks);
    ~Startup();

    // Runs the sequence; returns the program's exit code. An error that
    // escapes a step goes to the default error display and ends the
    // sequence with exit code 1 (events of the main loop have their own).
    int run();

    int engineVersion = 0;  // 0: ask the library
    data::TProgramDataForm* dataModule() const { return m_dataModule.get(); }
    ui::TMainForm* mainWindow() const { return m_mainWindow.get(); }
    TSplashForm* splash() const { return m_splash.get(); }
    const StartupValues& values() const { return m_values; }

private:
    int runSteps();
    void step(int n);
    bool openCatalogue();
    LogonOutcome runLogon();
    void playSound(const QString& name);

    QStringList m_parameters;
    LocationFolders m_folders;
    Hooks m_hooks;
    StartupValues m_values;
    std::unique_ptr<TSplashForm> m_splash;
    std::unique_ptr<ui::TMainForm> m_mainWindow;
    std::unique_ptr<data::TProgramDataForm> m_dataModule;
    std::unique_ptr<data::SessionRegistry> m_session;
    std::unique_ptr<StatusWindowDisplay> m_statusDisplay;
    std::unique_ptr<security::TLogonForm> m_logonForm;
};

// The session's private directory: a folder of its own under the system
// temporary directory, made when missing.
QString privateDirectory();

}  // namespace kv::app
