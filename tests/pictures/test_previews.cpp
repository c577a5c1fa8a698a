// Preview files on a real catalogue: writing, scrambling and loading them,
// a full disk while writing, the stored preview sizes, what a preview box
// shows, the file-extension masks, and copying a picture's file out of its
// storage location with the insert-disc prompt.
#include "PictureTestFiles.h"
#include "support/TempCatalogue.h"

#include "common/FileOperations.h"
#include "common/MessageService.h"
#include "data/SystemInfo.h"
#include "pictures/FileExtensionMasks.h"
#include "pictures/ImageFiles.h"
#include "pictures/PictureFileCopy.h"
#include "pictures/Previews.h"
#include "pictures/Scrambling.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

#include <sys/resource.h>

using namespace kv::pictures;
using kv::common::Message;
using kv::common::MessageAnswer;
using kv::common::MessageButtons;
using kv::common::MessageKind;
using kv::test::gradientPicture;
using kv::test::readBytes;
using kv::test::writeBytes;

namespace {

class PreviewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kv::test::pictureApplication(); }

    kv::test::OpenDataModule m;
    kv::data::TProgramDataForm& dm = m.dm;
    QTemporaryDir previews;
    QTemporaryDir pictures;
    kv::data::TSystemInfo saved;

    void SetUp() override
    {
        saved = kv::data::SystemInfo();
        kv::data::TSystemInfo& info = kv::data::SystemInfo();
        info.PreviewDir = previews.path() + QLatin1Char('/');
        info.EncryptionKey.clear();
        info.ShowPreview = true;
        info.PreviewSizeX = 200;
        info.PreviewSizeY = 200;
        exec("INSERT INTO Rating (RatingID, RatingDescription) VALUES (1, 'Everyone'), (2, 'Private')");
        exec("INSERT INTO PictureInfo (PictureID, PictureDescription, RatingID) VALUES (1, 'one', 1), "
             "(2, 'two', 2), (3, 'three', 1)");
        dm.PermittedRatings.append(1);
    }
    void TearDown() override { kv::data::SystemInfo() = saved; }

    void exec(const char* sql) { m.db().exec(QString::fromUtf8(sql)); }
    void setKey(const QString& key) { kv::data::SystemInfo().EncryptionKey = key; }

    QVariant field(qint64 picture, const char* name)
    {
        kv::data::Query query(&m.db());
        query.addLine(QStringLiteral("Select %1 From \"PictureInfo.db\" Where PictureID = %2")
                          .arg(QString::fromLatin1(name))
                          .arg(picture));
        query.open();
        return query.fieldValue(QString::fromLatin1(name));
    }
};

TEST_F(PreviewTest, PreviewPathIsTheDirectoryIdAndJpg)
{
    EXPECT_EQ(PreviewPath(1234), previews.path() + QStringLiteral("/1234.jpg"));
    kv::data::SystemInfo().PreviewDir = previews.path();  // no separator: one is put in
    EXPECT_EQ(PreviewPath(7), previews.path() + QStringLiteral("/7.jpg"));
}

