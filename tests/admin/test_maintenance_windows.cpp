// The maintenance commands of the main window and the information window.
#include "CatalogueDump.h"
#include "support/WindowTest.h"

#include "admin/DatabaseMaintenance.h"
#include "admin/InformationForm.h"
#include "admin/MaintenanceCommands.h"
#include "common/ModalWindows.h"
#include "common/StatusWindows.h"
#include "data/ErrorDisplay.h"
#include "data/SessionRegistry.h"
#include "ui/main/MainForm.h"

#include <QAction>
#include <QHeaderView>
#include <QProcess>
#include <QTableWidget>

#include <gmock/gmock.h>

using namespace kv;
using common::MessageAnswer;
using common::MessageKind;
using kv::test::countRows;
using kv::test::dumpCatalogue;

namespace {

class MaintenanceWindowTest : public kv::test::WindowTest {
protected:
    QTemporaryDir previews;

    void SetUp() override
    {
        WindowTest::SetUp();
        data::SystemInfo().PreviewDir = previews.path() + QLatin1Char('/');
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::system());
        WindowTest::TearDown();
    }

    static bool statusWindowLeft()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<common::TMessageForm*>(w))
                return true;
        return false;
    }

    // Runs a command as the main window's menu does: its errors end in the
    // error box.
    static bool run(void (*command)(data::TProgramDataForm&, QWidget*), data::TProgramDataForm& dm)
    {
        return data::RunWithErrorDisplay([&] { command(dm, nullptr); });
    }
};

}  // namespace

TEST_F(MaintenanceWindowTest, PackAsksThenEndsWithTheNoticeAndBothSizes)
{
    messages.addAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(run(admin::PackDatabaseClick, dm));
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(messages.messages()[0].text, "Are you sure you want to pack the Database?");
    EXPECT_EQ(messages.messages()[1].kind, MessageKind::Information);
    EXPECT_THAT(messages.messages()[1].text.toStdString(),
                ::testing::MatchesRegex("Pack Operation Compleated!\rThe catalogue took [0-9,]+ K Bytes before "
                                        "packing and [0-9,]+ K Bytes after\\."));
    EXPECT_FALSE(statusWindowLeft());
}

TEST_F(MaintenanceWindowTest, NoToThePackQuestionAbortsWithTheErrorIcon)
{
    const QStringList before = dumpCatalogue(m.db());
    messages.addAnswer(MessageAnswer::No);
    EXPECT_TRUE(run(admin::PackDatabaseClick, dm));
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_EQ(messages.messages()[1].kind, MessageKind::Error);
    EXPECT_EQ(messages.messages()[1].text, "Pack Operation Aborted!");
    EXPECT_EQ(dumpCatalogue(m.db()), before);
}

TEST_F(MaintenanceWindowTest, AnotherProgramAndCancelChangeNothingAndLeaveNoStatusWindow)
{
    data::SessionRegistry own(m.catalogue.path(), "me");
    own.attach(m.db());
    QProcess other;
    other.start(QStringLiteral(KV_HOLD_SESSION), {m.catalogue.path(), QStringLiteral("ann")});
    ASSERT_TRUE(other.waitForReadyRead(10000));
    m.db().exec("INSERT INTO Place (PlaceDescription) VALUES ('Beach')");
    const QStringList before = dumpCatalogue(m.db());

    for (auto* command : {admin::PackDatabaseClick, admin::ClearDatabaseClick}) {
        messages.clear();
        messages.addAnswers({MessageAnswer::Yes, MessageAnswer::Cancel});
        EXPECT_FALSE(run(command, dm));
        ASSERT_EQ(messages.messages().size(), 3);
        EXPECT_EQ(messages.messages()[1].text, "Could not open Tables exclusively - Try again?");
        EXPECT_EQ(messages.messages()[2].kind, MessageKind::Error);
        EXPECT_THAT(messages.messages()[2].text.toStdString(), ::testing::HasSubstr("ann on "));
        EXPECT_FALSE(statusWindowLeft());
        EXPECT_EQ(dumpCatalogue(m.db()), before);
        EXPECT_TRUE(dm.PlaceTable.active());
    }
    other.kill();
    other.waitForFinished(10000);
}

