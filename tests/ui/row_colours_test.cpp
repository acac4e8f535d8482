// The text colour over a coloured row: white or black, whichever contrasts
// better with the row.
#include <gtest/gtest.h>

#include "ui/row_colours.h"

namespace kx {
namespace {

TEST(RowColours, TextContrastsWithTheBackground) {
    struct Case {
        Rgb background, text;
    } cases[] = {
        {rowBackground(RowColour::red), whiteRgb},    // (200, 0, 0)
        {rowBackground(RowColour::green), blackRgb},  // (0, 200, 0)
        {{0, 0, 0}, whiteRgb},
        {{255, 255, 255}, blackRgb},
        {{0, 0, 200}, whiteRgb},
        {{255, 255, 0}, blackRgb},
        {{128, 128, 128}, blackRgb},  // mid grey is lighter than it looks
        {{90, 90, 90}, whiteRgb},
        {{255, 0, 0}, blackRgb},  // pure red is just light enough for black
    };
    for (const Case& c : cases)
        EXPECT_EQ(contrastingText(c.background), c.text)
            << c.background.red << "," << c.background.green << "," << c.background.blue;
    EXPECT_EQ(rowBackground(RowColour::red), (Rgb{200, 0, 0}));
    EXPECT_EQ(rowBackground(RowColour::green), (Rgb{0, 200, 0}));
    EXPECT_EQ(contrastingText(rowBackground(RowColour::working)), blackRgb);  // (255, 200, 0)
}

}  // namespace
}  // namespace kx
