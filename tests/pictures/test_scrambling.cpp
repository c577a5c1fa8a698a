// The keyed scrambling of preview files: the key hash and generator against
// values worked out independently, the keys that stall the generator, whole
// files scrambled, unscrambled and re-keyed, row scrambling of BMP previews
// with their padding, and bringing previews from one key to another.
#include "PictureTestFiles.h"

#include "common/FileOperations.h"
#include "pictures/BmpCodec.h"
#include "pictures/ImageFiles.h"
#include "pictures/Scrambling.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using namespace kv::pictures;
using kv::test::readBytes;
using kv::test::writeBytes;

namespace {

std::vector<int> keystream(const QByteArray& key, int count)
{
    KeyStream stream(key);
    std::vector<int> bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(stream.nextByte());
    return bytes;
}

// Keys whose hash leaves the generator on 2147483647 for good.
const char* const kStallingKeys[] = {
    "vkkkkkkBkkkkkkXkkkkkkhkkkkkk8kkkkkkhkkkk",  // hash 0
    "NkkkkkkZkkkkkkCkkkkkkdkkkkkkukkkkkkOkkkk",  // hash 2147483647
    "NkkkkkkPkkkkkkVkkkkkkekkkkkkOkkkkkkskkkk",  // hash -2147483647
};

TEST(KeyStreamTest, HashesAndStreamsMatchTheStoredPreviews)
{
    struct Case {
        QByteArray key;
        qint32 hash;
        std::vector<int> stream;
    };
    const Case cases[] = {
        {QByteArray(), 2137585, {186, 51, 154, 164, 65, 223, 221, 9}},
        {"a", 2738, {5, 38, 216, 200, 183, 130, 206, 187}},
        {"Kestrel", 1960049, {87, 130, 116, 187, 228, 187, 192, 28}},
        {"secret key 42", 1849581992, {130, 55, 253, 162, 62, 3, 248, 82}},
        // A hash below zero: the first step works on a negative state.
        {"zzzzzzzzzzzzzzzz", -691715312, {97, 213, 207, 229, 38, 29, 158, 144}},
        {QByteArray(40, '\xFF'), 523679800, {130, 150, 1, 91, 85, 231, 53, 40}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key.toStdString());
        EXPECT_EQ(KeyHash(c.key), c.hash);
        EXPECT_EQ(keystream(c.key, 8), c.stream);
    }
}

TEST(KeyStreamTest, GeneratorSteps)
{
    KeyStream fromOne = KeyStream::fromState(1);
    EXPECT_EQ(fromOne.next(), 16806);
    EXPECT_EQ(fromOne.state(), 16807);

    // The most negative state is stepped by the same formula.
    KeyStream fromMinimum = KeyStream::fromState(std::numeric_limits<qint32>::min());
    fromMinimum.next();
    EXPECT_EQ(fromMinimum.state(), 2147466840);

    // The process-wide generator follows the same sequence.
    SeedFromKey(QByteArray());
    std::vector<int> drawn;
    for (int i = 0; i < 8; ++i)
        drawn.push_back(RandomBelow(256) & 0xFF);
    EXPECT_EQ(drawn, (std::vector<int>{186, 51, 154, 164, 65, 223, 221, 9}));
    SeedFromKey("a");
    EXPECT_EQ(NextRandom(), KeyStream("a").next());
}

TEST(KeyStreamTest, StallingKeysGiveZeroBytesAndLeaveFilesUnchanged)
{
    QTemporaryDir dir;
    for (const char* key : kStallingKeys) {
        SCOPED_TRACE(key);
        KeyStream stream{QByteArray(key)};
        for (int i = 0; i < 3; ++i) {
            // The draw of 256 that a stalled generator gives.
            EXPECT_EQ(stream.below(256), 256);
            EXPECT_EQ(stream.state(), 2147483647);
        }
        EXPECT_EQ(keystream(key, 16), std::vector<int>(16, 0));

        const QString file = dir.filePath(QStringLiteral("stalled.jpg"));
        writeBytes(file, "plain bytes that stay plain");
        ASSERT_TRUE(ScrambleFile(file, key));
        EXPECT_EQ(readBytes(file), QByteArray("plain bytes that stay plain"));
    }
}

TEST(KeyStreamTest, KeyTextIsReadAsWindows1252)
{
    EXPECT_EQ(KeyBytes(QStringLiteral("abc")), QByteArray("abc"));
    EXPECT_EQ(KeyBytes(QStringLiteral("caf\u00e9")), QByteArray("caf\xe9"));
    EXPECT_EQ(KeyBytes(QStringLiteral("\u20ac\u2019")), QByteArray("\x80\x92"));
    EXPECT_EQ(KeyBytes(QStringLiteral("\u4e2d")), QByteArray("?"));
    EXPECT_EQ(KeyHash(KeyBytes(QStringLiteral("caf\u00e9"))), 88589);
}

class ScrambleFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    QString writeJpegPreview(const QString& name, int width = 64, int height = 48)
    {
        const QString file = path(name);
        SaveBitmapAsJpeg(file, kv::test::gradientPicture(width, height));
        return file;
    }
};

