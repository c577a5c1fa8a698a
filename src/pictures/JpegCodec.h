#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

namespace kv::pictures::jpeg {

// The largest picture decoded: a header claiming more pixels is refused
// before anything is allocated (about 800 MB at 24 bits per pixel).
inline constexpr qint64 kMaxPixels = qint64(1) << 28;

// Given the picture's full size, the smallest decoded size that will do;
// the decoder then scales down in the DCT domain (by 1/8 up to 8/8) as far
// as it can while staying at least that large in both directions.
using MinimumSize = std::function<QSize(const QSize& fullSize)>;

struct DecodeResult {
    QImage image;    // 24-bit (blue, green, red bytes); null on failure
    QSize fullSize;  // the size the header gives (valid once it was read)
    QString error;   // why decoding failed
};

// Decodes a whole JPEG file held in memory. Fails, without allocating the
// picture, on a header over kMaxPixels, and fails on damaged or truncated
// data rather than returning a partly grey picture.
DecodeResult Decode(const QByteArray& data, const MinimumSize& minimumSize = {});

// Whether the data decodes as a whole JPEG; the size from its header when
// it does. Decodes at the smallest scale, so it costs little more than the
// entropy decoding.
bool Decodes(const QByteArray& data, QSize* fullSize = nullptr);

// Encodes the picture as a baseline (not progressive) JPEG with 24-bit
// colour. False with the reason for an empty picture or an encoder error.
bool Encode(const QImage& image, int quality, QByteArray& out, QString* error = nullptr);

}  // namespace kv::pictures::jpeg
