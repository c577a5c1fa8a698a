// The start-up sequence: order of steps, what exists after each, and the
// messages and outcomes of each way it can end.
#include "app/SplashForm.h"
#include "app/Startup.h"
#include "common/Application.h"
#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "data/Database.h"
#include "data/ProgramDataForm.h"
#include "security/LogonForm.h"
#include "ui/main/MainForm.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <cstdio>
#include <cstdlib>

using namespace kv::app;
using kv::common::MessageKind;
using ::testing::HasSubstr;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

class StartupTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope{messages};
    QStringList steps;   // what existed after each step
    QStringList sounds;
    bool mainLoopRan = false;
    bool loginsDisabledShown = false;
    LogonOutcome outcome = LogonOutcome::LoggedOn;
    Startup* running = nullptr;

    void SetUp() override
    {
        QDir().mkpath(root.filePath("common"));
        QDir().mkpath(root.filePath("current"));
    }
    LocationFolders folders()
    {
        return {root.filePath("common") + "/", root.filePath("exe"), root.filePath("current")};
    }
    void useCatalogue(const QString& dir, const char* extra = "")
    {
        QFile ini(root.filePath("current/Kestrelview.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Settings]\nDatabaseLocation=" + dir.toUtf8() + "\n" + extra);
    }
    Startup::Hooks hooks()
    {
        Startup::Hooks h;
        h.afterStep = [this](int step) {
            QString what = QString::number(step);
            if (running->splash())
                what += " splash";
            if (running->mainWindow())
                what += " main";
            if (running->dataModule() && running->dataModule()->PictureInfoTable.active())
                what += " tables";
            steps << what;
        };
        h.runLogon = [this](kv::data::TProgramDataForm&) { return outcome; };
        h.playSound = [this](const QString& s) { sounds << s; };
        h.showLoginsDisabled = [this] { loginsDisabledShown = true; };
        h.runMainLoop = [this](kv::ui::TMainForm&) {
            mainLoopRan = true;
            return 0;
        };
        return h;
    }
    int run(QStringList parameters, int engineVersion = 0)
    {
        Startup startup(parameters, folders(), hooks());
        startup.engineVersion = engineVersion;
        running = &startup;
        const int code = startup.run();
        running = nullptr;
        return code;
    }
};

}  // namespace

TEST_F(StartupTest, StepsRunInOrderAndTheMainLoopRuns)
{
    const QString cat = root.filePath("catalogue");
    kv::data::Database::create(cat);
    useCatalogue(cat);
    EXPECT_EQ(run({}), 0);
    EXPECT_EQ(steps, QStringList({"1", "2", "3", "4", "5", "6 splash", "7 splash", "8 splash main", "9 splash main",
                                  "10 splash main", "11 splash main tables", "12 splash main tables",
                                  "13 splash main tables", "14 main tables", "15 main tables", "16 main tables"}));
    EXPECT_TRUE(mainLoopRan);
    EXPECT_EQ(sounds, QStringList({"AccessGranted"}));
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(StartupTest, LowerCaseSwitchSuppressesTheSplash)
{
    const QString cat = root.filePath("catalogue");
    kv::data::Database::create(cat);
    useCatalogue(cat);
    EXPECT_EQ(run({"-s"}), 0);
    for (const QString& s : steps)
        EXPECT_FALSE(s.contains("splash")) << s.toStdString();
}

TEST_F(StartupTest, EveryWayTheStartUpStops)
{
    const QString cat = root.filePath("catalogue");
    kv::data::Database::create(cat);
    QTemporaryDir damaged;
    QFile junk(kv::data::Database::catalogueFile(damaged.path()));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, 'z'));
    junk.close();

    const struct {
        QString location;
        int engine;
        const char* message;
        MessageKind kind;
        int lastStep;
    } cases[] = {
        {cat, 3034000, "This Application Requires SQLite 3.35.0 Or Higher To Be Installed", MessageKind::Error, 4},
        {root.filePath("missing"), 0, "Database Directory: %1/ Not Found!\rAborting Application!", MessageKind::Error, 9},
        {"/" + QString(500, 'd'), 0, "Maximum Database Directory Length Exceeded!", MessageKind::Error, 8},
        {damaged.path(), 0, "is not a Kestrelview catalogue.\r", MessageKind::Plain, 10},
        {kv::data::Database::catalogueFile(cat), 0, "Database Directory: %1/ Not Found!", MessageKind::Error, 9},
    };
    for (const auto& c : cases) {
        steps.clear();
        messages.clear();
        useCatalogue(c.location);
        EXPECT_EQ(run({"-S"}, c.engine), 1);
        ASSERT_EQ(messages.messages().size(), 1) << c.message;
        const QString expected = QString::fromLatin1(c.message).contains("%1") ? QString::fromLatin1(c.message).arg(c.location)
                                                                              : QString::fromLatin1(c.message);
        EXPECT_THAT(messages.messages()[0].text.toStdString(), HasSubstr(expected.toStdString()));
        EXPECT_EQ(messages.messages()[0].kind, c.kind) << c.message;
        EXPECT_EQ(steps.last().section(' ', 0, 0).toInt(), c.lastStep) << c.message;
        EXPECT_FALSE(mainLoopRan);
    }
}

