#include "pictures/BmpCodec.h"

#include "pictures/JpegCodec.h"

#include <QBuffer>
#include <QImageReader>

#include <cstring>

namespace kv::pictures::bmp {

namespace {

constexpr quint32 kRgb = 0;
constexpr quint32 kBitFields = 3;
constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;

quint16 u16(const uchar* p) { return static_cast<quint16>(p[0] | (p[1] << 8)); }
quint32 u32(const uchar* p) { return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24); }
qint32 i32(const uchar* p) { return static_cast<qint32>(u32(p)); }

void put16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void put32(QByteArray& out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

qint64 storedRowSize(qint64 width, int bits) { return ((width * bits + 31) / 32) * 4; }

// Run-length coded files hold a huge picture in a few bytes; no real one
// comes near 32 million pixels. At 4 bytes per pixel, and the 3 of a fitted
// preview's working copy, that stays under 256 MB.
constexpr qint64 kMaxConvertedPixels = qint64(1) << 25;

// Other kinds, through Qt's reader, refused beyond the limit before the
// reader allocates anything, whatever allocation limit the reader has.
bool decodeConverted(const QByteArray& data, QImage& image)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kMaxConvertedPixels)
        return false;
    image = reader.read();
    return !image.isNull();
}

}  // namespace

bool Decode(const QByteArray& data, QImage& image)
{
    image = QImage();
    const qint64 fileSize = data.size();
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    if (fileSize < kFileHeader + 12 || bytes[0] != 'B' || bytes[1] != 'M')
        return false;
    const qint64 pixelOffset = u32(bytes + 10);
    const qint64 infoSize = u32(bytes + 14);
    if (infoSize != 12 && (infoSize < kInfoHeader || infoSize > 1024))
        return false;
    if (kFileHeader + infoSize > fileSize)
        return false;
    const uchar* info = bytes + kFileHeader;

    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    quint32 compression = kRgb;
    qint64 colorsUsed = 0;
    bool topDown = false;
    int paletteEntrySize = 4;
    if (infoSize == 12) {
        width = u16(info + 4);
        height = u16(info + 6);
        bits = u16(info + 10);
        paletteEntrySize = 3;
    } else {
        width = i32(info + 4);
        const qint32 h = i32(info + 8);
        topDown = h < 0;
        height = topDown ? -qint64(h) : qint64(h);
        bits = u16(info + 14);
        compression = u32(info + 16);
        colorsUsed = u32(info + 32);
    }
    if (width <= 0 || height <= 0 || width * height > jpeg::kMaxPixels)
        return false;

    // Masks of 16- and 32-bit files: inside a longer header, or right after
    // the 40-byte one.
    quint32 masks[3] = {0, 0, 0};
    qint64 paletteOffset = kFileHeader + infoSize;
    if (compression == kBitFields) {
        if (infoSize >= 52) {
            for (int i = 0; i < 3; ++i)
                masks[i] = u32(info + 40 + 4 * i);
        } else {
            if (paletteOffset + 12 > fileSize)
                return false;
            for (int i = 0; i < 3; ++i)
                masks[i] = u32(bytes + paletteOffset + 4 * i);
            paletteOffset += 12;
        }
    }

    QImage::Format format = QImage::Format_Invalid;
    if (compression == kRgb) {
        switch (bits) {
        case 1: format = QImage::Format_Mono; break;
        case 8: format = QImage::Format_Indexed8; break;
        case 16: format = QImage::Format_RGB555; break;
        case 24: format = QImage::Format_BGR888; break;
        case 32: format = QImage::Format_RGB32; break;
        default: break;
        }
    } else if (compression == kBitFields) {
        if (bits == 16 && masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F)
            format = QImage::Format_RGB555;
        else if (bits == 16 && masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F)
            format = QImage::Format_RGB16;
        else if (bits == 32 && masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF)
            format = QImage::Format_RGB32;
    }
    if (format == QImage::Format_Invalid)
        return decodeConverted(data, image);

    // The stored rows must be in the file, which keeps the picture no larger
    // than the file; and no larger than a decoded picture may be.
    const qint64 rowSize = storedRowSize(width, bits);
    if (pixelOffset < paletteOffset || pixelOffset > fileSize || rowSize * height > fileSize - pixelOffset ||
        rowSize * height > jpeg::kMaxPictureBytes)
        return false;

    QList<QRgb> palette;
    if (bits <= 8) {
        const qint64 entries = 1 << bits;
        qint64 stored = colorsUsed > 0 ? colorsUsed : entries;
        if (stored > entries)
            stored = entries;
        if (paletteOffset + stored * paletteEntrySize > pixelOffset)
            return false;
        palette.reserve(entries);
        for (qint64 i = 0; i < stored; ++i) {
            const uchar* e = bytes + paletteOffset + i * paletteEntrySize;
            palette << qRgb(e[2], e[1], e[0]);
        }
        while (palette.size() < entries)
            palette << qRgb(0, 0, 0);  // indices past the stored palette read as black
    }

    QImage decoded(static_cast<int>(width), static_cast<int>(height), format);
    if (decoded.isNull() || decoded.bytesPerLine() != rowSize)
        return false;
    if (!palette.isEmpty())
        decoded.setColorTable(palette);
    for (qint64 y = 0; y < height; ++y) {
        const qint64 stored = topDown ? y : height - 1 - y;
        std::memcpy(decoded.scanLine(static_cast<int>(y)), bytes + pixelOffset + stored * rowSize,
                    static_cast<size_t>(rowSize));
    }
    image = std::move(decoded);
    return true;
}

