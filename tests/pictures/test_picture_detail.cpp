// The picture window's preview steps: a chosen file's preview is written
// only for a posted row, the stored preview fields follow a written file,
// rotation leaves other pending edits alone, and the file date.
#include "PictureTestFiles.h"
#include "support/TempCatalogue.h"

#include "common/MessageService.h"
#include "data/FieldValue.h"
#include "data/Query.h"
#include "data/SystemInfo.h"
#include "pictures/BmpCodec.h"
#include "pictures/PictureDetail.h"
#include "pictures/Previews.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kv::data;
using namespace kv::pictures;
using kv::common::MessageAnswer;
using kv::common::MessageKind;

namespace {

class PictureDetailTest : public ::testing::Test {
protected:
    QGuiApplication& app = kv::test::pictureApplication();
    kv::test::OpenDataModule m;
    TProgramDataForm& dm = m.dm;
    kv::common::ScriptedResponder messages;
    kv::common::ResponderScope scope{messages};
    QTemporaryDir files;
    QString jpeg;

    void SetUp() override
    {
        SystemInfo().PreviewDir = files.filePath(QStringLiteral("previews"));  // made on the first write
        SystemInfo().PreviewSizeX = 200;
        SystemInfo().PreviewSizeY = 200;
        SystemInfo().EncryptionKey = QStringLiteral("Kestrel");
        dm.ValidateOnPost = true;
        jpeg = files.filePath(QStringLiteral("Ørn; \"nest\" .jpg"));
        kv::test::writeQtJpeg(jpeg, kv::test::gradientPicture(640, 480));
    }
    void TearDown() override { SystemInfo() = TSystemInfo(); }

