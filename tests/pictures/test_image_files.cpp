// The image toolkit on real JPEG and BMP files: kinds, fitting sizes and
// area averaging, rotation with its red edges, JPEG and BMP reading and
// writing, rewriting files in place, the placeholder, and every kind of
// unreadable file turning into the error image without a crash.
#include "PictureTestFiles.h"
#include "support/MemoryLimit.h"

#include "common/FileOperations.h"
#include "pictures/BmpCodec.h"
#include "pictures/ImageFiles.h"
#include "pictures/JpegCodec.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace kv::pictures;
using kv::test::flatJpeg;
using kv::test::gradientPicture;
using kv::test::meanDifference;
using kv::test::readBytes;
using kv::test::writeBytes;
using kv::test::writeQtJpeg;

namespace {

class ImageFilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { kv::test::pictureApplication(); }

    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    QString qtJpeg(const QString& name, int width, int height, bool progressive = false)
    {
        const QString file = path(name);
        writeQtJpeg(file, gradientPicture(width, height), progressive);
        return file;
    }
};

void expectErrorImage(const QImage& image)
{
    EXPECT_EQ(image.size(), QSize(200, 50));
    EXPECT_EQ(image.format(), QImage::Format_BGR888);
}

// ---- Kinds and sizes

TEST(ImageKindTest, KindFromExtensionInAnyCase)
{
    const std::pair<const char*, ImageKind> cases[] = {
        {"a.jpg", ImageKind::Jpeg},  {"a.JPEG", ImageKind::Jpeg},    {"b.Jpg", ImageKind::Jpeg},
        {"/x/y.bmp", ImageKind::Bmp}, {"c.BMP", ImageKind::Bmp},      {"d.gif", ImageKind::Other},
        {"jpg", ImageKind::Other},    {"e.jpg.txt", ImageKind::Other}, {"", ImageKind::Other},
    };
    for (const auto& [name, kind] : cases)
        EXPECT_EQ(ImageKindOf(QString::fromLatin1(name)), kind) << name;
}

TEST(FittedSizeTest, SizesOfTheFittingRules)
{
    struct Case {
        QSize source;
        int boxW, boxH;
        bool keepAspect;
        double enlargement;
        QSize expected;
    };
    const Case cases[] = {
        {{1000, 500}, 200, 200, true, 1.5, {200, 100}},
        {{640, 480}, 200, 200, true, 1.5, {200, 150}},
        {{480, 640}, 200, 200, true, 1.5, {150, 200}},
        {{100, 50}, 200, 200, true, 1.5, {150, 75}},
        {{150, 150}, 200, 200, true, 1.5, {200, 200}},
        {{201, 100}, 200, 200, true, 1.5, {199, 99}},  // the height, with more room, is tried first
        {{1000, 500}, 200, 200, false, 1.5, {200, 200}},
        {{3000, 2000}, 261, 261, true, 1.5, {261, 174}},
        {{325, 384}, 200, 200, true, 100, {169, 200}},  // the placeholder
        {{100, 50}, 200, 200, false, 1.5, {150, 75}},
        {{100, 50}, 120, 200, false, 1.5, {120, 75}},
        {{200, 200}, 200, 200, true, 1.5, {200, 200}},  // already fits: unchanged
        {{120, 80}, 200, 200, true, 1.0, {120, 80}},   // no enlargement allowed
        {{4000, 3000}, 200, 200, true, 1.5, {200, 150}},
        // So wide that the rules step down to no whole pixel of height.
        {{10000, 1}, 200, 200, true, 1.5, {200, 1}},
        {{1, 10000}, 200, 200, true, 1.5, {1, 200}},
        {{0, 10}, 200, 200, true, 1.5, {}},
        {{10, 10}, 0, 200, true, 1.5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.source.width() << "x" << c.source.height() << " into " << c.boxW
                                          << "x" << c.boxH << " keep " << c.keepAspect << " e " << c.enlargement);
        EXPECT_EQ(FittedSize(c.source, c.boxW, c.boxH, c.keepAspect, c.enlargement), c.expected);
    }
}

