// The bulk load window, the load errors window and the scan chooser, off
// screen with scripted messages and modal windows.
#include "support/WindowTest.h"
#include "pictures/PictureTestFiles.h"

#include "common/DataControls.h"
#include "common/ModalWindows.h"
#include "data/FieldValue.h"
#include "storage/BulkLoadForm.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

using namespace kv::storage;

namespace {

class BulkLoadWindowTest : public kv::test::WindowTest {
protected:
    QTemporaryDir dir;
    qint64 mediaType = -1;
    qint64 location = -1;

    void SetUp() override
    {
        WindowTest::SetUp();
        kv::data::SystemInfo().PreviewDir = dir.filePath("previews");
        dm.StorageLocationTable.detachMaster();
        mediaType = kv::test::addRow(dm.MediaTypeTable, {{"MediaTypeDescription", "Disc"}, {"ShowFileName", true}});
        const QString pictures = dir.filePath("disc");
        QDir().mkpath(pictures);
        for (const char* name : {"a.jpg", "b.jpg"})
            kv::test::writeQtJpeg(QDir(pictures).filePath(name), kv::test::gradientPicture(40, 30));
        location = kv::test::addRow(dm.StorageLocationTable, {{"StorageLocationDescriptio", "Disc"},
                                                              {"MediaType", mediaType},
                                                              {"Directory", pictures}});
        kv::test::addRow(dm.RatingTable, {{"RatingDescription", "All"}});
        kv::test::addRow(dm.PlaceTable, {{"PlaceDescription", "Home"}});
        kv::test::addRow(dm.CategoryTable, {{"CatagoryDescription", "Family"}});
        kv::test::addRow(dm.PersonTable, {{"PersonDescription", "Ann"}});
    }

    qint64 pictures()
    {
        auto result = m.db().runLocalSql("Select Count(*) From \"PictureInfo.db\"");
        result.rows->step();
        return kv::data::valueInteger(result.rows->column(0), -1);
    }

    void fill(TBulkLoadForm& form)
    {
        form.description()->setText("Holiday");
        form.dateTaken()->setText("07/04/2003");
        for (const char* caption : {"Place: ", "Catagory: ", "Photographer: ", "Rating: "})
            form.lookup(caption)->setKeyValue(1);
    }
};

TEST_F(BulkLoadWindowTest, MissingDefaultsGiveOneCombinedMessage)
{
    TBulkLoadForm form(dm, TBulkLoadForm::Mode::Load);
    form.fixLocation(location, mediaType);
    fill(form);
    form.description()->clear();
    form.lookup("Rating: ")->setKeyValue(QVariant());
    form.LoadBtnClick();
    EXPECT_EQ(messages.texts(), QStringList{"Please Enter A Default Description To Load For These Pictures!\r"
                                            "Please Select The Default Rating For The Pictures!\r"});
    EXPECT_EQ(pictures(), 0);
}

// From the storage location editor, pausing at the first picture and
// answering Continue: the rest load without pausing and the errors window
// lists the line.
TEST_F(BulkLoadWindowTest, LoadsTheFixedLocationAndListsErrors)
{
    int pauses = 0;
    const PauseEditor previous = setPauseEditor([&](qint64, const QString&, bool) {
        ++pauses;
        return PauseResult::StopPausing;
    });
    QStringList shownErrors;
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        if (auto* errors = qobject_cast<TLoadErrorsForm*>(&window))
            shownErrors = errors->text()->toPlainText().split('\n');
        return int(QDialog::Rejected);
    });
    TBulkLoadForm form(dm, TBulkLoadForm::Mode::Load);
    form.fixLocation(location, mediaType);
    fill(form);
    form.pauseAfterEach()->setChecked(true);
    EXPECT_TRUE(form.showPreview()->isEnabled());
    form.LoadBtnClick();
    setPauseEditor(previous);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(pictures(), 2);
    EXPECT_EQ(pauses, 1);
    EXPECT_FALSE(form.pauseAfterEach()->isChecked());
    EXPECT_FALSE(form.showPreview()->isEnabled());
    EXPECT_EQ(shownErrors, QStringList{kPausingOffLine});
}

TEST_F(BulkLoadWindowTest, ScanChooserKeepsIdsAndNeedsATick)
{
    TScanForNewPicturesForm chooser(dm);
    ASSERT_EQ(chooser.list()->count(), 1);
    EXPECT_EQ(chooser.list()->item(0)->data(Qt::UserRole).toLongLong(), location);
    chooser.OkBtnClick();
    EXPECT_EQ(messages.texts(), QStringList{"Error: Please Check At Lease One Storage Location!"});
    messages.clear();

    chooser.scanAll()->click();
    EXPECT_EQ(chooser.list()->item(0)->checkState(), Qt::Checked);
    kv::common::ModalHandlerScope modal([&](QObject& window) {
        if (auto* load = qobject_cast<TBulkLoadForm*>(&window)) {
            EXPECT_FALSE(load->lookup("Storage Location: ")->isEnabled() &&
                         !load->lookup("Storage Location: ")->isReadOnly());
            fill(*load);
            load->LoadBtnClick();
            return load->result();
        }
        return int(QDialog::Rejected);
    });
    chooser.OkBtnClick();
    EXPECT_EQ(pictures(), 2);
    EXPECT_EQ(messages.texts(), QStringList{"Scan for pictures compleated"});
}

}  // namespace