TEST_F(ScrambleFileTest, ScramblingTwiceRestoresEveryFile)
{
    const QByteArray contents[] = {QByteArray(), QByteArray("x"), QByteArray(5000, '\0'),
                                   kv::pictures::JpegBytes(kv::test::gradientPicture(40, 30))};
    for (const QByteArray& plain : contents) {
        SCOPED_TRACE(plain.size());
        const QString file = path(QStringLiteral("f.jpg"));
        writeBytes(file, plain);
        ASSERT_TRUE(ScrambleFile(file, "Kestrel"));
        const QByteArray scrambled = readBytes(file);
        EXPECT_EQ(scrambled.size(), plain.size());
        if (plain.size() > 8) {
            EXPECT_NE(scrambled, plain);
        }
        ASSERT_TRUE(ScrambleFile(file, "Kestrel"));
        EXPECT_EQ(readBytes(file), plain);
        EXPECT_TRUE(QFileInfo::exists(file));
    }
}

TEST_F(ScrambleFileTest, ScrambledBytesAreThePlainBytesXorTheStream)
{
    const QString file = path(QStringLiteral("z.jpg"));
    writeBytes(file, QByteArray(8, '\0'));
    ASSERT_TRUE(ScrambleFile(file, QByteArray()));
    EXPECT_EQ(readBytes(file), QByteArray("\xBA\x33\x9A\xA4\x41\xDF\xDD\x09", 8));
}

