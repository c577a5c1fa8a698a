#pragma once

#include <QByteArray>
#include <QImage>

namespace kv::pictures::bmp {

// Reads a BMP file held in memory. Uncompressed 1-, 8-, 16-, 24- and 32-bit
// files keep their pixel format and their stored rows byte for byte,
// padding included (rows padded to a multiple of 4 bytes, top row first in
// memory); other kinds (4-bit, run-length coded) are converted. A header
// whose sizes do not fit the file, or that claims more than the largest
// accepted picture, is refused before anything is allocated.
bool Decode(const QByteArray& data, QImage& image);

// Writes the picture as an uncompressed BMP file, bottom row first, each
// stored row exactly as the picture holds it in memory (padding included).
// Formats a BMP file cannot hold as they are are written as 24-bit.
bool Encode(const QImage& image, QByteArray& out);

}  // namespace kv::pictures::bmp
