// Row colours and the contrast rule for the text drawn over them.
#include "ui/row_colours.h"

#include <cmath>

namespace kx {

namespace {

double linear(int channel) {
    double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgb c) { return 0.2126 * linear(c.red) + 0.7152 * linear(c.green) + 0.0722 * linear(c.blue); }

}  // namespace

Rgb rowBackground(RowColour colour) {
    switch (colour) {
        case RowColour::green: return {0, 200, 0};
        case RowColour::red: return {200, 0, 0};
        case RowColour::working: return {255, 200, 0};
        default: return whiteRgb;
    }
}

Rgb contrastingText(Rgb background) {
    const double l = luminance(background);
    // Contrast ratios (lighter + 0.05) / (darker + 0.05) with white (1) and black (0).
    const double onWhite = 1.05 / (l + 0.05), onBlack = (l + 0.05) / 0.05;
    return onWhite > onBlack ? whiteRgb : blackRgb;
}

}  // namespace kx