TEST(FitBitmapTest, AreaAveragingTakesTheMeanOfWhatEachPixelCovers)
{
    // 3 pixels onto 2: the first covers 1.5 source pixels, 30 and half of 60.
    QImage row(3, 1, QImage::Format_Grayscale8);
    row.scanLine(0)[0] = 30;
    row.scanLine(0)[1] = 60;
    row.scanLine(0)[2] = 90;
    const QImage fitted = FitBitmap(2, 10, false, 1.0, row);
    ASSERT_EQ(fitted.size(), QSize(2, 10));
    EXPECT_EQ(fitted.format(), QImage::Format_BGR888);
    for (int y = 0; y < 10; ++y) {
        EXPECT_NEAR(fitted.constScanLine(y)[0], 40, 1);
        EXPECT_NEAR(fitted.constScanLine(y)[3], 80, 1);
    }

    // A uniform picture stays exactly uniform whichever way it is stretched.
    QImage uniform(97, 41, QImage::Format_RGB32);
    uniform.fill(qRgb(10, 200, 77));
    for (const QSize box : {QSize(13, 7), QSize(200, 200), QSize(97, 3)}) {
        const QImage out = FitBitmap(box.width(), box.height(), false, 100, uniform);
        ASSERT_EQ(out.size(), box);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                ASSERT_EQ(out.pixel(x, y), qRgb(10, 200, 77)) << x << "," << y;
    }

    // A white half and a black half: the result keeps the halves apart.
    QImage halves(100, 10, QImage::Format_RGB32);
    halves.fill(Qt::black);
    for (int y = 0; y < 10; ++y)
        for (int x = 50; x < 100; ++x)
            halves.setPixel(x, y, qRgb(255, 255, 255));
    const QImage small = FitBitmap(10, 10, false, 1, halves);
    EXPECT_EQ(qRed(small.pixel(2, 5)), 0);
    EXPECT_EQ(qRed(small.pixel(7, 5)), 255);

    EXPECT_TRUE(FitBitmap(200, 200, true, 1.5, QImage()).isNull());
}

// ---- Rotation

// Builds a bitmap from letters, one row per string; each letter its own colour.
QImage letters(const std::vector<std::string>& rows)
{
    QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), QImage::Format_BGR888);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(rows[y][x], 100, 50));
    return image;
}

