// Copy, move, album and delete over the found pictures, on a real catalogue
// and real files, with scripted messages.
#include "support/TempCatalogue.h"
#include "support/TestFiles.h"

#include "common/FileTransfer.h"
#include "common/MessageService.h"
#include "data/IdList.h"
#include "data/Query.h"
#include "data/SystemInfo.h"
#include "pictures/Previews.h"
#include "storage/PictureActions.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace kv::storage;
using kv::common::MessageAnswer;
using kv::data::IdList;
using kv::data::Query;
using kv::data::readInteger;
using kv::test::readFile;
using kv::test::writeFile;

namespace {

QString sqlText(const QString& s) { return QLatin1Char('\'') + QString(s).replace('\'', "''") + QLatin1Char('\''); }

class PictureActionsTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    kv::data::TProgramDataForm& dm = m.dm;
    kv::common::ScriptedMessages messages;
    QTemporaryDir files;
    QString oldDir, newDir;

    void SetUp() override
    {
        oldDir = files.filePath("old") + "/";
        newDir = files.filePath("new") + "/";
        QDir().mkpath(oldDir);
        QDir().mkpath(newDir);
        sql("INSERT INTO MediaType (MediaTypeID, MediaTypeDescription) VALUES (7, 'Disc')");
        location(1, oldDir, "7");
        location(2, newDir, "7");
    }
    void TearDown() override { kv::data::SystemInfo() = kv::data::TSystemInfo(); }

    void sql(const QString& text) { m.db().exec(text); }
    void location(qint64 id, const QString& directory, const QString& mediaType)
    {
        sql(QStringLiteral("INSERT INTO StorageLocation (StorageLocationID, Directory, MediaType) VALUES (%1, %2, %3)")
                .arg(id)
                .arg(directory.isEmpty() ? QStringLiteral("Null") : sqlText(directory), mediaType));
    }
    // A picture at location 1 whose file holds its own name.
    void picture(qint64 id, const QString& name, qint64 at = 1, bool withFile = true)
    {
        sql(QStringLiteral("INSERT INTO PictureInfo (PictureID, PictureDescription, StorageLocationID, MediaTypeID, "
                           "FileName) VALUES (%1, 'p', %2, 7, %3)")
                .arg(id)
                .arg(at)
                .arg(sqlText(name)));
        if (withFile)
            writeFile(oldDir + name, name.toUtf8());
    }
    qint64 value(const QString& text)
    {
        Query q(&m.db());
        q.addLine(text);
        q.open();
        return readInteger(q, q.fieldNames().first());
    }
    qint64 locationOf(qint64 id)
    {
        return value(QStringLiteral("Select StorageLocationID From \"PictureInfo.db\" Where PictureID = %1").arg(id));
    }
    static IdList ids(std::initializer_list<qint64> list)
    {
        IdList result;
        for (qint64 id : list)
            result.append(id);
        return result;
    }
};

}  // namespace

TEST_F(PictureActionsTest, AnEmptyResultDoesNothingAndStillCompletes)
{
    picture(1, "a.jpg");
    const IdList none;
    for (const ActionReport& r : {CopyFoundPictures(dm, none, newDir, false, false, 640),
                                  MoveFoundPictures(dm, none, 2, true), AddFoundPicturesToAlbum(dm, none, 1),
                                  DeleteFoundPictures(dm, none, true)}) {
        EXPECT_EQ(r.done, 0);
        EXPECT_TRUE(r.notDone.isEmpty());
    }
    ReportActionDone({});
    EXPECT_EQ(messages.texts(), QStringList{"Operation Compleated"});
    EXPECT_EQ(locationOf(1), 1);
    EXPECT_TRUE(QFile::exists(oldDir + "a.jpg"));
}

TEST_F(PictureActionsTest, MoveToADirectoryThatDoesNotExistRepointsOnly)
{
    picture(1, "a.jpg");
    picture(2, "b.jpg");
    location(3, files.filePath("nowhere") + "/", "7");
    const ActionReport r = MoveFoundPictures(dm, ids({1, 2}), 3, true);
    EXPECT_EQ(r.done, 2);
    EXPECT_EQ(locationOf(1), 3);
    EXPECT_EQ(locationOf(2), 3);
    EXPECT_EQ(readFile(oldDir + "a.jpg"), "a.jpg");
    EXPECT_EQ(readFile(oldDir + "b.jpg"), "b.jpg");
    EXPECT_FALSE(QDir(files.filePath("nowhere")).exists());
}

