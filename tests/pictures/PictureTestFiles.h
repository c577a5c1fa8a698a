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
