#include "render/layout.h"

#include <cmath>

Layout ComputeLayout(int panelWidth, int panelHeight) {
    Layout l;
    l.W = panelWidth - 2;
    l.H = panelHeight - 2;
    l.BoardSize = l.H - 20 - 40;
    l.BoardLeft = (l.W - l.BoardSize) / 2;
    l.BoardTop = (l.H - l.BoardSize) / 2 + 20;
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
