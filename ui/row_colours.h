// The colours of the queue list's rows: the background of a job that went
// well or badly, and the text drawn over it, white or black, whichever reads
// better on that background. The Qt and Win32 front ends both draw with these.
#pragma once

namespace kx {

// green and red: a job done or failed; working: the job the queue runs now.
enum class RowColour { none, green, red, working };

struct Rgb {
    int red = 0, green = 0, blue = 0;  // 0 to 255 each
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb whiteRgb{255, 255, 255}, blackRgb{0, 0, 0};

// (0, 200, 0) for green, (200, 0, 0) for red, (255, 200, 0) for working; the list's own for none
// (then white is returned, and the front end draws as it would anyway).
Rgb rowBackground(RowColour colour);

// White or black, whichever has the greater contrast with `background`
// (relative luminance of sRGB colours); black on a tie.
Rgb contrastingText(Rgb background);

}  // namespace kx
