#pragma once

#include <QSize>

// What sizing a hex window to its lines depends on, all in pixels except `lines`.
struct HexFrameMetrics {
    int groupWidth = 0;  // width of "00 " in the view's font
    int groupHeight = 0; // height of "00 " in the view's font
    int lines = 0;       // line count of the view's text
    bool showAscii = true;
    bool showOffset = true;
    int scrollBarWidth = 0;
    int frameWidth = 0;   // one side of the window frame
    int clientHeight = 0; // height of the area the window lives in; 0 or less for no limit
};

// The window's new size: wide enough for a full line plus scroll bar and frame, as tall as the
// lines but never taller than the client area.
QSize HexFrameSize(const HexFrameMetrics& m);