TEST_F(ScrambleFileTest, MissingFileIsNotCreated)
{
    const QString file = path(QStringLiteral("none.jpg"));
    EXPECT_FALSE(ScrambleFile(file, "k"));
    EXPECT_TRUE(LoadUnscrambled(file, "k", true).isEmpty());
    EXPECT_FALSE(RekeyFile(file, "k", "l"));
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(ScrambleFileTest, LoadUnscrambledWritesBackOnlyWhenAsked)
{
    const QString file = writeJpegPreview(QStringLiteral("p.jpg"));
    const QByteArray plain = readBytes(file);
    ASSERT_TRUE(ScrambleFile(file, "one"));
    const QByteArray scrambled = readBytes(file);

    EXPECT_EQ(LoadUnscrambled(file, "one", false), plain);
    EXPECT_EQ(readBytes(file), scrambled);
    EXPECT_EQ(LoadUnscrambled(file, "one", true), plain);
    EXPECT_EQ(readBytes(file), plain);
}

TEST_F(ScrambleFileTest, RekeyChainsEndPlain)
{
    const QString file = writeJpegPreview(QStringLiteral("chain.jpg"));
    const QByteArray plain = readBytes(file);
    ASSERT_TRUE(ScrambleFile(file, "first"));
    ASSERT_TRUE(RekeyFile(file, "first", "second"));
    ASSERT_TRUE(RekeyFile(file, "second", "third"));
    EXPECT_FALSE(OpensWithKey(file, "second"));
    EXPECT_TRUE(OpensWithKey(file, "third"));
    // Scrambling with the last key takes it off again.
    ASSERT_TRUE(ScrambleFile(file, "third"));
    EXPECT_EQ(readBytes(file), plain);
}

TEST_F(ScrambleFileTest, ScrambledPreviewDetection)
{
    const QString plain = writeJpegPreview(QStringLiteral("plain.jpg"));
    const QString scrambled = writeJpegPreview(QStringLiteral("scrambled.jpg"));
    ASSERT_TRUE(ScrambleFile(scrambled, "key"));
    const QString bmpName = path(QStringLiteral("picture.bmp"));
    writeBytes(bmpName, "not even a bitmap");

    EXPECT_FALSE(IsScrambledPreview(plain));
    EXPECT_TRUE(IsScrambledPreview(scrambled));
    EXPECT_TRUE(IsScrambledPreview(path(QStringLiteral("missing.jpg"))));
    EXPECT_FALSE(IsScrambledPreview(bmpName));
    EXPECT_FALSE(IsScrambledPreview(QString()));

    EXPECT_TRUE(OpensWithKey(scrambled, "key"));
    EXPECT_FALSE(OpensWithKey(scrambled, "other"));
    EXPECT_FALSE(OpensWithKey(path(QStringLiteral("missing.jpg")), "key"));
}

TEST_F(ScrambleFileTest, RekeyPreviewFileCases)
{
    enum class Start { Plain, OldKey, ThirdKey, Damaged, Missing };
    struct Case {
        const char* name;
        Start start;
        const char* newKey;
        // The key that opens the file afterwards; "" plain, nullptr unchanged.
        const char* endsWith;
    };
    const Case cases[] = {
        {"plain to a key", Start::Plain, "new", "new"},
        {"plain stays plain", Start::Plain, "", ""},
        {"old key to new key", Start::OldKey, "new", "new"},
        {"old key to plain", Start::OldKey, "", ""},
        {"third key left alone", Start::ThirdKey, "new", nullptr},
        {"third key left alone for plain", Start::ThirdKey, "", nullptr},
        {"damaged left alone", Start::Damaged, "new", nullptr},
        {"missing stays missing", Start::Missing, "new", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QStringLiteral("rekey.jpg"));
        QFile::remove(file);
        QByteArray plain;
        if (c.start != Start::Missing) {
            writeJpegPreview(QStringLiteral("rekey.jpg"));
            plain = readBytes(file);
        }
        if (c.start == Start::OldKey)
            ScrambleFile(file, "old");
        if (c.start == Start::ThirdKey)
            ScrambleFile(file, "third");
        if (c.start == Start::Damaged)
            writeBytes(file, plain.left(plain.size() / 2));
        const QByteArray before = readBytes(file);

        RekeyPreviewFile(file, QStringLiteral("old"), QString::fromLatin1(c.newKey));

        if (c.start == Start::Missing) {
            EXPECT_FALSE(QFileInfo::exists(file));
        } else if (!c.endsWith) {
            EXPECT_EQ(readBytes(file), before);
        } else if (*c.endsWith == '\0') {
            EXPECT_EQ(readBytes(file), plain);
        } else {
            EXPECT_TRUE(IsScrambledPreview(file));
            EXPECT_EQ(LoadUnscrambled(file, c.endsWith, false), plain);
        }
    }
}

TEST_F(ScrambleFileTest, RekeyLeavesBmpNamesWhole)
{
    const QString file = path(QStringLiteral("1.bmp"));
    SaveBitmapAsBmp(file, kv::test::gradientPicture(5, 4).convertToFormat(QImage::Format_BGR888));
    const QByteArray before = readBytes(file);
    RekeyPreviewFile(file, QStringLiteral("old"), QStringLiteral("new"));
    EXPECT_EQ(readBytes(file), before);
}

TEST(RowScrambleTest, RowsWithPaddingRoundTripAndEveryByteMoves)
{
    struct Case {
        QImage::Format format;
        int width;
    };
    // Rows of 15 + 1, 4 + 0, 1 + 3 (one byte of pixels) and 8 + 0 bytes.
    const Case cases[] = {{QImage::Format_BGR888, 5}, {QImage::Format_Indexed8, 4}, {QImage::Format_Mono, 3},
                          {QImage::Format_RGB32, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        QImage bitmap(c.width, 3, c.format);
        if (c.format == QImage::Format_Indexed8 || c.format == QImage::Format_Mono) {
            QList<QRgb> table;
            for (int i = 0; i < (c.format == QImage::Format_Mono ? 2 : 256); ++i)
                table << qRgb(i, i, i);
            bitmap.setColorTable(table);
        }
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int i = 0; i < bitmap.bytesPerLine(); ++i)
                bitmap.scanLine(y)[i] = static_cast<uchar>(y * 50 + i * 7 + 1);
        }
        const QImage original = bitmap.copy();
        ScrambleBitmapRows(bitmap, "rows");
        EXPECT_NE(QByteArray(reinterpret_cast<const char*>(bitmap.constBits()), bitmap.sizeInBytes()),
                  QByteArray(reinterpret_cast<const char*>(original.constBits()), original.sizeInBytes()));
        UnscrambleBitmapRows(bitmap, "rows");
        for (int y = 0; y < bitmap.height(); ++y) {
            EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(bitmap.constScanLine(y)), bitmap.bytesPerLine()),
                      QByteArray(reinterpret_cast<const char*>(original.constScanLine(y)), original.bytesPerLine()));
        }
    }
}

