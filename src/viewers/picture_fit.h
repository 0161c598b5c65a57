#pragma once
// How a picture sits in the picture viewer's area, in twips: scrolled when
// it is larger than the area, centred when it is smaller.

namespace ui {

struct Fit {
    int maximum = 0;    // scroll range (0 when the picture fits)
    int largeStep = 0;  // a click in the scroll bar's track
    int smallStep = 0;  // a click on an arrow
    double offset = 0;  // the picture's edge inside the area when first shown
};

// One direction: the picture's and the area's extent. Rounding goes to the
// even neighbour on halves; a small step never rounds to nothing.
Fit fitPicture(double pictureTwips, double areaTwips);

// Rounded to the nearest integer, halves to the even neighbour.
int roundHalfEven(double value);

}  // namespace ui