TEST_F(PreviewTest, PlainPreviewWrittenAndLoaded)
{
    const QImage bitmap = gradientPicture(200, 150);
    WritePreview(1, bitmap);
    const QString file = PreviewPath(1);
    EXPECT_EQ(readBytes(file), JpegBytes(bitmap));
    EXPECT_FALSE(IsScrambledPreview(file));
    // Without a key the preview is plain and loads as it is.
    bool ok = false;
    const QImage loaded = LoadPreview(file, QString(), false, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(loaded.size(), QSize(200, 150));
    EXPECT_LT(kv::test::meanDifference(loaded, bitmap), 6.0);
}

TEST_F(PreviewTest, ScrambledPreviewWrittenAndLoaded)
{
    setKey(QStringLiteral("Kestrel"));
    const QImage bitmap = MakePreviewBitmap([&] {
        const QString picture = pictures.filePath(QStringLiteral("camera.jpg"));
        kv::test::writeQtJpeg(picture, gradientPicture(640, 480));
        return picture;
    }());
    ASSERT_EQ(bitmap.size(), QSize(200, 150));
    WritePreview(2, bitmap);
    const QString file = PreviewPath(2);

    // The same bytes as saving the JPEG and then scrambling the file.
    QByteArray expected = JpegBytes(bitmap);
    ScrambleBytes(expected, "Kestrel");
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_TRUE(IsScrambledPreview(file));
    EXPECT_TRUE(OpensWithKey(file, "Kestrel"));

    EXPECT_EQ(LoadPreview(file, QStringLiteral("Kestrel"), false).size(), QSize(200, 150));
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_EQ(PreviewFileSize(file, QStringLiteral("Kestrel")), QSize(200, 150));
    EXPECT_EQ(LoadPreviewAndFit(file, QStringLiteral("Kestrel"), 100, 100, true, 1.5).size(), QSize(100, 75));

    // The wrong key reads random bytes: the error image, and the file is
    // never written back with them.
    EXPECT_EQ(LoadPreview(file, QStringLiteral("wrong"), true).size(), QSize(200, 50));
    EXPECT_EQ(readBytes(file), expected);
    EXPECT_EQ(PreviewFileSize(file, QStringLiteral("wrong")), QSize(200, 50));
    EXPECT_EQ(LoadPreviewAndFit(file, QStringLiteral("wrong"), 100, 100, true, 1.5).size(), QSize(100, 25));

    // The right key with write back leaves the file plain.
    EXPECT_EQ(LoadPreview(file, QStringLiteral("Kestrel"), true).size(), QSize(200, 150));
    EXPECT_EQ(readBytes(file), JpegBytes(bitmap));
}

TEST_F(PreviewTest, BmpPreviewUnscrambledByRows)
{
    const QString file = previews.filePath(QStringLiteral("9.bmp"));
    const QImage picture = gradientPicture(13, 7).convertToFormat(QImage::Format_BGR888);
    SaveBitmapAsBmp(file, picture);
    ASSERT_TRUE(ScramblePreviewFile(file, QStringLiteral("rows")));
    EXPECT_NE(LoadImageFile(file), picture);
    EXPECT_EQ(LoadPreview(file, QStringLiteral("rows"), false), picture);
    EXPECT_NE(LoadImageFile(file), picture);
    EXPECT_EQ(LoadPreview(file, QStringLiteral("rows"), true), picture);
    EXPECT_EQ(LoadImageFile(file), picture);  // written back plain
}

TEST_F(PreviewTest, FullDiskWhileWritingKeepsTheOldPreview)
{
    WritePreview(3, gradientPicture(40, 30, 0));
    const QString file = PreviewPath(3);
    const QByteArray old = readBytes(file);
    ASSERT_LT(old.size(), 8192);

    // Files may not grow past 8 KB: the disk is full for a larger preview.
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous;
    limited.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    bool threw = false;
    try {
        WritePreview(3, gradientPicture(200, 200, 120));
    } catch (const kv::common::FileWriteError&) {
        threw = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(threw);
    EXPECT_EQ(readBytes(file), old);
    EXPECT_EQ(QDir(previews.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("3.jpg")});
}

TEST_F(PreviewTest, PreviewSizesFromTheRecordOrMeasured)
{
    // No preview file: 0 x 0 and nothing stored.
    EXPECT_EQ(GetPreviewSize(dm, 1), QSize(0, 0));
    EXPECT_TRUE(field(1, "ImageSizeX").isNull());

    // Sizes on record are answered as they are.
    WritePreview(1, gradientPicture(120, 90));
    exec("UPDATE PictureInfo SET ImageSizeX = 33, ImageSizeY = 44 WHERE PictureID = 1");
    EXPECT_EQ(GetPreviewSize(dm, 1), QSize(33, 44));

    // A Null (or non-positive) size is measured and stored.
    exec("UPDATE PictureInfo SET ImageSizeX = NULL, ImageSizeY = 44 WHERE PictureID = 1");
    EXPECT_EQ(GetPreviewSize(dm, 1), QSize(120, 90));
    EXPECT_EQ(field(1, "ImageSizeX").toInt(), 120);
    EXPECT_EQ(field(1, "ImageSizeY").toInt(), 90);

    // Scrambled previews are measured with the key.
    setKey(QStringLiteral("k"));
    WritePreview(3, gradientPicture(150, 100));
    EXPECT_EQ(GetPreviewSize(dm, 3), QSize(150, 100));
    EXPECT_EQ(field(3, "ImageSizeX").toInt(), 150);

    // An unreadable preview shows as the error image, but that is not its
    // size: nothing is stored, and it is measured again once readable.
    setKey(QStringLiteral("another key"));
    exec("UPDATE PictureInfo SET ImageSizeX = NULL, ImageSizeY = NULL WHERE PictureID = 3");
    EXPECT_EQ(GetPreviewSize(dm, 3), QSize(200, 50));
    EXPECT_TRUE(field(3, "ImageSizeX").isNull());
    setKey(QStringLiteral("k"));
    EXPECT_EQ(GetPreviewSize(dm, 3), QSize(150, 100));

    ClearPreviewSizes(dm);
    EXPECT_TRUE(field(1, "ImageSizeX").isNull());
    EXPECT_TRUE(field(1, "ImageSizeY").isNull());
    EXPECT_TRUE(field(3, "ImageSizeX").isNull());
}

TEST_F(PreviewTest, WhatThePreviewBoxShows)
{
    const QSize box(100, 100);
    // Picture 1 has a preview, picture 3 none, picture 2 a forbidden rating.
    WritePreview(1, gradientPicture(200, 150));
    WritePreview(2, gradientPicture(200, 150));

    std::optional<QImage> shown = PreviewBoxImage(dm, 1, true, box);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), QSize(100, 75));

    shown = PreviewBoxImage(dm, 3, true, box);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), QSize(85, 100));  // the placeholder, fitted
    EXPECT_LT(kv::test::meanDifference(*shown, FitBitmap(100, 100, true, 100, NoPhotoImage())), 0.5);

    EXPECT_FALSE(PreviewBoxImage(dm, 2, true, box));
    EXPECT_TRUE(PreviewBoxImage(dm, 2, false, box));  // ratings not enforced

    kv::data::SystemInfo().ShowPreview = false;
    EXPECT_FALSE(PreviewBoxImage(dm, 1, false, box));

    kv::data::SystemInfo().ShowPreview = true;
    setKey(QStringLiteral("secret"));
    WritePreview(1, gradientPicture(200, 150));
    shown = PreviewBoxImage(dm, 1, true, box);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), QSize(100, 75));
}