TEST_F(MaintenanceWindowTest, ClearAsksEndsWithANoticeAndIsRefusedOnAReadOnlyCatalogue)
{
    m.db().exec("INSERT INTO Place (PlaceDescription) VALUES ('Beach')");
    messages.addAnswer(MessageAnswer::No);
    EXPECT_TRUE(run(admin::ClearDatabaseClick, dm));
    EXPECT_EQ(messages.texts(), QStringList{"Are you sure you want to clear the database?"});
    EXPECT_EQ(countRows(m.db(), "SELECT count(*) FROM Place"), 1);

    messages.clear();
    messages.addAnswer(MessageAnswer::Yes);
    EXPECT_TRUE(run(admin::ClearDatabaseClick, dm));
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_EQ(messages.messages()[1].kind, MessageKind::Information);
    EXPECT_EQ(messages.messages()[1].text, "Database Cleared.");
    EXPECT_EQ(countRows(m.db(), "SELECT count(*) FROM Place"), 0);
    EXPECT_FALSE(statusWindowLeft());

    messages.clear();
    dm.setDatabase(m.catalogue.open(true));
    dm.openTables(true);
    EXPECT_FALSE(run(admin::ClearDatabaseClick, dm));
    ASSERT_EQ(messages.messages().size(), 1) << "refused before the question";
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_THAT(messages.texts().first().toStdString(), ::testing::HasSubstr("read-only"));
}

TEST_F(MaintenanceWindowTest, InformationWindowFillsEveryRowWithMasterLinksReleased)
{
    m.db().exec("INSERT INTO PictureInfo (PictureDescription) VALUES ('One'), ('Two')");
    m.db().exec("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1), (2, 1), (2, 2)");
    dm.PictureInfoTable.refresh();
    dm.PicturePeopleTable.refresh();
    ui::TMainForm main(false);
    main.setDataModule(&dm);

    int shown = 0;
    common::ModalHandlerScope modal([&](QObject& window) {
        ++shown;
        auto* form = qobject_cast<admin::TInformationForm*>(&window);
        EXPECT_TRUE(form);
        if (!form)
            return int(QDialog::Rejected);
        EXPECT_EQ(form->windowTitle(), "Database Information");
        QTableWidget* grid = form->InformationGrid;
        EXPECT_EQ(grid->rowCount(), 18);
        EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "File Size");
        EXPECT_EQ(grid->columnWidth(0), 123);
        EXPECT_EQ(form->cellText(9, 1), "Searching");
        EXPECT_FALSE(dm.PicturePeopleTable.masterAttached());

        form->FormActivate();
        EXPECT_EQ(form->cellText(0, 0), "Users");
        EXPECT_EQ(form->cellText(0, 1), "1");
        EXPECT_EQ(form->cellText(9, 0), "Pictures");
        EXPECT_EQ(form->cellText(9, 1), "2");
        EXPECT_EQ(form->cellText(10, 1), "3") << "every picture's people";
        EXPECT_THAT(form->cellText(9, 2).toStdString(), ::testing::MatchesRegex("[1-9][0-9]* K Bytes"));
        EXPECT_EQ(form->cellText(17, 0), "Previews");
        EXPECT_EQ(form->cellText(17, 1), "0");
        EXPECT_EQ(form->cellText(17, 2), "0 K Bytes");
        // Right-aligned by leading blanks.
        const QString raw = grid->item(17, 2)->text();
        EXPECT_TRUE(raw.startsWith(QLatin1Char(' ')));
        EXPECT_GE(grid->fontMetrics().horizontalAdvance(raw), 101 - 5);
        return int(QDialog::Accepted);
    });
    main.action("&File/&Information")->trigger();
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(dm.PicturePeopleTable.masterAttached());
    EXPECT_EQ(dm.PicturePeopleTable.recordCount(), 1) << "back to the first picture's people";
}

TEST_F(MaintenanceWindowTest, ResetImageSizeForgetsEveryStoredSizeOnYesOnly)
{
    m.db().exec("INSERT INTO PictureInfo (PictureDescription, ImageSizeX, ImageSizeY) VALUES ('One', 200, 150), "
                "('Two', 120, 90)");
    ui::TMainForm main(false);
    main.setDataModule(&dm);
    const QString nulls = "SELECT count(*) FROM PictureInfo WHERE ImageSizeX IS NULL AND ImageSizeY IS NULL";

    messages.addAnswer(MessageAnswer::No);
    main.action("&Tools/Reset Image Size")->trigger();
    EXPECT_EQ(countRows(m.db(), nulls), 0);

    messages.addAnswer(MessageAnswer::Yes);
    main.action("&Tools/Reset Image Size")->trigger();
    EXPECT_EQ(countRows(m.db(), nulls), 2);
    EXPECT_EQ(messages.texts(), QStringList(2, "Are you sure you want to reset the preview image sizes?"));
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::DestructiveQuestion);
}
