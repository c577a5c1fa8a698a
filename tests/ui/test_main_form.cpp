// The main window: menu tree, rights, background and the search commands.
#include "support/TempCatalogue.h"
#include "support/TestApplication.h"

#include "common/MessageService.h"
#include "common/ModalWindows.h"
#include "reference/editors/PersonForm.h"
#include "data/SystemInfo.h"
#include "pictures/PictureForm.h"
#include "security/SecurityData.h"
#include "storage/MoveCopyForm.h"
#include "ui/main/MainForm.h"
#include "ui/main/MainMenu.h"
#include "ui/main/SearchCommand.h"

#include <QAction>
#include <QApplication>
#include <QStatusTipEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::ui;
using kv::security::SecurityData;
using kv::security::TSecurityData;

namespace {

class MainFormTest : public ::testing::Test {
protected:
    QTemporaryDir settingsDir;
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope{messages};
    void SetUp() override
    {
        kv::test::testApplication<QApplication>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    }
    void TearDown() override
    {
        SecurityData() = TSecurityData();
        kv::data::SystemInfo() = kv::data::TSystemInfo();
    }
};

void collect(const QMenu* menu, const QString& path, QStringList& out)
{
    for (QAction* a : menu->actions()) {
        const int help = a->property("helpContext").toInt();
        out << path + a->text() + (help ? QString(" %1").arg(help) : QString());
        if (a->menu())
            collect(a->menu(), path + a->text() + " > ", out);
    }
}

}  // namespace

TEST_F(MainFormTest, MenuTreeCaptionsHelpContextsAndOrder)
{
    TMainForm form(false);
    QStringList tree;
    for (QAction* top : form.menuBar()->actions()) {
        tree << top->text();
        collect(top->menu(), top->text() + " > ", tree);
    }
    const QStringList expected = {
        "&File", "&File > &Printer Setup 1000", "&File > &User Settings 1100", "&File > &System Settings 1200",
        "&File > Us&er Setup 1300", "&File > Se&curity 1800", "&File > &Pack Database 1500",
        "&File > Clear Database", "&File > &Information 1600", "&File > &Exit 1700",
        "&Tables", "&Tables > &Album 2700", "&Tables > &Rating 2000", "&Tables > &Place 2100",
        "&Tables > &Category 2200", "&Tables > &Sub-Category 2400", "&Tables > P&erson Group 2900",
        "&Tables > &Person 2300", "&Tables > &Media Type 2500", "&Tables > S&torage Location 2600",
        "&Tables > Sa&ved Searches 2800",
        "&Picture", "&Picture > &Summary 3100", "&Picture > &Bulk Load 3200", "&Picture > Count &Person 3400",
        "&Picture > Count &Album 3500", "&Picture > Count P&lace 3600", "&Picture > Count P&hotographer 3700",
        "&Picture > Count &Rating 3800", "&Picture > Count &Category 3900", "&Picture > Count &Sub-Category 3950",
        "&Picture > Count &Media Type 3960", "&Picture > Count S&torage Location 3970",
        "&Search", "&Search > &Basic 4100", "&Search > &Advanced 4200",
        "&Web Options", "&Web Options > &Upload Pictures 3300", "&Web Options > &Current Report Upload 8100",
        "&Web Options > &Delete Web Site 8200",
        "&Tools", "&Tools > &Copy Pictures 9100", "&Tools > &Copy Pictures > &Basic 9101",
        "&Tools > &Copy Pictures > &Advanced 9105", "&Tools > &Move Pictures 9200",
        "&Tools > &Move Pictures > &Basic 9201", "&Tools > &Move Pictures > &Advanced 9205",
        "&Tools > &Add Album", "&Tools > &Add Album > &Basic 9300", "&Tools > &Add Album > &Advanced 9400",
        "&Tools > &Bulk Delete", "&Tools > &Bulk Delete > &Basic 9500", "&Tools > &Bulk Delete > &Advanced 9600",
        "&Tools > &Screen Saver Slide Show 9700", "&Tools > &Screen Saver Slide Show > &Basic 9710",
        "&Tools > &Screen Saver Slide Show > &Advanced 9730", "&Tools > S&lide Show 9820",
        "&Tools > S&lide Show > &Basic 9830", "&Tools > S&lide Show > &Advanced 9840",
        "&Tools > S&lide Show > &Person 9865", "&Tools > &Export Kestrelview",
        "&Tools > &Export Kestrelview > &Basic", "&Tools > &Export Kestrelview > &Advanced",
        "&Tools > Sca&n For New Pictures 9800", "&Tools > Reset Image Size 9930",
        "&Reports", "&Reports > &Basic 5100", "&Reports > &Advanced 5200", "&Reports > B&irthday 5300",
        "&Reports > A&ddress Book 5400", "&Reports > Add&ress Book Export 5500",
        "&Help", "&Help > Product Help 6100", "&Help > &About 6200"};
    EXPECT_EQ(tree, expected);
    EXPECT_EQ(form.windowTitle(), "Kestrelview Version 2.1");
    EXPECT_EQ(form.size(), QSize(600, 450));
}