TEST_F(PreviewTest, ExtensionMasksAndVideoFiles)
{
    exec("DELETE FROM FileExtensions");
    EXPECT_EQ(AllExtensionsMask(dm), QString());
    for (const char* name : {"clip.avi", "x.jpg", "noext"})
        EXPECT_FALSE(IsVideoFile(dm, QString::fromLatin1(name))) << name;

    exec("INSERT INTO FileExtensions (FileExtensionID, FileExtensionDescription, IsVideoExtension) VALUES "
         "(1, 'jpg', 0), (2, 'AVI', 1), (3, '', 1), (4, 'mpg', 1), (5, 'bmp', NULL)");
    EXPECT_EQ(AllExtensionsMask(dm), QStringLiteral("*.jpg;*.AVI;*.mpg;*.bmp"));
    EXPECT_EQ(VideoExtensionsMask(dm), QStringLiteral("*.AVI;*.mpg"));
    const std::pair<const char*, bool> cases[] = {
        {"clip.avi", true}, {"CLIP.AVI", true}, {"/a/b.Mpg", true}, {"x.jpg", false},
        {"x.bmp", false},   {"avi", false},     {"x.mpeg", false},
    };
    for (const auto& [name, video] : cases)
        EXPECT_EQ(IsVideoFile(dm, QString::fromLatin1(name)), video) << name;

    // Read fresh on every call.
    exec("UPDATE FileExtensions SET IsVideoExtension = 0 WHERE FileExtensionID = 2");
    EXPECT_FALSE(IsVideoFile(dm, QStringLiteral("clip.avi")));
}