std::vector<std::string> readLetters(const QImage& image)
{
    std::vector<std::string> rows;
    for (int y = 0; y < image.height(); ++y) {
        std::string row;
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            row += p == qRgb(255, 0, 0) ? 'R' : static_cast<char>(qRed(p));
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(RotateBitmapTest, QuarterTurnsAndTheirRedEdges)
{
    struct Case {
        std::vector<std::string> source;
        int angle;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {{"abc", "def", "ghi"}, 0, {"abc", "def", "ghi"}},
        {{"abc", "def", "ghi"}, 90, {"gda", "heb", "ifc"}},
        {{"abc", "def", "ghi"}, 180, {"ihg", "fed", "cba"}},
        {{"abc", "def", "ghi"}, 270, {"cfi", "beh", "adg"}},
        // Even height, 90: the left column is red and the top row is lost.
        {{"abc", "def"}, 90, {"Rd", "Re", "Rf"}},
        // Even width, 180: the left column is red.
        {{"ab", "cd", "ef"}, 180, {"Rf", "Rd", "Rb"}},
        // Even width, 270: the top row is red.
        {{"ab", "cd", "ef"}, 270, {"RRR", "bdf"}},
        // Even height, 180: the top row is red.
        {{"abc", "def"}, 180, {"RRR", "fed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.source.size() << " rows by " << c.angle);
        const QImage turned = RotateBitmap(letters(c.source), c.angle);
        EXPECT_EQ(turned.format(), QImage::Format_BGR888);
        EXPECT_EQ(readLetters(turned), c.expected);
    }
}

TEST(RotateBitmapTest, AnyFormatIsTurnedToTwentyFourBits)
{
    QImage indexed(4, 2, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 255), qRgb(0, 255, 0)});
    indexed.fill(1);
    const QImage turned = RotateBitmap(indexed, 90);
    ASSERT_EQ(turned.size(), QSize(2, 4));
    EXPECT_EQ(turned.format(), QImage::Format_BGR888);
    EXPECT_EQ(turned.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_TRUE(RotateBitmap(QImage(), 90).isNull());
}

// ---- JPEG reading and writing

TEST_F(ImageFilesTest, LoadsJpegFilesFromAnotherEncoder)
{
    for (bool progressive : {false, true}) {
        SCOPED_TRACE(progressive);
        const QImage picture = gradientPicture(123, 77);
        const QString file = path(progressive ? QStringLiteral("p.jpg") : QStringLiteral("b.JPEG"));
        writeQtJpeg(file, picture, progressive);
        bool ok = false;
        const QImage loaded = LoadImageFile(file, &ok);
        EXPECT_TRUE(ok);
        ASSERT_EQ(loaded.size(), QSize(123, 77));
        EXPECT_EQ(loaded.format(), QImage::Format_BGR888);
        EXPECT_LT(meanDifference(loaded, QImage(file)), 1.0);
        EXPECT_LT(meanDifference(loaded, picture), 6.0);
        EXPECT_EQ(ImageFileSize(file), QSize(123, 77));
    }

    const QString gray = path(QStringLiteral("gray.jpg"));
    writeQtJpeg(gray, gradientPicture(40, 30).convertToFormat(QImage::Format_Grayscale8));
    const QImage loadedGray = LoadImageFile(gray);
    ASSERT_EQ(loadedGray.size(), QSize(40, 30));
    EXPECT_EQ(loadedGray.format(), QImage::Format_BGR888);
    EXPECT_LT(meanDifference(loadedGray, QImage(gray)), 1.0);
}

TEST_F(ImageFilesTest, SavesBaselineJpegOfQualityNinety)
{
    const QString file = path(QStringLiteral("saved.bmp"));  // JPEG whatever the name says
    writeBytes(file, "old contents");
    const QImage picture = gradientPicture(64, 40);
    SaveBitmapAsJpeg(file, picture);
    const QByteArray bytes = readBytes(file);
    ASSERT_TRUE(bytes.startsWith("\xFF\xD8"));
    EXPECT_TRUE(bytes.contains("\xFF\xC0"));   // baseline frame
    EXPECT_FALSE(bytes.contains("\xFF\xC2"));  // never progressive
    // The first quantisation table at quality 90: the DC step 16 scaled by
    // 20% is 3, then 2, 2 along the zigzag.
    const qsizetype dqt = bytes.indexOf("\xFF\xDB");
    ASSERT_GE(dqt, 0);
    EXPECT_EQ(static_cast<int>(static_cast<uchar>(bytes[dqt + 5])), 3);
    EXPECT_EQ(static_cast<int>(static_cast<uchar>(bytes[dqt + 6])), 2);

    QImageReader reader(file);
    reader.setDecideFormatFromContent(true);
    const QImage read = reader.read();
    ASSERT_EQ(read.size(), picture.size());
    EXPECT_LT(meanDifference(read, picture), 6.0);
}

TEST_F(ImageFilesTest, SaveErrorsReachTheCallerAndKeepTheOldFile)
{
    EXPECT_THROW(SaveBitmapAsJpeg(path(QStringLiteral("no/such/dir/x.jpg")), gradientPicture(8, 8)),
                 kv::common::FileWriteError);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("no"))));

    const QString readOnly = path(QStringLiteral("ro.jpg"));
    writeBytes(readOnly, "keep me");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_THROW(SaveBitmapAsJpeg(readOnly, gradientPicture(8, 8)), kv::common::FileWriteError);
    EXPECT_EQ(readBytes(readOnly), QByteArray("keep me"));

    EXPECT_THROW(SaveBitmapAsJpeg(path(QStringLiteral("empty.jpg")), QImage()), kv::common::FileWriteError);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("empty.jpg"))));
}

