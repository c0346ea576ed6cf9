// Window geometry is given in twips (1/1440 inch) and laid out at the screen's DPI.
#pragma once

namespace Toolkit {

// Position and size of a control in twips.
struct Twips {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

int ScreenDpiX();
int ScreenDpiY();
// pixels = twips * dpi / 1440, rounded to the nearest pixel.
int TwipsToPixels(int twips, int dpi);
int PixelsToTwips(int pixels, int dpi);
// The rectangle in pixels at the screen's DPI.
struct PixelRectangle {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};
PixelRectangle ToPixels(const Twips& twips);

} // namespace Toolkit
