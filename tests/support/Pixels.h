#pragma once

#include <QImage>

#include <algorithm>
#include <cstdlib>

namespace sortana::test {

// Qt shades a glyph's edge or a line thinner than a pixel by how much of it a paint's clip
// lets through, which can differ by a level where a paint is cut into parts.
inline constexpr int clipShading = 1;

// The largest difference between two images in any colour channel of any pixel; 255 when
// their sizes differ.
inline int largestDifference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 255;
    const QImage first = a.convertToFormat(QImage::Format_ARGB32);
    const QImage second = b.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int y = 0; y < first.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(first.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(second.constScanLine(y));
        for (int x = 0; x < first.width(); ++x) {
            largest = std::max({largest, std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                                std::abs(qBlue(p[x]) - qBlue(q[x])), std::abs(qAlpha(p[x]) - qAlpha(q[x]))});
        }
    }
    return largest;
}

} // namespace sortana::test
