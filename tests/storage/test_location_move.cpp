// The media type field rules and the move of a storage location's files, on
// a real catalogue and real directories, with scripted messages.
#include "support/TempCatalogue.h"
#include "support/TestFiles.h"

#include "common/FileTransfer.h"
#include "common/MessageService.h"
#include "data/ProgramDataForm.h"
#include "storage/LocationMove.h"
#include "storage/MediaTypeFlags.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>

using namespace kv::storage;
using kv::common::MessageAnswer;
using kv::common::MessageKind;
using kv::common::TransferOutcome;
using kv::common::TransferResult;
using kv::data::readInteger;
using kv::data::readText;
using Outcome = LocationMoveResult::Outcome;

using kv::test::readFile;
using kv::test::writeFile;

namespace {

QStringList filesIn(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

struct RecordingProgress : MoveProgress {
    int rows = -1, steps = 0, ends = 0;
    void begin(int r) override { rows = r; }
    void step() override { ++steps; }
    void end() override { ++ends; }
};

class StorageTest : public ::testing::Test {
protected:
    kv::test::OpenDataModule m;
    kv::data::TProgramDataForm& dm = m.dm;
    kv::common::ScriptedMessages messages;

    qint64 addMediaType(const QString& description, std::initializer_list<const char*> flags)
    {
        kv::data::Table& t = dm.MediaTypeTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("MediaTypeDescription", description);
        for (const char* flag : flags)
            t.setFieldValue(flag, true);
        EXPECT_TRUE(t.post());
        return readInteger(t, "MediaTypeID");
    }
};

class LocationMoveTest : public StorageTest {
protected:
    QTemporaryDir dir;
    QString oldDir;
    QString newDir;
    qint64 location = -1;

    void SetUp() override
    {
        oldDir = dir.filePath("old");
        newDir = dir.filePath("new");
        QDir().mkpath(oldDir);
        QDir().mkpath(newDir);
        dm.StorageLocationTable.detachMaster();
        location = addLocation(oldDir + "/", "Holiday disc");
    }
    qint64 addLocation(const QString& directory, const QString& label = {})
    {
        const qint64 type = addMediaType("Folder", {"ShowFileName"});
        kv::data::Table& t = dm.StorageLocationTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("MediaType", type);
        t.setFieldValue("StorageLocationDescriptio", "Pictures");
        t.setFieldValue("Directory", directory);
        t.setFieldValue("DiscLabel", label);
        EXPECT_TRUE(t.post());
        return readInteger(t, "StorageLocationID");
    }
    void addPicture(const QString& fileName, qint64 at = -1)
    {
        kv::data::Table& t = dm.PictureInfoTable;
        EXPECT_TRUE(t.insert());
        t.setFieldValue("PictureDescription", "p");
        t.setFieldValue("StorageLocationID", at == -1 ? location : at);
        t.setFieldValue("FileName", fileName);
        EXPECT_TRUE(t.post());
    }
    // Pictures a.jpg, b.jpg and c.jpg whose files hold their own names.
    void threePictures()
    {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            writeFile(oldDir + "/" + name, name);
            addPicture(name);
        }
    }
    QString directory()
    {
        dm.StorageLocationTable.refresh();
        EXPECT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", location));
        return readText(dm.StorageLocationTable, "Directory");
    }
    LocationMoveResult move(const QString& to, MoveProgress* progress = nullptr, FileMover mover = {})
    {
        EXPECT_TRUE(dm.StorageLocationTable.locate("StorageLocationID", location));
        return MoveLocationFiles(dm, to, progress, std::move(mover));
    }
};

}  // namespace

