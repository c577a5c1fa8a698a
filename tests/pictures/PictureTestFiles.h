#pragma once

// Real picture files for the picture tests: made with Qt's own JPEG and BMP
// writers (so that our decoder is checked against another encoder) or
// written byte by byte where a damaged file is wanted.

#include "support/TestApplication.h"

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace kv::test {

// The GUI application the error image and the placeholder draw their text
// with; off screen.
inline QGuiApplication& pictureApplication()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return testApplication<QGuiApplication>();
}

// A picture with a smooth gradient and a little deterministic noise, so that
// it compresses like a photograph and every region looks different.
inline QImage gradientPicture(int width, int height, int noise = 12, quint32 seed = 1)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 state = seed;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int n = noise > 0 ? static_cast<int>((state >> 24) % (2 * noise + 1)) - noise : 0;
            const int r = std::clamp(x * 255 / std::max(1, width - 1) + n, 0, 255);
            const int g = std::clamp(y * 255 / std::max(1, height - 1) + n, 0, 255);
            const int b = std::clamp(128 + n, 0, 255);
            row[x] = qRgb(r, g, b);
        }
    }
    return image;
}

inline void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// A JPEG written by Qt's own writer.
inline void writeQtJpeg(const QString& path, const QImage& image, bool progressive = false, int quality = 90)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();
}

// A JPEG of any size whose every block is flat grey, written byte by byte:
// each block costs one or two bits, so a huge picture takes a small file
// (16384 x 16384 in under 1 MB), the decompression bomb a decoder must not
// take at its word. Three components are 4:2:0 colour, one is grey.
// Progressive files hold one DC scan per component and nothing else;
// baseline ones one scan of every component, each block a zero DC
// difference and an end of block.
inline QByteArray flatJpeg(int width, int height, int components, bool progressive)
{
    QByteArray out;
    auto put16 = [&out](int v) {
        out.append(char((v >> 8) & 0xFF));
        out.append(char(v & 0xFF));
    };
    auto marker = [&](int code, int length) {
        out.append(char(0xFF));
        out.append(char(code));
        put16(length);
    };
    auto huffmanTable = [&](int classAndId) {  // one code, "0", for the symbol 0
        marker(0xC4, 2 + 1 + 16 + 1);
        out.append(char(classAndId));
        out.append(char(1));
        out.append(QByteArray(15, '\0'));
        out.append(char(0));
    };
    auto entropyData = [&out](qint64 bits) {  // all zero bits, padded with ones
        out.append(QByteArray(static_cast<qsizetype>(bits / 8), '\0'));
        if (bits % 8)
            out.append(char((1 << (8 - bits % 8)) - 1));
    };
    const int colour = components == 3;
    out.append("\xFF\xD8", 2);
    marker(0xDB, 2 + 1 + 64);
    out.append(char(0));
    out.append(QByteArray(64, char(1)));
    marker(progressive ? 0xC2 : 0xC0, 8 + 3 * components);
    out.append(char(8));
    put16(height);
    put16(width);
    out.append(char(components));
    for (int c = 0; c < components; ++c) {
        out.append(char(c + 1));
        out.append(char(c == 0 && colour ? 0x22 : 0x11));
        out.append(char(0));
    }
    huffmanTable(0x00);
    if (!progressive)
        huffmanTable(0x10);
    auto blocks = [](int size, bool half) { return ((half ? (qint64(size) + 1) / 2 : size) + 7) / 8; };
    if (progressive) {
        for (int c = 0; c < components; ++c) {
            marker(0xDA, 6 + 2);
            out.append(char(1));
            out.append(char(c + 1));
            out.append(char(0x00));
            out.append("\x00\x00\x00", 3);  // DC only, first pass
            const bool half = c > 0;  // colour differences at half the size
            entropyData(blocks(width, half) * blocks(height, half));
        }
    } else {
        marker(0xDA, 6 + 2 * components);
        out.append(char(components));
        for (int c = 0; c < components; ++c) {
            out.append(char(c + 1));
            out.append(char(0x00));
        }
        out.append("\x00\x3F\x00", 3);
        const int mcu = colour ? 16 : 8;
        const qint64 units = qint64((width + mcu - 1) / mcu) * ((height + mcu - 1) / mcu);
        entropyData(units * (colour ? 6 : 1) * 2);
    }
    out.append("\xFF\xD9", 2);
    return out;
}

// The mean absolute difference of the colour channels of two pictures of
// one size.
inline double meanDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size() || x.isNull())
        return 1e9;
    double total = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            total += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
                     std::abs(qBlue(p[col]) - qBlue(q[col]));
        }
    }
    return total / (3.0 * x.width() * x.height());
}

}  // namespace kv::test
