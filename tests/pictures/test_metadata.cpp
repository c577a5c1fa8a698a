// The title and comment read from picture files, on JPEG files whose Exif
// and IPTC segments are written byte by byte here.

#include "pictures/Metadata.h"
#include "pictures/PictureTestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace kv::pictures {
namespace {

void appendBigEndian16(QByteArray& bytes, int value)
{
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
    bytes.append(static_cast<char>(value & 0xFF));
}

void appendLittleEndian16(QByteArray& bytes, int value)
{
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>((value >> 8) & 0xFF));
}

void appendLittleEndian32(QByteArray& bytes, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.append(static_cast<char>((value >> shift) & 0xFF));
}

QByteArray segment(int marker, const QByteArray& payload)
{
    QByteArray bytes;
    bytes.append(char(0xFF));
    bytes.append(static_cast<char>(marker));
    appendBigEndian16(bytes, static_cast<int>(payload.size()) + 2);
    return bytes + payload;
}

QByteArray utf16Bytes(const QString& text)
{
    QByteArray bytes;
    for (QChar c : text)
        appendLittleEndian16(bytes, c.unicode());
    appendLittleEndian16(bytes, 0);
    return bytes;
}

// An Exif APP1 segment, little-endian, whose first directory holds the
// given BYTE tags.
QByteArray exifSegment(const std::vector<std::pair<int, QByteArray>>& tags)
{
    QByteArray tiff("II*\0", 4);
    appendLittleEndian32(tiff, 8);
    const auto count = static_cast<quint32>(tags.size());
    quint32 dataOffset = 8 + 2 + 12 * count + 4;
    QByteArray data;
    appendLittleEndian16(tiff, static_cast<int>(count));
    for (const auto& [tag, value] : tags) {
        appendLittleEndian16(tiff, tag);
        appendLittleEndian16(tiff, 1);
        appendLittleEndian32(tiff, static_cast<quint32>(value.size()));
        QByteArray padded = value;
        if (padded.size() <= 4) {
            padded.append(QByteArray(4 - padded.size(), '\0'));
            tiff.append(padded);
        } else {
            appendLittleEndian32(tiff, dataOffset + static_cast<quint32>(data.size()));
            data.append(padded);
            if (data.size() % 2)
                data.append('\0');
        }
    }
    appendLittleEndian32(tiff, 0);
    return segment(0xE1, QByteArray("Exif\0\0", 6) + tiff + data);
}

struct Dataset {
    int record;
    int number;
    QByteArray data;
};

// A "Photoshop 3.0" APP13 segment holding one IPTC resource (0x0404).
QByteArray iptcSegment(const std::vector<Dataset>& datasets)
{
    QByteArray iptc;
    for (const auto& dataset : datasets) {
        iptc.append(char(0x1C));
        iptc.append(static_cast<char>(dataset.record));
        iptc.append(static_cast<char>(dataset.number));
        appendBigEndian16(iptc, static_cast<int>(dataset.data.size()));
        iptc.append(dataset.data);
    }
    QByteArray resource("8BIM", 4);
    appendBigEndian16(resource, 0x0404);
    resource.append(QByteArray(2, '\0'));  // empty name, padded
    resource.append(static_cast<char>((iptc.size() >> 24) & 0xFF));
    resource.append(static_cast<char>((iptc.size() >> 16) & 0xFF));
    appendBigEndian16(resource, static_cast<int>(iptc.size()));
    resource.append(iptc);
    if (resource.size() % 2)
        resource.append('\0');
    return segment(0xED, QByteArray("Photoshop 3.0\0", 14) + resource);
}

QByteArray plainJpeg()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    test::gradientPicture(16, 12).save(&buffer, "JPEG");
    return bytes;
}

// The plain JPEG with the segments placed straight after its start marker.
QByteArray jpegWith(const QByteArray& segments)
{
    const QByteArray plain = plainJpeg();
    return plain.left(2) + segments + plain.mid(2);
}

class MetadataTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::pictureApplication();
        ASSERT_TRUE(dir.isValid());
    }
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        test::writeBytes(path, bytes);
        return path;
    }
    QTemporaryDir dir;
};