TEST(RowScrambleTest, MixStepAndStreamOfOneRow)
{
    // One row of 16 stored bytes (5 pixels and one padding byte), all zero:
    // the mix step changes nothing, so the row is the key's first 16 bytes.
    QImage bitmap(5, 1, QImage::Format_BGR888);
    ASSERT_EQ(bitmap.bytesPerLine(), 16);
    std::fill(bitmap.bits(), bitmap.bits() + 16, uchar(0));
    ScrambleBitmapRows(bitmap, QByteArray());
    std::vector<int> row(bitmap.constScanLine(0), bitmap.constScanLine(0) + 16);
    EXPECT_EQ(row, keystream(QByteArray(), 16));

    // With a stalling key only the mix step acts: bytes 0, 3, 6 swap with
    // 15, 12, 9 (9 > 15 div 2 stops the swaps after 6).
    for (int i = 0; i < 16; ++i)
        bitmap.scanLine(0)[i] = static_cast<uchar>(i);
    ScrambleBitmapRows(bitmap, kStallingKeys[0]);
    row.assign(bitmap.constScanLine(0), bitmap.constScanLine(0) + 16);
    EXPECT_EQ(row, (std::vector<int>{15, 1, 2, 12, 4, 5, 9, 7, 8, 6, 10, 11, 3, 13, 14, 0}));
}

TEST_F(ScrambleFileTest, BmpPreviewScrambledByRowsKeepsItsHeader)
{
    const QString file = path(QStringLiteral("row.bmp"));
    const QImage picture = kv::test::gradientPicture(7, 5).convertToFormat(QImage::Format_BGR888);
    SaveBitmapAsBmp(file, picture);
    const QByteArray plain = readBytes(file);
    ASSERT_TRUE(ScramblePreviewFile(file, QStringLiteral("key")));
    const QByteArray scrambled = readBytes(file);
    ASSERT_EQ(scrambled.size(), plain.size());
    EXPECT_EQ(scrambled.left(54), plain.left(54));  // still a readable bitmap
    EXPECT_NE(scrambled, plain);
    QImage decoded;
    ASSERT_TRUE(bmp::Decode(scrambled, decoded));
    UnscrambleBitmapRows(decoded, KeyBytes(QStringLiteral("key")));
    EXPECT_EQ(decoded, picture);
}

TEST_F(ScrambleFileTest, ScramblePreviewFileNeedsAKeyAndAKnownKind)
{
    const QString jpegFile = writeJpegPreview(QStringLiteral("k.jpg"));
    const QByteArray plain = readBytes(jpegFile);
    EXPECT_FALSE(ScramblePreviewFile(jpegFile, QString()));
    EXPECT_EQ(readBytes(jpegFile), plain);
    EXPECT_TRUE(ScramblePreviewFile(jpegFile, QStringLiteral("k")));
    EXPECT_EQ(LoadUnscrambled(jpegFile, "k", false), plain);

    const QString other = path(QStringLiteral("k.gif"));
    writeBytes(other, "GIF89a");
    EXPECT_FALSE(ScramblePreviewFile(other, QStringLiteral("k")));
    EXPECT_EQ(readBytes(other), QByteArray("GIF89a"));
}

}  // namespace
