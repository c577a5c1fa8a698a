#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <functional>

namespace kv::pictures::jpeg {

// What a decode may take, so that a small file claiming a huge picture (a
// decompression bomb) cannot exhaust the memory. Each is checked before
// anything is allocated:
// - a header may claim at most kMaxPixels (16384 x 16384);
// - the decoded picture, after any scaling, holds at most kMaxPictureBytes
//   (128 million pixels at 24 bits: a full decode of a 16384 x 16384 header
//   is refused, a preview of it is decoded at 1/8 scale);
// - the decoder's own memory stays within kMaxDecoderMemory: progressive and
//   multi-scan files keep the coefficients of the whole picture at full
//   size, even when decoded scaled, so a 1 MB progressive file can claim
//   800 MB of them.
// A preview decode thus stays under 256 MB beside its file, a full decode
// under 550 MB.
inline constexpr qint64 kMaxPixels = qint64(1) << 28;
inline constexpr qint64 kMaxPictureBytes = qint64(384) << 20;
inline constexpr qint64 kMaxDecoderMemory = qint64(160) << 20;

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
// picture, on a file beyond the limits above, and fails on damaged or
// truncated data rather than returning a partly grey picture.
DecodeResult Decode(const QByteArray& data, const MinimumSize& minimumSize = {});

// Whether the data decodes as a whole JPEG; the size from its header when
// it does. Decodes at the smallest scale, so it costs little more than the
// entropy decoding.
bool Decodes(const QByteArray& data, QSize* fullSize = nullptr);

// Encodes the picture as a baseline (not progressive) JPEG with 24-bit
// colour. False with the reason for an empty picture or an encoder error.
bool Encode(const QImage& image, int quality, QByteArray& out, QString* error = nullptr);

}  // namespace kv::pictures::jpeg
