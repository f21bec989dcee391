#pragma once

// Where the board lies in the BackBuffer, and how the window grows when zoomed.
struct Layout {
    int W = 0, H = 0;         // BackBuffer size: the panel less its bevel
    int BoardSize = 0;        // unreduced side of the board square
    int BoardLeft = 0, BoardTop = 0;
};

Layout ComputeLayout(int panelWidth, int panelHeight);

struct WindowSizes {
    int clientWidth, clientHeight, panelWidth, panelHeight;
    bool operator==(const WindowSizes& o) const {
        return clientWidth == o.clientWidth && clientHeight == o.clientHeight &&
               panelWidth == o.panelWidth && panelHeight == o.panelHeight;
    }
};

constexpr WindowSizes DesignSizes{326, 315, 317, 307};

// The zoom factor 1.6 applied to the current sizes.
WindowSizes ZoomOn(const WindowSizes& current);