    // A new picture row, complete unless the description is left out.
    void insertPicture(const QString& description)
    {
        ASSERT_TRUE(dm.PictureInfoTable.insert());
        const std::pair<const char*, QVariant> values[] = {
            {"PictureDescription", description.isEmpty() ? QVariant() : QVariant(description)},
            {"DateTaken", QDate(2003, 5, 17)}, {"PlaceID", 1}, {"CatagoryID", 1}, {"PhotograherID", 1},
            {"RatingID", 1}, {"MediaTypeID", 1}, {"StorageLocationID", 1}, {"FileName", description + ".jpg"}};
        for (const auto& [field, value] : values)
            dm.PictureInfoTable.setFieldValue(QString::fromLatin1(field), value);
    }
    QVariant stored(qint64 id, const char* field)
    {
        Query q(&m.db());
        q.addLine(QStringLiteral("Select %1 From \"PictureInfo.db\" Where PictureID = %2").arg(field).arg(id));
        q.open();
        return q.isEmpty() ? QVariant() : q.fieldValue(QString::fromLatin1(field));
    }
    qint64 current() { return readInteger(dm.PictureInfoTable, QStringLiteral("PictureID")); }
    QSize previewOnDisk(qint64 id) { return PreviewFileSize(PreviewPath(id), SystemInfo().EncryptionKey); }
};

TEST_F(PictureDetailTest, ANewPictureIsPostedBeforeItsPreviewIsWritten)
{
    insertPicture(QStringLiteral("Nest"));
    const auto made = PreviewChosenFile(dm, jpeg);
    ASSERT_TRUE(made);
    EXPECT_TRUE(messages.messages().isEmpty()) << messages.texts().join('|').toStdString();
    EXPECT_EQ(dm.PictureInfoTable.state(), DataSet::State::Browse);
    const qint64 id = current();
    EXPECT_EQ(stored(id, "PictureDescription").toString(), QStringLiteral("Nest"));
    // Scrambled with the key: only the key opens it.
    EXPECT_EQ(previewOnDisk(id), QSize(200, 150));
    bool plain = true;
    LoadPreview(PreviewPath(id), QString(), false, &plain);
    EXPECT_FALSE(plain);
    EXPECT_EQ(made->view.size(), QSize(261, 196));
    EXPECT_EQ(stored(id, "ImageSizeX").toInt(), 200);
    EXPECT_EQ(stored(id, "ImageSizeY").toInt(), 150);
    EXPECT_TRUE(valueBool(stored(id, "PreviewAvailable"), false));
    EXPECT_EQ(readInteger(dm.PictureInfoTable, QStringLiteral("ImageSizeX")), 200);
}

TEST_F(PictureDetailTest, ARefusedPostStopsThePreview)
{
    insertPicture(QString());
    EXPECT_FALSE(PreviewChosenFile(dm, jpeg));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(dm.PictureInfoTable.state(), DataSet::State::Insert);
    EXPECT_TRUE(QDir(SystemInfo().PreviewDir).entryList(QDir::Files).isEmpty());
}

TEST_F(PictureDetailTest, RotationWritesOnlyThePreviewFields)
{
    insertPicture(QStringLiteral("Nest"));
    ASSERT_TRUE(PreviewChosenFile(dm, jpeg));
    const qint64 id = current();
    ASSERT_TRUE(dm.PictureInfoTable.edit());
    dm.PictureInfoTable.setFieldValue(QStringLiteral("PictureDescription"), QStringLiteral("Pending"));
    const auto turned = RotateChosenFile(dm, jpeg, 90);
    ASSERT_TRUE(turned);
    EXPECT_EQ(previewOnDisk(id), QSize(150, 200));
    EXPECT_EQ(turned->view.size(), QSize(196, 261));
    EXPECT_EQ(stored(id, "RotateImage").toInt(), 90);
    EXPECT_EQ(stored(id, "ImageSizeX").toInt(), 150);
    EXPECT_EQ(stored(id, "PictureDescription").toString(), QStringLiteral("Nest"));
    EXPECT_EQ(dm.PictureInfoTable.state(), DataSet::State::Edit);
    EXPECT_EQ(readText(dm.PictureInfoTable, QStringLiteral("PictureDescription")), QStringLiteral("Pending"));
    EXPECT_EQ(readInteger(dm.PictureInfoTable, QStringLiteral("RotateImage")), 90);
    // Saving later writes the edit with the turn it already has.
    ASSERT_TRUE(dm.PictureInfoTable.post());
    EXPECT_EQ(stored(id, "PictureDescription").toString(), QStringLiteral("Pending"));
    EXPECT_EQ(stored(id, "RotateImage").toInt(), 90);
}

TEST_F(PictureDetailTest, UnreadableFilesGiveTheErrorImageAsPreview)
{
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"empty.jpg", QByteArray()},
        {"truncated.jpg", kv::test::readBytes(jpeg).left(300)},
        {"huge.jpg", kv::test::flatJpeg(30000, 30000, 3, false)},
        {"odd-depth.bmp", [] {
             QByteArray bmp;
             bmp::Encode(kv::test::gradientPicture(8, 8).convertToFormat(QImage::Format_BGR888), bmp);
             bmp[28] = 7;  // bits per pixel
             return bmp;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = files.filePath(QString::fromLatin1(c.name));
        kv::test::writeBytes(file, c.bytes);
        insertPicture(QString::fromLatin1(c.name));
        ASSERT_TRUE(PreviewChosenFile(dm, file));
        const qint64 id = current();
        EXPECT_EQ(previewOnDisk(id), QSize(200, 50));
        EXPECT_TRUE(valueBool(stored(id, "PreviewAvailable"), false));
        EXPECT_EQ(stored(id, "ImageSizeY").toInt(), 50);
    }
}

TEST_F(PictureDetailTest, AnUnwritablePreviewDirectoryLeavesTheRowAsItWas)
{
    // A directory that cannot be made or written, even by root: it would
    // lie under a plain file.
    kv::test::writeBytes(files.filePath(QStringLiteral("plain")), "x");
    SystemInfo().PreviewDir = files.filePath(QStringLiteral("plain/previews"));
    insertPicture(QStringLiteral("Nest"));
    EXPECT_FALSE(PreviewChosenFile(dm, jpeg));
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageKind::Error);
    EXPECT_TRUE(messages.messages()[0].text.contains(QStringLiteral("could not be written")));
    const qint64 id = current();
    EXPECT_TRUE(stored(id, "PreviewAvailable").isNull());
    EXPECT_TRUE(stored(id, "ImageSizeX").isNull());
}

TEST_F(PictureDetailTest, TheFileDateBecomesTheDateTaken)
{
    const QDate taken(2003, 5, 17);
    const struct {
        const char* name;
        QVariant before;
        QDateTime fileDate;
        std::optional<MessageAnswer> answer;  // asked when set
        QDate after;
    } cases[] = {
        {"empty takes the file date", QVariant(), QDateTime(QDate(1970, 1, 1), QTime(0, 0)), {}, QDate(1970, 1, 1)},
        {"same day asks nothing", taken, QDateTime(taken, QTime(23, 59)), {}, taken},
        {"another day, Yes", taken, QDateTime(QDate(2099, 1, 2), QTime(8, 0)), MessageAnswer::Yes, QDate(2099, 1, 2)},
        {"another day, No", taken, QDateTime(QDate(2099, 1, 2), QTime(8, 0)), MessageAnswer::No, taken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        insertPicture(QStringLiteral("Nest"));
        dm.PictureInfoTable.setFieldValue(QStringLiteral("DateTaken"), c.before);
        if (c.answer)
            messages.addAnswer(*c.answer);
        TakeFileDate(dm.PictureInfoTable, c.fileDate);
        EXPECT_EQ(messages.messages().size(), c.answer ? 1 : 0);
        if (c.answer) {
            EXPECT_EQ(messages.messages()[0].kind, MessageKind::DestructiveQuestion);
        }
        EXPECT_EQ(valueDate(dm.PictureInfoTable.fieldValue(QStringLiteral("DateTaken"))), c.after);
        dm.PictureInfoTable.cancel();
    }
}

}  // namespace
