#include "views/HexFrameMetrics.h"

#include <algorithm>

QSize HexFrameSize(const HexFrameMetrics& m) {
    // In units of "00 ": the hex groups, then the character column or the slack of a 16-byte line.
    const int units = (m.showAscii ? 15 : 17) + (m.showOffset ? 4 : 0);
    const int width = units * m.groupWidth + m.scrollBarWidth + 2 * m.frameWidth + 6;
    int height = m.groupHeight * m.lines;
    if (m.clientHeight > 0)
        height = std::min(height, m.clientHeight);
    return QSize(width, height);
}
