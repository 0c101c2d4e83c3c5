#include "graphics/LineRaster.h"

#include <algorithm>
#include <cstdlib>

namespace {

// round(t * minor / major) for 0 <= t and 0 <= minor <= major, a half rounded down when
// `halvesUp` is false and up when it is true.
long long MinorOffset(long long t, long long minor, long long major, bool halvesUp) {
    return (2 * t * minor + major - (halvesUp ? 0 : 1)) / (2 * major);
}

} // namespace

void RasterLine(QImage& image, QPoint from, QPoint to, QRgb colour) {
    const long long dx = static_cast<long long>(to.x()) - from.x();
    const long long dy = static_cast<long long>(to.y()) - from.y();
    const bool xMajor = std::llabs(dx) > std::llabs(dy);
    const long long length = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (length == 0)
        return;
    const long long minorLength = xMajor ? std::llabs(dy) : std::llabs(dx);
    const int majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long majorStart = xMajor ? from.x() : from.y();
    const long long minorStart = xMajor ? from.y() : from.x();
    const long long majorSize = xMajor ? image.width() : image.height();
    const long long minorSize = xMajor ? image.height() : image.width();

    // Only the steps whose major coordinate lies inside the image: long lines cost what they
    // show, not what they span.
    long long first = 0, last = length - 1;
    if (majorSign > 0) {
        first = std::max(first, -majorStart);
        last = std::min(last, majorSize - 1 - majorStart);
    } else {
        first = std::max(first, majorStart - (majorSize - 1));
        last = std::min(last, majorStart);
    }
    // Halfway between two pixels the smaller coordinate wins, whichever way the line runs:
    // the offset rounds a half down when it adds to the coordinate and up when it subtracts.
    const bool halvesUp = minorSign < 0;
    for (long long t = first; t <= last; ++t) {
        const long long major = majorStart + majorSign * t;
        const long long minor =
            minorStart + minorSign * MinorOffset(t, minorLength, length, halvesUp);
        if (minor < 0 || minor >= minorSize)
            continue;
        const int x = static_cast<int>(xMajor ? major : minor);
        const int y = static_cast<int>(xMajor ? minor : major);
        reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
    }
}
