#pragma once
// The windows' layout unit: 1/1440 inch, converted with the screen's real
// density so the layout keeps its size at any DPI.

namespace ui {

struct TwipsRect {
    int left, top, width, height;
};

inline int twipsToPixels(int twips, int dpi) {
    // Round to nearest: 15 twips a pixel at 96 dpi gives whole pixels.
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

} // namespace ui
