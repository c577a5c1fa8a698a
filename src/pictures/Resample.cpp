#include "pictures/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace kv::pictures {

namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

// For each result position: the first source position it covers and the
// fixed-point weights of the source positions it covers, summing to one.
struct Contributions {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset;  // into weights
    std::vector<std::int32_t> weights;
};

Contributions contributions(int sourceSize, int resultSize)
{
    Contributions c;
    c.first.resize(resultSize);
    c.count.resize(resultSize);
    c.offset.resize(resultSize);
    const double scale = double(sourceSize) / double(resultSize);
    c.weights.reserve(static_cast<size_t>(resultSize) * (static_cast<size_t>(std::ceil(scale)) + 2));
    for (int x = 0; x < resultSize; ++x) {
        const double left = x * scale;
        const double right = std::min(double(sourceSize), (x + 1) * scale);
        const int from = std::min(sourceSize - 1, static_cast<int>(std::floor(left)));
        const int to = std::clamp(static_cast<int>(std::ceil(right)), from + 1, sourceSize);
        c.first[x] = from;
        c.offset[x] = static_cast<int>(c.weights.size());
        int sum = 0;
        int largest = -1;
        for (int i = from; i < to; ++i) {
            const double overlap = std::min(right, double(i + 1)) - std::max(left, double(i));
            const int w = std::max(0, static_cast<int>(std::lround(overlap / (right - left) * kWeightOne)));
            c.weights.push_back(w);
            sum += w;
            if (largest < 0 || w > c.weights[static_cast<size_t>(c.offset[x] + largest)])
                largest = i - from;
        }
        // Rounding may leave the sum a little off one: the largest weight takes it.
        c.weights[static_cast<size_t>(c.offset[x] + largest)] += kWeightOne - sum;
        c.count[x] = to - from;
    }
    return c;
}

}  // namespace

QImage AreaAverage(const QImage& input, int width, int height)
{
    if (input.isNull() || input.width() <= 0 || input.height() <= 0 || width <= 0 || height <= 0)
        return QImage();
    const QImage source =
        input.format() == QImage::Format_BGR888 ? input : input.convertToFormat(QImage::Format_BGR888);
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    QImage result(width, height, QImage::Format_BGR888);
    if (result.isNull())
        return QImage();

    if (sourceWidth == width && sourceHeight == height)
        return source.copy();

    const Contributions across = contributions(sourceWidth, width);
    const Contributions down = contributions(sourceHeight, height);

    // Pass 1: each source row narrowed to the result width, kept with
    // eight extra bits of precision.
    std::vector<std::uint16_t> narrowed(static_cast<size_t>(sourceHeight) * width * 3);
    for (int y = 0; y < sourceHeight; ++y) {
        const uchar* in = source.constScanLine(y);
        std::uint16_t* out = narrowed.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            const std::int32_t* w = across.weights.data() + across.offset[x];
            const uchar* p = in + static_cast<size_t>(across.first[x]) * 3;
            std::uint32_t b = 0, g = 0, r = 0;
            for (int k = 0; k < across.count[x]; ++k, p += 3) {
                b += std::uint32_t(w[k]) * p[0];
                g += std::uint32_t(w[k]) * p[1];
                r += std::uint32_t(w[k]) * p[2];
            }
            constexpr int shift = kWeightBits - 8;
            constexpr std::uint32_t half = 1u << (shift - 1);
            out[3 * x] = static_cast<std::uint16_t>((b + half) >> shift);
            out[3 * x + 1] = static_cast<std::uint16_t>((g + half) >> shift);
            out[3 * x + 2] = static_cast<std::uint16_t>((r + half) >> shift);
        }
    }

    // Pass 2: the narrowed rows combined down to the result height.
    const int rowValues = width * 3;
    std::vector<std::uint32_t> sums(static_cast<size_t>(rowValues));
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        const std::int32_t* w = down.weights.data() + down.offset[y];
        for (int k = 0; k < down.count[y]; ++k) {
            const std::uint16_t* row = narrowed.data() + static_cast<size_t>(down.first[y] + k) * rowValues;
            const std::uint32_t weight = static_cast<std::uint32_t>(w[k]);
            for (int i = 0; i < rowValues; ++i)
                sums[static_cast<size_t>(i)] += weight * row[i];
        }
        uchar* out = result.scanLine(y);
        constexpr int shift = kWeightBits + 8;
        constexpr std::uint32_t half = 1u << (shift - 1);
        for (int i = 0; i < rowValues; ++i)
            out[i] = static_cast<uchar>(std::min<std::uint32_t>(255u, (sums[static_cast<size_t>(i)] + half) >> shift));
    }
    return result;
}

}  // namespace kv::pictures
