#pragma once
// Where a window goes on the screen for a dialog position, and the window
// frame the wizard assumes: sizes given to dialogs and managers are outer
// sizes (a dialog border of 4 pixels and a caption bar of 19).
#include <QRect>
#include <QSize>

namespace setupwizard {

enum TTamselDialogPosition {
    tdpCenterLeft, tdpCenter, tdpCenterRight,
    tdpBottomLeft, tdpBottomCenter, tdpBottomRight,
    tdpTopLeft, tdpTopCenter, tdpTopRight,
};

inline constexpr int kCaptionHeight = 19;
inline constexpr int kDialogBorder = 4;

// The client size of a captioned dialog window of that outer size.
QSize ClientSizeOf(int outerWidth, int outerHeight);

struct ScreenPlacement {
    int left = 0;
    int top = 0;
};

// The frame's placement: centred terms computed in single precision and truncated.
ScreenPlacement PlaceTruncated(TTamselDialogPosition position, int width, int height, int screenWidth,
                               int screenHeight, int leftOffset, int topOffset);
// A dialog component's placement: centred terms rounded, halves to even.
ScreenPlacement PlaceRounded(TTamselDialogPosition position, int width, int height, int screenWidth,
                             int screenHeight, int leftOffset, int topOffset);

// The screen the wizard places its windows on; tests may fix its size.
QSize ScreenSize();
void SetScreenSizeForTesting(QSize size);  // an empty size restores the real screen

}  // namespace setupwizard
