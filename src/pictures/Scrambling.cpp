#include "pictures/Scrambling.h"

#include "common/FileOperations.h"
#include "pictures/BmpCodec.h"
#include "pictures/ImageFiles.h"
#include "pictures/JpegCodec.h"

#include <QMutex>
#include <QMutexLocker>

#include <utility>

namespace kv::pictures {

namespace {

constexpr qint32 kModulus = 2147483647;
constexpr qint32 kMultiplier = 16807;
constexpr qint32 kQuotient = 127773;
constexpr qint32 kRemainder = 2836;
constexpr qint64 kDivisor = 2147483645;

QMutex g_generatorMutex;
KeyStream g_generator = KeyStream::fromState(KeyHash(QByteArray()));

// Characters 0x80 to 0x9F of Windows-1252; 0 where the code page has none.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char cp1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (int i = 0; i < 32; ++i) {
        if (kCp1252High[i] != 0 && kCp1252High[i] == c)
            return static_cast<char>(0x80 + i);
    }
    if (c >= 0x80 && c <= 0x9F && kCp1252High[c - 0x80] == 0)
        return static_cast<char>(c);  // the code page's unused positions
    return '?';
}

// The mix step on one stored row: swap i and end - i for i = 0, 3, 6, ...;
// the first swap is always made, the next ones while i <= end div 2. It is
// its own inverse.
void mixRow(uchar* row, qsizetype length)
{
    const qsizetype end = length - 1;
    qsizetype i = 0;
    do {
        std::swap(row[i], row[end - i]);
        i += 3;
    } while (i <= end / 2);
}

bool readFile(const QString& fileName, QByteArray& bytes)
{
    return common::ReadWholeFile(fileName, bytes);
}

}  // namespace

QByteArray KeyBytes(const QString& key)
{
    QByteArray bytes;
    bytes.reserve(key.size());
    for (QChar c : key)
        bytes.append(cp1252Byte(c.unicode()));
    return bytes;
}

qint32 KeyHash(const QByteArray& key)
{
    if (key.isEmpty())
        return 2137585;
    quint32 h = 0;
    for (char c : key)
        h = (h + 7u * static_cast<quint8>(c)) * 3u;
    h += 701u * static_cast<quint32>(key.size());
    return static_cast<qint32>(h);
}

KeyStream::KeyStream(const QByteArray& key)
    : m_state(KeyHash(key))
{
}

KeyStream KeyStream::fromState(qint32 state)
{
    KeyStream stream;
    stream.m_state = state;
    return stream;
}

qint32 KeyStream::next()
{
    // Division truncates toward zero and the remainder takes the dividend's
    // sign, as Schrage's form expects; no step can overflow 32 bits.
    qint32 s = kMultiplier * (m_state % kQuotient) - kRemainder * (m_state / kQuotient);
    if (s <= 0)
        s += kModulus;
    m_state = s;
    return s - 1;
}

qint32 KeyStream::below(qint32 n)
{
    const qint64 v = next();
    return static_cast<qint32>(v * n / kDivisor);
}

void KeyStream::apply(char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        data[i] = static_cast<char>(static_cast<quint8>(data[i]) ^ nextByte());
}

void SeedFromKey(const QByteArray& key)
{
    QMutexLocker lock(&g_generatorMutex);
    g_generator = KeyStream(key);
}

qint32 NextRandom()
{
    QMutexLocker lock(&g_generatorMutex);
    return g_generator.next();
}

qint32 RandomBelow(qint32 n)
{
    QMutexLocker lock(&g_generatorMutex);
    return g_generator.below(n);
}

void ScrambleBytes(QByteArray& bytes, const QByteArray& key)
{
    KeyStream stream(key);
    stream.apply(bytes);
}

bool ScrambleFile(const QString& fileName, const QByteArray& key)
{
    QByteArray bytes;
    if (!readFile(fileName, bytes))
        return false;
    ScrambleBytes(bytes, key);
    common::WriteFileReplacing(fileName, bytes);
    return true;
}

QByteArray LoadUnscrambled(const QString& fileName, const QByteArray& key, bool writeBack)
{
    QByteArray bytes;
    if (!readFile(fileName, bytes))
        return QByteArray();
    ScrambleBytes(bytes, key);
    if (writeBack)
        common::WriteFileReplacing(fileName, bytes);
    return bytes;
}

bool RekeyFile(const QString& fileName, const QByteArray& oldKey, const QByteArray& newKey)
{
    QByteArray bytes;
    if (!readFile(fileName, bytes))
        return false;
    ScrambleBytes(bytes, oldKey);
    ScrambleBytes(bytes, newKey);
    common::WriteFileReplacing(fileName, bytes);
    return true;
}

void ScrambleBitmapRows(QImage& bitmap, const QByteArray& key)
{
    if (bitmap.isNull())
        return;
    KeyStream stream(key);
    const qsizetype length = bitmap.bytesPerLine();
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* row = bitmap.scanLine(y);
        mixRow(row, length);
        stream.apply(reinterpret_cast<char*>(row), length);
    }
}

void UnscrambleBitmapRows(QImage& bitmap, const QByteArray& key)
{
    if (bitmap.isNull())
        return;
    KeyStream stream(key);
    const qsizetype length = bitmap.bytesPerLine();
    for (int y = 0; y < bitmap.height(); ++y) {
        uchar* row = bitmap.scanLine(y);
        stream.apply(reinterpret_cast<char*>(row), length);
        mixRow(row, length);
    }
}

bool ScramblePreviewFile(const QString& fileName, const QString& key)
{
    if (key.isEmpty())
        return false;
    switch (ImageKindOf(fileName)) {
    case ImageKind::Jpeg:
        return ScrambleFile(fileName, KeyBytes(key));
    case ImageKind::Bmp: {
        QByteArray bytes;
        QImage bitmap;
        if (!readFile(fileName, bytes) || !bmp::Decode(bytes, bitmap))
            return false;
        ScrambleBitmapRows(bitmap, KeyBytes(key));
        SaveBitmapAsBmp(fileName, bitmap);
        return true;
    }
    case ImageKind::Other:
        break;
    }
    return false;
}

bool IsScrambledPreview(const QString& fileName)
{
    if (fileName.isEmpty() || ImageKindOf(fileName) != ImageKind::Jpeg)
        return false;
    QByteArray bytes;
    return !readFile(fileName, bytes) || !jpeg::Decodes(bytes);
}

bool OpensWithKey(const QString& fileName, const QByteArray& key)
{
    const QByteArray bytes = LoadUnscrambled(fileName, key, false);
    return !bytes.isEmpty() && jpeg::Decodes(bytes);
}

void RekeyPreviewFile(const QString& fileName, const QString& oldKey, const QString& newKey)
{
    if (ImageKindOf(fileName) != ImageKind::Jpeg)
        return;
    const QByteArray newBytes = KeyBytes(newKey);
    if (!IsScrambledPreview(fileName)) {
        if (!newKey.isEmpty())
            ScrambleFile(fileName, newBytes);
        return;
    }
    const QByteArray oldBytes = KeyBytes(oldKey);
    if (!OpensWithKey(fileName, oldBytes))
        return;  // another key, damaged or missing: left alone
    if (!newKey.isEmpty())
        RekeyFile(fileName, oldBytes, newBytes);
    else
        LoadUnscrambled(fileName, oldBytes, true);
}

}  // namespace kv::pictures