bool Encode(const QImage& source, QByteArray& out)
{
    out.clear();
    if (source.isNull())
        return false;
    QImage image = source;
    int bits = 0;
    quint32 compression = kRgb;
    switch (image.format()) {
    case QImage::Format_Mono: bits = 1; break;
    case QImage::Format_Indexed8: bits = 8; break;
    case QImage::Format_RGB555: bits = 16; break;
    case QImage::Format_RGB16:
        bits = 16;
        compression = kBitFields;
        break;
    case QImage::Format_BGR888: bits = 24; break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32: bits = 32; break;
    default:
        image = source.convertToFormat(QImage::Format_BGR888);
        bits = 24;
        break;
    }
    QList<QRgb> palette;
    if (bits <= 8) {
        palette = image.colorTable();
        const int entries = 1 << bits;
        while (palette.size() < entries)
            palette << qRgb(0, 0, 0);
        palette.resize(entries);
    }
    const qint64 rowSize = image.bytesPerLine();
    const qint64 height = image.height();
    const qint64 masksSize = compression == kBitFields ? 12 : 0;
    const qint64 pixelOffset = kFileHeader + kInfoHeader + masksSize + 4 * palette.size();
    const qint64 imageSize = rowSize * height;
    const qint64 total = pixelOffset + imageSize;
    if (total > 0xFFFFFFFFLL)
        return false;

    out.reserve(static_cast<qsizetype>(total));
    out.append("BM", 2);
    put32(out, static_cast<quint32>(total));
    put32(out, 0);
    put32(out, static_cast<quint32>(pixelOffset));
    put32(out, kInfoHeader);
    put32(out, static_cast<quint32>(image.width()));
    put32(out, static_cast<quint32>(height));
    put16(out, 1);
    put16(out, static_cast<quint16>(bits));
    put32(out, compression);
    put32(out, static_cast<quint32>(imageSize));
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, static_cast<quint32>(palette.size()));
    put32(out, 0);
    if (compression == kBitFields) {
        put32(out, 0xF800);
        put32(out, 0x07E0);
        put32(out, 0x001F);
    }
    for (QRgb colour : palette) {
        out.append(char(qBlue(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qRed(colour)));
        out.append(char(0));
    }
    for (qint64 y = height - 1; y >= 0; --y)
        out.append(reinterpret_cast<const char*>(image.constScanLine(static_cast<int>(y))),
                   static_cast<qsizetype>(rowSize));
    return true;
}

}  // namespace kv::pictures::bmp
