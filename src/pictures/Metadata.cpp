#include "pictures/Metadata.h"

#include <QByteArray>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtDebug>

#include <exiv2/exiv2.hpp>

#include <array>
#include <mutex>
#include <vector>

namespace kv::pictures {

namespace {

constexpr std::array kMetadataExtensions{"jpg", "jpeg", "jpe", "tif", "tiff", "nef"};

constexpr quint16 kExifTitleTag = 0x9C9B;
constexpr quint16 kExifCommentTag = 0x9C9C;
constexpr quint16 kIptcCaption = 120;
constexpr quint16 kIptcSpecialInstructions = 40;
constexpr quint16 kIptcCharacterSet = 90;

// Which item is read: the Exif tag and the IPTC dataset, and what goes before
// an IPTC value.
struct MetadataItem {
    quint16 exifTag;
    quint16 iptcDataset;
    const char* iptcPrefix;
};

constexpr MetadataItem kTitle{.exifTag = kExifTitleTag, .iptcDataset = kIptcCaption, .iptcPrefix = ""};
constexpr MetadataItem kComment{.exifTag = kExifCommentTag, .iptcDataset = kIptcSpecialInstructions,
                                .iptcPrefix = " "};

void logExiv2(int level, const char* message)
{
    if (level >= Exiv2::LogMsg::warn)
        qWarning().noquote() << "Exiv2:" << QString::fromUtf8(message).trimmed();
}

// Exiv2's one-time set-up, made before any thread reads metadata: its
// messages go to the log instead of standard error.
void setUpExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
        Exiv2::LogMsg::setHandler(logExiv2);
        Exiv2::XmpParser::initialize();
    });
}

bool examined(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const char* extension : kMetadataExtensions)
        if (suffix == QLatin1String(extension))
            return true;
    return false;
}

QByteArray valueBytes(const Exiv2::Value& value)
{
    std::vector<Exiv2::byte> bytes(value.size());
    if (!bytes.empty())
        value.copy(bytes.data(), Exiv2::littleEndian);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// UTF-16LE text up to its terminating zero unit.
QString utf16Text(const QByteArray& bytes)
{
    QString text;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<quint8>(bytes[i]) | (static_cast<quint8>(bytes[i + 1]) << 8));
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

QString exifValue(const Exiv2::ExifData& exif, quint16 tag)
{
    for (const auto& datum : exif)
        if (datum.tag() == tag && datum.groupName() == "Image")
            return utf16Text(valueBytes(datum.value()));
    return QString();
}

bool iptcIsUtf8(const Exiv2::IptcData& iptc)
{
    for (const auto& datum : iptc)
        if (datum.record() == Exiv2::IptcDataSets::envelope && datum.tag() == kIptcCharacterSet)
            return valueBytes(datum.value()) == QByteArray("\x1B%G");
    return false;
}

QString iptcValue(const Exiv2::IptcData& iptc, quint16 dataset)
{
    QByteArray last;
    for (const auto& datum : iptc)
        if (datum.record() == Exiv2::IptcDataSets::application2 && datum.tag() == dataset)
            last = valueBytes(datum.value());
    if (iptcIsUtf8(iptc)) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        return utf8.decode(last);
    }
    return QString::fromLatin1(last);
}

QString readItem(const QString& fileName, const MetadataItem& item)
{
    if (!examined(fileName))
        return QString();
    setUpExiv2();
    try {
        auto image = Exiv2::ImageFactory::open(QFile::encodeName(fileName).toStdString());
        if (!image.get())
            return QString();
        image->readMetadata();
        QString text = exifValue(image->exifData(), item.exifTag);
        const QString iptc = iptcValue(image->iptcData(), item.iptcDataset);
        if (!iptc.isEmpty())
            text = QLatin1String(item.iptcPrefix) + iptc;
        return text;
    } catch (const Exiv2::AnyError& e) {
        qWarning().noquote() << "Exiv2:" << fileName << QString::fromUtf8(e.what());
    } catch (const std::exception& e) {
        qWarning().noquote() << "Exiv2:" << fileName << QString::fromUtf8(e.what());
    }
    return QString();
}

}  // namespace

QString MetadataTitle(const QString& fileName)
{
    return readItem(fileName, kTitle);
}

QString MetadataComment(const QString& fileName)
{
    return readItem(fileName, kComment);
}

}  // namespace kv::pictures