TEST_F(PictureActionsTest, MoveWithFilesAndTheOverwriteQuestion)
{
    const struct {
        const char* name;
        std::initializer_list<MessageAnswer> answers;
        bool existingBelongsToAPicture;
        QByteArray targetAfter;  // what the target file holds afterwards
        bool sourceKept;
        int listed;
    } cases[] = {
        {"no existing file", {}, false, "a.jpg", false, 0},
        {"No keeps both files", {MessageAnswer::No}, false, "other", true, 1},
        {"Yes replaces a stray file", {MessageAnswer::Yes}, false, "a.jpg", false, 0},
        {"Yes never replaces another picture's file", {MessageAnswer::Yes}, true, "other", true, 1},
    };
    int id = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sql("DELETE FROM PictureInfo");
        QFile::remove(newDir + "a.jpg");
        picture(id, "a.jpg");
        const bool clash = c.answers.size() > 0;
        if (clash)
            writeFile(newDir + "a.jpg", "other");
        if (c.existingBelongsToAPicture)
            picture(100, "a.jpg", 2, false);
        messages.clear();
        messages.addAnswers(c.answers);
        const ActionReport r = MoveFoundPictures(dm, ids({id}), 2, true);
        EXPECT_EQ(messages.pendingAnswers(), 0);
        EXPECT_EQ(readFile(newDir + "a.jpg"), c.targetAfter);
        EXPECT_EQ(QFile::exists(oldDir + "a.jpg"), c.sourceKept);
        EXPECT_EQ(locationOf(id), 2);  // kept on purpose: also after No
        EXPECT_EQ(r.notDone.size(), c.listed);
        ++id;
    }
}

TEST_F(PictureActionsTest, MoveIntoThePicturesOwnDirectoryAsksNothing)
{
    location(3, oldDir, "7");
    picture(1, "a.jpg");
    const ActionReport r = MoveFoundPictures(dm, ids({1}), 3, true);
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(readFile(oldDir + "a.jpg"), "a.jpg");
    EXPECT_EQ(locationOf(1), 3);
    EXPECT_EQ(r.done, 1);
}

TEST_F(PictureActionsTest, MoveSkipsUnsafeNamesDeletedPicturesAndAbortStops)
{
    picture(1, "../escape.jpg", 1, false);
    writeFile(files.filePath("escape.jpg"), "keep");
    picture(2, "gone.jpg", 1, false);
    picture(3, "c.jpg");
    messages.addAnswer(MessageAnswer::Abort);
    const ActionReport r = MoveFoundPictures(dm, ids({1, 99, 2, 3}), 2, true);
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(readFile(files.filePath("escape.jpg")), "keep");
    EXPECT_EQ(locationOf(1), 2);  // re-pointed, no file step
    EXPECT_EQ(locationOf(2), 1);  // Abort: this and the following stay
    EXPECT_EQ(locationOf(3), 1);
    EXPECT_TRUE(QFile::exists(oldDir + "c.jpg"));
    EXPECT_EQ(r.notDone.size(), 2);
}

TEST_F(PictureActionsTest, ANullTargetMediaTypeStaysNull)
{
    location(3, QString(), "Null");
    picture(1, "a.jpg");
    MoveFoundPictures(dm, ids({1}), 3, true);
    EXPECT_EQ(locationOf(1), 3);
    EXPECT_EQ(value("Select Count(*) From \"PictureInfo.db\" Where MediaTypeID Is Null"), 1);
    EXPECT_TRUE(QFile::exists(oldDir + "a.jpg"));
}

TEST_F(PictureActionsTest, AddAlbumTwiceGivesEachPictureTwoStampedLinks)
{
    for (qint64 id : {1, 2, 3})
        picture(id, QStringLiteral("%1.jpg").arg(id));
    const IdList three = ids({1, 2, 3, 42});  // 42 was deleted meanwhile
    EXPECT_EQ(AddFoundPicturesToAlbum(dm, three, 5).done, 3);
    EXPECT_EQ(AddFoundPicturesToAlbum(dm, three, 5).done, 3);
    EXPECT_EQ(value("Select Count(*) From \"AlbumList.db\" Where AlbumID = 5"), 6);
    EXPECT_EQ(value("Select Count(*) From \"AlbumList.db\" Where AlbumPictureID = 2"), 2);
    EXPECT_EQ(value("Select Count(*) From \"AlbumList.db\" Where AlbumListModifiedDate Is Null"), 0);
}

TEST_F(PictureActionsTest, TheCountHasThousandsSeparators)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(PictureCountText(1234), "1,234");
    EXPECT_EQ(PictureCountText(7), "7");
    QLocale::setDefault(QLocale::system());
}

