#include "render/layout.h"

#include <cmath>

#include "gamepack/picture.h"

Layout ComputeLayout(int panelWidth, int panelHeight) {
    Layout l;
    l.W = panelWidth - 2;
    l.H = panelHeight - 2;
    // The same square the level pictures are prepared for.
    const BoardLayout board = LayoutBoard(l.W, l.H);
    l.BoardSize = board.BoardSize;
    l.BoardLeft = board.BoardLeft;
    l.BoardTop = board.BoardTop;
    return l;
}

namespace {
int Nearest(double x) { return int(std::lround(x)); }
}

WindowSizes ZoomOn(const WindowSizes& s) {
    WindowSizes z;
    z.clientWidth = Nearest(s.clientWidth * 1.6) - Nearest((s.clientWidth - s.panelWidth) * 0.8) + 2;
    z.clientHeight = Nearest(s.clientHeight * 1.6) - Nearest((s.clientHeight - s.panelHeight) * 0.8);
    z.panelWidth = Nearest(s.panelWidth * 1.6);
    z.panelHeight = Nearest(s.panelHeight * 1.6);
    return z;
}