// Answers the disc prompt, first putting the file in place when asked to
// (the user inserting the disc), and records every message.
class DiscResponder : public kv::common::MessageResponder {
public:
    std::function<void()> insertDisc;
    std::vector<MessageAnswer> answers;
    QList<Message> messages;

    MessageAnswer respond(const Message& message) override
    {
        messages << message;
        if (insertDisc)
            std::exchange(insertDisc, nullptr)();
        if (answers.empty())
            return message.defaultAnswer;
        const MessageAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

class CopyPictureFileTest : public PreviewTest {
protected:
    QTemporaryDir out;
    QString source;
    DiscResponder responder;
    std::unique_ptr<kv::common::ResponderScope> scope;

    void SetUp() override
    {
        PreviewTest::SetUp();
        const QString storage = pictures.path();
        m.db().exec(QStringLiteral("INSERT INTO StorageLocation (StorageLocationID, Directory, DiscLabel) "
                                   "VALUES (1, '%1', 'Holiday 2003')")
                        .arg(storage));
        exec("INSERT INTO PictureInfo (PictureID, FileName, StorageLocationID, RotateImage) VALUES "
             "(10, 'beach.jpg', 1, 90), (11, '', 1, 0), (12, 'beach.jpg', 1, NULL)");
        source = pictures.filePath(QStringLiteral("beach.jpg"));
        kv::test::writeQtJpeg(source, gradientPicture(400, 300));
        scope = std::make_unique<kv::common::ResponderScope>(responder);
    }
    void TearDown() override
    {
        scope.reset();
        PreviewTest::TearDown();
    }
    QString copied() const { return out.filePath(QStringLiteral("beach.jpg")); }
};

TEST_F(CopyPictureFileTest, CopiesWithRotationAndSizeLimit)
{
    struct Case {
        const char* name;
        qint64 picture;
        bool rotate;
        bool shrink;
        int largest;
        QSize expected;
    };
    const Case cases[] = {
        {"plain copy", 10, false, false, 0, {400, 300}},
        {"turned by the record's angle", 10, true, false, 0, {300, 400}},
        {"no angle on record", 12, true, false, 0, {400, 300}},
        {"shrunk and turned", 10, true, true, 100, {75, 100}},
        {"small enough: only turned", 10, true, true, 1000, {300, 400}},
        {"shrunk, not turned", 10, false, true, 200, {200, 150}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(copied());
        EXPECT_EQ(CopyPictureFile(dm, QString::number(c.picture), out.path(), c.rotate, c.shrink, c.largest),
                  kCopyDone);
        EXPECT_EQ(ImageFileSize(copied()), c.expected);
        if (!c.rotate && !c.shrink) {
            EXPECT_EQ(readBytes(copied()), readBytes(source));
        }
        EXPECT_EQ(QFileInfo(copied()).lastModified(), QFileInfo(source).lastModified());
    }
    EXPECT_TRUE(responder.messages.isEmpty());
}

TEST_F(CopyPictureFileTest, NothingToCopy)
{
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("11"), out.path(), false, false, 0), kCopyNoFile);
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("999"), out.path(), false, false, 0), kCopyNoFile);
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10 or 1=1"), out.path(), false, false, 0), kCopyNoFile);
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), QString(), false, false, 0), kCopyDone);
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(CopyPictureFileTest, MissingDiscPrompt)
{
    const QByteArray picture = readBytes(source);
    QFile::remove(source);
    const QString prompt = QStringLiteral("Error: Cannot Find File: ") + source +
                           QStringLiteral(" Please Insert Disc labeled: Holiday 2003");

    responder.answers = {MessageAnswer::Ignore};
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), out.path(), false, false, 0), kCopyIgnored);
    ASSERT_EQ(responder.messages.size(), 1);
    EXPECT_EQ(responder.messages[0].text, prompt);
    EXPECT_EQ(responder.messages[0].buttons, MessageButtons::AbortRetryIgnore);
    EXPECT_EQ(responder.messages[0].kind, MessageKind::Error);
    EXPECT_FALSE(QFileInfo::exists(copied()));

    responder.messages.clear();
    responder.answers = {MessageAnswer::Retry, MessageAnswer::Abort};
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), out.path(), false, false, 0), kCopyAborted);
    EXPECT_EQ(responder.messages.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(copied()));

    // Retry after the disc is inserted copies the file.
    responder.messages.clear();
    responder.insertDisc = [&] { writeBytes(source, picture); };
    responder.answers = {MessageAnswer::Retry};
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), out.path(), false, false, 0), kCopyDone);
    EXPECT_EQ(responder.messages.size(), 1);
    EXPECT_EQ(readBytes(copied()), picture);
}