TEST_F(PictureActionsTest, DeleteIsAllOrNothingPerBatch)
{
    const QString previews = files.filePath("previews");
    QDir().mkpath(previews);
    kv::data::SystemInfo().PreviewDir = previews;
    picture(1, "a.jpg");
    writeFile(kv::pictures::PreviewPath(1), "preview");
    sql("INSERT INTO PicturePeople (PictureID, PersonID) VALUES (1, 1)");
    sql("INSERT INTO AlbumList (AlbumID, AlbumPictureID) VALUES (1, 1)");
    sql("INSERT INTO Person (PersonID, PersonDescription, PersonPicture) VALUES (1, 'Ann', 1)");
    auto links = [&] {
        return value("Select Count(*) From \"PicturePeople.db\"") + value("Select Count(*) From \"AlbumList.db\"");
    };

    // A failure inside the transaction: everything stays, the picture is named.
    sql("CREATE TRIGGER refuse BEFORE DELETE ON PictureInfo BEGIN SELECT RAISE(ABORT, 'refused'); END");
    ActionReport r = DeleteFoundPictures(dm, ids({1}), true);
    EXPECT_EQ(r.done, 0);
    ASSERT_EQ(r.notDone.size(), 1);
    EXPECT_TRUE(r.notDone.first().startsWith("1 "));
    EXPECT_EQ(value("Select Count(*) From \"PictureInfo.db\""), 1);
    EXPECT_EQ(links(), 2);
    EXPECT_TRUE(QFile::exists(oldDir + "a.jpg"));
    EXPECT_TRUE(QFile::exists(kv::pictures::PreviewPath(1)));

    sql("DROP TRIGGER refuse");
    r = DeleteFoundPictures(dm, ids({1}), true);
    EXPECT_EQ(r.done, 1);
    EXPECT_EQ(value("Select Count(*) From \"PictureInfo.db\""), 0);
    EXPECT_EQ(links(), 0);
    EXPECT_FALSE(QFile::exists(oldDir + "a.jpg"));
    EXPECT_FALSE(QFile::exists(kv::pictures::PreviewPath(1)));
    EXPECT_EQ(dm.PersonPictureOf(1), -1);
}

TEST_F(PictureActionsTest, CopyResizesAndRotatesLeavingSourcesAndRows)
{
    const struct {
        qint64 id;
        QSize size;
        int rotation;
        QSize expected;
    } cases[] = {
        {1, {2000, 1500}, 0, {640, 480}},
        {2, {600, 400}, 0, {600, 400}},
        {3, {600, 400}, 90, {400, 600}},
    };
    for (const auto& c : cases) {
        const QString name = QStringLiteral("p%1.jpg").arg(c.id);
        picture(c.id, name, 1, false);
        QImage image(c.size, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        ASSERT_TRUE(image.save(oldDir + name, "JPEG"));
        sql(QStringLiteral("UPDATE PictureInfo SET RotateImage = %1 WHERE PictureID = %2").arg(c.rotation).arg(c.id));
    }
    const QString target = files.filePath("copies/deeper");  // created by the copy
    const ActionReport r = CopyFoundPictures(dm, ids({1, 2, 3}), target, true, true, 640);
    EXPECT_EQ(r.done, 3);
    EXPECT_TRUE(r.notDone.isEmpty()) << r.notDone.join("; ").toStdString();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const QString name = QStringLiteral("p%1.jpg").arg(c.id);
        EXPECT_EQ(QImageReader(target + "/" + name).size(), c.expected);
        EXPECT_EQ(QImageReader(oldDir + name).size(), c.size);
        EXPECT_EQ(locationOf(c.id), 1);
    }
}

TEST_F(PictureActionsTest, CopyOfARotatedBmpToALargestSideOfOne)
{
    picture(1, "turned.bmp", 1, false);
    QImage image(QSize(30, 20), QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(oldDir + "turned.bmp", "BMP"));
    sql("UPDATE PictureInfo SET RotateImage = 90 WHERE PictureID = 1");
    const ActionReport r = CopyFoundPictures(dm, ids({1}), newDir, true, true, 1);
    EXPECT_EQ(r.done, 1);
    const QSize copied = QImageReader(newDir + "turned.bmp").size();
    EXPECT_EQ(std::max(copied.width(), copied.height()), 1);
    EXPECT_EQ(QImageReader(oldDir + "turned.bmp").size(), QSize(30, 20));
}

TEST_F(PictureActionsTest, ACopyThatCannotBeWrittenIsListed)
{
    picture(1, "a.jpg");
    writeFile(files.filePath("blocked"), "a file where the directory should be");
    const ActionReport r = CopyFoundPictures(dm, ids({1}), files.filePath("blocked"), false, false, 640);
    EXPECT_EQ(r.done, 0);
    EXPECT_EQ(r.notDone.size(), 1);
    EXPECT_EQ(readFile(oldDir + "a.jpg"), "a.jpg");
}

TEST_F(PictureActionsTest, AFailedFileMoveKeepsTheFileAndTheRecord)
{
    picture(1, "a.jpg");
    picture(2, "", 1, false);  // no file: re-pointed only
    const kv::common::RenameFunction previous = kv::common::setRenameFunction(
        [](const QByteArray&, const QByteArray&, bool) { return EIO; });
    const ActionReport r = MoveFoundPictures(dm, ids({1, 2}), 2, true);
    kv::common::setRenameFunction(previous);
    EXPECT_EQ(locationOf(1), 1);
    EXPECT_EQ(locationOf(2), 2);
    EXPECT_EQ(readFile(oldDir + "a.jpg"), "a.jpg");
    EXPECT_FALSE(QFile::exists(newDir + "a.jpg"));
    EXPECT_EQ(r.done, 1);
    ASSERT_EQ(r.notDone.size(), 1);
    EXPECT_TRUE(r.notDone.first().startsWith("1 a.jpg"));
}
