#pragma once

#include <QImage>

namespace kv::pictures {

// Stretches the whole source onto a 24-bit picture of the given size with
// area averaging: each result pixel is the mean of the part of the source
// it covers, each source pixel weighted by the area it shares with it.
// Sources of other formats are converted first. A null image for an empty
// source or size.
QImage AreaAverage(const QImage& source, int width, int height);

}  // namespace kv::pictures
