#include "viewers/picture_fit.h"

#include <algorithm>
#include <cmath>

namespace ui {

int roundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

Fit fitPicture(double pictureTwips, double areaTwips) {
    Fit fit;
    if (pictureTwips > areaTwips) {
        fit.maximum = roundHalfEven(pictureTwips - areaTwips);
        fit.offset = 0;
        fit.largeStep = std::max(1, roundHalfEven(fit.maximum / 5.0));
        fit.smallStep = std::max(1, roundHalfEven(fit.maximum / 10.0));
    } else {
        fit.offset = (areaTwips - pictureTwips) / 2 - 130;
    }
    return fit;
}

}  // namespace ui