struct MetadataCase {
    const char* name;
    QByteArray segments;
    QString title;
    QString comment;
};

TEST_F(MetadataTest, TitleAndCommentFromExifAndIptc)
{
    const QByteArray beach = exifSegment({{0x9C9B, utf16Bytes("Beach")}});
    const std::vector<MetadataCase> cases{
        {.name = "none", .segments = {}, .title = "", .comment = ""},
        {.name = "exif title", .segments = beach, .title = "Beach", .comment = ""},
        {.name = "exif outside latin-1",
         .segments = exifSegment({{0x9C9B, utf16Bytes(QString::fromUtf8("Łódź 東京"))},
                                  {0x9C9C, utf16Bytes("Sunny")}}),
         .title = QString::fromUtf8("Łódź 東京"),
         .comment = "Sunny"},
        {.name = "iptc over exif",
         .segments = beach + iptcSegment({{2, 120, "Sunset"}}),
         .title = "Sunset",
         .comment = ""},
        {.name = "empty iptc keeps exif",
         .segments = beach + iptcSegment({{2, 120, ""}}),
         .title = "Beach",
         .comment = ""},
        {.name = "special instructions keep their blank",
         .segments = iptcSegment({{2, 40, "Handle with care"}}),
         .title = "",
         .comment = " Handle with care"},
        {.name = "caption writer is no caption",
         .segments = iptcSegment({{2, 122, "Image caption writer"}}),
         .title = "",
         .comment = ""},
        {.name = "utf-8 when the character set says so",
         .segments = iptcSegment({{1, 90, "\x1B%G"}, {2, 120, "Caf\xC3\xA9"}}),
         .title = QString::fromUtf8("Café"),
         .comment = ""},
        {.name = "latin-1 otherwise",
         .segments = iptcSegment({{2, 120, "Caf\xE9"}}),
         .title = QString::fromUtf8("Café"),
         .comment = ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = write("picture.jpg", jpegWith(c.segments));
        EXPECT_EQ(MetadataTitle(path), c.title);
        EXPECT_EQ(MetadataComment(path), c.comment);
    }
}

TEST_F(MetadataTest, OnlyPictureExtensionsAreExamined)
{
    const QByteArray bytes = jpegWith(exifSegment({{0x9C9B, utf16Bytes("Beach")}}));
    const std::vector<std::pair<const char*, const char*>> names{
        {"a.JPG", "Beach"}, {"b.Jpeg", "Beach"}, {"c.jpe", "Beach"}, {"d.bmp", ""}, {"e.png", ""}, {"f", ""}};
    for (const auto& [name, title] : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(MetadataTitle(write(name, bytes)), QString::fromLatin1(title));
    }
    EXPECT_EQ(MetadataTitle(dir.filePath("missing.jpg")), QString());
    EXPECT_EQ(MetadataTitle(write("empty.jpg", QByteArray())), QString());
}

// Every truncation and a run of damaged bytes over the metadata segments:
// the readers return (some text or none) without crashing or hanging.
TEST_F(MetadataTest, DamagedFilesGiveTextOrNothing)
{
    const QByteArray segments = exifSegment({{0x9C9B, utf16Bytes("Beach")}, {0x9C9C, utf16Bytes("Sunny")}}) +
                                iptcSegment({{1, 90, "\x1B%G"}, {2, 120, "Sunset"}, {2, 40, "Care"}});
    const QByteArray good = jpegWith(segments);
    const qsizetype end = 2 + segments.size();
    for (qsizetype length = 0; length < end + 8; ++length) {
        const QString path = write("cut.jpg", good.left(length));
        (void)MetadataTitle(path);
        (void)MetadataComment(path);
    }
    for (qsizetype at = 2; at < end; ++at) {
        for (char value : {char(0x00), char(0xFF), char(0x7F)}) {
            QByteArray damaged = good;
            damaged[at] = value;
            const QString path = write("bad.jpg", damaged);
            (void)MetadataTitle(path);
            (void)MetadataComment(path);
        }
    }
    EXPECT_EQ(MetadataTitle(write("good.jpg", good)), "Sunset");
}

}  // namespace
}  // namespace kv::pictures