TEST_F(ImageFilesTest, LoadAndFitDecodesLargeJpegsScaledToTheSameSize)
{
    struct Case {
        QSize picture;
        QSize box;
        double enlargement;
    };
    const Case cases[] = {
        {{1600, 1200}, {200, 200}, 1.5}, {{1203, 1601}, {200, 200}, 1.5}, {{3000, 2000}, {261, 261}, 1.5},
        {{2001, 100}, {200, 200}, 1.5},  {{90, 60}, {200, 200}, 1.5},     {{700, 500}, {640, 480}, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.picture.width() << "x" << c.picture.height());
        const QString file = qtJpeg(QStringLiteral("fit.jpg"), c.picture.width(), c.picture.height());
        const QImage reference =
            FitBitmap(c.box.width(), c.box.height(), true, c.enlargement, LoadImageFile(file));
        bool ok = false;
        const QImage fast = LoadAndFit(file, c.box.width(), c.box.height(), true, c.enlargement, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(fast.size(), FittedSize(c.picture, c.box.width(), c.box.height(), true, c.enlargement));
        EXPECT_EQ(fast.size(), reference.size());
        EXPECT_EQ(fast.format(), QImage::Format_BGR888);
        EXPECT_LT(meanDifference(fast, reference), 3.0);
    }
}

// ---- Unreadable files

TEST_F(ImageFilesTest, EveryUnreadableFileGivesTheErrorImage)
{
    const QString good = qtJpeg(QStringLiteral("good.jpg"), 160, 120);
    const QByteArray jpeg = readBytes(good);

    // Entropy-coded data broken by a marker in the middle.
    QByteArray corrupt = jpeg;
    for (qsizetype i = corrupt.size() / 2; i < corrupt.size() / 2 + 64; i += 2) {
        corrupt[i] = '\xFF';
        corrupt[i + 1] = '\x99';
    }

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"empty.jpg", QByteArray()},
        {"truncated.jpg", jpeg.left(jpeg.size() / 2)},
        {"headeronly.jpg", jpeg.left(200)},
        {"corrupt.jpg", corrupt},
        {"garbage.jpg", QByteArray(5000, 'x')},
        {"png.jpg", [] {
             QByteArray png;
             QBuffer buffer(&png);
             buffer.open(QIODevice::WriteOnly);
             gradientPicture(10, 10).save(&buffer, "PNG");
             return png;
         }()},
        {"empty.bmp", QByteArray()},
        {"garbage.bmp", QByteArray("BM") + QByteArray(100, '\x7F')},
        {"truncated.bmp", [] {
             QByteArray bmp;
             bmp::Encode(gradientPicture(30, 30).convertToFormat(QImage::Format_BGR888), bmp);
             return bmp.left(bmp.size() - 100);
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        writeBytes(file, c.bytes);
        bool ok = true;
        expectErrorImage(LoadImageFile(file, &ok));
        EXPECT_FALSE(ok);
        EXPECT_EQ(ImageFileSize(file), QSize(200, 50));
        // Fitting the error image: 200 x 50 enlarged into the box.
        EXPECT_EQ(LoadAndFit(file, 200, 200, true, 1.5).size(), QSize(200, 50));
        EXPECT_EQ(LoadAndFit(file, 100, 100, true, 1.5).size(), QSize(100, 25));
    }

    // Names that are not files at all.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.jpg")));
    expectErrorImage(LoadImageFile(path(QStringLiteral("folder.jpg"))));
    expectErrorImage(LoadImageFile(path(QStringLiteral("missing.bmp"))));
    // A pipe named like a picture is never opened (reading it would block).
    const QString pipe = path(QStringLiteral("pipe.jpg"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    expectErrorImage(LoadImageFile(pipe));
    EXPECT_EQ(ImageFileSize(pipe), QSize(200, 50));

    // Other kinds and empty names give an empty bitmap, not the error image.
    EXPECT_EQ(LoadImageFile(path(QStringLiteral("anim.gif"))).size(), QSize(0, 0));
    EXPECT_EQ(LoadImageFile(QString()).size(), QSize(0, 0));
    EXPECT_EQ(ImageFileSize(path(QStringLiteral("anim.gif"))), QSize(0, 0));
}

TEST_F(ImageFilesTest, HugeClaimedSizesAreRefusedBeforeAllocating)
{
    // A real JPEG whose frame header is changed to claim 60000 x 60000.
    QByteArray jpeg = readBytes(qtJpeg(QStringLiteral("small.jpg"), 16, 16));
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    for (int at : {5, 7}) {
        jpeg[sof + at] = char(0xEA);
        jpeg[sof + at + 1] = char(0x60);
    }
    const QString huge = path(QStringLiteral("huge.jpg"));
    writeBytes(huge, jpeg);

    const jpeg::DecodeResult result = jpeg::Decode(jpeg);
    EXPECT_TRUE(result.image.isNull());
    EXPECT_EQ(result.fullSize, QSize(60000, 60000));
    EXPECT_TRUE(result.error.contains(QStringLiteral("too large"))) << result.error.toStdString();
    expectErrorImage(LoadImageFile(huge));
    EXPECT_EQ(LoadAndFit(huge, 200, 200, true, 1.5).size(), QSize(200, 50));
    EXPECT_EQ(ImageFileSize(huge), QSize(200, 50));

    // A BMP header claiming the same over a few bytes of pixels.
    QByteArray bmp;
    ASSERT_TRUE(bmp::Encode(gradientPicture(4, 4).convertToFormat(QImage::Format_BGR888), bmp));
    QByteArray lying = bmp;
    const char size60000[4] = {char(0x60), char(0xEA), 0, 0};
    lying.replace(18, 4, size60000, 4);
    lying.replace(22, 4, size60000, 4);
    QImage decoded;
    EXPECT_FALSE(bmp::Decode(lying, decoded));
    // A header claiming 100 rows over 4 rows of pixels.
    QByteArray tall = bmp;
    const char hundred[4] = {100, 0, 0, 0};
    tall.replace(22, 4, hundred, 4);
    EXPECT_FALSE(bmp::Decode(tall, decoded));
    // Pixels said to start past the end of the file.
    QByteArray offset = bmp;
    const char far[4] = {char(0xFF), char(0xFF), 0, 0};
    offset.replace(10, 4, far, 4);
    EXPECT_FALSE(bmp::Decode(offset, decoded));
    // A palette said to hold more colours than fit before the pixels.
    QByteArray indexed;
    QImage eight(4, 4, QImage::Format_Indexed8);
    eight.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6)});
    eight.fill(1);
    ASSERT_TRUE(bmp::Encode(eight, indexed));
    const char many[4] = {0, 1, 0, 0};  // 256 colours, but the pixels start after 256 entries
    indexed.replace(46, 4, many, 4);
    ASSERT_TRUE(bmp::Decode(indexed, decoded));  // exactly 256 entries are stored
    const char tooMany[4] = {0, 2, 0, 0};       // 512: more than 8 bits can index
    indexed.replace(46, 4, tooMany, 4);
    EXPECT_TRUE(bmp::Decode(indexed, decoded));  // read as 256, the stored ones
    const char offsetIntoPalette[4] = {60, 0, 0, 0};
    indexed.replace(10, 4, offsetIntoPalette, 4);
    EXPECT_FALSE(bmp::Decode(indexed, decoded));

    for (const QByteArray& bytes : {lying, tall, offset}) {
        writeBytes(path(QStringLiteral("lying.bmp")), bytes);
        expectErrorImage(LoadImageFile(path(QStringLiteral("lying.bmp"))));
    }
}

