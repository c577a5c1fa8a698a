// The found-picture actions window, off screen with scripted messages.
#include "support/WindowTest.h"

#include "common/DataControls.h"
#include "storage/MoveCopyForm.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

using namespace kv::storage;

namespace {

class MoveCopyFormTest : public kv::test::WindowTest {
protected:
    QTemporaryDir dir;
};

}  // namespace

TEST_F(MoveCopyFormTest, AnEmptyTargetIsRefusedAndTheWindowStaysOpen)
{
    const struct {
        int mode;
        const char* title;
        const char* action;
        const char* error;
    } cases[] = {
        {TMoveCopyForm::Move, "Move", "Move",
         "Error: Please Make Sure at least The Move To Location or the Move To Logical Is Filled Out!"},
        {TMoveCopyForm::Copy, "Copy", "Copy", "Error: Please Make Sure the Copy To Location Is Filled Out"},
        {TMoveCopyForm::AddAlbum, "Add Album", "Add", "Error: Please Select An Album To Add To The Selected Pictures!"},
    };
    dm.SearchResult.append(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        messages.clear();
        TMoveCopyForm form(dm);
        form.setMode(c.mode);
        form.directoryBox()->clear();
        QSignalSpy finished(&form, &QDialog::finished);
        EXPECT_EQ(form.windowTitle(), c.title);
        EXPECT_EQ(form.actionButton()->text(), c.action);
        form.ActionClick();
        EXPECT_EQ(messages.texts(), QStringList{c.error});
        EXPECT_EQ(finished.count(), 0);
    }
}

TEST_F(MoveCopyFormTest, TheCountHasThousandsSeparatorsAndAnEmptyResultCompletes)
{
    QLocale::setDefault(QLocale::c());
    for (int i = 1; i <= 1234; ++i)
        dm.SearchResult.append(i);
    {
        TMoveCopyForm form(dm);
        form.setMode(TMoveCopyForm::Delete);
        EXPECT_EQ(form.countLabel()->text(), "1,234");
    }
    dm.SearchResult.clear();
    TMoveCopyForm form(dm);
    form.setMode(TMoveCopyForm::Delete);
    form.ActionClick();
    EXPECT_EQ(messages.texts(), QStringList{"Operation Compleated"});
    EXPECT_EQ(form.result(), QDialog::Accepted);
    QLocale::setDefault(QLocale::system());
}

TEST_F(MoveCopyFormTest, MoveFilesToFollowsTheChosenLocation)
{
    dm.StorageLocationTable.detachMaster();
    const qint64 folder =
        kv::test::addRow(dm.MediaTypeTable, {{"MediaTypeDescription", "Folder"}, {"ShowFileName", true}});
    const struct {
        const char* name;
        QString directory;
        bool ticked;
    } cases[] = {
        {"no directory", QString(), false},
        {"an existing directory", dir.path() + "/", true},
        {"a directory that does not exist", dir.filePath("nowhere") + "/", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 id = kv::test::addRow(dm.StorageLocationTable,
                                           {{"StorageLocationDescriptio", c.name},
                                            {"MediaType", folder},
                                            {"Directory", c.directory}});
        TMoveCopyForm form(dm);
        form.setMode(TMoveCopyForm::Move);
        form.lookupBox()->setKeyValue(id);
        form.readMoveTarget();
        EXPECT_EQ(form.moveFilesBox()->text(), "Move Files To: " + c.directory);
        EXPECT_EQ(form.moveFilesBox()->isChecked(), c.ticked);
        EXPECT_EQ(form.moveFilesBox()->isEnabled(), c.ticked);
    }
}

TEST_F(MoveCopyFormTest, TheCopyDirectoryIsRememberedForTheNextCopy)
{
    {
        TMoveCopyForm form(dm);
        EXPECT_EQ(form.directoryBox()->text(), TMoveCopyForm::rememberedCopyDirectory());
        form.directoryBox()->setText(dir.path());
    }
    TMoveCopyForm form(dm);
    EXPECT_EQ(form.directoryBox()->text(), dir.path());
}
