#include "toolkit/Units.h"
#include "toolkit/Handles.h"

namespace Toolkit {

namespace {

int ScreenDpi(int index) {
    const UniqueScreenContext screen(GetDC(nullptr));
    const int dpi = screen ? GetDeviceCaps(screen.Get(), index) : 0;
    return dpi > 0 ? dpi : 96;
}

} // namespace

// The program is system-DPI aware: the screen's DPI is fixed for the process's life,
// so the screen is asked once rather than for every control.
int ScreenDpiX() {
    static const int dpi = ScreenDpi(LOGPIXELSX);
    return dpi;
}

int ScreenDpiY() {
    static const int dpi = ScreenDpi(LOGPIXELSY);
    return dpi;
}

int TwipsToPixels(int twips, int dpi) {
    return MulDiv(twips, dpi, 1440);
}

int PixelsToTwips(int pixels, int dpi) {
    return dpi > 0 ? MulDiv(pixels, 1440, dpi) : 0;
}

PixelRectangle ToPixels(const Twips& twips) {
    const int x = ScreenDpiX();
    const int y = ScreenDpiY();
    return {TwipsToPixels(twips.Left, x), TwipsToPixels(twips.Top, y),
            TwipsToPixels(twips.Width, x), TwipsToPixels(twips.Height, y)};
}

} // namespace Toolkit
