#pragma once

#include <QImage>

#include <algorithm>

namespace kv::bench {

// A camera-sized picture with gradients and noise, so that it compresses
// like a photo; the seed varies its tint and noise.
inline QImage cameraPicture(quint32 seed, int width = 4000, int height = 3000)
{
    QImage image(width, height, QImage::Format_BGR888);
    quint32 state = seed * 2654435761u + 1;
    const int tint = static_cast<int>(seed % 64);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x, row += 3) {
            state = state * 1664525u + 1013904223u;
            const int noise = static_cast<int>((state >> 27) & 15) - 8;
            row[0] = static_cast<uchar>(std::clamp(64 + tint + (x + y) * 96 / (width + height) + noise, 0, 255));
            row[1] = static_cast<uchar>(std::clamp(y * 200 / height + noise, 0, 255));
            row[2] = static_cast<uchar>(std::clamp(x * 220 / width + noise, 0, 255));
        }
    }
    return image;
}

}  // namespace kv::bench