TEST_F(StartupTest, AStartWhileAnotherProgramHoldsTheCatalogueExclusivelyIsTurnedAway)
{
    const QString cat = root.filePath("catalogue");
    kv::data::Database::create(cat);
    useCatalogue(cat);
    QProcess holder;
    holder.start(QStringLiteral(KV_CATALOGUE_USER), {"exclusive", cat, "ann"});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    ASSERT_EQ(holder.readAllStandardOutput().trimmed(), "ready");

    EXPECT_EQ(run({"-S"}), 1);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_THAT(messages.messages()[0].text.toStdString(),
                HasSubstr("The catalogue is in exclusive use by another program (ann on "));
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(steps.last(), "10 main");  // no table was opened
    EXPECT_FALSE(mainLoopRan);

    holder.kill();
    holder.waitForFinished(10000);
    messages.clear();
    EXPECT_EQ(run({"-S"}), 0);
    EXPECT_TRUE(mainLoopRan);
}

TEST_F(StartupTest, LogonOutcomes)
{
    const QString cat = root.filePath("catalogue");
    kv::data::Database::create(cat);
    useCatalogue(cat);

    outcome = LogonOutcome::Denied;
    EXPECT_EQ(run({"-S"}), 1);
    EXPECT_EQ(sounds, QStringList({"AccessDenied"}));
    EXPECT_EQ(messages.texts(), QStringList({"Access Denied To Kestrelview, Invalid Login"}));
    EXPECT_FALSE(mainLoopRan);

    sounds.clear();
    messages.clear();
    outcome = LogonOutcome::Cancelled;
    EXPECT_EQ(run({"-S"}), 0);
    EXPECT_TRUE(messages.messages().isEmpty());
    EXPECT_TRUE(sounds.isEmpty());
    EXPECT_FALSE(mainLoopRan);

    outcome = LogonOutcome::LoggedOnWhileLoginsDisabled;
    EXPECT_EQ(run({"-S"}), 0);
    EXPECT_TRUE(loginsDisabledShown);
    EXPECT_FALSE(mainLoopRan);
}

TEST_F(StartupTest, ReadOnlyCatalogueOpensEveryTableReadOnly)
{
    const QString cat = root.filePath("catalogue");
    kv::data::Database::create(cat);
    useCatalogue(cat, "DatabaseReadOnly=Yes\n");
    bool readOnly = false;
    QString caption;
    Startup::Hooks h = hooks();
    h.runMainLoop = [&](kv::ui::TMainForm& main) {
        caption = main.windowTitle();
        return 0;
    };
    h.runLogon = [&](kv::data::TProgramDataForm& dm) {
        readOnly = dm.PictureInfoTable.readOnly() && dm.KestrelviewDatabase()->readOnly();
        return LogonOutcome::LoggedOn;
    };
    Startup startup({"-S"}, folders(), h);
    running = &startup;
    EXPECT_EQ(startup.run(), 0);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(caption, "Kestrelview Version 2.1 [Read Only]");
}

