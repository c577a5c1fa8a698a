#include "reference/TextFiles.h"

#include "common/FileOperations.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace kv::reference {

namespace {

constexpr qsizetype kFlushBytes = 256 * 1024;
constexpr qsizetype kBinaryProbeBytes = 64 * 1024;

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five bytes the
// code page leaves unassigned are kept as the control characters of the
// same number, as Windows itself reads them.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString decodeWindows1252(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *d++ = (b >= 0x80 && b <= 0x9F) ? QChar(kWindows1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> prefix)
{
    if (bytes.size() < static_cast<qsizetype>(prefix.size()))
        return false;
    qsizetype i = 0;
    for (const unsigned char b : prefix)
        if (static_cast<unsigned char>(bytes[i++]) != b)
            return false;
    return true;
}

bool isUtf16(const QByteArray& bytes) { return startsWith(bytes, {0xFF, 0xFE}) || startsWith(bytes, {0xFE, 0xFF}); }

}  // namespace

QString DecodeTextBytes(const QByteArray& bytes, TextEncoding* encoding)
{
    auto report = [encoding](TextEncoding e) {
        if (encoding)
            *encoding = e;
    };
    if (isUtf16(bytes)) {
        report(TextEncoding::Utf16);
        QStringDecoder decoder(startsWith(bytes, {0xFF, 0xFE}) ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return decoder.decode(bytes.mid(2));
    }
    const QByteArray body = startsWith(bytes, {0xEF, 0xBB, 0xBF}) ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError()) {
        report(TextEncoding::Utf8);
        return text;
    }
    report(TextEncoding::Windows1252);
    return decodeWindows1252(body);
}

QStringList SplitTextLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\n' && c != u'\r')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

TextFileLines ReadTextFileLines(const QString& fileName)
{
    TextFileLines result;
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists() || info.isDir()) {
        result.status = TextFileLines::Status::Missing;
        return result;
    }
    // Only a regular file is read: a pipe or a device could block the
    // window that asked for it forever.
    QByteArray bytes;
    if (!common::ReadWholeFile(fileName, bytes)) {
        result.status = TextFileLines::Status::Unreadable;
        return result;
    }
    if (!isUtf16(bytes) && bytes.left(kBinaryProbeBytes).contains('\0')) {
        result.status = TextFileLines::Status::Binary;
        return result;
    }
    result.lines = SplitTextLines(DecodeTextBytes(bytes, &result.encoding));
    result.status = TextFileLines::Status::Ok;
    return result;
}

TextFileWriter::TextFileWriter(const QString& fileName)
    : m_file(fileName)
{
}

TextFileWriter::~TextFileWriter()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

bool TextFileWriter::open()
{
    if (QFileInfo(m_file.fileName()).isDir())
        return false;
    return m_file.open(QIODevice::WriteOnly);
}

void TextFileWriter::writeLine(const QString& line)
{
    m_buffer += line.toUtf8();
    m_buffer += "\r\n";
    if (m_buffer.size() >= kFlushBytes)
        flush();
}

void TextFileWriter::flush()
{
    if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
        m_failed = true;
    m_buffer.clear();
}

bool TextFileWriter::commit()
{
    flush();
    if (m_failed) {
        m_file.cancelWriting();
        m_file.commit();
        return false;
    }
    return m_file.commit();
}

}  // namespace kv::reference