TEST_F(MainFormTest, FirstActivationEnablesMenusByRights)
{
    TSecurityData& r = SecurityData();
    r.CanViewSettings = true;
    r.CanEditRating = true;
    r.CanCopyPictures = true;
    r.CanExport = true;
    TMainForm form(false);
    EXPECT_FALSE(form.action("&Tables")->isEnabled());  // until first activation
    EXPECT_FALSE(form.action("&File/&System Settings")->isEnabled());
    form.show();
    const struct {
        const char* key;
        bool enabled;
    } cases[] = {
        {"&Tables", true},
        {"&Search", true},
        {"&Web Options", false},
        {"&File/&System Settings", true},
        {"&File/Us&er Setup", false},
        {"&File/Se&curity", false},
        {"&File/&Pack Database", false},
        {"&Tables/&Rating", true},
        {"&Tables/&Place", true},  // the editor applies the finer rights
        {"&Tables/Sa&ved Searches", false},
        {"&Picture/&Bulk Load", false},
        {"&Tools/&Copy Pictures", true},
        {"&Tools/&Move Pictures", false},
        {"&Tools/&Add Album", false},
        {"&Tools/&Bulk Delete", false},
        {"&Tools/Sca&n For New Pictures", false},
        {"&Tools/Reset Image Size", false},
        {"&Tools/&Export Kestrelview", true},
        {"&Reports/Add&ress Book Export", true},
        {"&File/&Exit", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(form.action(c.key)->isEnabled(), c.enabled) << c.key;
}

TEST_F(MainFormTest, ReadOnlyCaptionResetImageSizeAndClearDatabase)
{
    SecurityData().Supervisor = true;
    TMainForm writable(false);
    writable.show();
    EXPECT_TRUE(writable.action("&Tools/Reset Image Size")->isEnabled());
    EXPECT_FALSE(writable.action("&File/Clear Database")->isVisible());

    TMainForm readOnly(true, true);
    readOnly.show();
    EXPECT_EQ(readOnly.windowTitle(), "Kestrelview Version 2.1 [Read Only]");
    EXPECT_FALSE(readOnly.action("&Tools/Reset Image Size")->isEnabled());
    EXPECT_TRUE(readOnly.action("&File/Clear Database")->isVisible());
}

TEST(BackgroundTiles, OverlapByOnePixelAndNeverStall)
{
    std::vector<std::pair<int, int>> expected;
    for (int y : {0, 7, 14})
        for (int x : {0, 9, 18})
            expected.emplace_back(x, y);
    EXPECT_EQ(backgroundTiles(10, 8, 25, 20), expected);
    // A picture one pixel wide steps one pixel at a time.
    EXPECT_EQ(backgroundTiles(1, 1, 3, 2).size(), 6u);
    EXPECT_EQ(backgroundTiles(1, 50, 4, 10).size(), 4u);
    EXPECT_TRUE(backgroundTiles(0, 10, 100, 100).empty());
}

// Browsing the menus shows each item's status text; the product notice
// used to be such a text too, and the first hover cleared it for good.
TEST_F(MainFormTest, StatusBarNoticeOutlastsMenuBrowsing)
{
    TMainForm form(false);
    form.show();
    ASSERT_NE(form.statusNotice(), nullptr);
    const QString notice = form.statusNotice()->text();
    EXPECT_FALSE(notice.isEmpty());
    // A hover over an item without a tip, one with a tip, and leaving the menu.
    for (const char* tip : {"", "Opens the place editor", ""}) {
        QStatusTipEvent event{QString::fromLatin1(tip)};
        QApplication::sendEvent(&form, &event);
        EXPECT_TRUE(form.statusNotice()->isVisibleTo(&form)) << tip;
        EXPECT_EQ(form.statusNotice()->text(), notice) << tip;
    }
}

TEST_F(MainFormTest, MissingBackgroundFileUsesTheBuiltInPictureUntilSettingsChange)
{
    QTemporaryDir dir;
    kv::data::SystemInfo().BackgroundBitmap = dir.filePath("missing.jpg");
    TMainForm form(false);
    EXPECT_EQ(form.background(), builtInBackground());
    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(dir.filePath("red.png")));
    kv::data::SystemInfo().BackgroundBitmap = dir.filePath("red.png");
    EXPECT_EQ(form.background(), builtInBackground());  // cached until dropped
    form.DropBackground();
    EXPECT_EQ(form.background().size(), QSize(20, 10));
}

TEST_F(MainFormTest, SearchCommandFlow)
{
    int followUps = 0;
    bool afterOk = false;
    SearchCommand c;
    c.openSearch = [] { return true; };
    c.runSearch = [] { return false; };
    c.followUp = [&] {
        ++followUps;
        return false;
    };
    c.reportCancel = true;
    c.afterOk = [&] { afterOk = true; };
    EXPECT_FALSE(runSearchCommand(c));
    EXPECT_EQ(messages.texts(), QStringList({"Sorry, We did not find any data that matched your search Criteria!"}));
    EXPECT_EQ(messages.messages()[0].kind, kv::common::MessageKind::Error);
    EXPECT_EQ(followUps, 0);

    messages.clear();
    c.runSearch = [] { return true; };
    EXPECT_FALSE(runSearchCommand(c));
    EXPECT_EQ(messages.texts(), QStringList({"Operation Canceled"}));
    EXPECT_EQ(messages.messages()[0].kind, kv::common::MessageKind::Information);

    messages.clear();
    c.followUp = [] { return true; };
    EXPECT_TRUE(runSearchCommand(c));
    EXPECT_TRUE(afterOk);
    EXPECT_TRUE(messages.messages().isEmpty());

    c.openSearch = [] { return false; };  // search window cancelled: nothing more
    afterOk = false;
    EXPECT_FALSE(runSearchCommand(c));
    EXPECT_FALSE(afterOk);
    EXPECT_TRUE(messages.messages().isEmpty());
}

TEST_F(MainFormTest, TablesMenuOpensTheEditors)
{
    kv::test::OpenDataModule m;
    TMainForm form(false);
    form.setDataModule(&m.dm);
    QStringList opened;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        opened << window.metaObject()->className();
        return 0;
    });
    for (const char* item : {"&Tables/&Person", "&Tables/&Place"})
        form.action(item)->trigger();
    EXPECT_EQ(opened, QStringList({"kv::reference::TPersonForm", "kv::reference::TPlaceForm"}));
}

TEST_F(MainFormTest, ThePictureEditorsMoveOpensTheActionsWindowInMoveMode)
{
    kv::test::OpenDataModule m;
    TMainForm form(false);
    form.setDataModule(&m.dm);
    const kv::pictures::MoveWindow installed = kv::pictures::setPictureMoveWindow({});
    ASSERT_TRUE(installed);
    m.dm.SearchResult.append(4);
    QString title;
    int mode = -1;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        if (auto* actions = qobject_cast<kv::storage::TMoveCopyForm*>(&window)) {
            title = actions->windowTitle();
            mode = actions->mode();
        }
        return 0;
    });
    EXPECT_EQ(installed(nullptr), 0);
    kv::pictures::setPictureMoveWindow(installed);
    EXPECT_EQ(title, "Move");
    EXPECT_EQ(mode, kv::storage::TMoveCopyForm::Move);
}