TEST_F(StartupTest, ResetSwitchForgetsWindowPositionsBeforeAnyWindow)
{
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings("Marrowind", "Kestrelview").setValue("Forms/Main Form/Width", 999);
    const QString cat = root.filePath("catalogue");
    kv::data::Database::create(cat);
    useCatalogue(cat);
    int width = 0;
    Startup::Hooks h = hooks();
    h.runMainLoop = [&](kv::ui::TMainForm& main) {
        width = main.width();
        return 0;
    };
    Startup startup({"/r", "-S"}, folders(), h);
    running = &startup;
    EXPECT_EQ(startup.run(), 0);
    EXPECT_EQ(width, 600);  // the design size, not the forgotten 999
}

namespace {

// A catalogue whose User table has lost its UserPassword column, with the
// given users.
void damageUserTable(const QString& dir, const QStringList& extraUsers)
{
    kv::data::Database::create(dir);
    auto db = kv::data::Database::open(dir, false);
    for (const QString& login : extraUsers)
        db->exec("INSERT INTO User (LoginName, UserName, SecurityID) VALUES ('" + login + "', '" + login + "', 1)");
    // The text width triggers name every column; an older catalogue had none.
    db->exec("DROP TRIGGER IF EXISTS kv_width_User_insert");
    db->exec("DROP TRIGGER IF EXISTS kv_width_User_update");
    db->exec("ALTER TABLE User DROP COLUMN UserPassword");
}

}  // namespace

// The logon of the real sequence on a damaged User table: the engine's error
// is shown and the start-up ends with exit code 1 instead of an abort.
TEST_F(StartupTest, ADamagedUserTableEndsTheStartUpWithItsMessageNotAnAbort)
{
    const QString cat = root.filePath("catalogue");
    damageUserTable(cat, {});
    useCatalogue(cat);
    EXPECT_EXIT(
        {
            Startup::Hooks h = hooks();
            h.runLogon = nullptr;  // the program's own logon
            Startup startup({"-S"}, folders(), h);
            running = &startup;
            const int code = startup.run();
            std::fprintf(stderr, "%s\n", qPrintable(messages.texts().join(" | ")));
            std::exit(code);
        },
        ::testing::ExitedWithCode(1), "UserPassword");
}

// With several users the logon window opens; its OK button fails on the
// damaged table, the error is shown, and the window goes on: the user can
// still cancel, and the program ends normally.
TEST_F(StartupTest, AFailingLogonButtonShowsTheErrorAndTheLogonWindowStaysUsable)
{
    const QString cat = root.filePath("catalogue");
    damageUserTable(cat, {"ANNE"});
    useCatalogue(cat);
    bool stillOpen = false;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        auto* logon = qobject_cast<kv::security::TLogonForm*>(&window);
        if (!logon)
            return 0;
        logon->show();
        logon->userName()->setText("ANNE");
        QTest::mouseClick(logon->loginButton(), Qt::LeftButton);
        stillOpen = logon->isVisible() && !logon->loggedOn();
        for (QPushButton* button : logon->findChildren<QPushButton*>())
            if (button->text() == "Cancel")
                QTest::mouseClick(button, Qt::LeftButton);
        return logon->result();
    });
    Startup::Hooks h = hooks();
    h.runLogon = nullptr;
    Startup startup({"-S"}, folders(), h);
    running = &startup;
    EXPECT_EQ(startup.run(), 0);  // cancelled
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_THAT(messages.messages()[0].text.toStdString(), HasSubstr("UserPassword"));
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_FALSE(mainLoopRan);
}

TEST(SplashForm, ProductLineFitsAndGaugeCounts)
{
    TSplashForm splash;
    EXPECT_LE(QFontMetrics(splash.productLine()->font()).horizontalAdvance("Kestrelview"), TSplashForm::kMaxProductLineWidth);
    splash.advance();
    splash.advance();
    splash.advance();
    splash.advance();
    EXPECT_EQ(splash.progress(), 3);
}

int main(int argc, char** argv)
{
    // Windows are made but never need a screen, also when tests are listed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    kv::common::TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests start the test program again: Qt runs threads of its own.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    return RUN_ALL_TESTS();
}