TEST_F(StorageTest, FieldRulesFollowTheMediaTypesOwnFlags)
{
    const struct {
        std::initializer_list<const char*> flags;
        OpenFields open;
    } cases[] = {
        {{"ShowFileName"}, {.directory = true, .discLabel = false, .tray = false, .book = false, .fileName = true,
                            .slide = false, .pageAndLocation = false, .timeIndex = false}},
        {{"ShowDiscLabel", "ShowSlide"}, {.directory = false, .discLabel = true, .tray = true, .book = false,
                                          .fileName = false, .slide = true, .pageAndLocation = false,
                                          .timeIndex = false}},
        {{"ShowPage"}, {.directory = false, .discLabel = false, .tray = false, .book = true, .fileName = false,
                        .slide = false, .pageAndLocation = true, .timeIndex = false}},
        {{"ShowPicture", "ShowTimeIndex"}, {.directory = false, .discLabel = false, .tray = false, .book = true,
                                            .fileName = false, .slide = false, .pageAndLocation = true,
                                            .timeIndex = true}},
        {{"RemovableMedia"}, {false, false, false, false, false, false, false, false}},
        {{}, {false, false, false, false, false, false, false, false}},  // Null flags count as false
    };
    kv::data::Database& db = m.db();
    for (const auto& c : cases) {
        const qint64 id = addMediaType("Type", c.flags);
        const std::optional<OpenFields> rules = LocationFieldRules(db, id);
        ASSERT_TRUE(rules.has_value());
        const OpenFields& o = *rules;
        const std::string trace = std::to_string(id);
        EXPECT_EQ(o.directory, c.open.directory) << trace;
        EXPECT_EQ(o.discLabel, c.open.discLabel) << trace;
        EXPECT_EQ(o.tray, c.open.tray) << trace;
        EXPECT_EQ(o.book, c.open.book) << trace;
        EXPECT_EQ(o.fileName, c.open.fileName) << trace;
        EXPECT_EQ(o.slide, c.open.slide) << trace;
        EXPECT_EQ(o.pageAndLocation, c.open.pageAndLocation) << trace;
        EXPECT_EQ(o.timeIndex, c.open.timeIndex) << trace;
    }
    // The row named, not the media type table's current row.
    const qint64 folder = addMediaType("Folder", {"ShowFileName"});
    addMediaType("Tray", {"ShowSlide"});
    EXPECT_TRUE(LocationFieldRules(db, folder)->directory);
    // Unknown: a Null ID, or one that names no row.
    EXPECT_FALSE(LocationFieldRules(db, QVariant()).has_value());
    EXPECT_FALSE(LocationFieldRules(db, 999).has_value());
}