// ---- Memory of a decode

TEST_F(ImageFilesTest, SmallFilesClaimingHugePicturesStayWithinTheirMemory)
{
    // 16384 x 16384 in well under 2 MB each: progressive colour, whose
    // coefficients alone would take 800 MB, and baseline grey, which a
    // preview decodes at 1/8 scale but a full decode would need 800 MB for.
    const QString bomb = path(QStringLiteral("bomb.jpg"));
    writeBytes(bomb, flatJpeg(16384, 16384, 3, true));
    const QString wide = path(QStringLiteral("wide.jpg"));
    writeBytes(wide, flatJpeg(16384, 16384, 1, false));
    const QString large = path(QStringLiteral("large.jpg"));  // 48 MB of coefficients: fine
    writeBytes(large, flatJpeg(4096, 4096, 3, true));
    // A run-length coded BMP of 11000 x 11000 in 64 bytes, ended at once.
    QByteArray runLength("BM");
    for (quint32 v : {64u, 0u, 62u, 40u, 11000u, 11000u})
        runLength.append(reinterpret_cast<const char*>(&v), 4);
    for (quint16 v : {quint16(1), quint16(8)})
        runLength.append(reinterpret_cast<const char*>(&v), 2);
    for (quint32 v : {1u, 2u, 2835u, 2835u, 2u, 0u, 0u, 0x00FFFFFFu})
        runLength.append(reinterpret_cast<const char*>(&v), 4);
    runLength.append("\x00\x01", 2);
    const QString coded = path(QStringLiteral("coded.bmp"));
    writeBytes(coded, runLength);
    ASSERT_LT(QFileInfo(bomb).size(), 1 << 20);
    ASSERT_LT(QFileInfo(wide).size(), 2 << 20);
    ErrorImage();  // drawn here, before the children

    enum class Path { Preview, Full, SizeOnly };
    struct Case {
        const char* what;
        QString file;
        Path path;
        bool read;
        QSize size;
    };
    const QSize refused(200, 50);
    const Case cases[] = {
        {"progressive bomb, preview", bomb, Path::Preview, false, refused},
        {"progressive bomb, full", bomb, Path::Full, false, refused},
        {"progressive bomb, size", bomb, Path::SizeOnly, false, refused},
        {"baseline 16384, preview", wide, Path::Preview, true, QSize(200, 200)},
        {"baseline 16384, full", wide, Path::Full, false, refused},
        {"baseline 16384, size", wide, Path::SizeOnly, true, QSize(16384, 16384)},
        {"progressive 4096, preview", large, Path::Preview, true, QSize(200, 200)},
        {"progressive 4096, full", large, Path::Full, true, QSize(4096, 4096)},
        {"run-length BMP 11000, preview", coded, Path::Preview, false, refused},
        {"run-length BMP 11000, full", coded, Path::Full, false, refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The address space may grow by 1 GiB: enough for every decode
        // before, so that the peak itself shows what a decode takes.
        const kv::test::ChildRun run = kv::test::runUnderMemoryLimit(qint64(1) << 30, [&c] {
            QImageReader::setAllocationLimit(0);  // the bounds hold without Qt's own
            bool ok = false;
            QSize size;
            switch (c.path) {
            case Path::Preview: size = LoadAndFit(c.file, 200, 200, true, 1.5, &ok).size(); break;
            case Path::Full: size = LoadImageFile(c.file, &ok).size(); break;
            case Path::SizeOnly: size = ImageFileSize(c.file, &ok); break;
            }
            return kv::test::Answer{ok, size.width(), size.height(), 0};
        });
        ASSERT_TRUE(run.finished) << "child wait status " << run.status;
        EXPECT_EQ(run.answer[0] != 0, c.read);
        EXPECT_EQ(QSize(run.answer[1], run.answer[2]), c.size);
        // A preview stays under 256 MB; a full decode far under the 1.6 GB
        // such a file took before.
        EXPECT_LT(run.peakGrowthMb, c.path == Path::Full ? 576 : 256);
    }
}

TEST_F(ImageFilesTest, DamagedBytesAnywhereNeverCrash)
{
    QByteArray bmp;
    ASSERT_TRUE(bmp::Encode(gradientPicture(21, 13).convertToFormat(QImage::Format_BGR888), bmp));
    QImage eight = gradientPicture(21, 13).convertToFormat(QImage::Format_Indexed8);
    QByteArray bmp8;
    ASSERT_TRUE(bmp::Encode(eight, bmp8));
    const std::pair<QString, QByteArray> originals[] = {
        {path(QStringLiteral("m.jpg")), readBytes(qtJpeg(QStringLiteral("src.jpg"), 64, 48))},
        {path(QStringLiteral("p.jpg")), readBytes(qtJpeg(QStringLiteral("srcp.jpg"), 64, 48, true))},
        {path(QStringLiteral("m.bmp")), bmp},
        {path(QStringLiteral("m8.bmp")), bmp8},
    };
    quint32 state = 7;
    auto random = [&state](quint32 below) {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) % below;
    };
    for (const auto& [file, original] : originals) {
        for (int round = 0; round < 150; ++round) {
            QByteArray bytes = original;
            const int changes = 1 + static_cast<int>(random(4));
            for (int i = 0; i < changes; ++i)
                bytes[random(static_cast<quint32>(std::min<qsizetype>(bytes.size(), 400)))] = char(random(256));
            if (round % 5 == 0)
                bytes.truncate(random(static_cast<quint32>(bytes.size())));
            writeBytes(file, bytes);
            const QImage loaded = LoadImageFile(file);
            ASSERT_FALSE(loaded.isNull());
            EXPECT_LE(qint64(loaded.width()) * loaded.height(), jpeg::kMaxPixels);
            LoadAndFit(file, 50, 50, true, 1.5);
            ImageFileSize(file);
        }
    }
}