TEST_F(CopyPictureFileTest, ExistingDestinationAsksFirst)
{
    writeBytes(copied(), "older copy");
    const QString question = QStringLiteral("Error: The file: beach.jpg already exists in the directory: ") +
                             out.path() + QStringLiteral("/ do you wish to overwrite it?");

    // The helper's result tells the caller what the copy came to.
    kv::common::TransferResult transfer;
    responder.answers = {MessageAnswer::No};
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), out.path(), false, false, 0, &transfer), kCopyDone);
    EXPECT_EQ(transfer.outcome, kv::common::TransferOutcome::Exists);
    ASSERT_EQ(responder.messages.size(), 1);
    EXPECT_EQ(responder.messages[0].text, question);
    EXPECT_EQ(responder.messages[0].kind, MessageKind::DestructiveQuestion);
    EXPECT_EQ(readBytes(copied()), QByteArray("older copy"));

    responder.answers = {MessageAnswer::Yes};
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), out.path(), false, false, 0, &transfer), kCopyDone);
    EXPECT_EQ(transfer.outcome, kv::common::TransferOutcome::Copied);
    EXPECT_EQ(readBytes(copied()), readBytes(source));
}

TEST_F(CopyPictureFileTest, PictureIsNeverCopiedOntoItself)
{
    const QByteArray picture = readBytes(source);
    responder.answers = {MessageAnswer::Yes};
    kv::common::TransferResult transfer;
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), pictures.path() + "/./", true, false, 0, &transfer),
              kCopyDone);
    EXPECT_EQ(transfer.outcome, kv::common::TransferOutcome::SameFile);
    EXPECT_EQ(readBytes(source), picture);
    EXPECT_TRUE(responder.messages.isEmpty());
}

TEST_F(CopyPictureFileTest, ReadOnlySourceIsStillTurned)
{
    QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    EXPECT_EQ(CopyPictureFile(dm, QStringLiteral("10"), out.path(), true, false, 0), kCopyDone);
    EXPECT_EQ(ImageFileSize(copied()), QSize(300, 400));
    EXPECT_EQ(QFile::permissions(copied()), QFile::permissions(source));
}

}  // namespace

TEST_F(PreviewTest, AReadOnlyCatalogueMeasuresPreviewSizesWithoutStoringThem)
{
    WritePreview(1, gradientPicture(120, 90));
    kv::data::TProgramDataForm viewer;
    viewer.setDatabase(m.catalogue.open(true));
    viewer.openTables(true);

    EXPECT_EQ(GetPreviewSize(viewer, 1), QSize(120, 90));
    EXPECT_TRUE(field(1, "ImageSizeX").isNull());
}