TEST_F(LocationMoveTest, AllFilesMoveAndTheDirectoryFollows)
{
    for (const bool otherFileSystem : {false, true}) {
        SCOPED_TRACE(otherFileSystem ? "by copy" : "by rename");
        QTemporaryDir to;
        threePictures();
        addPicture("b.jpg");  // two pictures of one file
        addPicture("");       // a picture without a file
        const kv::common::RenameFunction previous = kv::common::setRenameFunction(
            otherFileSystem ? kv::common::RenameFunction([](const QByteArray&, const QByteArray&, bool) { return EXDEV; })
                            : kv::common::RenameFunction());
        RecordingProgress progress;
        messages.clear();
        const LocationMoveResult r = move(to.path(), &progress);
        kv::common::setRenameFunction(previous);

        EXPECT_EQ(r.outcome, Outcome::Moved);
        EXPECT_EQ(filesIn(to.path()), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
        EXPECT_EQ(readFile(to.filePath("b.jpg")), "b.jpg");
        EXPECT_TRUE(filesIn(oldDir).isEmpty());
        EXPECT_EQ(directory(), to.path() + "/");
        EXPECT_EQ(messages.texts(), QStringList({"Operation Compleated"}));
        EXPECT_EQ(messages.messages()[0].kind, MessageKind::Information);
        EXPECT_EQ(progress.rows, 5);
        EXPECT_EQ(progress.steps, 5);
        EXPECT_EQ(progress.ends, 1);
        // Back for the next round; the pictures keep their names.
        dm.PictureInfoQuery.close();
        dm.KestrelviewDatabase()->runLocalSql(QStringLiteral("Delete From \"PictureInfo.db\""));
        ASSERT_TRUE(dm.StorageLocationTable.edit());
        dm.StorageLocationTable.setFieldValue("Directory", oldDir + "/");
        ASSERT_TRUE(dm.StorageLocationTable.post());
    }
}

TEST_F(LocationMoveTest, WithoutPicturesOrWithoutDirectoryOnlyTheDirectoryChanges)
{
    writeFile(oldDir + "/a.jpg", "not a picture of this location");
    RecordingProgress progress;
    EXPECT_EQ(move(newDir, &progress).outcome, Outcome::Moved);
    EXPECT_EQ(directory(), newDir + "/");
    EXPECT_EQ(filesIn(oldDir), QStringList({"a.jpg"}));
    EXPECT_EQ(progress.rows, -1);  // no "Please Wait" window
    EXPECT_EQ(messages.texts(), QStringList({"Operation Compleated"}));

    // An empty Directory: nothing is looked for, not even in the current
    // directory where a file of the picture's name lies.
    const qint64 nowhere = addLocation(QString());
    addPicture("a.jpg", nowhere);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(oldDir);
    location = nowhere;
    messages.clear();
    EXPECT_EQ(move(newDir).outcome, Outcome::Moved);
    QDir::setCurrent(previous);
    EXPECT_EQ(directory(), newDir + "/");
    EXPECT_EQ(filesIn(oldDir), QStringList({"a.jpg"}));
    EXPECT_TRUE(filesIn(newDir).isEmpty());
    EXPECT_EQ(messages.texts(), QStringList({"Operation Compleated"}));
}

TEST_F(LocationMoveTest, RefusedBeforeAnythingMoves)
{
    threePictures();
    QFile::link(oldDir, dir.filePath("link-to-old"));
    writeFile(dir.filePath("unmounted"), "");  // a file, not a directory
    const struct {
        const char* name;
        QString to;
        const char* message;
    } cases[] = {
        {"same directory", oldDir, "Error: The Files Are Already In The Directory: "},
        {"same directory, other spelling", oldDir + "/../old/.", "Error: The Files Are Already In The Directory: "},
        {"same directory through a link", dir.filePath("link-to-old"),
         "Error: The Files Are Already In The Directory: "},
        {"relative directory", "new", "Error: The New File Location Must Be A Full Path: "},
        {"drive letter", "D:\\Pictures\\", "Error: The New File Location Must Be A Full Path: "},
        {"directory not there", dir.filePath("disc/pictures"), "Error: Cannot Move To: "},
        {"not a directory", dir.filePath("unmounted"), "Error: Cannot Move To: "},
        {"longer than Directory holds", "/" + QString(250, 'x'), "Error: The Directory Name Is Longer Than 200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        EXPECT_EQ(move(c.to).outcome, Outcome::Refused);
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith(c.message)) << messages.texts()[0].toStdString();
        EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
        EXPECT_EQ(filesIn(oldDir), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
        EXPECT_EQ(directory(), oldDir + "/");
    }
}

TEST_F(LocationMoveTest, AnotherFileOfTheSameNameIsNeverReplaced)
{
    threePictures();
    writeFile(newDir + "/b.jpg", "someone else's picture");
    EXPECT_EQ(move(newDir).outcome, Outcome::Refused);
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].endsWith("\rb.jpg")) << messages.texts()[0].toStdString();
    EXPECT_EQ(readFile(newDir + "/b.jpg"), "someone else's picture");
    EXPECT_EQ(filesIn(newDir), QStringList({"b.jpg"}));
    EXPECT_EQ(filesIn(oldDir), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(directory(), oldDir + "/");
}

TEST_F(LocationMoveTest, AFailedFileTakesTheMovedOnesBack)
{
    threePictures();
    const struct {
        const char* name;
        int failingCall;  // 1-based
        TransferResult failure;
    } cases[] = {
        {"second file fails", 2, {TransferOutcome::Failed, "Input/output error"}},
        {"read-only source", 1, {TransferOutcome::Failed, "Read-only file system"}},
        {"a file of the name appears meanwhile", 3, {TransferOutcome::Exists, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        QString stoppedAt;
        FileMover mover = [&](const QString& source, const QString& to, const QString& name) {
            if (++calls == c.failingCall) {
                stoppedAt = source;
                return c.failure;
            }
            return kv::common::TransferFile(source, to, name, kv::common::TransferMode::Move,
                                            kv::common::OverwritePolicy::Never);
        };
        messages.clear();
        EXPECT_EQ(move(newDir, nullptr, mover).outcome, Outcome::Failed);
        EXPECT_EQ(filesIn(oldDir), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
        EXPECT_EQ(readFile(oldDir + "/a.jpg"), "a.jpg");
        EXPECT_TRUE(filesIn(newDir).isEmpty());
        EXPECT_EQ(directory(), oldDir + "/");
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].startsWith("Error: Cannot Move File: " + stoppedAt + "\r"))
            << messages.texts()[0].toStdString();
        EXPECT_FALSE(messages.texts().contains("Operation Compleated"));
    }
}

TEST_F(LocationMoveTest, ARefusedSaveOfTheLocationTakesTheFilesBack)
{
    threePictures();
    ASSERT_TRUE(dm.StorageLocationTable.edit());
    dm.StorageLocationTable.setFieldValue("StorageLocationDescriptio", QVariant());
    ASSERT_TRUE(dm.StorageLocationTable.post());  // stored so by an older program
    dm.ValidateOnPost = true;
    EXPECT_EQ(move(newDir).outcome, Outcome::Failed);
    EXPECT_EQ(filesIn(oldDir), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_TRUE(filesIn(newDir).isEmpty());
    EXPECT_EQ(directory(), oldDir + "/");
    EXPECT_EQ(messages.texts().first(), "Please Enter A Description For This Storage Location!\r");
}

TEST_F(LocationMoveTest, MissingFilesAskForTheDisc)
{
    threePictures();
    QFile::remove(oldDir + "/b.jpg");
    const QString prompt = "Error: Cannot Find File: " + oldDir + "/b.jpg Please Insert Disc labeled: Holiday disc";

    // Abort: nothing changes.
    messages.addAnswer(MessageAnswer::Abort);
    EXPECT_EQ(move(newDir).outcome, Outcome::Aborted);
    EXPECT_EQ(messages.texts(), QStringList({prompt, "Move Aborted At File: " + oldDir + "/b.jpg\rNo Files Were Moved."}));
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_EQ(filesIn(oldDir), QStringList({"a.jpg", "c.jpg"}));
    EXPECT_EQ(directory(), oldDir + "/");

    // Retry once the disc is in: everything moves.
    struct InsertDisc : kv::common::ScriptedResponder {
        QString file;
        MessageAnswer respond(const kv::common::Message& message) override
        {
            kv::common::ScriptedResponder::respond(message);
            if (message.buttons != kv::common::MessageButtons::AbortRetryIgnore)
                return MessageAnswer::Ok;
            writeFile(file, "b.jpg");
            return MessageAnswer::Retry;
        }
    } disc;
    disc.file = oldDir + "/b.jpg";
    {
        kv::common::ResponderScope scope(disc);
        EXPECT_EQ(move(newDir).outcome, Outcome::Moved);
    }
    EXPECT_EQ(disc.texts(), QStringList({prompt, "Operation Compleated"}));
    EXPECT_EQ(filesIn(newDir), QStringList({"a.jpg", "b.jpg", "c.jpg"}));

    // Ignore: the missing file is skipped and listed, the rest moves.
    for (const char* name : {"a.jpg", "c.jpg"})
        QFile::rename(newDir + "/" + name, oldDir + "/" + name);
    QFile::remove(newDir + "/b.jpg");
    ASSERT_TRUE(dm.StorageLocationTable.edit());
    dm.StorageLocationTable.setFieldValue("Directory", oldDir + "/");
    ASSERT_TRUE(dm.StorageLocationTable.post());
    messages.clear();
    messages.addAnswer(MessageAnswer::Ignore);
    const LocationMoveResult r = move(newDir);
    EXPECT_EQ(r.outcome, Outcome::Moved);
    EXPECT_EQ(messages.texts(), QStringList({prompt, "These Files Were Not Moved:\rb.jpg (not found)",
                                             "Operation Compleated"}));
    EXPECT_EQ(filesIn(newDir), QStringList({"a.jpg", "c.jpg"}));
    EXPECT_EQ(directory(), newDir + "/");
}

TEST_F(LocationMoveTest, BadInput)
{
    // File names reaching out of the directory are skipped and listed; the
    // files they would name stay where they are.
    writeFile(oldDir + "/a.jpg", "a");
    writeFile(dir.filePath("outside.jpg"), "outside");
    writeFile(oldDir + "/sub/x.jpg", "x");
    addPicture("a.jpg");
    addPicture("../outside.jpg");
    addPicture("sub/x.jpg");
    addPicture("..");
    EXPECT_EQ(move(newDir).outcome, Outcome::Moved);
    ASSERT_EQ(messages.texts().size(), 2);
    QStringList listed = messages.texts()[0].split('\r');
    listed.sort();
    EXPECT_EQ(listed.join('|').toStdString(),
              ".. (not a file name)|../outside.jpg (not a file name)|These Files Were Not Moved:|sub/x.jpg (not a "
              "file name)");
    EXPECT_EQ(messages.texts()[1], "Operation Compleated");
    EXPECT_EQ(filesIn(newDir), QStringList({"a.jpg"}));
    EXPECT_EQ(readFile(dir.filePath("outside.jpg")), "outside");
    EXPECT_EQ(readFile(oldDir + "/sub/x.jpg"), "x");

    // A target inside the source directory.
    messages.clear();
    const QString inside = newDir + "/inner";
    QDir().mkpath(inside);
    EXPECT_EQ(move(inside).outcome, Outcome::Moved);
    EXPECT_EQ(filesIn(inside), QStringList({"a.jpg"}));
    EXPECT_EQ(directory(), inside + "/");

    // A drive-letter directory of an older catalogue: never looked for in
    // the current directory; after Ignore the files are listed as not found.
    const qint64 windows = addLocation("C:\\Pictures\\", "CD 1");
    addPicture("a.jpg", windows);
    location = windows;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(inside);
    messages.clear();
    messages.addAnswer(MessageAnswer::Ignore);
    EXPECT_EQ(move(newDir).outcome, Outcome::Moved);
    QDir::setCurrent(previous);
    EXPECT_EQ(messages.texts().first(),
              "Error: Cannot Find File: C:\\Pictures\\/a.jpg Please Insert Disc labeled: CD 1");
    EXPECT_EQ(messages.texts()[1], "These Files Were Not Moved:\ra.jpg (not found)");
    EXPECT_EQ(filesIn(inside), QStringList({"a.jpg"}));
    EXPECT_EQ(directory(), newDir + "/");
}