TEST_F(ImageFilesTest, UnreadableFileGivesTheErrorImage)
{
    const QString file = qtJpeg(QStringLiteral("locked.jpg"), 20, 20);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0), 0);
    ErrorImage();  // drawn here, before the child below
    // Run as an ordinary user: the superuser may read any file.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                std::_Exit(2);
            bool ok = true;
            const QImage image = LoadImageFile(file, &ok);
            std::_Exit(!ok && image.size() == QSize(200, 50) && ImageFileSize(file) == QSize(200, 50) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// ---- BMP files

TEST_F(ImageFilesTest, BmpFilesKeepTheirFormatAndStoredRows)
{
    QImage palette8(5, 3, QImage::Format_Indexed8);
    palette8.setColorTable({qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)});
    QImage mono(11, 3, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    const QImage sources[] = {
        gradientPicture(5, 3).convertToFormat(QImage::Format_BGR888),   // rows of 15 bytes + 1 padding
        gradientPicture(7, 2).convertToFormat(QImage::Format_RGB555),   // rows of 14 + 2
        gradientPicture(3, 3).convertToFormat(QImage::Format_RGB16),    // 5-6-5 masks
        gradientPicture(3, 4).convertToFormat(QImage::Format_RGB32),
        palette8,
        mono,
    };
    for (QImage source : sources) {
        SCOPED_TRACE(source.format());
        // Fill every stored byte, padding included, with its own value.
        for (int y = 0; y < source.height(); ++y)
            for (int i = 0; i < source.bytesPerLine(); ++i)
                source.scanLine(y)[i] = static_cast<uchar>(
                    source.format() == QImage::Format_Indexed8 ? (y + i) % 3 : 1 + y * 31 + i * 3);
        const QString file = path(QStringLiteral("rows.bmp"));
        SaveBitmapAsBmp(file, source);
        bool ok = false;
        const QImage loaded = LoadImageFile(file, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(loaded.format(), source.format());
        ASSERT_EQ(loaded.size(), source.size());
        ASSERT_EQ(loaded.bytesPerLine(), source.bytesPerLine());
        for (int y = 0; y < source.height(); ++y)
            EXPECT_EQ(std::memcmp(loaded.constScanLine(y), source.constScanLine(y), source.bytesPerLine()), 0);
        // Qt's own reader sees the same picture (16-bit colours widened to
        // 8 bits its own way).
        const QImage byQt(file, "BMP");
        ASSERT_FALSE(byQt.isNull());
        EXPECT_LE(meanDifference(byQt, loaded), source.depth() == 16 ? 4.0 : 0.0);
    }
}

TEST_F(ImageFilesTest, ReadsBmpFilesFromAnotherWriter)
{
    struct Case {
        QImage image;
        const char* name;
    };
    QImage indexed = gradientPicture(9, 6).convertToFormat(QImage::Format_Indexed8);
    const Case cases[] = {
        {gradientPicture(9, 6), "qt24.bmp"},
        {indexed, "qt8.bmp"},
        {gradientPicture(9, 6).convertToFormat(QImage::Format_Mono), "qt1.bmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(c.image.save(file, "BMP"));
        bool ok = false;
        const QImage loaded = LoadImageFile(file, &ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(meanDifference(loaded, QImage(file)), 0.0);
        EXPECT_EQ(ImageFileSize(file), QSize(9, 6));
    }

    // A top-down file (negative height): row 0 is stored first.
    QByteArray bottomUp;
    QImage twoRows(2, 2, QImage::Format_BGR888);
    twoRows.setPixel(0, 0, qRgb(255, 0, 0));
    twoRows.setPixel(1, 0, qRgb(255, 0, 0));
    twoRows.setPixel(0, 1, qRgb(0, 0, 255));
    twoRows.setPixel(1, 1, qRgb(0, 0, 255));
    ASSERT_TRUE(bmp::Encode(twoRows, bottomUp));
    QByteArray topDown = bottomUp.left(54);
    const char minusTwo[4] = {char(0xFE), char(0xFF), char(0xFF), char(0xFF)};
    topDown.replace(22, 4, minusTwo, 4);
    topDown += bottomUp.mid(54 + 8, 8) + bottomUp.mid(54, 8);
    QImage read;
    ASSERT_TRUE(bmp::Decode(topDown, read));
    EXPECT_EQ(read.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(read.pixel(0, 1), qRgb(0, 0, 255));
}

// ---- Rewriting files

TEST_F(ImageFilesTest, ShrinkAndRotateRewriteKeepingTheFileTime)
{
    const QDateTime past = QDateTime::currentDateTime().addDays(-400).addMSecs(-QDateTime::currentMSecsSinceEpoch() % 1000);
    auto setTime = [](const QString& file, const QDateTime& when) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::Append));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    };

    const QString shrunk = qtJpeg(QStringLiteral("shrink.jpg"), 800, 600);
    setTime(shrunk, past);
    EXPECT_TRUE(ShrinkImageFile(shrunk, 100, 100, true, 100, 0));
    EXPECT_EQ(ImageFileSize(shrunk), QSize(100, 75));
    EXPECT_EQ(QFileInfo(shrunk).lastModified(), past);

    const QString shrunkTurned = qtJpeg(QStringLiteral("shrink90.jpg"), 800, 600);
    EXPECT_TRUE(ShrinkImageFile(shrunkTurned, 100, 100, true, 100, 90));
    EXPECT_EQ(ImageFileSize(shrunkTurned), QSize(75, 100));

    const QString turned = qtJpeg(QStringLiteral("turn.jpg"), 64, 32);
    setTime(turned, past);
    EXPECT_TRUE(RotateImageFile(turned, 270));
    EXPECT_EQ(ImageFileSize(turned), QSize(32, 64));
    EXPECT_EQ(QFileInfo(turned).lastModified(), past);

    // Angle 0 leaves the file alone.
    const QString still = qtJpeg(QStringLiteral("still.jpg"), 64, 32);
    const QByteArray stillBytes = readBytes(still);
    EXPECT_FALSE(RotateImageFile(still, 0));
    EXPECT_EQ(readBytes(still), stillBytes);

    // A BMP stays a BMP file.
    const QString bitmap = path(QStringLiteral("turn.bmp"));
    SaveBitmapAsBmp(bitmap, gradientPicture(6, 4).convertToFormat(QImage::Format_BGR888));
    EXPECT_TRUE(RotateImageFile(bitmap, 90));
    EXPECT_TRUE(readBytes(bitmap).startsWith("BM"));
    EXPECT_EQ(ImageFileSize(bitmap), QSize(4, 6));
}

TEST_F(ImageFilesTest, FilesThatCannotBeReadAreNeverReplacedByTheErrorImage)
{
    const QByteArray jpeg = readBytes(qtJpeg(QStringLiteral("src.jpg"), 300, 200));
    const std::pair<const char*, QByteArray> cases[] = {
        {"cut.jpg", jpeg.left(jpeg.size() / 3)},
        {"movie.avi", QByteArray("RIFF....AVI LIST")},
        {"bad.bmp", QByteArray("BM nonsense")},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        const QString file = path(QString::fromLatin1(name));
        writeBytes(file, bytes);
        EXPECT_FALSE(RotateImageFile(file, 90));
        EXPECT_FALSE(ShrinkImageFile(file, 50, 50, true, 100, 90));
        EXPECT_EQ(readBytes(file), bytes);
    }
}

// ---- The placeholder and the error image

TEST_F(ImageFilesTest, PlaceholderPicture)
{
    const QImage photo = NoPhotoImage();
    ASSERT_EQ(photo.size(), QSize(325, 384));
    EXPECT_EQ(NoPhotoSize(), QSize(325, 384));
    EXPECT_EQ(photo.format(), QImage::Format_BGR888);
    const QRgb field = photo.pixel(3, 3);
    EXPECT_EQ(qRed(field), qGreen(field));
    EXPECT_GT(qRed(field), 180);                          // light grey
    EXPECT_EQ(photo.pixel(162, 120), qRgb(255, 255, 255));  // the head
    int dark = 0;                                          // letters on the chest
    for (int y = 262; y < 364; ++y)
        for (int x = 30; x < 295; ++x)
            dark += qGray(photo.pixel(x, y)) < 80;
    EXPECT_GT(dark, 500);

    const QString file = path(QStringLiteral("nophoto.jpg"));
    SaveNoPhoto(file);
    EXPECT_EQ(QImage(file).size(), QSize(325, 384));
    EXPECT_EQ(FitBitmap(200, 200, true, 100, photo).size(), QSize(169, 200));

    const QImage error = ErrorImage();
    ASSERT_EQ(error.size(), QSize(200, 50));
    int ink = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 200; ++x)
            ink += qGray(error.pixel(x, y)) < 128;
    EXPECT_GT(ink, 50);                     // the text is there
    EXPECT_EQ(error.pixel(5, 5), qRgb(255, 255, 255));  // starting at (10, 10)
}

}  // namespace
